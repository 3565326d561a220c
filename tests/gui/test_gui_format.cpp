// The format editor and the properties dialog on Qt's offscreen platform: the editor driven
// through its controls on its own, then both through the window's commands.

#include <QApplication>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <functional>

#include "document/line_text.h"
#include "document/mondrel_doc.h"
#include "gui_support.h"
#include "shell/format_dlg.h"
#include "shell/options_dlg.h"
#include "shell/properties_dlg.h"
#include "shell/session/format_dialog.h"

using namespace mondrel;
using namespace mondrel::test;

namespace {

std::string mem(const Tdlg_edit_format& d) { return d.format_text(); }
std::string text(const QLineEdit* e) { return e->text().toStdString(); }

} // namespace

class test_gui_format : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controls_follow_the_format_text();
    void number_rows_fill_all_three_fields();
    void date_rows_and_examples();
    void typed_text_is_kept_until_a_control_changes();
    void font_settings_store_the_chosen_font();
    void cancel_and_escape_leave_the_text();
    void edit_format_on_the_window_uses_the_dialog();
    void options_heading_goes_through_the_format_editor();
    void properties_ok_records_one_step_and_undo_restores();
    void properties_cancel_or_no_change_records_nothing();
    void properties_do_nothing_on_a_read_only_page();
    void screenshots_when_asked();
};

void test_gui_format::controls_follow_the_format_text() {
    Tdlg_edit_format d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Mondrel - Format"));
    QCOMPARE(d.tabs->count(), 3);
    QCOMPARE(d.tabs->tabText(0), QStringLiteral("Character"));
    QCOMPARE(d.tabs->tabText(1), QStringLiteral("Number"));
    QCOMPARE(d.tabs->tabText(2), QStringLiteral("Date"));
    QCOMPARE(d.lst_nbr_examples->count(), 20);
    QCOMPARE(d.lst_date_examples->count(), 10);
    QCOMPARE(d.lst_nbr_examples->item(7)->text(), QString::fromUtf8("Money \xC2\xA3 "));
    QCOMPARE(d.lst_nbr_examples->item(19)->text(), QString());

    d.load("align:centre; number:0.00; number0:\"nil\"; date:dd/mm/yyyy; bcolour:$00FF00");
    QCOMPARE(d.rads_hori->checkedId(), 2);
    QCOMPARE(d.rads_hori->checkedButton()->text(), QStringLiteral("Centre"));
    QCOMPARE(text(d.edi_number), std::string("0.00"));
    QCOMPARE(text(d.edi_number_zer), std::string("\"nil\""));
    QCOMPARE(text(d.edi_number_neg), std::string());
    QCOMPARE(text(d.edi_date), std::string("dd/mm/yyyy"));
    QCOMPARE(text(d.edi_nbr_ex), std::string("1234.57"));
    QCOMPARE(text(d.edi_nbr_zer_ex), std::string("nil"));
    QCOMPARE(text(d.edi_nbr_neg_ex), std::string("-0.12"));
    QCOMPARE(text(d.edi_date_ex), std::string("02/10/2006"));

    // A control change rewrites the text; the background, which has no control, passes.
    d.rads_hori->button(1)->click();
    const prop_list after = prop_list::from_text(mem(d));
    QCOMPARE(after.align, prop_align::right);
    QCOMPARE(after.number, std::string("0.00"));
    QCOMPARE(after.bcolour, prop_list::from_text("bcolour:$00FF00").bcolour);
    QCOMPARE(after.date, std::string("dd/mm/yyyy"));
}

