#pragma once
// The run engine: executes a codesheet by walking its line array itself and handing one line's
// script at a time to the document's script engine. IF, WHILE and FOR are decided by the walk
// on the values the lines report through the host object; FMT, DIR, ARR and CMD are carried out
// here. Errors are stored on the failing line (status 1 and the engine's text) and the walk
// goes on; a loop ends at `max_loop_count` passes. A runaway script call ends at the engine's
// time limit, and the run with it ("Script timed out" on the line); interrupt() stops a call
// from another thread and pauses the walk at the next line.
//
// One run_engine belongs to one document and keeps that document's run state. The tree
// questions of the walk (parent, last child, subtree size) come from the document's one-pass
// tree index, so a run costs time in proportion to the lines it executes.
//
// Where the walk would decide nothing between lines, their scripts go to the engine as one call
// (run_engine_joined.cpp): plain lines one after another, with the IF, WHILE or FOR line after
// them or the step of the FOR loop whose children they end; and the value reports of whole
// stretches of lines at the end of a run. Each line still fails, stops at its breakpoint and
// reports as it would in a call of its own; texts that would mean something else joined run
// one by one.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "execution/results.h"
#include "execution/run_engine_vbs.h"
#include "execution/tmr_object.h"

namespace mondrel {

class mondrel_doc;
class global_list;
class runaway_guard;
class line_tree;
class include_source;

enum class run_state : uint8_t { idle = 0, running = 1, paused = 2 };
enum class stop_reason : uint8_t { none = 0, stop = 1, chain = 2 };
enum class step_kind : uint8_t { over, into };

// A `cmd run` chain deeper than this ends with "CMD run chain too deep" on the `cmd` line, so
// sheets that run each other (A runs B, B runs A) cannot go on for ever.
inline constexpr int max_chain_depth = 16;

class run_engine {
public:
    // `engine` is the document's script engine (owned from now on); `globals` the process's
    // list (process_globals() in the program).
    run_engine(mondrel_doc& doc, std::unique_ptr<script_engine> engine, global_list& globals);
    ~run_engine();
    run_engine(const run_engine&) = delete;
    run_engine& operator=(const run_engine&) = delete;

    // --- commands ------------------------------------------------------------------------
    // Idle: prepares a fresh run and walks from line 0. Paused: resumes at the current line
    // without stopping at its breakpoint. `chain_depth` counts the `cmd run` hand-overs that
    // led to this run (0 for a run the user started).
    void run_all(int chain_depth = 0);
    // Only while paused: runs the current line (over: with its whole subtree) and pauses again.
    void step(step_kind kind);
    // State idle, current line -1, every line's result count 0.
    void reset();
    // Runs the sheet again after a change when the document's auto_running is on: resumes a
    // paused run, otherwise starts a fresh one. The editing commands call it after each change.
    void on_document_changed();
    // Asks a run in progress to stop: the script call in progress fails and the walk ends at
    // the next line. Loading include files at run start stops too. Safe from another thread.
    void interrupt();
    // Ends a run in progress as a script call that runs past its time limit does: the line
    // running gets "Script timed out" and the run ends. For a host's limit over a whole run;
    // safe from another thread.
    void time_out();
    // The last run or step ended because a script call ran past the time limit.
    bool timed_out() const;

    // --- state ---------------------------------------------------------------------------
    run_state state() const { return state_; }
    int current_line() const { return current_; }
    stop_reason reason() const { return reason_; }
    const std::string& chain_path() const { return chain_path_; }
    int chain_depth() const { return chain_depth_; }
    int stack_depth() const { return static_cast<int>(stack_.size()); }
    // Lines carried out by execute_line since the engine was made (loop passes count each
    // line again): the measure of a run's work.
    int64_t lines_executed() const { return lines_executed_; }
    const fmt_result_list& fmt_results() const { return fmt_results_; }
    script_engine& engine() { return *engine_; }
    mondrel_doc& document() { return doc_; }

    // Where include files come from during preparation (the codesheet files unless set);
    // nullptr loads none.
    void set_include_source(const include_source* source) { includes_ = source; }

