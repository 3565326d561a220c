// Opening built-in pages: the page builder (load_res) of the largest stored page and of the
// generated help outline, alone and followed by load_xml from its text, against load_xml of
// the same text from a file in the same run.
//
// Prints the first load of each, the best of several runs, and the ratio page / file (targets:
// load_res under 5 ms; page load <= 1.5x file load).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

#include "document/codesheet_file.h"
#include "document/mondrel_doc.h"
#include "pages/xml_ifile.h"

namespace {

using namespace mondrel;
using clock_type = std::chrono::steady_clock;

double best_ms(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = clock_type::now();
        work();
        const std::chrono::duration<double, std::milli> took = clock_type::now() - t0;
        best = std::min(best, took.count());
    }
    return best;
}

void measure(const std::string& name) {
    // The first load of a page in the process: the outline parses the pages it follows then,
    // and keeps their links for later loads.
    const auto first_start = clock_type::now();
    const std::string text = Txml_ifile().load_res(name, true);
    const std::chrono::duration<double, std::milli> first = clock_type::now() - first_start;
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("mondrel_bench_page_" + std::to_string(::getpid()) + ".mdr");
    std::ofstream(file, std::ios::binary) << text;

    const int runs = 50;
    const double res = best_ms(runs, [&] {
        const std::string t = Txml_ifile().load_res(name, true);
        if (t.empty()) std::abort();
    });
    const double page = best_ms(runs, [&] {
        mondrel_doc doc;
        if (!load_xml(doc, Txml_ifile().load_res(name, true), false, read_replace, 0)) std::abort();
    });
    const double from_file = best_ms(runs, [&] {
        mondrel_doc doc;
        if (!load_xml(doc, file.string(), true, read_replace, 0)) std::abort();
    });
    std::filesystem::remove(file);
    mondrel_doc doc;
    load_xml(doc, text, false, read_replace, 0);
    std::printf("%-24s %5d lines  first load_res %.3f ms  load_res %.3f ms  page load %.3f ms  "
                "file load %.3f ms  ratio %.2f\n",
                name.c_str(), doc.line_count(), first.count(), res, page, from_file,
                page / from_file);
}

} // namespace

int main() {
    std::string largest;
    int most = -1;
    for (const page_entry& e : page_index())
        if (e.last - e.first > most) {
            most = e.last - e.first;
            largest = e.name;
        }
    measure(largest);
    measure("Help_outline");
    return 0;
}
