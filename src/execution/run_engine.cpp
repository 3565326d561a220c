#include "execution/run_engine.h"

#include <algorithm>
#include <atomic>
#include <cctype>

#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/incl_dir_cmd.h"
#include "execution/run_lines.h"
#include "execution/run_rewrites.h"
#include "execution/runaway_guard.h"
#include "vbscript/convert.h"
#include "vbscript/error.h"

namespace mondrel {

namespace {

constexpr std::string_view crlf = "\r\n";

// Code words whose script the walk hands to the engine.
bool executes_script(int32_t word) {
    switch (word) {
    case cw_expression:
    case cw_vb:
    case cw_let:
    case cw_if:
    case cw_while:
    case cw_for:
    case cw_arr:
        return true;
    default:
        return false;
    }
}

// `slot` holding `text`; code_of empties the slots of a line whose texts changed.
vbs::Prepared& prepared(vbs::Prepared& slot, const std::string& text, bool expression) {
    if (slot.text().empty()) slot = vbs::Prepared(text, expression);
    return slot;
}

// The saved open flags of every value of a line become a copy of its open flags.
void snapshot_opens(line_results& r) {
    if (!r.has_paths) return; // no open flags anywhere
    r.saved_opens.resize(std::max(r.saved_opens.size(), r.opens.size()));
    for (size_t k = 0; k < r.opens.size(); ++k)
        r.saved_opens[k] = r.opens[k];
}

// Lines in a text: each ends in CR LF (the last may end without).
int text_lines(std::string_view text) {
    int n = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    return n + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// Arrays made by an ARR line hold at most this many elements; larger dimensions are refused
// rather than built as a literal of that size.
constexpr int64_t max_arr_elements = 1'000'000;

uint64_t next_engine_serial() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

// --- shared with run_engine_joined.cpp (see run_lines.h) ------------------------------

bool fetches_values(int32_t word) {
    switch (word) {
    case cw_expression:
    case cw_fmt:
    case cw_dir:
    case cw_if:
    case cw_while:
    case cw_for:
    case cw_arr:
        return true;
    default:
        return false;
    }
}

void restore_opens(line_results& r) {
    if (!r.has_paths) return;
    const size_t values = std::min(r.opens.size(), r.saved_opens.size());
    for (size_t k = 0; k < values; ++k) {
        const size_t levels = std::min(r.opens[k].size(), r.saved_opens[k].size());
        std::copy_n(r.saved_opens[k].begin(), levels, r.opens[k].begin());
    }
}

bool is_exit_form(const source_list_item& line) {
    return line.script == "exit";
}

std::string_view reported_variable(std::string_view report) {
    constexpr std::string_view head = "MR.dspx 0,";
    if (!report.starts_with(head) || !report.ends_with("\r\n")) return {};
    const std::string_view name = report.substr(head.size(), report.size() - head.size() - 2);
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name.front()))) return {};
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return {};
    return name;
}

// --- the run engine ---------------------------------------------------------------------

run_engine::run_engine(mondrel_doc& doc, std::unique_ptr<script_engine> engine,
                       global_list& globals)
    : doc_(doc), globals_(globals), includes_(&file_includes()), serial_(next_engine_serial()) {
    auto guard = std::make_unique<runaway_guard>(std::move(engine), interrupted_);
    runaway_ = guard.get();
    engine_ = std::move(guard);
    engine_->set_time_limit(script_time_limit());
}

bool run_engine::timed_out() const {
    return runaway_->timed_out();
}

run_engine::~run_engine() {
    // Values on the lines may hold objects the engine made; they go before the engine does.
    release_values();
}

void run_engine::release_values() {
    for (int i = 0; i < doc_.line_count(); ++i)
        doc_.line(i).results.values.release();
}

void run_engine::set_error(int i, std::string text) {
    source_list_item& line = doc_.line(i);
    lines_touched_ = true;
    line.status = status_runtime_error;
    line.error_text = std::move(text);
}

// --- start and end of a run ----------------------------------------------------------------

