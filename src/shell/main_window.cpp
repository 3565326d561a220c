#include "shell/main_window.h"
#include "shell/print_dlg.h"
#include "shell/properties_dlg.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "display/mrdisplay.h"
#include "display/prop_stuff.h"
#include "document/mondrel_doc.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_text.h"
#include "shell/command_set.h"
#include "shell/format_dlg.h"
#include "shell/grid_accessible.h"
#include "shell/qt_prompts.h"
#include "shell/qt_text_field.h"
#include "shell/run_controller.h"
#include "shell/session/commands.h"
#include "shell/session/external_links.h"
#include "shell/string_grid.h"
#include "shell/syntax_bar.h"

namespace mondrel {

namespace {

// What each status panel holds, for assistive technology (the panels' names are their texts).
constexpr std::string_view status_panel_names[3] = {"Status", "Selected line number", "Hint"};

// Tooltips over buttons are shown on these toolbars only (and only when the option is on).
constexpr std::string_view hinted_toolbars[] = {"main", "run"};

} // namespace

TForm1::TForm1(std::optional<std::string> file, prompts* ask, settings_store* store)
    : factory_(devicePixelRatioF()), source_(devicePixelRatioF()) {
    if (!store) {
        own_store_ = std::make_unique<memory_settings_store>();
        store = own_store_.get();
    }
    store_ = store;
    load_options(*store_, options_); // the problems found are in the log
    if (!ask) {
        own_prompts_ = std::make_unique<qt_prompts>(this);
        ask = own_prompts_.get();
    }
    ask_ = ask;
    setWindowTitle(QStringLiteral("Quastel Mondrel"));

    own_format_editor_ = std::make_unique<qt_format_editor>(this);
    format_editor_ = own_format_editor_.get();
    install_grid_accessible();
    build_widgets();
    build_commands();
    build_toolbars();
    build_menus();

    display_ = std::make_unique<mrdisplay>(factory_, pictures_, *this, *code_field_, *name_field_,
                                           clipboard_);
    display_->set_grid(grid_);
    grid_->set_display(display_.get(), &factory_, &source_);

    runs_ = std::make_unique<run_controller>(this);
    connect(runs_.get(), &run_controller::long_running, this,
            [this] { panels_[2]->setText(to_qstring(running_text)); });
    connect(runs_.get(), &run_controller::finished, this, &TForm1::run_finished);

    slots_ = std::make_unique<document_slots>(*this, *ask_);
    apply_options();
    slots_->start(file);
    update_actions();
    update_edit_menu();
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TForm1::update_edit_menu);
}

TForm1::~TForm1() {
    runs_.reset(); // interrupts a run in progress and waits for it
    if (current_diagnostic_log() == &log_) set_diagnostic_log(previous_log_);
    grid_->set_display(nullptr, nullptr, nullptr);
}

void TForm1::build_widgets() {
    auto* centre = new QWidget(this);
    auto* column = new QVBoxLayout(centre);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    doc_tabs_ = new QTabBar(centre);
    doc_tabs_->setObjectName(QStringLiteral("doc_tabs"));
    doc_tabs_->setExpanding(false);
    doc_tabs_->setDocumentMode(true);
    doc_tabs_->setAccessibleName(QStringLiteral("Open codesheets"));
    doc_tabs_->installEventFilter(this);
    connect(doc_tabs_, &QTabBar::currentChanged, this, &TForm1::tab_changed);
    grid_ = new TorbStringGrid(centre);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    column->addWidget(doc_tabs_);
    column->addWidget(grid_, 1);
    setCentralWidget(centre);
    grid_->setFocus();

    code_field_ = new qt_text_field(grid_->viewport());
    name_field_ = new qt_text_field(grid_->viewport());
    code_field_->setObjectName(QStringLiteral("code_field"));
    name_field_->setObjectName(QStringLiteral("name_field"));
    code_field_->setAccessibleName(QStringLiteral("Code"));
    name_field_->setAccessibleName(QStringLiteral("Name"));
    for (qt_text_field* field : {code_field_, name_field_}) {
        field->hide();
        connect(field, &qt_text_field::enter_pressed, this, [this] {
            // Typed ahead while a run holds the sheet: the edit ends when the run is over.
            if (running())
                enter_after_run_ = true;
            else if (display_->editing())
                display_->end_edit(end_edit_mode::commit_and_continue);
        });
        connect(field, &qt_text_field::escape_pressed, this, [this] {
            if (running())
                runs_->interrupt();
            else if (display_->editing())
                display_->end_edit(end_edit_mode::cancel);
            if (!display_->editing()) grid_->setFocus();
        });
    }
    connect(grid_, &TorbStringGrid::escape_pressed, this, [this] { runs_->interrupt(); });
    connect(grid_, &TorbStringGrid::scrolled, this, [this] {
        if (display_ && display_->editing() && !running()) display_->grid_moved();
    });
    connect(grid_, &TorbStringGrid::density_changed, this, &TForm1::screen_density_changed);
    connect(grid_, &TorbStringGrid::font_step, this, &TForm1::change_font);

    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setMinimumWidth(status_panel_widths[i]);
        if (i < 2) panels_[i]->setFixedWidth(status_panel_widths[i]);
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        panels_[i]->setAccessibleDescription(to_qstring(status_panel_names[i]));
        // The hint panel takes the rest of the bar: hints are longer than its 50 pixels.
        statusBar()->addWidget(panels_[i], i == 2 ? 1 : 0);
    }
    statusBar()->setSizeGripEnabled(true);
}

