// The window and its settings: bounds restored onto a screen that exists, the recent files,
// the font increment, the toolbar layout, globals and new-sheet formats taken from the store,
// and the error log switched on by the options.

#include <QDir>
#include <algorithm>
#include <QFile>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

#include "display/prop_stuff.h"
#include "execution/globals.h"
#include "gui_support.h"
#include "platform/diagnostic_log.h"
#include "shell/main_window.h"
#include "platform/qt/qt_settings_store.h"
#include "shell/session/options.h"

using namespace mondrel;
using mondrel::test::scripted_prompts;

class test_gui_settings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saved_bounds_on_a_screen_are_kept();
    void window_saved_off_screen_opens_on_the_primary_screen();
    void recent_files_survive_the_window();
    void font_increment_and_toolbars_round_trip();
    void globals_and_new_sheet_formats_come_from_the_store();
    void error_log_starts_and_reports_a_file_it_cannot_write();
    void options_survive_a_restart_on_a_settings_file();
    void a_corrupt_settings_file_opens_with_defaults();
};

void test_gui_settings::saved_bounds_on_a_screen_are_kept() {
    memory_settings_store store;
    store.set_value("frm_left", "10");
    store.set_value("frm_top", "20");
    store.set_value("frm_width", "400");
    store.set_value("frm_height", "300");
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask, &store);
    QCOMPARE(w.geometry(), QRect(10, 20, 400, 300));
}

void test_gui_settings::window_saved_off_screen_opens_on_the_primary_screen() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char *left, *top, *width, *height;
    } cases[] = {
        {"5000", "5000", "684", "554"},    // a monitor to the right, since unplugged
        {"-3000", "100", "684", "554"},    // one to the left
        {"0", "0", "16000", "16000"},      // larger than any screen: shrunk to fit
        {"100", "-2000", "684", "554"},    // above the top
        {"300", "200", "684", "554"},      // on the screen, hanging over its edge
    };
    for (const auto& c : cases) {
        memory_settings_store store;
        store.set_value("frm_left", c.left);
        store.set_value("frm_top", c.top);
        store.set_value("frm_width", c.width);
        store.set_value("frm_height", c.height);
        scripted_prompts ask;
        TForm1 w(std::nullopt, &ask, &store);
        const QRect g = w.geometry();
        QVERIFY2(area.contains(g), c.left);
        QCOMPARE(g.width(), std::min(area.width(), std::stoi(c.width)));
    }
}

void test_gui_settings::recent_files_survive_the_window() {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    test::write_file(a, "x = 1\n");
    test::write_file(b, "y = 2\n");
    memory_settings_store store;
    scripted_prompts ask;
    {
        TForm1 w(a.toStdString(), &ask, &store);
        QVERIFY(w.doc_slots().load_file(b.toStdString()));
        // Written at once: a program killed now still has the list.
        QCOMPARE(store.value("Recent_files/file 0").value_or(""), b.toStdString());
        QCOMPARE(store.value("Recent_files/file 1").value_or(""), a.toStdString());
        QVERIFY(w.close());
    }
    TForm1 again(std::nullopt, &ask, &store);
    const std::vector<std::string> expected = {b.toStdString(), a.toStdString()};
    QVERIFY(again.doc_slots().recent_files() == expected);
    // Cleared, the list is gone from the store too.
    again.action("file_reopen_clear")->trigger();
    QVERIFY(store.names("Recent_files").empty());
}

void test_gui_settings::font_increment_and_toolbars_round_trip() {
    memory_settings_store store;
    scripted_prompts ask;
    {
        TForm1 w(std::nullopt, &ask, &store);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.action("view_increase_font")->trigger();
        w.action("view_increase_font")->trigger();
        QCOMPARE(w.font_increment(), 2);
        w.addToolBar(Qt::LeftToolBarArea, w.toolbar("run"));
        w.toolbar("code_word")->hide();
        QVERIFY(w.close());
    }
    QVERIFY(!store.value("Toolbars/state").value_or("").empty());
    TForm1 w(std::nullopt, &ask, &store);
    test::show_exposed(w);
    QCOMPARE(w.font_increment(), 2);
    QCOMPARE(w.toolBarArea(w.toolbar("run")), Qt::LeftToolBarArea);
    QVERIFY(w.toolbar("code_word")->isHidden());
    QVERIFY(!w.toolbar("main")->isHidden());
    QCOMPARE(w.toolBarArea(w.toolbar("main")), Qt::TopToolBarArea);
}

