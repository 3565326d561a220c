#pragma once
// The row-building half of the display object: it turns a document and its stored results
// into display lines and grid rows (outline numbers, hidden children of closed heads, values
// spread over columns and rows, index boxes) and maps a row and value column back to a line
// and value. It knows no grid: the window binds one and paints the rows; the headless runner
// and printing use the rows as they are.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "display/display_stuff.h"
#include "display/prop_stuff.h"
#include "execution/results.h"

namespace mondrel {

class mondrel_doc;

// Grid columns before the value columns: line, word, code, name, data (the index boxes).
inline constexpr int col_line = 0;
inline constexpr int col_word = 1;
inline constexpr int col_code = 2;
inline constexpr int col_name = 3;
inline constexpr int col_data = 4;
inline constexpr int fixed_columns = 5;
inline constexpr int first_value_column = 5;
// The display keeps 32 column widths, hence at most 27 value columns.
inline constexpr int display_width_entries = 32;
inline constexpr int header_row_height = 12;

// The row height a full-width line asks for with the markup escape \h and two characters (a
// number, leading blanks allowed); the last such escape wins. -1 when the text has none.
// Escapes are read as the markup renderer reads them, so "\\h20" is a backslash and text.
int markup_row_height(std::string_view text);

class mrdisplay_rows {
public:
    mrdisplay_rows();

    // Rebuilds display lines and rows from the document and its stored results. With
    // force_open every line counts as open (printing, the runner's --open-all). paused_line is
    // the line a paused run stopped at (-1 when the run is not paused). The run's format
    // results, when given, are laid over the stored values first. Keeps a pointer to the
    // document until the next refresh; the document must outlive the rows' use.
    void refresh(mondrel_doc& doc, bool force_open = false, int paused_line = -1,
                 const fmt_result_list* fmt_results = nullptr);

    // Rebuilds the rows from the display lines (after open states changed).
    void build_rows();

    // Column count, default row height and widths (as many as there are columns; missing
    // ones take the default). data_cols is kept within 1 to 27.
    void set_columns(int data_cols, int row_height, const std::vector<int>& widths);

    int data_cols() const { return data_cols_; }
    int column_count() const { return data_cols_ + fixed_columns; }
    const std::vector<int>& widths() const { return widths_; }
    const std::vector<int>& lefts() const { return lefts_; }
    int default_row_height() const { return row_height_; }
    // Height of grid row r (0 is the header).
    int row_height(int grid_row) const;

    // While off, every value is shown in the default format (Arial 8, black, left).
    bool use_formats = true;
    const prop_list& default_format() const { return default_format_; }

    const std::vector<display_list_item>& lines() const { return lines_; }
    std::vector<display_list_item>& lines() { return lines_; }
    const std::vector<table_list_item>& rows() const { return rows_; }
    // Grid rows are numbered from 1 below the header; row entry r - 1 belongs to grid row r.
    int grid_row_count() const { return static_cast<int>(rows_.size()); }

    // What a row shows of its line. A continuation row shows no code, name or error text;
    // it keeps the line's format text. The views stay valid until the next refresh.
    std::string_view code(const table_list_item& row) const;
    std::string_view name(const table_list_item& row) const;
    std::string_view error_text(const table_list_item& row) const;
    std::string_view format_text(const table_list_item& row) const;
    // The value cells a row shows, at most data_cols of them; cell k is the line's value
    // first_value + k, with its text and format.
    int cell_count(const table_list_item& row) const;
    const data_list_item& cell(const table_list_item& row, int k) const;

    // The line and value under a grid row and column. value is -1 outside the value columns or
    // past the values shown on that row; line is -1 for row 0 or a row past the end.
    struct value_ref {
        int line = -1;
        int value = -1;
    };
    value_ref value_at(int grid_row, int column) const;

    // The first grid row of a line, or 0 when the line has no row (hidden or out of range).
    int first_row_of_line(int line) const;

    // Flips the open state of the array that starts at `level` with the first value of grid
    // row `grid_row`: in the document's stored value and in the display's copy, then rebuilds
    // the rows. Not an undo step. False (nothing changed) when that value is not the start of
    // an array at that level.
    bool flip_array(int grid_row, int level);

    // The state an array level of a row's first value would flip from: true opened, false
    // closed; false too when there is no array start there.
    bool array_is_open(int grid_row, int level) const;

private:
    void make_display_lines(mondrel_doc& doc, bool force_open, int paused_line);
    void add_line_rows(int line_index, std::string line_text, std::string full_number);
    void line_value_rows(const display_list_item& line, int line_index);
    void line_up_box_widths();

    mondrel_doc* doc_ = nullptr;
    int data_cols_ = 4;
    int row_height_ = 16;
    std::vector<int> widths_;
    std::vector<int> lefts_;
    prop_list default_format_;
    std::vector<display_list_item> lines_;
    std::vector<table_list_item> rows_;
};

} // namespace mondrel
