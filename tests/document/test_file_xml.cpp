// Codesheet files: the exact layout written, round trips, the reader's defaults and repairs,
// hostile files, the choice of format by extension and safe saving.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document/codesheet_file.h"
#include "document/file_io.h"
#include "test_file_helpers.h"

namespace mondrel {
namespace {

using namespace mondrel::test;

std::string line_xml(std::string_view attrs, int count, std::string_view code,
                     std::string_view name = "", std::string_view format = "") {
    std::string s = "\t<line" + std::string(attrs) + ">\r\n";
    s += "\t\t<count>" + std::to_string(count) + "</count>\r\n";
    s += "\t\t<code>" + std::string(code) + "</code>\r\n";
    s += "\t\t<name>" + std::string(name) + "</name>\r\n";
    s += "\t\t<format>" + std::string(format) + "</format>\r\n";
    s += "\t</line>\r\n";
    return s;
}

std::string header_xml(std::string_view description = "") {
    std::string s = "<?xml version=\"1.0\"?>\r\n<mondrel>\r\n\t<properties>\r\n"
                    "\t\t<created_by></created_by>\r\n"
                    "\t\t<description>" +
                    std::string(description) +
                    "</description>\r\n"
                    "\t\t<auto_running>on</auto_running>\r\n\t</properties>\r\n"
                    "\t<display data_cols=\"4\" row_height=\"16\">\r\n";
    const int widths[] = {50, 40, 180, 50, 50, 50, 50, 50, 50};
    for (int i = 0; i < 9; ++i)
        s += "\t\t<col_width_" + std::to_string(i) + ">" + std::to_string(widths[i]) +
             "</col_width_" + std::to_string(i) + ">\r\n";
    for (int k = 0; k < 8; ++k)
        s += "\t\t<format_" + std::to_string(k) + ">" + std::string(default_sheet_formats[k]) +
             "</format_" + std::to_string(k) + ">\r\n";
    s += "\t</display>\r\n";
    return s;
}

TEST(codesheet_file, writes_the_layout_byte_for_byte) {
    mondrel_doc doc;
    doc.description = "Simple calculations";
    set_lines(doc, {"c 1 rem A comment", "o 3 if   x > 0", "c 1 total:=1      ''f style:bold",
                    "c 1 v2:=2", "c 1 ="});
    const std::string expected =
        header_xml("Simple calculations") + line_xml(" type=\"rem\"", 1, "A comment") +
        line_xml(" open=\"true\" type=\"if\" indent=\"2\"", 3, "x &gt; 0") +
        line_xml("", 1, "1", "total", "style:bold") + line_xml("", 1, "2", "v2") +
        line_xml("", 1, "") + "</mondrel>\r\n";
    EXPECT_EQ(xml_text(doc), expected);
}

TEST(codesheet_file, escapes_exactly_four_characters) {
    mondrel_doc doc;
    set_lines(doc, {"c 1 rem a<b>c&d\"e'f", "c 1 ="});
    const std::string xml = xml_text(doc);
    EXPECT_NE(xml.find("<code>a&lt;b&gt;c&amp;d&quot;e'f</code>"), std::string::npos) << xml;

    mondrel_doc back;
    ASSERT_TRUE(load_xml(back, xml, false, read_replace, 0));
    EXPECT_EQ(back.line(0).code, "a<b>c&d\"e'f");
}

// A document written, read and written again gives the same bytes and the same lines.
TEST(codesheet_file, round_trip_is_byte_identical) {
    mondrel_doc doc;
    doc.created_by = "Ann & Bob";
    doc.description = "tabs\tand <tags>";
    doc.auto_running = false;
    doc.set_display(6, 20, {60, 30, 200, 70, 40, 55, 56, 57, 58, 59, 60});
    doc.sheet_format(3) = prop_list::from_text("align:right; number:0.00");
    set_lines(doc, {"o 3 if x > 0", "c 2   for 1 to 3", "c 1 i:=i",
                    "o 1 sum:=x+1      ''f colour:$0000FF", "c 1 vb   MsgBox \"hi\"", "c 1 rem   ",
                    "c 1 arr 2,3", "c 1 =  total*2", "c 1 ="});
    doc.line(3).name = "  ";              // a name of blanks only survives
    doc.line(1).flags |= flag_breakpoint; // not part of the file
    const std::string first = xml_text(doc);

    mondrel_doc back;
    ASSERT_TRUE(load_xml(back, first, false, read_replace, 0));
    EXPECT_EQ(xml_text(back), first);
    EXPECT_EQ(shape(back), shape(doc));
    EXPECT_EQ(back.line(7).code, "  total*2");
    EXPECT_EQ(back.line(5).code, "  ");
    EXPECT_EQ(back.created_by, "Ann & Bob");
    EXPECT_EQ(back.description, "tabs\tand <tags>");
    EXPECT_FALSE(back.auto_running);
    EXPECT_EQ(back.data_cols(), 6);
    EXPECT_EQ(back.row_height(), 20);
    EXPECT_EQ(back.col_widths(), doc.col_widths());
    EXPECT_EQ(back.sheet_format(3).number, "0.00");
}

// A NUL character, which an XML file cannot hold, is written as U+FFFD so the file stays
// readable; other control characters are kept as they are.
TEST(codesheet_file, control_characters_leave_the_file_readable) {
    mondrel_doc doc;
    doc.clear();
    doc.add_sli(make_line(doc, 1, cw_rem, "", std::string("a\0b", 3)));
    doc.add_sli(make_line(doc, 1, cw_rem, "",
                          "c\x01\r\n\x7f"
                          "d"));
    mondrel_doc back;
    ASSERT_TRUE(load_xml(back, xml_text(doc), false, read_replace, 0));
    EXPECT_EQ(back.line(0).code, "a\xEF\xBF\xBD"
                                 "b");
    EXPECT_EQ(back.line(1).code, "c\x01\r\n\x7f"
                                 "d");
}

TEST(codesheet_file, reads_any_whitespace_layout_and_lf_line_ends) {
    mondrel_doc doc;
    set_lines(doc, {"o 2 if   a", "c 1 b:=b", "c 1 ="});
    std::string xml = xml_text(doc);
    std::string lf;
    for (char c : xml)
        if (c != '\r') lf += c;
    std::string compact;
    for (char c : lf)
        if (c != '\n' && c != '\t') compact += c;
    for (const std::string& text : {lf, compact}) {
        mondrel_doc back;
        ASSERT_TRUE(load_xml(back, text, false, read_replace, 0));
        EXPECT_EQ(xml_text(back), xml);
    }
}

TEST(codesheet_file, missing_parts_take_their_defaults) {
    struct case_ {
        const char* xml;
        bool auto_running;
        int code_width;
    };
    const case_ cases[] = {
        {"<mondrel><line><count>1</count><code>1</code></line></mondrel>", true, 180},
        {"<x><properties><auto_running>ON</auto_running></properties></x>", true, 180},
        {"<x><properties><auto_running>yes</auto_running></properties></x>", false, 180},
        {"<x><display><col_width_2>abc</col_width_2></display></x>", true, 180},
        {"<x><display><col_width_2>99</col_width_2></display></x>", true, 99},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.xml);
        mondrel_doc doc;
        ASSERT_TRUE(load_xml(doc, c.xml, false, read_replace, 0));
        EXPECT_EQ(doc.created_by, "");
        EXPECT_EQ(doc.description, "");
        EXPECT_EQ(doc.auto_running, c.auto_running);
        EXPECT_EQ(doc.col_widths().at(2), c.code_width);
        EXPECT_TRUE(doc.line(doc.line_count() - 1).code.empty()) << "trailing blank line";
    }
}

TEST(codesheet_file, a_line_without_children_elements_is_a_blank_leaf) {
    mondrel_doc doc;
    ASSERT_TRUE(load_xml(doc, "<m><line type=\"nonsense\" open=\"TRUE\"/></m>", false, 1, 0));
    EXPECT_EQ(shape(doc), "c 1 =");
    EXPECT_EQ(doc.line_count(), 1) << "an empty line is already the trailing blank";
}

TEST(codesheet_file, readonly_attribute_is_read_and_never_written) {
    mondrel_doc doc;
    ASSERT_TRUE(load_xml(doc,
                         "<m><line readonly=\"true\" type=\"rem\"><count>1</count>"
                         "<code>see [Help]</code></line></m>",
                         false, read_replace, 0));
    EXPECT_TRUE(doc.line(0).has_flag(flag_readonly));
    EXPECT_EQ(xml_text(doc).find("readonly"), std::string::npos);
}

TEST(codesheet_file, insert_mode_keeps_settings_and_list_shapes) {
    mondrel_doc source;
    set_lines(source, {"c 3 if a", "c 1 b:=b", "c 2 while c", "c 1 d:=d", "c 1 e:=e"});
    source.description = "from the file";
    source.set_display(9, 30, {});
    const std::string xml = xml_text(source);

    mondrel_doc doc;
    set_lines(doc, {"o 3 incl \"f.mdr\"", "c 1 rem loaded", "c 1 x:=x", "c 1 ="});
    ASSERT_TRUE(load_xml(doc, xml, false, read_insert, 1));
    EXPECT_EQ(shape(doc), "o 5 incl \"f.mdr\" | c 1 rem loaded | c 3 if a | c 1 b:=b | "
                          "c 2 while c | c 1 d:=d | c 1 e:=e | c 1 x:=x | c 1 =");
    EXPECT_TRUE(tree_is_sound(doc));
    EXPECT_EQ(doc.description, "");
    EXPECT_EQ(doc.data_cols(), default_data_cols);
}

TEST(codesheet_file, insert_after_an_open_head_goes_in_front_of_its_children) {
    mondrel_doc doc;
    set_lines(doc, {"o 2 if a", "c 1 b:=b", "c 1 ="});
    ASSERT_TRUE(load_xml(doc,
                         "<m><line><count>2</count><code>c</code><name>c</name></line>"
                         "<line><count>1</count><code>d</code><name>d</name></line></m>",
                         false, read_insert, 0));
    EXPECT_EQ(shape(doc), "o 3 if a | c 2 c:=c | c 1 d:=d | c 1 b:=b | c 1 =");
}

TEST(codesheet_file, stores_an_include_line_without_what_it_brought_in) {
    mondrel_doc doc;
    set_lines(doc, {"o 3 incl \"lib.mdr\"", "c 1 rem Include file loaded automatically. ",
                    "c 1 x:=x", "c 1 y:=y", "c 1 ="});
    mondrel_doc back;
    ASSERT_TRUE(load_xml(back, xml_text(doc), false, read_replace, 0));
    EXPECT_EQ(shape(back), "o 1 incl \"lib.mdr\" | c 1 y:=y | c 1 =");
    EXPECT_EQ(doc.line_count(), 5) << "storing leaves the document alone";

    // Saving takes them out of the sheet too, so the next run loads the file afresh.
    scratch_folder dir;
    ASSERT_TRUE(write_file(doc, dir.file("main.mdr")).ok);
    EXPECT_EQ(shape(doc), "o 1 incl \"lib.mdr\" | c 1 y:=y | c 1 =");
}

// Malformed and hostile input: every case ends in a failure that leaves the document as it was,
// or in a sound document; nothing crashes.
TEST(codesheet_file, hostile_files_fail_cleanly_or_load_repaired) {
    const std::string big(max_field_chars + 1, 'x');
    struct case_ {
        std::string name;
        std::string xml;
        bool loads;
        std::string lines; // shape when it loads ("" = not checked)
    };
    std::string deep = "<m>";
    for (int i = 0; i < 1000; ++i)
        deep += "<line><count>2</count><code>=</code></line>";
    deep += "<line><count>1</count><code>leaf</code></line></m>";
    std::string nested = "<m>";
    for (int i = 0; i < 5000; ++i)
        nested += "<a>";
    for (int i = 0; i < 5000; ++i)
        nested += "</a>";
    nested += "</m>";
    const std::vector<case_> cases = {
        {"truncated", "<mondrel><line type=\"rem\"><count>1</count><code>a</co", false, ""},
        {"empty", "", false, ""},
        {"no element", "<?xml version=\"1.0\"?><!-- nothing -->", false, ""},
        {"wrong root", "<other><line type=\"rem\"><count>1</count><code>5</code></line></other>",
         true, "c 1 rem 5 | c 1 ="},
        {"non-numeric count", "<m><line type=\"rem\"><count>many</count><code>a</code></line></m>",
         true, "c 1 rem a | c 1 ="},
        {"negative count", "<m><line type=\"rem\"><count>-7</count><code>a</code></line></m>", true,
         "c 1 rem a | c 1 ="},
        {"count beyond the lines",
         "<m><line type=\"rem\"><count>1000000000</count><code>a</code></line>"
         "<line type=\"rem\"><count>3</count><code>b</code></line><line "
         "type=\"rem\"><count>1</count><code>c</code></line>"
         "</m>",
         true, "c 2 rem a | c 2 rem b | c 1 rem c | c 1 ="},
        {"hex count", "<m><line type=\"rem\"><count>$2</count><code>a</code></line><line/></m>",
         true, "c 2 rem a | c 1 ="},
        {"absurd data_cols", "<m><display data_cols=\"100000\" row_height=\"-3\"/></m>", true, ""},
        {"indent of 10^9",
         "<m><line type=\"rem\" indent=\"1000000000\"><count>1</count><code>a</code></line></m>",
         false, ""},
        {"huge element",
         "<m><line type=\"rem\"><count>1</count><code>" + big + "</code></line></m>", false, ""},
        {"huge attribute", "<m><line type=\"" + big + "\"><count>1</count></line></m>", true,
         "c 1 ="},
        {"invalid UTF-8",
         "<m><line type=\"rem\"><count>1</count><code>a\xff\xc3(b</code></line></m>", true,
         "c 1 rem a\xEF\xBF\xBD\xEF\xBF\xBD(b | c 1 ="},
        {"thousand-level tree", deep, true, ""},
        {"deep XML nesting", nested, true, "c 1 ="},
        {"entity bomb",
         "<!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;\">]>"
         "<m><line type=\"rem\"><count>1</count><code>&b;&b;&b;</code></line></m>",
         true, ""},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.name);
        mondrel_doc doc;
        set_lines(doc, {"c 1 rem before", "c 1 ="});
        log_capture log;
        const bool ok = load_xml(doc, c.xml, false, read_replace, 0);
        EXPECT_EQ(ok, c.loads);
        if (!ok) {
            EXPECT_EQ(shape(doc), "c 1 rem before | c 1 =") << "a failed load changes nothing";
            EXPECT_EQ(log.count_starting("ERROR in mondrel_doc.load_xml: "), 1);
            continue;
        }
        EXPECT_TRUE(tree_is_sound(doc));
        EXPECT_GE(doc.data_cols(), min_data_cols);
        EXPECT_LE(doc.data_cols(), max_data_cols);
        EXPECT_EQ(doc.col_widths().size(), static_cast<size_t>(doc.data_cols() + 5));
        if (!c.lines.empty()) {
            EXPECT_EQ(shape(doc), c.lines);
        }
    }
}

