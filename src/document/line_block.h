#pragma once
// Blocks of lines on their way into or out of a document: the lines a file or the clipboard
// brings in, checked and placed so that their lists keep their shape, and the lines a writer
// takes out, without the lines that include files brought in.

#include <cstdint>
#include <vector>

#include "document/code_words.h"
#include "document/source_list_item.h"

namespace mondrel {

class mondrel_doc;

using line_block = std::vector<line_ptr>;

// Makes the counts of a block describe a sound forest: a count of 0 or less becomes 1, and a
// list head that promises more children than the block holds gets the children it has. Works
// at any depth. Returns the number of counts changed.
int repair_counts(line_block& block);

// The number of top-level lines of a block whose counts are sound.
int top_level_lines(const line_block& block);

// Replaces every line of the document with the block (read mode 1). The block's counts must
// be sound; the trailing blank line is added when needed.
void replace_lines(mondrel_doc& doc, line_block block);

// Inserts the block after the line at `position` as add_after_sli places one line: behind a
// leaf or behind a closed list's whole subtree as following siblings, or in front of an open
// head's first child. The block's top-level lines all go there, one after another, each with
// its own subtree, so inserted lists keep their shape; the parent gains one child per
// top-level line. A position outside the document inserts at its end (or its start, for a
// position below 0). Returns the index of the first inserted line.
int insert_lines_after(mondrel_doc& doc, line_block block, int position);

// Calls visit(line, count) for every line a writer stores, in order: an `incl` line with
// children is stored with count 1 and without its subtree, because included lines are loaded
// again at the next run and never belong to the file.
template <typename Visit> void for_each_stored_line(const mondrel_doc& doc, Visit visit);

} // namespace mondrel

#include "document/mondrel_doc.h"

namespace mondrel {

template <typename Visit> void for_each_stored_line(const mondrel_doc& doc, Visit visit) {
    const int n = doc.line_count();
    for (int i = 0; i < n;) {
        const source_list_item& line = doc.line(i);
        if (line.code_word == cw_incl && line.has_children()) {
            visit(line, int32_t{1});
            i += doc.tree().subtree_size(i);
        } else {
            visit(line, line.count);
            ++i;
        }
    }
}

} // namespace mondrel
