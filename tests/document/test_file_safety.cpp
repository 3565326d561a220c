// Files from other programs and awkward places to save: byte-order marks, UTF-16 and CR line
// ends on reading; links, folders, devices, FIFOs, folder names and read-only files on saving.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

#include "document/codesheet_file.h"
#include "document/file_io.h"
#include "document/line_text.h"
#include "test_file_helpers.h"

namespace mondrel {
namespace {

namespace fs = std::filesystem;
using namespace mondrel::test;

// `text` (ASCII and code points below U+10000 given as UTF-8) as UTF-16 with its mark.
std::string utf16_of(std::u16string_view text, bool big_endian) {
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += big_endian ? hi : lo;
        out += big_endian ? lo : hi;
    }
    return out;
}

TEST(file_safety, text_encodings_are_decoded) {
    struct case_ {
        std::string bytes;
        text_encoding encoding;
        std::string text;
    };
    const case_ cases[] = {
        {"plain", text_encoding::utf8, "plain"},
        {"\xEF\xBB\xBFo 1 x:=1", text_encoding::utf8_bom, "o 1 x:=1"},
        {utf16_of(u"o 1 gr\u00fc\u00df", false), text_encoding::utf16le,
         "o 1 gr\xC3\xBC\xC3\x9F"},
        {utf16_of(u"o 1 \u20ac", true), text_encoding::utf16be, "o 1 \xE2\x82\xAC"},
        // A surrogate pair is one character; an unpaired half and an odd last byte are not.
        {utf16_of(u"\xD83D\xDE00", false), text_encoding::utf16le, "\xF0\x9F\x98\x80"},
        {utf16_of(u"a\xDC00z", false), text_encoding::utf16le, "a\xEF\xBF\xBDz"},
        {utf16_of(u"a\xD800", true), text_encoding::utf16be, "a\xEF\xBF\xBD"},
        {utf16_of(u"a", false) + "b", text_encoding::utf16le, "a\xEF\xBF\xBD"},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.bytes;
        EXPECT_EQ(decode_text_file(text), c.encoding);
        EXPECT_EQ(text, c.text);
    }
}

// The reproducer: a byte-order mark made the first line a comment, so the value of the line
// that uses it was silently wrong.
TEST(file_safety, line_text_files_from_other_editors_read_alike) {
    scratch_folder dir;
    const std::string expected = "c 1 x:=1+2 | c 1 y:=x*2 | c 1 =";
    const std::pair<const char*, std::string> files[] = {
        {"bom.txt", "\xEF\xBB\xBF"
                    "c 1 x:=1+2\r\nc 1 y:=x*2\r\n"},
        {"cr.txt", "c 1 x:=1+2\rc 1 y:=x*2\r"},
        {"utf16le.txt", utf16_of(u"c 1 x:=1+2\r\nc 1 y:=x*2\r\n", false)},
        {"utf16be.txt", utf16_of(u"c 1 x:=1+2\nc 1 y:=x*2", true)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        write_bytes(dir.file(name), bytes);
        mondrel_doc doc;
        ASSERT_TRUE(read_file(doc, dir.file(name), read_replace, 0));
        EXPECT_EQ(shape(doc), expected);
        EXPECT_EQ(doc.line(0).status, status_ok);
    }
}

TEST(file_safety, codesheet_files_with_a_byte_order_mark_read_alike) {
    scratch_folder dir;
    mondrel_doc doc;
    set_lines(doc, {"c 1 x:=1+2", "c 1 y:=x*2"});
    std::string xml;
    ASSERT_TRUE(store_xml(doc, xml, false));
    std::u16string wide;
    for (char c : xml)
        wide += static_cast<char16_t>(c);
    const std::pair<const char*, std::string> files[] = {
        {"bom.mdr", "\xEF\xBB\xBF" + xml},
        {"utf16le.mdr", utf16_of(wide, false)},
        {"utf16be.mdr", utf16_of(wide, true)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        write_bytes(dir.file(name), bytes);
        mondrel_doc back;
        ASSERT_TRUE(read_file(back, dir.file(name), read_replace, 0));
        EXPECT_EQ(shape(back), "c 1 x:=1+2 | c 1 y:=x*2 | c 1 =");
    }
}

// A save that fails leaves the target as it was, the document modified, and one log line.
void expect_refused(mondrel_doc& doc, const std::string& name, std::string_view reason) {
    SCOPED_TRACE(name);
    log_capture log;
    const save_result r = write_file(doc, name);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.rfind("Could not save the file: ", 0), 0u);
    EXPECT_FALSE(r.reason.empty()) << "the user is told why";
    EXPECT_TRUE(doc.is_modified());
    ASSERT_EQ(log.log.lines.size(), 1u);
    EXPECT_NE(log.log.lines[0].find(reason), std::string::npos) << log.log.lines[0];
}

// A document with unsaved work.
struct modified_doc : mondrel_doc {
    modified_doc() {
        history().begin_group("edit");
        add_sli(make_line(*this, 1, cw_rem, "", "new work"));
        history().end_group();
    }
};

TEST(file_safety, saving_to_a_link_writes_the_file_it_points_to) {
    scratch_folder dir;
    fs::create_directories(dir.path / "real");
    const std::string target = dir.file("real/sheet.txt");
    write_bytes(target, "c 1 rem old\r\n");
    std::error_code ec;
    fs::create_symlink("real/sheet.txt", dir.path / "link.txt", ec);
    if (ec) GTEST_SKIP() << "no symbolic links here";
    fs::create_symlink(dir.path / "link.txt", dir.path / "link2.txt"); // a link to the link
    fs::create_symlink("real/new.txt", dir.path / "dangling.txt");

    modified_doc doc;
    for (const char* name : {"link.txt", "link2.txt"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(write_file(doc, dir.file(name)).ok);
        EXPECT_TRUE(fs::is_symlink(dir.path / name)) << "the link stays a link";
        EXPECT_NE(read_bytes(target).find("new work"), std::string::npos);
        write_bytes(target, "c 1 rem old\r\n");
    }
    // A link to a file not made yet makes it, where the link points.
    ASSERT_TRUE(write_file(doc, dir.file("dangling.txt")).ok);
    EXPECT_TRUE(fs::is_symlink(dir.path / "dangling.txt"));
    EXPECT_NE(read_bytes(dir.file("real/new.txt")).find("new work"), std::string::npos);
    // Nothing is left beside either end.
    for (const fs::path& folder : {dir.path, dir.path / "real"})
        for (const auto& e : fs::directory_iterator(folder))
            EXPECT_EQ(e.path().string().find(".~tmp"), std::string::npos) << e.path();
}

TEST(file_safety, saving_over_what_is_no_regular_file_is_refused) {
    scratch_folder dir;
    modified_doc doc;
    fs::create_directories(dir.path / "folder.mdr");
    expect_refused(doc, dir.file("folder.mdr"), "not a regular file");
    EXPECT_TRUE(fs::is_directory(dir.path / "folder.mdr"));

    ASSERT_EQ(::mkfifo(dir.file("pipe.txt").c_str(), 0644), 0);
    expect_refused(doc, dir.file("pipe.txt"), "not a regular file");
    EXPECT_TRUE(fs::is_fifo(dir.path / "pipe.txt"));

    // The trailing dot keeps the name as it is (line text); without it ".mdr" would be added.
    if (fs::is_character_file("/dev/null")) {
        expect_refused(doc, "/dev/null.", "not a regular file");
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }
    // A link to a folder is judged by what it points to.
    std::error_code ec;
    fs::create_directory_symlink(dir.path / "folder.mdr", dir.path / "to_folder.mdr", ec);
    if (!ec) expect_refused(doc, dir.file("to_folder.mdr"), "not a regular file");
    // Links that point at each other lead nowhere.
    fs::create_symlink("loop_b.txt", dir.path / "loop_a.txt", ec);
    fs::create_symlink("loop_a.txt", dir.path / "loop_b.txt", ec);
    if (!ec) expect_refused(doc, dir.file("loop_a.txt"), "too many levels of symbolic links");
}

TEST(file_safety, a_name_ending_in_a_separator_is_no_file_name) {
    scratch_folder dir;
    modified_doc doc;
    fs::create_directories(dir.path / "DIR");
    for (const std::string& name :
         {dir.file("DIR") + "/", dir.file("DIR") + "\\", dir.file("DIR") + "/.", std::string()}) {
        expect_refused(doc, name, "not a ");
    }
    EXPECT_FALSE(fs::exists(dir.path / "DIR" / ".mdr"));
    EXPECT_TRUE(fs::is_empty(dir.path / "DIR"));
}

// The permission bits decide, so a read-only file is kept even for a process that could write
// it anyway (the tests may run as root).
TEST(file_safety, a_read_only_file_is_not_replaced) {
    scratch_folder dir;
    modified_doc doc;
    for (const char* name : {"locked.mdr", "locked.txt"}) {
        const std::string path = dir.file(name);
        write_bytes(path, "the old contents");
        fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
        expect_refused(doc, path, "the file is read-only");
        EXPECT_EQ(read_bytes(path), "the old contents");
        EXPECT_EQ(fs::status(path).permissions() & fs::perms::owner_write, fs::perms::none);
    }
    // A writable file keeps its bits when replaced.
    const std::string open_file = dir.file("open.txt");
    write_bytes(open_file, "old");
    fs::permissions(open_file, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(write_file(doc, open_file).ok);
    EXPECT_EQ(fs::status(open_file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

} // namespace
} // namespace mondrel
