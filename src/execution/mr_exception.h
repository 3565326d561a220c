#pragma once
// The one exception kind of the translator. The scanner, the parser and the line maker raise
// it with the exact text the user sees in the line's data columns; only the line maker catches
// it, so it never leaves make_line.

#include <stdexcept>
#include <string>

namespace mondrel {

class mr_exception : public std::runtime_error {
public:
    explicit mr_exception(const std::string& text) : std::runtime_error(text) {}
};

} // namespace mondrel
