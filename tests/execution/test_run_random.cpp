// Random sheets of loops, exits, conditions and errors, run whole and stepped through: every
// run must end (the loop limit bounds it), every walk must stay inside the sheet, and stepping
// must reach the same values as running whole.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "execution/run_engine_vbs.h"
#include "test_run_support.h"
#include "vbscript/convert.h"

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
        case 2: { // a comparison, a number (the walk decides) or a condition that may fail
            const std::string k = std::to_string(rng() % 10);
            const std::string conditions[] = {"n>" + k, "n>" + k, "n-" + k, "1/(n-" + k + ")>0"};
            lines.push_back({depth, cw_if, "", conditions[rng() % 4]});
            break;
        }
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
    auto limit = test::loop_limit_scope(20);
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
}

// The project's engine with every way of joining lines into one call turned off: each line is
// a call of its own, as the walk describes it.
class line_by_line_engine final : public script_engine {
public:
    line_by_line_engine() : inner_(make_vbs_engine()) {}
    void reset() override { inner_->reset(); }
    void add_object(std::string_view name, vbs::Ptr<vbs::Object> object) override {
        inner_->add_object(name, std::move(object));
    }
    vbs::ExecResult execute_statement(std::string_view text) override {
        return inner_->execute_statement(text);
    }
    vbs::EvalResult eval(std::string_view expression) override { return inner_->eval(expression); }
    void interrupt() override { inner_->interrupt(); }
    void set_time_limit(std::chrono::milliseconds limit) override { inner_->set_time_limit(limit); }

private:
    std::unique_ptr<script_engine> inner_;
};

std::string shown(const line_results& r) {
    std::string text = std::to_string(r.count) + ":";
    for (int k = 0; k < r.count && k < static_cast<int>(r.values.size()); ++k)
        text += vbs::to_string(r.values[static_cast<size_t>(k)]) + ";";
    return text;
}

// Lines joined into one call (runs of plain lines, the IF/WHILE/FOR line after them, leaving
// an IF, value reports of many lines, FOR passes that read their variables) must give exactly
// what running every line on its own gives: values, errors, where the walk ends, lines run.
TEST(RandomSheets, JoinedCallsAgreeWithLineByLineCalls) {
    auto limit = test::loop_limit_scope(20);
    std::mt19937 rng(777);
    for (int round = 0; round < 300; ++round) {
        auto lines = random_sheet(rng, 6 + static_cast<int>(rng() % 40));
        mondrel_doc joined, single;
        test::fill_sheet(joined, lines);
        test::fill_sheet(single, lines);
        global_list globals;
        run_engine a(joined, make_vbs_engine(), globals);
        run_engine b(single, std::make_unique<line_by_line_engine>(), globals);
        for (int run = 0; run < 2; ++run) { // the second run finds its joined code made
            a.run_all();
            b.run_all();
            ASSERT_EQ(a.state(), b.state()) << "round " << round;
            EXPECT_EQ(a.current_line(), b.current_line()) << "round " << round;
            EXPECT_EQ(a.lines_executed(), b.lines_executed()) << "round " << round;
            for (int i = 0; i < joined.line_count(); ++i) {
                EXPECT_EQ(joined.line(i).error_text, single.line(i).error_text)
                    << "round " << round << " line " << i;
                EXPECT_EQ(shown(joined.line(i).results), shown(single.line(i).results))
                    << "round " << round << " line " << i;
            }
            a.reset();
            b.reset();
        }
    }
}

} // namespace
} // namespace mondrel
