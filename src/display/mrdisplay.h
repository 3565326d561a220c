#pragma once
// The display object of the window's grid: it shows one document (the current tab's) through
// the rows (mrdisplay_rows) and their pictures (row_painter), keeps the grid's columns, rows
// and selection in step, and is where the user works on the sheet: hints, clicks on numbers,
// markers, code, names, index boxes and links, the in-place editors, and the line commands of
// the menus and keys, each an undo step on the document.
//
// It knows the window only through the ports of grid_ports.h, so every rule here runs and is
// tested without a window system.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "display/grid_ports.h"
#include "display/mrdisplay_rows.h"
#include "display/row_painter.h"
#include "document/clipboard.h"
#include "document/editing_commands.h"

namespace mondrel {

class mondrel_doc;
class picture_library;
class text_clipboard;

// The page loader's flags (load_ifile).
inline constexpr int ifile_own_tab = 1;
inline constexpr int ifile_page_name = 2;
inline constexpr int ifile_no_history = 4;
inline constexpr int ifile_example = 8;

// What a click was.
enum class click_kind { single, double_click };

class mrdisplay : private line_editor, private user_interface {
public:
    // The fields are the code and the name editor; all ports must outlive the display.
    mrdisplay(canvas_factory& factory, picture_library& pictures, display_host& host,
              text_field& code_field, text_field& name_field, text_clipboard& clipboard);
    ~mrdisplay() override;

    // Binds the grid widget (nullptr: none, as in tests of the rows alone).
    void set_grid(grid_control* grid);

    // --- rows --------------------------------------------------------------------------
    // Rebuilds every row from the document and its results and repaints. `paused_line` is
    // the line a paused run stopped at (-1 none); `fmt_results` the run's format results.
    // Both are kept for the refreshes the line commands do, so the results must stay alive
    // until the next call. An edit open on another document ends unsaved.
    void refresh(mondrel_doc& doc, int paused_line = -1,
                 const fmt_result_list* fmt_results = nullptr);
    // The bound document (nullptr before the first refresh).
    mondrel_doc* document() const { return doc_; }
    // Row count to the grid, every picture invalid, repaint.
    void update_grid();
    // Selects grid rows first..last (1-based), scrolls the first into view when the
    // selection changed, shows its number on the status bar.
    void select_rows(int first, int last);
    void show_row(int row);
    void show_line(int line);
    // The grid's columns were resized by the user: widths go back to the display and the
    // document. Ignored while the display itself sets the widths.
    void columns_resized(const std::vector<int>& widths);
    // The grid scrolled or was resized: the editors follow their cells.
    void grid_moved();
    // While a run is in progress on another thread the document must not be read: the rows
    // keep their own copies of the formats their values point at, so painting stays safe.
    // Until the next refresh, clicks, edits and line commands do nothing; hints, the wheel
    // and painting go on.
    void detach_from_document();

    // --- the grid model the widget paints from ---------------------------------------
    int row_count() const { return rows_.grid_row_count() + 1; } // with the header
    int row_height(int row) const { return rows_.row_height(row); }
    const std::vector<int>& widths() const { return rows_.widths(); }
    void draw_cell(canvas& grid, int column, int row, const rect& cell, bool selected);
    const mrdisplay_rows& rows() const { return rows_; }
    row_painter& painter() { return painter_; }

    // --- the mouse -----------------------------------------------------------------------
    // Positions are cells (column, row) as the grid maps the pointer, plus the point in the
    // grid's viewport coordinates for the marker and box zones. Row -1 / column -1: outside.
    void mouse_move(int column, int row, int x, int y);
    // The status-bar hint for a position (empty: none). Paints the row first when its
    // marker and boxes are not known yet.
    std::string hint_at(int column, int row, int x, int y);
    void press(int column, int row, int x, int y, bool right_button);
    void click(int column, int row, int x, int y, bool control, bool shift, click_kind kind);
    // One notch: down selects the next row, up the previous one (not while editing).
    void wheel(bool down);

    // --- in-place editing -----------------------------------------------------------------
    bool editing() const { return edit_row_ >= 0; }
    int edit_row() const { return edit_row_; }
    edit_kind editing_kind() const { return edit_kind_; }
    // The code word chosen for the line being edited (its word until the user picks another).
    int32_t edit_word() const { return edit_word_; }
    void start_edit(int row, edit_kind kind);
    void end_edit(end_edit_mode mode);

