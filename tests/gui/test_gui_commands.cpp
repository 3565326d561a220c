// The window's commands on the offscreen platform: runs, breakpoints, steps and reset through
// the keys and actions; undo and redo shortcuts; the code word toolbar and the syntax bar; the
// grid's key map through real key events; the command states, menus and hints.

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

#include <string>
#include <vector>

#include "display/display_stuff.h"
#include "display/mrdisplay.h"
#include "display/prop_stuff.h"
#include "document/line_text.h"
#include "document/mondrel_doc.h"
#include "execution/run_engine.h"
#include "gui_support.h"
#include "platform/qt/qt_canvas.h"
#include "shell/command_set.h"
#include "shell/main_window.h"
#include "shell/qt_text_field.h"
#include "shell/string_grid.h"
#include "shell/syntax_bar.h"

using namespace mondrel;
using namespace mondrel::test;

namespace {

// A sum over a FOR loop: s, the loop, its two children and a line after it (the blank line
// that keeps a place to type comes with the loading).
constexpr const char* loop_sheet = "o 1 s:=0\r\n"
                                   "o 3 i:for 1 to 4\r\n"
                                   "o 1 let s=s+i\r\n"
                                   "o 1 twice:=s*2\r\n"
                                   "o 1 after:=s+1000\r\n";

// Writes `text` as the sheet file `name` in `dir`, opens it in a shown, active window and lets
// its first (auto) run end; auto run is then switched off so only the commands run it.
void open_sheet(TForm1& w, const QTemporaryDir& dir, const char* name, const QByteArray& text) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    write_file(path, text);
    show_active(w);
    w.load_file(path.toStdString());
    QTRY_VERIFY(w.tabs().count() == 2);
    QVERIFY(settle(w));
    w.doc_slots().cur_doc().auto_running = false;
    w.update_actions();
    w.grid().setFocus();
}

run_engine& engine(TForm1& w) {
    return *w.doc_slots().current().engine;
}

const table_list_item& row(TForm1& w, int r) {
    return w.display().rows().rows()[r - 1];
}

// The text of the first value cell of a grid row ("" when it shows none).
std::string value_text(TForm1& w, int r) {
    const mrdisplay_rows& rows = w.display().rows();
    const table_list_item& item = rows.rows()[r - 1];
    return rows.cell_count(item) > 0 ? rows.cell(item, 0).text : std::string();
}

int current_row(TForm1& w) {
    for (int r = 1; r <= w.display().rows().grid_row_count(); ++r)
        if (row(w, r).has_flag(row_current)) return r;
    return 0;
}

void key(TForm1& w, Qt::Key k, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(&w.grid(), k, mods);
}

std::pair<int, int> selection(TForm1& w) {
    return {w.grid().selection_first(), w.grid().selection_last()};
}

QImage syntax_picture(TForm1& w) {
    return w.syntax().pixmap().toImage();
}

class fixed_format_editor : public format_editor {
public:
    std::string answer;
    std::string shown;
    bool edit(std::string& text) override {
        shown = text;
        text = answer;
        return true;
    }
};

} // namespace

class test_gui_commands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void f9_runs_and_reset_clears_the_values();
    void breakpoint_pauses_at_the_coloured_line_and_steps_follow_the_loop();
    void a_pause_scrolls_the_current_line_into_view();
    void undo_and_redo_keys_after_edits();
    void code_word_toolbar_changes_the_word_being_edited();
    void syntax_bar_follows_the_selection();
    void arrow_keys_move_and_shift_extends();
    void right_left_enter_and_delete_through_the_key_map();
    void command_states_of_pages_and_edits();
    void menus_toolbars_and_pop_ups_come_from_the_tables();
    void paste_menu_items_follow_the_clipboard();
    void hints_and_tooltips_follow_the_options();
    void text_size_by_commands_and_ctrl_wheel();
    void format_commands_auto_run_and_apply_formats();
};

