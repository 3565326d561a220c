#include "execution/run_rewrites.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/make_line.h"

namespace mondrel {
namespace {

struct sheet_line {
    int32_t count;
    int32_t word;
    const char* name;
    const char* code;
};

// A document holding exactly these lines, each made by make_line.
void fill(mondrel_doc& doc, const std::vector<sheet_line>& lines) {
    doc.clear();
    for (const sheet_line& l : lines)
        doc.add_sli(make_line(doc, l.count, l.word, l.name, l.code));
}

TEST(VbBlocks, AllVbSubtreeRunsAsOneScript) {
    mondrel_doc doc;
    fill(doc, {{4, cw_vb, "", "res=0"},
               {1, cw_vb, "", "for cnt=0 to 1000"},
               {1, cw_vb, "", "res=res+2"},
               {1, cw_vb, "", "next"},
               {1, cw_vb, "", "x=1"}});
    rewrite_vb_blocks(doc);
    EXPECT_TRUE(doc.line(0).has_flag(flag_block_head));
    EXPECT_EQ(doc.line(0).script, "res=0\r\nfor cnt=0 to 1000\r\nres=res+2\r\nnext\r\n");
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(doc.line(i).script, "") << i;
        EXPECT_FALSE(doc.line(i).has_flag(flag_block_head));
    }
    EXPECT_EQ(doc.line(4).script, "x=1\r\n");
    EXPECT_FALSE(doc.line(4).has_flag(flag_block_head));
    // Rewriting again gives the same texts: the block is made from the auxiliary texts.
    rewrite_vb_blocks(doc);
    EXPECT_EQ(doc.line(0).script, "res=0\r\nfor cnt=0 to 1000\r\nres=res+2\r\nnext\r\n");
}

TEST(VbBlocks, AnyOtherLineInTheSubtreeKeepsLinesApart) {
    mondrel_doc doc;
    fill(doc, {{3, cw_vb, "", "a=1"},
               {2, cw_vb, "", "b=2"},
               {1, cw_expression, "c", "3"},
               {1, cw_vb, "", "d=4"}});
    // A block flag left from an earlier run is cleared.
    doc.line(1).flags |= flag_block_head;
    doc.line(3).script.clear();
    rewrite_vb_blocks(doc);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(doc.line(i).has_flag(flag_block_head)) << i;
    EXPECT_EQ(doc.line(0).script, "a=1\r\n");
    EXPECT_EQ(doc.line(1).script, "b=2\r\n");
    EXPECT_EQ(doc.line(2).script, "Dim c\r\nc=3\r\n");
    EXPECT_EQ(doc.line(3).script, "d=4\r\n");
}

TEST(VbBlocks, NestedVbParentBelongsToTheOuterBlock) {
    mondrel_doc doc;
    fill(doc, {{2, cw_vb, "", "a"},
               {2, cw_vb, "", "b"},
               {1, cw_vb, "", "c"},
               {2, cw_vb, "", "d"},
               {1, cw_rem, "", "e"},
               {2, cw_vb, "", "f"},
               {1, cw_vb, "", "g"}});
    rewrite_vb_blocks(doc);
    EXPECT_EQ(doc.line(0).script, "a\r\nb\r\nc\r\n");
    EXPECT_TRUE(doc.line(0).has_flag(flag_block_head));
    EXPECT_FALSE(doc.line(1).has_flag(flag_block_head));
    EXPECT_EQ(doc.line(1).script, "");
    EXPECT_EQ(doc.line(3).script, "d\r\n"); // its rem child keeps it apart
    EXPECT_FALSE(doc.line(3).has_flag(flag_block_head));
    // A later vb parent forms a block of its own.
    EXPECT_TRUE(doc.line(5).has_flag(flag_block_head));
    EXPECT_EQ(doc.line(5).script, "f\r\ng\r\n");
}

TEST(BraceLists, ChildLinesMakeOneNestedArray) {
    mondrel_doc doc;
    fill(doc, {{4, cw_expression, "ar2", "{}"},
               {1, cw_expression, "", "\"this\""},
               {3, cw_expression, "", "\"is\""},
               {1, cw_expression, "", "\"a\""},
               {1, cw_expression, "", "\"nested\""},
               {1, cw_expression, "", "\"array\""},
               {1, cw_expression, "after", "1"}});
    rewrite_brace_lists(doc);
    EXPECT_EQ(doc.line(0).script,
              "Dim ar2\r\nar2=Array(\"this\",Array(\"is\",\"a\",\"nested\"),\"array\")\r\n");
    // ar2(1)(0) is "is".
    EXPECT_EQ(doc.line(0).display_text, "MR.dspx 0,ar2(0),-3\r\n"
                                        "MR.dspx 1,ar2(1)(0),1,-3\r\n"
                                        "MR.dspx 2,ar2(1)(1),1,1\r\n"
                                        "MR.dspx 3,ar2(1)(2),1,2\r\n"
                                        "MR.dspx 4,ar2(2),2\r\n");
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(doc.line(i).script, "") << i;
        EXPECT_EQ(doc.line(i).display_text, "") << i;
    }
    EXPECT_EQ(doc.line(6).script, "Dim after\r\nafter=1\r\n");
    EXPECT_EQ(doc.line(0).status, status_ok);
}

