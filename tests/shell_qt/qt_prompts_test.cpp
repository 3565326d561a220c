#include "shell/qt_prompts.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

namespace mondrel {
namespace {

// Acts on the message box once it is shown (the box is modal: the answer comes from inside
// its own event loop). Gives up after a few seconds so that a box that never shows cannot hang.
void when_box_shows(std::function<void(QMessageBox&)> act) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*box);
        } else if (++*tries > 500) {
            // No box became the active modal window: close any box there is and fail.
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the message box did not show";
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w)) box->reject();
        }
    });
    timer->start(10);
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

} // namespace
} // namespace mondrel
