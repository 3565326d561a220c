#pragma once
// Debugging support around the run engine: breakpoints, the loop limit and its text. Stepping
// and reset are run_engine's commands (run_engine.h); their code lives in debugging.cpp.

#include <chrono>
#include <cstdint>
#include <string>

namespace mondrel {

class mondrel_doc;

// The number of passes after which a WHILE or FOR loop is ended, a process-wide setting
// (default 1000). A limit of 0 or less would make the check never fire, so it acts as 1.
int32_t max_loop_count();
void set_max_loop_count(int32_t limit);

// "Max loop count exceeded.(%d)" filled with the limit.
std::string max_loop_message(int32_t limit);

// The longest one script call of a run may take (default 10 seconds; zero: no limit). A call
// that runs longer fails with "Script timed out" and ends the run.
std::chrono::milliseconds script_time_limit();
void set_script_time_limit(std::chrono::milliseconds limit);

// Toggles the breakpoint flag of line i (nothing for an index outside the sheet).
void toggle_breakpoint(mondrel_doc& doc, int i);
void clear_breakpoints(mondrel_doc& doc);

} // namespace mondrel
