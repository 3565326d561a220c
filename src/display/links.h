#pragma once
// Links in code texts: the escape "\a[target]" or "\A[target]". A line whose code begins with
// one is a link line; clicking it on a read-only page follows the target. The target's first
// characters say what it names (a built-in page, an example, a web address or document for
// the system, a codesheet file), and the status bar says beforehand where a click leads.

#include <cstddef>
#include <string>
#include <string_view>

namespace mondrel {

// Where a code text holds its first link, the escape "\a[target]" or "\A[target]": the
// position of the backslash and the target. `found` is false when there is none.
struct link_at {
    bool found = false;
    size_t pos = 0;
    std::string target;
    bool second_mode = false; // written "\A"
};
link_at find_link(std::string_view code);

// The link a line begins with at its very first character; `found` is false otherwise.
link_at leading_link(std::string_view code);

enum class link_kind {
    back,     // "__back": the previous page of the tab
    new_file, // "__newfile": a new codesheet
    page,     // "__" + page name
    example,  // "**" + page name
    external, // "::" + address or document, for the system's open action
    file,     // anything else: a codesheet file
};

struct link_target {
    link_kind kind = link_kind::file;
    std::string rest; // the target without its two-character prefix (the whole for a file)
};
link_target classify_link(std::string_view target);

// The status-bar text for a link target, e.g. `Click here to go to:  "Help"`.
std::string link_hint(std::string_view target);

// The last part of a path, after its last "/" or "\".
std::string file_name_part(std::string_view path);

} // namespace mondrel