// Files written by other programs may carry a byte order mark, be UTF-16, or declare Latin-1;
// the text reaches the document as UTF-8.
TEST(codesheet_file, other_encodings_are_read_as_utf8) {
    const std::string body = "<m><line type=\"rem\"><count>1</count><code>gr\xC3\xBC\xC3\x9F"
                             "e</code></line></m>";
    std::string utf16 = "\xFF\xFE"; // UTF-16LE with its byte order mark
    for (std::size_t i = 0; i < body.size();) {
        // Every character of this text is below U+0100.
        unsigned c = static_cast<unsigned char>(body[i]);
        if (c >= 0xC0) {
            c = ((c & 0x1F) << 6) | (static_cast<unsigned char>(body[i + 1]) & 0x3F);
            i += 2;
        } else {
            ++i;
        }
        utf16 += static_cast<char>(c);
        utf16 += '\0';
    }
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><m><line "
                               "type=\"rem\"><count>1</count><code>gr\xFC\xDF"
                               "e</code></line></m>";
    for (const std::string& text : {"\xEF\xBB\xBF" + body, utf16, latin1}) {
        mondrel_doc doc;
        ASSERT_TRUE(load_xml(doc, text, false, read_replace, 0));
        EXPECT_EQ(doc.line(0).code, "gr\xC3\xBC\xC3\x9F"
                                    "e");
    }
}

