// Cost of recomputing the command states after an operation on a sheet of 100,000 lines with
// 1,000 rows selected: the window finds the lines of the selected rows, their common code
// word, then every action's enabled and checked state. It runs after every command and key
// press, so it must stay well under a frame (the aim is 0.2 ms for all of it).
//
// The reference, run in the same program, is one pass reading the code word of every line of
// the sheet. Read "Time" (microseconds per call; the aim is under 200 for BM_update_actions)
// and "walks" (that time in reference passes, measured in the same call): the update reads only
// the selected lines, so it stays a small fraction of a walk whatever the machine.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "display/mrdisplay_rows.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "shell/session/commands.h"

namespace {

using namespace mondrel;

constexpr int sheet_lines = 100000;
constexpr int selected_rows = 1000;

// A sheet of mixed code words with open lists here and there; the selected block shares one
// word, so finding the common word must read every selected line (differing words would stop
// at the second).
struct sheet {
    mondrel_doc doc;
    mrdisplay_rows rows;
    int first_row = 0;

    sheet() {
        std::mt19937 rng(11);
        doc.clear();
        std::vector<int> left;
        for (int i = 0; i < sheet_lines; ++i) {
            auto line = std::make_unique<source_list_item>(1, "", "x" + std::to_string(i % 97));
            const int room = sheet_lines - i - 1;
            if (!left.empty()) --left.back();
            if (room > 2 && left.size() < 6 && rng() % 8 == 0) {
                const int kids = 1 + static_cast<int>(rng() % std::min(20, room));
                line->count = kids + 1;
                line->flags = flag_open;
                left.push_back(kids);
            }
            const int at = doc.add_sli(std::move(line));
            doc.line(at).code_word = static_cast<int32_t>(rng() % code_word_count);
            while (!left.empty() && left.back() == 0)
                left.pop_back();
        }
        rows.refresh(doc);
        first_row = rows.grid_row_count() / 2;
        for (int r = first_row; r < first_row + selected_rows; ++r)
            doc.line(rows.rows()[r - 1].line).code_word = cw_rem;
    }

    // The lines of the selected rows, as the display hands them to the window (continuation
    // rows count once).
    std::vector<int> selected_lines() const {
        std::vector<int> lines;
        for (int r = first_row; r < first_row + selected_rows; ++r) {
            const int line = rows.rows()[r - 1].line;
            if (lines.empty() || lines.back() != line) lines.push_back(line);
        }
        return lines;
    }

    action_inputs inputs(int32_t common_word) const {
        action_inputs in;
        in.first = first_row;
        in.last = first_row + selected_rows - 1;
        in.rows = rows.grid_row_count();
        in.common_word = common_word;
        in.can_undo = true;
        in.copied_format = true;
        return in;
    }
};

sheet& the_sheet() {
    static sheet s;
    return s;
}

// One pass reading every line's code word: the reference.
double sheet_walk_seconds(const mondrel_doc& doc) {
    const auto start = std::chrono::steady_clock::now();
    constexpr int passes = 20;
    long sum = 0;
    for (int p = 0; p < passes; ++p)
        for (int i = 0; i < doc.line_count(); ++i)
            sum += doc.line(i).code_word;
    benchmark::DoNotOptimize(sum);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / passes;
}

// Runs `body` for the benchmark and reports its time per call in reference passes.
template <typename Body> void timed(benchmark::State& state, Body body) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        body();
    const double per_call =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        static_cast<double>(state.iterations());
    state.counters["walks"] = per_call / sheet_walk_seconds(the_sheet().doc);
}

void BM_compute_action_states(benchmark::State& state) {
    const action_inputs in = the_sheet().inputs(cw_rem);
    timed(state, [&] {
        action_states s = compute_action_states(in);
        benchmark::DoNotOptimize(s);
    });
}

void BM_common_code_word(benchmark::State& state) {
    const sheet& s = the_sheet();
    const std::vector<int> lines = s.selected_lines();
    int32_t word = -1;
    timed(state, [&] {
        word = common_code_word(s.doc, lines);
        benchmark::DoNotOptimize(word);
    });
    if (word != cw_rem) state.SkipWithError("the selected lines should share REM");
}

// All the window does for the states: selected lines, their word, the rules.
void BM_update_actions(benchmark::State& state) {
    const sheet& s = the_sheet();
    timed(state, [&] {
        const std::vector<int> lines = s.selected_lines();
        action_states st = compute_action_states(s.inputs(common_code_word(s.doc, lines)));
        benchmark::DoNotOptimize(st);
    });
}

BENCHMARK(BM_compute_action_states)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_common_code_word)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_update_actions)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
