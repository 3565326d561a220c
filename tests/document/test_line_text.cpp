// The line-text format: the forms written, recognition, reading one text line, and whole texts
// and files through write_lines and read_lines.

#include <gtest/gtest.h>

#include <string>

#include "document/codesheet_file.h"
#include "document/file_io.h"
#include "document/line_text.h"
#include "test_file_helpers.h"

namespace mondrel {
namespace {

using namespace mondrel::test;

line_ptr line_of(mondrel_doc& doc, int32_t count, int32_t word, std::string name, std::string code,
                 std::string_view format = "", bool open = false) {
    line_ptr line = make_line(doc, count, word, std::move(name), std::move(code));
    line->format = std::make_unique<prop_list>(prop_list::from_text(format));
    if (open) line->flags |= flag_open;
    return line;
}

TEST(line_text, forms_of_one_line) {
    mondrel_doc doc;
    struct case_ {
        line_ptr line;
        const char* whole;
        const char* single;
    };
    case_ cases[] = {
        {line_of(doc, 1, cw_expression, "ab2", "1+2/4", "align:right;style:bold", true),
         "o 1 ab2:=1+2/4      ''f align:right;style:bold",
         "o 1 ab2:=1+2/4      ''f align:right;style:bold"},
        {line_of(doc, 1, cw_rem, "", "this is a comment"), "c 1 rem this is a comment",
         "o 1 rem this is a comment"},
        {line_of(doc, 3, cw_if, "t", "x > 0"), "c 3 if x > 0", "o 1 if x > 0"},
        {line_of(doc, 1, cw_let, "", "a = 2"), "c 1 let a = 2", "o 1 let a = 2"},
        {line_of(doc, 2, cw_for, "i", "1 to 3", "", true), "o 2 i:for 1 to 3", "o 1 i:for 1 to 3"},
        {line_of(doc, 1, cw_incl, "", "\"lib.mdr\""), "c 1 incl \"lib.mdr\"",
         "o 1 incl \"lib.mdr\""},
        {line_of(doc, 1, cw_incl, "", ":"), "c 1 incl :", "o 1 incl :"},
        {line_of(doc, 1, cw_expression, "v", "  x"), "c 1 v:=  x", "o 1 v:=  x"},
        {line_of(doc, 1, cw_rem, "", "it''fine"), "c 1 rem it''fine      ''f ",
         "o 1 rem it''fine      ''f "},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.whole);
        EXPECT_EQ(text_form(*c.line, true), c.whole);
        EXPECT_EQ(text_form(*c.line, false), c.single);
    }
}

TEST(line_text, recognition) {
    struct case_ {
        const char* text;
        bool line_text;
    };
    const case_ cases[] = {
        {"o 1 v5:=5", true},
        {"c 1234567 rem x", true},
        {"c 12345678 rem x", false}, // 8 digits
        {"o 1 x\r\nc 2 y\r\n", true},
        {"o 1 x\nc 2 y", true},
        {"o 1 x\r\nplain words\r\n", false},
        {"o 1 x\r\n\r\nc 1 y\r\n", false}, // an empty line is too short
        {"O 1 =5", false},
        {"o 1=5", false},
        {"o  1 =5", false},
        {"o 1 ", true},
        {"o 1", false},
        {"", true},
    };
    for (const case_& c : cases)
        EXPECT_EQ(is_line_text(c.text), c.line_text) << c.text;
}

TEST(line_text, reading_one_line) {
    struct case_ {
        const char* text;
        bool reads;
        bool open;
        int32_t count;
        int32_t word;
        const char* name; // "*": a temporary name given by the line maker
        const char* code;
        const char* format;
    };
    const case_ cases[] = {
        {"o 1 ab2:=1+2/4      ''f align:right;style:bold", true, true, 1, cw_expression, "ab2",
         "1+2/4", "align:right;style:bold"},
        {"c 3 t:if x > 0", true, false, 3, cw_if, "", "x > 0", ""}, // if clears its name
        {"o 1 rem this is a comment", true, true, 1, cw_rem, "", "this is a comment", ""},
        {"o 1 x:=5      ''f style:bold", true, true, 1, cw_expression, "x", "5", "style:bold"},
        {"o 1 x:=5  ''f style:bold", true, true, 1, cw_expression, "x", "5 ", "style:bold"},
        {"o 1 =5''fstyle:bold", true, true, 1, cw_expression, "*", "5", "style:bold"},
        {"c 1 rem \xE2\x82\xAC''f x", true, false, 1, cw_rem, "", "\xE2\x82\xAC", "x"},
        {"c 1 if(x > 0)", true, false, 1, cw_if, "", "(x > 0)", ""},
        {"c 1 incl:dir \"x\"", true, false, 1, cw_dir, "incl", "\"x\"", ""},
        // a code word, a blank and ":": the code starts with ":", as the writer puts it
        {"o 1 incl :", true, true, 1, cw_incl, "", ":", ""},
        {"c 1 include:", true, false, 1, cw_incl, "", ":", ""},
        {"c 1 rem\xE2\x82\xAC", true, false, 1, cw_rem, "", "\xE2\x82\xAC", ""},
        {"O 2 =1", true, true, 2, cw_expression, "*", "1", ""},
        {"x 1 =1", true, false, 1, cw_expression, "*", "1", ""},
        {"1 =1", true, false, 1, cw_expression, "*", "1", ""},
        {"c 1 incl \"lib.mdr\"", true, false, 1, cw_incl, "", "\"lib.mdr\"", ""},
        {"c 1 include \"lib.mdr\"", true, false, 1, cw_incl, "", "\"lib.mdr\"", ""},
        {"c 1 REM shouted", true, false, 1, cw_rem, "", "shouted", ""},
        {"c 1 rem", true, false, 1, cw_rem, "", "", ""},
        {"c 1 =", true, false, 1, cw_expression, "", "", ""},
        {"c 1 rem   three", true, false, 1, cw_rem, "", "  three", ""},
        {"c 1 d:dir \"c:\\\"", true, false, 1, cw_dir, "d", "\"c:\\\"", ""},
        {"c 0012 x:=x", true, false, 12, cw_expression, "x", "x", ""},
        {"o 1 x:5", false, false, 0, 0, "", "", ""},    // after a name, "=" or a code word
        {"o 1.5 =x", false, false, 0, 0, "", "", ""},   // the count must be an integer
        {"o -1 =x", false, false, 0, 0, "", "", ""},    // a sign is no digit
        {"o x =1", false, false, 0, 0, "", "", ""},     // no count
        {"o 1 x y:=1", false, false, 0, 0, "", "", ""}, // a name needs its colon at once
        {"o 1 end:=1", false, false, 0, 0, "", "", ""}, // keywords are no names
        {"o 1 ;=1", false, false, 0, 0, "", "", ""},    // a semicolon ends the tokens
        {"", false, false, 0, 0, "", "", ""},
    };
    mondrel_doc doc;
    for (const case_& c : cases) {
        SCOPED_TRACE(c.text);
        line_ptr line = read_text_form(doc, c.text);
        ASSERT_EQ(line != nullptr, c.reads);
        if (!line) {
            line_ptr kept = read_text_line(doc, c.text);
            EXPECT_EQ(kept->code_word, cw_rem) << "an unreadable line is kept as a comment";
            EXPECT_EQ(kept->code, c.text);
            EXPECT_EQ(kept->count, 1);
            continue;
        }
        EXPECT_EQ(line->is_open(), c.open);
        EXPECT_EQ(line->count, c.count);
        EXPECT_EQ(line->code_word, c.word);
        if (std::string_view(c.name) == "*")
            EXPECT_EQ(line->name.rfind("temp_", 0), 0u) << "an unnamed expression is named";
        else
            EXPECT_EQ(line->name, c.name);
        EXPECT_EQ(line->code, c.code);
        EXPECT_EQ(format_text(*line->format), c.format);
    }
}

TEST(line_text, a_long_name_is_kept_whole) {
    mondrel_doc doc;
    const std::string name(300, 'n');
    line_ptr line = read_text_form(doc, "c 1 " + name + ":dir \"x\"");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->name, name);
}

