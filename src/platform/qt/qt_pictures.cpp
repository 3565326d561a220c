#include "platform/qt/qt_pictures.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

// The image resource lives in this static library; it is registered before first use.
static void init_image_resource() {
    static const bool done = [] {
        Q_INIT_RESOURCE(images);
        return true;
    }();
    (void)done;
}

namespace mondrel {

namespace {

// Pictures larger than this (in device pixels on either side) are not loaded: a sheet can
// name any file, and a huge image would take the memory of the whole program.
constexpr int max_picture_pixels = 4096;

QImage render_svg(QSvgRenderer& svg, int size, qreal ratio) {
    const int side = static_cast<int>(std::lround(size * ratio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        svg.render(&p, QRectF(0, 0, side, side));
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

picture_ptr qt_picture_source::image(std::string_view name, int size) {
    init_image_resource();
    QSvgRenderer svg(QStringLiteral(":/images/") + to_qstring(name) + QStringLiteral(".svg"));
    if (!svg.isValid()) return nullptr;
    return std::make_shared<qt_picture>(render_svg(svg, size, ratio_));
}

picture_ptr qt_picture_source::file(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > max_picture_pixels || size.height() > max_picture_pixels))
        return nullptr;
    QImage image = reader.read();
    if (image.isNull() || image.width() > max_picture_pixels || image.height() > max_picture_pixels)
        return nullptr;
    // White is the transparent colour of every picture.
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == 0x00FFFFFF) line[x] = 0;
    }
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // A picture file is drawn at its own pixel size in logical pixels.
    image.setDevicePixelRatio(1.0);
    return std::make_shared<qt_picture>(std::move(image));
}

QIcon app_icon() {
    init_image_resource();
    QIcon icon;
    QSvgRenderer svg(QStringLiteral(":/images/app_icon.svg"));
    if (!svg.isValid()) return icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(render_svg(svg, size, 1.0)));
    return icon;
}

} // namespace mondrel
