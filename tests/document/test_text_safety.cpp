// Line text that cannot become code: a line break inside a field, or a name the reader cannot
// take back, must never turn into a line of its own (or another word) when a sheet is written
// as line text or copied to the clipboard; both say how many lines they had to change.

#include <gtest/gtest.h>

#include <string>

#include "document/clipboard.h"
#include "document/codesheet_file.h"
#include "document/line_text.h"
#include "test_file_helpers.h"

namespace mondrel {
namespace {

using namespace mondrel::test;

line_ptr line_of(mondrel_doc& doc, int32_t word, std::string name, std::string code,
                 std::string_view format = "") {
    line_ptr line = make_line(doc, 1, word, std::move(name), std::move(code));
    line->format = std::make_unique<prop_list>(prop_list::from_text(format));
    return line;
}

// A codesheet file holding the given `line` elements.
std::string sheet_xml(std::string_view lines) {
    return "<?xml version=\"1.0\"?>\r\n<mondrel>\r\n" + std::string(lines) + "</mondrel>\r\n";
}

std::string line_xml(std::string_view type, std::string_view name, std::string_view code) {
    std::string out = "\t<line";
    if (!type.empty()) out += " type=\"" + std::string(type) + "\"";
    out += "><count>1</count><code>" + std::string(code) + "</code><name>" + std::string(name) +
           "</name><format></format></line>\r\n";
    return out;
}

// Every text line of `text` read back, as the paste and the file reader take them.
line_block read_back(mondrel_doc& doc, std::string_view text) {
    return read_text_block(doc, text, is_line_text(text));
}

TEST(text_safety, a_field_never_spans_lines) {
    mondrel_doc doc;
    struct case_ {
        line_ptr line;
        const char* whole;
        bool changed;
    };
    case_ cases[] = {
        {line_of(doc, cw_rem, "", "a comment\no 1 vb CreateObject(\"x\")"),
         "c 1 rem a comment o 1 vb CreateObject(\"x\")", true},
        // A continuation and its break join the lines; the blank before "_" separates them.
        {line_of(doc, cw_vb, "", "x = 1 + _\r\n2"), "c 1 vb x = 1 + 2", true},
        {line_of(doc, cw_vb, "", "x = 1 + _ \t\n  2"), "c 1 vb x = 1 +   2", true},
        // "_" without a blank in front is no continuation.
        {line_of(doc, cw_rem, "", "a_\nb"), "c 1 rem a_ b", true},
        {line_of(doc, cw_rem, "", "_\nb"), "c 1 rem _ b", true},
        // CR LF is one break; a lone CR and a lone LF are one each.
        {line_of(doc, cw_rem, "", "a\r\nb\rc\nd"), "c 1 rem a b c d", true},
        {line_of(doc, cw_rem, "", "a\n\nb"), "c 1 rem a  b", true},
        {line_of(doc, cw_rem, "", "ends in a break\r\n"), "c 1 rem ends in a break ", true},
        {line_of(doc, cw_expression, "v", "1", "style:bold\r\nalign:right"),
         "c 1 v:=1      ''f style:bold align:right", true},
        {line_of(doc, cw_expression, "v", "1", "style:bold"), "c 1 v:=1      ''f style:bold",
         false},
        {line_of(doc, cw_rem, "", "a tab\tstays"), "c 1 rem a tab\tstays", false},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.whole);
        bool changed = !c.changed;
        EXPECT_EQ(text_form(*c.line, true, &changed), c.whole);
        EXPECT_EQ(changed, c.changed);
    }
}

TEST(text_safety, which_names_line_text_carries) {
    struct case_ {
        const char* name;
        bool carried;
    };
    const case_ cases[] = {
        {"", true},        {"x", true},          {"total_2", true},  {"incl", true},
        {"a b", false},    {"a:b", false},       {"x\ny", false},    {"2x", false},
        {"_x", false},     {"if", false},        {"to", false},      {"rem", false},
        {"gr\xC3\xBC", false}, {"x;y", false},   {"x'", false},      {"[x]", false},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(line_text_can_carry_name(c.name), c.carried);
        if (!c.carried || !*c.name) continue;
        // What is carried reads back as the same name and word.
        mondrel_doc doc;
        const line_ptr back =
            read_text_form(doc, text_form(*line_of(doc, cw_dir, c.name, "\"f\""), true));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->name, c.name);
        EXPECT_EQ(back->code_word, cw_dir);
    }
}

