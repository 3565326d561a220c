// The display object's rows and grid: refresh, the grid model, selection, scrolling, column
// widths and the detaching of the rows from a document that a run is about to work on.

#include "display/mrdisplay.h"

#include <algorithm>
#include <unordered_map>

#include "display/links.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"

namespace mondrel {
namespace {

// Turns the grid's column-width notifications off while the display itself lays the grid out.
class grid_quiet {
public:
    explicit grid_quiet(bool& live) : live_(live), was_(live) { live_ = false; }
    ~grid_quiet() { live_ = was_; }
    grid_quiet(const grid_quiet&) = delete;
    grid_quiet& operator=(const grid_quiet&) = delete;

private:
    bool& live_;
    bool was_;
};

} // namespace

mrdisplay::mrdisplay(canvas_factory& factory, picture_library& pictures, display_host& host,
                     text_field& code_field, text_field& name_field, text_clipboard& clipboard)
    : factory_(factory), host_(host), code_field_(code_field), name_field_(name_field),
      clipboard_(clipboard), painter_(rows_, factory, pictures), copier_(clipboard) {
    code_field_.set_visible(false);
    name_field_.set_visible(false);
}

mrdisplay::~mrdisplay() = default;

void mrdisplay::set_grid(grid_control* grid) {
    grid_ = grid;
    grid_live_ = grid != nullptr;
    if (grid_) update_grid();
}

// ---- Rows -----------------------------------------------------------------------------------

void mrdisplay::refresh(mondrel_doc& doc, int paused_line, const fmt_result_list* fmt_results) {
    // Another document (a tab switch) ends an open edit unsaved: its line is not in this one.
    if (editing() && &doc != doc_) close_editors();
    painter_.ready = false;
    doc_ = &doc;
    paused_line_ = paused_line;
    fmt_results_ = fmt_results;
    rows_.refresh(doc, false, paused_line, fmt_results);
    // The rows now point at the document's formats again; the copies are no longer used.
    own_formats_.clear();
    detached_ = false;
    painter_.set_sheet_formats(doc);
    painter_.ready = true;

    const int count = rows_.grid_row_count();
    if (count > 0) {
        const int first = doc.sel_first > count ? count : std::max(1, int(doc.sel_first));
        select_rows(first, first);
    } else {
        host_.show_line_number("");
    }
    if (editing()) {
        // The edited line may have moved or gone (a run's results, an include loaded).
        edit_row_ = rows_.first_row_of_line(edit_line_);
        if (edit_row_ == 0) close_editors();
    }
    painter_.edit_row = edit_row_;
    update_grid();
    place_editors();
}

void mrdisplay::refresh() {
    if (doc_) refresh(*doc_, paused_line_, fmt_results_);
}

void mrdisplay::update_grid() {
    painter_.invalidate_all();
    if (!grid_) return;
    painter_.set_visible_rows(grid_->visible_rows());
    grid_quiet quiet(grid_live_);
    grid_->layout_changed();
    grid_->repaint_all();
}

void mrdisplay::select_rows(int first, int last) {
    const int count = rows_.grid_row_count();
    if (count == 0) return;
    first = std::clamp(first, 1, count);
    last = std::clamp(last, first, count);
    const bool changed = !doc_ || doc_->sel_first != first || doc_->sel_last != last;
    if (doc_ && !detached_) {
        doc_->sel_first = first;
        doc_->sel_last = last;
    }
    if (changed) {
        show_row(first);
        host_.update_actions();
    }
    if (grid_ && (grid_->selection_first() != first || grid_->selection_last() != last))
        grid_->set_selection(first, last);
    host_.show_line_number(rows_.rows()[first - 1].full_number);
}

void mrdisplay::show_row(int row) {
    if (!grid_) return;
    const int top = grid_->top_row();
    const int visible = std::max(1, grid_->visible_rows());
    if (row < top)
        grid_->set_top_row(row);
    else if (row > top + visible - 1)
        grid_->set_top_row(row - visible + 1);
}

void mrdisplay::show_line(int line) {
    const int row = rows_.first_row_of_line(line);
    if (row > 0) show_row(row);
}

void mrdisplay::columns_resized(const std::vector<int>& widths) {
    if (!grid_live_) return;
    rows_.set_columns(rows_.data_cols(), rows_.default_row_height(), widths);
    if (usable()) {
        std::vector<int>& kept = doc_->col_widths();
        const size_t n = std::min(kept.size(), widths.size());
        std::copy_n(widths.begin(), n, kept.begin());
    }
    place_editors();
    update_grid();
}

void mrdisplay::grid_moved() {
    if (grid_) painter_.set_visible_rows(grid_->visible_rows());
    place_editors();
}

void mrdisplay::detach_from_document() {
    // Values point at formats held by the document's lines and by the run's format results;
    // a run replaces both. Each distinct format gets one copy of its own.
    std::unordered_map<const prop_list*, const prop_list*> copies;
    const prop_list* fallback = &rows_.default_format();
    for (display_list_item& line : rows_.lines()) {
        for (data_list_item& value : line.values) {
            if (!value.format || value.format == fallback) continue;
            auto [it, added] = copies.try_emplace(value.format, nullptr);
            if (added) {
                own_formats_.push_back(std::make_unique<prop_list>(*value.format));
                it->second = own_formats_.back().get();
            }
            value.format = it->second;
        }
    }
    detached_ = true;
}

void mrdisplay::draw_cell(canvas& grid, int column, int row, const rect& cell, bool selected) {
    painter_.draw_cell(grid, column, row, cell, selected);
}

void mrdisplay::set_font_increment(int points) {
    painter_.font_increment = points;
    painter_.invalidate_all();
    place_editors();
    if (grid_) grid_->repaint_all();
}

void mrdisplay::set_error_format(const prop_list& format) {
    painter_.error_format = format;
    painter_.invalidate_all();
    if (grid_) grid_->repaint_all();
}

// ---- Rows and lines ---------------------------------------------------------------------------

const table_list_item* mrdisplay::row_entry(int row) const {
    if (row < 1 || row > rows_.grid_row_count()) return nullptr;
    return &rows_.rows()[row - 1];
}

const display_list_item* mrdisplay::line_of_row(int row) const {
    const table_list_item* r = row_entry(row);
    if (!r || r->line < 0 || r->line >= static_cast<int>(rows_.lines().size())) return nullptr;
    return &rows_.lines()[r->line];
}

bool mrdisplay::full_width_row(int row) const {
    const table_list_item* r = row_entry(row);
    if (!r || r->has_flag(row_continuation)) return false;
    // While a line is edited its chosen code word decides.
    if (row == edit_row_) return is_full_width_word(edit_word_);
    return r->has_flag(row_full_width);
}

std::vector<int> mrdisplay::selected_lines() const {
    std::vector<int> lines;
    if (!doc_) return lines;
    const int count = rows_.grid_row_count();
    const int first = std::max(1, int(doc_->sel_first));
    const int last = std::min(count, int(doc_->sel_last));
    for (int r = first; r <= last; ++r) {
        const int line = rows_.rows()[r - 1].line;
        if (lines.empty() || lines.back() != line) lines.push_back(line);
    }
    return lines;
}

bool mrdisplay::row_has_children(int row) const {
    const display_list_item* line = line_of_row(row);
    return line && line->count > 1;
}

bool mrdisplay::row_is_open(int row) const {
    const display_list_item* line = line_of_row(row);
    return line && line->has_flag(dl_open);
}

bool mrdisplay::is_link_row(int row) const {
    const table_list_item* r = row_entry(row);
    const display_list_item* line = line_of_row(row);
    return r && line && !r->has_flag(row_continuation) && leading_link(line->code).found;
}

void mrdisplay::set_use_formats(bool on) {
    if (rows_.use_formats == on) return;
    rows_.use_formats = on;
    if (usable()) refresh();
}

} // namespace mondrel
