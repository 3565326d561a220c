// update_actions' rules: which commands are enabled and checked after an operation. The
// rules are tables over action names, resolved to positions in the action table once.

#include <algorithm>
#include <array>

#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "shell/session/commands.h"

namespace mondrel {

namespace {

// The run commands by the sheet's run state.
struct run_rule {
    std::string_view action;
    bool idle, running, paused;
};
constexpr run_rule run_rules[] = {
    {"run_go", true, false, true},         {"run_breakpoint", true, false, true},
    {"run_reset", true, true, true},       {"run_step_over", false, false, true},
    {"run_step_into", false, false, true}, {"run_clear", true, false, true},
};

// The commands on the selected lines by how many rows are selected; some also need a format
// copied before.
struct selection_rule {
    std::string_view action;
    bool none, one, many;
    bool needs_copied_format = false;
};
constexpr selection_rule selection_rules[] = {
    {"edit_cut", false, true, true},
    {"edit_copy", false, true, true},
    {"edit_delete", false, true, true},
    {"edit_copy_format", false, true, false},
    {"edit_paste_format", false, true, true, true},
    {"edit_convert_to_list", false, true, true},
    {"edit_convert_from_list", false, true, true},
};

// Commands that change the sheet: off on a read-only page. Breakpoints, opening and closing
// lines and Auto Run are no edits and stay on; the document refuses the edits below on its own
// as well.
constexpr std::string_view sheet_changes[] = {
    "edit_undo",
    "edit_redo",
    "edit_cut",
    "edit_paste",
    "edit_delete",
    "edit_add",
    "edit_add_child",
    "edit_insert",
    "edit_format",
    "edit_paste_format",
    "edit_convert_to_list",
    "edit_convert_from_list",
    "file_save",
    "file_save_as",
    "file_properties",
};

// What still acts while a run is in progress on the worker: Stop, and Exit, which stops the
// run before the window closes.
constexpr std::string_view while_busy[] = {"run_stop", "file_exit"};

int position(std::string_view name) {
    const action_spec* a = find_action(name);
    return a ? static_cast<int>(a - action_table().data()) : -1;
}

// The table positions the rules need, found once.
struct positions {
    int ok, cancel, undo, redo, stop, formatting, gogo;
    std::array<int, code_word_count> code_word; // the Edit_type actions by tag
    std::array<int, std::size(run_rules)> run;
    std::array<int, std::size(selection_rules)> selection;
    std::array<int, std::size(sheet_changes)> changes;
    std::array<int, std::size(while_busy)> busy;
};

positions find_positions() {
    positions p{};
    p.ok = position("edit_ok");
    p.cancel = position("edit_cancel");
    p.undo = position("edit_undo");
    p.redo = position("edit_redo");
    p.stop = position("run_stop");
    p.formatting = position("view_toggle_formatting");
    p.gogo = position("run_gogo");
    p.code_word.fill(-1);
    const std::span<const action_spec> table = action_table();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].tag >= 0 && table[i].tag < code_word_count)
            p.code_word[table[i].tag] = static_cast<int>(i);
    for (size_t i = 0; i < std::size(run_rules); ++i)
        p.run[i] = position(run_rules[i].action);
    for (size_t i = 0; i < std::size(selection_rules); ++i)
        p.selection[i] = position(selection_rules[i].action);
    for (size_t i = 0; i < std::size(sheet_changes); ++i)
        p.changes[i] = position(sheet_changes[i]);
    for (size_t i = 0; i < std::size(while_busy); ++i)
        p.busy[i] = position(while_busy[i]);
    return p;
}

const positions& at() {
    static const positions p = find_positions();
    return p;
}

// The number of selected rows; 0 when the selection does not fit the rows.
int selected_count(const action_inputs& in) {
    if (in.first < 1 || in.first > in.rows) return 0;
    if (in.last < in.first || in.last > in.rows) return 0;
    return in.last - in.first + 1;
}

bool run_rule_on(const run_rule& r, sheet_run_state s) {
    switch (s) {
    case sheet_run_state::idle:
        return r.idle;
    case sheet_run_state::running:
        return r.running;
    case sheet_run_state::paused:
        return r.paused;
    }
    return false;
}

// Checks the code word action of `word` alone (none for a word outside the table).
void check_code_word(action_states& s, int32_t word) {
    for (int k = 0; k < code_word_count; ++k)
        s.of[at().code_word[k]].checked = k == word;
}

} // namespace

const action_state& action_states::operator[](std::string_view name) const {
    static const action_state unknown{false, false};
    const int i = position(name);
    return i >= 0 && i < static_cast<int>(of.size()) ? of[i] : unknown;
}

action_states compute_action_states(const action_inputs& in) {
    const positions& p = at();
    action_states s;
    s.of.assign(action_table().size(), action_state{});

    s.of[p.formatting].checked = in.use_formats;
    s.of[p.gogo].checked = in.auto_running;

    // While a line is edited the run and selection commands keep the states they had when the
    // edit began; neither the run state nor the selection changes during an edit, so the same
    // rules give them.
    for (size_t i = 0; i < std::size(run_rules); ++i)
        s.of[p.run[i]].enabled = run_rule_on(run_rules[i], in.run);

    const int n = selected_count(in);
    for (size_t i = 0; i < std::size(selection_rules); ++i) {
        const selection_rule& r = selection_rules[i];
        const bool by_count = n == 0 ? r.none : n == 1 ? r.one : r.many;
        s.of[p.selection[i]].enabled = by_count && (in.copied_format || !r.needs_copied_format);
    }

    if (in.editing) {
        s.of[p.ok].enabled = s.of[p.cancel].enabled = true;
        s.of[p.undo].enabled = s.of[p.redo].enabled = false;
        s.syntax_word = in.edit_word;
        check_code_word(s, in.edit_word);
    } else {
        s.of[p.ok].enabled = s.of[p.cancel].enabled = false;
        s.of[p.undo].enabled = in.can_undo;
        s.of[p.redo].enabled = in.can_redo;
        if (n == 0) {
            s.keep_syntax = true;
            s.syntax_word = -1;
            check_code_word(s, cw_expression);
        } else {
            s.syntax_word = in.common_word;
            check_code_word(s, in.common_word);
        }
    }

    if (in.read_only) {
        for (int i : p.changes)
            s.of[i].enabled = false;
        for (int i : p.code_word)
            s.of[i].enabled = false;
    }

    if (in.worker_busy) {
        for (action_state& a : s.of)
            a.enabled = false;
        for (int i : p.busy)
            s.of[i].enabled = true;
    }
    s.of[p.stop].enabled = in.worker_busy;
    return s;
}

int32_t common_code_word(const mondrel_doc& doc, std::span<const int> lines) {
    int32_t word = -2; // none seen yet
    const int count = doc.line_count();
    for (int i : lines) {
        if (i < 0 || i >= count) continue;
        const int32_t w = doc.line(i).code_word;
        if (word == -2)
            word = w;
        else if (w != word)
            return -1;
    }
    return word == -2 ? int32_t{cw_expression} : word;
}

} // namespace mondrel
