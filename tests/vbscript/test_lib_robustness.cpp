// Every library function called with argument lists drawn from awkward values: the only
// acceptable failure is a script error, never a crash, a hang or undefined behaviour (the
// sanitizer build runs this too).
#include "vbscript/lib_test_support.h"

#include <cmath>
#include <limits>
#include <random>

// A longer run for a sanitizer session: -DLIB_ROBUSTNESS_ROUNDS=20000.
#ifndef LIB_ROBUSTNESS_ROUNDS
#define LIB_ROBUSTNESS_ROUNDS 400
#endif

namespace vbs::test {
namespace {

std::vector<Value> awkward_values() {
    std::vector<Value> v = {
        Value(),
        Value::null(),
        Value::missing(),
        Value::nothing(),
        I(0),
        I(-1),
        I(1),
        I(2),
        I(7),
        I(-32768),
        L(INT32_MIN),
        L(INT32_MAX),
        L(2000000000),
        D(0.5),
        D(-2.5),
        D(1e308),
        D(-1e308),
        D(std::numeric_limits<double>::quiet_NaN()),
        D(std::numeric_limits<double>::infinity()),
        D(5e-324),
        Value::single(-0.0f),
        Value::currency_raw(INT64_MIN),
        Value::currency_raw(INT64_MAX),
        Value::date(-657434),
        Value::date(2958465.99999999),
        Value::date(-0.5),
        Value::boolean(true),
        Value::byte(255),
        Value::error(5),
        S(""),
        S("abc"),
        S("yyyy"),
        S("ww"),
        S("1/2/2020 3:04:05 PM"),
        S("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"),
        S("\xFF\xC3"),
        S("%u%"),
        S("(("),
        S("Scripting.Dictionary"),
        S(std::string(1000, 'x')),
        Value::array(ArrayRep::make_vector({I(1), S("a")})),
        make("Scripting.Dictionary"),
    };
    return v;
}

TEST(LibRobustness, EveryFunctionFailsOnlyWithScriptErrors) {
    set_current_locale("en-US");
    std::vector<Value> pool = awkward_values();
    std::mt19937 gen(20261206);
    size_t calls = 0, errors = 0;
    for (const auto& [name, fn] : library_files().functions) {
        if (name == "setlocale") continue; // changes the process's locale; tested on its own
        for (int round = 0; round < LIB_ROBUSTNESS_ROUNDS; ++round) {
            size_t count = fn.min_args + gen() % (fn.max_args - fn.min_args + 1);
            std::vector<Value> args;
            for (size_t i = 0; i < count; ++i)
                args.push_back(pool[gen() % pool.size()]);
            try {
                Value r = fn.fn(context(), ArgList(args.data(), args.size()));
                if (r.is_string()) {
                    ASSERT_LE(r.str().size(), size_t(1) << 28) << name;
                }
            } catch (const ScriptException& e) {
                ASSERT_NE(e.number, 0) << name;
                ++errors;
            }
            ++calls;
        }
    }
    EXPECT_GT(calls, errors); // the pool is not so hostile that nothing ever succeeds
}

TEST(LibRobustness, ObjectMembersFailOnlyWithScriptErrors) {
    std::vector<Value> pool = awkward_values();
    std::mt19937 gen(7);
    std::vector<Value> objects = {make("Scripting.Dictionary"),
                                  Value::object(library().classes.at("regexp")(context()).get())};
    const char* names[] = {"Item",    "Add",     "Exists",      "Items",     "Keys",     "Key",
                           "Remove",  "Count",   "CompareMode", "Pattern",   "Global",   "Test",
                           "Execute", "Replace", "IgnoreCase",  "Multiline", "RemoveAll"};
    const CallKind kinds[] = {CallKind::Get, CallKind::Call, CallKind::Let, CallKind::Set};
    for (int round = 0; round < 50 * LIB_ROBUSTNESS_ROUNDS; ++round) {
        const Value& obj = objects[gen() % objects.size()];
        const char* name = names[gen() % std::size(names)];
        std::vector<Value> args;
        for (size_t i = 0, n = gen() % 4; i < n; ++i)
            args.push_back(pool[gen() % pool.size()]);
        CallKind kind = kinds[gen() % 4];
        if ((kind == CallKind::Let || kind == CallKind::Set) && args.empty()) kind = CallKind::Get;
        try {
            member(obj, name, args, kind);
        } catch (const ScriptException& e) {
            ASSERT_NE(e.number, 0) << name;
        }
    }
}

} // namespace
} // namespace vbs::test
