// The undo history: steps, the saved mark, every record form applied both ways any number of
// times, and a randomised check that undoing everything gives the starting document back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "document/code_words.h"
#include "test_editing_support.h"

namespace mondrel {
namespace {

using test::build;
using test::codes;
using test::command_bench;
using test::counts;
using test::picture;
using test::shape_line;

constexpr int32_t O = flag_open;

line_ptr blank(const char* code = "new") {
    return std::make_unique<source_list_item>(1, "", code);
}

// Runs one operation as a step of its own.
template <typename Op> void step(mondrel_doc& doc, Op op) {
    doc.history().begin_group("step");
    op();
    doc.history().end_group();
}

TEST(undo_history, add_after_a_leaf_undo_and_redo) {
    mondrel_doc doc;
    build(doc, {{3, O}, {1}, {1}, {1}});
    const std::string before = picture(doc);
    step(doc, [&] { doc.add_after_sli(blank(), 1); });
    const std::string after = picture(doc);
    EXPECT_TRUE(doc.undo().applied);
    EXPECT_EQ(picture(doc), before);
    EXPECT_TRUE(doc.redo().applied);
    EXPECT_EQ(picture(doc), after);
    EXPECT_EQ(doc.line(2).code, "new");
}

TEST(undo_history, every_record_form_serves_many_passes) {
    struct form_case {
        const char* what;
        std::vector<shape_line> shape;
        std::function<void(mondrel_doc&)> op;
    };
    const std::vector<form_case> cases{
        {"append", {{1}}, [](mondrel_doc& d) { d.add_sli(blank()); }},
        {"after a leaf", {{2, O}, {1}, {1}}, [](mondrel_doc& d) { d.add_after_sli(blank(), 1); }},
        {"after line 0, a top-level leaf",
         {{1}, {1}},
         [](mondrel_doc& d) { d.add_after_sli(blank(), 0); }},
        {"after an open head", {{2, O}, {1}}, [](mondrel_doc& d) { d.add_after_sli(blank(), 0); }},
        {"after a closed list",
         {{1}, {2}, {2}, {1}, {1}},
         [](mondrel_doc& d) { d.add_after_sli(blank(), 1); }},
        {"insert", {{2, O}, {1}, {1}}, [](mondrel_doc& d) { d.insert_sli(blank(), 1); }},
        {"insert a head",
         {{3, O}, {1}, {1}, {1}},
         [](mondrel_doc& d) { d.insert_sli(blank(), 0); }},
        {"add a child", {{1}, {1}}, [](mondrel_doc& d) { d.add_child_sli(blank(), 0); }},
        {"delete a leaf", {{3, O}, {1}, {1}}, [](mondrel_doc& d) { d.delete_sli(1); }},
        {"delete an open head",
         {{2, O}, {3, O}, {1}, {1}, {1}},
         [](mondrel_doc& d) { d.delete_sli(1); }},
        {"delete a closed list of two",
         {{1}, {2}, {1}, {1}},
         [](mondrel_doc& d) { d.delete_sli(1); }},
        {"delete a nested closed list",
         {{2, O}, {3}, {2, O}, {1}, {1}, {1}, {1}},
         [](mondrel_doc& d) { d.delete_sli(1); }},
        {"set_count", {{2}, {1}, {1}, {1}}, [](mondrel_doc& d) { d.set_count(2); }},
        {"moved_lines forwards",
         {{1}, {2}, {1}, {1}},
         [](mondrel_doc& d) { d.moved_lines(0, 2, 1); }},
        {"moved_lines backwards",
         {{1}, {2}, {1}, {1}},
         [](mondrel_doc& d) { d.moved_lines(1, -1, 2); }},
        {"flag_set", {{1}}, [](mondrel_doc& d) { d.flag_set(0, flag_breakpoint, true); }},
        {"changed_fmt",
         {{1}},
         [](mondrel_doc& d) {
             d.changed_fmt(0, std::make_unique<prop_list>(prop_list::from_text("style:bold")));
         }},
        {"changed_sli", {{2}, {1}}, [](mondrel_doc& d) { d.changed_sli(0, blank()); }},
        {"changed_cnt", {{2}, {1}}, [](mondrel_doc& d) { d.changed_cnt(0, 1); }},
        {"changed_display_fmt",
         {{1}},
         [](mondrel_doc& d) {
             d.changed_display_fmt(3, std::make_unique<prop_list>(prop_list::from_text("size:12")));
         }},
        {"changed_grid", {{1}}, [](mondrel_doc& d) { d.changed_grid(30, 2); }},
        {"properties",
         {{1}},
         [](mondrel_doc& d) {
             d.changed_created_by("author");
             d.changed_description("about");
             d.flip_auto_running();
         }},
    };
    for (const form_case& c : cases) {
        SCOPED_TRACE(c.what);
        mondrel_doc doc;
        build(doc, c.shape);
        const std::string before = picture(doc);
        step(doc, [&] { c.op(doc); });
        const std::string after = picture(doc);
        ASSERT_NE(before, after);
        for (int pass = 0; pass < 3; ++pass) {
            doc.undo();
            EXPECT_EQ(picture(doc), before) << "pass " << pass;
            doc.redo();
            EXPECT_EQ(picture(doc), after) << "pass " << pass;
        }
    }
}

TEST(undo_history, a_closed_list_comes_back_line_by_line) {
    mondrel_doc doc;
    // X, C{ D(open){ e, f }, g, H{ i } }, T: deleting C makes one record per line.
    build(doc, {{1}, {4}, {3, O}, {1}, {1}, {1}, {2}, {1}, {1}});
    const std::string before = picture(doc);
    step(doc, [&] { doc.delete_sli(1); });
    EXPECT_EQ(codes(doc), (std::vector<std::string>{"L0", "L8"}));
    EXPECT_EQ(doc.history().changes().size(), 7u);
    doc.undo();
    EXPECT_EQ(picture(doc), before);
    doc.redo();
    EXPECT_EQ(codes(doc), (std::vector<std::string>{"L0", "L8"}));
    doc.undo();
    EXPECT_EQ(picture(doc), before);
}

TEST(undo_history, trailing_blank_added_by_a_command_is_undone_with_it) {
    command_bench b;
    build(b.doc, {{1}, {1}});
    const std::string before = picture(b.doc);
    const std::vector<int> all{0, 1};
    b.commands.delete_lines(all);
    EXPECT_EQ(codes(b.doc), (std::vector<std::string>{""}));
    b.commands.undo();
    EXPECT_EQ(picture(b.doc), before);
}

TEST(undo_history, deleting_an_open_head_undo_then_redo) {
    mondrel_doc doc;
    build(doc, {{1}, {3, O}, {1}, {1}, {1}});
    step(doc, [&] { doc.delete_sli(1); });
    const std::string deleted = picture(doc);
    doc.undo();
    doc.redo();
    EXPECT_EQ(picture(doc), deleted);
    EXPECT_EQ(counts(doc), (std::vector<int32_t>{1, 2, 1, 1}));
}

TEST(undo_history, steps_and_redo_steps) {
    command_bench b;
    build(b.doc, {{1}, {1}, {1}});
    const std::vector<int> first{0};
    b.commands.add_line(first, 0);
    b.editor.close();
    b.commands.add_line(first, 0);
    b.editor.close();
    EXPECT_EQ(b.doc.history().undo_count(), 2);

    // A command that records nothing is no step: undo undoes the command before it, and the
    // redo steps survive it.
    const std::vector<int> leaf{2};
    EXPECT_FALSE(b.commands.convert_from_list(leaf));
    EXPECT_EQ(b.doc.history().undo_count(), 2);
    EXPECT_TRUE(b.commands.undo());
    EXPECT_EQ(b.doc.line_count(), 4);
    EXPECT_FALSE(b.commands.toggle_open_closed(leaf));
    EXPECT_EQ(b.doc.history().redo_count(), 1);

    // An edit after two undos discards both: nothing left to redo.
    EXPECT_TRUE(b.commands.undo());
    EXPECT_EQ(b.doc.history().redo_count(), 2);
    b.commands.insert_line(first);
    b.editor.close();
    EXPECT_EQ(b.doc.history().redo_count(), 0);
    EXPECT_EQ(b.doc.history().undo_count(), 1);
    EXPECT_FALSE(b.commands.redo()) << "redo with nothing undone does nothing";
    EXPECT_EQ(b.doc.line_count(), 4);

    // No undo while a line is edited.
    b.editor.start(0, edit_kind::code, 0);
    EXPECT_FALSE(b.commands.undo());
    b.editor.close();
    EXPECT_TRUE(b.commands.undo());
    EXPECT_FALSE(b.commands.undo()) << "nothing left";
}

TEST(undo_history, saved_mark) {
    command_bench b;
    build(b.doc, {{1}, {1}});
    const std::vector<int> first{0};
    auto edit = [&] { b.commands.paste_format(first, "style:bold"); };
    EXPECT_FALSE(b.doc.is_modified());
    edit();
    b.doc.mark_saved();
    EXPECT_FALSE(b.doc.is_modified());
    edit();
    EXPECT_TRUE(b.doc.is_modified());
    b.commands.undo();
    EXPECT_FALSE(b.doc.is_modified()) << "back at the saved point";
    b.commands.undo();
    EXPECT_TRUE(b.doc.is_modified()) << "past the saved point";
    b.commands.redo();
    EXPECT_FALSE(b.doc.is_modified());

    // Saved with two steps done; undo both and make two new edits: the same number of steps,
    // but the saved state is gone for good.
    edit();
    b.doc.mark_saved();
    b.commands.undo();
    b.commands.undo();
    edit();
    EXPECT_TRUE(b.doc.is_modified());
    edit();
    EXPECT_EQ(b.doc.history().undo_count(), 2);
    EXPECT_TRUE(b.doc.is_modified());
}

TEST(undo_history, saved_mark_survives_a_new_edit_made_at_the_saved_point) {
    // Saved after one step; a second step is undone (back at the saved point) and a new edit
    // made there. The saved state is still the first step, so undoing the new edit is clean.
    command_bench b;
    build(b.doc, {{1}, {1}});
    const std::vector<int> first{0};
    b.commands.paste_format(first, "style:bold");
    b.doc.mark_saved();
    b.commands.paste_format(first, "style:italic");
    b.commands.undo();
    ASSERT_FALSE(b.doc.is_modified());
    b.commands.paste_format(first, "colour:$0000FF");
    EXPECT_TRUE(b.doc.is_modified()) << "the new edit";
    EXPECT_FALSE(b.commands.redo()) << "the undone step is gone";
    b.commands.undo();
    EXPECT_FALSE(b.doc.is_modified()) << "the saved state again";
    b.commands.undo();
    EXPECT_TRUE(b.doc.is_modified());
    b.commands.redo();
    b.commands.redo();
    EXPECT_TRUE(b.doc.is_modified()) << "the new edit redone";
}

TEST(undo_history, nested_groups_make_one_step) {
    mondrel_doc doc;
    build(doc, {{1}});
    doc.history().begin_group("outer");
    doc.add_sli(blank());
    doc.history().begin_group("inner");
    doc.add_sli(blank());
    doc.history().end_group();
    doc.add_sli(blank());
    doc.history().end_group();
    ASSERT_EQ(doc.history().undo_count(), 1);
    EXPECT_EQ(doc.history().steps()[0].name, "outer");
    doc.undo();
    EXPECT_EQ(doc.line_count(), 1);
}

TEST(undo_history, grid_change_keeps_a_width_per_column) {
    mondrel_doc doc;
    doc.col_widths()[8] = 77;
    step(doc, [&] { doc.changed_grid(20, 6); });
    ASSERT_EQ(doc.col_widths().size(), 11u);
    EXPECT_EQ(doc.col_widths()[8], 77) << "existing widths kept";
    EXPECT_EQ(doc.col_widths()[10], 50) << "new columns take the default";
    doc.undo();
    EXPECT_EQ(doc.data_cols(), 4);
    EXPECT_EQ(doc.row_height(), 16);
    EXPECT_EQ(doc.col_widths().size(), 9u);
    doc.redo();
    EXPECT_EQ(doc.col_widths().size(), 11u);
    EXPECT_EQ(doc.row_height(), 20);

    step(doc, [&] { doc.changed_grid(16, 99); });
    EXPECT_EQ(doc.data_cols(), max_data_cols) << "the grid has no more columns";
    EXPECT_EQ(static_cast<int>(doc.col_widths().size()), max_data_cols + 5);
}

TEST(undo_history, undoing_a_format_runs_an_auto_running_sheet) {
    command_bench b;
    build(b.doc, {{1}, {1}});
    const std::vector<int> first{0};
    b.commands.paste_format(first, "style:bold");
    EXPECT_EQ(b.runs, 1);
    b.commands.undo();
    EXPECT_EQ(b.runs, 2);
    b.doc.auto_running = false;
    const int refreshes = b.ui.refreshes;
    b.commands.redo();
    EXPECT_EQ(b.runs, 2);
    EXPECT_EQ(b.ui.refreshes, refreshes + 1);
}

TEST(undo_history, a_damaged_history_is_skipped_not_followed) {
    mondrel_doc doc;
    build(doc, {{2, O}, {1}, {1}});
    step(doc, [&] { doc.delete_sli(2); });
    step(doc, [&] { doc.add_after_sli(blank(), 1); });
    // Lines removed behind the history's back (as a careless caller could).
    doc.clear();
    EXPECT_TRUE(doc.undo().applied);
    EXPECT_TRUE(doc.undo().applied);
    EXPECT_EQ(doc.line_count(), 0) << "no record fits an empty sheet";
    EXPECT_TRUE(doc.redo().applied);
    EXPECT_EQ(doc.line_count(), 0);
}

// Deleting several lines at once must match deleting them one by one, from the last to the
// first, each followed by ensure_trailing_blank: the same lines and the same records.
std::string records_text(const mondrel_doc& doc) {
    std::string out = doc.history().dump();
    for (const change_item& r : doc.history().changes())
        out += (r.line ? r.line->code : std::string("-")) + " " + std::to_string(r.value) + "\n";
    return out;
}

// ---- Randomised: undo everything, redo everything --------------------------------------------

// Appends a random subtree at `depth`; returns its number of lines.
void random_subtree(std::vector<shape_line>& out, std::mt19937& rng, int depth, int& budget) {
    const size_t at = out.size();
    out.push_back({1, static_cast<int32_t>(rng() % 2 ? O : 0), nullptr});
    if (rng() % 7 == 0) out[at].flags |= flag_breakpoint;
    --budget;
    if (depth >= 5 || budget <= 0 || rng() % 3 != 0) return;
    const int kids = 1 + static_cast<int>(rng() % 4);
    int made = 0;
    for (; made < kids && budget > 0; ++made)
        random_subtree(out, rng, depth + 1, budget);
    out[at].count = 1 + made;
}

void random_document(mondrel_doc& doc, std::mt19937& rng) {
    std::vector<shape_line> shape;
    int budget = 5 + static_cast<int>(rng() % 40);
    while (budget > 0)
        random_subtree(shape, rng, 0, budget);
    build(doc, shape);
    const char* formats[] = {"", "style:bold", "align:right; number:0.00", "colour:$0000FF"};
    for (int i = 0; i < doc.line_count(); ++i) {
        source_list_item& l = doc.line(i);
        l.code_word = static_cast<int32_t>(rng() % code_word_count);
        if (rng() % 3 == 0) l.name = "n" + std::to_string(i);
        if (rng() % 4 == 0) l.code.clear();
        l.format = std::make_unique<prop_list>(prop_list::from_text(formats[rng() % 4]));
    }
}

// True when every list's children are in the array.
bool sound_tree(const mondrel_doc& doc) {
    std::vector<int32_t> remaining;
    for (int i = 0; i < doc.line_count(); ++i) {
        if (!remaining.empty()) --remaining.back();
        if (doc.line(i).count > 1) remaining.push_back(doc.line(i).count - 1);
        while (!remaining.empty() && remaining.back() == 0)
            remaining.pop_back();
    }
    return remaining.empty();
}

std::vector<int> random_selection(const mondrel_doc& doc, std::mt19937& rng, bool single) {
    const int first = static_cast<int>(rng() % doc.line_count());
    const int size = single ? 1 : 1 + static_cast<int>(rng() % 4);
    std::vector<int> sel;
    for (int i = first; i < doc.line_count() && static_cast<int>(sel.size()) < size; ++i)
        sel.push_back(i);
    return sel;
}

// Swaps a top-level subtree with the next one (a sheet-level move that keeps the tree sound).
void swap_top_level(mondrel_doc& doc, std::mt19937& rng) {
    const line_tree& tree = doc.tree();
    std::vector<int> tops;
    for (int i = 0; i < doc.line_count(); i += std::max(1, tree.subtree_size(i)))
        tops.push_back(i);
    if (tops.size() < 2) return;
    const size_t k = rng() % (tops.size() - 1);
    const int a = tops[k], b = tops[k + 1];
    const int b_size = tree.subtree_size(b);
    step(doc, [&] { doc.moved_lines(a, b_size, b - a); });
}

void random_command(command_bench& b, std::mt19937& rng) {
    mondrel_doc& doc = b.doc;
    const std::vector<int> sel = random_selection(doc, rng, false);
    const std::vector<int> one = random_selection(doc, rng, true);
    const int32_t words[] = {cw_expression, cw_rem, cw_vb, cw_if, cw_for, cw_let};
    const int32_t word = words[rng() % 6];
    const char* formats[] = {"", "style:italic", "size:12; align:centre"};
    switch (rng() % 21) {
    case 0:
        b.commands.add_line(one, word);
        break;
    case 1:
        b.commands.insert_line(one);
        break;
    case 2:
        b.commands.add_child_line(one);
        break;
    case 3:
        b.commands.delete_lines(sel);
        break;
    case 4:
        b.commands.cut(sel);
        break;
    case 5:
        b.commands.convert_to_list(sel);
        break;
    case 6:
        b.commands.convert_from_list(sel);
        break;
    case 7:
        b.commands.set_code_word(sel, word);
        break;
    case 8:
        b.commands.toggle_open_closed(one);
        break;
    case 9:
        rng() % 2 ? b.commands.open_list(one) : b.commands.close_list(one);
        break;
    case 10:
        b.formats.answer = formats[rng() % 3];
        b.commands.edit_format(sel);
        break;
    case 11:
        b.commands.paste_format(sel, formats[rng() % 3]);
        break;
    case 12:
    case 13:
        if (!b.editor.on)
            b.editor.start(one.front(), edit_kind::code, doc.line(one.front()).code_word);
        if (rng() % 2) b.editor.code = rng() % 3 ? "x+" + std::to_string(rng() % 9) : "";
        if (rng() % 3 == 0) b.editor.name = rng() % 2 ? "v" : "";
        if (rng() % 3 == 0) b.editor.word = word;
        b.commands.end_edit(static_cast<end_edit_mode>(rng() % 3));
        break;
    case 14:
        b.commands.toggle_auto_run();
        break;
    case 15:
    case 16:
        // Sheet-level changes made by other commands (options, properties, paste).
        b.editor.close();
        switch (rng() % 4) {
        case 0:
            step(doc, [&] {
                doc.changed_grid(10 + static_cast<int>(rng() % 20),
                                 1 + static_cast<int>(rng() % 8));
            });
            break;
        case 1:
            step(doc, [&] {
                doc.changed_display_fmt(
                    static_cast<int>(rng() % 8),
                    std::make_unique<prop_list>(prop_list::from_text(formats[rng() % 3])));
                doc.changed_created_by("a" + std::to_string(rng() % 5));
                doc.changed_description("d" + std::to_string(rng() % 5));
            });
            break;
        case 2:
            swap_top_level(doc, rng);
            break;
        case 3: {
            // Cut the last top-level subtree off, as paste cuts its appended block.
            const line_tree& tree = doc.tree();
            int last_top = 0;
            for (int i = 0; i < doc.line_count(); i += std::max(1, tree.subtree_size(i)))
                last_top = i;
            if (last_top > 0)
                step(doc, [&] {
                    doc.set_count(last_top);
                    doc.ensure_trailing_blank();
                });
            break;
        }
        }
        break;
    case 17:
    case 18:
        b.commands.undo();
        break;
    case 19:
        b.commands.redo();
        break;
    default:
        if (b.editor.on) b.commands.end_edit(end_edit_mode::cancel);
        break;
    }
}

TEST(undo_history, deleting_many_lines_matches_deleting_one_by_one) {
    for (int seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(static_cast<unsigned>(seed));
        mondrel_doc one_by_one, at_once;
        random_document(one_by_one, rng);
        std::mt19937 same(static_cast<unsigned>(seed));
        random_document(at_once, same);
        std::vector<int> sel;
        const int n = one_by_one.line_count();
        const int picks = 1 + static_cast<int>(rng() % (n < 20 ? n : 20));
        for (int k = 0; k < picks; ++k)
            sel.push_back(static_cast<int>(rng() % (n + 2)) - 1); // a few outside the array
        if (rng() % 4 == 0) {                                     // or every line
            sel.clear();
            for (int i = 0; i < n; ++i)
                sel.push_back(i);
        }

        std::vector<int> order;
        for (int i : sel)
            if (i >= 0 && i < n) order.push_back(i);
        std::sort(order.begin(), order.end());
        order.erase(std::unique(order.begin(), order.end()), order.end());
        std::vector<int> parents;
        for (int i : order)
            parents.push_back(one_by_one.parent_of(i));
        one_by_one.history().begin_group("d");
        for (size_t k = order.size(); k-- > 0;) {
            one_by_one.delete_sli(order[k], parents[k]);
            one_by_one.ensure_trailing_blank();
        }
        one_by_one.history().end_group();

        at_once.history().begin_group("d");
        at_once.delete_lines(sel);
        at_once.history().end_group();

        ASSERT_EQ(picture(at_once), picture(one_by_one));
        ASSERT_EQ(records_text(at_once), records_text(one_by_one));
        at_once.undo();
        one_by_one.undo();
        ASSERT_EQ(picture(at_once), picture(one_by_one));
    }
}

int seeds_to_run() {
    if (const char* s = std::getenv("MONDREL_UNDO_SEEDS")) return std::max(1, std::atoi(s));
    return 2000;
}

TEST(undo_history, random_commands_undo_to_the_start_and_redo_to_the_end) {
    const int seeds = seeds_to_run();
    for (int seed = 1; seed <= seeds; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(static_cast<unsigned>(seed));
        command_bench b;
        random_document(b.doc, rng);
        const std::string start = picture(b.doc);
        const int commands = 100 + static_cast<int>(rng() % 200);
        for (int k = 0; k < commands; ++k) {
            random_command(b, rng);
            ASSERT_TRUE(sound_tree(b.doc)) << "after command " << k;
            ASSERT_GT(b.doc.line_count(), 0);
        }
        b.editor.close();
        while (b.commands.redo()) {
        }
        const std::string end = picture(b.doc);
        while (b.commands.undo()) {
        }
        ASSERT_EQ(picture(b.doc), start);
        while (b.commands.redo()) {
        }
        ASSERT_EQ(picture(b.doc), end);
        // The records swapped their state back and forth: a second pass must agree.
        while (b.commands.undo()) {
        }
        ASSERT_EQ(picture(b.doc), start) << "second undo pass";
    }
}

} // namespace
} // namespace mondrel
