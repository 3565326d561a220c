#include "shell/string_grid.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

#include "display/mrdisplay.h"
#include "display/row_speech.h"
#include "document/mondrel_doc.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_pictures.h"
#include "shell/grid_accessible.h"
#include "shell/session/commands.h"

namespace mondrel {

namespace {

// How near a column border the pointer must be in the header to drag it.
constexpr int border_grip = 3;
// A column dragged narrower than this disappears from the row pictures; keep it grabbable.
constexpr int min_column_width = 4;
// One wheel notch.
constexpr int notch = 120;

} // namespace

TorbStringGrid::TorbStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    install_grid_accessible();
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setMinimum(1);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(16);
}

// The row items go first: they are dropped from Qt's cache while the grid is whole.
TorbStringGrid::~TorbStringGrid() {
    row_items_.reset();
}

grid_row_items& TorbStringGrid::row_items() {
    if (!row_items_) row_items_ = std::make_unique<grid_row_items>(*this);
    return *row_items_;
}

void TorbStringGrid::set_display(mrdisplay* display, qt_canvas_factory* factory,
                                 qt_picture_source* source) {
    display_ = display;
    factory_ = factory;
    source_ = source;
    layout_changed();
}

void TorbStringGrid::set_locked(bool locked) {
    locked_ = locked;
    if (locked) {
        selecting_ = false;
        resizing_column_ = -1;
        set_link_cursor(false);
    }
}

// --- geometry ------------------------------------------------------------------------------

int TorbStringGrid::header_height() const {
    return display_ ? display_->row_height(0) : 0;
}

int TorbStringGrid::row_count() const {
    return display_ ? display_->row_count() : 1;
}

int TorbStringGrid::column_left(int column) const {
    int left = 0;
    const std::vector<int>& w = display_->widths();
    for (int c = 0; c < column && c < static_cast<int>(w.size()); ++c)
        left += std::max(w[c], 0);
    return left;
}

int TorbStringGrid::top_row() const {
    return verticalScrollBar()->value();
}

void TorbStringGrid::set_top_row(int row) {
    verticalScrollBar()->setValue(std::clamp(row, 1, last_top_row()));
}

int TorbStringGrid::last_top_row() const {
    const int rows = row_count();
    if (!display_ || rows <= 2) return 1;
    const int room = viewport()->height() - header_height();
    int top = rows - 1, used = display_->row_height(top);
    while (top > 1 && used + display_->row_height(top - 1) <= room) {
        --top;
        used += display_->row_height(top);
    }
    return top;
}

int TorbStringGrid::visible_rows() const {
    if (!display_) return 1;
    const int room = viewport()->height() - header_height();
    int n = 0, used = 0;
    for (int r = top_row(); r < row_count(); ++r) {
        used += display_->row_height(r);
        if (used > room) break;
        ++n;
    }
    return std::max(n, 1);
}

mondrel::rect TorbStringGrid::cell_rect(int column, int row) const {
    if (!display_ || column < 0 || column >= static_cast<int>(display_->widths().size()) ||
        row < 0 || row >= row_count())
        return {};
    const int width = display_->widths()[column];
    const int left = column_left(column) - horizontalScrollBar()->value();
    if (width <= 0 || left + width <= 0 || left >= viewport()->width()) return {};
    if (row == 0) return {left, 0, left + width, header_height()};
    if (row < top_row()) return {};
    int y = header_height();
    for (int r = top_row(); r < row; ++r) {
        y += display_->row_height(r);
        if (y >= viewport()->height()) return {};
    }
    return {left, y, left + width, y + display_->row_height(row)};
}

void TorbStringGrid::cell_at(int x, int y, int& column, int& row) const {
    column = row = -1;
    if (!display_ || x < 0 || y < 0 || x >= viewport()->width() || y >= viewport()->height())
        return;
    const std::vector<int>& w = display_->widths();
    int left = -horizontalScrollBar()->value();
    for (int c = 0; c < static_cast<int>(w.size()); ++c) {
        if (w[c] > 0 && x >= left && x < left + w[c]) column = c;
        left += std::max(w[c], 0);
    }
    if (column < 0) return;
    if (y < header_height()) {
        row = 0;
        return;
    }
    int top = header_height();
    for (int r = top_row(); r < row_count(); ++r) {
        const int h = display_->row_height(r);
        if (y < top + h) {
            row = r;
            return;
        }
        top += h;
    }
    column = -1; // below the last row
}

int TorbStringGrid::border_at(int x) const {
    if (!display_) return -1;
    const std::vector<int>& w = display_->widths();
    int right = -horizontalScrollBar()->value();
    for (int c = 0; c < static_cast<int>(w.size()); ++c) {
        right += std::max(w[c], 0);
        if (std::abs(x - right) <= border_grip) return c;
    }
    return -1;
}

