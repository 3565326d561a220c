// The lexer.
#include "vbscript/lexer.h"

#include "vbscript/convert.h"
#include "vbscript/variant.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

namespace vbs {

namespace {

// ORDER TOKEN
constexpr const char* kTokenNames[] = {
    "<eof>",  "<newline>", ":",      "<ident>", "<int>",    "<float>",  "<string>", "<date>",
    "(",      ")",         ",",      ".",       "&",        "+",        "-",        "*",
    "/",      "\\",        "^",      "=",       "<>",       "<",        ">",        "<=",
    ">=",     "And",       "ByRef",  "ByVal",   "Call",     "Case",     "Class",    "Const",
    "Dim",    "Do",        "Each",   "Else",    "ElseIf",   "Empty",    "End",      "Eqv",
    "Erase",  "Exit",      "False",  "For",     "Function", "If",       "Imp",      "In",
    "Is",     "Loop",      "Me",     "Mod",     "New",      "Next",     "Not",      "Nothing",
    "Null",   "On",        "Option", "Or",      "Private",  "Property", "Public",   "ReDim",
    "Select", "Set",       "Sub",    "Then",    "To",       "True",     "Until",    "Wend",
    "While",  "With",      "Xor",
};
static_assert(sizeof(kTokenNames) / sizeof(kTokenNames[0]) == size_t(T::Count_),
              "kTokenNames follows ORDER TOKEN");

bool is_ident_start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
// Which bytes a name may continue with, by byte value.
constexpr auto kIdentChar = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[size_t(c)] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
    return table;
}();
bool is_ident_char(char c) {
    return kIdentChar[static_cast<unsigned char>(c)];
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
// The value of a hexadecimal digit, or 99.
int digit_value(char c) {
    return is_digit(c)              ? c - '0'
           : (c >= 'a' && c <= 'f') ? c - 'a' + 10
           : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                    : 99;
}

// The keywords (and Rem, which starts a comment) by their lower-case spelling packed into a
// 64-bit key, in an open-addressed table built once from kTokenNames. No keyword is longer
// than 8 letters, so a longer word is a name without a look-up.
constexpr T kRem = T::Count_; // marker in the table: the word starts a comment
constexpr size_t kMaxKeywordLength = 8;
static_assert(
    [] {
        for (int k = int(T::And); k < int(T::Count_); ++k)
            if (std::char_traits<char>::length(kTokenNames[k]) > kMaxKeywordLength) return false;
        return true;
    }(),
    "every keyword fits the 64-bit key");

// Byte `i` (below kMaxKeywordLength) of a word's key: the byte `c` with ASCII case folded.
uint64_t key_byte(char c, size_t i) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b + ('a' - 'A'));
    return uint64_t(b) << (8 * i);
}

uint64_t keyword_key(std::string_view word) {
    uint64_t key = 0;
    for (size_t i = 0; i < word.size(); ++i)
        key |= key_byte(word[i], i);
    return key;
}

class KeywordTable {
public:
    KeywordTable() {
        for (int k = int(T::And); k < int(T::Count_); ++k)
            add(kTokenNames[k], T(k));
        add("Rem", kRem);
    }
    // The keyword a word of `length` letters with `key` (keyword_key) spells (kRem for
    // Rem), or T::Ident.
    T find(size_t length, uint64_t key) const {
        if (length > kMaxKeywordLength) return T::Ident;
        for (size_t i = bucket(key);; i = (i + 1) % kSize) {
            if (keys_[i] == key) return kinds_[i];
            if (keys_[i] == 0) return T::Ident;
        }
    }

private:
    static constexpr size_t kSize = 128; // a power of two, well above the keyword count
    static size_t bucket(uint64_t key) { return size_t((key * 0x9E3779B97F4A7C15ull) >> 57); }
    void add(std::string_view word, T kind) {
        uint64_t key = keyword_key(word);
        size_t i = bucket(key);
        while (keys_[i] != 0)
            i = (i + 1) % kSize;
        keys_[i] = key;
        kinds_[i] = kind;
    }
    uint64_t keys_[kSize] = {};
    T kinds_[kSize] = {};
};

