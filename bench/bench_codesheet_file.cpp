// Loading and saving a 100,000-line codesheet, against pugixml's own parse and save of the same
// text in the same run. The load includes every line's translation by make_line; the reference
// parse does nothing but build pugixml's tree. The reference save writes pugixml's tree with
// tab indentation, the nearest thing to the codesheet layout.
//
// Prints the best of several runs of each and the ratios (targets: load <= 5x parse, save <= 3x
// save).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

#include <pugixml.hpp>

#include "display/prop_stuff.h"
#include "document/codesheet_file.h"
#include "document/line_text.h"
#include "document/mondrel_doc.h"

namespace {

using namespace mondrel;

// A sheet shaped like real ones: named and unnamed expressions, comments, lists a few levels
// deep, some formats and indented code.
void fill(mondrel_doc& doc, int n) {
    std::mt19937 rng(11);
    doc.clear();
    std::vector<int> left; // children still to place per open list
    for (int i = 0; i < n; ++i) {
        if (!left.empty()) --left.back();
        const int room = n - i - 1;
        int32_t count = 1;
        if (room > 4 && left.size() < 6 && rng() % 8 == 0) {
            count = 2 + static_cast<int>(rng() % 5);
            left.push_back(count - 1);
        }
        line_ptr line;
        switch (rng() % 5) {
        case 0:
            line = make_line(doc, count, cw_rem, "", "a comment about <this> & that");
            break;
        case 1:
            line = make_line(doc, count, cw_if, "", "  x" + std::to_string(i) + " > 0");
            break;
        default:
            line = make_line(doc, count, cw_expression, "v" + std::to_string(i),
                             std::to_string(i) + "*2+sqr(" + std::to_string(i % 97) + ")");
        }
        line->format = std::make_unique<prop_list>(
            prop_list::from_text(rng() % 10 == 0 ? "align:right; number:0.00" : ""));
        if (count > 1 && rng() % 2) line->flags |= flag_open;
        doc.add_sli(std::move(line));
        while (!left.empty() && left.back() == 0)
            left.pop_back();
    }
}

double best_seconds(int runs, const std::function<void()>& f) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    return best;
}

struct string_writer : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

} // namespace

int main() {
    const int n = 100000;
    const int runs = 5;
    mondrel_doc doc;
    fill(doc, n);
    const std::string text = xml_text(doc);
    std::printf("codesheet of %d lines, %zu bytes of XML\n", n, text.size());

    const double parse = best_seconds(runs, [&] {
        pugi::xml_document xml;
        if (!xml.load_buffer(text.data(), text.size())) std::abort();
    });
    const double load = best_seconds(runs, [&] {
        mondrel_doc d;
        if (!load_xml(d, text, false, read_replace, 0)) std::abort();
    });

    pugi::xml_document parsed;
    parsed.load_buffer(text.data(), text.size());
    const double save_ref = best_seconds(runs, [&] {
        string_writer w;
        parsed.save(w, "\t", pugi::format_indent, pugi::encoding_utf8);
        if (w.out.empty()) std::abort();
    });
    const double save = best_seconds(runs, [&] {
        if (xml_text(doc).size() != text.size()) std::abort();
    });

    const double text_write = best_seconds(runs, [&] {
        if (lines_text(doc).empty()) std::abort();
    });
    const std::string lines = lines_text(doc);
    const double text_read = best_seconds(runs, [&] {
        mondrel_doc d;
        line_block block = read_text_block(d, lines, true);
        if (block.size() != static_cast<size_t>(n)) std::abort();
    });

    std::printf("load_xml          %8.1f ms   pugixml parse %8.1f ms   ratio %.2f (target <= 5)\n",
                load * 1e3, parse * 1e3, load / parse);
    std::printf("store_xml (text)  %8.1f ms   pugixml save  %8.1f ms   ratio %.2f (target <= 3)\n",
                save * 1e3, save_ref * 1e3, save / save_ref);
    // The line-text writer makes every field one line; it should stay well below the XML text.
    std::printf("line text write   %8.1f ms   read %8.1f ms   write/store_xml ratio %.2f\n",
                text_write * 1e3, text_read * 1e3, text_write / save);
    return 0;
}
