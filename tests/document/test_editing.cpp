// The document operations (what each does to the tree and the exact records it leaves) and the
// editing commands built on them.

#include <gtest/gtest.h>

#include <functional>

#include "document/code_words.h"
#include "document/line_text.h"
#include "test_editing_support.h"

namespace mondrel {
namespace {

using test::build;
using test::counts;
using test::last_step_records;
using test::shape_line;

constexpr int32_t O = flag_open;

line_ptr blank() {
    return std::make_unique<source_list_item>(1, "", "new");
}

struct operation_case {
    const char* what;
    std::vector<shape_line> shape;
    std::function<int(mondrel_doc&)> op;
    int result;
    std::vector<int32_t> counts_after;
    std::vector<std::string> records;
};

// P(open) with children a, b, then a top-level T.
const std::vector<shape_line> open_pair{{3, O}, {1}, {1}, {1}};

TEST(document_operations, change_the_tree_and_record_exactly) {
    const std::vector<operation_case> cases{
        {"append",
         open_pair,
         [](mondrel_doc& d) { return d.add_sli(blank()); },
         4,
         {3, 1, 1, 1, 1},
         {"add_sli 0 0"}},
        {"add after a leaf child: the parent gains a child",
         open_pair,
         [](mondrel_doc& d) { return d.add_after_sli(blank(), 1); },
         2,
         {4, 1, 1, 1, 1},
         {"add_sli 1 0"}},
        {"add after a top-level leaf",
         open_pair,
         [](mondrel_doc& d) { return d.add_after_sli(blank(), 3); },
         4,
         {3, 1, 1, 1, 1},
         {"add_sli 3 -1"}},
        {"add after a closed list: after its last descendant, as its sibling",
         {{3}, {2}, {1}, {1}, {1}},
         [](mondrel_doc& d) { return d.add_after_sli(blank(), 0); },
         4,
         {3, 2, 1, 1, 1, 1},
         {"add_after_list_sli 0 -1"}},
        {"add after an open list: its new first child",
         open_pair,
         [](mondrel_doc& d) { return d.add_after_sli(blank(), 0); },
         1,
         {4, 1, 1, 1, 1},
         {"add_after_head_sli 0 0"}},
        {"insert before an open head: the new line becomes the head",
         open_pair,
         [](mondrel_doc& d) { return d.insert_sli(blank(), 0); },
         0,
         {4, 1, 1, 1, 1},
         {"insert_head_sli 0 0"}},
        {"insert before a child",
         open_pair,
         [](mondrel_doc& d) { return d.insert_sli(blank(), 2); },
         2,
         {4, 1, 1, 1, 1},
         {"insert_sli 2 0"}},
        {"insert before a closed head: a plain sibling",
         {{1}, {2}, {1}},
         [](mondrel_doc& d) { return d.insert_sli(blank(), 1); },
         1,
         {1, 1, 2, 1},
         {"insert_sli 1 -1"}},
        {"add a child to a closed leaf: it opens, and the flag is recorded",
         {{1}, {1}},
         [](mondrel_doc& d) { return d.add_child_sli(blank(), 0); },
         1,
         {2, 1, 1},
         {"flag_set 0 1", "add_child_sli 0 0"}},
        {"add a child to an open leaf",
         {{1, O}, {1}},
         [](mondrel_doc& d) { return d.add_child_sli(blank(), 0); },
         1,
         {2, 1, 1},
         {"add_child_sli 0 0"}},
        {"add a child to a list: nothing",
         open_pair,
         [](mondrel_doc& d) { return d.add_child_sli(blank(), 0); },
         0,
         {3, 1, 1, 1},
         {}},
        {"delete a leaf child: the parent loses it",
         open_pair,
         [](mondrel_doc& d) { return static_cast<int>(d.delete_sli(2)); },
         0,
         {2, 1, 1},
         {"delete_sli 2 0"}},
        {"delete an open head: its leaf first child takes its place, the parent keeps its count",
         {{2, O}, {3, O}, {1}, {1}, {1}},
         [](mondrel_doc& d) { return static_cast<int>(d.delete_sli(1)); },
         0,
         {2, 2, 1, 1},
         {"flag_set 2 1", "delete_sli 1 1"}},
        {"delete a closed list of three: one record per line, the last line's first",
         {{1}, {3}, {1}, {1}, {1}},
         [](mondrel_doc& d) { return static_cast<int>(d.delete_sli(1)); },
         0,
         {1, 1},
         {"delete_sli 3 1", "delete_sli 2 1", "delete_sli 1 -1"}},
        {"delete a nested closed list: each record names its line's own parent",
         {{1}, {2}, {2}, {1}, {1}},
         [](mondrel_doc& d) { return static_cast<int>(d.delete_sli(1)); },
         0,
         {1, 1},
         {"delete_sli 3 2", "delete_sli 2 1", "delete_sli 1 -1"}},
        {"delete an open head whose first child is a list: refused",
         {{2, O}, {2}, {1}, {1}},
         [](mondrel_doc& d) { return static_cast<int>(d.delete_sli(0)); },
         static_cast<int>(mondrel_doc::delete_result::refused_list_start),
         {2, 2, 1, 1},
         {}},
        {"delete past the end: nothing",
         open_pair,
         [](mondrel_doc& d) { return static_cast<int>(d.delete_sli(9)); },
         static_cast<int>(mondrel_doc::delete_result::out_of_range),
         {3, 1, 1, 1},
         {}},
        {"set_count cuts the end",
         open_pair,
         [](mondrel_doc& d) {
             d.set_count(1);
             return d.line_count();
         },
         1,
         {3},
         {"set_count 4 0"}},
        {"moved_lines moves a block, counts untouched",
         open_pair,
         [](mondrel_doc& d) {
             d.moved_lines(3, -2, 1);
             return d.line(1).code == "L3";
         },
         1,
         {3, 1, 1, 1},
         {"moved_lines 3 -2"}},
        {"set_open of a leaf: nothing",
         open_pair,
         [](mondrel_doc& d) {
             d.set_open(1, true);
             return d.line(1).flags;
         },
         0,
         {3, 1, 1, 1},
         {}},
        {"set_open of a list",
         open_pair,
         [](mondrel_doc& d) {
             d.set_open(0, false);
             return d.line(0).flags;
         },
         0,
         {3, 1, 1, 1},
         {"flag_set 0 1"}},
        {"changed_cnt",
         open_pair,
         [](mondrel_doc& d) {
             d.changed_cnt(0, 2);
             return 0;
         },
         0,
         {2, 1, 1, 1},
         {"changed_cnt 0 3"}},
        {"changed_grid records the old row height and data columns",
         open_pair,
         [](mondrel_doc& d) {
             d.changed_grid(20, 6);
             return d.data_cols();
         },
         6,
         {3, 1, 1, 1},
         {"changed_grid 16 4"}},
    };
    for (const operation_case& c : cases) {
        SCOPED_TRACE(c.what);
        mondrel_doc doc;
        build(doc, c.shape);
        doc.history().begin_group("t");
        EXPECT_EQ(c.op(doc), c.result);
        doc.history().end_group();
        EXPECT_EQ(counts(doc), c.counts_after);
        EXPECT_EQ(last_step_records(doc), c.records);
    }
}

TEST(document_operations, inserted_and_promoted_heads_get_the_open_flag) {
    mondrel_doc doc;
    build(doc, open_pair);
    doc.insert_sli(blank(), 0);
    EXPECT_TRUE(doc.line(0).is_open());
    EXPECT_EQ(doc.line(0).code, "new");

    build(doc, {{3, O}, {1}, {1}});
    doc.delete_sli(0);
    EXPECT_EQ(doc.line(0).code, "L1");
    EXPECT_TRUE(doc.line(0).is_open());
    EXPECT_EQ(doc.line(0).count, 2);
}

TEST(document_operations, records_carry_their_payloads) {
    mondrel_doc doc;
    build(doc, open_pair);
    const prop_list* old_format = doc.line(0).format.get();
    doc.history().begin_group("t");
    doc.delete_sli(2);
    doc.changed_fmt(0, std::make_unique<prop_list>(prop_list::from_text("style:bold")));
    doc.flag_set(1, flag_breakpoint, true);
    doc.moved_lines(0, 1, 2);
    doc.changed_created_by("me");
    doc.history().end_group();
    const auto& r = doc.history().changes();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].line->code, "L2");
    EXPECT_EQ(r[1].format.get(), old_format);
    EXPECT_FALSE(r[2].value);
    EXPECT_EQ(r[3].third, 2);
    EXPECT_EQ(r[4].text, "");
}

