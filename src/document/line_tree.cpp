#include "document/line_tree.h"

namespace mondrel {

namespace {

// One open list while walking: how many direct children it still expects, and its head.
struct tree_level {
    int remaining;
    int parent;
};

int children_of(int32_t count) {
    return count > 1 ? count - 1 : 0;
}

// The walk shared by parent_of and is_last_child: visits lines from the start of the array
// and calls `at(j, level)` with the level line j belongs to, after its remaining count has
// been decreased. Stops when `at` returns true or the array ends. The document level counts
// down from the number of lines, so it never tells which top-level line is the last one.
template <typename Visit> void walk_levels(count_view counts, Visit at) {
    const int n = static_cast<int>(counts.size());
    std::vector<tree_level> stack{{n, -1}};
    for (int j = 0; j < n; ++j) {
        tree_level& level = stack.back();
        --level.remaining;
        if (at(j, level)) return;
        if (int c = children_of(counts[j]); c > 0) stack.push_back({c, j});
        while (stack.size() > 1 && stack.back().remaining <= 0)
            stack.pop_back();
    }
}

} // namespace

int parent_of(count_view counts, int i) {
    int answer = -1;
    walk_levels(counts, [&](int j, const tree_level& level) {
        if (j != i) return false;
        answer = level.parent;
        return true;
    });
    return answer;
}

bool is_last_child(count_view counts, int i) {
    bool answer = false;
    walk_levels(counts, [&](int j, const tree_level& level) {
        if (j != i) return false;
        // A top-level line is the last one when its subtree runs to the end of the array.
        answer = level.parent < 0 ? i + subtree_size(counts, i) >= static_cast<int>(counts.size())
                                  : level.remaining == 0;
        return true;
    });
    return answer;
}

int subtree_size(count_view counts, int i) {
    const int n = static_cast<int>(counts.size());
    if (i < 0 || i >= n) return 0;
    std::vector<int> remaining;
    if (int c = children_of(counts[i]); c > 0) remaining.push_back(c);
    int size = 1;
    for (int j = i + 1; j < n && !remaining.empty(); ++j) {
        --remaining.back();
        if (int c = children_of(counts[j]); c > 0) remaining.push_back(c);
        while (!remaining.empty() && remaining.back() <= 0)
            remaining.pop_back();
        ++size;
    }
    return size;
}

void line_tree::rebuild(count_view counts) {
    const int n = static_cast<int>(counts.size());
    parent_.assign(n, -1);
    subtree_.assign(n, 1);
    depth_.assign(n, 0);
    last_child_.assign(n, 0);

    // The same walk as the single questions, but every line is answered as it is passed.
    // A list's subtree size is known when its level closes (or when the array ends).
    std::vector<tree_level> stack{{n, -1}};
    auto close_level = [&](int end) {
        const int head = stack.back().parent;
        subtree_[head] = end - head;
        stack.pop_back();
    };
    for (int j = 0; j < n; ++j) {
        tree_level& level = stack.back();
        --level.remaining;
        parent_[j] = level.parent;
        depth_[j] = static_cast<int>(stack.size()) - 1;
        last_child_[j] = level.parent >= 0 && level.remaining == 0;
        if (int c = children_of(counts[j]); c > 0) stack.push_back({c, j});
        while (stack.size() > 1 && stack.back().remaining <= 0)
            close_level(j + 1);
    }
    while (stack.size() > 1)
        close_level(n);
    // The document level counts down from the number of lines; its last line is found here.
    for (int j = n - 1; j >= 0; --j) {
        if (parent_[j] < 0) {
            last_child_[j] = 1;
            break;
        }
    }
}

} // namespace mondrel
