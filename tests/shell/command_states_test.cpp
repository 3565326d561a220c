// Which commands are enabled and checked after an operation: run states, selections, the
// edit in progress, read-only pages and runs on the worker.

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "shell/session/commands.h"

namespace mondrel {
namespace {

const std::set<std::string_view> run_commands{"run_go",        "run_breakpoint", "run_reset",
                                              "run_step_over", "run_step_into",  "run_clear"};
const std::set<std::string_view> selection_commands{"edit_cut",
                                                    "edit_copy",
                                                    "edit_delete",
                                                    "edit_copy_format",
                                                    "edit_paste_format",
                                                    "edit_convert_to_list",
                                                    "edit_convert_from_list"};

bool on(const action_states& s, std::string_view name) {
    EXPECT_NE(find_action(name), nullptr) << name;
    return s[name].enabled;
}

// The code word whose action is checked; -1 none, -2 more than one.
int32_t checked_word(const action_states& s) {
    int32_t word = -1;
    for (size_t i = 0; i < action_table().size(); ++i) {
        if (action_table()[i].tag < 0 || !s.of[i].checked) continue;
        if (word != -1) return -2;
        word = action_table()[i].tag;
    }
    return word;
}

action_inputs selection_of(int n, int rows = 10) {
    action_inputs in;
    in.rows = rows;
    if (n > 0) {
        in.first = 3;
        in.last = 3 + n - 1;
    }
    return in;
}

// Every run state with every selection size, editing or not: the run commands follow the run
// state, the selection commands the number of rows, Undo/Redo and OK/Cancel the edit, and
// every command without a rule stays enabled.
TEST(CommandStates, RunStateSelectionAndEditingTogether) {
    struct run_row {
        sheet_run_state state;
        std::set<std::string_view> on;
    };
    const run_row runs[] = {
        {sheet_run_state::idle, {"run_go", "run_breakpoint", "run_reset", "run_clear"}},
        {sheet_run_state::running, {"run_reset"}},
        {sheet_run_state::paused, run_commands},
    };
    for (const run_row& run : runs)
        for (int n : {0, 1, 2, 5})
            for (bool editing : {false, true}) {
                SCOPED_TRACE("run " + std::to_string(static_cast<int>(run.state)) + " n " +
                             std::to_string(n) + (editing ? " editing" : ""));
                action_inputs in = selection_of(n);
                in.run = run.state;
                in.editing = editing;
                in.edit_word = cw_let;
                in.common_word = cw_if;
                in.copied_format = true;
                in.can_undo = in.can_redo = true;
                const action_states s = compute_action_states(in);
                ASSERT_EQ(s.of.size(), action_table().size());

                for (std::string_view r : run_commands)
                    EXPECT_EQ(on(s, r), run.on.count(r) > 0) << r;
                for (std::string_view c : selection_commands) {
                    const bool expect = n == 1 || (n > 1 && c != "edit_copy_format");
                    EXPECT_EQ(on(s, c), expect) << c;
                }
                EXPECT_EQ(on(s, "edit_ok"), editing);
                EXPECT_EQ(on(s, "edit_cancel"), editing);
                EXPECT_EQ(on(s, "edit_undo"), !editing);
                EXPECT_EQ(on(s, "edit_redo"), !editing);
                EXPECT_FALSE(on(s, "run_stop"));

                const int32_t word = editing ? cw_let : n == 0 ? cw_expression : cw_if;
                EXPECT_EQ(checked_word(s), word);
                EXPECT_EQ(s.keep_syntax, !editing && n == 0);
                EXPECT_TRUE(s.keep_syntax || s.syntax_word == word) << s.syntax_word;

                for (const action_spec& a : action_table()) {
                    if (run_commands.count(a.name) || selection_commands.count(a.name) ||
                        a.name == "edit_ok" || a.name == "edit_cancel" || a.name == "edit_undo" ||
                        a.name == "edit_redo" || a.name == "run_stop")
                        continue;
                    EXPECT_TRUE(on(s, a.name)) << a.name << " should always be on";
                }
            }
}

TEST(CommandStates, NothingSelectedLeavesOnlyTheExpressionButtonDown) {
    const action_states s = compute_action_states(selection_of(0));
    for (std::string_view c : selection_commands)
        EXPECT_FALSE(on(s, c)) << c;
    EXPECT_TRUE(s["edit_type_expr"].checked);
    EXPECT_EQ(checked_word(s), cw_expression);
    EXPECT_TRUE(s.keep_syntax); // the syntax bar shows what it showed
    // Paste and the line commands do not need a selection.
    for (const char* name : {"edit_paste", "edit_add", "edit_insert", "edit_add_child",
                             "edit_select_all", "edit_copy_cells"})
        EXPECT_TRUE(on(s, name)) << name;
}

// A selection that does not fit the rows (the rows went away under it) counts as none rather
// than as a negative or huge number of rows.
TEST(CommandStates, SelectionOutsideTheRowsCountsAsNone) {
    struct case_row {
        int first, last, rows;
        bool selected;
    };
    const case_row cases[] = {
        {-1, -1, 10, false}, {11, 11, 10, false}, {4, 11, 10, false}, {0, 3, 10, false},
        {5, 4, 10, false},   {1, 1, 0, false},    {10, 10, 10, true}, {1, 10, 10, true},
    };
    for (const case_row& c : cases) {
        action_inputs in;
        in.first = c.first;
        in.last = c.last;
        in.rows = c.rows;
        in.common_word = cw_for;
        const action_states s = compute_action_states(in);
        EXPECT_EQ(on(s, "edit_cut"), c.selected) << c.first << ".." << c.last << " of " << c.rows;
        EXPECT_EQ(on(s, "edit_delete"), c.selected) << c.first << ".." << c.last;
        EXPECT_EQ(checked_word(s), c.selected ? cw_for : cw_expression);
    }
}

TEST(CommandStates, PasteFormatNeedsACopiedFormatAndCopyFormatOneRow) {
    struct case_row {
        int n;
        bool copied;
        bool paste_format, copy_format;
    };
    const case_row cases[] = {
        {0, true, false, false},  {1, false, false, true}, {1, true, true, true},
        {3, false, false, false}, {3, true, true, false},
    };
    for (const case_row& c : cases) {
        action_inputs in = selection_of(c.n);
        in.copied_format = c.copied;
        const action_states s = compute_action_states(in);
        EXPECT_EQ(on(s, "edit_paste_format"), c.paste_format) << c.n << ' ' << c.copied;
        EXPECT_EQ(on(s, "edit_copy_format"), c.copy_format) << c.n << ' ' << c.copied;
    }
}

// Lines 1, 2, ... after the blank expression line 0 a new document starts with.
void add_words(mondrel_doc& doc, std::initializer_list<int32_t> words) {
    for (int32_t w : words) {
        const int i = doc.add_sli(std::make_unique<source_list_item>(1, "", "x"));
        doc.line(i).code_word = w;
    }
}

TEST(CommandStates, CommonCodeWordOfTheSelectedLines) {
    mondrel_doc doc;
    add_words(doc, {cw_if, cw_for, cw_if, cw_rem, cw_rem});
    struct case_row {
        std::vector<int> lines;
        int32_t word;
    };
    const case_row cases[] = {
        {{1}, cw_if},
        {{4, 5}, cw_rem},
        {{1, 3}, cw_if},
        {{1, 2}, -1},
        {{4, 5, 0}, -1},
        {{0}, cw_expression},
        {{}, cw_expression},
        // Lines the document does not have are passed over.
        {{-1, 4, 99}, cw_rem},
        {{-5, 1000}, cw_expression},
    };
    for (const case_row& c : cases)
        EXPECT_EQ(common_code_word(doc, c.lines), c.word) << ::testing::PrintToString(c.lines);
}

TEST(CommandStates, IfAndForSelectedTogetherCheckNoCodeWord) {
    mondrel_doc doc;
    add_words(doc, {cw_if, cw_for});
    action_inputs in = selection_of(2);
    const std::vector<int> lines{1, 2};
    in.common_word = common_code_word(doc, lines);
    const action_states s = compute_action_states(in);
    EXPECT_EQ(checked_word(s), -1);
    EXPECT_FALSE(s.keep_syntax);
    EXPECT_EQ(s.syntax_word, -1);
    EXPECT_EQ(syntax_bar_text(s.syntax_word), "<syntax>");
}

TEST(CommandStates, ChecksFollowFormatsAndAutoRun) {
    for (bool formats : {false, true})
        for (bool auto_run : {false, true}) {
            action_inputs in = selection_of(1);
            in.use_formats = formats;
            in.auto_running = auto_run;
            const action_states s = compute_action_states(in);
            EXPECT_EQ(s["view_toggle_formatting"].checked, formats);
            EXPECT_EQ(s["run_gogo"].checked, auto_run);
            EXPECT_TRUE(on(s, "view_toggle_formatting"));
            EXPECT_TRUE(on(s, "run_gogo"));
        }
}

TEST(CommandStates, UndoAndRedoFollowTheHistoryWhenNotEditing) {
    for (bool undo : {false, true})
        for (bool redo : {false, true}) {
            action_inputs in = selection_of(1);
            in.can_undo = undo;
            in.can_redo = redo;
            const action_states s = compute_action_states(in);
            EXPECT_EQ(on(s, "edit_undo"), undo);
            EXPECT_EQ(on(s, "edit_redo"), redo);
        }
}

// A word outside the table (a line read from a damaged file) checks nothing; the syntax bar
// gets the word and shows its text for an unknown one.
TEST(CommandStates, UnknownWordChecksNothing) {
    for (bool editing : {false, true}) {
        action_inputs in = selection_of(1);
        in.editing = editing;
        in.common_word = in.edit_word = 40;
        const action_states s = compute_action_states(in);
        EXPECT_EQ(checked_word(s), -1);
        EXPECT_EQ(s.syntax_word, 40);
    }
}

// On a built-in page a reader can still open, close, print, copy, run, view and ask for
// help; everything else is off. The list names the reader's side, so a command added later
// that changes the sheet stays off here until someone decides otherwise.
TEST(CommandStates, ReadOnlySheetsRefuseTheCommandsThatChangeThem) {
    const std::set<std::string_view> reader{
        "file_new",        "file_open",         "file_save_all",   "file_close",
        "file_close_all",  "file_close_others", "file_print",      "file_reopen_clear",
        "file_exit",       "edit_copy",         "edit_select_all", "edit_copy_format",
        "edit_copy_cells", "run_gogo",          "run_go",          "run_reset",
        "run_breakpoint",  "run_clear"};
    const auto reads = [&](const action_spec& a) {
        return reader.count(a.name) || a.category == "View" || a.category == "Tools" ||
               a.category == "Help";
    };
    action_inputs in = selection_of(1);
    in.can_undo = in.can_redo = in.copied_format = true;
    in.common_word = cw_rem;
    const action_states writable = compute_action_states(in);
    in.read_only = true;
    const action_states s = compute_action_states(in);
    for (const action_spec& a : action_table()) {
        EXPECT_EQ(on(s, a.name), reads(a)) << a.name;
        // A read-only page only ever turns commands off.
        EXPECT_TRUE(!on(s, a.name) || on(writable, a.name)) << a.name;
    }
    // The buttons still show the line's word.
    EXPECT_EQ(checked_word(s), cw_rem);
}

TEST(CommandStates, WhileTheWorkerRunsOnlyStopAndExitAct) {
    for (sheet_run_state run :
         {sheet_run_state::idle, sheet_run_state::running, sheet_run_state::paused})
        for (bool editing : {false, true}) {
            action_inputs in = selection_of(2);
            in.worker_busy = true;
            in.run = run;
            in.editing = editing;
            in.can_undo = in.can_redo = in.copied_format = true;
            const action_states s = compute_action_states(in);
            for (const action_spec& a : action_table())
                EXPECT_EQ(on(s, a.name), a.name == "run_stop" || a.name == "file_exit") << a.name;
        }
    action_inputs idle = selection_of(2);
    EXPECT_FALSE(on(compute_action_states(idle), "run_stop"));
}

// Before the first operation: a fresh window's states.
TEST(CommandStates, StartingStates) {
    const action_states s = compute_action_states(action_inputs{});
    EXPECT_FALSE(on(s, "edit_ok"));
    EXPECT_TRUE(s["view_toggle_formatting"].checked);
    EXPECT_FALSE(s["run_gogo"].checked);
    EXPECT_TRUE(on(s, "run_go"));
    EXPECT_FALSE(on(s, "run_step_over"));
}

TEST(CommandStates, UnknownNameReadsAsDisabled) {
    const action_states s = compute_action_states(selection_of(1));
    EXPECT_FALSE(s["no_such_action"].enabled);
    EXPECT_FALSE(s["no_such_action"].checked);
}

} // namespace
} // namespace mondrel