void run_engine::prepare() {
    // One pass over the lines: it is the part of a run that touches every line. It also finds
    // out which of the later steps have anything to do. After a run that left nothing on the
    // lines to undo, of an unchanged sheet, there is nothing for it to do (the end of the run
    // sets the counts of the lines it reports, and those of the lines after).
    const bool untouched = !lines_touched_ && !fetch_.kept_more && prepared_mark_ == sheet_now() &&
                           doc_.last_runner() == serial_;
    doc_.set_last_runner(serial_);
    bool includes = false, vb_lines = false, lists = false;
    for (int i = 0; !untouched && i < doc_.line_count(); ++i) {
        source_list_item& line = doc_.line(i);
        line.flags &= ~flag_block_head;
        line.results.count = 0;
        if (line.status == status_runtime_error) {
            line.status = status_ok;
            line.error_text.clear();
        }
        includes |= line.code_word == cw_incl;
        vb_lines |= line.code_word == cw_vb;
        lists |= line.code_word == cw_expression && line.has_children();
        line_results& r = line.results;
        snapshot_opens(r);
        if (r.has_objects) {
            r.values.release();
            r.has_objects = false;
        }
    }
    if (includes_ && includes && load_include_files(doc_, *includes_, &interrupted_) > 0)
        vb_lines = lists = true; // the loaded lines were not looked at
    if (vb_lines) rewrite_vb_blocks(doc_);
    if (lists) rewrite_brace_lists(doc_);
    lines_touched_ = includes || vb_lines || lists;
    fetch_.kept_more = false;
    prepared_mark_ = sheet_now();
    fmt_results_.clear();
    engine_->set_time_limit(script_time_limit());
    engine_->reset();
    host_ = vbs::make_object<TMRObject>(doc_, fetch_, globals_);
    engine_->add_object("MR", host_);
    set_globals(*engine_, globals_);
}

void run_engine::run_all(int chain_depth) {
    if (state_ == run_state::running) return;
    chain_depth_ = chain_depth;
    interrupted_ = false;
    runaway_->clear();
    if (state_ == run_state::idle) {
        prepare(); // the values of the last run go by its end (finish sets every count)
        state_ = run_state::running;
        current_ = 0;
        stack_.clear();
        reason_ = stop_reason::none;
        chain_path_.clear();
    } else {
        state_ = run_state::running;
        resume_checks();
        if (current_ >= 0 && current_ < doc_.line_count()) execute_line();
    }
    while (reason_ == stop_reason::none && current_ < doc_.line_count() && !interrupted_) {
        if (doc_.line(current_).has_flag(flag_breakpoint)) break;
        if (!run_plain_lines()) execute_line();
    }
    finish();
}

void run_engine::resume_checks() {
    if (doc_.structure_version() != paused_shape_) repair_stack();
}

// The sheet may have been edited while the run was paused: lines added or removed move the
// lines the stack names. Only the entries that are still lines above the current line are kept,
// innermost last, so the walk never asks about a line that is not there. (An unedited sheet
// keeps its stack as it is: after an error-advance the stack may name a loop the walk has
// already left, and the walk must go on exactly as an uninterrupted run would.)
void run_engine::repair_stack() {
    const int n = doc_.line_count();
    if (stack_.empty()) return;
    if (current_ < 0 || current_ >= n) {
        stack_.clear();
        return;
    }
    const line_tree& tree = doc_.tree();
    std::vector<int> above;
    for (int p = tree.parent_of(current_); p >= 0; p = tree.parent_of(p))
        above.push_back(p);
    std::vector<entered_line> kept;
    for (const entered_line& entry : stack_)
        if (std::find(above.begin(), above.end(), entry.line) != above.end()) kept.push_back(entry);
    stack_ = std::move(kept);
}

