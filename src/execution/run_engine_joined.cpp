// Joining a sheet's lines into fewer script calls, line by line the same as the walk: runs of
// plain lines (with the IF, WHILE or FOR line after them, or the step of the FOR loop whose
// children they end), and the value reports of whole stretches of lines at the end of a run.
#include <string_view>
#include <vector>

#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/run_engine.h"
#include "execution/run_lines.h"

namespace mondrel {

// The lines from `first` on are still the ones in `lines`, with the same texts.
bool run_engine::same_lines(int first, const std::vector<line_stamp>& lines) const {
    if (first + static_cast<int64_t>(lines.size()) > doc_.line_count()) return false;
    for (size_t k = 0; k < lines.size(); ++k) {
        const source_list_item& line = doc_.line(first + static_cast<int>(k));
        if (&line != lines[k].line || line.stamp != lines[k].stamp) return false;
    }
    return true;
}

// A line the walk only hands to the engine and then leaves for the next.
bool run_engine::is_plain(int i) const {
    const source_list_item& line = doc_.line(i);
    return (line.code_word == cw_expression || line.code_word == cw_let) && !line.has_children() &&
           line.status != status_syntax_error && !line.script.empty();
}

// The end of the plain lines from i on that run as one call: each but the last is followed by
// its next sibling, or (once) is the last child of an IF with a next sibling, where the walk
// leaves the IF and goes on with that sibling (`cross` is then that line, counted from i, else
// -1); none after the first stops the run at a breakpoint. At most max_plain_run lines, so an
// edit compiles a bounded text again.
int run_engine::plain_run_end(int i, int& cross) const {
    const int n = doc_.line_count();
    const line_tree& tree = doc_.tree();
    cross = -1;
    int j = i + 1;
    for (; j < n && j - i < max_plain_run && is_plain(j) && !doc_.line(j).has_flag(flag_breakpoint);
         ++j) {
        if (!tree.is_last_child(j - 1)) continue;
        if (cross >= 0 || !leaves_if(j - 1)) break;
        cross = j - 1 - i;
    }
    return j;
}

// Line k is the last child of an IF that has a next sibling: after k the walk leaves the IF.
bool run_engine::leaves_if(int k) const {
    const line_tree& tree = doc_.tree();
    const int p = tree.parent_of(k);
    return p >= 0 && doc_.line(p).code_word == cw_if && !tree.is_last_child(p);
}

// A line the walk decides on by its value right after its script (IF, WHILE, FOR) whose value
// report hands over one variable: a run of plain lines may end with its script, and the report
// is read after the call.
bool run_engine::is_decider(int i) const {
    const source_list_item& line = doc_.line(i);
    return (line.code_word == cw_if || line.code_word == cw_while || line.code_word == cw_for) &&
           line.status != status_syntax_error && !line.script.empty() &&
           !reported_variable(line.display_text).empty() && !is_exit_form(line);
}

// The lines from i on are still those `run` was made of, with the same texts, and no more of
// them would join it now.
bool run_engine::plain_run_current(int i, const plain_run& run) const {
    if (!same_lines(i, run.lines)) return false;
    const int end = i + static_cast<int>(run.lines.size());
    const int plain_end = end - (run.decides ? 1 : 0);
    const line_tree& tree = doc_.tree();
    for (int k = i; k < end; ++k) {
        const source_list_item& line = doc_.line(k);
        if (k < plain_end && line.has_children()) return false;
        if (k > i && line.has_flag(flag_breakpoint)) return false;
        if (k + 1 >= end) continue;
        const bool crossing = k - i == run.cross;
        if (tree.is_last_child(k) != crossing || (crossing && !leaves_if(k))) return false;
    }
    if (run.decides) return true;
    if (run.loop.line) {
        const int p = tree.parent_of(end - 1);
        if (p < 0 || &doc_.line(p) != run.loop.line || doc_.line(p).stamp != run.loop.stamp)
            return false;
    }
    // No more lines would join it now: where the run was made it stopped for one of these.
    const int n = doc_.line_count();
    if (end - i == max_plain_run || end == n || doc_.line(end).has_flag(flag_breakpoint))
        return true;
    if (tree.is_last_child(end - 1)) return run.cross >= 0 || !leaves_if(end - 1) || !is_plain(end);
    return !is_plain(end) && !is_decider(end);
}

// Runs the plain lines from the current one on as one script call, together with the script of
// the IF, WHILE or FOR line right after them or the step of the FOR loop whose children they
// end, and goes on from there as the walk would line by line: a line that fails keeps its error
// and the rest still run; the deciding line behaves as in execute_and_report, the loop as in
// loop_again. False when the current line does not start two or more such texts.
bool run_engine::run_plain_lines() {
    const int i = current_;
    if (!is_plain(i)) return false;
    std::unique_ptr<plain_run>& run = code_of(i).plain;
    if (!run || !plain_run_current(i, *run)) {
        int cross = -1;
        const int end = plain_run_end(i, cross);
        const bool decides = end - i < max_plain_run && end < doc_.line_count() &&
                             !doc_.tree().is_last_child(end - 1) && is_decider(end) &&
                             !doc_.line(end).has_flag(flag_breakpoint);
        // A run that ends the children of a FOR loop with a direct pass takes in its step.
        int loop = -1;
        if (!decides && cross < 0 && doc_.tree().is_last_child(end - 1)) {
            const int p = doc_.tree().parent_of(end - 1);
            if (p >= 0 && doc_.line(p).code_word == cw_for && !is_exit_form(doc_.line(p)) &&
                doc_.line(p).status != status_syntax_error && steps_directly(loop_code_of(p)))
                loop = p;
        }
        if (end - i + (decides || loop >= 0 ? 1 : 0) < 2) {
            run.reset();
            return false;
        }
        run = std::make_unique<plain_run>();
        run->decides = decides;
        run->cross = cross;
        std::vector<std::string_view> texts;
        for (int k = i; k < end + (decides ? 1 : 0); ++k) {
            const source_list_item& line = doc_.line(k);
            run->lines.push_back({&line, line.stamp});
            texts.push_back(line.script);
        }
        if (loop >= 0) {
            run->loop = {&doc_.line(loop), doc_.line(loop).stamp};
            texts.push_back(loop_code_of(loop).step.text());
        }
        run->scripts = vbs::JoinedTexts(texts);
    }
    // Leaving an IF inside the run: the walk would end the IF's children there, which, with
    // the IF innermost on the stack, takes it off and goes on with the next line. (An empty
    // stack goes on just the same; another innermost line leaves the lines to execute_line.)
    bool leaves = false;
    if (run->cross >= 0 && !stack_.empty()) {
        if (stack_.back().line != doc_.tree().parent_of(i + run->cross)) return false;
        leaves = true;
    }
    const size_t plain = run->lines.size() - (run->decides ? 1 : 0);
    const size_t parts = run->scripts.size();
    // The line whose text comes last, after the plain lines' scripts: the deciding line, or
    // the FOR line whose step that is (which must be the innermost line entered, as the walk
    // takes the end of its children to be).
    int last = i + static_cast<int>(plain);
    if (run->loop.line) {
        last = doc_.tree().parent_of(last - 1);
        if (stack_.empty() || stack_.back().line != last) return false;
    }
    size_t from = 0;
    size_t ran = plain; // plain lines carried out
    enum { not_run, failed_line, ran_line } decided = not_run;
    while (from < parts) {
        vbs::ExecResult r;
        size_t failed = 0;
        if (!engine_->execute_joined(run->scripts, from, r, failed)) {
            // Texts the engine cannot join run one by one; the deciding line is left to the
            // walk. (The engine refuses before anything runs.)
            while (from < plain) {
                execute(i + static_cast<int>(from++));
                if (interrupted_) break;
            }
            ran = from;
            break;
        }
        if (r.ok()) {
            if (parts > plain) decided = ran_line;
            break;
        }
        if (failed < plain) {
            set_error(i + static_cast<int>(failed), r.error.description);
            from = failed + 1;
            if (interrupted_) { // the walk ends after the line the interrupt stopped
                ran = from;
                break;
            }
            continue;
        }
        decided = failed_line;
        set_error(last, r.error.description);
        break;
    }
    lines_executed_ += static_cast<int64_t>(ran);
    if (leaves && ran > static_cast<size_t>(run->cross) + 1) stack_.pop_back();
    if (decided == not_run) {
        current_ = i + static_cast<int>(ran) - 1;
        advance(1);
        return true;
    }
    if (run->decides) {
        ++lines_executed_;
        current_ = last;
        // As execute_and_report: the value report follows a script that succeeded.
        if (run->report_engine != serial_) {
            run->report_slot = report_slot(last);
            run->report_engine = serial_;
        }
        decide(last, decided == ran_line && report(last, run->report_slot));
        return true;
    }
    // The FOR loop's step ran: the rest of its pass, then the end of its children.
    bool again = false;
    if (decided == ran_line) {
        vbs::Value stop, step;
        again = after_step(last, loop_code_of(last), stop, step) && for_continues(last, stop, step);
    }
    current_ = i + static_cast<int>(plain) - 1;
    end_of_children(current_, 1, &again);
    return true;
}

// The reset fetch of lines [first, end) as one call, line by line the same as fetch; false,
// having done nothing, when the engine does not join their value reports.
bool run_engine::fetch_joined(int first, int end) {
    std::unique_ptr<fetch_run>& run = code_of(first).fetches;
    if (!run || static_cast<int>(run->lines.size()) != end - first ||
        !same_lines(first, run->lines)) {
        run = std::make_unique<fetch_run>();
        std::vector<std::string_view> reports;
        for (int k = first; k < end; ++k) {
            const source_list_item& line = doc_.line(k);
            run->lines.push_back({&line, line.stamp});
            if (line.status == status_syntax_error || !fetches_values(line.code_word) ||
                line.display_text.empty())
                continue;
            run->part_lines.push_back(k - first);
            reports.push_back(line.display_text);
        }
        run->reports = vbs::JoinedTexts(reports);
        run->names.reserve(reports.size());
        run->all_plain = true;
        for (std::string_view report : reports) {
            run->names.emplace_back(reported_variable(report));
            run->all_plain = run->all_plain && !run->names.back().empty();
        }
    }
    if (run->part_lines.empty()) {
        for (int k = first; k < end; ++k)
            fetch(k, fetch_mode::reset);
        return true;
    }
    // Lines without a report keep the count 0 the run started with, so the reports read from
    // variables need no pass over the other lines.
    if (run->all_plain && read_reports(first, *run)) {
        for (int k = first; k < end; ++k)
            restore_opens(doc_.line(k).results);
        return true;
    }
    for (int k = first; k < end; ++k) {
        source_list_item& line = doc_.line(k);
        if (line.status == status_syntax_error) continue;
        line.results.count = 0;
        // The reports write the first value and format of every line: asking for them now
        // lets the memory system fetch many at once instead of one per report.
        if (!line.results.values.empty()) {
            __builtin_prefetch(line.results.values.data(), 1);
            __builtin_prefetch(line.results.formats.data(), 1);
        }
    }
    fetch_.line = first;
    fetch_.mode = fetch_mode::reset;
    fetch_.part_lines = &run->part_lines;
    const size_t count = run->part_lines.size();
    bool joined = true;
    for (size_t from = 0; from < count;) {
        vbs::ExecResult r;
        size_t failed = 0;
        if (!engine_->execute_joined(run->reports, from, r, failed)) {
            joined = false; // refused before anything ran
            break;
        }
        if (r.ok()) break;
        const int i = first + run->part_lines[failed];
        if (doc_.line(i).status == status_ok)
            set_error(i, "Data fetch error: " + r.error.description);
        from = failed + 1;
    }
    fetch_.line = -1;
    fetch_.part_lines = nullptr;
    if (!joined) return false;
    for (int k = first; k < end; ++k)
        restore_opens(doc_.line(k).results);
    return true;
}

// Reports that hand one variable's value to row 0 of their line (`MR.dspx 0,name`, what the
// line maker writes for most lines) are read straight from the variables, when every one of
// them is a variable now: no script runs, and what each line gets is what its report would
// have stored. False, having stored nothing, when one is not.
bool run_engine::read_reports(int first, fetch_run& run) {
    if (run.engine != serial_) {
        run.slots.clear();
        for (const std::string& name : run.names)
            run.slots.push_back(engine_->global_slot(name));
        run.engine = serial_;
    }
    report_values_.clear();
    for (size_t k = 0; k < run.slots.size(); ++k) {
        const vbs::Value* value = engine_->global_variable(run.slots[k]);
        if (!value) return false;
        report_values_.push_back(value);
        // Ask for the value and format blocks the stores below write, many at once.
        const line_results& r = doc_.line(first + run.part_lines[k]).results;
        if (!r.values.empty()) {
            __builtin_prefetch(r.values.data(), 1);
            __builtin_prefetch(r.formats.data(), 1);
        }
    }
    for (size_t k = 0; k < report_values_.size(); ++k)
        store_result(doc_.line(first + run.part_lines[k]), 0, *report_values_[k], {},
                     fetch_mode::reset);
    return true;
}

} // namespace mondrel
