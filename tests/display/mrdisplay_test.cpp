// The display object driven as the window drives it, through plain grid, editor and host
// objects: hints, clicks on numbers, markers, code, names, boxes and links, the in-place
// editors, the line commands and the clipboard, column widths, and painting after the rows
// were detached from a document a run works on.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "display/mrdisplay.h"
#include "display/picture_library.h"
#include "display_test_support.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "platform/fake_canvas.h"
#include "platform/text_clipboard.h"

namespace mondrel {
namespace {

using test::line_spec;
using test::longs;
using test::make_doc;

// A grid at its top: the header is 12 pixels high, the rows follow with the display's
// heights, the columns with its widths; `visible` rows fit on screen.
class fake_grid : public grid_control {
public:
    const mrdisplay* display = nullptr;
    int top = 1;
    int visible = 10;
    int sel_first = 1, sel_last = 1;
    int layouts = 0;
    std::vector<int> repainted_rows;
    bool link_cursor = false;
    std::function<void()> on_layout;

    void layout_changed() override {
        ++layouts;
        if (on_layout) on_layout();
    }
    void repaint_all() override {}
    void repaint_row(int row) override { repainted_rows.push_back(row); }
    int top_row() const override { return top; }
    void set_top_row(int row) override { top = row; }
    int visible_rows() const override { return visible; }
    int selection_first() const override { return sel_first; }
    int selection_last() const override { return sel_last; }
    void set_selection(int first, int last) override {
        sel_first = first;
        sel_last = last;
    }
    rect cell_rect(int column, int row) const override {
        const std::vector<int>& w = display->widths();
        if (column < 0 || column >= static_cast<int>(w.size()) || w[column] <= 0) return {};
        if (row < top || row >= top + visible) return {};
        const int left = std::accumulate(w.begin(), w.begin() + column, 0);
        int y = header_row_height;
        for (int r = top; r < row; ++r)
            y += display->row_height(r);
        return {left, y, left + w[column], y + display->row_height(row)};
    }
    void set_link_cursor(bool on) override { link_cursor = on; }
};

class fake_field : public text_field {
public:
    std::string value;
    font_record font;
    int margin = -1;
    rect geometry;
    bool shown = false;
    int selected_all = 0;
    int focused = 0;
    std::vector<std::string> ops;

    void set_text(std::string_view text) override { value = std::string(text); }
    std::string text() const override { return value; }
    void set_font(const font_record& f, int left_margin) override {
        font = f;
        margin = left_margin;
    }
    void set_geometry(const rect& r) override { geometry = r; }
    void set_visible(bool v) override { shown = v; }
    bool visible() const override { return shown; }
    void select_all() override { ++selected_all; }
    void take_focus() override { ++focused; }
    void delete_selected() override { ops.push_back("delete"); }
    void cut() override { ops.push_back("cut"); }
    void copy() override { ops.push_back("copy"); }
    void paste() override { ops.push_back("paste"); }
};

class fake_host : public display_host {
public:
    std::vector<std::string> calls; // links, pop-ups, messages and runs, in order
    std::vector<std::string> hints;
    std::string line_number;
    bool hints_on = true;
    int updates = 0;
    std::function<void()> on_run;

    void update_actions() override { ++updates; }
    void show_line_number(std::string_view n) override { line_number = std::string(n); }
    void show_hint(std::string_view h) override { hints.emplace_back(h); }
    bool status_line_hints() const override { return hints_on; }
    void line_popup(int x, int y) override {
        calls.push_back("popup " + std::to_string(x) + "," + std::to_string(y));
    }
    void load_ifile(const std::string& page, int flags) override {
        calls.push_back("page " + page + " " + std::to_string(flags));
    }
    void go_back() override { calls.push_back("back"); }
    void new_file() override { calls.push_back("new"); }
    void load_file(const std::string& name) override { calls.push_back("file " + name); }
    void open_external(const std::string& target) override { calls.push_back("open " + target); }
    void information(std::string_view m) override { calls.push_back("info " + std::string(m)); }
    void run_sheet() override {
        calls.push_back("run");
        if (on_run) on_run();
    }
};

struct point {
    int x, y;
};

struct display_fixture : ::testing::Test {
    fake_canvas_factory factory;
    fake_picture_source source;
    picture_library pictures{source};
    fake_host host;
    fake_field code, name;
    memory_clipboard clipboard;
    fake_grid grid;
    mrdisplay d{factory, pictures, host, code, name, clipboard};
    std::unique_ptr<mondrel_doc> doc;

