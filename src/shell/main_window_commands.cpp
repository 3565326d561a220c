// The window's command handlers: one member per action of the table (commands.h), found by
// the action's name. Each ends the edit where the command says so, lets the display, the
// slots or the run engine do the work (the display opens the named undo steps) and ends
// with update_actions.

#include <QAction>
#include <QMenu>

#include <algorithm>

#include "display/mrdisplay.h"
#include "document/mondrel_doc.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "platform/qt/qt_text.h"
#include "shell/main_window.h"
#include "shell/run_controller.h"
#include "shell/string_grid.h"
#include "shell/syntax_bar.h"

namespace mondrel {

namespace {

struct handler_row {
    std::string_view name;
    TForm1::command_handler run;
};

// The code word actions share edit_type_allExecute (the window connects them by their tag);
// every other command has its handler here.
const handler_row handlers[] = {
    {"file_new", &TForm1::file_newExecute},
    {"file_open", &TForm1::file_openExecute},
    {"file_save", &TForm1::file_saveExecute},
    {"file_save_as", &TForm1::file_save_asExecute},
    {"file_save_all", &TForm1::file_save_allExecute},
    {"file_close", &TForm1::file_closeExecute},
    {"file_close_all", &TForm1::file_close_allExecute},
    {"file_close_others", &TForm1::file_close_othersExecute},
    {"file_reopen_clear", &TForm1::file_reopen_clearExecute},
    {"file_print", &TForm1::file_printExecute},
    {"file_properties", &TForm1::file_propertiesExecute},
    {"file_exit", &TForm1::file_exitExecute},
    {"edit_undo", &TForm1::edit_undoExecute},
    {"edit_redo", &TForm1::edit_redoExecute},
    {"edit_cut", &TForm1::edit_cutExecute},
    {"edit_copy", &TForm1::edit_copyExecute},
    {"edit_paste", &TForm1::edit_pasteExecute},
    {"edit_delete", &TForm1::edit_deleteExecute},
    {"edit_select_all", &TForm1::edit_select_allExecute},
    {"edit_add", &TForm1::edit_addExecute},
    {"edit_add_child", &TForm1::edit_add_childExecute},
    {"edit_insert", &TForm1::edit_insertExecute},
    {"edit_ok", &TForm1::edit_okExecute},
    {"edit_cancel", &TForm1::edit_cancelExecute},
    {"edit_format", &TForm1::edit_formatExecute},
    {"edit_copy_format", &TForm1::edit_copy_formatExecute},
    {"edit_paste_format", &TForm1::edit_paste_formatExecute},
    {"edit_copy_cells", &TForm1::edit_copy_cellsExecute},
    {"edit_convert_to_list", &TForm1::edit_convert_to_listExecute},
    {"edit_convert_from_list", &TForm1::edit_convert_from_listExecute},
    {"run_gogo", &TForm1::run_gogoExecute},
    {"run_go", &TForm1::run_goExecute},
    {"run_step_over", &TForm1::run_step_overExecute},
    {"run_step_into", &TForm1::run_step_intoExecute},
    {"run_stop", &TForm1::run_stopExecute},
    {"run_reset", &TForm1::run_resetExecute},
    {"run_breakpoint", &TForm1::run_breakpointExecute},
    {"run_clear", &TForm1::run_clearExecute},
    {"view_toggle_formatting", &TForm1::view_toggle_formattingExecute},
    {"view_collapse_all", &TForm1::view_collapse_allExecute},
    {"view_expand_all", &TForm1::view_expand_allExecute},
    {"view_increase_font", &TForm1::view_increase_fontExecute},
    {"view_decrease_font", &TForm1::view_decrease_fontExecute},
    {"help_about", &TForm1::help_aboutExecute},
    {"help_topics", &TForm1::help_topicsExecute},
    {"help_examples", &TForm1::help_examplesExecute},
    {"help_welcome", &TForm1::help_welcomeExecute},
    {"tools_options", &TForm1::tools_optionsExecute},
};

} // namespace

TForm1::command_handler TForm1::handler(std::string_view action_name) {
    for (const handler_row& row : handlers)
        if (row.name == action_name) return row.run;
    return nullptr;
}

// --- File ----------------------------------------------------------------------------------

void TForm1::file_newExecute() {
    end_edit_accepting();
    slots_->file_new();
}

void TForm1::file_openExecute() {
    end_edit_accepting();
    slots_->file_open();
}

// The recent files, newest first and numbered for the keyboard, go before the Reopen menu's
// separator and Clear; chosen, one opens in a tab of its own.
void TForm1::fill_reopen_menu() {
    for (QAction* item : recent_items_)
        delete item;
    recent_items_.clear();
    QAction* before = reopen_menu_->actions().isEmpty() ? nullptr : reopen_menu_->actions().front();
    int n = 0;
    for (const std::string& name : slots_->recent_files()) {
        ++n;
        QString caption = to_qstring(name);
        caption.replace(u'&', QStringLiteral("&&"));
        if (n <= 9) caption = QStringLiteral("&%1 %2").arg(n).arg(caption);
        auto* act = new QAction(caption, reopen_menu_);
        act->setStatusTip(to_qstring(name));
        connect(act, &QAction::triggered, this, [this, name] {
            if (busy()) return;
            end_edit_accepting();
            slots_->load_file(name);
        });
        reopen_menu_->insertAction(before, act);
        recent_items_.push_back(act);
    }
}

void TForm1::file_reopen_clearExecute() {
    slots_->set_recent({});
    fill_reopen_menu();
    update_actions();
}

void TForm1::file_saveExecute() {
    end_edit_accepting();
    slots_->file_save();
}

void TForm1::file_save_asExecute() {
    end_edit_accepting();
    slots_->file_save_as();
}

void TForm1::file_save_allExecute() {
    end_edit_accepting();
    slots_->file_save_all();
}

void TForm1::file_closeExecute() {
    end_edit_accepting();
    slots_->close_file();
}

void TForm1::file_close_allExecute() {
    end_edit_accepting();
    slots_->close_all_files();
}

void TForm1::file_close_othersExecute() {
    end_edit_accepting();
    slots_->close_all_other_files();
}

void TForm1::file_exitExecute() {
    end_edit_accepting();
    close();
}

// --- Edit ----------------------------------------------------------------------------------

void TForm1::edit_undoExecute() {
    display_->undo();
    update_actions();
}

void TForm1::edit_redoExecute() {
    display_->redo();
    update_actions();
}

void TForm1::edit_cutExecute() {
    display_->cut();
    update_actions();
}

void TForm1::edit_copyExecute() {
    display_->copy();
}

void TForm1::edit_pasteExecute() {
    display_->paste();
    update_actions();
}

void TForm1::edit_deleteExecute() {
    display_->delete_selection();
    update_actions();
}

void TForm1::edit_select_allExecute() {
    const int rows = display_->rows().grid_row_count();
    if (rows == 0 || !display_->document()) return;
    display_->select_rows(1, rows);
    display_->update_grid();
}

void TForm1::edit_addExecute() {
    end_edit_accepting();
    display_->add_line(0);
}

void TForm1::edit_insertExecute() {
    end_edit_accepting();
    display_->insert_line();
}

void TForm1::edit_add_childExecute() {
    end_edit_accepting();
    display_->add_child_line();
}

void TForm1::edit_okExecute() {
    end_edit_accepting();
    grid_->setFocus();
    update_actions();
}

void TForm1::edit_cancelExecute() {
    if (display_->editing()) display_->end_edit(end_edit_mode::cancel);
    grid_->setFocus();
    update_actions();
}

void TForm1::edit_formatExecute() {
    display_->edit_format(*format_editor_);
}

void TForm1::edit_copy_formatExecute() {
    display_->copy_format();
    update_actions();
}

void TForm1::edit_paste_formatExecute() {
    display_->paste_format();
}

void TForm1::edit_copy_cellsExecute() {
    display_->copy_cells();
}

void TForm1::edit_convert_to_listExecute() {
    display_->convert_to_list();
}

void TForm1::edit_convert_from_listExecute() {
    display_->convert_from_list();
}

// A code word button or menu item: its syntax shows at once; the line being edited takes the
// word (the editor stays open), else every selected line does.
void TForm1::edit_type_allExecute(int32_t word) {
    if (busy()) return;
    show_syntax(word);
    display_->set_code_word(word);
    update_actions();
}

// --- Run -----------------------------------------------------------------------------------

void TForm1::run_gogoExecute() {
    display_->toggle_auto_run();
    update_actions();
}

void TForm1::run_goExecute() {
    end_edit_accepting();
    request_run();
}

void TForm1::run_step_overExecute() {
    end_edit_accepting();
    request_run(0, run_kind::step_over);
}

void TForm1::run_step_intoExecute() {
    end_edit_accepting();
    request_run(0, run_kind::step_into);
}

void TForm1::run_stopExecute() {
    runs_->interrupt();
}

void TForm1::run_resetExecute() {
    if (busy()) return;
    end_edit_accepting();
    slots_->current().engine->reset();
    show_document(slots_->cur_doc());
    update_actions();
}

void TForm1::run_breakpointExecute() {
    end_edit_accepting();
    display_->toggle_breakpoint();
}

void TForm1::run_clearExecute() {
    if (busy() || slots_->slot_count() == 0) return;
    end_edit_accepting();
    clear_breakpoints(slots_->cur_doc());
    show_document(slots_->cur_doc());
    update_actions();
}

// --- View ----------------------------------------------------------------------------------

void TForm1::view_toggle_formattingExecute() {
    if (busy()) return;
    end_edit_accepting();
    display_->set_use_formats(!display_->use_formats());
    if (slots_->slot_count() > 0 && slots_->cur_doc().auto_running) request_run();
    update_actions();
}

void TForm1::view_collapse_allExecute() {
    display_->collapse_all();
    update_actions();
}

void TForm1::view_expand_allExecute() {
    display_->expand_all();
    update_actions();
}

void TForm1::view_increase_fontExecute() {
    change_font(1);
}

void TForm1::view_decrease_fontExecute() {
    change_font(-1);
}

// The increment has no bound either way; the display adds it to every font it draws.
void TForm1::change_font(int step) {
    options_.font_increment += step;
    display_->set_font_increment(options_.font_increment);
    if (!busy() && slots_->slot_count() > 0) show_document(slots_->cur_doc());
    update_actions();
}

// --- Help ----------------------------------------------------------------------------------

void TForm1::help_aboutExecute() {
    end_edit_accepting();
    slots_->load_ifile("About", ifile_own_tab | ifile_page_name);
}

void TForm1::help_topicsExecute() {
    end_edit_accepting();
    slots_->load_ifile("Help", ifile_own_tab | ifile_page_name);
}

void TForm1::help_examplesExecute() {
    end_edit_accepting();
    slots_->load_ifile("Examples", ifile_own_tab | ifile_page_name);
}

void TForm1::help_welcomeExecute() {
    end_edit_accepting();
    slots_->load_ifile("Welcome", ifile_own_tab | ifile_page_name);
}

} // namespace mondrel

namespace mondrel {

// --- Tools ---------------------------------------------------------------------------------

// The options edit the current sheet's formats and grid too; with no sheet open they are
// edited on a sheet of their own that is then dropped.
void TForm1::tools_optionsExecute() {
    if (busy()) return;
    end_edit_accepting();
    mondrel_doc scratch;
    mondrel_doc& doc = slots_->slot_count() > 0 ? slots_->cur_doc() : scratch;
    const auto log = run_options_dialog(this, options_, doc, process_globals(), format_editor_,
                                        options_hooks_);
    if (!log) return;
    if (*log != log_change::none) apply_logging();
    set_hints(options_.status_line_hints, options_.toolbar_hints);
    set_max_loop_count(options_.max_loop_count);
    display_->set_error_format(prop_list::from_text(options_.element_formats[8]));
    // Confirmed options are written at once, so a program killed later keeps them.
    save_settings();
    if (&doc != &scratch) {
        show_document(doc);
        if (doc.auto_running) request_run();
    }
    update_actions();
}

} // namespace mondrel
