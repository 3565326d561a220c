// The table of built-ins: filled once by the core and every lib_*.cpp file, read-only after.
#include "vbscript/registry.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// One declaration per library file, from the list the build makes of lib_*.cpp.
#define VBS_LIB(name) void vbs_register_lib_##name(::vbs::LibraryRegistry& reg);
#include "vbscript/lib_modules.inc"
#undef VBS_LIB

namespace vbs {

void register_core_builtins(LibraryRegistry& reg); // builtins_core.cpp

namespace {

class Table : public LibraryRegistry {
public:
    void add_functions(std::span<const BuiltinFunction> rows) override {
        for (const BuiltinFunction& r : rows) {
            std::string key = to_lower_ascii(r.name);
            auto it = index.find(key);
            if (it != index.end()) {
                functions[size_t(it->second)] = r;
            } else {
                index.emplace(std::move(key), int(functions.size()));
                functions.push_back(r);
            }
        }
    }
    void add_constant(std::string_view name, Value value) override {
        constants[to_lower_ascii(name)] = std::move(value);
    }
    void add_creatable(std::string_view prog_id, ObjectFactory factory) override {
        creatables[to_lower_ascii(prog_id)] = factory;
    }
    void add_class(std::string_view name, ObjectFactory factory) override {
        classes[to_lower_ascii(name)] = factory;
    }

    std::vector<BuiltinFunction> functions;
    std::unordered_map<std::string, int, NameHash, NameEq> index;
    std::unordered_map<std::string, Value, NameHash, NameEq> constants;
    std::unordered_map<std::string, ObjectFactory, NameHash, NameEq> creatables;
    std::unordered_map<std::string, ObjectFactory, NameHash, NameEq> classes;
};

Table& table() {
    static Table t;
    return t;
}

} // namespace

void ensure_registry() {
    static std::once_flag once;
    std::call_once(once, [] {
        Table& reg = table();
        register_core_builtins(reg);
#define VBS_LIB(name) vbs_register_lib_##name(reg);
#include "vbscript/lib_modules.inc"
#undef VBS_LIB
    });
}

int builtin_index(std::string_view name) {
    auto it = table().index.find(name);
    return it == table().index.end() ? -1 : it->second;
}

const BuiltinFunction& builtin_at(int index) {
    return table().functions[size_t(index)];
}

const BuiltinFunction* find_builtin(std::string_view name) {
    int i = builtin_index(name);
    return i < 0 ? nullptr : &table().functions[size_t(i)];
}

const Value* find_builtin_constant(std::string_view name) {
    auto it = table().constants.find(name);
    return it == table().constants.end() ? nullptr : &it->second;
}

ObjectFactory find_creatable(std::string_view prog_id) {
    auto it = table().creatables.find(prog_id);
    return it == table().creatables.end() ? nullptr : it->second;
}

ObjectFactory find_builtin_class(std::string_view name) {
    auto it = table().classes.find(name);
    return it == table().classes.end() ? nullptr : it->second;
}

} // namespace vbs