void TorbStringGrid::update_scroll_bars() {
    QScrollBar* v = verticalScrollBar();
    const int last_top = last_top_row();
    v->setRange(1, last_top);
    v->setPageStep(std::max(visible_rows(), 1));
    QScrollBar* h = horizontalScrollBar();
    const int total = display_ ? column_left(static_cast<int>(display_->widths().size())) : 0;
    h->setRange(0, std::max(0, total - viewport()->width()));
    h->setPageStep(std::max(viewport()->width(), 1));
    const int rows = visible_rows();
    if (display_ && rows != last_visible_rows_) {
        last_visible_rows_ = rows;
        display_->painter().set_visible_rows(rows);
    }
}

// --- grid_control ----------------------------------------------------------------------------

void TorbStringGrid::layout_changed() {
    const int last = std::max(row_count() - 1, 1);
    sel_first_ = std::clamp(sel_first_, 1, last);
    sel_last_ = std::clamp(sel_last_, sel_first_, last);
    update_scroll_bars();
    viewport()->update();
    if (row_items_) row_items_->trim(row_count() - 1);
    announce_selection();
}

void TorbStringGrid::repaint_all() {
    viewport()->update();
}

void TorbStringGrid::repaint_row(int row) {
    if (!display_) return;
    const mondrel::rect r = cell_rect(0, row);
    if (r.height() > 0)
        viewport()->update(0, r.top, viewport()->width(), r.height());
    else if (row >= top_row())
        viewport()->update();
}

void TorbStringGrid::set_selection(int first, int last) {
    if (first > last) std::swap(first, last);
    if (first == sel_first_ && last == sel_last_) return;
    sel_first_ = first;
    sel_last_ = last;
    viewport()->update();
    announce_selection();
}

std::string TorbStringGrid::selection_speech_text() const {
    if (!display_) return "No lines";
    return selection_speech(display_->rows(), sel_first_, sel_last_);
}

