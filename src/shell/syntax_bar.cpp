#include "shell/syntax_bar.h"

#include <QPixmap>

#include "display/markup.h"
#include "display/prop_stuff.h"
#include "display/row_painter.h"
#include "document/code_words.h"
#include "platform/qt/qt_canvas.h"

namespace mondrel {

syntax_bar::syntax_bar(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("syntax_bar"));
    setFixedSize(syntax_bar_width, syntax_bar_height);
    setAccessibleDescription(QStringLiteral("Syntax of the code word"));
}

void syntax_bar::show_word(int32_t word, row_painter& painter, qreal device_pixel_ratio) {
    if (word == word_ && painter.font_increment == font_increment_ && device_pixel_ratio == ratio_)
        return;
    word_ = word;
    font_increment_ = painter.font_increment;
    ratio_ = device_pixel_ratio;
    static const prop_list format = prop_list::from_text(syntax_bar_format);
    qt_canvas picture(syntax_bar_width, syntax_bar_height, device_pixel_ratio);
    painter.draw_text(picture, syntax_bar_text(word), true, btnface_colour, &format,
                      mondrel::rect{0, 0, syntax_bar_width, syntax_bar_height});
    setPixmap(QPixmap::fromImage(picture.image()));
    // The picture says nothing to a screen reader: its name is the syntax as plain text.
    setAccessibleName(QString::fromStdString(markup_plain_text(syntax_bar_text(word))));
}

} // namespace mondrel
