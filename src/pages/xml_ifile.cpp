#include "pages/xml_ifile.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <pugixml.hpp>

#include "pages/page_table.h"
#include "platform/diagnostic_log.h"

namespace mondrel {
namespace {

constexpr std::string_view crlf = "\r\n";

// Text content and attribute values escape exactly the four characters codesheet files do.
void append_escaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "&quot;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
}

// Writes an element in the codesheet layout: one element a line, a tab per level, an element
// holding only text on one line. No line end after the last line.
void append_element(std::string& out, const pugi::xml_node& node, int depth) {
    out.append(static_cast<size_t>(depth), '\t');
    out += '<';
    out += node.name();
    for (const pugi::xml_attribute& a : node.attributes()) {
        out += ' ';
        out += a.name();
        out += "=\"";
        append_escaped(out, a.value());
        out += '"';
    }
    out += '>';
    bool has_elements = false;
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element) {
            has_elements = true;
            out += crlf;
            append_element(out, child, depth + 1);
        } else if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            append_escaped(out, child.value());
        }
    }
    if (has_elements) {
        out += crlf;
        out.append(static_cast<size_t>(depth), '\t');
    }
    out += "</";
    out += node.name();
    out += '>';
}

std::string ascii_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

int to_int(std::string_view s) {
    int v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() ? v : 0;
}

// The number argument of "\x": always three digits.
std::string three_digits(int n) {
    n = std::clamp(n, 0, 999);
    return {static_cast<char>('0' + n / 100), static_cast<char>('0' + n / 10 % 10),
            static_cast<char>('0' + n % 10)};
}

// The index entry of a stored page, found by its exact name.
bool find_page(page_lookup page_string, std::string_view name, page_entry& found) {
    for (int id = page_index_first; id < page_index_limit; id += 4) {
        const auto page_name = page_string(id);
        if (!page_name || *page_name == page_index_end) return false;
        if (*page_name != name) continue;
        found.name = std::string(*page_name);
        found.title = std::string(page_string(id + 1).value_or(""));
        found.first = to_int(page_string(id + 2).value_or(""));
        found.last = to_int(page_string(id + 3).value_or(""));
        return true;
    }
    return false;
}

// Joins a stored page's content strings, one a line, into `text` and parses them; `text` is
// left as it was joined. Returns false, with the parser's message in `error`, when they do
// not form XML; a name not found gives false and no error.
bool parse_stored_page(page_lookup page_string, std::string_view name, std::string& text,
                       pugi::xml_document& xml, std::string& error) {
    page_entry entry;
    if (!find_page(page_string, name, entry)) return false;
    size_t size = 0;
    for (int id = entry.first; id <= entry.last; ++id)
        size += page_string(id).value_or("").size() + 2;
    text.clear();
    text.reserve(size);
    for (int id = entry.first; id <= entry.last; ++id) {
        text += page_string(id).value_or("");
        text += crlf;
    }
    const unsigned options =
        (pugi::parse_default | pugi::parse_ws_pcdata_single) & ~pugi::parse_eol;
    const pugi::xml_parse_result parsed =
        xml.load_buffer(text.data(), text.size(), options, pugi::encoding_utf8);
    if (!parsed) {
        error = std::string(parsed.description()) + " at offset " + std::to_string(parsed.offset);
        return false;
    }
    if (!xml.document_element()) {
        error = "the page holds no XML element";
        return false;
    }
    return true;
}

} // namespace

std::vector<page_entry> page_index(page_lookup page_string) {
    std::vector<page_entry> out;
    for (int id = page_index_first; id < page_index_limit; id += 4) {
        const auto name = page_string(id);
        if (!name || *name == page_index_end) break;
        page_entry e;
        e.name = std::string(*name);
        e.title = std::string(page_string(id + 1).value_or(""));
        e.first = to_int(page_string(id + 2).value_or(""));
        e.last = to_int(page_string(id + 3).value_or(""));
        out.push_back(std::move(e));
    }
    return out;
}

bool is_example_page(std::string_view name) {
    return name.substr(0, 8) == "Example_";
}

Txml_ifile::Txml_ifile(std::vector<std::string> recent_files, page_lookup lookup)
    : recent_files_(std::move(recent_files)), lookup_(lookup) {}

std::string Txml_ifile::load_res(std::string_view page_name, bool read_only) {
    if (page_name == "Welcome")
        make_welcome();
    else if (page_name == "About")
        make_about();
    else if (page_name == "Help_index")
        make_help_index();
    else if (page_name == "Help_outline")
        make_help_outline();
    else
        read_stored_page(page_name, read_only);
    return xml_text();
}

