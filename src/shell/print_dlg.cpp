#include "shell/print_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "display/sheet_print.h"

namespace mondrel {

Tdlg_print::Tdlg_print(QWidget* parent)
    : QDialog(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle(QStringLiteral("Mondrel - Print"));
    auto* layout = new QVBoxLayout(this);

    auto* type = new QGroupBox(QStringLiteral("Type"), this);
    auto* type_layout = new QVBoxLayout(type);
    source_view_ = new QRadioButton(QStringLiteral("&Source View"), type);
    data_view_ = new QRadioButton(QStringLiteral("&Data View"), type);
    source_view_->setChecked(true);
    type_layout->addWidget(source_view_);
    type_layout->addWidget(data_view_);
    layout->addWidget(type);

    line_numbers_ = new QCheckBox(QStringLiteral("Include line &numbers"), this);
    line_numbers_->setChecked(true);
    data_only_ = new QCheckBox(QStringLiteral("Data &cells only"), this);
    selection_only_ = new QCheckBox(QStringLiteral("Se&lected line only"), this);
    layout->addWidget(line_numbers_);
    layout->addWidget(data_only_);
    layout->addWidget(selection_only_);

    to_pdf_ = new QCheckBox(QStringLiteral("Print to &PDF file"), this);
    layout->addWidget(to_pdf_);
    auto* pdf_row = new QHBoxLayout;
    pdf_name_ = new QLineEdit(this);
    pdf_name_->setAccessibleName(QStringLiteral("PDF file name"));
    browse_ = new QPushButton(QStringLiteral("&Browse..."), this);
    pdf_row->addWidget(pdf_name_);
    pdf_row->addWidget(browse_);
    layout->addLayout(pdf_row);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QDialogButtonBox::Ok);
    ok_->setDefault(true); // Enter prints from any control
    buttons->addButton(QDialogButtonBox::Cancel);
    setup_ = buttons->addButton(QStringLiteral("Set&up..."), QDialogButtonBox::ActionRole);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(setup_, &QPushButton::clicked, this, &Tdlg_print::run_setup);
    connect(browse_, &QPushButton::clicked, this, &Tdlg_print::choose_pdf);
    connect(source_view_, &QRadioButton::toggled, this, &Tdlg_print::update_enabled);
    connect(data_only_, &QCheckBox::toggled, this, &Tdlg_print::update_enabled);
    connect(to_pdf_, &QCheckBox::toggled, this, &Tdlg_print::update_enabled);
    connect(pdf_name_, &QLineEdit::textChanged, this, &Tdlg_print::update_enabled);
    update_enabled();
}

Tdlg_print::~Tdlg_print() = default;

void Tdlg_print::showEvent(QShowEvent* event) {
    update_enabled();
    QDialog::showEvent(event);
}

void Tdlg_print::update_enabled() {
    const bool data = data_view_->isChecked();
    data_only_->setEnabled(data);
    selection_only_->setEnabled(data);
    line_numbers_->setEnabled(!data || !data_only_->isChecked());
    pdf_name_->setEnabled(to_pdf_->isChecked());
    browse_->setEnabled(to_pdf_->isChecked());
    // Printing to a PDF file needs the file's name.
    ok_->setEnabled(!to_pdf_->isChecked() || !pdf_name_->text().trimmed().isEmpty());
}

int Tdlg_print::flags() const {
    int f = 0;
    if (source_view_->isChecked()) f |= print_source_view;
    if (line_numbers_->isChecked()) f |= print_line_numbers;
    if (data_only_->isChecked()) f |= print_data_only;
    if (selection_only_->isChecked()) f |= print_selection_only;
    return f;
}

std::string Tdlg_print::pdf_file() const {
    if (!to_pdf_->isChecked()) return {};
    return pdf_name_->text().trimmed().toStdString();
}

void Tdlg_print::choose_pdf() {
    const QString name = QFileDialog::getSaveFileName(
        this, QStringLiteral("Print to PDF file"), pdf_name_->text(),
        QStringLiteral("PDF files (*.pdf);;All files (*)"));
    if (!name.isEmpty()) pdf_name_->setText(name);
}

void Tdlg_print::run_setup() {
    QPrintDialog dialog(printer_.get(), this);
    dialog.exec();
}

} // namespace mondrel
