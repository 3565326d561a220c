// The print dialog on Qt's offscreen platform: its enable rules, its choices kept between
// prints, and File Print into a PDF file (written, or reported when it cannot be).

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include "display/sheet_print.h"
#include "document/mondrel_doc.h"
#include "gui_support.h"
#include "platform/qt/qt_print_device.h"
#include "shell/print_dlg.h"

using namespace mondrel;
using namespace mondrel::test;

namespace {

// Runs `act` on the print dialog once File Print shows it; `act` ends the dialog.
bool with_dialog(TForm1& w, const std::function<void(Tdlg_print&)>& act) {
    return with_command_dialog<Tdlg_print>(w, "file_print", act);
}

// A new sheet printed through File Print into `pdf`.
void print_new_sheet_to_pdf(TForm1& w, const QString& pdf) {
    w.action("file_new")->trigger();
    QVERIFY(settle(w));
    QVERIFY(with_dialog(w, [&](Tdlg_print& d) {
        d.to_pdf().setChecked(true);
        d.pdf_name().setText(pdf);
        d.accept();
    }));
}

} // namespace

class test_gui_print : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void starts_as_source_view_with_line_numbers();
    void enable_rules_follow_type_and_data_only();
    void flags_carry_disabled_boxes_too();
    void ok_needs_a_pdf_name_when_printing_to_pdf();
    void file_print_keeps_the_choices_between_uses();
    void file_print_writes_a_pdf();
    void unwritable_pdf_is_reported();
    void missing_printer_refuses_the_job();
};

void test_gui_print::starts_as_source_view_with_line_numbers() {
    Tdlg_print d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Mondrel - Print"));
    QVERIFY(d.source_view().isChecked());
    QVERIFY(d.line_numbers().isChecked());
    QVERIFY(!d.data_only().isChecked());
    QVERIFY(!d.selection_only().isChecked());
    QVERIFY(!d.to_pdf().isChecked());
    QCOMPARE(d.flags(), print_source_view | print_line_numbers);
    QCOMPARE(d.pdf_file(), std::string());
}

void test_gui_print::enable_rules_follow_type_and_data_only() {
    struct row {
        bool data_view, data_only;
        bool line_numbers_on, data_only_on, selection_on;
    };
    const row rows[] = {
        {false, false, true, false, false},
        {false, true, true, false, false}, // a checked box in the source view changes nothing
        {true, false, true, true, true},
        {true, true, false, true, true},
    };
    Tdlg_print d;
    for (const row& r : rows) {
        (r.data_view ? d.data_view() : d.source_view()).setChecked(true);
        d.data_only().setChecked(r.data_only);
        const QByteArray what = QByteArray("data view ") + (r.data_view ? "1" : "0") +
                                " data only " + (r.data_only ? "1" : "0");
        QVERIFY2(d.line_numbers().isEnabled() == r.line_numbers_on, what.constData());
        QVERIFY2(d.data_only().isEnabled() == r.data_only_on, what.constData());
        QVERIFY2(d.selection_only().isEnabled() == r.selection_on, what.constData());
    }
}

void test_gui_print::flags_carry_disabled_boxes_too() {
    Tdlg_print d;
    d.data_view().setChecked(true);
    d.data_only().setChecked(true);
    d.selection_only().setChecked(true);
    QVERIFY(!d.line_numbers().isEnabled());
    QCOMPARE(d.flags(), print_line_numbers | print_data_only | print_selection_only);
    d.source_view().setChecked(true);
    QCOMPARE(d.flags(),
             print_source_view | print_line_numbers | print_data_only | print_selection_only);
}

void test_gui_print::ok_needs_a_pdf_name_when_printing_to_pdf() {
    Tdlg_print d;
    auto* ok = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QVERIFY(ok->isEnabled());
    QVERIFY(!d.pdf_name().isEnabled());
    d.to_pdf().setChecked(true);
    QVERIFY(d.pdf_name().isEnabled());
    QVERIFY(!ok->isEnabled());
    d.pdf_name().setText(QStringLiteral("  "));
    QVERIFY(!ok->isEnabled());
    d.pdf_name().setText(QStringLiteral("/tmp/x.pdf"));
    QVERIFY(ok->isEnabled());
    QCOMPARE(d.pdf_file(), std::string("/tmp/x.pdf"));
    d.to_pdf().setChecked(false);
    QCOMPARE(d.pdf_file(), std::string());
}

void test_gui_print::file_print_keeps_the_choices_between_uses() {
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    w.action("file_new")->trigger();
    QVERIFY(settle(w));
    w.update_actions();
    QVERIFY(w.action("file_print")->isEnabled());
    QVERIFY(with_dialog(w, [](Tdlg_print& d) {
        d.data_view().setChecked(true);
        d.data_only().setChecked(true);
        d.reject();
    }));
    QVERIFY(with_dialog(w, [](Tdlg_print& d) {
        QVERIFY(d.data_view().isChecked());
        QVERIFY(d.data_only().isChecked());
        QVERIFY(!d.line_numbers().isEnabled()); // the rules hold when it is shown again
        d.reject();
    }));
    QVERIFY(ask.questions.empty()); // Cancel prints nothing and says nothing
}

void test_gui_print::file_print_writes_a_pdf() {
    QTemporaryDir dir;
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    print_new_sheet_to_pdf(w, pdf);
    QCOMPARE(ask.questions.size(), size_t(0));
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(5), QByteArray("%PDF-"));
}

void test_gui_print::unwritable_pdf_is_reported() {
    QTemporaryDir dir;
    scripted_prompts ask;
    TForm1 w(std::nullopt, &ask);
    const QString pdf = dir.filePath(QStringLiteral("no such folder/sheet.pdf"));
    print_new_sheet_to_pdf(w, pdf);
    QCOMPARE(ask.questions.size(), size_t(1));
    QVERIFY2(ask.questions[0].find("Cannot write the PDF file") != std::string::npos,
             ask.questions[0].c_str());
}

void test_gui_print::missing_printer_refuses_the_job() {
    QPrinter printer;
    printer.setPrinterName(QStringLiteral("mondrel-test-no-such-printer"));
    qt_print_device device(printer);
    QVERIFY(!device.begin("Mondrel Print"));
    QVERIFY2(!device.error().empty(), "a refused job needs a reason");
    device.abort(); // ending a job that never started is harmless
}

QTEST_MAIN(test_gui_print)
#include "test_gui_print.moc"
