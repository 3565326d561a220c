#include "cli/qt_application.h"

#ifdef MONDREL_WITH_QT

#include <QGuiApplication>

namespace mondrel {

void ensure_gui_application() {
    if (QGuiApplication::instance()) return;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "mondrel-run";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    // The settings the runner reads are the window's.
    QCoreApplication::setOrganizationName("Mondrel");
    QCoreApplication::setApplicationName("Mondrel");
}

} // namespace mondrel

#endif
