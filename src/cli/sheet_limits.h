#pragma once
// How many lines mondrel-run takes from one sheet, and how it finds out before loading.
//
// Each line costs the runner about a kilobyte while it loads, runs and prints a sheet (its
// record, its display line and its row), more when it has values. A line-text file within the
// file size limit can hold over ten million empty lines, which would take gigabytes, so a sheet
// with more lines than the limit is refused before anything of it is built.

#include <cstdint>
#include <string>

namespace mondrel {

// Enough for a sheet of a few million lines; --max-lines changes it.
inline constexpr int64_t default_max_sheet_lines = 4'000'000;

// The lines the file would give at most, counted without loading it: the text lines of a
// line-text file, the <line> elements of a codesheet (`xml`). -1 when the file is not a regular
// file (a pipe can be read only once, by the loader) or cannot be read (the loader says why).
int64_t count_sheet_lines(const std::string& path, bool xml);

} // namespace mondrel
