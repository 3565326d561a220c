#include "display/prop_stuff.h"

#include <gtest/gtest.h>

namespace mondrel {

// Failures show the set as its text.
static void PrintTo(const prop_list& p, std::ostream* os) {
    *os << '"' << p.full_text() << '"';
}

namespace {

TEST(prop_list, empty_text_gives_defaults_and_empty_texts) {
    prop_list p = prop_list::from_text("");
    EXPECT_EQ(p.name, "Arial");
    EXPECT_EQ(p.size, 8);
    EXPECT_EQ(p.colour, 0u);
    EXPECT_EQ(p.style, 0u);
    EXPECT_EQ(p.bcolour, no_background);
    EXPECT_EQ(p.align, prop_align::left);
    EXPECT_TRUE(p.number.empty() && p.number0.empty() && p.number_neg.empty() && p.date.empty());
    EXPECT_EQ(p.font_text(), "");
    EXPECT_EQ(p.full_text(), "");
}

TEST(prop_list, placeholder_is_all_zero) {
    prop_list p;
    EXPECT_EQ(p.name, "");
    EXPECT_EQ(p.size, 0);
    EXPECT_EQ(p.bcolour, 0u);
    EXPECT_FALSE(p == prop_list::from_text(""));
}

// One row per text: the fields it must give.
struct parse_case {
    const char* text;
    const char* name;
    int size;
    colour_value colour;
    unsigned style;
    colour_value bcolour;
    prop_align align;
    const char* date;
};

TEST(prop_list, parses_fields) {
    const unsigned bi = style_bold | style_italic;
    const parse_case cases[] = {
        // keys ignore case, values do not
        {"Colour:$FF0000; STYLE:bold italic", "Arial", 8, 0xFF0000, bi, no_background,
         prop_align::left, ""},
        {"style:Bold", "Arial", 8, 0, 0, no_background, prop_align::left, ""},
        {"style:  strikeout   underline  bold x", "Arial", 8, 0,
         style_strikeout | style_underline | style_bold, no_background, prop_align::left, ""},
        // the first occurrence of a key wins
        {"colour:$0000FF; colour:$00FF00", "Arial", 8, 0x0000FF, 0, no_background, prop_align::left,
         ""},
        {"COLOUR:255; colour:$00FF00", "Arial", 8, 255, 0, no_background, prop_align::left, ""},
        // runs of separators count as one; empty pieces are skipped
        {"size:10; ;; align:centre;", "Arial", 10, 0, 0, no_background, prop_align::centre, ""},
        {"size::8", "Arial", 8, 0, 0, no_background, prop_align::left, ""},
        {"size::12", "Arial", 12, 0, 0, no_background, prop_align::left, ""},
        {" \t size : 14 \r\n", "Arial", 14, 0, 0, no_background, prop_align::left, ""},
        // a value cannot hold ":"; the third part is dropped
        {"date:hh:nn", "Arial", 8, 0, 0, no_background, prop_align::left, "hh"},
        {"date:dd/mm/yyyy hh:nn", "Arial", 8, 0, 0, no_background, prop_align::left,
         "dd/mm/yyyy hh"},
        // a piece with only one part, or an empty value, adds nothing
        {":size; size:9", "Arial", 9, 0, 0, no_background, prop_align::left, ""},
        {"name:; size", "Arial", 8, 0, 0, no_background, prop_align::left, ""},
        {"name:Courier New; align:right", "Courier New", 8, 0, 0, no_background, prop_align::right,
         ""},
        {"align:Centre", "Arial", 8, 0, 0, no_background, prop_align::left, ""},
        {"align:left", "Arial", 8, 0, 0, no_background, prop_align::left, ""},
        {"bcolour:BTNFACE; colour:BTNFACE", "Arial", 8, btnface_colour, 0, btnface_colour,
         prop_align::left, ""},
        {"bcolour:btnface", "Arial", 8, 0, 0, 0, prop_align::left, ""},
        {"size:12pt", "Arial", 12, 0, 0, no_background, prop_align::left, ""},
        {"size:-9", "Arial", 9, 0, 0, no_background, prop_align::left, ""},
    };
    for (const parse_case& c : cases) {
        SCOPED_TRACE(c.text);
        prop_list p = prop_list::from_text(c.text);
        EXPECT_EQ(p.source_text, c.text);
        EXPECT_EQ(p.name, c.name);
        EXPECT_EQ(p.size, c.size);
        EXPECT_EQ(p.colour, c.colour);
        EXPECT_EQ(p.style, c.style);
        EXPECT_EQ(p.bcolour, c.bcolour);
        EXPECT_EQ(p.align, c.align);
        EXPECT_EQ(p.date, c.date);
    }
}

TEST(prop_list, reads_integers) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"", 0},
        {"255", 255},
        {"$0000FF", 255},
        {"$ff", 255},
        {"xFF", 255},
        {"XfF", 255},
        {"0x1f", 31},
        {"0X1F", 31},
        {"  12pt", 12},
        {"-5", 5},
        {"+$10", 16},
        {"$", 0},
        {"0", 0},
        {"007", 7},
        {"abc", 0},
        {"12 34", 12},
        {"$FFFFFFFF", 0xFFFFFFFF},
        {"$1FFFFFFFF", 0xFFFFFFFF},
        {"99999999999999999999", 0xFFFFFFFF},
        {"$FF00000F", btnface_colour},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(read_prop_integer(text), value) << text;
}

