// Painting rows into row pictures with the Qt canvas (offscreen):
//   typical_rows    a numbered expression line with a closed array of three values;
//   markup_comment  a rem line of about 150 characters with font, colour, tab and picture
//                   escapes, drawn across the row;
//   reference_plain_text  the same cell texts of a typical row drawn by bare QPainter calls
//                   (fill, drawText per cell) on the same size of image: the floor any
//                   painter pays. Compare typical_rows against it.
// Each iteration paints one screen of 60 rows afresh; read "items_per_second" as rows per
// second. The aim is at least 20,000 typical rows per second (a screen in under 3 ms).
//
//   scroll_100k     a sheet of 100,000 lines scrolled one screen at a time: "paints_per_scroll"
//                   counts the rows painted for each step (60 when only the rows that came
//                   into view are painted).
//   cache_memory/N  a sheet of N lines scrolled from top to bottom: "cache_MB" is what the row
//                   pictures hold at the end; it stays the same for 1,000 to 100,000 lines.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

#include "bench_sheets.h"
#include "display/mrdisplay_rows.h"
#include "display/picture_library.h"
#include "display/row_painter.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_pictures.h"

using namespace mondrel;
using mondrel::bench::make_sheet;

namespace {

constexpr int screen_rows = 60;

const char* const comment =
    "\\s10\\bRepayments\\b by year: \\c[$0000FF]interest\\c[0] and \\i balance\\i "
    "\\G\\g040\\p[green_dot] paid \\g060\\p[red_dot] owed \\f[Courier New]x = 1 : y = 2\\f[Arial] "
    "and some more words to reach the end of the row";


struct sheet_view {
    std::unique_ptr<mondrel_doc> doc;
    qt_canvas_factory factory;
    qt_picture_source source;
    picture_library pictures{source};
    mrdisplay_rows rows;
    std::unique_ptr<row_painter> painter;

    sheet_view(int lines, bool comments)
        : doc(make_sheet(lines, comments ? std::string_view(comment) : std::string_view())) {
        rows.refresh(*doc);
        painter = std::make_unique<row_painter>(rows, factory, pictures);
        painter->set_sheet_formats(*doc);
        painter->set_visible_rows(screen_rows);
    }
    // Draws every cell of the screen whose top row is `top` onto the grid canvas.
    void show(canvas& grid, int top) {
        int y = 0;
        const int last = std::min(top + screen_rows, rows.grid_row_count() + 1);
        for (int r = top; r < last; ++r) {
            const int h = rows.row_height(r);
            for (int c = 0; c < rows.column_count(); ++c) {
                const rect from = painter->col_rect(c, h);
                painter->draw_cell(grid, c, r, {from.left, y, from.right, y + h}, false);
            }
            y += h;
        }
    }
};

void paint_screen(benchmark::State& state, bool comments) {
    sheet_view view(screen_rows, comments);
    for (auto _ : state) {
        view.painter->invalidate_all();
        for (int r = 1; r <= screen_rows; ++r)
            view.painter->paint_row(r, false);
    }
    state.SetItemsProcessed(state.iterations() * screen_rows);
}

void typical_rows(benchmark::State& state) {
    paint_screen(state, false);
}
void markup_comment(benchmark::State& state) {
    paint_screen(state, true);
}

void reference_plain_text(benchmark::State& state) {
    sheet_view view(1, false);
    const table_list_item& row = view.rows.rows()[0];
    const mrdisplay_rows& rows = view.rows;
    const std::vector<std::string> texts{row.line_text,
                                         "=",
                                         std::string(rows.code(row)),
                                         std::string(rows.name(row)),
                                         "[*]",
                                         rows.cell(row, 0).text,
                                         rows.cell(row, 1).text,
                                         rows.cell(row, 2).text};
    const int width = view.painter->total_width();
    QFont font("Arial");
    font.setPointSize(8);
    for (auto _ : state) {
        for (int r = 0; r < screen_rows; ++r) {
            QImage img(width, 16, QImage::Format_RGB32);
            img.setDotsPerMeterX(3780);
            img.setDotsPerMeterY(3780);
            QPainter p(&img);
            p.setFont(font);
            for (size_t c = 0; c < texts.size(); ++c) {
                const rect cell = view.painter->col_rect(static_cast<int>(c), 16);
                p.fillRect(QRect(cell.left, 0, cell.width(), 16), Qt::white);
                p.drawText(QPoint(cell.left + 4, 12), QString::fromStdString(texts[c]));
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * screen_rows);
}

void scroll_100k(benchmark::State& state) {
    static sheet_view view(100000, false);
    qt_canvas grid(view.painter->total_width(), screen_rows * 16);
    int top = 1;
    long steps = 0;
    view.show(grid, top);
    const long before = view.painter->paints();
    for (auto _ : state) {
        top += screen_rows;
        if (top + screen_rows > view.rows.grid_row_count()) top = 1;
        view.show(grid, top);
        ++steps;
    }
    state.counters["paints_per_scroll"] =
        static_cast<double>(view.painter->paints() - before) / static_cast<double>(steps);
    state.SetItemsProcessed(steps * screen_rows);
}

void cache_memory(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    sheet_view view(lines, false);
    qt_canvas grid(view.painter->total_width(), screen_rows * 16);
    for (auto _ : state)
        for (int top = 1; top <= view.rows.grid_row_count(); top += screen_rows)
            view.show(grid, top);
    state.counters["cache_MB"] = view.painter->cache().memory_bytes() / 1e6;
    state.counters["cached_rows"] = static_cast<double>(view.painter->cache().size());
}

} // namespace

BENCHMARK(reference_plain_text)->Unit(benchmark::kMillisecond);
BENCHMARK(typical_rows)->Unit(benchmark::kMillisecond);
BENCHMARK(markup_comment)->Unit(benchmark::kMillisecond);
BENCHMARK(scroll_100k)->Unit(benchmark::kMillisecond);
BENCHMARK(cache_memory)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
