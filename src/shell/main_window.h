#pragma once
// The main window: the tab strip of open codesheets above the sheet grid, the menu bar and the
// toolbars built from the command tables (commands.h), and the status bar. It assembles the parts
// and forwards: the slots (document_slots) own the sheets and the file commands, the display object
// (mrdisplay) the rows and everything done in the grid, the run controller the runs. The window
// binds them to widgets and keeps the sheet away from the user while a run is in progress.

#include <QMainWindow>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "display/grid_ports.h"
#include "display/picture_library.h"
#include "platform/qt/qt_canvas.h"
#include "platform/diagnostic_log.h"
#include "platform/qt/qt_pictures.h"
#include "shell/qt_text_clipboard.h"
#include "shell/session/document_slots.h"
#include "shell/options_dlg.h"
#include "shell/session/options.h"

class QAction;
class QLabel;
class QMenu;
class QTabBar;
class QToolBar;

namespace mondrel {

class TorbStringGrid;
class command_set;
class format_editor;
class mrdisplay;
class qt_text_field;
class run_controller;
class Tdlg_print;
class Tdlg_properties;
class run_engine;
class syntax_bar;

// The status bar's panels: the first stays empty, then the line number and the hints.
inline constexpr int status_panel_widths[3] = {20, 100, 50};
inline constexpr std::string_view running_text = "Running\u2026";

class TForm1 : public QMainWindow, public display_host, public slot_view {
    Q_OBJECT
public:
    // `file` is the command line's codesheet; `ask` answers every question and file dialog
    // (nullptr: the real dialogs) and must outlive the window. The options are read from
    // `store` at start-up and written back at close and whenever the recent files change;
    // nullptr gives the window a store in memory that nothing outlives (the program passes
    // its QSettings store), so a window made in a test never touches the user's settings.
    explicit TForm1(std::optional<std::string> file = std::nullopt, prompts* ask = nullptr,
                    settings_store* store = nullptr);
    ~TForm1() override;

    // --- the parts (the window's tests reach them here) ----------------------------------
    document_slots& doc_slots() { return *slots_; }
    mrdisplay& display() { return *display_; }
    TorbStringGrid& grid() { return *grid_; }
    QTabBar& tabs() { return *doc_tabs_; }
    QLabel& status_panel(int i) { return *panels_[i]; }
    qt_text_field& code_field() { return *code_field_; }
    qt_text_field& name_field() { return *name_field_; }
    run_controller& runs() { return *runs_; }
    bool running() const;
    // A run is in progress or asked for and about to start.
    bool busy() const { return running() || requested_ != nullptr; }
    // The action of a command ("file_new", "run_go", ...), nullptr when there is none.
    QAction* action(std::string_view name) const;
    command_set& commands() { return *commands_; }
    // A toolbar by its name in the table ("main", "run", "code_word", "syntax").
    QToolBar* toolbar(std::string_view name) const;
    syntax_bar& syntax() { return *syntax_; }
    QMenu& grid_menu() { return *line_menu_; }
    QMenu& tab_menu() { return *tab_menu_; }
    int font_increment() const { return options_.font_increment; }
    // The settings in memory, and the store they are saved to.
    mondrel_options& options() { return options_; }
    settings_store& settings() { return *store_; }
    // Takes the window's bounds, the recent files, the global names and the toolbar layout
    // into the options and writes them all to the store; false when the store failed.
    bool save_settings();
    // The log the options switch on (its file and whether it is writing).
    const file_log& error_log() const { return log_; }
    // Starts the error log at the options' file (the platform default when none is named),
    // or stops it; a file that cannot be written is reported once in the status bar.
    void apply_logging();
    // The format editor of Edit Format (nullptr: the window's own input box again).
    void set_format_editor(format_editor* editor);
    // Hints on the status bar and tooltips over the main and run toolbars (the options).
    void set_hints(bool status_line, bool toolbar);
    // The dialogs the options dialog opens (tests answer them; empty members: the real ones).
    void set_options_hooks(options_dialog_hooks hooks) { options_hooks_ = std::move(hooks); }

    // --- display_host ------------------------------------------------------------------
    void update_actions() override;
    void show_line_number(std::string_view number) override;
    void show_hint(std::string_view hint) override;
    bool status_line_hints() const override { return options_.status_line_hints; }
    void line_popup(int x, int y) override;
    void load_ifile(const std::string& page, int flags) override;
    void go_back() override;
    void new_file() override;
    void load_file(const std::string& name) override;
    void open_external(const std::string& target) override;
    void information(std::string_view message) override;
    void run_sheet() override;

    // --- slot_view -----------------------------------------------------------------------
    void show_document(mondrel_doc& doc) override;
    void select_rows(int first, int last) override;
    void run_all() override;
    void recent_files_changed() override;

