#pragma once
// The grid's rows as sentences, for screen readers: what a row shows (outline number, name,
// code word, code, index boxes and values, or the error) read from the display's rows, so a
// listener hears exactly what the grid paints. Markup in the texts is dropped.
//
//   "Line 3, x: 12.5 * 2 = 25"      "Line 2, LET s = s + i, breakpoint"
//   "Line 4.1, closed: IF a > 1"    "Line 5, continued: [2] 7"

#include <string>

namespace mondrel {

class mrdisplay_rows;

// The sentence of grid row `grid_row` (1-based); "" for a row that does not exist.
std::string row_speech(const mrdisplay_rows& rows, int grid_row);

// What the grid says of its selection: the first selected row's sentence, and how many rows
// are selected when there is more than one. "No lines" for a sheet without rows.
std::string selection_speech(const mrdisplay_rows& rows, int first, int last);

} // namespace mondrel
