#include "shell/qt_text_field.h"

#include <QKeyEvent>

#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace mondrel {

namespace {

// The grid paints its rows on images of 96 dots per inch; the editor's text keeps the same
// pixel size on a screen of any logical resolution, so the text does not jump when an edit
// opens over a cell.
constexpr qreal grid_dpi = 96.0;

} // namespace

qt_text_field::qt_text_field(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    apply_style();
    hide();
}

void qt_text_field::apply_style() {
    setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid black; background: white; "
                                 "color: %1; padding: 0px; }")
                      .arg(to_qcolor(colour_).name()));
}

void qt_text_field::set_text(std::string_view text) {
    setText(to_qstring(text));
}

std::string qt_text_field::text() const {
    return QLineEdit::text().toStdString();
}

void qt_text_field::set_font(const font_record& font, int left_margin) {
    QFont f = to_qfont(font);
    const qreal dpi = logicalDpiY() > 0 ? logicalDpiY() : grid_dpi;
    f.setPointSizeF(std::max(font.size, 1) * grid_dpi / dpi);
    setFont(f);
    if (colour_ != font.colour) {
        colour_ = font.colour;
        apply_style();
    }
    setTextMargins(left_margin, 0, 0, 0);
}

void qt_text_field::set_geometry(const mondrel::rect& r) {
    setGeometry(r.left, r.top, std::max(r.width(), 0), std::max(r.height(), 0));
}

void qt_text_field::set_visible(bool visible) {
    setVisible(visible);
}

bool qt_text_field::visible() const {
    return !isHidden();
}

void qt_text_field::select_all() {
    selectAll();
}

void qt_text_field::take_focus() {
    setFocus(Qt::OtherFocusReason);
}

void qt_text_field::delete_selected() {
    if (hasSelectedText()) del();
}

void qt_text_field::cut() {
    QLineEdit::cut();
}

void qt_text_field::copy() {
    QLineEdit::copy();
}

void qt_text_field::paste() {
    QLineEdit::paste();
}

void qt_text_field::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        Q_EMIT enter_pressed();
        return;
    case Qt::Key_Escape:
        event->accept();
        Q_EMIT escape_pressed();
        return;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace mondrel
