// File Print: the print dialog, then the current sheet printed on the chosen printer or into
// a PDF file. Failures and the layout's own stop reach the user in a message box.

#include <QPrinter>

#include <algorithm>

#include "display/mrdisplay.h"
#include "display/sheet_print.h"
#include "platform/qt/qt_print_device.h"
#include "shell/main_window.h"
#include "shell/print_dlg.h"
#include "shell/session/document_slots.h"
#include "shell/session/print_options.h"
#include "shell/string_grid.h"

namespace mondrel {

Tdlg_print& TForm1::print_dialog() {
    if (!print_dlg_) print_dlg_ = std::make_unique<Tdlg_print>(this);
    return *print_dlg_;
}

// Line edits stay open: printing reads the sheet as it is and changes nothing.
void TForm1::file_printExecute() {
    if (slots_->slot_count() == 0) return;
    Tdlg_print& dialog = print_dialog();
    if (dialog.exec() != QDialog::Accepted) return;

    print_settings settings = print_settings_of(options_);
    const int a = grid_->selection_first(), b = grid_->selection_last();
    if (a > 0 && b > 0) {
        settings.selection_first = std::min(a, b);
        settings.selection_last = std::max(a, b);
    }

    const std::string pdf = dialog.pdf_file();
    std::unique_ptr<qt_print_device> device;
    if (pdf.empty())
        device = std::make_unique<qt_print_device>(dialog.printer());
    else
        device = std::make_unique<qt_pdf_print_device>(pdf);
    const print_outcome outcome = print_sheet(slots_->cur_doc(), display_->rows(), dialog.flags(),
                                              settings, *device, print_date_today());
    if (!outcome.ok)
        information(outcome.message.empty() ? device->error() : outcome.message);
}

} // namespace mondrel
