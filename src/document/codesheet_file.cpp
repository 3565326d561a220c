#include "document/codesheet_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include <pugixml.hpp>

#include "display/prop_stuff.h"
#include "document/file_io.h"
#include "document/line_block.h"
#include "document/line_text.h"
#include "document/mondrel_doc.h"
#include "execution/incl_dir_cmd.h"
#include "platform/diagnostic_log.h"

namespace mondrel {

namespace {

constexpr std::string_view load_where = "mondrel_doc.load_xml";
constexpr std::string_view store_where = "mondrel_doc.store_xml";

// Settings a file may hold that the grid cannot use are brought into range.
constexpr int max_row_height = 1000;
constexpr int max_col_width = 10000;

// A reason to give up a load; caught in load_xml and logged.
struct load_failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool named(pugi::xml_node node, const char* name) {
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

// The settings read from `properties` and `display`; each is applied only when present.
struct sheet_header {
    std::optional<std::string> created_by, description;
    std::optional<bool> auto_running;
    bool has_display = false;
    int data_cols = default_data_cols;
    int row_height = default_row_height;
    std::vector<int> widths;
    std::array<std::optional<std::string>, sheet_format_count> formats;
};

class xml_reader {
public:
    explicit xml_reader(mondrel_doc& doc) : doc_(doc) {}

    // header -> properties? display?
    sheet_header read_header(pugi::xml_node root) {
        sheet_header h;
        if (pugi::xml_node props = root.child("properties")) {
            if (pugi::xml_node n = props.child("created_by")) h.created_by = text_of(n);
            if (pugi::xml_node n = props.child("description")) h.description = text_of(n);
            if (pugi::xml_node n = props.child("auto_running")) {
                std::string on = n.child_value();
                std::transform(on.begin(), on.end(), on.begin(),
                               [](unsigned char c) { return char(std::tolower(c)); });
                h.auto_running = on == "on";
            }
        }
        if (pugi::xml_node display = root.child("display")) read_display(display, h);
        return h;
    }

    // lines -> { line } ; other children of the root are skipped.
    line_block read_lines(pugi::xml_node root) {
        // Every line's name is known before any line is translated, so a loop line read
        // before a line named temp_N does not take that name for its own temporaries.
        for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling())
            if (named(n, "line")) doc_.reserve_temp_name(n.child("name").child_value());
        line_block block;
        for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling())
            if (named(n, "line")) block.push_back(read_line(n));
        return block;
    }

    int utf8_repairs() const { return utf8_repairs_; }

private:
    // display -> [data_cols] [row_height] { col_width_<i> } { format_<k> }
    void read_display(pugi::xml_node display, sheet_header& h) {
        h.has_display = true;
        h.data_cols = doc_.data_cols();
        h.row_height = doc_.row_height();
        int32_t v = 0;
        if (read_strict_integer(display.attribute("data_cols").value(), v)) h.data_cols = v;
        if (read_strict_integer(display.attribute("row_height").value(), v)) h.row_height = v;
        h.data_cols = std::clamp(h.data_cols, min_data_cols, max_data_cols);
        h.row_height = std::clamp(h.row_height, 1, max_row_height);
        h.widths.resize(h.data_cols + 5);
        for (int i = 0; i < h.data_cols + 5; ++i) {
            h.widths[i] = default_width(i);
            const std::string tag = "col_width_" + std::to_string(i);
            if (pugi::xml_node n = display.child(tag.c_str());
                n && read_strict_integer(n.child_value(), v))
                h.widths[i] = std::clamp(v, 0, max_col_width);
        }
        for (int k = 0; k < sheet_format_count; ++k) {
            const std::string tag = "format_" + std::to_string(k);
            if (pugi::xml_node n = display.child(tag.c_str())) h.formats[k] = text_of(n);
        }
    }

    // line -> [open] [type] [indent] [readonly] count code name format
    line_ptr read_line(pugi::xml_node node) {
        bool open = false, readonly = false;
        int32_t word = cw_expression, indent = 0, count = 0;
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            if (std::strcmp(name, "open") == 0)
                open = std::strcmp(a.value(), "true") == 0;
            else if (std::strcmp(name, "readonly") == 0)
                readonly = std::strcmp(a.value(), "true") == 0;
            else if (std::strcmp(name, "type") == 0)
                word = code_word_from_text(a.value());
            else if (std::strcmp(name, "indent") == 0)
                indent = read_loose_integer(a.value());
        }
        if (indent > static_cast<int32_t>(max_field_chars))
            throw load_failure("a line's indent of " + std::to_string(indent) +
                               " is beyond the limit of " + std::to_string(max_field_chars));
        std::string code, name, format;
        for (pugi::xml_node n = node.first_child(); n; n = n.next_sibling()) {
            if (n.type() != pugi::node_element) continue;
            const char* tag = n.name();
            if (std::strcmp(tag, "count") == 0)
                count = read_loose_integer(n.child_value());
            else if (std::strcmp(tag, "code") == 0)
                code = text_of(n);
            else if (std::strcmp(tag, "name") == 0)
                name = text_of(n);
            else if (std::strcmp(tag, "format") == 0)
                format = text_of(n);
        }
        if (indent > 0) code.insert(0, static_cast<std::size_t>(indent), ' ');
        line_ptr line = make_line(doc_, count, word, std::move(name), std::move(code));
        line->format = format_from_text(format);
        if (open) line->flags |= flag_open;
        if (readonly) line->flags |= flag_readonly;
        return line;
    }

