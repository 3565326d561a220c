#include "document/mondrel_doc.h"

#include <algorithm>
#include <cctype>

#include "display/prop_stuff.h"

namespace mondrel {

const std::array<std::string_view, sheet_format_count> default_sheet_formats{
    "colour:$808080",
    "colour:$808080",
    "",
    "",
    "colour:$008000",
    "name:Courier New; size:8; colour:$000080",
    "colour:$808080",
    ""};

mondrel_doc::mondrel_doc(const std::array<std::string_view, sheet_format_count>& sheet_formats) {
    set_file_name("Newfile");
    ensure_trailing_blank();
    col_widths_.resize(data_cols_ + 5);
    for (int c = 0; c < data_cols_ + 5; ++c)
        col_widths_[c] = default_width(c);
    for (int k = 0; k < sheet_format_count; ++k)
        formats_[k] = std::make_unique<prop_list>(prop_list::from_text(sheet_formats[k]));
}

mondrel_doc::~mondrel_doc() = default;

count_view mondrel_doc::counts() const {
    counts_.resize(lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i)
        counts_[i] = lines_[i]->count;
    return counts_;
}

int mondrel_doc::parent_of(int i) const {
    return tree().parent_of(i);
}
bool mondrel_doc::is_last_child(int i) const {
    return tree().is_last_child(i);
}
int mondrel_doc::subtree_size(int i) const {
    return walk_subtree(i);
}

int mondrel_doc::walk_subtree(int i) const {
    if (!valid_line(i)) return 0;
    // Children still expected per open level of the subtree; counts of 0 or less are leaves.
    std::vector<int32_t> remaining;
    if (lines_[i]->count > 1) remaining.push_back(lines_[i]->count - 1);
    int size = 1;
    const int n = line_count();
    for (int j = i + 1; j < n && !remaining.empty(); ++j, ++size) {
        --remaining.back();
        if (lines_[j]->count > 1) remaining.push_back(lines_[j]->count - 1);
        while (!remaining.empty() && remaining.back() <= 0)
            remaining.pop_back();
    }
    return size;
}

void mondrel_doc::rebuild_tree() const {
    tree_.rebuild(counts());
    tree_version_ = structure_version_;
}

// ---- Document operations -------------------------------------------------------------------

int mondrel_doc::add_sli(line_ptr line) {
    const int at = line_count();
    insert_line(at, std::move(line));
    if (history_.wants_records()) remember(change_item(change_kind::add_sli, 0, 0));
    return at;
}

int mondrel_doc::insert_sli(line_ptr line, int i) {
    if (i < 0 || i > line_count()) return -1;
    if (i < line_count() && lines_[i]->has_children() && lines_[i]->is_open()) {
        // The new line takes the open head's place; the old head becomes its first child.
        line->count = lines_[i]->count + 1;
        line->flags |= flag_open;
        insert_line(i, std::move(line));
        put_count(i + 1, 1);
        if (history_.wants_records()) remember(change_item(change_kind::insert_head_sli, i, i));
        return i;
    }
    const int p = i < line_count() ? parent_of(i) : -1;
    insert_line(i, std::move(line));
    if (p >= 0) put_count(p, lines_[p]->count + 1);
    if (history_.wants_records()) remember(change_item(change_kind::insert_sli, i, p));
    return i;
}

int mondrel_doc::add_after_sli(line_ptr line, int i) {
    if (!valid_line(i)) return -1;
    const source_list_item& ref = *lines_[i];
    if (ref.has_children() && !ref.is_open()) {
        const int p = parent_of(i);
        const int k = subtree_size(i);
        insert_line(i + k, std::move(line));
        if (p >= 0) put_count(p, lines_[p]->count + 1);
        if (history_.wants_records()) remember(change_item(change_kind::add_after_list_sli, i, p));
        return i + k;
    }
    if (ref.has_children()) {
        insert_line(i + 1, std::move(line));
        put_count(i, lines_[i]->count + 1);
        if (history_.wants_records()) remember(change_item(change_kind::add_after_head_sli, i, i));
        return i + 1;
    }
    const int p = parent_of(i);
    insert_line(i + 1, std::move(line));
    if (p >= 0) put_count(p, lines_[p]->count + 1);
    if (history_.wants_records()) remember(change_item(change_kind::add_sli, i, p));
    return i + 1;
}

int mondrel_doc::add_child_sli(line_ptr line, int i) {
    if (!valid_line(i)) return -1;
    if (lines_[i]->has_children()) return i;
    // The open flag is recorded apart, so undo gives the leaf back the flag it had.
    if (!lines_[i]->is_open()) flag_set(i, flag_open, true);
    insert_line(i + 1, std::move(line));
    put_count(i, 2);
    if (history_.wants_records()) remember(change_item(change_kind::add_child_sli, i, i));
    return i + 1;
}

mondrel_doc::delete_result mondrel_doc::delete_sli(int i) {
    if (!valid_line(i)) return delete_result::out_of_range;
    return delete_sli(i, parent_of(i));
}

mondrel_doc::delete_result mondrel_doc::delete_sli(int i, int parent) {
    if (!valid_line(i)) return delete_result::out_of_range;
    if (parent >= i || parent < -1) parent = -1; // a parent always comes before its children
    source_list_item& doomed = *lines_[i];
    const bool has_child_line = doomed.has_children() && i + 1 < line_count();
    if (has_child_line && doomed.is_open()) {
        if (lines_[i + 1]->has_children()) return delete_result::refused_list_start;
        // The first child takes the head's place with the head's other children. Its old
        // open flag is recorded apart so that undo restores it.
        if (!lines_[i + 1]->is_open()) flag_set(i + 1, flag_open, true);
        put_count(i + 1, doomed.count - 1);
        line_ptr head = take_line(i);
        if (history_.wants_records()) {
            change_item item = change_item(change_kind::delete_sli, i, i);
            item.line = std::move(head);
            remember(std::move(item));
        }
        return delete_result::deleted;
    }
    if (has_child_line) {
        delete_closed_list(i, parent);
        return delete_result::deleted;
    }
    line_ptr gone = take_line(i);
    if (parent >= 0) put_count(parent, lines_[parent]->count - 1);
    if (history_.wants_records()) {
        change_item item = change_item(change_kind::delete_sli, i, parent);
        item.line = std::move(gone);
        remember(std::move(item));
    }
    return delete_result::deleted;
}

void mondrel_doc::delete_closed_list(int i, int parent) {
    const int k = subtree_size(i);
    const bool keep = history_.wants_records();
    // Each line's parent before anything is removed, found by one walk over the subtree.
    std::vector<int> parents;
    if (keep) {
        parents.reserve(k);
        struct level {
            int32_t remaining;
            int head;
        };
        std::vector<level> stack;
        parents.push_back(parent);
        stack.push_back({lines_[i]->count - 1, i});
        for (int j = i + 1; j < i + k; ++j) {
            parents.push_back(stack.back().head);
            --stack.back().remaining;
            if (lines_[j]->count > 1) stack.push_back({lines_[j]->count - 1, j});
            while (!stack.empty() && stack.back().remaining <= 0)
                stack.pop_back();
        }
    }
    std::vector<line_ptr> gone = take_lines(i, k);
    if (parent >= 0) put_count(parent, lines_[parent]->count - 1);
    if (!keep) return;
    // One record per line, from the last line back to the head: undo then brings the list
    // back head first, each later line raising its parent's count again.
    for (int j = k - 1; j >= 0; --j) {
        change_item item = change_item(change_kind::delete_sli, i + j, parents[j]);
        item.line = std::move(gone[j]);
        remember(std::move(item));
    }
}

mondrel_doc::deletion_result mondrel_doc::delete_lines(std::span<const int> selected) {
    std::vector<int> order;
    order.reserve(selected.size());
    for (int i : selected)
        if (valid_line(i)) order.push_back(i);
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    // Deleting from the last line to the first never moves the lines before, nor changes
    // their parents: one tree answers for all of them.
    std::vector<int> parents(order.size());
    const line_tree& before = tree();
    for (size_t k = 0; k < order.size(); ++k)
        parents[k] = before.parent_of(order[k]);

    // The array is split at the line being deleted: lines_ holds the lines up to it, `after`
    // the lines behind it, the nearest last, so that each line moves once.
    std::vector<line_ptr> after;
    auto next = [&](int d) -> source_list_item& { return *after[after.size() - d]; };
    const bool keep = history_.wants_records();
    auto keep_record = [&](change_kind kind, int index, int second, line_ptr line) {
        if (!keep) return;
        change_item item(kind, index, second);
        item.line = std::move(line);
        remember(std::move(item));
    };
    auto ensure_blank = [&] {
        const source_list_item* last = !after.empty()    ? after.front().get()
                                       : !lines_.empty() ? lines_.back().get()
                                                         : nullptr;
        if (last && last->code.empty() && last->name.empty()) return;
        line_ptr blank = make_line(*this, 1, 0, "", "");
        if (after.empty())
            lines_.push_back(std::move(blank));
        else
            after.insert(after.begin(), std::move(blank));
        keep_record(change_kind::add_sli, 0, 0, nullptr);
    };

    deletion_result result;
    for (size_t k = order.size(); k-- > 0;) {
        const int i = order[k];
        const int parent = parents[k] < i && parents[k] >= -1 ? parents[k] : -1;
        while (static_cast<int>(lines_.size()) > i + 1) {
            after.push_back(std::move(lines_.back()));
            lines_.pop_back();
        }
        source_list_item& doomed = *lines_[i];
        const bool has_child_line = doomed.has_children() && !after.empty();
        if (has_child_line && doomed.is_open()) {
            source_list_item& child = next(1);
            if (child.has_children()) {
                result.refused = true;
                ensure_blank();
                continue;
            }
            if (!child.is_open()) {
                child.flags |= flag_open;
                if (keep) {
                    change_item item(change_kind::flag_set, i + 1, flag_open);
                    item.value = false;
                    remember(std::move(item));
                }
            }
            child.count = doomed.count - 1;
            line_ptr head = std::move(lines_.back());
            lines_.pop_back();
            keep_record(change_kind::delete_sli, i, i, std::move(head));
        } else if (has_child_line) {
            // A closed list: each line's parent, then one record per line, the last first.
            std::vector<int> line_parents{parent};
            std::vector<int32_t> remaining{doomed.count - 1};
            std::vector<int> heads{i};
            for (int d = 1; d <= static_cast<int>(after.size()) && !remaining.empty(); ++d) {
                line_parents.push_back(heads.back());
                --remaining.back();
                if (next(d).count > 1) {
                    remaining.push_back(next(d).count - 1);
                    heads.push_back(i + d);
                }
                while (!remaining.empty() && remaining.back() <= 0) {
                    remaining.pop_back();
                    heads.pop_back();
                }
            }
            const int size = static_cast<int>(line_parents.size());
            std::vector<line_ptr> gone;
            gone.reserve(size);
            gone.push_back(std::move(lines_.back()));
            lines_.pop_back();
            for (int d = 1; d < size; ++d) {
                gone.push_back(std::move(after.back()));
                after.pop_back();
            }
            if (parent >= 0) --lines_[parent]->count;
            for (int d = size - 1; d >= 0; --d)
                keep_record(change_kind::delete_sli, i + d, line_parents[d], std::move(gone[d]));
        } else {
            line_ptr gone = std::move(lines_.back());
            lines_.pop_back();
            if (parent >= 0) --lines_[parent]->count;
            keep_record(change_kind::delete_sli, i, parent, std::move(gone));
        }
        result.deleted = true;
        ensure_blank();
    }
    lines_.insert(lines_.end(), std::make_move_iterator(after.rbegin()),
                  std::make_move_iterator(after.rend()));
    structure_changed();
    return result;
}

void mondrel_doc::set_count(int n) {
    if (n < 0 || n >= line_count()) return;
    const int old = line_count();
    std::vector<line_ptr> dropped = take_lines(n, old - n);
    if (history_.wants_records()) {
        change_item item = change_item(change_kind::set_count, old, 0);
        item.dropped = std::move(dropped);
        remember(std::move(item));
    }
}

void mondrel_doc::moved_lines(int first, int distance, int number) {
    if (!move_block(first, distance, number)) return;
    if (history_.wants_records()) {
        change_item item = change_item(change_kind::moved_lines, first, distance);
        item.third = number;
        remember(std::move(item));
    }
}

void mondrel_doc::changed_fmt(int i, format_ptr format) {
    if (!valid_line(i) || !format) return;
    swap_format(i, format);
    if (history_.wants_records()) {
        change_item item = change_item(change_kind::changed_fmt, i, 0);
        item.format = std::move(format);
        remember(std::move(item));
    }
}

void mondrel_doc::set_breakpoint(int i, bool on) {
    if (!valid_line(i)) return;
    source_list_item& l = *lines_[i];
    l.flags = on ? (l.flags | flag_breakpoint) : (l.flags & ~flag_breakpoint);
    ++lines_version_;
}

void mondrel_doc::flag_set(int i, int32_t mask, bool value) {
    if (!valid_line(i)) return;
    source_list_item& l = *lines_[i];
    const bool old = l.has_flag(mask);
    l.flags = value ? (l.flags | mask) : (l.flags & ~mask);
    if (mask & flag_breakpoint) ++lines_version_;
    if (history_.wants_records()) {
        change_item item = change_item(change_kind::flag_set, i, mask);
        item.value = old;
        remember(std::move(item));
    }
}

void mondrel_doc::set_open(int i, bool value) {
    if (valid_line(i) && lines_[i]->has_children()) flag_set(i, flag_open, value);
}

void mondrel_doc::changed_sli(int i, line_ptr line) {
    if (!valid_line(i) || !line) return;
    line_ptr old = replace_line_record(i, std::move(line));
    if (history_.wants_records()) {
        change_item item = change_item(change_kind::changed_sli, i, 0);
        item.line = std::move(old);
        remember(std::move(item));
    }
}

void mondrel_doc::changed_cnt(int i, int32_t count) {
    if (!valid_line(i)) return;
    if (history_.wants_records())
        remember(change_item(change_kind::changed_cnt, i, lines_[i]->count));
    put_count(i, count);
}

void mondrel_doc::changed_display_fmt(int k, format_ptr format) {
    if (k < 0 || k >= sheet_format_count || !format) return;
    swap_sheet_format(k, format);
    if (history_.wants_records()) {
        change_item item = change_item(change_kind::changed_display_fmt, k, 0);
        item.format = std::move(format);
        remember(std::move(item));
    }
}

void mondrel_doc::changed_grid(int row_height, int data_cols) {
    if (history_.wants_records())
        remember(change_item(change_kind::changed_grid, row_height_, data_cols_));
    put_grid(row_height, data_cols);
}

void mondrel_doc::changed_created_by(std::string text) {
    std::swap(created_by, text);
    if (history_.wants_records()) {
        change_item item = change_item(change_kind::changed_created_by, 0, 0);
        item.text = std::move(text);
        remember(std::move(item));
    }
}

void mondrel_doc::changed_description(std::string text) {
    std::swap(description, text);
    if (history_.wants_records()) {
        change_item item = change_item(change_kind::changed_description, 0, 0);
        item.text = std::move(text);
        remember(std::move(item));
    }
}

void mondrel_doc::flip_auto_running() {
    auto_running = !auto_running;
    if (history_.wants_records()) remember(change_item(change_kind::auto_running, 0, 0));
}

// ---- Raw primitives ------------------------------------------------------------------------

void mondrel_doc::insert_line(int i, line_ptr line) {
    i = std::clamp(i, 0, line_count());
    lines_.insert(lines_.begin() + i, std::move(line));
    structure_changed();
}

void mondrel_doc::insert_lines(int i, std::vector<line_ptr> lines) {
    i = std::clamp(i, 0, line_count());
    lines_.insert(lines_.begin() + i, std::make_move_iterator(lines.begin()),
                  std::make_move_iterator(lines.end()));
    structure_changed();
}

line_ptr mondrel_doc::take_line(int i) {
    line_ptr taken = std::move(lines_[i]);
    lines_.erase(lines_.begin() + i);
    structure_changed();
    return taken;
}

std::vector<line_ptr> mondrel_doc::take_lines(int i, int k) {
    i = std::clamp(i, 0, line_count());
    k = std::clamp(k, 0, line_count() - i);
    std::vector<line_ptr> taken(std::make_move_iterator(lines_.begin() + i),
                                std::make_move_iterator(lines_.begin() + i + k));
    lines_.erase(lines_.begin() + i, lines_.begin() + i + k);
    structure_changed();
    return taken;
}

line_ptr mondrel_doc::replace_line_record(int i, line_ptr line) {
    if (line->count != lines_[i]->count) structure_changed();
    ++lines_version_;
    std::swap(lines_[i], line);
    return line;
}

void mondrel_doc::put_count(int i, int32_t count) {
    lines_[i]->count = count;
    structure_changed();
}

bool mondrel_doc::move_block(int first, int distance, int number) {
    const int n = line_count();
    if (number <= 0 || first < 0 || first + number > n || first + distance < 0 ||
        first + distance + number > n)
        return false;
    auto at = lines_.begin();
    if (distance < 0)
        std::rotate(at + first + distance, at + first, at + first + number);
    else if (distance > 0)
        std::rotate(at + first, at + first + number, at + first + number + distance);
    structure_changed();
    return true;
}

void mondrel_doc::swap_format(int i, format_ptr& format) {
    std::swap(lines_[i]->format, format);
}

void mondrel_doc::swap_sheet_format(int k, format_ptr& format) {
    std::swap(formats_[k], format);
}

void mondrel_doc::put_grid(int row_height, int data_cols) {
    row_height_ = std::max(row_height, 1);
    data_cols_ = std::clamp(data_cols, min_data_cols, max_data_cols);
    const int old = static_cast<int>(col_widths_.size());
    col_widths_.resize(data_cols_ + 5);
    for (int c = old; c < data_cols_ + 5; ++c)
        col_widths_[c] = default_width(c);
}

void mondrel_doc::ensure_trailing_blank() {
    if (!lines_.empty()) {
        const source_list_item& last = *lines_.back();
        if (last.code.empty() && last.name.empty()) return;
    }
    add_sli(make_line(*this, 1, 0, "", ""));
}

void mondrel_doc::set_file_name(std::string_view path) {
    file_name_ = path;
    // Both separators count, so sheets written on either platform resolve alike.
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string_view::npos) {
        directory_.clear();
        display_name_ = path;
    } else {
        // A root keeps its separator ("/" or "C:\"), any other folder loses it.
        const bool root = slash == 0 || (slash == 2 && path[1] == ':');
        directory_ = path.substr(0, root ? slash + 1 : slash);
        display_name_ = path.substr(slash + 1);
    }
    if (display_name_.size() >= 4) {
        std::string ext = display_name_.substr(display_name_.size() - 4);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (ext == ".MDR") display_name_.resize(display_name_.size() - 4);
    }
}

