// Pixel checks on real Qt images: row colours of the current line, a breakpoint and a
// selected row, red text from \c, the program's images at 1x and 2x, copying between
// canvases and picture files with their white made transparent.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <memory>

#include "display/markup.h"
#include "display/mrdisplay_rows.h"
#include "display/picture_library.h"
#include "display/row_painter.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_pictures.h"

namespace mondrel {
namespace {

QRgb rgb_of(colour_value bbggrr) {
    return to_qcolor(bbggrr).rgb();
}

// Pixels of a rectangle (logical) whose colour satisfies `pred`.
template <class P> int count(const QImage& img, QRect r, P pred) {
    const qreal dpr = img.devicePixelRatio();
    int n = 0;
    for (int y = int(r.top() * dpr); y < int((r.bottom() + 1) * dpr); ++y)
        for (int x = int(r.left() * dpr); x < int((r.right() + 1) * dpr); ++x)
            if (pred(img.pixel(x, y))) ++n;
    return n;
}

bool reddish(QRgb p) {
    return qRed(p) > 150 && qGreen(p) < 110 && qBlue(p) < 110;
}
bool greenish(QRgb p) {
    return qGreen(p) > 110 && qRed(p) < 110 && qBlue(p) < 130;
}

struct sheet_paint {
    qt_canvas_factory factory;
    qt_picture_source source;
    picture_library pictures{source};
    mrdisplay_rows rows;
    row_painter painter{rows, factory, pictures};
    std::unique_ptr<mondrel_doc> doc = std::make_unique<mondrel_doc>();

