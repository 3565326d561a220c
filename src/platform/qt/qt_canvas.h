#pragma once
// The canvas on Qt: QPainter on a QImage. A canvas made for a screen of device pixel ratio r
// holds r x r device pixels per logical pixel, so text and pictures are sharp on high-density
// screens; every coordinate the display passes stays logical.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/canvas.h"

namespace mondrel {

// $BBGGRR (or a system colour) as a QColor.
QColor to_qcolor(colour_value c);

// A format's font as a QFont: the family (Arial when none is named), the size in points and
// the style bits. The colour is not part of a QFont; to_qcolor gives it.
QFont to_qfont(const font_record& f);

// The other way, for a font chosen in a font dialog: its family, point size and style bits go
// into `font`; the colour stays, and a font sized in pixels keeps the size `font` had.
void set_from_qfont(font_record& font, const QFont& chosen);

// A picture held as an image with its device pixel ratio.
class qt_picture : public picture {
public:
    explicit qt_picture(QImage image) : image_(std::move(image)) {}
    int width() const override;
    int height() const override;
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

class qt_canvas : public canvas {
public:
    // A white canvas of width x height logical pixels.
    qt_canvas(int width, int height, qreal device_pixel_ratio = 1.0);
    ~qt_canvas() override;

    int width() const override { return width_; }
    int height() const override { return height_; }
    void set_font(const font_record& font) override;
    const font_record& font() const override { return font_; }
    text_extent measure(std::string_view text) override;
    void draw_text(int x, int top, std::string_view text, colour_value background) override;
    void fill_rect(const rect& r, colour_value colour) override;
    void draw_line(int x1, int y1, int x2, int y2, colour_value colour) override;
    void draw_picture(const picture& pic, int x, int top) override;
    void copy_from(const canvas& source, const rect& from, int x, int top) override;
    size_t memory_bytes() const override { return static_cast<size_t>(image_.sizeInBytes()); }

    // The pixels, with every drawing so far finished.
    const QImage& image() const;

private:
public:
    // One font as QPainter and QFontMetrics need it, with the advances of the ASCII
    // characters looked up once. Shared by every canvas of the same pixel ratio.
    struct font_entry {
        QFont font;
        std::optional<QFontMetrics> metrics;
        std::array<int, 128> advance;
        int height = 0;
        int ascent = 0;
    };

private:
    QPainter& painter();
    font_entry& current();

    int width_, height_;
    qreal ratio_;
    QImage image_;
    mutable std::unique_ptr<QPainter> painter_;
    font_record font_;
    font_entry* current_ = nullptr;
};

class qt_canvas_factory : public canvas_factory {
public:
    explicit qt_canvas_factory(qreal device_pixel_ratio = 1.0) : ratio_(device_pixel_ratio) {}
    std::unique_ptr<canvas> make(int width, int height) override;
    qreal device_pixel_ratio() const { return ratio_; }
    // The window moved to a screen of another density; canvases made before keep theirs.
    void set_device_pixel_ratio(qreal ratio) { ratio_ = ratio > 0 ? ratio : 1.0; }

private:
    qreal ratio_;
};

} // namespace mondrel
