// The window for assistive technology and the keyboard alone, on the offscreen platform: every
// control of every dialog has an accessible name, Tab reaches each of them and Esc and Enter
// end the dialogs; every command's button and menu item is named; the live menus keep their
// mnemonics apart; and the grid tells the selected line and its values as text, following
// moves and runs.

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <functional>
#include <memory>
#include <set>

#include "display/mrdisplay.h"
#include "document/mondrel_doc.h"
#include "gui_support.h"
#include "shell/format_dlg.h"
#include "shell/grid_accessible.h"
#include "shell/options_dlg.h"
#include "shell/print_dlg.h"
#include "shell/properties_dlg.h"
#include "shell/qt_prompts.h"
#include "shell/qt_text_field.h"
#include "shell/session/options_dialog.h"
#include "shell/syntax_bar.h"

using namespace mondrel;
using namespace mondrel::test;

namespace {

QString accessible_text(QObject* object, QAccessible::Text t) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(t) : QString();
}

// Controls the keyboard can reach in a dialog: taking focus by Tab, not standing in for
// another widget (a spin box's line edit), not inside a hidden tab page.
std::vector<QWidget*> focusable_controls(QWidget& dialog, bool visible_only) {
    std::vector<QWidget*> out;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy()) continue;
        if (visible_only && !w->isVisibleTo(&dialog)) continue;
        out.push_back(w);
    }
    return out;
}

QString describe(QWidget* w) {
    return QStringLiteral("%1 \"%2\"")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
}

// The focusable controls whose accessible name is empty or still shows a mnemonic marker.
QStringList unnamed_controls(QWidget& dialog) {
    QStringList out;
    for (QWidget* w : focusable_controls(dialog, false)) {
        const QString name = accessible_text(w, QAccessible::Name).trimmed();
        if (name.isEmpty() || name.contains(u'&') || name == QStringLiteral("..."))
            out << describe(w) + QStringLiteral(" named \"%1\"").arg(name);
    }
    return out;
}

// The enabled, shown controls that Tab does not reach from the first one (one round).
QStringList missed_by_tab(QWidget& dialog) {
    std::set<QWidget*> seen;
    QWidget* start = QApplication::focusWidget();
    for (int i = 0; i < 80 && QApplication::focusWidget(); ++i) {
        seen.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == start) break;
    }
    // Radio buttons of one group are one stop: Tab reaches the checked one, the arrows the rest.
    const auto group_reached = [&](QWidget* w) {
        auto* radio = qobject_cast<QRadioButton*>(w);
        if (!radio) return false;
        for (QWidget* other : seen) {
            auto* r = qobject_cast<QRadioButton*>(other);
            if (r && (radio->group() ? r->group() == radio->group()
                                     : r->parentWidget() == radio->parentWidget()))
                return true;
        }
        return false;
    };
    QStringList out;
    for (QWidget* w : focusable_controls(dialog, true))
        if (w->isEnabled() && !seen.count(w) && !group_reached(w)) out << describe(w);
    return out;
}

struct dialog_case {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> make;
    std::function<QWidget*(QDialog&)> line_field; // where Enter accepts
};

class no_format_editor : public format_editor {
public:
    bool edit(std::string&) override { return false; }
};

std::vector<dialog_case> dialogs(mondrel_doc& doc, mondrel_options& options) {
    return {
        {"options",
         [&] { return std::make_unique<Tdlg_options>(fill_options_dialog(options, doc)); },
         [](QDialog& d) -> QWidget* {
             auto& o = static_cast<Tdlg_options&>(d);
             o.tabs().setCurrentIndex(4);
             return &o.loop_limit();
         }},
        {"print", [] { return std::make_unique<Tdlg_print>(); },
         [](QDialog& d) -> QWidget* {
             auto& p = static_cast<Tdlg_print&>(d);
             p.to_pdf().setChecked(true);
             p.pdf_name().setText(QStringLiteral("out.pdf"));
             return &p.pdf_name();
         }},
        {"format",
         [] {
             auto d = std::make_unique<Tdlg_edit_format>();
             d->load("align:right");
             return d;
         },
         [](QDialog& d) -> QWidget* {
             auto& f = static_cast<Tdlg_edit_format&>(d);
             f.tabs->setCurrentIndex(1);
             return f.edi_number;
         }},
        {"properties",
         [&] {
             auto d = std::make_unique<Tdlg_properties>();
             d->load(doc);
             return d;
         },
         [](QDialog& d) -> QWidget* { return static_cast<Tdlg_properties&>(d).edi_created_by; }},
    };
}