void test_gui_commands::f9_runs_and_reset_clears_the_values() {
    QTemporaryDir dir;
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    open_sheet(w, dir, "loop.txt", loop_sheet);
    QCOMPARE(value_text(w, 5), std::string("1010"));

    w.action("run_reset")->trigger();
    QCOMPARE(engine(w).state(), run_state::idle);
    for (int r = 1; r <= w.display().rows().grid_row_count(); ++r)
        QCOMPARE(row(w, r).value_count, 0);

    key(w, Qt::Key_F9);
    QVERIFY(settle(w));
    QCOMPARE(value_text(w, 1), std::string("10"));
    QCOMPARE(value_text(w, 5), std::string("1010"));
    // Idle again: no step is offered.
    QVERIFY(!w.action("run_step_over")->isEnabled());
    QVERIFY(!w.action("run_step_into")->isEnabled());
    QVERIFY(w.action("run_go")->isEnabled());
}

void test_gui_commands::breakpoint_pauses_at_the_coloured_line_and_steps_follow_the_loop() {
    QTemporaryDir dir;
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    open_sheet(w, dir, "loop.txt", loop_sheet);
    mondrel_doc& doc = w.doc_slots().cur_doc();

    // A breakpoint on "twice" (row 4): F9 pauses before it, in the loop's first pass.
    w.display().select_rows(4, 4);
    w.action("run_breakpoint")->trigger();
    QVERIFY(doc.line(3).has_flag(flag_breakpoint));
    w.action("run_reset")->trigger();
    key(w, Qt::Key_F9);
    QVERIFY(settle(w));
    QCOMPARE(engine(w).state(), run_state::paused);
    QCOMPARE(engine(w).current_line(), 3);
    QCOMPARE(current_row(w), 4);
    QCOMPARE(value_text(w, 1), std::string("1"));
    for (const char* name :
         {"run_go", "run_breakpoint", "run_reset", "run_step_over", "run_step_into", "run_clear"})
        QVERIFY2(w.action(name)->isEnabled(), name);

    // Clear Breakpoints, Reset, and a breakpoint on the FOR line itself: Step Into enters the
    // loop at its first child, Step goes on to the next one.
    w.action("run_clear")->trigger();
    QVERIFY(!doc.line(3).has_flag(flag_breakpoint));
    w.action("run_reset")->trigger();
    QCOMPARE(current_row(w), 0);
    w.display().select_rows(2, 2);
    w.action("run_breakpoint")->trigger();
    QVERIFY(doc.line(1).has_flag(flag_breakpoint));
    key(w, Qt::Key_F9);
    QVERIFY(settle(w));
    QCOMPARE(current_row(w), 2);
    w.action("run_step_into")->trigger();
    QVERIFY(settle(w));
    QCOMPARE(engine(w).state(), run_state::paused);
    QCOMPARE(engine(w).current_line(), 2);
    QCOMPARE(current_row(w), 3);
    w.action("run_step_over")->trigger();
    QVERIFY(settle(w));
    QCOMPARE(current_row(w), 4);
    // Go from the pause runs to the end without stopping at the breakpoint behind it.
    w.action("run_clear")->trigger();
    key(w, Qt::Key_F9);
    QVERIFY(settle(w));
    QCOMPARE(engine(w).state(), run_state::idle);
    QCOMPARE(current_row(w), 0);
    QCOMPARE(value_text(w, 5), std::string("1010"));
}

void test_gui_commands::a_pause_scrolls_the_current_line_into_view() {
    QTemporaryDir dir;
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    open_sheet(w, dir, "long.txt", numbered_sheet(200));
    w.display().select_rows(150, 150);
    w.action("run_breakpoint")->trigger();
    w.display().select_rows(1, 1);
    QCOMPARE(w.grid().top_row(), 1);
    key(w, Qt::Key_F9);
    QVERIFY(settle(w));
    QCOMPARE(engine(w).current_line(), 149);
    const int top = w.grid().top_row();
    QVERIFY2(top <= 150 && 150 < top + w.grid().visible_rows(), std::to_string(top).c_str());
}

