#include "display/row_painter.h"

#include <algorithm>
#include <climits>

#include "display/markup.h"
#include "display/picture_library.h"
#include "document/mondrel_doc.h"

namespace mondrel {

namespace {

// Row and header pictures are kept within what an image can hold: a sheet whose column widths
// add up to more is cut at this width (cells beyond it stay undrawn).
constexpr int max_picture_side = 16384;

} // namespace

std::string header_text(int column) {
    static const char* const fixed[] = {"line", "word", "code", "name", "data"};
    if (column >= 0 && column < fixed_columns) return fixed[column];
    return "[" + std::to_string(column - first_value_column) + "]";
}

row_painter::row_painter(const mrdisplay_rows& rows, canvas_factory& factory,
                         picture_library& pictures)
    : rows_(rows), factory_(factory), pictures_(pictures) {
    for (prop_list& f : formats_)
        f = prop_list::from_text("");
}

void row_painter::set_sheet_formats(const mondrel_doc& doc) {
    for (int k = 0; k < sheet_format_count; ++k)
        formats_[k] = doc.sheet_format(k);
    invalidate_all();
}

void row_painter::invalidate_all() {
    cache_.clear();
    header_.reset();
    header_painted_ = false;
}

void row_painter::set_visible_rows(int rows) {
    cache_.set_capacity(static_cast<size_t>(std::max(rows, 8)) * 7);
}

rect row_painter::col_rect(int column, int height) const {
    const std::vector<int>& w = rows_.widths();
    int left = 0;
    for (int c = 0; c < column && c < static_cast<int>(w.size()); ++c)
        if (w[c] > 0) left += w[c];
    const int width = column >= 0 && column < static_cast<int>(w.size()) ? w[column] : 0;
    return {left, 0, width >= 1 ? left + width : left, height};
}

int row_painter::total_width() const {
    return col_rect(rows_.column_count(), 0).left;
}

font_record row_painter::font_of(const prop_list& format, bool with_increment) const {
    font_record f = format.font();
    if (with_increment) f.size += font_increment;
    return f;
}

void row_painter::grid_line(canvas& cv, const rect& r) {
    if (r.width() <= 0) return;
    cv.draw_line(r.right - 1, r.top, r.right - 1, r.bottom - 1, grid_line_colour);
    cv.draw_line(r.left, r.bottom - 1, r.right - 1, r.bottom - 1, grid_line_colour);
}

void row_painter::draw_text(canvas& cv, std::string_view text, bool markup, colour_value background,
                            const prop_list* format, const rect& r) {
    cv.fill_rect(r, background);
    if (!format) return;
    markup_request req;
    req.cell = r;
    req.font = font_of(*format, true);
    req.markup = markup;
    req.draw = false;
    req.x = r.left;
    const text_extent e = render_markup(cv, &pictures_, req, text);
    req.baseline = r.top + (r.height() - e.height) / 2 + e.height;
    switch (format->align) {
    case prop_align::left:
        req.x = r.left + 4;
        break;
    case prop_align::centre:
        req.x = r.left + (r.width() - e.width) / 2;
        break;
    case prop_align::right:
        req.x = r.right - e.width - 4;
        break;
    }
    // Text wider than its cell starts at the cell's left and is cut at its right.
    req.x = std::max(req.x, r.left);
    req.background = format->bcolour != no_background ? format->bcolour : background;
    if (text.empty()) {
        cv.fill_rect(r, req.background);
        return;
    }
    req.draw = true;
    render_markup(cv, &pictures_, req, text);
}

canvas& row_painter::picture_for(row_picture& entry, int width, int height) {
    width = std::clamp(width, 1, max_picture_side);
    height = std::clamp(height, 1, max_picture_side);
    if (!entry.pic || entry.pic->width() != width || entry.pic->height() != height)
        entry.pic = factory_.make(width, height);
    return *entry.pic;
}

void row_painter::paint_header() {
    const int width = std::clamp(total_width(), 1, max_picture_side);
    header_ = factory_.make(width, header_row_height);
    canvas& cv = *header_;
    const colour_value face = resolve_colour(btnface_colour);
    for (int c = 0; c < rows_.column_count(); ++c) {
        const rect r = col_rect(c, header_row_height);
        if (r.width() <= 0) continue;
        draw_text(cv, header_text(c), false, face, &header_format_, r);
        cv.draw_line(r.right - 1, 0, r.right - 1, header_row_height - 1, 0x000000);
    }
    header_painted_ = true;
}

void row_painter::paint_row(int grid_row, bool selected) {
    if (grid_row == 0) {
        paint_header();
        return;
    }
    if (grid_row < 1 || grid_row > rows_.grid_row_count()) return;
    const table_list_item& row = rows_.rows()[grid_row - 1];
    const int height = rows_.row_height(grid_row);
    row_picture& entry = cache_.use(grid_row);
    canvas& cv = picture_for(entry, total_width(), height);
    entry.marker = {};
    entry.boxes.clear();
    ++paints_;

    colour_value background = selected ? selected_value_colour : plain_background;
    if (row.has_flag(row_current)) background = current_line_colour;

    paint_line_cell(cv, row, entry, height, background);
    paint_word_cell(cv, grid_row, row, height, background);

    std::string word = upper_ascii(row.word);
    if (word == "REM") word.clear();
    const rect code = col_rect(col_code, height);
    if (row.has_flag(row_full_width)) {
        const int use = word == "VB" ? fmt_vb : !word.empty() ? fmt_expression : fmt_rem;
        const rect to_end{code.left, 0, std::max(code.left, total_width()), height};
        draw_text(cv, rows_.code(row), true, background, &formats_[use], to_end);
        grid_line(cv, to_end);
    } else {
        draw_text(cv, rows_.code(row), false, background,
                  &formats_[word == "VB" ? fmt_vb : fmt_expression], code);
        grid_line(cv, code);
        const rect name = col_rect(col_name, height);
        draw_text(cv, rows_.name(row), true, background, &formats_[fmt_name], name);
        grid_line(cv, name);
        paint_boxes(cv, row, entry, height, background);
        paint_values(cv, row, height, background);
    }
    entry.valid = true;
    entry.selected = selected;
}

void row_painter::paint_line_cell(canvas& cv, const table_list_item& row, row_picture& entry,
                                  int height, colour_value background) {
    const rect r = col_rect(col_line, height);
    if (r.width() <= 0) return;
    font_record font = formats_[fmt_line_numbers].font();
    colour_value fill =
        background == selected_value_colour ? selected_line_colour : plain_background;
    if (row.has_flag(row_current)) {
        fill = current_line_colour;
        font.style |= style_bold;
    } else if (row.has_flag(row_breakpoint)) {
        fill = breakpoint_colour;
        font.style |= style_bold;
    }
    cv.fill_rect(r, fill);
    cv.set_font(font);
    const text_extent nine = cv.measure("9");
    const int top = (height - nine.height) / 2;

    std::string_view text = row.line_text;
    const size_t n = std::min(text.find_first_not_of(' '), text.size());
    text.remove_prefix(n);
    const int digits_x = r.left + 16 + static_cast<int>(n) * nine.width;

    if (!row.has_flag(row_continuation) && row.line >= 0 &&
        row.line < static_cast<int>(rows_.lines().size())) {
        const display_list_item& line = rows_.lines()[row.line];
        if (line.count > 1) {
            const picture_ptr marker =
                pictures_.load_picture(line.has_flag(dl_open) ? "close" : "open");
            const int x = r.left + 2 + static_cast<int>(n) * nine.width;
            const int y = (height - marker_size) / 2;
            if (marker) {
                cv.draw_picture(*marker, x, y);
                entry.marker = {x, y, x + marker->width(), y + marker->height()};
            }
        }
    }
    // Numbers stand on a grid of digit widths, so the parts after a "." line up with the
    // blanked parts of the rows below.
    const size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
        if (!text.empty()) cv.draw_text(digits_x, top, text, fill);
    } else {
        cv.draw_text(digits_x, top, text.substr(0, dot + 1), fill);
        if (dot + 1 < text.size())
            cv.draw_text(digits_x + static_cast<int>(dot + 1) * nine.width, top,
                         text.substr(dot + 1), fill);
    }
    grid_line(cv, r);
}

