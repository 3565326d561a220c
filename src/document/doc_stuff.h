#pragma once
// Change records and the undo history of a document.
//
// Every document operation that changes a document reports one change record: its kind, an
// index, a second integer and at most one payload (a line, a third integer, a format set, a
// text or a boolean). Commands group the records of one user action into one undo step.
// Undo applies each record's inverse form, redo its forward form; most forms swap the value in
// the document with the value in the record, so one record serves any number of passes.
//
// Ownership: a line or format set taken out of the document by an operation, or by applying a
// record, belongs to the record until a later pass puts it back.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/source_list_item.h"

namespace mondrel {

class mondrel_doc;
class prop_list;

// ORDER CHANGE_KIND: the enum follows the rows of the table in doc_stuff.cpp.
//   kind                  index              second              payload
#define MONDREL_CHANGE_KINDS(X)                                                                    \
    X(add_sli)             /* ref line or 0   parent or -1 (0)     the line            */          \
    X(add_after_head_sli)  /* the open head   the head             the line            */          \
    X(add_after_list_sli)  /* the closed head parent or -1         the line            */          \
    X(insert_sli)          /* position        parent or -1         the line            */          \
    X(insert_head_sli)     /* position        position             the line            */          \
    X(add_child_sli)       /* the parent      the parent           the line            */          \
    X(delete_sli)          /* position        parent, or position  the removed line    */          \
    X(set_count)           /* old line count  0                    the dropped lines   */          \
    X(moved_lines)         /* first of block  distance             number of lines     */          \
    X(flag_set)            /* line            flag mask            old flag value      */          \
    X(changed_fmt)         /* line            0                    old format set      */          \
    X(changed_sli)         /* line            0                    old line            */          \
    X(changed_cnt)         /* line            old count            -                   */          \
    X(changed_display_fmt) /* sheet format k  0                    old format set      */          \
    X(changed_grid)        /* old row_height  old data_cols        -                   */          \
    X(changed_created_by)  /* 0               0                    old text            */          \
    X(changed_description) /* 0               0                    old text            */          \
    X(auto_running)        /* 0               0                    -                   */

enum class change_kind : uint8_t {
#define MONDREL_KIND_ENUM(name) name,
    MONDREL_CHANGE_KINDS(MONDREL_KIND_ENUM)
#undef MONDREL_KIND_ENUM
};

// The name a kind is reported under ("add_sli", "changed_fmt", ...).
std::string_view change_kind_name(change_kind kind);

struct change_item {
    change_kind kind;
    int32_t index = 0;
    int32_t second = 0;
    // The payload; only the member the kind names is used.
    line_ptr line;
    std::vector<line_ptr> dropped; // set_count: the lines cut off the end, last kept in order
    int32_t third = 0;
    format_ptr format;
    std::string text;
    bool value = false;

    change_item(change_kind k, int32_t i, int32_t s) : kind(k), index(i), second(s) {}
    change_item(change_item&&) noexcept;
    change_item& operator=(change_item&&) noexcept;
    ~change_item();
};

// One undo step: the first and last change record of one command, and the command's group
// name (for diagnosis).
struct undo_item {
    int32_t first;
    int32_t last;
    std::string name;
};

// What applying a step asks of the caller: a format set was swapped, so a sheet that runs
// after every change should run again.
struct replay_result {
    bool applied = false;
    bool formats_changed = false;
};

class undo_list {
public:
    // Opens a group. Groups may nest (a command that runs another command); only the outermost
    // group becomes a step, under the outermost name.
    void begin_group(std::string_view name);
    // Closes a group. When the outermost group recorded something, the undone steps are
    // discarded and a new step covers the group's records; a group that recorded nothing
    // leaves the history as it was, redo steps included.
    void end_group();
    bool in_group() const { return depth_ > 0; }
    const std::string& group_name() const { return group_name_; }

    // Recording is on when the history is made. Records made while it is off, or outside any
    // group (they could never be undone), are dropped at once.
    bool recording() const { return recording_; }
    void set_recording(bool on) { recording_ = on; }
    // Whether a record offered now would be kept.
    bool wants_records() const { return recording_ && depth_ > 0; }
    void record(change_item&& item);

    // Drops every step. Used when lines were added or taken out without records (include
    // files loaded for a run, or removed before storing): the recorded indexes would point at
    // other lines now, so replaying them could change the wrong lines. A modified document
    // stays modified.
    void forget_steps();

    int undo_count() const { return static_cast<int>(steps_.size()) - redo_count_; }
    int redo_count() const { return redo_count_; }
    void mark_saved() { saved_mark_ = undo_count(); }
    bool is_modified() const { return undo_count() != saved_mark_; }

    // Undo the latest done step, or redo the earliest undone one. Recording is off meanwhile.
    replay_result undo(mondrel_doc& doc);
    replay_result redo(mondrel_doc& doc);

    const std::vector<change_item>& changes() const { return changes_; }
    const std::vector<undo_item>& steps() const { return steps_; }
    // One text line per record of the history, for diagnosis: step, kind, index, second.
    std::string dump() const;

private:
    std::string group_name_;
    std::vector<change_item> changes_;
    std::vector<undo_item> steps_;
    int32_t group_start_ = -1;
    int32_t redo_count_ = 0;
    int32_t saved_mark_ = 0;
    int depth_ = 0;
    bool recording_ = true;
};

} // namespace mondrel
