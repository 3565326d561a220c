#include "document/doc_stuff.h"

#include <array>
#include <iterator>
#include <utility>

#include "display/prop_stuff.h"
#include "document/mondrel_doc.h"

namespace mondrel {

change_item::change_item(change_item&&) noexcept = default;
change_item& change_item::operator=(change_item&&) noexcept = default;
change_item::~change_item() = default;

namespace {

// Applying one record: false when the record does not fit the document (then nothing
// changes). A sound history always fits; the checks keep a damaged one from reaching past the
// array.
using apply_fn = bool (*)(mondrel_doc&, change_item&);

bool in_lines(const mondrel_doc& doc, int i) {
    return doc.valid_line(i);
}
bool can_insert_at(const mondrel_doc& doc, int i) {
    return i >= 0 && i <= doc.line_count();
}

// The parent named by a record gains or loses one child; -1 names no parent.
void adjust_parent(mondrel_doc& doc, int parent, int by) {
    if (in_lines(doc, parent)) doc.put_count(parent, doc.line(parent).count + by);
}

// Takes line i into the record (an inverse of an insertion).
bool take_into(mondrel_doc& doc, change_item& r, int i) {
    if (!in_lines(doc, i)) return false;
    r.line = doc.take_line(i);
    return true;
}

// Puts the record's line at i (a forward insertion).
bool put_from(mondrel_doc& doc, change_item& r, int i) {
    if (!r.line || !can_insert_at(doc, i)) return false;
    doc.insert_line(i, std::move(r.line));
    return true;
}

// add_sli: the append form has index 0 and second 0; the after-leaf form anything else (line
// 0 is always top-level, so a record for it has the parent -1).
bool is_append(const change_item& r) {
    return r.index == 0 && r.second == 0;
}

bool undo_add_sli(mondrel_doc& doc, change_item& r) {
    if (is_append(r)) return take_into(doc, r, doc.line_count() - 1);
    if (!take_into(doc, r, r.index + 1)) return false;
    adjust_parent(doc, r.second, -1);
    return true;
}
// The forward forms take the parent from the record: redo meets the document exactly as the
// operation did, so it is the parent a walk would find, without the walk.
bool redo_add_sli(mondrel_doc& doc, change_item& r) {
    if (is_append(r)) return put_from(doc, r, doc.line_count());
    if (!put_from(doc, r, r.index + 1)) return false;
    adjust_parent(doc, r.second, +1);
    return true;
}

bool undo_add_after_head(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index) || !take_into(doc, r, r.index + 1)) return false;
    adjust_parent(doc, r.index, -1);
    return true;
}
bool redo_add_after_head(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index) || !put_from(doc, r, r.index + 1)) return false;
    adjust_parent(doc, r.index, +1);
    return true;
}

bool undo_add_after_list(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index) || !take_into(doc, r, r.index + doc.subtree_size(r.index)))
        return false;
    adjust_parent(doc, r.second, -1);
    return true;
}
bool redo_add_after_list(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index) || !put_from(doc, r, r.index + doc.subtree_size(r.index)))
        return false;
    adjust_parent(doc, r.second, +1);
    return true;
}

bool undo_insert(mondrel_doc& doc, change_item& r) {
    if (!take_into(doc, r, r.index)) return false;
    adjust_parent(doc, r.second, -1);
    return true;
}
bool redo_insert(mondrel_doc& doc, change_item& r) {
    if (!put_from(doc, r, r.index)) return false;
    adjust_parent(doc, r.second, +1);
    return true;
}

bool undo_insert_head(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index + 1)) return false;
    doc.put_count(r.index + 1, doc.line(r.index).count - 1);
    doc.line(r.index + 1).flags |= flag_open;
    return take_into(doc, r, r.index);
}
bool redo_insert_head(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index) || !put_from(doc, r, r.index)) return false;
    doc.put_count(r.index, doc.line(r.index + 1).count + 1);
    doc.line(r.index).flags |= flag_open;
    doc.put_count(r.index + 1, 1);
    return true;
}

