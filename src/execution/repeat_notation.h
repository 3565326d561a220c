#pragma once
// The repeat notation of brace lists: inside a brace list, `element:count` stands for count
// copies of the element, joined by ",". So {"x":19} is a list of 19 copies of the string and
// {{0,0}:12} a list of 12 pairs.
//
// Only a ":" that stands inside a brace list and outside any string literal is a repeat, and
// only when blanks and digits follow it; every other ":" (a format text "number:0.00", a
// VBScript statement separator, a colon in a string) is left as it is.

#include <cstddef>
#include <string>
#include <string_view>

namespace mondrel {

// An expansion may make the text at most this long (16 MiB).
inline constexpr size_t max_expanded_length = size_t{16} << 20;

// The text with every repeat expanded. Raises mr_exception "Repeat count too large" when the
// expanded text would exceed max_expanded_length, and "Bad repeat count" when the count is
// two runs of digits separated by blanks. A text without repeats comes back unchanged, however
// long it is. Runs in time linear in the length of the result.
std::string expand_repeats(std::string_view text);

} // namespace mondrel
