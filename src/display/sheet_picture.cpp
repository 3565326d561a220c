#include "display/sheet_picture.h"

#include <cmath>

#include "display/mrdisplay_rows.h"
#include "display/row_painter.h"

namespace mondrel {

long sheet_picture_height(const mrdisplay_rows& rows) {
    long height = header_row_height;
    for (int r = 1; r <= rows.grid_row_count(); ++r)
        height += std::max(rows.row_height(r), 0);
    return height;
}

void paint_sheet(row_painter& painter, const mrdisplay_rows& rows, canvas& target) {
    int top = 0;
    for (int r = 0; r <= rows.grid_row_count(); ++r) {
        const int height = rows.row_height(r);
        if (height <= 0) continue;
        for (int c = 0; c < rows.column_count(); ++c) {
            const rect from = painter.col_rect(c, height);
            if (from.width() <= 0) continue;
            painter.draw_cell(target, c, r, {from.left, top, from.right, top + height}, false);
        }
        top += height;
    }
}

std::vector<int> scaled_widths(const std::vector<int>& widths, int total) {
    long sum = 0;
    int last = -1;
    for (size_t c = 0; c < widths.size(); ++c)
        if (widths[c] > 0) {
            sum += widths[c];
            last = static_cast<int>(c);
        }
    if (sum == 0 || total <= 0) return widths;
    std::vector<int> out(widths.size(), 0);
    long given = 0;
    for (size_t c = 0; c < widths.size(); ++c) {
        if (widths[c] <= 0) continue;
        out[c] = std::max(1, static_cast<int>(std::lround(double(widths[c]) * total / sum)));
        given += out[c];
    }
    out[last] = std::max(1L, out[last] + (total - given));
    return out;
}

} // namespace mondrel
