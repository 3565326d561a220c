#pragma once
// The whole sheet as one picture: the header and every row the grid shows, one under the
// other, painted cell by cell through the grid's own cell drawing. The headless runner writes
// it to a file; the same walk serves any canvas.

#include <string>
#include <vector>

#include "platform/canvas.h"

namespace mondrel {

class row_painter;
class mrdisplay_rows;

// The height of the picture of every row: the header and each row's height.
long sheet_picture_height(const mrdisplay_rows& rows);

// Paints the header and every row onto `target` from its top left (nothing selected).
void paint_sheet(row_painter& painter, const mrdisplay_rows& rows, canvas& target);

// Column widths scaled so that they add up to `total` (widths of 0 or less stay 0); the
// rounding goes to the last column with a width. Unchanged when no column has a width.
std::vector<int> scaled_widths(const std::vector<int>& widths, int total);

} // namespace mondrel