void test_gui_format::number_rows_fill_all_three_fields() {
    Tdlg_edit_format d;
    d.load("number0:0.0");
    d.lst_nbr_examples->setCurrentRow(8); // "Money £ ()"
    QCOMPARE(d.edi_number->text(), QString::fromUtf8("\"\xC2\xA3\"0"));
    QCOMPARE(d.edi_number_zer->text(), QString()); // emptied: the row has no zero format
    QCOMPARE(d.edi_number_neg->text(), QString::fromUtf8("\"\xC2\xA3\"(0)"));
    QCOMPARE(d.edi_nbr_ex->text(), QString::fromUtf8("\xC2\xA3" "1235"));
    QCOMPARE(d.edi_nbr_zer_ex->text(), QString::fromUtf8("\xC2\xA3" "0"));
    QCOMPARE(d.edi_nbr_neg_ex->text(), QString::fromUtf8("\xC2\xA3(0)"));
    const prop_list set = prop_list::from_text(mem(d));
    QCOMPARE(set.number_neg, std::string("\"\xC2\xA3\"(0)"));
    QVERIFY(set.number0.empty());

    // The blank last row empties all three: the examples show the general rendering.
    d.lst_nbr_examples->setCurrentRow(19);
    QVERIFY(d.edi_number->text().isEmpty());
    QVERIFY(d.edi_number_neg->text().isEmpty());
    QCOMPARE(text(d.edi_nbr_ex), std::string("1234.567"));
    QCOMPARE(text(d.edi_nbr_zer_ex), std::string("0"));
    QCOMPARE(text(d.edi_nbr_neg_ex), std::string("-0.123456"));
    QVERIFY(prop_list::from_text(mem(d)).number.empty());
}

void test_gui_format::date_rows_and_examples() {
    Tdlg_edit_format d;
    d.load("");
    struct row_case {
        int row;
        const char* format;
        const char* example;
    };
    const row_case cases[] = {
        {0, "d/m/yy", "2/10/06"},
        {2, "dd/mm/yyyy", "02/10/2006"},
        {8, "dd-mmm-yyyy", "02-Oct-2006"},
    };
    for (const row_case& c : cases) {
        d.lst_date_examples->setCurrentRow(c.row);
        QCOMPARE(text(d.edi_date), std::string(c.format));
        QCOMPARE(text(d.edi_date_ex), std::string(c.example));
        QCOMPARE(prop_list::from_text(mem(d)).date, std::string(c.format));
    }
    // Typing in the date field updates too.
    QTest::keyClicks(d.edi_date, "-yy");
    QCOMPARE(text(d.edi_date), std::string("dd-mmm-yyyy-yy"));
    QCOMPARE(text(d.edi_date_ex), std::string("02-Oct-2006-06"));
}

void test_gui_format::typed_text_is_kept_until_a_control_changes() {
    Tdlg_edit_format d;
    std::string format = "number:0.0";
    const bool ok = with_modal<Tdlg_edit_format>([&] { d.edit(format); },
                                                 [](Tdlg_edit_format& dlg) {
        dlg.mem_format->setPlainText(QStringLiteral("colour:$0000FF; unknown:1"));
        dlg.accept();
    });
    QVERIFY(ok);
    QCOMPARE(format, std::string("colour:$0000FF; unknown:1"));

    // Loading keeps the caller's text as given (no rewrite on showing).
    d.load("number:0.0;align:right");
    QCOMPARE(mem(d), std::string("number:0.0;align:right"));
}

void test_gui_format::font_settings_store_the_chosen_font() {
    Tdlg_edit_format d;
    font_record shown;
    d.set_font_chooser([&](QWidget*, font_record& f) {
        shown = f;
        f.name = "Courier New";
        f.size = 14;
        f.style = style_bold | style_italic;
        return true;
    });
    d.load("name:Arial; size:9; number:0.00");
    d.tabs->setCurrentIndex(0);
    d.but_font->click();
    QCOMPARE(shown.name, std::string("Arial"));
    QCOMPARE(shown.size, 9);
    const prop_list set = prop_list::from_text(mem(d));
    QCOMPARE(set.name, std::string("Courier New"));
    QCOMPARE(set.size, 14);
    QCOMPARE(set.style, unsigned(style_bold | style_italic));
    QCOMPARE(set.number, std::string("0.00"));

    // A cancelled font choice changes nothing.
    d.set_font_chooser([](QWidget*, font_record& f) {
        f.name = "Nope";
        return false;
    });
    const std::string before = mem(d);
    d.but_font->click();
    QCOMPARE(mem(d), before);
}

