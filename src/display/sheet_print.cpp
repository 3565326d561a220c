#include "display/sheet_print.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "display/markup.h"
#include "display/mrdisplay_rows.h"
#include "document/mondrel_doc.h"
#include "platform/diagnostic_log.h"

namespace mondrel {

namespace {

// Error texts print in red whatever the options say.
const prop_list& error_print_format() {
    static const prop_list f = prop_list::from_text("colour:$0000FF");
    return f;
}

// A request that measures plain text (escapes print as typed) from the cell's left; to draw,
// set `draw` and the baseline. The request's own background is white, the paper's.
markup_request plain_request(const font_record& font, const rect& cell) {
    markup_request req;
    req.font = font;
    req.markup = false;
    req.draw = false;
    req.x = cell.left;
    req.cell = cell;
    return req;
}

// Draws (or measures) a text with its top left at (x, top), clipped at `right`.
text_extent put_text(canvas& cv, const font_record& font, std::string_view text, int x, int top,
                     int right, bool draw) {
    markup_request req = plain_request(font, rect{x, top, std::max(x, right), top});
    const text_extent e = render_markup(cv, nullptr, req, text);
    if (!draw || text.empty()) return e;
    req.cell.bottom = top + e.height;
    req.baseline = top + e.height;
    req.draw = true;
    render_markup(cv, nullptr, req, text);
    return e;
}

// The code word as printed: capitals, nothing for REM, "= " for an expression line.
std::string print_word(std::string_view word) {
    if (word.empty()) return "= ";
    std::string w = upper_ascii(word);
    return w == "REM" ? std::string() : w;
}

// Everything the two passes share.
class print_job {
public:
    print_job(print_device& device, const print_settings& settings, const mondrel_doc& doc,
              const mrdisplay_rows& rows, int flags, std::string_view date_text)
        : device_(device), rows_(rows), date_(date_text),
          head_(prop_list::from_text(settings.head_fmt)),
          foot_(prop_list::from_text(settings.foot_fmt)),
          def_(prop_list::from_text(settings.def_fmt)) {
        const double px_mm_x = device.dpi_x() / 25.4;
        const double px_mm_y = device.dpi_y() / 25.4;
        const int l = static_cast<int>(settings.margin_left * px_mm_x);
        const int r = static_cast<int>(settings.margin_right * px_mm_x);
        const int t = static_cast<int>(settings.margin_top * px_mm_y);
        const int b = static_cast<int>(settings.margin_bottom * px_mm_y);
        area_ = {l, t, device.page_width() - r, device.page_height() - b};
        heading_ = "Mondrel - " + doc.display_name();
        source_ = (flags & print_source_view) != 0;
        if (source_) {
            numbers_ = (flags & print_line_numbers) != 0;
            for (int i = 0; i < rows.grid_row_count(); ++i)
                order_.push_back(i);
        } else {
            data_only_ = (flags & print_data_only) != 0;
            numbers_ = !data_only_ && (flags & print_line_numbers) != 0;
            const bool sel = (flags & print_selection_only) != 0 && settings.selection_first >= 1 &&
                             settings.selection_last >= settings.selection_first;
            const int first = sel ? settings.selection_first - 1 : 0;
            const int last = sel ? std::min(settings.selection_last, rows.grid_row_count()) - 1
                                 : rows.grid_row_count() - 1;
            for (int i = first; i <= last; ++i)
                order_.push_back(i);
            layout_columns();
        }
    }

    // Runs one pass; false when the loop guard stopped it or the printer failed.
    bool run(int pass, print_outcome& out);
    int pages() const { return page_count_; }

private:
    void layout_columns();
    bool new_page(int pass, int& page, int& y, int& foot_height, print_outcome& out);
    int row_height(const table_list_item& row);
    void source_row(const table_list_item& row, int y, int h, bool draw);
    void data_row(const table_list_item& row, int y, int h, bool draw);
    // The outline label split on a digit grid from x; returns nothing, grows the maximum.
    void label(const table_list_item& row, int x, int y, int right, bool draw);
    // The width of a digit in the default format's font.
    int digit_width();