void test_gui_settings::globals_and_new_sheet_formats_come_from_the_store() {
    memory_settings_store store;
    store.set_value("Globals/Total", "");
    store.set_value("Globals/rate", "");
    store.set_value("doc_fmt_2", "name:Verdana; size:11; align:right");
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask, &store);
    QCOMPARE(process_globals().size(), 2);
    QCOMPARE(process_globals().name(0), std::string("Total"));
    w.file_newExecute();
    const prop_list& f = w.doc_slots().cur_doc().sheet_format(2);
    QCOMPARE(f.name, std::string("Verdana"));
    QCOMPARE(f.size, 11);
    QCOMPARE(f.align, prop_align::left); // only the font part reaches a new sheet
    QCOMPARE(w.doc_slots().cur_doc().sheet_format(4).colour,
             prop_list::from_text("colour:$008000").colour);
    QVERIFY(w.save_settings());
    QCOMPARE(store.names("Globals"), (std::vector<std::string>{"Total", "rate"}));
    process_globals().clear();
}

void test_gui_settings::error_log_starts_and_reports_a_file_it_cannot_write() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logs/m.log"));
    {
        memory_settings_store store;
        store.set_value("err_logging", "1");
        store.set_value("err_log_file", file.toStdString());
        scripted_prompts ask;
        TForm1 w(std::nullopt, &ask, &store);
        QVERIFY(w.error_log().active());
        log_write("ERROR in test");
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("Log file start\nERROR in test\n"));
    }
    QCOMPARE(current_diagnostic_log(), nullptr); // the window took its log away with it

    test::write_file(dir.filePath(QStringLiteral("plain")), "x");
    const std::string bad = dir.filePath(QStringLiteral("plain/m.log")).toStdString();
    memory_settings_store store;
    store.set_value("err_logging", "1");
    store.set_value("err_log_file", bad);
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask, &store);
    QVERIFY(!w.error_log().active());
    QCOMPARE(w.statusBar()->currentMessage(),
             QString::fromStdString("Could not write the log file: " + bad));
}

QTEST_MAIN(test_gui_settings)
#include "test_gui_settings.moc"

// Two windows one after the other on the same settings file, as two runs of the program.
void test_gui_settings::options_survive_a_restart_on_a_settings_file() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Mondrel.conf"));
    const QString sheet = dir.filePath(QStringLiteral("s.txt"));
    test::write_file(sheet, "x = 1\n");
    scripted_prompts ask;
    {
        qt_settings_store store(ini);
        TForm1 w(sheet.toStdString(), &ask, &store);
        w.options().margin_bottom = 33;
        w.options().max_loop_count = 4321;
        w.options().status_line_hints = false;
        w.action("view_increase_font")->trigger();
        QVERIFY(test::settle(w));
        QVERIFY(w.close());
    }
    QVERIFY(QFile::exists(ini));
    qt_settings_store store(ini);
    TForm1 again(std::nullopt, &ask, &store);
    QCOMPARE(again.options().margin_bottom, 33);
    QCOMPARE(again.options().max_loop_count, 4321);
    QVERIFY(!again.options().status_line_hints);
    QCOMPARE(again.font_increment(), 1);
    QCOMPARE(again.doc_slots().recent_files(), std::vector<std::string>{sheet.toStdString()});
}

// A settings file that is not what the program writes: the window opens with the defaults of
// what it cannot read and keeps what it can.
void test_gui_settings::a_corrupt_settings_file_opens_with_defaults() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Mondrel.conf"));
    test::write_file(ini, QByteArray("[General\n\x01\xff\xfe garbage ===\nmax_loop_count=lots\n"
                                     "disp_font_size_incr=-999999\nprint_margins_mm_left=12\n"
                                     "[Recent_files]\nfile 0=\n"));
    qt_settings_store store(ini);
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask, &store);
    const mondrel_options defaults;
    QCOMPARE(w.options().max_loop_count, defaults.max_loop_count);
    QVERIFY(w.options().font_increment >= -6); // clamped, the text stays readable
    QCOMPARE(w.tabs().count(), 1);
}
