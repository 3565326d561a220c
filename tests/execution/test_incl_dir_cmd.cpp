// INCL loading and removal, DIR listings of real folders (names that would break script text
// among them), and CMD run chains.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/codesheet_file.h"
#include "execution/globals.h"
#include "execution/incl_dir_cmd.h"
#include "execution/run_engine.h"
#include "test_run_support.h"

namespace fs = std::filesystem;

namespace mondrel {
namespace {

// A fresh folder under the system's temporary folder, removed at the end of the test.
struct temp_folder {
    fs::path path;
    temp_folder() {
        path =
            fs::temp_directory_path() /
            ("mondrel_incl_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~temp_folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// Writes a codesheet file made of these lines.
void write_sheet(const std::string& file, const std::vector<test::sheet_line>& lines) {
    mondrel_doc doc;
    test::fill_sheet(doc, lines);
    std::string destination = file;
    ASSERT_TRUE(store_xml(doc, destination, true)) << file;
}

void touch(const fs::path& file) {
    std::ofstream(file) << "x";
}

struct incl_fixture : test::sheet_fixture {
    file_include_source files;
    explicit incl_fixture(const std::vector<test::sheet_line>& lines) : sheet_fixture(lines) {
        run->set_include_source(&files);
    }
    int find(std::string_view code) const {
        for (int i = 0; i < doc.line_count(); ++i)
            if (doc.line(i).code == code) return i;
        return -1;
    }
};

// --- INCL ------------------------------------------------------------------------------------

TEST(Include, NameWithoutFolderIsReadFromTheSheetsFolder) {
    temp_folder dir;
    write_sheet(dir / "rates.mdr", {{0, cw_expression, "rate", "5"}});
    incl_fixture f({{0, cw_incl, "", "\"rates\""}, {0, cw_expression, "due", "rate*2"}});
    f.doc.set_file_name(dir / "sheet.mdr");
    f.run->run_all();
    ASSERT_EQ(f.doc.line(0).error_text, "");
    EXPECT_EQ(f.doc.line(0).count, 3); // the rem line and the file's line
    EXPECT_FALSE(f.doc.line(0).is_open());
    EXPECT_EQ(f.doc.line(1).code_word, cw_rem);
    EXPECT_EQ(f.doc.line(1).code, "Include file loaded automatically.");
    EXPECT_EQ(f.doc.line(2).name, "rate");
    EXPECT_EQ(test::value0(f.doc, 3), 10);
    // Loading is part of running, not an edit.
    EXPECT_EQ(f.doc.history().undo_count(), 0);
}

// Steps recorded before the included lines came (or after, before they left) would be
// replayed at shifted indexes: loading and removing included lines forgets them instead.
TEST(Include, LoadingAndRemovingForgetTheStepsTheyWouldShift) {
    temp_folder dir;
    write_sheet(dir / "rates.mdr", {{0, cw_expression, "rate", "5"}, {0, cw_expression, "", "6"}});
    incl_fixture f({{0, cw_incl, "", "\"rates\""}, {0, cw_expression, "due", "rate*2"}});
    f.doc.set_file_name(dir / "sheet.mdr");
    f.doc.history().begin_group("edit");
    f.doc.add_after_sli(make_line(f.doc, 1, cw_expression, "", "99"), 1);
    f.doc.history().end_group();
    ASSERT_EQ(f.doc.history().undo_count(), 1);

    f.run->run_all();
    ASSERT_EQ(f.doc.line(0).count, 4) << f.doc.line(0).error_text;
    EXPECT_EQ(f.doc.history().undo_count(), 0);
    const int added = f.find("99");
    ASSERT_GE(added, 0);
    EXPECT_FALSE(f.doc.undo().applied);
    EXPECT_EQ(f.find("99"), added) << "nothing was replayed at the shifted index";
    EXPECT_TRUE(f.doc.is_modified());

    f.doc.history().begin_group("edit");
    f.doc.add_after_sli(make_line(f.doc, 1, cw_expression, "", "77"), f.find("99"));
    f.doc.history().end_group();
    remove_included_lines(f.doc);
    EXPECT_EQ(f.doc.line(0).count, 1);
    EXPECT_EQ(f.doc.history().undo_count(), 0);
    EXPECT_GE(f.find("77"), 0);
}

TEST(Include, SheetWithoutFolderUsesTheDefaultIncludeFolder) {
    temp_folder dir;
    write_sheet(dir / "rates.mdr", {{0, cw_expression, "rate", "7"}});
    auto folder = test::incl_dir_scope(dir.path.string());
    incl_fixture f({{0, cw_incl, "", "\"rates\""}, {0, cw_expression, "due", "rate"}});
    EXPECT_EQ(include_path(f.doc, "rates"), dir / "rates.mdr");
    f.run->run_all();
    EXPECT_EQ(test::value0(f.doc, 3), 7);
}

TEST(Include, MissingFileIsAnErrorOnTheLineAndIsTriedAgainNextRun) {
    temp_folder dir;
    incl_fixture f({{0, cw_incl, "", "\"later\""}, {0, cw_expression, "after", "1"}});
    f.doc.set_file_name(dir / "sheet.mdr");
    f.run->run_all();
    EXPECT_EQ(f.doc.line(0).status, status_runtime_error);
    EXPECT_EQ(f.doc.line(0).error_text, "Could not read the include file: " + (dir / "later.mdr"));
    EXPECT_EQ(f.doc.line(0).count, 1);
    EXPECT_EQ(test::value0(f.doc, 1), 1); // the walk went on
    write_sheet(dir / "later.mdr", {{0, cw_expression, "x", "3"}});
    f.run->run_all();
    EXPECT_EQ(f.doc.line(0).error_text, "");
    EXPECT_EQ(f.doc.line(0).count, 3);
}

TEST(Include, NestedIncludesLoadInLaterPassesAndStoringDropsThem) {
    temp_folder dir;
    write_sheet(dir / "inner.mdr", {{0, cw_expression, "deep", "41"}});
    write_sheet(dir / "outer.mdr", {{0, cw_incl, "", "\"inner\""}});
    incl_fixture f({{0, cw_incl, "", "\"outer\""}, {0, cw_expression, "r", "deep+1"}});
    f.doc.set_file_name(dir / "sheet.mdr");
    f.run->run_all();
    EXPECT_EQ(test::value0(f.doc, f.doc.line_count() - 1), 42);
    EXPECT_EQ(f.doc.line_count(), 6);
    const std::string stored = xml_text(f.doc);
    EXPECT_EQ(stored.find("Include file loaded"), std::string::npos);
    EXPECT_EQ(stored.find("41"), std::string::npos);
    remove_included_lines(f.doc);
    ASSERT_EQ(f.doc.line_count(), 2);
    EXPECT_EQ(f.doc.line(0).count, 1);
    EXPECT_EQ(f.doc.line(1).name, "r");
    // The next run brings them back.
    f.run->run_all();
    EXPECT_EQ(f.doc.line_count(), 6);
}

TEST(Include, AFileThatIncludesItselfStopsAtTheFirstRepeat) {
    temp_folder dir;
    write_sheet(dir / "self.mdr", {{0, cw_expression, "x", "1"}, {0, cw_incl, "", "\"self\""}});
    incl_fixture f({{0, cw_incl, "", "\"self\""}});
    f.doc.set_file_name(dir / "sheet.mdr");
    f.run->run_all();
    const int lines_after_first = f.doc.line_count();
    EXPECT_EQ(lines_after_first, 4); // incl, rem, x, the inner incl that is refused
    EXPECT_EQ(f.doc.line(3).error_text, "Include file includes itself: " + (dir / "self.mdr"));
    // Run after run the sheet does not grow.
    f.run->run_all();
    f.run->run_all();
    EXPECT_EQ(f.doc.line_count(), lines_after_first);
}

// One pass loads every include of the sheet at once: each `incl` line gets its own lines in
// its own place, a failure stays on its line, and lines made from the files take temporary
// names that no other line of the sheet has.
TEST(Include, ManyIncludesInOnePassKeepTheirPlacesAndNames) {
    temp_folder dir;
    write_sheet(
        dir / "loop.mdr",
        {{0, cw_for, "k", "1 to 3"}, {1, cw_let, "", "s=s+k"}, {0, cw_expression, "", "s"}});
    write_sheet(dir / "one.mdr", {{0, cw_expression, "one", "1"}});
    incl_fixture f({{0, cw_for, "j", "1 to 2"},
                    {1, cw_let, "", "t=t+j"},
                    {0, cw_incl, "", "\"loop\""},
                    {0, cw_incl, "", "\"missing\""},
                    {0, cw_incl, "", "\"one\""},
                    {0, cw_incl, "", "\"loop\""},
                    {0, cw_expression, "total", "s+t+one"}});
    f.doc.set_file_name(dir / "sheet.mdr");
    f.run->run_all();
    // for j, let, incl loop (rem, for k, let, s), incl missing, incl one (rem, one),
    // incl loop (rem, for k, let, s), total
    ASSERT_EQ(f.doc.line_count(), 17);
    const int32_t counts[] = {2, 1, 4, 1, 2, 1, 1, 1, 3, 1, 1, 4, 1, 2, 1, 1, 1};
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(f.doc.line(i).count, counts[i]) << i;
    EXPECT_EQ(f.doc.line(3).code_word, cw_rem);
    EXPECT_EQ(f.doc.line(4).name, "k");
    EXPECT_EQ(f.doc.line(7).error_text,
              "Could not read the include file: " + (dir / "missing.mdr"));
    EXPECT_EQ(f.doc.line(10).name, "one");
    for (int head : {2, 8, 11})
        EXPECT_FALSE(f.doc.line(head).is_open()) << head;
    // Both included FOR lines ran (s = 6 + 6), as did the sheet's own (t = 3).
    EXPECT_EQ(test::value0(f.doc, 16), 16);
    std::vector<std::string> temps; // of the three FOR lines
    for (int i = 0; i < f.doc.line_count(); ++i)
        for (const std::string* t : {&f.doc.line(i).temp1, &f.doc.line(i).temp2})
            if (!t->empty()) temps.push_back(*t);
    ASSERT_EQ(temps.size(), 6u);
    std::sort(temps.begin(), temps.end());
    EXPECT_EQ(std::adjacent_find(temps.begin(), temps.end()), temps.end());
}

// A run that is stopped (out of time, or interrupted) reads no further include file.
TEST(Include, StoppedLoadingReadsNothing) {
    temp_folder dir;
    write_sheet(dir / "one.mdr", {{0, cw_expression, "one", "1"}});
    mondrel_doc doc;
    test::fill_sheet(doc, {{0, cw_incl, "", "\"one\""}, {0, cw_incl, "", "\"one\""}});
    doc.set_file_name(dir / "sheet.mdr");
    const int before = doc.line_count();
    std::atomic<bool> stop{true};
    EXPECT_EQ(load_include_files(doc, file_includes(), &stop), 0);
    EXPECT_EQ(doc.line_count(), before);
    stop = false;
    EXPECT_EQ(load_include_files(doc, file_includes(), &stop), 2);
    EXPECT_EQ(doc.line_count(), before + 4);
}

TEST(Include, ResolvesPaths) {
    mondrel_doc doc;
    doc.set_file_name("/home/u/sheets/a.mdr");
    EXPECT_EQ(include_path(doc, "rates"), "/home/u/sheets/rates.mdr");
    EXPECT_EQ(include_path(doc, "rates.txt"), "/home/u/sheets/rates.txt");
    EXPECT_EQ(include_path(doc, "lib\\rates"), "/home/u/sheets/lib/rates.mdr");
    EXPECT_EQ(include_path(doc, "/opt/r.mdr"), "/opt/r.mdr");
}

// --- DIR -------------------------------------------------------------------------------------

TEST(Dir, ListsSubfoldersFirstThenPlainEntries) {
    temp_folder dir;
    fs::create_directories(dir.path / "F" / "S");
    touch(dir.path / "F" / "S" / "a.txt");
    touch(dir.path / "F" / "b.txt");
    dir_node listing;
    ASSERT_TRUE(folder_scan(dir / "F", listing));
    EXPECT_EQ(dir_literal(listing), R"({"F",{"S","a.txt"},"b.txt"})");
    EXPECT_EQ(dir_shape_literal(listing), "{0,{0,0},0}");
    ASSERT_TRUE(folder_scan("  " + (dir / "F") + "/  ", listing)); // blanks and a separator
    EXPECT_EQ(listing.name, "F");
}

TEST(Dir, MissingFolderAndEmptyPath) {
    temp_folder dir;
    dir_node listing;
    ASSERT_TRUE(folder_scan(dir / "nothing", listing));
    EXPECT_EQ(dir_literal(listing), R"({"nothing"})");
    EXPECT_FALSE(folder_scan("   ", listing));
}

TEST(Dir, QuotesInNamesAreDoubled) {
    dir_node n{"a\"b", {}, {"say \"hi\".txt"}};
    EXPECT_EQ(dir_literal(n), R"({"a""b","say ""hi"".txt"})");
    EXPECT_EQ(quote_script_string(""), "\"\"");
}

TEST(Dir, SymbolicLinkLoopsAreNotFollowed) {
    temp_folder dir;
    fs::create_directories(dir.path / "F");
    std::error_code ec;
    fs::create_directory_symlink(dir.path / "F", dir.path / "F" / "loop", ec);
    if (ec) GTEST_SKIP() << "no symbolic links here";
    dir_node listing;
    ASSERT_TRUE(folder_scan(dir / "F", listing));
    EXPECT_EQ(dir_literal(listing), R"({"F","loop"})");
}

// Names that would end a string literal, run code, or confuse the repeat notation and the
// tokenizer if they were ever written into script text.
const std::vector<std::string> awkward_names{
    "plain.txt",
    "with space.txt",
    "quote\"inside.txt",
    "x\",CreateObject(\"WScript.Shell\").Run(\"calc\"),\"",
    "colon:3.txt",
    "brace}{.txt",
    "semi;colon.txt",
    "\xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt", // été 日本
};

TEST(Dir, RunOnAFolderOfAwkwardNamesShowsEveryNameExactly) {
    temp_folder dir;
    fs::create_directories(dir.path / "F");
    for (const std::string& name : awkward_names)
        touch(dir.path / "F" / name);
    global_list globals;
    mondrel_doc doc;
    test::fill_sheet(doc, {{0, cw_expression, "p", "\"" + (dir / "F") + "\""},
                           {0, cw_dir, "d", "p"},
                           {0, cw_expression, "n", "UBound(d)"}});
    auto engine = std::make_unique<test::fake_engine>();
    test::fake_engine& fake = *engine;
    run_engine run(doc, std::move(engine), globals);
    run.run_all();
    ASSERT_EQ(doc.line(1).error_text, "");
    EXPECT_EQ(test::value0(doc, 2), static_cast<double>(awkward_names.size()));
    // The values on the DIR line: the folder's name, then every file, in listing order.
    const line_results& r = doc.line(1).results;
    ASSERT_EQ(r.count, static_cast<int>(awkward_names.size()) + 1);
    EXPECT_EQ(vbs::to_string(r.values[0]), "F");
    std::vector<std::string> shown, expected = awkward_names;
    for (int k = 1; k < r.count; ++k)
        shown.push_back(vbs::to_string(r.values[k]));
    std::sort(shown.begin(), shown.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(fake.var("d").is_array());
}

TEST(Dir, FailuresGiveTheFixedText) {
    global_list globals;
    mondrel_doc doc;
    test::fill_sheet(doc, {{0, cw_dir, "d", "1/0"}, {0, cw_dir, "bad name", "\"/\""}});
    run_engine run(doc, std::make_unique<test::fake_engine>(), globals);
    run.run_all();
    EXPECT_EQ(doc.line(0).error_text, "Error reading directory");
    // A name that is no name is refused when the line is made: it never reaches the script.
    EXPECT_EQ(doc.line(1).status, status_syntax_error);
    EXPECT_EQ(doc.line(1).error_text, "Bad characters in name");
}

// Each folder level adds an index to the paths of the names inside it, and a line reports at
// most ten: the tenth level of names still shows, a deeper tree fails and says why.
TEST(Dir, ATreeDeeperThanTheIndexLevelsFailsWithItsReason) {
    temp_folder dir;
    fs::path deepest = dir.path / "F";
    for (int level = 1; level <= max_dir_depth; ++level)
        deepest /= "d" + std::to_string(level);
    fs::create_directories(deepest);
    touch(deepest / "last.txt");
    dir_node listing;
    std::string reason = "stale";
    ASSERT_TRUE(folder_scan(dir / "F", listing, &reason));
    EXPECT_EQ(reason, "");
    const dir_node* node = &listing;
    for (int level = 1; level <= max_dir_depth; ++level) {
        ASSERT_EQ(node->folders.size(), 1u) << "level " << level;
        node = &node->folders[0];
    }
    EXPECT_EQ(node->files, std::vector<std::string>{"last.txt"});

    fs::create_directories(deepest / "one_more");
    EXPECT_FALSE(folder_scan(dir / "F", listing, &reason));
    EXPECT_EQ(reason, "the folders go deeper than 10 levels");

    global_list globals;
    mondrel_doc doc;
    test::fill_sheet(doc, {{0, cw_dir, "d", "\"" + (dir / "F") + "\""}});
    run_engine run(doc, std::make_unique<test::fake_engine>(), globals);
    run.run_all();
    EXPECT_EQ(doc.line(0).error_text,
              "Error reading directory: the folders go deeper than 10 levels");
}

// --- CMD run ---------------------------------------------------------------------------------

// Sheets by path, each with its own run engine, opened on demand.
class sheet_chain : public chain_host {
public:
    global_list globals;
    std::map<std::string, std::vector<test::sheet_line>> sources;
    std::map<std::string, std::pair<std::unique_ptr<mondrel_doc>, std::unique_ptr<run_engine>>>
        open;
    int opened = 0;

    run_engine* open_for_chain(const std::string& path) override {
        ++opened;
        auto found = open.find(path);
        if (found != open.end()) return found->second.second.get();
        auto src = sources.find(path);
        if (src == sources.end()) return nullptr;
        auto doc = std::make_unique<mondrel_doc>();
        test::fill_sheet(*doc, src->second);
        doc->set_file_name(path);
        auto run =
            std::make_unique<run_engine>(*doc, std::make_unique<test::fake_engine>(), globals);
        run_engine* r = run.get();
        open[path] = {std::move(doc), std::move(run)};
        return r;
    }
};

TEST(CmdRun, HandsOverToTheNamedSheetWithTheGlobals) {
    sheet_chain chain;
    chain.globals.add("g");
    chain.sources["/s/b.mdr"] = {{0, cw_expression, "got", "g*2"}};
    mondrel_doc a;
    test::fill_sheet(a, {{0, cw_let, "", "g=21"},
                         {0, cw_cmd, "", "run \"/s/b.mdr\""},
                         {0, cw_expression, "never", "1"}});
    run_engine ra(a, std::make_unique<test::fake_engine>(), chain.globals);
    ra.run_all();
    EXPECT_EQ(ra.reason(), stop_reason::chain);
    EXPECT_EQ(ra.chain_path(), "/s/b.mdr");
    EXPECT_EQ(ra.state(), run_state::idle);
    EXPECT_EQ(a.line(2).results.count, 0);
    run_engine& last = follow_chain(ra, chain);
    EXPECT_EQ(test::value0(last.document(), 0), 42);
}

TEST(CmdRun, SheetsRunningEachOtherStopAtTheChainLimit) {
    sheet_chain chain;
    chain.sources["/s/a.mdr"] = {{0, cw_cmd, "", "run \"/s/b.mdr\""}};
    chain.sources["/s/b.mdr"] = {{0, cw_cmd, "", "run \"/s/a.mdr\""}};
    run_engine* first = chain.open_for_chain("/s/a.mdr");
    chain.opened = 0;
    first->run_all();
    run_engine& last = follow_chain(*first, chain);
    EXPECT_EQ(chain.opened, max_chain_depth);
    EXPECT_EQ(last.reason(), stop_reason::none);
    EXPECT_EQ(last.document().line(0).error_text, "CMD run chain too deep");
}

TEST(CmdRun, PathThatFailsIsAnErrorAndTheWalkGoesOn) {
    sheet_chain chain;
    mondrel_doc a;
    test::fill_sheet(a, {{0, cw_cmd, "", "run 1/0"}, {0, cw_expression, "after", "3"}});
    run_engine ra(a, std::make_unique<test::fake_engine>(), chain.globals);
    ra.run_all();
    EXPECT_EQ(ra.reason(), stop_reason::none);
    EXPECT_EQ(a.line(0).error_text, "Error in CMD stmt");
    EXPECT_EQ(test::value0(a, 1), 3);
}

} // namespace
} // namespace mondrel