// Shows a dialog and lets `check` look at it once it is up.
void with_shown(QDialog& d, const std::function<void()>& check) {
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    check();
}

} // namespace

class test_gui_access : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QAccessible::setActive(true); }
    void the_name_check_finds_a_control_without_one();
    void every_dialog_control_has_a_name_and_tab_reaches_it();
    void esc_cancels_and_enter_accepts_every_dialog();
    void questions_and_file_dialogs_are_named();
    void every_command_button_and_menu_item_is_named();
    void live_menus_keep_their_mnemonics_apart();
    void grid_has_the_focus_at_start_and_again_after_a_dialog();
    void grid_tells_the_selected_line_and_follows_moves_and_runs();
    void syntax_bar_and_tab_strip_are_named();
    void window_tree_names_every_focusable_object();
    void menu_key_opens_the_line_menu_on_the_grid();
};

void test_gui_access::the_name_check_finds_a_control_without_one() {
    QDialog d;
    auto* named = new QLineEdit(&d);
    named->setAccessibleName(QStringLiteral("Named"));
    auto* bare = new QLineEdit(&d);
    bare->setObjectName(QStringLiteral("bare"));
    auto* dots = new QPushButton(QStringLiteral("..."), &d);
    dots->setObjectName(QStringLiteral("dots"));
    const QStringList found = unnamed_controls(d);
    QCOMPARE(found.size(), 2);
    QVERIFY(found.join(u' ').contains(QStringLiteral("\"bare\"")));
    QVERIFY(found.join(u' ').contains(QStringLiteral("\"dots\"")));
}

void test_gui_access::every_dialog_control_has_a_name_and_tab_reaches_it() {
    mondrel_doc doc;
    mondrel_options options;
    for (const dialog_case& c : dialogs(doc, options)) {
        std::unique_ptr<QDialog> d = c.make();
        const QStringList unnamed = unnamed_controls(*d);
        QVERIFY2(unnamed.isEmpty(),
                 qPrintable(QStringLiteral("%1: %2").arg(c.name, unnamed.join(", "))));
        // Every page of a tabbed dialog is walked with Tab.
        auto* tabs = d->findChild<QTabWidget*>();
        const int pages = tabs ? tabs->count() : 1;
        with_shown(*d, [&] {
            for (int p = 0; p < pages; ++p) {
                if (tabs) tabs->setCurrentIndex(p);
                QWidget* first = tabs ? static_cast<QWidget*>(tabs->tabBar()) : nullptr;
                if (!first) first = focusable_controls(*d, true).front();
                first->setFocus(Qt::TabFocusReason);
                QTRY_VERIFY(QApplication::focusWidget() == first);
                const QStringList missed = missed_by_tab(*d);
                QVERIFY2(missed.isEmpty(), qPrintable(QStringLiteral("%1 page %2: %3")
                                                          .arg(c.name)
                                                          .arg(p)
                                                          .arg(missed.join(", "))));
            }
        });
    }
}

void test_gui_access::esc_cancels_and_enter_accepts_every_dialog() {
    mondrel_doc doc;
    mondrel_options options;
    for (const dialog_case& c : dialogs(doc, options)) {
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            std::unique_ptr<QDialog> d = c.make();
            with_shown(*d, [&] {
                QWidget* field = c.line_field(*d);
                field->setFocus(Qt::TabFocusReason);
                QTRY_VERIFY(QApplication::focusWidget() == field);
                QTest::keyClick(field, key);
                QTRY_VERIFY2(!d->isVisible(), c.name);
                const int expected = key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted;
                QVERIFY2(d->result() == expected, c.name);
            });
        }
    }
}

