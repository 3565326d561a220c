#pragma once
// The sheet grid: a scroll area that shows the display object's grid model (the header row
// fixed at the top, rows of their own heights, the display's column widths) by letting the
// display draw every visible cell, and hands the mouse and the wheel to the display. Keys go
// through the key map (commands.h) before the window's shortcuts see them. It decides nothing
// about the sheet itself: hit zones, hints, clicks, editing and the keys' rules are elsewhere.
//
// Vertical scrolling is by rows (the scroll bar's value is the top row), horizontal by pixels.
// While the grid is locked (a run is in progress) it still paints and scrolls, but no click,
// key or column drag reaches the display.

#include <QAbstractScrollArea>

#include <memory>
#include <string>
#include <vector>

#include "display/grid_ports.h"

namespace mondrel {

class mrdisplay;
class qt_canvas;
class qt_canvas_factory;
class qt_picture_source;
class grid_row_items;

class TorbStringGrid : public QAbstractScrollArea, public grid_control {
    Q_OBJECT
public:
    explicit TorbStringGrid(QWidget* parent = nullptr);
    ~TorbStringGrid() override;

    // The display whose rows are shown, and the picture makers whose pixel ratio follows the
    // screen the grid is on. All outlive the grid's use of them.
    void set_display(mrdisplay* display, qt_canvas_factory* factory, qt_picture_source* source);
    // While locked, clicks, keys and column drags are ignored; painting and scrolling go on.
    void set_locked(bool locked);
    bool locked() const { return locked_; }

    // The cell under a point of the viewport: column and row, -1 for each outside the cells.
    void cell_at(int x, int y, int& column, int& row) const;
    // The grid row whose top edge is at the top of the first data row (1 when at the top).
    int last_top_row() const;
    // True between a mouse press on the grid and its release.
    bool mouse_down() const { return !mouse_released_; }
    // The selected line as a sentence for assistive technology (row_speech.h).
    std::string selection_speech_text() const;
    // The display shown (nullptr before set_display).
    mrdisplay* display() const { return display_; }
    // The rows as list items for assistive technology (grid_accessible.h), made when asked.
    grid_row_items& row_items();

    // --- grid_control --------------------------------------------------------------------
    void layout_changed() override;
    void repaint_all() override;
    void repaint_row(int row) override;
    int top_row() const override;
    void set_top_row(int row) override;
    int visible_rows() const override;
    int selection_first() const override { return sel_first_; }
    int selection_last() const override { return sel_last_; }
    void set_selection(int first, int last) override;
    mondrel::rect cell_rect(int column, int row) const override;
    void set_link_cursor(bool on) override;

Q_SIGNALS:
    // Esc on the grid (stops a run in progress).
    void escape_pressed();
    // Ctrl with the wheel: the text size one step up (1) or down (-1) per notch.
    void font_step(int step);
    // The top row or the horizontal offset changed (editors follow their cells).
    void scrolled();
    // The grid moved to a screen of another pixel density: row pictures are painted anew, and
    // pictures found so far (rendered for the old density) must be forgotten.
    void density_changed();
    // The selected line's sentence changed (assistive technology has been told): the same
    // news for the window's own listeners and tests, which Qt tells nothing while no
    // assistive technology is running.
    void selection_spoken(const QString& sentence);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    int header_height() const;
    int row_count() const;
    int column_left(int column) const;
    // The column whose right border lies within a few pixels of x in the header, or -1.
    int border_at(int x) const;
    void update_scroll_bars();
    void follow_screen_density();
    // The keys that move the selection, open and close lines, follow links and cut, when no
    // line is being edited (commands.h apply_key). True when the map took the key.
    bool apply_key_map(QKeyEvent* event);
    void drag_selection_to(int row);
    void set_cursor_shape();
    // Tells assistive technology when the selection or the selected line's text changed
    // (a move, an edit committed, a run's new values). One row's sentence is worked out each
    // time, whether or not assistive technology listens.
    void announce_selection();

    mrdisplay* display_ = nullptr;
    qt_canvas_factory* factory_ = nullptr;
    qt_picture_source* source_ = nullptr;
    std::unique_ptr<qt_canvas> surface_; // the viewport's picture, redrawn on each paint
    bool locked_ = false;
    int sel_first_ = 1, sel_last_ = 1;
    // Range selection: where it began, where it ends now (the window's sel_anchor and
    // sel_moving; the key map keeps them between presses).
    int anchor_ = 1, moving_ = 1;
    // The pointer: cell at the last move, whether a button is held, and what it is doing.
    int mouse_col_ = -1, mouse_row_ = -1, mouse_x_ = 0, mouse_y_ = 0;
    bool mouse_released_ = true;
    bool selecting_ = false;       // dragging a row range with the left button
    bool swallow_release_ = false; // the release after a double-click is no click
    int resizing_column_ = -1;     // dragging this column's right border
    int resize_origin_ = 0, resize_width_ = 0;
    std::vector<int> resize_widths_;
    bool link_cursor_ = false;
    int wheel_rest_ = 0; // angle delta not yet a whole notch
    int font_rest_ = 0;  // the same for Ctrl with the wheel
    int last_visible_rows_ = 0;
    std::string spoken_; // the sentence last announced
    int spoken_row_ = 0; // and its row
    std::unique_ptr<grid_row_items> row_items_;
};

} // namespace mondrel
