#include "shell/session/options_dialog.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "document/mondrel_doc.h"
#include "display/prop_stuff.h"
#include "execution/globals.h"

namespace mondrel {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Opens the undo group on construction and closes it however the scope is left.
class undo_group {
public:
    undo_group(mondrel_doc& doc, std::string_view name) : doc_(doc) {
        doc_.history().begin_group(name);
    }
    ~undo_group() { doc_.history().end_group(); }
    undo_group(const undo_group&) = delete;
    undo_group& operator=(const undo_group&) = delete;

private:
    mondrel_doc& doc_;
};

} // namespace

std::string margin_text(int mm) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", mm / 10.0);
    return buf;
}

options_dialog_state fill_options_dialog(const mondrel_options& options, const mondrel_doc& doc) {
    options_dialog_state s;
    s.data_cols = std::clamp(doc.data_cols(), options_min_spin, options_max_data_cols);
    s.row_height = std::clamp(doc.row_height(), options_min_spin, options_max_row_height);
    s.status_line_hints = options.status_line_hints;
    s.toolbar_hints = options.toolbar_hints;
    for (int i = 0; i < sheet_format_count; ++i) s.elements[i] = doc.sheet_format(i).full_text();
    for (int i = sheet_format_count; i < display_element_count; ++i)
        s.elements[i] = prop_list::from_text(options.element_formats[i]).full_text();
    s.incl_dir = options.def_incl_dir;
    const int mm[margin_count] = {options.margin_left, options.margin_right, options.margin_top,
                                  options.margin_bottom};
    for (int i = 0; i < margin_count; ++i) s.margins[i] = margin_text(mm[i]);
    s.print_def_fmt = options.print_def_fmt;
    s.print_head_fmt = options.print_head_fmt;
    s.print_foot_fmt = options.print_foot_fmt;
    s.loop_limit = std::to_string(options.max_loop_count);
    s.write_log = options.err_logging;
    s.log_file = options.err_log_file;
    s.globals = options.globals;
    s.selected_global = s.globals.empty() ? -1 : 0;
    return s;
}

bool can_delete_global(const options_dialog_state& state) {
    return state.selected_global >= 0 &&
           state.selected_global < static_cast<int>(state.globals.size());
}

add_global_result add_global_name(options_dialog_state& state, std::string_view answer) {
    const std::string_view name = trim(answer);
    if (name.empty()) return add_global_result::empty;
    for (const std::string& listed : state.globals)
        if (vbs::iequals(listed, name)) return add_global_result::duplicate;
    if (!is_valid_global_name(name)) return add_global_result::invalid;
    state.globals.emplace_back(name);
    state.selected_global = static_cast<int>(state.globals.size()) - 1;
    return add_global_result::added;
}

void delete_selected_global(options_dialog_state& state) {
    if (!can_delete_global(state)) return;
    state.globals.erase(state.globals.begin() + state.selected_global);
    const int n = static_cast<int>(state.globals.size());
    if (state.selected_global >= n) state.selected_global = n - 1;
}

void revert_elements(options_dialog_state& state) {
    const auto& table = display_elements();
    for (int i = 0; i < display_element_count; ++i)
        state.elements[i] = std::string(table[i].default_format);
}

std::optional<int> read_margin_mm(std::string_view text) {
    const std::string_view t = trim(text);
    if (t.empty()) return std::nullopt;
    double cm = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), cm,
                                           std::chars_format::fixed);
    if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(cm)) return std::nullopt;
    // 1.55 is stored a little below itself; the nudge keeps 2.3 from becoming 22 mm while
    // still truncating 1.55 to 15.
    const double mm = std::trunc(cm * 10 + (cm < 0 ? -1e-9 : 1e-9));
    if (mm < 0 || mm > options_max_margin_mm) return std::nullopt;
    return static_cast<int>(mm);
}

std::optional<int32_t> read_loop_limit(std::string_view text) {
    const std::string_view t = trim(text);
    int64_t n = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    if (n < 1 || n > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(n);
}

log_change apply_options_dialog(const options_dialog_state& state, mondrel_options& options,
                                mondrel_doc& doc, global_list& globals) {
    undo_group group(doc, "tools_optionsExecute");

    log_change log = log_change::none;
    if (options.err_logging && state.write_log) {
        if (state.log_file != options.err_log_file) log = log_change::start;
    } else if (options.err_logging) {
        options.err_logging = false;
        log = log_change::stop;
    } else if (state.write_log) {
        options.err_logging = true;
        log = log_change::start;
    }
    options.err_log_file = state.log_file;

    options.def_incl_dir = state.incl_dir;
    if (options.def_incl_dir.size() > 1 &&
        (options.def_incl_dir.back() == '\\' || options.def_incl_dir.back() == '/'))
        options.def_incl_dir.pop_back();

    int* const margins[margin_count] = {&options.margin_left, &options.margin_right,
                                        &options.margin_top, &options.margin_bottom};
    for (int i = 0; i < margin_count; ++i)
        if (const auto mm = read_margin_mm(state.margins[i])) *margins[i] = *mm;

    for (int i = 0; i < sheet_format_count; ++i) {
        format_ptr parsed = format_from_text(state.elements[i]);
        if (!(*parsed == doc.sheet_format(i))) doc.changed_display_fmt(i, std::move(parsed));
    }
    for (int i = sheet_format_count; i < display_element_count; ++i)
        options.element_formats[i] = state.elements[i];
    if (state.use_as_default)
        for (int i = 0; i < sheet_format_count; ++i) options.element_formats[i] = state.elements[i];

    options.print_def_fmt = state.print_def_fmt;
    options.print_head_fmt = state.print_head_fmt;
    options.print_foot_fmt = state.print_foot_fmt;

    if (const auto limit = read_loop_limit(state.loop_limit)) options.max_loop_count = *limit;

    const int cols = std::clamp(state.data_cols, options_min_spin, options_max_data_cols);
    const int height = std::clamp(state.row_height, options_min_spin, options_max_row_height);
    if (cols != doc.data_cols() || height != doc.row_height()) doc.changed_grid(height, cols);

    options.status_line_hints = state.status_line_hints;
    options.toolbar_hints = state.toolbar_hints;

    globals.set_names(state.globals);
    options.globals.clear();
    for (int i = 0; i < globals.size(); ++i) options.globals.push_back(globals.name(i));
    return log;
}

} // namespace mondrel
