#include "display/markup.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "display/picture_library.h"

namespace mondrel {

int read_markup_number(std::string_view text, size_t p, int n) {
    if (p > text.size() || text.size() - p < static_cast<size_t>(n)) return -1;
    int value = 0;
    bool digits = false;
    for (int k = 0; k < n; ++k) {
        const char c = text[p + k];
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            digits = true;
        } else if (c != ' ' || digits) {
            return -1;
        }
    }
    return digits ? value : -1;
}

size_t bracket_length(std::string_view text, size_t p) {
    if (p >= text.size() || text[p] != '[') return 0;
    const size_t close = text.find(']', p + 1);
    return close == std::string_view::npos ? 0 : close - p + 1;
}

namespace {

// A colour value of \c: an optional sign, then hexadecimal digits after "$" (or "0x"), or
// decimal digits; the whole value must read, and fit in 32 bits.
std::optional<colour_value> read_colour(std::string_view v) {
    bool negative = false;
    if (!v.empty() && (v[0] == '+' || v[0] == '-')) {
        negative = v[0] == '-';
        v.remove_prefix(1);
    }
    int base = 10;
    if (!v.empty() && v[0] == '$') {
        base = 16;
        v.remove_prefix(1);
    } else if (v.size() > 1 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        base = 16;
        v.remove_prefix(2);
    }
    if (v.empty()) return std::nullopt;
    uint64_t value = 0;
    for (const char c : v) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0) return std::nullopt;
        value = value * base + d;
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    const uint32_t u = static_cast<uint32_t>(value);
    return negative ? static_cast<colour_value>(0u - u) : u;
}

// Length of the UTF-8 character starting at p (a stray byte counts as one character).
size_t char_length(std::string_view text, size_t p) {
    const auto lead = static_cast<unsigned char>(text[p]);
    size_t n = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    n = std::min(n, text.size() - p);
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(text[p + k]) & 0xC0) != 0x80) return k;
    return n;
}

// The walk over one text. Runs of characters in one font are drawn together; each character
// is still measured on its own so that clipping and positions are exact.
class markup_walk {
public:
    markup_walk(canvas& cv, picture_library* pictures, const markup_request& req)
        : cv_(cv), pictures_(pictures), req_(req), x_(req.x), tab_(req.x) {
        cv_.set_font(req.font);
    }

    text_extent run(std::string_view text) {
        size_t p = 0;
        while (p < text.size() && !stopped_) {
            if (req_.markup && text[p] == '\\') {
                if (const size_t used = escape(text, p); used > 0) {
                    p += used;
                    continue;
                }
            }
            const size_t n = char_length(text, p);
            if (!character(text.substr(p, n))) break;
            p += n;
        }
        flush();
        return {width_, height_};
    }

private:
    // Tries the escapes at the backslash at p; returns the characters it used, 0 when the text
    // there is no escape. A "\\" draws its backslash here too.
    size_t escape(std::string_view text, size_t p) {
        if (p + 1 >= text.size()) return 0;
        const size_t arg = p + 2;
        switch (text[p + 1]) {
        case '\\':
            if (!character(text.substr(p, 1))) stopped_ = true;
            return stopped_ ? text.size() - p : 2;
        case 's':
            if (const int n = read_markup_number(text, arg, 2); n >= 0) {
                change_font([&](font_record& f) { f.size = n; });
                return 4;
            }
            return 0;
        case 'b':
            bold_ = !bold_;
            change_font([&](font_record& f) { set_style(f, style_bold, bold_); });
            return 2;
        case 'i':
            italic_ = !italic_;
            change_font([&](font_record& f) { set_style(f, style_italic, italic_); });
            return 2;
        case 'c':
            if (const size_t n = bracket_length(text, arg); n > 0) {
                if (auto c = read_colour(text.substr(arg + 1, n - 2)))
                    change_font([&](font_record& f) { f.colour = *c; });
                return 2 + n;
            }
            return 0;
        case 'h':
            return read_markup_number(text, arg, 2) >= 0 ? 4 : 0;
        case 'x':
            if (const int n = read_markup_number(text, arg, 3); n >= 0) {
                move_to(req_.cell.left + n);
                return 5;
            }
            return 0;
        case 'G':
            flush();
            tab_ = x_;
            return 2;
        case 'g':
            if (const int n = read_markup_number(text, arg, 3); n >= 0) {
                move_to(tab_ + n);
                tab_ = x_;
                return 5;
            }
            return 0;
        case 'p':
            if (const size_t n = bracket_length(text, arg); n > 0) {
                const std::string_view name = text.substr(arg + 1, n - 2);
                image(name, name);
                return 2 + n;
            }
            return 0;
        case 'f':
            if (const size_t n = bracket_length(text, arg); n > 0) {
                const std::string name(text.substr(arg + 1, n - 2));
                change_font([&](font_record& f) { f.name = name; });
                return 2 + n;
            }
            return 0;
        case 'a':
        case 'A':
            if (const size_t n = bracket_length(text, arg); n > 0) {
                const std::string_view target = text.substr(arg + 1, n - 2);
                image(link_icon_name(target), target);
                return 2 + n;
            }
            return 0;
        case 't':
            if (const size_t n = bracket_length(text, arg); n > 0) return 2 + n;
            return 0;
        default:
            return 0;
        }
    }