namespace {

// Where the start tag that begins at `open` (its "<") ends: the position of its ">", or of the
// "/" of "/>"; npos when it does not end. Quoted attribute values may hold ">".
size_t start_tag_end(std::string_view text, size_t open) {
    char quote = 0;
    for (size_t i = open + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i > open + 1 && text[i - 1] == '/' ? i - 1 : i;
        }
    }
    return std::string_view::npos;
}

// The source text of each element child of the root, as written in the page: from its "<" to
// the next element (or the root's end tag), without the blanks and line ends after it. Empty
// when the parser cannot say where the element starts.
std::string_view element_source(std::string_view text, const pugi::xml_node& child) {
    const ptrdiff_t name_at = child.offset_debug();
    if (name_at < 1 || static_cast<size_t>(name_at) > text.size() || text[name_at - 1] != '<')
        return {};
    const size_t begin = static_cast<size_t>(name_at) - 1;
    size_t end = text.rfind("</");
    for (pugi::xml_node next = child.next_sibling(); next; next = next.next_sibling()) {
        if (next.type() != pugi::node_element) continue;
        const ptrdiff_t next_at = next.offset_debug();
        if (next_at < 1) return {};
        end = static_cast<size_t>(next_at) - 1;
        break;
    }
    if (end == std::string_view::npos || end < begin) return {};
    std::string_view piece = text.substr(begin, end - begin);
    while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\t' || piece.back() == '\r' ||
                              piece.back() == '\n'))
        piece.remove_suffix(1);
    return piece;
}

} // namespace

bool Txml_ifile::read_stored_page(std::string_view name, bool read_only) {
    std::string text;
    pugi::xml_document xml;
    std::string error;
    if (!parse_stored_page(lookup_, name, text, xml, error)) {
        if (!error.empty()) log_write("ERROR in Txml_ifile.load_res: " + error);
        return false;
    }
    // Elements are copied as the page writes them; only a line that must become read-only and
    // carries some other readonly value is written out again from the parsed tree.
    for (pugi::xml_node child : xml.document_element().children()) {
        if (child.type() != pugi::node_element) continue;
        const std::string_view kind = child.name();
        if (kind != "line" && kind != "properties" && kind != "display") continue;
        std::string_view source = element_source(text, child);
        std::string piece;
        if (kind == "line" && read_only) {
            pugi::xml_attribute flag = child.attribute("readonly");
            const size_t tag_end =
                source.empty() ? std::string_view::npos : start_tag_end(source, 0);
            if (!flag && tag_end != std::string_view::npos) {
                piece.reserve(source.size() + 20);
                piece.append("\t").append(source.substr(0, tag_end));
                piece.append(" readonly=\"true\"").append(source.substr(tag_end));
            } else if (!flag || std::string_view(flag.value()) != "true") {
                if (!flag) flag = child.append_attribute("readonly");
                flag.set_value("true");
                source = {};
            }
        }
        if (piece.empty()) {
            if (source.empty())
                append_element(piece, child, 1);
            else
                piece.append("\t").append(source);
        }
        if (kind == "properties")
            properties_ = std::move(piece);
        else if (kind == "display")
            display_ = std::move(piece);
        else
            lines_.append(piece).append(crlf);
    }
    return true;
}

void Txml_ifile::add_comment(std::string_view text, int count, bool open) {
    lines_ += "\t<line readonly=\"true\" type=\"rem\"";
    if (open) lines_ += " open=\"true\"";
    lines_.append(">\r\n\t\t<count>")
        .append(std::to_string(count))
        .append("</count>\r\n\t\t<code>");
    if (text.substr(0, 2) != "\\a") {
        // The colour and the position are plain characters: nothing in them needs escaping.
        if (x_position_ != 0) lines_.append("\\x").append(three_digits(x_position_));
        if (!colour_.empty()) lines_.append("\\c[").append(colour_).append("]");
    }
    append_escaped(lines_, text);
    lines_ += "</code>\r\n\t\t<name></name>\r\n\t\t<format></format>\r\n\t</line>\r\n";
}

void Txml_ifile::help_header(std::string_view title) {
    add_text_line("\\a[__back] \\c[$008000]Go back");
    add_text_line("\\c[$008000]\\x080\\s11\\bHelp - " + std::string(title));
    add_text_line();
    add_text_line();
    colour_ = "$000000";
    x_position_ = 20;
}

std::string Txml_ifile::xml_text() const {
    std::string out;
    out.reserve(64 + properties_.size() + display_.size() + lines_.size());
    out += "<?xml version=\"1.0\"?>\r\n<mondrel>\r\n";
    if (!properties_.empty()) out.append(properties_).append(crlf);
    if (!display_.empty()) out.append(display_).append(crlf);
    out += lines_;
    out += "</mondrel>\r\n";
    return out;
}

