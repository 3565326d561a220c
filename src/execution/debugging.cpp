#include "execution/debugging.h"

#include <atomic>

#include "document/mondrel_doc.h"
#include "execution/run_engine.h"
#include "execution/runaway_guard.h"

namespace mondrel {

namespace {
std::atomic<int32_t> loop_limit{1000};
std::atomic<int64_t> time_limit_ms{10'000};
} // namespace

int32_t max_loop_count() {
    return std::max<int32_t>(loop_limit.load(), 1);
}

void set_max_loop_count(int32_t limit) {
    loop_limit = limit;
}

std::string max_loop_message(int32_t limit) {
    return "Max loop count exceeded.(" + std::to_string(limit) + ")";
}

std::chrono::milliseconds script_time_limit() {
    return std::chrono::milliseconds(time_limit_ms.load());
}

void set_script_time_limit(std::chrono::milliseconds limit) {
    time_limit_ms = std::max<int64_t>(limit.count(), 0);
}

void toggle_breakpoint(mondrel_doc& doc, int i) {
    if (i >= 0 && i < doc.line_count())
        doc.set_breakpoint(i, !doc.line(i).has_flag(flag_breakpoint));
}

void clear_breakpoints(mondrel_doc& doc) {
    for (int i = 0; i < doc.line_count(); ++i)
        if (doc.line(i).has_flag(flag_breakpoint)) doc.set_breakpoint(i, false);
}

// --- run_engine's debugging commands --------------------------------------------------------

void run_engine::step(step_kind kind) {
    if (state_ != run_state::paused) return;
    const int n = doc_.line_count();
    if (current_ < 0 || current_ >= n) return;
    interrupted_ = false;
    runaway_->clear();
    state_ = run_state::running;
    resume_checks();
    snapshot();
    const source_list_item& line = doc_.line(current_);
    if ((line.has_children() && kind == step_kind::over) || line.has_flag(flag_block_head)) {
        const int depth = stack_depth();
        execute_line();
        while (reason_ == stop_reason::none && current_ < doc_.line_count() &&
               stack_depth() != depth && !interrupted_) {
            if (doc_.line(current_).has_flag(flag_breakpoint)) break;
            execute_line();
        }
    } else {
        execute_line();
    }
    finish();
}

void run_engine::reset() {
    state_ = run_state::idle;
    current_ = -1;
    stack_.clear();
    for (int i = 0; i < doc_.line_count(); ++i)
        doc_.line(i).results.count = 0;
}

void run_engine::on_document_changed() {
    if (doc_.auto_running) run_all();
}

std::function<void(mondrel_doc&)> auto_run_port(run_engine& engine) {
    return [&engine](mondrel_doc&) { engine.on_document_changed(); };
}

void run_engine::interrupt() {
    interrupted_ = true;
    engine_->interrupt();
}

void run_engine::time_out() {
    interrupted_ = true;
    engine_->time_out();
}

} // namespace mondrel