    void SetUp() override {
        grid.display = &d;
        d.set_grid(&grid);
    }
    void show(std::unique_ptr<mondrel_doc> dd) {
        doc = std::move(dd);
        doc->auto_running = false;
        d.refresh(*doc);
    }
    // The middle of a cell; for the line column its right end, away from the marker.
    point in(int column, int row) const {
        const rect c = grid.cell_rect(column, row);
        if (column == col_line) return {c.right - 3, c.top + c.height() / 2};
        return {c.left + c.width() / 2, c.top + c.height() / 2};
    }
    point marker(int row) {
        d.painter().paint_row(row, false);
        const rect m = d.painter().painted(row)->marker;
        const rect c = grid.cell_rect(col_line, row);
        return {c.left + m.left + 4, c.top + m.top + 4};
    }
    point box(int row, size_t k) {
        d.painter().paint_row(row, false);
        const rect b = d.painter().painted(row)->boxes.at(k);
        const rect c = grid.cell_rect(col_data, row);
        const int dx = c.left - d.painter().col_rect(col_data, 0).left;
        return {dx + (b.left + b.right) / 2, c.top + (b.top + b.bottom) / 2};
    }
    void click(int column, int row, point p, bool control = false,
               click_kind kind = click_kind::single) {
        d.press(column, row, p.x, p.y, false);
        d.click(column, row, p.x, p.y, control, false, kind);
    }
    void click(int column, int row) { click(column, row, in(column, row)); }
    void double_click(int column, int row, point p) {
        click(column, row, p, false, click_kind::double_click);
    }
    int undo_steps() const { return doc->history().undo_count(); }
    std::string last_step() const {
        return doc->history().steps().empty() ? "" : doc->history().steps().back().name;
    }
};

// ---- Hints ------------------------------------------------------------------------------------

// Rows: 1 open head (one value), 2 its child, 3 a rem child, 4 a closed head, 5 a closed
// array, 6 a read-only link, 7 a read-only closed head, 8 a read-only plain line.
std::unique_ptr<mondrel_doc> hint_sheet() {
    auto doc = make_doc({{3, true, cw_expression, "1+1", "a"},
                         {1, false, cw_expression, "2"},
                         {1, false, cw_rem, "note"},
                         {2, false, cw_expression, "x"},
                         {1, false},
                         {1, false, cw_expression, "{1,2,3}", "arr"},
                         {1, false, cw_expression, "\\a[__Help] the help"},
                         {2, false, cw_rem, "heading"},
                         {1, false},
                         {1, false, cw_rem, "plain"}});
    for (int i : {6, 7, 8, 9})
        doc->line(i).flags |= flag_readonly;
    test::store(*doc, 0, longs({2}));
    test::store(*doc, 5, longs({1, 2, 3}), {{-3}, {1}, {2}});
    return doc;
}

TEST_F(display_fixture, hint_for_each_zone) {
    show(hint_sheet());
    ASSERT_EQ(d.rows().grid_row_count(), 8);
    enum zone { middle, on_marker, on_box0 };
    struct hint_case {
        int column, row;
        zone where;
        std::string hint;
    };
    const std::vector<hint_case> cases{
        {col_line, 1, middle, "Double click here to hide this line's children"},
        {col_line, 1, on_marker, "Click here to hide this line's children"},
        {col_line, 4, middle, "Double click here to show this line's children"},
        {col_line, 4, on_marker, "Click here to show this line's children"},
        {col_line, 2, middle, ""},
        {col_word, 1, middle, ""},
        {col_code, 1, middle, "Click here to edit the code for this line."},
        {col_name, 1, middle, "Click here to edit the name for this line."},
        {col_data, 1, middle, ""},
        {col_name, 3, middle, "Click here to edit the code for this line."},
        {col_data + 2, 3, middle, "Click here to edit the code for this line."},
        {col_data, 5, on_box0, "Click here to expand this array"},
        {col_code, 6, middle, "Click here to go to:  \"Help\""},
        {col_data, 6, middle, "Click here to go to:  \"Help\""},
        {col_name, 7, middle, "Click here to show this line's children"},
        {col_code, 8, middle, ""},
        {col_code, 0, middle, ""},
        {col_code, 9, middle, ""},
        {-1, 1, middle, ""},
        {d.rows().column_count(), 1, middle, ""},
    };
    for (const hint_case& c : cases) {
        point p{0, 0};
        if (c.row >= 1 && c.row <= 8 && c.column >= 0 && c.column < d.rows().column_count())
            p = c.where == on_marker ? marker(c.row)
                : c.where == on_box0 ? box(c.row, 0)
                                     : in(c.column, c.row);
        EXPECT_EQ(d.hint_at(c.column, c.row, p.x, p.y), c.hint)
            << "column " << c.column << " row " << c.row << " zone " << c.where;
    }
}

TEST_F(display_fixture, hint_for_an_open_array_and_while_editing) {
    show(hint_sheet());
    click(col_data, 5, box(5, 0));
    ASSERT_EQ(d.rows().grid_row_count(), 10) << "the array opened into three rows";
    EXPECT_EQ(d.hint_at(col_data, 5, box(5, 0).x, box(5, 0).y),
              "Click here to collapse this array");
    EXPECT_EQ(d.hint_at(col_code, 6, in(col_code, 6).x, in(col_code, 6).y), "")
        << "a continuation row cannot be edited";

    click(col_code, 1);
    ASSERT_TRUE(d.editing());
    EXPECT_EQ(d.hint_at(col_line, 4, 1, 1), "Click anywhere to finishing editing this line.");
}

TEST_F(display_fixture, mouse_move_shows_hints_only_when_asked_and_sets_link_cursor) {
    show(hint_sheet());
    const point p = in(col_code, 6);
    d.mouse_move(col_code, 6, p.x, p.y);
    ASSERT_EQ(host.hints.size(), 1u);
    EXPECT_EQ(host.hints.back(), "Click here to go to:  \"Help\"");
    EXPECT_TRUE(grid.link_cursor);
    d.mouse_move(col_code, 8, in(col_code, 8).x, in(col_code, 8).y);
    EXPECT_EQ(host.hints.back(), "") << "an empty hint clears the status bar";
    EXPECT_FALSE(grid.link_cursor);

    host.hints_on = false;
    d.mouse_move(col_code, 1, in(col_code, 1).x, in(col_code, 1).y);
    EXPECT_EQ(host.hints.size(), 2u);
}

// ---- Clicks on the line column
// -------------------------------------------------------------------

TEST_F(display_fixture, single_click_toggles_only_on_the_marker_double_click_anywhere) {
    show(make_doc({{2, false, cw_expression, "head"}, {1, false, cw_expression, "kid"}}));
    ASSERT_EQ(d.rows().grid_row_count(), 1);

    click(col_line, 1);
    EXPECT_FALSE(doc->line(0).is_open()) << "a single click beside the marker does nothing";
    EXPECT_EQ(undo_steps(), 0);

    double_click(col_line, 1, in(col_line, 1));
    EXPECT_TRUE(doc->line(0).is_open());
    EXPECT_EQ(d.rows().grid_row_count(), 2);
    EXPECT_EQ(last_step(), "toggle_open_closed");

    click(col_line, 1, marker(1));
    EXPECT_FALSE(doc->line(0).is_open());
    EXPECT_EQ(d.rows().grid_row_count(), 1);

    click(col_line, 2, in(col_line, 1));
    EXPECT_FALSE(doc->line(0).is_open()) << "a click below the last row does nothing";
}

TEST_F(display_fixture, a_click_needs_a_press_on_a_row) {
    show(make_doc({{2, false, cw_expression, "head"}, {1, false}}));
    const point m = marker(1);
    d.click(col_line, 1, m.x, m.y, false, false, click_kind::single);
    EXPECT_FALSE(doc->line(0).is_open()) << "no press was recorded: a keyboard click";
    d.press(col_line, 0, m.x, 5, false);
    d.click(col_line, 1, m.x, m.y, false, false, click_kind::single);
    EXPECT_FALSE(doc->line(0).is_open()) << "the press was on the header";
}

TEST_F(display_fixture, right_press_on_the_line_column_selects_and_opens_the_menu) {
    show(make_doc({{1, false, cw_expression, "a"},
                   {1, false, cw_expression, "b"},
                   {1, false, cw_expression, "c"}}));
    d.press(col_line, 2, 7, 30, true);
    EXPECT_EQ(doc->sel_first, 2);
    EXPECT_EQ(host.calls, std::vector<std::string>{"popup 7,30"});

    d.select_rows(1, 3);
    d.press(col_line, 2, 7, 30, true);
    EXPECT_EQ(doc->sel_first, 1) << "a row inside the selection keeps it";
    EXPECT_EQ(doc->sel_last, 3);

    d.press(col_code, 1, 100, 20, true);
    EXPECT_EQ(host.calls.size(), 2u) << "only the line column has the menu";
}

// ---- Editing -----------------------------------------------------------------------------------

TEST_F(display_fixture, click_on_code_opens_both_editors_over_their_cells) {
    show(make_doc({{1, false, cw_expression, "1+1", "a"}, {1, false}}));
    doc->sheet_format(fmt_name) = prop_list::from_text("name:Tahoma; size:9");
    d.set_font_increment(2);
    const int updates = host.updates;
    click(col_code, 1);
    ASSERT_TRUE(d.editing());
    EXPECT_EQ(d.edit_row(), 1);
    EXPECT_EQ(d.editing_kind(), edit_kind::code);
    EXPECT_EQ(code.value, "1+1");
    EXPECT_EQ(name.value, "a");
    EXPECT_TRUE(code.shown && name.shown);
    EXPECT_EQ(code.geometry, (rect{90, 12, 272, 30}));
    EXPECT_EQ(name.geometry, (rect{270, 12, 322, 30}));
    EXPECT_EQ(code.margin, 3);
    // format_2 is empty, so the code editor takes format_7's font; the name editor format_3's.
    EXPECT_EQ(code.font.name, "Arial");
    EXPECT_EQ(code.font.size, 8 + 2);
    EXPECT_EQ(name.font.name, "Tahoma");
    EXPECT_EQ(name.font.size, 9 + 2);
    EXPECT_EQ(code.focused, 1);
    EXPECT_EQ(name.focused, 0);
    EXPECT_GE(code.selected_all, 1);
    EXPECT_GE(name.selected_all, 1);
    EXPECT_GT(host.updates, updates);

    d.end_edit(end_edit_mode::cancel);
    click(col_name, 1);
    EXPECT_EQ(d.editing_kind(), edit_kind::name);
    EXPECT_EQ(name.focused, 1);
}

TEST_F(display_fixture, full_width_editor_spans_the_row_and_keeps_the_name) {
    show(make_doc({{1, false, cw_rem, "a comment"},
                   {1, false, cw_vb, "x = 1"},
                   {1, false, cw_incl, "\"lib.mdr\"", "kept"}}));
    doc->sheet_format(fmt_rem) = prop_list::from_text("name:Courier New; size:10");
    click(col_data, 1); // any column from the code column on edits the code
    ASSERT_TRUE(d.editing());
    EXPECT_EQ(d.editing_kind(), edit_kind::code);
    EXPECT_EQ(code.geometry, (rect{90, 12, 570 + 2, 30}));
    EXPECT_FALSE(name.shown);
    EXPECT_EQ(code.font.name, "Courier New");
    EXPECT_EQ(code.font.size, 10);
    code.value = "another comment";
    d.end_edit(end_edit_mode::commit);
    EXPECT_EQ(doc->line(0).code, "another comment");

    click(col_code, 2);
    EXPECT_EQ(code.font.name, "Courier New") << "vb lines use format_5";
    EXPECT_EQ(code.font.size, 8);

    click(col_code, 3);
    EXPECT_EQ(code.font.name, "Arial") << "other full-width lines: format_2, else format_7";
    EXPECT_FALSE(name.shown);
    code.value = "\"other.mdr\"";
    d.end_edit(end_edit_mode::commit);
    EXPECT_EQ(doc->line(2).code, "\"other.mdr\"");
    EXPECT_EQ(doc->line(2).name, "kept") << "the hidden name editor must not erase the name";
}

TEST_F(display_fixture, editor_of_a_row_off_screen_stays_hidden) {
    show(make_doc({{1, false, cw_expression, "a"}, {1, false, cw_expression, "b"}}));
    grid.visible = 1;
    d.start_edit(2, edit_kind::code);
    EXPECT_EQ(grid.top, 2) << "the selected row scrolls into view";
    grid.top = 1;
    d.grid_moved();
    EXPECT_TRUE(d.editing());
    EXPECT_FALSE(code.shown) << "the row is no longer on screen";
    grid.top = 2;
    d.grid_moved();
    EXPECT_TRUE(code.shown);
    EXPECT_EQ(code.geometry, (rect{90, 12, 272, 30}));
}

TEST_F(display_fixture, commit_cancel_and_unchanged_edits) {
    show(make_doc({{1, false, cw_expression, "1+1", "a"}, {1, false}}));
    click(col_code, 1);
    code.value = "2+2";
    d.end_edit(end_edit_mode::cancel);
    EXPECT_FALSE(d.editing());
    EXPECT_FALSE(code.shown);
    EXPECT_EQ(doc->line(0).code, "1+1") << "Esc leaves the line unchanged";
    EXPECT_EQ(undo_steps(), 0);

    click(col_code, 1);
    d.end_edit(end_edit_mode::commit);
    EXPECT_EQ(undo_steps(), 0) << "an edit that changed nothing is no undo step";

    click(col_name, 1);
    name.value = "b";
    d.end_edit(end_edit_mode::commit);
    EXPECT_EQ(doc->line(0).name, "b");
    EXPECT_EQ(undo_steps(), 1);
    EXPECT_EQ(last_step(), "end_edit");
    EXPECT_EQ(d.rows().lines()[0].name, "b") << "the display was refreshed";

    d.undo();
    EXPECT_EQ(doc->line(0).name, "a");
    EXPECT_EQ(d.rows().lines()[0].name, "a");
}

TEST_F(display_fixture, clicking_elsewhere_commits_the_edit) {
    show(make_doc({{1, false, cw_expression, "1", "a"}, {1, false, cw_expression, "2"}}));
    click(col_code, 1);
    code.value = "10";
    click(col_name, 1);
    EXPECT_TRUE(d.editing()) << "a click on the edited row's name keeps the edit";
    EXPECT_EQ(doc->line(0).code, "1");
    click(col_word, 2);
    EXPECT_FALSE(d.editing());
    EXPECT_EQ(doc->line(0).code, "10");
}

TEST_F(display_fixture, a_click_over_a_dragged_selection_selects_and_commits) {
    show(make_doc({{1, false, cw_expression, "1"},
                   {1, false, cw_expression, "2"},
                   {1, false, cw_expression, "3"}}));
    click(col_code, 1);
    code.value = "7";
    grid.set_selection(1, 3);
    click(col_code, 2);
    EXPECT_FALSE(d.editing());
    EXPECT_EQ(doc->line(0).code, "7");
    EXPECT_EQ(doc->sel_first, 1);
    EXPECT_EQ(doc->sel_last, 3);
    EXPECT_EQ(d.selected_lines(), (std::vector<int>{0, 1, 2}));
}

TEST_F(display_fixture, enter_on_the_last_line_adds_a_line_and_opens_it) {
    show(make_doc({{1, false, cw_expression, "1"}}));
    click(col_code, 1);
    code.value = "5";
    d.end_edit(end_edit_mode::commit_and_continue);
    EXPECT_EQ(doc->line(0).code, "5");
    ASSERT_TRUE(d.editing());
    EXPECT_EQ(d.edit_row(), 2);
    EXPECT_EQ(doc->line(1).code, "");
    EXPECT_EQ(code.value, "");
    EXPECT_TRUE(code.shown);
    EXPECT_EQ(code.geometry.top, 12 + 16);
    EXPECT_EQ(last_step(), "add_line");
}

TEST_F(display_fixture, enter_on_an_if_without_children_adds_a_child) {
    show(make_doc({{1, false, cw_if, "x > 1"}, {1, false}}));
    click(col_code, 1);
    d.end_edit(end_edit_mode::commit_and_continue);
    EXPECT_EQ(doc->line(0).count, 2);
    EXPECT_TRUE(doc->line(0).is_open());
    ASSERT_TRUE(d.editing());
    EXPECT_EQ(d.edit_row(), 2);
    EXPECT_EQ(d.rows().rows()[1].line, 1);
    EXPECT_EQ(last_step(), "add_child_line");
}

TEST_F(display_fixture, code_word_change_while_editing_waits_for_the_commit) {
    show(make_doc({{1, false, cw_expression, "note", "n"}, {1, false}}));
    click(col_code, 1);
    d.set_code_word(cw_rem);
    EXPECT_EQ(doc->line(0).code_word, cw_expression);
    EXPECT_EQ(d.painter().edit_word, "rem") << "the word column shows the chosen word";
    EXPECT_EQ(code.geometry.right, 572) << "a rem line's editor spans the row";
    EXPECT_FALSE(name.shown);
    d.end_edit(end_edit_mode::commit);
    EXPECT_EQ(doc->line(0).code_word, cw_rem);
    EXPECT_EQ(d.painter().edit_row, -1);
}

TEST_F(display_fixture, read_only_lines_and_documents_are_not_edited) {
    show(make_doc({{1, false, cw_expression, "a"}, {1, false, cw_expression, "b"}}));
    doc->line(0).flags |= flag_readonly;
    d.refresh(*doc);
    d.start_edit(1, edit_kind::code);
    EXPECT_FALSE(d.editing());
    doc->read_only = true;
    d.start_edit(2, edit_kind::code);
    EXPECT_FALSE(d.editing());
    EXPECT_FALSE(code.shown);
}

TEST_F(display_fixture, a_refresh_with_another_document_ends_the_edit) {
    show(make_doc({{1, false, cw_expression, "a"}}));
    click(col_code, 1);
    code.value = "typed";
    auto other = make_doc({{1, false, cw_expression, "other"}});
    d.refresh(*other);
    EXPECT_FALSE(d.editing());
    EXPECT_FALSE(code.shown);
    EXPECT_EQ(other->line(0).code, "other");
    d.refresh(*doc);
}

// ---- Line commands
// -------------------------------------------------------------------------------

TEST_F(display_fixture, new_lines_open_for_editing_on_their_rows) {
    show(make_doc({{1, false, cw_expression, "1"}, {1, false, cw_expression, "2"}}));
    d.add_line(cw_rem);
    EXPECT_EQ(last_step(), "add_line");
    ASSERT_TRUE(d.editing());
    EXPECT_EQ(d.edit_row(), 2);
    EXPECT_EQ(doc->line(1).code_word, cw_rem);
    EXPECT_EQ(code.geometry.right, 572) << "the rem line's editor spans the row";
    d.end_edit(end_edit_mode::cancel);

    d.select_rows(3, 3);
    d.insert_line();
    EXPECT_EQ(last_step(), "insert_line");
    EXPECT_EQ(d.edit_row(), 3);
    EXPECT_EQ(doc->line(2).code, "");
    EXPECT_EQ(doc->line(3).code, "2");
    d.end_edit(end_edit_mode::cancel);

    d.select_rows(1, 1);
    d.add_child_line();
    EXPECT_EQ(last_step(), "add_child_line");
    EXPECT_EQ(doc->line(0).count, 2);
    EXPECT_EQ(d.edit_row(), 2);
    EXPECT_EQ(d.rows().rows()[1].line, 1);
}

TEST_F(display_fixture, auto_run_after_a_new_line_still_edits_the_new_line) {
    show(make_doc({{1, false, cw_expression, "1"}, {1, false, cw_expression, "2"}}));
    doc->auto_running = true;
    host.on_run = [this] { d.refresh(*doc); };
    d.add_line(cw_expression);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "run"), 1);
    ASSERT_TRUE(d.editing());
    EXPECT_EQ(d.edit_row(), 2);
    EXPECT_EQ(code.value, "");
    EXPECT_EQ(code.geometry.top, 12 + 16);
}

