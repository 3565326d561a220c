#pragma once
// File-dialog filters. The program writes them the Windows way, "Description|pattern|..."
// with patterns separated by ";"; the window's dialogs take Qt's "Description (pat pat);;...".
// File names on Linux are case-sensitive, so every extension pattern is offered in lower and
// upper case ("*.mdr" also finds "BUDGET.MDR").

#include <string>
#include <string_view>
#include <vector>

namespace mondrel {

struct file_filter {
    std::string description;
    std::vector<std::string> patterns;
};

// The pairs of a "Description|pattern;pattern|..." text. A description without a pattern gets
// "*"; a pair whose description is empty is described by its patterns.
std::vector<file_filter> parse_file_filter(std::string_view filter);

// One filter in Qt's form: the description (without a trailing "(...)" of its own, which
// would repeat the patterns) followed by the patterns in parentheses, with their case variants.
std::string qt_name_filter(const file_filter& f);

// Every filter of a "Description|pattern|..." text in Qt's form, joined by ";;".
std::string qt_name_filters(std::string_view filter);

// The extension a save dialog appends to a name typed without one: that of the filter's first
// pattern when it is a plain "*.ext", in lower case, else empty.
std::string default_suffix(const file_filter& f);

} // namespace mondrel
