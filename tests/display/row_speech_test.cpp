// The grid's rows as a screen reader hears them: marked-up texts reduced to the characters
// they show, and each kind of row (expression, code word, comment, error, arrays, open and
// closed heads, breakpoints, the paused line) as one sentence.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/markup.h"
#include "display/mrdisplay_rows.h"
#include "display/row_speech.h"
#include "display_test_support.h"

namespace mondrel {
namespace {

using test::longs;
using test::make_doc;
using test::store;

TEST(markup_plain_text, escapes_drop_and_pen_moves_give_one_blank) {
    const struct {
        const char* markup;
        const char* plain;
    } cases[] = {
        {R"(\x010\bLET\b |    <name>  \b=\b  <expr>)", "LET | <name> = <expr>"},
        {R"(\s12\c[$0000FF]red\c[0] and \iitalic\i)", "red and italic"},
        {R"(a\x040b)", "a b"},                             // the pen jumps right: a gap
        {R"(\G1\g010\G2)", "1 2"},                         // tab steps too
        {R"(C:\\data\p[file_new]\a[Help]!)", "C:\\data!"}, // pictures and links give nothing
        {R"(\q is no escape)", R"(\q is no escape)"},
        {"  spaced \t out  ", "spaced out"},
        {R"(\h32\t[anchor])", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(markup_plain_text(c.markup), c.plain) << c.markup;
}

TEST(row_speech, each_kind_of_row_reads_as_the_grid_shows_it) {
    // 0 comment, 1 named expression, 2 LET with a breakpoint, 3 FOR head (open) with child 4
    // (an error), 5 IF head (closed) with child 6, 7 a closed array, 8 the blank line.
    auto doc = make_doc({{1, false, cw_rem, R"(\bTotals\b of the \iyear\i)"},
                         {1, false, cw_expression, "12.5 * 2", "x"},
                         {1, false, cw_let, "s = s + 1"},
                         {2, true, cw_for, "1 to 3", "i"},
                         {1, false, cw_expression, "1/0", "bad"},
                         {2, false, cw_if, "a > 1"},
                         {1, false, cw_expression, "7"},
                         {1, false, cw_expression, "{4,5,6}", "arr"},
                         {1, false}});
    store(*doc, 1, longs({25}));
    doc->line(2).flags |= flag_breakpoint;
    doc->line(4).status = status_runtime_error;
    doc->line(4).error_text = "Division by zero";
    store(*doc, 7, longs({4, 5, 6}), {{-3}, {1}, {2}});
    mrdisplay_rows rows;
    rows.refresh(*doc, false, /*paused_line=*/2);
    const std::vector<std::string> expected = {
        "Line 1: Totals of the year",
        "Line 2, x: 12.5 * 2 = 25",
        "Line 3, breakpoint, paused here: LET s = s + 1",
        "Line 4.1, i, open: FOR 1 to 3", // a head is the first of its group, as numbered
        "Line 4.2, bad: 1/0, error: Division by zero",
        "Line 5.1, closed: IF a > 1",
        "Line 6, arr: {4,5,6} = [*] 4, 5, 6",
        "Line 7: blank",
    };
    ASSERT_EQ(rows.grid_row_count(), static_cast<int>(expected.size()));
    for (int r = 1; r <= rows.grid_row_count(); ++r)
        EXPECT_EQ(row_speech(rows, r), expected[r - 1]) << "row " << r;
    EXPECT_EQ(row_speech(rows, 0), "") << "the header is no line";
    EXPECT_EQ(row_speech(rows, rows.grid_row_count() + 1), "");
}

TEST(row_speech, an_opened_array_names_every_row_with_its_whole_index) {
    // {{1,2},{3,4}} opened at both levels: the grid blanks repeated indexes, speech does not.
    auto doc = make_doc({{1, false, cw_expression, "m", "m"}, {1, false}});
    store(*doc, 0, longs({1, 2, 3, 4}), {{-2, -2}, {0, 1}, {1, -2}, {1, 1}});
    doc->line(0).results.opens = {{1, 1}, {0, 0}, {0, 1}, {0, 0}};
    mrdisplay_rows rows;
    rows.refresh(*doc);
    ASSERT_EQ(rows.grid_row_count(), 5);
    EXPECT_EQ(row_speech(rows, 1), "Line 1, m: m = [0][0] 1");
    EXPECT_EQ(row_speech(rows, 2), "Line 1, continued: [0][1] 2");
    EXPECT_EQ(row_speech(rows, 3), "Line 1, continued: [1][0] 3");
    EXPECT_EQ(row_speech(rows, 4), "Line 1, continued: [1][1] 4");
}

TEST(row_speech, the_selection_names_its_first_row_and_its_size) {
    auto doc = make_doc(
        {{1, false, cw_expression, "1", "a"}, {1, false, cw_expression, "2", "b"}, {1, false}});
    mrdisplay_rows rows;
    rows.refresh(*doc);
    EXPECT_EQ(selection_speech(rows, 2, 2), "Line 2, b: 2");
    EXPECT_EQ(selection_speech(rows, 1, 3), "Line 1, a: 1 (3 rows selected)");
    EXPECT_EQ(selection_speech(rows, 9, 12), "Line 3: blank") << "kept inside the rows";
    auto empty = make_doc({});
    rows.refresh(*empty);
    EXPECT_EQ(selection_speech(rows, 1, 1), "No lines");
}

} // namespace
} // namespace mondrel
