#include "cli/run_output.h"

#include <algorithm>
#include <array>

#include "display/mrdisplay_rows.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"

namespace mondrel {

namespace {

// Length of the UTF-8 sequence that starts at p, or 0 when the bytes there are not one.
size_t utf8_sequence(std::string_view s, size_t p) {
    const auto b = static_cast<unsigned char>(s[p]);
    size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || p + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[p + k]) & 0xC0) != 0x80) return 0;
    if (n == 2 && b < 0xC2) return 0; // overlong
    return n;
}

// Characters shown, for column alignment: code points, not bytes.
size_t display_width(const std::string& s) {
    size_t w = 0;
    for (unsigned char c : s)
        w += (c & 0xC0) != 0x80;
    return w;
}

std::string boxes_text(const table_list_item& row) {
    std::string s;
    for (const index_box& b : row.boxes) {
        std::string t = box_text(b);
        const size_t width = static_cast<size_t>(std::max(b.width, 1));
        if (t.size() < width) t.insert(0, width - t.size(), ' ');
        s += "[" + t + "]";
    }
    return s;
}

// The cells of one row in column order: line, word, code, name, data, then values (or the
// error text). A full-width row has no cells after the code.
std::vector<std::string> row_cells(const mrdisplay_rows& rows, const table_list_item& row) {
    const bool cont = row.has_flag(row_continuation);
    std::vector<std::string> cells{
        row.line_text, cont ? std::string() : word_column_text(code_word_from_text(row.word)),
        std::string(rows.code(row))};
    if (row.has_flag(row_full_width)) return cells;
    cells.emplace_back(rows.name(row));
    cells.push_back(boxes_text(row));
    if (row.has_flag(row_error)) {
        cells.emplace_back(rows.error_text(row));
    } else {
        for (int k = 0; k < rows.cell_count(row); ++k)
            cells.push_back(rows.cell(row, k).text);
    }
    return cells;
}

// The cells as they may be printed: every one escaped, so names from the disk and values
// cannot reach the terminal raw or split a row.
std::vector<std::string> printable_cells(const mrdisplay_rows& rows, const table_list_item& row) {
    std::vector<std::string> cells = row_cells(rows, row);
    for (std::string& c : cells)
        c = escape_controls(c);
    return cells;
}

constexpr char hex_digits[] = "0123456789abcdef";

void append_hex_escape(std::string& out, unsigned char c) {
    out += "\\x";
    out += hex_digits[c >> 4];
    out += hex_digits[c & 15];
}

void append_u_escape(std::string& out, uint32_t c) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += hex_digits[(c >> shift) & 15];
}

// The code point of a valid sequence of n bytes at p.
uint32_t code_point(std::string_view s, size_t p, size_t n) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[p + k]); };
    switch (n) {
    case 2:
        return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    case 3:
        return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    case 4:
        return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
    default:
        return b(0);
    }
}

// C1 controls (a terminal may take U+009B as the start of a control sequence) and the marks
// that reorder the text shown after them.
bool is_invisible_control(uint32_t c) {
    return (c >= 0x80 && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// Writes out what has gathered once it is a megabyte, so that a long sheet's output is never
// held whole.
void write_piece(std::ostream& out, std::string& gathered) {
    if (gathered.size() < (size_t{1} << 20)) return;
    out << gathered;
    gathered.clear();
}

} // namespace

std::string json_string(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (size_t p = 0; p < text.size();) {
        const auto c = static_cast<unsigned char>(text[p]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++p;
        } else if (c < 0x20) {
            static constexpr char hex[] = "0123456789abcdef";
            switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
                break;
            }
            ++p;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++p;
        } else if (const size_t n = utf8_sequence(text, p); n > 0) {
            out.append(text, p, n);
            p += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++p;
        }
    }
    out += '"';
    return out;
}

namespace {

// True when the character at p is written as an escape (which begins with a backslash).
bool is_escaped_at(std::string_view text, size_t p) {
    const auto c = static_cast<unsigned char>(text[p]);
    if (c < 0x20 || c == 0x7F) return true;
    if (c < 0x80) return false;
    const size_t n = utf8_sequence(text, p);
    return n == 0 || is_invisible_control(code_point(text, p, n));
}

// A backslash is doubled only where it could be read as the start of an escape: before x, u,
// t, n or r, before another backslash and before an escape. Elsewhere (comment markup such as
// \b) it stays single, and the text still reads back one way only.
bool backslash_needs_doubling(std::string_view text, size_t p) {
    if (p + 1 >= text.size()) return false;
    const char next = text[p + 1];
    return next == 'x' || next == 'u' || next == 't' || next == 'n' || next == 'r' ||
           next == '\\' || is_escaped_at(text, p + 1);
}

} // namespace

