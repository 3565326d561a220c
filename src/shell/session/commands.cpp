#include "shell/session/commands.h"

#include <algorithm>

namespace mondrel {

namespace {

// Every command of the window. Captions carry their mnemonic; several shortcuts are separated
// by ";" in QKeySequence's portable text. Images name pictures of the program's image set
// (lower case); commands without a picture of their own have "".
constexpr action_spec actions[] = {
    // name, category, caption, shortcut, hint, image, tag
    {"file_new", "File", "&New", "Ctrl+N", "Create a new codesheet", "file_new"},
    {"file_open", "File", "&Open", "Ctrl+O", "Open an existing codesheet", "file_open"},
    {"file_save", "File", "&Save", "Ctrl+S", "Save the active codesheet", "file_save"},
    {"file_save_as", "File", "Save &As", "", "Save the active codesheet with a new name", ""},
    {"file_save_all", "File", "Sa&ve All", "", "Save all the active codesheets", "file_save_all"},
    {"file_close", "File", "&Close", "Ctrl+W;Ctrl+F4", "Close the active codesheet", "file_close"},
    {"file_close_all", "File", "Close A&ll", "", "Close all the open codesheets", "file_close_all"},
    {"file_close_others", "File", "Close All Ot&hers", "", "Close all the other codesheets", ""},
    {"file_properties", "File", "Proper&ties", "", "Show the active codesheet properties",
     "file_properties"},
    {"file_print", "File", "&Print", "Ctrl+P", "Print the active codesheet", "file_print"},
    {"file_reopen_clear", "File", "&Clear", "", "Clear the Reopen list", ""},
    {"file_exit", "File", "E&xit", "", "Exit mondrel", ""},

    {"edit_undo", "Edit", "&Undo", "Ctrl+Z", "Undo your most recent keystrokes or mouse actions.",
     "edit_undo"},
    {"edit_redo", "Edit", "&Redo", "Ctrl+Y;Ctrl+Shift+Z",
     "Reverse the effects of your most recent Undo.", "edit_redo"},
    {"edit_cut", "Edit", "Cu&t", "Ctrl+X",
     "Remove the selected lines and puts them in the clipboard.", "edit_cut"},
    {"edit_copy", "Edit", "&Copy", "Ctrl+C",
     "Copy the selected lines and put them in the clipboard.", "edit_copy"},
    {"edit_paste", "Edit", "&Paste", "Ctrl+V",
     "Replace the currently selected lines with the contents of the clipboard.", "edit_paste"},
    {"edit_delete", "Edit", "&Delete", "", "Delete the selected lines.", "edit_delete"},
    {"edit_select_all", "Edit", "Select &All", "Ctrl+A",
     "Select all the lines in the current codesheet.", ""},
    {"edit_add", "Edit", "A&dd", "", "Insert a blank line after the currently selected line.",
     "edit_add"},
    {"edit_add_child", "Edit", "Add C&hild", "", "Add a blank child line(.1) to the selected line.",
     "edit_add_child"},
    {"edit_insert", "Edit", "&Insert", "",
     "Insert a blank line in front of the currently selected line.", "edit_insert"},
    {"edit_ok", "Edit", "O&K", "", "Accept the changes made to the current line.", "edit_yes"},
    {"edit_cancel", "Edit", "Ca&ncel", "", "Reject the changes made to the current line.",
     "edit_no"},
    {"edit_format", "Edit", "&Edit Format", "",
     "Change the format of the data cells of the selected lines. ", "edit_format"},
    {"edit_copy_format", "Edit", "C&opy Format", "",
     "Copy the data cell formatting of the currently selected rows to the clipboard.", ""},
    {"edit_paste_format", "Edit", "Paste For&mat", "",
     "Apply the data cell formatting from the clipboard to the selected lines.", ""},
    {"edit_copy_cells", "Edit", "Copy Ce&lls", "",
     "Copy the data cells of the selected lines into the clipboard in a format which can be used "
     "by other programmes.",
     ""},
    {"edit_convert_to_list", "Edit", "Con&vert to child lines", "",
     "Converts the selected lines to a parent and child lines", "edit_to_childs"},
    {"edit_convert_from_list", "Edit", "Convert &from child lines", "",
     "Extract the children of the selected line.", "edit_from_childs"},

    // ORDER CODE_WORD: the tags are the code word numbers of code_words.h.
    {"edit_type_expr", "Edit_type", "&Expression", "", "Code word: expression", "eqls", 0},
    {"edit_type_rem", "Edit_type", "&Comment", "", "Code word: REM - a comment line", "rem", 1},
    {"edit_type_vb", "Edit_type", "&VB", "", "Code word: Visual Basic  line", "vb", 2},
    {"edit_type_fmt", "Edit_type", "FM&T", "", "Code word: FMT - change  a data cell format", "",
     3},
    {"edit_type_dir", "Edit_type", "&DIR", "", "Code word: DIR - scan a  folder ", "", 4},
    {"edit_type_let", "Edit_type", "&LET", "", "Code word: LET - assign a value ", "let", 5},
    {"edit_type_incl", "Edit_type", "&INCL", "", "Code word: INCL - include a codesheet", "incl",
     6},
    {"edit_type_if", "Edit_type", "I&F", "", "Code word: IF test", "if", 7},
    {"edit_type_while", "Edit_type", "&WHILE", "", "Code word: WHILE loop", "while", 8},
    {"edit_type_for", "Edit_type", "F&OR", "", "Code word: FOR loop", "for", 9},
    {"edit_type_arr", "Edit_type", "&ARR", "", "Code word: ARR - declare a dynamic array of values",
     "", 10},
    {"edit_type_cmd", "Edit_type", "C&MD", "", "Code word: CMD - system commands", "", 11},

    {"run_gogo", "Run", "&Auto Run", "",
     "Execute the Go command after every change to the active codesheet.", "run_gogo"},
    {"run_go", "Run", "&Go", "F9", "Execute all the lines in the active codesheet.", "run_go"},
    // Stop interrupts a run on the worker; the pause picture is the nearest of the set.
    {"run_stop", "Run", "S&top", "Esc", "Stop the run in progress.", "run_pause"},
    // F8 and F7 step as they do beside F9 = Run in the Pascal and Delphi debuggers.
    {"run_step_over", "Run", "&Step", "F8", "Step over.", "run_step_over"},
    {"run_step_into", "Run", "Step &Into", "F7", "Step into.", "run_step_into"},
    {"run_reset", "Run", "&Reset", "", "Halt execution and clear all the data cells.", "run_reset"},
    {"run_breakpoint", "Run", "Toggle &Breakpoint", "", "Set a breakpoint.", "run_breakpoint"},
    {"run_clear", "Run", "&Clear Breakpoints", "", "Clear all breakpoints.", "run_clear"},

    {"view_toggle_formatting", "View", "&Apply Formats", "",
     "On: use defined data cell formats. Off: show raw data.", "view_format"},
    {"view_collapse_all", "View", "&Collapse All", "", "Hide all child lines.",
     "view_collapse_all"},
    {"view_expand_all", "View", "&Expand All", "", "Show all child lines.", "view_expand_all"},
    {"view_increase_font", "View", "&Increase Text Size", "Ctrl+=;Ctrl++",
     "Increase the displayed font size.", "zoom_in"},
    {"view_decrease_font", "View", "&Decrease Text Size", "Ctrl+-",
     "Decrease the displayed font size.", "zoom_out"},

    {"tools_options", "Tools", "&Options...", "", "Open the options dialog box.", "tools_options"},

    {"help_about", "Help", "&About", "", "Open the About codesheet.", "help_about"},
    {"help_topics", "Help", "&Help", "F1", "Open the Help codesheet.", "help_contents"},
    {"help_examples", "Help", "&Examples", "", "Open the Examples codesheet.", ""},
    {"help_welcome", "Help", "&Welcome", "", "Open the Welcome codesheet.", ""},
};

// --- menus ------------------------------------------------------------------------------------

// Close All Others is here as well as on the tab strip's pop-up, so the keyboard reaches it.
constexpr menu_entry file_menu[] = {
    "file_new",          "file_open",  "menu:&Reopen",   "",
    "file_reopen_clear", "end",        "file_save",      "file_save_as",
    "file_save_all",     "file_close", "file_close_all", "file_close_others",
    "file_properties",   "",           "file_print",     "",
    "file_exit",
};

constexpr menu_entry edit_menu[] = {
    "edit_undo",
    "edit_redo",
    "",
    "edit_cut",
    "edit_copy",
    "edit_paste",
    "",
    "edit_delete",
    "edit_select_all",
    "",
    "menu:New &blank line",
    "edit_add=&After",
    "edit_add_child=&Child",
    "edit_insert=&Before",
    "end",
    "edit_convert_to_list",
    "edit_convert_from_list",
    "",
    "edit_format",
    "edit_copy_format",
    "edit_paste_format",
    "",
    "edit_copy_cells",
    "",
    "edit_ok",
    "edit_cancel",
    "menu:Code &Word",
    "edit_type_expr",
    "edit_type_let",
    "edit_type_rem",
    "",
    "edit_type_incl",
    "edit_type_if",
    "edit_type_for",
    "edit_type_while",
    "edit_type_vb",
    "",
    "edit_type_arr",
    "edit_type_fmt",
    "edit_type_dir",
    "edit_type_cmd",
    "end",
};

constexpr menu_entry view_menu[] = {
    "view_toggle_formatting",
    "view_collapse_all",
    "view_expand_all",
    "view_increase_font",
    "view_decrease_font",
    "menu:&Toolbars",
    "end",
};

constexpr menu_entry run_menu[] = {
    "run_gogo",      "run_go",    "run_stop",       "run_step_over",
    "run_step_into", "run_reset", "run_breakpoint", "run_clear",
};

constexpr menu_entry tools_menu[] = {"tools_options"};

constexpr menu_entry help_menu[] = {"help_about", "help_topics", "help_examples", "help_welcome"};

constexpr menu_spec menus[] = {
    {"&File", file_menu}, {"&Edit", edit_menu},   {"&View", view_menu},
    {"&Run", run_menu},   {"&Tools", tools_menu}, {"&Help", help_menu},
};

// --- toolbars and pop-ups ---------------------------------------------------------------------

constexpr menu_entry main_bar[] = {
    "file_new",
    "file_open",
    "file_save",
    "file_print",
    "",
    "edit_undo",
    "edit_redo",
    "edit_cut",
    "edit_copy",
    "edit_paste",
    "",
    "edit_add",
    "edit_add_child",
    "edit_insert",
    "",
    "edit_convert_to_list",
    "edit_convert_from_list",
    "",
    "edit_format",
    "",
    "view_increase_font",
    "view_decrease_font",
};

constexpr menu_entry run_bar[] = {
    "run_go",    "run_stop",       "run_step_over", "run_step_into",
    "run_reset", "run_breakpoint", "run_clear",
};

constexpr menu_entry code_word_bar[] = {
    "edit_ok",         "edit_cancel",   "",
    "edit_type_expr",  "edit_type_let", "edit_type_rem",
    "edit_type_incl",  "edit_type_if",  "edit_type_for",
    "edit_type_while", "edit_type_vb",
};

constexpr toolbar_spec bars[] = {
    {"main", "&Main", main_bar},
    {"run", "&Run", run_bar},
    {"code_word", "&Code Word", code_word_bar},
    {"syntax", "&Syntax", {}},
};

constexpr menu_entry grid_menu[] = {"edit_cut", "edit_copy",   "edit_paste",
                                    "",         "edit_delete", "edit_select_all"};

constexpr menu_entry tab_menu[] = {"file_close", "file_close_all", "file_close_others"};

constexpr std::string_view submenu_prefix = "menu:";
constexpr std::string_view submenu_end = "end";

} // namespace

std::span<const action_spec> action_table() {
    return actions;
}

const action_spec* find_action(std::string_view name) {
    const auto it = std::find_if(std::begin(actions), std::end(actions),
                                 [name](const action_spec& a) { return a.name == name; });
    return it == std::end(actions) ? nullptr : &*it;
}

menu_item read_entry(menu_entry entry) {
    if (entry.empty()) return {entry_kind::separator, {}, {}};
    if (entry == submenu_end) return {entry_kind::submenu_end, {}, {}};
    if (entry.starts_with(submenu_prefix))
        return {entry_kind::submenu, {}, entry.substr(submenu_prefix.size())};
    const size_t eq = entry.find('=');
    if (eq == std::string_view::npos) return {entry_kind::action, entry, {}};
    return {entry_kind::action, entry.substr(0, eq), entry.substr(eq + 1)};
}

std::span<const menu_spec> menu_bar() {
    return menus;
}

std::span<const toolbar_spec> toolbars() {
    return bars;
}

std::span<const menu_entry> grid_popup() {
    return grid_menu;
}

std::span<const menu_entry> tab_popup() {
    return tab_menu;
}

} // namespace mondrel
