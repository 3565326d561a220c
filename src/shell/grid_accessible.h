#pragma once
// The sheet grid as assistive technology sees it: a list named "Sheet" whose value (and
// description) is the selected line as a sentence ("Line 3, x: 12.5 * 2 = 25", see
// row_speech.h). The grid paints pictures, so without this a screen reader would find nothing
// to read. The grid tells listeners when the sentence changes (announce_selection).

#include <QAccessibleWidget>

namespace mondrel {

class TorbStringGrid;

inline constexpr const char* grid_accessible_name = "Sheet";

class grid_accessible : public QAccessibleWidget {
public:
    explicit grid_accessible(TorbStringGrid* grid);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

private:
    TorbStringGrid* grid() const;
};

// The interface of every TorbStringGrid, registered with QAccessible::installFactory once.
// Installed before the first grid is made: an interface Qt made for a grid before that would
// stay cached for it.
void install_grid_accessible();

} // namespace mondrel
