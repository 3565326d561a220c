// Values, operators and coercions: the promotion table, Null logic, comparisons across
// subtypes, number text both ways and date text, checked as the engine computes them.
#include "vbscript/convert.h"
#include "vbscript/engine.h"
#include "vbscript/error.h"
#include "vbscript/locale.h"
#include "vbscript/ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using namespace vbs;

class Values : public ::testing::Test {
protected:
    void SetUp() override { set_current_locale(en_us_locale()); }
    // "TypeName value" of an expression, or "error N".
    std::string eval(const std::string& expr) {
        EvalResult r = engine.eval(expr);
        if (!r.ok()) return "error " + std::to_string(r.error.number);
        if (r.value.is_null()) return "Null";
        return type_name(r.value) + " " + to_string(r.value);
    }
    Engine engine;
};

struct Case {
    const char* expr;
    const char* want;
};

const Case kArithmetic[] = {
    {"CInt(32767) + CInt(1)", "Long 32768"},
    {"CInt(200) * CInt(200)", "Long 40000"},
    {"CLng(2147483647) * 2", "Double 4294967294"},
    {"CByte(255) + CByte(1)", "Integer 256"},
    {"CByte(3) - CByte(5)", "Integer -2"},
    {"CByte(10) \\ CByte(3)", "Byte 3"},
    {"CSng(1.5) + CInt(1)", "Single 2.5"},
    {"CSng(1.5) + CLng(1)", "Double 2.5"},
    {"CCur(0.1) * 3", "Currency 0.3"},
    {"CCur(922337203685477) + CCur(0.5807)", "Currency 922337203685477.5807"},
    {"CCur(922337203685477) * 100", "error 6"},
    {"1 / 0", "error 11"},
    {"1 \\ 0", "error 11"},
    {"5 Mod 0", "error 11"},
    {"0 ^ -1", "error 11"},
    {"(-8) ^ (1 / 3)", "error 5"},
    {"-5 \\ 2", "Integer -2"},
    {"7.5 Mod 2", "Long 0"},
    {"6.5 \\ 1", "Long 6"},
    {"\"4\" * \"2.5\"", "Double 10"},
    {"\"x\" * 2", "error 13"},
    {"Empty + Empty", "Integer 0"},
    {"Empty & Empty", "String "},
    {"Null + 1", "Null"},
    {"Null & \"a\"", "String a"},
    {"#1/1/2000# - #12/31/1999#", "Double 1"},
    {"#1/1/2000# + 0.5", "Date 1/1/2000 12:00:00 PM"},
    {"-CCur(5)", "Currency -5"},
    {"-Empty", "Integer 0"},
    {"Not CByte(1)", "Byte 254"},
    {"CLng(1) Or CInt(2)", "Long 3"},
    {"True Xor 1", "Integer -2"},
    {"True Eqv False", "Boolean False"},
    {"False Imp Null", "Boolean True"},
    {"Null Imp True", "Boolean True"},
    {"Null And False", "Boolean False"},
    {"Null And True", "Null"},
    {"Null Or False", "Null"},
    {"Null Xor True", "Null"},
    {"Not Null", "Null"},
};

TEST_F(Values, ArithmeticAndLogicFollowThePromotionTable) {
    for (const Case& c : kArithmetic)
        EXPECT_EQ(eval(c.expr), c.want) << c.expr;
}

const Case kComparisons[] = {
    {"1 = 1.0", "Boolean True"},       {"CCur(0.1) = 0.1", "Boolean True"},
    {"Empty = 0", "Boolean True"},     {"Empty = \"\"", "Boolean True"},
    {"Empty < \"a\"", "Boolean True"}, {"\"a\" < \"b\"", "Boolean True"},
    {"\"B\" < \"a\"", "Boolean True"}, {"\"abc\" < \"abcd\"", "Boolean True"},
    {"Null = Null", "Null"},           {"1 < Null", "Null"},
    {"True = -1", "Boolean True"},     {"#1/1/2000# > 36000", "Boolean True"},
    {"Array(1) = 1", "error 13"},      {"Nothing Is Nothing", "Boolean True"},
    {"1 Is Nothing", "error 424"},
};

