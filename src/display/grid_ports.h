#pragma once
// What the display object needs of the window around it, as small interfaces: the grid widget,
// the two single-line editors that edit a line in place, and the main window (status bar,
// pop-up menu, pages and files that links open, the run). The window binds them to widgets;
// tests bind them to plain objects and drive the display without a window system.

#include <string>
#include <string_view>

#include "display/prop_stuff.h"
#include "platform/canvas.h"

namespace mondrel {

// The grid widget. Rows are numbered from 0 (the header); the display tells the grid how many
// rows there are and how high each is through mrdisplay's grid model (row_count, row_height,
// widths), and asks it for what only the widget knows: what is on screen and where.
class grid_control {
public:
    virtual ~grid_control() = default;
    // Row count, row heights or column widths changed: lay out again and repaint everything.
    virtual void layout_changed() = 0;
    // Repaints everything / one row (every cell of it).
    virtual void repaint_all() = 0;
    virtual void repaint_row(int row) = 0;
    // The first row shown below the header (1 when the grid is at its top), and how many rows
    // from there fit wholly on screen (at least 1).
    virtual int top_row() const = 0;
    virtual void set_top_row(int row) = 0;
    virtual int visible_rows() const = 0;
    // The selected rows (whole rows, every column), first <= last.
    virtual int selection_first() const = 0;
    virtual int selection_last() const = 0;
    virtual void set_selection(int first, int last) = 0;
    // A cell's rectangle in the grid's viewport coordinates, or an empty rectangle when the
    // cell is not on screen.
    virtual rect cell_rect(int column, int row) const = 0;
    // The pointing-hand cursor over a link line, the arrow elsewhere.
    virtual void set_link_cursor(bool on) = 0;
};

// One flat single-line editor laid over a grid cell (the code editor or the name editor).
class text_field {
public:
    virtual ~text_field() = default;
    virtual void set_text(std::string_view text) = 0;
    virtual std::string text() const = 0;
    // Font of the text; the editor keeps a left inner margin of `left_margin` pixels.
    virtual void set_font(const font_record& font, int left_margin) = 0;
    // Position and size in the grid's viewport coordinates.
    virtual void set_geometry(const rect& r) = 0;
    virtual void set_visible(bool visible) = 0;
    virtual bool visible() const = 0;
    virtual void select_all() = 0;
    virtual void take_focus() = 0;
    // The editor's own clipboard commands, acting on its selected text.
    virtual void delete_selected() = 0;
    virtual void cut() = 0;
    virtual void copy() = 0;
    virtual void paste() = 0;
};

// The main window as the display sees it.
class display_host {
public:
    virtual ~display_host() = default;
    // Recomputes title, tab labels and command states.
    virtual void update_actions() = 0;
    // The status bar: the dotted number of the first selected row, and the hint panel.
    virtual void show_line_number(std::string_view number) = 0;
    virtual void show_hint(std::string_view hint) = 0;
    // Whether hints go to the status bar ("status_line_hints").
    virtual bool status_line_hints() const = 0;
    // The line pop-up menu at a point of the grid's viewport.
    virtual void line_popup(int x, int y) = 0;
    // Links: a built-in page with the page loader's flags, the way back, a new sheet, a
    // codesheet file (as written in the link), and a target for the system's open action.
    virtual void load_ifile(const std::string& page, int flags) = 0;
    virtual void go_back() = 0;
    virtual void new_file() = 0;
    virtual void load_file(const std::string& name) = 0;
    virtual void open_external(const std::string& target) = 0;
    // A message box with an OK button.
    virtual void information(std::string_view message) = 0;
    // Runs the current sheet (after an edit when auto run is on). The window may run it later
    // (on a worker), refreshing the display when the run ends.
    virtual void run_sheet() = 0;
};

} // namespace mondrel
