#include "shell/qt_prompts.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

namespace mondrel {
namespace {

// Acts on the modal dialog of type D once it is shown (the answer comes from inside the
// dialog's own event loop). Gives up after a few seconds, closing any dialog there is, so that
// a dialog that never becomes active cannot hang the test.
template <typename D>
void when_shown(std::function<void(D&)> act) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*dialog);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the dialog did not show";
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        }
    });
    timer->start(10);
}

void when_box_shows(std::function<void(QMessageBox&)> act) { when_shown<QMessageBox>(act); }

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
        when_box_shows(press_escape);
        EXPECT_EQ(prompts.ask("Save changes to x.mdr?", "Mondrel", buttons,
                              prompt_icon::question),
                  answer);
    }
}

TEST(QtPrompts, ShowsTextCaptionIconAndButtons) {
    QWidget window;
    qt_prompts prompts(&window);
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    when_box_shows([&](QMessageBox& box) {
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

    when_box_shows([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(prompts.ask("Open x with the system?", "Mondrel", prompt_buttons::yes_no,
                          prompt_icon::question),
              prompt_answer::yes);
}

TEST(QtPrompts, SaveDialogOffersBothCasesAndAddsTheExtension) {
    QWidget window;
    qt_prompts prompts(&window);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList filters;
    QString title;
    when_shown<QFileDialog>([&](QFileDialog& d) {
        filters = d.nameFilters();
        title = d.windowTitle();
        d.setDirectory(dir.path());
        d.selectFile(QStringLiteral("budget"));
        QMetaObject::invokeMethod(&d, "accept"); // protected: reached as a slot
    });
    const auto name = prompts.save_file_name("Codesheets (*.mdr)|*.mdr|All files|*.*", "x.mdr");
    EXPECT_EQ(title, "Save As");
    EXPECT_EQ(filters, QStringList({"Codesheets (*.mdr *.MDR)", "All files (*.*)"}));
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(*name, dir.filePath(QStringLiteral("budget.mdr")).toStdString());
}

TEST(QtPrompts, CancelledFileDialogsGiveNothing) {
    QWidget window;
    qt_prompts prompts(&window);
    when_shown<QFileDialog>([](QFileDialog& d) { d.reject(); });
    EXPECT_FALSE(prompts.open_file_name("Codesheets|*.mdr").has_value());
    when_shown<QFileDialog>([](QFileDialog& d) { d.reject(); });
    EXPECT_FALSE(prompts.save_file_name("Codesheets|*.mdr", "a.mdr").has_value());
}

TEST(QtPrompts, OpenDialogListsBothCasesAndReturnsTheChoice) {
    QWidget window;
    qt_prompts prompts(&window);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"OLD.MDR", "new.mdr", "notes.txt"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QStringList listed;
    when_shown<QFileDialog>([&](QFileDialog& d) {
        // The patterns of the chosen filter, matched as file names are on Linux: by case.
        const QString filter = d.selectedNameFilter();
        const qsizetype open = filter.lastIndexOf('('), close = filter.lastIndexOf(')');
        const QStringList patterns = filter.mid(open + 1, close - open - 1).split(' ');
        listed = QDir(dir.path()).entryList(patterns, QDir::Files | QDir::CaseSensitive,
                                            QDir::Name);
        d.setDirectory(dir.path());
        d.selectFile(QStringLiteral("OLD.MDR"));
        QMetaObject::invokeMethod(&d, "accept"); // protected: reached as a slot
    });
    const auto name = prompts.open_file_name("Codesheets|*.mdr|Text|*.txt");
    EXPECT_EQ(listed, QStringList({"OLD.MDR", "new.mdr"}));
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(*name, dir.filePath(QStringLiteral("OLD.MDR")).toStdString());
}

} // namespace
} // namespace mondrel
