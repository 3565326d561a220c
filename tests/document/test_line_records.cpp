#include <gtest/gtest.h>

#include <string>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"

namespace mondrel {
namespace {

// The syntax bar shows these markup texts while a line is edited: "\x010" moves the text to
// x = 10 and "\b" toggles bold. Every character counts.
TEST(code_words, syntax_bar_texts) {
    const char* texts[code_word_count] = {
        R"(\x010\b=\b |   <expr>)",
        R"(\x010\bREM\b |   <anytext>)",
        R"(\x010\bVB\b |   <vbscript>)",
        R"(\x010\bFMT\b |    <name> \b,\b <index> \b,\b <format>)",
        R"(\x010\bDIR\b |   \b"\b<path>\b"\b   | \bname\b)",
        R"(\x010\bLET\b |    <name>  \b=\b  <expr>)",
        R"(\x010\bINCL\b |   \b"\b<file>\b"\b)",
        R"(\x010\bIF\b |   <expr>)",
        R"(\x010\bWHILE\b |   <expr> or \bexit\b)",
        R"(\x010\bFOR\b |   <estart> \bto\b <estop> [\bstep\b <estep>] or \bexit\b  | \bname\b)",
        R"(\x010\bARR\b |   <dim1> \b,\b <dim2> \b...\b   | \bname\b)",
        R"(\x010\bCMD\b |   <command>)",
    };
    for (int i = 0; i < code_word_count; ++i)
        EXPECT_EQ(syntax_bar_text(i), texts[i]) << i;
    EXPECT_EQ(syntax_bar_text(-1), "<syntax>");
}

TEST(line_records, a_made_line_starts_with_the_defaults_of_a_new_line) {
    mondrel_doc doc;
    line_ptr line = make_line(doc, 3, cw_rem, "n", "  indented text");
    EXPECT_EQ(line->count, 3);
    EXPECT_EQ(line->flags, 0);
    EXPECT_EQ(line->code_word, cw_rem);
    EXPECT_EQ(line->code, "  indented text"); // leading blanks are the indentation
    EXPECT_EQ(line->status, status_ok);
    EXPECT_TRUE(line->error_text.empty());
    EXPECT_EQ(line->results.count, 0);
    EXPECT_EQ(line->results.capacity, 10);
    ASSERT_NE(line->format, nullptr);
    EXPECT_EQ(line->format->full_text(), prop_list().full_text());
}

} // namespace
} // namespace mondrel