TEST(document_operations, recording_off_or_outside_a_group_keeps_no_record) {
    mondrel_doc doc;
    build(doc, open_pair);
    doc.add_after_sli(blank(), 1); // outside any group
    doc.history().set_recording(false);
    doc.history().begin_group("t");
    doc.delete_sli(1);
    doc.history().end_group();
    doc.history().set_recording(true);
    EXPECT_TRUE(doc.history().changes().empty());
    EXPECT_EQ(doc.history().undo_count(), 0);
    EXPECT_EQ(counts(doc), (std::vector<int32_t>{3, 1, 1, 1}));
}

// ---- Commands ---------------------------------------------------------------------------------

using test::command_bench;

TEST(editing_commands, convert_to_list_takes_the_following_selected_lines) {
    command_bench b;
    // P(4) with children i, a, b; then T.
    build(b.doc, {{4, O}, {1}, {1}, {1}, {1}});
    const std::vector<int> sel{1, 2, 3};
    EXPECT_TRUE(b.commands.convert_to_list(sel));
    EXPECT_EQ(counts(b.doc), (std::vector<int32_t>{2, 3, 1, 1, 1}));
    EXPECT_TRUE(b.doc.line(1).is_open());
    EXPECT_EQ(b.doc.history().steps().back().name, "edit_convert_to_listExecute");
    EXPECT_EQ(last_step_records(b.doc),
              (std::vector<std::string>{"changed_cnt 0 4", "changed_cnt 0 3", "changed_cnt 1 1",
                                        "flag_set 1 1"}));
}

