// Display rows: outline numbering, hiding under closed heads, values over rows and index
// boxes, the row height escape, and the way back from a grid cell to a line and value.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "display/mrdisplay_rows.h"
#include "display/prop_stuff.h"
#include "display_test_support.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"

namespace mondrel {
namespace {

using test::line_spec;
using test::longs;
using test::make_doc;
using test::store;

std::vector<std::string> column(const mrdisplay_rows& d, std::string table_list_item::*field) {
    std::vector<std::string> out;
    for (const table_list_item& r : d.rows())
        out.push_back(r.*field);
    return out;
}

std::string boxes_of(const table_list_item& row) {
    std::string s;
    for (const index_box& b : row.boxes)
        s += "[" + box_text(b) + ":" + std::to_string(b.width) + "]";
    return s;
}

std::string cells_of(const mrdisplay_rows& d, const table_list_item& row) {
    std::string s;
    for (int k = 0; k < d.cell_count(row); ++k)
        s += (s.empty() ? "" : ",") + d.cell(row, k).text;
    return s;
}

using strings = std::vector<std::string>;

TEST(display_numbering, open_and_closed_groups) {
    // 0 leaf, 1 head with children 2 and 3, 4 leaf.
    struct {
        bool open;
        strings line_text, full_number;
    } cases[] = {
        {true, {"1", "2.1", "  2", "  3", "3"}, {"1", "2.1", "2.2", "2.3", "3"}},
        {false, {"1", "2.*", "3"}, {"1", "2.1", "3"}},
    };
    for (const auto& c : cases) {
        auto doc = make_doc({{1, false}, {3, c.open}, {1, false}, {1, false}, {1, false}});
        mrdisplay_rows d;
        d.refresh(*doc);
        EXPECT_EQ(column(d, &table_list_item::line_text), c.line_text);
        EXPECT_EQ(column(d, &table_list_item::full_number), c.full_number);
    }
}

TEST(display_numbering, closed_head_hides_open_descendants_and_numbering_goes_on) {
    // 0 closed head { 1 open head { 2 }, 3 }, 4 leaf, 5 open head { 6 }.
    auto doc = make_doc(
        {{3, false}, {2, true}, {1, false}, {1, false}, {1, false}, {2, true}, {1, false}});
    mrdisplay_rows d;
    d.refresh(*doc);
    EXPECT_EQ(column(d, &table_list_item::line_text), (strings{"1.*", "2", "3.1", "  2"}));
    std::vector<int> lines;
    for (const auto& r : d.rows())
        lines.push_back(r.line);
    EXPECT_EQ(lines, (std::vector<int>{0, 4, 5, 6}));
    EXPECT_EQ(d.first_row_of_line(4), 2);
    EXPECT_EQ(d.first_row_of_line(2), 0) << "hidden lines have no row";

    d.refresh(*doc, /*force_open=*/true);
    EXPECT_EQ(column(d, &table_list_item::full_number),
              (strings{"1.1", "1.2.1", "1.2.2", "1.3", "2", "3.1", "3.2"}));
    EXPECT_EQ(column(d, &table_list_item::line_text),
              (strings{"1.1", "  2.1", "    2", "  3", "2", "3.1", "  2"}));
}

TEST(display_numbering, blanks_follow_the_digits_and_stop_at_six) {
    // A head at top-level place `place` is the first element of its group; the child after it
    // is indented by one blank more than the head's number has digits, but never by more than
    // six.
    struct {
        int place;
        std::string head, child;
    } cases[] = {
        {12, "12.1", "   2"},
        {9999, "9999.1", "     2"},
        {10000, "10000.1", "      2"},   // six blanks: the last width that is not cut
        {100000, "100000.1", "      2"}, // seven would follow the digits; six is the most
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.place);
        std::vector<line_spec> specs(c.place - 1, {1, false});
        specs.push_back({2, true});
        specs.push_back({1, false});
        auto doc = make_doc(specs);
        mrdisplay_rows d;
        d.refresh(*doc);
        ASSERT_EQ(d.grid_row_count(), c.place + 1);
        EXPECT_EQ(d.rows()[c.place - 1].line_text, c.head);
        EXPECT_EQ(d.rows()[c.place].line_text, c.child);
    }
}

TEST(display_numbering, any_depth_of_nesting) {
    // A chain of 40 heads, each the only child of the one above, ends in a leaf.
    const int depth = 40;
    std::vector<line_spec> specs;
    for (int k = 0; k < depth; ++k)
        specs.push_back({2, true});
    specs.push_back({1, false});
    specs.push_back({1, false});
    auto doc = make_doc(specs);
    mrdisplay_rows d;
    d.refresh(*doc);
    ASSERT_EQ(d.grid_row_count(), depth + 2);
    // Each head is the first element of its own group, so its only child is the second.
    std::string deepest = "1";
    for (int k = 0; k < depth; ++k)
        deepest += ".2";
    EXPECT_EQ(d.rows()[depth].full_number, deepest);
    EXPECT_EQ(d.rows()[depth + 1].full_number, "2") << "the top level continues after the chain";
}

TEST(display_numbering, a_hostile_depth_stays_linear_and_short) {
    // 20,000 nested heads: every number keeps the first and last levels and elides the rest,
    // and building takes time in proportion to the lines.
    const int depth = 20000;
    std::vector<line_spec> specs;
    for (int k = 0; k < depth; ++k)
        specs.push_back({2, k % 2 == 0});
    specs.push_back({1, false});
    auto doc = make_doc(specs);
    mrdisplay_rows d;
    d.refresh(*doc, /*force_open=*/true);
    ASSERT_EQ(d.grid_row_count(), depth + 1);
    size_t longest = 0;
    for (const auto& r : d.rows())
        longest = std::max({longest, r.full_number.size(), r.line_text.size()});
    EXPECT_LT(longest, 400u);
    const std::string& last = d.rows().back().full_number;
    EXPECT_EQ(last.substr(0, 6), "1.2.2.");
    EXPECT_NE(last.find("\u2026"), std::string::npos);
    EXPECT_EQ(last.substr(last.size() - 4), ".2.2");

    d.refresh(*doc);
    EXPECT_EQ(d.grid_row_count(), 2) << "the second head is closed: its line and the first";
    EXPECT_EQ(d.rows()[1].line_text, "  2.*");
}

TEST(display_rows, flags_word_and_full_width) {
    auto doc = make_doc({{1, false, cw_rem, R"(\h32 title)"},
                         {1, false, cw_let, "a=1"},
                         {1, false, cw_for, "1 to 3", "i"},
                         {1, false, cw_expression, "1/0", "x"},
                         {1, false}});
    doc->line(1).flags |= flag_readonly;
    doc->line(2).flags |= flag_breakpoint;
    doc->line(3).status = status_runtime_error;
    doc->line(3).error_text = "Division by zero";
    store(*doc, 3, longs({7}));
    mrdisplay_rows d;
    d.refresh(*doc, false, /*paused_line=*/4);
    const auto& r = d.rows();
    EXPECT_EQ(r[0].flags, row_full_width);
    EXPECT_EQ(r[0].height, 32);
    EXPECT_EQ(r[1].flags, row_full_width | row_readonly);
    EXPECT_EQ(r[1].height, -1);
    EXPECT_EQ(r[2].flags, row_breakpoint);
    EXPECT_EQ(r[2].word, "for");
    EXPECT_EQ(r[3].flags, row_error);
    EXPECT_EQ(d.error_text(r[3]), "Division by zero");
    EXPECT_EQ(d.cell_count(r[3]), 0) << "an error line shows no values";
    EXPECT_EQ(r[4].flags, row_current);
    EXPECT_EQ(d.row_height(1), 32);
    EXPECT_EQ(d.row_height(2), default_row_height);
    EXPECT_EQ(d.row_height(0), header_row_height);
}

TEST(display_rows, row_height_escape_follows_the_markup_grammar) {
    struct {
        const char* text;
        int height;
    } cases[] = {
        {R"(\h32)", 32},
        {R"(\h 8 wide)", 8},
        {R"(\h20 then \h40)", 40}, // the last one wins
        {R"(\h8)", -1},            // one character short
        {R"(\h8 x)", -1},          // a blank after the digit is not a number
        {R"(\h  )", -1},           // no digit at all
        {R"(\\h32)", -1},          // an escaped backslash followed by text
        {R"(\p[a\h32])", -1},      // inside a bracketed argument
        {R"(\p[a \h32)", 32},      // no closing bracket: \p is text, \h counts
        {R"(\s10\h16)", 16},
        {"", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(markup_row_height(c.text), c.height) << c.text;
}

TEST(display_rows, one_value_and_closed_and_opened_arrays) {
    auto doc = make_doc({{1, false, cw_expression, "5", "a"},
                         {1, false, cw_expression, "{1,2,3}", "b"},
                         {1, false}});
    store(*doc, 0, longs({5}));
    store(*doc, 1, longs({1, 2, 3}), {{-3}, {1}, {2}});
    mrdisplay_rows d;
    d.refresh(*doc);
    ASSERT_EQ(d.grid_row_count(), 3);
    EXPECT_EQ(boxes_of(d.rows()[0]), "");
    EXPECT_EQ(cells_of(d, d.rows()[0]), "5");
    EXPECT_EQ(boxes_of(d.rows()[1]), "[*:1]");
    EXPECT_EQ(cells_of(d, d.rows()[1]), "1,2,3");

    doc->line(1).results.opens[0][0] = 1;
    d.refresh(*doc);
    ASSERT_EQ(d.grid_row_count(), 5);
    const auto& r = d.rows();
    EXPECT_EQ(boxes_of(r[1]) + boxes_of(r[2]) + boxes_of(r[3]), "[0:1][1:1][2:1]");
    EXPECT_EQ(cells_of(d, r[1]) + cells_of(d, r[2]) + cells_of(d, r[3]), "123");
    for (int k : {2, 3}) {
        EXPECT_EQ(r[k].flags, row_continuation);
        EXPECT_EQ(r[k].line, 1);
        EXPECT_EQ(r[k].line_text + std::string(r[k].word) + std::string(d.code(r[k])) +
                      std::string(d.name(r[k])),
                  "");
        EXPECT_EQ(d.format_text(r[k]), d.format_text(r[1])) << "the line's format goes on";
    }
    EXPECT_EQ(r[4].line_text, "3");
}

TEST(display_rows, nested_arrays_give_one_box_per_level) {
    // {{1,2},{3,4}}: paths (-2,-2) (0,1) (1,-2) (1,1).
    const std::vector<si_array> paths{{-2, -2}, {0, 1}, {1, -2}, {1, 1}};
    struct {
        std::vector<bo_array> opens; // per value
        strings boxes, cells;
    } cases[] = {
        {{{0, 0}, {0, 0}, {0, 0}, {0, 0}}, {"[*:1]"}, {"1,2,3,4"}},
        {{{1, 0}, {0, 0}, {0, 0}, {0, 0}}, {"[0:1][*:1]", "[1:1][*:1]"}, {"1,2", "3,4"}},
        {{{1, 1}, {0, 0}, {0, 1}, {0, 0}},
         {"[0:1][0:1]", "[:1][1:1]", "[1:1][0:1]", "[:1][1:1]"},
         {"1", "2", "3", "4"}},
        // Second inner array opened, first closed.
        {{{1, 0}, {0, 0}, {0, 1}, {0, 0}},
         {"[0:1][*:1]", "[1:1][0:1]", "[:1][1:1]"},
         {"1,2", "3", "4"}},
    };
    for (const auto& c : cases) {
        auto doc = make_doc({{1, false, cw_expression, "x", "x"}});
        store(*doc, 0, longs({1, 2, 3, 4}), paths);
        doc->line(0).results.opens = c.opens;
        mrdisplay_rows d;
        d.refresh(*doc);
        strings boxes, cells;
        for (const auto& r : d.rows()) {
            boxes.push_back(boxes_of(r));
            cells.push_back(cells_of(d, r));
        }
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(cells, c.cells);
    }
}

TEST(display_rows, box_widths_line_up_over_one_array_including_the_first_row) {
    // An opened array of 12 values on the first line, then a closed one of 3 on the next.
    std::vector<vbs::Value> values;
    std::vector<si_array> paths;
    for (int k = 0; k < 12; ++k) {
        values.push_back(vbs::Value::long_(k));
        paths.push_back({static_cast<int16_t>(k == 0 ? -12 : k)});
    }
    auto doc = make_doc({{1, false, cw_expression, "a", "a"}, {1, false, cw_expression, "b", "b"}});
    store(*doc, 0, values, paths);
    doc->line(0).results.opens[0][0] = 1;
    store(*doc, 1, longs({1, 2, 3}), {{-3}, {1}, {2}});
    mrdisplay_rows d;
    d.refresh(*doc);
    ASSERT_EQ(d.grid_row_count(), 13);
    for (int r = 0; r < 12; ++r)
        EXPECT_EQ(d.rows()[r].boxes.at(0).width, 2) << "row " << r;
    EXPECT_EQ(d.rows()[12].boxes.at(0).width, 1) << "another array keeps its own width";
}

TEST(display_rows, values_stop_at_null_and_surplus_is_not_shown) {
    auto doc = make_doc({{1, false, cw_expression, "a", "a"}, {1, false, cw_expression, "b", "b"}});
    std::vector<vbs::Value> six = longs({1, 2, 3, 4, 5, 6});
    store(*doc, 0, six, {{-6}, {1}, {2}, {3}, {4}, {5}});
    std::vector<vbs::Value> with_null = longs({1, 2, 0});
    with_null[1] = vbs::Value::null();
    store(*doc, 1, with_null);
    mrdisplay_rows d;
    d.refresh(*doc);
    EXPECT_EQ(cells_of(d, d.rows()[0]), "1,2,3,4") << "at most data_cols values on a row";
    EXPECT_EQ(d.rows()[0].value_count, 6);
    EXPECT_EQ(d.lines()[1].values.size(), 1u);
    EXPECT_EQ(cells_of(d, d.rows()[1]), "1");

    // Back from a cell: the line and the value under it.
    EXPECT_EQ(d.value_at(1, first_value_column + 3).value, 3);
    EXPECT_EQ(d.value_at(1, first_value_column + 3).line, 0);
    EXPECT_EQ(d.value_at(1, first_value_column + 4).value, -1) << "a column past the shown values";
    EXPECT_EQ(d.value_at(1, 2).value, -1);
    EXPECT_EQ(d.value_at(2, 2).line, 1);
    EXPECT_EQ(d.value_at(0, 5).line, -1);
    EXPECT_EQ(d.value_at(3, 5).line, -1);
}

TEST(display_rows, value_at_on_continuation_rows) {
    auto doc = make_doc({{1, false, cw_expression, "a", "a"}});
    store(*doc, 0, longs({10, 20, 30}), {{-3}, {1}, {2}});
    doc->line(0).results.opens[0][0] = 1;
    mrdisplay_rows d;
    d.refresh(*doc);
    EXPECT_EQ(d.value_at(3, first_value_column).value, 2);
    EXPECT_EQ(d.value_at(3, first_value_column).line, 0);
}

TEST(display_rows, flipping_an_array_is_stored_on_the_value) {
    auto doc = make_doc({{1, false, cw_expression, "a", "a"}, {1, false}});
    store(*doc, 0, longs({1, 2, 3}), {{-3}, {1}, {2}});
    const int undo_steps = doc->history().undo_count();
    mrdisplay_rows d;
    d.refresh(*doc);
    EXPECT_FALSE(d.array_is_open(1, 0));
    ASSERT_TRUE(d.flip_array(1, 0));
    EXPECT_EQ(doc->line(0).results.opens[0][0], 1);
    EXPECT_EQ(d.grid_row_count(), 4);
    EXPECT_TRUE(d.array_is_open(1, 0));
    EXPECT_FALSE(d.flip_array(2, 0)) << "the second value does not start the array";
    EXPECT_FALSE(d.flip_array(1, 1)) << "no such level";
    EXPECT_FALSE(d.flip_array(4, 0)) << "a line without values";
    ASSERT_TRUE(d.flip_array(1, 0));
    EXPECT_EQ(doc->line(0).results.opens[0][0], 0);
    EXPECT_EQ(d.grid_row_count(), 2);
    EXPECT_EQ(doc->history().undo_count(), undo_steps) << "not an undo step";
    d.refresh(*doc);
    EXPECT_EQ(d.grid_row_count(), 2) << "the stored state survives a refresh";
}

TEST(display_rows, use_formats_off_gives_the_default_format) {
    auto doc = make_doc({{1, false, cw_expression, "a", "a"}});
    doc->line(0).format = std::make_unique<prop_list>(prop_list::from_text("colour:$0000FF"));
    store(*doc, 0, longs({1}));
    mrdisplay_rows d;
    d.refresh(*doc);
    ASSERT_EQ(d.cell_count(d.rows()[0]), 1);
    EXPECT_EQ(d.cell(d.rows()[0], 0).format, doc->line(0).format.get());
    d.use_formats = false;
    d.refresh(*doc);
    const prop_list* f = d.cell(d.rows()[0], 0).format;
    EXPECT_EQ(f, &d.default_format());
    EXPECT_EQ(f->name, "Arial");
    EXPECT_EQ(f->size, 8);
    EXPECT_EQ(f->colour, 0u);
}

TEST(display_rows, run_time_formats_are_laid_over_the_values_at_each_refresh) {
    auto doc = make_doc({{1, false, cw_expression, "{1,2,3}", "bill"},
                         {1, false, cw_expression, "{1,2,3}", "bill"}});
    store(*doc, 0, longs({1, 2, 3}), {{-3}, {1}, {2}});
    store(*doc, 1, longs({1, 2, 3}), {{-3}, {1}, {2}});
    fmt_result_list fmts;
    fmts.push_back(make_fmt_res_item("bill", 2, "number:0.00"));
    fmts.push_back(make_fmt_res_item("bill", 10, "number:0.000")); // past the capacity
    mrdisplay_rows d;
    d.refresh(*doc, false, -1, &fmts);
    EXPECT_EQ(cells_of(d, d.rows()[0]), "1,2,3.00") << "the first line of that name only";
    EXPECT_EQ(cells_of(d, d.rows()[1]), "1,2,3");
    d.use_formats = false;
    d.refresh(*doc, false, -1, &fmts);
    EXPECT_EQ(cells_of(d, d.rows()[0]), "1,2,3") << "formats off shows the default format";
}

TEST(display_rows, selection_collapses_and_stays_inside_the_rows) {
    auto doc = make_doc({{1, false}, {1, false}, {1, false}});
    doc->sel_first = 2;
    doc->sel_last = 3;
    mrdisplay_rows d;
    d.refresh(*doc);
    EXPECT_EQ(doc->sel_first, 2);
    EXPECT_EQ(doc->sel_last, 2);
    doc->sel_first = doc->sel_last = 9;
    d.refresh(*doc);
    EXPECT_EQ(doc->sel_first, 3);
    EXPECT_EQ(doc->sel_last, 3);
}

TEST(display_rows, columns_follow_the_document) {
    auto doc = make_doc({{1, false}});
    doc->set_display(6, 20, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110});
    mrdisplay_rows d;
    d.refresh(*doc);
    EXPECT_EQ(d.column_count(), 11);
    EXPECT_EQ(d.default_row_height(), 20);
    EXPECT_EQ(d.lefts().at(3), 60);
    EXPECT_EQ(d.lefts().at(10), 10 + 20 + 30 + 40 + 50 + 60 + 70 + 80 + 90 + 100);
}

TEST(display_stuff, capitals_touch_only_ascii_letters) {
    const std::pair<std::string, std::string> cases[] = {
        {"if", "IF"},
        {"Rem", "REM"},
        {"", ""},
        {"a_1 z", "A_1 Z"},
        {"gr\u00fc\u00dfe", "GR\u00fc\u00dfE"}, // UTF-8 bytes stay whole
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(upper_ascii(in), out) << in;
    EXPECT_EQ(word_column_text(cw_for), "FOR");
    EXPECT_EQ(word_column_text(cw_expression), "=");
    EXPECT_EQ(word_column_text(cw_rem), "");
}

} // namespace
} // namespace mondrel
