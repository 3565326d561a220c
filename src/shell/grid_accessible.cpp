#include "shell/grid_accessible.h"

#include <QScrollBar>

#include "display/mrdisplay.h"
#include "display/row_speech.h"
#include "shell/string_grid.h"

namespace mondrel {

namespace {

// One grid row as a list item. It belongs to no QObject of its own: the grid's interface is
// its parent, and it holds the grid weakly, so an item outliving its grid is merely invalid.
class grid_row_accessible : public QAccessibleInterface {
public:
    grid_row_accessible(TorbStringGrid& grid, int row) : grid_(&grid), row_(row) {}

    bool isValid() const override { return grid_ && row_ >= 1 && row_ <= rows(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? parent()->window() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return grid_ ? QAccessible::queryAccessibleInterface(grid_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return {};
        return QString::fromStdString(row_speech(grid_->display()->rows(), row_));
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const mondrel::rect r = grid_->cell_rect(col_line, row_);
        if (r.height() <= 0) return {};
        const QPoint origin = grid_->viewport()->mapToGlobal(QPoint(0, r.top));
        return {origin, QSize(grid_->viewport()->width(), r.height())};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.readOnly = true;
        s.selected = row_ >= grid_->selection_first() && row_ <= grid_->selection_last();
        s.focused = grid_->hasFocus() && row_ == grid_->selection_first();
        s.invisible = rect().isEmpty();
        s.offscreen = s.invisible;
        return s;
    }

private:
    int rows() const { return grid_->display() ? grid_->display()->rows().grid_row_count() : 0; }

    QPointer<TorbStringGrid> grid_;
    int row_;
};

QAccessibleInterface* grid_accessible_factory(const QString&, QObject* object) {
    if (auto* grid = qobject_cast<TorbStringGrid*>(object)) return new grid_accessible(grid);
    return nullptr;
}

} // namespace

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

int grid_accessible::childCount() const {
    const mrdisplay* display = grid()->display();
    return QAccessibleWidget::childCount() + (display ? display->rows().grid_row_count() : 0);
}

QAccessibleInterface* grid_accessible::child(int index) const {
    const int widgets = QAccessibleWidget::childCount();
    if (index < widgets) return QAccessibleWidget::child(index);
    return grid()->row_items().item(index - widgets + 1);
}

int grid_accessible::indexOfChild(const QAccessibleInterface* child) const {
    if (const int row = grid()->row_items().row_of(child); row > 0)
        return QAccessibleWidget::childCount() + row - 1;
    return QAccessibleWidget::indexOfChild(child);
}

QAccessibleInterface* grid_accessible::childAt(int x, int y) const {
    const QPoint p = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    int column = -1, row = -1;
    grid()->cell_at(p.x(), p.y(), column, row);
    if (row >= 1) return grid()->row_items().item(row);
    return QAccessibleWidget::childAt(x, y);
}

// The keys act on the selected row: that row's item has the focus.
QAccessibleInterface* grid_accessible::focusChild() const {
    if (grid()->hasFocus()) return grid()->row_items().item(grid()->selection_first());
    return QAccessibleWidget::focusChild();
}

grid_row_items::~grid_row_items() {
    trim(0);
}

QAccessibleInterface* grid_row_items::item(int row) {
    const int rows = grid_.display() ? grid_.display()->rows().grid_row_count() : 0;
    if (row < 1 || row > rows) return nullptr;
    if (ids_.size() < static_cast<size_t>(row)) ids_.resize(row, 0);
    QAccessible::Id& id = ids_[row - 1];
    if (id == 0) id = QAccessible::registerAccessibleInterface(new grid_row_accessible(grid_, row));
    return QAccessible::accessibleInterface(id);
}

int grid_row_items::row_of(const QAccessibleInterface* item) const {
    if (!item) return 0;
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(item));
    for (size_t k = 0; k < ids_.size(); ++k)
        if (ids_[k] != 0 && ids_[k] == id) return static_cast<int>(k) + 1;
    return 0;
}

void grid_row_items::trim(int rows) {
    while (ids_.size() > static_cast<size_t>(std::max(rows, 0))) {
        if (ids_.back() != 0) QAccessible::deleteAccessibleInterface(ids_.back());
        ids_.pop_back();
    }
}

void install_grid_accessible() {
    static const bool installed = [] {
        QAccessible::installFactory(grid_accessible_factory);
        return true;
    }();
    (void)installed;
}

} // namespace mondrel