    // --- pieces the walk is made of, public for the debugging and support code ------------
    // Start of a fresh run: one pass over the lines clears run-time errors and block flags,
    // snapshots the open flags and lets go of the values; then include files are loaded, the
    // run-start rewrites applied, the format results emptied, the script engine reset with a
    // new host object and the globals declared.
    void prepare();
    // Carries out the current line and advances.
    void execute_line();
    // Common end of run_all and step: fetches the values of every line before the current
    // one and reads the globals back (not after `cmd stop`).
    void finish();
    // The saved open flags of every value become a copy of its open flags.
    void snapshot();

private:
    bool execute(int i);
    bool execute_and_report(int i);
    bool report(int i);
    bool report(int i, int slot);
    int report_slot(int i);
    bool run_plain_lines();
    bool fetch(int i, fetch_mode mode);
    void set_error(int i, std::string text);
    void release_values();
    void repair_stack();
    void resume_checks();

    void execute_fmt(int i);
    void execute_dir(int i);
    void execute_arr(int i);
    void execute_cmd(int i);
    void execute_condition(int i); // if and while
    void execute_for(int i);
    void decide(int i, bool reported); // the walk after an IF, WHILE or FOR line's own call
    void execute_exit(int i);

    // The advances of the walk.
    void enter();
    void error_advance() { ++current_; }
    void advance(int step); // next (step 1) and skip (the subtree size)
    // `first_again`, when given, answers loop_again for the innermost line (its pass already
    // ran, joined to its children's scripts).
    void end_of_children(int finished, int step, const bool* first_again = nullptr);
    bool loop_again(int p); // one more pass of the loop line p?
    bool count_pass(int p); // false when p has reached the loop limit
    bool value_is_true(int i, bool& truth);

    mondrel_doc& doc_;
    std::unique_ptr<script_engine> engine_; // a runaway_guard around the document's engine
    runaway_guard* runaway_ = nullptr;      // engine_ itself
    global_list& globals_;
    const include_source* includes_ = nullptr;

    fetch_context fetch_;
    vbs::Ptr<TMRObject> host_;
    fmt_result_list fmt_results_;

    run_state state_ = run_state::idle;
    int current_ = -1;
    stop_reason reason_ = stop_reason::none;
    std::string chain_path_;
    int chain_depth_ = 0;
    // The lines whose children are being executed, innermost last. It grows as deep as the
    // tree does; the tree itself bounds it. Each entry counts the further passes of its own
    // loop, so an inner loop starting again never resets the count of the loop around it.
    struct entered_line {
        int line;
        int32_t passes;
    };
    std::vector<entered_line> stack_;
    // The document's shape when the run paused; a different shape on resume means the sheet
    // was edited and the stack is checked against it.
    uint64_t paused_shape_ = 0;
    const uint64_t serial_; // unique for the life of the process
    int64_t lines_executed_ = 0;
    std::atomic<bool> interrupted_{false};