TEST(codesheet_file, repaired_counts_are_logged_once) {
    mondrel_doc doc;
    log_capture log;
    ASSERT_TRUE(load_xml(doc,
                         "<m><line><count>9</count></line><line><count>0</count></line>"
                         "<line><count>5</count></line></m>",
                         false, read_replace, 0));
    EXPECT_EQ(log.log.lines.size(), 1u);
    EXPECT_EQ(log.count_starting("WARNING in mondrel_doc.load_xml: 3 line counts"), 1);
}

TEST(codesheet_file, a_thousand_level_tree_keeps_its_depth) {
    std::string xml = "<m>";
    for (int i = 0; i < 1000; ++i)
        xml += "<line open=\"true\"><count>2</count></line>";
    xml += "<line><count>1</count><code>leaf</code></line></m>";
    mondrel_doc doc;
    ASSERT_TRUE(load_xml(doc, xml, false, read_replace, 0));
    EXPECT_EQ(doc.tree().depth(1000), 1000);
    EXPECT_EQ(doc.tree().subtree_size(0), 1001);
    mondrel_doc back;
    ASSERT_TRUE(load_xml(back, xml_text(doc), false, read_replace, 0));
    EXPECT_EQ(xml_text(back), xml_text(doc));
}

TEST(codesheet_file, a_missing_file_fails_with_one_log_line) {
    scratch_folder dir;
    mondrel_doc doc;
    log_capture log;
    EXPECT_FALSE(load_xml(doc, dir.file("absent.mdr"), true, read_replace, 0));
    ASSERT_EQ(log.log.lines.size(), 1u);
    EXPECT_EQ(log.count_starting("ERROR in mondrel_doc.load_xml: "), 1);
    EXPECT_EQ(doc.line_count(), 1);
}

