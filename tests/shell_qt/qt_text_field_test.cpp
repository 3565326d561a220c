#include "shell/qt_text_field.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace mondrel {
namespace {

void press(QWidget& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(&w, &down);
}

TEST(QtTextField, StartsHiddenFlatAndEmpty) {
    QWidget parent;
    qt_text_field field(&parent);
    EXPECT_FALSE(field.visible());
    EXPECT_FALSE(field.hasFrame());
    EXPECT_EQ(field.text(), "");
    field.set_visible(true);
    EXPECT_TRUE(field.visible());
    field.set_visible(false);
    EXPECT_FALSE(field.visible());
}

TEST(QtTextField, ReturnEnterAndEscapeAreSignalledAndLeaveTheText) {
    QWidget parent;
    qt_text_field field(&parent);
    int enters = 0, escapes = 0;
    QObject::connect(&field, &qt_text_field::enter_pressed, [&] { ++enters; });
    QObject::connect(&field, &qt_text_field::escape_pressed, [&] { ++escapes; });
    field.set_text("x = 1");
    press(field, Qt::Key_Return);
    press(field, Qt::Key_Enter, Qt::KeypadModifier);
    press(field, Qt::Key_Escape);
    EXPECT_EQ(enters, 2);
    EXPECT_EQ(escapes, 1);
    EXPECT_EQ(field.text(), "x = 1");
    // Other keys still type.
    field.setCursorPosition(5);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, "2");
    QApplication::sendEvent(&field, &typed);
    EXPECT_EQ(field.text(), "x = 12");
}

TEST(QtTextField, TextRoundTripsAsUtf8) {
    QWidget parent;
    qt_text_field field(&parent);
    const std::string text = "s = \"caf\xc3\xa9 \xe2\x82\xac\"";
    field.set_text(text);
    EXPECT_EQ(field.text(), text);
    EXPECT_EQ(field.QLineEdit::text().size(), 12);
}

TEST(QtTextField, FontMarginAndGeometryFollowTheCell) {
    QWidget parent;
    qt_text_field field(&parent);
    font_record font{"Courier New", 12, 0x0000FF, style_bold | style_italic};
    field.set_font(font, 3);
    EXPECT_EQ(field.textMargins().left(), 3);
    EXPECT_TRUE(field.font().bold());
    EXPECT_TRUE(field.font().italic());
    EXPECT_FALSE(field.font().underline());
    // The grid's 96 dots per inch: 12 points are 16 pixels on any screen.
    EXPECT_NEAR(field.font().pointSizeF() * field.logicalDpiY() / 72.0, 16.0, 0.01);
    EXPECT_TRUE(field.styleSheet().contains("#ff0000")) << field.styleSheet().toStdString();
    EXPECT_TRUE(field.styleSheet().contains("1px solid"));

    field.set_geometry(rect{10, 20, 110, 41});
    EXPECT_EQ(field.geometry(), QRect(10, 20, 100, 21));
    // A rectangle turned inside out gives an empty editor, not a negative size.
    field.set_geometry(rect{50, 50, 40, 40});
    EXPECT_EQ(field.width(), 0);
    EXPECT_EQ(field.height(), 0);
}

TEST(QtTextField, DeleteActsOnTheSelectionOnly) {
    QWidget parent;
    qt_text_field field(&parent);
    field.set_text("abc def");
    field.setCursorPosition(3);
    field.delete_selected();
    EXPECT_EQ(field.text(), "abc def");
    field.setSelection(3, 4);
    field.delete_selected();
    EXPECT_EQ(field.text(), "abc");
    field.select_all();
    EXPECT_EQ(field.selectedText(), "abc");
}

} // namespace
} // namespace mondrel