T keyword(size_t length, uint64_t key) {
    static const KeywordTable table;
    return table.find(length, key);
}

} // namespace

bool Lexer::next(Token& t) {
    if (failed_) return false;
    // Whitespace and line continuations.
    while (i_ < s_.size()) {
        char c = s_[i_];
        if (c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\0') {
            ++i_;
            space_ = true;
        } else if (c == '_' && (space_ || ends_with_operator(prev_)) && continuation_follows()) {
            // skip `_`, spaces and the line end
            ++i_;
            while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t'))
                ++i_;
            if (i_ < s_.size() && s_[i_] == '\r') ++i_;
            if (i_ < s_.size() && s_[i_] == '\n') ++i_;
            new_line();
            space_ = true;
        } else
            break;
    }
    // `t` may be a token read before (the parser reuses its slots): reset every field (the
    // position ones just below), keeping the text's buffer. Assigning a fresh Token instead
    // costs a third of the lexer's time.
    t.kind = T::Eof;
    t.is_long = t.is_double = false;
    t.ival = 0;
    t.dval = 0;
    t.text.clear();
    t.line = line_;
    t.col = int(i_ - line_start_) + 1;
    if (i_ >= s_.size()) {
        t.kind = T::Eof;
        t.space_before = true;
        prev_ = T::Eof;
        return true;
    }
    t.space_before = space_;
    space_ = false;
    if (!read(t)) {
        failed_ = true;
        return false;
    }
    if (t.kind == T::Newline) space_ = true;
    prev_ = t.kind;
    return true;
}

// Whether a token of kind `k` leaves its expression or list unfinished, so that a `_` written
// right after it, without a blank, can only continue the line (`"a" &_`, `b =_`).
bool Lexer::ends_with_operator(T k) {
    switch (k) {
    case T::Amp:
    case T::Plus:
    case T::Minus:
    case T::Star:
    case T::Slash:
    case T::Backslash:
    case T::Caret:
    case T::Eq:
    case T::Ne:
    case T::Lt:
    case T::Gt:
    case T::Le:
    case T::Ge:
    case T::Comma:
    case T::LParen:
        return true;
    default:
        return false;
    }
}

// Whether `&` at i_ starts a hexadecimal or octal literal. `&h` or `&o` followed by letters
// or digits that do not make a whole literal is the operator before a name: `"x" &hi` joins
// "x" and hi.
bool Lexer::radix_follows() const {
    if (i_ + 1 >= s_.size()) return false;
    char r = s_[i_ + 1];
    int base = (r == 'h' || r == 'H') ? 16 : (r == 'o' || r == 'O') ? 8 : 0;
    if (base == 0) return false;
    size_t j = i_ + 2;
    size_t st = j;
    while (j < s_.size() && digit_value(s_[j]) < base)
        ++j;
    if (j == st) return false;
    return j >= s_.size() || s_[j] == '&' || !is_ident_char(s_[j]);
}

bool Lexer::continuation_follows() const {
    size_t j = i_ + 1;
    while (j < s_.size() && (s_[j] == ' ' || s_[j] == '\t'))
        ++j;
    return j >= s_.size() || s_[j] == '\r' || s_[j] == '\n';
}

void Lexer::new_line() {
    ++line_;
    line_start_ = i_;
}

bool Lexer::fail(int number) {
    err_.number = number;
    err_.line = line_;
    err_.col = int(i_ - line_start_) + 1;
    return false;
}

