#pragma once
// mondrel-run --image: the sheet after its run painted the way the grid shows it (header and
// every visible row) into one PNG file. Works without a display through Qt's offscreen
// platform; a build without Qt reports that the option is not available.

#include <ostream>
#include <string>

#include "execution/results.h"

namespace mondrel {

class mondrel_doc;

struct image_options {
    std::string file; // the PNG to write
    int width = 0;    // total width the columns are scaled to; 0 keeps the sheet's widths
    bool open_all = false;
};

// Largest side of the image written, in pixels.
inline constexpr int max_image_side = 32767;

// Paints and writes the image; false, with the reason on `err`, when it cannot.
bool write_sheet_image(mondrel_doc& doc, const fmt_result_list* fmt_results,
                       const std::string& sheet_folder, const image_options& opt,
                       std::ostream& err);

} // namespace mondrel
