// mondrel [OPTION]... [FILE]: the desktop program. The first argument that is not an option
// is a codesheet to open beside the Welcome page; further arguments are ignored.

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "mondrel_version.h"
#include "platform/qt/qt_pictures.h"
#include "platform/qt/qt_settings_store.h"
#include "shell/first_paint_probe.h"
#include "shell/main_window.h"
#include "shell/string_grid.h"

namespace {

constexpr const char* usage_text =
    "Usage: mondrel [OPTION]... [FILE]\n"
    "A calculator spreadsheet: codesheets are trees of lines whose VBScript results show\n"
    "beside them.\n"
    "\n"
    "  FILE        a codesheet (.mdr) or line-text file to open beside the Welcome page\n"
    "  -h, --help  show this text and exit\n"
    "  --version   show the version and exit\n"
    "  --benchmark-startup  print the monotonic clock at the grid's first paint and exit\n"
    "  -platform NAME       Qt's platform plugin (xcb, wayland, offscreen); Qt's other\n"
    "                       standard options are accepted too\n"
    "A FILE whose name starts with '-' follows \"--\".\n"
    "Exit status: 0 closed normally, 2 the arguments are wrong.\n";

int usage_error(const QString& arg) {
    std::fprintf(stderr, "mondrel: unknown option: %s\n%s", arg.toLocal8Bit().constData(),
                 usage_text);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so they work without a display.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage_text, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("mondrel %s\n", MONDREL_VERSION);
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mondrel"));
    QApplication::setOrganizationName(QStringLiteral("Mondrel"));
    QApplication::setApplicationVersion(QStringLiteral(MONDREL_VERSION));
    QApplication::setWindowIcon(mondrel::app_icon());
    // Desktops that match windows to launchers (Wayland's app id, the task bar) find
    // mondrel.desktop and its icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("mondrel"));

    // The first argument that is not an option is the codesheet to open. Qt has taken its own
    // options out of the list by now, so anything else that looks like an option is a typing
    // mistake, not a file to open.
    std::optional<std::string> file;
    bool benchmark_startup = false;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QStringLiteral("--benchmark-startup")) {
            benchmark_startup = true;
        } else if (arg == QStringLiteral("--")) {
            if (i + 1 < args.size()) file = args.at(i + 1).toStdString();
            break;
        } else if (arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            return usage_error(arg);
        } else {
            file = arg.toStdString();
            break;
        }
    }

    mondrel::qt_settings_store settings; // kept until the window is gone
    mondrel::TForm1 window(file, nullptr, &settings);
    if (benchmark_startup) new mondrel::first_paint_probe(window.grid().viewport());
    window.show();
    return QApplication::exec();
}