void test_gui_format::cancel_and_escape_leave_the_text() {
    Tdlg_edit_format d;
    std::string format = "number:0.0";
    bool result = true;
    QVERIFY(with_modal<Tdlg_edit_format>([&] { result = d.edit(format); },
                                         [](Tdlg_edit_format& dlg) {
        dlg.lst_nbr_examples->setCurrentRow(1);
        QTest::keyClick(&dlg, Qt::Key_Escape);
    }));
    QVERIFY(!result);
    QCOMPARE(format, std::string("number:0.0"));

    // Return in a field presses the default button, OK.
    QVERIFY(with_modal<Tdlg_edit_format>([&] { result = d.edit(format); },
                                         [](Tdlg_edit_format& dlg) {
        dlg.tabs->setCurrentIndex(1);
        dlg.edi_number->setFocus();
        dlg.edi_number->selectAll();
        QTest::keyClicks(dlg.edi_number, "0.000");
        QTest::keyClick(dlg.edi_number, Qt::Key_Return);
    }));
    QVERIFY(result);
    QCOMPARE(prop_list::from_text(format).number, std::string("0.000"));
}

void test_gui_format::edit_format_on_the_window_uses_the_dialog() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    mondrel_doc& doc = new_settled_sheet(w);
    const std::size_t steps = doc.history().steps().size();
    QVERIFY(with_command_dialog<Tdlg_edit_format>(w, "edit_format", [](Tdlg_edit_format& dlg) {
        dlg.lst_nbr_examples->setCurrentRow(1); // "General 2dp"
        dlg.accept();
    }));
    QVERIFY(settle(w));
    QCOMPARE(doc.line(0).format->number, std::string("0.00"));
    QCOMPARE(doc.history().steps().size(), steps + 1);
    QCOMPARE(doc.history().steps().back().name, std::string("edit_formatExecute"));

    // The same dialog comes back, loaded with the line's format; Cancel changes nothing.
    QVERIFY(with_command_dialog<Tdlg_edit_format>(w, "edit_format", [](Tdlg_edit_format& dlg) {
        QCOMPARE(dlg.edi_number->text(), QStringLiteral("0.00"));
        dlg.reject();
    }));
    QVERIFY(settle(w));
    QCOMPARE(doc.history().steps().size(), steps + 1);
}

void test_gui_format::options_heading_goes_through_the_format_editor() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    new_settled_sheet(w);
    const std::string head = w.options().print_head_fmt;
    QVERIFY(with_command_dialog<Tdlg_options>(w, "tools_options", [&](Tdlg_options& opts) {
        QPushButton* heading = nullptr;
        for (QPushButton* b : opts.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Heading...")) heading = b;
        QVERIFY(heading);
        // Cancel in the editor keeps the working copy.
        QVERIFY(with_modal<Tdlg_edit_format>([&] { heading->click(); },
                                             [&](Tdlg_edit_format& dlg) {
            QCOMPARE(dlg.format_text(), head);
            dlg.lst_date_examples->setCurrentRow(2);
            dlg.reject();
        }));
        QCOMPARE(opts.state().print_head_fmt, head);
        // OK replaces it with the edited text.
        QVERIFY(with_modal<Tdlg_edit_format>([&] { heading->click(); },
                                             [](Tdlg_edit_format& dlg) {
            dlg.lst_date_examples->setCurrentRow(2);
            dlg.accept();
        }));
        QCOMPARE(prop_list::from_text(opts.state().print_head_fmt).date,
                 std::string("dd/mm/yyyy"));
        opts.reject();
    }));
    QCOMPARE(w.options().print_head_fmt, head); // the options were cancelled
}