TEST_F(display_fixture, clipboard_commands_act_on_the_editor_while_editing) {
    show(make_doc({{1, false, cw_expression, "1", "a"}, {1, false}}));
    click(col_name, 1);
    d.cut();
    d.copy();
    d.paste();
    d.delete_selection();
    EXPECT_EQ(name.ops, (std::vector<std::string>{"cut", "copy", "paste", "delete"}));
    EXPECT_TRUE(code.ops.empty());
    EXPECT_EQ(doc->line_count(), 2);
    EXPECT_EQ(undo_steps(), 0);
}

TEST_F(display_fixture, pasting_three_plain_lines_gives_three_rem_lines) {
    show(make_doc({{1, false, cw_expression, "1"},
                   {1, false, cw_expression, "2"},
                   {1, false, cw_expression, "3"}}));
    clipboard.set_text("alpha\r\nbeta\r\ngamma\r\n");
    d.select_rows(1, 2);
    d.paste();
    ASSERT_EQ(doc->line_count(), 5) << "with the trailing blank line";
    const char* codes[] = {"alpha", "beta", "gamma"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(doc->line(i).code_word, cw_rem);
        EXPECT_EQ(doc->line(i).code, codes[i]);
    }
    EXPECT_EQ(doc->line(3).code, "3");
    EXPECT_EQ(doc->sel_first, 1);
    EXPECT_EQ(doc->sel_last, 1) << "the selection collapses to its first row";
    EXPECT_EQ(d.rows().grid_row_count(), 5);
    EXPECT_EQ(last_step(), "edit_pasteExecute");
}

