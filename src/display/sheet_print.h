#pragma once
// Printing a codesheet: the source view (outline labels, code words and code, one line each)
// or the data view (the grid's columns scaled to the page, with index boxes and values), with
// a heading, a footer with the date and "Page: p of n", the margins and print formats of the
// settings. The layout works on a print_device, so it runs on paper, to PDF and on a fake
// device in tests alike.

#include <cstdint>
#include <string>
#include <string_view>

#include "display/prop_stuff.h"
#include "platform/canvas.h"

namespace mondrel {

class mondrel_doc;
class mrdisplay_rows;

// The printer as the layout needs it. Coordinates on the page canvas are device pixels.
class print_device {
public:
    virtual ~print_device() = default;
    // Starts the job; false when the printer refuses it (error() says why).
    virtual bool begin(std::string_view title) = 0;
    virtual bool new_page() = 0;
    virtual bool end() = 0;
    // Ends a job that will not be finished (nothing more is printed).
    virtual void abort() = 0;
    virtual int page_width() const = 0;  // printable width, device pixels
    virtual int page_height() const = 0; // printable height
    virtual int dpi_x() const = 0;       // logical pixels per inch across
    virtual int dpi_y() const = 0;       // and down
    // The current page; text drawn on it is clipped to the rectangle it is drawn in.
    virtual canvas& page() = 0;
    virtual std::string error() const = 0;
};

// Print flags.
inline constexpr int print_source_view = 1;
inline constexpr int print_line_numbers = 2;
inline constexpr int print_data_only = 4;
inline constexpr int print_selection_only = 8;

struct print_settings {
    int margin_left = 10, margin_right = 10, margin_top = 10, margin_bottom = 20; // mm
    std::string head_fmt = "align:centre; size:10; style:bold";
    std::string foot_fmt = "align:right; size:10";
    std::string def_fmt = "size:10";
    // The window's selected grid rows (from 1; first <= last), read with print_selection_only;
    // 0 when nothing is selected.
    int selection_first = 0, selection_last = 0;
};

struct print_outcome {
    bool ok = false; // the job ended normally
    int pages = 0;
    // For the user when not ok: the printer's error, or the loop guard's
    // "The margins leave no room for line N; printing stopped."
    std::string message;
};

// Places a text in a cell on paper: the format's font, measured and aligned as the grid
// aligns it, no background, markup off (escapes print as they stand), clipped at the cell's
// right edge. Draws only when asked and the text is not empty; returns the text's extent.
text_extent print_text(canvas& cv, std::string_view text, bool draw, const prop_list& format,
                       const rect& r);

// The footer's date: day without leading zero, English month abbreviation, four-digit year
// ("7-Dec-2026").
std::string print_date_text(int year, int month, int day);

// Prints a sheet. The data view prints `data_rows` (the window's rows as they are shown, with
// their open states and results); the source view builds rows of its own with every line
// open. `date_text` goes into the footer.
print_outcome print_sheet(mondrel_doc& doc, const mrdisplay_rows& data_rows, int flags,
                          const print_settings& settings, print_device& device,
                          std::string_view date_text);

} // namespace mondrel