TEST(BraceLists, OtherCodeWordsGiveEmptyElements) {
    mondrel_doc doc;
    fill(doc, {{4, cw_expression, "v", " {} "},
               {1, cw_expression, "", "1"},
               {2, cw_rem, "", "note"},
               {1, cw_expression, "ig", "ignored"},
               {1, cw_expression, "", "2"}});
    rewrite_brace_lists(doc);
    EXPECT_EQ(doc.line(0).script, "Dim v\r\nv=Array(1,Null,2)\r\n");
    // The subtree of the rem line is not read: its child keeps its own texts.
    EXPECT_EQ(doc.line(3).script, "Dim ig\r\nig=ignored\r\n");
}

TEST(BraceLists, OnlyExactEmptyListsWithChildren) {
    mondrel_doc doc;
    fill(doc, {{2, cw_expression, "a", "{ }"},
               {1, cw_expression, "", "1"},
               {1, cw_expression, "b", "{}"}});
    rewrite_brace_lists(doc);
    EXPECT_EQ(doc.line(0).script, "Dim a\r\na=Array(Null)\r\n");
    EXPECT_EQ(doc.line(1).script, "Dim temp_1\r\ntemp_1=1\r\n");
    EXPECT_EQ(doc.line(2).script, "Dim b\r\nb=Array(Null)\r\n");
}

TEST(BraceLists, AFailingListIsReportedOnTheListLine) {
    mondrel_doc doc;
    fill(doc, {{2, cw_expression, "v", "{}"}, {1, cw_expression, "", "{1"}});
    rewrite_brace_lists(doc);
    EXPECT_EQ(doc.line(0).status, status_runtime_error);
    EXPECT_EQ(doc.line(0).error_text, "Unequal {}s");
}

TEST(BraceLists, DeepChildTreesNeedNoRecursion) {
    mondrel_doc doc;
    doc.clear();
    const int depth = 20000;
    doc.add_sli(make_line(doc, 2, cw_expression, "v", "{}"));
    for (int i = 0; i < depth; ++i)
        doc.add_sli(make_line(doc, i + 1 < depth ? 2 : 1, cw_expression, "n", "1"));
    rewrite_brace_lists(doc);
    EXPECT_EQ(doc.line(0).error_text, "Too deeply nested {}s");
}

TEST(RunRewrites, BlocksThenLists) {
    mondrel_doc doc;
    fill(doc, {{2, cw_vb, "", "x=1"},
               {1, cw_vb, "", "y=2"},
               {2, cw_expression, "l", "{}"},
               {1, cw_expression, "", "x+y"}});
    rewrite_for_run(doc);
    EXPECT_EQ(doc.line(0).script, "x=1\r\ny=2\r\n");
    EXPECT_EQ(doc.line(2).script, "Dim l\r\nl=Array(x+y)\r\n");
    EXPECT_EQ(doc.line(2).display_text, "MR.dspx 0,l(0),-1\r\n");
}

} // namespace
} // namespace mondrel
