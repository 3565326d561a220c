// mondrel-run: runs codesheets without a window and prints what the grid would show.
//
// Only results go to standard output; diagnostics (the loaders' log lines, timings, usage)
// go to standard error. Exit status: 0 every sheet loaded and no line has an error, 1 some
// line has an error (or a run was cut short by --timeout), 2 a file could not be loaded or
// written, or the arguments are wrong.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/run_output.h"
#include "cli/run_session.h"
#include "mondrel_version.h"
#include "pages/xml_ifile.h"

namespace {

constexpr const char* usage_text =
    R"(usage: mondrel-run [--format text|csv|json] [--define NAME=VALUE]... [--timeout SECONDS]
                   [--max-loop-count N] [--max-lines N] [--check] [--save OUT] [--open-all]
                   [--image OUT.png [--image-width N]]
                   [--pdf OUT.pdf [--print-view source|data] [--print-line-numbers]
                   [--print-data-only]] FILE...
       mondrel-run [options] --page NAME
       mondrel-run --list-pages
       mondrel-run --help | --version

Loads each FILE (".mdr" is a codesheet, any other extension line text), runs it as the
window's Go command does, and prints it.
  --format text   the rows the grid shows, aligned (default)
  --format csv    the same rows as CSV with a header row
  --format json   every line with its values; one object per FILE (an array for several)
  --define N=V    a global variable N with the value V (a number when V reads as one)
  --timeout S     stop after S seconds (0.001 to 1000000): the run of each FILE with the
                  include files it loads and the sheets it hands over to; the line running
                  then gets the error. Without it one script call may run 10 seconds.
  --max-loop-count N   passes after which a WHILE or FOR loop ends (default 1000)
  --max-lines N   refuse a sheet of more than N lines (default 4000000)
  --check         translate only: print each line with a syntax error, exit 1 when any
  --save OUT      after the run write the sheet to OUT (".mdr" codesheet, else line text)
  --open-all      show the children of closed lines too
  --image OUT.png after the run paint the sheet as the grid shows it (header and every
                  visible row) into a PNG file
  --image-width N scale the column widths of the image to a total of N pixels
  --pdf OUT.pdf   after the run print the sheet into a PDF file as File Print does, with
                  the margins and print formats of the settings
  --print-view V  what --pdf prints: "data" the grid's columns and values (default),
                  "source" the outline labels and code of every line
  --print-line-numbers   --pdf prints the line numbers
  --print-data-only      --pdf prints the data columns only (data view)
  --page NAME     instead of FILEs, a built-in page: an example (Example_...) is opened
                  as a sheet of one's own and run, any other page is printed as it is;
                  with --save OUT.mdr it is written out to start from
  --list-pages    list the built-in pages: name, a tab and the title
  -h, --help      show this text and exit
  --version       show the version and exit
Exit status: 0 no line has an error, 1 some line has an error, 2 a file could not be loaded
or the arguments are wrong.
)";

int usage_error(const std::string& message) {
    std::cerr << "mondrel-run: " << message << "\n" << usage_text;
    return 2;
}

bool list_pages = false;
bool show_version = false;
bool print_option = false; // a --print-... option was given

// The four generated pages, then the stored ones in index order.
void print_page_list() {
    for (const char* name : {"Welcome", "About", "Help_index", "Help_outline"})
        std::cout << name << "\t\n";
    for (const mondrel::page_entry& e : mondrel::page_index())
        std::cout << e.name << "\t" << e.title << "\n";
}