void TorbStringGrid::announce_selection() {
    std::string now = selection_speech_text();
    if (now == spoken_) return;
    spoken_ = std::move(now);
    const bool same_row = spoken_row_ == sel_first_;
    spoken_row_ = sel_first_;
    const QString sentence = QString::fromStdString(spoken_);
    Q_EMIT selection_spoken(sentence);
    if (!QAccessible::isActive()) return;
    QAccessibleValueChangeEvent value(this, sentence);
    QAccessible::updateAccessibility(&value);
    // Screen readers on Linux hear a text value of a list through its description.
    QAccessibleEvent description(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
    // The selected row's item: the focus moved to it, or its text changed in place.
    QAccessibleInterface* item = row_items().item(sel_first_);
    if (item && (hasFocus() || same_row)) {
        QAccessibleEvent event(item, hasFocus() && !same_row ? QAccessible::Focus
                                                             : QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void TorbStringGrid::set_link_cursor(bool on) {
    link_cursor_ = on;
    set_cursor_shape();
}

void TorbStringGrid::set_cursor_shape() {
    Qt::CursorShape shape = link_cursor_ ? Qt::PointingHandCursor : Qt::ArrowCursor;
    if (resizing_column_ >= 0 ||
        (!locked_ && mouse_y_ < header_height() && border_at(mouse_x_) >= 0))
        shape = Qt::SplitHCursor;
    if (viewport()->cursor().shape() != shape) viewport()->setCursor(shape);
}

// --- painting ------------------------------------------------------------------------------

void TorbStringGrid::follow_screen_density() {
    if (!factory_) return;
    const qreal ratio = viewport()->devicePixelRatioF();
    if (ratio == factory_->device_pixel_ratio()) return;
    factory_->set_device_pixel_ratio(ratio);
    if (source_) source_->set_device_pixel_ratio(ratio);
    if (display_) display_->painter().invalidate_all();
    surface_.reset();
    Q_EMIT density_changed();
}

void TorbStringGrid::paintEvent(QPaintEvent*) {
    QPainter out(viewport());
    const int width = viewport()->width(), height = viewport()->height();
    if (!display_) {
        out.fillRect(QRect(0, 0, width, height), palette().base());
        return;
    }
    follow_screen_density();
    if (!surface_ || surface_->width() != width || surface_->height() != height)
        surface_ = std::make_unique<qt_canvas>(width, height, factory_->device_pixel_ratio());
    qt_canvas& cv = *surface_;
    cv.fill_rect({0, 0, width, height}, plain_background);

    const std::vector<int>& w = display_->widths();
    const int columns = static_cast<int>(w.size());
    const int dx = horizontalScrollBar()->value();
    auto draw_row = [&](int row, int top, int h, bool selected) {
        int left = -dx;
        for (int c = 0; c < columns; ++c) {
            if (w[c] > 0 && left + w[c] > 0 && left < width)
                display_->draw_cell(cv, c, row, {left, top, left + w[c], top + h}, selected);
            left += std::max(w[c], 0);
        }
    };
    int top = header_height();
    for (int r = top_row(); r < row_count() && top < height; ++r) {
        const int h = display_->row_height(r);
        draw_row(r, top, h, r >= sel_first_ && r <= sel_last_);
        top += h;
    }
    draw_row(0, 0, header_height(), false);
    out.drawImage(QPoint(0, 0), cv.image());
}

void TorbStringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    update_scroll_bars();
    Q_EMIT scrolled();
}

void TorbStringGrid::scrollContentsBy(int, int) {
    viewport()->update();
    Q_EMIT scrolled();
}

bool TorbStringGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave && display_ && !locked_ && mouse_released_) {
        mouse_col_ = mouse_row_ = -1;
        display_->mouse_move(-1, -1, -1, -1);
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// --- the mouse ----------------------------------------------------------------------------

void TorbStringGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (!display_ || locked_) return;
    const QPoint p = event->position().toPoint();
    mouse_x_ = p.x();
    mouse_y_ = p.y();
    cell_at(p.x(), p.y(), mouse_col_, mouse_row_);
    const bool left = event->button() == Qt::LeftButton;
    if (left && p.y() < header_height()) {
        const int column = border_at(p.x());
        if (column >= 0) {
            resizing_column_ = column;
            resize_origin_ = p.x();
            resize_widths_ = display_->widths();
            resize_width_ = resize_widths_[column];
            return;
        }
    }
    if (left && mouse_row_ >= 1) {
        if (event->modifiers() & Qt::ShiftModifier) {
            moving_ = mouse_row_;
        } else {
            anchor_ = moving_ = mouse_row_;
        }
        set_selection(std::min(anchor_, moving_), std::max(anchor_, moving_));
        selecting_ = true;
    }
    mouse_released_ = false;
    swallow_release_ = false;
    display_->press(mouse_col_, mouse_row_, p.x(), p.y(), event->button() == Qt::RightButton);
}

void TorbStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!display_ || locked_ || event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    cell_at(p.x(), p.y(), mouse_col_, mouse_row_);
    const bool control = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    display_->click(mouse_col_, mouse_row_, p.x(), p.y(), control, shift, click_kind::double_click);
    // The second press of a double-click: no click of its own follows on release.
    mouse_released_ = false;
    swallow_release_ = true;
    display_->press(mouse_col_, mouse_row_, p.x(), p.y(), false);
}

void TorbStringGrid::drag_selection_to(int row) {
    if (row < 1) return;
    moving_ = row;
    set_selection(std::min(anchor_, moving_), std::max(anchor_, moving_));
}

void TorbStringGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    mouse_x_ = p.x();
    mouse_y_ = p.y();
    if (!display_ || locked_) return;
    if (resizing_column_ >= 0) {
        resize_widths_[resizing_column_] =
            std::max(min_column_width, resize_width_ + p.x() - resize_origin_);
        display_->columns_resized(resize_widths_);
        update_scroll_bars();
        viewport()->update();
        return;
    }
    cell_at(p.x(), p.y(), mouse_col_, mouse_row_);
    if (selecting_ && (event->buttons() & Qt::LeftButton)) {
        // Dragging past the edges scrolls a row at a time.
        if (p.y() >= viewport()->height() && top_row() < last_top_row()) {
            set_top_row(top_row() + 1);
            drag_selection_to(std::min(top_row() + visible_rows(), row_count() - 1));
        } else if (p.y() < header_height() && top_row() > 1) {
            set_top_row(top_row() - 1);
            drag_selection_to(top_row());
        } else if (mouse_row_ >= 1) {
            drag_selection_to(mouse_row_);
        }
    }
    display_->mouse_move(mouse_col_, mouse_row_, p.x(), p.y());
    set_cursor_shape();
}

void TorbStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (!display_ || locked_) {
        mouse_released_ = true;
        return;
    }
    if (resizing_column_ >= 0) {
        resizing_column_ = -1;
        mouse_released_ = true;
        set_cursor_shape();
        return;
    }
    selecting_ = false;
    const QPoint p = event->position().toPoint();
    // A click counts only between a press on the grid and its release, and only for the left
    // button (the right one opened the line menu at its press).
    const bool was_pressed = !mouse_released_;
    mouse_released_ = true;
    if (!was_pressed || swallow_release_ || event->button() != Qt::LeftButton) {
        swallow_release_ = false;
        return;
    }
    cell_at(p.x(), p.y(), mouse_col_, mouse_row_);
    const bool control = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    display_->click(mouse_col_, mouse_row_, p.x(), p.y(), control, shift, click_kind::single);
}

