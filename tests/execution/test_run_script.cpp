// Runs on the project's VBScript engine: what only a real engine shows (array values and their
// index paths, ByRef globals, vb blocks, runaway scripts ended by the time limit or an
// interrupt, DIR listings handed over as data).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "test_run_support.h"

namespace mondrel {
namespace {

struct real_fixture : test::sheet_fixture {
    explicit real_fixture(const std::vector<test::sheet_line>& lines)
        : sheet_fixture(lines, make_vbs_engine()) {}
    std::string text(int i, int k) {
        const line_results& r = doc.line(i).results;
        return k < r.count ? vbs::to_string(r.values[k]) : "(no value)";
    }
};

TEST(ScriptRun, LiteralValuesCarryTheirIndexPaths) {
    real_fixture f({{0, cw_expression, "x", "{1.1,{-1,-2,-3},2.2}"}});
    f.run->run_all();
    const line_results& r = f.doc.line(0).results;
    ASSERT_EQ(r.count, 5);
    const std::vector<si_array> paths{{-3}, {1, -3}, {1, 1}, {1, 2}, {2}};
    const std::vector<double> values{1.1, -1, -2, -3, 2.2};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(r.indexes[k], paths[k]) << k;
        EXPECT_EQ(vbs::to_double(r.values[k]), values[k]) << k;
        EXPECT_EQ(r.opens[k], bo_array(paths[k].size(), 0)) << k;
    }
}

TEST(ScriptRun, OpenArrayLevelsStayOpenAcrossRuns) {
    real_fixture f({{0, cw_expression, "x", "{1,2,3}"}});
    f.run->run_all();
    f.doc.line(0).results.opens[0][0] = 1; // the user expands the array
    f.run->run_all();
    EXPECT_EQ(f.doc.line(0).results.opens[0][0], 1);
}

// The run keeps each line's compiled code from run to run; an edit, or lines moving under it,
// must bring in the new text.
TEST(ScriptRun, EditedAndMovedLinesRunTheirNewText) {
    real_fixture f({{0, cw_expression, "x", "2"},
                    {0, cw_expression, "y", "x*10"},
                    {0, cw_for, "i", "1 to 3"},
                    {1, cw_expression, "sq", "i*i"}});
    f.run->run_all();
    EXPECT_EQ(f.text(1, 0), "20");
    EXPECT_EQ(f.text(2, 0), "4"); // the counter after the last pass
    EXPECT_EQ(f.text(3, 0), "9");

    f.doc.replace_line(1, make_line(f.doc, 1, cw_expression, "y", "x*100"));
    f.doc.replace_line(2, make_line(f.doc, 2, cw_for, "k", "5 to 1 step -2"));
    f.doc.replace_line(3, make_line(f.doc, 1, cw_expression, "sq", "k*k"));
    f.doc.insert_line(0, make_line(f.doc, 1, cw_expression, "w", "7"));
    f.doc.structure_changed();
    f.run->run_all();
    EXPECT_EQ(f.text(0, 0), "7");
    EXPECT_EQ(f.text(1, 0), "2");
    EXPECT_EQ(f.text(2, 0), "200");
    EXPECT_EQ(f.text(3, 0), "-1");
    EXPECT_EQ(f.text(4, 0), "1");
    for (int i = 0; i < f.doc.line_count(); ++i)
        EXPECT_EQ(f.doc.line(i).status, status_ok) << i << " " << f.doc.line(i).error_text;
}

// Lines the walk decides nothing between run as one script call, yet fail, stop and report
// line by line.
TEST(ScriptRun, PlainLinesFailOneByOneAndTheRestRun) {
    real_fixture f({{0, cw_expression, "a", "1"},
                    {0, cw_expression, "b", "1/0"},
                    {0, cw_expression, "c", "a+1"},
                    {0, cw_let, "", "x = c * 2"},
                    {0, cw_expression, "d", "x"},
                    {0, cw_expression, "e", "NoSuchFunction(1)"},
                    {0, cw_expression, "g", "d+1"}});
    f.run->run_all();
    EXPECT_EQ(f.run->lines_executed(), 7);
    const std::vector<std::string> errors = {
        "", "Division by zero", "", "", "", "Type mismatch: 'NoSuchFunction'", ""};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(f.doc.line(i).error_text, errors[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(f.text(2, 0), "2");
    EXPECT_EQ(f.text(4, 0), "4");
    EXPECT_EQ(f.text(6, 0), "5");
}

// Texts that would mean something else in one call run line by line, as they always did.
TEST(ScriptRun, LetLinesKeepTheirMeaningWhenTheyCannotJoin) {
    real_fixture on_error({{0, cw_let, "", "z = 1 : On Error Resume Next"},
                           {0, cw_expression, "a", "1/0"},
                           {0, cw_expression, "b", "2"}});
    on_error.run->run_all();
    EXPECT_EQ(on_error.doc.line(0).status, status_ok);
    EXPECT_EQ(on_error.doc.line(1).error_text, "Division by zero"); // not covered by line 0
    EXPECT_EQ(on_error.text(2, 0), "2");

    real_fixture block({{0, cw_let, "", "If x = 2 Then"},
                        {0, cw_let, "", "x = 5"},
                        {0, cw_let, "", "x = x : End If"},
                        {0, cw_expression, "y", "x"}});
    block.run->run_all();
    EXPECT_EQ(block.doc.line(0).status, status_runtime_error);
    EXPECT_EQ(block.doc.line(2).status, status_runtime_error);
    EXPECT_EQ(block.text(3, 0), "5");
}

// An IF's value report is its own: what the condition itself reports through the host object
// lands on no line, as it does outside a fetch.
TEST(ScriptRun, ConditionsReportOnlyTheirOwnValue) {
    real_fixture f({{0, cw_if, "", "MR.dspx(3, 99) = 0"},
                    {1, cw_expression, "a", "1"},
                    {0, cw_if, "", "1/0 > 1"},
                    {1, cw_expression, "b", "2"},
                    {0, cw_while, "", "w < 3"},
                    {1, cw_let, "", "w = w + 1"}});
    f.run->run_all();
    const line_results& r = f.doc.line(0).results;
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(f.text(0, 0), "True");
    EXPECT_TRUE(r.values.size() < 4 || r.values[3].is_empty());
    EXPECT_EQ(f.text(1, 0), "1");
    EXPECT_EQ(f.doc.line(2).error_text, "Division by zero");
    EXPECT_EQ(f.text(3, 0), "2"); // a failed IF goes on into its children
    EXPECT_EQ(f.text(4, 0), "False");
    EXPECT_EQ(f.doc.line(4).status, status_ok);
}

// Plain lines and the IF, WHILE or FOR line after them run as one call; the walk still decides
// on that line's value, a failure anywhere stays on its own line, and the lines still count.
TEST(ScriptRun, PlainLinesThenADecidingLine) {
    real_fixture f({{0, cw_expression, "a", "1"},
                    {0, cw_expression, "b", "1/0"},
                    {0, cw_if, "", "a > 0"},
                    {1, cw_expression, "c", "5"},
                    {0, cw_expression, "d", "2"},
                    {0, cw_if, "", "d/0 > 1"},
                    {1, cw_expression, "e", "7"},
                    {0, cw_expression, "g", "3"},
                    {0, cw_if, "", "g > 5"},
                    {1, cw_expression, "h", "8"},
                    {0, cw_let, "", "w = 0"},
                    {0, cw_while, "", "w < 2"},
                    {1, cw_let, "", "w = w + 1"},
                    {0, cw_let, "", "s = 0"},
                    {0, cw_for, "i", "1 to 3"},
                    {1, cw_let, "", "s = s + i"},
                    {0, cw_expression, "t", "s"}});
    f.run->run_all();
    const std::vector<std::string> errors = {"", "Division by zero",
                                             "", "",
                                             "", "Division by zero",
                                             "", "",
                                             "", "",
                                             "", "",
                                             "", "",
                                             "", "",
                                             ""};
    for (int i = 0; i < f.doc.line_count(); ++i)
        EXPECT_EQ(f.doc.line(i).error_text, errors[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(f.text(2, 0), "True");
    EXPECT_EQ(f.text(3, 0), "5");
    EXPECT_EQ(f.text(5, 0), "");  // its script failed; the end of the run reports Empty
    EXPECT_EQ(f.text(6, 0), "7"); // a failed IF goes on into its children
    EXPECT_EQ(f.text(8, 0), "False");
    EXPECT_EQ(f.text(9, 0), ""); // not run: its variable is Empty
    EXPECT_EQ(f.text(11, 0), "False");
    EXPECT_EQ(f.text(14, 0), "4");
    EXPECT_EQ(f.text(16, 0), "6");
    // 17 lines; h skipped; the WHILE's child ran twice; the FOR's child three times.
    EXPECT_EQ(f.run->lines_executed(), 16 + 1 + 2);
}

// IF lines whose children are all plain lines are decided inside the call: the children run or
// are skipped as the walk would, and a condition that is neither True nor False, or that
// fails, is left to the walk. Where a run leaves an IF the walk had entered, the walk goes on
// outside it: at a breakpoint after it, nothing is entered.
TEST(ScriptRun, IfsTheCallDecidesOn) {
    real_fixture f({{0, cw_let, "", "n = 3 : w = 0"},
                    {0, cw_if, "", "n > 1"}, // 1: True
                    {1, cw_expression, "a", "1"},
                    {1, cw_expression, "b", "1/0"},
                    {1, cw_expression, "c", "a + 1"},
                    {0, cw_if, "", "n > 5"}, // 5: False
                    {1, cw_expression, "d", "4"},
                    {0, cw_if, "", "n - 3"}, // 7: a number, 0
                    {1, cw_expression, "e", "5"},
                    {0, cw_if, "", "n / 0 > 1"}, // 9: fails, and goes on into its children
                    {1, cw_expression, "g", "6"},
                    {0, cw_if, "", "n = 3"}, // 11: entered by the walk (a WHILE inside)
                    {1, cw_while, "", "w < 2"},
                    {2, cw_let, "", "w = w + 1"},
                    {1, cw_expression, "h", "w * 10"},
                    {0, cw_if, "", "n"}, // 15: a number, 3
                    {1, cw_expression, "k", "7"},
                    {0, cw_expression, "m", "8"}});
    toggle_breakpoint(f.doc, 17);
    f.run->run_all();
    ASSERT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(f.run->current_line(), 17);
    EXPECT_EQ(f.run->stack_depth(), 0);
    const std::vector<std::pair<int, std::string>> shown = {
        {1, "True"}, {2, "1"},  {4, "2"},   {5, "False"}, {6, ""},   {7, "0"},
        {8, ""},     {10, "6"}, {14, "20"}, {15, "3"},    {16, "7"}, {17, "(no value)"}};
    for (const auto& [line, text] : shown)
        EXPECT_EQ(f.text(line, 0), text) << line;
    for (int i = 0; i < f.doc.line_count(); ++i)
        EXPECT_EQ(f.doc.line(i).error_text, i == 3 || i == 9 ? "Division by zero" : "") << i;
    // Lines 0-5, 7, 9-16, with the WHILE's child twice.
    EXPECT_EQ(f.run->lines_executed(), 6 + 1 + 8 + 1);
    // Run again, the joined code made: the same.
    f.run->reset();
    f.run->run_all();
    EXPECT_EQ(f.run->stack_depth(), 0);
    EXPECT_EQ(f.text(16, 0), "7");
    EXPECT_EQ(f.run->lines_executed(), 2 * 16);
}

// What a run leaves on the lines (errors, values of lines it no longer reaches) is gone after
// the next run even when the sheet did not change, only a global value it reads.
TEST(ScriptRun, WhatTheLastRunLeftGoesWithoutAnEdit) {
    real_fixture f({{0, cw_expression, "a", "1 / g"},
                    {0, cw_if, "", "g = 2"},
                    {1, cw_cmd, "", "stop"},
                    {0, cw_expression, "c", "a + 1"}});
    ASSERT_TRUE(f.globals.add("g"));
    for (int g : {1, 0, 1, 2}) {
        f.globals.set_value(0, vbs::Value::long_(g));
        f.run->run_all();
        EXPECT_EQ(f.doc.line(0).error_text, g == 0 ? "Division by zero" : "") << g;
        EXPECT_EQ(f.doc.line(0).status, g == 0 ? status_runtime_error : status_ok) << g;
        EXPECT_EQ(f.text(3, 0), g == 2 ? "(no value)" : g == 0 ? "1" : "2") << g;
    }
    // Another run engine's run of the same sheet in between: its error goes too.
    f.globals.set_value(0, vbs::Value::long_(1));
    f.run->run_all();
    run_engine other(f.doc, make_vbs_engine(), f.globals);
    f.globals.set_value(0, vbs::Value::long_(0));
    other.run_all();
    EXPECT_EQ(f.doc.line(0).error_text, "Division by zero");
    f.globals.set_value(0, vbs::Value::long_(1));
    f.run->run_all();
    EXPECT_EQ(f.doc.line(0).error_text, "");
}

// A run of plain lines may leave an IF: its last child and the lines after the IF run as one
// call, and the walk carries on outside the IF, also inside a loop.
TEST(ScriptRun, PlainLinesLeavingAnIf) {
    real_fixture f({{0, cw_if, "", "1 = 1"},
                    {1, cw_expression, "a", "1"},
                    {1, cw_expression, "b", "a + 1"},
                    {0, cw_expression, "c", "b + 1"},
                    {0, cw_let, "", "s = 0 : t = 0"},
                    {0, cw_for, "i", "1 to 3"},
                    {1, cw_if, "", "i > 1"},
                    {2, cw_let, "", "s = s + i"},
                    {1, cw_let, "", "t = t + 1"},
                    {1, cw_expression, "u", "s * 100 + t"},
                    {0, cw_for, "k", "1 to 2"},
                    {1, cw_let, "", "m = m + 1"},
                    {1, cw_if, "", "k = 2"},
                    {2, cw_let, "", "q = 7"},
                    {0, cw_expression, "r", "m * 10 + q"}});
    for (int run = 0; run < 2; ++run) {
        f.run->reset();
        f.run->run_all();
        EXPECT_EQ(f.text(3, 0), "3") << run;
        EXPECT_EQ(f.text(9, 0), "503") << run;
        EXPECT_EQ(f.text(14, 0), "27") << run;
        for (int i = 0; i < f.doc.line_count(); ++i)
            EXPECT_EQ(f.doc.line(i).error_text, "") << run << " " << i;
    }
}

// More lines than one call joins: a breakpoint in the second stretch pauses there with every
// line before it reported; an edit far down is seen by the next run.
TEST(ScriptRun, LongSheetsPauseAtBreakpointsAndSeeEdits) {
    std::vector<test::sheet_line> lines;
    for (int k = 0; k < 600; ++k)
        lines.push_back({0, cw_expression, "v" + std::to_string(k),
                         k ? "v" + std::to_string(k - 1) + "+1" : "0"});
    real_fixture f(lines);
    f.doc.set_breakpoint(300, true);
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(f.run->current_line(), 300);
    EXPECT_EQ(f.text(299, 0), "299");
    EXPECT_EQ(f.text(300, 0), "(no value)");
    f.run->run_all();
    EXPECT_EQ(f.text(599, 0), "599");

    f.doc.set_breakpoint(300, false);
    line_ptr old = f.doc.replace_line(450, make_line(f.doc, 1, cw_expression, "v450", "v449+1000"));
    f.run->reset();
    f.run->run_all();
    EXPECT_EQ(f.text(449, 0), "449");
    EXPECT_EQ(f.text(599, 0), "1598");
    EXPECT_EQ(f.run->lines_executed(), 1200);

    // An unchanged sheet runs its joined code as it is; a breakpoint set in it, or a line
    // record put back (as undo does: an older record, no new text anywhere), is seen.
    f.run->reset();
    f.run->run_all();
    f.doc.set_breakpoint(520, true);
    f.run->reset();
    f.run->run_all();
    EXPECT_EQ(f.run->current_line(), 520);
    f.doc.set_breakpoint(520, false);
    f.run->reset();
    f.run->run_all();
    EXPECT_EQ(f.text(599, 0), "1598");
    f.doc.replace_line(450, std::move(old));
    f.run->reset();
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(f.text(599, 0), "599");
}

TEST(ScriptRun, ArrAndBraceListsAndVbBlocks) {
    real_fixture f({{0, cw_arr, "a", "2,3"},
                    {0, cw_expression, "ar2", "{}"},
                    {1, cw_expression, "", "\"this\""},
                    {1, cw_expression, "", "\"is\""},
                    {2, cw_expression, "", "\"a\""},
                    {0, cw_vb, "", "res=0"},
                    {1, cw_vb, "", "for cnt=0 to 1000"},
                    {1, cw_vb, "", "res=res+2"},
                    {1, cw_vb, "", "next"},
                    {0, cw_expression, "r", "res"}});
    f.run->run_all();
    EXPECT_EQ(f.doc.line(0).results.count, 6);
    EXPECT_EQ(f.doc.line(0).results.indexes[5], (si_array{1, 2}));
    EXPECT_EQ(f.text(1, 0), "this");
    EXPECT_EQ(f.text(1, 1), "is");
    EXPECT_EQ(f.text(1, 2), "a");
    EXPECT_EQ(test::value0(f.doc, 9), 2002);
    for (int i = 0; i < f.doc.line_count(); ++i)
        EXPECT_EQ(f.doc.line(i).error_text, "") << i;
}

TEST(ScriptRun, StepIntoAVbBlockHeadRunsTheWholeBlock) {
    real_fixture f({{0, cw_vb, "", "res=0"},
                    {1, cw_vb, "", "for cnt=0 to 3"},
                    {1, cw_vb, "", "res=res+2"},
                    {1, cw_vb, "", "next"},
                    {0, cw_expression, "r", "res"},
                    {0, cw_expression, "", ""}});
    toggle_breakpoint(f.doc, 0);
    f.run->run_all();
    ASSERT_EQ(f.run->current_line(), 0);
    f.run->step(step_kind::into);
    EXPECT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(f.run->current_line(), 4);
    f.run->step(step_kind::into);
    EXPECT_EQ(test::value0(f.doc, 4), 8);
}

// Plain lines joined with the FOR, IF or WHILE line after them into one call are made again
// when that line gets a breakpoint: the run stops before it.
TEST(ScriptRun, BreakpointOnADecidingLineAfterAJoinedRun) {
    for (int32_t word : {cw_for, cw_if, cw_while}) {
        const std::string code = word == cw_for ? "1 to 4" : word == cw_if ? "s = 0" : "s < 0";
        real_fixture f({{0, cw_expression, "s", "0"},
                        {0, cw_expression, "t", "s+1"},
                        {0, word, "i", code},
                        {1, cw_expression, "", "s*2"},
                        {0, cw_expression, "after", "s+1000"},
                        {0, cw_expression, "", ""}});
        f.run->run_all();
        ASSERT_EQ(f.run->state(), run_state::idle) << word;
        toggle_breakpoint(f.doc, 2);
        f.run->run_all();
        EXPECT_EQ(f.run->state(), run_state::paused) << word;
        EXPECT_EQ(f.run->current_line(), 2) << word;
        EXPECT_EQ(test::value0(f.doc, 1), 1) << word;
    }
}

TEST(ScriptRun, GlobalsReachTheScriptByReference) {
    real_fixture f({{0, cw_let, "", "total=total+rate"}, {0, cw_expression, "t", "total"}});
    f.globals.add("total");
    f.globals.add("rate");
    f.globals.set_value(1, vbs::Value::long_(3));
    f.run->run_all();
    f.run->run_all();
    EXPECT_EQ(test::value0(f.doc, 1), 6);
    EXPECT_EQ(vbs::to_double(f.globals.value(0)), 6);
}

// A runaway line ends the run: it shows "Script timed out", and the lines after it run no
// more (a FOR around it would otherwise start it again on every pass). Each case used to take
// the limit once per pass; it must now end soon after the limit, well within the bound.
TEST(ScriptRun, TimeOutEndsTheRun) {
    struct Case {
        const char* name;
        std::vector<test::sheet_line> lines;
        int runaway; // the line that times out
    };
    const std::vector<Case> cases{
        {"plain line", {{0, cw_vb, "", "Do : Loop"}, {0, cw_expression, "after", "5"}}, 0},
        {"inside a FOR of 1,000 passes",
         {{0, cw_for, "i", "1 to 1000"},
          {1, cw_vb, "", "Do : Loop"},
          {0, cw_expression, "after", "5"}},
         1},
        {"slow steps",
         {{0, cw_vb, "", "Do : s = Space(2000000) : Loop"}, {0, cw_expression, "after", "5"}},
         0},
        {"Class_Terminate of the object a line lets go",
         {{0, cw_vb, "", "Class T : Sub Class_Terminate : Do : Loop : End Sub : End Class"},
          {0, cw_vb, "", "Set o = New T"},
          {0, cw_vb, "", "Set o = Nothing"},
          {0, cw_expression, "after", "5"}},
         2},
    };
    auto limit = test::time_limit_scope(std::chrono::milliseconds(300));
    for (const Case& c : cases) {
        real_fixture f(c.lines);
        const auto start = std::chrono::steady_clock::now();
        f.run->run_all();
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::seconds(5)) << c.name;
        EXPECT_EQ(f.doc.line(c.runaway).error_text, "Script timed out") << c.name;
        EXPECT_TRUE(f.run->timed_out()) << c.name;
        EXPECT_EQ(f.run->state(), run_state::idle) << c.name;
        const int last = static_cast<int>(c.lines.size()) - 1;
        EXPECT_EQ(f.doc.line(last).results.count, 0) << c.name;
        // The next run starts afresh and times out the same way.
        f.run->run_all();
        EXPECT_EQ(f.doc.line(c.runaway).error_text, "Script timed out") << c.name;
    }
}

// A host's limit over the whole run (the runner's --timeout) ends it the same way, whatever
// the limit of one call; no loop around the line takes another pass.
TEST(ScriptRun, TimeOutFromAnotherThreadEndsTheRun) {
    real_fixture f({{0, cw_for, "i", "1 to 1000"},
                    {1, cw_vb, "", "Do : Loop"},
                    {0, cw_expression, "after", "5"}});
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        f.run->time_out();
    });
    const auto start = std::chrono::steady_clock::now();
    f.run->run_all();
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(f.doc.line(1).error_text, "Script timed out");
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(test::value0(f.doc, 0), 1);
    EXPECT_EQ(f.doc.line(2).results.count, 0);
}

// A line that fails in an ordinary way does not stop the walk.
TEST(ScriptRun, OrdinaryErrorsLetTheWalkGoOn) {
    real_fixture f({{0, cw_vb, "", "x = 1 / 0"}, {0, cw_expression, "after", "5"}});
    f.run->run_all();
    EXPECT_EQ(f.doc.line(0).status, status_runtime_error);
    EXPECT_FALSE(f.run->timed_out());
    EXPECT_EQ(test::value0(f.doc, 1), 5);
}

// Runs the sheet while another thread interrupts it after a short while.
void run_interrupted(real_fixture& f) {
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        f.run->interrupt();
    });
    f.run->run_all();
    stopper.join();
}