TEST(editing_commands, convert_to_list_steps_over_whole_lists_and_across_levels) {
    command_bench b;
    // i, L(closed, child c), j, T: items are L (with c) and j.
    build(b.doc, {{1}, {2}, {1}, {1}, {1}});
    const std::vector<int> sel{0, 3};
    EXPECT_TRUE(b.commands.convert_to_list(sel));
    EXPECT_EQ(counts(b.doc), (std::vector<int32_t>{3, 2, 1, 1, 1}));

    // A selection leaving the list: the item of the outer level leaves its parent too.
    // R(open){ P(open){ i, s }, t }, T
    build(b.doc, {{3, O}, {3, O}, {1}, {1}, {1}, {1}});
    const std::vector<int> sel2{2, 4};
    EXPECT_TRUE(b.commands.convert_to_list(sel2));
    EXPECT_EQ(counts(b.doc), (std::vector<int32_t>{2, 2, 3, 1, 1, 1}));
    EXPECT_EQ(b.doc.parent_of(4), 2);
    EXPECT_EQ(b.doc.parent_of(5), -1);

    // The first selected line must be a leaf; a single line has no items.
    build(b.doc, {{2}, {1}, {1}});
    const int steps = b.doc.history().undo_count();
    const std::vector<int> head{0, 2};
    EXPECT_FALSE(b.commands.convert_to_list(head));
    const std::vector<int> one{2};
    EXPECT_FALSE(b.commands.convert_to_list(one));
    EXPECT_EQ(b.doc.history().undo_count(), steps);
}

TEST(editing_commands, convert_from_list_makes_children_siblings) {
    command_bench b;
    build(b.doc, {{2, O}, {3}, {1}, {1}, {1}});
    const std::vector<int> sel{1};
    EXPECT_TRUE(b.commands.convert_from_list(sel));
    EXPECT_EQ(counts(b.doc), (std::vector<int32_t>{4, 1, 1, 1, 1}));
    const std::vector<int> leaf{2};
    EXPECT_FALSE(b.commands.convert_from_list(leaf));
}

