// The lexer: script text to tokens.
//
// Keywords are recognised without regard to case. Words that VBScript lets a script use as
// names in some places (Explicit, Error, Get, Let, Step, Default, Preserve, Resume, GoTo, Stop)
// stay identifiers; the parser checks their text where it expects them. A name after a `.` is
// always an identifier (`obj.End` is legal). ` _` at the end of a line joins the next line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vbs {

// ORDER TOKEN: kTokenNames in lexer.cpp follows this order.
enum class T : uint8_t {
    Eof,
    Newline,
    Colon,
    Ident,
    IntLit, // ival holds the value; Integer when it fits 16 bits (see is_long)
    FloatLit,
    StrLit,
    DateLit,
    LParen,
    RParen,
    Comma,
    Dot,
    Amp,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    // keywords, alphabetical
    And,
    ByRef,
    ByVal,
    Call,
    Case,
    Class,
    Const,
    Dim,
    Do,
    Each,
    Else,
    ElseIf,
    Empty,
    End,
    Eqv,
    Erase,
    Exit,
    False,
    For,
    Function,
    If,
    Imp,
    In,
    Is,
    Loop,
    Me,
    Mod,
    New,
    Next,
    Not,
    Nothing,
    Null,
    On,
    Option,
    Or,
    Private,
    Property,
    Public,
    ReDim,
    Select,
    Set,
    Sub,
    Then,
    To,
    True,
    Until,
    Wend,
    While,
    With,
    Xor,
    Count_
};

// Lexer::next resets each field of a token it reuses: a new field is reset there too.
struct Token {
    T kind = T::Eof;
    bool space_before = false; // whitespace (or a line start) precedes the token
    bool is_long = false;      // IntLit: the literal is a Long (or a Double when is_double)
    bool is_double = false;    // IntLit too large for a Long: becomes a Double
    int line = 1;
    int col = 1;
    int64_t ival = 0;
    double dval = 0;  // FloatLit, DateLit, and IntLit beyond Long
    std::string text; // identifier name as written, string literal contents
};

// A lexical error: VBScript's compile error number (1032 Invalid character, 1033
// Unterminated string constant, ...) and where it happened.
struct LexError {
    int number = 0;
    int line = 0;
    int col = 0;
};

// Reads a text's tokens one at a time, so that a parser can hold only the tokens of the
// statement it is reading. After the Eof token every further call yields Eof again.
class Lexer {
public:
    explicit Lexer(std::string_view text) : s_(text) {}

    // The next token into `t`. Returns false with error() set on a lexical error; the lexer
    // then stays at the error.
    bool next(Token& t);
    const LexError& error() const { return err_; }

private:
    bool read(Token& t);
    bool next_or_eof(Token& t);
    bool continuation_follows() const;
    static bool ends_with_operator(T k);
    bool radix_follows() const;
    void new_line();
    bool fail(int number);
    void skip_comment();
    bool single(Token& t, T k);
    bool pair(Token& t, T k);
    bool word(Token& t);
    bool bracketed(Token& t);
    bool string(Token& t);
    bool date(Token& t);
    bool radix(Token& t);
    bool number(Token& t);

    std::string_view s_;
    size_t i_ = 0;
    int line_ = 1;
    size_t line_start_ = 0;
    T prev_ = T::Newline; // the kind of the token before
    bool space_ = true;   // whitespace or a line start since that token
    bool failed_ = false;
    LexError err_;
};

// Splits text into tokens ending with one Eof. Returns false with `err` set on a lexical error.
bool tokenize(std::string_view text, std::vector<Token>& out, LexError& err);

const char* token_name(T kind);

} // namespace vbs
