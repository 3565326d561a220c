#include "shell/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>

#include "display/mrdisplay.h"
#include "document/mondrel_doc.h"
#include "execution/debugging.h"
#include "execution/run_engine.h"
#include "shell/command_table.h"
#include "shell/qt_prompts.h"
#include "shell/qt_text_field.h"
#include "shell/run_controller.h"
#include "shell/session/external_links.h"
#include "shell/string_grid.h"

namespace mondrel {

namespace {

QString qstr(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The Edit commands of the grid's pop-up menu, in its order ("" a separator).
constexpr std::string_view line_menu_commands[] = {
    "edit_cut", "edit_copy", "edit_paste",  "edit_delete",
    "",         "edit_add",  "edit_insert", "edit_add_child",
};
constexpr std::string_view tab_menu_commands[] = {"file_close", "file_close_all",
                                                  "file_close_others"};

} // namespace

TForm1::TForm1(std::optional<std::string> file, prompts* ask, window_settings settings)
    : settings_(settings), factory_(devicePixelRatioF()), source_(devicePixelRatioF()) {
    if (!ask) {
        own_prompts_ = std::make_unique<qt_prompts>(this);
        ask = own_prompts_.get();
    }
    ask_ = ask;
    setWindowTitle(QStringLiteral("Quastel Mondrel"));
    set_max_loop_count(settings_.max_loop_count);
    resize(settings_.width, settings_.height);

    build_widgets();
    build_menus();

    display_ = std::make_unique<mrdisplay>(factory_, pictures_, *this, *code_field_, *name_field_,
                                           clipboard_);
    display_->set_font_increment(settings_.font_increment);
    display_->set_grid(grid_);
    grid_->set_display(display_.get(), &factory_, &source_);

    runs_ = std::make_unique<run_controller>(this);
    connect(runs_.get(), &run_controller::long_running, this,
            [this] { panels_[2]->setText(qstr(running_text)); });
    connect(runs_.get(), &run_controller::finished, this, &TForm1::run_finished);

    slots_ = std::make_unique<document_slots>(*this, *ask_);
    slots_->start(file);
    update_actions();
}

TForm1::~TForm1() {
    runs_.reset(); // interrupts a run in progress and waits for it
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

    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setMinimumWidth(status_panel_widths[i]);
        if (i < 2) panels_[i]->setFixedWidth(status_panel_widths[i]);
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        // The hint panel takes the rest of the bar: hints are longer than its 50 pixels.
        statusBar()->addWidget(panels_[i], i == 2 ? 1 : 0);
    }
    statusBar()->setSizeGripEnabled(true);
}

void TForm1::build_menus() {
    std::map<std::string_view, QMenu*> menus;
    for (const command_row& row : command_table()) {
        QMenu*& menu = menus[row.menu];
        if (!menu) menu = menuBar()->addMenu(qstr(row.menu));
        if (row.name.empty()) {
            menu->addSeparator();
            continue;
        }
        auto* act = new QAction(qstr(row.caption), this);
        act->setObjectName(qstr(row.name));
        act->setStatusTip(qstr(row.hint));
        QList<QKeySequence> keys;
        for (const QString& k : qstr(row.keys).split(u';', Qt::SkipEmptyParts))
            keys.append(QKeySequence(k));
        act->setShortcuts(keys);
        connect(act, &QAction::triggered, this,
                [this, handler = row.handler] { (this->*handler)(); });
        menu->addAction(act);
        actions_.emplace(std::string(row.name), act);
        if (row.name == "file_open") {
            reopen_menu_ = menu->addMenu(QStringLiteral("&Reopen"));
            reopen_menu_->setObjectName(QStringLiteral("file_reopen"));
            connect(reopen_menu_, &QMenu::aboutToShow, this, &TForm1::fill_reopen_menu);
        }
    }
    line_menu_ = new QMenu(this);
    for (std::string_view name : line_menu_commands) {
        if (name.empty())
            line_menu_->addSeparator();
        else
            line_menu_->addAction(action(name));
    }
    tab_menu_ = new QMenu(this);
    for (std::string_view name : tab_menu_commands)
        tab_menu_->addAction(action(name));
}

QAction* TForm1::action(std::string_view name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
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
        const QString title = qstr(slots_->window_title());
        if (windowTitle() != title) setWindowTitle(title);
        update_tabs();
    }
    const bool read_only = slots_->slot_count() == 0 || slots_->cur_doc().read_only;
    for (const command_row& row : command_table()) {
        if (row.name.empty()) continue;
        bool on = true;
        switch (row.need) {
        case command_need::idle:
            on = !busy;
            break;
        case command_need::editable:
            on = !busy && !read_only;
            break;
        case command_need::running:
            on = busy;
            break;
        case command_need::always:
            break;
        }
        action(row.name)->setEnabled(on);
    }
    doc_tabs_->setEnabled(!busy);
    reopen_menu_->setEnabled(!busy && !slots_->recent_files().empty());
}

