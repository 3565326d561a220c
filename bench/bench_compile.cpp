// Cost of compiling VBScript text (lexer, parser and compiler), per line, as programs grow.
//
// Compile/N: a program of N `Dim xK` / `xK=xK-1+1` pairs (2N lines), parsed and compiled
// against a global table built as the engine's is. The reference in the same call is the
// time of running the compiled program once through the engine (the text's second run, when
// the engine already holds its compiled form). Columns:
//   compile_ns_per_line  parse + compile, per line
//   lex_ns_per_line      the lexer's share of it
//   run_ns_per_line      one run of the compiled program, per line
//   ratio                compile time / run time
//   engine_compile_ns_per_line  the engine's first run of the text less its second run: the
//                        same compile against the engine's own global table
// The per-line compile cost should stay about flat from 1k to 100k.
//
// Mixed/N: N blocks of procedures, string constants, loops and member calls (about 12 lines
// each), compiled the same way.
// SmallTexts: 1,000 distinct one-line texts, each compiled on its own, as a sheet compiles
// every line's script on its first run; per-text cost in compile_ns_per_text.

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>
#include <unordered_map>
#include <vector>

#include "vbscript/ast.h"
#include "vbscript/compiler.h"
#include "vbscript/convert.h"
#include "vbscript/engine.h"
#include "vbscript/lexer.h"

namespace {

// A global table keyed as the engine's is (lower-case name to permanent slot) that answers
// the compiler's lookup() of a name with one search. No name is defined before the run.
class BenchGlobals : public vbs::GlobalTable {
public:
    int slot(std::string_view name) override {
        std::string low = vbs::to_lower_ascii(name);
        auto it = index_.find(low);
        if (it != index_.end()) return it->second;
        int idx = int(index_.size());
        index_.emplace(std::move(low), idx);
        return idx;
    }
    bool is_defined(std::string_view) override { return false; }
    int lookup(std::string_view name, bool& defined) override {
        defined = false;
        auto it = index_.find(vbs::to_lower_ascii(name));
        return it == index_.end() ? -1 : it->second;
    }

private:
    std::unordered_map<std::string, int> index_;
};

// Processor time of this thread: the machine may be shared, and waiting is not cost.
double now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

std::string chain(int n) {
    std::string s = "Dim x0\r\nx0=1\r\n";
    for (int k = 1; k < n; ++k) {
        std::string x = "x" + std::to_string(k);
        s += "Dim " + x + "\r\n" + x + "=x" + std::to_string(k - 1) + "+1\r\n";
    }
    return s;
}

std::string mixed(int n) {
    std::string s = "Dim d, total\r\nSet d = CreateObject(\"Scripting.Dictionary\")\r\n";
    for (int k = 0; k < n; ++k) {
        std::string f = "F" + std::to_string(k), v = "v" + std::to_string(k);
        s += "Function " + f + "(a, ByVal b)\r\n";
        s += "  Dim i, t\r\n  t = \"item " + std::to_string(k) + "\"\r\n";
        s += "  For i = 1 To b\r\n    If i Mod 2 = 0 Then a = a + i Else a = a - 1\r\n  Next\r\n";
        s += "  " + f + " = a & t\r\nEnd Function\r\n";
        s += "Dim " + v + "\r\n" + v + " = " + f + "(" + std::to_string(k) + ", 3)\r\n";
        s += "d.Add \"k" + std::to_string(k) + "\", " + v + "\r\n";
        s += "total = total + Len(" + v + ")\r\n";
    }
    return s;
}

int64_t count_lines(const std::string& s) {
    int64_t n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

// Parses and compiles `text` once; fails the benchmark on a syntax error.
bool compile_once(benchmark::State& state, const std::string& text) {
    BenchGlobals globals;
    vbs::Program prog;
    vbs::SyntaxError err;
    if (!vbs::parse_program(text, prog, err)) {
        state.SkipWithError(("syntax error " + std::to_string(err.number)).c_str());
        return false;
    }
    auto unit = vbs::compile_program(prog, globals, vbs::CompileTarget{}, err);
    if (!unit) {
        state.SkipWithError(("compile error " + std::to_string(err.number)).c_str());
        return false;
    }
    benchmark::DoNotOptimize(unit.get());
    return true;
}

void compile_against_run(benchmark::State& state, const std::string& text) {
    const int64_t lines = count_lines(text);
    double compile_s = 0, lex_s = 0, run_s = 0, first_s = 0;
    for (auto _ : state) {
        const double t0 = now();
        // The lexer as the parser uses it: one token at a time.
        vbs::Lexer lexer(text);
        vbs::Token tok;
        while (lexer.next(tok) && tok.kind != vbs::T::Eof)
            benchmark::DoNotOptimize(tok.kind);
        const double t1 = now();
        if (!compile_once(state, text)) return;
        const double t2 = now();
        vbs::Engine engine;
        engine.set_time_limit(std::chrono::milliseconds(0));
        vbs::ExecResult first = engine.execute_statement(text);
        const double t3 = now();
        vbs::ExecResult again = engine.execute_statement(text);
        const double t4 = now();
        if (!first.ok() || !again.ok()) {
            state.SkipWithError(("run failed: " + first.error.description).c_str());
            return;
        }
        lex_s += t1 - t0;
        compile_s += t2 - t1;
        first_s += t3 - t2;
        run_s += t4 - t3;
    }
    const double runs = double(state.iterations()) * double(lines);
    state.counters["lines"] = double(lines);
    state.counters["compile_ns_per_line"] = compile_s * 1e9 / runs;
    state.counters["lex_ns_per_line"] = lex_s * 1e9 / runs;
    state.counters["run_ns_per_line"] = run_s * 1e9 / runs;
    state.counters["ratio"] = compile_s / run_s;
    state.counters["engine_compile_ns_per_line"] = (first_s - run_s) * 1e9 / runs;
}

void BM_Compile(benchmark::State& state) {
    compile_against_run(state, chain(int(state.range(0))));
}
BENCHMARK(BM_Compile)
    ->Arg(500)
    ->Arg(5000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Mixed(benchmark::State& state) {
    compile_against_run(state, mixed(int(state.range(0))));
}
BENCHMARK(BM_Mixed)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SmallTexts(benchmark::State& state) {
    std::vector<std::string> texts;
    for (int k = 0; k < 1000; ++k)
        texts.push_back("x" + std::to_string(k) + "=x" + std::to_string(k + 1) + "*2+Sqr(y)-" +
                        std::to_string(k % 7));
    double compile_s = 0;
    for (auto _ : state) {
        const double t0 = now();
        for (const std::string& t : texts)
            if (!compile_once(state, t)) return;
        compile_s += now() - t0;
    }
    state.counters["compile_ns_per_text"] =
        compile_s * 1e9 / (double(state.iterations()) * double(texts.size()));
}
BENCHMARK(BM_SmallTexts)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
