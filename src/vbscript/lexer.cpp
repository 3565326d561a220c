// The lexer.
#include "vbscript/lexer.h"

#include "vbscript/convert.h"
#include "vbscript/variant.h"

#include <cmath>
#include <cstdlib>

namespace vbs {

namespace {

// ORDER TOKEN
const char* const kTokenNames[] = {
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
bool is_ident_char(char c) {
    return is_ident_start(c) || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

T keyword(std::string_view word) {
    for (int k = int(T::And); k < int(T::Count_); ++k)
        if (iequals(word, kTokenNames[k])) return T(k);
    return T::Ident;
}

class Lexer {
public:
    Lexer(std::string_view s, std::vector<Token>& out, LexError& err)
        : s_(s), out_(out), err_(err) {}

    bool run() {
        bool space = true;
        while (true) {
            // Whitespace and line continuations.
            while (i_ < s_.size()) {
                char c = s_[i_];
                if (c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\0') {
                    ++i_;
                    space = true;
                } else if (c == '_' && space && continuation_follows()) {
                    // skip `_`, spaces and the line end
                    ++i_;
                    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t'))
                        ++i_;
                    if (i_ < s_.size() && s_[i_] == '\r') ++i_;
                    if (i_ < s_.size() && s_[i_] == '\n') ++i_;
                    new_line();
                    space = true;
                } else
                    break;
            }
            if (i_ >= s_.size()) break;
            Token t;
            t.space_before = space;
            t.line = line_;
            t.col = int(i_ - line_start_) + 1;
            space = false;
            if (!next(t)) return false;
            if (t.kind == T::Newline) space = true;
            out_.push_back(std::move(t));
        }
        Token eof;
        eof.kind = T::Eof;
        eof.line = line_;
        eof.col = int(i_ - line_start_) + 1;
        eof.space_before = true;
        out_.push_back(std::move(eof));
        return true;
    }

private:
    bool continuation_follows() const {
        size_t j = i_ + 1;
        while (j < s_.size() && (s_[j] == ' ' || s_[j] == '\t'))
            ++j;
        return j >= s_.size() || s_[j] == '\r' || s_[j] == '\n';
    }
    void new_line() {
        ++line_;
        line_start_ = i_;
    }
    bool fail(int number) {
        err_.number = number;
        err_.line = line_;
        err_.col = int(i_ - line_start_) + 1;
        return false;
    }
    T prev_kind() const { return out_.empty() ? T::Newline : out_.back().kind; }

    bool next(Token& t) {
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
                            !(prev_kind() == T::Ident || prev_kind() == T::RParen)))
            return number(t);
        switch (c) {
        case '"':
            return string(t);
        case '#':
            return date(t);
        case '[':
            return bracketed(t);
        case '&':
            if (i_ + 1 < s_.size() &&
                (s_[i_ + 1] == 'h' || s_[i_ + 1] == 'H' || s_[i_ + 1] == 'o' || s_[i_ + 1] == 'O'))
                return radix(t);
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
    bool next_or_eof(Token& t) {
        if (i_ >= s_.size()) {
            t.kind = T::Newline;
            return true;
        }
        return next(t);
    }

    void skip_comment() {
        while (i_ < s_.size() && s_[i_] != '\r' && s_[i_] != '\n')
            ++i_;
    }

    bool single(Token& t, T k) {
        ++i_;
        t.kind = k;
        return true;
    }
    bool pair(Token& t, T k) {
        i_ += 2;
        t.kind = k;
        return true;
    }

    bool word(Token& t) {
        size_t st = i_;
        while (i_ < s_.size() && is_ident_char(s_[i_]))
            ++i_;
        std::string_view w = s_.substr(st, i_ - st);
        if (w.size() > 255) return fail(1030);
        bool after_dot = prev_kind() == T::Dot && !t.space_before;
        T k = after_dot ? T::Ident : keyword(w);
        if (k == T::Ident && iequals(w, "rem") && !after_dot) {
            skip_comment();
            return next_or_eof(t);
        }
        t.kind = k;
        t.text = std::string(w);
        return true;
    }

    bool bracketed(Token& t) {
        size_t st = ++i_;
        while (i_ < s_.size() && s_[i_] != ']' && s_[i_] != '\r' && s_[i_] != '\n')
            ++i_;
        if (i_ >= s_.size() || s_[i_] != ']') return fail(1007);
        t.kind = T::Ident;
        t.text = std::string(s_.substr(st, i_ - st));
        ++i_;
        return true;
    }

    bool string(Token& t) {
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

    bool date(Token& t) {
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

    bool radix(Token& t) {
        int base = (s_[i_ + 1] == 'h' || s_[i_ + 1] == 'H') ? 16 : 8;
        i_ += 2;
        uint64_t v = 0;
        size_t st = i_;
        while (i_ < s_.size()) {
            char c = s_[i_];
            int d = is_digit(c)              ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : 99;
            if (d >= base) break;
            v = v * uint64_t(base) + uint64_t(d);
            if (v > 0xFFFFFFFFull) return fail(1031);
            ++i_;
        }
        if (i_ == st) return fail(1031);
        if (i_ < s_.size() && s_[i_] == '&') ++i_; // Long type suffix
        t.kind = T::IntLit;
        if (v <= 0xFFFF) {
            t.ival = int16_t(uint16_t(v));
        } else {
            t.ival = int32_t(uint32_t(v));
            t.is_long = true;
        }
        return true;
    }

    bool number(Token& t) {
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
        std::string text(s_.substr(st, i_ - st));
        if (i_ < s_.size() && (s_[i_] == '#' || s_[i_] == '!' || s_[i_] == '@')) {
            is_float = is_float || s_[i_] != '@';
            ++i_;
        }
        if (i_ < s_.size() && is_ident_start(s_[i_])) return fail(1025);
        double d = std::strtod(text.c_str(), nullptr);
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

    std::string_view s_;
    std::vector<Token>& out_;
    LexError& err_;
    size_t i_ = 0;
    int line_ = 1;
    size_t line_start_ = 0;
};

} // namespace

bool tokenize(std::string_view text, std::vector<Token>& out, LexError& err) {
    out.clear();
    Lexer lx(text, out, err);
    return lx.run();
}

const char* token_name(T kind) {
    return size_t(kind) < size_t(T::Count_) ? kTokenNames[size_t(kind)] : "?";
}

} // namespace vbs