    static void set_style(font_record& f, unsigned bit, bool on) {
        f.style = on ? (f.style | bit) : (f.style & ~bit);
    }

    template <class F> void change_font(F&& change) {
        flush();
        font_record f = cv_.font();
        change(f);
        cv_.set_font(f);
    }

    // The pen moves; the width so far is the distance from the start to the pen.
    void move_to(int x) {
        flush();
        x_ = x;
        width_ = x_ - req_.x;
        check_reach();
    }

    // Pictures and tab steps may carry the pen past the right edge without stopping the walk;
    // far past it nothing more can be seen, and the walk ends before the sums could overflow.
    void check_reach() {
        if (x_ > req_.cell.right + max_reach || width_ > max_reach) stopped_ = true;
    }
    static constexpr int max_reach = 1 << 24;

    // One drawn character; false when it crosses the cell's right edge (the walk stops).
    bool character(std::string_view ch) {
        if (stopped_) return false;
        const text_extent e = cv_.measure(ch);
        width_ += e.width;
        height_ = std::max(height_, e.height);
        if (x_ + e.width > req_.cell.right) {
            stopped_ = true;
            return false;
        }
        if (req_.draw) {
            if (run_.empty()) {
                run_x_ = x_;
                run_height_ = e.height;
            }
            run_.append(ch);
        }
        x_ += e.width;
        return true;
    }

    void flush() {
        if (run_.empty()) return;
        cv_.draw_text(run_x_, req_.baseline - run_height_, run_, req_.background);
        run_.clear();
    }

    void image(std::string_view name, std::string_view log_name) {
        flush();
        const picture_ptr pic = pictures_ ? pictures_->load_picture(name, log_name) : nullptr;
        if (!pic) return;
        width_ += pic->width();
        height_ = std::max(height_, pic->height());
        if (req_.draw) cv_.draw_picture(*pic, x_, req_.baseline - pic->height());
        x_ += pic->width();
        check_reach();
    }

    canvas& cv_;
    picture_library* pictures_;
    const markup_request& req_;
    int x_;
    int tab_;
    int width_ = 0;
    int height_ = 0;
    bool bold_ = false;
    bool italic_ = false;
    bool stopped_ = false;
    std::string run_;
    int run_x_ = 0;
    int run_height_ = 0;
};

} // namespace

text_extent render_markup(canvas& cv, picture_library* pictures, const markup_request& req,
                          std::string_view text) {
    markup_walk walk(cv, pictures, req);
    return walk.run(text);
}

namespace {

// A canvas that keeps the text drawn on it instead of pixels. Every character is one unit
// wide, so a run drawn further right than the last one ended means the pen jumped.
class text_collector : public canvas {
public:
    std::string text;

    int width() const override { return 0; }
    int height() const override { return 0; }
    void set_font(const font_record& font) override { font_ = font; }
    const font_record& font() const override { return font_; }
    text_extent measure(std::string_view) override { return {1, 1}; }
    void draw_text(int x, int, std::string_view run, colour_value) override {
        if (x > end_ && !text.empty()) text += ' ';
        text += run;
        end_ = x + static_cast<int>(characters(run));
    }
    void fill_rect(const rect&, colour_value) override {}
    void draw_line(int, int, int, int, colour_value) override {}
    void draw_picture(const picture&, int, int) override {}
    void copy_from(const canvas&, const rect&, int, int) override {}
    size_t memory_bytes() const override { return 0; }

private:
    static size_t characters(std::string_view run) {
        size_t n = 0;
        for (size_t p = 0; p < run.size(); p += char_length(run, p))
            ++n;
        return n;
    }
    font_record font_;
    int end_ = 0;
};

} // namespace

std::string markup_plain_text(std::string_view text) {
    text_collector collector;
    markup_request req;
    req.cell = {0, 0, std::numeric_limits<int>::max() / 4, 1};
    render_markup(collector, nullptr, req, text);
    std::string out;
    for (char c : collector.text) {
        const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

} // namespace mondrel
