// Links in code texts: where one is found, what its target names, and the status-bar hint.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/links.h"

namespace mondrel {
namespace {

TEST(links, find_link_and_leading_link) {
    struct link_case {
        std::string code;
        bool found;
        size_t pos;
        std::string target;
        bool leading;
        bool second;
    };
    const std::vector<link_case> cases{
        {"\\a[__Help] help", true, 0, "__Help", true, false},
        {"\\A[__Help]", true, 0, "__Help", true, true},
        {"see \\a[x.mdr]", true, 4, "x.mdr", false, false},
        {"\\\\a[x]", false, 0, "", false, false}, // an escaped backslash
        {"\\a[unclosed", false, 0, "", false, false},
        {"\\a x", false, 0, "", false, false},
        {"\\a[]", true, 0, "", true, false},
        {"", false, 0, "", false, false},
    };
    for (const link_case& c : cases) {
        const link_at l = find_link(c.code);
        EXPECT_EQ(l.found, c.found) << c.code;
        if (c.found) {
            EXPECT_EQ(l.pos, c.pos) << c.code;
            EXPECT_EQ(l.target, c.target) << c.code;
            EXPECT_EQ(l.second_mode, c.second) << c.code;
        }
        EXPECT_EQ(leading_link(c.code).found, c.leading) << c.code;
    }
}

TEST(links, kinds_and_hints_of_targets) {
    struct target_case {
        std::string target;
        link_kind kind;
        std::string rest;
        std::string hint;
    };
    const std::vector<target_case> cases{
        {"__back", link_kind::back, "", "Click here to go back to the last page."},
        {"__newfile", link_kind::new_file, "", "Click here to create a new codesheet."},
        {"__backup", link_kind::page, "backup", "Click here to go to:  \"backup\""},
        {"__Help", link_kind::page, "Help", "Click here to go to:  \"Help\""},
        {"**Loan", link_kind::example, "Loan", "Click here to open:  \"Loan\""},
        {"::https://example.org", link_kind::external, "https://example.org",
         "Click here to link to:  \"https://example.org\""},
        {"C:\\sheets\\budget.mdr", link_kind::file, "C:\\sheets\\budget.mdr",
         "Click here to open the codesheet:  \"budget.mdr\""},
        {"../up/x.mdr", link_kind::file, "../up/x.mdr",
         "Click here to open the codesheet:  \"x.mdr\""},
        {"_x", link_kind::file, "_x", "Click here to open the codesheet:  \"_x\""},
    };
    for (const target_case& c : cases) {
        const link_target t = classify_link(c.target);
        EXPECT_EQ(t.kind, c.kind) << c.target;
        EXPECT_EQ(t.rest, c.rest) << c.target;
        EXPECT_EQ(link_hint(c.target), c.hint) << c.target;
    }
}

TEST(links, hint_quotes_at_most_255_characters) {
    const std::string page(300, 'p');
    EXPECT_EQ(link_hint("__" + page), "Click here to go to:  \"" + std::string(255, 'p') + "\"");
    EXPECT_EQ(classify_link("__" + page).rest, page) << "the target itself is whole";
}

} // namespace
} // namespace mondrel
