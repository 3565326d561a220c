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
    expect_error("{0:999999999}", "Repeat count too large");
    expect_error("{0:99999999999999999999999999}", "Repeat count too large");
    expect_error("{:999999999}", "Repeat count too large"); // empty elements still cost commas
    expect_error("{{0:4096}:4096}", "Repeat count too large");
    // 8 Mi copies of "1" joined by "," is 16 MiB less one character, with the braces 16 MiB
    // and one: just too long.
    expect_error("{1:8388608}", "Repeat count too large");
    EXPECT_EQ(expand_repeats("{1:8388607}").size(), max_expanded_length - 1);
    expect_error("{1:2 3}", "Bad repeat count");
}

TEST(RepeatNotation, LongTextsWithManyRepeats) {
    // Each repeat is expanded in place; a text of 100,000 repeats is one pass.
    std::string text = "{";
    for (int i = 0; i < 100000; ++i)
        text += i ? ",7:3" : "7:3";
    text += "}";
    const std::string out = expand_repeats(text);
    EXPECT_EQ(out.size(), 2 + 300000 * 2 - 1);
    // Deep nesting needs no recursion.
    const std::string deep = std::string(100000, '{') + "1:2" + std::string(100000, '}');
    EXPECT_EQ(expand_repeats(deep), std::string(100000, '{') + "1,1" + std::string(100000, '}'));
    // A long text without repeats comes back as it was, even past the expansion limit.
    const std::string plain(max_expanded_length + 10, 'a');
    EXPECT_EQ(expand_repeats(plain + ":1").size(), plain.size() + 2);
}

} // namespace
} // namespace mondrel
