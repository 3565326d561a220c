#pragma once
// The sheet grid as assistive technology sees it: a list named "Sheet" whose value (and
// description) is the selected line as a sentence ("Line 3, x: 12.5 * 2 = 25", see
// row_speech.h), with one list item per grid row named by that row's sentence. The grid paints
// pictures, so without this a screen reader would find nothing to read. The grid tells
// listeners when the sentence changes (announce_selection).

#include <QAccessibleWidget>
#include <QPointer>

#include <vector>

namespace mondrel {

class TorbStringGrid;

inline constexpr const char* grid_accessible_name = "Sheet";

class grid_accessible : public QAccessibleWidget {
public:
    explicit grid_accessible(TorbStringGrid* grid);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    // The grid's own widgets (scroll bars, the line editors) first, then one item per row.
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    TorbStringGrid* grid() const;
};

// The list items of one grid's rows, made when first asked for and kept (Qt's accessibility
// cache holds them by id) until their rows are gone or the grid is. An item reads its row's
// sentence, selection and place when asked, so rows rebuilt under it stay right.
class grid_row_items {
public:
    explicit grid_row_items(TorbStringGrid& grid) : grid_(grid) {}
    ~grid_row_items();
    grid_row_items(const grid_row_items&) = delete;
    grid_row_items& operator=(const grid_row_items&) = delete;

    // The item of grid row `row` (1-based); nullptr for a row that does not exist.
    QAccessibleInterface* item(int row);
    // Items of rows beyond `rows` are dropped.
    void trim(int rows);
    // The row of an item made here; 0 for any other interface.
    int row_of(const QAccessibleInterface* item) const;

private:
    TorbStringGrid& grid_;
    std::vector<QAccessible::Id> ids_; // by row - 1; 0 none made yet
};

// The interface of every TorbStringGrid, registered with QAccessible::installFactory once.
// Installed before the first grid is made: an interface Qt made for a grid before that would
// stay cached for it.
void install_grid_accessible();

} // namespace mondrel
