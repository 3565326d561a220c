#include "shell/session/external_links.h"

#include <array>
#include <cctype>

namespace mondrel {

namespace {

constexpr std::array<std::string_view, 3> safe_schemes{"http://", "https://", "mailto:"};

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

// Blanks and control characters (including DEL) would let one target pass as another, or
// break the address apart when the system hands it on.
bool has_blank_or_control(std::string_view text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F) return true;
    }
    return false;
}

} // namespace

bool external_link_is_safe(std::string_view target) {
    if (has_blank_or_control(target)) return false;
    for (const std::string_view scheme : safe_schemes)
        if (starts_with_nocase(target, scheme)) return target.size() > scheme.size();
    return false;
}

std::string external_link_question(std::string_view target) {
    return "Open " + std::string(target) + " with the system?";
}

} // namespace mondrel
