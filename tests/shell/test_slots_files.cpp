// Files: open, save, save as, save all, and what a close does when the save it needs fails.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "session_support.h"

namespace mondrel::test {
namespace {

using strings = std::vector<std::string>;
namespace fs = std::filesystem;

bool is_xml(const std::string& path) {
    return read_bytes(path).rfind("<?xml", 0) == 0;
}

size_t files_in(const fs::path& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder))
        ++n;
    return n;
}

TEST_F(session_test, open_asks_for_a_file_with_the_codesheet_filter) {
    const std::string name = make_sheet("opened.mdr", "7*6", true);
    slots.start(std::nullopt);
    ask.names = {name, std::nullopt};
    slots.file_open();
    ASSERT_EQ(ask.dialogs.size(), 1u);
    EXPECT_EQ(ask.dialogs[0], "open Mondrel files (*.mdr)|*.MDR|All files (*.*)|*.*");
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "opened"}));
    EXPECT_EQ(view.runs, 1) << "a sheet with auto run on runs when opened";
    slots.file_open(); // cancelled
    EXPECT_EQ(slots.slot_count(), 2u);
}

TEST_F(session_test, a_failed_open_makes_the_previous_tab_current_again) {
    slots.start(std::nullopt);
    slots.new_file();
    slots.make_current(0);
    EXPECT_FALSE(slots.load_file(dir.file("nothing.mdr")));
    EXPECT_EQ(slots.slot_count(), 2u);
    EXPECT_EQ(slots.cur_slot(), 0);
    EXPECT_EQ(view.shown.back(), "Welcome");
    EXPECT_EQ(ask.texts(), strings{"Could not open the file: \r\n" + dir.file("nothing.mdr")});
}

TEST_F(session_test, a_relative_name_is_kept_as_a_full_name) {
    make_sheet("rel.mdr");
    fs::create_directories(dir.path / "other");
    const std::string other = make_sheet("other/o.mdr");
    fs::current_path(dir.path);
    slots.start(std::string("rel"));
    ASSERT_EQ(slots.slot_count(), 2u);
    EXPECT_EQ(slots.cur_doc().file_name(), dir.file("rel"));
    EXPECT_EQ(slots.recent_files(), strings{dir.file("rel")});
    // Another sheet's folder becomes the working folder; saving still writes beside the file.
    ASSERT_TRUE(slots.load_file(other));
    slots.make_current(1);
    EXPECT_TRUE(slots.file_save());
    EXPECT_FALSE(fs::exists(dir.path / "other" / "rel.mdr"));
    EXPECT_TRUE(is_xml(dir.file("rel.mdr")));
}

TEST_F(session_test, save_and_save_as_on_a_read_only_page_do_nothing) {
    slots.start(std::nullopt);
    slots.load_ifile("Help", 3);
    for (int i : {0, 1}) {
        slots.make_current(i);
        EXPECT_FALSE(slots.file_save());
        EXPECT_FALSE(slots.file_save_as());
    }
    EXPECT_TRUE(ask.dialogs.empty());
    EXPECT_TRUE(ask.questions.empty());
    EXPECT_EQ(files_in(dir.path), 0u);
    EXPECT_TRUE(slots.recent_files().empty());
}

TEST_F(session_test, save_as_chooses_the_format_by_the_extension) {
    struct {
        const char* typed;
        const char* written;
        bool xml;
        const char* label;
    } const cases[] = {
        {"plain", "plain.mdr", true, "plain"},
        {"upper.MDR", "upper.MDR", true, "upper"},
        {"notes.txt", "notes.txt", false, "notes.txt"},
    };
    slots.start(std::nullopt);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        slots.new_file();
        edit(slots.cur_doc(), "40+2");
        ask.names = {dir.file(c.typed)};
        ask.dialogs.clear();
        EXPECT_TRUE(slots.file_save_as());
        ASSERT_EQ(ask.dialogs.size(), 1u);
        EXPECT_EQ(ask.dialogs[0], "save Mondrel file (*mdr)|*.MDR Newfile");
        const std::string written = dir.file(c.written);
        ASSERT_TRUE(fs::exists(written));
        EXPECT_EQ(is_xml(written), c.xml);
        EXPECT_NE(read_bytes(written).find("40+2"), std::string::npos);
        EXPECT_EQ(slots.cur_doc().file_name(), written);
        EXPECT_EQ(slots.tab_labels().back(), c.label) << "saved: no star";
        EXPECT_EQ(slots.recent_files().front(), written);
    }
    EXPECT_TRUE(ask.questions.empty());
}