TEST(editing_commands, set_code_word_closes_and_clears_while_commit_keeps) {
    command_bench b;
    build(b.doc, {{2, O | flag_breakpoint}, {1}, {1}});
    b.doc.line(0).format = std::make_unique<prop_list>(prop_list::from_text("style:bold"));
    const std::vector<int> sel{0};
    EXPECT_TRUE(b.commands.set_code_word(sel, cw_rem));
    EXPECT_EQ(b.doc.line(0).code_word, cw_rem);
    EXPECT_EQ(b.doc.line(0).flags, 0);
    EXPECT_EQ(b.doc.line(0).format->source_text, "");
    EXPECT_EQ(b.doc.line(0).count, 2);
    EXPECT_FALSE(b.commands.set_code_word(sel, cw_rem)) << "same word: nothing to do";

    build(b.doc, {{2, O | flag_breakpoint}, {1}, {1}});
    b.doc.line(0).format = std::make_unique<prop_list>(prop_list::from_text("style:bold"));
    b.editor.start(0, edit_kind::code, b.doc.line(0).code_word);
    b.editor.code = "2+2";
    EXPECT_TRUE(b.commands.end_edit(end_edit_mode::commit));
    EXPECT_EQ(b.doc.line(0).code, "2+2");
    EXPECT_EQ(b.doc.line(0).flags, O) << "open kept, breakpoint dropped";
    EXPECT_EQ(b.doc.line(0).format->source_text, "style:bold");
    EXPECT_EQ(b.doc.history().steps().back().name, "end_edit");
    EXPECT_EQ(last_step_records(b.doc).front(), "changed_sli 0 0");
}

TEST(editing_commands, commit_parses_the_format_text_of_a_new_line) {
    // A line made by add_line carries the placeholder set, whose font has no size; what the
    // edit commits must read like a loaded line's empty format, or its values are drawn at
    // size 0 (a dot) in the grid.
    command_bench b;
    build(b.doc, {{1, 0, "x"}});
    const std::vector<int> sel{0};
    ASSERT_EQ(b.commands.add_line(sel, cw_expression), 1);
    EXPECT_EQ(b.doc.line(1).format->font().size, prop_list().font().size);
    b.editor.code = "6*7";
    EXPECT_TRUE(b.commands.end_edit(end_edit_mode::commit));
    EXPECT_EQ(*b.doc.line(1).format, prop_list::from_text(""));
    EXPECT_EQ(b.doc.line(1).format->font().size, 8);
    EXPECT_EQ(format_text(*b.doc.line(1).format), "");
}

TEST(editing_commands, set_code_word_while_editing_only_sets_the_pending_word) {
    command_bench b;
    build(b.doc, {{1}, {1}});
    b.editor.start(0, edit_kind::code, 0);
    const std::vector<int> sel{0};
    EXPECT_FALSE(b.commands.set_code_word(sel, cw_vb));
    EXPECT_EQ(b.editor.word, cw_vb);
    EXPECT_EQ(b.doc.line(0).code_word, 0);
    EXPECT_EQ(b.doc.history().undo_count(), 0);
}

