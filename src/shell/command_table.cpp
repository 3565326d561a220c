#include "shell/command_table.h"

#include "shell/main_window.h"

namespace mondrel {

namespace {

using need = command_need;

// In menu order. A row without a name is a separator of its menu.
const command_row commands[] = {
    {"file_new", "&File", "&New", "Ctrl+N", "Create a new codesheet", &TForm1::file_newExecute,
     need::idle},
    {"file_open", "&File", "&Open...", "Ctrl+O", "Open an existing codesheet",
     &TForm1::file_openExecute, need::idle},
    {"file_save", "&File", "&Save", "Ctrl+S", "Save the active codesheet",
     &TForm1::file_saveExecute, need::editable},
    {"file_save_as", "&File", "Save &As...", "", "Save the active codesheet with a new name",
     &TForm1::file_save_asExecute, need::editable},
    {"file_save_all", "&File", "Save A&ll", "", "Save all the active codesheets",
     &TForm1::file_save_allExecute, need::idle},
    {"file_close", "&File", "&Close", "Ctrl+W;Ctrl+F4", "Close the active codesheet",
     &TForm1::file_closeExecute, need::idle},
    {"file_close_all", "&File", "Close All", "", "Close all the open codesheets",
     &TForm1::file_close_allExecute, need::idle},
    {"file_close_others", "&File", "Close All Others", "", "Close all the other codesheets",
     &TForm1::file_close_othersExecute, need::idle},
    {"", "&File", "", "", "", nullptr, need::always},
    {"file_exit", "&File", "E&xit", "", "Exit mondrel", &TForm1::file_exitExecute, need::always},

    {"edit_undo", "&Edit", "&Undo", "Ctrl+Z", "Undo your most recent keystrokes or mouse actions.",
     &TForm1::edit_undoExecute, need::editable},
    {"edit_redo", "&Edit", "&Redo", "Ctrl+Y", "Reverse the effects of your most recent Undo.",
     &TForm1::edit_redoExecute, need::editable},
    {"", "&Edit", "", "", "", nullptr, need::always},
    {"edit_cut", "&Edit", "Cu&t", "Ctrl+X",
     "Remove the selected lines and puts them in the clipboard.", &TForm1::edit_cutExecute,
     need::editable},
    {"edit_copy", "&Edit", "&Copy", "Ctrl+C",
     "Copy the selected lines and put them in the clipboard.", &TForm1::edit_copyExecute,
     need::idle},
    {"edit_paste", "&Edit", "&Paste", "Ctrl+V",
     "Replace the currently selected lines with the contents of the clipboard.",
     &TForm1::edit_pasteExecute, need::editable},
    {"edit_delete", "&Edit", "&Delete", "", "Delete the selected lines.",
     &TForm1::edit_deleteExecute, need::editable},
    {"", "&Edit", "", "", "", nullptr, need::always},
    {"edit_add", "&Edit", "&Add Line", "", "Insert a blank line after the currently selected line.",
     &TForm1::edit_addExecute, need::editable},
    {"edit_insert", "&Edit", "&Insert Line", "",
     "Insert a blank line in front of the currently selected line.", &TForm1::edit_insertExecute,
     need::editable},
    {"edit_add_child", "&Edit", "Add C&hild Line", "",
     "Add a blank child line(.1) to the selected line.", &TForm1::edit_add_childExecute,
     need::editable},

    {"run_go", "&Run", "&Go", "F9", "Execute all the lines in the active codesheet.",
     &TForm1::run_goExecute, need::idle},
    {"run_stop", "&Run", "&Stop", "Esc", "Stop the run in progress.", &TForm1::run_stopExecute,
     need::running},
    {"run_reset", "&Run", "&Reset", "", "Halt execution and clear all the data cells.",
     &TForm1::run_resetExecute, need::idle},

    {"help_topics", "&Help", "&Help Topics", "F1", "Open the Help codesheet.",
     &TForm1::help_topicsExecute, need::idle},
    {"help_examples", "&Help", "&Examples", "", "Open the Examples codesheet.",
     &TForm1::help_examplesExecute, need::idle},
    {"help_welcome", "&Help", "&Welcome", "", "Open the Welcome codesheet.",
     &TForm1::help_welcomeExecute, need::idle},
};

} // namespace

std::span<const command_row> command_table() {
    return commands;
}

} // namespace mondrel
