// The options dialog on Qt's offscreen platform: opened through Tools Options on a new sheet,
// driven through its controls, answered by OK or Cancel.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include "document/mondrel_doc.h"
#include "execution/globals.h"
#include "gui_support.h"
#include "shell/options_dlg.h"

using namespace mondrel;
using namespace mondrel::test;

namespace {

// Runs `act` on the options dialog that Tools Options shows; `act` ends the dialog.
bool with_dialog(TForm1& w, const std::function<void(Tdlg_options&)>& act) {
    return with_command_dialog<Tdlg_options>(w, "tools_options", act);
}

mondrel_doc& new_sheet(TForm1& w) {
    w.action("file_new")->trigger();
    return w.doc_slots().cur_doc();
}

} // namespace

class test_gui_options : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { process_globals().clear(); }
    void opens_at_general_with_the_sheet_and_the_options();
    void row_height_ok_changes_the_sheet_and_undo_restores();
    void cancel_after_changes_and_revert_changes_nothing();
    void ok_starts_and_stops_the_log_and_writes_the_settings();
    void add_global_through_the_input_box_and_delete_follows_the_selection();
    void tab_shots_when_asked();
};

void test_gui_options::opens_at_general_with_the_sheet_and_the_options() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    QVERIFY(w.action("tools_options")->isEnabled());
    mondrel_doc& doc = new_sheet(w);
    doc.put_grid(40, 6);
    const bool seen = with_dialog(w, [&](Tdlg_options& d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Mondrel - Options"));
        QCOMPARE(d.tabs().count(), 5);
        QCOMPARE(d.tabs().currentIndex(), 0);
        QCOMPARE(d.tabs().tabText(4), QStringLiteral("Running"));
        QCOMPARE(d.row_height().value(), 32);
        QCOMPARE(d.data_cols().value(), 6);
        QCOMPARE(d.data_cols().maximum(), 27);
        QCOMPARE(d.elements().count(), 10);
        QCOMPARE(d.elements().currentRow(), 0);
        QCOMPARE(d.elements().item(9)->text(), QStringLiteral("HELP text"));
        QCOMPARE(d.sample().text(), QStringLiteral("Sample text"));
        QVERIFY(!d.use_as_default().isChecked());
        QCOMPARE(d.margin(margin_bottom_side).text(), QStringLiteral("2.0"));
        QCOMPARE(d.loop_limit().text(), QStringLiteral("1000"));
        QVERIFY(d.ok().isDefault());
        QVERIFY(!d.delete_global().isEnabled());
        d.reject();
    });
    QVERIFY(seen);
    QCOMPARE(doc.row_height(), 40);
}

void test_gui_options::row_height_ok_changes_the_sheet_and_undo_restores() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    mondrel_doc& doc = new_sheet(w);
    QCOMPARE(doc.row_height(), 16);
    QVERIFY(with_dialog(w, [&](Tdlg_options& d) {
        d.row_height().setValue(20);
        d.margin(margin_left_side).setText(QStringLiteral("1.55"));
        d.loop_limit().setText(QStringLiteral("250"));
        QTest::mouseClick(&d.ok(), Qt::LeftButton);
    }));
    QCOMPARE(doc.row_height(), 20);
    QCOMPARE(w.options().margin_left, 15);
    QCOMPARE(w.options().max_loop_count, 250);
    QVERIFY(w.action("edit_undo")->isEnabled());
    w.action("edit_undo")->trigger();
    QCOMPARE(doc.row_height(), 16);
}

void test_gui_options::ok_starts_and_stops_the_log_and_writes_the_settings() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logs/mondrel.log"));
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    QVERIFY(!w.error_log().active());
    QVERIFY(with_dialog(w, [&](Tdlg_options& d) {
        d.write_log().setChecked(true);
        d.log_file().setText(file);
        d.loop_limit().setText(QStringLiteral("77"));
        QTest::mouseClick(&d.ok(), Qt::LeftButton);
    }));
    QVERIFY(w.error_log().active());
    QCOMPARE(QString::fromStdString(w.error_log().file()), file);
    QVERIFY(QFile::exists(file));
    // Confirmed options are in the store at once, not only at exit.
    QCOMPARE(w.settings().value("max_loop_count").value_or(""), std::string("77"));
    QCOMPARE(w.settings().value("err_logging").value_or(""), std::string("1"));

    QVERIFY(settle(w)); // a sheet that runs by itself runs again after OK
    QVERIFY(with_dialog(w, [&](Tdlg_options& d) {
        d.write_log().setChecked(false);
        QTest::mouseClick(&d.ok(), Qt::LeftButton);
    }));
    QVERIFY(!w.error_log().active());
}