void TForm1::build_commands() {
    // The code word actions all go to edit_type_allExecute with their tag.
    commands_ = new command_set(*this, source_, [](std::string_view name) {
        return name.rfind("edit_type_", 0) == 0 || handler(name) != nullptr;
    });
    for (QAction* act : commands_->actions()) {
        const std::string name = act->objectName().toStdString();
        if (act->actionGroup() == &commands_->code_words()) {
            const int32_t word = act->data().toInt();
            connect(act, &QAction::triggered, this, [this, word] { edit_type_allExecute(word); });
        } else if (command_handler run = handler(name)) {
            connect(act, &QAction::triggered, this, [this, run] {
                (this->*run)();
                keep_focus_on_sheet();
            });
        }
    }
}

// After a command the keys go back to the sheet: a dialog or question the command showed has
// closed, and the grid, not whatever the window would pick as it is activated again, takes
// them. An open line editor keeps them, and so does the tab strip when the user is on it.
void TForm1::keep_focus_on_sheet() {
    if (!grid_ || !display_ || display_->editing()) return;
    QWidget* now = QApplication::focusWidget();
    if (now == grid_ || (now && now == doc_tabs_)) return;
    grid_->setFocus(Qt::OtherFocusReason);
}

void TForm1::build_toolbars() {
    for (const toolbar_spec& spec : toolbars()) {
        QToolBar* bar = commands_->make_toolbar(spec, this);
        if (spec.name == "syntax") {
            syntax_ = new syntax_bar(bar);
            bar->addWidget(syntax_);
        }
        const bool hinted = std::find(std::begin(hinted_toolbars), std::end(hinted_toolbars),
                                      spec.name) != std::end(hinted_toolbars);
        for (QToolButton* button : bar->findChildren<QToolButton*>()) {
            button->setProperty("mondrel_hinted", hinted);
            button->installEventFilter(this);
        }
        // The code word and syntax bars start on a row of their own: one row would not
        // hold them all in a window of ordinary width.
        if (spec.name == "code_word") addToolBarBreak(Qt::TopToolBarArea);
        bar->setObjectName(QStringLiteral("toolbar_") + to_qstring(spec.name)); // for saveState
        addToolBar(Qt::TopToolBarArea, bar);
        toolbars_.emplace(std::string(spec.name), bar);
    }
    if (!syntax_) syntax_ = new syntax_bar(this); // a table without the syntax toolbar
}