TEST_F(display_fixture, copy_then_paste_and_cut_lines) {
    show(make_doc({{1, false, cw_expression, "1", "one"}, {1, false, cw_rem, "two"}}));
    d.select_rows(1, 2);
    d.copy();
    ASSERT_TRUE(clipboard.text().has_value());
    EXPECT_NE(clipboard.text()->find("two"), std::string::npos);
    d.select_rows(2, 2);
    d.paste();
    ASSERT_EQ(doc->line_count(), 4) << "the pasted lines, then the trailing blank line";
    EXPECT_EQ(doc->line(1).code, "1");
    EXPECT_EQ(doc->line(1).name, "one");
    EXPECT_EQ(doc->line(2).code_word, cw_rem);
    EXPECT_EQ(doc->line(3).code, "");

    clipboard.clear();
    d.select_rows(1, 1);
    d.cut();
    EXPECT_EQ(last_step(), "edit_cutExecute");
    EXPECT_EQ(doc->line_count(), 3);
    ASSERT_TRUE(clipboard.text().has_value());
    EXPECT_NE(clipboard.text()->find("one"), std::string::npos);
}

TEST_F(display_fixture, copy_and_paste_format) {
    show(make_doc({{1, false, cw_expression, "1"}, {1, false, cw_expression, "2"}}));
    doc->line(0).format = std::make_unique<prop_list>(prop_list::from_text("colour:$0000FF"));
    d.copy_format();
    d.select_rows(2, 2);
    d.paste_format();
    EXPECT_EQ(doc->line(1).format->colour, 0x0000FFu);
    EXPECT_EQ(last_step(), "edit_paste_formatExecute");
}