TEST_F(Values, ComparisonsAcrossSubtypes) {
    for (const Case& c : kComparisons)
        EXPECT_EQ(eval(c.expr), c.want) << c.expr;
    // A number held in a variable is less than any string in another.
    ASSERT_TRUE(engine.execute_statement("n = 100 : s = \"1\"").ok());
    EXPECT_EQ(eval("n < s"), "Boolean True");
    EXPECT_EQ(eval("n = s"), "Boolean False");
}

struct DoubleText {
    double value;
    const char* text;
};

const DoubleText kDoubles[] = {
    {0, "0"},
    {-0.0, "0"},
    {1e15, "1E+15"},
    {123456789012345, "123456789012345"},
    {0.1 + 0.2, "0.3"},
    {1.0 / 3, "0.333333333333333"},
    {1e-5, "1E-05"},
    {1.5e-100, "1.5E-100"},
    {-2.5e300, "-2.5E+300"},
    {0.0001, "0.0001"},
};

TEST_F(Values, DoubleTextHasFifteenDigits) {
    for (const DoubleText& c : kDoubles)
        EXPECT_EQ(format_double(c.value), c.text) << c.value;
    EXPECT_EQ(format_single(1.0f / 3), "0.3333333");
    EXPECT_EQ(format_currency_raw(-12345), "-1.2345");
    EXPECT_EQ(format_currency_raw(50000), "5");
}

struct NumberText {
    const char* text;
    bool ok;
    double value;
};

const NumberText kNumbers[] = {
    {" 42 ", true, 42}, {"-1.5e3", true, -1500}, {"+.5", true, 0.5},   {"1,234.5", true, 1234.5},
    {"$12", true, 12},  {"&HFF", true, 255},     {"&HFFFF", true, -1}, {"&O17", true, 15},
    {"1e", false, 0},   {"", false, 0},          {"abc", false, 0},    {"1.2.3", false, 0},
    {"--1", false, 0},  {"&H", false, 0},        {"12abc", false, 0},
};

TEST_F(Values, TextToNumber) {
    for (const NumberText& c : kNumbers) {
        double d = -999;
        EXPECT_EQ(parse_number(c.text, d), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(d, c.value) << c.text;
        }
    }
}

struct DateText {
    const char* text;
    bool ok;
    int year, month, day;
    int seconds; // of the day
};

const DateText kDates[] = {
    {"1/15/2020", true, 2020, 1, 15, 0},
    {"2020-01-15", true, 2020, 1, 15, 0},
    {"January 15, 2020", true, 2020, 1, 15, 0},
    {"15 Jan 2020", true, 2020, 1, 15, 0},
    {"2/29/2021", false, 0, 0, 0, 0},
    {"13/1/2020", true, 2020, 1, 13, 0}, // a month above 12 swaps with the day
    {"1/15/2020 3:04:05 PM", true, 2020, 1, 15, 15 * 3600 + 4 * 60 + 5},
    {"12:00 AM", true, 1899, 12, 30, 0},
    {"25:00", false, 0, 0, 0, 0},
    {"hello", false, 0, 0, 0, 0},
    {"1/15/20", true, 2020, 1, 15, 0},
    {"1/15/99", true, 1999, 1, 15, 0},
};

