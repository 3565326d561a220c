#include "execution/incl_dir_cmd.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <system_error>

#include "document/code_words.h"
#include "document/codesheet_file.h"
#include "document/line_block.h"
#include "document/mondrel_doc.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "vbscript/convert.h"
#include "vbscript/error.h"

namespace fs = std::filesystem;

namespace mondrel {

namespace {

std::string& incl_dir_setting() {
    static std::string folder;
    return folder;
}

bool is_separator(char c) {
    return c == '/' || c == '\\';
}

// Sheets may write paths with "\" or "/"; on POSIX both separate folders.
std::string native_path(std::string_view path) {
    std::string p(path);
#ifndef _WIN32
    std::replace(p.begin(), p.end(), '\\', '/');
#endif
    return p;
}

std::string trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(first, last - first + 1));
}

std::string comparable_path(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::path(path), ec);
    return ec ? path : p.string();
}

} // namespace

const std::string& def_incl_dir() {
    return incl_dir_setting();
}

void set_def_incl_dir(std::string folder) {
    incl_dir_setting() = std::move(folder);
}

// --- INCL ------------------------------------------------------------------------------------

std::string include_path(const mondrel_doc& doc, std::string_view file) {
    const std::string name = native_path(file);
    const bool has_folder = std::any_of(name.begin(), name.end(), is_separator);
    fs::path path(name);
    const std::string& base = doc.directory().empty() ? def_incl_dir() : doc.directory();
    if (!has_folder) {
        if (!base.empty()) path = fs::path(native_path(base)) / path;
    } else if (path.is_relative() && !doc.directory().empty()) {
        path = fs::path(native_path(doc.directory())) / path;
    }
    if (!path.has_extension()) path += ".mdr";
    return path.string();
}

bool file_include_source::read(mondrel_doc& doc, const std::string& path, int position,
                               std::string& error) const {
    if (read_file(doc, path, read_insert, position)) return true;
    error = "Could not read the include file: " + path;
    return false;
}

const include_source& file_includes() {
    static const file_include_source files;
    return files;
}

namespace {

// True when an `incl` line above line i already includes `path`: loading it again would
// repeat the same lines level after level, run after run.
bool includes_itself(const mondrel_doc& doc, int i, const std::string& path) {
    const line_tree& tree = doc.tree();
    const std::string target = comparable_path(path);
    for (int p = tree.parent_of(i); p >= 0; p = tree.parent_of(p)) {
        const source_list_item& up = doc.line(p);
        if (up.code_word == cw_incl && comparable_path(include_path(doc, up.aux_text)) == target)
            return true;
    }
    return false;
}

// The lines that go under one `incl` line: the `rem` line saying the file was loaded
// automatically, then the file's lines, read into `scratch` (which is empty before and after)
// so that the sheet itself is not searched or moved for each include. Temporary names come
// from the sheet's counter. Empty, with the reason in `error`, when the file cannot be read.
std::vector<line_ptr> read_include(mondrel_doc& doc, mondrel_doc& scratch, const std::string& path,
                                   const include_source& source, std::string& error) {
    scratch.set_temp_counter(doc.temp_counter());
    scratch.insert_line(0, make_line(scratch, 1, cw_rem, "", "Include file loaded automatically."));
    const bool read = source.read(scratch, path, 0, error);
    doc.set_temp_counter(scratch.temp_counter());
    std::vector<line_ptr> lines = scratch.take_lines(0, scratch.line_count());
    if (read) return lines;
    if (error.empty()) error = "Could not read the include file: " + path;
    return {};
}

// One pass of include loading: every sound `incl` line without children gets its lines. The
// candidates and the lines above them are found with one tree; the loaded lines are moved
// into the sheet in one rebuild of its array at the end. Returns the number loaded.
int load_pass(mondrel_doc& doc, const include_source& source, const std::atomic<bool>* stop) {
    struct loaded {
        int line;
        std::vector<line_ptr> lines;
        std::string error;
    };
    std::vector<loaded> loads;
    {
        mondrel_doc scratch;
        scratch.clear();
        scratch.history().set_recording(false);
        for (int i = 0; i < doc.line_count(); ++i) {
            const source_list_item& line = doc.line(i);
            if (line.code_word != cw_incl || line.status != status_ok || line.has_children())
                continue;
            if (stop && stop->load(std::memory_order_relaxed)) break;
            loaded& l = loads.emplace_back();
            l.line = i;
            const std::string path = include_path(doc, line.aux_text);
            if (includes_itself(doc, i, path))
                l.error = "Include file includes itself: " + path;
            else
                l.lines = read_include(doc, scratch, path, source, l.error);
        }
    }
    if (loads.empty()) return 0;
    int count = 0;
    std::vector<line_ptr> old = doc.take_lines(0, doc.line_count());
    std::vector<line_ptr> merged;
    size_t added = 0;
    for (const loaded& l : loads)
        added += l.lines.size();
    merged.reserve(old.size() + added);
    size_t next = 0;
    for (int i = 0; i < static_cast<int>(old.size()); ++i) {
        merged.push_back(std::move(old[static_cast<size_t>(i)]));
        if (next >= loads.size() || loads[next].line != i) continue;
        loaded& l = loads[next++];
        source_list_item& head = *merged.back();
        head.flags &= ~flag_open;
        if (!l.error.empty()) {
            head.status = status_runtime_error;
            head.error_text = std::move(l.error);
        }
        if (l.lines.empty()) continue;
        head.count = 1 + top_level_lines(l.lines);
        ++count;
        for (line_ptr& added_line : l.lines)
            merged.push_back(std::move(added_line));
    }
    doc.insert_lines(0, std::move(merged));
    return count;
}

} // namespace