void TForm1::update_tabs() {
    const std::vector<std::string> labels = slots_->tab_labels();
    changing_tabs_ = true;
    if (doc_tabs_->count() != static_cast<int>(labels.size()))
        while (doc_tabs_->count() > 0)
            doc_tabs_->removeTab(0);
    for (int i = 0; i < static_cast<int>(labels.size()); ++i) {
        const QString label = qstr(labels[i]);
        if (i < doc_tabs_->count()) {
            if (doc_tabs_->tabText(i) != label) doc_tabs_->setTabText(i, label);
        } else {
            doc_tabs_->addTab(label);
        }
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
        show_hint(static_cast<QStatusTipEvent*>(event)->tip().toStdString());
        return true;
    }
    return QMainWindow::event(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
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
    panels_[1]->setText(qstr(number));
}

void TForm1::show_hint(std::string_view hint) {
    if (running()) return; // the panel says "Running…"
    panels_[2]->setText(qstr(hint));
}

void TForm1::line_popup(int x, int y) {
    if (running()) return;
    update_actions();
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
        slots_->slot_count() ? qstr(slots_->cur_doc().directory()) : QDir::currentPath();
    QDesktopServices::openUrl(QUrl::fromUserInput(qstr(target), folder, QUrl::AssumeLocalFile));
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

void TForm1::request_run(int chain_depth) {
    if (running() || slots_->slot_count() == 0) return;
    const bool queued = requested_ != nullptr;
    requested_ = slots_->current().engine.get();
    requested_depth_ = chain_depth;
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
    runs_->start(*engine, requested_depth_);
    grid_->set_locked(true);
    update_actions();
}

void TForm1::run_finished(run_engine* engine) {
    grid_->set_locked(false);
    panels_[2]->clear();
    Tdoc_slot* slot = slot_of(*engine);
    if (slot && display_->document() == slot->doc.get()) show_document(*slot->doc);
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

// --- commands ----------------------------------------------------------------------------

void TForm1::file_newExecute() {
    end_edit_accepting();
    slots_->file_new();
}

void TForm1::file_openExecute() {
    end_edit_accepting();
    slots_->file_open();
}

// The recent files, newest first, numbered for the keyboard; chosen, one opens in a tab of
// its own.
void TForm1::fill_reopen_menu() {
    reopen_menu_->clear();
    int n = 0;
    for (const std::string& name : slots_->recent_files()) {
        ++n;
        QString caption = qstr(name);
        caption.replace(u'&', QStringLiteral("&&"));
        if (n <= 9) caption = QStringLiteral("&%1 %2").arg(n).arg(caption);
        QAction* act = reopen_menu_->addAction(caption);
        connect(act, &QAction::triggered, this, [this, name] {
            if (busy()) return;
            end_edit_accepting();
            slots_->load_file(name);
        });
    }
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

void TForm1::run_goExecute() {
    end_edit_accepting();
    request_run();
}

void TForm1::run_stopExecute() {
    runs_->interrupt();
}

void TForm1::run_resetExecute() {
    end_edit_accepting();
    slots_->current().engine->reset();
    show_document(slots_->cur_doc());
    update_actions();
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
    if (slots_->close_all_files(close_keep_none))
        event->accept();
    else
        event->ignore();
}

} // namespace mondrel