// Reads the arguments into `opt`; an empty result means they were sound.
std::string parse_arguments(int argc, char** argv, mondrel::run_options& opt) {
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        auto value = [&](std::string& out) {
            if (a + 1 >= argc) return false;
            out = argv[++a];
            return true;
        };
        std::string v;
        if (arg == "--format") {
            if (!value(v)) return "--format needs a value";
            if (v == "text")
                opt.format = mondrel::output_format::text;
            else if (v == "csv")
                opt.format = mondrel::output_format::csv;
            else if (v == "json")
                opt.format = mondrel::output_format::json;
            else
                return "unknown format: " + v;
        } else if (arg == "--define") {
            if (!value(v)) return "--define needs NAME=VALUE";
            const size_t eq = v.find('=');
            if (eq == std::string::npos || eq == 0) return "--define needs NAME=VALUE: " + v;
            opt.defines.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (arg == "--timeout") {
            if (!value(v)) return "--timeout needs a number of seconds";
            // A limit below a millisecond would round to none at all: it is refused, as are
            // 0, negative numbers, NaN and text.
            char* end = nullptr;
            const double s = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end != '\0' || !(s >= 0.001) || !(s <= 1e6))
                return "--timeout needs a number of seconds from 0.001 to 1000000: " + v;
            opt.timeout = std::chrono::milliseconds(static_cast<int64_t>(s * 1000 + 0.5));
        } else if (arg == "--max-loop-count") {
            if (!value(v)) return "--max-loop-count needs a number";
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (end == v.c_str() || *end != '\0' || n < 1 || n > 2147483647L)
                return "--max-loop-count needs a whole number from 1: " + v;
            opt.max_loop_count = static_cast<int32_t>(n);
        } else if (arg == "--max-lines") {
            if (!value(v)) return "--max-lines needs a number";
            char* end = nullptr;
            const long long n = std::strtoll(v.c_str(), &end, 10);
            if (end == v.c_str() || *end != '\0' || n < 1 || n > 2147483647LL)
                return "--max-lines needs a whole number from 1: " + v;
            opt.max_lines = n;
        } else if (arg == "--check") {
            opt.check = true;
        } else if (arg == "--save") {
            if (!value(v) || v.empty()) return "--save needs a file name";
            opt.save = v;
        } else if (arg == "--image") {
            if (!value(v) || v.empty()) return "--image needs a file name";
            opt.image = v;
        } else if (arg == "--image-width") {
            if (!value(v)) return "--image-width needs a number of pixels";
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (end == v.c_str() || *end != '\0' || n < 16 || n > 32767)
                return "--image-width needs a whole number of pixels from 16 to 32767: " + v;
            opt.image_width = static_cast<int>(n);
        } else if (arg == "--pdf") {
            if (!value(v) || v.empty()) return "--pdf needs a file name";
            opt.pdf = v;
        } else if (arg == "--print-view") {
            if (!value(v) || (v != "source" && v != "data"))
                return "--print-view needs source or data";
            opt.print_source_view = v == "source";
            print_option = true;
        } else if (arg == "--print-line-numbers") {
            opt.print_line_numbers = true;
            print_option = true;
        } else if (arg == "--print-data-only") {
            opt.print_data_only = true;
            print_option = true;
        } else if (arg == "--page") {
            if (!value(v) || v.empty()) return "--page needs a page name";
            opt.page = v;
        } else if (arg == "--list-pages") {
            list_pages = true;
        } else if (arg == "--open-all") {
            opt.open_all = true;
        } else if (arg == "--help" || arg == "-h") {
            opt.help = true;
        } else if (arg == "--version") {
            show_version = true;
        } else if (arg == "--") {
            for (++a; a < argc; ++a)
                opt.files.emplace_back(argv[a]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option: " + arg;
        } else {
            opt.files.push_back(arg);
        }
    }
    if (opt.help || show_version || list_pages) return "";
    if (!opt.page.empty() && !opt.files.empty()) return "--page takes no FILE";
    const size_t sheets = opt.page.empty() ? opt.files.size() : 1;
    if (sheets == 0) return "no FILE given";
    if (!opt.save.empty() && sheets != 1) return "--save takes exactly one FILE";
    if (!opt.image.empty() && sheets != 1) return "--image takes exactly one FILE";
    if (opt.image_width != 0 && opt.image.empty()) return "--image-width needs --image";
    if (!opt.pdf.empty() && sheets != 1) return "--pdf takes exactly one FILE";
    if (print_option && opt.pdf.empty()) return "--print-view and --print-... need --pdf";
    return "";
}

} // namespace

int main(int argc, char** argv) {
    mondrel::run_options opt;
    if (const std::string problem = parse_arguments(argc, argv, opt); !problem.empty())
        return usage_error(problem);
    if (opt.help) {
        std::cout << usage_text;
        return 0;
    }
    if (show_version) {
        std::cout << "mondrel-run " MONDREL_VERSION "\n";
        return 0;
    }
    if (list_pages) {
        print_page_list();
        return 0;
    }
    std::ios::sync_with_stdio(false);
    // Memory that runs out where run_files does not expect it still ends the program with a
    // message and the status of a sheet that could not be loaded, never with an abort.
    try {
        return mondrel::run_files(opt, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << "mondrel-run: not enough memory\n";
        return 2;
    }
}
