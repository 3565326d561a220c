#include "shell/properties_dlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "document/mondrel_doc.h"
#include "shell/session/format_dialog.h"

namespace mondrel {

Tdlg_properties::Tdlg_properties(QWidget* parent) : QDialog(parent) {
    setSizeGripEnabled(true);
    auto* top = new QVBoxLayout(this);
    auto* created_box = new QGroupBox(QStringLiteral("Created by"));
    auto* created_layout = new QVBoxLayout(created_box);
    edi_created_by = new QLineEdit;
    edi_created_by->setAccessibleName(QStringLiteral("Created by"));
    created_layout->addWidget(edi_created_by);
    top->addWidget(created_box);

    auto* description_box = new QGroupBox(QStringLiteral("Description"));
    auto* description_layout = new QVBoxLayout(description_box);
    edi_description = new QPlainTextEdit;
    edi_description->setAccessibleName(QStringLiteral("Description"));
    edi_description->setTabChangesFocus(true);
    description_layout->addWidget(edi_description);
    top->addWidget(description_box, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    top->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(420, 300);
}

void Tdlg_properties::load(const mondrel_doc& doc) {
    setWindowTitle(QString::fromStdString(properties_caption(doc)));
    edi_created_by->setText(QString::fromStdString(doc.created_by));
    edi_description->setPlainText(QString::fromStdString(doc.description));
    edi_created_by->setFocus();
}

} // namespace mondrel