    // An element's text: its first text or CDATA child, valid UTF-8, within the size limit.
    std::string text_of(pugi::xml_node n) {
        std::string_view raw = n.child_value();
        if (raw.size() > max_field_chars)
            throw load_failure("the element " + std::string(n.name()) + " holds " +
                               std::to_string(raw.size()) + " characters, the limit is " +
                               std::to_string(max_field_chars));
        std::string text(raw);
        if (repair_utf8(text)) ++utf8_repairs_;
        return text;
    }

    mondrel_doc& doc_;
    int utf8_repairs_ = 0;
};

void apply_header(mondrel_doc& doc, sheet_header& h) {
    if (h.created_by) doc.created_by = std::move(*h.created_by);
    if (h.description) doc.description = std::move(*h.description);
    if (h.auto_running) doc.auto_running = *h.auto_running;
    if (h.has_display) {
        doc.set_display(h.data_cols, h.row_height, h.widths);
        // set_display keeps the widths when the numbers are unchanged; a file's widths count.
        doc.col_widths() = h.widths;
    }
    for (int k = 0; k < sheet_format_count; ++k)
        if (h.formats[k]) doc.sheet_format(k) = prop_list::from_text(*h.formats[k]);
}

// The whole load, raising load_failure (or a standard exception) on any failure before the
// document is touched.
void load(mondrel_doc& doc, std::string_view source, bool source_is_file, int mode, int position) {
    std::string text, error;
    if (source_is_file) {
        if (!read_whole_file(std::string(source), text, error)) throw load_failure(error);
    } else {
        if (source.size() > max_file_bytes)
            throw load_failure("the text is larger than " + std::to_string(max_file_bytes) +
                               " bytes");
        text = source;
    }
    // Text is kept exactly as written (no line-end conversion), and an element holding only
    // blanks keeps them.
    const unsigned options =
        (pugi::parse_default | pugi::parse_ws_pcdata_single) & ~pugi::parse_eol;
    pugi::xml_document xml;
    const pugi::xml_parse_result parsed =
        xml.load_buffer_inplace(text.data(), text.size(), options, pugi::encoding_auto);
    if (!parsed)
        throw load_failure(std::string(parsed.description()) + " at offset " +
                           std::to_string(parsed.offset));
    const pugi::xml_node root = xml.document_element();
    if (!root) throw load_failure("the text holds no XML element");

    xml_reader reader(doc);
    sheet_header header;
    if (mode == read_replace) header = reader.read_header(root);
    line_block block = reader.read_lines(root);

    if (const int repaired = repair_counts(block))
        log_write("WARNING in mondrel_doc.load_xml: " + std::to_string(repaired) +
                  " line counts did not fit the lines that follow and were repaired");
    if (reader.utf8_repairs() > 0)
        log_write("WARNING in mondrel_doc.load_xml: " + std::to_string(reader.utf8_repairs()) +
                  " texts were not valid UTF-8; the bad bytes were replaced");
    if (mode == read_replace) {
        apply_header(doc, header);
        replace_lines(doc, std::move(block));
    } else {
        insert_lines_after(doc, std::move(block), position);
    }
}

} // namespace

bool load_xml(mondrel_doc& doc, std::string_view source, bool source_is_file, int mode,
              int position) {
    try {
        load(doc, source, source_is_file, mode, position);
        return true;
    } catch (const std::exception& e) {
        log_error(load_where, e.what());
    } catch (...) {
        log_error(load_where, "unknown failure");
    }
    return false;
}

namespace {

void append_escaped(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i]) {
        case '"':
            entity = "&quot;";
            break;
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '\0': // no XML file can hold it
            entity = "\xEF\xBF\xBD";
            break;
        default:
            continue;
        }
        out.append(text, start, i - start);
        out += entity;
        start = i + 1;
    }
    out.append(text, start, text.size() - start);
}

// One element on its own line: `depth` tabs, start tag, escaped text, end tag, CR LF.
void append_element(std::string& out, int depth, std::string_view tag, std::string_view text) {
    out.append(static_cast<std::size_t>(depth), '\t');
    out += '<';
    out += tag;
    out += '>';
    append_escaped(out, text);
    out += "</";
    out += tag;
    out += ">\r\n";
}

void append_number_element(std::string& out, int depth, std::string_view tag, int value) {
    append_element(out, depth, tag, std::to_string(value));
}