bool undo_add_child(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index) || !take_into(doc, r, r.index + 1)) return false;
    doc.put_count(r.index, 1);
    return true;
}
bool redo_add_child(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index) || !put_from(doc, r, r.index + 1)) return false;
    doc.put_count(r.index, 2);
    doc.line(r.index).flags |= flag_open;
    return true;
}

// delete_sli: the promoted form (a first child took the head's place) has second == index.
bool is_promoted(const change_item& r) {
    return r.second == r.index;
}

bool undo_delete(mondrel_doc& doc, change_item& r) {
    if (is_promoted(r)) {
        if (!in_lines(doc, r.index) || !put_from(doc, r, r.index)) return false;
        doc.put_count(r.index, doc.line(r.index + 1).count + 1);
        doc.put_count(r.index + 1, 1);
        return true;
    }
    if (!put_from(doc, r, r.index)) return false;
    doc.put_count(r.index, 1);
    if (r.second < r.index) adjust_parent(doc, r.second, +1);
    return true;
}
bool redo_delete(mondrel_doc& doc, change_item& r) {
    if (is_promoted(r)) {
        if (!in_lines(doc, r.index + 1)) return false;
        doc.put_count(r.index + 1, doc.line(r.index).count - 1);
        doc.line(r.index + 1).flags |= flag_open;
        return take_into(doc, r, r.index);
    }
    if (!take_into(doc, r, r.index)) return false;
    if (r.second < r.index) adjust_parent(doc, r.second, -1);
    return true;
}

bool swap_set_count(mondrel_doc& doc, change_item& r) {
    const int now = doc.line_count();
    if (r.index < now) {
        if (r.index < 0 || !r.dropped.empty()) return false;
        r.dropped = doc.take_lines(r.index, now - r.index);
    } else if (r.index > now) {
        if (static_cast<int>(r.dropped.size()) != r.index - now) return false;
        doc.insert_lines(now, std::move(r.dropped));
        r.dropped.clear();
    }
    r.index = now;
    return true;
}

bool swap_moved_lines(mondrel_doc& doc, change_item& r) {
    if (!doc.move_block(r.index + r.second, -r.second, r.third)) return false;
    r.index += r.second;
    r.second = -r.second;
    return true;
}

bool swap_flag(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index)) return false;
    source_list_item& l = doc.line(r.index);
    const bool now = l.has_flag(r.second);
    if (r.second & flag_breakpoint) doc.set_breakpoint(r.index, r.value);
    l.flags = r.value ? (l.flags | r.second) : (l.flags & ~r.second);
    r.value = now;
    return true;
}

bool swap_fmt(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index) || !r.format) return false;
    doc.swap_format(r.index, r.format);
    return true;
}

bool swap_sli(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index) || !r.line) return false;
    r.line = doc.replace_line_record(r.index, std::move(r.line));
    return true;
}

bool swap_cnt(mondrel_doc& doc, change_item& r) {
    if (!in_lines(doc, r.index)) return false;
    const int32_t now = doc.line(r.index).count;
    doc.put_count(r.index, r.second);
    r.second = now;
    return true;
}

bool swap_display_fmt(mondrel_doc& doc, change_item& r) {
    if (r.index < 0 || r.index >= sheet_format_count || !r.format) return false;
    doc.swap_sheet_format(r.index, r.format);
    return true;
}

bool swap_grid(mondrel_doc& doc, change_item& r) {
    const int row_height = doc.row_height(), data_cols = doc.data_cols();
    doc.put_grid(r.index, r.second);
    r.index = row_height;
    r.second = data_cols;
    return true;
}

bool swap_created_by(mondrel_doc& doc, change_item& r) {
    std::swap(doc.created_by, r.text);
    return true;
}
bool swap_description(mondrel_doc& doc, change_item& r) {
    std::swap(doc.description, r.text);
    return true;
}
bool flip_auto(mondrel_doc& doc, change_item&) {
    doc.auto_running = !doc.auto_running;
    return true;
}

struct change_kind_info {
    std::string_view name;
    apply_fn undo; // the inverse form
    apply_fn redo; // the forward form
};