void run_engine::finish() {
    const int n = doc_.line_count();
    if (reason_ != stop_reason::none || current_ >= n || runaway_->timed_out())
        state_ = run_state::idle;
    else
        state_ = run_state::paused;
    paused_shape_ = doc_.structure_version();
    const int end = std::min(current_, n);
    // The lines the run did not reach show no values (run start may have left them alone).
    for (int i = std::max(end, 0); i < n; ++i)
        doc_.line(i).results.count = 0;
    // Whole stretches of max_plain_run lines (the last may be shorter when it ends the sheet)
    // report their values in one call; a stretch the run did not finish reports line by line.
    for (int first = 0; first < end; first += max_plain_run) {
        const int stretch_end = std::min(first + max_plain_run, n);
        if (stretch_end <= end && fetch_joined(first, stretch_end)) continue;
        for (int i = first; i < std::min(stretch_end, end); ++i)
            fetch(i, fetch_mode::reset);
    }
    if (reason_ != stop_reason::stop) get_globals(*engine_, globals_);
}

void run_engine::snapshot() {
    for (int i = 0; i < doc_.line_count(); ++i)
        snapshot_opens(doc_.line(i).results);
}

// --- one line ----------------------------------------------------------------------------

bool run_engine::execute(int i) {
    source_list_item& line = doc_.line(i);
    if (!executes_script(line.code_word) || line.script.empty()) return true;
    vbs::ExecResult r = engine_->execute_prepared(prepared(code_of(i).script, line.script, false));
    if (r.ok()) return true;
    set_error(i, r.error.description);
    return false;
}

bool run_engine::fetch(int i, fetch_mode mode) {
    source_list_item& line = doc_.line(i);
    if (line.status == status_syntax_error) return false;
    line_results& r = line.results;
    fetch_.line = i;
    fetch_.mode = mode;
    if (mode == fetch_mode::reset) r.count = 0;
    bool ok = true;
    if (fetches_values(line.code_word) && !line.display_text.empty()) {
        vbs::ExecResult e =
            engine_->execute_prepared(prepared(code_of(i).display, line.display_text, false));
        if (!e.ok()) {
            ok = false;
            // The first error of a run is the one that explains the line; a fetch that fails
            // after the line's own script failed does not hide it.
            if (line.status == status_ok) set_error(i, "Data fetch error: " + e.error.description);
        }
    }
    fetch_.line = -1;
    restore_opens(r);
    return ok;
}

// execute(i) and, when it succeeds, the reset fetch of its values: the lines the walk decides
// on (IF, WHILE, FOR) need their value right after their script.
bool run_engine::execute_and_report(int i) {
    return execute(i) && report(i);
}

// fetch(i, reset); a report that only hands one variable to row 0 is read from the variable
// when it is one (as read_reports does for many lines).
bool run_engine::report(int i) {
    line_code& code = code_of(i);
    if (code.report_engine != serial_) {
        code.report_slot = report_slot(i);
        code.report_engine = serial_;
    }
    return report(i, code.report_slot);
}

// The engine slot of the variable line i's value report hands over alone; -1 when the report
// does more (or the engine reads no variables).
int run_engine::report_slot(int i) {
    const std::string_view name = reported_variable(doc_.line(i).display_text);
    return name.empty() ? -1 : engine_->global_slot(name);
}

// report(i) with the slot of the line's reported variable given (-1: none).
bool run_engine::report(int i, int slot) {
    source_list_item& line = doc_.line(i);
    if (slot < 0 || line.status == status_syntax_error || !fetches_values(line.code_word))
        return fetch(i, fetch_mode::reset);
    const vbs::Value* value = engine_->global_variable(slot);
    if (!value) return fetch(i, fetch_mode::reset);
    line.results.count = 0;
    if (store_result(line, 0, *value, {}, fetch_mode::reset)) fetch_.kept_more = true;
    restore_opens(line.results);
    return true;
}