// The reproducer: a comment with a line break in a codesheet file becomes a running line once
// the sheet is saved as line text and read again.
TEST(text_safety, a_comment_with_a_break_stays_a_comment_in_a_text_file) {
    scratch_folder dir;
    const std::string mdr = dir.file("sheet.mdr");
    write_bytes(mdr, sheet_xml(line_xml("rem", "", "a comment\r\no 1 vb Set f = "
                                                   "CreateObject(&quot;Scripting.FileSystemObject&quot;)") +
                               line_xml("", "x", "1")));
    mondrel_doc doc;
    ASSERT_TRUE(read_file(doc, mdr, read_replace, 0));
    ASSERT_EQ(doc.line(0).code_word, cw_rem);

    const save_result saved = write_file(doc, dir.file("sheet.txt"));
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.changed_lines, 1);
    EXPECT_EQ(read_bytes(dir.file("sheet.txt")),
              "c 1 rem a comment o 1 vb Set f = CreateObject(\"Scripting.FileSystemObject\")\r\n"
              "c 1 x:=1\r\nc 1 =\r\n");

    mondrel_doc back;
    ASSERT_TRUE(read_file(back, dir.file("sheet.txt"), read_replace, 0));
    ASSERT_EQ(back.line_count(), 3);
    EXPECT_EQ(back.line(0).code_word, cw_rem);
    for (int i = 0; i < back.line_count(); ++i)
        EXPECT_NE(back.line(i).code_word, cw_vb) << "line " << i;

    // The codesheet file carries the break as it is, and says nothing was changed.
    const save_result again = write_file(doc, dir.file("again.mdr"));
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.changed_lines, 0);
    mondrel_doc exact;
    ASSERT_TRUE(read_file(exact, dir.file("again.mdr"), read_replace, 0));
    EXPECT_EQ(exact.line(0).code, doc.line(0).code);
}

// Names a `dir` or `incl` line could hold in a codesheet file but line text cannot carry: the
// line is refused at loading (a syntax error, so it never runs), and written as line text it
// becomes a comment holding its text, never a line of another word.
TEST(text_safety, names_line_text_cannot_carry_never_change_a_line_silently) {
    struct case_ {
        const char* type;
        const char* name;
        const char* code;
    };
    const case_ cases[] = {
        {"dir", "a b:c", "&quot;.&quot;"},
        {"dir", "x:vb MsgBox 1 '", "&quot;.&quot;"},
        {"dir", "x\r\no 1 vb MsgBox 1", "&quot;.&quot;"},
        {"incl", "lib:let a = 1 '", "&quot;lib&quot;"},
        {"incl", "a b", "&quot;lib&quot;"},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.name);
        mondrel_doc doc;
        ASSERT_TRUE(load_xml(doc, sheet_xml(line_xml(c.type, c.name, c.code)), false,
                             read_replace, 0));
        ASSERT_EQ(doc.line(0).name, c.name) << "the file's text is kept";
        EXPECT_EQ(doc.line(0).status, status_syntax_error);
        EXPECT_EQ(doc.line(0).error_text, "Bad characters in name");

        int changed = 0;
        const std::string text = lines_text(doc, &changed);
        EXPECT_EQ(changed, 1);
        EXPECT_EQ(text.find_first_of("\r\n"), text.find("\r\n")) << "one text line per line";
        mondrel_doc back;
        line_block lines = read_back(back, text);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0]->code_word, cw_rem);
        EXPECT_NE(lines[0]->code.find(c.type), std::string::npos) << "the word stays visible";
    }

    // A sound name goes both ways unchanged.
    mondrel_doc doc;
    ASSERT_TRUE(load_xml(doc, sheet_xml(line_xml("dir", "listing", "&quot;.&quot;")), false,
                         read_replace, 0));
    EXPECT_EQ(doc.line(0).status, status_ok);
    int changed = -1;
    EXPECT_EQ(lines_text(doc, &changed), "c 1 listing:dir \".\"\r\nc 1 =\r\n");
    EXPECT_EQ(changed, 0);
}

