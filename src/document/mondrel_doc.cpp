#include "document/mondrel_doc.h"

#include <algorithm>

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
    return mondrel::parent_of(counts(), i);
}
bool mondrel_doc::is_last_child(int i) const {
    return mondrel::is_last_child(counts(), i);
}
int mondrel_doc::subtree_size(int i) const {
    return mondrel::subtree_size(counts(), i);
}

const line_tree& mondrel_doc::tree() const {
    if (tree_version_ != structure_version_ || tree_.size() != line_count()) {
        tree_.rebuild(counts());
        tree_version_ = structure_version_;
    }
    return tree_;
}

void mondrel_doc::add_sli(line_ptr line) {
    insert_line(line_count(), std::move(line));
}

void mondrel_doc::insert_line(int i, line_ptr line) {
    i = std::clamp(i, 0, line_count());
    lines_.insert(lines_.begin() + i, std::move(line));
    structure_changed();
}

line_ptr mondrel_doc::take_line(int i) {
    line_ptr taken = std::move(lines_[i]);
    lines_.erase(lines_.begin() + i);
    structure_changed();
    return taken;
}

line_ptr mondrel_doc::replace_line_record(int i, line_ptr line) {
    if (line->count != lines_[i]->count) structure_changed();
    std::swap(lines_[i], line);
    return line;
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
    if (data_cols == data_cols_ && row_height == row_height_)
        return;
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

} // namespace mondrel