void run_engine::execute_line() {
    ++lines_executed_;
    const int i = current_;
    source_list_item& line = doc_.line(i);
    if (line.status == status_syntax_error) {
        error_advance();
        return;
    }
    switch (line.code_word) {
    case cw_fmt:
        execute_fmt(i);
        advance(1);
        return;
    case cw_dir:
        execute_dir(i);
        advance(1);
        return;
    case cw_arr:
        execute_arr(i);
        advance(1);
        return;
    case cw_cmd:
        execute_cmd(i);
        return;
    case cw_if:
    case cw_while:
        if (is_exit_form(line) && line.code_word == cw_while)
            execute_exit(i);
        else
            execute_condition(i);
        return;
    case cw_for:
        if (is_exit_form(line))
            execute_exit(i);
        else
            execute_for(i);
        return;
    default:
        execute(i);
        if (line.has_children())
            enter();
        else
            advance(1);
        return;
    }
}

bool run_engine::value_is_true(int i, bool& truth) {
    const line_results& r = doc_.line(i).results;
    truth = false;
    if (r.count < 1 || r.values.empty() || r.values[0].is_null()) return true;
    try {
        truth = vbs::to_bool(r.values[0]);
        return true;
    } catch (const vbs::ScriptException& e) {
        set_error(i, e.description);
        return false;
    }
}

void run_engine::execute_condition(int i) {
    decide(i, execute_and_report(i));
}

void run_engine::execute_for(int i) {
    decide(i, execute_and_report(i));
}

// The walk after an IF, WHILE or FOR line ran its script and value report (`reported`: both
// without failure).
void run_engine::decide(int i, bool reported) {
    const int32_t word = doc_.line(i).code_word;
    if (word == cw_for) {
        if (!reported) return error_advance();
        if (!doc_.line(i).has_children()) return advance(1);
        return enter(); // no test before the first pass
    }
    // IF moves on into its children after a failure; WHILE treats it as an error-advance.
    // Both reach the first child: the difference is the end-of-children check IF may start.
    auto failed = [&] {
        if (word == cw_if)
            advance(1);
        else
            error_advance();
    };
    if (!reported) return failed();
    if (!doc_.line(i).has_children()) return advance(1);
    bool truth = false;
    if (!value_is_true(i, truth)) return failed();
    if (!truth) return advance(doc_.tree().subtree_size(i));
    enter();
}

void run_engine::execute_exit(int i) {
    const int32_t word = doc_.line(i).code_word;
    for (size_t k = stack_.size(); k-- > 0;) {
        const int loop = stack_[k].line;
        if (doc_.line(loop).code_word != word) continue;
        stack_.resize(k);
        current_ = loop;
        advance(doc_.tree().subtree_size(loop));
        return;
    }
    set_error(i, word == cw_while ? "Exit not in WHILE loop" : "Exit not in FOR loop");
    error_advance();
}

void run_engine::execute_fmt(int i) {
    const source_list_item& line = doc_.line(i);
    vbs::EvalResult index = engine_->eval(line.script);
    vbs::EvalResult format = engine_->eval(line.aux_text);
    try {
        if (!index.ok() || !format.ok()) throw vbs::ScriptException(vbs::kErrTypeMismatch, "");
        const int32_t k = vbs::to_long(index.value);
        fmt_results_.push_back(make_fmt_res_item(line.name, k, vbs::to_string(format.value)));
    } catch (const vbs::ScriptException&) {
        set_error(i, "Error in FMT stmt");
    }
}

void run_engine::execute_arr(int i) {
    source_list_item& line = doc_.line(i);
    // The display text is made anew below; a failed line reports nothing.
    if (!execute(i)) return line.set_display_text({});
    // The literal is built from the innermost dimension outwards; an Eval failure ends the
    // building and what was built so far is used.
    std::string literal = "0";
    int64_t elements = 1;
    try {
        vbs::EvalResult ub = engine_->eval("UBound(" + line.temp1 + ")");
        const int32_t n = ub.ok() ? vbs::to_long(ub.value) + 1 : 0;
        for (int32_t k = n - 1; k >= 0; --k) {
            vbs::EvalResult d = engine_->eval(line.temp1 + "(" + std::to_string(k) + ")");
            if (!d.ok()) break;
            const int32_t copies = vbs::to_long(d.value);
            elements *= std::max(copies, 1);
            if (elements > max_arr_elements) {
                set_error(i, "ARR dimensions too large");
                return line.set_display_text({});
            }
            std::string next = "{";
            next.reserve(static_cast<size_t>(std::max(copies, 0)) * (literal.size() + 1) + 2);
            for (int32_t c = 0; c < copies; ++c) {
                if (c) next += ',';
                next += literal;
            }
            next += '}';
            literal = std::move(next);
        }
    } catch (const vbs::ScriptException&) {
        // a dimension that is no number ends the building like a failed Eval
    }
    line_ptr made = make_line(doc_, 1, cw_expression, line.name, literal);
    if (made->status != status_ok) {
        set_error(i, made->error_text);
        return line.set_display_text({});
    }
    vbs::ExecResult r = engine_->execute_statement(made->script);
    if (!r.ok()) set_error(i, r.error.description);
    line.set_display_text(made->display_text);
}

