// Cost of turning numbers into cell text: 1,000,000 doubles in the general form and with the
// picture "#,##0.00", against C's snprintf("%.15g") on the same numbers as the reference.
// The general form should stay within 3 times the reference.
//
// Read the "items_per_second" column; each run formats the whole set once.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "display/number_picture.h"
#include "display/value_text.h"

namespace {

// Values as sheets hold them: amounts up to a million, a quarter of them with more decimals.
const std::vector<double>& numbers() {
    static const std::vector<double> v = [] {
        std::mt19937_64 rng(42);
        std::uniform_real_distribution<double> amount(-1e6, 1e6);
        std::vector<double> r(1000000);
        for (double& x : r)
            x = amount(rng) / (rng() % 4 ? 1.0 : 1000.0);
        return r;
    }();
    return v;
}

void reference_snprintf(benchmark::State& state) {
    char buf[64];
    for (auto _ : state)
        for (double x : numbers())
            benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%.15g", x));
    state.SetItemsProcessed(state.iterations() * numbers().size());
}

void general_form(benchmark::State& state) {
    const vbs::locale_info& loc = vbs::en_us_locale();
    std::string out;
    for (auto _ : state)
        for (double x : numbers()) {
            out.clear();
            mondrel::append_general(x, loc, out);
            benchmark::DoNotOptimize(out.data());
        }
    state.SetItemsProcessed(state.iterations() * numbers().size());
}

void picture_thousands(benchmark::State& state) {
    const vbs::locale_info& loc = vbs::en_us_locale();
    std::string out;
    for (auto _ : state)
        for (double x : numbers()) {
            out.clear();
            mondrel::append_number_rule(x, "#,##0.00", "", "", loc, out);
            benchmark::DoNotOptimize(out.data());
        }
    state.SetItemsProcessed(state.iterations() * numbers().size());
}

// The whole path a cell takes: a script value and its format set to a new string.
void value_text_cells(benchmark::State& state) {
    const mondrel::prop_list format =
        mondrel::prop_list::from_text(state.range(0) ? "number:#,##0.00" : "");
    for (auto _ : state)
        for (double x : numbers())
            benchmark::DoNotOptimize(mondrel::value_text(vbs::Value::dbl(x), format));
    state.SetItemsProcessed(state.iterations() * numbers().size());
}

BENCHMARK(reference_snprintf)->Unit(benchmark::kMillisecond);
BENCHMARK(general_form)->Unit(benchmark::kMillisecond);
BENCHMARK(picture_thousands)->Unit(benchmark::kMillisecond);
BENCHMARK(value_text_cells)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
