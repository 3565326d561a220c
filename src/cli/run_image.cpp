#include "cli/run_image.h"

#ifdef MONDREL_WITH_QT

#include <QImageWriter>

#include <memory>

#include "cli/qt_application.h"
#include "display/mrdisplay_rows.h"
#include "display/picture_library.h"
#include "display/row_painter.h"
#include "display/sheet_picture.h"
#include "document/mondrel_doc.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_pictures.h"

namespace mondrel {

bool write_sheet_image(mondrel_doc& doc, const fmt_result_list* fmt_results,
                       const std::string& sheet_folder, const image_options& opt,
                       std::ostream& err) {
    if (opt.width != 0 && (opt.width < 16 || opt.width > max_image_side)) {
        err << "mondrel-run: --image-width must be from 16 to " << max_image_side << "\n";
        return false;
    }
    mrdisplay_rows rows;
    rows.refresh(doc, opt.open_all, -1, fmt_results);
    if (opt.width > 0)
        rows.set_columns(rows.data_cols(), rows.default_row_height(),
                         scaled_widths(rows.widths(), opt.width));

    ensure_gui_application();
    qt_canvas_factory factory;
    qt_picture_source source;
    picture_library pictures(source);
    pictures.set_folder(sheet_folder);
    row_painter painter(rows, factory, pictures);
    painter.set_sheet_formats(doc);
    painter.set_visible_rows(8);

    const long height = sheet_picture_height(rows);
    const int width = painter.total_width();
    if (height > max_image_side || width > max_image_side || width < 1) {
        err << "mondrel-run: the sheet's image would be " << width << " x " << height
            << " pixels; at most " << max_image_side << " on either side are written\n";
        return false;
    }
    qt_canvas target(width, static_cast<int>(height));
    paint_sheet(painter, rows, target);

    QImageWriter writer(QString::fromStdString(opt.file), "png");
    if (!writer.write(target.image())) {
        err << "mondrel-run: could not write the image " << opt.file << ": "
            << writer.errorString().toStdString() << "\n";
        return false;
    }
    return true;
}

} // namespace mondrel

#else

namespace mondrel {

bool write_sheet_image(mondrel_doc&, const fmt_result_list*, const std::string&,
                       const image_options&, std::ostream& err) {
    err << "mondrel-run: --image needs a build with Qt 6 (qt6-base-dev, qt6-svg-dev)\n";
    return false;
}

} // namespace mondrel

#endif
