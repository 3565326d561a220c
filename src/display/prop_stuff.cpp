#include "display/prop_stuff.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>

namespace mondrel {
namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares keys without regard to case: <0, 0 or >0.
int compare_keys(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char x = lower(a[i]), y = lower(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Blanks and control characters count as space at both ends of a piece.
std::string_view trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

// Calls f with each trimmed, non-empty part of s between separators; runs of separators
// count as one.
template <typename F> void for_each_part(std::string_view s, char sep, F&& f) {
    while (!s.empty()) {
        size_t end = s.find(sep);
        std::string_view part = trim(s.substr(0, end));
        if (!part.empty()) f(part);
        if (end == std::string_view::npos) break;
        s.remove_prefix(end + 1);
    }
}

colour_value read_colour(const std::string* value, colour_value absent) {
    if (!value) return absent;
    if (*value == "BTNFACE") return btnface_colour;
    return read_prop_integer(*value);
}

// The style words in bit order; the written text follows this order too.
constexpr std::array<std::pair<std::string_view, unsigned>, 4> style_words = {{
    {"bold", style_bold},
    {"italic", style_italic},
    {"underline", style_underline},
    {"strikeout", style_strikeout},
}};

unsigned read_style(std::string_view value) {
    unsigned bits = 0;
    for_each_part(value, ' ', [&](std::string_view word) {
        for (const auto& [text, bit] : style_words)
            if (word == text) bits |= bit;
    });
    return bits;
}

void append_piece(std::string& out, std::string_view key, std::string_view value) {
    if (!out.empty()) out += "; ";
    out += key;
    out += ':';
    out += value;
}

std::string hex_colour(colour_value c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%6.6X", static_cast<unsigned>(c));
    return buf;
}

} // namespace

std::uint32_t read_prop_integer(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    unsigned base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (base == 16 && lower(c) >= 'a' && lower(c) <= 'f')
            digit = unsigned(lower(c) - 'a' + 10);
        else
            break;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(value);
}

prop_list prop_list::from_text(std::string_view text) {
    prop_list p;
    p.source_text = std::string(text);

    for_each_part(text, ';', [&](std::string_view piece) {
        std::string_view parts[2];
        int n = 0;
        for_each_part(piece, ':', [&](std::string_view part) {
            if (n < 2) parts[n] = part;
            ++n;
        });
        if (n < 2) return;
        auto at = std::lower_bound(p.items_.begin(), p.items_.end(), parts[0],
                                   [](const prop_item& item, std::string_view key) {
                                       return compare_keys(item.key, key) < 0;
                                   });
        if (at != p.items_.end() && compare_keys(at->key, parts[0]) == 0) return; // first wins
        p.items_.insert(at, prop_item{std::string(parts[0]), std::string(parts[1])});
    });

    auto value_or = [&](std::string_view key, std::string_view absent) {
        const std::string* v = p.find(key);
        return v ? *v : std::string(absent);
    };
    p.name = value_or("name", "Arial");
    const std::string* size = p.find("size");
    p.size = size ? int(std::min<std::uint32_t>(read_prop_integer(*size), INT_MAX)) : 8;
    p.colour = read_colour(p.find("colour"), 0);
    p.bcolour = read_colour(p.find("bcolour"), no_background);
    const std::string* style = p.find("style");
    p.style = style ? read_style(*style) : 0;
    const std::string* align = p.find("align");
    p.align = !align               ? prop_align::left
              : *align == "right"  ? prop_align::right
              : *align == "centre" ? prop_align::centre
                                   : prop_align::left;
    p.number = value_or("number", "");
    p.number0 = value_or("number0", "");
    p.number_neg = value_or("number-", "");
    p.date = value_or("date", "");
    return p;
}

const std::string* prop_list::find(std::string_view key) const {
    auto at = std::lower_bound(
        items_.begin(), items_.end(), key,
        [](const prop_item& item, std::string_view k) { return compare_keys(item.key, k) < 0; });
    if (at == items_.end() || compare_keys(at->key, key) != 0) return nullptr;
    return &at->value;
}

std::string prop_list::font_text() const {
    std::string out;
    if (compare_keys(name, "ARIAL") != 0) append_piece(out, "name", name);
    if (size != 8) append_piece(out, "size", std::to_string(size));
    if (colour != 0) append_piece(out, "colour", hex_colour(colour));
    if (bcolour != no_background) append_piece(out, "bcolour", hex_colour(bcolour));
    if (style != 0) {
        std::string words;
        for (const auto& [text, bit] : style_words) {
            if (!(style & bit)) continue;
            if (!words.empty()) words += ' ';
            words += text;
        }
        append_piece(out, "style", words);
    }
    return out;
}

std::string prop_list::full_text() const {
    std::string out = font_text();
    if (align == prop_align::right) append_piece(out, "align", "right");
    if (align == prop_align::centre) append_piece(out, "align", "centre");
    if (!number.empty()) append_piece(out, "number", number);
    if (!number0.empty()) append_piece(out, "number0", number0);
    if (!number_neg.empty()) append_piece(out, "number-", number_neg);
    if (!date.empty()) append_piece(out, "date", date);
    return out;
}

bool prop_list::same_fields(const prop_list& o) const {
    return name == o.name && size == o.size && colour == o.colour && style == o.style &&
           bcolour == o.bcolour && align == o.align && number == o.number && number0 == o.number0 &&
           number_neg == o.number_neg && date == o.date;
}

void prop_list::merge(const prop_list& o) {
    if (name != o.name) name = o.name == "Arial" ? "Arial" : "";
    if (size != o.size) size = 8;
    if (colour != o.colour) colour = 0;
    if (bcolour != o.bcolour) bcolour = no_background;
    if (style != o.style) style = 0;
    if (align != o.align) align = prop_align::left;
    if (number != o.number) number.clear();
    if (number0 != o.number0) number0.clear();
    if (number_neg != o.number_neg) number_neg.clear();
    if (date != o.date) date.clear();
}

void prop_list::apply_to_font(font_record& font) const {
    font.name = name;
    font.size = size;
    font.colour = colour;
    font.style = style;
}

font_record prop_list::font() const {
    font_record f;
    apply_to_font(f);
    return f;
}

void prop_list::set_font(const font_record& font) {
    name = font.name;
    size = font.size;
    colour = font.colour;
    style = font.style;
}

bool edit_font(std::string& text, const std::function<bool(font_record&)>& chooser) {
    prop_list p = prop_list::from_text(text);
    font_record f = p.font();
    if (!chooser || !chooser(f)) return false;
    p.set_font(f);
    text = p.full_text();
    return true;
}

} // namespace mondrel
