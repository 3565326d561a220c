#pragma once
// The display's own copy of a sheet, worked out once per refresh so that painting only draws:
// one display line per document line (its values already turned into cell text), and one row
// per grid row below the header.
//
// Nothing here is limited in depth: a value may sit in arrays nested to any level, and every
// level gets its index entry and its box.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mondrel {

class prop_list;

// Flags of a display line.
inline constexpr uint32_t dl_open = 1;       // children shown (open flag, or forced open)
inline constexpr uint32_t dl_readonly = 2;   // the line's read-only flag
inline constexpr uint32_t dl_breakpoint = 4; // the line's breakpoint flag
inline constexpr uint32_t dl_current = 8;    // the paused run stopped at this line

// Flags of a row.
inline constexpr uint32_t row_full_width = 1; // the code spans the name and data columns
inline constexpr uint32_t row_error = 2;      // the line's error text instead of values
inline constexpr uint32_t row_readonly = 4;   // copied from the display line
inline constexpr uint32_t row_breakpoint = 8; // copied from the display line
inline constexpr uint32_t row_current = 16;   // copied from the display line
// A further row of a line's values: no number, word, code or name.
inline constexpr uint32_t row_continuation = 32;

// Box values below zero; an index box at or above zero shows that index.
inline constexpr int32_t box_blank = -1;  // same index as the row above at this level
inline constexpr int32_t box_opened = -2; // first element of an opened array: "[0]"
inline constexpr int32_t box_closed = -3; // a closed array shown across the row: "[*]"

// One level of a value's place in nested arrays.
struct index_entry {
    int32_t index = 0;    // position at this level; 0 for the first element
    bool start = false;   // the value is the first element of an array at this level
    uint8_t expanded = 0; // that array is shown opened (read from the stored value)
};

// One value of a line, ready to draw.
struct data_list_item {
    std::vector<index_entry> indexes;  // outermost level first
    std::string text;                  // value_text of the value in its format
    const prop_list* format = nullptr; // not owned: the line's, an FMT result's or the default
};

// One document line as the display sees it; its position is the line's index.
struct display_list_item {
    int32_t count = 1; // one plus the number of direct children
    uint32_t flags = 0;
    int32_t code_word = 0;
    std::string name;
    std::string code;
    std::string format_text; // source text of the line's own format
    std::string error_text;  // the stored error; empty when none
    std::vector<data_list_item> values;

    bool has_flag(uint32_t f) const { return (flags & f) != 0; }
};

// One box of the data column.
struct index_box {
    int32_t value = box_blank; // >= 0 an index, or box_blank, box_opened, box_closed
    int32_t width = 1;         // in digits; lined up over the rows of one array
};

// One grid row below the header. A sheet of a million lines has a million of these, so a row
// holds only what is its own: the line's code, name, format and error texts and the values'
// texts stay in the display line, and the display object hands them out for a row (see
// mrdisplay_rows: code, name, cell and the others).
struct table_list_item {
    int32_t line = 0;        // document line, equal to the display line's position
    int32_t first_value = 0; // index of the line's first value shown on this row
    int32_t value_count = 0; // values of the line that start on this row
    uint32_t flags = 0;
    int32_t height = -1; // pixels; -1 when the display's default row height applies

    std::string line_text;   // outline number with blanked repeats, "*" for a closed head
    std::string full_number; // the whole outline number, e.g. "2.3"
    std::string_view word;   // the code word as stored, lower case ("" for an expression)

    std::vector<index_box> boxes;

    bool has_flag(uint32_t f) const { return (flags & f) != 0; }
};

// Text of a box as the data column shows it between its brackets: "*" for a closed array, "0"
// for an opened one, the index, or nothing for a blank box.
std::string box_text(const index_box& box);

// The text with its ASCII letters in capitals; other bytes (UTF-8 included) stay as they are,
// whatever the C locale says.
std::string upper_ascii(std::string_view s);

// The code word as the word column shows it: capitals, "" for rem, "=" for an expression.
std::string word_column_text(int32_t code_word);

} // namespace mondrel
