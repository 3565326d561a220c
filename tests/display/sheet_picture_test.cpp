// The whole-sheet picture and the placing of one text in a cell: width scaling, the walk over
// header and rows (rows of their own height included), alignment, the font increment and the
// printing variant.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "display/mrdisplay_rows.h"
#include "display/picture_library.h"
#include "display/row_painter.h"
#include "display/sheet_picture.h"
#include "display/sheet_print.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "platform/fake_canvas.h"

namespace mondrel {
namespace {

TEST(sheet_picture, scaled_widths_add_up_to_the_total) {
    struct {
        std::vector<int> widths;
        int total;
        std::vector<int> scaled;
    } cases[] = {
        {{50, 40, 180, 50, 50}, 740, {100, 80, 360, 100, 100}},
        {{50, 0, 50, -3, 50}, 100, {33, 0, 33, 0, 34}},
        {{10, 10, 10}, 1000, {333, 333, 334}},
        {{0, 0}, 500, {0, 0}},
        {{30, 30}, 1, {1, 1}}, // every column keeps at least a pixel
    };
    for (const auto& c : cases)
        EXPECT_EQ(scaled_widths(c.widths, c.total), c.scaled) << c.total;
}

struct sheet_fixture : ::testing::Test {
    fake_canvas_factory factory;
    fake_picture_source source;
    picture_library pictures{source};
    mrdisplay_rows rows;
    row_painter painter{rows, factory, pictures};
    std::unique_ptr<mondrel_doc> doc = std::make_unique<mondrel_doc>();

    void lines(const std::vector<std::pair<int32_t, std::string>>& specs) {
        doc->clear();
        for (const auto& [word, code] : specs) {
            line_ptr line = make_line(*doc, 1, word, "", code);
            line->format = std::make_unique<prop_list>(prop_list::from_text(""));
            doc->add_sli(std::move(line));
        }
        doc->structure_changed();
        rows.refresh(*doc);
        painter.set_sheet_formats(*doc);
    }
};

TEST_F(sheet_fixture, the_sheet_walk_copies_every_cell_below_the_header) {
    lines({{cw_rem, "\\h32title"}, {cw_expression, "1"}, {cw_expression, "2"}});
    EXPECT_EQ(sheet_picture_height(rows), 12 + 32 + 16 + 16);
    fake_canvas target(painter.total_width(), 76);
    paint_sheet(painter, rows, target);
    // Nine columns for the header and each of three rows.
    ASSERT_EQ(target.items.size(), 4u * 9u);
    std::vector<int> tops;
    for (size_t k = 0; k < target.items.size(); k += 9)
        tops.push_back(target.items[k].y);
    EXPECT_EQ(tops, (std::vector<int>{0, 12, 44, 60}));
    EXPECT_EQ(target.items[9].area, (rect{0, 0, 50, 32})); // the tall row's own picture
    EXPECT_EQ(painter.painted(1)->pic->height(), 32);
}

TEST_F(sheet_fixture, columns_without_width_and_sheets_without_rows_draw_nothing_amiss) {
    lines({});
    EXPECT_EQ(rows.grid_row_count(), 0);
    EXPECT_EQ(sheet_picture_height(rows), 12);
    fake_canvas target(painter.total_width(), 12);
    paint_sheet(painter, rows, target);
    EXPECT_EQ(target.items.size(), 9u); // the header's cells only

    lines({{cw_expression, "1"}});
    doc->col_widths().assign(doc->col_widths().size(), 0);
    rows.refresh(*doc);
    painter.invalidate_all();
    EXPECT_EQ(painter.total_width(), 0);
    target.items.clear();
    paint_sheet(painter, rows, target);
    painter.draw_cell(target, 0, 0, {0, 0, 0, 12}, false);
    painter.draw_cell(target, 0, 1, {0, 0, 0, 16}, false);
    EXPECT_TRUE(target.items.empty());
    EXPECT_EQ(painter.paints(), 0);
}

TEST_F(sheet_fixture, draw_text_aligns_and_adds_the_font_increment) {
    lines({{cw_expression, "1"}});
    fake_canvas cv(300, 20);
    const rect cell{100, 0, 200, 20};
    struct {
        const char* format;
        int x;
    } cases[] = {
        {"", 104}, // left: 4 pixels in
        {"align:right", 200 - 12 - 4},
        {"align:centre", 100 + (100 - 12) / 2},
    };
    for (const auto& c : cases) {
        cv.items.clear();
        const prop_list f = prop_list::from_text(c.format);
        painter.draw_text(cv, "abc", true, plain_background, &f, cell);
        ASSERT_NE(cv.find_text("abc"), nullptr) << c.format;
        EXPECT_EQ(cv.find_text("abc")->x, c.x) << c.format;
        EXPECT_EQ(cv.find_text("abc")->y, (20 - 12) / 2) << c.format;
    }
    painter.font_increment = 4;
    cv.items.clear();
    const prop_list plain = prop_list::from_text("");
    painter.draw_text(cv, "abc", true, plain_background, &plain, cell);
    EXPECT_EQ(cv.find_text("abc")->font.size, 12);
    // No format: the background only.
    cv.items.clear();
    painter.draw_text(cv, "abc", true, 0x123456, nullptr, cell);
    ASSERT_EQ(cv.items.size(), 1u);
    EXPECT_EQ(cv.items[0].kind, drawn_kind::fill);
    EXPECT_EQ(cv.items[0].colour, 0x123456u);
}

TEST(sheet_print_text, draws_escapes_as_text_without_background) {
    fake_canvas cv(300, 20);
    const prop_list f = prop_list::from_text("colour:$FF0000; align:right");
    const text_extent e = print_text(cv, "\\bx", false, f, {0, 0, 100, 20});
    EXPECT_EQ(e.width, 12);
    EXPECT_TRUE(cv.items.empty());
    print_text(cv, "\\bx", true, f, {0, 0, 100, 20});
    ASSERT_EQ(cv.items.size(), 1u); // no fill
    EXPECT_EQ(cv.items[0].text, "\\bx");
    EXPECT_EQ(cv.items[0].x, 100 - 12 - 4);
    EXPECT_EQ(cv.items[0].font.colour, 0xFF0000u);
    cv.items.clear();
    print_text(cv, "", true, f, {0, 0, 100, 20});
    EXPECT_TRUE(cv.items.empty());
}

} // namespace
} // namespace mondrel
