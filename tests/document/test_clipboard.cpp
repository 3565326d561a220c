// Copy, cut and paste through the clipboard, copy and paste of formats, and copy cells.

#include <gtest/gtest.h>

#include <string>

#include "document/clipboard.h"
#include "document/codesheet_file.h"
#include "document/editing_commands.h"
#include "document/line_text.h"
#include "test_file_helpers.h"

namespace mondrel {
namespace {

using namespace mondrel::test;

TEST(clipboard_copy, selections_and_their_forms) {
    mondrel_doc doc;
    set_lines(doc, {
                       "c 3 if a",    // 0 closed list
                       "o 1 b:=b",    // 1
                       "c 1 c:=c",    // 2
                       "o 3 while d", // 3 open list
                       "c 1 e:=e",    // 4
                       "c 2 for f",   // 5 closed list inside the open one
                       "c 1 g:=g",    // 6
                       "c 1 =",       // 7
                   });
    struct case_ {
        int first, last;
        const char* text;
    };
    const case_ cases[] = {
        {0, 0, "c 3 if a\r\no 1 b:=b\r\nc 1 c:=c\r\n"}, // a closed list goes whole
        {3, 3, "o 1 while d\r\n"},                      // an open head alone: single form
        {3, 4, "o 1 while d\r\nc 1 e:=e\r\n"},          // its subtree runs past the selection
        {3, 5, "o 3 while d\r\nc 1 e:=e\r\nc 2 for f\r\nc 1 g:=g\r\n"}, // ends inside it
        {4, 7, "c 1 e:=e\r\nc 2 for f\r\nc 1 g:=g\r\nc 1 =\r\n"},
        {7, 4, "c 1 e:=e\r\nc 2 for f\r\nc 1 g:=g\r\nc 1 =\r\n"}, // ends in either order
    };
    memory_clipboard clip;
    for (const case_& c : cases) {
        SCOPED_TRACE(c.text);
        copy_lines(doc, c.first, c.last, clip);
        EXPECT_EQ(clip.text().value_or("<none>"), c.text);
    }
}

TEST(clipboard_paste, a_list_over_the_trailing_blank_line) {
    mondrel_doc doc;
    set_lines(doc, {"c 1 x:=x", "c 1 ="});
    memory_clipboard clip;
    clip.set_text("c 2 v1:=1\r\nc 1 v2:=2\r\n");
    const paste_outcome r = paste_lines(doc, 1, 1, clip);
    EXPECT_TRUE(r.pasted);
    EXPECT_TRUE(r.line_text);
    EXPECT_EQ(r.lines, 2);
    EXPECT_EQ(shape(doc), "c 1 x:=x | c 2 v1:=1 | c 1 v2:=2 | c 1 =");
}

TEST(clipboard_paste, prose_becomes_comment_lines) {
    mondrel_doc doc;
    set_lines(doc, {"c 1 ="});
    memory_clipboard clip;
    clip.set_text("First line of prose.\nSecond: 1 + 1 = 2\n\tThird <b>\n");
    const paste_outcome r = paste_lines(doc, 0, 0, clip);
    EXPECT_FALSE(r.line_text);
    EXPECT_EQ(shape(doc), "c 1 rem First line of prose. | c 1 rem Second: 1 + 1 = 2 | "
                          "c 1 rem \tThird <b> | c 1 =");
}

TEST(clipboard_paste, an_unreadable_text_line_is_kept_as_a_comment) {
    mondrel_doc doc;
    set_lines(doc, {"c 1 ="});
    memory_clipboard clip;
    clip.set_text("c 1 v1:=1\r\no 1 x:5\r\n");
    paste_lines(doc, 0, 0, clip);
    EXPECT_EQ(shape(doc), "c 1 v1:=1 | c 1 rem o 1 x:5 | c 1 =");
}

TEST(clipboard_paste, in_front_of_an_open_head_both_trees_stay_intact) {
    mondrel_doc doc;
    set_lines(doc, {"o 2 if a", "c 1 b:=b", "c 1 c:=c", "c 1 ="});
    memory_clipboard clip;
    clip.set_text("c 2 while p\r\nc 1 q:=q\r\n");
    // The pasted lines take the place of =c, in front of which they go.
    paste_lines(doc, 2, 2, clip);
    EXPECT_EQ(shape(doc), "o 2 if a | c 1 b:=b | c 2 while p | c 1 q:=q | c 1 =");

    // Selecting the open head itself: the pasted list goes in front of it, and deleting the
    // head hands its place to its first child, which keeps the rest of the list.
    set_lines(doc, {"c 1 z:=z", "o 3 if a", "c 1 b:=b", "c 1 c:=c", "c 1 ="});
    paste_lines(doc, 1, 1, clip);
    EXPECT_EQ(shape(doc), "c 1 z:=z | c 2 while p | c 1 q:=q | o 2 b:=b | c 1 c:=c | c 1 =");
    EXPECT_TRUE(tree_is_sound(doc));
}

TEST(clipboard_paste, inside_a_list_the_parent_gains_the_top_level_lines) {
    mondrel_doc doc;
    set_lines(doc, {"o 3 if a", "c 1 b:=b", "c 1 c:=c", "c 1 ="});
    memory_clipboard clip;
    clip.set_text("c 3 for i\r\nc 1 p:=p\r\nc 1 q:=q\r\nc 1 r:=r\r\nc 1 s:=s\r\n");
    paste_lines(doc, 2, 2, clip);
    EXPECT_EQ(shape(doc), "o 5 if a | c 1 b:=b | c 3 for i | c 1 p:=p | c 1 q:=q | c 1 r:=r | "
                          "c 1 s:=s | c 1 =");
    EXPECT_TRUE(tree_is_sound(doc));
}

TEST(clipboard_paste, a_count_beyond_the_pasted_lines_is_repaired) {
    mondrel_doc doc;
    set_lines(doc, {"o 2 if a", "c 1 b:=b", "c 1 c:=c", "c 1 ="});
    memory_clipboard clip;
    clip.set_text("c 9 p:=p\r\nc 1 q:=q\r\n");
    const paste_outcome r = paste_lines(doc, 1, 1, clip);
    EXPECT_EQ(r.repaired, 1);
    EXPECT_EQ(shape(doc), "o 2 if a | c 2 p:=p | c 1 q:=q | c 1 c:=c | c 1 =");
}

TEST(clipboard_paste, one_undo_step_restores_the_document) {
    mondrel_doc doc;
    set_lines(doc, {"o 3 if a", "c 1 b:=b", "c 1 c:=c", "c 1 d:=d", "c 1 ="});
    const std::string before = shape(doc);
    memory_clipboard clip;
    clip.set_text("o 2 while p\r\nc 1 q:=q\r\nc 1 r:=r\r\n");
    paste_lines(doc, 1, 2, clip);
    const std::string after = shape(doc);
    EXPECT_EQ(after, "o 3 if a | o 2 while p | c 1 q:=q | c 1 r:=r | c 1 d:=d | c 1 =");
    EXPECT_EQ(doc.history().undo_count(), 1);
    doc.undo();
    EXPECT_EQ(shape(doc), before);
    doc.redo();
    EXPECT_EQ(shape(doc), after);
}

TEST(clipboard_paste, refused_on_a_read_only_document_and_for_an_empty_clipboard) {
    mondrel_doc doc;
    set_lines(doc, {"c 1 a:=a", "c 1 ="});
    memory_clipboard clip;
    EXPECT_FALSE(paste_lines(doc, 0, 0, clip).pasted) << "no text";
    clip.set_text("");
    EXPECT_FALSE(paste_lines(doc, 0, 0, clip).pasted) << "empty text";
    clip.set_text("c 1 z:=z\r\n");
    doc.read_only = true;
    EXPECT_FALSE(paste_lines(doc, 0, 0, clip).pasted);
    EXPECT_EQ(shape(doc), "c 1 a:=a | c 1 =");
    EXPECT_EQ(doc.history().undo_count(), 0);
}

TEST(clipboard_paste, takes_at_most_99999_characters_in_whole_lines) {
    std::string text;
    while (text.size() < 100500)
        text += "c 1 rem " + std::string(92, 'x') + "\r\n"; // 102 characters a line
    mondrel_doc doc;
    set_lines(doc, {"c 1 ="});
    memory_clipboard clip;
    clip.set_text(text);
    const paste_outcome r = paste_lines(doc, 0, 0, clip);
    EXPECT_TRUE(r.truncated);
    EXPECT_TRUE(r.line_text);
    EXPECT_EQ(r.lines, 99999 / 102);
    EXPECT_EQ(doc.line(r.lines - 1).code, std::string(92, 'x')) << "no half line";

    // Characters, not bytes: 99,999 two-byte characters on one line are all taken.
    std::string wide;
    for (int i = 0; i < 99999; ++i)
        wide += "\xC3\xA9";
    clip.set_text(wide);
    mondrel_doc doc2;
    const paste_outcome r2 = paste_lines(doc2, 0, 0, clip);
    EXPECT_FALSE(r2.truncated);
    EXPECT_EQ(doc2.line(0).code, wide);
}

// Cut is the editing command; the clipboard supplies its copying half.
TEST(clipboard_cut, copies_deletes_and_undoes_in_one_step) {
    mondrel_doc doc;
    set_lines(doc, {"c 1 a:=a", "c 2 if b", "c 1 c:=c", "c 1 d:=d", "c 1 ="});
    const std::string before = shape(doc);
    memory_clipboard clip;
    clipboard_copier copier(clip);
    command_ports ports;
    ports.copier = &copier;
    editing_commands commands(doc, ports);
    const int rows[] = {1, 3}; // the closed list and the line after it
    EXPECT_TRUE(commands.cut(rows));
    EXPECT_EQ(clip.text().value_or(""), "c 2 if b\r\nc 1 c:=c\r\nc 1 d:=d\r\n");
    EXPECT_EQ(shape(doc), "c 1 a:=a | c 1 =");
    doc.undo();
    EXPECT_EQ(shape(doc), before);

    // Cut then paste elsewhere moves the lines.
    const int list[] = {1};
    commands.cut(list);
    const int top[] = {0};
    paste_lines(doc, top, clip);
    EXPECT_EQ(shape(doc), "c 2 if b | c 1 c:=c | c 1 d:=d | c 1 =");
}

TEST(clipboard_paste, with_no_selection_pastes_at_the_end) {
    mondrel_doc doc;
    set_lines(doc, {"c 1 a:=a", "c 1 ="});
    memory_clipboard clip;
    clip.set_text("c 1 rem added\r\n");
    paste_lines(doc, line_selection{}, clip);
    EXPECT_EQ(shape(doc), "c 1 a:=a | c 1 = | c 1 rem added | c 1 =");
}

TEST(clipboard_format, copy_format_feeds_paste_format) {
    mondrel_doc doc;
    set_lines(doc, {"c 1 v1:=1      ''f style:bold; align:right", "c 2 if x", "c 1 v2:=2",
                    "c 1 v3:=3", "c 1 ="});
    const std::string kept = copy_format(doc, 0);
    EXPECT_EQ(kept, "style:bold; align:right");
    EXPECT_EQ(copy_format(doc, 99), "");
    editing_commands commands(doc, command_ports{});
    const int rows[] = {1, 3}; // the closed list's hidden child keeps its format
    EXPECT_TRUE(commands.paste_format(rows, kept));
    EXPECT_EQ(format_text(*doc.line(1).format), kept);
    EXPECT_EQ(format_text(*doc.line(2).format), "");
    EXPECT_EQ(format_text(*doc.line(3).format), kept);
    mondrel_doc back;
    ASSERT_TRUE(load_xml(back, xml_text(doc), false, read_replace, 0));
    EXPECT_EQ(format_text(*back.line(3).format), kept);
}

TEST(clipboard_cells, rows_become_tab_separated_text) {
    const std::vector<cell_row> rows = {
        {"1+2", "a", {"3"}}, {"{1,2}", "", {"1", "2"}}, {"", "", {"3", "4"}}, // a continuation row
    };
    memory_clipboard clip;
    copy_cells(rows, clip);
    EXPECT_EQ(clip.text().value_or(""), "1+2\ta\t3\r\n{1,2}\t\t1\t2\r\n\t\t3\t4\r\n");
}

} // namespace
} // namespace mondrel
