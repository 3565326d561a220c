// Cost of answering the tree questions (parent, last child, subtree size) for every line of a
// sheet. The one-pass index must cost the same per line at 1,000 and at 100,000 lines; the
// single walks, each from the start of the array, are the reference and grow with the sheet.
//
// Read the "per_line" column: seconds per line answered.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "display/prop_stuff.h"
#include "document/line_tree.h"
#include "document/mondrel_doc.h"

namespace {

// Counts of a sheet shaped like real ones: mostly leaves, lists of a few to a few dozen
// children, nested up to a dozen levels.
std::vector<int32_t> sheet_counts(int n) {
    std::mt19937 rng(7);
    std::vector<int32_t> counts;
    counts.reserve(n);
    std::vector<int> open; // children still to place per open list (index into counts)
    std::vector<int> left;
    while (static_cast<int>(counts.size()) < n) {
        const int room = n - static_cast<int>(counts.size()) - 1;
        const bool head = room > 2 && open.size() < 12 && rng() % 6 == 0;
        if (!left.empty()) --left.back();
        if (head) {
            const int kids = 1 + static_cast<int>(rng() % std::min(30, room));
            counts.push_back(kids + 1);
            left.push_back(kids);
        } else {
            counts.push_back(1);
        }
        while (!left.empty() && left.back() == 0)
            left.pop_back();
    }
    return counts;
}

void set_per_line(benchmark::State& state, int lines) {
    state.counters["per_line"] = benchmark::Counter(
        lines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_line_tree_all_lines(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<int32_t> counts = sheet_counts(n);
    mondrel::line_tree tree;
    for (auto _ : state) {
        tree.rebuild(counts);
        long sum = 0;
        for (int i = 0; i < n; ++i)
            sum += tree.parent_of(i) + tree.is_last_child(i) + tree.subtree_size(i);
        benchmark::DoNotOptimize(sum);
    }
    set_per_line(state, n);
}
BENCHMARK(BM_line_tree_all_lines)->Arg(1000)->Arg(10000)->Arg(100000);

// The same through the document, as the run engine and the display ask: a structural change,
// then every line's answers.
void BM_doc_tree_all_lines(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<int32_t> counts = sheet_counts(n);
    mondrel::mondrel_doc doc;
    doc.clear();
    for (int i = 0; i < n; ++i)
        doc.add_sli(mondrel::make_line(doc, counts[i], 0, "", "1"));
    for (auto _ : state) {
        doc.structure_changed();
        const mondrel::line_tree& tree = doc.tree();
        long sum = 0;
        for (int i = 0; i < n; ++i)
            sum += tree.parent_of(i) + tree.is_last_child(i) + tree.subtree_size(i);
        benchmark::DoNotOptimize(sum);
    }
    set_per_line(state, n);
}
BENCHMARK(BM_doc_tree_all_lines)->Arg(1000)->Arg(10000)->Arg(100000);

// Reference: one walk per question, as the single routines answer it.
void BM_single_walks_all_lines(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<int32_t> counts = sheet_counts(n);
    for (auto _ : state) {
        long sum = 0;
        for (int i = 0; i < n; ++i)
            sum += mondrel::parent_of(counts, i) + mondrel::is_last_child(counts, i);
        benchmark::DoNotOptimize(sum);
    }
    set_per_line(state, n);
}
BENCHMARK(BM_single_walks_all_lines)->Arg(1000)->Arg(10000);

} // namespace

BENCHMARK_MAIN();
