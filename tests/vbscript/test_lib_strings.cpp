// String functions: characters rather than bytes, Null handling, argument errors.
#include "vbscript/lib_test_support.h"

namespace vbs::test {
namespace {

class LibStrings : public LibTest {};

struct Case {
    const char* fn;
    std::vector<Value> args;
    const char* expected; // CStr of the result, "Null", or "error N"
};

TEST_F(LibStrings, ResultsCountCharacters) {
    const std::string umlauts = "\xC3\xA4\xC3\xB6\xC3\xBC"; // äöü
    const Case cases[] = {
        {"Left", {S(umlauts), I(2)}, "\xC3\xA4\xC3\xB6"},
        {"Right", {S(umlauts), I(1)}, "\xC3\xBC"},
        {"Left", {S("hi"), I(10)}, "hi"},
        {"Right",
         {S("\xE2\x82\xAC"
            "5"),
          I(2)},
         "\xE2\x82\xAC"
         "5"},
        {"InStr",
         {S("a\xE2\x82\xAC"
            "b"),
          S("b")},
         "3"},
        {"InStr", {I(3), S("\xC3\xA4x\xC3\xA4x"), S("x")}, "4"},
        {"InStrRev", {S("\xC3\xA4x\xC3\xA4x"), S("\xC3\xA4")}, "3"},
        {"InStrRev", {S("hello"), S("l"), I(3)}, "3"},
        {"InStrRev", {S("hello"), S(""), I(9)}, "0"},
        {"StrReverse",
         {S("a\xC3\xA4"
            "b")},
         "b\xC3\xA4"
         "a"},
        {"UCase",
         {S("stra\xC3\x9F"
            "e \xC3\xA4\xD0\xB6")},
         "STRA\xC3\x9F"
         "E \xC3\x84\xD0\x96"},
        {"LCase", {S("\xC3\x84\xCE\xA3X")}, "\xC3\xA4\xCF\x83x"},
        {"InStr", {I(1), S("\xC3\x84pfel"), S("\xC3\xA4P"), I(1)}, "1"},
        {"Replace", {S("\xC3\x84-\xC3\xA4"), S("\xC3\xA4"), S("ae"), I(1), I(-1), I(1)}, "ae-ae"},
        {"Replace",
         {S("a\xC3\xA4"
            "bc"),
          S("b"), S("X"), I(3)},
         "Xc"},
        {"AscW", {S("\xE2\x82\xAC")}, "8364"},
        {"Asc", {S("\xE2\x82\xAC")}, "128"},
        {"Chr", {I(128)}, "\xE2\x82\xAC"},
        {"ChrW", {L(-1)}, "\xEF\xBF\xBF"},
        {"LenB", {S("a\xE2\x82\xAC")}, "4"},
        {"String", {I(2), S("\xC3\xA4z")}, "\xC3\xA4\xC3\xA4"},
        {"String", {I(2), I(321)}, "AA"},
        {"Escape", {S("a b+\xC3\xA4\xE2\x82\xAC")}, "a%20b+%E4%u20AC"},
        {"Unescape", {S("a%20b%E4%u20AC%zz")}, "a b\xC3\xA4\xE2\x82\xAC%zz"},
        {"Trim", {S("\t a \t")}, "\t a \t"},
        // Byte functions count two bytes per UTF-16 unit.
        {"LeftB",
         {S("a\xE2\x82\xAC"
            "b"),
          I(4)},
         "a\xE2\x82\xAC"},
        {"LeftB", {S("abc"), I(3)}, "a"},
        {"RightB", {S("a\xF0\x9F\x98\x80"), I(4)}, "\xF0\x9F\x98\x80"},
        {"MidB", {S("abcd"), I(3), I(4)}, "bc"},
        {"MidB", {S("abcd"), I(9)}, ""},
        {"MidB", {S("abcd"), I(0)}, "error 5"},
        {"InStrB",
         {S("a\xE2\x82\xAC"
            "b"),
          S("b")},
         "5"},
        {"InStrB", {I(3), S("abab"), S("A"), I(1)}, "5"},
        {"InStrB", {S("abc"), Value::null()}, "Null"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text_of_call(c.fn, c.args), c.expected) << c.fn;
}

TEST_F(LibStrings, NullAndErrors) {
    const Case cases[] = {
        {"Left", {Value::null(), I(1)}, "Null"},
        {"Left", {S("a"), Value::null()}, "error 94"},
        {"Left", {S("a"), I(-1)}, "error 5"},
        {"UCase", {Value::null()}, "Null"},
        {"Trim", {Value::null()}, "Null"},
        {"InStr", {S("abc"), Value::null()}, "Null"},
        {"InStr", {Value::null(), S("abc"), S("b")}, "error 94"},
        {"InStr", {I(0), S("abc"), S("b")}, "error 5"},
        {"InStr", {I(1), S("abc"), S("b"), I(2)}, "error 5"},
        {"InStrRev", {S("abc"), S("b"), I(0)}, "error 5"},
        {"Replace", {Value::null(), S("a"), S("b")}, "error 94"},
        {"Replace", {S("abc"), S("b"), S("x"), I(0)}, "error 5"},
        {"Replace", {S("abc"), S("b"), S("x"), I(9)}, ""},
        {"Split", {S("a,b"), S(","), I(-2)}, "error 5"},
        {"Asc", {S("")}, "error 5"},
        {"Asc", {Value::null()}, "error 94"},
        {"Chr", {I(256)}, "error 5"},
        {"ChrW", {L(65536)}, "error 5"},
        {"Space", {I(-1)}, "error 5"},
        {"Space", {L(2000000000)}, "error 7"},
        {"String", {L(1000000000), S("ab")}, "error 7"},
        {"String", {I(3), S("")}, "error 5"},
        {"String", {I(3), Value::null()}, "Null"},
        {"StrReverse", {Value::null()}, "error 94"},
        {"Escape", {Value::null()}, "Null"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text_of_call(c.fn, c.args), c.expected) << c.fn;
    EXPECT_EQ(error_of("Left", {S("a")}), kErrWrongArgs);
}

std::string joined(const Value& array) {
    std::string out = std::to_string(array.arr()->counts[0]) + ":";
    for (const Value& v : array.arr()->data)
        out += "[" + to_string(v) + "]";
    return out;
}

TEST_F(LibStrings, SplitPieces) {
    EXPECT_EQ(joined(call("Split", {S("a,,b,")})), "1:[a,,b,]");
    EXPECT_EQ(joined(call("Split", {S("a,,b,"), S(",")})), "4:[a][][b][]");
    EXPECT_EQ(joined(call("Split", {S("a<>b<>c"), S("<>"), I(2)})), "2:[a][b]");
    EXPECT_EQ(joined(call("Split", {S("a<>b"), S("<>"), I(5)})), "2:[a][b]");
    EXPECT_EQ(joined(call("Split", {S("aXbxc"), S("x"), I(-1), I(1)})), "3:[a][b][c]");
    EXPECT_EQ(joined(call("Split", {S("abc"), S("")})), "1:[abc]");
    EXPECT_EQ(joined(call("Split", {S("a b"), S(" "), I(0)})), "0:");
    EXPECT_EQ(joined(call("Split", {S("")})), "0:");
}

TEST_F(LibStrings, EscapeRoundTrip) {
    std::string text = "x=1&y=\xC3\xA4\xF0\x9F\x98\x80 /@*_+-.";
    Value escaped = call("Escape", {S(text)});
    EXPECT_EQ(to_string(escaped), "x%3D1%26y%3D%E4%uD83D%uDE00%20/@*_+-.");
    EXPECT_EQ(to_string(call("Unescape", {escaped})), text);
}

TEST_F(LibStrings, InvalidUtf8IsCountedBytewiseWithoutCrashing) {
    std::string bad = "a\xFF\xC3";
    EXPECT_EQ(text_of_call("Right", {S(bad), I(1)}), "\xC3");
    EXPECT_EQ(text_of_call("InStr", {S(bad), S("\xC3")}), "3");
    EXPECT_EQ(to_string(call("StrReverse", {S(bad)})).size(), 3u);
    EXPECT_EQ(to_string(call("UCase", {S(bad)})), "A\xFF\xC3");
}

} // namespace
} // namespace vbs::test