void append_line(std::string& out, const source_list_item& line, int32_t count) {
    std::size_t blanks = 0;
    while (blanks < line.code.size() && line.code[blanks] == ' ')
        ++blanks;
    out += "\t<line";
    if (line.is_open()) out += " open=\"true\"";
    if (const std::string_view word = code_word_text(line.code_word); !word.empty()) {
        out += " type=\"";
        out += word;
        out += '"';
    }
    if (blanks > 0) {
        out += " indent=\"";
        out += std::to_string(blanks);
        out += '"';
    }
    out += ">\r\n";
    append_number_element(out, 2, "count", count);
    append_element(out, 2, "code", std::string_view(line.code).substr(blanks));
    append_element(out, 2, "name", line.name);
    append_element(out, 2, "format", format_text(*line.format));
    out += "\t</line>\r\n";
}

} // namespace

std::string xml_text(const mondrel_doc& doc) {
    std::string out;
    out.reserve(1024 + static_cast<std::size_t>(doc.line_count()) * 120);
    out += "<?xml version=\"1.0\"?>\r\n<mondrel>\r\n";
    out += "\t<properties>\r\n";
    append_element(out, 2, "created_by", doc.created_by);
    append_element(out, 2, "description", doc.description);
    append_element(out, 2, "auto_running", doc.auto_running ? "on" : "off");
    out += "\t</properties>\r\n";
    out += "\t<display data_cols=\"" + std::to_string(doc.data_cols()) + "\" row_height=\"" +
           std::to_string(doc.row_height()) + "\">\r\n";
    const std::vector<int>& widths = doc.col_widths();
    for (int i = 0; i < doc.data_cols() + 5; ++i)
        append_number_element(out, 2, "col_width_" + std::to_string(i),
                              i < static_cast<int>(widths.size()) ? widths[i] : default_width(i));
    for (int k = 0; k < sheet_format_count; ++k)
        append_element(out, 2, "format_" + std::to_string(k), format_text(doc.sheet_format(k)));
    out += "\t</display>\r\n";
    for_each_stored_line(
        doc, [&](const source_list_item& line, int32_t count) { append_line(out, line, count); });
    out += "</mondrel>\r\n";
    return out;
}

bool store_xml(const mondrel_doc& doc, std::string& destination, bool to_file,
               std::string* reason) {
    std::string error;
    try {
        std::string text = xml_text(doc);
        if (!to_file) {
            destination = std::move(text);
            return true;
        }
        if (replace_file(destination, text, error)) return true;
    } catch (const std::exception& e) {
        error = e.what();
    }
    log_error(store_where, error);
    if (reason) *reason = error;
    return false;
}

file_choice resolve_file_name(const mondrel_doc& doc, std::string_view name) {
    file_choice choice;
    choice.path = std::string(name);
    // Both separators count, so names written on either platform resolve alike.
    const std::size_t slash = name.find_last_of("/\\");
    const std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);
    const std::size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) {
        choice.path += ".mdr";
        choice.xml = true;
    } else if (dot + 1 == file.size()) {
        choice.path.pop_back(); // a lone trailing dot asks for line text
        choice.xml = false;
    } else {
        std::string ext(file.substr(dot));
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return char(std::toupper(c)); });
        choice.xml = ext == ".MDR";
    }
    if (slash == std::string_view::npos && !doc.directory().empty()) {
        const std::string& dir = doc.directory();
        const bool has_separator = dir.back() == '/' || dir.back() == '\\';
        choice.path =
            dir +
            (has_separator ? ""
                           : std::string(1, char(std::filesystem::path::preferred_separator))) +
            choice.path;
    }
    return choice;
}

bool read_file(mondrel_doc& doc, std::string_view name, int mode, int position) {
    const file_choice file = resolve_file_name(doc, name);
    return file.xml ? load_xml(doc, file.path, true, mode, position)
                    : read_lines(doc, file.path, mode, position);
}

save_result write_file(mondrel_doc& doc, std::string_view name) {
    save_result result;
    // "DIR/" would otherwise become "DIR/.mdr", a hidden file inside the folder.
    if (name.empty() || name.back() == '/' || name.back() == '\\') {
        result.path = std::string(name);
        result.message = "Could not save the file: " + result.path;
        result.reason = "the name ends in a folder separator";
        log_error("mondrel_doc.write_file", "not a file name: " + result.path);
        return result;
    }
    // Included lines never belong to the file; taking them out of the sheet as well makes the
    // next run load the include files afresh.
    remove_included_lines(doc);
    doc.ensure_trailing_blank();
    const file_choice file = resolve_file_name(doc, name);
    result.path = file.path;
    std::string destination = file.path;
    result.ok = file.xml ? store_xml(doc, destination, true, &result.reason)
                         : write_lines(doc, file.path, &result.changed_lines, &result.reason);
    if (result.ok)
        doc.mark_saved();
    else
        result.message = "Could not save the file: " + file.path;
    return result;
}

} // namespace mondrel
