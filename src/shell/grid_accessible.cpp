#include "shell/grid_accessible.h"

#include "shell/string_grid.h"

namespace mondrel {

grid_accessible::grid_accessible(TorbStringGrid* grid)
    : QAccessibleWidget(grid, QAccessible::List, QString::fromLatin1(grid_accessible_name)) {}

TorbStringGrid* grid_accessible::grid() const {
    return static_cast<TorbStringGrid*>(widget());
}

QString grid_accessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Value:
    case QAccessible::Description:
        return QString::fromStdString(grid()->selection_speech_text());
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State grid_accessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = grid()->locked(); // a run holds the sheet
    s.multiSelectable = true;
    return s;
}

namespace {

QAccessibleInterface* grid_accessible_factory(const QString&, QObject* object) {
    if (auto* grid = qobject_cast<TorbStringGrid*>(object)) return new grid_accessible(grid);
    return nullptr;
}

} // namespace

void install_grid_accessible() {
    static const bool installed = [] {
        QAccessible::installFactory(grid_accessible_factory);
        return true;
    }();
    (void)installed;
}

} // namespace mondrel
