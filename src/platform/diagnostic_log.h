#pragma once
// The diagnostic log: one process-wide sink for the "ERROR in ..." lines that loaders and the
// run engine write instead of raising to their callers. Writing does nothing while no log is
// installed (logging off). The settings part installs a file-backed log when `err_logging` is
// on; tests install a memory_log.

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

} // namespace mondrel
