// Breakpoints, stepping, reset, the loop limit setting, auto run while paused, and sheets
// nested far deeper than any fixed stack.
#include <gtest/gtest.h>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "test_run_support.h"

namespace mondrel {
namespace {

struct debug_fixture : test::sheet_fixture {
    using sheet_fixture::sheet_fixture;
    bool shows(int i) const { return doc.line(i).results.count > 0; }
};

// A sum over a FOR loop with a breakpoint inside the loop body.
std::vector<test::sheet_line> loop_sheet() {
    return {{0, cw_expression, "s", "0"},          // 0
            {0, cw_for, "i", "1 to 4"},            // 1
            {1, cw_let, "", "s=s+i"},              // 2
            {1, cw_expression, "twice", "s*2"},    // 3
            {0, cw_expression, "after", "s+1000"}, // 4
            {0, cw_expression, "", ""}};           // 5
}

TEST(Breakpoints, PauseBeforeTheLineAndResumeWithoutStoppingThere) {
    debug_fixture f(loop_sheet());
    toggle_breakpoint(f.doc, 3);
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(f.run->current_line(), 3);
    EXPECT_TRUE(f.shows(0));
    EXPECT_EQ(test::value0(f.doc, 0), 1); // s after the first pass's LET
    EXPECT_FALSE(f.shows(3));
    EXPECT_FALSE(f.shows(4));
    // Each resume runs one more pass and stops at the breakpoint again.
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(test::value0(f.doc, 0), 3);
    EXPECT_EQ(test::value0(f.doc, 1), 2);
    clear_breakpoints(f.doc);
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(test::value0(f.doc, 0), 10);
    EXPECT_EQ(test::value0(f.doc, 4), 1010);
}

TEST(Stepping, StepOverABreakpointLineWithChildrenRunsTheWholeLoop) {
    debug_fixture f(loop_sheet());
    toggle_breakpoint(f.doc, 1);
    f.run->run_all();
    ASSERT_EQ(f.run->current_line(), 1);
    f.run->step(step_kind::over);
    EXPECT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(f.run->current_line(), 4);
    EXPECT_EQ(test::value0(f.doc, 0), 10);
    EXPECT_EQ(test::value0(f.doc, 1), 5);
    EXPECT_FALSE(f.shows(4));
    f.run->step(step_kind::over); // line 4
    f.run->step(step_kind::over); // line 5, the last: the run ends
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(test::value0(f.doc, 4), 1010);
}

TEST(Stepping, StepIntoEntersTheFirstChildAndFollowsTheLoop) {
    debug_fixture f(loop_sheet());
    toggle_breakpoint(f.doc, 1);
    f.run->run_all();
    f.run->step(step_kind::into);
    EXPECT_EQ(f.run->current_line(), 2);
    f.run->step(step_kind::into);
    f.run->step(step_kind::into); // the last child: the loop goes round
    EXPECT_EQ(f.run->current_line(), 2);
    EXPECT_EQ(test::value0(f.doc, 1), 2);
    EXPECT_EQ(f.run->stack_depth(), 1);
}

TEST(Stepping, StepOverStopsAtABreakpointInsideTheSubtree) {
    debug_fixture f(loop_sheet());
    toggle_breakpoint(f.doc, 1);
    toggle_breakpoint(f.doc, 3);
    f.run->run_all();
    f.run->step(step_kind::over);
    EXPECT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(f.run->current_line(), 3);
}

TEST(Stepping, NothingHappensUnlessPaused) {
    debug_fixture f(loop_sheet());
    f.run->step(step_kind::over);
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(f.run->current_line(), -1);
}

TEST(Reset, IdleNoCurrentLineNoValuesShown) {
    debug_fixture f(loop_sheet());
    toggle_breakpoint(f.doc, 4);
    f.run->run_all();
    ASSERT_TRUE(f.shows(0));
    f.run->reset();
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(f.run->current_line(), -1);
    for (int i = 0; i < f.doc.line_count(); ++i)
        EXPECT_FALSE(f.shows(i)) << i;
    // A run after the reset starts afresh.
    f.run->run_all();
    EXPECT_EQ(f.run->current_line(), 4);
    EXPECT_EQ(test::value0(f.doc, 0), 10);
}

TEST(AutoRun, AChangeWhilePausedResumesTheRunInsteadOfRestartingIt) {
    debug_fixture f(loop_sheet());
    toggle_breakpoint(f.doc, 4);
    f.run->run_all();
    ASSERT_EQ(f.run->state(), run_state::paused);
    auto port = auto_run_port(*f.run);
    f.doc.auto_running = false;
    port(f.doc);
    EXPECT_EQ(f.run->state(), run_state::paused);
    f.doc.auto_running = true;
    port(f.doc);
    EXPECT_EQ(f.run->state(), run_state::idle);
    // Resumed: s was not set back to 0 and summed again.
    EXPECT_EQ(test::value0(f.doc, 4), 1010);
}

struct limit_case {
    int32_t setting;
    int passes;
    const char* text;
};

class LoopLimit : public ::testing::TestWithParam<limit_case> {};

TEST_P(LoopLimit, EndsTheLoopWithTheLimitInItsText) {
    const limit_case& c = GetParam();
    auto limit = test::loop_limit_scope(c.setting);
    debug_fixture f({{0, cw_expression, "n", "0"},
                     {0, cw_while, "", "true"},
                     {1, cw_let, "", "n=n+1"},
                     {0, cw_expression, "", ""}});
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(test::value0(f.doc, 0), c.passes);
    EXPECT_EQ(f.doc.line(1).error_text, c.text);
}

INSTANTIATE_TEST_SUITE_P(Settings, LoopLimit,
                         ::testing::Values(limit_case{5, 5, "Max loop count exceeded.(5)"},
                                           limit_case{1, 1, "Max loop count exceeded.(1)"},
                                           // 0 and below would never fire: they act as 1
                                           limit_case{0, 1, "Max loop count exceeded.(1)"},
                                           limit_case{-7, 1, "Max loop count exceeded.(1)"}));

TEST(DeepNesting, FiveHundredNestedLevelsRunWithoutAFixedStack) {
    std::vector<test::sheet_line> lines{{0, cw_expression, "n", "0"}};
    constexpr int depth = 500;
    for (int d = 0; d < depth; ++d)
        lines.push_back({d, cw_if, "", "true"});
    lines.push_back({depth, cw_let, "", "n=n+1"});
    lines.push_back({0, cw_expression, "after", "n+1"});
    debug_fixture f(lines);
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(test::value0(f.doc, 0), 1);
    EXPECT_EQ(test::value0(f.doc, f.doc.line_count() - 1), 2);
}

TEST(CmdStop, InsideALoopEndsTheWholeRun) {
    debug_fixture f({{0, cw_expression, "n", "0"},
                     {0, cw_for, "i", "1 to 5"},
                     {1, cw_let, "", "n=n+1"},
                     {1, cw_cmd, "", "stop"},
                     {0, cw_expression, "after", "7"}});
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(f.run->reason(), stop_reason::stop);
    EXPECT_EQ(test::value0(f.doc, 0), 1);
    EXPECT_FALSE(f.shows(4));
}

} // namespace
} // namespace mondrel