void test_gui_commands::undo_and_redo_keys_after_edits() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    show_active(w);
    mondrel_doc& doc = new_settled_sheet(w);
    QVERIFY(!w.action("edit_undo")->isEnabled());
    QVERIFY(!w.action("edit_ok")->isEnabled());

    click_cell(w, col_code, 1);
    QVERIFY(w.display().editing());
    // While a line is edited Undo and Redo wait; OK and Cancel act.
    QVERIFY(!w.action("edit_undo")->isEnabled());
    QVERIFY(w.action("edit_ok")->isEnabled());
    QVERIFY(w.action("edit_cancel")->isEnabled());
    QTest::keyClicks(&w.code_field(), "2+3");
    w.action("edit_ok")->trigger();
    QVERIFY(!w.display().editing());
    QVERIFY(settle(w));
    QCOMPARE(doc.line(0).code, std::string("2+3"));
    QVERIFY(w.action("edit_undo")->isEnabled());
    QVERIFY(!w.action("edit_redo")->isEnabled());

    w.grid().setFocus();
    key(w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(settle(w));
    QCOMPARE(doc.line(0).code, std::string());
    QVERIFY(w.action("edit_redo")->isEnabled());
    key(w, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(settle(w));
    QCOMPARE(doc.line(0).code, std::string("2+3"));

    // Cancel leaves the line as it was.
    click_cell(w, col_code, 1);
    QTest::keyClicks(&w.code_field(), "9");
    w.action("edit_cancel")->trigger();
    QVERIFY(!w.display().editing());
    QCOMPARE(doc.line(0).code, std::string("2+3"));
}

void test_gui_commands::code_word_toolbar_changes_the_word_being_edited() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    show_exposed(w);
    mondrel_doc& doc = new_settled_sheet(w);
    click_cell(w, col_code, 1);
    QVERIFY(w.display().editing());
    QVERIFY(w.action("edit_type_expr")->isChecked());

    QToolBar* bar = w.toolbar("code_word");
    QVERIFY(bar);
    auto* let = bar->findChild<QToolButton*>(QStringLiteral("button_edit_type_let"));
    QVERIFY(let);
    // LET is one of the wide caption buttons.
    QCOMPARE(let->toolButtonStyle(), Qt::ToolButtonTextOnly);
    QCOMPARE(let->text(), QStringLiteral("LET"));
    QTest::mouseClick(let, Qt::LeftButton);
    QVERIFY(w.display().editing());
    QCOMPARE(w.display().edit_word(), 5);
    QCOMPARE(w.syntax().word(), 5);
    QVERIFY(w.action("edit_type_let")->isChecked());
    QVERIFY(!w.action("edit_type_expr")->isChecked());
    QTest::keyClicks(&w.code_field(), "x = 4");
    QTest::keyClick(&w.code_field(), Qt::Key_Return);
    QVERIFY(settle(w));
    QCOMPARE(doc.line(0).code_word, 5);
    QCOMPARE(doc.line(0).code, std::string("x = 4"));

    // Without an edit the button sets the word of the selected lines, as one undo step.
    QTest::keyClick(&w.code_field(), Qt::Key_Escape);
    QVERIFY(!w.display().editing());
    w.display().select_rows(1, 1);
    auto* rem = bar->findChild<QToolButton*>(QStringLiteral("button_edit_type_rem"));
    QVERIFY(rem);
    QCOMPARE(rem->text(), QStringLiteral("REM"));
    QTest::mouseClick(rem, Qt::LeftButton);
    QCOMPARE(doc.line(0).code_word, 1);
    QCOMPARE(doc.history().steps().back().name, std::string("edit_type_allExecute"));
    QVERIFY(w.action("edit_type_rem")->isChecked());
}

