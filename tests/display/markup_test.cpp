// The comment markup on the fake canvas: escapes and their arguments, toggles on a bold
// format, tab positions, clipping at the right edge, pictures and link icons, and picture
// names resolved through the image set or as files with failures logged.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/markup.h"
#include "display/picture_library.h"
#include "platform/diagnostic_log.h"
#include "platform/fake_canvas.h"

namespace mondrel {
namespace {

// Arial 8: characters 4 wide and 12 high; bold 5 wide. Size 10: 5 wide, bold 6.
font_record arial8(unsigned style = 0) {
    return {"Arial", 8, 0x000000, style};
}

struct markup_fixture : ::testing::Test {
    fake_canvas cv{1000, 20};
    fake_picture_source source;
    picture_library pictures{source};
    memory_log log;
    diagnostic_log* previous = set_diagnostic_log(&log);
    ~markup_fixture() override { set_diagnostic_log(previous); }

    text_extent draw(std::string_view text, unsigned style = 0, rect cell = {0, 0, 1000, 20},
                     bool markup = true) {
        markup_request req;
        req.cell = cell;
        req.font = arial8(style);
        req.markup = markup;
        req.x = cell.left;
        req.baseline = 16;
        return render_markup(cv, &pictures, req, text);
    }
    std::vector<const drawn_item*> drawn() const {
        std::vector<const drawn_item*> out;
        for (const drawn_item& d : cv.items)
            out.push_back(&d);
        return out;
    }
};

TEST_F(markup_fixture, escapes_that_are_not_escapes_draw_as_text) {
    struct {
        const char* text;
        const char* drawn; // all drawn characters, joined
    } cases[] = {
        {"\\\\b", "\\b"},     // a backslash, then b (not bold)
        {"ab\\s8", "ab\\s8"}, // one digit short at the end
        {"\\s8 x", "\\s8 x"}, // blank after the digit
        {"\\s8x", "\\s8x"},       {"\\s08x", "x"}, {"\\s 8x", "x"},
        {"\\c[12", "\\c[12"},     // no closing bracket
        {"\\c [1]x", "\\c [1]x"}, // bracket not right after the letter
        {"\\qx", "\\qx"},         // unknown letter
        {"x\\", "x\\"},           // backslash at the end
        {"\\t[anything]y", "y"},  {"\\h20z", "z"}, {"\\x 1 a", "\\x 1 a"}, // blank after a digit
    };
    for (const auto& c : cases) {
        cv.items.clear();
        draw(c.text);
        std::string all;
        for (const std::string& t : cv.texts())
            all += t;
        EXPECT_EQ(all, c.drawn) << c.text;
    }
}

TEST_F(markup_fixture, markup_off_draws_every_character) {
    draw("\\bx\\p[open]", 0, {0, 0, 1000, 20}, false);
    ASSERT_EQ(cv.texts().size(), 1u);
    EXPECT_EQ(cv.texts()[0], "\\bx\\p[open]");
    EXPECT_TRUE(source.image_lookups.empty());
}

TEST_F(markup_fixture, bold_toggles_start_off_whatever_the_format) {
    // On a bold format the first \b changes nothing, the second removes bold.
    draw("a\\bb\\bc", style_bold);
    ASSERT_EQ(cv.texts(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(cv.find_text("a")->font.style & style_bold);
    EXPECT_TRUE(cv.find_text("b")->font.style & style_bold);
    EXPECT_FALSE(cv.find_text("c")->font.style & style_bold);

    cv.items.clear();
    draw("\\bthis\\b \\c[$0000FF]is\\i!");
    EXPECT_TRUE(cv.find_text("this")->font.style & style_bold);
    EXPECT_EQ(cv.find_text("this")->font.colour, 0u);
    EXPECT_FALSE(cv.find_text(" ")->font.style & style_bold);
    EXPECT_EQ(cv.find_text("is")->font.colour, 0x0000FFu);
    EXPECT_TRUE(cv.find_text("!")->font.style & style_italic);
}

TEST_F(markup_fixture, colour_values_apply_only_when_they_read_whole) {
    struct {
        const char* text;
        colour_value colour;
    } cases[] = {
        {"\\c[$0000FF]x", 0x0000FF},
        {"\\c[255]x", 255},
        {"\\c[red]x", 0},
        {"\\c[$12G]x", 0},
        {"\\c[]x", 0},
        {"\\c[$]x", 0},
        {"\\c[99999999999]x", 0},
        {"\\c[0x00FF00]x", 0x00FF00},
    };
    for (const auto& c : cases) {
        cv.items.clear();
        draw(c.text);
        ASSERT_NE(cv.find_text("x"), nullptr) << c.text;
        EXPECT_EQ(cv.find_text("x")->font.colour, c.colour) << c.text;
    }
}

TEST_F(markup_fixture, pen_positions_and_font_changes) {
    draw("ab\\x230\\s10\\bTable");
    const drawn_item* t = cv.find_text("Table");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->x, 230);
    EXPECT_EQ(t->font.size, 10);
    EXPECT_TRUE(t->font.style & style_bold);
    EXPECT_EQ(t->y, 16 - 14); // top = baseline - height (10 + 4)

    // \G at 12 (three characters of 4); "-" 70 after it; "text" 10 after the "-".
    cv.items.clear();
    const text_extent e = draw("...\\G...\\g070-\\g010text");
    EXPECT_EQ(cv.find_text("-")->x, 12 + 70);
    EXPECT_EQ(cv.find_text("text")->x, 82 + 10);
    EXPECT_EQ(e.width, 92 + 16);
    EXPECT_EQ(e.height, 12);

    // \x in a cell that does not start at 0 counts from the cell's left.
    cv.items.clear();
    draw("\\x010y", 0, {100, 0, 300, 20});
    EXPECT_EQ(cv.find_text("y")->x, 110);

    cv.items.clear();
    draw("\\f[Courier New]\\s12c");
    EXPECT_EQ(cv.find_text("c")->font.name, "Courier New");
    EXPECT_EQ(cv.find_text("c")->font.size, 12);
}

TEST_F(markup_fixture, text_is_cut_at_the_first_character_crossing_the_right_edge) {
    // Cell 0..30: seven characters of 4 end at 28, the eighth would end at 32.
    const text_extent e = draw("abcdefghij", 0, {0, 0, 30, 20});
    EXPECT_EQ(cv.texts(), (std::vector<std::string>{"abcdefg"}));
    EXPECT_EQ(e.width, 32); // the character that crossed is counted, then the walk stops
    cv.items.clear();
    // Nothing after the cut is looked at, pictures included.
    draw("abcdefgh\\p[red_dot]", 0, {0, 0, 30, 20});
    EXPECT_TRUE(source.image_lookups.empty());
    // A picture itself is not clipped.
    cv.items.clear();
    draw("abcdef\\p[red_dot]", 0, {0, 0, 30, 20});
    ASSERT_EQ(cv.items.size(), 2u);
    EXPECT_EQ(cv.items[1].kind, drawn_kind::image);
    EXPECT_EQ(cv.items[1].x, 24);
    // A backslash of "\\" is clipped like any character.
    cv.items.clear();
    draw("abcdefg\\\\x", 0, {0, 0, 30, 20});
    EXPECT_EQ(cv.texts(), (std::vector<std::string>{"abcdefg"}));
}

TEST_F(markup_fixture, tab_steps_far_past_the_edge_end_the_walk_before_overflow) {
    std::string text;
    for (int k = 0; k < 40000; ++k) // 40 million pixels of tab steps
        text += "\\g999";
    text += "\\p[open]x";
    const text_extent e = draw(text);
    EXPECT_GT(e.width, 1 << 24);
    EXPECT_LT(e.width, (1 << 24) + 1000);
    EXPECT_TRUE(cv.items.empty());
    EXPECT_TRUE(source.image_lookups.empty());
}

TEST_F(markup_fixture, measuring_draws_nothing_and_gives_the_same_extent) {
    markup_request req;
    req.cell = {0, 0, 1000, 20};
    req.font = arial8();
    req.draw = false;
    const text_extent m = render_markup(cv, &pictures, req, "\\bab\\p[open]\\s20c");
    EXPECT_TRUE(cv.items.empty());
    req.draw = true;
    const text_extent d = render_markup(cv, &pictures, req, "\\bab\\p[open]\\s20c");
    EXPECT_EQ(m, d);
    EXPECT_EQ(d.width, 5 + 5 + marker_size + 11);
    EXPECT_EQ(d.height, 24);
}

TEST_F(markup_fixture, pictures_stand_on_the_baseline_and_move_the_pen) {
    draw("a\\p[Green_Dot]b");
    ASSERT_EQ(cv.items.size(), 3u);
    EXPECT_EQ(cv.items[1].kind, drawn_kind::image);
    EXPECT_EQ(cv.items[1].text, "green_dot");
    EXPECT_EQ(cv.items[1].x, 4);
    EXPECT_EQ(cv.items[1].y, 16 - image_size);
    EXPECT_EQ(cv.items[2].x, 4 + image_size);
}

TEST_F(markup_fixture, link_icons_by_target) {
    struct {
        const char* target;
        const char* icon;
    } cases[] = {
        {"__back", "left_arrow"},       {"__newfile", "file_new"},   {"__examples", "right_arrow"},
        {"__backup", "right_arrow"},    {"**page", "file_existing"}, {"::http://x", "link"},
        {"sheet.mdr", "file_existing"}, {"", "file_existing"},
    };
    for (const auto& c : cases) {
        cv.items.clear();
        draw(std::string("\\a[") + c.target + "]");
        ASSERT_EQ(cv.items.size(), 1u) << c.target;
        EXPECT_EQ(cv.items[0].text, c.icon) << c.target;
        cv.items.clear();
        draw(std::string("\\A[") + c.target + "]");
        ASSERT_EQ(cv.items.size(), 1u) << c.target;
        EXPECT_EQ(cv.items[0].text, c.icon) << c.target;
    }
    EXPECT_TRUE(cv.texts().empty()); // the target itself is never drawn
}

TEST_F(markup_fixture, a_missing_picture_file_is_logged_once_and_skipped) {
    const text_extent e = draw("a\\p[nothere.png]b");
    EXPECT_EQ(cv.texts(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(cv.find_text("b")->x, 4); // the pen did not move
    EXPECT_EQ(e.width, 8);
    draw("\\p[nothere.png]");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "Unable to load picture file: nothere.png");
}

TEST(picture_library, image_set_first_then_files_relative_to_the_folder) {
    fake_picture_source source;
    source.files = {"/sheets/pics/chart.png", "/abs/x.bmp"};
    picture_library lib(source);
    lib.set_folder("/sheets");
    EXPECT_NE(lib.load_picture("open"), nullptr);
    EXPECT_EQ(lib.load_picture("open")->width(), marker_size);
    EXPECT_EQ(lib.load_picture("App_Icon")->width(), app_icon_size);
    EXPECT_EQ(lib.load_picture("zoom_out")->width(), image_size);
    EXPECT_EQ(lib.load_picture("while")->width(), image_size);
    EXPECT_EQ(source.image_lookups,
              (std::vector<std::string>{"open", "app_icon", "zoom_out", "while"}));
    EXPECT_TRUE(source.file_lookups.empty());

    EXPECT_NE(lib.load_picture("pics\\chart.png"), nullptr);
    EXPECT_NE(lib.load_picture("/abs/x.bmp"), nullptr);
    EXPECT_EQ(lib.load_picture("Pics/Chart.png"), nullptr); // files keep their case
    EXPECT_EQ(source.file_lookups, (std::vector<std::string>{"/sheets/pics/chart.png", "/abs/x.bmp",
                                                             "/sheets/Pics/Chart.png"}));
    EXPECT_EQ(image_set_names().size(), 2u + 49u + 5u + 1u);
}

} // namespace
} // namespace mondrel
