// The keys the window handles before the action shortcuts while no line is edited: moving
// and extending the selection, opening and closing lines, following links and Delete.

#include <algorithm>

#include "shell/session/commands.h"

namespace mondrel {

namespace {

// The moving keys: which way, and whether they move by a page of fully visible rows.
struct move_rule {
    grid_key key;
    int direction; // -1 towards row 1
    bool page;
};
constexpr move_rule move_rules[] = {
    {grid_key::up, -1, false},
    {grid_key::down, +1, false},
    {grid_key::page_up, -1, true},
    {grid_key::page_down, +1, true},
};

const move_rule* move_of(grid_key key) {
    for (const move_rule& r : move_rules)
        if (r.key == key) return &r;
    return nullptr;
}

key_result consumed(key_effect effect = key_effect::none) {
    return {true, effect, 0, 0};
}

key_result select(int first, int last) {
    return {true, key_effect::select, first, last};
}

// The rows fit the display and at least one is selected.
bool has_selection(const key_inputs& in) {
    return in.first >= 1 && in.last >= in.first && in.last <= in.rows;
}

bool one_selected(const key_inputs& in) {
    return has_selection(in) && in.first == in.last;
}

// Unshifted: the row to select alone, from `first`. A line step acts only when there is a row
// to go to; a page step always selects, at the end it reached. Returns 0 for no move.
int moved_row(const move_rule& r, int first, int rows, int page) {
    if (!r.page) {
        const int to = first + r.direction;
        return to >= 1 && to <= rows ? to : 0;
    }
    return std::clamp(first + r.direction * page, 1, rows);
}

key_result move(const move_rule& r, const key_inputs& in, int& anchor, int& moving) {
    if (in.rows < 1) return consumed();
    // A grid too small to show a whole row still pages one row at a time.
    const int page = std::max(1, in.visible);
    const int step = r.page ? page : 1;
    if (!has_selection(in)) {
        // From before the first row; a shifted move starts its range at the row it selects.
        const int to = moved_row(r, 0, in.rows, page);
        if (to == 0) return consumed();
        if (in.shift) anchor = moving = to;
        return select(to, to);
    }
    if (!in.shift) {
        const int to = moved_row(r, in.first, in.rows, page);
        return to == 0 ? consumed() : select(to, to);
    }
    if (in.first == in.last) anchor = moving = in.first;
    // The stored rows may be from before lines went away.
    anchor = std::clamp(anchor, 1, in.rows);
    moving = std::clamp(moving, 1, in.rows);
    if (r.direction < 0 ? moving < 2 : moving >= in.rows) return consumed();
    moving = std::clamp(moving + r.direction * step, 1, in.rows);
    return select(std::min(anchor, moving), std::max(anchor, moving));
}

} // namespace

key_result apply_key(const key_inputs& in, int& sel_anchor, int& sel_moving) {
    if (in.editing) return {};
    if (const move_rule* r = move_of(in.key)) return move(*r, in, sel_anchor, sel_moving);
    switch (in.key) {
    case grid_key::enter:
        if (one_selected(in) && in.link_row) return consumed(key_effect::follow_link);
        return {};
    case grid_key::right:
        if (one_selected(in) && in.has_children && !in.open) return consumed(key_effect::open_line);
        return consumed();
    case grid_key::left:
        if (one_selected(in) && in.has_children && in.open) return consumed(key_effect::close_line);
        return consumed();
    case grid_key::del:
        if (has_selection(in) && !in.read_only) return consumed(key_effect::cut);
        return consumed();
    default:
        return {};
    }
}

} // namespace mondrel
