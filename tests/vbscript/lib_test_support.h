// A small stand-in for the engine so the library's functions and objects can be called
// directly: a registry that keeps what the lib_*.cpp files register, a Context with a fixed
// locale and scripted dialogs, and helpers that call a function or an object member by name.
#pragma once

#include "vbscript/builtins.h"
#include "vbscript/convert.h"
#include "vbscript/error.h"
#include "vbscript/locale.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#define VBS_DECLARE_LIB(name) void vbs_register_lib_##name(::vbs::LibraryRegistry& reg);
VBS_DECLARE_LIB(strings)
VBS_DECLARE_LIB(math)
VBS_DECLARE_LIB(convert)
VBS_DECLARE_LIB(dates)
VBS_DECLARE_LIB(format)
VBS_DECLARE_LIB(constants)
VBS_DECLARE_LIB(support)
VBS_DECLARE_LIB(ui)
VBS_DECLARE_LIB(dictionary)
VBS_DECLARE_LIB(regexp)
VBS_DECLARE_LIB(filesystem)
#undef VBS_DECLARE_LIB

namespace vbs {
void register_core_builtins(LibraryRegistry& reg); // the engine's own functions
}

namespace vbs::test {

class FakeRegistry : public LibraryRegistry {
public:
    void add_functions(std::span<const BuiltinFunction> rows) override {
        for (const BuiltinFunction& f : rows)
            functions[to_lower_ascii(f.name)] = f;
    }
    void add_constant(std::string_view name, Value value) override {
        constants[to_lower_ascii(name)] = value;
    }
    void add_creatable(std::string_view id, ObjectFactory f) override {
        creatables[to_lower_ascii(id)] = f;
    }
    void add_class(std::string_view name, ObjectFactory f) override {
        classes[to_lower_ascii(name)] = f;
    }

    std::map<std::string, BuiltinFunction> functions;
    std::map<std::string, Value> constants;
    std::map<std::string, ObjectFactory> creatables;
    std::map<std::string, ObjectFactory> classes;
};

inline void register_library_files(LibraryRegistry& r) {
    for (auto f : {vbs_register_lib_strings, vbs_register_lib_math, vbs_register_lib_convert,
                   vbs_register_lib_dates, vbs_register_lib_format, vbs_register_lib_constants,
                   vbs_register_lib_support, vbs_register_lib_ui, vbs_register_lib_dictionary,
                   vbs_register_lib_regexp, vbs_register_lib_filesystem})
        f(r);
}

// The engine's core functions and every library file's registrations, made once in the
// engine's order (a library row replaces a core row of the same name).
inline FakeRegistry& library() {
    static FakeRegistry reg = [] {
        FakeRegistry r;
        register_core_builtins(r);
        register_library_files(r);
        return r;
    }();
    return reg;
}

// Only what the library files register (the core's Err, Eval and GetRef need a running
// engine).
inline FakeRegistry& library_files() {
    static FakeRegistry reg = [] {
        FakeRegistry r;
        register_library_files(r);
        return r;
    }();
    return reg;
}

// Dialogs that record the prompt and answer as told.
class ScriptedUI : public HostUI {
public:
    int msg_box(const std::string& prompt, int buttons, const std::string& title) override {
        last_prompt = prompt;
        last_buttons = buttons;
        last_title = title;
        return answer_button;
    }
    bool input_box(const std::string& prompt, const std::string& title,
                   const std::string& default_text, std::string& answer) override {
        last_prompt = prompt;
        last_title = title;
        last_default = default_text;
        answer = answer_text;
        return !cancel;
    }
    std::string last_prompt, last_title, last_default, answer_text;
    int last_buttons = -1, answer_button = 1;
    bool cancel = false;
};

class FakeContext : public Context {
public:
    const locale_info& locale() override { return current_locale(); }
    HostUI& ui() override { return dialogs; }
    Engine& engine() override { throw std::logic_error("no engine in library tests"); }
    uint32_t& rnd_seed() override { return seed; }
    Value eval(std::string_view) override { raise_error(kErrIllegalCall); }
    Value call_value(const Value&, ArgList) override { raise_error(kErrIllegalCall); }

    ScriptedUI dialogs;
    uint32_t seed = 0x50000;
};

inline FakeContext& context() {
    static FakeContext ctx;
    return ctx;
}

// Calls a registered function, checking the argument count as the engine does.
inline Value call(std::string_view name, std::vector<Value> args = {}) {
    auto it = library().functions.find(to_lower_ascii(name));
    if (it == library().functions.end()) throw std::logic_error("no function " + std::string(name));
    const BuiltinFunction& f = it->second;
    if (args.size() < f.min_args || args.size() > f.max_args) raise_error(kErrWrongArgs);
    return f.fn(context(), ArgList(args.data(), args.size()));
}

// The error number a call raises, or 0.
inline int error_of(std::string_view name, std::vector<Value> args = {}) {
    try {
        call(name, std::move(args));
    } catch (const ScriptException& e) {
        return e.number;
    }
    return 0;
}

// CStr of a call's result, or "error N".
inline std::string text_of_call(std::string_view name, std::vector<Value> args = {}) {
    try {
        Value v = call(name, std::move(args));
        if (v.is_null()) return "Null";
        return to_string(v);
    } catch (const ScriptException& e) {
        return "error " + std::to_string(e.number);
    }
}

inline Value make(std::string_view prog_id) {
    auto it = library().creatables.find(to_lower_ascii(prog_id));
    if (it == library().creatables.end()) throw std::logic_error("not creatable");
    return Value::object(it->second(context()).get());
}

// Invokes a member of an object by name.
inline Value member(const Value& obj, std::string_view name, std::vector<Value> args = {},
                    CallKind kind = CallKind::Get) {
    Object* o = obj.obj();
    int id = o->find_member(name);
    if (id == kNoMember) raise_error(kErrNoMember);
    std::vector<Value*> slots;
    for (Value& a : args)
        slots.push_back(&a);
    CallArgs ca(slots.data(), uint32_t(slots.size()));
    Value result;
    o->invoke(id, kind, ca, result, context());
    return result;
}

inline int member_error(const Value& obj, std::string_view name, std::vector<Value> args = {},
                        CallKind kind = CallKind::Get) {
    try {
        member(obj, name, std::move(args), kind);
    } catch (const ScriptException& e) {
        return e.number;
    }
    return 0;
}

inline Value S(std::string_view s) {
    return Value::string(s);
}
inline Value I(int16_t v) {
    return Value::integer(v);
}
inline Value L(int32_t v) {
    return Value::long_(v);
}
inline Value D(double v) {
    return Value::dbl(v);
}

// Fixes the en-US locale for the tests of a suite.
class LibTest : public ::testing::Test {
protected:
    void SetUp() override { set_current_locale("en-US"); }
    void TearDown() override { set_current_locale("en-US"); }
};

} // namespace vbs::test
