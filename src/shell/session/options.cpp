#include "shell/session/options.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

#include "display/prop_stuff.h"
#include "platform/diagnostic_log.h"

namespace mondrel {

namespace {

const std::array<display_element, display_element_count> elements = {{
    {"Line numbers", "doc_fmt_0", "colour:$808080"},
    {"Type eg. REM", "doc_fmt_1", "colour:$808080"},
    {"Expression text", "doc_fmt_2", ""},
    {"Name", "doc_fmt_3", ""},
    {"REM text", "doc_fmt_4", "colour:$008000"},
    {"VB text", "doc_fmt_5", "name:Courier New; size:8; colour:$000080"},
    {"Data numbers", "doc_fmt_6", "colour:$808080"},
    {"Edit text", "doc_fmt_7", ""},
    {"Error message", "fmt_0", "colour:$0000FF"},
    {"HELP text", "fmt_1", "name:Tahoma; size:8"},
}};

// The ranges read values are kept in: a damaged or hand-edited file must not give a window
// that cannot be seen or a margin wider than the page.
struct int_setting {
    std::string_view key;
    int mondrel_options::*field;
    int low, high;
};

const int_setting int_settings[] = {
    {"frm_left", &mondrel_options::frm_left, -32000, 32000},
    {"frm_top", &mondrel_options::frm_top, -32000, 32000},
    {"frm_width", &mondrel_options::frm_width, 200, 16000},
    {"frm_height", &mondrel_options::frm_height, 150, 16000},
    {"disp_font_size_incr", &mondrel_options::font_increment, -6, 40},
    {"print_margins_mm_left", &mondrel_options::margin_left, 0, 100},
    {"print_margins_mm_right", &mondrel_options::margin_right, 0, 100},
    {"print_margins_mm_top", &mondrel_options::margin_top, 0, 100},
    {"print_margins_mm_bottom", &mondrel_options::margin_bottom, 0, 100},
};

constexpr int32_t loop_low = 1;
constexpr int32_t loop_high = 1000000000;

struct string_setting {
    std::string_view key;
    std::string mondrel_options::*field;
};

const string_setting string_settings[] = {
    {"print_head_fmt", &mondrel_options::print_head_fmt},
    {"print_foot_fmt", &mondrel_options::print_foot_fmt},
    {"print_def_fmt", &mondrel_options::print_def_fmt},
    {"def_incl_dir", &mondrel_options::def_incl_dir},
    {"err_log_file", &mondrel_options::err_log_file},
};

struct bool_setting {
    std::string_view key;
    bool mondrel_options::*field;
};

const bool_setting bool_settings[] = {
    {"err_logging", &mondrel_options::err_logging},
    {"status_line_hints", &mondrel_options::status_line_hints},
    {"toolbar_hints", &mondrel_options::toolbar_hints},
};

constexpr std::string_view recent_group = "Recent_files";
constexpr std::string_view globals_group = "Globals";
constexpr std::string_view toolbars_key = "Toolbars/state";

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

// A whole decimal integer (sign allowed); anything else is nullopt.
std::optional<long long> read_integer(std::string_view text) {
    const std::string t = trimmed(text);
    if (t.empty()) return std::nullopt;
    const char* begin = t.data();
    // One sign at most: "+-5" is no number.
    if (t.size() > 1 && t[0] == '+' && t[1] != '-') ++begin;
    long long n = 0;
    const auto [end, ec] = std::from_chars(begin, t.data() + t.size(), n);
    if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return n;
}

struct reader {
    const settings_store& store;
    std::vector<std::string> problems;

    void problem(std::string text) {
        log_write(text);
        problems.push_back(std::move(text));
    }