// The message box of a question and the open dialog: Qt's own, checked all the same.
void test_gui_access::questions_and_file_dialogs_are_named() {
    QWidget parent;
    qt_prompts prompts(&parent);
    QStringList unnamed{QStringLiteral("never shown")};
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        unnamed = unnamed_controls(*box);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    const prompt_answer answer = prompts.ask("Save changes to sheet?", "Mondrel",
                                             prompt_buttons::yes_no_cancel, prompt_icon::question);
    QCOMPARE(answer, prompt_answer::cancel);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    set_up_file_dialog(files, "Codesheets|*.mdr|All files|*.*", false);
    const QStringList file_unnamed = unnamed_controls(files);
    QVERIFY2(file_unnamed.isEmpty(), qPrintable(file_unnamed.join(", ")));
}

void test_gui_access::every_command_button_and_menu_item_is_named() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    QStringList problems;
    for (QToolBar* bar : w.findChildren<QToolBar*>()) {
        for (QAction* act : bar->actions()) {
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(act));
            if (!button) continue;
            const QString name = accessible_text(button, QAccessible::Name);
            const QString description = accessible_text(button, QAccessible::Description);
            if (name.isEmpty() || name.contains(u'&') || description.isEmpty())
                problems << QStringLiteral("button %1: \"%2\" / \"%3\"")
                                .arg(act->objectName(), name, description);
        }
    }
    // The caption buttons show the code word; their names say what it is.
    QCOMPARE(accessible_text(w.findChild<QToolButton*>(QStringLiteral("button_edit_type_rem")),
                             QAccessible::Name),
             QStringLiteral("Comment (REM)"));
    QCOMPARE(accessible_text(w.findChild<QToolButton*>(QStringLiteral("button_file_new")),
                             QAccessible::Description),
             QStringLiteral("Create a new codesheet"));

    std::set<QAction*> in_menus;
    const std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(menu);
        QVERIFY(iface);
        for (int i = 0; i < iface->childCount(); ++i) {
            QAccessibleInterface* item = iface->child(i);
            const QString name = item ? item->text(QAccessible::Name) : QString();
            if (item && item->role() == QAccessible::Separator) continue;
            if (name.isEmpty() || name.contains(u'&') || name.contains(u'\t'))
                problems << QStringLiteral("%1 item %2: \"%3\"")
                                .arg(menu->objectName())
                                .arg(i)
                                .arg(name);
        }
        for (QAction* act : menu->actions()) {
            in_menus.insert(act);
            if (act->menu()) walk(act->menu());
        }
    };
    for (QAction* top : w.menuBar()->actions())
        walk(top->menu());
    walk(&w.grid_menu());
    walk(&w.tab_menu());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    QVERIFY(in_menus.size() > 60); // the walk went through the menus
}

void test_gui_access::live_menus_keep_their_mnemonics_apart() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    w.doc_slots().set_recent({"/tmp/a.mdr", "/tmp/b&c.mdr"});
    QStringList problems;
    const std::function<void(const QString&, const QList<QAction*>&)> walk =
        [&](const QString& where, const QList<QAction*>& actions) {
            std::map<QChar, QString> taken;
            for (QAction* act : actions) {
                if (act->isSeparator()) continue;
                const QString text = act->text();
                const QChar key = QKeySequence::mnemonic(text).isEmpty()
                                      ? QChar()
                                      : QKeySequence::mnemonic(text).toString().back().toLower();
                if (key.isNull())
                    problems << where + QStringLiteral(": no mnemonic in \"%1\"").arg(text);
                else if (!taken.emplace(key, text).second)
                    problems << where + QStringLiteral(": \"%1\" and \"%2\" share %3")
                                            .arg(taken[key], text, key);
                if (act->menu()) {
                    if (act->menu()->objectName() == QStringLiteral("file_reopen"))
                        Q_EMIT act->menu()->aboutToShow(); // the recent files go in as it opens
                    walk(where + u'>' + text, act->menu()->actions());
                }
            }
        };
    walk(QStringLiteral("menu bar"), w.menuBar()->actions());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
}