TEST(line_text, a_huge_count_is_read_and_repaired_in_a_block) {
    mondrel_doc doc;
    int repaired = 0;
    line_block block =
        read_text_block(doc, "c 99999999999 a:=a\r\nc 1 b:=b\r\nc 0 c:=c\r\n", true, &repaired);
    ASSERT_EQ(block.size(), 3u);
    EXPECT_EQ(block[0]->count, 3);
    EXPECT_EQ(block[2]->count, 1);
    EXPECT_EQ(repaired, 2);
}

// Line text written, read and written again is unchanged, whatever the codes hold.
TEST(line_text, round_trip_is_identical) {
    const std::string text = "o 3 if x > 0\r\n"
                             "c 2 i:for 1 to 3\r\n"
                             "c 1 j:=i*2      ''f number:0.00\r\n"
                             "o 1 total:=x+1      ''f colour:$0000FF; style:bold\r\n"
                             "c 1 rem it''fine and ''f twice      ''f \r\n"
                             "c 1 rem ends in blanks   \r\n"
                             "c 1 vb   MsgBox \"a;b\"\r\n"
                             "c 1 let a = 5\r\n"
                             "c 1 incl \"lib.mdr\"\r\n"
                             "c 1 cmd stop\r\n"
                             "c 1 rem gr\xC3\xBC\xC3\x9F"
                             "e\r\n"
                             "c 1 =\r\n";
    mondrel_doc doc;
    line_block block = read_text_block(doc, text, true);
    doc.clear();
    for (line_ptr& line : block)
        doc.insert_line(doc.line_count(), std::move(line));
    EXPECT_EQ(lines_text(doc), text);
}

