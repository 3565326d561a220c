#include "platform/fake_canvas.h"

#include <algorithm>

namespace mondrel {

namespace {

int code_points(std::string_view text) {
    int n = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

} // namespace

int fake_canvas::char_width(const font_record& font) {
    return std::max(1, font.size / 2) + ((font.style & style_bold) ? 1 : 0);
}

int fake_canvas::char_height(const font_record& font) {
    return std::max(1, font.size) + 4;
}

text_extent fake_canvas::measure(std::string_view text) {
    ++measure_calls;
    return {code_points(text) * char_width(font_), char_height(font_)};
}

void fake_canvas::draw_text(int x, int top, std::string_view text, colour_value background) {
    drawn_item d;
    d.kind = drawn_kind::text;
    d.x = x;
    d.y = top;
    d.text = std::string(text);
    d.font = font_;
    d.colour = background;
    items.push_back(std::move(d));
}

void fake_canvas::fill_rect(const rect& r, colour_value colour) {
    drawn_item d;
    d.kind = drawn_kind::fill;
    d.area = r;
    d.colour = colour;
    items.push_back(std::move(d));
}

void fake_canvas::draw_line(int x1, int y1, int x2, int y2, colour_value colour) {
    drawn_item d;
    d.kind = drawn_kind::line;
    d.x = x1;
    d.y = y1;
    d.x2 = x2;
    d.y2 = y2;
    d.colour = colour;
    items.push_back(std::move(d));
}

void fake_canvas::draw_picture(const picture& pic, int x, int top) {
    drawn_item d;
    d.kind = drawn_kind::image;
    d.x = x;
    d.y = top;
    const auto* fake = dynamic_cast<const fake_picture*>(&pic);
    d.text = fake ? fake->name : "?";
    items.push_back(std::move(d));
}

void fake_canvas::copy_from(const canvas&, const rect& from, int x, int top) {
    drawn_item d;
    d.kind = drawn_kind::copy;
    d.area = from;
    d.x = x;
    d.y = top;
    items.push_back(std::move(d));
}

std::vector<std::string> fake_canvas::texts() const {
    std::vector<std::string> out;
    for (const drawn_item& d : items)
        if (d.kind == drawn_kind::text) out.push_back(d.text);
    return out;
}

const drawn_item* fake_canvas::find_text(std::string_view t) const {
    for (const drawn_item& d : items)
        if (d.kind == drawn_kind::text && d.text == t) return &d;
    return nullptr;
}

std::unique_ptr<canvas> fake_canvas_factory::make(int width, int height) {
    ++made;
    return std::make_unique<fake_canvas>(width, height);
}

picture_ptr fake_picture_source::image(std::string_view name, int size) {
    image_lookups.emplace_back(name);
    return std::make_shared<fake_picture>(std::string(name), size, size);
}

picture_ptr fake_picture_source::file(const std::string& path) {
    file_lookups.push_back(path);
    if (!files.count(path)) return nullptr;
    return std::make_shared<fake_picture>(path, 20, 10);
}

} // namespace mondrel