void TForm1::build_menus() {
    commands_->menu_made = [this](const std::string& name, QMenu& menu) {
        if (name == "menu_reopen") {
            reopen_menu_ = &menu;
            menu.setObjectName(QStringLiteral("file_reopen"));
            connect(&menu, &QMenu::aboutToShow, this, &TForm1::fill_reopen_menu);
        } else if (name == "menu_toolbars") {
            // The toggles take the toolbars' captions with their mnemonics; the toolbars'
            // titles, which the toggles would otherwise show, are never changed later.
            for (const toolbar_spec& spec : toolbars())
                if (QToolBar* bar = toolbar(spec.name)) {
                    bar->toggleViewAction()->setText(to_qstring(spec.caption));
                    menu.addAction(bar->toggleViewAction());
                }
        }
    };
    for (const menu_spec& spec : menu_bar()) {
        QMenu* menu = menuBar()->addMenu(to_qstring(spec.caption));
        QString name = to_qstring(spec.caption).remove(u'&').toLower();
        menu->setObjectName(QStringLiteral("menu_") + name);
        commands_->fill_menu(*menu, spec.entries);
        // A menu with a Paste item looks at the clipboard as it opens.
        const std::vector<QAction*>& pastes = commands_->paste_items();
        if (std::any_of(pastes.begin(), pastes.end(),
                        [menu](QAction* item) { return item->parent() == menu; }))
            connect(menu, &QMenu::aboutToShow, this, &TForm1::update_edit_menu);
    }
    if (!reopen_menu_) {
        // The tables name no Reopen submenu: the recent files still have a place.
        reopen_menu_ = new QMenu(QStringLiteral("&Reopen"), this);
        reopen_menu_->setObjectName(QStringLiteral("file_reopen"));
        connect(reopen_menu_, &QMenu::aboutToShow, this, &TForm1::fill_reopen_menu);
    }
    commands_->menu_made = nullptr;
    line_menu_ = new QMenu(this);
    line_menu_->setObjectName(QStringLiteral("grid_popup"));
    commands_->fill_menu(*line_menu_, grid_popup());
    tab_menu_ = new QMenu(this);
    tab_menu_->setObjectName(QStringLiteral("tab_popup"));
    commands_->fill_menu(*tab_menu_, mondrel::tab_popup());
}

QAction* TForm1::action(std::string_view name) const {
    return commands_ ? commands_->action(name) : nullptr;
}

QToolBar* TForm1::toolbar(std::string_view name) const {
    auto it = toolbars_.find(name);
    return it == toolbars_.end() ? nullptr : it->second;
}

void TForm1::set_format_editor(format_editor* editor) {
    format_editor_ = editor ? editor : own_format_editor_.get();
}

void TForm1::set_hints(bool status_line, bool toolbar) {
    options_.status_line_hints = status_line;
    options_.toolbar_hints = toolbar;
    if (!status_line) panels_[2]->clear();
}

bool TForm1::running() const {
    return runs_ && runs_->running();
}

Tdoc_slot* TForm1::slot_of(const mondrel_doc& doc) {
    for (size_t i = 0; i < slots_->slot_count(); ++i)
        if (slots_->slot(i).doc.get() == &doc) return &slots_->slot(i);
    return nullptr;
}

Tdoc_slot* TForm1::slot_of(const run_engine& engine) {
    for (size_t i = 0; i < slots_->slot_count(); ++i)
        if (slots_->slot(i).engine.get() == &engine) return &slots_->slot(i);
    return nullptr;
}

void TForm1::end_edit_accepting() {
    if (display_->editing()) display_->end_edit(end_edit_mode::commit);
}

// --- title, tabs, commands -------------------------------------------------------------------

void TForm1::update_actions() {
    if (!slots_ || !runs_) return; // still being built
    const bool busy = running();
    // While a run is in progress the sheets are not read: the title and tabs stay as they are.
    if (!busy && slots_->slot_count() > 0) {
        const QString title = to_qstring(slots_->window_title());
        if (windowTitle() != title) setWindowTitle(title);
        update_tabs();
    }
    action_inputs in;
    in.worker_busy = busy;
    in.run = busy ? sheet_run_state::running : sheet_run_state::idle;
    mondrel_doc* doc = display_ ? display_->document() : nullptr;
    if (!busy && doc && slots_->slot_count() > 0) {
        if (const Tdoc_slot* slot = slot_of(*doc); slot && slot->engine) {
            switch (slot->engine->state()) {
            case run_state::idle:
                in.run = sheet_run_state::idle;
                break;
            case run_state::running:
                in.run = sheet_run_state::running;
                break;
            case run_state::paused:
                in.run = sheet_run_state::paused;
                break;
            }
        }
        in.read_only = doc->read_only;
        in.rows = display_->rows().grid_row_count();
        in.first = in.rows > 0 ? doc->sel_first : -1;
        in.last = in.rows > 0 ? doc->sel_last : -1;
        in.editing = display_->editing();
        in.edit_word = display_->edit_word();
        const std::vector<int> lines = display_->selected_lines();
        in.common_word = common_code_word(*doc, lines);
        in.copied_format = display_->holds_format();
        in.can_undo = doc->history().undo_count() > 0;
        in.can_redo = doc->history().redo_count() > 0;
        in.auto_running = doc->auto_running;
    } else if (slots_->slot_count() == 0) {
        in.read_only = true;
    }
    in.use_formats = display_ ? display_->use_formats() : true;
    const action_states states = compute_action_states(in);
    commands_->apply(states);
    if (!states.keep_syntax && !busy) show_syntax(states.syntax_word);
    doc_tabs_->setEnabled(!busy);
    reopen_menu_->setEnabled(!busy);
}