// A `for` or `arr` line puts its name into script text ("Dim " + name); from a file any text
// can stand there, so a name that is no name is a syntax error and nothing of it runs.
TEST(text_safety, a_for_or_arr_name_must_be_a_name) {
    mondrel_doc doc;
    const line_ptr loop = make_line(doc, 1, cw_for, "i : hit = 42 : Dim k", "1 to 2");
    EXPECT_EQ(loop->status, status_syntax_error);
    EXPECT_EQ(loop->error_text, "Bad characters in name");
    const line_ptr arr = make_line(doc, 1, cw_arr, "a\r\nz = 7\r\nDim b", "2");
    EXPECT_EQ(arr->status, status_syntax_error);
    EXPECT_EQ(arr->error_text, "Bad characters in name");
    EXPECT_EQ(make_line(doc, 1, cw_for, "i", "1 to 2")->status, status_ok);
    EXPECT_EQ(make_line(doc, 1, cw_arr, "a", "2")->status, status_ok);
}

TEST(text_safety, copying_to_the_clipboard_is_as_safe_and_counts_the_changes) {
    mondrel_doc doc;
    ASSERT_TRUE(load_xml(doc,
                         sheet_xml(line_xml("rem", "", "one\ro 1 vb MsgBox 1") +
                                   line_xml("", "x", "1") + line_xml("dir", "a b", "&quot;.&quot;")),
                         false, read_replace, 0));
    memory_clipboard clip;
    EXPECT_EQ(copy_lines(doc, 0, 2, clip), 2);
    const std::string text = *clip.text();
    EXPECT_EQ(text, "c 1 rem one o 1 vb MsgBox 1\r\nc 1 x:=1\r\nc 1 rem a b:dir \".\"\r\n");

    clipboard_copier copier(clip);
    const int second[] = {1}, first[] = {0};
    copier.copy_lines(doc, second);
    EXPECT_EQ(copier.changed_lines(), 0);
    copier.copy_lines(doc, first);
    EXPECT_EQ(copier.changed_lines(), 1);

    // Pasted back, the lines are what was copied: two comments and the expression.
    clip.set_text(text);
    mondrel_doc target; // one blank line, which the paste replaces
    const paste_outcome pasted = paste_lines(target, 0, 0, clip);
    ASSERT_TRUE(pasted.pasted);
    EXPECT_EQ(pasted.lines, 3);
    EXPECT_EQ(shape(target),
              "c 1 rem one o 1 vb MsgBox 1 | c 1 x:=1 | c 1 rem a b:dir \".\" | c 1 =");
}

// Copy cells feeds other programs one row per line and one cell per column: a value holding a
// tab or a line break (a file name from a DIR line can) must not shift or split the rows.
TEST(text_safety, copied_cells_keep_their_rows_and_columns) {
    const std::vector<cell_row> rows = {
        {"d", "d", {"F", "a\tb.txt", "line1\r\nline2", "cr\ronly\n"}},
        {"", "", {"plain"}},
    };
    EXPECT_EQ(cells_text(rows), "d\td\tF\ta b.txt\tline1 line2\tcr only \r\n\t\tplain\r\n");
}

} // namespace
} // namespace mondrel
