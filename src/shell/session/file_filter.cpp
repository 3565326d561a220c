#include "shell/session/file_filter.h"

#include <algorithm>
#include <cctype>

namespace mondrel {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::string with_case(std::string_view s, int (*convert)(int)) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(convert(static_cast<unsigned char>(c)));
    return out;
}

void add_once(std::vector<std::string>& list, std::string item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(std::move(item));
}

// "Codesheets (*.mdr)" -> "Codesheets": Qt reads the patterns from the last parentheses.
std::string_view without_pattern_suffix(std::string_view description) {
    const std::string_view d = trim(description);
    if (d.empty() || d.back() != ')') return d;
    const size_t open = d.rfind('(');
    if (open == std::string_view::npos || open == 0) return d;
    return trim(d.substr(0, open));
}

} // namespace

std::vector<file_filter> parse_file_filter(std::string_view filter) {
    std::vector<file_filter> result;
    if (trim(filter).empty()) return result;
    const auto parts = split(filter, '|');
    for (size_t i = 0; i < parts.size(); i += 2) {
        file_filter f;
        f.description = std::string(trim(parts[i]));
        if (i + 1 < parts.size())
            for (std::string_view p : split(parts[i + 1], ';'))
                if (!trim(p).empty()) add_once(f.patterns, std::string(trim(p)));
        if (f.patterns.empty()) f.patterns.push_back("*");
        result.push_back(std::move(f));
    }
    return result;
}

std::string qt_name_filter(const file_filter& f) {
    std::vector<std::string> patterns;
    for (const std::string& p : f.patterns) {
        add_once(patterns, p);
        add_once(patterns, with_case(p, ::tolower));
        add_once(patterns, with_case(p, ::toupper));
    }
    std::string joined;
    for (const std::string& p : patterns) {
        if (!joined.empty()) joined += ' ';
        joined += p;
    }
    std::string description(without_pattern_suffix(f.description));
    if (description.empty()) return joined + " (" + joined + ")";
    return description + " (" + joined + ")";
}

std::string qt_name_filters(std::string_view filter) {
    std::string out;
    for (const file_filter& f : parse_file_filter(filter)) {
        if (!out.empty()) out += ";;";
        out += qt_name_filter(f);
    }
    return out;
}

std::string default_suffix(const file_filter& f) {
    if (f.patterns.empty()) return {};
    const std::string_view p = f.patterns.front();
    if (p.size() < 3 || p.substr(0, 2) != "*.") return {};
    const std::string_view ext = p.substr(2);
    if (ext.find_first_of("*?[]. ") != std::string_view::npos) return {};
    // Patterns are matched in either case, but a name the program completes gets the
    // extension in lower case, as it writes it itself (".MDR" in a filter gives ".mdr").
    return with_case(ext, ::tolower);
}

} // namespace mondrel