TEST(codesheet_file, a_file_too_large_is_refused_before_it_is_read) {
    scratch_folder dir;
    const std::string path = dir.file("big.mdr");
    write_bytes(path, "<m>");
    std::filesystem::resize_file(path, max_file_bytes + 1);
    mondrel_doc doc;
    log_capture log;
    EXPECT_FALSE(load_xml(doc, path, true, read_replace, 0));
    EXPECT_EQ(log.count_starting("ERROR in mondrel_doc.load_xml: file too large"), 1);
}

TEST(codesheet_file, names_choose_path_and_format) {
    mondrel_doc doc;
    doc.set_file_name("/home/ann/sheets/main.mdr");
    struct case_ {
        const char* name;
        const char* path;
        bool xml;
    };
    const case_ cases[] = {
        {"sheet", "/home/ann/sheets/sheet.mdr", true},
        {"sheet.MDR", "/home/ann/sheets/sheet.MDR", true},
        {"sheet.", "/home/ann/sheets/sheet", false},
        {"notes.txt", "/home/ann/sheets/notes.txt", false},
        {"/tmp/x.Mdr", "/tmp/x.Mdr", true},
        {"sub/y", "sub/y.mdr", true},
        {"dir.v2/plain", "dir.v2/plain.mdr", true},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.name);
        const file_choice f = resolve_file_name(doc, c.name);
        EXPECT_EQ(f.path, c.path);
        EXPECT_EQ(f.xml, c.xml);
    }
    mondrel_doc fresh; // "Newfile": no folder, names stay as given
    EXPECT_EQ(resolve_file_name(fresh, "sheet").path, "sheet.mdr");
}

