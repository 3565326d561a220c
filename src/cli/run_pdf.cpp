#include "cli/run_pdf.h"

#ifdef MONDREL_WITH_QT

#include "cli/qt_application.h"
#include "display/mrdisplay_rows.h"
#include "display/sheet_print.h"
#include "document/mondrel_doc.h"
#include "platform/qt/qt_print_device.h"
#include "platform/qt/qt_settings_store.h"
#include "shell/session/options.h"
#include "shell/session/print_options.h"

namespace mondrel {

namespace {

// The margins and print formats the window would print with.
print_settings settings_from_store() {
    mondrel_options options;
    qt_settings_store store;
    load_options(store, options); // problems keep the defaults, as in the window
    return print_settings_of(options);
}

} // namespace

bool write_sheet_pdf(mondrel_doc& doc, const fmt_result_list* fmt_results,
                     const std::string& sheet_name, const pdf_options& opt, std::ostream& err) {
    (void)sheet_name;
    ensure_gui_application();
    mrdisplay_rows rows;
    rows.refresh(doc, opt.open_all, -1, fmt_results);
    int flags = 0;
    if (opt.source_view) flags |= print_source_view;
    if (opt.line_numbers) flags |= print_line_numbers;
    if (opt.data_only) flags |= print_data_only;

    qt_pdf_print_device device(opt.file);
    const print_outcome outcome =
        print_sheet(doc, rows, flags, settings_from_store(), device, print_date_today());
    if (!outcome.ok) {
        err << "mondrel-run: could not print to " << opt.file << ": "
            << (outcome.message.empty() ? device.error() : outcome.message) << "\n";
        return false;
    }
    return true;
}

} // namespace mondrel

#else

namespace mondrel {

bool write_sheet_pdf(mondrel_doc&, const fmt_result_list*, const std::string&,
                     const pdf_options&, std::ostream& err) {
    err << "mondrel-run: --pdf needs a build with Qt 6 (qt6-base-dev, qt6-svg-dev)\n";
    return false;
}

} // namespace mondrel

#endif
