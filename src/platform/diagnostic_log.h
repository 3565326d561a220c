#pragma once
// The diagnostic log: one process-wide sink for the "ERROR in ..." lines that loaders and the
// run engine write instead of raising to their callers. Writing does nothing while no log is
// installed (logging off). The settings part installs a file-backed log when `err_logging` is
// on; tests install a memory_log.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mondrel {

class diagnostic_log {
public:
    virtual ~diagnostic_log() = default;
    virtual void write(std::string_view line) = 0;
};

// Installs `log` as the process's log (not owned; nullptr switches logging off) and returns
// the previous one.
diagnostic_log* set_diagnostic_log(diagnostic_log* log);
diagnostic_log* current_diagnostic_log();

// Writes one line to the installed log, if any.
void log_write(std::string_view line);

// A log that keeps its lines in memory.
class memory_log : public diagnostic_log {
public:
    void write(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// A log written to a file. Each line is appended and the file closed again, so a program that
// is killed loses nothing already written. A file that cannot be created or written turns the
// log off and calls on_failure once with the file name: the user is told, and no line is lost
// without a word.
class file_log : public diagnostic_log {
public:
    // Creates the file (and its folder), or empties it when it exists, and writes the line
    // "Log file start". False, with on_failure called, when that cannot be done.
    bool start(const std::string& file);
    void stop() { active_ = false; }
    void write(std::string_view line) override;

    bool active() const { return active_; }
    const std::string& file() const { return file_; }

    std::function<void(const std::string& file)> on_failure;

private:
    void fail();

    std::string file_;
    bool active_ = false;
    bool reported_ = false; // on_failure was called for this file
};

// The log file used when the settings name none: $XDG_STATE_HOME/mondrel/mondrel.log, else
// ~/.local/state/mondrel/mondrel.log (on Windows %LOCALAPPDATA%\Mondrel\mondrel.log).
std::string default_log_file();

// The status-bar text for a log file that could not be written.
std::string log_failure_text(const std::string& file);

} // namespace mondrel
