// Tabs: start-up, closing, built-in pages and their history, title, labels, recent files.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pages/xml_ifile.h"
#include "session_support.h"

namespace mondrel::test {
namespace {

using strings = std::vector<std::string>;

// The code texts of a document's lines, to tell one page from another.
strings codes(const mondrel_doc& doc) {
    strings out;
    for (int i = 0; i < doc.line_count(); ++i)
        out.push_back(doc.line(i).code);
    return out;
}

strings page_codes(const std::string& page) {
    mondrel_doc doc;
    EXPECT_TRUE(load_xml(doc, Txml_ifile().load_res(page, true), false, read_replace, 0));
    doc.ensure_trailing_blank();
    return codes(doc);
}

TEST(fixed_size_string_list, drops_the_oldest_and_answers_empty_when_empty) {
    Tfixed_size_StringList list(3);
    EXPECT_EQ(list.pop(), "");
    EXPECT_EQ(list.peek(), "");
    for (const char* s : {"a", "b", "c", "d"})
        list.add(s);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.at(0), "b");
    EXPECT_EQ(list.peek(), "d");
    EXPECT_EQ(list.pop(), "d");
    EXPECT_EQ(list.pop(), "c");
    EXPECT_EQ(list.pop(), "b");
    EXPECT_EQ(list.pop(), "");
    EXPECT_EQ(list.size(), 0u);
}

TEST_F(session_test, start_shows_the_welcome_page_read_only_outside_the_history) {
    slots.start(std::nullopt);
    ASSERT_EQ(slots.slot_count(), 1u);
    EXPECT_EQ(slots.cur_slot(), 0);
    const mondrel_doc& doc = slots.cur_doc();
    EXPECT_EQ(doc.display_name(), "Welcome");
    EXPECT_TRUE(doc.read_only);
    EXPECT_GT(doc.line_count(), 1);
    EXPECT_EQ(slots.current().history.size(), 0u);
    EXPECT_EQ(slots.tab_labels(), strings{"Welcome"});
    EXPECT_EQ(slots.window_title(), "Quastel Mondrel - Welcome");
    EXPECT_EQ(view.shown, strings{"Welcome"});
    EXPECT_TRUE(ask.questions.empty());
}

TEST_F(session_test, the_welcome_page_offers_the_recent_files) {
    slots.set_recent({dir.file("first.mdr")});
    slots.start(std::nullopt);
    bool offered = false;
    for (const std::string& code : codes(slots.cur_doc()))
        offered = offered || code.find("first") != std::string::npos;
    EXPECT_TRUE(offered);
}

TEST_F(session_test, a_command_line_file_opens_in_a_second_tab) {
    const std::string name = make_sheet("given.mdr");
    slots.start(name);
    ASSERT_EQ(slots.slot_count(), 2u);
    EXPECT_EQ(slots.cur_slot(), 1);
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "given"}));
    EXPECT_EQ(slots.cur_doc().file_name(), name);
    EXPECT_FALSE(slots.cur_doc().is_modified());
    EXPECT_EQ(std::filesystem::current_path(), dir.path);
    EXPECT_EQ(slots.recent_files(), strings{name});
}

TEST_F(session_test, a_command_line_file_that_cannot_be_opened_leaves_only_welcome) {
    const std::string missing = dir.file("missing.mdr");
    const std::string garbage = dir.file("garbage.mdr");
    write_bytes(garbage, "<mondrel><display");
    const std::string folder = dir.file("folder.mdr");
    std::filesystem::create_directories(folder);
    for (const std::string& name : {missing, garbage, folder}) {
        SCOPED_TRACE(name);
        scripted_prompts fresh_ask;
        fake_view fresh_view;
        document_slots fresh(fresh_view, fresh_ask);
        fresh.start(name);
        ASSERT_EQ(fresh.slot_count(), 1u);
        EXPECT_EQ(fresh.cur_slot(), 0);
        EXPECT_EQ(fresh.cur_doc().display_name(), "Welcome");
        ASSERT_EQ(fresh_ask.questions.size(), 1u);
        EXPECT_EQ(fresh_ask.questions[0].text, "Could not open the file: \r\n" + name);
        EXPECT_EQ(fresh_ask.questions[0].buttons, prompt_buttons::ok);
        EXPECT_TRUE(fresh.recent_files().empty());
        EXPECT_EQ(fresh_view.shown.back(), "Welcome");
    }
}