TEST_F(display_fixture, selected_lines_count_continuation_rows_once) {
    show(make_doc({{1, false, cw_expression, "a"}, {1, false, cw_expression, "b"}}));
    test::store(*doc, 0, longs({1, 2, 3}), {{-3}, {1}, {2}});
    doc->line(0).results.opens[0][0] = 1;
    d.refresh(*doc);
    ASSERT_EQ(d.rows().grid_row_count(), 4);
    d.select_rows(1, 4);
    EXPECT_EQ(d.selected_lines(), (std::vector<int>{0, 1}));
    EXPECT_EQ(host.line_number, "1");
    d.select_rows(2, 3);
    EXPECT_EQ(d.selected_lines(), (std::vector<int>{0}));
}

// Copy cells takes the rows as shown: a continuation row has no code or name, and values
// follow their formats unless formats are off.
TEST_F(display_fixture, copy_cells_takes_the_shown_text_of_the_selected_rows) {
    show(make_doc({{1, false, cw_expression, "a", "x"}, {1, false, cw_expression, "b\tc", "y"}}));
    doc->line(0).format = std::make_unique<prop_list>(prop_list::from_text("number:0.00"));
    test::store(*doc, 0, longs({1, 2, 3}), {{-3}, {1}, {2}});
    doc->line(0).results.opens[0][0] = 1;
    test::store(*doc, 1, longs({7}));
    d.refresh(*doc);
    ASSERT_EQ(d.rows().grid_row_count(), 4);
    d.select_rows(1, 4);
    d.copy_cells();
    ASSERT_TRUE(clipboard.text().has_value());
    const std::string shown = *clipboard.text();
    EXPECT_EQ(shown.substr(0, shown.find("\r\n")), "a\tx\t1.00");
    EXPECT_NE(shown.find("\r\n\t\t2.00\r\n"), std::string::npos);
    EXPECT_NE(shown.find("b c\ty\t7\r\n"), std::string::npos);
    d.set_use_formats(false);
    d.select_rows(1, 1);
    d.copy_cells();
    EXPECT_EQ(*clipboard.text(), "a\tx\t1\r\n");
    // Nothing is copied while a line is being edited.
    clipboard.clear();
    click(col_code, 1);
    ASSERT_TRUE(d.editing());
    d.copy_cells();
    EXPECT_FALSE(clipboard.text().has_value());
}

