#pragma once
// The window and the user as the session tests play them: a view that writes down what it was
// asked to do, and prompts that answer from a queue and write down every question.

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "document/codesheet_file.h"
#include "document/mondrel_doc.h"
#include "document/test_file_helpers.h"
#include "platform/prompts.h"
#include "shell/session/document_slots.h"

namespace mondrel::test {

class fake_view : public slot_view {
public:
    void show_document(mondrel_doc& doc) override {
        shown.push_back(doc.display_name());
        ++shows;
    }
    void select_rows(int first, int last) override { selected.push_back({first, last}); }
    void update_actions() override { ++updates; }
    void run_all() override { ++runs; }

    std::vector<std::string> shown; // display names, in order
    std::vector<std::pair<int, int>> selected;
    int shows = 0;
    int updates = 0;
    int runs = 0;
};

struct asked_question {
    std::string text;
    std::string caption;
    prompt_buttons buttons;
    prompt_icon icon;
};

class scripted_prompts : public prompts {
public:
    prompt_answer ask(std::string_view text, std::string_view caption, prompt_buttons buttons,
                      prompt_icon icon) override {
        questions.push_back({std::string(text), std::string(caption), buttons, icon});
        // An OK box needs no scripted answer.
        if (buttons == prompt_buttons::ok) return prompt_answer::yes;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return prompt_answer::cancel;
        }
        const prompt_answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> open_file_name(std::string_view filter) override {
        dialogs.push_back("open " + std::string(filter));
        return next_name();
    }
    std::optional<std::string> save_file_name(std::string_view filter,
                                              std::string_view name) override {
        dialogs.push_back("save " + std::string(filter) + " " + std::string(name));
        return next_name();
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const asked_question& q : questions)
            out.push_back(q.text);
        return out;
    }

    std::deque<prompt_answer> answers;
    std::deque<std::optional<std::string>> names;
    std::vector<asked_question> questions;
    std::vector<std::string> dialogs;

private:
    std::optional<std::string> next_name() {
        if (names.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return std::nullopt;
        }
        std::optional<std::string> n = names.front();
        names.pop_front();
        return n;
    }
};

// Keeps the process's working folder as it was before the test.
struct working_folder_guard {
    working_folder_guard() : saved(std::filesystem::current_path()) {}
    ~working_folder_guard() {
        std::error_code ec;
        std::filesystem::current_path(saved, ec);
    }
    std::filesystem::path saved;
};

// Makes the document modified, as an edit in the grid would.
inline void edit(mondrel_doc& doc, std::string_view code = "1+1") {
    doc.history().begin_group("add_line");
    doc.add_sli(make_line(doc, 1, 0, "", std::string(code)));
    doc.history().end_group();
}

// A session with a scratch folder for its files. Members go in reverse order: the slots
// before the view and prompts they call, the working folder restored last.
class session_test : public ::testing::Test {
protected:
    // Writes a codesheet with one line holding `code`; returns its full name.
    std::string make_sheet(std::string_view name, std::string_view code = "1+2",
                           bool auto_run = false) {
        mondrel_doc doc;
        edit(doc, code);
        doc.auto_running = auto_run;
        const std::string path = dir.file(name);
        EXPECT_TRUE(write_file(doc, path).ok) << path;
        return path;
    }
    // Opens `count` sheets named s1, s2, ... after the Welcome page; each is modified.
    void open_modified_sheets(int count) {
        slots.start(std::nullopt);
        for (int i = 1; i <= count; ++i) {
            ASSERT_TRUE(slots.load_file(make_sheet("s" + std::to_string(i) + ".mdr")));
            edit(slots.cur_doc());
        }
    }

    working_folder_guard cwd;
    scratch_folder dir;
    fake_view view;
    scripted_prompts ask;
    document_slots slots{view, ask};
};

} // namespace mondrel::test
