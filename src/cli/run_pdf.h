#pragma once
// mondrel-run --pdf: the sheet after its run printed into a PDF file as the window's
// File Print would print it, without a display (Qt's offscreen platform). The margins and
// print formats come from the user's settings; a build without Qt reports that the option
// is not available.

#include <ostream>
#include <string>

#include "execution/results.h"

namespace mondrel {

class mondrel_doc;

struct pdf_options {
    std::string file;         // the PDF to write
    bool source_view = false; // --print-view source
    bool line_numbers = false;
    bool data_only = false;
    bool open_all = false;
};

// Prints and writes the PDF; false, with the reason on `err`, when it cannot.
bool write_sheet_pdf(mondrel_doc& doc, const fmt_result_list* fmt_results,
                     const std::string& sheet_name, const pdf_options& opt, std::ostream& err);

} // namespace mondrel