TEST_F(Values, TextToDate) {
    for (const DateText& c : kDates) {
        double ole = 0;
        ASSERT_EQ(parse_date(c.text, ole), c.ok) << c.text;
        if (!c.ok) continue;
        int y, m, d;
        ASSERT_TRUE(date_to_parts(ole, y, m, d));
        EXPECT_EQ(y, c.year) << c.text;
        EXPECT_EQ(m, c.month) << c.text;
        EXPECT_EQ(d, c.day) << c.text;
        double frac = std::fabs(ole - std::trunc(ole));
        EXPECT_EQ(std::lround(frac * 86400), c.seconds) << c.text;
    }
    EXPECT_EQ(format_date(0), "12:00:00 AM");
    EXPECT_EQ(format_date(date_from_parts(2021, 3, 4)), "3/4/2021");
    EXPECT_EQ(format_date(date_from_parts(1899, 12, 29) - 0.25), "12/29/1899 6:00:00 AM");
    EXPECT_EQ(date_from_parts(2020, 13, 1), date_from_parts(2021, 1, 1));
    EXPECT_EQ(date_from_parts(2020, 0, 1), date_from_parts(2019, 12, 1));
}

TEST_F(Values, CoercionErrors) {
    EXPECT_EQ(eval("CInt(32767.5)"), "error 6");
    EXPECT_EQ(eval("CInt(2.5) & \" \" & CInt(3.5)"), "String 2 4");
    EXPECT_EQ(eval("CLng(Null)"), "error 94");
    EXPECT_EQ(eval("CByte(-1)"), "error 6");
    EXPECT_EQ(eval("CDbl(\"1/1/2000\")"), "error 13");
    EXPECT_EQ(eval("CStr(Nothing)"), "error 91");
    EXPECT_EQ(eval("CStr(Array(1))"), "error 13");
}

TEST_F(Values, ArraysCopyOnAssignAndShareNothing) {
    ASSERT_TRUE(engine
                    .execute_statement("Dim a(1, 2) : a(1, 2) = \"x\" : b = a : b(0, 0) = 5\r\n"
                                       "ReDim Preserve b(1, 4) : b(1, 4) = 9")
                    .ok());
    EXPECT_EQ(eval("UBound(a, 2) & UBound(b, 2) & a(1, 2) & b(1, 2) & IsEmpty(a(0, 0))"),
              "String 24xxTrue");
    EXPECT_EQ(eval("b(0, 0) + b(1, 4)"), "Integer 14");
    EXPECT_EQ(engine.execute_statement("ReDim Preserve b(2, 4)").error.number, 9);
    EXPECT_EQ(engine.execute_statement("ReDim a(3)").error.number, 10);
    EXPECT_EQ(eval("a(2, 0)"), "error 9");
    EXPECT_EQ(eval("a(1)"), "error 9");
    ASSERT_TRUE(engine.execute_statement("Erase a : Erase b").ok());
    EXPECT_EQ(eval("UBound(a, 2) & IsEmpty(a(1, 2))"), "String 2True");
    EXPECT_EQ(eval("UBound(b)"), "error 9");
    EXPECT_EQ(engine.execute_statement("ReDim c(-2)").error.number, 9);
    EXPECT_EQ(engine.execute_statement("ReDim c(-1) : n = UBound(c)").error.number, 0);
    EXPECT_EQ(eval("n"), "Long -1");
}

} // namespace

namespace {

// Script names compare with ASCII case folded and nothing else: the characters next to the
// letters in the table ("@" and "`", "[" and "{") differ by the same bit and must not match.
TEST(Names, CaseFoldingCoversAsciiLettersOnly) {
    struct row {
        std::string_view a, b;
        bool same;
    };
    const row rows[] = {
        {"dspx", "DSPX", true}, {"Abc_9", "aBC_9", true}, {"", "", true},
        {"ab", "abc", false},   {"@", "`", false},        {"[", "{", false},
        {"A", "a", true},       {"Z", "z", true},         {"\xC3\x84", "\xC3\xA4", false},
        {"x1", "X1", true},     {"x1", "x2", false},      {"_", "\x7F", false},
    };
    for (const row& r : rows) {
        EXPECT_EQ(vbs::iequals(r.a, r.b), r.same) << r.a << " / " << r.b;
        EXPECT_EQ(vbs::iequals(r.b, r.a), r.same) << r.b << " / " << r.a;
        if (r.same) {
            EXPECT_EQ(vbs::NameHash()(r.a), vbs::NameHash()(r.b)) << r.a;
        }
    }
}

} // namespace