    // The value clamped to [low, high]; nullopt when missing or unreadable (the default stays).
    std::optional<long long> integer(std::string_view key, long long low, long long high) {
        const auto text = store.value(key);
        if (!text) return std::nullopt;
        const auto n = read_integer(*text);
        if (!n) {
            problem("ERROR in settings: " + std::string(key) + " is not a number: \"" + *text +
                    "\"; the default is used");
            return std::nullopt;
        }
        if (*n < low || *n > high) {
            const long long kept = std::clamp(*n, low, high);
            problem("ERROR in settings: " + std::string(key) + " = " + std::to_string(*n) +
                    " is out of range; " + std::to_string(kept) + " is used");
            return kept;
        }
        return n;
    }
};

std::string recent_key(std::size_t i) {
    return std::string(recent_group) + "/file " + std::to_string(i);
}

} // namespace

mondrel_options::mondrel_options() {
    for (int i = 0; i < display_element_count; ++i)
        element_formats[i] = std::string(elements[i].default_format);
}

const std::array<display_element, display_element_count>& display_elements() {
    return elements;
}

std::vector<std::string> load_options(const settings_store& store, mondrel_options& options) {
    reader r{store, {}};
    for (const auto& s : int_settings)
        if (const auto n = r.integer(s.key, s.low, s.high)) options.*s.field = static_cast<int>(*n);
    for (const auto& s : string_settings) {
        // An empty string reads as missing: the default stands.
        const auto text = store.value(s.key);
        if (text && !text->empty()) options.*s.field = *text;
    }
    if (const auto n = r.integer("max_loop_count", loop_low, loop_high))
        options.max_loop_count = static_cast<int32_t>(*n);
    for (const auto& s : bool_settings)
        if (const auto n = r.integer(s.key, std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max()))
            options.*s.field = *n != 0;
    for (int i = 0; i < display_element_count; ++i) {
        const auto text = store.value(elements[i].store_name);
        if (text && !text->empty()) options.element_formats[i] = *text;
    }

    options.recent_files.clear();
    for (const auto& name : store.names(recent_group)) {
        const auto file = store.value(std::string(recent_group) + "/" + name);
        if (file && !file->empty()) options.recent_files.push_back(*file);
    }

    options.globals.clear();
    for (const auto& name : store.names(globals_group)) options.globals.push_back(name);

    if (const auto state = store.value(toolbars_key)) options.toolbars = *state;
    return std::move(r.problems);
}

void save_options(settings_store& store, const mondrel_options& options) {
    for (const auto& s : int_settings) store.set_value(s.key, std::to_string(options.*s.field));
    for (const auto& s : string_settings) store.set_value(s.key, options.*s.field);
    store.set_value("max_loop_count", std::to_string(options.max_loop_count));
    for (const auto& s : bool_settings) store.set_value(s.key, options.*s.field ? "1" : "0");
    // Only the font part is kept: alignment and number formats belong to a sheet's columns.
    // An empty text would read back as the element's default, so a format set back to plain
    // text is written with its (default) colour spelt out.
    for (int i = 0; i < display_element_count; ++i) {
        std::string text = prop_list::from_text(options.element_formats[i]).font_text();
        if (text.empty() && !elements[i].default_format.empty()) text = "colour:$000000";
        store.set_value(elements[i].store_name, text);
    }

    store.remove_group(recent_group);
    for (std::size_t i = 0; i < options.recent_files.size(); ++i)
        store.set_value(recent_key(i), options.recent_files[i]);

    store.remove_group(globals_group);
    for (const auto& name : options.globals)
        store.set_value(std::string(globals_group) + "/" + name, "");

    store.set_value(toolbars_key, options.toolbars);
}

// ---- memory_settings_store ----

std::optional<std::string> memory_settings_store::value(std::string_view key) const {
    for (const auto& [k, v] : values_)
        if (k == key) return v;
    return std::nullopt;
}

void memory_settings_store::set_value(std::string_view key, std::string_view value) {
    for (auto& [k, v] : values_)
        if (k == key) {
            v = std::string(value);
            return;
        }
    values_.emplace_back(std::string(key), std::string(value));
}

void memory_settings_store::remove_group(std::string_view group) {
    const std::string prefix = std::string(group) + "/";
    std::erase_if(values_, [&](const auto& kv) { return kv.first.starts_with(prefix); });
}

std::vector<std::string> memory_settings_store::names(std::string_view group) const {
    const std::string prefix = std::string(group) + "/";
    std::vector<std::string> out;
    for (const auto& [k, v] : values_)
        if (k.starts_with(prefix) && k.find('/', prefix.size()) == std::string::npos)
            out.push_back(k.substr(prefix.size()));
    return out;
}

} // namespace mondrel