TEST_F(session_test, closing_the_last_tab_leaves_a_fresh_newfile_but_exit_leaves_none) {
    slots.start(std::nullopt);
    EXPECT_TRUE(slots.close_file());
    ASSERT_EQ(slots.slot_count(), 1u);
    EXPECT_EQ(slots.cur_doc().file_name(), "Newfile");
    EXPECT_FALSE(slots.cur_doc().read_only);
    EXPECT_EQ(slots.tab_labels(), strings{"Newfile"});

    slots.new_file();
    edit(slots.cur_doc());
    ask.answers = {prompt_answer::no};
    EXPECT_TRUE(slots.close_all_files(close_keep_none));
    EXPECT_EQ(slots.slot_count(), 0u);
    EXPECT_FALSE(slots.has_current());
    EXPECT_EQ(slots.window_title(), "Quastel Mondrel");
    EXPECT_EQ(ask.texts(), strings{"Save changes to Newfile?"});
}

TEST_F(session_test, close_all_stops_at_a_cancel_keeping_that_sheet_and_the_rest) {
    open_modified_sheets(3);
    slots.make_current(0);
    ASSERT_TRUE(slots.close_file()); // the Welcome page is asked nothing
    ASSERT_TRUE(ask.questions.empty());
    slots.make_current(2); // Close All begins at the first tab whichever is current
    ask.answers = {prompt_answer::no, prompt_answer::cancel};
    EXPECT_FALSE(slots.close_all_files());
    EXPECT_EQ(ask.texts(), (strings{"Save changes to s1?", "Save changes to s2?"}));
    const asked_question& q = ask.questions[0];
    EXPECT_EQ(q.caption, "Save Changes");
    EXPECT_EQ(q.buttons, prompt_buttons::yes_no_cancel);
    EXPECT_EQ(q.icon, prompt_icon::warning);
    EXPECT_EQ(slots.tab_labels(), (strings{"s2*", "s3*"}));
    EXPECT_EQ(slots.cur_slot(), 0);
    EXPECT_EQ(view.shown.back(), "s2") << "the grid shows the sheet the user kept";
}

TEST_F(session_test, close_others_closes_the_others_in_tab_order_and_stops_at_cancel) {
    // Five modified sheets, the third current: 1, 2, 4, 5 are asked in that order.
    open_modified_sheets(5);
    slots.make_current(0);
    ASSERT_TRUE(slots.close_file()); // the Welcome page
    ASSERT_EQ(slots.slot_count(), 5u);
    slots.make_current(2);
    ask.answers = {prompt_answer::no, prompt_answer::no, prompt_answer::no, prompt_answer::cancel};
    EXPECT_FALSE(slots.close_all_other_files());
    EXPECT_EQ(ask.texts(), (strings{"Save changes to s1?", "Save changes to s2?",
                                    "Save changes to s4?", "Save changes to s5?"}));
    EXPECT_EQ(slots.tab_labels(), (strings{"s3*", "s5*"}));
    EXPECT_EQ(slots.cur_slot(), 1) << "the sheet asked about stays current";
    EXPECT_EQ(view.shown.back(), "s5");
}

TEST_F(session_test, close_others_with_one_tab_does_nothing) {
    slots.start(std::nullopt);
    EXPECT_TRUE(slots.close_all_other_files());
    EXPECT_EQ(slots.slot_count(), 1u);
}

TEST_F(session_test, help_opened_twice_reuses_its_tab_and_keeps_its_label) {
    slots.start(std::nullopt);
    slots.load_ifile("Help", 3);
    ASSERT_EQ(slots.slot_count(), 2u);
    EXPECT_EQ(slots.cur_slot(), 1);
    EXPECT_TRUE(slots.cur_doc().read_only);
    slots.load_ifile("Help_keys", 0); // a link followed inside the tab
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "Help"}));
    EXPECT_EQ(codes(slots.cur_doc()), page_codes("Help_keys"));

    slots.make_current(0);
    slots.load_ifile("Help", 3);
    EXPECT_EQ(slots.slot_count(), 2u);
    EXPECT_EQ(slots.cur_slot(), 1);
    EXPECT_EQ(codes(slots.cur_doc()), page_codes("Help"));
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "Help"}));
    EXPECT_EQ(slots.current().history.size(), 3u);
    EXPECT_EQ(view.runs, 0) << "help pages are never run";
}

