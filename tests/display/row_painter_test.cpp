// Row painting on the fake canvas: column rectangles, the line column's digit grid and
// markers, colours of selected, current and breakpoint rows, the word column, index boxes and
// their stored rectangles, the spill-over of a long last value, error rows, format
// backgrounds, the cell copy and the bounded picture cache.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "display/mrdisplay_rows.h"
#include "display/picture_library.h"
#include "display/row_painter.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "platform/fake_canvas.h"
#include "display_test_support.h"

namespace mondrel {
namespace {

using test::line_spec;
using test::make_doc;

void store(mondrel_doc& doc, int i, const std::vector<std::string>& texts,
           const std::vector<si_array>& paths = {}) {
    std::vector<vbs::Value> values;
    for (const std::string& t : texts)
        values.push_back(vbs::Value::string(t));
    test::store(doc, i, values, paths);
}

// Column widths 50, 40, 180, 50, 50 and 50 per value column: lefts 0, 50, 90, 270, 320, 370,
// 420, 470, 520; the row is 570 wide with four value columns.
struct painter_fixture : ::testing::Test {
    fake_canvas_factory factory;
    fake_picture_source source;
    picture_library pictures{source};
    mrdisplay_rows rows;
    row_painter painter{rows, factory, pictures};
    std::unique_ptr<mondrel_doc> doc;

