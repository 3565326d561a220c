#pragma once
// The window's command vocabulary as data, and the rules over it that need no widget: every
// action with its caption, hint, shortcut, image and code-word tag; the menus, toolbars and
// pop-ups as lists of action names; which actions are enabled and checked after an operation
// (update_actions); and the key map the grid consults before the shortcuts. The window makes
// QActions, menus and toolbars from these tables and applies the states; nothing repeats a
// caption or a shortcut elsewhere.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mondrel {

struct action_spec {
    std::string_view name;     // "file_new"
    std::string_view category; // "File", "Edit", "Edit_type", "Run", "View", "Tools", "Help"
    std::string_view caption;  // as the menu shows it, with its mnemonic ("&New")
    std::string_view shortcut; // QKeySequence text; several separated by ";" ("" none)
    std::string_view hint;
    std::string_view image; // image-set name of its toolbar picture ("" none)
    int32_t tag = -1;       // code word of the Edit_type actions, else -1
};

// Every action, in a fixed order.
std::span<const action_spec> action_table();
// nullptr when there is no action of that name.
const action_spec* find_action(std::string_view name);

// A menu or toolbar entry: an action name, "" for a separator, or "menu:Caption" opening a
// submenu whose entries follow until "end". An action name may be followed by "=Caption"
// when the menu shows the action under a caption of its own ("edit_add=&After" in the
// "New blank line" submenu); the action's hint, shortcut, image and states still apply.
// Read entries with read_entry rather than by hand.
using menu_entry = std::string_view;

enum class entry_kind { action, separator, submenu, submenu_end };
struct menu_item {
    entry_kind kind = entry_kind::separator;
    std::string_view action;  // the action's name (kind action)
    std::string_view caption; // the submenu's caption, or the entry's own caption for an
                              // action ("" when the action's caption applies)
};
menu_item read_entry(menu_entry entry);
struct menu_spec {
    std::string_view caption; // "&File"
    std::span<const menu_entry> entries;
};
// The File menu's "&Reopen" submenu holds a separator and file_reopen_clear: the window puts
// the recent files before the separator. The View menu's "&Toolbars" submenu has no entries:
// the window fills it with the toolbars' visibility toggles.
std::span<const menu_spec> menu_bar();
struct toolbar_spec {
    std::string_view name; // "main", "run", "code_word", "syntax"
    // "&Main", "&Run", "&Code Word", "&Syntax": the toolbar's title without the "&", and with
    // its mnemonic the caption of its visibility toggle in the View menu's Toolbars submenu.
    std::string_view caption;
    std::span<const menu_entry> entries; // the syntax toolbar has none: it holds a picture
};
std::span<const toolbar_spec> toolbars();
std::span<const menu_entry> grid_popup();
std::span<const menu_entry> tab_popup();

// --- update_actions --------------------------------------------------------------------

enum class sheet_run_state { idle, running, paused };

// What the rules look at.
struct action_inputs {
    sheet_run_state run = sheet_run_state::idle;
    bool worker_busy = false;  // a run is in progress on the worker: only Stop acts
    bool read_only = false;    // the current sheet is a built-in page
    int first = -1, last = -1; // selected rows, 1-based; -1 none
    int rows = 0;              // display rows
    bool editing = false;
    int32_t edit_word = 0;   // the chosen code word of the line being edited
    int32_t common_word = 0; // the code word shared by the selected lines, -1 when they differ
    bool copied_format = false;
    bool can_undo = false, can_redo = false;
    bool use_formats = true, auto_running = false;
};

struct action_state {
    bool enabled = true;
    bool checked = false;
};

struct action_states {
    std::vector<action_state> of; // one per action_table() entry, same order
    // The code word the syntax bar shows; keep_syntax when it is left as it is.
    int32_t syntax_word = 0;
    bool keep_syntax = false;
    const action_state& operator[](std::string_view name) const;
};

// The rules of update_actions. A selection that does not fit the display rows (first or last
// below 1 or beyond `rows`, or last before first) counts as nothing selected. Read-only sheets
// have the commands that would change them disabled; while worker_busy only run_stop and
// file_exit (which stops the run before the window closes) act.
action_states compute_action_states(const action_inputs& in);

class mondrel_doc;
// The code word shared by the given document lines (mrdisplay::selected_lines), or -1 when
// they differ. Indexes outside the document are passed over; with no line left the answer is
// the expression word 0, the word a new line gets.
int32_t common_code_word(const mondrel_doc& doc, std::span<const int> lines);

// --- the key map -------------------------------------------------------------------------

enum class grid_key { enter, up, down, page_up, page_down, right, left, del, other };

struct key_inputs {
    grid_key key = grid_key::other;
    bool shift = false;
    bool editing = false;
    int first = 1, last = 1; // selected rows
    int rows = 0;            // display rows
    int visible = 1;         // fully visible grid rows
    // About the line of the single selected row.
    bool has_children = false;
    bool open = false;
    bool link_row = false;
    bool read_only = false; // Delete cuts nothing from a read-only sheet
};

enum class key_effect { none, select, open_line, close_line, follow_link, cut };

struct key_result {
    bool consumed = false;
    key_effect effect = key_effect::none;
    int first = 0, last = 0; // rows to select when effect is select
};

// The window keeps sel_anchor and sel_moving between presses; the map updates them. With no
// row selected (first outside 1..rows) a move starts from before the first row, shifted or
// not; a stored anchor outside the rows is brought back inside them. Rows to select are
// always within 1..rows.
key_result apply_key(const key_inputs& in, int& sel_anchor, int& sel_moving);

} // namespace mondrel
