#include "shell/qt_format_editor.h"

#include <QInputDialog>
#include <QLineEdit>

namespace mondrel {

bool qt_format_editor::edit(std::string& text) {
    bool ok = false;
    const QString edited = QInputDialog::getText(
        parent_, QStringLiteral("Edit Format"), QStringLiteral("Data cell format:"),
        QLineEdit::Normal, QString::fromStdString(text), &ok);
    if (!ok) return false;
    text = edited.toStdString();
    return true;
}

} // namespace mondrel
