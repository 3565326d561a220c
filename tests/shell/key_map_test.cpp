// The grid's key map: moving and extending the selection, opening and closing lines,
// following links and Delete, and what it leaves to the shortcuts and the editor.

#include <gtest/gtest.h>

#include <string>

#include "shell/session/commands.h"

namespace mondrel {
namespace {

using k = grid_key;
using fx = key_effect;

struct key_case {
    const char* what;
    grid_key key;
    bool shift;
    int first, last, rows, visible;
    int anchor, moving; // stored before the press
    // What happens.
    bool consumed;
    key_effect effect;
    int sel_first, sel_last;    // when effect is select
    int anchor_out, moving_out; // stored after the press
};

// A press of `key` on ten rows with first..last selected.
key_inputs press(grid_key key, bool shift, int first, int last) {
    key_inputs in;
    in.key = key;
    in.shift = shift;
    in.first = first;
    in.last = last;
    in.rows = 10;
    return in;
}

key_inputs inputs_of(const key_case& c) {
    key_inputs in = press(c.key, c.shift, c.first, c.last);
    in.rows = c.rows;
    in.visible = c.visible;
    return in;
}

void check(const key_case& c) {
    SCOPED_TRACE(c.what);
    const key_inputs in = inputs_of(c);
    int anchor = c.anchor, moving = c.moving;
    const key_result r = apply_key(in, anchor, moving);
    EXPECT_EQ(r.consumed, c.consumed);
    EXPECT_EQ(r.effect, c.effect);
    if (c.effect == fx::select) {
        EXPECT_EQ(r.first, c.sel_first);
        EXPECT_EQ(r.last, c.sel_last);
        EXPECT_GE(r.first, 1);
        EXPECT_LE(r.first, r.last);
        EXPECT_LE(r.last, in.rows);
    }
    EXPECT_EQ(anchor, c.anchor_out);
    EXPECT_EQ(moving, c.moving_out);
}

TEST(KeyMap, MovingKeysWithoutShiftSelectOneRow) {
    const key_case cases[] = {
        // what, key, shift, first, last, rows, v, anchor, moving, consumed, effect, sel, stored
        {"up at the first row", k::up, false, 1, 1, 10, 5, 7, 8, true, fx::none, 0, 0, 7, 8},
        {"up", k::up, false, 5, 5, 10, 5, 7, 8, true, fx::select, 4, 4, 7, 8},
        {"up from a range", k::up, false, 4, 8, 10, 5, 0, 0, true, fx::select, 3, 3, 0, 0},
        {"down at the last row", k::down, false, 10, 10, 10, 5, 0, 0, true, fx::none, 0, 0, 0, 0},
        {"down", k::down, false, 3, 3, 10, 5, 0, 0, true, fx::select, 4, 4, 0, 0},
        // The move goes from the first selected row, not the last.
        {"down from a range", k::down, false, 3, 7, 10, 5, 0, 0, true, fx::select, 4, 4, 0, 0},
        {"page up near the top", k::page_up, false, 3, 3, 100, 20, 0, 0, true, fx::select, 1, 1, 0,
         0},
        {"page up at the top", k::page_up, false, 1, 4, 100, 20, 0, 0, true, fx::select, 1, 1, 0,
         0},
        {"page up", k::page_up, false, 50, 50, 100, 20, 0, 0, true, fx::select, 30, 30, 0, 0},
        {"page up by exactly v", k::page_up, false, 21, 21, 100, 20, 0, 0, true, fx::select, 1, 1,
         0, 0},
        {"page down", k::page_down, false, 10, 10, 100, 20, 0, 0, true, fx::select, 30, 30, 0, 0},
        {"page down near the end", k::page_down, false, 90, 90, 100, 20, 0, 0, true, fx::select,
         100, 100, 0, 0},
        {"page down at the end", k::page_down, false, 100, 100, 100, 20, 0, 0, true, fx::select,
         100, 100, 0, 0},
        // A grid too small for a whole row still pages by one row.
        {"page down, nothing visible", k::page_down, false, 1, 1, 100, 0, 0, 0, true, fx::select, 2,
         2, 0, 0},
        {"page up, nothing visible", k::page_up, false, 5, 5, 100, -3, 0, 0, true, fx::select, 4, 4,
         0, 0},
    };
    for (const key_case& c : cases)
        check(c);
}

TEST(KeyMap, ShiftExtendsFromTheAnchor) {
    const key_case cases[] = {
        // what, key, shift, first, last, rows, v, anchor, moving, consumed, effect, sel, stored
        // One row selected: the anchor is reset to it before the move.
        {"shift up", k::up, true, 5, 5, 10, 5, 1, 9, true, fx::select, 4, 5, 5, 4},
        {"shift down", k::down, true, 5, 5, 10, 5, 1, 9, true, fx::select, 5, 6, 5, 6},
        {"shift up at row 1", k::up, true, 1, 1, 10, 5, 4, 9, true, fx::none, 0, 0, 1, 1},
        {"shift down at the last row", k::down, true, 10, 10, 10, 5, 4, 9, true, fx::none, 0, 0, 10,
         10},
        // A range: the stored anchor and moving end are kept and the moving end goes on.
        {"shift down again", k::down, true, 5, 6, 10, 5, 5, 6, true, fx::select, 5, 7, 5, 7},
        {"shift up back over the anchor", k::up, true, 5, 6, 10, 5, 5, 6, true, fx::select, 5, 5, 5,
         5},
        {"shift up past the anchor", k::up, true, 4, 5, 10, 5, 5, 4, true, fx::select, 3, 5, 5, 3},
        {"shift page up from row 3", k::page_up, true, 3, 3, 100, 20, 0, 0, true, fx::select, 1, 3,
         3, 1},
        {"shift page up at row 1", k::page_up, true, 1, 3, 100, 20, 3, 1, true, fx::none, 0, 0, 3,
         1},
        {"shift page up", k::page_up, true, 50, 50, 100, 20, 0, 0, true, fx::select, 30, 50, 50,
         30},
        {"shift page down near the end", k::page_down, true, 95, 95, 100, 20, 0, 0, true,
         fx::select, 95, 100, 95, 100},
        {"shift page down at the end", k::page_down, true, 95, 100, 100, 20, 95, 100, true,
         fx::none, 0, 0, 95, 100},
        {"shift page down", k::page_down, true, 10, 10, 100, 20, 0, 0, true, fx::select, 10, 30, 10,
         30},
        // Stored rows from before lines went away are brought back inside the rows.
        {"stale anchor", k::up, true, 2, 4, 10, 5, 50, 60, true, fx::select, 9, 10, 10, 9},
        {"stale anchor, at the end", k::down, true, 2, 4, 10, 5, 50, 60, true, fx::none, 0, 0, 10,
         10},
    };
    for (const key_case& c : cases)
        check(c);
}

// With no row selected a move starts from before the first row; the grid's header row 0 is
// never selected.
TEST(KeyMap, NothingSelectedStartsBeforeTheFirstRow) {
    const key_case cases[] = {
        {"down", k::down, false, -1, -1, 10, 5, 0, 0, true, fx::select, 1, 1, 0, 0},
        {"up", k::up, false, -1, -1, 10, 5, 0, 0, true, fx::none, 0, 0, 0, 0},
        {"page down", k::page_down, false, -1, -1, 100, 20, 0, 0, true, fx::select, 20, 20, 0, 0},
        {"page down, short sheet", k::page_down, false, -1, -1, 3, 20, 0, 0, true, fx::select, 3, 3,
         0, 0},
        {"page up", k::page_up, false, -1, -1, 100, 20, 0, 0, true, fx::select, 1, 1, 0, 0},
        {"shift down", k::down, true, -1, -1, 10, 5, 7, 9, true, fx::select, 1, 1, 1, 1},
        {"shift up", k::up, true, -1, -1, 10, 5, 7, 9, true, fx::none, 0, 0, 7, 9},
        {"selection past the rows", k::down, false, 12, 12, 10, 5, 0, 0, true, fx::select, 1, 1, 0,
         0},
        {"no rows", k::down, false, -1, -1, 0, 5, 0, 0, true, fx::none, 0, 0, 0, 0},
        {"no rows, shifted", k::page_up, true, 1, 1, 0, 5, 3, 3, true, fx::none, 0, 0, 3, 3},
    };
    for (const key_case& c : cases)
        check(c);
}

TEST(KeyMap, RightAndLeftOpenAndCloseOneLineWithChildren) {
    struct line_case {
        const char* what;
        grid_key key;
        int first, last;
        bool has_children, open;
        key_effect effect;
    };
    const line_case cases[] = {
        {"right on a closed list", k::right, 4, 4, true, false, fx::open_line},
        {"right on an open list", k::right, 4, 4, true, true, fx::none},
        {"right on a closed line without children", k::right, 4, 4, false, false, fx::none},
        {"right with two rows", k::right, 4, 5, true, false, fx::none},
        {"right with nothing selected", k::right, -1, -1, true, false, fx::none},
        {"left on an open list", k::left, 4, 4, true, true, fx::close_line},
        {"left on a closed list", k::left, 4, 4, true, false, fx::none},
        {"left on a leaf", k::left, 4, 4, false, true, fx::none},
        {"left with two rows", k::left, 4, 5, true, true, fx::none},
    };
    for (const line_case& c : cases)
        for (bool shift : {false, true}) {
            key_inputs in = press(c.key, shift, c.first, c.last);
            in.has_children = c.has_children;
            in.open = c.open;
            int anchor = 2, moving = 3;
            const key_result r = apply_key(in, anchor, moving);
            EXPECT_TRUE(r.consumed) << c.what;
            EXPECT_EQ(r.effect, c.effect) << c.what << (shift ? " (shift)" : "");
            EXPECT_EQ(anchor, 2);
            EXPECT_EQ(moving, 3);
        }
}

TEST(KeyMap, EnterFollowsALinkAndDeleteCuts) {
    struct other_case {
        const char* what;
        grid_key key;
        int first, last;
        bool link_row, read_only;
        bool consumed;
        key_effect effect;
    };
    const other_case cases[] = {
        {"enter on a link", k::enter, 3, 3, true, false, true, fx::follow_link},
        {"enter on a link of a page", k::enter, 3, 3, true, true, true, fx::follow_link},
        // Not consumed: Enter goes on to start an edit.
        {"enter on a plain row", k::enter, 3, 3, false, false, false, fx::none},
        {"enter on two rows", k::enter, 3, 4, true, false, false, fx::none},
        {"enter with nothing selected", k::enter, -1, -1, true, false, false, fx::none},
        {"delete two rows", k::del, 3, 4, false, false, true, fx::cut},
        {"delete one row", k::del, 3, 3, false, false, true, fx::cut},
        {"delete with nothing selected", k::del, -1, -1, false, false, true, fx::none},
        {"delete on a read-only page", k::del, 3, 4, false, true, true, fx::none},
        {"another key", k::other, 3, 3, true, false, false, fx::none},
    };
    for (const other_case& c : cases)
        for (bool shift : {false, true}) {
            key_inputs in = press(c.key, shift, c.first, c.last);
            in.link_row = c.link_row;
            in.read_only = c.read_only;
            int anchor = 2, moving = 3;
            const key_result r = apply_key(in, anchor, moving);
            EXPECT_EQ(r.consumed, c.consumed) << c.what;
            EXPECT_EQ(r.effect, c.effect) << c.what << (shift ? " (shift)" : "");
        }
}

// While a line is edited every key goes to the editor and the stored rows stay.
TEST(KeyMap, NothingIsConsumedWhileEditing) {
    for (grid_key key :
         {k::enter, k::up, k::down, k::page_up, k::page_down, k::right, k::left, k::del, k::other})
        for (bool shift : {false, true}) {
            key_inputs in = press(key, shift, 4, 4);
            in.editing = true;
            in.has_children = in.link_row = true;
            int anchor = 2, moving = 3;
            const key_result r = apply_key(in, anchor, moving);
            EXPECT_FALSE(r.consumed) << static_cast<int>(key);
            EXPECT_EQ(r.effect, fx::none);
            EXPECT_EQ(anchor, 2);
            EXPECT_EQ(moving, 3);
        }
}

// Holding Shift+Down from a row walks to the last row and stays there; Shift+Up walks back
// through the anchor to row 1.
TEST(KeyMap, HeldShiftedMovesStayWithinTheRows) {
    const int rows = 7;
    key_inputs in;
    in.shift = true;
    in.rows = rows;
    in.visible = 3;
    in.first = in.last = 3;
    int anchor = 0, moving = 0;
    for (grid_key key : {k::down, k::page_down, k::up, k::page_up})
        for (int press = 0; press < 12; ++press) {
            in.key = key;
            const key_result r = apply_key(in, anchor, moving);
            ASSERT_TRUE(r.consumed);
            if (r.effect == fx::none) continue;
            ASSERT_EQ(r.effect, fx::select);
            ASSERT_GE(r.first, 1);
            ASSERT_LE(r.last, rows);
            ASSERT_LE(r.first, r.last);
            in.first = r.first;
            in.last = r.last;
        }
    // Ended at the top with the range reaching back to the anchor, row 3.
    EXPECT_EQ(in.first, 1);
    EXPECT_EQ(in.last, 3);
    EXPECT_EQ(anchor, 3);
}

} // namespace
} // namespace mondrel
