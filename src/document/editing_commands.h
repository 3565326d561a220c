#pragma once
// The line commands of the grid and the menus, each one undo step on the document: add,
// insert, add child, delete, cut, convert to and from a list, set the code word, open or
// close, format, paste format, and the commit of an in-place edit.
//
// The commands act on the lines of the selected rows, given as line indexes in row order (the
// window maps rows to lines). What only the window has reaches them through the small
// interfaces below, so every command is complete without a window and tests drive it with
// plain implementations.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace mondrel {

class mondrel_doc;
struct replay_result;

// The lines of the selected rows, in row order.
using line_selection = std::span<const int>;

inline constexpr std::string_view cannot_delete_list_start_message =
    "You cannot delete this line because it would start a list with a list which is not "
    "allowed.";

// Messages to the user and the rebuilding of the grid.
class user_interface {
public:
    virtual ~user_interface() = default;
    // An information box with an OK button.
    virtual void information(std::string_view message) = 0;
    // Rebuilds the display rows from the document.
    virtual void refresh() = 0;
};

// The format editor dialog: shown a format text, it answers true with the edited text when the
// user confirms, false (text untouched) when the user cancels.
class format_editor {
public:
    virtual ~format_editor() = default;
    virtual bool edit(std::string& text) = 0;
};

// The clipboard side of cut: puts the selected lines on the clipboard in the line-text form.
class line_copier {
public:
    virtual ~line_copier() = default;
    virtual void copy_lines(const mondrel_doc& doc, line_selection selected) = 0;
};

enum class edit_kind { code = 2, name = 3 };

// The grid's in-place editors (code and name) while a line is edited.
class line_editor {
public:
    virtual ~line_editor() = default;
    virtual bool active() const = 0;
    virtual int line() const = 0; // the edited line
    virtual std::string code_text() const = 0;
    virtual std::string name_text() const = 0;
    // The code word chosen for the edited line; starts as the line's own.
    virtual int32_t pending_word() const = 0;
    virtual void set_pending_word(int32_t word) = 0;
    // Delete and cut act on the editor's selected text while an edit is open.
    virtual void delete_selected_text() = 0;
    virtual void cut_selected_text() = 0;
    // Opens the editors on a line with the given code word as the pending one.
    virtual void start(int line, edit_kind kind, int32_t word) = 0;
    // Hides both editors; the edit is over.
    virtual void close() = 0;
};

// Everything the commands may use; an absent port is skipped (no message, no dialog: a format
// edit then changes nothing, a cut copies nothing).
struct command_ports {
    user_interface* ui = nullptr;
    format_editor* formats = nullptr;
    line_copier* copier = nullptr;
    line_editor* editor = nullptr;
    // Runs the whole sheet; connected by the run engine. Called after a change when the
    // document's auto_running is on (else the ui refreshes).
    std::function<void(mondrel_doc&)> run;
};

// How an in-place edit ends.
enum class end_edit_mode { cancel = 0, commit = 1, commit_and_continue = 2 };

class editing_commands {
public:
    editing_commands(mondrel_doc& doc, command_ports ports) : doc_(doc), ports_(std::move(ports)) {}

    // Each returns the line the command leaves the user on (the new line), or -1 when it did
    // nothing.
    int add_line(line_selection selected, int32_t word);
    int insert_line(line_selection selected);
    int add_child_line(line_selection selected);

    // Each returns true when the document changed.
    bool delete_lines(line_selection selected);
    bool cut(line_selection selected);
    bool convert_to_list(line_selection selected);
    bool convert_from_list(line_selection selected);
    bool set_code_word(line_selection selected, int32_t word);
    bool toggle_open_closed(line_selection selected);
    // The right and left arrow keys: open a closed list, close an open one.
    bool open_list(line_selection selected);
    bool close_list(line_selection selected);
    bool edit_format(line_selection selected);
    bool paste_format(line_selection selected, std::string_view format_text);
    bool end_edit(end_edit_mode mode);
    bool toggle_auto_run();
    bool undo();
    bool redo();

    // Not undo steps: they set flags directly.
    void expand_all();
    void collapse_all();
    bool toggle_breakpoint(line_selection selected);

private:
    bool editing() const { return ports_.editor && ports_.editor->active(); }
    void commit_open_edit();
    void after_change();
    bool after_replay(const replay_result& r);
    int add_line_after(int i, int32_t word);
    int add_child_to(int i);
    bool delete_selected(line_selection selected);
    bool set_open_flag(line_selection selected, bool value);
    void set_all_open(bool value);

    mondrel_doc& doc_;
    command_ports ports_;
};

} // namespace mondrel
