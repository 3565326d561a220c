// File Properties: the active codesheet's author and description.

#include <QLineEdit>
#include <QPlainTextEdit>

#include "document/mondrel_doc.h"
#include "shell/main_window.h"
#include "shell/properties_dlg.h"
#include "shell/session/format_dialog.h"
#include "shell/session/document_slots.h"

namespace mondrel {

Tdlg_properties& TForm1::properties_dialog() {
    if (!properties_dlg_) properties_dlg_ = std::make_unique<Tdlg_properties>(this);
    return *properties_dlg_;
}

void TForm1::file_propertiesExecute() {
    if (slots_->slot_count() == 0) return;
    end_edit_accepting();
    mondrel_doc& doc = slots_->cur_doc();
    if (!properties_allowed(doc)) return;
    Tdlg_properties& dialog = properties_dialog();
    dialog.load(doc);
    if (dialog.exec() != QDialog::Accepted) return;
    apply_properties(doc, dialog.edi_created_by->text().toStdString(),
                     dialog.edi_description->toPlainText().toStdString());
    show_document(doc);
    update_actions();
}

} // namespace mondrel
