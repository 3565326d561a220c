// The disassembler: a unit's code as text, one instruction a line, for mondrel-vbs
// --dump-code and for tests of the compiler.
#include "vbscript/compiler.h"

#include "vbscript/registry.h"

#include <cstdio>

namespace vbs {

const char* op_name(Op op) {
    static const char* const names[] = {
#define VBS_OP_NAME(name) #name,
        VBS_OPCODES(VBS_OP_NAME)
#undef VBS_OP_NAME
    };
    return size_t(op) < size_t(Op::Count_) ? names[size_t(op)] : "?";
}

static std::string const_text(const Value& v) {
    switch (v.tag()) {
    case Tag::String:
        return "\"" + std::string(v.str()) + "\"";
    case Tag::Double: {
        char b[40];
        std::snprintf(b, sizeof b, "%.17g", v.double_val());
        return b;
    }
    case Tag::Long:
        return std::to_string(v.int_val()) + "&";
    case Tag::Boolean:
        return v.bool_val() ? "True" : "False";
    case Tag::Null:
        return "Null";
    case Tag::Object:
        return "Nothing";
    case Tag::Date:
        return "#date " + std::to_string(v.double_val()) + "#";
    default:
        return "<" + std::to_string(int(v.tag())) + ">";
    }
}

static bool uses_global(Op op) {
    switch (op) {
    case Op::LOADG:
    case Op::STOREG:
    case Op::SETG:
    case Op::REFG:
    case Op::LOADN:
    case Op::STOREN:
    case Op::SETN:
    case Op::REFN:
    case Op::DECLG:
    case Op::CONSTG:
    case Op::CALLG:
    case Op::CALLN:
        return true;
    default:
        return false;
    }
}

static void dump_function(const Function& f, std::string& out,
                          const std::function<std::string(int)>& global_name) {
    char line[256];
    std::snprintf(line, sizeof line, "function %s (params %d, locals %d, stack %d)\n",
                  f.name.c_str(), f.nparams, f.nlocals, f.max_stack);
    out += line;
    for (size_t i = 0; i < f.local_names.size(); ++i)
        if (!f.local_names[i].empty()) {
            std::snprintf(line, sizeof line, "  local %zu %s\n", i, f.local_names[i].c_str());
            out += line;
        }
    size_t r = 0;
    int last_line = -1;
    for (size_t pc = 0; pc < f.code.size(); ++pc) {
        while (r < f.ranges.size() && f.ranges[r].start == pc) {
            if (f.ranges[r].line != last_line) {
                std::snprintf(line, sizeof line, "  ; line %d\n", f.ranges[r].line);
                out += line;
                last_line = f.ranges[r].line;
            }
            ++r;
        }
        const Instr& in = f.code[pc];
        std::snprintf(line, sizeof line, "  %04zu  %-9s %3d %5d %6d", pc, op_name(in.op), in.a,
                      in.b, in.c);
        out += line;
        if ((in.op == Op::PUSHK || in.op == Op::CALLM || in.op == Op::LETM || in.op == Op::NEW) &&
            size_t(in.c) < f.consts.size())
            out += "   ; " + const_text(f.consts[size_t(in.c)]);
        else if (global_name && uses_global(in.op))
            out += "   ; " + global_name(in.c);
        else if (in.op == Op::CALLB)
            out += std::string("   ; ") + builtin_at(in.c).name;
        out += "\n";
    }
}

std::string disassemble(const Unit& unit, const std::function<std::string(int)>& global_name) {
    std::string out;
    for (const auto& cls : unit.classes) {
        out += "class " + cls->name + "\n";
        for (const auto& fn : cls->functions)
            dump_function(*fn, out, global_name);
    }
    for (const auto& fn : unit.procs)
        dump_function(*fn, out, global_name);
    dump_function(*unit.main, out, global_name);
    return out;
}

} // namespace vbs
