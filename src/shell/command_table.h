#pragma once
// The window's commands in one table: name, menu, caption, shortcuts, hint, handler and when
// the command may act. The menu bar, the pop-up menus and the enabling of every command are
// made from it.

#include <span>
#include <string_view>

namespace mondrel {

class TForm1;

// When a command may act.
enum class command_need {
    idle,     // no run in progress
    editable, // no run in progress and the current sheet is not a read-only page
    running,  // only while a run is in progress (Stop)
    always,
};

struct command_row {
    std::string_view name;    // "file_new": the action's name
    std::string_view menu;    // the menu bar's menu it is in ("" none)
    std::string_view caption; // "" in the name column: a separator
    std::string_view keys;    // shortcuts, separated by ";"
    std::string_view hint;
    void (TForm1::*handler)();
    command_need need;
};

std::span<const command_row> command_table();

} // namespace mondrel
