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

// An expansion may make the text at most this long (16 MiB)...
inline constexpr size_t max_expanded_length = size_t{16} << 20;
// ...and hold at most this many list items (each "{" and each "," in a list starts one). Every
// item becomes a value of the line, with its index path, its text and its cell, which costs a
// kilobyte or more; a million of them would take gigabytes.
inline constexpr size_t max_expanded_items = 100000;

// The text with every repeat expanded. The whole expansion is measured before anything is
// built; raises mr_exception "Repeat count too large" when the expanded text would exceed
// max_expanded_length or max_expanded_items (nested repeats count with their product), and
// "Bad repeat count" when the count is two runs of digits separated by blanks. A text without
// repeats comes back unchanged, however long it is. Runs in time linear in the length of the
// text and of the result.
std::string expand_repeats(std::string_view text);

} // namespace mondrel
