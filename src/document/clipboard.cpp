#include "document/clipboard.h"

#include <algorithm>
#include <memory>

#include "display/prop_stuff.h"
#include "document/file_io.h"
#include "document/line_block.h"
#include "document/line_text.h"
#include "document/mondrel_doc.h"

namespace mondrel {

namespace {

// Brings a selection into the document: both ends inside the array, first <= last. False when
// the document has no lines.
bool clamp_selection(const mondrel_doc& doc, int& first, int& last) {
    if (doc.line_count() == 0) return false;
    first = std::clamp(first, 0, doc.line_count() - 1);
    last = std::clamp(last, 0, doc.line_count() - 1);
    if (first > last) std::swap(first, last);
    return true;
}

// The selected lines: from `first` to `last`, the lines shown as rows. Starting from a shown
// line, a walk that steps over every closed list's subtree meets only shown lines.
std::vector<int> selected_lines(const mondrel_doc& doc, int first, int last) {
    std::vector<int> lines;
    if (!clamp_selection(doc, first, last)) return lines;
    const line_tree& tree = doc.tree();
    for (int j = first; j <= last;) {
        lines.push_back(j);
        const source_list_item& line = doc.line(j);
        j += line.has_children() && !line.is_open() ? tree.subtree_size(j) : 1;
    }
    return lines;
}

// Takes at most max_paste_chars characters of the clipboard's text. When the text is cut, the
// line cut in two is dropped too (a half line would read as a different line), unless the
// text has no line end within the limit.
std::string paste_text(std::string text, bool& truncated) {
    const std::size_t keep = utf8_prefix_bytes(text, max_paste_chars);
    truncated = keep < text.size();
    if (truncated) {
        text.resize(keep);
        if (const std::size_t nl = text.rfind('\n'); nl != std::string::npos) text.resize(nl + 1);
    }
    repair_utf8(text);
    // A byte-order mark that came along with text from another program is no part of it.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    return text;
}

// Deletes the selected lines from the last to the first, each followed by the trailing-blank
// rule, into the group the caller has open.
delete_outcome delete_selected_lines(mondrel_doc& doc, int first, int last) {
    delete_outcome outcome;
    const std::vector<int> lines = selected_lines(doc, first, last);
    // Deleting from the last line back never moves the lines in front, so their indexes and
    // parents stay as the tree gave them before the first deletion.
    std::vector<int> parents;
    parents.reserve(lines.size());
    for (int j : lines)
        parents.push_back(doc.tree().parent_of(j));
    for (std::size_t k = lines.size(); k-- > 0;) {
        const auto result = doc.delete_sli(lines[k], parents[k]);
        if (result == mondrel_doc::delete_result::deleted)
            ++outcome.deleted;
        else if (result == mondrel_doc::delete_result::refused_list_start)
            ++outcome.refused;
        doc.ensure_trailing_blank();
    }
    return outcome;
}

} // namespace

std::string copy_text(const mondrel_doc& doc, int first, int last, int* changed) {
    std::string out;
    int n = 0;
    if (changed) *changed = 0;
    if (!clamp_selection(doc, first, last)) return out;
    auto add = [&](const source_list_item& line, bool whole) {
        bool c = false;
        out += text_form(line, whole, &c);
        out += "\r\n";
        n += c;
    };
    const line_tree& tree = doc.tree();
    // A closed list in the last selected row brings its hidden lines into the selection, so a
    // list whose subtree ends there is copied whole too.
    if (doc.line(last).has_children() && !doc.line(last).is_open())
        last += tree.subtree_size(last) - 1;
    for (int j = first; j <= last;) {
        const source_list_item& line = doc.line(j);
        if (!line.has_children()) {
            add(line, true);
            ++j;
            continue;
        }
        const int size = tree.subtree_size(j);
        if (!line.is_open() || j + size - 1 <= last) {
            for (int k = j; k < j + size; ++k)
                add(doc.line(k), true);
            j += size;
        } else {
            // The children are not all selected: the head goes alone, as a leaf.
            add(line, false);
            ++j;
        }
    }
    if (changed) *changed = n;
    return out;
}

int copy_lines(const mondrel_doc& doc, int first, int last, text_clipboard& clipboard) {
    int changed = 0;
    clipboard.set_text(copy_text(doc, first, last, &changed));
    return changed;
}

void clipboard_copier::copy_lines(const mondrel_doc& doc, line_selection selected) {
    changed_lines_ = 0;
    if (selected.empty()) return;
    changed_lines_ = mondrel::copy_lines(doc, selected.front(), selected.back(), clipboard_);
}

paste_outcome paste_lines(mondrel_doc& doc, int first, int last, const text_clipboard& clipboard) {
    paste_outcome outcome;
    std::optional<std::string> clip = clipboard.text();
    // An empty clipboard pastes nothing and leaves the selected lines alone.
    if (doc.read_only || !clip || clip->empty()) return outcome;
    const std::string text = paste_text(std::move(*clip), outcome.truncated);
    outcome.line_text = is_line_text(text);
    line_block block = read_text_block(doc, text, outcome.line_text, &outcome.repaired);
    outcome.lines = static_cast<int>(block.size());
    const int top = top_level_lines(block);

    doc.history().begin_group("edit_pasteExecute");
    // A selection outside the document pastes at its end and replaces nothing.
    const bool has_selection =
        first >= 0 && first < doc.line_count() && clamp_selection(doc, first, last);
    const int t = has_selection ? first : doc.line_count();
    const int parent = has_selection ? doc.tree().parent_of(t) : -1;
    // Append the block, then move it in front of line t in one piece: its lists keep their
    // shape, and in front of an open head the head keeps its children. Line t's parent gains
    // one child per top-level pasted line.
    const int base = doc.line_count();
    for (line_ptr& line : block)
        doc.add_sli(std::move(line));
    if (t < base) doc.moved_lines(base, t - base, outcome.lines);
    if (parent >= 0) doc.changed_cnt(parent, doc.line(parent).count + top);
    if (has_selection)
        outcome.replaced = delete_selected_lines(doc, first + outcome.lines, last + outcome.lines);
    doc.ensure_trailing_blank();
    doc.history().end_group();
    outcome.pasted = true;
    return outcome;
}

paste_outcome paste_lines(mondrel_doc& doc, line_selection selected,
                          const text_clipboard& clipboard) {
    if (selected.empty()) return paste_lines(doc, -1, -1, clipboard);
    return paste_lines(doc, selected.front(), selected.back(), clipboard);
}

std::string copy_format(const mondrel_doc& doc, int first) {
    if (first < 0 || first >= doc.line_count()) return {};
    return format_text(*doc.line(first).format);
}

namespace {

// A CR LF counts as one break, so it becomes one blank.
void append_cell(std::string& out, std::string_view cell) {
    for (std::size_t i = 0; i < cell.size(); ++i) {
        const char c = cell[i];
        if (c == '\r' && i + 1 < cell.size() && cell[i + 1] == '\n') continue;
        out += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
    }
}

} // namespace

std::string cells_text(const std::vector<cell_row>& rows) {
    std::string out;
    for (const cell_row& row : rows) {
        append_cell(out, row.code);
        out += '\t';
        append_cell(out, row.name);
        for (const std::string& value : row.values) {
            out += '\t';
            append_cell(out, value);
        }
        out += "\r\n";
    }
    return out;
}

void copy_cells(const std::vector<cell_row>& rows, text_clipboard& clipboard) {
    clipboard.set_text(cells_text(rows));
}

} // namespace mondrel
