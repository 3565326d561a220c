// The walk of the run engine: code words, loops and their limit, exits, errors that do not stop
// a run. Each case is a sheet, the values some lines show after run all, and the error texts
// some lines carry.
#include <gtest/gtest.h>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "test_run_support.h"

namespace mondrel {
namespace {

using test::sheet_line;

struct shown {
    int line;
    double value;
};
struct error_on {
    int line;
    std::string text;
};

struct walk_case {
    const char* title;
    std::vector<sheet_line> sheet;
    std::vector<shown> values;
    std::vector<error_on> errors; // every other line must be free of errors
};

// A failing case is named by its title.
void PrintTo(const walk_case& c, std::ostream* os) { *os << '"' << c.title << '"'; }

class RunWalk : public ::testing::TestWithParam<walk_case> {};

// Each sheet runs twice: on the stand-in engine, which keeps the walk's own logic apart, and on
// the project's VBScript engine.
void check_walk(const walk_case& c, std::unique_ptr<script_engine> engine) {
    SCOPED_TRACE(c.title);
    mondrel_doc doc;
    test::fill_sheet(doc, c.sheet);
    global_list globals;
    run_engine run(doc, std::move(engine), globals);
    run.run_all();
    EXPECT_EQ(run.state(), run_state::idle);
    for (const shown& s : c.values)
        EXPECT_EQ(test::value0(doc, s.line), s.value) << "line " << s.line;
    for (int i = 0; i < doc.line_count(); ++i) {
        std::string expected;
        for (const error_on& e : c.errors)
            if (e.line == i) expected = e.text;
        EXPECT_EQ(doc.line(i).error_text, expected) << "line " << i;
        EXPECT_EQ(doc.line(i).status == status_ok, expected.empty()) << "line " << i;
    }
}

TEST_P(RunWalk, OnTheStandInEngine) {
    check_walk(GetParam(), std::make_unique<test::fake_engine>());
}

TEST_P(RunWalk, OnTheScriptEngine) {
    check_walk(GetParam(), make_vbs_engine());
}

const std::string limit_text = "Max loop count exceeded.(1000)";

INSTANTIATE_TEST_SUITE_P(
    Sheets, RunWalk,
    ::testing::Values(
        walk_case{"the worked example: answer 55, ind 11",
                  {{0, cw_expression, "answer", "0"},
                   {0, cw_for, "ind", "1 to 10"},
                   {1, cw_let, "", "answer=answer+ind"},
                   {0, cw_expression, "", ""}},
                  {{0, 55}, {1, 11}},
                  {}},
        walk_case{"FOR 10 to 1 runs its children once",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_for, "i", "10 to 1"},
                   {1, cw_let, "", "n=n+1"},
                   {0, cw_expression, "", ""}},
                  {{0, 1}, {1, 11}},
                  {}},
        walk_case{"a negative step counts down to below the stop",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_for, "i", "5 to 1 step -2"},
                   {1, cw_let, "", "n=n+i"},
                   {0, cw_expression, "", ""}},
                  {{0, 9}, {1, -1}},
                  {}},
        walk_case{"WHILE true ends at the loop limit with its text",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_while, "", "true"},
                   {1, cw_let, "", "n=n+1"},
                   {0, cw_expression, "after", "n*2"}},
                  {{0, 1000}, {3, 2000}},
                  {{1, limit_text}}},
        walk_case{"FOR 1 to 2000 stops after 1000 passes",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_for, "i", "1 to 2000"},
                   {1, cw_let, "", "n=n+1"},
                   {0, cw_expression, "", ""}},
                  {{0, 1000}, {1, 1001}},
                  {{1, limit_text}}},
        walk_case{"an inner loop resets the counter, so outer passes are not added up",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_for, "i", "1 to 30"},
                   {1, cw_for, "j", "1 to 30"},
                   {2, cw_let, "", "n=n+1"},
                   {0, cw_expression, "", ""}},
                  {{0, 900}},
                  {}},
        // Every loop counts its own passes: a loop that enters another loop on each pass
        // still ends at the limit instead of running for ever.
        walk_case{"a loop around a loop still ends at the limit",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_while, "", "true"},
                   {1, cw_for, "j", "1 to 2"},
                   {2, cw_let, "", "n=n+1"},
                   {0, cw_expression, "", ""}},
                  {{0, 2000}},
                  {{1, limit_text}}},
        walk_case{"an IF whose condition fails skips its children",
                  {{0, cw_expression, "x", "1"},
                   {0, cw_if, "", "x>3"},
                   {1, cw_let, "", "x=100"},
                   {0, cw_expression, "y", "x+1"}},
                  {{0, 1}, {3, 2}},
                  {}},
        walk_case{"an IF whose condition holds enters its children",
                  {{0, cw_expression, "x", "5"},
                   {0, cw_if, "", "x>3"},
                   {1, cw_let, "", "x=100"},
                   {0, cw_expression, "y", "x+1"}},
                  {{0, 100}, {3, 101}},
                  {}},
        walk_case{"WHILE with a condition that turns false",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_while, "", "n<7"},
                   {1, cw_let, "", "n=n+1"},
                   {0, cw_expression, "", ""}},
                  {{0, 7}},
                  {}},
        walk_case{"exit inside an IF inside a FOR leaves the FOR and continues after it",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_for, "i", "1 to 10"},
                   {1, cw_let, "", "n=n+1"},
                   {1, cw_if, "", "i=4"},
                   {2, cw_for, "", "exit"},
                   {0, cw_expression, "after", "n*10"}},
                  {{0, 4}, {1, 4}, {5, 40}},
                  {}},
        walk_case{"exit inside a WHILE",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_while, "", "true"},
                   {1, cw_let, "", "n=n+1"},
                   {1, cw_if, "", "n>=3"},
                   {2, cw_while, "", "exit"},
                   {0, cw_expression, "after", "n"}},
                  {{0, 3}, {5, 3}},
                  {}},
        walk_case{
            "exit outside any loop is an error and the walk goes on",
            {{0, cw_for, "", "exit"}, {0, cw_while, "", "exit"}, {0, cw_expression, "after", "2"}},
            {{2, 2}},
            {{0, "Exit not in FOR loop"}, {1, "Exit not in WHILE loop"}}},
        walk_case{"a FOR exit does not leave a WHILE around it",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_while, "", "n<2"},
                   {1, cw_let, "", "n=n+1"},
                   {1, cw_for, "", "exit"},
                   {0, cw_expression, "after", "n"}},
                  {{4, 2}},
                  {{3, "Exit not in FOR loop"}}},
        walk_case{"an error in a line is stored and the run goes on",
                  {{0, cw_expression, "a", "1/0"}, {0, cw_expression, "b", "7"}},
                  {{1, 7}},
                  {{0, "Division by zero"}}},
        walk_case{"IF on a text that is no number: Type mismatch, and its children still run",
                  {{0, cw_expression, "s", "\"abc\""},
                   {0, cw_if, "", "s"},
                   {1, cw_expression, "inside", "3"},
                   {0, cw_expression, "after", "4"}},
                  {{2, 3}, {3, 4}},
                  {{1, "Type mismatch"}}},
        walk_case{"WHILE on a text that is no number: Type mismatch",
                  {{0, cw_while, "", "\"abc\""},
                   {1, cw_expression, "inside", "3"},
                   {0, cw_expression, "after", "4"}},
                  {{2, 4}},
                  {{0, "Type mismatch"}}},
        walk_case{"a FOR whose step fails ends with the error on the FOR line",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_for, "i", "1 to 5"},
                   {1, cw_let, "", "n=n+1"},
                   {1, cw_let, "", "i=\"abc\""},
                   {0, cw_expression, "after", "n"}},
                  {{0, 1}, {4, 1}},
                  {{1, "Type mismatch"}}},
        walk_case{"FOR with a text stop: Type mismatch on the FOR line after its first pass",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_for, "i", "1 to \"ten\""},
                   {1, cw_let, "", "n=n+1"},
                   {0, cw_expression, "after", "n"}},
                  {{0, 1}, {3, 1}},
                  {{1, "Type mismatch"}}},
        // The failed IF advances as "next": being the loop's last child it starts the loop's
        // end-of-children check, so its child is not run inside the loop; when the loop ends
        // the walk moves one line on from the IF, which is that child, and runs it once.
        walk_case{"an IF that fails as the last child of a loop lets the loop go on",
                  {{0, cw_expression, "n", "0"},
                   {0, cw_for, "i", "1 to 3"},
                   {1, cw_let, "", "n=n+1"},
                   {1, cw_if, "", "1/0"},
                   {2, cw_let, "", "n=n+100"},
                   {0, cw_expression, "", ""}},
                  {{0, 103}, {1, 4}},
                  {{3, "Division by zero"}}},
        walk_case{"ARR makes an array of zeros, first dimension outermost",
                  {{0, cw_arr, "a", "2,3"}, {0, cw_expression, "u", "UBound(a)*10+UBound(a(1))"}},
                  {{1, 12}},
                  {}},
        walk_case{"a syntax error line is skipped; its children run as its parent's",
                  {{0, cw_for, "", "1 to 3"},
                   {1, cw_expression, "inside", "5"},
                   {0, cw_expression, "after", "6"}},
                  {{1, 5}, {2, 6}},
                  {{0, "name expected"}}}),
    [](const ::testing::TestParamInfo<walk_case>& info) {
        return "case" + std::to_string(info.index);
    });

} // namespace
} // namespace mondrel
