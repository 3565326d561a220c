#include "shell/qt_text_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/qt/qt_text.h"

namespace mondrel {

std::optional<std::string> qt_text_clipboard::text() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return std::nullopt;
    return data->text().toStdString();
}

void qt_text_clipboard::set_text(std::string_view text) {
    QGuiApplication::clipboard()->setText(to_qstring(text));
}

} // namespace mondrel
