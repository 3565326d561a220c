#include "cli/run_session.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <time.h>

#include "cli/run_image.h"
#include "cli/run_pdf.h"
#include "cli/run_output.h"
#include "display/mrdisplay_rows.h"
#include "display/value_text.h"
#include "document/codesheet_file.h"
#include "document/mondrel_doc.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/incl_dir_cmd.h"
#include "execution/run_engine.h"
#include "pages/xml_ifile.h"
#include "platform/diagnostic_log.h"
#include "vbscript/convert.h"

namespace mondrel {

namespace {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

// Wall and processor time of the phases, for MONDREL_RUN_TIMINGS. On a busy machine the
// processor time is the steadier figure.
double cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct phase_time {
    double wall = 0, cpu = 0;
};

class phase_clock {
public:
    explicit phase_clock(phase_time& into) : into_(into) {}
    ~phase_clock() {
        into_.wall += std::chrono::duration<double, std::milli>(clock_type::now() - wall_).count();
        into_.cpu += cpu_ms() - cpu_;
    }

private:
    phase_time& into_;
    clock_type::time_point wall_ = clock_type::now();
    double cpu_ = cpu_ms();
};

// The loaders' and the run's log lines go to standard error.
class stream_log : public diagnostic_log {
public:
    explicit stream_log(std::ostream& err) : err_(err) {}
    void write(std::string_view line) override {
        err_ << "mondrel-run: " << escape_controls(line) << "\n";
    }

private:
    std::ostream& err_;
};

// Ends a run that goes on longer than the timeout. The watchdog thread only calls the run
// engine's time_out, which is safe from another thread.
class watchdog {
public:
    watchdog(run_engine& engine, std::chrono::milliseconds limit) {
        if (limit.count() <= 0) return;
        thread_ = std::thread([this, &engine, limit] {
            std::unique_lock lock(mutex_);
            if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
                fired_ = true;
                engine.time_out();
            }
        });
    }
    ~watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    bool fired() const {
        std::lock_guard lock(mutex_);
        return fired_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable done_cv_;
    bool done_ = false;
    bool fired_ = false;
    std::thread thread_;
};

// Changes the working directory for a run and restores it afterwards: relative INCL, DIR and
// CMD paths are taken from the sheet's folder, as in the window.
class folder_scope {
public:
    explicit folder_scope(const fs::path& folder) {
        std::error_code ec;
        old_ = fs::current_path(ec);
        if (!ec && !folder.empty()) fs::current_path(folder, ec);
    }
    ~folder_scope() {
        std::error_code ec;
        if (!old_.empty()) fs::current_path(old_, ec);
    }

private:
    fs::path old_;
};

// One loaded sheet with everything its output needs.
struct sheet {
    std::string file; // as given (or as the chain named it)
    fs::path path;    // absolute
    bool loaded = false;
    std::string problem; // why it was not loaded or printed, when the runner knows
    std::unique_ptr<mondrel_doc> doc;
    std::unique_ptr<run_engine> engine;
    mrdisplay_rows rows;
    mrdisplay_rows all_lines;
    bool timed_out = false;      // by --timeout
    bool call_timed_out = false; // one script call ran past its own limit
};

// A value typed on the command line: a number when it reads as one (a whole number that fits
// a Long becomes a Long), otherwise the text.
vbs::Value define_value(const std::string& text) {
    double d = 0;
    if (!text.empty() && vbs::parse_number(text, d)) {
        if (std::floor(d) == d && d >= -2147483648.0 && d <= 2147483647.0)
            return vbs::Value::long_(static_cast<int32_t>(d));
        return vbs::Value::dbl(d);
    }
    return vbs::Value::string(text);
}

std::string too_many_lines(const sheet& s, int64_t lines, int64_t limit) {
    return s.file + ": " + std::to_string(lines) + " lines, more than the " +
           std::to_string(limit) + " lines mondrel-run takes (see --max-lines)";
}

// A sheet with more lines than the limit is refused before it is loaded, and again after
// (the count before is an upper bound only for line text).
bool load_sheet(sheet& s, int64_t max_lines) {
    std::error_code ec;
    s.path = fs::absolute(s.file, ec).lexically_normal();
    if (ec) return false;
    const std::string path = s.path.string();
    try {
        s.doc = std::make_unique<mondrel_doc>();
        const file_choice choice = resolve_file_name(*s.doc, path);
        if (const int64_t lines = count_sheet_lines(choice.path, choice.xml); lines > max_lines) {
            s.problem = too_many_lines(s, lines, max_lines);
            s.doc.reset();
            return false;
        }
        if (!read_file(*s.doc, path, read_replace, 0)) return false;
        if (s.doc->line_count() > max_lines) {
            s.problem = too_many_lines(s, s.doc->line_count(), max_lines);
            s.doc.reset();
            return false;
        }
    } catch (const std::bad_alloc&) {
        s.doc.reset();
        s.problem = s.file + ": not enough memory to load the sheet";
        return false;
    }
    s.doc->set_file_name(path);
    s.doc->mark_saved();
    s.loaded = true;
    return true;
}

// Loads a built-in page as the window opens it: an example as a sheet of one's own, any other
// page read-only. Relative paths in the page resolve against the working folder.
bool load_page_sheet(sheet& s, const std::string& name) {
    bool known =
        name == "Welcome" || name == "About" || name == "Help_index" || name == "Help_outline";
    for (const page_entry& e : page_index())
        known = known || e.name == name;
    if (!known) {
        s.problem = "no built-in page is called " + name + " (see --list-pages)";
        return false;
    }
    std::error_code ec;
    s.path = (fs::current_path(ec) / (name + ".mdr")).lexically_normal();
    const bool read_only = !is_example_page(name);
    s.doc = std::make_unique<mondrel_doc>();
    if (!load_xml(*s.doc, Txml_ifile().load_res(name, read_only), false, read_replace, 0))
        return false;
    s.doc->read_only = read_only;
    s.doc->set_file_name(s.path.string());
    s.doc->mark_saved();
    s.loaded = true;
    return true;
}

// Builds the rows the output needs. False, with the sheet's memory let go, when there is not
// enough memory for them.
bool build_sheet_rows(sheet& s, const run_options& opt) {
    const fmt_result_list* fmts = s.engine ? &s.engine->fmt_results() : nullptr;
    try {
        if (opt.format == output_format::json || opt.check)
            s.all_lines.refresh(*s.doc, true, -1, fmts);
        if (opt.format != output_format::json && !opt.check)
            s.rows.refresh(*s.doc, opt.open_all, -1, fmts);
        return true;
    } catch (const std::bad_alloc&) {
        s.rows = mrdisplay_rows();
        s.all_lines = mrdisplay_rows();
        s.engine.reset();
        s.doc.reset();
        s.loaded = false;
        s.problem = s.file + ": not enough memory to show the sheet";
        return false;
    }
}

// Runs a loaded sheet to its end: a breakpoint only pauses a window's run, so the runner goes
// on from it. `deadline` (when there is a timeout) ends the run, include loading too; a sheet
// handed over to after it has passed does not run at all.
void run_sheet(sheet& s, int chain_depth, std::optional<clock_type::time_point> deadline) {
    static const file_include_source include_files;
    s.engine = std::make_unique<run_engine>(*s.doc, make_vbs_engine(), process_globals());
    s.engine->set_include_source(&include_files);
    std::chrono::milliseconds left{0};
    if (deadline) {
        left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - clock_type::now());
        if (left.count() <= 0) {
            s.timed_out = true;
            return;
        }
    }
    folder_scope in_folder(s.path.parent_path());
    watchdog guard(*s.engine, left);
    s.engine->run_all(chain_depth);
    while (s.engine->state() == run_state::paused && !guard.fired())
        s.engine->run_all(chain_depth);
    s.timed_out = guard.fired();
    s.call_timed_out = !s.timed_out && s.engine->timed_out();
}

bool has_error_line(const mondrel_doc& doc) {
    for (int i = 0; i < doc.line_count(); ++i)
        if (doc.line(i).status != status_ok) return true;
    return false;
}

std::vector<std::pair<std::string, std::string>> global_texts() {
    const prop_list plain = prop_list::from_text("");
    std::vector<std::pair<std::string, std::string>> out;
    const global_list& g = process_globals();
    for (int i = 0; i < g.size(); ++i)
        out.emplace_back(g.name(i), value_text(g.value(i), plain));
    return out;
}

} // namespace