    void show(std::unique_ptr<mondrel_doc> d, int paused_line = -1) {
        doc = std::move(d);
        rows.refresh(*doc, false, paused_line);
        painter.set_sheet_formats(*doc);
    }
    fake_canvas& painted(int grid_row, bool selected = false) {
        if (auto* known = painter.painted(grid_row); known && known->pic)
            dynamic_cast<fake_canvas&>(*known->pic).items.clear();
        painter.paint_row(grid_row, selected);
        return dynamic_cast<fake_canvas&>(*painter.painted(grid_row)->pic);
    }
    // The fills of a row picture that lie inside a column.
    static std::vector<colour_value> fills_in(const fake_canvas& cv, const rect& col) {
        std::vector<colour_value> out;
        for (const drawn_item& d : cv.items)
            if (d.kind == drawn_kind::fill && d.area.left >= col.left && d.area.left < col.right)
                out.push_back(d.colour);
        return out;
    }
};

TEST_F(painter_fixture, column_rectangles_skip_columns_without_width) {
    show(make_doc({{1, false}}));
    EXPECT_EQ(painter.col_rect(0, 16), (rect{0, 0, 50, 16}));
    EXPECT_EQ(painter.col_rect(2, 16), (rect{90, 0, 270, 16}));
    EXPECT_EQ(painter.col_rect(8, 20), (rect{520, 0, 570, 20}));
    EXPECT_EQ(painter.total_width(), 570);
    doc->col_widths()[1] = 0;
    doc->col_widths()[3] = -5;
    rows.refresh(*doc);
    EXPECT_EQ(painter.col_rect(1, 16), (rect{50, 0, 50, 16}));
    EXPECT_EQ(painter.col_rect(2, 16), (rect{50, 0, 230, 16}));
    EXPECT_EQ(painter.col_rect(3, 16), (rect{230, 0, 230, 16}));
    EXPECT_EQ(painter.col_rect(4, 16), (rect{230, 0, 280, 16}));
    EXPECT_EQ(painter.total_width(), 480);
}

TEST_F(painter_fixture, line_numbers_stand_on_a_digit_grid_with_markers) {
    // 1 (open, two children), its children, 2 (closed, one child).
    show(make_doc({{3, true}, {1, false}, {1, false}, {2, false}, {1, false}}));
    ASSERT_EQ(rows.grid_row_count(), 4);
    // format_0 is Arial 8: digits 4 wide, 12 high; row 16 high, so text tops at 2.
    fake_canvas& head = painted(1);
    EXPECT_EQ(head.find_text("1.")->x, 16);
    EXPECT_EQ(head.find_text("1")->x, 16 + 2 * 4);
    EXPECT_EQ(head.find_text("1.")->y, 2);
    EXPECT_EQ(painter.painted(1)->marker, (rect{2, 3, 2 + marker_size, 3 + marker_size}));
    const auto image = std::find_if(head.items.begin(), head.items.end(), [](const drawn_item& d) {
        return d.kind == drawn_kind::image;
    });
    ASSERT_NE(image, head.items.end());
    EXPECT_EQ(image->text, "close"); // an open line shows the picture that closes it

    // "  2": two blanks, so the 2 lands under the 1 of "1.1".
    fake_canvas& child = painted(2);
    EXPECT_EQ(rows.rows()[1].line_text, "  2");
    EXPECT_EQ(child.find_text("2")->x, 16 + 2 * 4);
    EXPECT_EQ(painter.painted(2)->marker, rect{});

    fake_canvas& closed = painted(4);
    EXPECT_EQ(rows.rows()[3].line_text, "2.*");
    EXPECT_EQ(closed.find_text("2.")->x, 16);
    EXPECT_EQ(closed.find_text("*")->x, 24);
    bool open_marker = false;
    for (const drawn_item& d : closed.items)
        open_marker |= d.kind == drawn_kind::image && d.text == "open";
    EXPECT_TRUE(open_marker);
}

TEST_F(painter_fixture, selection_current_line_and_breakpoint_colours) {
    auto d = make_doc({{1, false, cw_expression, "1", "a"},
                       {1, false, cw_expression, "2", "b"},
                       {1, false, cw_expression, "3", "c"}});
    d->line(1).flags |= flag_breakpoint;
    show(std::move(d), 2);
    const rect line = painter.col_rect(0, 16), value = painter.col_rect(6, 16);

    fake_canvas& plain = painted(1);
    EXPECT_EQ(fills_in(plain, line).front(), plain_background);
    EXPECT_EQ(fills_in(plain, value).front(), plain_background);
    fake_canvas& selected = painted(1, true);
    EXPECT_EQ(fills_in(selected, line).front(), selected_line_colour);
    EXPECT_EQ(fills_in(selected, value).front(), selected_value_colour);
    EXPECT_TRUE(painter.painted(1)->selected);

    fake_canvas& breakpoint = painted(2);
    EXPECT_EQ(fills_in(breakpoint, line).front(), breakpoint_colour);
    EXPECT_TRUE(breakpoint.find_text("2")->font.style & style_bold);
    EXPECT_EQ(breakpoint.find_text("2")->colour, breakpoint_colour);
    EXPECT_EQ(fills_in(breakpoint, value).front(), plain_background);

    fake_canvas& current = painted(3, true);
    EXPECT_TRUE(current.find_text("3")->font.style & style_bold);
    for (int c = 0; c < rows.column_count(); ++c)
        for (colour_value f : fills_in(current, painter.col_rect(c, 16)))
            EXPECT_EQ(f, current_line_colour) << "column " << c;
}

TEST_F(painter_fixture, word_column_and_full_width_lines) {
    show(make_doc({{1, false, cw_expression, "1+1"},
                   {1, false, cw_rem, "\\bnote\\b and more"},
                   {1, false, cw_vb, "x = 1"},
                   {1, false, cw_let, "y = 2"}}));
    const rect word = painter.col_rect(1, 16);
    fake_canvas& expr = painted(1);
    ASSERT_NE(expr.find_text("= "), nullptr);
    EXPECT_EQ(expr.find_text("= ")->x, word.right - 2 * 4 - 4); // right-aligned
    EXPECT_NE(expr.find_text("1+1"), nullptr);

    fake_canvas& rem = painted(2);
    EXPECT_EQ(rem.find_text("REM"), nullptr);
    ASSERT_NE(rem.find_text("note"), nullptr);
    EXPECT_TRUE(rem.find_text("note")->font.style & style_bold);
    EXPECT_EQ(rem.find_text("note")->x, 90 + 4);
    EXPECT_EQ(rem.find_text("note")->font.colour, 0x008000u); // format_4
    // The comment runs over the name, data and value columns: no grid line inside.
    for (const drawn_item& d : rem.items)
        if (d.kind == drawn_kind::line && d.x == d.x2) {
            EXPECT_TRUE(d.x < 90 || d.x == 569) << d.x;
        }

    fake_canvas& vb = painted(3);
    EXPECT_NE(vb.find_text("VB"), nullptr);
    EXPECT_EQ(vb.find_text("x = 1")->font.name, "Courier New"); // format_5
    fake_canvas& let = painted(4);
    EXPECT_EQ(let.find_text("y = 2")->font.name, "Arial"); // format_2

    painter.edit_row = 1;
    painter.edit_word = "if";
    EXPECT_NE(painted(1).find_text("IF"), nullptr);
}

TEST_F(painter_fixture, index_boxes_and_their_rectangles) {
    auto d = make_doc({{1, false, cw_expression, "{1,2,3}"}, {1, false}});
    store(*d, 0, {"1", "2", "3"}, {{-3}, {1}, {2}});
    show(std::move(d));
    fake_canvas& closed = painted(1);
    // format_6 Arial 8: "[" at 324, "*" centred in a 6-pixel field, "]" at 334.
    EXPECT_EQ(closed.find_text("[")->x, 324);
    EXPECT_EQ(closed.find_text("*")->x, 329);
    EXPECT_EQ(closed.find_text("]")->x, 334);
    EXPECT_EQ(closed.find_text("[")->y, 2);
    ASSERT_EQ(painter.painted(1)->boxes.size(), 1u);
    EXPECT_EQ(painter.painted(1)->boxes[0], (rect{324, 2, 338, 14}));
    EXPECT_EQ(closed.texts(), (std::vector<std::string>{"1", "= ", "{1,2,3}", "temp_1", "[", "*",
                                                        "]", "1", "2", "3"}));

    doc->line(0).results.opens[0][0] = 1;
    rows.refresh(*doc);
    painter.invalidate_all();
    fake_canvas& second = painted(2);
    EXPECT_NE(second.find_text("1"), nullptr);  // the box
    EXPECT_EQ(second.find_text("= "), nullptr); // a continuation row shows no word
    EXPECT_EQ(painter.painted(2)->marker, rect{});
}

TEST_F(painter_fixture, a_long_last_value_spills_only_when_left_aligned) {
    auto d = make_doc({{1, false, cw_expression, "x"}, {1, false, cw_expression, "y"}, {1, false}});
    store(*d, 0, {"short", "a long text of many characters"}, {{-3}, {1}});
    store(*d, 1, {"a long text of many characters"});
    d->line(1).format = std::make_unique<prop_list>(prop_list::from_text("align:right"));
    d->line(1).results.formats.assign(1, d->line(1).format.get());
    show(std::move(d));

    fake_canvas& spill = painted(1);
    const drawn_item* t = spill.find_text("a long text of many characters");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->x, 420 + 4); // from the second value column on, over the empty ones
    for (const drawn_item& i : spill.items)
        if (i.kind == drawn_kind::fill) {
            EXPECT_LT(i.area.left, 470); // nothing painted over the spilled text
        }

