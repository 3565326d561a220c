#include "platform/qt/qt_print_device.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPdfWriter>
#include <QPrinter>

#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace mondrel {

qt_painter_canvas::qt_painter_canvas(QPainter& painter, int width, int height)
    : painter_(painter), width_(width), height_(height) {
    qfont_ = to_qfont(font_);
    metrics_.emplace(qfont_, painter_.device());
}

qt_painter_canvas::~qt_painter_canvas() = default;

void qt_painter_canvas::set_font(const font_record& font) {
    font_ = font;
    qfont_ = to_qfont(font_);
    metrics_.emplace(qfont_, painter_.device());
    painter_.setFont(qfont_);
}

text_extent qt_painter_canvas::measure(std::string_view text) {
    const QString s = to_qstring(text);
    return {metrics_->horizontalAdvance(s), metrics_->height()};
}

void qt_painter_canvas::draw_text(int x, int top, std::string_view text, colour_value) {
    if (text.empty()) return;
    painter_.setFont(qfont_);
    painter_.setPen(to_qcolor(font_.colour));
    painter_.drawText(QPoint(x, top + metrics_->ascent()), to_qstring(text));
}

void qt_painter_canvas::fill_rect(const rect& r, colour_value colour) {
    if (r.width() <= 0 || r.height() <= 0) return;
    painter_.fillRect(QRect(r.left, r.top, r.width(), r.height()), to_qcolor(colour));
}

void qt_painter_canvas::draw_line(int x1, int y1, int x2, int y2, colour_value colour) {
    painter_.setPen(QPen(to_qcolor(colour), 0)); // a cosmetic pen: one device pixel wide
    painter_.drawLine(x1, y1, x2, y2);
}

void qt_painter_canvas::draw_picture(const picture& pic, int x, int top) {
    const auto* q = dynamic_cast<const qt_picture*>(&pic);
    if (!q) return;
    painter_.drawImage(QRect(x, top, pic.width(), pic.height()), q->image());
}

void qt_painter_canvas::copy_from(const canvas&, const rect&, int, int) {}

std::string print_date_today() {
    const QDate today = QDate::currentDate();
    return print_date_text(today.year(), today.month(), today.day());
}

qt_print_device::qt_print_device(QPagedPaintDevice& device) : device_(device) {}

qt_print_device::~qt_print_device() {
    if (painter_.isActive()) painter_.end();
}

bool qt_print_device::prepare(std::string_view title) {
    if (auto* printer = dynamic_cast<QPrinter*>(&device_)) {
        printer->setDocName(to_qstring(title));
        if (!printer->isValid()) {
            error_ = "No printer is available.";
            return false;
        }
    }
    return true;
}

bool qt_print_device::begin(std::string_view title) {
    error_.clear();
    if (!prepare(title)) return false;
    if (!painter_.begin(&device_)) {
        if (error_.empty()) error_ = "The printer refused the print job.";
        return false;
    }
    canvas_ = std::make_unique<qt_painter_canvas>(painter_, page_width(), page_height());
    return true;
}

bool qt_print_device::new_page() {
    if (!painter_.isActive()) return false;
    if (!device_.newPage()) {
        error_ = "The printer could not start a new page.";
        return false;
    }
    return true;
}

bool qt_print_device::end() {
    if (!painter_.isActive()) return false;
    if (!painter_.end()) {
        error_ = "The printer could not finish the print job.";
        return false;
    }
    if (auto* printer = dynamic_cast<QPrinter*>(&device_);
        printer && printer->printerState() == QPrinter::Error) {
        error_ = "The printer reported an error.";
        return false;
    }
    return true;
}

void qt_print_device::abort() {
    if (auto* printer = dynamic_cast<QPrinter*>(&device_)) printer->abort();
    if (painter_.isActive()) painter_.end();
}

int qt_print_device::page_width() const { return device_.width(); }
int qt_print_device::page_height() const { return device_.height(); }
int qt_print_device::dpi_x() const { return device_.logicalDpiX(); }
int qt_print_device::dpi_y() const { return device_.logicalDpiY(); }

canvas& qt_print_device::page() {
    if (!canvas_) canvas_ = std::make_unique<qt_painter_canvas>(painter_, page_width(), page_height());
    return *canvas_;
}

qt_pdf_print_device::qt_pdf_print_device(const std::string& file)
    : qt_pdf_print_device(std::make_unique<QPdfWriter>(QString::fromStdString(file)), file) {}

qt_pdf_print_device::qt_pdf_print_device(std::unique_ptr<QPdfWriter> writer,
                                         const std::string& file)
    : qt_print_device(*writer), writer_(std::move(writer)), file_(file) {
    writer_->setResolution(300);
    writer_->setPageSize(QPageSize(QPageSize::A4));
    writer_->setPageMargins(QMarginsF(0, 0, 0, 0));
}

qt_pdf_print_device::~qt_pdf_print_device() = default;

bool qt_pdf_print_device::prepare(std::string_view title) {
    writer_->setTitle(to_qstring(title));
    writer_->setCreator("Mondrel");
    // Tried before painting starts, so an unwritable path gets a message of its own.
    QFile f(QString::fromStdString(file_));
    if (!f.open(QIODevice::WriteOnly)) {
        error_ = "Cannot write the PDF file " + file_ + ": " + f.errorString().toStdString();
        return false;
    }
    f.close();
    return true;
}

} // namespace mondrel
