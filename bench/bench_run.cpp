// Cost of running codesheets, against the same computation run as one VBScript text through
// the same engine in the same call.
//
// Columns: ns_per_line is the sheet's cost per line executed (loop passes count each body line
// again, plus the loop line itself); block_ns_per_line is the one-text run divided by the same
// number of lines; ratio is sheet time / block time. The sheet's time includes the fetch of
// every line's values at the end of the run, which the one-text run does not do.
//
//   Mix/N: N lines of expressions and IFs, plus one FOR loop of 1,000 passes over 5 lines.
//   Loop1M: a FOR loop of 1,000,000 passes over 3 expression lines.
//   Straight/N: N expression lines, no loops (N = 1,000 to 300,000): the cost per line as the
//   sheet grows, without the Mix sheet's fixed loop weighing on the small sizes.

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/make_line.h"
#include "execution/run_engine.h"
#include "execution/run_engine_vbs.h"
#include "vbscript/engine.h"

namespace {

using namespace mondrel;

struct sheet_line {
    int depth;
    int32_t word;
    std::string name;
    std::string code;
};

// A sheet and the one VBScript text that computes the same.
struct workload {
    std::vector<sheet_line> lines;
    std::string block;
};

void fill(mondrel_doc& doc, const std::vector<sheet_line>& lines) {
    doc.clear();
    std::vector<int32_t> counts(lines.size(), 1);
    std::vector<int> open;
    for (size_t k = 0; k < lines.size(); ++k) {
        open.resize(static_cast<size_t>(lines[k].depth));
        if (lines[k].depth > 0) ++counts[open.back()];
        open.push_back(static_cast<int>(k));
    }
    for (size_t k = 0; k < lines.size(); ++k)
        doc.insert_line(doc.line_count(),
                        make_line(doc, counts[k], lines[k].word, lines[k].name, lines[k].code));
    doc.structure_changed();
}

// Blocks of 5 lines: an expression, an IF with one LET child, an expression and a LET;
// then one FOR loop of 1,000 passes over a 5-line body.
workload mix(int n) {
    workload w;
    w.lines.push_back({0, cw_expression, "acc", "0"});
    w.block = "Dim acc\r\nacc=0\r\n";
    for (int k = 0; static_cast<int>(w.lines.size()) < n - 7; ++k) {
        const std::string v = "v" + std::to_string(k), u = "u" + std::to_string(k);
        w.lines.push_back({0, cw_expression, v, std::to_string(k % 17) + "*1.5"});
        w.lines.push_back({0, cw_if, "", v + ">3"});
        w.lines.push_back({1, cw_let, "", "acc=acc+" + v});
        w.lines.push_back({0, cw_expression, u, v + "*2-acc/1000"});
        w.lines.push_back({0, cw_let, "", "acc=acc-" + u + "/4"});
        w.block += "Dim " + v + "\r\n" + v + "=" + std::to_string(k % 17) + "*1.5\r\n";
        w.block += "If " + v + ">3 Then\r\nacc=acc+" + v + "\r\nEnd If\r\n";
        w.block += "Dim " + u + "\r\n" + u + "=" + v + "*2-acc/1000\r\n";
        w.block += "acc=acc-" + u + "/4\r\n";
    }
    w.lines.push_back({0, cw_for, "i", "1 to 1000"});
    w.lines.push_back({1, cw_expression, "a", "i*2"});
    w.lines.push_back({1, cw_expression, "b", "a+acc"});
    w.lines.push_back({1, cw_let, "", "acc=acc+b/1000"});
    w.lines.push_back({1, cw_expression, "c", "acc*0.5"});
    w.lines.push_back({1, cw_let, "", "acc=acc-c/2"});
    w.lines.push_back({0, cw_expression, "", ""});
    w.block += "Dim i, a, b, c\r\nFor i=1 To 1000\r\na=i*2\r\nb=a+acc\r\nacc=acc+b/1000\r\n"
               "c=acc*0.5\r\nacc=acc-c/2\r\nNext\r\n";
    return w;
}

workload loop_1m() {
    workload w;
    w.lines = {{0, cw_expression, "s", "0"},   {0, cw_for, "i", "1 to 1000000"},
               {1, cw_expression, "a", "i*2"}, {1, cw_let, "", "s=s+a"},
               {1, cw_expression, "b", "s/2"}, {0, cw_expression, "", ""}};
    w.block = "Dim s, i, a, b\r\ns=0\r\nFor i=1 To 1000000\r\na=i*2\r\ns=s+a\r\nb=s/2\r\nNext\r\n";
    return w;
}

workload straight(int n) {
    workload w;
    for (int k = 0; k < n; ++k) {
        const std::string x = "x" + std::to_string(k);
        const std::string e = k ? "x" + std::to_string(k - 1) + "+" + std::to_string(k % 7) : "1";
        w.lines.push_back({0, cw_expression, x, e});
        w.block += "Dim " + x + "\r\n" + x + "=" + e + "\r\n";
    }
    w.lines.push_back({0, cw_expression, "", ""});
    return w;
}

// What is timed. rerun: the sheet runs again unchanged, as it does when the user asks for a
// run, against the block run again (both find their code compiled). first: a fresh document
// engine and a fresh block engine, so both compile everything. edit: the first line's constant
// changes before each run, as live recalculation after typing does: the sheet compiles that
// one line again, the block (a new text) compiles the whole of itself.
enum class timing { rerun, first, edit };

// Processor time of this thread: the machine may be shared, and waiting is not cost.
double thread_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The block with its first assignment of `was` given `k` instead.
std::string edited_block(const std::string& block, const std::string& was, int k) {
    const std::string from = "=" + was + "\r\n";
    const size_t at = block.find(from);
    if (at == std::string::npos) return block;
    return block.substr(0, at) + "=" + std::to_string(k) + block.substr(at + from.size() - 2);
}

void run_against_block(benchmark::State& state, const workload& w, timing how) {
    set_max_loop_count(2'000'000);
    mondrel_doc doc;
    fill(doc, w.lines);
    global_list globals;
    auto run = std::make_unique<run_engine>(doc, make_vbs_engine(), globals);
    auto block_engine = std::make_unique<vbs::Engine>();
    block_engine->set_cache_limit(4); // edited blocks are not kept
    if (how != timing::first) {       // both compile once, untimed
        run->run_all();
        block_engine->execute_statement(w.block);
    }
    const sheet_line& first_line = w.lines.front();
    double sheet_s = 0, block_s = 0;
    int64_t lines = 0;
    int k = 0;
    for (auto _ : state) {
        std::string block = w.block;
        if (how == timing::first) {
            state.PauseTiming();
            run.reset();
            run = std::make_unique<run_engine>(doc, make_vbs_engine(), globals);
            block_engine = std::make_unique<vbs::Engine>();
            state.ResumeTiming();
        } else if (how == timing::edit) {
            ++k;
            doc.replace_line(
                0, make_line(doc, 1, first_line.word, first_line.name, std::to_string(k)));
            block = edited_block(w.block, first_line.code, k);
        }
        const int64_t before = run->lines_executed();
        const double t0 = thread_seconds();
        run->run_all();
        const double t1 = thread_seconds();
        block_engine->reset();
        vbs::ExecResult r = block_engine->execute_statement(block);
        const double t2 = thread_seconds();
        if (!r.ok()) state.SkipWithError(("block failed: " + r.error.description).c_str());
        lines += run->lines_executed() - before;
        sheet_s += t1 - t0;
        block_s += t2 - t1;
    }
    for (int i = 0; i < doc.line_count(); ++i)
        if (doc.line(i).status != status_ok) {
            state.SkipWithError(
                ("line " + std::to_string(i) + ": " + doc.line(i).error_text).c_str());
            break;
        }
    set_max_loop_count(1000);
    state.counters["lines"] = static_cast<double>(lines) / state.iterations();
    state.counters["ns_per_line"] = sheet_s * 1e9 / static_cast<double>(lines);
    state.counters["block_ns_per_line"] = block_s * 1e9 / static_cast<double>(lines);
    state.counters["ratio"] = sheet_s / block_s;
}

void BM_Mix(benchmark::State& state) {
    run_against_block(state, mix(static_cast<int>(state.range(0))),
                      static_cast<timing>(state.range(1)));
}
// Second argument: 0 rerun, 1 first run, 2 after an edit.
BENCHMARK(BM_Mix)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1, 2}})
    ->ArgNames({"lines", "timing"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);

void BM_Loop1M(benchmark::State& state) {
    run_against_block(state, loop_1m(), timing::rerun);
}
BENCHMARK(BM_Loop1M)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Straight(benchmark::State& state) {
    run_against_block(state, straight(static_cast<int>(state.range(0))),
                      static_cast<timing>(state.range(1)));
}
BENCHMARK(BM_Straight)
    ->ArgsProduct({{1000, 10000}, {0, 1, 2}})
    ->ArgNames({"lines", "timing"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);
BENCHMARK(BM_Straight)
    ->Args({100000, 0})
    ->Args({300000, 0})
    ->ArgNames({"lines", "timing"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_Straight)
    ->ArgsProduct({{100000}, {1, 2}})
    ->ArgNames({"lines", "timing"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