TEST_F(session_test, a_page_link_without_own_tab_replaces_the_current_page) {
    slots.start(std::nullopt);
    slots.load_ifile("Help_keys", 0);
    EXPECT_EQ(slots.slot_count(), 1u);
    EXPECT_EQ(slots.tab_labels(), strings{"Welcome"}) << "the tab keeps its name";
    EXPECT_EQ(codes(slots.cur_doc()), page_codes("Help_keys"));
    EXPECT_EQ(view.selected.back(), (std::pair<int, int>{1, 1}));
}

TEST_F(session_test, a_page_link_in_a_modified_sheet_asks_before_replacing_it) {
    const std::string name = make_sheet("mine.mdr", "12*12");
    slots.start(name);
    edit(slots.cur_doc(), "unsaved work");
    ask.answers = {prompt_answer::cancel};
    slots.load_ifile("Help_keys", 0);
    EXPECT_EQ(ask.texts(), strings{"Save changes to mine?"});
    EXPECT_EQ(slots.cur_doc().file_name(), name);
    EXPECT_TRUE(slots.cur_doc().is_modified());
    EXPECT_EQ(slots.current().history.size(), 0u);

    ask.answers = {prompt_answer::yes};
    slots.load_ifile("Help_keys", 0);
    EXPECT_NE(read_bytes(name).find("unsaved work"), std::string::npos);
    EXPECT_EQ(codes(slots.cur_doc()), page_codes("Help_keys"));
    EXPECT_TRUE(slots.cur_doc().read_only);
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "mine"}));
}

TEST_F(session_test, the_last_of_several_matching_tabs_is_reused) {
    slots.start(std::nullopt);
    slots.load_ifile("Help", 3);
    slots.new_file();
    slots.load_ifile("Help", 2); // the Newfile tab becomes a second "Help"
    ASSERT_EQ(slots.tab_labels(), (strings{"Welcome", "Help", "Help"}));
    slots.make_current(0);
    slots.load_ifile("Help", 3);
    EXPECT_EQ(slots.slot_count(), 3u);
    EXPECT_EQ(slots.cur_slot(), 2);
}

TEST_F(session_test, back_with_one_page_in_the_history_changes_nothing_visible) {
    slots.start(std::nullopt);
    slots.load_ifile("Help", 3);
    const strings shown = codes(slots.cur_doc());
    const int shows = view.shows;
    slots.go_back();
    EXPECT_EQ(slots.current().history.size(), 0u);
    EXPECT_EQ(codes(slots.cur_doc()), shown);
    EXPECT_EQ(view.shows, shows);
    slots.go_back(); // an empty history stays empty
    EXPECT_EQ(slots.current().history.size(), 0u);
}

TEST_F(session_test, back_shows_the_page_before_without_adding_it_again) {
    slots.start(std::nullopt);
    slots.load_ifile("Help", 3);
    slots.load_ifile("Help_keys", 0);
    slots.go_back();
    EXPECT_EQ(codes(slots.cur_doc()), page_codes("Help"));
    ASSERT_EQ(slots.current().history.size(), 1u);
    EXPECT_EQ(slots.current().history.at(0), "Help");
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "Help"}));
}

TEST_F(session_test, the_21st_page_in_a_tab_drops_the_oldest) {
    slots.start(std::nullopt);
    const std::vector<page_entry> pages = page_index();
    ASSERT_GE(pages.size(), 21u);
    for (size_t i = 0; i < 21; ++i)
        slots.load_ifile(pages[i].name, 0);
    const Tfixed_size_StringList& history = slots.current().history;
    ASSERT_EQ(history.size(), 20u);
    EXPECT_EQ(history.at(0), pages[1].name);
    EXPECT_EQ(history.peek(), pages[20].name);
}