void test_gui_options::cancel_after_changes_and_revert_changes_nothing() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    mondrel_doc& doc = new_sheet(w);
    const std::string format = doc.sheet_format(4).full_text();
    const mondrel_options before = w.options();
    QVERIFY(with_dialog(w, [&](Tdlg_options& d) {
        d.row_height().setValue(25);
        d.elements().setCurrentRow(4);
        QTest::mouseClick(&d.revert(), Qt::LeftButton);
        d.margin(margin_top_side).setText(QStringLiteral("3"));
        QTest::keyClick(&d, Qt::Key_Escape);
    }));
    QCOMPARE(doc.row_height(), 16);
    QCOMPARE(doc.sheet_format(4).full_text(), format);
    QCOMPARE(doc.history().undo_count(), 0);
    QCOMPARE(w.options().margin_top, before.margin_top);
    QVERIFY(w.options().element_formats == before.element_formats);
}

void test_gui_options::add_global_through_the_input_box_and_delete_follows_the_selection() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    new_sheet(w);
    w.options().globals = {"total"};
    process_globals().set_names({"total"});
    process_globals().set_value(0, vbs::Value::long_(7));
    std::deque<std::string> answers = {"Total", "rate", ""};
    std::vector<std::string> prompts_seen;
    options_dialog_hooks hooks;
    hooks.input = [&](std::string_view caption, std::string_view prompt)
        -> std::optional<std::string> {
        prompts_seen.push_back(std::string(caption) + "|" + std::string(prompt));
        if (answers.empty()) return std::nullopt;
        std::string a = answers.front();
        answers.pop_front();
        return a;
    };
    w.set_options_hooks(hooks);
    QVERIFY(with_dialog(w, [&](Tdlg_options& d) {
        QCOMPARE(d.globals().count(), 1);
        QVERIFY(d.delete_global().isEnabled()); // the first name is selected
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(&d.add_global(), Qt::LeftButton);
        QCOMPARE(d.globals().count(), 2);
        QCOMPARE(d.globals().item(1)->text(), QStringLiteral("rate"));
        d.globals().setCurrentRow(0);
        QTest::mouseClick(&d.delete_global(), Qt::LeftButton);
        QCOMPARE(d.globals().count(), 1);
        QTest::mouseClick(&d.delete_global(), Qt::LeftButton);
        QVERIFY(!d.delete_global().isEnabled());
        QTest::mouseClick(&d.add_global(), Qt::LeftButton); // answered by cancel
        QTest::mouseClick(&d.ok(), Qt::LeftButton);
    }));
    QCOMPARE(prompts_seen.size(), size_t(4));
    QCOMPARE(prompts_seen.front(),
             std::string("Global variables|Enter the name for the new global variable"));
    QCOMPARE(process_globals().size(), 0);
    QVERIFY(w.options().globals.empty());

    QVERIFY(settle(w)); // the run that OK asked for
    answers = {"total"};
    QVERIFY(with_dialog(w, [&](Tdlg_options& d) {
        QTest::mouseClick(&d.add_global(), Qt::LeftButton);
        QTest::mouseClick(&d.ok(), Qt::LeftButton);
    }));
    QCOMPARE(process_globals().size(), 1);
    QCOMPARE(process_globals().name(0), std::string("total"));
}

// With MONDREL_OPTIONS_SHOTS set to a folder, saves a picture of each tab there (for people
// to look at; nothing is checked beyond the pictures being written).
void test_gui_options::tab_shots_when_asked() {
    const QByteArray folder = qgetenv("MONDREL_OPTIONS_SHOTS");
    if (folder.isEmpty()) QSKIP("MONDREL_OPTIONS_SHOTS not set");
    mondrel_options options;
    options.globals = {"total", "rate"};
    mondrel_doc doc;
    Tdlg_options d(fill_options_dialog(options, doc));
    d.resize(480, 360);
    d.show();
    for (int i = 0; i < d.tabs().count(); ++i) {
        d.tabs().setCurrentIndex(i);
        QApplication::processEvents();
        const QString file = QDir(QString::fromUtf8(folder)).filePath(
            QStringLiteral("options-%1.png").arg(i));
        QVERIFY(d.grab().save(file));
    }
}

QTEST_MAIN(test_gui_options)
#include "test_gui_options.moc"
