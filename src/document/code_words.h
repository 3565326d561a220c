#pragma once
// The twelve code words a line can carry. The table below is the one place that knows them;
// the enum, the lookups, the syntax bar and the typed-word rule are all read from it.

#include <array>
#include <cstdint>
#include <string_view>

namespace mondrel {

// ORDER CODE_WORD: the enum follows the rows of code_word_table.
enum code_word : int32_t {
    cw_expression = 0, // shown and exported as "="
    cw_rem = 1,
    cw_vb = 2,
    cw_fmt = 3,
    cw_dir = 4,
    cw_let = 5,
    cw_incl = 6,
    cw_if = 7,
    cw_while = 8,
    cw_for = 9,
    cw_arr = 10,
    cw_cmd = 11,
};

inline constexpr int code_word_count = 12;

struct code_word_info {
    code_word index;
    std::string_view word;       // stored and exported form; "" for the expression line
    std::string_view typed_word; // the first word that turns an expression line into this one
    bool full_width;             // the code spans the name and data columns in the grid
    std::string_view syntax_bar; // markup shown in the syntax bar while the line is edited
};

// ORDER CODE_WORD
inline constexpr std::array<code_word_info, code_word_count> code_word_table{{
    {cw_expression, "", "", false, R"(\x010\b=\b |   <expr>)"},
    {cw_rem, "rem", "rem", true, R"(\x010\bREM\b |   <anytext>)"},
    {cw_vb, "vb", "vb", true, R"(\x010\bVB\b |   <vbscript>)"},
    {cw_fmt, "fmt", "fmt", true, R"(\x010\bFMT\b |    <name> \b,\b <index> \b,\b <format>)"},
    {cw_dir, "dir", "dir", false, R"(\x010\bDIR\b |   \b"\b<path>\b"\b   | \bname\b)"},
    {cw_let, "let", "let", true, R"(\x010\bLET\b |    <name>  \b=\b  <expr>)"},
    {cw_incl, "incl", "include", true, R"(\x010\bINCL\b |   \b"\b<file>\b"\b)"},
    {cw_if, "if", "if", false, R"(\x010\bIF\b |   <expr>)"},
    {cw_while, "while", "while", false, R"(\x010\bWHILE\b |   <expr> or \bexit\b)"},
    {cw_for, "for", "for", false,
     R"(\x010\bFOR\b |   <estart> \bto\b <estop> [\bstep\b <estep>] or \bexit\b  | \bname\b)"},
    {cw_arr, "arr", "arr", false, R"(\x010\bARR\b |   <dim1> \b,\b <dim2> \b...\b   | \bname\b)"},
    {cw_cmd, "cmd", "cmd", true, R"(\x010\bCMD\b |   <command>)"},
}};

// The syntax bar text for a code word; "<syntax>" for an index outside the table.
std::string_view syntax_bar_text(int32_t word);

// The index of a stored code word. The comparison is exact (case matters): "rem" gives 1,
// "REM" gives 0, and any text that is not a word of rows 1 to 11 gives 0.
code_word code_word_from_text(std::string_view text);

// The stored form of a code word ("" for the expression line and for indexes outside the table).
std::string_view code_word_text(int32_t word);

// True for rem, vb, fmt, let, incl and cmd: lines whose code fills the whole row.
bool is_full_width_word(int32_t word);

inline bool is_valid_code_word(int32_t word) {
    return word >= 0 && word < code_word_count;
}

} // namespace mondrel