int run_files(const run_options& opt, std::ostream& out, std::ostream& err) {
    stream_log log(err);
    diagnostic_log* previous_log = set_diagnostic_log(&log);
    const bool timings = std::getenv("MONDREL_RUN_TIMINGS") != nullptr;
    int status = 0;

    for (const auto& [name, value] : opt.defines) {
        global_list& g = process_globals();
        int i = g.find(name);
        if (i < 0 && !g.add(name)) {
            err << "mondrel-run: --define: not a valid global name: " << name << "\n";
            set_diagnostic_log(previous_log);
            return 2;
        }
        if (i < 0) i = g.find(name);
        g.set_value(i, define_value(value));
    }
    if (opt.max_loop_count > 0) set_max_loop_count(opt.max_loop_count);
    if (opt.timeout.count() > 0) set_script_time_limit(opt.timeout);

    std::vector<std::unique_ptr<sheet>> sheets;
    phase_time load_t, run_t, rows_t, output_t;
    const bool page_mode = !opt.page.empty();
    const std::vector<std::string> names = page_mode ? std::vector{opt.page} : opt.files;
    for (const std::string& file : names) {
        auto s = std::make_unique<sheet>();
        s->file = file;
        bool ok = false;
        {
            phase_clock clock(load_t);
            ok = page_mode ? load_page_sheet(*s, file) : load_sheet(*s, opt.max_lines);
        }
        sheet& first = *s;
        sheets.push_back(std::move(s));
        if (!ok || opt.check) continue;
        // Help pages are read, not run.
        if (page_mode && !is_example_page(file)) continue;

        // A `cmd run` line hands over to another sheet, which runs next; a sheet already run
        // in this chain runs again (the chain depth bounds A runs B runs A). The timeout
        // covers the whole chain.
        std::optional<clock_type::time_point> deadline;
        if (opt.timeout.count() > 0) deadline = clock_type::now() + opt.timeout;
        sheet* current = &first;
        int depth = 0;
        while (true) {
            try {
                phase_clock clock(run_t);
                run_sheet(*current, depth, deadline);
            } catch (const std::bad_alloc&) {
                current->engine.reset();
                current->doc.reset();
                current->loaded = false;
                current->problem = current->file + ": not enough memory to run the sheet";
                break;
            }
            if (!current->engine || current->engine->reason() != stop_reason::chain) break;
            fs::path target;
            {
                folder_scope in_folder(current->path.parent_path());
                std::error_code ec;
                target = fs::absolute(current->engine->chain_path(), ec).lexically_normal();
            }
            sheet* next = nullptr;
            for (auto& other : sheets)
                if (other->loaded && other->path == target) next = other.get();
            if (!next) {
                auto chained = std::make_unique<sheet>();
                chained->file = target.string();
                bool chained_ok = false;
                {
                    phase_clock clock(load_t);
                    chained_ok = load_sheet(*chained, opt.max_lines);
                }
                if (!chained_ok) {
                    sheets.push_back(std::move(chained));
                    break;
                }
                next = chained.get();
                sheets.push_back(std::move(chained));
            }
            current = next;
            ++depth;
        }
    }

    // Rows and the exit status.
    std::optional<phase_clock> rows_clock(std::in_place, rows_t);
    for (auto& s : sheets) {
        if (s->loaded && !build_sheet_rows(*s, opt)) {
            err << "mondrel-run: " << s->problem << "\n";
            status = 2;
            continue;
        }
        if (!s->loaded) {
            err << "mondrel-run: Could not open the file: " << escape_controls(s->file) << "\n";
            if (!s->problem.empty()) err << "mondrel-run: " << s->problem << "\n";
            status = 2;
            continue;
        }
        if (s->timed_out) {
            err << "mondrel-run: " << s->file << ": stopped after the timeout\n";
            status = std::max(status, 1);
        } else if (s->call_timed_out) {
            err << "mondrel-run: " << s->file
                << ": stopped: a script call ran past its time limit\n";
        }
        if (!opt.check && has_error_line(*s->doc)) status = std::max(status, 1);
    }
    rows_clock.reset();

    std::optional<phase_clock> output_clock(std::in_place, output_t);
    if (opt.check) {
        bool any = false;
        for (auto& s : sheets) {
            if (!s->loaded) continue;
            const mondrel_doc& doc = *s->doc;
            const auto& rows = s->all_lines.rows();
            for (const table_list_item& row : rows) {
                const source_list_item& line = doc.line(row.line);
                if (row.has_flag(row_continuation) || line.status != status_syntax_error) continue;
                out << escape_controls(s->file) << ":" << row.full_number << ": "
                    << escape_controls(line.error_text) << "\n";
                any = true;
            }
        }
        status = std::max(status, any ? 1 : 0);
    } else {
        const auto globals = global_texts();
        const bool several = sheets.size() > 1;
        if (opt.format == output_format::json && several) out << "[\n";
        int csv_columns = 0;
        if (opt.format == output_format::csv) {
            for (auto& s : sheets)
                if (s->loaded) csv_columns = std::max(csv_columns, s->rows.data_cols());
            write_csv_header(out, csv_columns);
        }
        for (size_t k = 0; k < sheets.size(); ++k) {
            sheet& s = *sheets[k];
            sheet_report report;
            report.file = s.file;
            report.loaded = s.loaded;
            report.error = "Could not open the file: " + s.file;
            report.doc = s.doc.get();
            report.rows = &s.rows;
            report.all_lines = &s.all_lines;
            report.globals = globals;
            switch (opt.format) {
            case output_format::json:
                if (k > 0) out << ",\n";
                write_json(out, report);
                break;
            case output_format::csv:
                if (s.loaded) write_csv(out, report, csv_columns);
                break;
            case output_format::text:
                if (several) out << (k > 0 ? "\n" : "") << "== " << escape_controls(s.file) << "\n";
                if (s.loaded)
                    write_text(out, report);
                else
                    out << "Could not open the file: " << escape_controls(s.file) << "\n";
                break;
            }
        }
        if (opt.format == output_format::json) out << (several ? "\n]\n" : "\n");
    }
    out.flush();
    output_clock.reset();

    if (!opt.save.empty() && !sheets.empty() && sheets.front()->loaded) {
        std::error_code ec;
        const fs::path target = fs::absolute(opt.save, ec);
        const save_result saved = write_file(*sheets.front()->doc, ec ? opt.save : target.string());
        if (!saved.ok) {
            err << "mondrel-run: " << escape_controls(saved.message) << "\n";
            status = 2;
        } else if (saved.changed_lines > 0) {
            err << "mondrel-run: note: " << saved.changed_lines
                << (saved.changed_lines == 1 ? " line was" : " lines were")
                << " changed to fit line text in " << escape_controls(saved.path)
                << " (a line break inside a field became a blank; a name line text cannot "
                   "carry made its line a comment)\n";
        }
    }
    if (!opt.image.empty() && !sheets.empty() && sheets.front()->loaded) {
        sheet& s = *sheets.front();
        image_options image{opt.image, opt.image_width, opt.open_all};
        if (!write_sheet_image(*s.doc, s.engine ? &s.engine->fmt_results() : nullptr,
                               s.path.parent_path().string(), image, err))
            status = 2;
    }
    if (!opt.pdf.empty() && !sheets.empty() && sheets.front()->loaded) {
        sheet& s = *sheets.front();
        pdf_options pdf{opt.pdf, opt.print_source_view, opt.print_line_numbers,
                        opt.print_data_only, opt.open_all};
        if (!write_sheet_pdf(*s.doc, s.engine ? &s.engine->fmt_results() : nullptr,
                             s.path.filename().string(), pdf, err))
            status = 2;
    }
    if (timings) {
        auto show = [&](const char* name, const phase_time& t) {
            err << " " << name << " " << t.wall << " ms (cpu " << t.cpu << " ms)";
        };
        err << "mondrel-run timings:";
        show("load", load_t);
        show("run", run_t);
        show("rows", rows_t);
        show("output", output_t);
        err << "\n";
    }
    set_diagnostic_log(previous_log);
    return status;
}

} // namespace mondrel