TEST_F(session_test, an_example_from_a_link_is_an_editable_sheet_of_its_own) {
    slots.start(std::nullopt);
    slots.load_ifile("Example_simple", 11);
    ASSERT_EQ(slots.slot_count(), 2u);
    mondrel_doc& doc = slots.cur_doc();
    EXPECT_FALSE(doc.read_only);
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "Example_simple"}));
    EXPECT_EQ(view.runs, doc.auto_running ? 1 : 0);
    EXPECT_EQ(slots.current().history.size(), 1u);

    slots.load_ifile("Example_simple", 11); // an example is never reused
    EXPECT_EQ(slots.slot_count(), 3u);
    ASSERT_TRUE(slots.close_file());

    edit(slots.cur_doc());
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "Example_simple*"}));
    ask.answers = {prompt_answer::no};
    EXPECT_TRUE(slots.close_file());
    EXPECT_EQ(ask.texts(), strings{"Save changes to Example_simple?"});
    EXPECT_EQ(slots.tab_labels(), strings{"Welcome"});
}

TEST_F(session_test, saving_an_example_asks_for_a_name) {
    slots.start(std::nullopt);
    slots.load_ifile("Example_simple", 11);
    const std::string name = dir.file("mine.mdr");
    ask.names = {name};
    EXPECT_TRUE(slots.file_save());
    EXPECT_EQ(ask.dialogs.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "mine"}));
}

TEST_F(session_test, labels_and_title_follow_the_current_sheet) {
    slots.start(std::nullopt);
    slots.new_file();
    EXPECT_EQ(slots.window_title(), "Quastel Mondrel - Newfile");
    edit(slots.cur_doc());
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "Newfile*"}));
    slots.make_current(0);
    EXPECT_EQ(slots.window_title(), "Quastel Mondrel - Welcome");
    // A read-only page that was changed (a run writes results) never gets a star.
    edit(slots.cur_doc());
    EXPECT_EQ(slots.tab_labels(), (strings{"Welcome", "Newfile*"}));
}

TEST_F(session_test, pointing_at_a_tab_changes_only_the_current_slot) {
    slots.start(std::nullopt);
    slots.new_file();
    const int shows = view.shows, updates = view.updates;
    slots.point_at(0);
    EXPECT_EQ(slots.cur_slot(), 0);
    EXPECT_EQ(view.shows, shows);
    EXPECT_EQ(view.updates, updates);
    slots.point_at(7); // no tab there
    EXPECT_EQ(slots.cur_slot(), 0);
}

TEST_F(session_test, making_a_tab_current_enters_its_folder_when_it_has_one) {
    std::filesystem::create_directories(dir.path / "sub");
    const std::string inside = make_sheet("sub/inside.mdr");
    slots.start(inside);
    EXPECT_EQ(std::filesystem::current_path(), dir.path / "sub");
    std::filesystem::current_path(dir.path);
    slots.make_current(0); // Welcome has no folder: left alone
    EXPECT_EQ(std::filesystem::current_path(), dir.path);
    slots.make_current(1);
    EXPECT_EQ(std::filesystem::current_path(), dir.path / "sub");
    std::filesystem::current_path(dir.path);
    std::filesystem::remove_all(dir.path / "sub"); // a folder that is gone: left alone
    slots.make_current(1);
    EXPECT_EQ(std::filesystem::current_path(), dir.path);
}

TEST(recent_files, most_recent_first_nine_at_most_exact_names) {
    fake_view view;
    scripted_prompts ask;
    document_slots slots(view, ask);
    for (int i = 1; i <= 10; ++i)
        slots.add_recent("/f" + std::to_string(i));
    ASSERT_EQ(slots.recent_files().size(), 9u);
    EXPECT_EQ(slots.recent_files().front(), "/f10");
    EXPECT_EQ(slots.recent_files().back(), "/f2");
    slots.add_recent("/f5");
    EXPECT_EQ(slots.recent_files().front(), "/f5");
    EXPECT_EQ(slots.recent_files().size(), 9u);
    EXPECT_EQ(slots.recent_files()[5], "/f6") << "the old entry moved, the rest kept order";
    slots.add_recent("/F5"); // another file on this system
    EXPECT_EQ(slots.recent_files()[0], "/F5");
    EXPECT_EQ(slots.recent_files()[1], "/f5");

    slots.set_recent({"/a", "", "/b", "/a", "/c", "/d", "/e", "/f", "/g", "/h", "/i", "/j"});
    EXPECT_EQ(slots.recent_files(),
              (strings{"/a", "/b", "/c", "/d", "/e", "/f", "/g", "/h", "/i"}));
}

} // namespace
} // namespace mondrel::test
