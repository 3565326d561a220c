// Date functions and the Format* functions: dates before 1900 and at the ends of the range,
// week numbering, and text in en-US and de-DE.
#include "vbscript/lib_test_support.h"

namespace vbs::test {
namespace {

class LibDates : public LibTest {};

Value date(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
    double ole = date_from_parts(y, m, d);
    double t = time_from_parts(h, n, s);
    return Value::date(ole >= 0 ? ole + t : ole - t);
}

// "y-m-d h:n:s" of a date result, or "error N" / "Null".
std::string parts(const char* fn, std::vector<Value> args) {
    try {
        Value v = call(fn, std::move(args));
        if (v.is_null()) return "Null";
        auto part = [&](const char* name) { return to_string(call(name, {v})); };
        std::string out = part("Year") + "-" + part("Month") + "-" + part("Day") + " " +
                          part("Hour") + ":" + part("Minute") + ":" + part("Second");
        return out;
    } catch (const ScriptException& e) {
        return "error " + std::to_string(e.number);
    }
}

struct Case {
    const char* fn;
    std::vector<Value> args;
    const char* expected;
};

TEST_F(LibDates, DateArithmeticAcrossTheRange) {
    const Case cases[] = {
        {"DateSerial", {I(29), I(1), I(1)}, "2029-1-1 0:0:0"},
        {"DateSerial", {I(30), I(1), I(1)}, "1930-1-1 0:0:0"},
        {"DateSerial", {I(100), I(1), I(1)}, "100-1-1 0:0:0"},
        {"DateSerial", {I(100), I(1), I(0)}, "error 5"},
        {"DateSerial", {L(10000), I(1), I(1)}, "error 5"},
        {"DateSerial", {L(2000000000), I(1), I(1)}, "error 5"},
        {"DateSerial", {I(9999), I(12), I(31)}, "9999-12-31 0:0:0"},
        {"TimeSerial", {I(-1), I(0), I(0)}, "1899-12-29 23:0:0"},
        {"TimeSerial", {I(25), I(0), I(1)}, "1899-12-31 1:0:1"},
        {"DateAdd", {S("h"), I(1), date(1899, 12, 29, 18)}, "1899-12-29 19:0:0"},
        {"DateAdd", {S("h"), I(-30), date(1900, 1, 1, 3)}, "1899-12-30 21:0:0"},
        {"DateAdd", {S("n"), I(-1), date(1899, 12, 30)}, "1899-12-29 23:59:0"},
        {"DateAdd", {S("m"), I(1), date(1800, 1, 31, 6)}, "1800-2-28 6:0:0"},
        {"DateAdd", {S("yyyy"), I(-4), date(1804, 2, 29)}, "1800-2-28 0:0:0"},
        {"DateAdd", {S("m"), I(1), date(9999, 12, 1)}, "error 5"},
        {"DateAdd", {S("d"), I(-1), date(100, 1, 1)}, "error 5"},
        {"DateAdd", {S("x"), I(1), date(2000, 1, 1)}, "error 5"},
        {"DateAdd", {S("d"), I(1), Value::null()}, "Null"},
        {"DateAdd", {S("D"), S("2"), S("1/30/2020")}, "2020-2-1 0:0:0"},
        {"DateValue", {date(1850, 6, 1, 12)}, "1850-6-1 0:0:0"},
        {"TimeValue", {date(1850, 6, 1, 12, 30)}, "1899-12-30 12:30:0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parts(c.fn, c.args), c.expected) << c.fn << " " << to_string(c.args[0]);
}

TEST_F(LibDates, DiffPartAndWeeks) {
    const Case cases[] = {
        {"DateDiff", {S("d"), date(1899, 12, 29, 23), date(1899, 12, 30, 1)}, "1"},
        {"DateDiff", {S("h"), date(1899, 12, 29, 23), date(1899, 12, 30, 1)}, "2"},
        {"DateDiff", {S("ww"), date(2020, 1, 4), date(2020, 1, 12), I(2)}, "1"},
        {"DateDiff", {S("w"), date(2020, 1, 12), date(2020, 1, 4)}, "-1"},
        {"DateDiff", {S("s"), date(100, 1, 1), date(9999, 12, 31)}, "error 6"},
        {"DateDiff", {S("d"), Value::null(), date(2000, 1, 1)}, "Null"},
        {"DatePart", {S("ww"), date(2020, 12, 31), I(2), I(2)}, "53"},
        {"DatePart", {S("ww"), date(2021, 1, 1), I(2), I(2)}, "53"},
        {"DatePart", {S("ww"), date(2021, 1, 4), I(2), I(2)}, "1"},
        {"DatePart", {S("ww"), date(2022, 1, 1), I(1), I(3)}, "52"},
        {"DatePart", {S("ww"), date(2022, 1, 2), I(1), I(3)}, "1"},
        {"DatePart", {S("q"), date(1850, 12, 31)}, "4"},
        {"DatePart", {S("y"), date(1600, 12, 31)}, "366"},
        {"DatePart", {S("w"), date(2020, 1, 1), I(8)}, "error 5"},
        {"Weekday", {date(1899, 12, 29)}, "6"},
        {"Weekday", {date(1600, 1, 1)}, "7"},
        {"Weekday", {Value::null()}, "Null"},
        {"Year", {Value::null()}, "Null"},
        {"Hour", {S("x")}, "error 13"},
        {"MonthName", {I(13)}, "error 5"},
        {"MonthName", {I(2), Value::boolean(true)}, "Feb"},
        {"WeekdayName", {I(7), Value::boolean(false), I(2)}, "Sunday"},
        {"WeekdayName", {I(0)}, "error 5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text_of_call(c.fn, c.args), c.expected) << c.fn << " " << to_string(c.args[0]);
}

TEST_F(LibDates, FormatFunctionsInTwoLocales) {
    Value when = date(2020, 1, 15, 14, 30, 5);
    const Case en[] = {
        {"FormatDateTime", {when, I(1)}, "Wednesday, January 15, 2020"},
        {"FormatDateTime", {when, I(3)}, "2:30:05 PM"},
        {"FormatDateTime", {when, I(4)}, "14:30"},
        {"FormatDateTime", {when, I(5)}, "error 5"},
        {"FormatDateTime", {Value::null()}, "error 94"},
        {"FormatNumber", {D(-0.001), I(2)}, "0.00"},
        {"FormatNumber", {D(0.5), I(0)}, "1"},
        {"FormatNumber", {D(-2.5), I(0)}, "-3"},
        {"FormatNumber", {D(1e20), I(0)}, "100,000,000,000,000,000,000"},
        {"FormatNumber", {D(123.456), I(-1)}, "123.46"},
        {"FormatNumber", {D(1), I(256)}, "error 5"},
        {"FormatNumber", {Value::null()}, "error 94"},
        {"FormatNumber", {S("abc")}, "error 13"},
        {"FormatPercent", {D(-0.5), I(0)}, "-50%"},
        {"FormatPercent", {D(-0.5), I(0), I(-2), I(-1)}, "(50%)"},
        {"FormatCurrency", {D(-3)}, "($3.00)"},
    };
    for (const Case& c : en)
        EXPECT_EQ(text_of_call(c.fn, c.args), c.expected) << c.fn;

    set_current_locale("de-DE");
    const Case de[] = {
        {"FormatDateTime", {when, I(1)}, "Mittwoch, 15. Januar 2020"},
        {"FormatDateTime", {when, I(2)}, "15.01.2020"},
        {"FormatNumber", {D(1234.5), I(2)}, "1.234,50"},
        {"FormatCurrency", {D(-1234.5)}, "-1.234,50 \xE2\x82\xAC"},
        {"FormatCurrency", {D(-1234.5), I(2), I(-2), I(-1)}, "(1.234,50 \xE2\x82\xAC)"},
        {"FormatPercent", {D(0.125), I(1)}, "12,5%"},
        {"MonthName", {I(3)}, "M\xC3\xA4rz"},
        {"WeekdayName", {I(1), Value::boolean(true)}, "So"},
        {"DateValue", {S("15.01.2020")}, "15.01.2020"},
        // The system's first day of the week is Monday here.
        {"Weekday", {date(2020, 1, 5), I(0)}, "7"},
        {"WeekdayName", {I(1), Value::boolean(false), I(0)}, "Montag"},
        {"DatePart", {S("w"), date(2020, 1, 6), I(0)}, "1"},
    };
    for (const Case& c : de)
        EXPECT_EQ(text_of_call(c.fn, c.args), c.expected) << c.fn;

    set_current_locale("fr-FR");
    EXPECT_EQ(text_of_call("FormatNumber", {D(1234567.891), I(2)}), "1\xC2\xA0"
                                                                    "234\xC2\xA0"
                                                                    "567,89");
    EXPECT_EQ(text_of_call("MonthName", {I(8)}), "ao\xC3\xBBt");
}

} // namespace
} // namespace vbs::test
