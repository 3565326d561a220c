#pragma once
// What the window tests share: prompts answered from a list, waiting for runs, cells as points
// of the grid, and small sheet files.

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "display/mrdisplay.h"
#include "platform/prompts.h"
#include "shell/main_window.h"
#include "shell/string_grid.h"

namespace mondrel::test {

// Answers the window's questions from a list, and records them.
class scripted_prompts : public prompts {
public:
    std::deque<prompt_answer> answers;
    std::deque<std::string> file_names;
    std::vector<std::string> questions;

    prompt_answer ask(std::string_view text, std::string_view, prompt_buttons buttons,
                      prompt_icon) override {
        questions.emplace_back(text);
        if (answers.empty())
            return buttons == prompt_buttons::yes_no_cancel ? prompt_answer::cancel
                                                            : prompt_answer::no;
        const prompt_answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> open_file_name(std::string_view) override { return next_name(); }
    std::optional<std::string> save_file_name(std::string_view, std::string_view) override {
        return next_name();
    }

private:
    std::optional<std::string> next_name() {
        if (file_names.empty()) return std::nullopt;
        std::string n = file_names.front();
        file_names.pop_front();
        return n;
    }
};

inline QPoint cell_centre(TForm1& w, int column, int row) {
    w.display().show_row(row);
    const rect r = w.grid().cell_rect(column, row);
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

inline void click_cell(TForm1& w, int column, int row, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(w.grid().viewport(), Qt::LeftButton, mods, cell_centre(w, column, row));
}

// Until no run is asked for or in progress.
inline bool settle(TForm1& w, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (w.busy() && t.elapsed() < ms)
        QTest::qWait(5);
    return !w.busy();
}

inline void write_file(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace mondrel::test