    explicit sheet_paint(qreal dpr = 1.0) : factory(dpr), source(dpr) {
        doc->clear();
        for (int k = 0; k < 3; ++k) {
            line_ptr line = make_line(*doc, 1, cw_expression, "", std::to_string(k + 1));
            line->format = std::make_unique<prop_list>(prop_list::from_text(""));
            doc->add_sli(std::move(line));
        }
        doc->line(1).flags |= flag_breakpoint;
        doc->structure_changed();
        rows.refresh(*doc, false, 2);
        painter.set_sheet_formats(*doc);
    }
    const QImage& row(int grid_row, bool selected = false) {
        painter.paint_row(grid_row, selected);
        return dynamic_cast<const qt_canvas&>(*painter.painted(grid_row)->pic).image();
    }
};

TEST(qt_canvas, row_colours_of_the_current_line_a_breakpoint_and_a_selection) {
    sheet_paint s;
    // The current line (grid row 3) is coloured across every cell; sample each cell's
    // bottom-left corner area, away from text and grid lines.
    const QImage& current = s.row(3);
    for (int c = 0; c < s.rows.column_count(); ++c) {
        const rect r = s.painter.col_rect(c, 16);
        EXPECT_EQ(current.pixel(r.left + 1, 14), rgb_of(current_line_colour)) << "column " << c;
    }
    const QImage& breakpoint = s.row(2);
    EXPECT_EQ(breakpoint.pixel(2, 2), rgb_of(breakpoint_colour));
    EXPECT_EQ(breakpoint.pixel(s.painter.col_rect(5, 16).left + 2, 2), rgb_of(plain_background));
    const QImage& selected = s.row(1, true);
    EXPECT_EQ(selected.pixel(2, 2), rgb_of(selected_line_colour));
    EXPECT_EQ(selected.pixel(s.painter.col_rect(6, 16).left + 2, 2), rgb_of(selected_value_colour));
    // Grid lines at the right edge of a cell.
    EXPECT_EQ(selected.pixel(s.painter.col_rect(6, 16).right - 1, 5), rgb_of(grid_line_colour));
}

TEST(qt_canvas, rows_painted_for_a_high_density_screen_have_twice_the_pixels) {
    sheet_paint s(2.0);
    const QImage& current = s.row(3);
    EXPECT_EQ(current.width(), 2 * s.painter.total_width());
    EXPECT_EQ(current.height(), 32);
    const rect value = s.painter.col_rect(6, 16);
    EXPECT_EQ(current.pixel(2 * value.left + 2, 2 * 14), rgb_of(current_line_colour));
    // The grid line stays one logical pixel: two device pixels wide.
    EXPECT_EQ(current.pixel(2 * value.right - 1, 10), rgb_of(grid_line_colour));
    EXPECT_EQ(current.pixel(2 * value.right - 2, 10), rgb_of(grid_line_colour));
    EXPECT_EQ(current.pixel(2 * value.right - 3, 10), rgb_of(current_line_colour));
}

TEST(qt_canvas, colour_escape_and_picture_escape_paint_real_pixels) {
    qt_picture_source source;
    picture_library pictures(source);
    qt_canvas cv(200, 30);
    markup_request req;
    req.cell = {0, 0, 200, 30};
    req.font = {"Arial", 14, 0x000000, 0};
    req.baseline = 24;
    render_markup(cv, &pictures, req, "\\c[$0000FF]MMMM\\p[green_dot]");
    const QImage& img = cv.image();
    EXPECT_GT(count(img, QRect(0, 0, 60, 30), reddish), 40);
    EXPECT_EQ(count(img, QRect(0, 0, 60, 30), greenish), 0);
    const text_extent m = [&] {
        qt_canvas probe(10, 10);
        probe.set_font(req.font);
        return probe.measure("MMMM");
    }();
    EXPECT_GT(count(img, QRect(m.width, 24 - 16, 16, 16), greenish), 30);
}

TEST(qt_canvas, every_image_of_the_set_renders_at_1x_and_2x) {
    for (qreal dpr : {1.0, 2.0}) {
        qt_picture_source source(dpr);
        picture_library pictures(source);
        for (std::string_view name : image_set_names()) {
            const picture_ptr pic = pictures.load_picture(name);
            ASSERT_NE(pic, nullptr) << name;
            const auto& q = dynamic_cast<const qt_picture&>(*pic);
            const int logical = name == "APP_ICON"                    ? app_icon_size
                                : (name == "OPEN" || name == "CLOSE") ? marker_size
                                                                      : image_size;
            EXPECT_EQ(pic->width(), logical) << name;
            EXPECT_EQ(q.image().width(), int(logical * dpr)) << name;
            // Something is drawn, and the corners stay transparent or nearly.
            const QImage& img = q.image();
            EXPECT_GT(
                count(img, QRect(0, 0, logical, logical), [](QRgb p) { return qAlpha(p) > 200; }),
                logical)
                << name;
        }
    }
}

TEST(qt_canvas, high_density_canvas_keeps_logical_coordinates) {
    qt_canvas one(100, 20, 1.0), two(100, 20, 2.0);
    EXPECT_EQ(two.image().width(), 200);
    EXPECT_EQ(two.width(), 100);
    const font_record f{"Arial", 8, 0, 0};
    one.set_font(f);
    two.set_font(f);
    const text_extent a = one.measure("12345"), b = two.measure("12345");
    EXPECT_NEAR(a.width, b.width, 2);
    EXPECT_NEAR(a.height, b.height, 2);
    EXPECT_GE(a.height, 10); // 8 points at 96 dots per inch
    EXPECT_LE(a.height, 16);
    // A copied rectangle lands at its logical place.
    two.fill_rect({10, 5, 20, 15}, 0x0000FF);
    qt_canvas target(100, 20, 2.0);
    target.copy_from(two, {10, 5, 20, 15}, 50, 0);
    EXPECT_TRUE(reddish(target.image().pixel(2 * 55, 2 * 5)));
    EXPECT_FALSE(reddish(target.image().pixel(2 * 45, 2 * 5)));
}

TEST(qt_canvas, picture_files_load_with_white_transparent) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage img(8, 4, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setPixel(1, 1, qRgb(255, 0, 0));
    ASSERT_TRUE(img.save(dir.filePath("pic.png")));
    ASSERT_TRUE(img.save(dir.filePath("pic.bmp")));
    ASSERT_TRUE(img.scaled(32, 16).save(dir.filePath("pic.jpg"), "JPEG", 100));
    QFile svg(dir.filePath("pic.svg"));
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='12' height='6'>"
              "<rect width='12' height='6' fill='#00ff00'/></svg>");
    svg.close();
    QFile junk(dir.filePath("junk.png"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();

    qt_picture_source source;
    picture_library lib(source);
    lib.set_folder(dir.path().toStdString());
    for (const char* name : {"pic.png", "pic.bmp"}) {
        const picture_ptr pic = lib.load_picture(name);
        ASSERT_NE(pic, nullptr) << name;
        const QImage& q = dynamic_cast<const qt_picture&>(*pic).image();
        EXPECT_EQ(pic->width(), 8);
        EXPECT_EQ(qAlpha(q.pixel(0, 0)), 0);
        EXPECT_EQ(q.pixel(1, 1), qRgb(255, 0, 0));
    }
    const picture_ptr jpeg = lib.load_picture("pic.jpg");
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->width(), 32);
    const picture_ptr vector = lib.load_picture("pic.svg");
    ASSERT_NE(vector, nullptr);
    EXPECT_EQ(vector->width(), 12);
    EXPECT_EQ(dynamic_cast<const qt_picture&>(*vector).image().pixel(3, 3), qRgb(0, 255, 0));
    EXPECT_EQ(lib.load_picture("junk.png"), nullptr);
    EXPECT_EQ(lib.load_picture("missing.png"), nullptr);
}

// A font chosen in a dialog comes back as it went in, whatever its style; its colour is not the
// dialog's to change, and a font sized in pixels keeps the size the format had.
TEST(qt_canvas, fonts_go_to_qt_and_back_unchanged) {
    const unsigned styles[] = {0u, style_bold, style_italic | style_underline,
                               style_bold | style_italic | style_underline | style_strikeout};
    for (const unsigned style : styles) {
        const font_record f{"Courier New", 13, 0x0000FF, style};
        font_record back{"", 1, 0x0000FF, 0};
        set_from_qfont(back, to_qfont(f));
        EXPECT_EQ(back, f) << "style " << style;
    }
    QFont pixels(QStringLiteral("Arial"));
    pixels.setPixelSize(20);
    font_record kept{"Times", 9, 0x00FF00, style_bold};
    set_from_qfont(kept, pixels);
    EXPECT_EQ(kept, (font_record{"Arial", 9, 0x00FF00, 0}));
}

} // namespace
} // namespace mondrel
