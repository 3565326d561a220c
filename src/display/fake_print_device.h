#pragma once
// A printer for tests and benchmarks: every page is a fake_canvas that records what was drawn
// on it. It can be told to refuse the job or a new page.

#include <memory>
#include <string>
#include <vector>

#include "display/sheet_print.h"
#include "platform/fake_canvas.h"

namespace mondrel {

class fake_print_device : public print_device {
public:
    fake_print_device(int width = 2000, int height = 2800, int dpi = 240)
        : width_(width), height_(height), dpi_(dpi) {
        pages.push_back(std::make_unique<fake_canvas>(width, height));
    }

    bool begin(std::string_view t) override {
        title = t;
        if (refuse_begin) {
            error_ = "The printer is not available.";
            return false;
        }
        began = true;
        return true;
    }
    bool new_page() override {
        if (refuse_page_after >= 0 && static_cast<int>(pages.size()) >= refuse_page_after) {
            error_ = "The printer refused the page.";
            return false;
        }
        pages.push_back(std::make_unique<fake_canvas>(width_, height_));
        return true;
    }
    bool end() override {
        ended = true;
        return true;
    }
    void abort() override { aborted = true; }
    int page_width() const override { return width_; }
    int page_height() const override { return height_; }
    int dpi_x() const override { return dpi_; }
    int dpi_y() const override { return dpi_; }
    canvas& page() override { return *pages.back(); }
    std::string error() const override { return error_; }

    // The texts drawn on a page (only non-empty ones are drawn).
    fake_canvas& page_at(size_t i) { return *pages.at(i); }

    std::vector<std::unique_ptr<fake_canvas>> pages;
    std::string title;
    bool began = false, ended = false, aborted = false;
    bool refuse_begin = false;
    int refuse_page_after = -1; // refuse a new page once this many exist

private:
    int width_, height_, dpi_;
    std::string error_;
};

} // namespace mondrel
