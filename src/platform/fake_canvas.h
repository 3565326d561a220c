#pragma once
// A canvas with fixed metrics that records what is drawn on it, and a picture source whose
// pictures are named boxes. The core's tests, the fuzz target and the benchmarks paint on it
// without a display.
//
// Metrics: a character of a font of size s points is max(1, s / 2) pixels wide, one more when
// bold, and max(1, s) + 4 pixels high; a text's width is the sum over its characters (UTF-8
// sequences count as one character).

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace mondrel {

struct fake_picture : picture {
    fake_picture(std::string name, int w, int h) : name(std::move(name)), w(w), h(h) {}
    int width() const override { return w; }
    int height() const override { return h; }
    std::string name;
    int w, h;
};

// One thing drawn.
enum class drawn_kind { text, fill, line, image, copy };

struct drawn_item {
    drawn_kind kind = drawn_kind::text;
    int x = 0, y = 0;        // top left (for a line its first end)
    int x2 = 0, y2 = 0;      // a line's other end
    rect area;               // fill: the rectangle; copy: the source rectangle
    std::string text;        // text: the characters; image: the picture's name
    font_record font;        // text: the font in force
    colour_value colour = 0; // fill and line: the colour; text: the background
};

class fake_canvas : public canvas {
public:
    fake_canvas(int width = 1000, int height = 16) : width_(width), height_(height) {}

    int width() const override { return width_; }
    int height() const override { return height_; }
    void set_font(const font_record& font) override { font_ = font; }
    const font_record& font() const override { return font_; }
    text_extent measure(std::string_view text) override;
    void draw_text(int x, int top, std::string_view text, colour_value background) override;
    void fill_rect(const rect& r, colour_value colour) override;
    void draw_line(int x1, int y1, int x2, int y2, colour_value colour) override;
    void draw_picture(const picture& pic, int x, int top) override;
    void copy_from(const canvas& source, const rect& from, int x, int top) override;
    size_t memory_bytes() const override { return size_t(width_) * height_ * 4; }

    // The width of one character in a font, by the metrics above.
    static int char_width(const font_record& font);
    static int char_height(const font_record& font);

    std::vector<drawn_item> items;
    int measure_calls = 0;

    // The texts drawn, in order, as one string each.
    std::vector<std::string> texts() const;
    // The first drawn text item equal to `t`, or nullptr.
    const drawn_item* find_text(std::string_view t) const;

private:
    int width_, height_;
    font_record font_;
};

class fake_canvas_factory : public canvas_factory {
public:
    std::unique_ptr<canvas> make(int width, int height) override;
    int made = 0;
};

// Every image name gives a picture size x size pixels; files give a 20 x 10 picture when
// their path is in `files`, nullptr otherwise. Lookups are counted.
class fake_picture_source : public picture_source {
public:
    picture_ptr image(std::string_view name, int size) override;
    picture_ptr file(const std::string& path) override;

    std::set<std::string> files;
    std::vector<std::string> image_lookups;
    std::vector<std::string> file_lookups;
};

} // namespace mondrel
