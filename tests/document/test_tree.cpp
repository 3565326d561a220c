// The tree the line counts encode: the single walks, the one-pass index, and the document's
// file-name, display and trailing-blank rules.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/line_tree.h"
#include "document/mondrel_doc.h"

namespace mondrel {
namespace {

TEST(line_tree_walks, two_children_one_with_a_grandchild) {
    // 0 head (count 3)
    // 1   child with a child (count 2)
    // 2     grandchild
    // 3   second child
    // 4 top-level line
    const std::vector<int32_t> counts{3, 2, 1, 1, 1};
    EXPECT_EQ(parent_of(counts, 0), -1);
    EXPECT_EQ(parent_of(counts, 1), 0);
    EXPECT_EQ(parent_of(counts, 2), 1);
    EXPECT_EQ(parent_of(counts, 3), 0);
    EXPECT_EQ(parent_of(counts, 4), -1);
    EXPECT_EQ(parent_of(counts, 5), -1) << "past the end";
    EXPECT_EQ(parent_of(counts, -1), -1);

    EXPECT_FALSE(is_last_child(counts, 0));
    EXPECT_FALSE(is_last_child(counts, 1));
    EXPECT_TRUE(is_last_child(counts, 2));
    EXPECT_TRUE(is_last_child(counts, 3));
    EXPECT_TRUE(is_last_child(counts, 4));

    EXPECT_EQ(subtree_size(counts, 0), 4);
    EXPECT_EQ(subtree_size(counts, 1), 2);
    EXPECT_EQ(subtree_size(counts, 2), 1);
}

TEST(line_tree_walks, counts_of_zero_or_less_are_leaves) {
    const std::vector<int32_t> counts{0, -5, 2, 0, 1};
    EXPECT_EQ(parent_of(counts, 1), -1);
    EXPECT_EQ(parent_of(counts, 3), 2);
    EXPECT_EQ(parent_of(counts, 4), -1);
    EXPECT_EQ(subtree_size(counts, 0), 1);
    EXPECT_EQ(subtree_size(counts, 2), 2);
}

TEST(line_tree_walks, count_larger_than_the_lines_that_follow) {
    const std::vector<int32_t> counts{1, 50, 1, 1};
    EXPECT_EQ(parent_of(counts, 3), 1);
    EXPECT_EQ(subtree_size(counts, 1), 3) << "the subtree ends with the array";
    EXPECT_FALSE(is_last_child(counts, 3)) << "the list still expects children";
    const line_tree tree(counts);
    EXPECT_EQ(tree.subtree_size(1), 3);
    EXPECT_EQ(tree.parent_of(3), 1);
}

TEST(line_tree_walks, nesting_far_deeper_than_ten_levels) {
    // A chain of 5,000 nested lists, each head with one child: no fixed stack limit.
    const int depth = 5000;
    std::vector<int32_t> counts(depth, 2);
    counts.push_back(1);
    EXPECT_EQ(parent_of(counts, depth), depth - 1);
    EXPECT_EQ(subtree_size(counts, 0), depth + 1);
    EXPECT_TRUE(is_last_child(counts, depth));
    const line_tree tree(counts);
    EXPECT_EQ(tree.depth(depth), depth);
    EXPECT_EQ(tree.subtree_size(0), depth + 1);
    EXPECT_EQ(tree.parent_of(depth), depth - 1);
}

// Random arrays of counts, including counts of 0 or less and counts that promise more children
// than follow: the index must give exactly what the single walks give, line by line.
TEST(line_tree_index, agrees_with_the_single_walks_on_random_trees) {
    std::mt19937 rng(20261206);
    for (int round = 0; round < 400; ++round) {
        const int n = std::uniform_int_distribution<int>(0, 60)(rng);
        std::vector<int32_t> counts(n);
        for (int32_t& c : counts) {
            const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
            if (kind < 5)
                c = 1;
            else if (kind == 5)
                c = std::uniform_int_distribution<int>(-3, 0)(rng);
            else if (kind == 9)
                c = std::uniform_int_distribution<int>(2, 80)(rng);
            else
                c = std::uniform_int_distribution<int>(2, 4)(rng);
        }
        const line_tree tree(counts);
        ASSERT_EQ(tree.size(), n);
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE(testing::Message() << "round " << round << " line " << i);
            ASSERT_EQ(tree.parent_of(i), parent_of(counts, i));
            ASSERT_EQ(tree.is_last_child(i), is_last_child(counts, i));
            ASSERT_EQ(tree.subtree_size(i), subtree_size(counts, i));
            const int parent = tree.parent_of(i);
            ASSERT_EQ(tree.depth(i), parent < 0 ? 0 : tree.depth(parent) + 1);
        }
    }
}

TEST(code_words, lookup_is_exact_and_case_sensitive) {
    EXPECT_EQ(code_word_from_text("rem"), cw_rem);
    EXPECT_EQ(code_word_from_text("REM"), cw_expression);
    EXPECT_EQ(code_word_from_text("incl"), cw_incl);
    EXPECT_EQ(code_word_from_text("include"), cw_expression);
    EXPECT_EQ(code_word_from_text(""), cw_expression);
    for (int i = 1; i < code_word_count; ++i)
        EXPECT_EQ(code_word_from_text(code_word_text(i)), i);

    const std::vector<int> full{cw_rem, cw_vb, cw_fmt, cw_let, cw_incl, cw_cmd};
    for (int i = -1; i <= code_word_count; ++i) {
        const bool expected = std::find(full.begin(), full.end(), i) != full.end();
        EXPECT_EQ(is_full_width_word(i), expected) << i;
    }
    EXPECT_EQ(syntax_bar_text(12), "<syntax>");
    EXPECT_EQ(syntax_bar_text(6), R"(\x010\bINCL\b |   \b"\b<file>\b"\b)");
}

TEST(mondrel_doc_names, display_name_and_directory) {
    struct row {
        const char* path;
        const char* directory;
        const char* display;
    };
    const row rows[] = {
        {"Newfile", "", "Newfile"},
        {"/home/ann/sheet.mdr", "/home/ann", "sheet"},
        {"/home/ann/sheet.MDR", "/home/ann", "sheet"},
        {"/home/ann/sheet.txt", "/home/ann", "sheet.txt"},
        {"C:\\sheets\\loan.Mdr", "C:\\sheets", "loan"},
        {"C:\\loan.mdr", "C:\\", "loan"},
        {"/top.mdr", "/", "top"},
        {".mdr", "", ""},
    };
    mondrel_doc doc;
    for (const row& r : rows) {
        doc.set_file_name(r.path);
        EXPECT_EQ(doc.file_name(), r.path);
        EXPECT_EQ(doc.directory(), r.directory) << r.path;
        EXPECT_EQ(doc.display_name(), r.display) << r.path;
    }
}

TEST(mondrel_doc_settings, new_document_defaults) {
    mondrel_doc doc;
    EXPECT_EQ(doc.display_name(), "Newfile");
    EXPECT_EQ(doc.line_count(), 1);
    EXPECT_TRUE(doc.line(0).code.empty());
    EXPECT_EQ(doc.line(0).count, 1);
    EXPECT_EQ(doc.data_cols(), 4);
    EXPECT_EQ(doc.row_height(), 16);
    EXPECT_EQ(doc.col_widths(), (std::vector<int>{50, 40, 180, 50, 50, 50, 50, 50, 50}));
    EXPECT_TRUE(doc.auto_running);
    EXPECT_FALSE(doc.read_only);
    EXPECT_EQ(doc.sel_first, 1);
    EXPECT_EQ(doc.sel_last, 1);
    EXPECT_EQ(doc.sheet_format(0).colour, 0x808080u);
    EXPECT_EQ(doc.sheet_format(5).name, "Courier New");
}

TEST(mondrel_doc_settings, set_display_keeps_widths_when_numbers_are_unchanged) {
    mondrel_doc doc;
    const std::vector<int> before = doc.col_widths();
    doc.set_display(4, 16, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(doc.col_widths(), before);

    doc.set_display(2, 20, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(doc.col_widths(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(doc.row_height(), 20);

    doc.set_display(3, 20, {9, 9});
    EXPECT_EQ(doc.col_widths(), (std::vector<int>{9, 9, 180, 50, 50, 50, 50, 50}))
        << "widths the caller did not give take their defaults";
}

TEST(mondrel_doc_lines, trailing_blank_looks_only_at_code_and_name) {
    mondrel_doc doc;
    ASSERT_EQ(doc.line_count(), 1);
    doc.ensure_trailing_blank();
    EXPECT_EQ(doc.line_count(), 1) << "a blank last line is enough";

    doc.line(0).code_word = cw_rem;
    doc.ensure_trailing_blank();
    EXPECT_EQ(doc.line_count(), 1) << "another code word on an empty line still counts as blank";

    doc.line(0).name = "x";
    doc.ensure_trailing_blank();
    EXPECT_EQ(doc.line_count(), 2);

    doc.clear();
    EXPECT_EQ(doc.line_count(), 0);
    doc.ensure_trailing_blank();
    EXPECT_EQ(doc.line_count(), 1);
}

TEST(mondrel_doc_lines, tree_index_follows_structural_changes) {
    mondrel_doc doc;
    doc.clear();
    for (int i = 0; i < 4; ++i)
        doc.add_sli(make_line(doc, 1, 0, "", "1"));
    EXPECT_EQ(doc.tree().parent_of(1), -1);
    doc.line(0).count = 3;
    doc.structure_changed();
    EXPECT_EQ(doc.tree().parent_of(1), 0);
    EXPECT_EQ(doc.tree().parent_of(2), 0);
    EXPECT_EQ(doc.tree().subtree_size(0), 3);
    line_ptr taken = doc.take_line(3);
    EXPECT_EQ(doc.tree().size(), 3);
    EXPECT_EQ(doc.parent_of(2), 0);
}

TEST(mondrel_doc_lines, temporary_names_count_up_and_never_repeat) {
    mondrel_doc doc;
    const int start = doc.temp_counter();
    EXPECT_EQ(doc.next_temp_name(), "temp_" + std::to_string(start + 1));
    EXPECT_EQ(doc.next_temp_name(), "temp_" + std::to_string(start + 2));
}

} // namespace
} // namespace mondrel
