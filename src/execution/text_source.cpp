#include "execution/text_source.h"

#include <algorithm>

namespace mondrel {

namespace {

bool is_ascii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool is_word_char(char c) {
    return is_letter(c) || is_digit(c) || c == '_';
}
bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The kinds of the single characters that have one of their own.
token_kind single_char_kind(char c) {
    switch (c) {
    case '&':
        return token_kind::ampersand;
    case '\'':
        return token_kind::apostrophe;
    case '(':
        return token_kind::lparen;
    case ')':
        return token_kind::rparen;
    case '*':
        return token_kind::star;
    case '+':
        return token_kind::plus;
    case ',':
        return token_kind::comma;
    case '-':
        return token_kind::minus;
    case '/':
        return token_kind::slash;
    case ':':
        return token_kind::colon;
    case '<':
        return token_kind::less;
    case '=':
        return token_kind::equal;
    case '>':
        return token_kind::greater;
    case '[':
        return token_kind::lbracket;
    case ']':
        return token_kind::rbracket;
    case '{':
        return token_kind::lbrace;
    case '}':
        return token_kind::rbrace;
    default:
        return token_kind::other;
    }
}

} // namespace

token scanner::next() {
    while (pos_ < text_.size() && is_blank(text_[pos_]))
        ++pos_;
    const size_t start = pos_;
    if (pos_ >= text_.size() || text_[pos_] == ';') return make(token_kind::end_of_line, start);
    const char c = text_[pos_];
    if (!is_ascii(c)) return other_run(start);
    if (is_digit(c) || (c == '.' && digit_at(pos_ + 1))) return number(start);
    if (c == '"') return string(start);
    if (is_letter(c)) return word(start);
    if (c == '.' && pos_ + 1 < text_.size() && is_letter(text_[pos_ + 1])) {
        ++pos_;
        skip_word_chars();
        return make(token_kind::member, start);
    }
    ++pos_;
    return make(single_char_kind(c), start);
}

token scanner::make(token_kind kind, size_t start) const {
    return {kind, static_cast<uint32_t>(start), static_cast<uint32_t>(pos_)};
}

bool scanner::digit_at(size_t i) const {
    return i < text_.size() && is_digit(text_[i]);
}

void scanner::skip_digits() {
    while (digit_at(pos_))
        ++pos_;
}

void scanner::skip_word_chars() {
    while (pos_ < text_.size() && is_word_char(text_[pos_]))
        ++pos_;
}

// number -> digits [ "." digits [ ("E"|"e") ["+"|"-"] digits ] ]  |  "." digits [exponent]
token scanner::number(size_t start) {
    skip_digits();
    if (pos_ >= text_.size() || text_[pos_] != '.' || !digit_at(pos_ + 1))
        return make(token_kind::integer, start);
    ++pos_;
    skip_digits();
    if (pos_ < text_.size() && (text_[pos_] == 'E' || text_[pos_] == 'e')) {
        size_t e = pos_ + 1;
        if (e < text_.size() && (text_[e] == '+' || text_[e] == '-')) ++e;
        if (digit_at(e)) {
            pos_ = e;
            skip_digits();
        }
    }
    return make(token_kind::real, start);
}

// string -> '"' any characters up to the next '"' or the end of the text
token scanner::string(size_t start) {
    const size_t close = text_.find('"', pos_ + 1);
    pos_ = close == std::string_view::npos ? text_.size() : close + 1;
    return make(token_kind::string, start);
}

// word -> letter { letter | digit | "_" }
token scanner::word(size_t start) {
    skip_word_chars();
    return make(keyword_kind(text_.substr(start, pos_ - start)), start);
}

// The bytes of non-ASCII characters form one "other" token.
token scanner::other_run(size_t start) {
    while (pos_ < text_.size() && !is_ascii(text_[pos_]))
        ++pos_;
    return make(token_kind::other, start);
}

token_kind keyword_kind(std::string_view word) {
    if (word.size() > keyword_significant_length) word = word.substr(0, keyword_significant_length);
    // No keyword is longer than 9 characters; longer words are names without a look-up.
    char lower[16];
    if (word.size() > sizeof lower) return token_kind::name;
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::string_view key(lower, word.size());
    for (size_t k = 0; k < keyword_words.size(); ++k)
        if (keyword_words[k] == key)
            return static_cast<token_kind>(static_cast<int>(first_keyword) + static_cast<int>(k));
    return token_kind::name;
}

std::string_view keyword_text(token_kind kind) {
    const int k = static_cast<int>(kind) - static_cast<int>(first_keyword);
    if (k < 0 || k >= static_cast<int>(keyword_words.size())) return {};
    return keyword_words[k];
}

code_word typed_code_word(token_kind kind) {
    const std::string_view word = keyword_text(kind);
    if (word.empty()) return cw_expression;
    for (const code_word_info& info : code_word_table)
        if (info.index != cw_expression && info.typed_word == word) return info.index;
    return cw_expression;
}

text_source::text_source(std::string text) : text_(std::move(text)) {
    scanner reader(text_);
    for (;;) {
        tokens_.push_back(reader.next());
        if (tokens_.back().kind == token_kind::end_of_line) break;
    }
}

std::string_view token_text(std::string_view text, const token& t) {
    const size_t end = std::min<size_t>(t.end, text.size());
    const size_t start = std::min<size_t>(t.start, end);
    if (t.kind != token_kind::string) return text.substr(start, end - start);
    const bool closed = end - start >= 2 && text[end - 1] == '"';
    const size_t from = std::min(start + 1, end);
    return text.substr(from, (closed ? end - 1 : end) - from);
}

std::string_view text_source::slice(size_t from, size_t to) const {
    if (from > text_.size()) from = text_.size();
    if (to > text_.size()) to = text_.size();
    if (to < from) to = from;
    return std::string_view(text_).substr(from, to - from);
}

std::string_view utf8_prefix(std::string_view text, size_t chars) {
    size_t i = 0;
    for (size_t n = 0; i < text.size(); ++i) {
        const bool starts_character = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (starts_character && n++ == chars) break;
    }
    return text.substr(0, i);
}

token first_token(std::string_view text) {
    return scanner(text).next();
}

} // namespace mondrel
