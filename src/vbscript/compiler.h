// The compiler: syntax tree to bytecode with resolved variable slots.
#pragma once

#include "vbscript/ast.h"
#include "vbscript/bytecode.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vbs {

struct PartSkip;

// The global names the compiler resolves against. Slots are permanent: a slot handed out once
// keeps its index for the life of the engine (reset only empties it).
class GlobalTable {
public:
    virtual ~GlobalTable() = default;
    virtual int slot(std::string_view name) = 0;        // finds or adds
    virtual bool is_defined(std::string_view name) = 0; // declared variable, procedure, ...
    // Both questions the compiler asks of a name it meets, in one look-up: sets `defined` as
    // is_defined() does and returns the name's slot, or -1 when it has none yet (or when the
    // table leaves that to slot(), as this default does). It never adds a slot.
    virtual int lookup(std::string_view name, bool& defined) {
        defined = is_defined(name);
        return -1;
    }
};

// Where a text is compiled: script level, or inside a running procedure for Execute/Eval
// (`scope` is that procedure; its locals are reached through LOADU/STOREU, its class's
// fields through Me).
struct CompileTarget {
    const Function* scope = nullptr;
};

// Compiles a parsed text. Returns nullptr with err set on a compile error (1039 Invalid 'exit'
// statement, 1041 Name redefined, ...).
std::unique_ptr<Unit> compile_program(Program& prog, GlobalTable& globals, CompileTarget target,
                                      SyntaxError& err);

// Compiles texts joined into one (`prog`), each starting on the line given in `part_lines`
// (ascending, 1-based), to run one after another in one call; the unit's part_starts tell where
// each begins. Fails (nullptr, err set) on a compile error and also when the texts cannot be
// joined without changing what they do: see FnCompiler::compile_parts.
std::unique_ptr<Unit> compile_parts(Program& prog, GlobalTable& globals,
                                    const std::vector<int>& part_lines,
                                    const std::vector<PartSkip>& skips, SyntaxError& err);

// Compiles one expression into a unit whose main function leaves the value in its result slot.
std::unique_ptr<Unit> compile_expression(Expr& expr, GlobalTable& globals, CompileTarget target,
                                         SyntaxError& err);

// A readable listing of a unit's code (mondrel-vbs --dump-code). `global_name` names global
// slots in the listing when given.
std::string disassemble(const Unit& unit,
                        const std::function<std::string(int)>& global_name = nullptr);

} // namespace vbs
