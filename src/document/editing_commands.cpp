#include "document/editing_commands.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/line_text.h"
#include "document/mondrel_doc.h"

namespace mondrel {

namespace {

// ORDER COMMAND: the enum follows the rows of command_table.
enum class command {
    add_line,
    insert_line,
    add_child_line,
    edit_delete,
    edit_cut,
    convert_to_list,
    convert_from_list,
    set_code_word,
    toggle_open_closed,
    edit_format,
    paste_format,
    end_edit,
    run_gogo,
};

struct command_info {
    std::string_view group; // the undo step's name
    bool edits;             // refused on a read-only document
    bool single_row;        // needs exactly one selected row
};

// ORDER COMMAND
constexpr std::array<command_info, 13> command_table{{
    {"add_line", true, true},
    {"insert_line", true, true},
    {"add_child_line", true, true},
    {"edit_deleteExecute", true, false},
    {"edit_cutExecute", true, false},
    {"edit_convert_to_listExecute", true, false},
    {"edit_convert_from_listExecute", true, false},
    {"edit_type_allExecute", true, false},
    // Read-only pages open and close their lists like any other sheet.
    {"toggle_open_closed", false, true},
    {"edit_formatExecute", true, false},
    {"edit_paste_formatExecute", true, false},
    {"end_edit", true, false},
    {"run_gogoExecute", false, false},
}};

const command_info& info(command c) {
    return command_table[static_cast<size_t>(c)];
}

bool allowed(const mondrel_doc& doc, command c, line_selection selected) {
    if (info(c).edits && doc.read_only) return false;
    if (info(c).single_row && selected.size() != 1) return false;
    return true;
}

// One undo step for the lifetime of the scope.
class group_scope {
public:
    group_scope(mondrel_doc& doc, command c) : history_(doc.history()) {
        history_.begin_group(info(c).group);
    }
    ~group_scope() { history_.end_group(); }
    group_scope(const group_scope&) = delete;
    group_scope& operator=(const group_scope&) = delete;

private:
    undo_list& history_;
};

// The selected lines that exist, each once, in array order.
std::vector<int> valid_lines(const mondrel_doc& doc, line_selection selected) {
    std::vector<int> lines;
    lines.reserve(selected.size());
    for (int i : selected)
        if (doc.valid_line(i)) lines.push_back(i);
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

int first_valid(const mondrel_doc& doc, line_selection selected) {
    return !selected.empty() && doc.valid_line(selected.front()) ? selected.front() : -1;
}

bool is_block_word(int32_t word) {
    return word == cw_if || word == cw_while || word == cw_for;
}

} // namespace

void editing_commands::after_change() {
    if (doc_.auto_running && ports_.run)
        ports_.run(doc_);
    else if (ports_.ui)
        ports_.ui->refresh();
}

void editing_commands::commit_open_edit() {
    if (editing()) end_edit(end_edit_mode::commit);
}

// ---- Adding lines ---------------------------------------------------------------------------

int editing_commands::add_line(line_selection selected, int32_t word) {
    if (!allowed(doc_, command::add_line, selected)) return -1;
    commit_open_edit();
    const int i = first_valid(doc_, selected);
    return i < 0 ? -1 : add_line_after(i, word);
}

int editing_commands::add_line_after(int i, int32_t word) {
    int added;
    {
        group_scope group(doc_, command::add_line);
        added = doc_.add_after_sli(make_line(doc_, 1, word, "", ""), i);
    }
    after_change();
    if (ports_.editor) ports_.editor->start(added, edit_kind::code, word);
    return added;
}

int editing_commands::insert_line(line_selection selected) {
    if (!allowed(doc_, command::insert_line, selected)) return -1;
    commit_open_edit();
    const int i = first_valid(doc_, selected);
    if (i < 0) return -1;
    {
        group_scope group(doc_, command::insert_line);
        doc_.insert_sli(make_line(doc_, 1, cw_expression, "", ""), i);
    }
    after_change();
    if (ports_.editor) ports_.editor->start(i, edit_kind::code, doc_.line(i).code_word);
    return i;
}

int editing_commands::add_child_line(line_selection selected) {
    if (!allowed(doc_, command::add_child_line, selected)) return -1;
    commit_open_edit();
    const int i = first_valid(doc_, selected);
    return i < 0 ? -1 : add_child_to(i);
}

int editing_commands::add_child_to(int i) {
    {
        group_scope group(doc_, command::add_child_line);
        // A line that has children only opens (recorded, so undo closes it again); the edit
        // then starts on its first child.
        if (doc_.line(i).has_children()) {
            if (!doc_.line(i).is_open()) doc_.set_open(i, true);
        } else {
            doc_.add_child_sli(make_line(doc_, 1, cw_expression, "", ""), i);
        }
    }
    after_change();
    const int child = i + 1;
    if (!doc_.valid_line(child)) return -1;
    if (ports_.editor) ports_.editor->start(child, edit_kind::code, doc_.line(child).code_word);
    return child;
}

// ---- Deleting -------------------------------------------------------------------------------

bool editing_commands::delete_lines(line_selection selected) {
    if (!allowed(doc_, command::edit_delete, selected)) return false;
    if (editing()) {
        ports_.editor->delete_selected_text();
        return false;
    }
    bool changed;
    {
        group_scope group(doc_, command::edit_delete);
        changed = delete_selected(selected);
    }
    if (changed) after_change();
    return changed;
}

bool editing_commands::cut(line_selection selected) {
    if (!allowed(doc_, command::edit_cut, selected)) return false;
    if (editing()) {
        ports_.editor->cut_selected_text();
        return false;
    }
    if (ports_.copier) ports_.copier->copy_lines(doc_, selected);
    bool changed;
    {
        group_scope group(doc_, command::edit_cut);
        changed = delete_selected(selected);
    }
    if (changed) after_change();
    return changed;
}

bool editing_commands::delete_selected(line_selection selected) {
    const mondrel_doc::deletion_result r = doc_.delete_lines(selected);
    if (r.refused && ports_.ui) ports_.ui->information(cannot_delete_list_start_message);
    return r.deleted;
}

// ---- Lists ----------------------------------------------------------------------------------

bool editing_commands::convert_to_list(line_selection selected) {
    if (!allowed(doc_, command::convert_to_list, selected) || editing()) return false;
    const int i = first_valid(doc_, selected);
    if (i < 0 || doc_.line(i).has_children()) return false;
    // The items are the lines from i + 1 to the last selected line, whole lists stepped over;
    // their parents are noted on the tree before anything changes.
    const int last = std::min(selected.back(), doc_.line_count() - 1);
    std::vector<int> item_parents;
    const line_tree& tree = doc_.tree();
    for (int j = i + 1; j <= last; j += std::max(1, tree.subtree_size(j)))
        item_parents.push_back(tree.parent_of(j));
    if (item_parents.empty()) return false;
    {
        group_scope group(doc_, command::convert_to_list);
        // The items already follow line i, so only counts change.
        for (int p : item_parents)
            if (p >= 0) doc_.changed_cnt(p, doc_.line(p).count - 1);
        doc_.changed_cnt(i, 1 + static_cast<int32_t>(item_parents.size()));
        if (!doc_.line(i).is_open()) doc_.flag_set(i, flag_open, true);
    }
    after_change();
    return true;
}

bool editing_commands::convert_from_list(line_selection selected) {
    if (!allowed(doc_, command::convert_from_list, selected) || editing()) return false;
    const int i = first_valid(doc_, selected);
    if (i < 0 || !doc_.line(i).has_children()) return false;
    {
        group_scope group(doc_, command::convert_from_list);
        // The children become the line's following siblings.
        const int p = doc_.parent_of(i);
        if (p >= 0) doc_.changed_cnt(p, doc_.line(p).count + doc_.line(i).count - 1);
        doc_.changed_cnt(i, 1);
    }
    after_change();
    return true;
}

bool editing_commands::toggle_open_closed(line_selection selected) {
    if (!allowed(doc_, command::toggle_open_closed, selected)) return false;
    const int i = first_valid(doc_, selected);
    if (i < 0 || !doc_.line(i).has_children()) return false;
    return set_open_flag(selected, !doc_.line(i).is_open());
}

bool editing_commands::open_list(line_selection selected) {
    if (!allowed(doc_, command::toggle_open_closed, selected)) return false;
    const int i = first_valid(doc_, selected);
    return i >= 0 && !doc_.line(i).is_open() && set_open_flag(selected, true);
}

bool editing_commands::close_list(line_selection selected) {
    if (!allowed(doc_, command::toggle_open_closed, selected)) return false;
    const int i = first_valid(doc_, selected);
    return i >= 0 && doc_.line(i).is_open() && set_open_flag(selected, false);
}

bool editing_commands::set_open_flag(line_selection selected, bool value) {
    const int i = selected.front();
    if (!doc_.line(i).has_children()) return false;
    {
        group_scope group(doc_, command::toggle_open_closed);
        doc_.set_open(i, value);
    }
    if (ports_.ui) ports_.ui->refresh();
    return true;
}

void editing_commands::set_all_open(bool value) {
    commit_open_edit();
    for (int i = 0; i < doc_.line_count(); ++i) {
        source_list_item& l = doc_.line(i);
        l.flags = value ? (l.flags | flag_open) : (l.flags & ~flag_open);
    }
    if (ports_.ui) ports_.ui->refresh();
}

void editing_commands::expand_all() {
    set_all_open(true);
}
void editing_commands::collapse_all() {
    set_all_open(false);
}

bool editing_commands::toggle_breakpoint(line_selection selected) {
    if (selected.size() != 1 || !doc_.valid_line(selected.front())) return false;
    const int i = selected.front();
    doc_.set_breakpoint(i, !doc_.line(i).has_flag(flag_breakpoint));
    if (ports_.ui) ports_.ui->refresh();
    return true;
}

// ---- Code words and formats -----------------------------------------------------------------

bool editing_commands::set_code_word(line_selection selected, int32_t word) {
    if (!allowed(doc_, command::set_code_word, selected) || !is_valid_code_word(word)) return false;
    if (editing()) {
        // While a line is edited the word only becomes the edit's choice.
        ports_.editor->set_pending_word(word);
        return false;
    }
    bool changed = false;
    {
        group_scope group(doc_, command::set_code_word);
        for (int i : valid_lines(doc_, selected)) {
            const source_list_item& old = doc_.line(i);
            if (old.code_word == word) continue;
            // A new line: no flags (an open list closes) and an empty format.
            doc_.changed_sli(i, make_line(doc_, old.count, word, old.name, old.code));
            changed = true;
        }
    }
    if (changed) after_change();
    return changed;
}

bool editing_commands::edit_format(line_selection selected) {
    if (!allowed(doc_, command::edit_format, selected)) return false;
    if (editing()) ports_.editor->close(); // the edit ends unsaved
    const std::vector<int> lines = valid_lines(doc_, selected);
    if (lines.empty() || !ports_.formats) return false;
    // The editor is shown what all the lines have in common.
    std::string text = doc_.line(lines.front()).format->source_text;
    if (lines.size() > 1) {
        prop_list merged = prop_list::from_text(text);
        for (size_t k = 1; k < lines.size(); ++k)
            merged.merge(prop_list::from_text(doc_.line(lines[k]).format->source_text));
        text = merged.full_text();
    }
    if (!ports_.formats->edit(text)) return false;
    {
        group_scope group(doc_, command::edit_format);
        for (int i : lines)
            doc_.changed_fmt(i, std::make_unique<prop_list>(prop_list::from_text(text)));
    }
    after_change();
    return true;
}

bool editing_commands::paste_format(line_selection selected, std::string_view format_text) {
    if (!allowed(doc_, command::paste_format, selected)) return false;
    const std::vector<int> lines = valid_lines(doc_, selected);
    if (lines.empty()) return false;
    {
        group_scope group(doc_, command::paste_format);
        for (int i : lines)
            doc_.changed_fmt(i, std::make_unique<prop_list>(prop_list::from_text(format_text)));
    }
    after_change();
    return true;
}

// ---- The in-place edit ----------------------------------------------------------------------

bool editing_commands::end_edit(end_edit_mode mode) {
    if (!editing()) return false;
    line_editor& editor = *ports_.editor;
    const int i = editor.line();
    const int32_t word = editor.pending_word();
    std::string code = editor.code_text();
    std::string name = editor.name_text();
    editor.close();
    if (mode == end_edit_mode::cancel || !doc_.valid_line(i) || doc_.read_only) return false;

    bool changed = false;
    const source_list_item& old = doc_.line(i);
    if (word != old.code_word || code != old.code || name != old.name) {
        group_scope group(doc_, command::end_edit);
        line_ptr made = make_line(doc_, old.count, word, std::move(name), std::move(code));
        // The edit keeps the line's format and its open state; other flags start afresh. The
        // format is parsed from its text, so a new line's placeholder (no size at all) becomes
        // the empty text's set (Arial 8) and the line's values are drawn readable.
        made->format = format_from_text(format_text(*old.format));
        made->flags = old.flags & flag_open;
        doc_.changed_sli(i, std::move(made));
        doc_.ensure_trailing_blank();
        after_change();
        changed = true;
    }
    if (mode != end_edit_mode::commit_and_continue) return changed;

    // Enter: a block line without children gets its first child; any other line gets a
    // following line when it ends its list or nothing but blank code follows it. The line's
    // word is the one it has now: "if x" typed into an expression line made it an IF line.
    const int32_t now = doc_.line(i).code_word;
    if (is_block_word(now)) {
        if (!doc_.line(i).has_children()) add_child_to(i);
        return changed;
    }
    bool rest_blank = true;
    for (int j = i + 1; j < doc_.line_count() && rest_blank; ++j)
        rest_blank = doc_.line(j).code.empty();
    if (rest_blank || doc_.is_last_child(i))
        add_line_after(i, now == cw_rem || now == cw_vb ? now : cw_expression);
    return changed;
}

bool editing_commands::toggle_auto_run() {
    {
        group_scope group(doc_, command::run_gogo);
        doc_.flip_auto_running();
    }
    // Turning auto run on does not run the sheet.
    return true;
}

// ---- Undo and redo --------------------------------------------------------------------------

bool editing_commands::undo() {
    return !editing() && after_replay(doc_.undo());
}

bool editing_commands::redo() {
    return !editing() && after_replay(doc_.redo());
}

bool editing_commands::after_replay(const replay_result& r) {
    if (!r.applied) return false;
    // A swapped format set changes what the lines show: an auto-running sheet runs again.
    if (r.formats_changed && doc_.auto_running && ports_.run)
        ports_.run(doc_);
    else if (ports_.ui)
        ports_.ui->refresh();
    return true;
}

} // namespace mondrel