void TorbStringGrid::wheelEvent(QWheelEvent* event) {
    // Ctrl with the wheel is the text size, a command of the window, not a row move.
    if (event->modifiers() & Qt::ControlModifier) {
        event->accept();
        font_rest_ += event->angleDelta().y();
        while (font_rest_ >= notch) {
            font_rest_ -= notch;
            Q_EMIT font_step(1);
        }
        while (font_rest_ <= -notch) {
            font_rest_ += notch;
            Q_EMIT font_step(-1);
        }
        return;
    }
    event->accept();
    if (!display_ || locked_) {
        // No selection moves during a run, but the sheet can still be looked through.
        const int rows = event->angleDelta().y() / notch;
        if (rows != 0) set_top_row(top_row() - rows);
        return;
    }
    wheel_rest_ += event->angleDelta().y();
    while (wheel_rest_ <= -notch) {
        wheel_rest_ += notch;
        display_->wheel(true);
    }
    while (wheel_rest_ >= notch) {
        wheel_rest_ -= notch;
        display_->wheel(false);
    }
}

// --- keys ------------------------------------------------------------------------------------

namespace {

grid_key grid_key_of(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return grid_key::enter;
    case Qt::Key_Up:
        return grid_key::up;
    case Qt::Key_Down:
        return grid_key::down;
    case Qt::Key_PageUp:
        return grid_key::page_up;
    case Qt::Key_PageDown:
        return grid_key::page_down;
    case Qt::Key_Right:
        return grid_key::right;
    case Qt::Key_Left:
        return grid_key::left;
    case Qt::Key_Delete:
        return grid_key::del;
    default:
        return grid_key::other;
    }
}

} // namespace

bool TorbStringGrid::apply_key_map(QKeyEvent* event) {
    const grid_key key = grid_key_of(event->key());
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    // Only the plain key and the key with Shift belong to the map; Ctrl+Up and the like go
    // on to the shortcuts.
    if (key == grid_key::other || (mods & ~Qt::ShiftModifier) != 0) return false;
    key_inputs in;
    in.key = key;
    in.shift = (mods & Qt::ShiftModifier) != 0;
    in.editing = display_->editing();
    in.first = sel_first_;
    in.last = sel_last_;
    in.rows = row_count() - 1;
    in.visible = visible_rows();
    in.has_children = display_->row_has_children(sel_first_);
    in.open = display_->row_is_open(sel_first_);
    in.link_row = display_->is_link_row(sel_first_);
    in.read_only = !display_->document() || display_->document()->read_only;
    const key_result r = apply_key(in, anchor_, moving_);
    switch (r.effect) {
    case key_effect::none:
        break;
    case key_effect::select:
        display_->select_rows(r.first, r.last);
        // A range grows at its moving end: that end is the one to see.
        display_->show_row(in.shift ? std::clamp(moving_, r.first, r.last) : r.first);
        break;
    case key_effect::open_line:
        display_->open_list();
        break;
    case key_effect::close_line:
        display_->close_list();
        break;
    case key_effect::follow_link:
        display_->follow_link(sel_first_);
        break;
    case key_effect::cut:
        display_->cut();
        break;
    }
    return r.consumed;
}

// The Menu key and Shift+F10 open the line menu at the selected row, as the right button does
// on a line number; the right button itself has opened it at its press already.
void TorbStringGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse || !display_ || locked_ ||
        display_->editing()) {
        QAbstractScrollArea::contextMenuEvent(event);
        return;
    }
    event->accept();
    display_->show_row(sel_first_);
    const mondrel::rect r = cell_rect(col_line, sel_first_);
    if (r.height() <= 0) return;
    display_->press(col_line, sel_first_, (r.left + r.right) / 2, (r.top + r.bottom) / 2, true);
}

bool TorbStringGrid::event(QEvent* event) {
    // The key map comes before the window's shortcuts: a key it takes is no shortcut here.
    if (event->type() == QEvent::ShortcutOverride && display_ && !locked_ && !display_->editing()) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (grid_key_of(key->key()) != grid_key::other && (mods & ~Qt::ShiftModifier) == 0) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TorbStringGrid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        Q_EMIT escape_pressed();
        return;
    }
    if (!display_ || locked_) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (apply_key_map(event)) return;
    const int rows = row_count() - 1;
    switch (key) {
    case Qt::Key_Home:
    case Qt::Key_End:
        // Not in the map: the first or the last row alone.
        if (!display_->editing() && rows >= 1) {
            const int row = key == Qt::Key_Home ? 1 : rows;
            anchor_ = moving_ = row;
            display_->select_rows(row, row);
            display_->show_row(row);
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter on a row that is no link opens its code for editing.
        if (!display_->editing() && sel_first_ >= 1 && sel_first_ <= rows)
            display_->start_edit(sel_first_, edit_kind::code);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

} // namespace mondrel
