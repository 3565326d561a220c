// mondrel-run --image end to end: the example sheets give PNGs of the sheet's size (header
// and every row), a few pixels are where the grid puts them, --image-width scales the
// columns, and a file that cannot be written is an error.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

#include "display/mrdisplay_rows.h"
#include "document/codesheet_file.h"
#include "document/mondrel_doc.h"
#include "platform/qt/qt_canvas.h"

#ifdef MONDREL_RUN_PROGRAM

namespace mondrel {
namespace {

int run(const std::string& args) {
    const std::string command = std::string(MONDREL_RUN_PROGRAM) + " " + args + " >/dev/null 2>&1";
    const int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// The size the grid gives a sheet: its column widths side by side, the header and its rows.
QSize sheet_size(const std::string& file) {
    mondrel_doc doc;
    EXPECT_TRUE(read_file(doc, file, read_replace, 0));
    mrdisplay_rows rows;
    rows.refresh(doc);
    int width = 0;
    for (int w : rows.widths())
        width += std::max(w, 0);
    int height = header_row_height;
    for (int r = 1; r <= rows.grid_row_count(); ++r)
        height += rows.row_height(r);
    return {width, height};
}

struct image_fixture : ::testing::Test {
    QTemporaryDir dir;
    std::string out(const char* name) { return dir.filePath(name).toStdString(); }
};

TEST_F(image_fixture, example_sheets_give_images_of_their_size) {
    for (const char* name : {"loan_table.mdr", "text_statistics.txt", "unit_conversions.txt"}) {
        const std::string sheet = std::string(MONDREL_EXAMPLES) + "/" + name;
        const std::string png = out("sheet.png");
        ASSERT_EQ(run("--image " + png + " " + sheet), 0) << name;
        QImage img(QString::fromStdString(png));
        ASSERT_FALSE(img.isNull()) << name;
        EXPECT_EQ(img.size(), sheet_size(sheet)) << name;
    }
}

TEST_F(image_fixture, pixels_of_the_loan_table) {
    const std::string sheet = std::string(MONDREL_EXAMPLES) + "/loan_table.mdr";
    const std::string png = out("loan.png");
    ASSERT_EQ(run("--image " + png + " " + sheet), 0);
    QImage img(QString::fromStdString(png));
    ASSERT_FALSE(img.isNull());
    const QSize size = sheet_size(sheet);
    // The header on the button face, with a black line at the line column's right edge.
    EXPECT_EQ(img.pixel(2, 1), to_qcolor(btnface_colour).rgb());
    EXPECT_EQ(img.pixel(49, 5), qRgb(0, 0, 0));
    // Grid lines under the first row and at the right edge of the line column.
    EXPECT_EQ(img.pixel(20, 12 + 15), qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(img.pixel(49, 12 + 8), qRgb(0xC0, 0xC0, 0xC0));
    // The title comment is green ("colour:$008000") over the code column and beyond.
    int green = 0;
    for (int y = 12; y < 28; ++y)
        for (int x = 90; x < size.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qGreen(p) > 90 && qRed(p) < 80 && qBlue(p) < 80) ++green;
        }
    EXPECT_GT(green, 100);
    // The last row is white away from its grid lines.
    EXPECT_EQ(img.pixel(size.width() - 10, size.height() - 8), qRgb(255, 255, 255));
}

TEST_F(image_fixture, image_width_scales_the_columns_and_bad_targets_fail) {
    const std::string sheet = std::string(MONDREL_EXAMPLES) + "/unit_conversions.txt";
    const std::string png = out("wide.png");
    ASSERT_EQ(run("--image " + png + " --image-width 1200 " + sheet), 0);
    QImage img(QString::fromStdString(png));
    EXPECT_EQ(img.width(), 1200);
    EXPECT_EQ(img.height(), sheet_size(sheet).height());

    EXPECT_EQ(run("--image " + out("no/such/folder/x.png") + " " + sheet), 2);
    // A sheet too long for one image is refused, not cut short.
    {
        QFile tall(dir.filePath("tall.txt"));
        ASSERT_TRUE(tall.open(QIODevice::WriteOnly));
        for (int k = 0; k < 2100; ++k)
            tall.write("o 1 1\n");
        tall.close();
        EXPECT_EQ(run("--image " + out("tall.png") + " " + out("tall.txt")), 2);
        EXPECT_FALSE(QFile::exists(dir.filePath("tall.png")));
    }
    EXPECT_EQ(run("--image-width 5 --image " + png + " " + sheet), 2);
    EXPECT_EQ(run("--image-width 800 " + sheet), 2);
    EXPECT_EQ(run("--image " + png + " " + sheet + " " + sheet), 2);
}

} // namespace
} // namespace mondrel

#endif
