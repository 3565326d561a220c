// Built-in functions, constants and creatable objects, and how library files contribute them.
//
// Each library file (builtins_core.cpp, lib_strings.cpp, lib_math.cpp, ...) defines one
// registration function with the VBS_LIBRARY macro:
//
//     static Value fn_len(Context& ctx, ArgList args) { ... }
//     static const BuiltinFunction kFunctions[] = {
//         {"Len", 1, 1, fn_len},
//     };
//     VBS_LIBRARY(strings) {               // in lib_strings.cpp
//         reg.add_functions(kFunctions);
//         reg.add_constant("vbTab", Value::string("\t"));
//     }
//
// The build collects every `lib_*.cpp` of this folder by file name: the file lib_NAME.cpp must
// contain VBS_LIBRARY(NAME). No central list needs editing. The engine calls every
// registration function once, when the first engine is made; the table is read-only after that.
//
// Names are matched without regard to case. A name registered twice keeps its last row (so a
// library may replace a core function); the registry reports nothing for it.
#pragma once

#include "vbscript/error.h"
#include "vbscript/host_ui.h"
#include "vbscript/object.h"
#include "vbscript/variant.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace vbs {

class Engine;
struct locale_info; // locale.h: separators, date order, names and patterns

// The arguments of a built-in call as passed; args.size() is the count written by the script.
// An argument left out between commas (`MsgBox "x", , "t"`) is a missing marker
// (Value::is_missing), as are the values arg(args, i) reports past the end.
using ArgList = std::span<const Value>;
inline const Value& arg(ArgList args, size_t i) {
    static const Value missing = Value::missing();
    return i < args.size() ? args[i] : missing;
}
inline bool has_arg(ArgList args, size_t i) {
    return i < args.size() && !args[i].is_missing();
}

// What a built-in or a library object may reach while it runs. Errors are raised with
// raise_error (error.h), not through the context.
class Context {
public:
    virtual ~Context() = default;
    // The locale in force (the process's current locale, see locale.h).
    virtual const locale_info& locale() = 0;
    virtual HostUI& ui() = 0;
    virtual Engine& engine() = 0;
    // The state of Rnd/Randomize for this engine (VBScript's 24-bit generator).
    virtual uint32_t& rnd_seed() = 0;
    // Evaluates an expression in the caller's scope (Eval).
    virtual Value eval(std::string_view expression) = 0;
    // Calls a callable object or procedure reference with the given arguments.
    virtual Value call_value(const Value& callee, ArgList args) = 0;
    // Ends the call with its time-out or interrupt when one is due (it throws, as raise_error
    // does). Library loops that may run long call it every so often; it costs one load.
    virtual void check_interrupt() {}
    // Starts the running call's time limit again: time spent waiting for the user (a dialog)
    // is not the script running away.
    virtual void restart_time_limit() {}
};

// A built-in function receives the argument values (never ByRef) and returns its result;
// a procedure without a result returns Empty. The argument count has been checked against
// min_args/max_args (error 450) before the call.
using BuiltinFn = Value (*)(Context& ctx, ArgList args);

struct BuiltinFunction {
    const char* name;
    uint8_t min_args;
    uint8_t max_args;
    BuiltinFn fn;
};

// Makes a new object for CreateObject("ProgID") or `New ClassName`.
using ObjectFactory = Ptr<Object> (*)(Context& ctx);

class LibraryRegistry {
public:
    virtual ~LibraryRegistry() = default;
    virtual void add_functions(std::span<const BuiltinFunction> rows) = 0;
    // A named constant (vbCrLf, vbTextCompare, ...). Constants cannot be assigned.
    virtual void add_constant(std::string_view name, Value value) = 0;
    // CreateObject("Scripting.Dictionary") and the like; the ProgID is matched without case.
    virtual void add_creatable(std::string_view prog_id, ObjectFactory factory) = 0;
    // A class usable with New (`New RegExp`).
    virtual void add_class(std::string_view name, ObjectFactory factory) = 0;
};

// Lookup in the finished table (after all registration functions ran). nullptr when unknown.
const BuiltinFunction* find_builtin(std::string_view name);
const Value* find_builtin_constant(std::string_view name);
ObjectFactory find_creatable(std::string_view prog_id);
ObjectFactory find_builtin_class(std::string_view name);

} // namespace vbs

#define VBS_LIBRARY(name) void vbs_register_lib_##name(::vbs::LibraryRegistry& reg)