void Txml_ifile::make_welcome() {
    add_text_line();
    add_text_line("\\h32\\p[app_icon]\\x040\\s10\\b" + std::string(product_title) +
                  "\\x260\\s14\\c[$0000FF]Welcome");
    add_text_line();
    add_text_line("Get started by clicking on a line below:");
    add_text_line();
    add_text_line("\\a[__newfile] Create a new sheet");
    add_text_line();
    if (!recent_files_.empty()) {
        add_comment("Open a recently used sheet", static_cast<int>(recent_files_.size()) + 1, true);
        // A link's target ends at the first "]", so a name holding one would open another
        // file: such a name is shown without a link.
        for (const std::string& f : recent_files_) {
            if (f.find(']') == std::string::npos)
                add_text_line("\\a[" + f + "] " + file_name_part(f));
            else
                add_text_line(file_name_part(f));
        }
    }
    add_text_line();
    add_text_line("\\A[__Help] Get some help");
    add_text_line("\\A[__Examples] Try some examples");
}

void Txml_ifile::make_about() {
    add_text_line();
    add_text_line("\\h32\\p[app_icon]\\x040\\s10\\b" + std::string(product_title));
    add_text_line();
    add_text_line("\\x050A calculator sheet: a tree of lines, each translated into VBScript");
    add_text_line("\\x050and run by the program's own run engine, with results beside the code.");
    add_text_line();
    add_text_line("\\x050Written in C++20 with Qt 6, for Linux and Windows.");
    add_text_line("\\x050The script engine is Mondrel's own implementation of VBScript.");
    add_text_line();
    add_text_line("\\a[::https://learn.microsoft.com/previous-versions//d1wf56tt(v=vs.85)] "
                  "The VBScript language reference (Microsoft)");
    add_text_line("\\a[__Help] Help");
    add_text_line("\\a[__Examples] Examples");
}

void Txml_ifile::make_help_index() {
    help_header("Index");
    add_text_line();
    std::vector<page_entry> entries;
    for (page_entry& e : page_index(lookup_))
        if (ascii_lower(e.name.substr(0, 4)) == "help" && !e.title.empty())
            entries.push_back(std::move(e));
    std::stable_sort(entries.begin(), entries.end(), [](const page_entry& a, const page_entry& b) {
        return ascii_lower(a.title) < ascii_lower(b.title);
    });
    std::string taken;
    for (const page_entry& e : entries) {
        const std::string key = ascii_lower(e.title);
        if (key == taken) continue;
        taken = key;
        add_text_line("\\a[__" + e.name + "] " + e.title);
    }
    add_text_line();
}

void Txml_ifile::make_help_outline() {
    // One set of parsed pages for each page table; the lock keeps two outlines built at once
    // from filling the same set.
    static std::mutex lock;
    static std::map<page_lookup, outline_pages> tables;
    std::lock_guard<std::mutex> guard(lock);
    outline_pages& pages = tables[lookup_];
    help_header("Outline");
    add_text_line();
    std::vector<std::string> path{"Help"};
    load_res_outline(pages, "Help", 0, path);
    add_text_line();
}

const std::vector<Txml_ifile::outline_link>* Txml_ifile::outline_links(outline_pages& pages,
                                                                       std::string_view name) {
    auto found = pages.find(name);
    if (found == pages.end()) {
        std::optional<std::vector<outline_link>> codes;
        std::string text;
        pugi::xml_document xml;
        std::string error;
        if (parse_stored_page(lookup_, name, text, xml, error)) {
            codes.emplace();
            for (const pugi::xml_node line : xml.document_element().children("line")) {
                std::string code = line.child("code").text().get();
                link_at link = find_link(code);
                if (!link.found || link.target.substr(0, 2) != "__" || link.target == "__back" ||
                    link.target == "__newfile")
                    continue;
                codes->push_back({std::move(code), std::move(link)});
            }
        } else if (!error.empty()) {
            log_write("ERROR in Txml_ifile.load_res_outline: " + error);
        }
        found = pages.emplace(std::string(name), std::move(codes)).first;
    }
    return found->second ? &*found->second : nullptr;
}

void Txml_ifile::load_res_outline(outline_pages& pages, std::string_view name, int depth,
                                  std::vector<std::string>& path) {
    const std::vector<outline_link>* links = outline_links(pages, name);
    if (!links) return;
    for (const auto& [code, link] : *links) {
        std::string text(code.substr(0, link.pos));
        text += "\\x" + three_digits(depth * 15 + 20);
        text += code.substr(link.pos, 255);
        add_text_line(text);
        const std::string target = link.target.substr(2);
        // A page already on the path would repeat the path for ever; below the depth limit the
        // indentation would leave the page anyway.
        if (depth + 1 >= max_outline_depth ||
            std::find(path.begin(), path.end(), target) != path.end())
            continue;
        path.push_back(target);
        load_res_outline(pages, target, depth + 1, path);
        path.pop_back();
    }
}

} // namespace mondrel