TEST(ScriptRun, InterruptFromAnotherThreadEndsTheRun) {
    real_fixture f({{0, cw_vb, "", "Do : Loop"}, {0, cw_expression, "after", "5"}});
    run_interrupted(f);
    EXPECT_EQ(f.doc.line(0).status, status_runtime_error);
    EXPECT_NE(f.doc.line(0).error_text, "");
    // The walk stopped at the next line: paused there, nothing after it ran.
    EXPECT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(f.run->current_line(), 1);
    EXPECT_EQ(f.doc.line(1).results.count, 0);
}

// An interrupt that stops a call inside the children of an IF the call decided on leaves the
// walk inside that IF: it pauses at the next child, and going on leaves the IF as usual.
TEST(ScriptRun, InterruptInsideAnIfTheCallDecidedOn) {
    real_fixture f({{0, cw_if, "", "1 = 1"},
                    {1, cw_let, "", "w = 1 : Do : Loop"},
                    {1, cw_let, "", "z = 2"},
                    {0, cw_expression, "after", "z + 3"}});
    run_interrupted(f);
    EXPECT_EQ(f.doc.line(1).status, status_runtime_error);
    EXPECT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(f.run->current_line(), 2);
    EXPECT_EQ(f.run->stack_depth(), 1);
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(f.run->stack_depth(), 0);
    EXPECT_EQ(f.text(3, 0), "5");
}

