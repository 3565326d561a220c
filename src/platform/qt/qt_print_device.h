#pragma once
// The printer on Qt: a paged paint device (a QPrinter chosen in the print dialog, or a
// QPdfWriter for a PDF file) with a canvas that draws through one QPainter on it. Text on
// paper has no background of its own; the page's white shows through.

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include <memory>
#include <optional>
#include <string>

#include "display/sheet_print.h"

class QPdfWriter;

namespace mondrel {

// A canvas over a QPainter someone else owns (the printer's). Pictures and copies between
// canvases are not part of a printed page.
class qt_painter_canvas : public canvas {
public:
    qt_painter_canvas(QPainter& painter, int width, int height);
    ~qt_painter_canvas() override;

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
    size_t memory_bytes() const override { return 0; }

private:
    QPainter& painter_;
    int width_, height_;
    font_record font_;
    QFont qfont_;
    // Metrics of qfont_ on the printer itself: its resolution, not the screen's, sets widths.
    std::optional<QFontMetrics> metrics_;
};

// Today's date as the footer of a printed page writes it.
std::string print_date_today();

class qt_print_device : public print_device {
public:
    // Prints on `device` (a QPrinter or QPdfWriter), which must outlive this object.
    explicit qt_print_device(QPagedPaintDevice& device);
    ~qt_print_device() override;

    bool begin(std::string_view title) override;
    bool new_page() override;
    bool end() override;
    void abort() override;
    int page_width() const override;
    int page_height() const override;
    int dpi_x() const override;
    int dpi_y() const override;
    canvas& page() override;
    std::string error() const override { return error_; }

protected:
    // What begin() checks before painting starts; false with error_ set when the job cannot
    // be started. The PDF device checks that its file can be written.
    virtual bool prepare(std::string_view title);
    std::string error_;

private:
    QPagedPaintDevice& device_;
    QPainter painter_;
    std::unique_ptr<qt_painter_canvas> canvas_;
};

// Prints into a PDF file.
class qt_pdf_print_device : public qt_print_device {
public:
    explicit qt_pdf_print_device(const std::string& file);
    ~qt_pdf_print_device() override;

protected:
    bool prepare(std::string_view title) override;

private:
    qt_pdf_print_device(std::unique_ptr<QPdfWriter> writer, const std::string& file);
    std::unique_ptr<QPdfWriter> writer_;
    std::string file_;
};

} // namespace mondrel
