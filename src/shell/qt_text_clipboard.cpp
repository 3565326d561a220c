#include "shell/qt_text_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace mondrel {

std::optional<std::string> qt_text_clipboard::text() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return std::nullopt;
    return data->text().toStdString();
}

void qt_text_clipboard::set_text(std::string_view text) {
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace mondrel
