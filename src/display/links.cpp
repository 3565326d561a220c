#include "display/links.h"

#include <array>

namespace mondrel {
namespace {

struct link_rule {
    std::string_view prefix;
    bool whole; // the target must equal the prefix
    link_kind kind;
    std::string_view hint; // for the prefixed kinds the quoted rest follows
};

// Tried in order: the two whole targets come before the "__" prefix they share.
constexpr std::array<link_rule, 5> link_rules{{
    {"__back", true, link_kind::back, "Click here to go back to the last page."},
    {"__newfile", true, link_kind::new_file, "Click here to create a new codesheet."},
    {"__", false, link_kind::page, "Click here to go to:  "},
    {"**", false, link_kind::example, "Click here to open:  "},
    {"::", false, link_kind::external, "Click here to link to:  "},
}};
constexpr std::string_view file_hint = "Click here to open the codesheet:  ";

// A hint quotes at most this much of a target.
constexpr size_t max_hint_target = 255;

const link_rule* rule_for(std::string_view target) {
    for (const link_rule& r : link_rules) {
        if (r.whole ? target == r.prefix : target.starts_with(r.prefix)) return &r;
    }
    return nullptr;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text.substr(0, max_hint_target)) + "\"";
}

} // namespace

link_at find_link(std::string_view code) {
    for (size_t i = 0; i + 1 < code.size(); ++i) {
        if (code[i] != '\\') continue;
        const char letter = code[i + 1];
        if (letter == '\\') {
            ++i; // an escaped backslash starts no escape
            continue;
        }
        if ((letter != 'a' && letter != 'A') || i + 2 >= code.size() || code[i + 2] != '[')
            continue;
        const size_t close = code.find(']', i + 3);
        if (close == std::string_view::npos) continue;
        return {true, i, std::string(code.substr(i + 3, close - i - 3)), letter == 'A'};
    }
    return {};
}

link_at leading_link(std::string_view code) {
    link_at link = find_link(code);
    if (link.found && link.pos != 0) return {};
    return link;
}

link_target classify_link(std::string_view target) {
    const link_rule* r = rule_for(target);
    if (!r) return {link_kind::file, std::string(target)};
    return {r->kind, r->whole ? std::string() : std::string(target.substr(r->prefix.size()))};
}

std::string link_hint(std::string_view target) {
    const link_rule* r = rule_for(target);
    if (!r) return std::string(file_hint) + quoted(file_name_part(target));
    if (r->whole) return std::string(r->hint);
    return std::string(r->hint) + quoted(target.substr(r->prefix.size()));
}

std::string file_name_part(std::string_view path) {
    const size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

} // namespace mondrel
