#pragma once
// Run-time format results: what the FMT lines of a run produced. Each names a line, a value
// index and a format; the display lays them over the stored values every time it rebuilds its
// rows, because every reset-mode fetch puts the line's own format back.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/prop_stuff.h"

namespace mondrel {

class mondrel_doc;

struct fmt_res_item {
    std::string name;  // the target line's name, compared exactly
    int32_t index = 0; // the value index on that line
    std::string text;  // the format text as the script produced it
    prop_list format;  // parsed from text; the lines' value formats point at it
};

// In creation order. Items are held by pointer so the value formats that point at their format
// sets stay valid while the list grows; the list is emptied only when a fresh run is prepared.
using fmt_result_list = std::vector<std::unique_ptr<fmt_res_item>>;

// Makes an item and parses its format text.
std::unique_ptr<fmt_res_item> make_fmt_res_item(std::string name, int32_t index, std::string text);

// For each item in list order: the first line in document order whose name equals the item's
// name gets, at the item's index, the item's format as its value format, when that index is
// below the line's capacity (and not negative). Other lines and indexes are left alone.
void apply_fmt_results(mondrel_doc& doc, const fmt_result_list& results);

} // namespace mondrel
