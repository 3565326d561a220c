#include "document/line_block.h"

#include <algorithm>

#include "display/prop_stuff.h"
#include "document/mondrel_doc.h"

namespace mondrel {

namespace {

// One list still open while a block is walked: its head and the children it still expects.
struct open_list {
    std::size_t head;
    int32_t remaining;
};

} // namespace

int repair_counts(line_block& block) {
    int repaired = 0;
    std::vector<open_list> open;
    for (std::size_t j = 0; j < block.size(); ++j) {
        if (!open.empty()) --open.back().remaining;
        int32_t& count = block[j]->count;
        if (count < 1) {
            count = 1;
            ++repaired;
        }
        if (count > 1) open.push_back({j, count - 1});
        while (!open.empty() && open.back().remaining == 0)
            open.pop_back();
    }
    // The block ended inside these lists: each head keeps the children that came.
    for (const open_list& list : open) {
        block[list.head]->count -= list.remaining;
        ++repaired;
    }
    return repaired;
}

int top_level_lines(const line_block& block) {
    int top = 0;
    std::vector<int32_t> remaining; // per open list, the children it still expects
    for (const line_ptr& line : block) {
        if (remaining.empty())
            ++top;
        else
            --remaining.back();
        if (line->count > 1) remaining.push_back(line->count - 1);
        while (!remaining.empty() && remaining.back() <= 0)
            remaining.pop_back();
    }
    return top;
}

void replace_lines(mondrel_doc& doc, line_block block) {
    doc.clear();
    for (line_ptr& line : block)
        doc.insert_line(doc.line_count(), std::move(line));
    doc.ensure_trailing_blank();
}

int insert_lines_after(mondrel_doc& doc, line_block block, int position) {
    if (block.empty()) return std::clamp(position + 1, 0, doc.line_count());
    int at = doc.line_count();
    int parent = -1;
    if (position < 0) {
        at = 0;
    } else if (doc.line_count() > 0) {
        const int p = std::min(position, doc.line_count() - 1);
        const line_tree& tree = doc.tree();
        const source_list_item& ref = doc.line(p);
        if (ref.has_children() && ref.is_open()) {
            at = p + 1;
            parent = p;
        } else {
            at = p + (ref.has_children() ? tree.subtree_size(p) : 1);
            parent = tree.parent_of(p);
        }
        // A position past the end appends at the top level.
        if (position >= doc.line_count()) {
            at = doc.line_count();
            parent = -1;
        }
    }
    const int top = top_level_lines(block);
    int i = at;
    for (line_ptr& line : block)
        doc.insert_line(i++, std::move(line));
    if (parent >= 0) doc.line(parent).count += top;
    doc.structure_changed();
    return at;
}

} // namespace mondrel
