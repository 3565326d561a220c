#include "execution/repeat_notation.h"

#include <gtest/gtest.h>

#include <string>

#include "execution/mr_exception.h"

namespace mondrel {
namespace {

std::string copies(const std::string& element, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += (i ? "," : "") + element;
    return s;
}

struct expand_case {
    std::string text;
    std::string expanded;
};

TEST(RepeatNotation, Expands) {
    const expand_case cases[] = {
        {"{\"x\":19}", "{" + copies("\"x\"", 19) + "}"},
        {"{{0,0}:12}", "{" + copies("{0,0}", 12) + "}"},
        {"{1,2:3,4}", "{1,2,2,2,4}"},
        {"{ 7 : 3 }", "{ 7 , 7 , 7 }"},
        {"{5:0}", "{5}"},
        {"{5:1}", "{5}"},
        {"{:3}", "{,,}"},
        // Inner repeats are expanded before the element is copied.
        {"{{1:2}:2}", "{{1,1},{1,1}}"},
        {"{{{0}:2}:2}", "{{{0},{0}},{{0},{0}}}"},
        // The element starts at the last nested list before the ":".
        {"{a,{1}:2}", "{a,{1},{1}}"},
        // Text after the count stays where it was.
        {"{1:3x}", "{1,1,1x}"},
        {"Sum({1:3}) + 2", "Sum({1,1,1}) + 2"},
        {"{1:2};{2:2}", "{1,1};{2,2}"},
    };
    for (const expand_case& c : cases)
        EXPECT_EQ(expand_repeats(c.text), c.expanded) << c.text;
}

TEST(RepeatNotation, LeavesOtherColonsAlone) {
    const char* unchanged[] = {
        "bill,2,\"number:0.00\"",     // a format text in an fmt line
        "Replace(s, \"a:1\", \"b\")", // a colon inside a string outside any list
        "{\"a:1\",2}",                // a colon inside a string inside a list
        "x = 1: y = 2 ",              // a statement separator
        "a:12)",                      // outside any list
        "{a:b}",                      // no count
        "{1:",                        // the count may not take the text's last character
        "{1:2",
        "}:3}",
        "{\"}\":3",
    };
    for (const char* text : unchanged)
        EXPECT_EQ(expand_repeats(text), text) << text;
}

TEST(RepeatNotation, StringElementsAreCopiedWhole) {
    // Braces, commas and colons inside strings are not structure.
    EXPECT_EQ(expand_repeats("{\"a,b\":2}"), "{\"a,b\",\"a,b\"}");
    EXPECT_EQ(expand_repeats("{\"{x:1}\":2}"), "{\"{x:1}\",\"{x:1}\"}");
    // A colon without a count does not stop the others.
    EXPECT_EQ(expand_repeats("{1:2,a:b,3:2}"), "{1,1,a:b,3,3}");
}

void expect_error(const std::string& text, const char* message) {
    try {
        expand_repeats(text);
        ADD_FAILURE() << "no error for " << text.substr(0, 40);
    } catch (const mr_exception& e) {
        EXPECT_STREQ(e.what(), message) << text.substr(0, 40);
    }
}

TEST(RepeatNotation, RefusesHugeExpansions) {
    const char* refused[] = {
        "{0:999999999}",
        "{0:99999999999999999999999999}",
        "{:999999999}", // empty elements still cost commas
        "{{0:4096}:4096}",
        // Each repeat is small; together they make nearly a million items.
        "{{{{{{{0:2}:2}:2}:2}:2}:2}:15000}",
        "{0:1048576}",
        // Products of counts that would overflow 64 bits.
        "{{{{0:99999999999}:99999999999}:99999999999}:99999999999}",
        "{{{{{{{{{{{{0:10}:10}:10}:10}:10}:10}:10}:10}:10}:10}:10}:10}",
        // A repeat that fits, in a text with one that does not.
        "{1:2}+{2:100001}",
    };
    for (const char* text : refused)
        expect_error(text, "Repeat count too large");
    expect_error("{1:2 3}", "Bad repeat count");
}

TEST(RepeatNotation, LimitsAreExact) {
    // {1:n} holds n items: its "{" and n - 1 commas.
    const std::string at_limit = "{1:" + std::to_string(max_expanded_items) + "}";
    EXPECT_EQ(expand_repeats(at_limit).size(), 2 * max_expanded_items + 1);
    expect_error("{1:" + std::to_string(max_expanded_items + 1) + "}", "Repeat count too large");
    // Nested lists count every item at every level: 300 lists of 300 values fit.
    EXPECT_EQ(expand_repeats("{{0:300}:300}"),
              "{" + copies("{" + copies("0", 300) + "}", 300) + "}");
    // Few items, but a text longer than max_expanded_length: each copy of the string below
    // takes 1,000 characters with its comma, and 17,000 of them are more than 16 MiB.
    const std::string element = "\"" + std::string(997, 'x') + "\"";
    expect_error("{" + element + ":17000}", "Repeat count too large");
    const std::string fits = expand_repeats("{" + element + ":16000}");
    EXPECT_EQ(fits.size(), 16000 * 1000 + 1);
}

TEST(RepeatNotation, LongTextsWithManyRepeats) {
    // Each repeat is expanded in place; a text of 30,000 repeats is one pass.
    std::string text = "{";
    for (int i = 0; i < 30000; ++i)
        text += i ? ",7:3" : "7:3";
    text += "}";
    const std::string out = expand_repeats(text);
    EXPECT_EQ(out.size(), 2 + 90000 * 2 - 1);
    // Deep nesting needs no recursion.
    const std::string deep = std::string(50000, '{') + "1:2" + std::string(50000, '}');
    EXPECT_EQ(expand_repeats(deep), std::string(50000, '{') + "1,1" + std::string(50000, '}'));
    // A long text without repeats comes back as it was, even past the expansion limit.
    const std::string plain(max_expanded_length + 10, 'a');
    EXPECT_EQ(expand_repeats(plain + ":1").size(), plain.size() + 2);
}

} // namespace
} // namespace mondrel