    fake_canvas& clipped = painted(2);
    ASSERT_EQ(clipped.texts().size(), 5u); // number, word, code, name, value
    const std::string cut = clipped.texts()[4];
    EXPECT_EQ(cut, "a long text "); // 12 characters of 4 fit in 370..420
    EXPECT_EQ(clipped.find_text(cut)->x, 370);
}

TEST_F(painter_fixture, error_rows_and_format_backgrounds) {
    auto d = make_doc({{1, false, cw_expression, "1/0"},
                       {1, false, cw_expression, "2"},
                       {1, false, cw_expression, "3"}});
    d->line(0).status = status_runtime_error;
    d->line(0).error_text = "Division by zero";
    store(*d, 1, {"42"});
    d->line(1).format = std::make_unique<prop_list>(prop_list::from_text("bcolour:$00FFFF"));
    d->line(1).results.formats.assign(1, d->line(1).format.get());
    store(*d, 2, {""});
    d->line(2).format = std::make_unique<prop_list>(prop_list::from_text("bcolour:$00FFFF"));
    d->line(2).results.formats.assign(1, d->line(2).format.get());
    show(std::move(d));

    fake_canvas& error = painted(1);
    const drawn_item* e = error.find_text("Division by zero");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->x, 370 + 4);
    EXPECT_EQ(e->font.colour, 0x0000FFu);

