#pragma once
// One codesheet in memory: its lines in tree pre-order, its sheet settings and formats, its
// file names, its undo history, and (joined by later parts) its run state and engine objects.
//
// Lines change through the document operations below (add_sli ... changed_description); each
// keeps the count encoding of the tree consistent and reports one or more change records to
// the undo history. The "raw" primitives further down change the document without recording;
// they are what undo and redo apply, and what the operations are built from.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/doc_stuff.h"
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
    const line_tree& tree() const {
        if (tree_version_ != structure_version_ || tree_.size() != line_count()) rebuild_tree();
        return tree_;
    }
    void structure_changed() {
        ++structure_version_;
        ++lines_version_;
    }
    uint64_t structure_version() const { return structure_version_; }
    // Changes whenever a line is added, removed, moved or replaced, a count changes or a
    // breakpoint is set or cleared. Together with the stamps of the lines' texts
    // (latest_stamp()) it tells that nothing a run's compiled forms of many lines rest on has
    // changed. Breakpoints change through set_breakpoint (or flag_set).
    uint64_t lines_version() const { return lines_version_; }
    // Sets or clears the breakpoint of line i (not recorded: a breakpoint is no edit).
    void set_breakpoint(int i, bool on);
    // The serial of the run engine that last started a run of the document: another run
    // engine cannot know what that run left on the lines.
    uint64_t last_runner() const { return last_runner_; }
    void set_last_runner(uint64_t serial) { last_runner_ = serial; }

    // Document operations. Each records its change (see doc_stuff.h) while recording is on and
    // a group is open. Indexes outside the array are ignored (nothing changes, nothing is
    // recorded); a line handed to an operation that does not take it is freed.

    // Appends a line; its count is left as given (loading rebuilds a tree line by line).
    int add_sli(line_ptr line);
    // Inserts before line i. Before an open list head the new line becomes the head, the old
    // head its first child. Returns i.
    int insert_sli(line_ptr line, int i);
    // Adds after line i: after a closed list's last descendant as the list's sibling, as the
    // first child of an open list, or as the next sibling of a leaf. Returns the new index.
    int add_after_sli(line_ptr line, int i);
    // Gives leaf i its first child and opens it. A line that already has children gets
    // nothing and i is returned.
    int add_child_sli(line_ptr line, int i);
    enum class delete_result { deleted, refused_list_start, out_of_range };
    // Removes line i: a leaf; an open head (its first child, which must be a leaf, takes the
    // head's place); or a closed list with its whole subtree. An open head whose first child is
    // a list is refused: a list may not begin with a list.
    delete_result delete_sli(int i);
    // The same with the parent of line i already known. Deleting lines from the last to the
    // first never changes the parents of the lines before, so a caller deleting several takes
    // their parents from one tree() before the first deletion.
    delete_result delete_sli(int i, int parent);
    // Deletes the given lines from the last to the first, each followed by
    // ensure_trailing_blank: the same lines, counts and records as delete_sli and
    // ensure_trailing_blank called one by one, in time linear in the sheet (one call per line
    // would move the rest of the array each time).
    struct deletion_result {
        bool deleted = false; // at least one line went
        bool refused = false; // at least one open head starts with a list
    };
    deletion_result delete_lines(std::span<const int> lines);
    // Cuts the array to n lines; the record keeps the lines cut off.
    void set_count(int n);
    // Moves the `number` lines starting at `first` by `distance` places (negative: towards the
    // start). Counts are left alone.
    void moved_lines(int first, int distance, int number);
    // Gives line i a new format set; the old one goes to the record.
    void changed_fmt(int i, format_ptr format);
    // Sets or clears flag `mask` of line i.
    void flag_set(int i, int32_t mask, bool value);
    // Opens or closes line i when it is a list; otherwise nothing.
    void set_open(int i, bool value);
    // Puts `line` at i without recording and hands back the old line.
    line_ptr replace_line(int i, line_ptr line) { return replace_line_record(i, std::move(line)); }
    // Puts `line` at i and records the old line (`changed_sli`).
    void changed_sli(int i, line_ptr line);
    // Sets the count of line i, recording the old one (`changed_cnt`).
    void changed_cnt(int i, int32_t count);
    // Sheet-wide settings, each recorded.
    void changed_display_fmt(int k, format_ptr format);
    void changed_grid(int row_height, int data_cols);
    void changed_created_by(std::string text);
    void changed_description(std::string text);
    void flip_auto_running();

    // The undo history and the steps it replays.
    undo_list& history() { return history_; }
    const undo_list& history() const { return history_; }
    replay_result undo() { return history_.undo(*this); }
    replay_result redo() { return history_.redo(*this); }
    bool is_modified() const { return history_.is_modified(); }
    void mark_saved() { history_.mark_saved(); }

    // Raw primitives: no recording, no count adjustment beyond what each says.
    // Puts a line at index i (0 <= i <= line_count()).
    void insert_line(int i, line_ptr line);
    // Puts lines at index i, in order.
    void insert_lines(int i, std::vector<line_ptr> lines);
    // Takes the line at index i out of the array and hands it to the caller.
    line_ptr take_line(int i);
    // Takes k lines from index i.
    std::vector<line_ptr> take_lines(int i, int k);
    // Puts `line` in place of line i and hands back the old one.
    line_ptr replace_line_record(int i, line_ptr line);
    // Sets the count of line i.
    void put_count(int i, int32_t count);
    // Moves a block of lines; false (and nothing moved) when the block or target is outside
    // the array.
    bool move_block(int first, int distance, int number);
    // Swaps the format set of line i, or sheet format k, with `format`.
    void swap_format(int i, format_ptr& format);
    void swap_sheet_format(int k, format_ptr& format);
    // Stores row_height and data_cols; the width array keeps data_cols + 5 entries, existing
    // widths kept and defaults for new columns.
    void put_grid(int row_height, int data_cols);
    bool valid_line(int i) const { return i >= 0 && i < line_count(); }

    // Appends a blank line unless the last line already has an empty code and name.
    void ensure_trailing_blank();

    // File name (full path), its folder (no trailing separator except for a root) and the
    // name shown on the tab (".mdr" in any case removed).
    void set_file_name(std::string_view path);
    const std::string& file_name() const { return file_name_; }
    const std::string& directory() const { return directory_; }
    const std::string& display_name() const { return display_name_; }
    // A built-in page shows its page name (or the name its tab had) whatever its file name.
    void set_display_name(std::string_view name) { display_name_ = name; }

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
    // Lines made for this document elsewhere (include files are read apart and then moved
    // in) took their names from another counter; it continues from here.
    void set_temp_counter(int32_t n) { temp_counter_ = n; }
    // A line that holds a temporary's name ("temp_7", in any letter case, as script names
    // are) moves the counter past its number: a saved sheet keeps its lines' temp_N names
    // while a reloaded one counts from 0 again, and a temporary taken later must not be the
    // name of a line of the sheet. Other names, and numbers far beyond any count reached in
    // practice (so that the counter cannot overflow), change nothing.
    void reserve_temp_name(std::string_view name);

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
    std::array<format_ptr, sheet_format_count> formats_;
    undo_list history_;

    uint64_t structure_version_ = 0;
    uint64_t lines_version_ = 0;
    uint64_t last_runner_ = 0;
    void rebuild_tree() const;
    mutable uint64_t tree_version_ = ~uint64_t{0};
    mutable line_tree tree_;
    mutable std::vector<int32_t> counts_;

    count_view counts() const;
    // Subtree size by a walk over the subtree alone.
    int walk_subtree(int i) const;
    void remember(change_item&& item) { history_.record(std::move(item)); }
    void delete_closed_list(int i, int parent);
};

// Builds a line record with its translation; defined by the line maker.
line_ptr make_line(mondrel_doc& doc, int32_t count, int32_t code_word, std::string name,
                   std::string code);

} // namespace mondrel