void test_gui_access::grid_has_the_focus_at_start_and_again_after_a_dialog() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    show_active(w);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(&w.grid()));
    w.action("file_new")->trigger();
    // A command that shows a dialog: the focus went to the dialog's field, and after Esc it
    // is back on the grid, not on whatever had it inside the window meanwhile.
    w.code_field().show();
    w.code_field().setFocus();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        seen = true;
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    w.action("file_properties")->trigger();
    QVERIFY(seen);
    w.code_field().hide();
    // The window's focus widget takes the keys as soon as the window is active again.
    QCOMPARE(w.focusWidget(), static_cast<QWidget*>(&w.grid()));
    w.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(&w.grid()));
}

void test_gui_access::grid_tells_the_selected_line_and_follows_moves_and_runs() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("answer.txt"));
    write_file(path, "o 1 x:=6*7\r\no 1 y:=x+1\r\n");
    std::vector<QAccessible::Event> grid_events;
    static std::vector<QAccessible::Event>* events = nullptr;
    static QObject* watched = nullptr;
    events = &grid_events;
    const QAccessible::UpdateHandler previous =
        QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
            // The grid's own events and those of its row items.
            QObject* about = e->object();
            QAccessibleInterface* iface = e->accessibleInterface();
            if (!about && iface && iface->parent()) about = iface->parent()->object();
            if (events && about == watched) events->push_back(e->type());
        });

    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    watched = &w.grid();
    show_exposed(w);
    w.load_file(path.toStdString());
    QTRY_VERIFY(w.tabs().count() == 2);
    QVERIFY(settle(w));
    w.grid().setFocus();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&w.grid());
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), QString::fromLatin1(grid_accessible_name));
    // Qt hands events to assistive technology only while some is running (not on the
    // offscreen platform): the grid's own signal says the same, and is checked always.
    QSignalSpy spoken(&w.grid(), &TorbStringGrid::selection_spoken);
    const bool listening = QAccessible::isActive();

    w.action("run_reset")->trigger();
    QVERIFY(settle(w));
    w.display().select_rows(1, 1);
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("Line 1, x: 6*7"));

    grid_events.clear();
    spoken.clear();
    w.action("run_go")->trigger();
    QVERIFY(settle(w));
    w.display().select_rows(1, 1);
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("Line 1, x: 6*7 = 42"));
    QCOMPARE(iface->text(QAccessible::Description), iface->text(QAccessible::Value));
    QVERIFY2(!spoken.isEmpty(), "the new value was not announced");
    QCOMPARE(spoken.last().at(0).toString(), QStringLiteral("Line 1, x: 6*7 = 42"));
    if (listening)
        QVERIFY(std::count(grid_events.begin(), grid_events.end(), QAccessible::ValueChanged) >= 1);

    grid_events.clear();
    spoken.clear();
    QTest::keyClick(&w.grid(), Qt::Key_Down);
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("Line 2, y: x+1 = 43"));
    QCOMPARE(spoken.size(), 1);
    QCOMPARE(spoken.last().at(0).toString(), QStringLiteral("Line 2, y: x+1 = 43"));
    if (listening) {
        QVERIFY(std::count(grid_events.begin(), grid_events.end(), QAccessible::ValueChanged) == 1);
        if (w.grid().hasFocus())
            QVERIFY(std::count(grid_events.begin(), grid_events.end(), QAccessible::Focus) == 1);
    }

    // The rows are the list's items, named by their sentences; the selected one has the focus.
    const int widgets = iface->childCount() - w.display().rows().grid_row_count();
    QAccessibleInterface* first = iface->child(widgets);
    QVERIFY(first);
    QCOMPARE(first->role(), QAccessible::ListItem);
    QCOMPARE(first->text(QAccessible::Name), QStringLiteral("Line 1, x: 6*7 = 42"));
    QCOMPARE(iface->indexOfChild(first), widgets);
    QCOMPARE(first->parent(), iface);
    QVERIFY(!first->state().selected);
    QAccessibleInterface* second = iface->child(widgets + 1);
    QVERIFY(second && second->state().selected);
    // The offscreen platform activates the window; a bare X server without a window manager
    // does not, and there the grid has no focus to give.
    if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
        QVERIFY(w.grid().hasFocus());
    if (w.grid().hasFocus()) QCOMPARE(iface->focusChild(), second);
    const QRect r = second->rect();
    QCOMPARE(iface->childAt(r.center().x(), r.center().y()), second);

    QTest::keyClick(&w.grid(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(iface->text(QAccessible::Value),
             QStringLiteral("Line 1, x: 6*7 = 42 (2 rows selected)"));

    // Nothing changed: nothing is announced again.
    grid_events.clear();
    spoken.clear();
    w.display().select_rows(1, 2);
    QVERIFY(grid_events.empty());
    QVERIFY(spoken.isEmpty());

    // A sheet of one row: the items of the rows that are gone go with them.
    w.action("file_new")->trigger();
    QTRY_COMPARE(w.display().rows().grid_row_count(), 1);
    QCOMPARE(iface->childCount(), widgets + 1);
    QVERIFY(iface->child(widgets + 1) == nullptr);
    QCOMPARE(iface->child(widgets)->text(QAccessible::Name), QStringLiteral("Line 1: blank"));

    QAccessible::installUpdateHandler(previous);
    events = nullptr;
    watched = nullptr;
}

void test_gui_access::syntax_bar_and_tab_strip_are_named() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    w.action("file_new")->trigger();
    w.action("edit_type_let")->trigger();
    QCOMPARE(accessible_text(&w.syntax(), QAccessible::Name),
             QStringLiteral("LET | <name> = <expr>"));
    // Qt names a tab strip by its current tab; a modified sheet's "*" is said in words.
    QCOMPARE(accessible_text(&w.tabs(), QAccessible::Name), QStringLiteral("Newfile, modified"));
}

