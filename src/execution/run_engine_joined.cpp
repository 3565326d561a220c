// Joining a sheet's lines into fewer script calls, line by line the same as the walk: runs of
// plain lines and of IF lines with plain children, whose values the engine tests between texts
// (with the IF, WHILE or FOR line after them, or the step of the FOR loop whose children they
// end), and the value reports of whole stretches of lines at the end of a run.
#include <algorithm>
#include <string_view>
#include <vector>

#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/run_engine.h"
#include "execution/run_lines.h"

namespace mondrel {

run_engine::sheet_mark run_engine::sheet_now() const {
    return {doc_.lines_version(), latest_stamp()};
}

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

// An IF line whose children are all plain lines without breakpoints (and fit in one run), whose
// value the engine can test between two texts: the size of its subtree; 0 for any other line.
int run_engine::inline_if_size(int i) const {
    const source_list_item& line = doc_.line(i);
    if (line.code_word != cw_if || !line.has_children() || line.count > max_plain_run ||
        !is_decider(i))
        return 0;
    // Children without children of their own: the subtree is the line and its count - 1
    // children.
    for (int k = i + 1; k < i + line.count; ++k)
        if (!is_plain(k) || doc_.line(k).has_flag(flag_breakpoint)) return 0;
    return line.count;
}

// What one step of a run takes from line i on: 1 for a plain line, the subtree of an IF the
// engine decides on, 0 for a line that cannot join.
int run_engine::unit_size(int i) const {
    return is_plain(i) ? 1 : inline_if_size(i);
}

// The end of the lines from i on that run as one call, one after another as the walk goes:
// plain lines and IF lines with their plain children. Each but the last is followed by its
// next sibling, or (once) ends the children of an IF with a next sibling, where the walk leaves
// the IF and goes on with that sibling (`run.cross`); none after the first stops the run at a
// breakpoint. At most max_plain_run lines, so an edit compiles a bounded text again. Fills
// run.ifs, run.last and run.cross.
int run_engine::plain_run_end(int i, plain_run& run) const {
    const int n = doc_.line_count();
    const line_tree& tree = doc_.tree();
    run.cross = run.cross_end = -1;
    run.ifs.clear();
    int head = i;
    int size = unit_size(i);
    if (size > 1) run.ifs.emplace_back(0, size);
    int j = i + size;
    while (j < n && !doc_.line(j).has_flag(flag_breakpoint)) {
        const int next = unit_size(j);
        if (next == 0 || j + next - i > max_plain_run) break;
        if (tree.is_last_child(head)) {
            if (run.cross >= 0 || !leaves_if(head)) break;
            run.cross = head - i;
            run.cross_end = j - 1 - i;
        }
        if (next > 1) run.ifs.emplace_back(j - i, next);
        head = j;
        j += next;
    }
    run.last = head - i;
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

// The lines from i on are still those `run` was made of, with the same texts and shape, and no
// more of them would join it now.
bool run_engine::plain_run_current(int i, const plain_run& run) const {
    if (!same_lines(i, run.lines)) return false;
    const int end = i + static_cast<int>(run.lines.size()) - (run.decides ? 1 : 0);
    const line_tree& tree = doc_.tree();
    size_t next_if = 0;
    for (int k = i; k < end;) {
        int size = 1;
        if (next_if < run.ifs.size() && run.ifs[next_if].first == k - i)
            size = run.ifs[next_if++].second;
        const source_list_item& line = doc_.line(k);
        if (size == 1 ? line.has_children() : line.count != size) return false;
        if (k > i && line.has_flag(flag_breakpoint)) return false;
        for (int c = k + 1; c < k + size; ++c)
            if (doc_.line(c).has_children() || doc_.line(c).has_flag(flag_breakpoint)) return false;
        if (k + size < end) {
            const bool crossing = k - i == run.cross;
            if (tree.is_last_child(k) != crossing || (crossing && !leaves_if(k))) return false;
        }
        k += size;
    }
    // The deciding line ends the call: a breakpoint set on it since must stop the walk there.
    if (run.decides) return !doc_.line(end).has_flag(flag_breakpoint);
    const int head = i + run.last;
    if (run.loop.line) {
        const int p = tree.parent_of(head);
        if (p < 0 || &doc_.line(p) != run.loop.line || doc_.line(p).stamp != run.loop.stamp)
            return false;
    }
    // No more lines would join it now: where the run was made it stopped for one of these.
    const int n = doc_.line_count();
    if (end == n || doc_.line(end).has_flag(flag_breakpoint)) return true;
    const int next = unit_size(end);
    const bool fits = next > 0 && end + next - i <= max_plain_run;
    if (tree.is_last_child(head)) return run.cross >= 0 || !leaves_if(head) || !fits;
    return !fits && !(end - i < max_plain_run && is_decider(end));
}

// Runs the lines from the current one on that join (plain lines, and IF lines with plain
// children whose values the engine tests) as one script call, together with the script of the
// IF, WHILE or FOR line right after them or the step of the FOR loop whose children they end,
// and goes on from there as the walk would line by line: a line that fails keeps its error and
// the rest still run; an IF whose script fails, or whose value is not True or False, is left
// to the walk; the deciding line behaves as in execute_and_report, the loop as in loop_again.
// False when the current line does not start two or more such texts.
bool run_engine::run_plain_lines() {
    const int i = current_;
    const source_list_item& first = doc_.line(i);
    if (!is_plain(i) && first.code_word != cw_if) return false;
    line_code& code = code_of(i);
    std::unique_ptr<plain_run>& run = code.plain;
    const sheet_mark now = sheet_now();
    if (!run && code.no_run == now) return false;
    if (!run || (run->checked != now && !plain_run_current(i, *run))) {
        if (!unit_size(i)) {
            run.reset();
            code.no_run = now;
            return false;
        }
        auto made = std::make_unique<plain_run>();
        const int end = plain_run_end(i, *made);
        const int head = i + made->last;
        const bool decides = end - i < max_plain_run && end < doc_.line_count() &&
                             !doc_.tree().is_last_child(head) && is_decider(end) &&
                             !doc_.line(end).has_flag(flag_breakpoint);
        // A run that ends the children of a FOR loop with a direct pass takes in its step.
        int loop = -1;
        if (!decides && made->cross < 0 && doc_.tree().is_last_child(head)) {
            const int p = doc_.tree().parent_of(head);
            if (p >= 0 && doc_.line(p).code_word == cw_for && !is_exit_form(doc_.line(p)) &&
                doc_.line(p).status != status_syntax_error && steps_directly(loop_code_of(p)))
                loop = p;
        }
        if (end - i + (decides || loop >= 0 ? 1 : 0) < 2) {
            run.reset();
            code.no_run = now;
            return false;
        }
        run = std::move(made);
        run->decides = decides;
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
        for (const auto& [at, size] : run->ifs)
            run->scripts.skip_unless(static_cast<size_t>(at),
                                     reported_variable(doc_.line(i + at).display_text),
                                     static_cast<size_t>(at + size));
    }
    run->checked = now;
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
        last = doc_.tree().parent_of(i + run->last);
        if (stack_.empty() || stack_.back().line != last) return false;
    }
    auto is_if = [&](size_t part) {
        for (const auto& [at, size] : run->ifs)
            if (static_cast<size_t>(at) == part) return true;
        return false;
    };
    size_t from = 0;
    int64_t begun = 0;
    size_t handled = plain; // lines (counted from i) the call has dealt with
    int walk_if = -1;       // an IF (counted from i) whose value the walk decides on
    bool if_failed = false; // ... after its script failed
    enum { not_run, failed_line, ran_line } decided = not_run;
    while (from < parts) {
        vbs::JoinedRun r;
        if (!engine_->execute_joined(run->scripts, from, r)) {
            // Texts the engine cannot join run one by one up to the first IF, which is left to
            // the walk, as is the deciding line. (The engine refuses before anything runs.)
            const size_t until = run->ifs.empty() ? plain : static_cast<size_t>(run->ifs[0].first);
            if (until == 0) return false;
            while (from < until) {
                execute(i + static_cast<int>(from++));
                ++begun;
                if (interrupted_) break;
            }
            handled = from;
            break;
        }
        begun += static_cast<int64_t>(r.begun);
        if (r.result.ok()) {
            if (r.at < plain) {
                walk_if = static_cast<int>(r.at); // its value is neither True nor False
                handled = r.at;
            } else if (parts > plain) {
                decided = ran_line;
            }
            break;
        }
        if (r.at < plain) {
            set_error(i + static_cast<int>(r.at), r.result.error.description);
            if (is_if(r.at)) {
                walk_if = static_cast<int>(r.at);
                if_failed = true;
                handled = r.at;
                break;
            }
            from = r.at + 1;
            if (interrupted_) { // the walk ends after the line the interrupt stopped
                handled = from;
                break;
            }
            continue;
        }
        decided = failed_line;
        set_error(last, r.result.error.description);
        break;
    }
    // The step of a FOR loop is not a line.
    lines_executed_ += begun - (run->loop.line && decided != not_run ? 1 : 0);
    // The walk has left the IF it entered once it is past the lines that end its children:
    // at an IF it decides on after them, or after a line that follows them.
    if (leaves && (walk_if >= 0 ? walk_if > run->cross_end
                                : handled > static_cast<size_t>(run->cross_end) + 1))
        stack_.pop_back();
    if (walk_if >= 0) {
        current_ = i + walk_if;
        decide(current_, !if_failed && report(current_));
        return true;
    }
    if (decided == not_run) {
        after_plain_run(i, *run, static_cast<int>(handled));
        return true;
    }
    if (run->decides) {
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

// The walk's place after a run dealt with its lines up to `handled` (counted from i), the last
// of them having run: the walk goes on from that line, with the IF it is a child of entered
// when the call decided on that IF.
void run_engine::after_plain_run(int i, const plain_run& run, int handled) {
    const int line = handled - 1;
    for (const auto& [at, size] : run.ifs)
        if (line > at && line < at + size) {
            current_ = i + at;
            enter();
            break;
        }
    current_ = i + line;
    advance(1);
}

// The reset fetch of lines [first, end) as one call, line by line the same as fetch; false,
// having done nothing, when the engine does not join their value reports.
bool run_engine::fetch_joined(int first, int end) {
    std::unique_ptr<fetch_run>& run = code_of(first).fetches;
    const sheet_mark now = sheet_now();
    if (!run || static_cast<int>(run->lines.size()) != end - first ||
        (run->checked != now && !same_lines(first, run->lines))) {
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
    run->checked = now;
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
    }
    fetch_.line = first;
    fetch_.mode = fetch_mode::reset;
    fetch_.part_lines = &run->part_lines;
    const size_t count = run->part_lines.size();
    bool joined = true;
    for (size_t from = 0; from < count;) {
        vbs::JoinedRun r;
        if (!engine_->execute_joined(run->reports, from, r)) {
            joined = false; // refused before anything ran
            break;
        }
        if (r.result.ok()) break;
        const int i = first + run->part_lines[r.at];
        if (doc_.line(i).status == status_ok)
            set_error(i, "Data fetch error: " + r.result.error.description);
        from = r.at + 1;
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
// The first cache line of line i's record, where its results are (see source_list_item).
void run_engine::prefetch_record(int i) const {
    __builtin_prefetch(&doc_.line(i), 1);
}

bool run_engine::read_reports(int first, fetch_run& run) {
    if (run.engine != serial_) {
        run.slots.clear();
        for (const std::string& name : run.names)
            run.slots.push_back(engine_->global_slot(name));
        run.engine = serial_;
    }
    report_values_.clear();
    const size_t count = run.slots.size();
    for (size_t k = 0; k < count; ++k) {
        const vbs::Value* value = engine_->global_variable(run.slots[k]);
        if (!value) return false;
        report_values_.push_back(value);
    }
    // The records a few stores ahead are asked for before they are written.
    constexpr size_t ahead = 8;
    for (size_t k = 0; k < std::min(ahead, count); ++k)
        prefetch_record(first + run.part_lines[k]);
    for (size_t k = 0; k < count; ++k) {
        if (k + ahead < count) prefetch_record(first + run.part_lines[k + ahead]);
        if (store_result(doc_.line(first + run.part_lines[k]), 0, *report_values_[k], {},
                         fetch_mode::reset))
            fetch_.kept_more = true;
    }
    return true;
}

} // namespace mondrel