TEST_F(display_fixture, row_questions_of_the_key_map) {
    show(make_doc({{2, true, cw_expression, "\\a[__Help] help"},
                   {1, false, cw_expression, "x\\a[__Help]"},
                   {2, false, cw_if, "1"},
                   {1, false}}));
    EXPECT_TRUE(d.is_link_row(1));
    EXPECT_FALSE(d.is_link_row(2)) << "a link counts only at the first character";
    EXPECT_TRUE(d.row_has_children(1));
    EXPECT_TRUE(d.row_is_open(1));
    EXPECT_TRUE(d.row_has_children(3));
    EXPECT_FALSE(d.row_is_open(3));
    EXPECT_FALSE(d.row_has_children(2));
    for (int outside : {0, -1, 99}) {
        EXPECT_FALSE(d.is_link_row(outside));
        EXPECT_FALSE(d.row_has_children(outside));
    }
}

TEST_F(display_fixture, auto_run_flips_as_an_undo_step_and_formats_are_kept) {
    show(make_doc({{1, false, cw_expression, "1"}}));
    EXPECT_FALSE(d.holds_format());
    doc->line(0).format = std::make_unique<prop_list>(prop_list::from_text("colour:$0000FF"));
    d.copy_format();
    EXPECT_TRUE(d.holds_format());
    d.toggle_auto_run();
    EXPECT_TRUE(doc->auto_running);
    EXPECT_EQ(last_step(), "run_gogoExecute");
    EXPECT_TRUE(host.calls.empty()) << "turning auto run on does not run the sheet";
    d.undo();
    EXPECT_FALSE(doc->auto_running);
}

