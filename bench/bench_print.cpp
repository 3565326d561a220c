// Printing a 10,000-line sheet's data view to the fake printer, which records every text it
// is given (so the layout's own cost plus a cheap sink, no rasterising):
//   print_data          the two passes over all rows: measuring, page breaks, drawing;
//   print_source        the same sheet's source view, which builds its own rows first;
//   reference_refresh   building the sheet's rows (mrdisplay_rows::refresh), the work the
//                       window does anyway before it can show the sheet.
// Compare the print times against the reference in the same run. The whole job to PDF
// (rasterising the glyphs included) is measured on the Qt side.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "display/fake_print_device.h"
#include "bench_sheets.h"
#include "display/mrdisplay_rows.h"
#include "display/sheet_print.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/make_line.h"

using namespace mondrel;
using mondrel::bench::make_sheet;

namespace {

constexpr int sheet_lines = 10000;


void print_view(benchmark::State& state, int flags) {
    auto doc = make_sheet(sheet_lines);
    mrdisplay_rows rows;
    rows.refresh(*doc);
    int pages = 0;
    for (auto _ : state) {
        fake_print_device device(2480, 3508, 300); // A4 at 300 dots per inch
        const print_outcome out =
            print_sheet(*doc, rows, flags, print_settings{}, device, "7-Dec-2026");
        if (!out.ok) state.SkipWithError(out.message.c_str());
        pages = out.pages;
        benchmark::DoNotOptimize(device.pages.data());
    }
    state.counters["pages"] = pages;
}

void print_data(benchmark::State& state) {
    print_view(state, print_line_numbers);
}
void print_source(benchmark::State& state) {
    print_view(state, print_source_view | print_line_numbers);
}

void reference_refresh(benchmark::State& state) {
    auto doc = make_sheet(sheet_lines);
    for (auto _ : state) {
        mrdisplay_rows rows;
        rows.refresh(*doc);
        benchmark::DoNotOptimize(rows.rows().data());
    }
}

} // namespace

BENCHMARK(reference_refresh)->Unit(benchmark::kMillisecond);
BENCHMARK(print_data)->Unit(benchmark::kMillisecond);
BENCHMARK(print_source)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
