#include "shell/session/options.h"

// The defaults of the options and the table of display elements. Reading and writing the
// store is not here yet.

namespace mondrel {

const std::array<display_element, display_element_count>& display_elements() {
    static const std::array<display_element, display_element_count> table = {{
        {"Line numbers", "doc_fmt_0", "colour:$808080"},
        {"Type eg. REM", "doc_fmt_1", "colour:$808080"},
        {"Expression text", "doc_fmt_2", ""},
        {"Name", "doc_fmt_3", ""},
        {"REM text", "doc_fmt_4", "colour:$008000"},
        {"VB text", "doc_fmt_5", "name:Courier New; size:8; colour:$000080"},
        {"Data numbers", "doc_fmt_6", "colour:$808080"},
        {"Edit text", "doc_fmt_7", ""},
        {"Error message", "fmt_0", "colour:$0000FF"},
        {"HELP text", "fmt_1", "name:Tahoma; size:8"},
    }};
    return table;
}

mondrel_options::mondrel_options() {
    for (int i = 0; i < display_element_count; ++i)
        element_formats[i] = std::string(display_elements()[i].default_format);
}

} // namespace mondrel