TEST_F(display_fixture, wheel_moves_the_selection_but_not_while_editing) {
    show(make_doc({{1, false, cw_expression, "a"}, {1, false, cw_expression, "b"}}));
    d.wheel(true);
    EXPECT_EQ(doc->sel_first, 2);
    EXPECT_EQ(host.line_number, "2");
    d.wheel(true);
    EXPECT_EQ(doc->sel_first, 2) << "no row past the last";
    d.wheel(false);
    d.wheel(false);
    EXPECT_EQ(doc->sel_first, 1);
    d.start_edit(1, edit_kind::code);
    d.wheel(true);
    EXPECT_EQ(doc->sel_first, 1);
}

// ---- Arrays and links
// ------------------------------------------------------------------------------

TEST_F(display_fixture, array_box_opens_and_closes_without_an_undo_step) {
    show(make_doc({{1, false, cw_expression, "{1,2,3}"}, {1, false}}));
    test::store(*doc, 0, longs({1, 2, 3}), {{-3}, {1}, {2}});
    d.refresh(*doc);
    ASSERT_EQ(d.rows().grid_row_count(), 2);
    click(col_data, 1, box(1, 0));
    EXPECT_EQ(d.rows().grid_row_count(), 4);
    EXPECT_EQ(doc->line(0).results.opens[0][0], 1) << "the document keeps the open state";
    EXPECT_EQ(undo_steps(), 0);
    EXPECT_FALSE(d.editing());

    click(col_data, 1, box(1, 0)); // the "[0]" of the opened array
    EXPECT_EQ(d.rows().grid_row_count(), 2);
    EXPECT_EQ(doc->line(0).results.opens[0][0], 0);

    click(col_data, 1, {in(col_data, 1).x + 20, in(col_data, 1).y});
    EXPECT_EQ(d.rows().grid_row_count(), 2) << "beside the boxes nothing flips";
}

TEST_F(display_fixture, control_click_on_an_editable_link_line_follows_the_link) {
    show(make_doc({{1, false, cw_expression, "\\a[__Help] help", "n"}, {1, false}}));
    click(col_code, 1, in(col_code, 1), true);
    EXPECT_FALSE(d.editing());
    EXPECT_EQ(host.calls, std::vector<std::string>{"page Help 0"});
    click(col_code, 1);
    EXPECT_TRUE(d.editing()) << "without the control key the code is edited";
}

TEST_F(display_fixture, clicks_on_read_only_lines_follow_their_links) {
    struct link_case {
        std::string code;
        std::string call;
    };
    const std::vector<link_case> cases{
        {"\\a[__back]", "back"},
        {"\\a[__newfile] New", "new"},
        {"\\a[__Help] help", "page Help 0"},
        {"\\A[__Topic]", "page Topic 3"},
        {"\\a[**Loan] example", "page Loan 11"},
        {"\\a[::https://example.org/a b]", "open https://example.org/a b"},
        {"\\a[../sheets/budget.mdr]", "file ../sheets/budget.mdr"},
    };
    for (const link_case& c : cases) {
        host.calls.clear();
        show(make_doc({{1, false, cw_rem, c.code}, {1, false}}));
        doc->line(0).flags |= flag_readonly;
        d.refresh(*doc);
        click(col_name, 1);
        EXPECT_EQ(host.calls, std::vector<std::string>{c.call}) << c.code;
        EXPECT_FALSE(d.editing());
    }
}