    // --- line commands (on the selected rows) -----------------------------------------------
    void add_line(int32_t word);
    void insert_line();
    void add_child_line();
    void toggle_open_closed();
    void open_list();  // Right arrow: open a closed list (rows only)
    void close_list(); // Left arrow
    void toggle_breakpoint();
    void expand_all();
    void collapse_all();
    void set_code_word(int32_t word);
    void copy_format();
    void paste_format();
    // Copy format has kept a format text: paste format has something to apply.
    bool holds_format() const { return !copied_format_.empty(); }
    // Puts the shown text of the selected rows' cells on the clipboard (code, name and
    // values, tab-separated, one row a line).
    void copy_cells();
    // Flips the document's auto run as one undo step; turning it on does not run the sheet.
    void toggle_auto_run();
    // Values drawn in their formats (on) or in the plain default format (off); the rows are
    // rebuilt at once.
    void set_use_formats(bool on);
    bool use_formats() const { return rows_.use_formats; }
    void edit_format(format_editor& editor);
    void convert_to_list();
    void convert_from_list();
    void delete_selection();
    void cut();
    void copy();
    void paste();
    void undo();
    void redo();
    // Follows the link a row's line begins with; a line without one opens or closes.
    void follow_link(int row);
    // The row's line begins with a link (Enter on it follows the link).
    bool is_link_row(int row) const;

    // The line of a row has children / is shown open (false for a row that does not exist).
    bool row_has_children(int row) const;
    bool row_is_open(int row) const;

    // The lines of the selected rows, in row order (continuation rows count once).
    std::vector<int> selected_lines() const;

    // Set by the window: points added to displayed fonts, the "Error message" format.
    void set_font_increment(int points);
    void set_error_format(const prop_list& format);

private:
    // line_editor (for editing_commands)
    bool active() const override;
    int line() const override;
    std::string code_text() const override;
    std::string name_text() const override;
    int32_t pending_word() const override;
    void set_pending_word(int32_t word) override;
    void delete_selected_text() override;
    void cut_selected_text() override;
    void start(int line, edit_kind kind, int32_t word) override;
    void close() override;
    // user_interface
    void information(std::string_view message) override;
    void refresh() override;

    editing_commands commands(format_editor* formats = nullptr);
    // True when a document is bound and may be read (no run holds it).
    bool usable() const { return doc_ && !detached_; }
    const table_list_item* row_entry(int row) const;
    const display_list_item* line_of_row(int row) const;
    bool full_width_row(int row) const;
    // What the last painting of a row found (marker and boxes, in the row picture's
    // coordinates), painting the row first when its picture is missing or invalid.
    const row_picture* painted_row(int row);
    bool on_marker(int row, int x, int y);
    int box_under(int row, int x, int y); // the box's level, -1 none
    std::string line_column_hint(int row, bool on_the_marker) const;
    void open_edit(int row, edit_kind kind, int32_t word);
    void place_editors();
    void place_field(text_field& field, const rect& cell, int format_index);
    void close_editors();
    text_field& edit_field() { return edit_kind_ == edit_kind::name ? name_field_ : code_field_; }
    // After a change: the rows are rebuilt, then the sheet runs when it auto-runs.
    void after_change();
    void done(); // every command ends here: the window updates its command states
    // Runs one command on the document through editing_commands (with `formats` for the
    // format editor), then done(). Nothing happens while no document may be read.
    template <typename Command>
    void line_command(Command&& command, format_editor* formats = nullptr);

    canvas_factory& factory_;
    display_host& host_;
    text_field& code_field_;
    text_field& name_field_;
    text_clipboard& clipboard_;
    grid_control* grid_ = nullptr;
    mondrel_doc* doc_ = nullptr;
    mrdisplay_rows rows_;
    row_painter painter_;
    clipboard_copier copier_;
    // The last refresh's paused line and format results, used again when a command refreshes.
    int paused_line_ = -1;
    const fmt_result_list* fmt_results_ = nullptr;
    // Set by detach_from_document until the next refresh: the document is not read then.
    bool detached_ = false;
    bool grid_live_ = false;
    bool link_cursor_ = false;
    int press_row_ = -1, press_col_ = -1;
    int edit_row_ = -1;
    int edit_line_ = -1; // the edited line: rows may be rebuilt while the edit is open
    edit_kind edit_kind_ = edit_kind::code;
    int32_t edit_word_ = 0;
    std::string copied_format_;
    std::vector<std::unique_ptr<prop_list>> own_formats_;
};

} // namespace mondrel
