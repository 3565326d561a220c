#pragma once
// What the run engine's source files share about lines: which code words report values, the
// open flags of expanded arrays, the exit forms, the one-variable value report, and how many
// lines one joined call runs at most.

#include <cstdint>
#include <string_view>

#include "document/source_list_item.h"

namespace mondrel {

// Code words whose display text reports values.
bool fetches_values(int32_t word);

// Expanded arrays stay expanded across runs: after a fetch the open flags are those of the
// snapshot again.
void restore_opens(line_results& r);

// A WHILE or FOR line that ends its loop instead of starting one.
bool is_exit_form(const source_list_item& line);

// The variable a value report hands to row 0 of its line, when that is all it does
// (`MR.dspx 0,name` and a line break); empty otherwise.
std::string_view reported_variable(std::string_view report);

// Plain lines run as one call at most this many at a time: an edit of one of them compiles
// this many lines again, and a failing line's error position is found among this many.
inline constexpr int max_plain_run = 256;

} // namespace mondrel