void TForm1::show_syntax(int32_t word) {
    syntax_->show_word(word, display_->painter(), devicePixelRatioF());
}

// Reading the clipboard may wait on another program, so it is read only at start-up, when it
// changes, and as a menu or the grid's pop-up opens; not after every command.
void TForm1::update_edit_menu() {
    if (!commands_) return;
    const QString text = QGuiApplication::clipboard()->text().left(500);
    commands_->set_clipboard_has_text(!text.isEmpty());
}

void TForm1::update_tabs() {
    const std::vector<std::string> labels = slots_->tab_labels();
    changing_tabs_ = true;
    if (doc_tabs_->count() != static_cast<int>(labels.size()))
        while (doc_tabs_->count() > 0)
            doc_tabs_->removeTab(0);
    for (int i = 0; i < static_cast<int>(labels.size()); ++i) {
        const QString label = to_qstring(labels[i]);
        if (i < doc_tabs_->count()) {
            if (doc_tabs_->tabText(i) != label) doc_tabs_->setTabText(i, label);
        } else {
            doc_tabs_->addTab(label);
        }
        // The "*" of a modified sheet is said in words.
        QString spoken = label;
        if (spoken.endsWith(u'*')) spoken = spoken.chopped(1) + QStringLiteral(", modified");
        doc_tabs_->setAccessibleTabName(i, spoken);
    }
    doc_tabs_->setCurrentIndex(slots_->cur_slot());
    changing_tabs_ = false;
}

void TForm1::tab_changed(int index) {
    if (changing_tabs_ || index < 0 || !slots_) return;
    if (running()) {
        // No tab change acts while a run is in progress.
        changing_tabs_ = true;
        doc_tabs_->setCurrentIndex(slots_->cur_slot());
        changing_tabs_ = false;
        return;
    }
    end_edit_accepting();
    if (index != slots_->cur_slot() || display_->document() != &slots_->cur_doc())
        slots_->make_current(index);
}

