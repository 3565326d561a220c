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
#include "display/mrdisplay_rows.h"
#include "display/sheet_print.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/make_line.h"

using namespace mondrel;

namespace {

constexpr int sheet_lines = 10000;

// Expression lines, each with a closed array of three values as a run leaves them.
std::unique_ptr<mondrel_doc> make_sheet(int n) {
    auto doc = std::make_unique<mondrel_doc>();
    doc->clear();
    for (int i = 0; i < n; ++i) {
        line_ptr line =
            make_line(*doc, 1, cw_expression, "r" + std::to_string(i), "{1.5, 22.25, 333.125}");
        line->format = std::make_unique<prop_list>(prop_list::from_text(""));
        doc->add_sli(std::move(line));
    }
    doc->structure_changed();
    for (int i = 0; i < n; ++i) {
        line_results& r = doc->line(i).results;
        r.count = 3;
        r.capacity = 13;
        r.values.resize(3);
        r.values[0] = vbs::Value::dbl(1.5);
        r.values[1] = vbs::Value::dbl(22.25);
        r.values[2] = vbs::Value::dbl(333.125);
        r.formats.assign(3, doc->line(i).format.get());
        r.indexes = {si_array{-3}, si_array{1}, si_array{2}};
        r.opens = {bo_array{0}, bo_array{0}, bo_array{0}};
    }
    return doc;
}

void print_view(benchmark::State& state, int flags) {
    auto doc = make_sheet(sheet_lines);
    mrdisplay_rows rows;
    rows.refresh(*doc);
    int pages = 0;
    for (auto _ : state) {
        fake_print_device device(2480, 3508, 300); // A4 at 300 dots per inch
        const print_outcome out = print_sheet(*doc, rows, flags, print_settings{}, device,
                                              "7-Dec-2026");
        if (!out.ok) state.SkipWithError(out.message.c_str());
        pages = out.pages;
        benchmark::DoNotOptimize(device.pages.data());
    }
    state.counters["pages"] = pages;
}

void print_data(benchmark::State& state) { print_view(state, print_line_numbers); }
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
