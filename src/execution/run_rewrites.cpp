#include "execution/run_rewrites.h"

#include <string>
#include <string_view>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/make_line.h"

namespace mondrel {

namespace {

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

// True, per line, when the line and every line of its subtree are vb lines. Children follow
// their parents, so one backward pass carries each answer up to the parent.
std::vector<uint8_t> vb_only_subtrees(const mondrel_doc& doc, const line_tree& tree) {
    const int n = doc.line_count();
    std::vector<uint8_t> vb_only(n);
    for (int i = 0; i < n; ++i)
        vb_only[i] = doc.line(i).code_word == cw_vb;
    for (int i = n - 1; i >= 0; --i)
        if (!vb_only[i] && tree.parent_of(i) >= 0) vb_only[tree.parent_of(i)] = 0;
    return vb_only;
}

// The literal of a list line at `head` whose subtree holds `size` lines. One pass in document
// order: a stack holds the list heads whose "{" is open, and a "}" is written for each head the
// walk leaves.
std::string gather_literal(mondrel_doc& doc, const line_tree& tree, int head, int size) {
    struct open_head {
        int index;
        bool has_element; // a "," goes before the next contribution
    };
    std::vector<open_head> open{{head, false}};
    std::string literal = "{";
    const int end = head + size;
    for (int j = head + 1; j < end;) {
        const int parent = tree.parent_of(j);
        while (open.size() > 1 && open.back().index != parent) {
            literal += '}';
            open.pop_back();
        }
        if (open.back().has_element) literal += ',';
        open.back().has_element = true;
        source_list_item& child = doc.line(j);
        const int child_size = tree.subtree_size(j);
        if (child.code_word != cw_expression) {
            j += child_size; // an empty element; the line and its subtree keep their texts
            continue;
        }
        child.set_script({});
        child.set_display_text({});
        if (child_size > 1) {
            literal += '{';
            literal += child.code;
            open.push_back({j, true});
        } else {
            literal += child.code;
        }
        ++j;
    }
    for (size_t k = 0; k < open.size(); ++k)
        literal += '}';
    return literal;
}

} // namespace

void rewrite_vb_blocks(mondrel_doc& doc) {
    const int n = doc.line_count();
    for (int i = 0; i < n; ++i)
        doc.line(i).flags &= ~flag_block_head;
    const line_tree& tree = doc.tree();
    const std::vector<uint8_t> vb_only = vb_only_subtrees(doc, tree);
    for (int i = 0; i < n;) {
        source_list_item& line = doc.line(i);
        const int size = tree.subtree_size(i);
        if (line.code_word == cw_vb && size > 1 && vb_only[i]) {
            std::string block;
            for (int j = i; j < i + size; ++j) {
                block += doc.line(j).aux_text;
                if (j > i) doc.line(j).set_script({});
            }
            line.set_script(block);
            line.flags |= flag_block_head;
            i += size;
            continue;
        }
        if (line.code_word == cw_vb) line.set_script(line.aux_text);
        ++i;
    }
}

void rewrite_brace_lists(mondrel_doc& doc) {
    const line_tree& tree = doc.tree();
    const int n = doc.line_count();
    for (int i = 0; i < n;) {
        source_list_item& line = doc.line(i);
        const int size = tree.subtree_size(i);
        if (line.code_word != cw_expression || size <= 1 || trim_blanks(line.code) != "{}") {
            ++i;
            continue;
        }
        const line_ptr made =
            make_line(doc, 1, cw_expression, line.name, gather_literal(doc, tree, i, size));
        line.set_script(made->script);
        line.set_display_text(made->display_text);
        if (made->status != status_ok) {
            line.status = status_runtime_error;
            line.error_text = made->error_text;
        }
        i += size;
    }
}

void rewrite_for_run(mondrel_doc& doc) {
    rewrite_vb_blocks(doc);
    rewrite_brace_lists(doc);
}

} // namespace mondrel