namespace mondrel {
namespace {

TEST(EditWhilePaused, RemovedLinesLeaveNoStaleLoopOnTheStack) {
    debug_fixture f(loop_sheet());
    toggle_breakpoint(f.doc, 3);
    f.run->run_all();
    ASSERT_EQ(f.run->stack_depth(), 1);
    // The loop and its body go; the run resumes on what is now at the paused index.
    f.doc.take_lines(1, 3);
    f.doc.line(0).count = 1;
    f.doc.structure_changed();
    ASSERT_EQ(f.doc.line_count(), 3);
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::idle);
    EXPECT_EQ(f.run->stack_depth(), 0);
}

TEST(EditWhilePaused, LinesAddedAboveKeepTheLoopThatIsStillAbove) {
    debug_fixture f(loop_sheet());
    toggle_breakpoint(f.doc, 3);
    f.run->run_all();
    // A line inserted inside the loop body before the paused line: the FOR keeps its index
    // and stays above the current line.
    f.doc.insert_line(2, make_line(f.doc, 1, cw_expression, "extra", "1"));
    f.doc.line(1).count += 1;
    f.doc.structure_changed();
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::paused);
    EXPECT_EQ(f.run->stack_depth(), 1);
    clear_breakpoints(f.doc);
    f.run->run_all();
    EXPECT_EQ(f.run->state(), run_state::idle);
}

} // namespace
} // namespace mondrel
