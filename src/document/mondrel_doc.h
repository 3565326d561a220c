#pragma once
// One codesheet in memory: its lines in tree pre-order, its sheet settings and formats, its
// file names, and (joined by later parts) its undo history, run state and engine objects.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/line_tree.h"
#include "document/source_list_item.h"

namespace mondrel {

// The column widths a sheet starts with: line, word, code, then 50 for every further column.
inline constexpr int max_width_entries = 33;
inline constexpr int default_width(int column) {
    constexpr int first[] = {50, 40, 180};
    return column < 3 ? first[column] : 50;
}
inline constexpr int min_data_cols = 1;
inline constexpr int max_data_cols = 27;
inline constexpr int default_data_cols = 4;
inline constexpr int default_row_height = 16;
inline constexpr int sheet_format_count = 8;

// The eight sheet formats a new document starts with when no options say otherwise.
extern const std::array<std::string_view, sheet_format_count> default_sheet_formats;

class mondrel_doc {
public:
    // A new document: settings at their defaults, the file name "Newfile", and one blank line.
    // `sheet_formats` are the texts of the eight column formats (the options' defaults).
    explicit mondrel_doc(const std::array<std::string_view, sheet_format_count>& sheet_formats =
                             default_sheet_formats);
    ~mondrel_doc();
    mondrel_doc(const mondrel_doc&) = delete;
    mondrel_doc& operator=(const mondrel_doc&) = delete;

    // Lines.
    int line_count() const { return static_cast<int>(lines_.size()); }
    source_list_item& line(int i) { return *lines_[i]; }
    const source_list_item& line(int i) const { return *lines_[i]; }

    // Tree questions, each one walk from the start of the array.
    int parent_of(int i) const;
    bool is_last_child(int i) const;
    int subtree_size(int i) const;

    // Every tree answer for every line, rebuilt on demand after a structural change (lines
    // added, removed or moved, or a count changed). Callers that change `count` directly on a
    // line must call structure_changed().
    const line_tree& tree() const;
    void structure_changed() { ++structure_version_; }
    uint64_t structure_version() const { return structure_version_; }

    // Appends a line (the document takes it). Undo recording joins with the editing operations.
    void add_sli(line_ptr line);
    // Puts a line at index i (0 <= i <= line_count()).
    void insert_line(int i, line_ptr line);
    // Takes the line at index i out of the array and hands it to the caller.
    line_ptr take_line(int i);
    // Puts `line` in place of line i and hands back the old one.
    line_ptr replace_line_record(int i, line_ptr line);

    // Appends a blank line unless the last line already has an empty code and name.
    void ensure_trailing_blank();

    // File name (full path), its folder (no trailing separator except for a root) and the
    // name shown on the tab (".mdr" in any case removed).
    void set_file_name(std::string_view path);
    const std::string& file_name() const { return file_name_; }
    const std::string& directory() const { return directory_; }
    const std::string& display_name() const { return display_name_; }

    // Stores data_cols and row_height and takes the first data_cols + 5 widths, unless both
    // numbers equal the current ones, when nothing changes.
    void set_display(int data_cols, int row_height, const std::vector<int>& widths);
    int data_cols() const { return data_cols_; }
    int row_height() const { return row_height_; }
    const std::vector<int>& col_widths() const { return col_widths_; }
    std::vector<int>& col_widths() { return col_widths_; }

    // Frees every line (before a whole file is loaded).
    void clear();

    // The next temporary name: "temp_" and the counter, incremented first (temp_1, temp_2...).
    // The counter is never reset, so each translation takes fresh names.
    std::string next_temp_name();
    int32_t temp_counter() const { return temp_counter_; }

    prop_list& sheet_format(int k) { return *formats_[k]; }
    const prop_list& sheet_format(int k) const { return *formats_[k]; }

    std::string created_by;
    std::string description;
    bool auto_running = true;
    bool read_only = false;
    // Selected grid rows (row 0 is the header).
    int32_t sel_first = 1;
    int32_t sel_last = 1;

private:
    std::vector<line_ptr> lines_;
    std::string file_name_, directory_, display_name_;
    int32_t temp_counter_ = 0;
    int32_t data_cols_ = default_data_cols;
    int32_t row_height_ = default_row_height;
    std::vector<int> col_widths_;
    std::array<std::unique_ptr<prop_list>, sheet_format_count> formats_;

    uint64_t structure_version_ = 0;
    mutable uint64_t tree_version_ = ~uint64_t{0};
    mutable line_tree tree_;
    mutable std::vector<int32_t> counts_;

    count_view counts() const;
};

// Builds a line record with its translation; defined by the line maker.
line_ptr make_line(mondrel_doc& doc, int32_t count, int32_t code_word, std::string name,
                   std::string code);

} // namespace mondrel
