#include "display/mrdisplay_rows.h"

#include <algorithm>

#include "display/markup.h"
#include "display/value_text.h"
#include "document/code_words.h"
#include "document/line_text.h"
#include "document/mondrel_doc.h"
#include "execution/results.h"

namespace mondrel {

namespace {

int digits_of(int64_t n) {
    int d = 1;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

} // namespace

// An escape is tried at each backslash in the renderer's order; whatever forms an escape is
// skipped whole, so a "\h" inside a bracketed argument or after "\\" is not a height.
int markup_row_height(std::string_view text) {
    int height = -1;
    size_t p = 0;
    while (p < text.size()) {
        if (text[p] != '\\' || p + 1 >= text.size()) {
            ++p;
            continue;
        }
        const char letter = text[p + 1];
        const size_t arg = p + 2;
        size_t skip = 0;
        switch (letter) {
        case '\\':
        case 'b':
        case 'i':
        case 'G':
            skip = 2;
            break;
        case 's':
            skip = read_markup_number(text, arg, 2) >= 0 ? 4 : 0;
            break;
        case 'h':
            if (const int h = read_markup_number(text, arg, 2); h >= 0) {
                height = h;
                skip = 4;
            }
            break;
        case 'x':
        case 'g':
            skip = read_markup_number(text, arg, 3) >= 0 ? 5 : 0;
            break;
        case 'c':
        case 'p':
        case 'f':
        case 'a':
        case 'A':
        case 't':
            if (const size_t n = bracket_length(text, arg); n > 0) skip = 2 + n;
            break;
        default:
            break;
        }
        p += skip > 0 ? skip : 1;
    }
    return height;
}

mrdisplay_rows::mrdisplay_rows() : default_format_(prop_list::from_text("")) {
    set_columns(default_data_cols, mondrel::default_row_height, {});
}

void mrdisplay_rows::set_columns(int data_cols, int row_height, const std::vector<int>& widths) {
    data_cols_ = std::clamp(data_cols, 1, display_width_entries - fixed_columns);
    row_height_ = row_height;
    const int columns = column_count();
    widths_.assign(columns, 0);
    lefts_.assign(columns, 0);
    for (int c = 0; c < columns; ++c) {
        widths_[c] = c < static_cast<int>(widths.size()) ? widths[c] : default_width(c);
        if (c > 0) lefts_[c] = lefts_[c - 1] + widths_[c - 1];
    }
}

int mrdisplay_rows::row_height(int grid_row) const {
    if (grid_row == 0) return header_row_height;
    if (grid_row < 0 || grid_row > grid_row_count()) return row_height_;
    const int own = rows_[grid_row - 1].height;
    return own >= 0 ? own : row_height_;
}

void mrdisplay_rows::refresh(mondrel_doc& doc, bool force_open, int paused_line,
                             const fmt_result_list* fmt_results) {
    doc_ = &doc;
    set_columns(doc.data_cols(), doc.row_height(), doc.col_widths());
    if (fmt_results) apply_fmt_results(doc, *fmt_results);
    make_display_lines(doc, force_open, paused_line);
    build_rows();
    // A selection range collapses to its first row; one past the rows moves to the last row.
    const int last = grid_row_count();
    const int first = doc.sel_first > last ? std::max(last, 1) : std::max(doc.sel_first, 1);
    doc.sel_first = doc.sel_last = first;
}

void mrdisplay_rows::make_display_lines(mondrel_doc& doc, bool force_open, int paused_line) {
    const int n = doc.line_count();
    lines_.clear();
    lines_.resize(n);
    for (int i = 0; i < n; ++i) {
        const source_list_item& src = doc.line(i);
        display_list_item& dl = lines_[i];
        dl.count = src.count;
        dl.flags = (force_open || src.is_open() ? dl_open : 0u) |
                   (src.has_flag(flag_readonly) ? dl_readonly : 0u) |
                   (src.has_flag(flag_breakpoint) ? dl_breakpoint : 0u) |
                   (i == paused_line ? dl_current : 0u);
        dl.code_word = src.code_word;
        dl.name = src.name;
        dl.code = src.code;
        dl.format_text = src.format ? mondrel::format_text(*src.format) : std::string();
        if (!src.error_text.empty()) {
            dl.error_text = src.error_text;
            continue;
        }
        const line_results& res = src.results;
        const int count = std::min<int>(res.count, static_cast<int>(res.values.size()));
        for (int k = 0; k < count; ++k) {
            const vbs::Value& value = res.values[k].deref();
            if (value.is_null()) break;
            data_list_item item;
            const si_array* path =
                k < static_cast<int>(res.indexes.size()) ? &res.indexes[k] : nullptr;
            const bo_array* opens =
                k < static_cast<int>(res.opens.size()) ? &res.opens[k] : nullptr;
            if (path) {
                item.indexes.resize(path->size());
                for (size_t j = 0; j < path->size(); ++j) {
                    const int16_t stored = (*path)[j];
                    index_entry& e = item.indexes[j];
                    e.start = stored < 0;
                    e.index = stored < 0 ? 0 : stored;
                    e.expanded = opens && j < opens->size() ? (*opens)[j] : 0;
                }
            }
            const prop_list* own = value_format(src, static_cast<size_t>(k));
            item.format = use_formats && own ? own : &default_format_;
            item.text = value_text(value, *item.format);
            dl.values.push_back(std::move(item));
        }
    }
}

namespace {

// The levels an outline number shows: all of them up to max_outline_levels, else the first
// and the last levels with "…" between, so that a hostile file nested thousands of levels
// deep cannot make every row's number thousands of characters long.
constexpr int max_outline_levels = 64;
constexpr int outline_head = 32;
constexpr int outline_tail = max_outline_levels - outline_head - 1;
constexpr const char* outline_gap = "\u2026";

// full_number and line_text of a line at `depth` (see build_rows for A and B).
void outline_texts(const std::vector<int>& A, const std::vector<int>& B, int depth, bool closing,
                   std::string& full_number, std::string& line_text) {
    full_number.clear();
    line_text.clear();
    const bool elide = depth + 1 > max_outline_levels;
    for (int k = 0; k <= depth; ++k) {
        if (elide && k == outline_head) {
            full_number.append(".").append(outline_gap);
            line_text.append(outline_gap).append(".");
            k = depth - outline_tail;
        }
        if (k > 0) full_number += '.';
        full_number += std::to_string(A[k] + 1);
        if (closing && k == depth) {
            line_text += '*';
        } else if (B[k] == A[k]) {
            line_text.append(std::min(digits_of(A[k] + 1) + 1, 6), ' ');
        } else {
            line_text += std::to_string(A[k] + 1);
            if (k < depth) line_text += '.';
        }
    }
}

} // namespace

// Numbering and hiding. Per nesting depth d: A[d] the position in the open group, B[d] the
// position the row above showed (-1 none), C[d] the items still to come in the group (an item
// is a direct child with its subtree; the head counts as the group's first item).
void mrdisplay_rows::build_rows() {
    rows_.clear();
    // Most lines have one row: room for them all at once, so that a long sheet's rows are not
    // copied over and over while they grow (the copy and the original together were the
    // largest moment of a long sheet).
    rows_.reserve(lines_.size());
    std::vector<int> A{0}, B{-1}, C{0};
    int depth = 0;
    bool closing = false, hidden = false;
    int hide_depth = 0;
    std::string line_text, full_number;
    const int n = static_cast<int>(lines_.size());
    for (int i = 0; i < n; ++i) {
        const display_list_item& dl = lines_[i];
        const int start_depth = depth;
        if (dl.count > 1) {
            ++depth;
            if (static_cast<int>(A.size()) <= depth) {
                A.push_back(0);
                B.push_back(-1);
                C.push_back(0);
            }
            A[depth] = 0;
            C[depth] = dl.count;
            if (!hidden && !dl.has_flag(dl_open)) {
                closing = true;
                hide_depth = depth;
            }
        }
        if (!hidden) {
            outline_texts(A, B, depth, closing, full_number, line_text);
            add_line_rows(i, line_text, full_number);
        }
        if (closing) {
            closing = false;
            hidden = true;
        }
        --C[depth];
        while (C[depth] == 0 && depth >= 1) {
            if (hidden && depth == hide_depth) hidden = false;
            B[depth] = -1;
            --depth;
            --C[depth];
        }
        // B becomes A. Levels below both the depth this line started at and the depth it
        // ends at have not changed since the last copy, so only the rest is copied: a deep
        // chain of lists costs time in proportion to its lines, not to their depths.
        for (int k = std::min(start_depth, depth); k <= depth; ++k)
            B[k] = A[k];
        ++A[depth];
    }
    line_up_box_widths();
}

void mrdisplay_rows::add_line_rows(int line_index, std::string line_text, std::string full_number) {
    const display_list_item& dl = lines_[line_index];
    table_list_item row;
    row.line = line_index;
    const bool full_width = is_full_width_word(dl.code_word);
    row.flags = !dl.error_text.empty() ? row_error : (full_width ? row_full_width : 0u);
    if (dl.has_flag(dl_readonly)) row.flags |= row_readonly;
    if (dl.has_flag(dl_breakpoint)) row.flags |= row_breakpoint;
    if (dl.has_flag(dl_current)) row.flags |= row_current;
    row.line_text = std::move(line_text);
    row.full_number = std::move(full_number);
    row.word = code_word_text(dl.code_word);
    row.height = full_width ? markup_row_height(dl.code) : -1;
    rows_.push_back(std::move(row));
    line_value_rows(dl, line_index);
}

std::string_view mrdisplay_rows::code(const table_list_item& row) const {
    return row.has_flag(row_continuation) ? std::string_view() : lines_[row.line].code;
}

std::string_view mrdisplay_rows::name(const table_list_item& row) const {
    return row.has_flag(row_continuation) ? std::string_view() : lines_[row.line].name;
}

std::string_view mrdisplay_rows::error_text(const table_list_item& row) const {
    return row.has_flag(row_continuation) ? std::string_view() : lines_[row.line].error_text;
}

std::string_view mrdisplay_rows::format_text(const table_list_item& row) const {
    return lines_[row.line].format_text;
}

int mrdisplay_rows::cell_count(const table_list_item& row) const {
    const int values = static_cast<int>(lines_[row.line].values.size()) - row.first_value;
    return std::max(0, std::min({row.value_count, data_cols_, values}));
}

const data_list_item& mrdisplay_rows::cell(const table_list_item& row, int k) const {
    return lines_[row.line].values[row.first_value + k];
}

// Values over rows. A closed array start takes the rest of that array into its row behind a
// "[*]" box; an opened one shows "[0]" and goes one level deeper; any other level shows its
// index, or a blank box when the row above of the same line showed the same index there.
void mrdisplay_rows::line_value_rows(const display_list_item& dl, int line_index) {
    const int n = static_cast<int>(dl.values.size());
    table_list_item* row = &rows_.back();
    if (n == 0) return;
    if (n == 1) {
        row->first_value = 0;
        row->value_count = 1;
        return;
    }
    size_t levels = 0;
    for (const data_list_item& v : dl.values)
        levels = std::max(levels, v.indexes.size());
    std::vector<int32_t> P(levels, -1);
    bool first = true;
    for (int j = 0; j < n; ++j) {
        if (!first) {
            table_list_item cont;
            cont.line = line_index;
            cont.flags = row_continuation;
            rows_.push_back(std::move(cont));
            row = &rows_.back();
        }
        first = false;
        row->first_value = j;
        row->value_count = 1;
        const data_list_item& v = dl.values[j];
        for (size_t k = 0; k < v.indexes.size(); ++k) {
            const index_entry& e = v.indexes[k];
            if (e.start && e.expanded == 0) {
                row->boxes.push_back({box_closed, 1});
                P[k] = 0;
                while (j + 1 < n) {
                    const data_list_item& next = dl.values[j + 1];
                    if (next.indexes.size() <= k || next.indexes[k].start) break;
                    ++row->value_count;
                    ++j;
                }
                break;
            }
            if (e.start) {
                row->boxes.push_back({box_opened, 1});
                P[k] = 0;
                continue;
            }
            row->boxes.push_back({P[k] == e.index ? box_blank : e.index, digits_of(e.index)});
            P[k] = e.index;
        }
    }
}

// Box widths, from the last row up: a run of boxes above a numbered box takes that box's
// width, so the brackets of one array line up; the array's "[0]" or "[*]" box ends the run.
// Every row takes part, the first one included.
void mrdisplay_rows::line_up_box_widths() {
    std::vector<int32_t> W;
    for (auto r = rows_.rbegin(); r != rows_.rend(); ++r) {
        for (size_t k = 0; k < r->boxes.size(); ++k) {
            if (W.size() <= k) W.resize(k + 1, 0);
            index_box& box = r->boxes[k];
            if (W[k] != 0) {
                box.width = W[k];
                if (box.value == box_opened || box.value == box_closed) W[k] = 0;
            } else if (box.value > 0) {
                W[k] = box.width;
            }
        }
    }
}

mrdisplay_rows::value_ref mrdisplay_rows::value_at(int grid_row, int column) const {
    value_ref ref;
    if (grid_row < 1 || grid_row > grid_row_count()) return ref;
    const table_list_item& row = rows_[grid_row - 1];
    ref.line = row.line;
    const int k = column - first_value_column;
    if (k >= 0 && k < cell_count(row)) ref.value = row.first_value + k;
    return ref;
}

int mrdisplay_rows::first_row_of_line(int line) const {
    // Rows are in line order, so the first row of a line is found by binary search.
    auto it = std::lower_bound(rows_.begin(), rows_.end(), line,
                               [](const table_list_item& r, int l) { return r.line < l; });
    return it != rows_.end() && it->line == line ? static_cast<int>(it - rows_.begin()) + 1 : 0;
}

bool mrdisplay_rows::array_is_open(int grid_row, int level) const {
    if (grid_row < 1 || grid_row > grid_row_count() || level < 0) return false;
    const table_list_item& row = rows_[grid_row - 1];
    const display_list_item& dl = lines_[row.line];
    if (row.first_value >= static_cast<int>(dl.values.size())) return false;
    const auto& idx = dl.values[row.first_value].indexes;
    return level < static_cast<int>(idx.size()) && idx[level].start && idx[level].expanded != 0;
}

bool mrdisplay_rows::flip_array(int grid_row, int level) {
    if (grid_row < 1 || grid_row > grid_row_count() || level < 0) return false;
    const table_list_item& row = rows_[grid_row - 1];
    const int line = row.line;
    const int value = row.first_value;
    display_list_item& dl = lines_[line];
    if (value >= static_cast<int>(dl.values.size())) return false;
    auto& idx = dl.values[value].indexes;
    if (level >= static_cast<int>(idx.size()) || !idx[level].start) return false;
    const uint8_t now = idx[level].expanded ? 0 : 1;
    idx[level].expanded = now;
    if (doc_ && line < doc_->line_count()) {
        line_results& res = doc_->line(line).results;
        if (value < static_cast<int>(res.opens.size())) {
            bo_array& opens = res.opens[value];
            if (static_cast<size_t>(level) >= opens.size()) opens.resize(level + 1, 0);
            opens[level] = now;
        }
    }
    build_rows();
    return true;
}

} // namespace mondrel
