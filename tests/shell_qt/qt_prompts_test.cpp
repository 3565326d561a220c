#include "shell/qt_prompts.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace mondrel {
namespace {

// Acts on the modal dialog of type D once it is shown (the answer comes from inside the
// dialog's own event loop); the act must be one that can be repeated. A watchdog closes every
// dialog and fails the test when none shows, or when one is still open a few seconds after the
// act, so no dialog can hang the test. The driver acts only while it lives: keep it for the
// call that shows the dialog, and no later dialog meets a stale act.
template <typename D>
[[nodiscard]] std::unique_ptr<QTimer> when_shown(std::function<void(D&)> act) {
    auto timer = std::make_unique<QTimer>();
    QTimer* t = timer.get();
    auto ticks = std::make_shared<int>(0);
    auto acted = std::make_shared<bool>(false);
    QObject::connect(t, &QTimer::timeout, [t, ticks, acted, act] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<D*>(modal);
        // An act that did not take is repeated every half second.
        if (dialog && (!*acted || *ticks % 50 == 49)) {
            if (!*acted) *ticks = 0;
            *acted = true;
            ++*ticks;
            act(*dialog);
            return;
        }
        if (*acted && !modal) {
            t->stop();
            return;
        }
        if (++*ticks > 500) {
            t->stop();
            ADD_FAILURE() << (*acted ? "the dialog stayed open" : "the dialog did not show");
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) d->reject();
        }
    });
    t->start(10);
    return timer;
}

[[nodiscard]] std::unique_ptr<QTimer> when_box_shows(std::function<void(QMessageBox&)> act) {
    return when_shown<QMessageBox>(std::move(act));
}

void press_escape(QMessageBox& box) {
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&box, &esc);
}

TEST(QtPrompts, EscapeAnswersCancelOrNo) {
    QWidget window;
    qt_prompts prompts(&window);
    const std::pair<prompt_buttons, prompt_answer> cases[] = {
        {prompt_buttons::yes_no_cancel, prompt_answer::cancel},
        {prompt_buttons::yes_no, prompt_answer::no},
        {prompt_buttons::ok, prompt_answer::yes},
    };
    for (const auto& [buttons, answer] : cases) {
        const auto driver = when_box_shows(press_escape);
        EXPECT_EQ(prompts.ask("Save changes to x.mdr?", "Mondrel", buttons, prompt_icon::question),
                  answer);
    }
}

TEST(QtPrompts, ShowsTextCaptionIconAndButtons) {
    QWidget window;
    qt_prompts prompts(&window);
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    auto driver = when_box_shows([&](QMessageBox& box) {
        text = box.text();
        caption = box.windowTitle();
        icon = box.icon();
        buttons = box.standardButtons();
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(prompts.ask("Could not save the file: a.mdr", "Mondrel",
                          prompt_buttons::yes_no_cancel, prompt_icon::warning),
              prompt_answer::no);
    EXPECT_EQ(text, "Could not save the file: a.mdr");
    EXPECT_EQ(caption, "Mondrel");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

    driver = when_box_shows([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(prompts.ask("Open x with the system?", "Mondrel", prompt_buttons::yes_no,
                          prompt_icon::question),
              prompt_answer::yes);
}

// The file dialogs are checked as the prompts set them up, not by running them: the widget
// dialog reads its folder on a thread of its own, and a choice made while it reads is lost.
TEST(QtPrompts, FileDialogsOfferBothCasesAndAddTheExtension) {
    QFileDialog save;
    set_up_file_dialog(save, "Codesheets (*.mdr)|*.mdr|All files|*.*", true);
    EXPECT_EQ(save.windowTitle(), "Save As");
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save.nameFilters(), QStringList({"Codesheets (*.mdr *.MDR)", "All files (*.*)"}));
    EXPECT_EQ(save.defaultSuffix(), "mdr");

    QFileDialog open;
    set_up_file_dialog(open, "All files|*.*|Codesheets|*.mdr", false);
    EXPECT_EQ(open.windowTitle(), "Open");
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open.defaultSuffix(), "");
}

TEST(QtPrompts, OpenFilterListsBothCasesOfTheExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"OLD.MDR", "new.mdr", "notes.txt"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QFileDialog open;
    set_up_file_dialog(open, "Codesheets|*.mdr|Text|*.txt", false);
    // The patterns of the chosen filter, matched as file names are on Linux: by case.
    const QString filter = open.selectedNameFilter();
    const qsizetype from = filter.lastIndexOf('('), to = filter.lastIndexOf(')');
    const QStringList patterns = filter.mid(from + 1, to - from - 1).split(' ');
    EXPECT_EQ(QDir(dir.path()).entryList(patterns, QDir::Files | QDir::CaseSensitive, QDir::Name),
              QStringList({"OLD.MDR", "new.mdr"}));
}

TEST(QtPrompts, CancelledFileDialogsGiveNothing) {
    QWidget window;
    qt_prompts prompts(&window);
    auto driver = when_shown<QFileDialog>([](QFileDialog& d) { d.reject(); });
    EXPECT_FALSE(prompts.open_file_name("Codesheets|*.mdr").has_value());
    driver = when_shown<QFileDialog>([](QFileDialog& d) { d.reject(); });
    EXPECT_FALSE(prompts.save_file_name("Codesheets|*.mdr", "a.mdr").has_value());
}

} // namespace
} // namespace mondrel
