#include "platform/qt/qt_canvas.h"

#include <QString>

#include <cmath>

#include "platform/qt/qt_text.h"

namespace mondrel {

namespace {

// Font sizes are points at 96 dots per inch, as the sheets were designed on.
constexpr int dots_per_meter_96dpi = 3780;

std::string font_key(const font_record& f, qreal ratio) {
    return f.name + '\x1f' + std::to_string(f.size) + '\x1f' + std::to_string(f.style) + '\x1f' +
           std::to_string(ratio);
}

// Fonts are looked up by the user-interface thread only; entries live as long as the process
// (a sheet uses a handful of fonts).
std::unordered_map<std::string, qt_canvas::font_entry>& font_table() {
    static std::unordered_map<std::string, qt_canvas::font_entry> table;
    return table;
}

} // namespace

QColor to_qcolor(colour_value c) {
    const colour_value v = resolve_colour(c);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

QFont to_qfont(const font_record& f) {
    QFont font(QString::fromStdString(f.name.empty() ? "Arial" : f.name));
    font.setPointSize(std::max(f.size, 1));
    font.setBold(f.style & style_bold);
    font.setItalic(f.style & style_italic);
    font.setUnderline(f.style & style_underline);
    font.setStrikeOut(f.style & style_strikeout);
    return font;
}

void set_from_qfont(font_record& font, const QFont& chosen) {
    font.name = chosen.family().toStdString();
    if (chosen.pointSize() > 0) font.size = chosen.pointSize();
    font.style = (chosen.bold() ? style_bold : 0u) | (chosen.italic() ? style_italic : 0u) |
                 (chosen.underline() ? style_underline : 0u) |
                 (chosen.strikeOut() ? style_strikeout : 0u);
}

int qt_picture::width() const {
    return static_cast<int>(std::lround(image_.width() / image_.devicePixelRatio()));
}

int qt_picture::height() const {
    return static_cast<int>(std::lround(image_.height() / image_.devicePixelRatio()));
}

qt_canvas::qt_canvas(int width, int height, qreal device_pixel_ratio)
    : width_(std::max(width, 1)), height_(std::max(height, 1)),
      ratio_(device_pixel_ratio > 0 ? device_pixel_ratio : 1.0),
      image_(static_cast<int>(std::ceil(width_ * ratio_)),
             static_cast<int>(std::ceil(height_ * ratio_)), QImage::Format_RGB32) {
    image_.setDevicePixelRatio(ratio_);
    image_.setDotsPerMeterX(dots_per_meter_96dpi);
    image_.setDotsPerMeterY(dots_per_meter_96dpi);
    image_.fill(Qt::white);
}

qt_canvas::~qt_canvas() = default;

QPainter& qt_canvas::painter() {
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::TextAntialiasing, true);
        if (current_) painter_->setFont(current_->font);
    }
    return *painter_;
}

const QImage& qt_canvas::image() const {
    painter_.reset();
    return image_;
}

void qt_canvas::set_font(const font_record& font) {
    font_ = font;
    current_ = nullptr;
}

qt_canvas::font_entry& qt_canvas::current() {
    if (current_) return *current_;
    const std::string key = font_key(font_, ratio_);
    auto& fonts = font_table();
    auto it = fonts.find(key);
    if (it == fonts.end()) {
        font_entry e;
        e.font = to_qfont(font_);
        e.metrics.emplace(e.font, &image_);
        for (int c = 0; c < 128; ++c)
            e.advance[c] = e.metrics->horizontalAdvance(QChar(c));
        e.height = e.metrics->height();
        e.ascent = e.metrics->ascent();
        it = fonts.emplace(key, std::move(e)).first;
    }
    current_ = &it->second;
    if (painter_) painter_->setFont(current_->font);
    return *current_;
}

text_extent qt_canvas::measure(std::string_view text) {
    font_entry& f = current();
    int width = 0;
    bool ascii = true;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 128) {
            ascii = false;
            break;
        }
        width += f.advance[static_cast<unsigned char>(c)];
    }
    if (!ascii) width = f.metrics->horizontalAdvance(to_qstring(text));
    return {width, f.height};
}

void qt_canvas::draw_text(int x, int top, std::string_view text, colour_value background) {
    const text_extent e = measure(text);
    QPainter& p = painter();
    p.setFont(current().font);
    p.fillRect(QRect(x, top, e.width, e.height), to_qcolor(background));
    p.setPen(to_qcolor(font_.colour));
    p.drawText(QPoint(x, top + current().ascent), to_qstring(text));
}

void qt_canvas::fill_rect(const rect& r, colour_value colour) {
    if (r.width() <= 0 || r.height() <= 0) return;
    painter().fillRect(QRect(r.left, r.top, r.width(), r.height()), to_qcolor(colour));
}

void qt_canvas::draw_line(int x1, int y1, int x2, int y2, colour_value colour) {
    // Lines of the grid are one logical pixel wide at any pixel ratio.
    if (x1 == x2 || y1 == y2) {
        painter().fillRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                                 QPoint(std::max(x1, x2), std::max(y1, y2))),
                           to_qcolor(colour));
        return;
    }
    QPainter& p = painter();
    p.setPen(QPen(to_qcolor(colour), 1));
    p.drawLine(x1, y1, x2, y2);
}

void qt_canvas::draw_picture(const picture& pic, int x, int top) {
    const auto* q = dynamic_cast<const qt_picture*>(&pic);
    if (!q) return;
    painter().drawImage(QPoint(x, top), q->image());
}

void qt_canvas::copy_from(const canvas& source, const rect& from, int x, int top) {
    const auto* q = dynamic_cast<const qt_canvas*>(&source);
    if (!q || q == this) return;
    const QImage& src = q->image();
    const qreal r = src.devicePixelRatio();
    painter().drawImage(QPointF(x, top), src,
                        QRectF(from.left * r, from.top * r, from.width() * r, from.height() * r));
}

std::unique_ptr<canvas> qt_canvas_factory::make(int width, int height) {
    return std::make_unique<qt_canvas>(width, height, ratio_);
}

} // namespace mondrel
