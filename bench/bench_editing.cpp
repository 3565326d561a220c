// Cost of editing a large sheet: 1,000 random editing commands, then 1,000 undos and 1,000
// redos, on sheets of 10,000 and 100,000 lines; and deleting half of such a sheet at once.
//
// The reference, run in the same program, is one linear pass over the sheet (rebuilding the
// tree index). Read "per_op" (seconds per command, undo or redo) and "walks_per_op" (that
// cost in reference passes): when editing stays linear in the sheet's size, walks_per_op is
// about the same at both sizes; a quadratic step would multiply it by ten.

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/editing_commands.h"
#include "document/line_tree.h"
#include "document/mondrel_doc.h"

namespace {

using namespace mondrel;

// Processor time of this program in seconds: the machine may be busy with other work.
double cpu_now() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// A sheet shaped like real ones: mostly leaves, lists of a few to a few dozen children,
// nested up to eight levels, about half of them open.
void fill_sheet(mondrel_doc& doc, int n, std::mt19937& rng) {
    doc.clear();
    std::vector<int> heads; // open lists still taking children
    std::vector<int> left;
    for (int i = 0; i < n; ++i) {
        const int room = n - i - 1;
        std::string code = "x";
        code += std::to_string(i % 97);
        auto line = std::make_unique<source_list_item>(1, "", std::move(code));
        if (!left.empty()) --left.back();
        if (room > 2 && heads.size() < 8 && rng() % 6 == 0) {
            const int kids = 1 + static_cast<int>(rng() % std::min(30, room));
            line->count = kids + 1;
            line->flags = rng() % 2 ? flag_open : 0;
            heads.push_back(i);
            left.push_back(kids);
        }
        doc.add_sli(std::move(line));
        while (!left.empty() && left.back() == 0) {
            left.pop_back();
            heads.pop_back();
        }
    }
}

void random_edit(editing_commands& commands, mondrel_doc& doc, std::mt19937& rng) {
    const int first = static_cast<int>(rng() % doc.line_count());
    std::vector<int> sel{first};
    const int extra = static_cast<int>(rng() % 3);
    for (int k = 1; k <= extra && first + k < doc.line_count(); ++k)
        sel.push_back(first + k);
    const std::vector<int> one{first};
    switch (rng() % 9) {
    case 0:
        commands.add_line(one, cw_expression);
        break;
    case 1:
        commands.insert_line(one);
        break;
    case 2:
        commands.add_child_line(one);
        break;
    case 3:
        commands.delete_lines(sel);
        break;
    case 4:
        commands.set_code_word(sel, rng() % 2 ? cw_rem : cw_expression);
        break;
    case 5:
        commands.toggle_open_closed(one);
        break;
    case 6:
        commands.convert_to_list(sel);
        break;
    case 7:
        commands.convert_from_list(one);
        break;
    default:
        commands.paste_format(sel, "style:bold");
        break;
    }
}

void edit_undo_redo(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    constexpr int edits = 1000;
    double edit_seconds = 0, walk_seconds = 0;
    int64_t ops = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::mt19937 rng(11);
        mondrel_doc doc;
        doc.auto_running = false;
        fill_sheet(doc, n, rng);
        editing_commands commands(doc, command_ports{});
        state.ResumeTiming();

        const auto t0 = cpu_now();
        for (int k = 0; k < edits; ++k)
            random_edit(commands, doc, rng);
        while (commands.undo()) {
        }
        while (commands.redo()) {
        }
        const auto t1 = cpu_now();
        ops += edits + 2 * doc.history().undo_count();

        // The reference: linear passes over the same sheet.
        state.PauseTiming();
        const auto w0 = cpu_now();
        for (int k = 0; k < 20; ++k) {
            doc.structure_changed();
            benchmark::DoNotOptimize(doc.tree().size());
        }
        const auto w1 = cpu_now();
        state.ResumeTiming();
        edit_seconds += t1 - t0;
        walk_seconds += (w1 - w0) / 20;
    }
    const double per_op = edit_seconds / static_cast<double>(ops);
    const double per_walk = walk_seconds / static_cast<double>(state.iterations());
    state.counters["per_op"] = per_op;
    state.counters["walks_per_op"] = per_op / per_walk;
}

// Deleting half of the sheet at once (a selection of many rows), then undo and redo: the cost
// per deleted line must not grow with the sheet.
void delete_half_undo_redo(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::mt19937 rng(5);
        mondrel_doc doc;
        doc.auto_running = false;
        fill_sheet(doc, n, rng);
        editing_commands commands(doc, command_ports{});
        std::vector<int> rows;
        for (int i = n / 4; i < 3 * n / 4; ++i)
            rows.push_back(i);
        state.ResumeTiming();
        const double t0 = cpu_now();
        commands.delete_lines(rows);
        commands.undo();
        commands.redo();
        seconds += cpu_now() - t0;
    }
    state.counters["per_line"] = seconds / static_cast<double>(state.iterations()) / (n / 2);
}

BENCHMARK(edit_undo_redo)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(delete_half_undo_redo)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
