#pragma once
// The program's settings: what is read from the settings store at start-up and written back,
// with their defaults, and the store they live in (QSettings in the program, memory in tests).
// Every value read is checked: a value that cannot be read keeps its default and is logged,
// and sizes, margins, limits and window bounds are kept within sane ranges, so a damaged file
// can never make the window unusable.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mondrel {

// A hierarchical key-value store: keys are paths such as "Recent_files/file 0"; the root
// holds the plain values. Strings only: integers and booleans are written as decimal text.
class settings_store {
public:
    virtual ~settings_store() = default;
    virtual std::optional<std::string> value(std::string_view key) const = 0;
    virtual void set_value(std::string_view key, std::string_view value) = 0;
    // Removes a group (a subkey with its values).
    virtual void remove_group(std::string_view group) = 0;
    // The value names directly inside a group, in the order they were written.
    virtual std::vector<std::string> names(std::string_view group) const = 0;
    // Writes what is pending; false when the store could not be written.
    virtual bool sync() = 0;
};

class memory_settings_store : public settings_store {
public:
    std::optional<std::string> value(std::string_view key) const override;
    void set_value(std::string_view key, std::string_view value) override;
    void remove_group(std::string_view group) override;
    std::vector<std::string> names(std::string_view group) const override;
    bool sync() override { return true; }

private:
    std::vector<std::pair<std::string, std::string>> values_; // in writing order
};

inline constexpr int display_element_count = 10; // eight sheet formats, then the two of fmts

// The settings with their defaults.
struct mondrel_options {
    int frm_left = 399, frm_top = 157, frm_width = 684, frm_height = 554;
    int font_increment = 0; // disp_font_size_incr
    int margin_left = 10, margin_right = 10, margin_top = 10, margin_bottom = 20; // mm
    std::string print_head_fmt = "align:centre; size:10; style:bold";
    std::string print_foot_fmt = "align:right; size:10";
    std::string print_def_fmt = "size:10";
    std::string def_incl_dir;
    int32_t max_loop_count = 1000;
    bool err_logging = false;
    std::string err_log_file; // the platform's default log file when empty
    bool status_line_hints = true;
    bool toolbar_hints = true;
    // Texts of the display elements: doc_fmt_0 .. doc_fmt_7, then fmt_0 ("Error message")
    // and fmt_1 ("HELP text").
    std::array<std::string, display_element_count> element_formats;
    std::vector<std::string> recent_files; // newest first
    std::vector<std::string> globals;      // names of the global variables
    std::string toolbars;                  // the window's toolbar layout, as stored

    mondrel_options();
};

// The element names and default format texts of the display elements, in list order.
struct display_element {
    std::string_view name;
    std::string_view store_name; // "doc_fmt_0" ... "fmt_1"
    std::string_view default_format;
};
const std::array<display_element, display_element_count>& display_elements();

// Reads every value; a missing, unreadable or out-of-range value keeps (or is clamped to)
// its default and the rest is read on. Returns the problems found, one text each (they are
// also written to the diagnostic log).
std::vector<std::string> load_options(const settings_store& store, mondrel_options& options);
// Writes every value; the recent files and globals groups are written anew.
void save_options(settings_store& store, const mondrel_options& options);

} // namespace mondrel