TEST(editing_commands, enter_rules) {
    struct enter_case {
        const char* what;
        std::vector<shape_line> shape;
        int edited;
        int32_t word;
        std::vector<int32_t> counts_after;
        int new_line;     // where the next edit starts, -1 for none
        int32_t new_word; // its pending word
    };
    const std::vector<enter_case> cases{
        {"an if leaf gets a child", {{1}, {1, 0, "x"}}, 0, cw_if, {2, 1, 1}, 1, 0},
        {"a rem line ending its list gets a rem sibling",
         {{2, O}, {1}, {1, 0, "x"}},
         1,
         cw_rem,
         {3, 1, 1, 1},
         2,
         cw_rem},
        {"a vb line followed only by blank code gets a vb line",
         {{1}, {1, 0, ""}, {1, 0, ""}},
         0,
         cw_vb,
         {1, 1, 1, 1},
         1,
         cw_vb},
        {"a let line gets an expression line", {{1}, {1, 0, ""}}, 0, cw_let, {1, 1, 1}, 1, 0},
        {"a line inside a list, code after it: nothing added",
         {{3, O}, {1}, {1}, {1, 0, "x"}},
         1,
         cw_expression,
         {3, 1, 1, 1},
         -1,
         0},
        {"a for line with children: nothing added",
         {{2, O}, {1}, {1, 0, "x"}},
         0,
         cw_for,
         {2, 1, 1},
         -1,
         0},
    };
    for (const enter_case& c : cases) {
        SCOPED_TRACE(c.what);
        command_bench b;
        build(b.doc, c.shape);
        b.doc.line(c.edited).code_word = c.word;
        b.editor.start(c.edited, edit_kind::code, c.word);
        b.commands.end_edit(end_edit_mode::commit_and_continue);
        EXPECT_EQ(counts(b.doc), c.counts_after);
        EXPECT_EQ(b.editor.on, c.new_line >= 0);
        if (c.new_line >= 0) {
            EXPECT_EQ(b.editor.at, c.new_line);
            EXPECT_EQ(b.editor.word, c.new_word);
        }
    }
}

TEST(editing_commands, enter_goes_by_the_word_the_typed_text_gave_the_line) {
    command_bench b;
    build(b.doc, {{1, 0, ""}});
    b.editor.start(0, edit_kind::code, cw_expression);
    b.editor.code = "if 1 > 0";
    b.commands.end_edit(end_edit_mode::commit_and_continue);
    ASSERT_EQ(b.doc.line(0).code_word, cw_if);
    EXPECT_EQ(b.doc.line(0).count, 2); // a child, not a sibling
    EXPECT_TRUE(b.editor.on);
    EXPECT_EQ(b.editor.at, 1);
}

TEST(editing_commands, edit_without_change_records_nothing_and_cancel_keeps_the_line) {
    command_bench b;
    build(b.doc, {{1}, {1}});
    b.editor.start(0, edit_kind::code, 0);
    EXPECT_FALSE(b.commands.end_edit(end_edit_mode::commit));
    b.editor.start(0, edit_kind::code, 0);
    b.editor.code = "changed";
    EXPECT_FALSE(b.commands.end_edit(end_edit_mode::cancel));
    EXPECT_EQ(b.doc.line(0).code, "L0");
    EXPECT_EQ(b.doc.history().undo_count(), 0);
    EXPECT_FALSE(b.editor.on);
}

TEST(editing_commands, commit_keeps_a_trailing_blank_and_runs_when_auto_running) {
    command_bench b;
    build(b.doc, {{1}, {1, 0, ""}});
    b.editor.start(1, edit_kind::code, 0);
    b.editor.code = "1+2";
    b.commands.end_edit(end_edit_mode::commit);
    ASSERT_EQ(b.doc.line_count(), 3);
    EXPECT_EQ(b.doc.line(2).code, "");
    EXPECT_EQ(b.runs, 1);
    EXPECT_EQ(b.doc.history().undo_count(), 1);
    b.commands.undo();
    EXPECT_EQ(b.doc.line_count(), 2) << "one step holds the edit and the new blank line";
}

TEST(editing_commands, delete_refuses_a_list_starting_with_a_list) {
    command_bench b;
    // A(open){ B{ c } }, then d, then T: deleting A and d tells once and deletes only d.
    build(b.doc, {{2, O}, {2}, {1}, {1}, {1}});
    const std::vector<int> sel{0, 3};
    EXPECT_TRUE(b.commands.delete_lines(sel));
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0], cannot_delete_list_start_message);
    EXPECT_EQ(test::codes(b.doc), (std::vector<std::string>{"L0", "L1", "L2", "L4", ""}));

    const std::vector<int> only_a{0};
    EXPECT_FALSE(b.commands.delete_lines(only_a));
    EXPECT_EQ(b.doc.history().undo_count(), 1) << "a refused delete is no step";
}

