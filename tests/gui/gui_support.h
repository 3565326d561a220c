#pragma once
// What the window tests share: prompts answered from a list, a shown window with a new sheet,
// modal dialogs driven from a timer, waiting for runs, cells as points of the grid, and small
// sheet files.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
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

// Shows the window and waits until it is on the screen.
inline void show_exposed(QWidget& w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

// Shows the window, makes it the active one and waits until it is.
inline void show_active(QWidget& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

// File New, with the new sheet's first run ended; the new sheet.
inline mondrel_doc& new_settled_sheet(TForm1& w) {
    w.file_newExecute();
    QTest::qVerify(settle(w), "settle(w)", "", __FILE__, __LINE__);
    return w.doc_slots().cur_doc();
}

// Runs `act` on the modal dialog of type D that `open` shows; `act` ends it, or it is
// rejected afterwards so it is never left open. False when no such dialog came up.
template <class D>
bool with_modal(const std::function<void()>& open, const std::function<void(D&)>& act) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen = true;
        act(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    open();
    return seen;
}

// with_modal on the dialog that the window's action `name` shows.
template <class D>
bool with_command_dialog(TForm1& w, const char* name, const std::function<void(D&)>& act) {
    return with_modal<D>([&] { w.action(name)->trigger(); }, act);
}

// A sheet file of n lines "=1" to "=n".
inline QByteArray numbered_sheet(int n) {
    QByteArray text;
    for (int i = 1; i <= n; ++i)
        text += "o 1 =" + QByteArray::number(i) + "\r\n";
    return text;
}

inline void write_file(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace mondrel::test
