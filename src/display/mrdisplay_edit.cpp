// The display object's in-place editing and line commands. The commands themselves, and the
// commit of an edit, are editing_commands'; here they get the selected lines, the editors and
// the clipboard, and the grid follows.

#include <algorithm>

#include "display/mrdisplay.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"

namespace mondrel {
namespace {

// Every editor keeps this inner margin on its left.
constexpr int editor_margin = 3;
// An editor covers its cell widened by this much in width and height.
constexpr int editor_overlap = 2;

// The sheet format whose font the code editor takes for a full-width line of a code word.
int full_width_code_format(int32_t word) {
    if (word == cw_vb) return fmt_vb;
    if (word == cw_rem) return fmt_rem;
    return fmt_expression;
}

} // namespace

// ---- The editors ----------------------------------------------------------------------------

void mrdisplay::start_edit(int row, edit_kind kind) {
    const display_list_item* line = line_of_row(row);
    if (!line) return;
    open_edit(row, kind, line->code_word);
}

void mrdisplay::open_edit(int row, edit_kind kind, int32_t word) {
    if (!usable()) return;
    select_rows(row, row);
    const table_list_item* r = row_entry(row);
    // Read-only lines and documents are not edited; continuation rows have no code or name.
    if (!r || r->has_flag(row_continuation) || r->has_flag(row_readonly) || doc_->read_only ||
        !doc_->valid_line(r->line))
        return;
    if (editing() && edit_row_ == row) {
        // A click on the other editor of the edited row: the typed texts stay.
        edit_kind_ = kind;
        if (edit_field().visible()) edit_field().take_focus();
        return;
    }
    if (editing()) close_editors();
    const int previous = edit_row_;
    edit_row_ = row;
    edit_line_ = r->line;
    edit_kind_ = kind;
    edit_word_ = word;
    painter_.edit_row = row;
    painter_.edit_word = std::string(code_word_text(word));

    const source_list_item& source = doc_->line(r->line);
    code_field_.set_text(source.code);
    // A full-width line keeps its name although the name editor is not shown: the commit
    // compares the editor's text with the line's, and an empty editor would erase the name.
    name_field_.set_text(source.name);
    place_editors();
    code_field_.select_all();
    name_field_.select_all();
    text_field& wanted = edit_field();
    if (wanted.visible())
        wanted.take_focus();
    else if (code_field_.visible())
        code_field_.take_focus();
    if (grid_) {
        if (previous > 0 && previous != row) grid_->repaint_row(previous);
        grid_->repaint_row(row);
    }
    host_.update_actions();
}

void mrdisplay::place_field(text_field& field, const rect& cell, int format_index) {
    if (cell.width() <= 0 || cell.height() <= 0) {
        field.set_visible(false);
        return;
    }
    const prop_list& own = doc_->sheet_format(format_index);
    const prop_list& format = own.source_text.empty() ? doc_->sheet_format(fmt_edit) : own;
    font_record font = format.font();
    font.size += painter_.font_increment;
    field.set_font(font, editor_margin);
    field.set_geometry(
        {cell.left, cell.top, cell.right + editor_overlap, cell.bottom + editor_overlap});
    field.set_visible(true);
}

void mrdisplay::place_editors() {
    if (!editing() || !usable()) return;
    if (!grid_) {
        code_field_.set_visible(false);
        name_field_.set_visible(false);
        return;
    }
    rect code = grid_->cell_rect(col_code, edit_row_);
    if (full_width_row(edit_row_)) {
        // The code editor runs over every following cell of the row that is on screen.
        if (code.width() > 0) {
            for (int c = col_code + 1; c < rows_.column_count(); ++c) {
                const rect cell = grid_->cell_rect(c, edit_row_);
                if (cell.width() > 0) code.right = std::max(code.right, cell.right);
            }
        }
        place_field(code_field_, code, full_width_code_format(edit_word_));
        name_field_.set_visible(false);
    } else {
        place_field(code_field_, code, fmt_expression);
        place_field(name_field_, grid_->cell_rect(col_name, edit_row_), fmt_name);
    }
}

void mrdisplay::close_editors() {
    code_field_.set_visible(false);
    name_field_.set_visible(false);
    const int row = edit_row_;
    edit_row_ = -1;
    edit_line_ = -1;
    painter_.edit_row = -1;
    painter_.edit_word.clear();
    if (grid_ && row > 0) grid_->repaint_row(row);
}

void mrdisplay::end_edit(end_edit_mode mode) {
    code_field_.set_visible(false);
    name_field_.set_visible(false);
    if (!editing()) return;
    if (!usable()) {
        // A run holds the document: the typed text stays in the editors, to be committed
        // when the run has ended.
        if (mode == end_edit_mode::cancel)
            close_editors();
        else
            place_editors();
        return;
    }
    commands().end_edit(mode);
    done();
}

// ---- line_editor, for editing_commands ---------------------------------------------------------

bool mrdisplay::active() const {
    return editing();
}
int mrdisplay::line() const {
    return edit_line_;
}
std::string mrdisplay::code_text() const {
    return code_field_.text();
}
std::string mrdisplay::name_text() const {
    return name_field_.text();
}
int32_t mrdisplay::pending_word() const {
    return edit_word_;
}

void mrdisplay::set_pending_word(int32_t word) {
    edit_word_ = word;
    painter_.edit_word = std::string(code_word_text(word));
    if (grid_) grid_->repaint_row(edit_row_);
    place_editors();
}

void mrdisplay::delete_selected_text() {
    edit_field().delete_selected();
}
void mrdisplay::cut_selected_text() {
    edit_field().cut();
}

void mrdisplay::start(int line, edit_kind kind, int32_t word) {
    const int row = rows_.first_row_of_line(line);
    if (row > 0) open_edit(row, kind, word);
}

void mrdisplay::close() {
    close_editors();
}

void mrdisplay::information(std::string_view message) {
    host_.information(message);
}

// ---- Line commands ----------------------------------------------------------------------------

editing_commands mrdisplay::commands(format_editor* formats) {
    command_ports ports;
    ports.ui = this;
    ports.editor = this;
    ports.copier = &copier_;
    ports.formats = formats;
    // The rows are rebuilt before the run is asked for: the window may run the sheet later,
    // and an edit that opens on a new line must find that line's row now.
    ports.run = [this](mondrel_doc&) {
        refresh();
        host_.run_sheet();
    };
    return editing_commands(*doc_, std::move(ports));
}

void mrdisplay::after_change() {
    refresh();
    if (doc_->auto_running) host_.run_sheet();
}

void mrdisplay::done() {
    host_.update_actions();
}

template <typename Command>
void mrdisplay::line_command(Command&& command, format_editor* formats) {
    if (!usable()) return;
    editing_commands c = commands(formats);
    command(c);
    done();
}

void mrdisplay::add_line(int32_t word) {
    line_command([&](editing_commands& c) { c.add_line(selected_lines(), word); });
}

void mrdisplay::insert_line() {
    line_command([this](editing_commands& c) { c.insert_line(selected_lines()); });
}

void mrdisplay::add_child_line() {
    line_command([this](editing_commands& c) { c.add_child_line(selected_lines()); });
}

void mrdisplay::toggle_open_closed() {
    line_command([this](editing_commands& c) { c.toggle_open_closed(selected_lines()); });
}

void mrdisplay::open_list() {
    if (editing()) return;
    line_command([this](editing_commands& c) { c.open_list(selected_lines()); });
}

void mrdisplay::close_list() {
    if (editing()) return;
    line_command([this](editing_commands& c) { c.close_list(selected_lines()); });
}

void mrdisplay::toggle_breakpoint() {
    line_command([this](editing_commands& c) { c.toggle_breakpoint(selected_lines()); });
}

void mrdisplay::expand_all() {
    line_command([](editing_commands& c) { c.expand_all(); });
}

void mrdisplay::collapse_all() {
    line_command([](editing_commands& c) { c.collapse_all(); });
}

void mrdisplay::set_code_word(int32_t word) {
    line_command([&](editing_commands& c) { c.set_code_word(selected_lines(), word); });
}

void mrdisplay::copy_format() {
    if (!usable()) return;
    const std::vector<int> lines = selected_lines();
    if (!lines.empty()) copied_format_ = mondrel::copy_format(*doc_, lines.front());
}

void mrdisplay::copy_cells() {
    if (!usable() || editing()) return;
    const int count = rows_.grid_row_count();
    const int first = std::max(1, int(doc_->sel_first));
    const int last = std::min(count, int(doc_->sel_last));
    std::vector<cell_row> cells;
    for (int r = first; r <= last; ++r) {
        const table_list_item& row = rows_.rows()[r - 1];
        cell_row out;
        out.code = rows_.code(row);
        out.name = rows_.name(row);
        for (int k = 0; k < rows_.cell_count(row); ++k)
            out.values.push_back(rows_.cell(row, k).text);
        cells.push_back(std::move(out));
    }
    if (!cells.empty()) mondrel::copy_cells(cells, clipboard_);
}

void mrdisplay::toggle_auto_run() {
    line_command([](editing_commands& c) { c.toggle_auto_run(); });
}

void mrdisplay::paste_format() {
    line_command([this](editing_commands& c) { c.paste_format(selected_lines(), copied_format_); });
}

void mrdisplay::edit_format(format_editor& editor) {
    line_command([this](editing_commands& c) { c.edit_format(selected_lines()); }, &editor);
}

void mrdisplay::convert_to_list() {
    line_command([this](editing_commands& c) { c.convert_to_list(selected_lines()); });
}

void mrdisplay::convert_from_list() {
    line_command([this](editing_commands& c) { c.convert_from_list(selected_lines()); });
}

// While a line is edited, delete and cut act on the editor's text: editing_commands sends
// them back through delete_selected_text and cut_selected_text.
void mrdisplay::delete_selection() {
    line_command([this](editing_commands& c) { c.delete_lines(selected_lines()); });
}

void mrdisplay::cut() {
    line_command([this](editing_commands& c) { c.cut(selected_lines()); });
}

void mrdisplay::copy() {
    if (editing()) {
        edit_field().copy();
        return;
    }
    if (!usable()) return;
    const std::vector<int> lines = selected_lines();
    if (lines.empty()) return;
    copy_lines(*doc_, lines.front(), lines.back(), clipboard_);
    done();
}

void mrdisplay::paste() {
    if (!usable()) return;
    if (editing()) {
        edit_field().paste();
        return;
    }
    if (doc_->read_only) return;
    const std::vector<int> lines = selected_lines();
    if (lines.empty()) return;
    const paste_outcome outcome = paste_lines(*doc_, lines, clipboard_);
    if (!outcome.pasted) return;
    doc_->sel_last = doc_->sel_first;
    if (outcome.replaced.refused) host_.information(cannot_delete_list_start_message);
    after_change();
    done();
}

void mrdisplay::undo() {
    line_command([](editing_commands& c) { c.undo(); });
}

void mrdisplay::redo() {
    line_command([](editing_commands& c) { c.redo(); });
}

} // namespace mondrel