    fake_canvas& back = painted(2);
    EXPECT_EQ(back.find_text("42")->colour, 0x00FFFFu); // behind the characters only
    const rect cell = painter.col_rect(5, 16);
    EXPECT_EQ(fills_in(back, cell), (std::vector<colour_value>{plain_background}));

    fake_canvas& empty = painted(3);
    EXPECT_EQ(fills_in(empty, cell), (std::vector<colour_value>{plain_background, 0x00FFFF}));
}

TEST_F(painter_fixture, cells_are_copied_from_the_row_picture_when_sizes_agree) {
    show(make_doc({{1, false, cw_expression, "1"}, {1, false}}));
    fake_canvas grid(600, 400);
    painter.draw_cell(grid, 2, 1, {90, 12, 270, 28}, false);
    ASSERT_EQ(grid.items.size(), 1u);
    EXPECT_EQ(grid.items[0].area, (rect{90, 0, 270, 16}));
    EXPECT_EQ(painter.paints(), 1);
    painter.draw_cell(grid, 3, 1, {270, 12, 320, 28}, false);
    EXPECT_EQ(painter.paints(), 1); // the same picture
    painter.draw_cell(grid, 3, 1, {270, 12, 320, 28}, true);
    EXPECT_EQ(painter.paints(), 2);                          // selection changed
    painter.draw_cell(grid, 3, 1, {270, 12, 330, 28}, true); // a column being resized
    EXPECT_EQ(grid.items.size(), 3u);
    painter.repaint_row(grid, 3, 1, {270, 12, 320, 28}, true);
    EXPECT_EQ(painter.paints(), 3);
    painter.draw_cell(grid, 0, 0, {0, 0, 50, 12}, false);
    ASSERT_EQ(grid.items.size(), 5u);
    EXPECT_EQ(grid.items[4].area, (rect{0, 0, 50, 12}));
    const auto& header = dynamic_cast<const fake_canvas&>(*painter.header_picture());
    EXPECT_EQ(header.texts(), (std::vector<std::string>{"line", "word", "code", "name", "data",
                                                        "[0]", "[1]", "[2]", "[3]"}));
    painter.ready = false;
    painter.draw_cell(grid, 2, 1, {90, 12, 270, 28}, false);
    EXPECT_EQ(grid.items.size(), 5u);
    painter.draw_cell(grid, 2, 99, {90, 12, 270, 28}, false); // past the rows
    painter.ready = true;
    painter.draw_cell(grid, 2, 99, {90, 12, 270, 28}, false);
    painter.draw_cell(grid, 42, 1, {90, 12, 270, 28}, false);
    EXPECT_EQ(grid.items.size(), 5u);
}

TEST_F(painter_fixture, the_picture_cache_stays_bounded_and_scrolling_paints_new_rows_only) {
    std::vector<line_spec> specs(20000, line_spec{1, false, cw_expression, "1+2"});
    show(make_doc(specs));
    painter.set_visible_rows(60);
    fake_canvas grid(600, 2000);
    auto show_screen = [&](int top) {
        for (int r = top; r < top + 60; ++r)
            for (int c = 0; c < rows.column_count(); ++c) {
                const rect from = painter.col_rect(c, 16);
                painter.draw_cell(grid, c, r, {from.left, 0, from.right, 16}, false);
            }
        grid.items.clear();
    };
    show_screen(1);
    EXPECT_EQ(painter.paints(), 60);
    show_screen(61);
    EXPECT_EQ(painter.paints(), 120);
    show_screen(1); // back up: still cached
    EXPECT_EQ(painter.paints(), 120);
    for (int top = 1; top < 20000 - 60; top += 60)
        show_screen(top);
    EXPECT_LE(painter.cache().size(), painter.cache().capacity());
    EXPECT_EQ(painter.cache().capacity(), 420u);
    EXPECT_EQ(painter.cache().memory_bytes(), 420u * 570 * 16 * 4);
    EXPECT_LT(factory.made, 2000); // evicted pictures are reused
}

} // namespace
} // namespace mondrel