int load_include_files(mondrel_doc& doc, const include_source& source,
                       const std::atomic<bool>* stop) {
    constexpr int max_passes = 5;
    // Loading is part of running, not an edit: it is never undone.
    const bool recording = doc.history().recording();
    doc.history().set_recording(false);
    int total = 0;
    for (int pass = 0; pass < max_passes; ++pass) {
        if (stop && stop->load(std::memory_order_relaxed)) break;
        const int loaded = load_pass(doc, source, stop);
        total += loaded;
        if (loaded == 0) break;
    }
    doc.history().set_recording(recording);
    // The loaded lines moved every line after them, so the recorded steps no longer fit.
    if (total > 0) doc.history().forget_steps();
    return total;
}

void remove_included_lines(mondrel_doc& doc) {
    bool removed = false;
    for (int i = 0; i < doc.line_count(); ++i) {
        source_list_item& line = doc.line(i);
        if (line.code_word != cw_incl || !line.has_children()) continue;
        const int size = doc.tree().subtree_size(i);
        doc.take_lines(i + 1, size - 1);
        doc.line(i).count = 1;
        doc.structure_changed();
        removed = true;
    }
    // Steps recorded while the included lines were there point past them.
    if (removed) doc.history().forget_steps();
}

// --- DIR -------------------------------------------------------------------------------------

namespace {

// Bounds of one listing: deeper or larger trees fail with "Error reading directory" and the
// reason instead of filling memory (or the index paths).
constexpr size_t max_dir_entries = 200'000;

bool scan(const fs::path& dir, dir_node& node, int depth, size_t& entries, std::string& reason) {
    std::error_code ec;
    fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
    if (ec) return true; // a folder that cannot be listed holds only its name
    std::vector<fs::path> folders;
    for (const fs::directory_entry& e : it) {
        if (++entries > max_dir_entries) {
            reason = "more than " + std::to_string(max_dir_entries) + " entries";
            return false;
        }
        std::error_code st;
        const fs::file_status s = e.symlink_status(st);
        std::string name = e.path().filename().string();
        if (!st && fs::is_directory(s))
            folders.push_back(e.path());
        else
            node.files.push_back(std::move(name));
    }
    if (!folders.empty() && depth + 1 > max_dir_depth) {
        reason = "the folders go deeper than " + std::to_string(max_dir_indexes) + " levels";
        return false;
    }
    for (const fs::path& f : folders) {
        dir_node& child = node.folders.emplace_back();
        child.name = f.filename().string();
        if (!scan(f, child, depth + 1, entries, reason)) return false;
    }
    return true;
}

} // namespace