// One token starting at a character that is not whitespace.
bool Lexer::read(Token& t) {
    char c = s_[i_];
    if (c == '\r' || c == '\n') {
        if (c == '\r' && i_ + 1 < s_.size() && s_[i_ + 1] == '\n') ++i_;
        ++i_;
        new_line();
        t.kind = T::Newline;
        return true;
    }
    if (c == '\'') {
        skip_comment();
        return next_or_eof(t);
    }
    if (is_ident_start(c)) return word(t);
    if (is_digit(c) || (c == '.' && i_ + 1 < s_.size() && is_digit(s_[i_ + 1]) &&
                        !(prev_ == T::Ident || prev_ == T::RParen)))
        return number(t);
    switch (c) {
    case '"':
        return string(t);
    case '#':
        return date(t);
    case '[':
        return bracketed(t);
    case '&':
        if (radix_follows()) return radix(t);
        return single(t, T::Amp);
    case '(':
        return single(t, T::LParen);
    case ')':
        return single(t, T::RParen);
    case ',':
        return single(t, T::Comma);
    case '.':
        return single(t, T::Dot);
    case '+':
        return single(t, T::Plus);
    case '-':
        return single(t, T::Minus);
    case '*':
        return single(t, T::Star);
    case '/':
        return single(t, T::Slash);
    case '\\':
        return single(t, T::Backslash);
    case '^':
        return single(t, T::Caret);
    case ':':
        return single(t, T::Colon);
    case '=':
        // `=>` and `=<` are old spellings of `>=` and `<=`; neither `>` nor `<` can start an
        // operand, so they cannot mean an assignment of something.
        if (i_ + 1 < s_.size() && (s_[i_ + 1] == '>' || s_[i_ + 1] == '<'))
            return pair(t, s_[i_ + 1] == '>' ? T::Ge : T::Le);
        return single(t, T::Eq);
    case '<':
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '>') return pair(t, T::Ne);
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '=') return pair(t, T::Le);
        return single(t, T::Lt);
    case '>':
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '=') return pair(t, T::Ge);
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '<') return pair(t, T::Ne);
        return single(t, T::Gt);
    default:
        break;
    }
    return fail(1032);
}

// After a comment the line end is still a token; produce it (or nothing at the end).
bool Lexer::next_or_eof(Token& t) {
    if (i_ >= s_.size()) {
        t.kind = T::Newline;
        return true;
    }
    return read(t);
}

void Lexer::skip_comment() {
    while (i_ < s_.size() && s_[i_] != '\r' && s_[i_] != '\n')
        ++i_;
}

bool Lexer::single(Token& t, T k) {
    ++i_;
    t.kind = k;
    return true;
}

bool Lexer::pair(Token& t, T k) {
    i_ += 2;
    t.kind = k;
    return true;
}

bool Lexer::word(Token& t) {
    // The scan works on locals: a member would be stored and read again for every byte, as
    // the text's bytes might alias it. The keyword key of the first letters is made on the way.
    const char* const text = s_.data();
    const size_t size = s_.size();
    const size_t st = i_;
    size_t i = st;
    uint64_t key = 0;
    for (; i < size && is_ident_char(text[i]); ++i)
        if (i - st < kMaxKeywordLength) key |= key_byte(text[i], i - st);
    i_ = i;
    std::string_view w(text + st, i - st);
    if (w.size() > 255) return fail(1030);
    // A name right after a dot is a member name, whatever it spells.
    bool after_dot = prev_ == T::Dot && !t.space_before;
    T k = after_dot ? T::Ident : keyword(w.size(), key);
    if (k == kRem) {
        skip_comment();
        return next_or_eof(t);
    }
    t.kind = k;
    t.text.assign(w);
    return true;
}

bool Lexer::bracketed(Token& t) {
    size_t st = ++i_;
    while (i_ < s_.size() && s_[i_] != ']' && s_[i_] != '\r' && s_[i_] != '\n')
        ++i_;
    if (i_ >= s_.size() || s_[i_] != ']') return fail(1007);
    t.kind = T::Ident;
    t.text = std::string(s_.substr(st, i_ - st));
    ++i_;
    return true;
}

bool Lexer::string(Token& t) {
    ++i_;
    std::string v;
    while (true) {
        if (i_ >= s_.size() || s_[i_] == '\r' || s_[i_] == '\n') return fail(1033);
        if (s_[i_] == '"') {
            if (i_ + 1 < s_.size() && s_[i_ + 1] == '"') {
                v += '"';
                i_ += 2;
                continue;
            }
            ++i_;
            break;
        }
        v += s_[i_++];
    }
    t.kind = T::StrLit;
    t.text = std::move(v);
    return true;
}

