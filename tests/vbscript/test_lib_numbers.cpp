// Math and conversion functions: subtypes kept, rounding, limits and errors.
#include "vbscript/lib_test_support.h"

namespace vbs::test {
namespace {

class LibNumbers : public LibTest {};

struct Case {
    const char* fn;
    std::vector<Value> args;
    const char* expected; // TypeName and CStr of the result, "Null", or "error N"
};

std::string typed_result(const char* fn, std::vector<Value> args) {
    try {
        Value v = call(fn, std::move(args));
        if (v.is_null()) return "Null";
        return type_name(v) + " " + to_string(v);
    } catch (const ScriptException& e) {
        return "error " + std::to_string(e.number);
    }
}

TEST_F(LibNumbers, SubtypesAndLimits) {
    const Case cases[] = {
        {"Abs", {I(-32768)}, "Long 32768"},
        {"Abs", {L(INT32_MIN)}, "Double 2147483648"},
        {"Abs", {Value()}, "Integer 0"},
        {"Abs", {S("-2.5")}, "Double 2.5"},
        {"Abs", {Value::currency_raw(-15000)}, "Currency 1.5"},
        {"Int", {Value::boolean(true)}, "Integer -1"},
        {"Int", {Value::single(-1.5f)}, "Single -2"},
        {"Fix", {Value::date(-1.5)}, "Date 12/29/1899"},
        {"Int", {Value::currency_raw(-15000)}, "Currency -2"},
        {"Int", {Value::null()}, "Null"},
        {"Sgn", {S("-0.1")}, "Integer -1"},
        {"Sgn", {Value::null()}, "error 94"},
        {"Round", {D(2.5)}, "Double 2"},
        {"Round", {D(-0.125), I(2)}, "Double -0.12"},
        {"Round", {Value::currency_raw(12345), I(2)}, "Currency 1.23"},
        {"Round", {Value::currency_raw(12350), I(2)}, "Currency 1.24"},
        {"Round", {D(1.5), I(-1)}, "error 5"},
        {"Round", {D(1e300), I(2)}, "Double 1E+300"},
        {"Sqr", {I(-4)}, "error 5"},
        {"Log", {D(-1)}, "error 5"},
        {"Exp", {I(710)}, "error 6"},
        {"Atn", {S("x")}, "error 13"},
        {"RGB", {I(255), I(300), I(1)}, "Long 131071"},
        {"RGB", {I(-1), I(0), I(0)}, "error 5"},
        {"Hex", {L(-1)}, "String FFFFFFFF"},
        {"Hex", {D(-1)}, "String FFFF"},
        {"Hex", {Value::byte(255)}, "String FF"},
        {"Hex", {Value::null()}, "Null"},
        {"Hex", {Value()}, "String 0"},
        {"Oct", {L(-1)}, "String 37777777777"},
        {"Hex", {D(2147483648.0)}, "error 6"},
        {"CSng", {D(1e39)}, "error 6"},
        {"CSng", {S("0.1")}, "Single 0.1"},
        {"CByte", {D(255.5)}, "error 6"},
        {"CBool", {S("yes")}, "error 13"},
        {"CBool", {Value::null()}, "error 94"},
        {"CCur", {D(1e16)}, "error 6"},
        {"CDate", {D(3000000)}, "error 6"},
        {"CDate", {S("2/30/2020")}, "error 13"},
        {"IsNumeric", {S("&H1F")}, "Boolean True"},
        {"IsNumeric", {Value::date(1)}, "Boolean False"},
        {"IsNumeric", {Value::boolean(false)}, "Boolean True"},
        {"IsDate", {D(1)}, "Boolean False"},
        {"IsDate", {S("13/13/2020")}, "Boolean False"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(typed_result(c.fn, c.args), c.expected) << c.fn;
}

TEST_F(LibNumbers, RndFollowsVBScriptsSequence) {
    context().seed = 0x50000; // the generator's state before any Randomize
    EXPECT_EQ(to_string(call("Rnd")), "0.7055475");
    EXPECT_EQ(to_string(call("Rnd")), "0.533424");
    EXPECT_EQ(to_string(call("Rnd", {I(-1)})), "0.224007");
}

TEST_F(LibNumbers, RndRepeatsAfterNegativeSeed) {
    Value first = call("Rnd", {I(-1)});
    Value second = call("Rnd");
    Value again = call("Rnd", {I(0)});
    EXPECT_EQ(type_name(first), "Single");
    EXPECT_EQ(to_double(second), to_double(again));
    EXPECT_EQ(to_double(call("Rnd", {I(-1)})), to_double(first));
    for (int i = 0; i < 1000; ++i) {
        double r = to_double(call("Rnd"));
        ASSERT_TRUE(r >= 0 && r < 1) << r;
    }
}

TEST_F(LibNumbers, NumberTextFollowsLocale) {
    set_current_locale("de-DE");
    EXPECT_EQ(typed_result("IsNumeric", {S("1,5")}), "Boolean True");
    EXPECT_EQ(typed_result("CSng", {S("2,25")}), "Single 2,25");
}

} // namespace
} // namespace vbs::test
