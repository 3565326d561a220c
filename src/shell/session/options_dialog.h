#pragma once
// The working state of the options dialog and the rules of its controls, without any widget:
// the dialog is filled from the options and the current sheet, edits only this state, and OK
// applies it to both in one undo step. Cancel simply drops the state.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/session/options.h"

namespace mondrel {

class global_list;
class mondrel_doc;

// The up-down ranges: row height 1..32; data columns 1..27, the most a sheet holds widths for.
inline constexpr int options_min_spin = 1;
inline constexpr int options_max_row_height = 32;
inline constexpr int options_max_data_cols = 27;
// Margins typed outside this range (in millimetres) are ignored like unreadable ones.
inline constexpr int options_max_margin_mm = 500;

enum margin_side { margin_left_side, margin_right_side, margin_top_side, margin_bottom_side };
inline constexpr int margin_count = 4;

struct options_dialog_state {
    // General
    int data_cols = 1;
    int row_height = 1;
    bool status_line_hints = true;
    bool toolbar_hints = true;
    // Display: sheet formats 0..7 of the current sheet, then the two application formats.
    std::array<std::string, display_element_count> elements;
    int selected_element = 0;
    bool use_as_default = false;
    // Directories
    std::string incl_dir;
    // Printing: margins in centimetres as typed ("%.1f" when filled).
    std::array<std::string, margin_count> margins;
    std::string print_def_fmt, print_head_fmt, print_foot_fmt;
    // Running
    std::string loop_limit;
    bool write_log = false;
    std::string log_file;
    std::vector<std::string> globals;
    int selected_global = -1; // -1: none
};

// Fills the state from the options and the current sheet; the sheet's numbers are brought
// into the up-downs' ranges (a row height of 40 shows as 32).
options_dialog_state fill_options_dialog(const mondrel_options& options, const mondrel_doc& doc);

// Delete is enabled only while a global name is selected.
bool can_delete_global(const options_dialog_state& state);

enum class add_global_result { added, empty, duplicate, invalid };
// The answer of the "Add" input box: blanks around it are dropped; an empty answer or one
// that a listed name equals (ignoring case) adds nothing; a name a script could not declare
// is refused too. An added name is appended and selected.
add_global_result add_global_name(options_dialog_state& state, std::string_view answer);
// Removes the selected name; the next one (or the new last) becomes selected.
void delete_selected_global(options_dialog_state& state);

// "Revert all to factory settings": the ten element texts go back to their defaults; the print
// formats stay.
void revert_elements(options_dialog_state& state);

// A margin text in centimetres read as a decimal number with a point: millimetres, truncated
// toward zero. Empty when it does not read (a decimal comma, letters) or lies outside
// 0..options_max_margin_mm.
std::optional<int> read_margin_mm(std::string_view text);
// The loop limit text as a decimal integer of at least 1 that fits 32 bits; empty otherwise.
std::optional<int32_t> read_loop_limit(std::string_view text);
// Margin millimetres as the dialog shows them: centimetres with one decimal.
std::string margin_text(int mm);

// What OK asks of the error log after the options were changed.
enum class log_change { none, start, stop };

// OK: applies the state to the options and the sheet in one undo step "tools_optionsExecute"
// (sheet format changes and the grid are recorded; the rest is not part of a sheet) and
// rebuilds the globals, every value 0. The caller ends any line edit before, and afterwards
// starts or stops the log as returned, refreshes the display and updates the actions.
log_change apply_options_dialog(const options_dialog_state& state, mondrel_options& options,
                                mondrel_doc& doc, global_list& globals);

} // namespace mondrel
