#pragma once
// Painting of the display's rows: each grid row is painted once into a picture of the whole
// row (and the header into one of its own); the grid's cell drawing copies the cell's
// rectangle out of it. Here are the layout of each column inside a row, the colours, which
// sheet format draws which column, the index boxes, the spill-over of a long last value and
// draw_text, which places one text in a cell.
//
// The painter reads the rows of an mrdisplay_rows and never changes them. Pictures are kept
// in a bounded cache (visible rows and a margin), so the memory does not grow with the sheet.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "display/mrdisplay_rows.h"
#include "display/picture_cache.h"
#include "display/prop_stuff.h"
#include "platform/canvas.h"

namespace mondrel {

class mondrel_doc;
class picture_library;

// The fixed colours of the grid ($BBGGRR).
inline constexpr colour_value grid_line_colour = 0xC0C0C0;
inline constexpr colour_value selected_value_colour = 0xD6EFEA;
inline constexpr colour_value selected_line_colour = 0xC0C0C0;
inline constexpr colour_value plain_background = 0xFFFFFF;
inline constexpr colour_value current_line_colour = 0x8080FF;
inline constexpr colour_value breakpoint_colour = 0xFF8080;
inline constexpr colour_value header_text_colour = 0x606060;

// Which sheet format draws what.
enum sheet_format_use {
    fmt_line_numbers = 0,
    fmt_word = 1,
    fmt_expression = 2,
    fmt_name = 3,
    fmt_rem = 4,
    fmt_vb = 5,
    fmt_data_numbers = 6,
    fmt_edit = 7,
};

// The header text of a column: "line", "word", "code", "name", "data", "[0]", "[1]", ...
std::string header_text(int column);

class row_painter {
public:
    row_painter(const mrdisplay_rows& rows, canvas_factory& factory, picture_library& pictures);

    // Takes the eight sheet formats of the document (copied) and forgets every picture.
    void set_sheet_formats(const mondrel_doc& doc);
    // The "Error message" format of the options.
    prop_list error_format = prop_list::from_text("colour:$0000FF");
    // Points added to every font size drawn (not to the line numbers and index boxes).
    int font_increment = 0;
    // Off while the rows are being rebuilt: cell drawing does nothing then.
    bool ready = true;
    // The row being edited in place and the code word chosen in its editor ("" none).
    int edit_row = -1;
    std::string edit_word;

    // The grid's cell drawing: copies the cell out of the row's picture, painting it first
    // when it is invalid or was painted in the other selection state. A cell whose rectangle
    // differs in size from the picture's column is left undrawn.
    void draw_cell(canvas& grid, int column, int grid_row, const rect& cell, bool selected);
    // Paints a row (or the header for row 0) into its picture.
    void paint_row(int grid_row, bool selected);
    // Invalidates a row's picture and draws the cell at once.
    void repaint_row(canvas& grid, int column, int grid_row, const rect& cell, bool selected);
    // Every row picture and the header become invalid (after the rows or columns changed).
    void invalidate_all();

    // A column's rectangle inside a row picture.
    rect col_rect(int column, int height) const;
    // The width of a row picture: every column with a width.
    int total_width() const;

    // Places a text in a cell: fills the background, measures, aligns and draws it in the
    // format's font (size plus font_increment) and colour. No format: background only.
    void draw_text(canvas& cv, std::string_view text, bool markup, colour_value background,
                   const prop_list* format, const rect& r);

    // What the last painting of a row found: marker and box rectangles (nullptr when the row
    // has no picture now).
    const row_picture* painted(int grid_row) const { return cache_.find(grid_row); }

    // Sets the cache to the rows on screen and three screens on either side.
    void set_visible_rows(int rows);
    const picture_cache& cache() const { return cache_; }
    // Row pictures painted so far (the header not counted).
    long paints() const { return paints_; }
    const canvas* header_picture() const { return header_.get(); }

private:
    void paint_header();
    void paint_line_cell(canvas& cv, const table_list_item& row, row_picture& entry, int height,
                         colour_value background);
    void paint_word_cell(canvas& cv, int grid_row, const table_list_item& row, int height,
                         colour_value background);
    void paint_boxes(canvas& cv, const table_list_item& row, row_picture& entry, int height,
                     colour_value background);
    void paint_values(canvas& cv, const table_list_item& row, int height, colour_value background);
    void grid_line(canvas& cv, const rect& r);
    font_record font_of(const prop_list& format, bool with_increment) const;
    canvas& picture_for(row_picture& entry, int width, int height);

    const mrdisplay_rows& rows_;
    canvas_factory& factory_;
    picture_library& pictures_;
    std::array<prop_list, 8> formats_;
    prop_list header_format_ =
        prop_list::from_text("align:centre; colour:$606060; bcolour:BTNFACE");
    std::unique_ptr<canvas> header_;
    bool header_painted_ = false;
    picture_cache cache_;
    long paints_ = 0;
};

} // namespace mondrel