void mondrel_doc::set_display(int data_cols, int row_height, const std::vector<int>& widths) {
    // The grid has room for at most 27 value columns; a file asking for more (or for none)
    // is brought into range rather than trusted.
    data_cols = std::clamp(data_cols, min_data_cols, max_data_cols);
    row_height = std::max(row_height, 1);
    if (data_cols == data_cols_ && row_height == row_height_) return;
    data_cols_ = data_cols;
    row_height_ = row_height;
    const int n = std::max(0, data_cols + 5);
    col_widths_.assign(n, 0);
    for (int c = 0; c < n; ++c)
        col_widths_[c] = c < static_cast<int>(widths.size()) ? widths[c] : default_width(c);
}

void mondrel_doc::clear() {
    lines_.clear();
    structure_changed();
}

std::string mondrel_doc::next_temp_name() {
    return "temp_" + std::to_string(++temp_counter_);
}

void mondrel_doc::reserve_temp_name(std::string_view name) {
    constexpr std::string_view prefix = "temp_";
    constexpr int max_digits = 9; // below 10^9, far from the counter's limit
    if (name.size() <= prefix.size() || name.size() > prefix.size() + max_digits) return;
    if (!vbs::iequals(name.substr(0, prefix.size()), prefix)) return;
    int32_t n = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9') return;
        n = n * 10 + (c - '0');
    }
    temp_counter_ = std::max(temp_counter_, n);
}

} // namespace mondrel
