#include "platform/diagnostic_log.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

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

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

bool file_log::start(const std::string& file) {
    file_ = file;
    reported_ = false;
    active_ = false;
    std::error_code ec;
    const std::filesystem::path path(file);
    if (file.empty()) {
        fail();
        return false;
    }
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!out) {
        fail();
        return false;
    }
    out << "Log file start\n";
    out.flush();
    if (!out) {
        fail();
        return false;
    }
    active_ = true;
    return true;
}

void file_log::write(std::string_view line) {
    if (!active_) return;
    std::ofstream out(std::filesystem::path(file_), std::ios::out | std::ios::app | std::ios::binary);
    if (out) {
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        out << '\n';
        out.flush();
    }
    if (!out) fail();
}

void file_log::fail() {
    active_ = false;
    if (reported_) return;
    reported_ = true;
    if (on_failure) on_failure(file_);
}

std::string default_log_file() {
#ifdef _WIN32
    std::string base = env("LOCALAPPDATA");
    if (base.empty()) base = env("APPDATA");
    if (base.empty()) return "mondrel.log";
    return base + "\\Mondrel\\mondrel.log";
#else
    const std::string state = env("XDG_STATE_HOME");
    // A relative XDG path is invalid and is ignored, as the XDG rules ask.
    if (!state.empty() && state.front() == '/') return state + "/mondrel/mondrel.log";
    const std::string home = env("HOME");
    if (home.empty()) return "mondrel.log";
    return home + "/.local/state/mondrel/mondrel.log";
#endif
}

std::string log_failure_text(const std::string& file) {
    return "Could not write the log file: " + file;
}

} // namespace mondrel