    // The prepared texts of a line, kept on the line from run to run: a text that no longer
    // matches the line's (an edit) is prepared anew. FOR lines carry the text of a pass
    // besides.
    struct loop_code {
        bool made = false;
        int display_end = 0; // the last line of the value report in the pass
        vbs::Prepared pass;
        // A loop that reports just its counter, with an engine that reads variables directly:
        // the pass is the step alone, and the walk reads counter, stop and step itself (at
        // these slots of the engine of run_engine `engine`). `report` is the rest of `pass`,
        // for when a read finds no variable.
        bool direct = false;
        vbs::Prepared step, report;
        uint64_t engine = 0;
        int slots[3] = {-1, -1, -1};
    };
    // Plain lines one after another (expressions and LETs without children, the last of them
    // may end its parent's children), and IF lines whose children are all plain lines: the
    // walk decides nothing between them (the engine tests such an IF's value itself), so their
    // scripts run as one call. Kept on the first of them; checked against the lines before
    // each use.
    struct line_stamp {
        const source_list_item* line;
        uint64_t stamp;
    };
    // The sheet as a whole: while neither part changes, no line's text, place, count or
    // breakpoint has changed, and compiled forms of many lines checked then are still good.
    struct sheet_mark {
        uint64_t lines = ~uint64_t{0}, stamps = ~uint64_t{0};
        bool operator==(const sheet_mark&) const = default;
    };
    sheet_mark sheet_now() const;
    // Run start passes over every line only when the last run may have left something there
    // to undo (an error, a value holding an object or with a path, a rewrite of block heads
    // or lists, loaded include files) or the sheet changed since.
    sheet_mark prepared_mark_;
    bool lines_touched_ = true;
    struct plain_run {
        std::vector<line_stamp> lines;
        sheet_mark checked; // when the lines were last found to be those of the run
        vbs::JoinedTexts scripts;
        // The IF lines the call decides on, counted from the first line, each with its
        // children (the size of its subtree).
        std::vector<std::pair<int, int>> ifs;
        // The head of the last of the run's own lines that follow one another (a plain line or
        // an IF with its children), counted from the first line.
        int last = 0;
        // The last line is an IF, WHILE or FOR line whose script is the last text; its value
        // report, one variable, is read after the call (report()).
        bool decides = false;
        int report_slot = -1; // its reported variable in the engine of run_engine report_engine
        uint64_t report_engine = 0;
        // Where the run leaves an IF the walk entered: the head and the last line (counted
        // from the first) of what ends the IF's children; -1: none.
        int cross = -1, cross_end = -1;
        // The FOR line whose children the run ends, when its step is the last text.
        line_stamp loop{nullptr, 0};
    };
    // The value reports of a stretch of lines as one call, kept on its first line: the lines
    // it was made of, and the line of each report counted from the first.
    struct fetch_run {
        std::vector<line_stamp> lines;
        sheet_mark checked; // when the lines were last found to be those of the stretch
        std::vector<int> part_lines;
        vbs::JoinedTexts reports;
        // Every report hands one variable to row 0 (see read_reports): their names, and their
        // slots in the engine of run_engine `engine`.
        bool all_plain = false;
        std::vector<std::string> names;
        uint64_t engine = 0;
        std::vector<int> slots;
    };
    struct line_code {
        uint64_t stamp = 0; // the line's stamp when script and display were prepared
        vbs::Prepared script, display;
        // The slot of the variable the display reports alone, in the engine of run_engine
        // `report_engine` (-1: the display does more, see report()).
        int report_slot = -1;
        uint64_t report_engine = 0;
        std::unique_ptr<loop_code> loop;
        std::unique_ptr<plain_run> plain;
        // When the line was last found to start no run: until the sheet changes, the walk
        // does not look again (a loop comes back to the line on every pass).
        sheet_mark no_run;
        std::unique_ptr<fetch_run> fetches;
    };
    bool same_lines(int first, const std::vector<line_stamp>& lines) const;
    bool fetch_joined(int first, int end);
    bool read_reports(int first, fetch_run& run);
    void prefetch_record(int i) const;
    std::vector<const vbs::Value*> report_values_; // read_reports' scratch
    line_code& code_of(int i);
    loop_code& loop_code_of(int p);
    static bool steps_directly(const loop_code& code);
    bool for_pass(int p, loop_code& code, vbs::Value& stop, vbs::Value& step);
    bool after_step(int p, loop_code& code, vbs::Value& stop, vbs::Value& step);
    bool run_pass_text(int p, vbs::Prepared& text, int first, int last, vbs::Value& stop,
                       vbs::Value& step);
    bool for_continues(int p, const vbs::Value& stop, const vbs::Value& step);
    bool is_plain(int i) const;
    bool is_decider(int i) const;
    int inline_if_size(int i) const;
    int unit_size(int i) const;
    int plain_run_end(int i, plain_run& run) const;
    bool leaves_if(int k) const;
    bool plain_run_current(int i, const plain_run& run) const;
    void after_plain_run(int i, const plain_run& run, int handled);
};

// The run port of the editing commands (command_ports::run): after a change to a document
// whose auto_running is on, resumes its paused run or runs it afresh.
std::function<void(mondrel_doc&)> auto_run_port(run_engine& engine);

} // namespace mondrel
