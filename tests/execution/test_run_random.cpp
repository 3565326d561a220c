// Random sheets of loops, exits, conditions and errors, run whole and stepped through: every
// run must end (the loop limit bounds it), every walk must stay inside the sheet, and stepping
// must reach the same values as running whole.
#include <gtest/gtest.h>

#include <random>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "test_run_support.h"

namespace mondrel {
namespace {

std::vector<test::sheet_line> random_sheet(std::mt19937& rng, int n) {
    std::vector<test::sheet_line> lines{{0, cw_expression, "n", "0"}};
    int depth = 0;
    for (int k = 1; k < n; ++k) {
        const int head_depth = depth;
        switch (rng() % 9) {
        case 0:
            lines.push_back(
                {depth, cw_for, "i" + std::to_string(k), "1 to " + std::to_string(rng() % 4)});
            break;
        case 1:
            lines.push_back({depth, cw_while, "", "n<" + std::to_string(rng() % 30)});
            break;
        case 2:
            lines.push_back({depth, cw_if, "", "n>" + std::to_string(rng() % 10)});
            break;
        case 3:
            lines.push_back({depth, rng() % 2 ? cw_for : cw_while, "", "exit"});
            break;
        case 4:
            lines.push_back({depth, cw_expression, "", "1/(n-" + std::to_string(rng() % 5) + ")"});
            break;
        case 5:
            lines.push_back({depth, cw_cmd, "", rng() % 4 ? "run 1/0" : "stop"});
            break;
        default:
            lines.push_back({depth, cw_let, "", "n=n+1"});
            break;
        }
        // Heads get children: the next line goes one level down, or the walk climbs back up.
        const int32_t word = lines.back().word;
        const bool head =
            (word == cw_for || word == cw_while || word == cw_if) && lines.back().code != "exit";
        if (head && k + 1 < n)
            depth = head_depth + 1;
        else if (depth > 0 && rng() % 3 == 0)
            depth = static_cast<int>(rng() % static_cast<unsigned>(depth + 1));
    }
    lines.push_back({0, cw_expression, "", ""});
    return lines;
}

TEST(RandomSheets, EveryRunEndsInsideTheSheetAndSteppingAgreesWithRunningWhole) {
    set_max_loop_count(20);
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        const auto lines = random_sheet(rng, 6 + static_cast<int>(rng() % 30));
        mondrel_doc whole, stepped;
        test::fill_sheet(whole, lines);
        test::fill_sheet(stepped, lines);
        global_list globals;
        run_engine a(whole, std::make_unique<test::fake_engine>(), globals);
        a.run_all();
        ASSERT_EQ(a.state(), run_state::idle) << "round " << round;

        // The same sheet with a breakpoint on its first line, then stepped into to the end.
        run_engine b(stepped, std::make_unique<test::fake_engine>(), globals);
        toggle_breakpoint(stepped, 0);
        b.run_all();
        int steps = 0;
        while (b.state() == run_state::paused && steps < 1'000'000) {
            ASSERT_GE(b.current_line(), 0);
            ASSERT_LT(b.current_line(), stepped.line_count()) << "round " << round;
            b.step(step_kind::into);
            ++steps;
        }
        ASSERT_EQ(b.state(), run_state::idle) << "round " << round;
        EXPECT_EQ(b.reason(), a.reason()) << "round " << round;
        for (int i = 0; i < whole.line_count(); ++i) {
            EXPECT_EQ(stepped.line(i).error_text, whole.line(i).error_text)
                << "round " << round << " line " << i;
            EXPECT_EQ(stepped.line(i).results.count, whole.line(i).results.count)
                << "round " << round << " line " << i;
        }
        EXPECT_EQ(test::value0(stepped, 0), test::value0(whole, 0)) << "round " << round;
    }
    set_max_loop_count(1000);
}

} // namespace
} // namespace mondrel