void row_painter::paint_word_cell(canvas& cv, int grid_row, const table_list_item& row, int height,
                                  colour_value background) {
    const rect r = col_rect(col_word, height);
    if (r.width() <= 0) return;
    std::string word;
    if (!row.has_flag(row_continuation)) {
        word = upper_ascii(grid_row == edit_row ? edit_word : row.word);
        if (word == "REM")
            word.clear();
        else if (word.empty())
            word = "= ";
    }
    prop_list format = formats_[fmt_word];
    format.align = prop_align::right;
    draw_text(cv, word, true, background, &format, r);
    grid_line(cv, r);
}

void row_painter::paint_boxes(canvas& cv, const table_list_item& row, row_picture& entry,
                              int height, colour_value background) {
    const rect r = col_rect(col_data, height);
    if (r.width() <= 0) return;
    cv.fill_rect(r, background);
    const prop_list& format = formats_[fmt_data_numbers];
    cv.set_font(format.font());
    const int digit = cv.measure("9").width;
    const int open_width = cv.measure("[").width;
    const int close_width = cv.measure("]").width;
    int x = r.left + 4;
    const int top = r.top + 2;
    for (const index_box& box : row.boxes) {
        const int field = box.width * digit + 2;
        const std::string text = box_text(box);
        const text_extent e = cv.measure(text.empty() ? std::string_view("9") : text);
        cv.draw_text(x, top, "[", background);
        if (!text.empty())
            cv.draw_text(x + open_width + (field - e.width) / 2, top, text, background);
        cv.draw_text(x + open_width + field, top, "]", background);
        const int end = x + open_width + field + close_width;
        entry.boxes.push_back({x, top, end, top + e.height});
        x = end + 2;
    }
    grid_line(cv, r);
}