TEST_F(session_test, save_as_onto_an_existing_file_asks_first) {
    const std::string name = dir.file("taken.mdr");
    write_bytes(name, "the old contents");
    slots.start(std::nullopt);
    slots.new_file();
    edit(slots.cur_doc(), "new work");

    ask.names = {name};
    ask.answers = {prompt_answer::no};
    EXPECT_FALSE(slots.file_save_as());
    ASSERT_EQ(ask.questions.size(), 1u);
    const asked_question& q = ask.questions[0];
    EXPECT_EQ(q.text, name + " already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(q.caption, "Save As");
    EXPECT_EQ(q.buttons, prompt_buttons::yes_no);
    EXPECT_EQ(q.icon, prompt_icon::warning);
    EXPECT_EQ(read_bytes(name), "the old contents");
    EXPECT_TRUE(slots.cur_doc().is_modified());
    EXPECT_EQ(slots.cur_doc().file_name(), "Newfile");

    ask.names = {name};
    ask.answers = {prompt_answer::yes};
    EXPECT_TRUE(slots.file_save_as());
    EXPECT_NE(read_bytes(name).find("new work"), std::string::npos);
    EXPECT_FALSE(slots.cur_doc().is_modified());
}

TEST_F(session_test, save_all_saves_every_editable_sheet_and_ends_on_the_last) {
    const std::string named = make_sheet("named.mdr");
    slots.start(named);
    slots.new_file();
    edit(slots.cur_doc());
    slots.load_ifile("Help", 3);
    fs::remove(named);
    ask.names = {dir.file("fresh")};
    EXPECT_TRUE(slots.file_save_all());
    EXPECT_EQ(ask.dialogs.size(), 1u) << "only the never-saved sheet asks for a name";
    EXPECT_TRUE(fs::exists(named));
    EXPECT_TRUE(fs::exists(dir.file("fresh.mdr")));
    EXPECT_EQ(slots.cur_slot(), 3);
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "named", "fresh", "Help"}));

    slots.new_file();
    ask.names = {std::nullopt};
    EXPECT_FALSE(slots.file_save_all()) << "a Save As cancelled is a save not done";
}

TEST_F(session_test, yes_on_close_saves_and_closes) {
    const std::string name = make_sheet("work.mdr");
    slots.start(name);
    edit(slots.cur_doc(), "99");
    ask.answers = {prompt_answer::yes};
    EXPECT_TRUE(slots.close_file());
    EXPECT_EQ(slots.tab_labels(), strings{"Welcome"});
    EXPECT_NE(read_bytes(name).find("99"), std::string::npos);
}

TEST_F(session_test, a_cancelled_save_as_on_close_keeps_the_tab_and_stops_exit) {
    slots.start(std::nullopt);
    slots.new_file();
    edit(slots.cur_doc());
    for (bool exit : {false, true}) {
        SCOPED_TRACE(exit ? "exit" : "close");
        ask.answers = {prompt_answer::yes};
        ask.names = {std::nullopt};
        EXPECT_FALSE(exit ? slots.close_all_files(close_keep_none) : slots.close_file());
        EXPECT_EQ(slots.tab_labels().back(), "Newfile*");
        EXPECT_TRUE(slots.cur_doc().is_modified());
    }
    EXPECT_EQ(slots.slot_count(), 1u) << "exit closed the Welcome page before it stopped";
}

TEST_F(session_test, a_failed_write_is_reported_and_the_sheet_stays_open_and_modified) {
    const std::string locked = make_sheet("locked.mdr", "old");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string no_folder = dir.file("no such folder/x.mdr");
    slots.start(locked);
    edit(slots.cur_doc(), "new");

    // Save onto a read-only file, from the close question.
    ask.answers = {prompt_answer::yes};
    EXPECT_FALSE(slots.close_file());
    ASSERT_EQ(ask.questions.size(), 2u);
    const asked_question& report = ask.questions[1];
    EXPECT_EQ(report.text.rfind("Could not save the file: " + locked + "\r\n", 0), 0u)
        << report.text;
    EXPECT_GT(report.text.size(), ("Could not save the file: " + locked + "\r\n").size())
        << "the reason follows the name";
    EXPECT_EQ(report.buttons, prompt_buttons::ok);
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "locked*"}));
    EXPECT_EQ(read_bytes(locked).find("new"), std::string::npos);

    // Save As into a folder that does not exist: the old name stays.
    ask.questions.clear();
    ask.names = {no_folder};
    EXPECT_FALSE(slots.file_save_as());
    ASSERT_EQ(ask.questions.size(), 1u);
    EXPECT_EQ(ask.questions[0].text.rfind("Could not save the file: " + no_folder + "\r\n", 0), 0u);
    EXPECT_EQ(slots.cur_doc().file_name(), locked);
    EXPECT_TRUE(slots.cur_doc().is_modified());

    // Exit stops at the sheet that could not be saved.
    ask.questions.clear();
    ask.answers = {prompt_answer::yes};
    EXPECT_FALSE(slots.close_all_files(close_keep_none));
    EXPECT_EQ(slots.tab_labels(), strings{"locked*"});
    EXPECT_EQ(slots.recent_files(), strings{locked}) << "a failed save is no recent file";

    fs::permissions(locked, fs::perms::owner_all);
}

} // namespace
} // namespace mondrel::test
