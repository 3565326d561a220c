#pragma once
// "::" links on pages and sheets name a target for the system's open action. A sheet can come
// from anywhere, so only web addresses and mail addresses are handed over directly; anything
// else (a program, a script, a document path) is opened only after the user agrees.

#include <string>
#include <string_view>

namespace mondrel {

// True only for an http://, https:// or mailto: target (scheme in any case) with something
// after the scheme and no blanks or control characters anywhere.
bool external_link_is_safe(std::string_view target);

// The question put before another target is opened: "Open TARGET with the system?".
std::string external_link_question(std::string_view target);

} // namespace mondrel