void run_engine::execute_cmd(int i) {
    const source_list_item& line = doc_.line(i);
    if (line.script == "stop") {
        reason_ = stop_reason::stop;
        return;
    }
    if (line.script != "run") return advance(1);
    if (chain_depth_ >= max_chain_depth) {
        set_error(i, "CMD run chain too deep");
        return advance(1);
    }
    vbs::EvalResult path = engine_->eval(line.aux_text);
    try {
        if (!path.ok()) throw vbs::ScriptException(vbs::kErrTypeMismatch, "");
        chain_path_ = vbs::to_string(path.value);
        reason_ = stop_reason::chain;
    } catch (const vbs::ScriptException&) {
        set_error(i, "Error in CMD stmt");
        advance(1);
    }
}

// --- advances ------------------------------------------------------------------------------

void run_engine::enter() {
    stack_.push_back({current_, 0});
    ++current_;
}

void run_engine::advance(int step) {
    if (!stack_.empty() && doc_.tree().is_last_child(current_))
        end_of_children(current_, step);
    else
        current_ += step;
}

void run_engine::end_of_children(int finished, int step, const bool* first_again) {
    const line_tree& tree = doc_.tree();
    for (;;) {
        const int p = stack_.back().line;
        const bool again = first_again ? *first_again : loop_again(p);
        first_again = nullptr;
        if (again) {
            current_ = p + 1;
            return;
        }
        stack_.pop_back();
        if (stack_.empty() || !tree.is_last_child(p)) {
            current_ = finished + step;
            return;
        }
    }
}

bool run_engine::count_pass(int p) {
    const int32_t limit = max_loop_count();
    if (++stack_.back().passes < limit) return true;
    set_error(p, max_loop_message(limit));
    return false;
}

// The step of a FOR loop at line p, the counter's value report and the loop's stop and step.
// One script call makes the whole pass; which part failed is told by the line of the text the
// error is on. False after a failure, which is on the line.
// The code of the FOR line p's passes, made when missing (code_of drops it when the line's
// texts change), with the slots of its variables in this engine.
run_engine::loop_code& run_engine::loop_code_of(int p) {
    std::unique_ptr<loop_code>& made = code_of(p).loop;
    if (!made) made = std::make_unique<loop_code>();
    loop_code& code = *made;
    const source_list_item& line = doc_.line(p);
    if (!code.made) {
        code.made = true;
        std::string step_text;
        step_text.append(line.name).append("=").append(line.name).append("+").append(line.temp2);
        step_text.append(crlf);
        std::string report = line.display_text;
        if (!report.empty() && report.back() != '\n') report.append(crlf);
        code.display_end = 1 + text_lines(line.display_text);
        report.append("MR.bounds ").append(line.temp1).append(",").append(line.temp2);
        report.append(crlf);
        code.pass = vbs::Prepared(step_text + report, false);
        code.direct = line.display_text == "MR.dspx 0," + line.name + std::string(crlf);
        code.step = vbs::Prepared(std::move(step_text), false);
        code.report = vbs::Prepared(std::move(report), false);
        code.engine = 0;
    }
    if (code.direct && code.engine != serial_) {
        code.slots[0] = engine_->global_slot(line.name);
        code.slots[1] = engine_->global_slot(line.temp1);
        code.slots[2] = engine_->global_slot(line.temp2);
        code.engine = serial_;
    }
    return code;
}