TEST(ScriptRun, DirNamesReachTheScriptExactly) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "mondrel_dir_script_test" / "F";
    fs::remove_all(dir.parent_path());
    fs::create_directories(dir / "sub dir");
    const std::vector<std::string> names{"q\"uote.txt", "x\",MsgBox(1),\"", "c:2", "\xc3\xa9.txt"};
    for (const std::string& n : names)
        std::ofstream(dir / n) << "x";
    std::ofstream(dir / "sub dir" / "a.txt") << "x";
    real_fixture f({{0, cw_dir, "d", "\"" + dir.string() + "\""},
                    {0, cw_expression, "inner", "d(1)(1)"},
                    {0, cw_expression, "n", "UBound(d)"}});
    f.run->run_all();
    fs::remove_all(dir.parent_path());
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(f.doc.line(i).error_text, "") << i;
    EXPECT_EQ(f.text(1, 0), "a.txt");
    EXPECT_EQ(test::value0(f.doc, 2), 5);
    std::vector<std::string> shown;
    const line_results& r = f.doc.line(0).results;
    for (int k = 0; k < r.count; ++k)
        shown.push_back(vbs::to_string(r.values[k]));
    for (const std::string& n : names)
        EXPECT_NE(std::find(shown.begin(), shown.end(), n), shown.end()) << n;
}

} // namespace
} // namespace mondrel
