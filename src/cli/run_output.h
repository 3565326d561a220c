#pragma once
// What mondrel-run prints for each sheet: the grid's rows as aligned text or as CSV, or every
// line with its values as JSON. The writers only read; the runner has loaded, run and built the
// rows before.

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mondrel {

class mondrel_doc;
class mrdisplay_rows;

// One sheet's outcome as the writers see it.
struct sheet_report {
    std::string file;
    bool loaded = false;
    std::string error; // why the sheet could not be loaded
    const mondrel_doc* doc = nullptr;
    // Rows as the grid would show them (closed lines closed unless every line was opened).
    const mrdisplay_rows* rows = nullptr;
    // Every line opened: the values and outline numbers of every line for the JSON form.
    const mrdisplay_rows* all_lines = nullptr;
    std::vector<std::pair<std::string, std::string>> globals; // name, value text
};

// Aligned columns: line number text, code word, code, name, index boxes, values; an error row
// shows its error text in place of values, a full-width row its code to the end of the line.
void write_text(std::ostream& out, const sheet_report& report);

// The same rows as RFC 4180 CSV (CR LF line ends) under one header with `value_columns` value
// columns; every record is padded to the header's fields.
void write_csv_header(std::ostream& out, int value_columns);
void write_csv(std::ostream& out, const sheet_report& report, int value_columns);

// One JSON object for the sheet (see the runner's usage text for its fields).
void write_json(std::ostream& out, const sheet_report& report);

// A JSON string literal for UTF-8 text; bytes that are not UTF-8 become U+FFFD.
std::string json_string(const std::string& text);

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string csv_field(const std::string& text);

// Text for a terminal: nothing in it can move the cursor, change colours or break a row. Tab,
// LF and CR become \t, \n and \r; every other control character (C0, DEL) and every byte that
// is not UTF-8 becomes \x and two hex digits (ESC is \x1b); C1 controls and the bidirectional
// overrides become \u and four hex digits (\u009b). A backslash is doubled where it could be
// taken for the start of an escape (before x, u, t, n, r, a backslash or an escape) and stays
// single elsewhere, so "\bTotals\b" and "C:\data" print as they are. The text and CSV forms
// pass every cell, file name and message through it; JSON has escapes of its own.
std::string escape_controls(std::string_view text);

} // namespace mondrel