void test_gui_commands::syntax_bar_follows_the_selection() {
    QTemporaryDir dir;
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    open_sheet(w, dir, "words.txt",
               "o 1 rem a note\r\no 2 if 1 > 0\r\no 1 =1\r\no 2 i:for 1 to 2\r\no 1 =i\r\n");
    QCOMPARE(w.syntax().size(), QSize(syntax_bar_width, syntax_bar_height));

    key(w, Qt::Key_Home);
    QCOMPARE(selection(w), std::make_pair(1, 1));
    QCOMPARE(w.syntax().word(), 1);
    QVERIFY(w.action("edit_type_rem")->isChecked());
    const QImage rem = syntax_picture(w);
    key(w, Qt::Key_Down);
    QCOMPARE(w.syntax().word(), 7);
    QVERIFY(w.action("edit_type_if")->isChecked());
    const QImage if_word = syntax_picture(w);
    QVERIFY(rem != if_word);
    // Drawn over the button face, edge to edge.
    QCOMPARE(QColor(if_word.pixel(1, 1)), to_qcolor(btnface_colour));

    // IF, an expression and FOR together share no word: no button stays down and the bar
    // shows its text for an unknown word.
    key(w, Qt::Key_Down, Qt::ShiftModifier);
    key(w, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(selection(w), std::make_pair(2, 4));
    QCOMPARE(w.syntax().word(), -1);
    QVERIFY(!w.commands().code_words().checkedAction());
    QVERIFY(syntax_picture(w) != if_word);
    key(w, Qt::Key_Up);
    QCOMPARE(w.syntax().word(), 1);
    QCOMPARE(syntax_picture(w), rem);
}

void test_gui_commands::arrow_keys_move_and_shift_extends() {
    QTemporaryDir dir;
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    open_sheet(w, dir, "long.txt", numbered_sheet(60));
    const int rows = w.display().rows().grid_row_count();
    QCOMPARE(rows, 61); // and the blank line
    const int v = w.grid().visible_rows();
    QVERIFY(v > 3 && v < rows);

    QCOMPARE(selection(w), std::make_pair(1, 1));
    key(w, Qt::Key_Up); // already at the top
    QCOMPARE(selection(w), std::make_pair(1, 1));
    key(w, Qt::Key_Down);
    key(w, Qt::Key_Down);
    QCOMPARE(selection(w), std::make_pair(3, 3));
    QCOMPARE(w.status_panel(1).text(), QStringLiteral("3"));
    key(w, Qt::Key_Down, Qt::ShiftModifier);
    key(w, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(selection(w), std::make_pair(3, 5));
    // Back past the anchor: the range turns round it.
    for (int i = 0; i < 3; ++i)
        key(w, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(selection(w), std::make_pair(2, 3));
    // Shift+Page Up from here stops at the first row.
    key(w, Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(selection(w), std::make_pair(1, 3));
    // Up without Shift: the row above the first, alone (none above row 1).
    key(w, Qt::Key_Down);
    QCOMPARE(selection(w), std::make_pair(2, 2));
    key(w, Qt::Key_PageDown);
    QCOMPARE(selection(w), std::make_pair(2 + v, 2 + v));
    QVERIFY(w.grid().top_row() <= 2 + v && 2 + v < w.grid().top_row() + v);
    key(w, Qt::Key_End);
    QCOMPARE(selection(w), std::make_pair(rows, rows));
    key(w, Qt::Key_Down);
    QCOMPARE(selection(w), std::make_pair(rows, rows));
    key(w, Qt::Key_Up);
    key(w, Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(selection(w), std::make_pair(rows - 1, rows));

    // While a line is edited the arrows are the editor's.
    click_cell(w, col_code, 10);
    QVERIFY(w.display().editing());
    QTest::keyClick(&w.code_field(), Qt::Key_Down);
    QVERIFY(w.display().editing());
    QCOMPARE(selection(w), std::make_pair(10, 10));
}

void test_gui_commands::right_left_enter_and_delete_through_the_key_map() {
    QTemporaryDir dir;
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    open_sheet(w, dir, "tree.txt", "c 3 =1\r\no 1 =2\r\no 1 =3\r\no 1 =4\r\no 1 =5\r\n");
    mondrel_doc& doc = w.doc_slots().cur_doc();
    // The closed head hides its two children: =1, =4, =5 and the blank line.
    QCOMPARE(w.display().rows().grid_row_count(), 4);

    key(w, Qt::Key_Home);
    key(w, Qt::Key_Right);
    QVERIFY(doc.line(0).is_open());
    QCOMPARE(w.display().rows().grid_row_count(), 6);
    QCOMPARE(doc.history().steps().back().name, std::string("toggle_open_closed"));
    key(w, Qt::Key_Left);
    QVERIFY(!doc.line(0).is_open());
    QCOMPARE(w.display().rows().grid_row_count(), 4);
    // Right on a line without children changes nothing and is still taken.
    key(w, Qt::Key_Down);
    const size_t steps = doc.history().steps().size();
    key(w, Qt::Key_Right);
    QCOMPARE(doc.history().steps().size(), steps);
    QCOMPARE(selection(w), std::make_pair(2, 2));

    // Delete cuts: the lines go to the clipboard and leave the sheet.
    QApplication::clipboard()->clear();
    key(w, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(selection(w), std::make_pair(2, 3));
    const int before = doc.line_count();
    key(w, Qt::Key_Delete);
    QCOMPARE(doc.line_count(), before - 2);
    QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("=4")));
    QCOMPARE(doc.history().steps().back().name, std::string("edit_cutExecute"));

    // Enter on a row that is no link opens its code for editing.
    key(w, Qt::Key_Home);
    key(w, Qt::Key_Return);
    QVERIFY(w.display().editing());
    QTest::keyClick(&w.code_field(), Qt::Key_Escape);

    // Enter on a link row of the Welcome page follows it: "Create a new sheet".
    w.tabs().setCurrentIndex(0);
    QVERIFY(w.doc_slots().cur_doc().read_only);
    w.grid().setFocus();
    int link = 0;
    for (int r = 1; r <= w.display().rows().grid_row_count() && !link; ++r)
        if (w.display().is_link_row(r) &&
            w.display().rows().code(row(w, r)).find("__newfile") != std::string_view::npos)
            link = r;
    QVERIFY(link > 0);
    key(w, Qt::Key_Home);
    for (int r = 1; r < link; ++r)
        key(w, Qt::Key_Down);
    QCOMPARE(selection(w), std::make_pair(link, link));
    key(w, Qt::Key_Return);
    QTRY_COMPARE(w.tabs().count(), 3);
    QVERIFY(!w.display().editing());
}

void test_gui_commands::command_states_of_pages_and_edits() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    // Properties has nothing to change on a read-only page.
    QVERIFY(!w.action("file_properties")->isEnabled());
    // A read-only page: nothing that changes it.
    QVERIFY(!w.action("edit_cut")->isEnabled());
    QVERIFY(!w.action("edit_type_let")->isEnabled());
    QVERIFY(w.action("edit_copy")->isEnabled());
    QVERIFY(w.action("view_toggle_formatting")->isChecked());

    new_settled_sheet(w);
    w.update_actions();
    QVERIFY(w.action("file_properties")->isEnabled());
    QVERIFY(w.action("file_print")->isEnabled());
    QVERIFY(w.action("edit_cut")->isEnabled());
    QVERIFY(w.action("edit_copy_format")->isEnabled());
    QVERIFY(!w.action("edit_paste_format")->isEnabled());
    QVERIFY(w.action("edit_type_expr")->isChecked());
    QCOMPARE(w.action("run_gogo")->isChecked(), w.doc_slots().cur_doc().auto_running);

    // Copy Format offers Paste Format.
    w.action("edit_copy_format")->trigger();
    QCOMPARE(w.action("edit_paste_format")->isEnabled(), w.display().holds_format());

    // Select All takes every row; two rows selected have no Copy Format.
    w.display().add_line(0);
    w.display().end_edit(end_edit_mode::cancel);
    QVERIFY(settle(w));
    w.action("edit_select_all")->trigger();
    QCOMPARE(selection(w), std::make_pair(1, w.display().rows().grid_row_count()));
    QVERIFY(w.display().rows().grid_row_count() >= 2);
    QVERIFY(!w.action("edit_copy_format")->isEnabled());
    QVERIFY(w.action("edit_cut")->isEnabled());
}

void test_gui_commands::menus_toolbars_and_pop_ups_come_from_the_tables() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    // Every action of the table, one QAction each, with its hint and picture.
    for (const action_spec& spec : action_table()) {
        QAction* act = w.action(spec.name);
        QVERIFY(act);
        QCOMPARE(act->objectName().toStdString(), std::string(spec.name));
        QCOMPARE(act->statusTip().toStdString(), std::string(spec.hint));
        if (!spec.image.empty()) QVERIFY2(!act->icon().isNull(), act->objectName().toUtf8());
    }
    QCOMPARE(w.action("run_go")->shortcut(), QKeySequence(Qt::Key_F9));
    QVERIFY(w.commands().code_words().actions().size() == 12);

    // The menu bar's menus in order, with the New blank line submenu under captions of its own.
    QStringList titles;
    for (QAction* menu : w.menuBar()->actions())
        titles << menu->text();
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "&View", "&Run", "&Tools", "&Help"}));
    auto* blank = w.findChild<QMenu*>(QStringLiteral("menu_newblankline"));
    QVERIFY(blank);
    QCOMPARE(blank->actions().size(), 3);
    QVERIFY(blank->actions()[0]->text().startsWith(QStringLiteral("&After")));
    // The stand-in acts as the action: After adds a line after the selected one.
    new_settled_sheet(w);
    const int lines = w.doc_slots().cur_doc().line_count();
    blank->actions()[0]->trigger();
    w.display().end_edit(end_edit_mode::cancel);
    QVERIFY(settle(w));
    QCOMPARE(w.doc_slots().cur_doc().line_count(), lines + 1);
    auto* toolbars = w.findChild<QMenu*>(QStringLiteral("menu_toolbars"));
    QVERIFY(toolbars);
    QCOMPARE(toolbars->actions().size(), 4);

    // Four toolbars that dock at the top, left or right and float, saved by name.
    for (const char* name : {"main", "run", "code_word", "syntax"}) {
        QToolBar* bar = w.toolbar(name);
        QVERIFY2(bar, name);
        QCOMPARE(bar->objectName(), QStringLiteral("toolbar_") + QString::fromLatin1(name));
        QVERIFY(bar->isMovable() && bar->isFloatable());
        QVERIFY(bar->isAreaAllowed(Qt::LeftToolBarArea) &&
                !bar->isAreaAllowed(Qt::BottomToolBarArea));
    }
    QVERIFY(w.toolbar("syntax")->findChild<syntax_bar*>());
    // The dock's pop-up offers the four toggles.
    std::unique_ptr<QMenu> dock(w.createPopupMenu());
    QVERIFY(dock);
    QCOMPARE(dock->actions().size(), 4);

    // The grid's pop-up: Cut, Copy, Paste, separator, Delete, Select All.
    const QList<QAction*> popup = w.grid_menu().actions();
    QCOMPARE(popup.size(), 6);
    QCOMPARE(popup[0], w.action("edit_cut"));
    QVERIFY(popup[2]->text().startsWith(QStringLiteral("&Paste")));
    QVERIFY(popup[3]->isSeparator());
    QCOMPARE(popup[5], w.action("edit_select_all"));
    QCOMPARE(w.tab_menu().actions().size(), 3);
}

