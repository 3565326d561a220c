#pragma once
// The page settings a sheet is printed with, taken from the program's options: the window's
// File Print and mondrel-run --pdf print alike.

#include "display/sheet_print.h"
#include "shell/session/options.h"

namespace mondrel {

// Margins and the heading, footer and default print formats; no selection.
inline print_settings print_settings_of(const mondrel_options& options) {
    print_settings s;
    s.margin_left = options.margin_left;
    s.margin_right = options.margin_right;
    s.margin_top = options.margin_top;
    s.margin_bottom = options.margin_bottom;
    s.head_fmt = options.print_head_fmt;
    s.foot_fmt = options.print_foot_fmt;
    s.def_fmt = options.print_def_fmt;
    return s;
}

} // namespace mondrel