TEST_F(display_fixture, a_link_counts_only_at_the_first_character) {
    show(make_doc({{2, false, cw_rem, "see \\a[__Help]"}, {1, false}, {1, false}}));
    doc->line(0).flags |= flag_readonly;
    d.refresh(*doc);
    click(col_code, 1);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(doc->line(0).is_open()) << "a read-only line without a link opens";
    EXPECT_FALSE(d.editing());
}

// ---- Columns and detaching
// ------------------------------------------------------------------------

TEST_F(display_fixture, resized_columns_go_to_the_document_unless_the_display_set_them) {
    show(make_doc({{1, false, cw_expression, "a"}}));
    const std::vector<int> widths{60, 40, 200, 70, 50, 55, 50, 50, 50};
    d.columns_resized(widths);
    EXPECT_EQ(d.widths(), widths);
    EXPECT_EQ(doc->col_widths(), widths);

    // Width notifications that the grid sends while the display lays it out are ignored.
    grid.on_layout = [this] { d.columns_resized(std::vector<int>(9, 10)); };
    d.update_grid();
    d.refresh(*doc);
    grid.on_layout = nullptr;
    EXPECT_EQ(d.widths(), widths);
    EXPECT_EQ(doc->col_widths(), widths);
}

TEST_F(display_fixture, editor_follows_a_resized_column) {
    show(make_doc({{1, false, cw_expression, "a", "n"}}));
    click(col_name, 1);
    d.columns_resized({50, 40, 100, 50, 50, 50, 50, 50, 50});
    EXPECT_EQ(name.geometry, (rect{190, 12, 242, 30}));
    EXPECT_EQ(code.geometry, (rect{90, 12, 192, 30}));
}

TEST_F(display_fixture, painting_after_detach_reads_nothing_of_the_document) {
    auto sheet = make_doc({{1, false, cw_expression, "{1,2,3}"}, {1, false, cw_expression, "x"}});
    sheet->line(0).format = std::make_unique<prop_list>(prop_list::from_text("colour:$0000FF"));
    sheet->line(1).format = std::make_unique<prop_list>(prop_list::from_text("colour:$00FF00"));
    test::store(*sheet, 0, longs({1, 2, 3}), {{-3}, {1}, {2}});
    test::store(*sheet, 1, longs({7, 8}));
    // The second value of line 1 has a format of a run's FMT result.
    auto fmt_result = std::make_unique<prop_list>(prop_list::from_text("colour:$FF0000"));
    sheet->line(1).results.formats[1] = fmt_result.get();
    sheet->auto_running = false;
    d.refresh(*sheet);

    std::vector<const prop_list*> before;
    for (const display_list_item& l : d.rows().lines())
        for (const data_list_item& v : l.values)
            before.push_back(v.format);
    d.detach_from_document();

    std::vector<const prop_list*> after;
    for (const display_list_item& l : d.rows().lines())
        for (const data_list_item& v : l.values)
            after.push_back(v.format);
    ASSERT_EQ(after.size(), 5u);
    for (size_t k = 0; k < after.size(); ++k) {
        EXPECT_NE(after[k], before[k]) << "value " << k << " still points into the document";
        EXPECT_TRUE(*after[k] == *before[k]);
    }
    EXPECT_EQ(after[0], after[2]) << "one copy for a format shared by several values";
    EXPECT_NE(after[3], after[4]);

    // The run frees the results and the sheet changes under the rows; painting goes on.
    sheet.reset();
    fmt_result.reset();
    d.update_grid();
    fake_canvas screen(800, 400);
    for (int r = 0; r <= d.rows().grid_row_count(); ++r)
        for (int c = 0; c < d.rows().column_count(); ++c) {
            const rect cell = grid.cell_rect(c, r);
            if (cell.width() > 0) d.draw_cell(screen, c, r, cell, false);
        }
    bool red_eight = false;
    for (int r = 1; r <= d.rows().grid_row_count(); ++r) {
        const auto& row = dynamic_cast<const fake_canvas&>(*d.painter().painted(r)->pic);
        for (const drawn_item& item : row.items)
            if (item.kind == drawn_kind::text && item.text == "8")
                red_eight = item.font.colour == 0xFF0000;
    }
    EXPECT_TRUE(red_eight) << "the copied FMT format still draws its value";

    // Commands leave the detached rows alone until the next refresh.
    d.add_line(cw_expression);
    d.start_edit(1, edit_kind::code);
    EXPECT_FALSE(d.editing());
}

} // namespace
} // namespace mondrel