std::string escape_controls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t p = 0; p < text.size();) {
        const auto c = static_cast<unsigned char>(text[p]);
        if (c == '\\') {
            out += backslash_needs_doubling(text, p) ? "\\\\" : "\\";
            ++p;
            continue;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            ++p;
            continue;
        }
        switch (c) {
        case '\t':
            out += "\\t";
            ++p;
            continue;
        case '\n':
            out += "\\n";
            ++p;
            continue;
        case '\r':
            out += "\\r";
            ++p;
            continue;
        default:
            break;
        }
        if (c < 0x80) { // the other C0 controls and DEL
            append_hex_escape(out, c);
            ++p;
            continue;
        }
        const size_t n = utf8_sequence(text, p);
        if (n == 0) {
            append_hex_escape(out, c);
            ++p;
        } else if (const uint32_t cp = code_point(text, p, n); is_invisible_control(cp)) {
            append_u_escape(out, cp);
            p += n;
        } else {
            out.append(text, p, n);
            p += n;
        }
    }
    return out;
}

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// Two passes over the rows, each making one row's cells at a time: the first finds the
// column widths, the second writes. Holding every cell of a long sheet at once would cost
// more than the rows themselves.
void write_text(std::ostream& out, const sheet_report& report) {
    if (!report.rows) return;
    const std::vector<table_list_item>& rows = report.rows->rows();
    // Column widths over the rows that have the column. A full-width code and an error text
    // run to the end of their line, so they widen nothing.
    std::vector<size_t> width;
    for (const table_list_item& row : rows) {
        const std::vector<std::string> cells = printable_cells(*report.rows, row);
        const bool spans = row.has_flag(row_error);
        const size_t aligned = cells.size() == 3 ? 2 : cells.size() - (spans ? 1 : 0);
        if (width.size() < aligned) width.resize(aligned, 0);
        for (size_t c = 0; c < aligned; ++c)
            width[c] = std::max(width[c], display_width(cells[c]));
    }
    std::string text;
    for (const table_list_item& row : rows) {
        const std::vector<std::string> cells = printable_cells(*report.rows, row);
        std::string line;
        for (size_t c = 0; c < cells.size(); ++c) {
            const size_t pad =
                c < width.size() ? width[c] - std::min(width[c], display_width(cells[c])) : 0;
            if (c > 0) line += "  ";
            if (c == 1) line.append(pad, ' '); // the word column is right-aligned
            line += cells[c];
            if (c != 1 && c + 1 < cells.size()) line.append(pad, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line;
        text += '\n';
        write_piece(out, text);
    }
    out << text;
}

void write_csv_header(std::ostream& out, int value_columns) {
    std::string h = "line,word,code,name,data";
    for (int k = 0; k < value_columns; ++k)
        h += ",[" + std::to_string(k) + "]";
    out << h << "\r\n";
}

void write_csv(std::ostream& out, const sheet_report& report, int value_columns) {
    if (!report.rows) return;
    std::string text;
    for (const table_list_item& row : report.rows->rows()) {
        std::vector<std::string> cells = printable_cells(*report.rows, row);
        // Every record has the header's fields.
        cells.resize(std::max(cells.size(), static_cast<size_t>(5 + value_columns)));
        for (size_t c = 0; c < cells.size(); ++c) {
            if (c > 0) text += ',';
            text += csv_field(cells[c]);
        }
        text += "\r\n";
        write_piece(out, text);
    }
    out << text;
}

void write_json(std::ostream& out, const sheet_report& report) {
    std::string j = "{\"file\": " + json_string(report.file);
    if (!report.loaded || !report.doc || !report.all_lines) {
        j += ", \"loaded\": false, \"error\": " + json_string(report.error) + "}";
        out << j;
        return;
    }
    j += ", \"loaded\": true, \"lines\": [";
    const mondrel_doc& doc = *report.doc;
    const auto& lines = report.all_lines->lines();
    const auto& rows = report.all_lines->rows();
    size_t r = 0;
    for (int i = 0; i < doc.line_count(); ++i) {
        const source_list_item& src = doc.line(i);
        while (r < rows.size() && rows[r].line < i)
            ++r;
        const std::string number = r < rows.size() && rows[r].line == i ? rows[r].full_number : "";
        j += i == 0 ? "\n" : ",\n";
        j += " {\"index\": " + std::to_string(i) + ", \"number\": " + json_string(number);
        j += ", \"word\": " + json_string(std::string(code_word_text(src.code_word)));
        j += ", \"code\": " + json_string(src.code) + ", \"name\": " + json_string(src.name);
        j += ", \"status\": " + std::to_string(src.status);
        j += ", \"error\": " + json_string(src.error_text) + ", \"values\": [";
        const auto& values =
            i < static_cast<int>(lines.size()) ? lines[i].values : std::vector<data_list_item>{};
        for (size_t k = 0; k < values.size(); ++k)
            j += (k ? ", " : "") + json_string(values[k].text);
        j += "], \"indexes\": [";
        for (size_t k = 0; k < values.size(); ++k) {
            j += k ? ", [" : "[";
            if (k < src.results.indexes.size()) {
                const si_array& path = src.results.indexes[k];
                for (size_t p = 0; p < path.size(); ++p)
                    j += (p ? ", " : "") + std::to_string(path[p]);
            }
            j += "]";
        }
        j += "]}";
        write_piece(out, j);
    }
    j += "],\n \"globals\": {";
    for (size_t g = 0; g < report.globals.size(); ++g) {
        j += g ? ", " : "";
        j += json_string(report.globals[g].first) + ": " + json_string(report.globals[g].second);
    }
    j += "}}";
    out << j;
}

} // namespace mondrel
