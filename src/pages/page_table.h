#pragma once
// The numbered strings of the built-in pages, generated at build time from the page sources
// in src/pages/pages (make_page_table.py). Nothing is read from disk at run time.
//
// Layout: from id 1000, four strings per page: the page name, its title (may be empty), and
// the ids of its first and last content strings in decimal. The index ends at the name "....."
// or at id 1900. Content strings are the lines of each page's XML, one a string.

#include <optional>
#include <string_view>

namespace mondrel {

inline constexpr int page_index_first = 1000;
inline constexpr int page_index_limit = 1900;
inline constexpr std::string_view page_index_end = ".....";

// The string with that id, or nothing when the table has none.
std::optional<std::string_view> page_string(int id);

} // namespace mondrel
