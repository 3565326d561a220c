#include "display/row_speech.h"

#include <algorithm>

#include "display/markup.h"
#include "display/mrdisplay_rows.h"
#include "document/code_words.h"

namespace mondrel {

namespace {

// The boxes of a row as "[2][0]"; a blank box (the same index as the row above) is spoken
// with the index it stands for, since a listener does not see the row above.
std::string boxes_speech(const mrdisplay_rows& rows, const table_list_item& row) {
    std::string out;
    const data_list_item* first = rows.cell_count(row) > 0 ? &rows.cell(row, 0) : nullptr;
    for (size_t k = 0; k < row.boxes.size(); ++k) {
        std::string t = box_text(row.boxes[k]);
        if (row.boxes[k].value == box_blank && first && k < first->indexes.size())
            t = std::to_string(first->indexes[k].index);
        out += "[" + t + "]";
    }
    return out;
}

// The states a sighted user reads off the row's marks.
std::string state_speech(const mrdisplay_rows& rows, const table_list_item& row) {
    std::string out;
    const display_list_item& line = rows.lines()[row.line];
    if (!row.has_flag(row_continuation) && line.count > 1)
        out += line.has_flag(dl_open) ? ", open" : ", closed";
    if (row.has_flag(row_breakpoint)) out += ", breakpoint";
    if (row.has_flag(row_current)) out += ", paused here";
    return out;
}

} // namespace

std::string row_speech(const mrdisplay_rows& rows, int grid_row) {
    if (grid_row < 1 || grid_row > rows.grid_row_count()) return {};
    const table_list_item& row = rows.rows()[grid_row - 1];
    const bool continued = row.has_flag(row_continuation);
    std::string number = row.full_number;
    if (continued) {
        const int first = rows.first_row_of_line(row.line);
        if (first >= 1) number = rows.rows()[first - 1].full_number;
    }
    std::string out = "Line " + number;
    const std::string name = markup_plain_text(rows.name(row));
    if (!name.empty()) out += ", " + name;
    if (continued) out += ", continued";
    out += state_speech(rows, row);

    std::string body;
    const int32_t word = rows.lines()[row.line].code_word;
    if (!continued && word != cw_expression && word != cw_rem) body = word_column_text(word);
    // Only full-width codes are drawn with their markup; other codes show as typed.
    const std::string code = row.has_flag(row_full_width) ? markup_plain_text(rows.code(row))
                                                          : std::string(rows.code(row));
    if (!code.empty()) body += (body.empty() ? "" : " ") + code;
    if (row.has_flag(row_error)) {
        body += (body.empty() ? "" : ", ") + std::string("error: ") +
                markup_plain_text(rows.error_text(row));
    } else if (const int cells = rows.cell_count(row); cells > 0) {
        std::string values = boxes_speech(rows, row);
        for (int k = 0; k < cells; ++k)
            values += (k > 0 ? ", " : (values.empty() ? "" : " ")) +
                      markup_plain_text(rows.cell(row, k).text);
        // A continuation row has only values: they follow the line they belong to.
        body += continued ? values : (body.empty() ? "= " : " = ") + values;
    }
    if (body.empty() && !continued) body = "blank";
    if (!body.empty()) out += ": " + body;
    return out;
}

std::string selection_speech(const mrdisplay_rows& rows, int first, int last) {
    const int count = rows.grid_row_count();
    if (count == 0) return "No lines";
    first = std::clamp(first, 1, count);
    last = std::clamp(last, first, count);
    std::string out = row_speech(rows, first);
    if (last > first) out += " (" + std::to_string(last - first + 1) + " rows selected)";
    return out;
}

} // namespace mondrel
