// The window on a long sheet, offscreen: window_bench LINES prints, as key=value lines,
//   load_ms         from making the window with the sheet to the end of its first (auto) run
//                   (first_run=1 when that run took place);
//   scroll_page_ms  the median time to scroll the grid down one screen and paint it;
//   edit_ms         the median time from committing an edited line (auto run off) until the
//                   grid has painted it;
//   update_actions_ms  the median time of the window's update_actions (title, tabs, every
//                   command's state, the syntax bar) with 1,000 rows selected (half the
//                   sheet when it is shorter);
//   vmhwm_kb        the process's peak resident set (VmHWM).
// bench/run_window.sh runs it on 1,000 and 100,000 lines and prints the ratios; the figures of
// the short sheet are the reference of the long one.

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "display/mrdisplay.h"
#include "document/mondrel_doc.h"
#include "shell/main_window.h"
#include "shell/qt_text_field.h"
#include "shell/string_grid.h"

using namespace mondrel;

namespace {

// Every question is answered No (or Cancel), every file dialog cancelled: nothing may wait
// for a person.
class no_prompts : public prompts {
public:
    prompt_answer ask(std::string_view, std::string_view, prompt_buttons b, prompt_icon) override {
        return b == prompt_buttons::yes_no_cancel ? prompt_answer::cancel : prompt_answer::no;
    }
    std::optional<std::string> open_file_name(std::string_view) override { return {}; }
    std::optional<std::string> save_file_name(std::string_view, std::string_view) override {
        return {};
    }
};

// A line-text sheet: named expressions with a comment line every tenth line.
void write_sheet(const std::string& path, int lines) {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < lines; ++i) {
        if (i % 10 == 0)
            out << "c 1 rem block " << i << " of the sheet\r\n";
        else
            out << "c 1 v" << i << ":=" << i << "*1.5\r\n";
    }
}

long vmhwm_kb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

bool wait_idle(TForm1& w, int ms) {
    QElapsedTimer t;
    t.start();
    while (w.busy() && t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    QApplication::processEvents();
    return !w.busy();
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms_since(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (lines < 100 || lines > 10'000'000) {
        std::fprintf(stderr, "usage: window_bench LINES (100 to 10,000,000)\n");
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("sheet.txt")).toStdString();
    write_sheet(path, lines);

    no_prompts prompts;
    memory_settings_store settings;
    settings.set_value("frm_left", "0");
    settings.set_value("frm_top", "0");
    settings.set_value("frm_width", "1280");
    settings.set_value("frm_height", "800");
    QElapsedTimer load;
    load.start();
    TForm1 w(path, &prompts, &settings);
    w.show();
    if (!wait_idle(w, 300'000)) {
        std::fprintf(stderr, "window_bench: the first run did not end\n");
        return 1;
    }
    w.grid().viewport()->repaint();
    const double load_ms = ms_since(load);
    mondrel_doc& doc = w.doc_slots().cur_doc();
    if (doc.line_count() < lines) {
        std::fprintf(stderr, "window_bench: the sheet shows %d lines, not %d\n", doc.line_count(),
                     lines);
        return 1;
    }
    // A text sheet opens with auto run on: the load includes its first run.
    const bool first_run = doc.line(1).results.count > 0;
    doc.auto_running = false;

    // Scrolling: one screen down at a time from the top, each screen painted at once.
    TorbStringGrid& grid = w.grid();
    const int pages = 20;
    std::vector<double> scroll;
    for (int p = 0; p < pages; ++p) {
        QElapsedTimer t;
        t.start();
        grid.set_top_row(grid.top_row() + grid.visible_rows());
        grid.viewport()->repaint();
        scroll.push_back(ms_since(t));
    }
    if (grid.top_row() < 1 + pages * 10) {
        std::fprintf(stderr, "window_bench: the grid did not scroll (top row %d)\n",
                     grid.top_row());
        return 1;
    }

    // Editing lines in the middle of the sheet: each edit is committed and shown.
    mrdisplay& display = w.display();
    const int edits = 10;
    std::vector<double> edit;
    int shown = 0;
    for (int e = 0; e < edits; ++e) {
        const int line = lines / 2 + 10 * e + 1; // never a comment line
        const int row = line + 1;
        display.show_row(row);
        display.start_edit(row, edit_kind::code);
        const std::string code = std::to_string(4000 + e) + "*2";
        w.code_field().set_text(code);
        QElapsedTimer t;
        t.start();
        display.end_edit(end_edit_mode::commit);
        QApplication::processEvents();
        grid.viewport()->repaint();
        edit.push_back(ms_since(t));
        if (doc.line(line).code == code) ++shown;
    }
    if (shown != edits) {
        std::fprintf(stderr, "window_bench: %d of %d edits reached the sheet\n", shown, edits);
        return 1;
    }

    // The command states after an operation, with a thousand rows selected (a few changed
    // between calls, so nothing is answered from a previous call).
    std::vector<double> update;
    const int first_selected = std::max(1, lines / 4);
    const int selected = std::min(1000, lines / 2);
    for (int k = 0; k < 50; ++k) {
        display.select_rows(first_selected + k % 2, first_selected + k % 2 + selected - 1);
        QElapsedTimer t;
        t.start();
        w.update_actions();
        update.push_back(ms_since(t));
    }
    if (display.selected_lines().size() != static_cast<size_t>(selected)) {
        std::fprintf(stderr, "window_bench: %zu lines selected, not %d\n",
                     display.selected_lines().size(), selected);
        return 1;
    }

    std::printf("lines=%d\nfirst_run=%d\nload_ms=%.1f\nscroll_page_ms=%.3f\nedit_ms=%.3f\n"
                "update_actions_ms=%.4f\nvmhwm_kb=%ld\n",
                lines, first_run ? 1 : 0, load_ms, median(scroll), median(edit), median(update),
                vmhwm_kb());
    return 0;
}