// The hint of a menu command goes to the hint panel, not over the whole status bar (Qt's own
// status tips would hide the panels while they show).
bool TForm1::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // A menu or toolbar item highlighted shows its hint; leaving it clears the panel.
        if (options_.status_line_hints)
            show_hint(static_cast<QStatusTipEvent*>(event)->tip().toStdString());
        return true;
    }
    return QMainWindow::event(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QVariant hinted = watched->property("mondrel_hinted");
        if (hinted.isValid() && !(hinted.toBool() && options_.toolbar_hints)) return true;
    }
    if (watched == doc_tabs_ && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            tab_popup(mouse->position().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::tab_popup(const QPoint& at) {
    if (running()) return;
    end_edit_accepting();
    const int index = doc_tabs_->tabAt(at);
    if (index < 0) return;
    slots_->point_at(index);
    changing_tabs_ = true;
    doc_tabs_->setCurrentIndex(index);
    changing_tabs_ = false;
    tab_menu_->exec(doc_tabs_->mapToGlobal(at));
    // Dismissed without a command, the pointed-at tab would be current while the grid still
    // shows the other sheet, and Save would act on a sheet not shown: show it.
    if (slots_->slot_count() > 0 && display_->document() != &slots_->cur_doc())
        slots_->make_current(slots_->cur_slot());
}

// --- display_host ------------------------------------------------------------------------

void TForm1::show_line_number(std::string_view number) {
    panels_[1]->setText(to_qstring(number));
}

void TForm1::show_hint(std::string_view hint) {
    if (running()) return; // the panel says "Running…"
    panels_[2]->setText(to_qstring(hint));
}

void TForm1::line_popup(int x, int y) {
    if (running()) return;
    update_actions();
    update_edit_menu();
    line_menu_->popup(grid_->viewport()->mapToGlobal(QPoint(x, y)));
}

// A link replaces or adds documents: it is followed once the click that found it is over, so
// the display never finishes a click on a document that is gone.
void TForm1::load_ifile(const std::string& page, int flags) {
    QTimer::singleShot(0, this, [this, page, flags] {
        if (!running()) slots_->load_ifile(page, flags);
    });
}

void TForm1::go_back() {
    QTimer::singleShot(0, this, [this] {
        if (!running()) slots_->go_back();
    });
}

void TForm1::new_file() {
    QTimer::singleShot(0, this, [this] {
        if (!running()) slots_->new_file();
    });
}

void TForm1::load_file(const std::string& name) {
    QTimer::singleShot(0, this, [this, name] {
        if (!running()) slots_->load_file(name);
    });
}

void TForm1::open_external(const std::string& target) {
    if (!external_link_is_safe(target) &&
        ask_->ask(external_link_question(target), "Mondrel", prompt_buttons::yes_no,
                  prompt_icon::question) != prompt_answer::yes)
        return;
    const QString folder =
        slots_->slot_count() ? to_qstring(slots_->cur_doc().directory()) : QDir::currentPath();
    QDesktopServices::openUrl(
        QUrl::fromUserInput(to_qstring(target), folder, QUrl::AssumeLocalFile));
}

void TForm1::information(std::string_view message) {
    ask_->information(message);
}

void TForm1::run_sheet() {
    request_run();
}

// --- slot_view ---------------------------------------------------------------------------

void TForm1::show_document(mondrel_doc& doc) {
    if (doc.directory() != picture_folder_ || !display_->document()) {
        picture_folder_ = doc.directory();
        pictures_.set_folder(picture_folder_);
    }
    const Tdoc_slot* slot = slot_of(doc);
    const run_engine* engine = slot ? slot->engine.get() : nullptr;
    const bool paused = engine && engine->state() == run_state::paused;
    display_->refresh(doc, paused ? engine->current_line() : -1,
                      engine ? &engine->fmt_results() : nullptr);
}

void TForm1::select_rows(int first, int last) {
    display_->select_rows(first, last);
}

void TForm1::run_all() {
    request_run();
}

void TForm1::screen_density_changed() {
    pictures_.set_folder(picture_folder_);
}

// --- runs --------------------------------------------------------------------------------

void TForm1::request_run(int chain_depth, run_kind kind) {
    if (running() || slots_->slot_count() == 0) return;
    const bool queued = requested_ != nullptr;
    requested_ = slots_->current().engine.get();
    requested_depth_ = chain_depth;
    requested_kind_ = kind;
    // A run asked for in the middle of a command (the commit of an edit that adds a line
    // next) starts when the command is over, so the command never meets a running sheet.
    if (!queued) QTimer::singleShot(0, this, &TForm1::start_requested_run);
}

void TForm1::start_requested_run() {
    run_engine* engine = requested_;
    requested_ = nullptr;
    if (!engine || running()) return;
    Tdoc_slot* slot = slot_of(*engine);
    if (!slot) return; // its tab was closed meanwhile
    // The current sheet is shown as the run starts (a sheet just opened has not been shown
    // yet); a sheet of another tab runs unseen. An edit the command left open (Enter opened
    // the next line) stays open: its text is the editor's own until it is committed.
    mondrel_doc& doc = *slot->doc;
    if (slot == &slots_->current() || display_->document() == &doc) {
        show_document(doc);
        display_->detach_from_document();
    }
    switch (requested_kind_) {
    case run_kind::all:
        runs_->start(*engine, requested_depth_);
        break;
    case run_kind::step_over:
        runs_->start_step(*engine, step_kind::over);
        break;
    case run_kind::step_into:
        runs_->start_step(*engine, step_kind::into);
        break;
    }
    requested_kind_ = run_kind::all;
    grid_->set_locked(true);
    update_actions();
}

void TForm1::run_finished(run_engine* engine) {
    grid_->set_locked(false);
    panels_[2]->clear();
    Tdoc_slot* slot = slot_of(*engine);
    if (slot && display_->document() == slot->doc.get()) {
        show_document(*slot->doc);
        // A pause (a breakpoint, a step) shows the line it stopped at.
        if (engine->state() == run_state::paused) display_->show_line(engine->current_line());
    }
    update_actions();
    if (runs_->failed()) information("The run stopped: not enough memory.");
    if (enter_after_run_) {
        enter_after_run_ = false;
        if (display_->editing()) display_->end_edit(end_edit_mode::commit_and_continue);
    }
    if (close_after_run_) {
        close_after_run_ = false;
        close();
        return;
    }
    if (slot && engine->reason() == stop_reason::chain) {
        // A `cmd run` line hands over to another codesheet: it opens in a tab of its own and
        // runs, one level deeper in the chain.
        namespace fs = std::filesystem;
        fs::path target(engine->chain_path());
        if (target.is_relative() && !slot->doc->directory().empty())
            target = fs::path(slot->doc->directory()) / target;
        const int depth = engine->chain_depth() + 1;
        if (slots_->load_file(target.lexically_normal().string())) request_run(depth);
    }
}

// --- settings ------------------------------------------------------------------------------

// What the options say, brought to the parts: bounds, fonts, formats, limits, lists, layout.
void TForm1::apply_options() {
    restore_bounds();
    set_max_loop_count(options_.max_loop_count);
    display_->set_font_increment(options_.font_increment);
    display_->set_error_format(prop_list::from_text(options_.element_formats[8]));
    set_hints(options_.status_line_hints, options_.toolbar_hints);
    std::array<std::string, sheet_format_count> formats;
    for (int i = 0; i < sheet_format_count; ++i)
        formats[i] = prop_list::from_text(options_.element_formats[i]).font_text();
    slots_->set_new_document_formats(formats);
    process_globals().set_names(options_.globals);
    if (!options_.toolbars.empty())
        restoreState(QByteArray::fromBase64(QByteArray::fromStdString(options_.toolbars)));
    // Set before the store is written back, so the list read is not overwritten half-made.
    saving_ = true;
    slots_->set_recent(options_.recent_files);
    saving_ = false;
    apply_logging();
}

// The saved bounds, unless no screen shows enough of them (a monitor since unplugged): then
// the window opens in the middle of the primary screen. Either way it is no larger than the
// screen it is on, and a window that hangs over an edge is pulled back onto its screen.
void TForm1::restore_bounds() {
    QRect bounds(options_.frm_left, options_.frm_top, options_.frm_width, options_.frm_height);
    const QScreen* best = nullptr;
    long long best_seen = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = screen->availableGeometry().intersected(bounds);
        const long long area = seen.width() >= 100 && seen.height() >= 50
                                   ? static_cast<long long>(seen.width()) * seen.height()
                                   : 0;
        if (area > best_seen) best_seen = area, best = screen;
    }
    const bool on_a_screen = best != nullptr;
    if (!best) best = QGuiApplication::primaryScreen();
    if (best) {
        const QRect area = best->availableGeometry();
        bounds.setSize(bounds.size().boundedTo(area.size()));
        if (!on_a_screen)
            bounds.moveTopLeft(area.topLeft() + QPoint((area.width() - bounds.width()) / 2,
                                                       (area.height() - bounds.height()) / 2));
        if (bounds.right() > area.right()) bounds.moveRight(area.right());
        if (bounds.bottom() > area.bottom()) bounds.moveBottom(area.bottom());
        if (bounds.left() < area.left()) bounds.moveLeft(area.left());
        if (bounds.top() < area.top()) bounds.moveTop(area.top());
    }
    setGeometry(bounds);
}

void TForm1::apply_logging() {
    if (!options_.err_logging) {
        log_.stop();
        if (current_diagnostic_log() == &log_) set_diagnostic_log(previous_log_);
        return;
    }
    log_.on_failure = [this](const std::string& file) {
        statusBar()->showMessage(to_qstring(log_failure_text(file)));
    };
    const std::string file =
        options_.err_log_file.empty() ? default_log_file() : options_.err_log_file;
    log_.start(file);
    if (current_diagnostic_log() != &log_) previous_log_ = set_diagnostic_log(&log_);
}

bool TForm1::save_settings() {
    if (saving_) return true;
    saving_ = true;
    const QRect bounds = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    options_.frm_left = bounds.x();
    options_.frm_top = bounds.y();
    options_.frm_width = bounds.width();
    options_.frm_height = bounds.height();
    options_.recent_files = slots_->recent_files();
    const global_list& globals = process_globals();
    options_.globals.clear();
    for (int i = 0; i < globals.size(); ++i) options_.globals.push_back(globals.name(i));
    options_.toolbars = saveState().toBase64().toStdString();
    save_options(*store_, options_);
    const bool written = store_->sync();
    saving_ = false;
    return written;
}

void TForm1::recent_files_changed() {
    // Written at once, so a program that is killed keeps the list.
    if (slots_) save_settings();
}

// --- shutdown ------------------------------------------------------------------------------

void TForm1::closeEvent(QCloseEvent* event) {
    if (running()) {
        // The run ends first (within a moment of the interrupt); the window closes then.
        close_after_run_ = true;
        runs_->interrupt();
        event->ignore();
        return;
    }
    end_edit_accepting();
    // Saved before the sheets are asked about: the settings are kept even when the user
    // then cancels the exit.
    save_settings();
    if (slots_->close_all_files(close_keep_none))
        event->accept();
    else
        event->ignore();
}

} // namespace mondrel
