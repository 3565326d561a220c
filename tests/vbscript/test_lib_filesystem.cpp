// FileSystemObject, File, Folder and TextStream against a scratch folder.
#include "vbscript/lib_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace vbs::test {
namespace {

namespace fs = std::filesystem;

class LibFileSystem : public LibTest {
protected:
    void SetUp() override {
        LibTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "mondrel_fso_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        fso = make("Scripting.FileSystemObject");
    }
    void TearDown() override {
        // A test that failed half-way may leave read-only folders, whose entries could not be
        // removed; give write permission back first.
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
            if (it->is_directory(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir);
        LibTest::TearDown();
    }
    std::string at(const std::string& name) const { return dir + "/" + name; }
    void write_bytes(const std::string& name, const std::string& bytes) {
        std::ofstream(at(name), std::ios::binary) << bytes;
    }
    Value open(const std::string& name, int mode = 1) {
        return member(fso, "OpenTextFile", {S(at(name)), I(int16_t(mode))});
    }

    std::string dir;
    Value fso;
};

TEST_F(LibFileSystem, PathTextKeepsItsSeparators) {
    struct Case {
        const char* fn;
        std::vector<Value> args;
        const char* expected;
    };
    const Case cases[] = {
        {"GetFileName", {S("C:\\a\\b\\")}, "b"},
        {"GetFileName", {S("C:\\")}, ""},
        {"GetFileName", {S("/")}, ""},
        {"GetParentFolderName", {S("C:\\a\\b\\")}, "C:\\a"},
        {"GetParentFolderName", {S("C:\\a")}, "C:\\"},
        {"GetParentFolderName", {S("/usr/lib")}, "/usr"},
        {"GetParentFolderName", {S("/usr")}, "/"},
        {"GetParentFolderName", {S("file.txt")}, ""},
        {"GetExtensionName", {S("/x.y/noext")}, ""},
        {"GetBaseName", {S(".profile")}, ""},
        {"GetDriveName", {S("d:\\x")}, "d:"},
        {"BuildPath", {S("/tmp/"), S("/x")}, "/tmp/x"},
        {"BuildPath", {S("C:"), S("x")}, "C:x"},
        {"BuildPath", {S(""), S("x")}, "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(to_string(member(fso, c.fn, c.args)), c.expected) << c.fn;
    EXPECT_EQ(to_string(member(fso, "GetAbsolutePathName", {S(dir + "/a/../b/")})), dir + "/b");
}

TEST_F(LibFileSystem, TextStreamReadsLinesColumnsAndMarks) {
    write_bytes("mixed.txt", "\xEF\xBB\xBFone\r\ntwo\nthree\r\xC3\xA4nd");
    Value ts = open("mixed.txt");
    EXPECT_EQ(to_string(member(ts, "ReadLine")), "one");
    EXPECT_EQ(to_long(member(ts, "Line")), 2);
    EXPECT_EQ(to_string(member(ts, "Read", {I(2)})), "tw");
    EXPECT_EQ(to_long(member(ts, "Column")), 3);
    member(ts, "SkipLine");
    EXPECT_EQ(to_string(member(ts, "ReadLine")), "three");
    EXPECT_EQ(to_string(member(ts, "Read", {I(2)})), "\xC3\xA4n");
    EXPECT_FALSE(member(ts, "AtEndOfLine").bool_val());
    EXPECT_EQ(to_string(member(ts, "ReadAll")), "d");
    EXPECT_TRUE(member(ts, "AtEndOfStream").bool_val());
    EXPECT_EQ(member_error(ts, "Read", {I(1)}), kErrInputPastEnd);
    EXPECT_EQ(member_error(ts, "Write", {S("x")}), 54);

    write_bytes("utf16.txt", std::string("\xFF\xFE"
                                         "a\0\xAC\x20",
                                         6));
    EXPECT_EQ(to_string(member(open("utf16.txt"), "ReadAll")), "a\xE2\x82\xAC");
}

TEST_F(LibFileSystem, WritingModesAndErrors) {
    Value ts = member(fso, "CreateTextFile", {S(at("w.txt"))});
    member(ts, "WriteLine", {S("a")}, CallKind::Call);
    member(ts, "WriteBlankLines", {I(2)}, CallKind::Call);
    member(ts, "Write", {I(5)}, CallKind::Call);
    EXPECT_EQ(to_long(member(ts, "Line")), 4);
    EXPECT_EQ(member_error(ts, "ReadLine"), 54);
    member(ts, "Close", {}, CallKind::Call);
    EXPECT_EQ(member_error(ts, "Write", {S("late")}), 54);
    EXPECT_EQ(to_long(member(member(fso, "GetFile", {S(at("w.txt"))}), "Size")), 8);

    EXPECT_EQ(member_error(fso, "CreateTextFile", {S(at("w.txt")), Value::boolean(false)}), 58);
    EXPECT_EQ(member_error(fso, "OpenTextFile", {S(at("none.txt")), I(8)}), 53);
    EXPECT_EQ(member_error(fso, "OpenTextFile", {S(at("w.txt")), I(3)}), kErrIllegalCall);
    EXPECT_EQ(member_error(fso, "OpenTextFile", {S(at("no/dir.txt")), I(2), Value::boolean(true)}),
              76);
    Value created = member(fso, "OpenTextFile", {S(at("new.txt")), I(8), Value::boolean(true)});
    member(created, "Close", {}, CallKind::Call);
    EXPECT_TRUE(member(fso, "FileExists", {S(at("new.txt"))}).bool_val());
    EXPECT_EQ(member_error(fso, "OpenTextFile", {S(dir)}), 70);
}

TEST_F(LibFileSystem, FilesAndFoldersWithWildcards) {
    member(fso, "CreateFolder", {S(at("sub"))});
    EXPECT_EQ(member_error(fso, "CreateFolder", {S(at("sub"))}), 58);
    EXPECT_EQ(member_error(fso, "CreateFolder", {S(at("x/y"))}), 76);
    write_bytes("a.txt", "12345");
    write_bytes("b.txt", "1");
    write_bytes("c.log", "");
    member(fso, "CopyFile", {S(at("*.txt")), S(at("sub\\"))});
    Value sub = member(fso, "GetFolder", {S(at("sub"))});
    EXPECT_EQ(to_long(member(member(sub, "Files"), "Count")), 2);
    EXPECT_EQ(to_long(member(sub, "Size")), 6);
    EXPECT_EQ(to_string(member(sub, "Type")), "File Folder");
    Value file = member(member(sub, "Files"), "Item", {S("a.txt")});
    EXPECT_EQ(to_string(member(file, "Type")), "TXT File");
    EXPECT_EQ(to_string(member(member(file, "ParentFolder"), "Path")), at("sub"));
    EXPECT_EQ(member(file, "DateLastModified").tag(), Tag::Date);
    EXPECT_EQ(member_error(fso, "CopyFile", {S(at("a.txt")), S(at("sub")), Value::boolean(false)}),
              58);

    member(file, "Name", {S("renamed.txt")}, CallKind::Let);
    EXPECT_TRUE(member(fso, "FileExists", {S(at("sub/renamed.txt"))}).bool_val());
    member(fso, "MoveFile", {S(at("c.log")), S(at("sub/"))});
    EXPECT_FALSE(member(fso, "FileExists", {S(at("c.log"))}).bool_val());
    EXPECT_EQ(to_long(member(member(member(fso, "GetFolder", {S(dir)}), "SubFolders"), "Count")),
              1);

    member(fso, "DeleteFile", {S(at("sub/*.txt"))});
    EXPECT_EQ(to_long(member(member(sub, "Files"), "Count")), 1);
    EXPECT_EQ(member_error(fso, "DeleteFile", {S(at("sub/*.txt"))}), 53);
    EXPECT_EQ(member_error(fso, "CopyFolder", {S(at("sub")), S(at("sub/inner"))}), kErrIllegalCall);
    EXPECT_EQ(member_error(fso, "MoveFolder", {S(at("sub")), S(at("sub/inner"))}), kErrIllegalCall);
    member(fso, "CopyFolder", {S(at("sub")), S(at("copy"))});
    EXPECT_TRUE(member(fso, "FileExists", {S(at("copy/c.log"))}).bool_val());
    member(fso, "DeleteFolder", {S(at("sub"))});
    EXPECT_FALSE(member(fso, "FolderExists", {S(at("sub"))}).bool_val());
    EXPECT_EQ(member_error(fso, "DeleteFolder", {S(at("sub"))}), 76);
    EXPECT_EQ(member_error(fso, "GetFile", {S(dir)}), 53);
    EXPECT_EQ(member_error(fso, "GetSpecialFolder", {I(3)}), kErrIllegalCall);
    std::string temp = to_string(member(fso, "GetTempName"));
    EXPECT_EQ(temp.size(), 12u);
    EXPECT_EQ(temp.substr(9), "tmp");
}

mode_t mode_of(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : mode_t(-1);
}

// Sets the process's umask for one test and puts the old one back.
struct UmaskFor {
    explicit UmaskFor(mode_t m) : old(::umask(m)) {}
    ~UmaskFor() { ::umask(old); }
    mode_t old;
};

TEST_F(LibFileSystem, SettingAttributesMapsReadOnlyToWriteBits) {
    struct Case {
        bool folder;
        mode_t start, mask;
        int32_t attributes;
        mode_t expected;
        int32_t read_back;
    };
    const Case cases[] = {
        {false, 0664, 022, 1, 0444, 33},
        {false, 0751, 022, 1, 0551, 33},              // execute bits stay
        {false, 0664, 022, 1 | 2 | 4 | 32, 0444, 33}, // Hidden, System, Archive ignored
        {false, 0444, 022, 0, 0644, 32},
        {false, 0444, 002, 32, 0664, 32},
        {false, 0400, 000, 0, 0600, 32}, // no write for those who may not read
        {false, 0644, 000, 0, 0644, 32}, // already writable: left alone
        {false, 0644, 022, 16 | 1024 | 2048, 0644, 32},
        {true, 0755, 022, 16 | 1, 0555, 17},
        {true, 0555, 022, 16, 0755, 16},
    };
    const std::string path = at("item");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << std::oct << c.start << " <- " << std::dec << c.attributes);
        if (c.folder)
            fs::create_directory(path);
        else
            write_bytes("item", "x");
        ASSERT_EQ(::chmod(path.c_str(), c.start), 0);
        UmaskFor mask(c.mask);
        Value item = member(fso, c.folder ? "GetFolder" : "GetFile", {S(path)});
        member(item, "Attributes", {L(c.attributes)}, CallKind::Let);
        EXPECT_EQ(mode_of(path), c.expected);
        EXPECT_EQ(to_long(member(item, "Attributes")), c.read_back);
        ::chmod(path.c_str(), 0700);
        fs::remove_all(path);
    }

    write_bytes("f.txt", "x");
    ASSERT_EQ(::chmod(at("f.txt").c_str(), 0644), 0);
    Value file = member(fso, "GetFile", {S(at("f.txt"))});
    member(file, "Attributes", {S("1")}, CallKind::Let); // numeric text is a number
    EXPECT_EQ(mode_of(at("f.txt")), mode_t(0444));
    EXPECT_EQ(member_error(file, "Attributes", {S("none")}, CallKind::Let), kErrTypeMismatch);
    EXPECT_EQ(member_error(file, "Attributes", {I(1), I(0)}, CallKind::Let), kErrWrongArgs);
    EXPECT_EQ(mode_of(at("f.txt")), mode_t(0444));

    member(fso, "CreateFolder", {S(at("gone"))});
    Value folder = member(fso, "GetFolder", {S(at("gone"))});
    fs::remove(at("f.txt"));
    fs::remove(at("gone"));
    EXPECT_EQ(member_error(file, "Attributes", {I(0)}, CallKind::Let), kErrFileNotFound);
    EXPECT_EQ(member_error(folder, "Attributes", {I(0)}, CallKind::Let), 76);
}

TEST_F(LibFileSystem, UnicodeFilesAreUtf16WithAMark) {
    Value ts =
        member(fso, "CreateTextFile", {S(at("u.txt")), Value::boolean(true), Value::boolean(true)});
    member(ts, "Write", {S("a\xE2\x82\xAC\xF0\x9F\x98\x80")}, CallKind::Call);
    member(ts, "Close", {}, CallKind::Call);
    Value app = member(fso, "OpenTextFile", {S(at("u.txt")), I(8)});
    member(app, "Write", {S("z")}, CallKind::Call);
    member(app, "Close", {}, CallKind::Call);
    std::ifstream in(at("u.txt"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, std::string("\xFF\xFE"
                                 "a\0\xAC\x20\x3D\xD8\x00\xDE"
                                 "z\0",
                                 12));
    EXPECT_EQ(to_string(member(open("u.txt"), "ReadAll")), "a\xE2\x82\xAC\xF0\x9F\x98\x80z");

    // Without a mark, format -1 still reads UTF-16.
    write_bytes("nomark.txt", std::string("h\0i\0", 4));
    Value plain =
        member(fso, "OpenTextFile", {S(at("nomark.txt")), I(1), Value::boolean(false), I(-1)});
    EXPECT_EQ(to_string(member(plain, "ReadAll")), "hi");
}

TEST_F(LibFileSystem, DriveIsTheFileSystemHoldingAPath) {
    Value drive = member(fso, "GetDrive", {S(dir)});
    std::string root = to_string(member(drive, "Path"));
    EXPECT_EQ(dir.rfind(root == "/" ? "/" : root + "/", 0), 0u) << root;
    EXPECT_TRUE(member(drive, "IsReady").bool_val());
    EXPECT_GT(to_double(member(drive, "TotalSize")), 0);
    EXPECT_LE(to_double(member(drive, "AvailableSpace")), to_double(member(drive, "TotalSize")));
    EXPECT_EQ(to_string(member(member(drive, "RootFolder"), "Path")), root);
    EXPECT_EQ(member_error(fso, "GetDrive", {S(at("missing/x"))}), 68);
    EXPECT_TRUE(member(fso, "DriveExists", {S("/")}).bool_val());
    EXPECT_GE(to_long(member(member(fso, "Drives"), "Count")), 1);
}

} // namespace
} // namespace vbs::test
