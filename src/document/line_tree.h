#pragma once
// The tree that the line counts encode. The array holds the tree in pre-order: a line, then its
// first child with that child's whole subtree, then its second child, and so on.
//
// Two ways to ask: the single walks answer one question with one walk from the start of the
// array (what a one-off caller needs), and `line_tree` answers every question for every line
// after one linear pass (what the run engine and the display need for whole sheets). Both use
// growable stacks, so trees of any depth work, and both treat a count of 0 or less as a leaf and
// stop quietly when a count promises more children than the array holds.

#include <cstdint>
#include <span>
#include <vector>

#include "document/source_list_item.h"

namespace mondrel {

// The counts of the lines, in array order: the only input the tree questions need.
using count_view = std::span<const int32_t>;

// Index of the line whose direct child line i is; -1 for a top-level line or an index outside
// the array.
int parent_of(count_view counts, int i);

// True when line i is the last direct child of its parent (or the last top-level line). False
// for an index outside the array.
bool is_last_child(count_view counts, int i);

// Number of lines from i to the end of its subtree, i included: 1 for a leaf. When the array
// ends inside the subtree the lines up to the end are counted.
int subtree_size(count_view counts, int i);

// Every answer for every line from one pass; rebuild after any change of counts or of the
// number of lines.
class line_tree {
public:
    line_tree() = default;
    explicit line_tree(count_view counts) { rebuild(counts); }

    void rebuild(count_view counts);

    int size() const { return static_cast<int>(parent_.size()); }
    int parent_of(int i) const { return in_range(i) ? parent_[i] : -1; }
    bool is_last_child(int i) const { return in_range(i) && last_child_[i] != 0; }
    int subtree_size(int i) const { return in_range(i) ? subtree_[i] : 0; }
    // Nesting depth: 0 for a top-level line.
    int depth(int i) const { return in_range(i) ? depth_[i] : 0; }

private:
    bool in_range(int i) const { return i >= 0 && i < size(); }

    std::vector<int> parent_;
    std::vector<int> subtree_;
    std::vector<int> depth_;
    std::vector<uint8_t> last_child_;
};

} // namespace mondrel