void row_painter::paint_values(canvas& cv, const table_list_item& row, int height,
                               colour_value background) {
    const int columns = rows_.column_count();
    const int row_end = total_width();
    if (row.has_flag(row_error)) {
        const rect from = col_rect(first_value_column, height);
        const rect to_end{from.left, 0, std::max(from.left, row_end), height};
        draw_text(cv, rows_.error_text(row), true, background, &error_format, to_end);
        grid_line(cv, to_end);
        return;
    }
    const int shown = rows_.cell_count(row);
    for (int k = 0; first_value_column + k < columns; ++k) {
        const rect r = col_rect(first_value_column + k, height);
        if (r.width() <= 0) continue;
        if (k >= shown) {
            cv.fill_rect(r, background);
            grid_line(cv, r);
            continue;
        }
        const data_list_item& cell = rows_.cell(row, k);
        const prop_list* format = cell.format ? cell.format : &rows_.default_format();
        if (k == shown - 1 && format->align == prop_align::left) {
            // The last value spills over the columns to its right when it does not fit.
            markup_request req;
            req.cell = {r.left, 0, INT_MAX / 2, height};
            req.font = font_of(*format, true);
            req.draw = false;
            req.x = r.left;
            const int width = render_markup(cv, &pictures_, req, cell.text).width;
            if (width >= r.width() - 4) {
                const rect to_end{r.left, 0, std::max(r.left, row_end), height};
                draw_text(cv, cell.text, true, background, format, to_end);
                grid_line(cv, to_end);
                return;
            }
        }
        draw_text(cv, cell.text, true, background, format, r);
        grid_line(cv, r);
    }
}

void row_painter::draw_cell(canvas& grid, int column, int grid_row, const rect& cell,
                            bool selected) {
    if (!ready || column < 0 || column >= rows_.column_count()) return;
    if (grid_row == 0) {
        if (!header_painted_) paint_header();
        const rect from = col_rect(column, header_row_height);
        if (from.width() > 0 && from.width() == cell.width() && from.height() == cell.height() &&
            from.right <= header_->width())
            grid.copy_from(*header_, from, cell.left, cell.top);
        return;
    }
    if (grid_row > rows_.grid_row_count() || rows_.widths()[column] <= 0) return;
    const row_picture* known = cache_.find(grid_row);
    if (!known || !known->valid || known->selected != selected) paint_row(grid_row, selected);
    row_picture& entry = cache_.use(grid_row);
    const rect from = col_rect(column, rows_.row_height(grid_row));
    if (from.width() == cell.width() && from.height() == cell.height() &&
        from.right <= entry.pic->width() && from.bottom <= entry.pic->height())
        grid.copy_from(*entry.pic, from, cell.left, cell.top);
}

void row_painter::repaint_row(canvas& grid, int column, int grid_row, const rect& cell,
                              bool selected) {
    cache_.invalidate(grid_row);
    draw_cell(grid, column, grid_row, cell, selected);
}

} // namespace mondrel
