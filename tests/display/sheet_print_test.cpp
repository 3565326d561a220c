#include "display/sheet_print.h"

#include <gtest/gtest.h>

#include <set>

#include "display/fake_print_device.h"
#include "display/mrdisplay_rows.h"
#include "display_test_support.h"
#include "platform/diagnostic_log.h"

namespace mondrel {
namespace {

using test::longs;
using test::make_doc;
using test::store;

// 254 dots per inch make 10 pixels a millimetre: the default margins (10, 10, 10, 20 mm) put
// the page area at (100, 100) to (2000, 2770) on a 2100 x 2970 page.
constexpr int page_w = 2100, page_h = 2970, dpi = 254;
constexpr int L = 100, Xr = 2000;
// fake_canvas: a size 10 character is 5 pixels wide and 14 high.
constexpr int c9 = 5;

print_outcome print(mondrel_doc& doc, const mrdisplay_rows& rows, int flags,
                    fake_print_device& device, const print_settings& s = {}) {
    return print_sheet(doc, rows, flags, s, device, "7-Dec-2026");
}

// Every drawn text item on every page, with its page.
struct placed {
    size_t page;
    const drawn_item* item;
};
std::vector<placed> all_texts(fake_print_device& d, std::string_view text) {
    std::vector<placed> out;
    for (size_t p = 0; p < d.pages.size(); ++p)
        for (const drawn_item& it : d.pages[p]->items)
            if (it.kind == drawn_kind::text && it.text == text) out.push_back({p, &it});
    return out;
}

// The data view's scale: all the grid's column widths fill the page area's width.
double column_scale(const mrdisplay_rows& rows) {
    long sum = 0;
    for (int c = 0; c < rows.column_count(); ++c)
        sum += rows.widths()[c];
    return double(Xr - L) / double(sum);
}

TEST(sheet_print, one_line_sheet_prints_one_page_with_heading_and_footer) {
    auto doc = make_doc({{1, false, cw_let, "a = 1", "a"}});
    doc->set_display_name("sums.mcs");
    for (int flags : {print_source_view | print_line_numbers, print_line_numbers, 0}) {
        mrdisplay_rows rows;
        rows.refresh(*doc);
        fake_print_device dev(page_w, page_h, dpi);
        const print_outcome out = print(*doc, rows, flags, dev);
        EXPECT_TRUE(out.ok) << out.message;
        EXPECT_EQ(out.pages, 1);
        EXPECT_EQ(dev.pages.size(), 1u);
        EXPECT_EQ(dev.title, "Mondrel Print");
        EXPECT_TRUE(dev.ended);
        EXPECT_FALSE(dev.aborted);
        const drawn_item* foot = dev.page_at(0).find_text("7-Dec-2026    Page: 1 of 1");
        ASSERT_NE(foot, nullptr) << "flags " << flags;
        const drawn_item* head = dev.page_at(0).find_text("Mondrel - sums.mcs");
        ASSERT_NE(head, nullptr);
        // Default formats: the heading bold and centred, the footer right-aligned.
        const int head_w = 18 * (c9 + 1);
        EXPECT_EQ(head->x, L + (Xr - L - head_w) / 2);
        EXPECT_EQ(head->y, 100 + 10);
        EXPECT_EQ(foot->x, Xr - 26 * c9);
        EXPECT_EQ(foot->y, 2770 - (14 + 30) + 20);
        EXPECT_NE(dev.page_at(0).find_text("a = 1"), nullptr);
    }
}

TEST(sheet_print, source_labels_align_on_digit_widths) {
    // Lines 1 to 9, then 10 with two children: 10.1 and 10.2.
    std::vector<test::line_spec> specs(9, {1, false, cw_let, "x = 1"});
    specs.push_back({3, false, cw_let, "ten = 10"});
    specs.push_back({1, false, cw_let, "c1 = 1"});
    specs.push_back({1, false, cw_let, "c2 = 2"});
    auto doc = make_doc(specs);
    mrdisplay_rows unused;
    fake_print_device dev(page_w, page_h, dpi);
    const print_outcome out = print(*doc, unused, print_source_view | print_line_numbers, dev);
    ASSERT_TRUE(out.ok) << out.message;
    fake_canvas& pg = dev.page_at(0);
    // Closed line 10 still prints its children: the source view opens every line.
    ASSERT_NE(pg.find_text("c2 = 2"), nullptr);
    const drawn_item* nine = pg.find_text("9");
    ASSERT_NE(nine, nullptr);
    EXPECT_EQ(nine->x, L);
    // Line 10 is "10.1"; its children 10.2 and 10.3 show only their last part, which lines
    // up under the digit after "10.".
    const drawn_item* ten = pg.find_text("10.");
    ASSERT_NE(ten, nullptr);
    EXPECT_EQ(ten->x, L);
    const int head_y = pg.find_text("ten = 10")->y;
    for (const char* part : {"1", "2", "3"}) {
        const drawn_item* found = nullptr;
        for (const drawn_item& it : pg.items)
            if (it.kind == drawn_kind::text && it.text == part && it.y >= head_y) found = &it;
        ASSERT_NE(found, nullptr) << part;
        EXPECT_EQ(found->x, L + 3 * c9) << part;
    }
    EXPECT_EQ(pg.find_text("2")->x, L) << "line 2 itself";
    // Every code word starts after the widest label ("10.1") and 40 pixels.
    for (const placed& p : all_texts(dev, "LET"))
        EXPECT_EQ(p.item->x, L + 4 * c9 + 40);
}

TEST(sheet_print, code_words_share_one_column_on_every_page) {
    // Enough lines for three pages; the widest word ("INCL") and the longest label come only
    // on the last page, yet the first page already leaves room for them.
    std::vector<test::line_spec> specs(400, {1, false, cw_if, "x > 1"});
    specs.back() = {1, false, cw_incl, "\"lib.mcs\""};
    auto doc = make_doc(specs);
    mrdisplay_rows unused;
    fake_print_device dev(page_w, page_h, dpi);
    const print_outcome out = print(*doc, unused, print_source_view | print_line_numbers, dev);
    ASSERT_TRUE(out.ok) << out.message;
    ASSERT_GE(out.pages, 3);
    EXPECT_EQ(dev.pages.size(), static_cast<size_t>(out.pages));
    const int word_x = L + 3 * c9 + 40; // "400" is the longest label
    const int code_x = word_x + 4 * c9 + 40;
    std::set<size_t> pages_with_if;
    for (const placed& p : all_texts(dev, "IF")) {
        EXPECT_EQ(p.item->x, word_x) << "page " << p.page;
        pages_with_if.insert(p.page);
    }
    EXPECT_EQ(pages_with_if.size(), dev.pages.size());
    for (const placed& p : all_texts(dev, "x > 1"))
        ASSERT_EQ(p.item->x, code_x) << "page " << p.page;
    ASSERT_EQ(all_texts(dev, "INCL").size(), 1u);
    EXPECT_EQ(all_texts(dev, "INCL")[0].item->x, word_x);
    const std::string last_foot =
        "7-Dec-2026    Page: " + std::to_string(out.pages) + " of " + std::to_string(out.pages);
    EXPECT_NE(dev.pages.back()->find_text(last_foot), nullptr);
    EXPECT_NE(dev.page_at(0).find_text("7-Dec-2026    Page: 1 of " + std::to_string(out.pages)),
              nullptr);
}

TEST(sheet_print, continuation_rows_print_no_code_and_later_lines_keep_their_own) {
    auto doc =
        make_doc({{1, false, cw_expression, "{1,2,3}", "b"}, {1, false, cw_let, "y = 7", "y"}});
    store(*doc, 0, longs({1, 2, 3}), {{-3}, {1}, {2}});
    doc->line(0).results.opens[0][0] = 1; // the array shown opened: two continuation rows
    mrdisplay_rows unused;
    fake_print_device dev(page_w, page_h, dpi);
    ASSERT_TRUE(print(*doc, unused, print_source_view | print_line_numbers, dev).ok);
    fake_canvas& pg = dev.page_at(0);
    EXPECT_EQ(all_texts(dev, "{1,2,3}").size(), 1u);
    const drawn_item* label2 = pg.find_text("2");
    const drawn_item* code2 = pg.find_text("y = 7");
    ASSERT_NE(label2, nullptr);
    ASSERT_NE(code2, nullptr);
    EXPECT_EQ(label2->y, code2->y) << "line 2's label and code stay on one row";
    const drawn_item* word2 = pg.find_text("LET");
    ASSERT_NE(word2, nullptr);
    EXPECT_EQ(word2->y, code2->y);
    EXPECT_EQ(all_texts(dev, "= ").size(), 1u) << "continuation rows print no word";
}

// A data-view sheet: two lines with values.
struct data_sheet {
    std::unique_ptr<mondrel_doc> doc = make_doc({{1, false, cw_expression, "2 + 3", "a"},
                                                 {1, false, cw_expression, "2 + 4", "b"},
                                                 {1, false, cw_expression, "2 + 5", "c"}});
    mrdisplay_rows rows;
    data_sheet() {
        store(*doc, 0, longs({5}));
        store(*doc, 1, longs({6}));
        store(*doc, 2, longs({7}));
        rows.refresh(*doc);
    }
};

TEST(sheet_print, data_cells_only_start_at_the_left_margin) {
    data_sheet s;
    fake_print_device dev(page_w, page_h, dpi);
    ASSERT_TRUE(print(*s.doc, s.rows, print_data_only | print_line_numbers, dev).ok);
    fake_canvas& pg = dev.page_at(0);
    const drawn_item* five = pg.find_text("5");
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(five->x, L + 4);
    EXPECT_EQ(pg.find_text("2 + 3"), nullptr);
    EXPECT_EQ(pg.find_text("a"), nullptr);
    EXPECT_EQ(pg.find_text("= "), nullptr);
    EXPECT_EQ(pg.find_text("1"), nullptr) << "no line numbers with data cells only";
}

TEST(sheet_print, data_view_scales_columns_and_leaves_the_line_column_empty) {
    data_sheet s;
    fake_print_device dev(page_w, page_h, dpi);
    ASSERT_TRUE(print(*s.doc, s.rows, 0, dev).ok);
    fake_canvas& pg = dev.page_at(0);
    const drawn_item* word = pg.find_text("= ");
    ASSERT_NE(word, nullptr);
    // Column 0 prints with width 0, so the word column starts at the margin.
    EXPECT_EQ(word->x, L + 4);
    const int code_left = L + static_cast<int>(s.rows.widths()[1] * column_scale(s.rows));
    EXPECT_EQ(pg.find_text("2 + 3")->x, code_left + 4);
    ASSERT_NE(pg.find_text("a"), nullptr);
    ASSERT_NE(pg.find_text("5"), nullptr);
    EXPECT_EQ(pg.find_text("1"), nullptr);
}

TEST(sheet_print, selected_lines_only) {
    struct row_case {
        int first, last;
        std::vector<std::string> codes_expected;
    };
    const std::vector<row_case> cases = {
        {0, 0, {"2 + 3", "2 + 4", "2 + 5"}}, // nothing selected: every row
        {2, 2, {"2 + 4"}},
        {2, 3, {"2 + 4", "2 + 5"}},
    };
    for (const row_case& rc : cases) {
        data_sheet s;
        print_settings set;
        set.selection_first = rc.first;
        set.selection_last = rc.last;
        fake_print_device dev(page_w, page_h, dpi);
        ASSERT_TRUE(print(*s.doc, s.rows, print_selection_only, dev, set).ok);
        std::vector<std::string> codes;
        for (const std::string& t : dev.page_at(0).texts())
            if (t.size() == 5 && t[2] == '+') codes.push_back(t);
        EXPECT_EQ(codes, rc.codes_expected) << rc.first << ".." << rc.last;
    }
}

TEST(sheet_print, if_error_prints_red_from_the_first_value_column_to_the_right_margin) {
    auto doc = make_doc({{1, false, cw_if, "x >", ""}});
    const std::string err = "Syntax error: the expression ends too early, and this message is "
                            "long enough to run past the first value column";
    doc->line(0).error_text = err;
    mrdisplay_rows rows;
    rows.refresh(*doc);
    fake_print_device dev(page_w, page_h, dpi);
    ASSERT_TRUE(print(*doc, rows, print_line_numbers, dev).ok);
    const drawn_item* e = dev.page_at(0).find_text(err);
    ASSERT_NE(e, nullptr) << "the whole text prints, not cut at column 5";
    EXPECT_EQ(e->font.colour, 0x0000FFu);
    const double scale = column_scale(rows);
    int left = L;
    for (int c = 0; c < first_value_column; ++c)
        left += static_cast<int>(rows.widths()[c] * scale);
    EXPECT_EQ(e->x, left + 4);
    EXPECT_EQ(dev.page_at(0).find_text("IF")->font.colour, 0u);
}

TEST(sheet_print, margins_that_leave_no_room_stop_with_a_message) {
    auto doc = make_doc({{1, false, cw_let, "a = 1"}, {1, false, cw_let, "b = 2"}});
    memory_log log;
    diagnostic_log* before = set_diagnostic_log(&log);
    print_settings set;
    set.margin_bottom = 285; // 12 mm of a 297 mm page for heading, footer and rows
    for (int flags : {print_source_view | print_line_numbers, print_line_numbers}) {
        mrdisplay_rows rows;
        rows.refresh(*doc);
        fake_print_device dev(page_w, page_h, dpi);
        log.lines.clear();
        const print_outcome out = print(*doc, rows, flags, dev, set);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.message, "The margins leave no room for line 1; printing stopped.");
        EXPECT_TRUE(dev.aborted);
        EXPECT_FALSE(dev.ended);
        EXPECT_EQ(dev.pages.size(), 1u) << "nothing past the first sheet of paper";
        EXPECT_EQ(log.lines, std::vector<std::string>{"error: looping in mondrel_doc.print"});
    }
    set_diagnostic_log(before);
}

TEST(sheet_print, index_boxes_centre_their_text_in_digit_slots) {
    auto doc = make_doc({{1, false, cw_expression, "{1,2,3}", "b"}});
    store(*doc, 0, longs({1, 2, 3}), {{-3}, {1}, {2}});
    mrdisplay_rows rows;
    rows.refresh(*doc);
    fake_print_device dev(page_w, page_h, dpi);
    ASSERT_TRUE(print(*doc, rows, 0, dev).ok);
    fake_canvas& pg = dev.page_at(0);
    const drawn_item* open = pg.find_text("[");
    const drawn_item* star = pg.find_text("*");
    const drawn_item* close = pg.find_text("]");
    ASSERT_NE(open, nullptr);
    ASSERT_NE(star, nullptr);
    ASSERT_NE(close, nullptr);
    // One digit: a slot of c + 2 pixels after "[", the "*" centred in it, "]" after the slot.
    EXPECT_EQ(star->x, open->x + c9 + 1);
    EXPECT_EQ(close->x, open->x + c9 + c9 + 2);
    // The three values print left to right in the value columns.
    ASSERT_NE(pg.find_text("1"), nullptr);
    ASSERT_NE(pg.find_text("3"), nullptr);
    EXPECT_LT(close->x, pg.find_text("1")->x);
    EXPECT_LT(pg.find_text("1")->x, pg.find_text("3")->x);
}

TEST(sheet_print, printer_failures_are_reported_and_end_the_job) {
    auto doc = make_doc(std::vector<test::line_spec>(400, {1, false, cw_let, "a = 1"}));
    mrdisplay_rows unused;
    {
        fake_print_device dev(page_w, page_h, dpi);
        dev.refuse_begin = true;
        const print_outcome out = print(*doc, unused, print_source_view, dev);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.message, "The printer is not available.");
    }
    {
        fake_print_device dev(page_w, page_h, dpi);
        dev.refuse_page_after = 1;
        const print_outcome out = print(*doc, unused, print_source_view, dev);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.message, "The printer refused the page.");
        EXPECT_TRUE(dev.aborted);
        EXPECT_FALSE(dev.ended);
    }
}

TEST(sheet_print, date_text) {
    struct date_case {
        int y, m, d;
        const char* text;
    };
    for (const date_case& c :
         {date_case{2026, 12, 7, "7-Dec-2026"}, date_case{2027, 1, 31, "31-Jan-2027"},
          date_case{2000, 2, 29, "29-Feb-2000"}, date_case{1999, 9, 1, "1-Sep-1999"}})
        EXPECT_EQ(print_date_text(c.y, c.m, c.d), c.text);
}

} // namespace
} // namespace mondrel