void test_gui_commands::paste_menu_items_follow_the_clipboard() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    new_settled_sheet(w);
    QVERIFY(w.action("edit_paste")->isEnabled());
    const std::vector<QAction*>& items = w.commands().paste_items();
    QCOMPARE(items.size(), size_t{2}); // the Edit menu's and the grid pop-up's

    QApplication::clipboard()->clear();
    w.update_edit_menu();
    for (QAction* item : items)
        QVERIFY(!item->isEnabled());
    QVERIFY(w.action("edit_paste")->isEnabled()); // the action itself does not look

    QApplication::clipboard()->setText(QStringLiteral("o 1 =6*7\r\n"));
    QTRY_VERIFY(items[0]->isEnabled());
    QVERIFY(items[1]->isEnabled());
    // A pasted line text through the menu item.
    items[0]->trigger();
    QVERIFY(settle(w));
    QCOMPARE(w.doc_slots().cur_doc().line(0).code, std::string("6*7"));
}

void test_gui_commands::hints_and_tooltips_follow_the_options() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    show_exposed(w);
    QStatusTipEvent tip(QStringLiteral("Execute all the lines in the active codesheet."));
    QApplication::sendEvent(&w, &tip);
    QCOMPARE(w.status_panel(2).text(), tip.tip());
    QStatusTipEvent gone{QString()};
    QApplication::sendEvent(&w, &gone);
    QVERIFY(w.status_panel(2).text().isEmpty());

    const auto tooltip_shown = [&](const char* bar, const char* action) {
        auto* button = w.toolbar(bar)->findChild<QToolButton*>(QStringLiteral("button_") +
                                                               QString::fromLatin1(action));
        if (!button) return false;
        QToolTip::hideText();
        // A tooltip hides after a moment; the next is judged once the last has gone.
        for (int i = 0; i < 200 && QToolTip::isVisible(); ++i)
            QTest::qWait(10);
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(button, &help);
        const bool shown = QToolTip::isVisible();
        QToolTip::hideText();
        return shown;
    };
    QVERIFY(tooltip_shown("run", "run_go"));
    QVERIFY(tooltip_shown("main", "file_new"));
    QVERIFY(!tooltip_shown("code_word", "edit_type_if"));

    w.set_hints(false, false);
    QVERIFY(!tooltip_shown("run", "run_go"));
    QApplication::sendEvent(&w, &tip);
    QVERIFY(w.status_panel(2).text().isEmpty());
}

