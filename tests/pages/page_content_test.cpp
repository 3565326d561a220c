// The stored pages themselves: every link leads to a page that exists, every page starts with
// its way back, and every example runs without an error and computes what a person can check
// by hand.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "display/prop_stuff.h"
#include "display/value_text.h"
#include "document/codesheet_file.h"
#include "document/mondrel_doc.h"
#include "document/source_list_item.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "execution/run_engine_vbs.h"
#include "pages/xml_ifile.h"
#include "platform/diagnostic_log.h"
#include "vbscript/locale.h"

namespace mondrel {
namespace {

std::set<std::string> every_page_name() {
    std::set<std::string> names{"Welcome", "About", "Help_index", "Help_outline"};
    for (const page_entry& e : page_index())
        names.insert(e.name);
    return names;
}

TEST(PageContent, IndexHoldsEveryPageOnceWithItsContent) {
    const auto index = page_index();
    EXPECT_EQ(index.size(), 53u);
    EXPECT_EQ(index.front().name, "Examples");
    EXPECT_EQ(index.back().name, "Help_working_with_lines");
    EXPECT_EQ(every_page_name().size(), index.size() + 4);
    for (const page_entry& e : index) {
        EXPECT_GE(e.first, 1900) << e.name;
        EXPECT_GE(e.last, e.first) << e.name;
        EXPECT_EQ(e.title.empty(), e.name == "Help" || e.name == "Examples") << e.name;
    }
}

TEST(PageContent, EveryLinkNamesAPageThatExistsAndEveryPageLoads) {
    const std::set<std::string> names = every_page_name();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        memory_log log;
        diagnostic_log* before = set_diagnostic_log(&log);
        mondrel_doc doc;
        const bool ok = load_xml(doc, Txml_ifile().load_res(name, true), false, read_replace, 0);
        set_diagnostic_log(before);
        ASSERT_TRUE(ok);
        EXPECT_TRUE(log.lines.empty()) << log.lines.front();
        ASSERT_GT(doc.line_count(), 3);
        if (name != "Welcome" && name != "About") {
            EXPECT_EQ(doc.line(0).code.rfind("\\a[__back]", 0), 0u) << doc.line(0).code;
        }
        int links = 0;
        for (int i = 0; i < doc.line_count(); ++i) {
            const link_at link = find_link(doc.line(i).code);
            if (!link.found) continue;
            ++links;
            const std::string& t = link.target;
            if (t == "__back" || t == "__newfile" || t.rfind("::", 0) == 0) continue;
            ASSERT_TRUE(t.rfind("__", 0) == 0 || t.rfind("**", 0) == 0) << t;
            EXPECT_TRUE(names.count(t.substr(2))) << "line " << i + 1 << " links to " << t;
            if (t.rfind("**", 0) == 0) {
                EXPECT_TRUE(is_example_page(t.substr(2))) << t;
            }
        }
        EXPECT_GT(links, 0);
    }
}

TEST(PageContent, EveryExampleIsOfferedOnTheExamplesPage) {
    const std::string examples = Txml_ifile().load_res("Examples", true);
    for (const page_entry& e : page_index())
        if (is_example_page(e.name)) {
            EXPECT_NE(examples.find("\\a[**" + e.name + "]"), std::string::npos) << e.name;
        }
}

// Runs an example as the window does when it is opened as a sheet of one's own.
class example_run {
public:
    explicit example_run(const std::string& name) {
        loaded = load_xml(doc, Txml_ifile().load_res(name, false), false, read_replace, 0);
        engine = std::make_unique<run_engine>(doc, make_vbs_engine(), process_globals());
        engine->run_all(0);
    }
    // The text of value k of the line with that name, in the line's format.
    std::string value(const std::string& line_name, size_t k = 0) const {
        for (int i = 0; i < doc.line_count(); ++i) {
            const source_list_item& l = doc.line(i);
            if (l.name != line_name) continue;
            if (k >= l.results.values.size()) return "(no value " + std::to_string(k) + ")";
            return value_text(l.results.values[k], *l.format);
        }
        return "(no line " + line_name + ")";
    }
    mondrel_doc doc;
    std::unique_ptr<run_engine> engine;
    bool loaded = false;
};

TEST(Examples, EveryExampleRunsWithoutAnError) {
    vbs::set_current_locale(vbs::en_us_locale());
    int examples = 0;
    for (const page_entry& e : page_index()) {
        if (!is_example_page(e.name)) continue;
        ++examples;
        SCOPED_TRACE(e.name);
        const example_run run(e.name);
        ASSERT_TRUE(run.loaded);
        int values = 0;
        for (int i = 0; i < run.doc.line_count(); ++i) {
            const source_list_item& l = run.doc.line(i);
            EXPECT_EQ(l.status, status_ok) << "line " << i + 1 << ": " << l.error_text;
            values += static_cast<int>(l.results.values.size());
        }
        EXPECT_GT(values, 0);
    }
    EXPECT_EQ(examples, 14);
}

TEST(Examples, KeyValuesAreRight) {
    vbs::set_current_locale(vbs::en_us_locale());
    struct check {
        const char* page;
        const char* line;
        size_t k;
        const char* expected;
    };
    const check checks[] = {
        {"Example_easter day", "day", 0, "Sunday 28 March 2027"},
        {"Example_easter day", "next_years", 0, "20 Apr 2025"},
        {"Example_easter day", "next_years", 2, "16 Apr 2028"},
        {"Example_mortgage", "payment", 0, "1,199.10"},
        {"Example_mortgage", "total_interest", 0, "231,676.38"},
        {"Example_mortgage", "balance", 0, "197,543.98"},
        {"Example_mortgage", "owed", 0, "0.00"},
        {"Example_electricity bill", "bill", 0, "94.50"},
        {"Example_cash flow", "npv", 0, "-21.04"},
        {"Example_table", "check", 0, "385"},
        {"Example_table", "cubes", 9, "1000"},
        {"Example_text file", "fruit", 0, "15"},
        {"Example_text file", "lines_read", 0, "3"},
        {"Example_text file", "size", 0, "28"},
        {"Example_text file", "listed_file", 0, "fruit.txt"},
        {"Example_circle points", "x", 1, "7.0711"},
        {"Example_circle points", "y", 2, "10"},
        {"Example_rainfall", "total", 0, "755"},
        {"Example_rainfall", "wettest_month", 0, "December"},
        {"Example_conversions", "fahrenheit", 3, "212"},
        {"Example_conversions", "marathon_miles", 0, "26.219"},
        {"Example_names", "initials", 0, "AL"},
        {"Example_data_types", "big", 0, "2147483647"},
        {"Example_functional test", "passed", 0, "1"},
        {"Example_simple", "sum", 0, "42"},
        {"Example_cdrom info", "root_is_folder", 0, "true"},
    };
    for (const check& c : checks) {
        const example_run run(c.page);
        EXPECT_EQ(run.value(c.line, c.k), c.expected)
            << c.page << " " << c.line << "(" << c.k << ")";
    }
}

} // namespace
} // namespace mondrel