TEST(prop_list, huge_size_stays_positive) {
    EXPECT_GT(prop_list::from_text("size:99999999999").size, 0);
}

TEST(prop_list, writes_texts_in_order) {
    const std::pair<const char*, const char*> cases[] = {
        {"align:centre; colour:$0000ff; number:0.00; style:bold",
         "colour:$0000FF; style:bold; align:centre; number:0.00"},
        {"name:arial", ""},
        {"name:ARIAL; size:8; colour:0; bcolour:$FFFFFF; align:left", ""},
        {"bcolour:BTNFACE", "bcolour:$FF00000F"},
        {"colour:$1; bcolour:$123", "colour:$000001; bcolour:$000123"},
        {"style:strikeout italic underline bold", "style:bold italic underline strikeout"},
        {"date:d mmm; number-:(0); number0:-; number:#,##0; size:10; name:Tahoma",
         "name:Tahoma; size:10; number:#,##0; number0:-; number-:(0); date:d mmm"},
        {"unknown:1; align:right", "align:right"},
    };
    for (const auto& [text, full] : cases) {
        prop_list p = prop_list::from_text(text);
        EXPECT_EQ(p.full_text(), full) << text;
        // Reading the written text back writes the same text again.
        EXPECT_EQ(prop_list::from_text(full).full_text(), full) << text;
    }
    // The name test ignores case, so a lower-case arial is not written and comes back Arial.
    EXPECT_EQ(prop_list::from_text(prop_list::from_text("name:arial").full_text()).name, "Arial");
    prop_list p = prop_list::from_text("name:Tahoma; colour:$FF; align:right; number:0");
    EXPECT_EQ(p.font_text(), "name:Tahoma; colour:$0000FF");
}

TEST(prop_list, btnface_round_trip) {
    prop_list p = prop_list::from_text("bcolour:BTNFACE");
    ASSERT_EQ(p.bcolour, btnface_colour);
    EXPECT_EQ(p.full_text(), "bcolour:$FF00000F");
    EXPECT_EQ(prop_list::from_text(p.full_text()).bcolour, btnface_colour);
}

TEST(prop_list, equality_ignores_source_text_and_case_of_keys) {
    EXPECT_EQ(prop_list::from_text("SIZE:10; colour:255"),
              prop_list::from_text("colour:$0000FF; size:10"));
    EXPECT_NE(prop_list::from_text("date:d"), prop_list::from_text("date:D"));
    EXPECT_NE(prop_list::from_text("number-:0"), prop_list::from_text("number0:0"));
}

TEST(prop_list, finds_keys_without_regard_to_case) {
    prop_list p = prop_list::from_text("Number:0.0; NAME:Tahoma; zz:1; Aa:2");
    ASSERT_NE(p.find("number"), nullptr);
    EXPECT_EQ(*p.find("NUMBER"), "0.0");
    EXPECT_EQ(p.find("number0"), nullptr);
    ASSERT_EQ(p.items().size(), 4u);
    EXPECT_EQ(p.items().front().key, "Aa");
    EXPECT_EQ(p.items().back().key, "zz");
}

TEST(prop_list, merge_keeps_what_is_common) {
    prop_list s = prop_list::from_text(
        "name:Tahoma; size:10; colour:$FF; style:bold; align:right; number:0.00; date:d");
    s.merge(prop_list::from_text("name:Tahoma; size:12; colour:$FF; style:italic; "
                                 "align:right; number:0.00; date:dd"));
    EXPECT_EQ(s.full_text(), "name:Tahoma; colour:$0000FF; align:right; number:0.00");

    prop_list a = prop_list::from_text("name:Tahoma; bcolour:BTNFACE; number0:-");
    a.merge(prop_list::from_text("name:Courier New"));
    EXPECT_EQ(a.name, "");
    EXPECT_EQ(a.full_text(), "name:");
    EXPECT_EQ(prop_list::from_text(a.full_text()).name, "Arial");

    prop_list b = prop_list::from_text("name:Tahoma");
    b.merge(prop_list::from_text(""));
    EXPECT_EQ(b.name, "Arial");
    EXPECT_EQ(b.full_text(), "");
}

TEST(prop_list, font_record_and_edit_font) {
    prop_list p = prop_list::from_text("name:Tahoma; size:11; colour:$FF; style:underline");
    font_record f{"x", 1, 2, 4};
    p.apply_to_font(f);
    EXPECT_EQ(f, (font_record{"Tahoma", 11, 0xFF, style_underline}));

    std::string text = "size:9; align:centre; number:0.0";
    font_record shown;
    EXPECT_FALSE(edit_font(text, [&](font_record& fr) {
        shown = fr;
        fr.size = 20;
        return false;
    }));
    EXPECT_EQ(shown, (font_record{"Arial", 9, 0, 0}));
    EXPECT_EQ(text, "size:9; align:centre; number:0.0");

    EXPECT_TRUE(edit_font(text, [](font_record& fr) {
        fr = font_record{"Courier New", 10, 0x8000, style_bold};
        return true;
    }));
    EXPECT_EQ(text, "name:Courier New; size:10; colour:$008000; style:bold; align:centre; "
                    "number:0.0");
}

} // namespace
} // namespace mondrel