    print_device& device_;
    const mrdisplay_rows& rows_;
    std::string date_;
    prop_list head_, foot_, def_;
    rect area_; // the page inside its margins
    std::string heading_;
    bool source_ = false, numbers_ = false, data_only_ = false;
    std::vector<int> order_;
    std::vector<int> col_left_, col_width_;
    double vscale_ = 1;
    int page_count_ = 0;
    int number_max_ = -1, word_max_ = -1;
    int digit_width_ = -1; // measured once: the default format's font does not change
};

void print_job::layout_columns() {
    const int n = rows_.column_count();
    const std::vector<int>& widths = rows_.widths();
    auto width_of = [&](int c) { return c < static_cast<int>(widths.size()) ? widths[c] : 0; };
    long sum = 0;
    for (int c = data_only_ ? first_value_column : 0; c < n; ++c)
        sum += std::max(0, width_of(c));
    const double hscale = double(area_.width()) / double(std::max(1L, sum));
    vscale_ = double(area_.height()) / (50.0 * std::max(1, rows_.default_row_height()));
    col_left_.assign(n + 1, area_.left);
    col_width_.assign(n, 0);
    for (int c = 0; c < n; ++c) {
        int w = static_cast<int>(std::max(0, width_of(c)) * hscale);
        if (c == col_line && !numbers_) w = 0;
        if (data_only_ && c < first_value_column) w = 0;
        col_width_[c] = w;
        col_left_[c + 1] = col_left_[c] + w;
    }
}

int print_job::digit_width() {
    if (digit_width_ < 0) {
        canvas& cv = device_.page();
        cv.set_font(def_.font());
        digit_width_ = cv.measure("9").width;
    }
    return digit_width_;
}

bool print_job::new_page(int pass, int& page, int& y, int& foot_height, print_outcome& out) {
    if (pass == 1 && page >= 1 && !device_.new_page()) {
        out.message = device_.error().empty() ? "The printer refused a new page." : device_.error();
        return false;
    }
    canvas& cv = device_.page();
    const bool draw = pass == 1;
    auto place = [&](const prop_list& fmt, const std::string& text, int top_of, bool bottom) {
        font_record f = fmt.font();
        f.colour = 0; // a heading or footer prints black whatever its format's colour
        cv.set_font(f);
        const text_extent e = cv.measure(text);
        int x = area_.left;
        if (fmt.align == prop_align::right)
            x = area_.right - e.width;
        else if (fmt.align == prop_align::centre)
            x = area_.left + (area_.width() - e.width) / 2;
        const int top = bottom ? area_.bottom - (e.height + 30) + 20 : top_of;
        put_text(cv, f, text, x, top, area_.right, draw);
        return e.height;
    };
    const int head_height = place(head_, heading_, area_.top + 10, false) + 30;
    char buf[64];
    std::snprintf(buf, sizeof buf, "    Page: %d of %d", page + 1, page_count_);
    foot_height = place(foot_, date_ + buf, 0, true) + 30;
    y = area_.top + head_height + 30;
    ++page;
    if (pass == 0) ++page_count_;
    return true;
}

int print_job::row_height(const table_list_item& row) {
    if (source_) {
        canvas& cv = device_.page();
        cv.set_font(def_.font());
        // An empty code still takes a line of the font, so blank lines keep their place.
        const int text = cv.measure(rows_.code(row)).height;
        return std::max(text, cv.measure("9").height) + 4;
    }
    const int h = row.height >= 0 ? row.height : rows_.default_row_height();
    return static_cast<int>(h * vscale_);
}

void print_job::label(const table_list_item& row, int x, int y, int right, bool draw) {
    const int c = digit_width();
    const std::string& text = row.line_text;
    const size_t n = std::min(text.find_first_not_of(' '), text.size());
    const std::string rest = text.substr(n);
    const size_t dot = rest.find('.');
    const size_t d = dot == std::string::npos ? 0 : dot + 1;
    const font_record f = def_.font();
    const int nn = static_cast<int>(n);
    put_text(device_.page(), f, rest.substr(0, d), x + c * nn, y, right, draw);
    put_text(device_.page(), f, rest.substr(d), x + c * (nn + static_cast<int>(d)), y, right, draw);
    number_max_ = std::max(number_max_, c * static_cast<int>(rest.size() + n));
}

void print_job::source_row(const table_list_item& row, int y, int, bool draw) {
    canvas& cv = device_.page();
    const font_record f = def_.font();
    const bool continuation = row.has_flag(row_continuation);
    int word_x = area_.left;
    if (numbers_) {
        label(row, area_.left, y, area_.right, draw);
        word_x = area_.left + number_max_ + 40;
    }
    // A continuation row belongs to the line above: no word and no code of its own.
    const std::string word = continuation ? std::string() : print_word(row.word);
    const text_extent we = put_text(cv, f, word, word_x, y, area_.right, draw);
    word_max_ = std::max(word_max_, we.width);
    const int code_x = word_x + word_max_ + 40;
    put_text(cv, f, rows_.code(row), code_x, y, area_.right, draw);
}

void print_job::data_row(const table_list_item& row, int y, int h, bool draw) {
    canvas& cv = device_.page();
    auto cell = [&](int c, int right = -1) {
        return rect{col_left_[c], y, right >= 0 ? right : col_left_[c] + col_width_[c], y + h};
    };
    const bool full = row.has_flag(row_full_width);
    if (!data_only_) {
        if (numbers_) label(row, col_left_[col_line], y, area_.right, draw);
        if (col_width_[col_word] > 0 && !row.has_flag(row_continuation))
            print_text(cv, print_word(row.word), draw, def_, cell(col_word));
        print_text(cv, rows_.code(row), draw, def_, cell(col_code, full ? area_.right : -1));
        if (full) return;
        print_text(cv, rows_.name(row), draw, def_, cell(col_name));
        if (draw && !row.boxes.empty()) {
            const font_record f = def_.font();
            const int c = digit_width();
            int x = col_left_[col_data] + 4;
            const int right = col_left_[col_data] + col_width_[col_data];
            for (const index_box& box : row.boxes) {
                const std::string inner = box_text(box);
                const int slot = c * std::max(1, static_cast<int>(box.width)) + 2;
                x += put_text(cv, f, "[", x, y, right, true).width;
                const int tw = cv.measure(inner).width;
                put_text(cv, f, inner, x + (slot - tw) / 2, y, right, true);
                x += slot;
                x += put_text(cv, f, "]", x, y, right, true).width + 2;
            }
        }
    }
    if (full) return;
    const int ncols = rows_.column_count();
    if (row.has_flag(row_error)) {
        print_text(cv, rows_.error_text(row), draw, error_print_format(),
                   cell(first_value_column, area_.right));
        return;
    }
    const int values = rows_.cell_count(row);
    for (int k = 0; k < values && first_value_column + k < ncols; ++k) {
        const data_list_item& v = rows_.cell(row, k);
        const prop_list& fmt = v.format ? *v.format : rows_.default_format();
        const int c = first_value_column + k;
        const bool spill = k == values - 1 && fmt.align == prop_align::left;
        print_text(cv, v.text, draw, fmt, cell(c, spill ? area_.right : -1));
    }
}

bool print_job::run(int pass, print_outcome& out) {
    bool due = true;
    int foot_height = 0, y = 0, page = 0, fails = 0;
    for (size_t i = 0; i < order_.size();) {
        const table_list_item& row = rows_.rows()[order_[i]];
        if (y > area_.bottom - foot_height) due = true;
        if (due) {
            if (!new_page(pass, page, y, foot_height, out)) return false;
            due = false;
        }
        const int h = row_height(row);
        if (y + h > area_.bottom - foot_height) {
            due = true;
            if (++fails >= 3) {
                log_write("error: looping in mondrel_doc.print");
                out.message =
                    "The margins leave no room for line " + row.full_number + "; printing stopped.";
                return false;
            }
            continue;
        }
        fails = 0;
        if (source_)
            source_row(row, y, h, pass == 1);
        else
            data_row(row, y, h, pass == 1);
        y += h;
        ++i;
    }
    // A sheet with no rows still prints its heading and footer on one page.
    if (page == 0 && !new_page(pass, page, y, foot_height, out)) return false;
    return true;
}

} // namespace

text_extent print_text(canvas& cv, std::string_view text, bool draw, const font_record& font,
                       prop_align align, const rect& r) {
    markup_request req = plain_request(font, r);
    const text_extent e = render_markup(cv, nullptr, req, text);
    if (!draw || text.empty() || r.width() <= 0) return e;
    req.baseline = r.top + (r.height() - e.height) / 2 + e.height;
    req.x = align == prop_align::centre  ? r.left + (r.width() - e.width) / 2
            : align == prop_align::right ? r.right - e.width - 4
                                         : r.left + 4;
    req.x = std::max(req.x, r.left);
    req.draw = true;
    render_markup(cv, nullptr, req, text);
    return e;
}

text_extent print_text(canvas& cv, std::string_view text, bool draw, const prop_list& format,
                       const rect& r) {
    return print_text(cv, text, draw, format.font(), format.align, r);
}

std::string print_date_text(int year, int month, int day) {
    static const std::array<const char*, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* m = month >= 1 && month <= 12 ? months[month - 1] : "???";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%d-%s-%d", day, m, year);
    return buf;
}

print_outcome print_sheet(mondrel_doc& doc, const mrdisplay_rows& data_rows, int flags,
                          const print_settings& settings, print_device& device,
                          std::string_view date_text) {
    print_outcome out;
    // The source view prints every line, opened or not, from rows of its own.
    mrdisplay_rows source_rows;
    const bool source = (flags & print_source_view) != 0;
    if (source) source_rows.refresh(doc, /*force_open=*/true);
    const mrdisplay_rows& rows = source ? source_rows : data_rows;

    if (!device.begin("Mondrel Print")) {
        out.message =
            device.error().empty() ? "The printer could not start the job." : device.error();
        return out;
    }
    print_job job(device, settings, doc, rows, flags, date_text);
    for (int pass = 0; pass < 2; ++pass) {
        if (!job.run(pass, out)) {
            device.abort();
            out.pages = job.pages();
            return out;
        }
    }
    out.pages = job.pages();
    if (!device.end()) {
        out.message =
            device.error().empty() ? "The printer could not finish the job." : device.error();
        return out;
    }
    out.ok = true;
    return out;
}

} // namespace mondrel