bool folder_scan(std::string_view path_text, dir_node& out, std::string* reason) {
    const std::string path = native_path(trim(path_text));
    out = dir_node{};
    if (reason) reason->clear();
    if (path.empty()) return false;
    // The folder's name is the last non-empty part between separators.
    size_t end = path.size();
    while (end > 0 && is_separator(path[end - 1]))
        --end;
    size_t start = end;
    while (start > 0 && !is_separator(path[start - 1]))
        --start;
    out.name = path.substr(start, end - start);
    size_t entries = 0;
    std::string why;
    const bool ok = scan(fs::path(path), out, 0, entries, why);
    if (reason) *reason = std::move(why);
    return ok;
}

std::string quote_script_string(std::string_view name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"') q += '"';
        q += c;
    }
    q += '"';
    return q;
}

std::string dir_literal(const dir_node& node) {
    std::string text = "{" + quote_script_string(node.name);
    for (const dir_node& f : node.folders)
        text += "," + dir_literal(f);
    for (const std::string& f : node.files)
        text += "," + quote_script_string(f);
    return text + "}";
}

vbs::Value dir_value(const dir_node& node) {
    std::vector<vbs::Value> items;
    items.reserve(1 + node.folders.size() + node.files.size());
    items.push_back(vbs::Value::string(node.name));
    for (const dir_node& f : node.folders)
        items.push_back(dir_value(f));
    for (const std::string& f : node.files)
        items.push_back(vbs::Value::string(f));
    return vbs::Value::array(vbs::ArrayRep::make_vector(std::move(items)));
}

std::string dir_shape_literal(const dir_node& node) {
    std::string text = "{0";
    for (const dir_node& f : node.folders)
        text += "," + dir_shape_literal(f);
    for (size_t k = 0; k < node.files.size(); ++k)
        text += ",0";
    return text + "}";
}

// The `dir` row of the walk. The path expression is evaluated; the listing reaches the script
// as a value handed over by the host object (`MR.take`), and the display text comes from the
// line maker, given a literal of the listing's shape, so no name from the disk is ever read as
// script text.
void run_engine::execute_dir(int i) {
    source_list_item& line = doc_.line(i);
    // The display text is made anew below; a failed line reports nothing.
    auto fail = [&](const std::string& reason = {}) {
        line.set_display_text({});
        set_error(i, reason.empty() ? "Error reading directory"
                                    : "Error reading directory: " + reason);
    };
    std::string_view script = line.script;
    if (script.substr(0, 4) != "REM ") return fail();
    const std::string_view expression = script.substr(4, script.find("\r\n") - 4);
    vbs::EvalResult path = engine_->eval(expression);
    if (!path.ok()) return fail();
    std::string path_text;
    try {
        path_text = vbs::to_string(path.value);
    } catch (const vbs::ScriptException&) {
        return fail();
    }
    if (!line.name.empty() && !is_valid_global_name(line.name)) return fail();
    dir_node listing;
    std::string reason;
    if (!folder_scan(path_text, listing, &reason)) return fail(reason);
    const std::string name = line.name.empty() ? doc_.next_temp_name() : line.name;
    line_ptr made = make_line(doc_, 1, cw_expression, name, dir_shape_literal(listing));
    if (made->status != status_ok) return fail();
    host_->set_pending(dir_value(listing));
    vbs::ExecResult r = engine_->execute_statement("Dim " + name + "\r\nMR.take " + name + "\r\n");
    host_->set_pending({});
    if (!r.ok()) return fail();
    line.set_display_text(made->display_text);
}

// --- CMD run ---------------------------------------------------------------------------------

run_engine& follow_chain(run_engine& from, chain_host& host) {
    run_engine* current = &from;
    while (current->reason() == stop_reason::chain) {
        run_engine* next = host.open_for_chain(current->chain_path());
        if (!next) break;
        next->run_all(current->chain_depth() + 1);
        current = next;
    }
    return *current;
}

} // namespace mondrel