bool Lexer::date(Token& t) {
    size_t st = ++i_;
    while (i_ < s_.size() && s_[i_] != '#' && s_[i_] != '\r' && s_[i_] != '\n')
        ++i_;
    if (i_ >= s_.size() || s_[i_] != '#') return fail(1032);
    std::string_view body = s_.substr(st, i_ - st);
    ++i_;
    double d;
    if (!parse_date_literal(body, d)) return fail(1032);
    t.kind = T::DateLit;
    t.dval = d;
    return true;
}

bool Lexer::radix(Token& t) {
    int base = (s_[i_ + 1] == 'h' || s_[i_ + 1] == 'H') ? 16 : 8;
    i_ += 2;
    uint64_t v = 0;
    size_t st = i_;
    while (i_ < s_.size()) {
        int d = digit_value(s_[i_]);
        if (d >= base) break;
        v = v * uint64_t(base) + uint64_t(d);
        if (v > 0xFFFFFFFFull) return fail(1031);
        ++i_;
    }
    if (i_ == st) return fail(1031);
    // The `&` suffix makes the literal a Long: &hFFFF is the Integer -1, &hFFFF& is 65535.
    bool long_suffix = i_ < s_.size() && s_[i_] == '&';
    if (long_suffix) ++i_;
    t.kind = T::IntLit;
    if (v <= 0xFFFF && !long_suffix) {
        t.ival = int16_t(uint16_t(v));
    } else {
        t.ival = int32_t(uint32_t(v));
        t.is_long = true;
    }
    return true;
}

bool Lexer::number(Token& t) {
    size_t st = i_;
    while (i_ < s_.size() && is_digit(s_[i_]))
        ++i_;
    bool is_float = false;
    if (i_ < s_.size() && s_[i_] == '.') {
        is_float = true;
        ++i_;
        while (i_ < s_.size() && is_digit(s_[i_]))
            ++i_;
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
        size_t j = i_ + 1;
        if (j < s_.size() && (s_[j] == '+' || s_[j] == '-')) ++j;
        if (j < s_.size() && is_digit(s_[j])) {
            is_float = true;
            i_ = j;
            while (i_ < s_.size() && is_digit(s_[i_]))
                ++i_;
        }
    }
    std::string_view text = s_.substr(st, i_ - st);
    if (i_ < s_.size() && (s_[i_] == '#' || s_[i_] == '!' || s_[i_] == '@')) {
        is_float = is_float || s_[i_] != '@';
        ++i_;
    }
    if (i_ < s_.size() && is_ident_start(s_[i_])) return fail(1025);
    double d = 0;
    if (text.size() <= 15 && text.find_first_not_of("0123456789") == std::string_view::npos) {
        // Plain digits: exact in a double, so no need for strtod.
        int64_t v = 0;
        for (char c : text)
            v = v * 10 + (c - '0');
        d = double(v);
    } else {
        d = std::strtod(std::string(text).c_str(), nullptr);
    }
    if (!std::isfinite(d)) return fail(1031);
    if (is_float) {
        t.kind = T::FloatLit;
        t.dval = d;
        return true;
    }
    t.kind = T::IntLit;
    t.dval = d;
    if (d <= 32767) {
        t.ival = int64_t(d);
    } else if (d <= 2147483647.0) {
        t.ival = int64_t(d);
        t.is_long = true;
    } else {
        t.is_double = true;
    }
    return true;
}

bool tokenize(std::string_view text, std::vector<Token>& out, LexError& err) {
    out.clear();
    Lexer lx(text);
    while (true) {
        Token t;
        if (!lx.next(t)) {
            err = lx.error();
            return false;
        }
        bool eof = t.kind == T::Eof;
        out.push_back(std::move(t));
        if (eof) return true;
    }
}

const char* token_name(T kind) {
    return size_t(kind) < size_t(T::Count_) ? kTokenNames[size_t(kind)] : "?";
}

} // namespace vbs
