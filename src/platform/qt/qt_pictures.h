#pragma once
// Pictures on Qt: the program's images are SVG files compiled in as a resource (":/images/
// NAME.svg") and rendered at the size and pixel ratio asked for; picture files named in sheets
// are read with QImageReader (PNG, BMP, JPEG, SVG and whatever else the installed plugins
// read), with their white made transparent.

#include <QIcon>

#include "platform/canvas.h"

namespace mondrel {

class qt_picture_source : public picture_source {
public:
    explicit qt_picture_source(qreal device_pixel_ratio = 1.0) : ratio_(device_pixel_ratio) {}
    picture_ptr image(std::string_view name, int size) override;
    picture_ptr file(const std::string& path) override;
    qreal device_pixel_ratio() const { return ratio_; }
    // Pictures made from now on are rendered for a screen of this density.
    void set_device_pixel_ratio(qreal ratio) { ratio_ = ratio > 0 ? ratio : 1.0; }

private:
    qreal ratio_;
};

// The application icon at the usual sizes, for the window.
QIcon app_icon();

} // namespace mondrel