// A direct pass: the step alone runs as a script, and the walk reads counter, stop and step.
bool run_engine::steps_directly(const loop_code& code) {
    return code.direct && code.slots[0] >= 0 && code.slots[1] >= 0 && code.slots[2] >= 0;
}

// The step of a FOR loop at line p, the counter's value report and the loop's stop and step.
// One script call makes the whole pass; which part failed is told by the line of the text the
// error is on. False after a failure, which is on the line.
bool run_engine::for_pass(int p, loop_code& code, vbs::Value& stop, vbs::Value& step) {
    if (steps_directly(code)) {
        vbs::ExecResult r = engine_->execute_prepared(code.step);
        if (!r.ok()) {
            set_error(p, r.error.description);
            return false;
        }
        return after_step(p, code, stop, step);
    }
    // The report is lines 2 to display_end of the pass.
    return run_pass_text(p, code.pass, 2, code.display_end, stop, step);
}

// Runs a text of the FOR line p's pass whose lines `first` to `last` report the counter and
// which then hands over stop and step (MR.bounds). An error in the report is a fetch error.
bool run_engine::run_pass_text(int p, vbs::Prepared& text, int first, int last, vbs::Value& stop,
                               vbs::Value& step) {
    source_list_item& line = doc_.line(p);
    fetch_.line = p;
    fetch_.mode = fetch_mode::update;
    vbs::ExecResult r = engine_->execute_prepared(text);
    fetch_.line = -1;
    restore_opens(line.results);
    if (!r.ok()) {
        if (r.error.line < first || r.error.line > last)
            set_error(p, r.error.description);
        else if (line.status == status_ok)
            set_error(p, "Data fetch error: " + r.error.description);
        return false;
    }
    return host_->take_bounds(stop, step);
}

// The rest of a direct pass once its step ran: the counter's value report, and the loop's
// stop and step, read from the variables.
bool run_engine::after_step(int p, loop_code& code, vbs::Value& stop, vbs::Value& step) {
    source_list_item& line = doc_.line(p);
    const vbs::Value* counter = engine_->global_variable(code.slots[0]);
    const vbs::Value* stop_value = engine_->global_variable(code.slots[1]);
    const vbs::Value* step_value = engine_->global_variable(code.slots[2]);
    if (counter && stop_value && step_value) {
        stop = *stop_value;
        step = *step_value;
        if (store_result(line, 0, *counter, {}, fetch_mode::update)) fetch_.kept_more = true;
        restore_opens(line.results);
        return true;
    }
    // Not variables now (a script made them something else): the report as written, lines 1
    // to display_end - 1 of its text (an error of unknown line counts as the report's).
    return run_pass_text(p, code.report, 0, code.display_end - 1, stop, step);
}

// After a pass of the FOR line p: does the counter still lie within the stop?
bool run_engine::for_continues(int p, const vbs::Value& stop, const vbs::Value& step) {
    const source_list_item& line = doc_.line(p);
    if (line.results.values.empty()) return false;
    try {
        const double value = vbs::to_double(line.results.values[0]);
        const double limit = vbs::to_double(stop);
        const double by = vbs::to_double(step);
        const bool done = by > 0 ? value > limit : value < limit;
        if (done) return false;
    } catch (const vbs::ScriptException& e) {
        set_error(p, e.description);
        return false;
    }
    return count_pass(p);
}

bool run_engine::loop_again(int p) {
    // After a time-out the run ends where it is: no loop runs its test or step again.
    if (runaway_->timed_out()) return false;
    source_list_item& line = doc_.line(p);
    if (line.code_word == cw_while) {
        if (!execute_and_report(p)) return false;
        bool truth = false;
        if (!value_is_true(p, truth) || !truth) return false;
        return count_pass(p);
    }
    if (line.code_word != cw_for) return false;
    vbs::Value stop, step;
    return for_pass(p, loop_code_of(p), stop, step) && for_continues(p, stop, step);
}

} // namespace mondrel
