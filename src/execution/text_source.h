#pragma once
// The scanner of code texts: cuts one text into tokens, each with a kind and its place in the
// text. It never fails; every character belongs to some token.
//
// Characters are classified as ASCII. Bytes of 0x80 and above (the parts of a UTF-8 character)
// are "other" characters outside strings and plain content inside them, so a multi-byte
// character can never be taken for a quote, brace or comma.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/code_words.h"

namespace mondrel {

// ORDER TOKEN: the keyword kinds follow the rows of keyword_words.
enum class token_kind : int16_t {
    end_of_line, // the end of the text, or a semicolon outside a string
    integer,     // digits
    real,        // digits with a fraction, maybe with an exponent
    string,      // "..." ; the token's text excludes the quotes
    name,        // a word that is not a keyword
    member,      // "." directly followed by a word, e.g. ".Count"
    other,       // any character without a kind of its own
    ampersand,
    apostrophe,
    lparen,
    rparen,
    star,
    plus,
    comma,
    minus,
    slash,
    colon,
    less,
    equal,
    greater,
    lbracket,
    rbracket,
    lbrace,
    rbrace,
    // keywords
    kw_end,
    kw_and,
    kw_or,
    kw_function,
    kw_integer,
    kw_real,
    kw_string,
    kw_return,
    kw_endl,
    kw_then,
    kw_if,
    kw_else,
    kw_endif,
    kw_while,
    kw_endwhile,
    kw_for,
    kw_endfor,
    kw_to,
    kw_downto,
    kw_repeat,
    kw_until,
    kw_select,
    kw_case,
    kw_endselect,
    kw_goto,
    kw_error,
    kw_seterror,
    kw_type,
    kw_cos,
    kw_sin,
    kw_dcos,
    kw_dsin,
    kw_output,
    kw_input,
    kw_system,
    kw_ex,
    kw_let,
    kw_dir,
    kw_rem,
    kw_fmt,
    kw_vb,
    kw_include,
    kw_arr,
    kw_add,
    kw_step,
    kw_exit,
    kw_cmd,
    kw_run,
    kw_stop,
};

// ORDER TOKEN
inline constexpr std::array<std::string_view, 49> keyword_words{
    "end",    "and",    "or",    "function", "integer", "real",      "string", "return", "endl",
    "then",   "if",     "else",  "endif",    "while",   "endwhile",  "for",    "endfor", "to",
    "downto", "repeat", "until", "select",   "case",    "endselect", "goto",   "error",  "seterror",
    "type",   "cos",    "sin",   "dcos",     "dsin",    "output",    "input",  "system", "ex",
    "let",    "dir",    "rem",   "fmt",      "vb",      "include",   "arr",    "add",    "step",
    "exit",   "cmd",    "run",   "stop"};

inline constexpr token_kind first_keyword = token_kind::kw_end;
static_assert(static_cast<int>(token_kind::kw_stop) - static_cast<int>(first_keyword) + 1 ==
              static_cast<int>(keyword_words.size()));

// Keywords are looked up lower-cased and cut to their first 32 characters.
inline constexpr size_t keyword_significant_length = 32;

// The keyword kind of a word, or token_kind::name when the word is no keyword.
token_kind keyword_kind(std::string_view word);

// The text of a keyword kind ("" for any other kind).
std::string_view keyword_text(token_kind kind);

// The code word a keyword turns an expression line into when typed first (`include` gives
// incl, `rem` gives rem, ...), or cw_expression when the keyword is no typed word. The typed
// words are read from code_word_table.
code_word typed_code_word(token_kind kind);

struct token {
    token_kind kind;
    uint32_t start; // first character in the text (the opening quote of a string)
    uint32_t end;   // one past the last character (past the closing quote, when there is one)
};

// The character reader of one text: each call to next() gives the token that starts at the
// first non-blank character from the current position, and end_of_line for ever after the end.
// It is a small value: a copy reads ahead without moving the original.
class scanner {
public:
    explicit scanner(std::string_view text) : text_(text) {}
    token next();

private:
    token make(token_kind kind, size_t start) const;
    bool digit_at(size_t i) const;
    void skip_digits();
    void skip_word_chars();
    token number(size_t start);
    token string(size_t start);
    token word(size_t start);
    token other_run(size_t start);

    std::string_view text_;
    size_t pos_ = 0;
};

// The token's text: a string without its quotes, any other token as written.
std::string_view token_text(std::string_view text, const token& t);

// One code text and all its tokens at once, for callers that index them. The list always ends
// with one end_of_line token, whose start is the semicolon that ended the tokens or the length
// of the text.
class text_source {
public:
    explicit text_source(std::string text);

    const std::string& text() const { return text_; }
    const std::vector<token>& tokens() const { return tokens_; }
    const token& at(size_t i) const { return tokens_[i < tokens_.size() ? i : tokens_.size() - 1]; }

    std::string_view token_text(const token& t) const { return mondrel::token_text(text_, t); }
    // The characters [from, to) of the text.
    std::string_view slice(size_t from, size_t to) const;

private:
    std::string text_;
    std::vector<token> tokens_;
};

// The first `chars` characters of a UTF-8 text; a character is never cut in two.
std::string_view utf8_prefix(std::string_view text, size_t chars);

// Only the first token of a text, without scanning the rest (used to find a typed code word).
token first_token(std::string_view text);

} // namespace mondrel