TEST(editing_commands, delete_several_rows_from_last_to_first) {
    command_bench b;
    // P(open){ a, b }, Q(closed){ c }, T. Deleting P, a, b, Q leaves T and a blank line.
    build(b.doc, {{3, O}, {1}, {1}, {2}, {1}, {1}});
    const std::vector<int> sel{0, 1, 2, 3};
    EXPECT_TRUE(b.commands.delete_lines(sel));
    EXPECT_EQ(test::codes(b.doc), (std::vector<std::string>{"L5", ""}));
    EXPECT_EQ(counts(b.doc), (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(b.doc.history().steps().back().name, "edit_deleteExecute");

    // Deleting everything leaves one blank line.
    build(b.doc, {{2, O}, {1}});
    const std::vector<int> all{0, 1};
    b.commands.delete_lines(all);
    EXPECT_EQ(test::codes(b.doc), (std::vector<std::string>{""}));
}

TEST(editing_commands, delete_and_cut_act_on_the_editor_while_editing) {
    command_bench b;
    build(b.doc, {{1}, {1}});
    b.editor.start(0, edit_kind::code, 0);
    const std::vector<int> sel{0};
    EXPECT_FALSE(b.commands.delete_lines(sel));
    EXPECT_FALSE(b.commands.cut(sel));
    EXPECT_EQ(b.editor.text_deletes, 2);
    EXPECT_EQ(b.doc.line_count(), 2);
}

TEST(editing_commands, cut_copies_then_deletes_as_one_step) {
    command_bench b;
    build(b.doc, {{1}, {1}, {1}});
    const std::vector<int> sel{0, 1};
    EXPECT_TRUE(b.commands.cut(sel));
    EXPECT_EQ(b.copier.copied, sel);
    EXPECT_EQ(test::codes(b.doc), (std::vector<std::string>{"L2", ""}));
    EXPECT_EQ(b.doc.history().steps().back().name, "edit_cutExecute");
    EXPECT_EQ(b.doc.history().undo_count(), 1);
}

TEST(editing_commands, read_only_documents_and_selection_size) {
    command_bench b;
    build(b.doc, {{2}, {1}, {1}});
    b.doc.read_only = true;
    const std::vector<int> one{0}, two{0, 1};
    EXPECT_EQ(b.commands.add_line(one, 0), -1);
    EXPECT_EQ(b.commands.insert_line(one), -1);
    EXPECT_EQ(b.commands.add_child_line(one), -1);
    EXPECT_FALSE(b.commands.delete_lines(one));
    EXPECT_FALSE(b.commands.cut(one));
    EXPECT_FALSE(b.commands.set_code_word(one, cw_rem));
    EXPECT_FALSE(b.commands.paste_format(one, "style:bold"));
    EXPECT_FALSE(b.commands.edit_format(one));
    EXPECT_FALSE(b.commands.convert_from_list(one));
    EXPECT_EQ(b.doc.line_count(), 3);
    EXPECT_EQ(b.doc.history().undo_count(), 0);
    // Lists of read-only pages still open and close.
    EXPECT_TRUE(b.commands.toggle_open_closed(one));
    EXPECT_TRUE(b.doc.line(0).is_open());

    b.doc.read_only = false;
    EXPECT_EQ(b.commands.add_line(two, 0), -1);
    EXPECT_EQ(b.commands.insert_line(two), -1);
    EXPECT_FALSE(b.commands.toggle_open_closed(two));
}

TEST(editing_commands, adding_lines_starts_an_edit_on_the_new_line) {
    command_bench b;
    build(b.doc, {{1}, {1}});
    const std::vector<int> first{0};
    EXPECT_EQ(b.commands.add_line(first, cw_rem), 1);
    EXPECT_TRUE(b.editor.on);
    EXPECT_EQ(b.editor.at, 1);
    EXPECT_EQ(b.editor.word, cw_rem);
    EXPECT_EQ(b.doc.line(1).code_word, cw_rem);
    EXPECT_EQ(b.doc.history().steps().back().name, "add_line");
    b.editor.close();

    EXPECT_EQ(b.commands.insert_line(first), 0);
    EXPECT_EQ(b.editor.at, 0);
    EXPECT_EQ(b.doc.history().steps().back().name, "insert_line");
    b.editor.close();

    // A line with children only opens; the edit starts on its first child.
    build(b.doc, {{2}, {1}, {1}});
    EXPECT_EQ(b.commands.add_child_line(first), 1);
    EXPECT_EQ(counts(b.doc), (std::vector<int32_t>{2, 1, 1}));
    EXPECT_TRUE(b.doc.line(0).is_open());
    EXPECT_EQ(b.doc.history().steps().back().name, "add_child_line");
}

TEST(editing_commands, open_and_close) {
    command_bench b;
    build(b.doc, {{2}, {1}, {1}});
    const std::vector<int> head{0}, leaf{2};
    EXPECT_FALSE(b.commands.close_list(head)) << "already closed";
    EXPECT_TRUE(b.commands.open_list(head));
    EXPECT_FALSE(b.commands.open_list(head));
    EXPECT_TRUE(b.commands.toggle_open_closed(head));
    EXPECT_FALSE(b.doc.line(0).is_open());
    EXPECT_FALSE(b.commands.toggle_open_closed(leaf));
    EXPECT_EQ(b.doc.history().undo_count(), 2);
    EXPECT_EQ(b.doc.history().steps().back().name, "toggle_open_closed");

    b.commands.expand_all();
    EXPECT_TRUE(b.doc.line(0).is_open() && b.doc.line(2).is_open());
    b.commands.collapse_all();
    EXPECT_FALSE(b.doc.line(0).is_open());
    EXPECT_TRUE(b.commands.toggle_breakpoint(leaf));
    EXPECT_TRUE(b.doc.line(2).has_flag(flag_breakpoint));
    EXPECT_EQ(b.doc.history().undo_count(), 2) << "expand, collapse and breakpoints are no steps";
}

TEST(editing_commands, format_editor_sees_the_common_format) {
    command_bench b;
    build(b.doc, {{1}, {1}, {1}});
    b.doc.line(0).format =
        std::make_unique<prop_list>(prop_list::from_text("style:bold; align:right"));
    b.doc.line(1).format = std::make_unique<prop_list>(prop_list::from_text("align:right"));
    b.formats.answer = "colour:$0000FF";
    const std::vector<int> sel{0, 1};
    EXPECT_TRUE(b.commands.edit_format(sel));
    EXPECT_EQ(b.formats.shown, "align:right");
    EXPECT_EQ(b.doc.line(0).format->source_text, "colour:$0000FF");
    EXPECT_EQ(b.doc.line(1).format->source_text, "colour:$0000FF");
    EXPECT_EQ(b.runs, 1);
    EXPECT_EQ(b.doc.history().steps().back().name, "edit_formatExecute");

    b.formats.confirm = false;
    EXPECT_FALSE(b.commands.edit_format(sel));
    EXPECT_EQ(b.doc.history().undo_count(), 1);

    b.doc.auto_running = false;
    const std::vector<int> last{2};
    EXPECT_TRUE(b.commands.paste_format(last, "style:italic"));
    EXPECT_EQ(b.doc.line(2).format->source_text, "style:italic");
    EXPECT_EQ(b.runs, 1) << "no auto run: the display refreshes instead";
    EXPECT_EQ(b.doc.history().steps().back().name, "edit_paste_formatExecute");
}

TEST(editing_commands, auto_run_switch_is_one_step) {
    command_bench b;
    EXPECT_TRUE(b.commands.toggle_auto_run());
    EXPECT_FALSE(b.doc.auto_running);
    EXPECT_EQ(b.runs, 0);
    EXPECT_EQ(last_step_records(b.doc), (std::vector<std::string>{"auto_running 0 0"}));
    b.commands.undo();
    EXPECT_TRUE(b.doc.auto_running);
}

} // namespace
} // namespace mondrel
