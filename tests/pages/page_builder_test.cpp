// The page builder: the generated pages, reading stored pages, the outline and its guard.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "document/codesheet_file.h"
#include "document/mondrel_doc.h"
#include "document/source_list_item.h"
#include "pages/xml_ifile.h"
#include "platform/diagnostic_log.h"

namespace mondrel {
namespace {

std::vector<std::string> codes_of(const mondrel_doc& doc) {
    std::vector<std::string> out;
    for (int i = 0; i < doc.line_count(); ++i)
        out.push_back(doc.line(i).code);
    return out;
}

// Loads a page as the window does and keeps the log lines it wrote.
struct loaded_page {
    mondrel_doc doc;
    memory_log log;
    bool ok = false;
    loaded_page(const std::string& name, bool read_only, std::vector<std::string> recent = {},
                page_lookup lookup = page_string) {
        diagnostic_log* before = set_diagnostic_log(&log);
        const std::string xml = Txml_ifile(std::move(recent), lookup).load_res(name, read_only);
        ok = load_xml(doc, xml, false, read_replace, 0);
        set_diagnostic_log(before);
    }
    int find(const std::string& code) const {
        for (int i = 0; i < doc.line_count(); ++i)
            if (doc.line(i).code == code) return i;
        return -1;
    }
};

TEST(Welcome, RecentFilesMakeAnOpenListWithOneLinePerFile) {
    const loaded_page none("Welcome", true);
    ASSERT_TRUE(none.ok);
    EXPECT_EQ(none.find("Open a recently used sheet"), -1);
    EXPECT_GE(none.find("\\a[__newfile] Create a new sheet"), 0);
    EXPECT_GE(none.find("\\A[__Help] Get some help"), 0);

    const loaded_page three("Welcome", true,
                            {"/home/u/a.mdr", "/home/u/sheets/b.txt", "c:\\old\\c.mdr"});
    const int head = three.find("Open a recently used sheet");
    ASSERT_GE(head, 0);
    EXPECT_EQ(three.doc.line(head).count, 4);
    EXPECT_TRUE(three.doc.line(head).is_open());
    EXPECT_EQ(three.doc.line(head + 1).code, "\\a[/home/u/a.mdr] a.mdr");
    EXPECT_EQ(three.doc.line(head + 2).code, "\\a[/home/u/sheets/b.txt] b.txt");
    EXPECT_EQ(three.doc.line(head + 3).code, "\\a[c:\\old\\c.mdr] c.mdr");
    EXPECT_EQ(three.doc.line(head + 4).code, "");
    EXPECT_EQ(three.doc.line(1).code,
              "\\h32\\p[app_icon]\\x040\\s10\\bMondrel\\x260\\s14\\c[$0000FF]Welcome");
}

TEST(Welcome, FileNamesWithMarkupCharactersSurviveTheXml) {
    const loaded_page p("Welcome", true, {"/tmp/a&b <\"q\">.mdr", "/tmp/x]y.mdr"});
    EXPECT_GE(p.find("\\a[/tmp/a&b <\"q\">.mdr] a&b <\"q\">.mdr"), 0);
    // A "]" would end the link's target early and open /tmp/x: the name is shown, not linked.
    const int head = p.find("Open a recently used sheet");
    ASSERT_GE(head, 0);
    EXPECT_EQ(p.doc.line(head).count, 3);
    EXPECT_EQ(p.doc.line(head + 2).code, "x]y.mdr");
}

TEST(GeneratedPages, HelpBodyLinesCarryPositionAndColourExceptLinks) {
    for (const char* name : {"Help_index", "Help_outline"}) {
        SCOPED_TRACE(name);
        const loaded_page p(name, true);
        ASSERT_TRUE(p.ok);
        const auto codes = codes_of(p.doc);
        ASSERT_GE(codes.size(), 5u);
        EXPECT_EQ(codes[0], "\\a[__back] \\c[$008000]Go back");
        EXPECT_EQ(codes[1].substr(0, 27), "\\c[$008000]\\x080\\s11\\bHelp ");
        EXPECT_EQ(codes[2], "");
        EXPECT_EQ(codes[3], "");
        int body = 0;
        for (size_t i = 4; i + 1 < codes.size(); ++i) { // the trailing blank line is the doc's
            if (codes[i].rfind("\\a", 0) == 0) continue;
            ++body;
            EXPECT_EQ(codes[i].substr(0, 16), "\\x020\\c[$000000]") << codes[i];
        }
        EXPECT_GT(body, 0);
    }
}

TEST(HelpIndex, ListsTitledHelpPagesSortedByTitle) {
    const loaded_page p("Help_index", true);
    std::vector<std::string> titles;
    for (const std::string& code : codes_of(p.doc)) {
        const link_at link = find_link(code);
        if (!link.found || link.target == "__back") continue;
        EXPECT_EQ(link.target.substr(0, 7), "__Help_") << code;
        titles.push_back(code.substr(code.find(']') + 2));
    }
    size_t titled_help = 0;
    for (const page_entry& e : page_index())
        if (e.name.rfind("Help", 0) == 0 && !e.title.empty()) ++titled_help;
    EXPECT_EQ(titles.size(), titled_help);
    EXPECT_TRUE(std::is_sorted(titles.begin(), titles.end(), [](std::string a, std::string b) {
        for (auto* s : {&a, &b})
            for (char& c : *s)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return a < b;
    }));
    EXPECT_EQ(p.find("\\a[__Help] "), -1);
}

TEST(StoredPages, ReadOnlyFlagOnlyWhenLoadedAsAPage) {
    const loaded_page page("Example_mortgage", true);
    const loaded_page example("Example_mortgage", false);
    ASSERT_TRUE(page.ok);
    ASSERT_TRUE(example.ok);
    ASSERT_GT(page.doc.line_count(), 5);
    for (int i = 0; i < page.doc.line_count(); ++i) {
        // The document adds a blank line to type in when the last line is not one.
        if (i + 1 == page.doc.line_count() && page.doc.line(i).code.empty()) break;
        EXPECT_TRUE(page.doc.line(i).flags & flag_readonly) << i;
    }
    for (int i = 0; i < example.doc.line_count(); ++i)
        EXPECT_FALSE(example.doc.line(i).flags & flag_readonly) << i;
    EXPECT_EQ(page.doc.description, "Mortgage Amortization");
}

TEST(StoredPages, UnknownOrWrongCaseNameGivesAnEmptyPage) {
    for (const char* name : {"No_such_page", "help", "example_mortgage", ""}) {
        const loaded_page p(name, true);
        EXPECT_TRUE(p.ok) << name;
        EXPECT_EQ(p.doc.line_count(), 1) << name;
        EXPECT_TRUE(p.log.lines.empty()) << name;
    }
}

// A small table of its own: a page that is not XML, and pages that link in a circle
// (Help -> A, B; A -> C; B -> C; C -> A, Help).
std::string page_xml(std::vector<std::string> links) {
    std::string x = "<?xml version=\"1.0\"?>\n<mondrel>\n";
    for (const std::string& l : links)
        x += "<line type=\"rem\"><count>1</count><code>" + l +
             "</code><name></name>"
             "<format></format></line>\n";
    return x + "</mondrel>";
}

// Lays pages out as the generated table does: the index from 1000, the content from 2000.
std::map<int, std::string>
make_table(const std::vector<std::pair<std::string, std::string>>& pages) {
    std::map<int, std::string> t;
    int id = 1000, content = 2000;
    for (const auto& [name, xml] : pages) {
        const int first = content;
        size_t pos = 0;
        while (pos <= xml.size()) {
            size_t end = xml.find('\n', pos);
            if (end == std::string::npos) end = xml.size();
            t[content++] = xml.substr(pos, end - pos);
            pos = end + 1;
        }
        t[id] = name;
        t[id + 1] = name == "Help" ? "" : name;
        t[id + 2] = std::to_string(first);
        t[id + 3] = std::to_string(content - 1);
        id += 4;
    }
    t[id] = ".....";
    return t;
}

std::optional<std::string_view> find_in(const std::map<int, std::string>& table, int id) {
    const auto it = table.find(id);
    if (it == table.end()) return std::nullopt;
    return std::string_view(it->second);
}

std::optional<std::string_view> test_lookup(int id) {
    static const std::map<int, std::string> table = make_table({
        {"Help", page_xml({"intro \\a[__Help_A] A", "\\a[__Help_B] B", "\\a[__back] back",
                           "\\a[**Example_x] an example", "\\a[__help_a] wrong case"})},
        {"Help_A", page_xml({"\\a[__Help_C] C from A"})},
        {"Help_B", page_xml({"\\a[__Help_C] C from B", "\\a[__Broken] broken"})},
        {"Help_C", page_xml({"\\a[__Help_A] back to A", "\\A[__Help] the top"})},
        {"Broken", "<mondrel><line><count>1</count></line><line>"},
    });
    return find_in(table, id);
}

// Help -> P1 -> P2 -> ... -> P12, a chain deeper than the outline goes.
std::optional<std::string_view> chain_lookup(int id) {
    static const std::map<int, std::string> table = [] {
        std::vector<std::pair<std::string, std::string>> pages{
            {"Help", page_xml({"\\a[__P1] P1"})}};
        for (int i = 1; i <= 12; ++i)
            pages.emplace_back(
                "P" + std::to_string(i),
                page_xml({"\\a[__P" + std::to_string(i + 1) + "] P" + std::to_string(i + 1)}));
        return make_table(pages);
    }();
    return find_in(table, id);
}

// Pages are copied element by element as written; these are written in unusual ways.
std::optional<std::string_view> odd_lookup(int id) {
    static const std::map<int, std::string> table = make_table({
        {"Odd",
         "<?xml version=\"1.0\"?><mondrel><properties><description>d</description>"
         "</properties><line open=\"true\" note='a>b'><count>1</count><code>x &amp; y</code>"
         "<name>n</name><format></format></line><line readonly=\"false\" type=\"rem\">"
         "<count>1</count><code>r</code></line><!-- a comment --><line/>\n"
         "<line readonly=\"true\"><count>1</count><code>&lt;kept&gt;</code></line></mondrel>"},
    });
    return find_in(table, id);
}

TEST(StoredPages, ElementsWrittenInAnyLayoutKeepTheirContent) {
    for (const bool read_only : {true, false}) {
        SCOPED_TRACE(read_only);
        const loaded_page p("Odd", read_only, {}, odd_lookup);
        ASSERT_TRUE(p.ok);
        ASSERT_GE(p.doc.line_count(), 4);
        EXPECT_EQ(codes_of(p.doc)[0], "x & y");
        EXPECT_EQ(p.doc.line(0).name, "n");
        EXPECT_TRUE(p.doc.line(0).is_open());
        EXPECT_EQ(codes_of(p.doc)[1], "r");
        EXPECT_EQ(codes_of(p.doc)[2], "");
        EXPECT_EQ(codes_of(p.doc)[3], "<kept>");
        EXPECT_EQ(p.doc.description, "d");
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ((p.doc.line(i).flags & flag_readonly) != 0, read_only || i == 3) << i;
    }
}

TEST(StoredPages, InvalidXmlIsLoggedAndGivesNoLines) {
    const loaded_page p("Broken", true, {}, test_lookup);
    EXPECT_EQ(p.doc.line_count(), 1);
    ASSERT_EQ(p.log.lines.size(), 1u);
    EXPECT_EQ(p.log.lines[0].rfind("ERROR in Txml_ifile.load_res: ", 0), 0u) << p.log.lines[0];
}

TEST(Outline, CircularLinksEndAndSharedPagesAppearOncePerPath) {
    const loaded_page p("Help_outline", true, {}, test_lookup);
    ASSERT_TRUE(p.ok);
    std::vector<std::string> body;
    const auto codes = codes_of(p.doc);
    for (size_t i = 5; i < codes.size(); ++i)
        if (!codes[i].empty()) body.push_back(codes[i].substr(16)); // after \x020\c[$000000]
    const std::vector<std::string> expected = {
        "intro \\x020\\a[__Help_A] A",
        "\\x035\\a[__Help_C] C from A",
        "\\x050\\a[__Help_A] back to A", // A is on the path: listed, not opened again
        "\\x050\\A[__Help] the top",     // so is Help
        "\\x020\\a[__Help_B] B",
        "\\x035\\a[__Help_C] C from B",
        "\\x050\\a[__Help_A] back to A", // not on this path: opened
        "\\x065\\a[__Help_C] C from A",  // C is on this path: not opened again
        "\\x050\\A[__Help] the top",
        "\\x035\\a[__Broken] broken",
        "\\x020\\a[__help_a] wrong case", // no such page: the line without a sub-outline
        "",                               // the empty line that ends the outline
    };
    EXPECT_EQ(body, expected);
    ASSERT_EQ(p.log.lines.size(), 1u);
    EXPECT_EQ(p.log.lines[0].rfind("ERROR in Txml_ifile.load_res_outline: ", 0), 0u);
}

TEST(Outline, StopsOpeningPagesAtTheDepthLimit) {
    const loaded_page p("Help_outline", true, {}, chain_lookup);
    std::vector<std::string> body;
    for (const std::string& code : codes_of(p.doc))
        if (code.find("\\a[__P") != std::string::npos) body.push_back(code.substr(16));
    ASSERT_EQ(body.size(), static_cast<size_t>(Txml_ifile::max_outline_depth));
    EXPECT_EQ(body.front(), "\\x020\\a[__P1] P1");
    EXPECT_EQ(body.back(), "\\x125\\a[__P8] P8");
}

TEST(Outline, RealHelpOutlineEndsAndIndentsByDepth) {
    const loaded_page p("Help_outline", true);
    ASSERT_TRUE(p.ok);
    EXPECT_GT(p.doc.line_count(), 30);
    EXPECT_GE(p.find("\\x020\\c[$000000]\\x020\\a[__Help_reference] Reference"), 0);
    EXPECT_GE(p.find("\\x020\\c[$000000]\\x035\\a[__Help_code_words] Code words"), 0);
}

TEST(FindLink, BracketedTargetsAfterAnyText) {
    struct row {
        const char* code;
        bool found;
        size_t pos;
        const char* target;
    };
    const row rows[] = {
        {"\\a[__Help] x", true, 0, "__Help"},
        {"see \\A[**Example_simple]", true, 4, "**Example_simple"},
        {"\\\\a[__Help]", false, 0, ""}, // an escaped backslash
        {"\\a[__Help", false, 0, ""},    // no closing bracket
        {"\\a __Help]", false, 0, ""},
        {"\\b\\a[]", true, 2, ""},
    };
    for (const row& r : rows) {
        const link_at l = find_link(r.code);
        EXPECT_EQ(l.found, r.found) << r.code;
        if (!r.found) continue;
        EXPECT_EQ(l.pos, r.pos) << r.code;
        EXPECT_EQ(l.target, r.target) << r.code;
    }
}

} // namespace
} // namespace mondrel