TEST(line_text, files_are_written_and_read_with_their_lists_intact) {
    scratch_folder dir;
    mondrel_doc doc;
    set_lines(doc, {"o 3 if a", "c 1 b:=b", "c 2 while c", "c 1 d:=d", "c 1 ="});
    const std::string path = dir.file("lines.txt");
    ASSERT_TRUE(write_lines(doc, path));
    EXPECT_EQ(read_bytes(path), "o 3 if a\r\nc 1 b:=b\r\nc 2 while c\r\nc 1 d:=d\r\nc 1 =\r\n");

    mondrel_doc back;
    ASSERT_TRUE(read_lines(back, path, read_replace, 0));
    EXPECT_EQ(shape(back), shape(doc));

    mondrel_doc target;
    set_lines(target, {"o 2 incl \"lines.txt\"", "c 1 rem loaded", "c 1 ="});
    ASSERT_TRUE(read_lines(target, path, read_insert, 1));
    EXPECT_EQ(shape(target), "o 4 incl \"lines.txt\" | c 1 rem loaded | o 3 if a | c 1 b:=b | "
                             "c 2 while c | c 1 d:=d | c 1 = | c 1 =");
    EXPECT_TRUE(tree_is_sound(target));
}

TEST(line_text, reading_a_file_accepts_lf_and_keeps_unreadable_lines) {
    scratch_folder dir;
    const std::string path = dir.file("mixed.txt");
    write_bytes(path, "c 1 v1:=1\nplain prose\nc 2 if x\n");
    mondrel_doc doc;
    ASSERT_TRUE(read_lines(doc, path, read_replace, 0));
    EXPECT_EQ(shape(doc), "c 1 v1:=1 | c 1 rem plain prose | c 1 if x | c 1 =");
}

TEST(line_text, reading_fails_cleanly) {
    scratch_folder dir;
    const std::string long_line = dir.file("long.txt");
    write_bytes(long_line, "c 1 rem " + std::string(max_field_chars, 'x') + "\r\n");
    for (const std::string& path : {dir.file("absent.txt"), long_line}) {
        SCOPED_TRACE(path);
        mondrel_doc doc;
        set_lines(doc, {"c 1 rem before", "c 1 ="});
        log_capture log;
        EXPECT_FALSE(read_lines(doc, path, read_replace, 0));
        EXPECT_EQ(shape(doc), "c 1 rem before | c 1 =");
        EXPECT_EQ(log.count_starting("ERROR in mondrel_doc.read_lines: "), 1);
    }
}

TEST(line_text, format_text_keeps_what_the_user_wrote) {
    EXPECT_EQ(format_text(prop_list{}), "") << "a new line's placeholder set";
    EXPECT_EQ(format_text(prop_list::from_text("")), "");
    EXPECT_EQ(format_text(prop_list::from_text("style:bold;align:right")),
              "style:bold;align:right");
    prop_list changed = prop_list::from_text("style:bold");
    changed.size = 12;
    EXPECT_EQ(format_text(changed), "size:12; style:bold");
}

} // namespace
} // namespace mondrel