    // --- the commands (handlers of the action table) ---------------------------------------
    using command_handler = void (TForm1::*)();
    // The handler of an action, nullptr when the window has none (yet).
    static command_handler handler(std::string_view action_name);
    void file_newExecute();
    void file_openExecute();
    void file_saveExecute();
    void file_save_asExecute();
    void file_save_allExecute();
    void file_closeExecute();
    void file_close_allExecute();
    void file_close_othersExecute();
    void file_exitExecute();
    void edit_undoExecute();
    void edit_redoExecute();
    void edit_cutExecute();
    void edit_copyExecute();
    void edit_pasteExecute();
    void edit_deleteExecute();
    void edit_addExecute();
    void edit_insertExecute();
    void edit_add_childExecute();
    void edit_select_allExecute();
    void edit_okExecute();
    void edit_cancelExecute();
    void edit_formatExecute();
    void edit_copy_formatExecute();
    void edit_paste_formatExecute();
    void edit_copy_cellsExecute();
    void edit_convert_to_listExecute();
    void edit_convert_from_listExecute();
    void edit_type_allExecute(int32_t word);
    void file_reopen_clearExecute();
    void file_printExecute();
    // The print dialog, made at the first print and kept so its choices stay.
    Tdlg_print& print_dialog();
    void file_propertiesExecute();
    Tdlg_properties& properties_dialog();
    void run_gogoExecute();
    void run_goExecute();
    void run_step_overExecute();
    void run_step_intoExecute();
    void run_stopExecute();
    void run_resetExecute();
    void run_breakpointExecute();
    void run_clearExecute();
    void view_toggle_formattingExecute();
    void view_collapse_allExecute();
    void view_expand_allExecute();
    void view_increase_fontExecute();
    void view_decrease_fontExecute();
    void help_aboutExecute();
    void help_topicsExecute();
    void help_examplesExecute();
    void help_welcomeExecute();
    void tools_optionsExecute();
    // The Paste items of the Edit menu and the grid's pop-up follow the clipboard.
    void update_edit_menu();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a requested run does once it starts.
    enum class run_kind { all, step_over, step_into };

    void build_widgets();
    void build_commands();
    void build_menus();
    void build_toolbars();
    void fill_reopen_menu();
    void change_font(int step);
    void show_syntax(int32_t word);
    void update_tabs();
    void end_edit_accepting();
    void keep_focus_on_sheet();
    Tdoc_slot* slot_of(const mondrel_doc& doc);
    Tdoc_slot* slot_of(const run_engine& engine);
    // Runs: asked for (possibly in the middle of a command), started once the command is over.
    void request_run(int chain_depth = 0, run_kind kind = run_kind::all);
    void start_requested_run();
    void run_finished(run_engine* engine);
    void tab_changed(int index);
    void tab_popup(const QPoint& at);
    void screen_density_changed();

    // Start-up: the options read and applied (window bounds on a screen that exists).
    void apply_options();
    void restore_bounds();

    mondrel_options options_;
    std::unique_ptr<settings_store> own_store_;
    settings_store* store_ = nullptr;
    file_log log_;
    diagnostic_log* previous_log_ = nullptr;
    bool saving_ = false;
    options_dialog_hooks options_hooks_;
    std::unique_ptr<Tdlg_print> print_dlg_;
    std::unique_ptr<Tdlg_properties> properties_dlg_;
    std::unique_ptr<prompts> own_prompts_;
    prompts* ask_ = nullptr;
    qt_canvas_factory factory_;
    qt_picture_source source_;
    picture_library pictures_{source_};
    qt_text_clipboard clipboard_;
    std::string picture_folder_;

    TorbStringGrid* grid_ = nullptr; // StringGrid1
    QTabBar* doc_tabs_ = nullptr;
    QLabel* panels_[3] = {};
    qt_text_field* code_field_ = nullptr;
    qt_text_field* name_field_ = nullptr;
    QMenu* reopen_menu_ = nullptr;
    std::vector<QAction*> recent_items_; // the recent files in the Reopen menu
    QMenu* line_menu_ = nullptr;
    QMenu* tab_menu_ = nullptr;
    command_set* commands_ = nullptr;
    std::map<std::string, QToolBar*, std::less<>> toolbars_;
    syntax_bar* syntax_ = nullptr;
    std::unique_ptr<format_editor> own_format_editor_;
    format_editor* format_editor_ = nullptr;

    std::unique_ptr<mrdisplay> display_;
    std::unique_ptr<document_slots> slots_;
    std::unique_ptr<run_controller> runs_; // after the slots: it ends before their engines go

    bool changing_tabs_ = false;      // the window itself is setting the tab strip
    run_engine* requested_ = nullptr; // the engine a requested run is for
    int requested_depth_ = 0;
    run_kind requested_kind_ = run_kind::all;
    bool close_after_run_ = false;
    bool enter_after_run_ = false; // Enter was pressed in an editor while a run was going on
};

} // namespace mondrel