// Walks the window's accessible tree as a screen reader would; with MONDREL_ACCESSIBLE_DUMP
// set, prints it (role, name, value, description) for people to read.
void test_gui_access::window_tree_names_every_focusable_object() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    show_exposed(w);
    const bool dump = qEnvironmentVariableIsSet("MONDREL_ACCESSIBLE_DUMP");
    QStringList unnamed;
    int nodes = 0;
    const std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* node,
                                                                     int depth) {
        if (!node || !node->isValid() || depth > 12) return;
        ++nodes;
        const QString name = node->text(QAccessible::Name);
        const QAccessible::State state = node->state();
        if (dump)
            qInfo("%s%s \"%s\" value=\"%s\" desc=\"%s\"%s", qPrintable(QString(depth * 2, u' ')),
                  qPrintable(QString::number(node->role(), 16)), qPrintable(name),
                  qPrintable(node->text(QAccessible::Value)),
                  qPrintable(node->text(QAccessible::Description)),
                  state.focusable ? " focusable" : "");
        if (state.focusable && !state.invisible && name.trimmed().isEmpty())
            unnamed << QStringLiteral("%1 (role %2)")
                           .arg(node->object() ? node->object()->objectName() : QString())
                           .arg(node->role(), 0, 16);
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), depth + 1);
    };
    walk(QAccessible::queryAccessibleInterface(&w), 0);
    QVERIFY(nodes > 50);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
}

// The grid's pop-up without the mouse: the Menu key (or Shift+F10) opens it at the selected row.
void test_gui_access::menu_key_opens_the_line_menu_on_the_grid() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    show_exposed(w);
    w.action("file_new")->trigger();
    QVERIFY(!w.grid_menu().isVisible());
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0),
                          w.grid().mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(&w.grid(), &key);
    QTRY_VERIFY(w.grid_menu().isVisible());
    const QRect row = w.grid().viewport()->rect();
    QVERIFY(row.contains(w.grid().viewport()->mapFromGlobal(w.grid_menu().pos())));
    w.grid_menu().close();
}

QTEST_MAIN(test_gui_access)
#include "test_gui_access.moc"
