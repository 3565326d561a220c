#pragma once
// The drawing surface the display paints on: row pictures, the header picture, the grid's
// own surface and the image written by the headless runner. The window binds it to QPainter
// on a QImage (src/platform/qt/); tests use fake_canvas, which has fixed metrics and records
// what was drawn.
//
// Coordinates are logical pixels with the origin at the top left; a canvas painted for a
// high-density screen keeps its device pixels to itself. Colours are $BBGGRR values as the
// formats write them.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "display/prop_stuff.h"

namespace mondrel {

struct rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const rect&, const rect&) = default;
};

struct text_extent {
    int width = 0;
    int height = 0;
    friend bool operator==(const text_extent&, const text_extent&) = default;
};

// A picture ready to be drawn: one of the program's images or a loaded file. Its size is in
// logical pixels. Made by a picture_source; drawn by a canvas of the same kind.
class picture {
public:
    virtual ~picture() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

using picture_ptr = std::shared_ptr<const picture>;

// Where pictures come from: the program's image set (named in lower case, e.g. "file_new",
// drawn `size` logical pixels square) and picture files. Both give nullptr when there is no
// such picture or the file cannot be read.
class picture_source {
public:
    virtual ~picture_source() = default;
    virtual picture_ptr image(std::string_view name, int size) = 0;
    virtual picture_ptr file(const std::string& path) = 0;
};

class canvas {
public:
    virtual ~canvas() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;

    // The font of the texts that follow: name, size in points (below 1 counts as 1), colour
    // and style bits.
    virtual void set_font(const font_record& font) = 0;
    virtual const font_record& font() const = 0;

    // Width and height of a text in the current font.
    virtual text_extent measure(std::string_view text) = 0;
    // Draws a text in the current font and colour with its top left at (x, top), on an opaque
    // background of colour `background` as wide and high as the text.
    virtual void draw_text(int x, int top, std::string_view text, colour_value background) = 0;

    virtual void fill_rect(const rect& r, colour_value colour) = 0;
    // A one-pixel line from (x1, y1) to (x2, y2), both ends included.
    virtual void draw_line(int x1, int y1, int x2, int y2, colour_value colour) = 0;
    // Draws a picture with its top left at (x, top); its white is transparent.
    virtual void draw_picture(const picture& pic, int x, int top) = 0;
    // Copies the rectangle `from` of another canvas of the same kind to (x, top) here.
    virtual void copy_from(const canvas& source, const rect& from, int x, int top) = 0;

    // Bytes held by the canvas's pixels (for the picture cache's accounting).
    virtual size_t memory_bytes() const = 0;
};

// Makes canvases of one kind: the row and header pictures of the display.
class canvas_factory {
public:
    virtual ~canvas_factory() = default;
    virtual std::unique_ptr<canvas> make(int width, int height) = 0;
};

// $BBGGRR of a system colour (high byte $FF) as the display shows it; others unchanged.
colour_value resolve_colour(colour_value c);

} // namespace mondrel