// ORDER CHANGE_KIND
constexpr std::array<change_kind_info, 18> change_kind_table{{
    {"add_sli", undo_add_sli, redo_add_sli},
    {"add_after_head_sli", undo_add_after_head, redo_add_after_head},
    {"add_after_list_sli", undo_add_after_list, redo_add_after_list},
    {"insert_sli", undo_insert, redo_insert},
    {"insert_head_sli", undo_insert_head, redo_insert_head},
    {"add_child_sli", undo_add_child, redo_add_child},
    {"delete_sli", undo_delete, redo_delete},
    {"set_count", swap_set_count, swap_set_count},
    {"moved_lines", swap_moved_lines, swap_moved_lines},
    {"flag_set", swap_flag, swap_flag},
    {"changed_fmt", swap_fmt, swap_fmt},
    {"changed_sli", swap_sli, swap_sli},
    {"changed_cnt", swap_cnt, swap_cnt},
    {"changed_display_fmt", swap_display_fmt, swap_display_fmt},
    {"changed_grid", swap_grid, swap_grid},
    {"changed_created_by", swap_created_by, swap_created_by},
    {"changed_description", swap_description, swap_description},
    {"auto_running", flip_auto, flip_auto},
}};

// The kinds are declared once, in MONDREL_CHANGE_KINDS; the table must follow them row by row.
#define MONDREL_KIND_NAME(name) #name,
constexpr std::string_view declared_kinds[] = {MONDREL_CHANGE_KINDS(MONDREL_KIND_NAME)};
#undef MONDREL_KIND_NAME

constexpr bool table_follows_kinds() {
    if (std::size(declared_kinds) != change_kind_table.size()) return false;
    for (size_t k = 0; k < change_kind_table.size(); ++k)
        if (change_kind_table[k].name != declared_kinds[k]) return false;
    return true;
}
static_assert(table_follows_kinds(), "ORDER CHANGE_KIND: one row per kind, in order");

const change_kind_info& info(change_kind kind) {
    return change_kind_table[static_cast<size_t>(kind)];
}

// A plain deletion (not a promotion): the records of a closed list deleted as a whole are a
// run of these with consecutive indexes.
bool is_plain_delete(const change_item& r) {
    return r.kind == change_kind::delete_sli && !is_promoted(r) && r.line == nullptr;
}
bool is_plain_deleted(const change_item& r) {
    return r.kind == change_kind::delete_sli && !is_promoted(r) && r.line != nullptr;
}

// Undoing a run of plain deletions whose lines go back at consecutive places (r[k] at p,
// r[k-1] at p+1, ...) puts them back in one insertion: the same result as one at a time,
// since each line's parent comes before it and later insertions do not move it.
// `last` is the run's last record; returns how many records were applied.
int undo_delete_run(mondrel_doc& doc, std::vector<change_item>& changes, int first, int last) {
    int begin = last;
    while (begin > first && is_plain_deleted(changes[begin - 1]) &&
           changes[begin - 1].index == changes[begin].index + 1)
        --begin;
    const int at = changes[last].index;
    if (last - begin < 2 || !can_insert_at(doc, at)) return 0;
    std::vector<line_ptr> lines;
    lines.reserve(last - begin + 1);
    for (int j = last; j >= begin; --j) {
        changes[j].line->count = 1;
        lines.push_back(std::move(changes[j].line));
    }
    doc.insert_lines(at, std::move(lines));
    for (int j = last; j >= begin; --j)
        if (changes[j].second < changes[j].index) adjust_parent(doc, changes[j].second, +1);
    return last - begin + 1;
}

// Redoing such a run (indexes p+m, ..., p) takes the lines out in one removal. A parent inside
// the run is itself removed; its count is set again when the run is undone.
int redo_delete_run(mondrel_doc& doc, std::vector<change_item>& changes, int first, int last) {
    int end = first;
    while (end < last && is_plain_delete(changes[end + 1]) &&
           changes[end + 1].index == changes[end].index - 1)
        ++end;
    const int lo = changes[end].index, hi = changes[first].index;
    if (end - first < 2 || lo < 0 || hi >= doc.line_count()) return 0;
    for (int j = first; j <= end; ++j) {
        const int p = changes[j].second;
        if (p >= 0 && p < lo) doc.put_count(p, doc.line(p).count - 1);
    }
    std::vector<line_ptr> lines = doc.take_lines(lo, hi - lo + 1);
    for (int j = first; j <= end; ++j)
        changes[j].line = std::move(lines[changes[j].index - lo]);
    return end - first + 1;
}

} // namespace