void test_gui_commands::text_size_by_commands_and_ctrl_wheel() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    show_exposed(w);
    for (int i = 0; i < 3; ++i)
        w.action("view_increase_font")->trigger();
    w.action("view_decrease_font")->trigger();
    QCOMPARE(w.font_increment(), 2);
    QCOMPARE(w.display().painter().font_increment, 2);

    const QPoint inside = cell_centre(w, col_code, 1);
    const auto wheel = [&](int delta) {
        QWheelEvent e(inside, w.grid().viewport()->mapToGlobal(inside), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.grid().viewport(), &e);
    };
    const auto sel = selection(w);
    wheel(120);
    QCOMPARE(w.font_increment(), 3);
    wheel(-240);
    QCOMPARE(w.font_increment(), 1);
    // Half a notch waits for the other half; the selection never moves.
    wheel(-60);
    QCOMPARE(w.font_increment(), 1);
    wheel(-60);
    QCOMPARE(w.font_increment(), 0);
    QCOMPARE(selection(w), sel);
}

void test_gui_commands::format_commands_auto_run_and_apply_formats() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    mondrel_doc& doc = new_settled_sheet(w);

    fixed_format_editor editor;
    editor.answer = "colour:$0000FF";
    w.set_format_editor(&editor);
    w.action("edit_format")->trigger();
    QVERIFY(settle(w));
    QCOMPARE(format_text(*doc.line(0).format), std::string("colour:$0000FF"));
    QCOMPARE(doc.history().steps().back().name, std::string("edit_formatExecute"));
    w.set_format_editor(nullptr);

    // Auto Run flips the sheet's flag as an undo step and does not run it.
    const bool auto_run = doc.auto_running;
    w.action("run_gogo")->trigger();
    QCOMPARE(doc.auto_running, !auto_run);
    QCOMPARE(w.action("run_gogo")->isChecked(), !auto_run);
    QCOMPARE(doc.history().steps().back().name, std::string("run_gogoExecute"));
    QVERIFY(!w.busy());

    // Apply Formats off: the rows show the default format; the check mark follows.
    w.action("view_toggle_formatting")->trigger();
    QVERIFY(!w.display().use_formats());
    QVERIFY(!w.action("view_toggle_formatting")->isChecked());
    w.action("view_toggle_formatting")->trigger();
    QVERIFY(w.display().use_formats());
    QVERIFY(w.action("view_toggle_formatting")->isChecked());

    // Copy Cells: code, name and values, tab-separated.
    w.display().select_rows(1, 1);
    QApplication::clipboard()->clear();
    w.action("edit_copy_cells")->trigger();
    QVERIFY(QApplication::clipboard()->text().endsWith(QStringLiteral("\r\n")));
}

QTEST_MAIN(test_gui_commands)
#include "test_gui_commands.moc"
