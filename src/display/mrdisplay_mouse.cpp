// The display object and the mouse: hit zones (the open/close marker, the index boxes), the
// status-bar hints, presses, clicks, the wheel, and following the link a line begins with.

#include <algorithm>

#include "display/links.h"
#include "display/mrdisplay.h"
#include "display/picture_library.h"
#include "document/mondrel_doc.h"

namespace mondrel {
namespace {

constexpr std::string_view hint_editing = "Click anywhere to finishing editing this line.";
constexpr std::string_view hint_edit_code = "Click here to edit the code for this line.";
constexpr std::string_view hint_edit_name = "Click here to edit the name for this line.";
constexpr std::string_view hint_collapse_array = "Click here to collapse this array";
constexpr std::string_view hint_expand_array = "Click here to expand this array";
constexpr std::string_view hint_click_hide = "Click here to hide this line's children";
constexpr std::string_view hint_click_show = "Click here to show this line's children";
constexpr std::string_view hint_double_hide = "Double click here to hide this line's children";
constexpr std::string_view hint_double_show = "Double click here to show this line's children";

// The page loader's flags for the two link escapes and for examples.
constexpr int link_page_flags = 0;
constexpr int link_page_second_flags = ifile_own_tab | ifile_page_name;
constexpr int link_example_flags = ifile_own_tab | ifile_page_name | ifile_example;

bool inside(const rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

// ---- Hit zones ----------------------------------------------------------------------------------

const row_picture* mrdisplay::painted_row(int row) {
    if (!row_entry(row) || !painter_.ready) return nullptr;
    const row_picture* known = painter_.painted(row);
    if (!known || !known->valid) {
        const bool selected = doc_ && row >= doc_->sel_first && row <= doc_->sel_last;
        painter_.paint_row(row, selected);
        known = painter_.painted(row);
    }
    return known;
}

bool mrdisplay::on_marker(int row, int x, int y) {
    if (!grid_) return false;
    const row_picture* p = painted_row(row);
    if (!p || p->marker.width() <= 0) return false;
    // The marker was painted in the row's picture, whose line column starts at the left.
    const rect cell = grid_->cell_rect(col_line, row);
    if (cell.width() <= 0) return false;
    const int dx = cell.left - painter_.col_rect(col_line, 0).left;
    const rect zone{p->marker.left + dx, p->marker.top + cell.top,
                    p->marker.left + dx + marker_size, p->marker.top + cell.top + marker_size};
    return inside(zone, x, y);
}

int mrdisplay::box_under(int row, int x, int y) {
    if (!grid_) return -1;
    const row_picture* p = painted_row(row);
    if (!p) return -1;
    const rect cell = grid_->cell_rect(col_data, row);
    if (cell.width() <= 0) return -1;
    const int dx = cell.left - painter_.col_rect(col_data, 0).left;
    for (size_t k = 0; k < p->boxes.size(); ++k) {
        const rect& b = p->boxes[k];
        if (inside({b.left + dx, b.top + cell.top, b.right + dx, b.bottom + cell.top}, x, y))
            return static_cast<int>(k);
    }
    return -1;
}

// ---- Hints ------------------------------------------------------------------------------------

std::string mrdisplay::line_column_hint(int row, bool on_the_marker) const {
    const table_list_item* r = row_entry(row);
    const display_list_item* line = line_of_row(row);
    if (!r || !line || r->has_flag(row_continuation) || line->count <= 1) return {};
    const bool open = line->has_flag(dl_open);
    if (on_the_marker) return std::string(open ? hint_click_hide : hint_click_show);
    return std::string(open ? hint_double_hide : hint_double_show);
}

std::string mrdisplay::hint_at(int column, int row, int x, int y) {
    const table_list_item* r = row_entry(row);
    const display_list_item* line = line_of_row(row);
    if (!r || !line || column < 0 || column >= rows_.column_count()) return {};
    if (editing()) return std::string(hint_editing);
    if (column == col_line) return line_column_hint(row, on_marker(row, x, y));

    if (!r->has_flag(row_readonly)) {
        const bool continuation = r->has_flag(row_continuation);
        if (!continuation && (column == col_code || (column > col_code && full_width_row(row))))
            return std::string(hint_edit_code);
        if (!continuation && column == col_name) return std::string(hint_edit_name);
        if (column == col_data) {
            const int level = box_under(row, x, y);
            const auto& values = line->values;
            if (level < 0 || r->first_value >= static_cast<int>(values.size())) return {};
            const auto& indexes = values[r->first_value].indexes;
            if (level >= static_cast<int>(indexes.size()) || !indexes[level].start) return {};
            return std::string(rows_.array_is_open(row, level) ? hint_collapse_array
                                                               : hint_expand_array);
        }
        return {};
    }
    if (r->has_flag(row_continuation)) return {};
    const link_at link = leading_link(line->code);
    if (link.found) return link_hint(link.target);
    if (line->count > 1)
        return std::string(line->has_flag(dl_open) ? hint_click_hide : hint_click_show);
    return {};
}

void mrdisplay::mouse_move(int column, int row, int x, int y) {
    const std::string hint = hint_at(column, row, x, y);
    if (host_.status_line_hints()) host_.show_hint(hint);
    // The pointing hand over the cells of a read-only link line (the line number excepted).
    const table_list_item* r = row_entry(row);
    const bool link = r && r->has_flag(row_readonly) && column > col_line &&
                      column < rows_.column_count() && is_link_row(row);
    if (grid_ && link != link_cursor_) grid_->set_link_cursor(link);
    link_cursor_ = link;
}

// ---- Presses and clicks
// ---------------------------------------------------------------------------

void mrdisplay::press(int column, int row, int x, int y, bool right_button) {
    if (!right_button) {
        press_row_ = row;
        press_col_ = column;
        return;
    }
    if (column != col_line || !row_entry(row) || !doc_) return;
    if (row < doc_->sel_first || row > doc_->sel_last) select_rows(row, row);
    host_.update_actions();
    host_.line_popup(x, y);
}

void mrdisplay::click(int column, int row, int x, int y, bool control, bool /*shift*/,
                      click_kind kind) {
    if (press_row_ <= 0 || !usable()) return;
    // A selection dragged over several rows only selects and ends an edit. The commit comes
    // first: its refresh would collapse the selection again.
    if (grid_ && grid_->selection_first() != grid_->selection_last()) {
        const int first = grid_->selection_first(), last = grid_->selection_last();
        if (editing()) end_edit(end_edit_mode::commit);
        select_rows(first, last);
        return;
    }
    if (!row_entry(row) || column < 0 || column >= rows_.column_count()) return;
    select_rows(row, row);
    if (editing() && !(row == edit_row_ && (column == col_code || column == col_name)))
        end_edit(end_edit_mode::commit);

    // The commit may have rebuilt the rows.
    const table_list_item* r = row_entry(row);
    const display_list_item* line = line_of_row(row);
    if (!r || !line) return;
    const bool continuation = r->has_flag(row_continuation);

    if (column >= col_word) {
        const row_picture* p = column == col_data ? painted_row(row) : nullptr;
        const bool on_boxes = p && !p->boxes.empty();
        if (!on_boxes && (control || r->has_flag(row_readonly))) {
            follow_link(row);
            return;
        }
    }
    if (column >= col_code && full_width_row(row)) {
        start_edit(row, edit_kind::code);
        return;
    }
    switch (column) {
    case col_line:
        if (continuation || line->count <= 1) return;
        if (kind == click_kind::double_click || on_marker(row, x, y)) toggle_open_closed();
        return;
    case col_code:
        if (!continuation) start_edit(row, edit_kind::code);
        return;
    case col_name:
        if (!continuation) start_edit(row, edit_kind::name);
        return;
    case col_data: {
        const int level = box_under(row, x, y);
        // An array's open state is a view setting: no undo step, no run.
        if (level >= 0 && rows_.flip_array(row, level)) update_grid();
        return;
    }
    default:
        return;
    }
}

void mrdisplay::wheel(bool down) {
    if (editing() || !doc_) return;
    const int first = doc_->sel_first;
    if (down && first + 1 <= rows_.grid_row_count())
        select_rows(first + 1, first + 1);
    else if (!down && first > 1)
        select_rows(first - 1, first - 1);
}

// ---- Links ------------------------------------------------------------------------------------

void mrdisplay::follow_link(int row) {
    const table_list_item* r = row_entry(row);
    const display_list_item* line = line_of_row(row);
    if (!r || !line) return;
    const link_at link = leading_link(line->code);
    if (!link.found) {
        if (line->count > 1) {
            select_rows(row, row);
            toggle_open_closed();
        }
        return;
    }
    const link_target target = classify_link(link.target);
    switch (target.kind) {
    case link_kind::back:
        host_.go_back();
        break;
    case link_kind::new_file:
        host_.new_file();
        break;
    case link_kind::page:
        host_.load_ifile(target.rest, link.second_mode ? link_page_second_flags : link_page_flags);
        break;
    case link_kind::example:
        host_.load_ifile(target.rest, link_example_flags);
        break;
    case link_kind::external:
        host_.open_external(target.rest);
        break;
    case link_kind::file:
        host_.load_file(target.rest);
        break;
    }
}

} // namespace mondrel