std::string_view change_kind_name(change_kind kind) {
    return info(kind).name;
}

void undo_list::begin_group(std::string_view name) {
    if (depth_++ > 0) return;
    group_name_ = name;
    group_start_ = static_cast<int32_t>(changes_.size());
}

void undo_list::end_group() {
    if (depth_ == 0) return;
    if (--depth_ > 0) return;
    const int32_t last = static_cast<int32_t>(changes_.size()) - 1;
    if (group_start_ < 0 || last < group_start_) {
        group_start_ = -1;
        return;
    }
    int32_t start = group_start_;
    if (redo_count_ > 0) {
        // The undone steps can never be redone now: free their records and lines, and move
        // the new group's records down in their place.
        const int32_t gone_from = steps_[steps_.size() - redo_count_].first;
        changes_.erase(changes_.begin() + gone_from, changes_.begin() + start);
        steps_.resize(steps_.size() - redo_count_);
        // A save made in a state that no longer exists can never be reached again.
        if (saved_mark_ > static_cast<int32_t>(steps_.size())) saved_mark_ = -1;
        redo_count_ = 0;
        start = gone_from;
    }
    steps_.push_back({start, static_cast<int32_t>(changes_.size()) - 1, group_name_});
    group_start_ = -1;
}

void undo_list::record(change_item&& item) {
    if (wants_records()) changes_.push_back(std::move(item));
}

replay_result undo_list::undo(mondrel_doc& doc) {
    replay_result result;
    const int k = static_cast<int>(steps_.size()) - 1 - redo_count_;
    if (k < 0) return result;
    const bool was = recording_;
    recording_ = false;
    const undo_item& step = steps_[k];
    for (int j = step.last; j >= step.first; --j) {
        change_item& r = changes_[j];
        if (is_plain_deleted(r)) {
            if (int done = undo_delete_run(doc, changes_, step.first, j); done > 0) {
                j -= done - 1;
                continue;
            }
        }
        info(r.kind).undo(doc, r);
        result.formats_changed |= r.kind == change_kind::changed_fmt;
    }
    ++redo_count_;
    recording_ = was;
    result.applied = true;
    return result;
}

replay_result undo_list::redo(mondrel_doc& doc) {
    replay_result result;
    if (redo_count_ == 0) return result;
    const bool was = recording_;
    recording_ = false;
    const undo_item& step = steps_[steps_.size() - redo_count_];
    for (int j = step.first; j <= step.last; ++j) {
        change_item& r = changes_[j];
        if (is_plain_delete(r)) {
            if (int done = redo_delete_run(doc, changes_, j, step.last); done > 0) {
                j += done - 1;
                continue;
            }
        }
        info(r.kind).redo(doc, r);
        result.formats_changed |= r.kind == change_kind::changed_fmt;
    }
    --redo_count_;
    recording_ = was;
    result.applied = true;
    return result;
}

std::string undo_list::dump() const {
    std::string out;
    size_t step = 0;
    for (size_t j = 0; j < changes_.size(); ++j) {
        while (step < steps_.size() && steps_[step].last < static_cast<int32_t>(j))
            ++step;
        const bool in_step = step < steps_.size() && steps_[step].first <= static_cast<int32_t>(j);
        const change_item& r = changes_[j];
        out += in_step ? std::to_string(step) + ' ' + steps_[step].name : std::string("-");
        out += ' ';
        out += change_kind_name(r.kind);
        out += ' ' + std::to_string(r.index) + ' ' + std::to_string(r.second) + '\n';
    }
    return out;
}

void undo_list::forget_steps() {
    if (steps_.empty() && changes_.empty()) return;
    const bool modified = is_modified();
    changes_.clear();
    steps_.clear();
    redo_count_ = 0;
    // Inside an open group, what the group records from now on is still good.
    group_start_ = depth_ > 0 ? 0 : -1;
    saved_mark_ = modified ? -1 : 0;
}

} // namespace mondrel
