// The settings read from and written to the store: defaults, checked and clamped values, the
// recent files and globals groups, and a save followed by a load.

#include <gtest/gtest.h>

#include <string>

#include "display/prop_stuff.h"
#include "document/test_file_helpers.h"
#include "shell/session/options.h"

namespace mondrel {
namespace {

TEST(Options, EmptyStoreGivesDefaults) {
    memory_settings_store store;
    mondrel_options o;
    EXPECT_TRUE(load_options(store, o).empty());
    EXPECT_EQ(o.margin_left, 10);
    EXPECT_EQ(o.margin_right, 10);
    EXPECT_EQ(o.margin_top, 10);
    EXPECT_EQ(o.margin_bottom, 20);
    EXPECT_EQ(o.max_loop_count, 1000);
    EXPECT_TRUE(o.status_line_hints);
    EXPECT_TRUE(o.toolbar_hints);
    EXPECT_FALSE(o.err_logging);
    EXPECT_TRUE(o.recent_files.empty());
    EXPECT_TRUE(o.globals.empty());
    EXPECT_EQ(o.element_formats[0], "colour:$808080");
    EXPECT_EQ(o.element_formats[5], "name:Courier New; size:8; colour:$000080");
    EXPECT_EQ(o.element_formats[7], "");
    EXPECT_EQ(o.element_formats[9], "name:Tahoma; size:8");
    EXPECT_EQ(display_elements()[8].name, "Error message");
    EXPECT_EQ(display_elements()[8].store_name, "fmt_0");
}

TEST(Options, EmptyStringsReadAsTheirDefaults) {
    memory_settings_store store;
    store.set_value("print_head_fmt", "");
    store.set_value("doc_fmt_4", "");
    store.set_value("print_foot_fmt", "size:12");
    mondrel_options o;
    load_options(store, o);
    EXPECT_EQ(o.print_head_fmt, "align:centre; size:10; style:bold");
    EXPECT_EQ(o.element_formats[4], "colour:$008000");
    EXPECT_EQ(o.print_foot_fmt, "size:12");
}

TEST(Options, MalformedIntegerKeepsItsDefaultAndTheRestIsRead) {
    memory_settings_store store;
    store.set_value("frm_left", "50");
    store.set_value("print_margins_mm_left", "12mm"); // in the middle of the values
    store.set_value("print_margins_mm_right", "15");
    store.set_value("max_loop_count", "abc");
    store.set_value("toolbar_hints", "0");
    store.set_value("doc_fmt_2", "size:12");
    store.set_value("Recent_files/file 0", "/a.mcs");
    test::log_capture captured;
    mondrel_options o;
    const auto problems = load_options(store, o);
    EXPECT_EQ(o.frm_left, 50);
    EXPECT_EQ(o.margin_left, 10);
    EXPECT_EQ(o.margin_right, 15);
    EXPECT_EQ(o.max_loop_count, 1000);
    EXPECT_FALSE(o.toolbar_hints);
    EXPECT_EQ(o.element_formats[2], "size:12");
    ASSERT_EQ(o.recent_files.size(), 1u);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("print_margins_mm_left"), std::string::npos);
    EXPECT_NE(problems[1].find("max_loop_count"), std::string::npos);
    EXPECT_EQ(captured.log.lines, problems);
}

// The options read from a store that holds `key` = `stored` alone.
mondrel_options loaded_with(const char* key, const char* stored) {
    memory_settings_store store;
    store.set_value(key, stored);
    mondrel_options o;
    load_options(store, o);
    return o;
}

TEST(Options, AbsurdValuesAreClamped) {
    struct clamp_case {
        const char* key;
        const char* stored;
        int mondrel_options::*field;
        int expected;
    };
    const clamp_case cases[] = {
        {"print_margins_mm_left", "-5", &mondrel_options::margin_left, 0},
        {"print_margins_mm_bottom", "99999", &mondrel_options::margin_bottom, 100},
        {"frm_width", "0", &mondrel_options::frm_width, 200},
        {"frm_height", "-400", &mondrel_options::frm_height, 150},
        {"frm_left", "99999999999", &mondrel_options::frm_left, 32000},
        {"frm_top", "-99999", &mondrel_options::frm_top, -32000},
        {"disp_font_size_incr", "500", &mondrel_options::font_increment, 40},
        {"disp_font_size_incr", "-50", &mondrel_options::font_increment, -6},
        {"frm_width", " 800 ", &mondrel_options::frm_width, 800},
    };
    for (const auto& c : cases)
        EXPECT_EQ(loaded_with(c.key, c.stored).*c.field, c.expected) << c.key << "=" << c.stored;
    const std::pair<const char*, int32_t> loops[] = {
        {"0", 1}, {"-7", 1}, {"5000000000", 1000000000}, {"250", 250}};
    for (const auto& [stored, expected] : loops)
        EXPECT_EQ(loaded_with("max_loop_count", stored).max_loop_count, expected) << stored;
}

// A hand-edited value may carry one sign; two signs make no number and the default stays.
TEST(Options, AValueTakesOneSignAtMost) {
    const std::pair<const char*, int> cases[] = {
        {"+5", 5}, {"-5", -5}, {"+-5", 0}, {"-+5", 0}, {"++5", 0}, {"+", 0}, {"-", 0}};
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(loaded_with("disp_font_size_incr", stored).font_increment, expected) << stored;
}

TEST(Options, SaveThenLoadGivesTheSameValues) {
    mondrel_options o;
    o.frm_left = -1200;
    o.frm_top = 30;
    o.frm_width = 1000;
    o.frm_height = 700;
    o.font_increment = 3;
    o.margin_left = 0;
    o.margin_bottom = 35;
    o.print_head_fmt = "size:14";
    o.def_incl_dir = "/home/u/incl";
    o.max_loop_count = 5000;
    o.err_logging = true;
    o.err_log_file = "/tmp/m.log";
    o.status_line_hints = false;
    o.element_formats[3] = "name:Verdana; size:9; style:italic";
    o.element_formats[0] = ""; // plain text where the default is grey
    o.element_formats[5] = "align:right; size:9; number:0.00"; // only the font part is kept
    for (int i = 0; i < 12; ++i) o.recent_files.push_back("/f/" + std::to_string(i) + ".mcs");
    o.globals = {"Total", "rate"};
    o.toolbars = "AAAA/w==";

    memory_settings_store store;
    store.set_value("Recent_files/file 20", "/stale.mcs");
    store.set_value("Globals/old", "");
    save_options(store, o);
    EXPECT_EQ(store.value("doc_fmt_5"), "size:9");

    mondrel_options back;
    EXPECT_TRUE(load_options(store, back).empty());
    EXPECT_EQ(back.frm_left, -1200);
    EXPECT_EQ(back.frm_height, 700);
    EXPECT_EQ(back.font_increment, 3);
    EXPECT_EQ(back.margin_left, 0);
    EXPECT_EQ(back.margin_bottom, 35);
    EXPECT_EQ(back.print_head_fmt, "size:14");
    EXPECT_EQ(back.def_incl_dir, "/home/u/incl");
    EXPECT_EQ(back.max_loop_count, 5000);
    EXPECT_TRUE(back.err_logging);
    EXPECT_EQ(back.err_log_file, "/tmp/m.log");
    EXPECT_FALSE(back.status_line_hints);
    EXPECT_TRUE(back.toolbar_hints);
    EXPECT_TRUE(prop_list::from_text(back.element_formats[3]) ==
                prop_list::from_text(o.element_formats[3]));
    EXPECT_TRUE(prop_list::from_text(back.element_formats[0]) == prop_list::from_text(""));
    EXPECT_EQ(back.recent_files, o.recent_files); // in order, "file 10" after "file 9"
    EXPECT_EQ(back.globals, o.globals);
    EXPECT_EQ(back.toolbars, "AAAA/w==");
}

TEST(Options, MemoryStoreListsNamesInWritingOrderAndRemovesGroups) {
    memory_settings_store store;
    store.set_value("G/b", "1");
    store.set_value("G/a", "2");
    store.set_value("G/sub/c", "3");
    store.set_value("H/x", "4");
    store.set_value("G/b", "5");
    EXPECT_EQ(store.names("G"), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(store.value("G/b"), "5");
    store.remove_group("G");
    EXPECT_TRUE(store.names("G").empty());
    EXPECT_FALSE(store.value("G/sub/c"));
    EXPECT_EQ(store.value("H/x"), "4");
}

} // namespace
} // namespace mondrel