TEST(codesheet_file, read_and_write_file_follow_the_extension) {
    scratch_folder dir;
    mondrel_doc doc;
    doc.set_file_name(dir.file("main.mdr"));
    set_lines(doc, {"c 2 if a", "c 1 b:=b", "c 1 ="});

    ASSERT_TRUE(write_file(doc, "sheet").ok);
    EXPECT_EQ(read_bytes(dir.file("sheet.mdr")).rfind("<?xml", 0), 0u);
    ASSERT_TRUE(write_file(doc, "notes.txt").ok);
    EXPECT_EQ(read_bytes(dir.file("notes.txt")), "c 2 if a\r\nc 1 b:=b\r\nc 1 =\r\n");
    ASSERT_TRUE(write_file(doc, "plain.").ok);
    EXPECT_EQ(read_bytes(dir.file("plain")), "c 2 if a\r\nc 1 b:=b\r\nc 1 =\r\n");

    for (const char* name : {"sheet", "notes.txt", "plain."}) {
        SCOPED_TRACE(name);
        mondrel_doc back;
        back.set_file_name(dir.file("other.mdr"));
        ASSERT_TRUE(read_file(back, name, read_replace, 0));
        EXPECT_EQ(shape(back), shape(doc));
    }
}

TEST(codesheet_file, a_failed_save_keeps_the_old_file_and_the_modified_mark) {
    scratch_folder dir;
    const std::string path = dir.file("keep.mdr");
    write_bytes(path, "the old contents");
    // Every name the writer could use beside the file is taken, so the new file cannot be made.
    for (int i = 0; i < 100; ++i)
        write_bytes(path + ".~tmp" + std::to_string(i), "");

    mondrel_doc doc;
    doc.history().begin_group("edit");
    doc.add_sli(make_line(doc, 1, cw_rem, "", "new work"));
    doc.history().end_group();
    ASSERT_TRUE(doc.is_modified());

    log_capture log;
    const save_result r = write_file(doc, path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Could not save the file: " + path);
    EXPECT_TRUE(doc.is_modified());
    EXPECT_EQ(read_bytes(path), "the old contents");
    EXPECT_EQ(log.count_starting("ERROR in mondrel_doc.store_xml: "), 1);

    for (int i = 0; i < 100; ++i)
        std::filesystem::remove(path + ".~tmp" + std::to_string(i));
    EXPECT_TRUE(write_file(doc, path).ok);
    EXPECT_FALSE(doc.is_modified());
    EXPECT_NE(read_bytes(path).find("new work"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path + ".~tmp0")) << "no temporary file is left";
}

TEST(codesheet_file, saving_into_a_missing_folder_fails) {
    scratch_folder dir;
    mondrel_doc doc;
    log_capture log;
    const save_result r = write_file(doc, dir.file("no/such/folder/x.txt"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(log.count_starting("ERROR in mondrel_doc.write_lines: "), 1);
}

TEST(codesheet_file, store_to_text_hands_the_text_back) {
    mondrel_doc doc;
    std::string out;
    EXPECT_TRUE(store_xml(doc, out, false));
    EXPECT_EQ(out, xml_text(doc));
}

TEST(file_io, integers_read_loose_and_strict) {
    EXPECT_EQ(read_loose_integer("  12abc"), 12);
    EXPECT_EQ(read_loose_integer("-3"), -3);
    EXPECT_EQ(read_loose_integer("$1F"), 31);
    EXPECT_EQ(read_loose_integer("0x10"), 16);
    EXPECT_EQ(read_loose_integer("abc"), 0);
    EXPECT_EQ(read_loose_integer("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(read_loose_integer("-99999999999999999999"), INT32_MIN);
    int32_t v = 0;
    EXPECT_TRUE(read_strict_integer(" 27 ", v));
    EXPECT_EQ(v, 27);
    EXPECT_TRUE(read_strict_integer("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_FALSE(read_strict_integer("2147483648", v));
    EXPECT_FALSE(read_strict_integer("-2147483649", v));
    EXPECT_FALSE(read_strict_integer("12px", v));
    EXPECT_FALSE(read_strict_integer("", v));
}

TEST(file_io, lines_split_at_lf_and_crlf) {
    using v = std::vector<std::string_view>;
    EXPECT_EQ(split_lines("a\r\nb\nc"), (v{"a", "b", "c"}));
    EXPECT_EQ(split_lines("a\r\n"), (v{"a"}));
    EXPECT_EQ(split_lines("\r\n\r\n"), (v{"", ""}));
    // A lone CR ends a line too (old Macintosh text).
    EXPECT_EQ(split_lines("a\rb\r"), (v{"a", "b"}));
    EXPECT_EQ(split_lines("a\r\rb"), (v{"a", "", "b"}));
    EXPECT_EQ(split_lines("a\n\rb"), (v{"a", "", "b"}));
    EXPECT_EQ(split_lines(""), v{});
}

TEST(file_io, utf8_is_repaired_and_counted_in_characters) {
    std::string ok = "h\xC3\xA9llo \xF0\x9F\x98\x80";
    EXPECT_FALSE(repair_utf8(ok));
    std::string bad = "a\xC3\x28\xED\xA0\x80z\xF0\x9F";
    EXPECT_TRUE(repair_utf8(bad));
    EXPECT_EQ(bad, "a\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD");
    std::string nul("a\0b", 3);
    EXPECT_TRUE(repair_utf8(nul));
    EXPECT_EQ(nul, "a\xEF\xBF\xBD"
                   "b");
    EXPECT_EQ(utf8_prefix_bytes("h\xC3\xA9llo", 2), 3u);
    EXPECT_EQ(utf8_prefix_bytes("ab", 5), 2u);
}

} // namespace
} // namespace mondrel