void test_gui_format::properties_ok_records_one_step_and_undo_restores() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    new_settled_sheet(w);
    w.update_actions();
    QVERIFY(w.action("file_properties")->isEnabled());
    mondrel_doc& doc = w.doc_slots().cur_doc();
    const std::size_t steps = doc.history().steps().size();
    QVERIFY(with_command_dialog<Tdlg_properties>(w, "file_properties", [&](Tdlg_properties& dlg) {
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Mondrel - Properties of ") +
                                        QString::fromStdString(doc.display_name()));
        dlg.edi_created_by->setText(QStringLiteral("Ann"));
        dlg.edi_description->setPlainText(QStringLiteral("Costs\nfor 2006"));
        dlg.accept();
    }));
    QCOMPARE(doc.created_by, std::string("Ann"));
    QCOMPARE(doc.description, std::string("Costs\nfor 2006"));
    QCOMPARE(doc.history().steps().size(), steps + 1);
    QCOMPARE(doc.history().steps().back().name, std::string("file_propertiesExecute"));

    w.action("edit_undo")->trigger();
    QVERIFY(settle(w));
    QCOMPARE(doc.created_by, std::string());
    QCOMPARE(doc.description, std::string());

    // Only the changed text is recorded: redo and a second edit of one field.
    w.action("edit_redo")->trigger();
    QVERIFY(settle(w));
    QCOMPARE(doc.created_by, std::string("Ann"));
    QVERIFY(apply_properties(doc, "Bob", doc.description));
    const undo_item& step = doc.history().steps().back();
    QCOMPARE(step.last - step.first, 0); // one record: the description was left alone
}

void test_gui_format::properties_cancel_or_no_change_records_nothing() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    mondrel_doc& doc = new_settled_sheet(w);
    const std::size_t steps = doc.history().steps().size();
    QVERIFY(with_command_dialog<Tdlg_properties>(w, "file_properties", [](Tdlg_properties& dlg) {
        dlg.edi_created_by->setText(QStringLiteral("Ann"));
        QTest::keyClick(&dlg, Qt::Key_Escape);
    }));
    QCOMPARE(doc.created_by, std::string());
    QVERIFY(with_command_dialog<Tdlg_properties>(w, "file_properties",
                                                 [](Tdlg_properties& dlg) { dlg.accept(); }));
    QCOMPARE(doc.history().steps().size(), steps);
}

void test_gui_format::properties_do_nothing_on_a_read_only_page() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask); // opens on a built-in page
    QVERIFY(settle(w));
    mondrel_doc& doc = w.doc_slots().cur_doc();
    QVERIFY(doc.read_only);
    w.update_actions();
    QVERIFY(!w.action("file_properties")->isEnabled());
    // Called directly, still no dialog and no change.
    QVERIFY(!with_modal<Tdlg_properties>([&] { w.file_propertiesExecute(); },
                                         [](Tdlg_properties& dlg) { dlg.accept(); }));
    QVERIFY(!apply_properties(doc, "Ann", "x"));
    QCOMPARE(doc.created_by, std::string());
}

void test_gui_format::screenshots_when_asked() {
    const QByteArray dir = qgetenv("MONDREL_SHOTS");
    if (dir.isEmpty()) QSKIP("set MONDREL_SHOTS to a folder to write the dialogs' pictures");
    Tdlg_edit_format f;
    f.load("align:right; name:Arial; size:10; number:\"\xC2\xA3\"0.00; number-:\"\xC2\xA3\"(0.00); "
           "date:dd-mmm-yyyy");
    f.resize(f.sizeHint().expandedTo(QSize(560, 420)));
    for (int i = 0; i < 3; ++i) {
        f.tabs->setCurrentIndex(i);
        f.show();
        QVERIFY(f.grab().save(QString::fromUtf8(dir) + QStringLiteral("/format_%1.png").arg(i)));
    }
    f.hide();
    Tdlg_properties p;
    mondrel_doc doc;
    doc.set_display_name("Costs.mdr");
    doc.created_by = "Ann";
    doc.description = "Costs for 2006";
    p.load(doc);
    p.show();
    QVERIFY(p.grab().save(QString::fromUtf8(dir) + QStringLiteral("/properties.png")));
}

QTEST_MAIN(test_gui_format)
#include "test_gui_format.moc"
