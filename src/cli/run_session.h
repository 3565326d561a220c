#pragma once
// The work of mondrel-run after its arguments are read: load each sheet, run it as the
// window's Go command does (following `cmd run` chains), build its rows and print them.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/sheet_limits.h"

namespace mondrel {

enum class output_format { text, csv, json };

struct run_options {
    output_format format = output_format::text;
    std::vector<std::pair<std::string, std::string>> defines; // global name, value text
    std::chrono::milliseconds timeout{0};                     // 0: none
    int32_t max_loop_count = 0;                               // 0: the default
    int64_t max_lines = default_max_sheet_lines;              // a sheet with more is not loaded
    bool check = false;
    bool open_all = false;
    bool help = false;
    std::string save;
    std::string image;   // --image: the PNG of the first sheet after its run
    int image_width = 0; // --image-width: total width the columns are scaled to
    std::string pdf;     // --pdf: the first sheet after its run, printed into a PDF file
    bool print_source_view = false; // --print-view source (the data view otherwise)
    bool print_line_numbers = false;
    bool print_data_only = false;
    std::vector<std::string> files;
    std::string page; // --page: a built-in page instead of FILEs, run when it is an example
};

// Runs every file and writes the results to `out`, diagnostics to `err`. Returns the exit
// status: 0 sound, 1 some line has an error (or a run was stopped by the timeout), 2 a file
// could not be loaded or saved (too many lines, or not enough memory, among the reasons), or a
// --define name is not a valid name. Memory running out while a sheet loads or its rows are
// built fails that sheet alone; anywhere else it ends the call with status 2.
int run_files(const run_options& opt, std::ostream& out, std::ostream& err);

} // namespace mondrel
