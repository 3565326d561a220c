#include "platform/diagnostic_log.h"

namespace mondrel {

namespace {
diagnostic_log* installed_log = nullptr;
}

diagnostic_log* set_diagnostic_log(diagnostic_log* log) {
    diagnostic_log* previous = installed_log;
    installed_log = log;
    return previous;
}

diagnostic_log* current_diagnostic_log() {
    return installed_log;
}

void log_write(std::string_view line) {
    if (installed_log) installed_log->write(line);
}

} // namespace mondrel
