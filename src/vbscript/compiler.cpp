// The compiler: one FnCompiler per procedure (and one for a text's main code).
#include "vbscript/compiler.h"

#include "vbscript/engine.h"
#include "vbscript/object.h"
#include "vbscript/registry.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace vbs {

namespace {

struct CompileFailure {
    SyntaxError err;
};

[[noreturn]] void fail(int number, int line, int col) {
    throw CompileFailure{SyntaxError{number, line, col}};
}

// What a name means at the place it is used.
enum class NameKind { Var, Builtin, BuiltinConst, MeMember, GlobalProc };

struct Resolved {
    NameKind kind = NameKind::Var;
    VarKind var = VarKind::Global;
    int b = 0; // local / field / implicit local index
    int c = 0; // global slot, builtin index
    const Value* constant = nullptr;
    bool is_result = false; // the function's own result variable
};

// A hash table made when its first entry goes in: the main code of a short text needs none
// of the compiler's tables, and an empty std::unordered_map still costs something to make
// and more to destroy.
template <class Table> class LazyTable {
public:
    bool empty() const { return !table_ || table_->empty(); }
    // The table, made if need be.
    Table& get() {
        if (!table_) table_.emplace();
        return *table_;
    }
    bool contains(const std::string& key) const { return table_ && table_->count(key) > 0; }
    // The value of `key` (a map's), or nullptr.
    const auto* find(const std::string& key) const {
        const typename Table::mapped_type* found = nullptr;
        if (table_) {
            auto it = table_->find(key);
            if (it != table_->end()) found = &it->second;
        }
        return found;
    }

private:
    std::optional<Table> table_;
};
using NameMap = LazyTable<std::unordered_map<std::string, int>>;

struct UnitContext {
    GlobalTable& globals;
    CompileTarget target;
    Unit& unit;
    LazyTable<std::unordered_set<std::string>> defined; // lower-case names of procs/classes
    bool option_explicit = false;
    // The names the text declares as variables at script level anywhere in its main code
    // (Dim, ReDim, Const, loop variables): they hide the built-in functions and constants of
    // the same name in all of the text's code. They are gathered in `declared` (views into
    // the syntax tree); the first name that resolves to a built-in sorts out the built-in
    // ones into `script_names` (lower case), so that a text that uses no built-in pays for
    // no look-up.
    std::vector<std::string_view> declared;
    LazyTable<std::unordered_set<std::string>> script_names;

    bool hides_builtin(const std::string& low) {
        if (!declared.empty()) {
            for (std::string_view name : declared)
                if (builtin_index(name) >= 0 || find_builtin_constant(name))
                    script_names.get().insert(to_lower_ascii(name));
            declared.clear();
        }
        return script_names.contains(low);
    }
};

// Calls visit(statement, name) for every name a block declares, at any depth of its nested
// blocks: the items of Dim, ReDim and Const, and the variables of For and For Each.
template <class Visit> void each_declaration(const Block& b, const Visit& visit) {
    for (const Stmt* s : b) {
        switch (s->kind) {
        case StmtKind::Dim:
        case StmtKind::Const:
        case StmtKind::ReDim:
            for (const DimItem& it : s->items)
                visit(*s, it.name);
            break;
        case StmtKind::If:
            for (const IfArm& a : s->arms)
                each_declaration(a.body, visit);
            each_declaration(s->body, visit);
            break;
        case StmtKind::Select:
            for (const CaseClause& c : s->cases)
                each_declaration(c.body, visit);
            break;
        case StmtKind::For:
        case StmtKind::ForEach:
            if (s->target && s->target->kind == ExprKind::Name) visit(*s, s->target->name);
            each_declaration(s->body, visit);
            break;
        case StmtKind::Do:
        case StmtKind::While:
        case StmtKind::With:
            each_declaration(s->body, visit);
            break;
        default:
            break;
        }
    }
}

// A Const whose values are plain literals (a sign allowed) is known from the start of its
// scope, as VBScript evaluates such constants before the code runs.
bool is_literal_const(const Stmt& s) {
    if (s.kind != StmtKind::Const) return false;
    for (const DimItem& it : s.items) {
        const Expr* v = it.value;
        if (v->kind == ExprKind::Unary && !v->is_not && v->op != BinOp::Concat) v = v->object;
        if (v->kind != ExprKind::Literal) return false;
    }
    return true;
}

void hoist_script_names(const Block& body, UnitContext& u) {
    if (u.target.scope) return; // Execute inside a procedure: its names are that scope's
    each_declaration(body, [&](const Stmt&, std::string_view name) { u.declared.push_back(name); });
}

class FnCompiler {
public:
    FnCompiler(UnitContext& u, Function& f, ClassDef* cls, const ClassDecl*, bool is_main)
        : u_(u), f_(f), cls_(cls), is_main_(is_main) {
        f_.cls = cls;
        f_.option_explicit = u.option_explicit;
        if (is_main && u.target.scope) {
            f_.up_scope = true;
            scope_ = u.target.scope;
            if (!cls_) cls_ = scope_->cls;
        }
    }

    void compile_proc(const ProcDecl& pd) {
        f_.name = pd.name;
        f_.kind = pd.kind;
        f_.is_public = pd.is_public;
        for (const Param& p : pd.params) {
            add_local(p.name, pd.line, pd.col);
            f_.by_val.push_back(p.by_val ? 1 : 0);
        }
        f_.nparams = int(pd.params.size());
        if (pd.kind == ProcKind::Function || pd.kind == ProcKind::PropertyGet) {
            f_.result_slot = new_local(pd.name);
        }
        reserve(pd.body);
        predeclare(pd.body);
        block(pd.body);
        emit(Op::RET);
        finish();
    }

    void compile_main(const Block& body) {
        f_.name = "<main>";
        reserve(body);
        hoist(body);
        block(body);
        emit(Op::RET);
        finish();
    }

    // Joined texts: PART marks where each text begins. Each text must start with a statement
    // of its own at script level on its first line: a text that leaves a block open for the
    // next to close, or that is empty, cannot be joined. Nor can a text whose meaning depends
    // on running alone: On Error (it would cover the texts after it), Execute (it may define
    // names the later texts were compiled without) and declarations of built-in names (the
    // later texts would be compiled before the name is declared).
    //
    // A skip test goes after the code of its text: SKIPF on the tested variable and a
    // word whose target, the start of the text it skips to, is filled in when that text begins.
    void compile_parts(const Block& body, const std::vector<int>& part_lines,
                       const std::vector<PartSkip>& skips) {
        f_.name = "<main>";
        reserve(body);
        for (size_t k = 0; k < skips.size(); ++k)
            if (skips[k].part >= skips[k].to || skips[k].to > part_lines.size() ||
                (k && skips[k].part <= skips[k - 1].part))
                fail(1002, 0, 0);
        std::vector<std::pair<size_t, size_t>> jumps; // (text, word to patch with its start)
        size_t next_skip = 0;
        auto text_ends = [&](size_t part) {
            for (; next_skip < skips.size() && skips[next_skip].part == part; ++next_skip) {
                const Resolved r = resolve(skips[next_skip].name);
                if (r.kind != NameKind::Var || r.var != VarKind::Global) fail(1002, 0, 0);
                emit(Op::SKIPF, 0, 0, r.c);
                jumps.emplace_back(skips[next_skip].to, emit(Op::DATA));
            }
        };
        auto text_begins = [&](size_t part) {
            for (auto& [to, word] : jumps)
                if (to == part) patch(word, here());
        };
        std::vector<uint32_t>& starts = u_.unit.part_starts;
        starts.reserve(part_lines.size());
        size_t next = 0;
        for (const Stmt* s : body) {
            if (next < part_lines.size() && s->line >= part_lines[next]) {
                if (s->line != part_lines[next]) fail(1002, s->line, s->col);
                if (next) text_ends(next - 1);
                text_begins(next);
                starts.push_back(uint32_t(here()));
                emit(Op::PART, 0, 0, int32_t(next));
                ++next;
            }
            if (s->kind == StmtKind::Dim || s->kind == StmtKind::Const)
                for (const DimItem& it : s->items)
                    if (find_builtin_constant(it.name) || builtin_index(it.name) >= 0)
                        fail(1002, it.line, it.col);
            statement(*s);
        }
        if (next != part_lines.size()) fail(1002, 0, 0);
        for (const Instr& in : f_.code)
            if (in.op == Op::ONERR || in.op == Op::EXEC) fail(1002, 0, 0);
        if (next) text_ends(next - 1);
        text_begins(next);
        emit(Op::RET);
        finish();
    }

    void compile_expr_main(Expr& e) {
        f_.name = "<eval>";
        f_.result_slot = new_hidden();
        // Room for the code of a short expression, so that it is not moved as it grows.
        f_.code.reserve(16);
        expr(e);
        emit(Op::STOREL, 0, uint16_t(f_.result_slot), 0, -1);
        // STOREL would turn an object into its default value; Eval returns objects as they are.
        f_.code.back().op = Op::SETL;
        f_.code.back().a = 1; // a = 1: raw store, any value
        emit(Op::RET);
        finish();
    }

private:
    // --- slots ---------------------------------------------------------------------------
    // local_names holds the name of local i at index i; hidden locals have no name, and those
    // after the last named one are left out (an Eval text's result slot needs no table).
    int new_local(std::string_view name) {
        int idx = f_.nlocals++;
        f_.local_names.resize(size_t(idx));
        f_.local_names.emplace_back(name);
        locals_.get()[to_lower_ascii(name)] = idx;
        if (f_.nlocals > 60000) fail(1001, 0, 0);
        return idx;
    }
    void add_local(std::string_view name, int line, int col) {
        if (locals_.contains(to_lower_ascii(name))) fail(1041, line, col);
        new_local(name);
    }
    int new_hidden() {
        int idx = f_.nlocals++;
        if (f_.nlocals > 60000) fail(1001, 0, 0);
        return idx;
    }

    // Dim, ReDim and Const anywhere in a procedure declare a local for the whole procedure.
    // A loop variable that is not declared is the global of that name or an implicit local,
    // but never the built-in it may be named like.
    // The constants with literal values are set at the start of the procedure (after all
    // of its locals are known), and not again where they stand.
    void predeclare(const Block& b) {
        std::vector<const Stmt*> consts;
        each_declaration(b, [&](const Stmt& s, std::string_view name) {
            // The items of one statement come one after another.
            if (is_literal_const(s) && (consts.empty() || consts.back() != &s))
                consts.push_back(&s);
            std::string low = to_lower_ascii(name);
            if (locals_.contains(low)) return;
            if (s.kind == StmtKind::For || s.kind == StmtKind::ForEach) {
                shadowed_.get().insert(std::move(low));
                return;
            }
            if (s.kind == StmtKind::ReDim && known_outside(name)) return;
            new_local(name);
        });
        for (const Stmt* c : consts)
            emit_const(*c);
        consts_hoisted_ = true;
    }

    // Code at the start of a text for what is known before its first statement runs: the
    // variables Dim declares at script level anywhere in the text (so that Option Explicit
    // accepts a use above the Dim line) and the constants with literal values.
    void hoist(const Block& body) {
        const bool script_level = is_main_ && !scope_;
        const Stmt* last_const = nullptr;
        each_declaration(body, [&](const Stmt& s, std::string_view name) {
            if (script_level && (s.kind == StmtKind::Dim || s.kind == StmtKind::ReDim)) {
                emit(Op::DECLG, 0, 0, global_slot(name));
            } else if (&s != last_const && is_literal_const(s)) {
                last_const = &s; // the whole statement is done at its first item
                emit_const(s);
            }
        });
        globals_declared_ = script_level;
        consts_hoisted_ = true;
    }

    // Room for the code of the statements of `body` (four instructions each, an assignment
    // about one per level of its value), so that the code of a short text is not moved as it
    // grows; nested blocks grow the vectors as usual.
    void reserve(const Block& body) {
        size_t n = 4;
        for (const Stmt* s : body)
            n += s->kind == StmtKind::Assign ? size_t(std::max(4, s->value->depth + 2)) : 4;
        f_.code.reserve(n);
        f_.ranges.reserve(body.size());
    }

    // Whether a variable of the text hides the built-in of this (lower-case) name here.
    bool shadowed(const std::string& low) {
        return u_.hides_builtin(low) || shadowed_.contains(low);
    }

    bool known_outside(std::string_view name) {
        std::string low = to_lower_ascii(name);
        if (cls_ && cls_->index.count(low)) return true;
        return u_.globals.is_defined(name);
    }

    int global_slot(std::string_view name) { return u_.globals.slot(name); }

    Resolved resolve(std::string_view name) {
        Resolved r;
        // The lower-case name keys the tables of this text; it is made only when one of them
        // has to be asked (the main code of a short text usually asks none).
        std::string low;
        auto lower = [&]() -> const std::string& {
            if (low.empty()) low = to_lower_ascii(name);
            return low;
        };
        if (!locals_.empty()) {
            if (const int* local = locals_.find(lower())) {
                r.var = VarKind::Local;
                r.b = *local;
                r.is_result = *local == f_.result_slot;
                return r;
            }
        }
        if (scope_) {
            for (size_t i = 0; i < scope_->local_names.size(); ++i)
                if (!scope_->local_names[i].empty() && iequals(scope_->local_names[i], name)) {
                    r.var = VarKind::Up;
                    r.b = int(i);
                    return r;
                }
        }
        if (cls_) {
            auto m = cls_->index.find(lower());
            if (m != cls_->index.end()) {
                const ClassMember& mem = cls_->members[size_t(m->second)];
                if (mem.kind == MemberKind::Field) {
                    r.var = VarKind::Field;
                    r.b = mem.field;
                } else {
                    r.kind = NameKind::MeMember;
                }
                return r;
            }
        }
        bool in_text = !u_.defined.empty() && u_.defined.contains(lower());
        bool defined = false;
        int slot = u_.globals.lookup(name, defined);
        if (!in_text && !defined) {
            if (const Value* k = find_builtin_constant(name)) {
                if (!shadowed(lower())) {
                    r.kind = NameKind::BuiltinConst;
                    r.constant = k;
                    return r;
                }
            } else if (int bi = builtin_index(name); bi >= 0 && !shadowed(lower())) {
                r.kind = NameKind::Builtin;
                r.c = bi;
                return r;
            }
        }
        r.c = slot >= 0 ? slot : global_slot(name);
        if (in_text) {
            r.kind = NameKind::GlobalProc;
            return r;
        }
        if (is_main_ && !scope_) {
            r.var = VarKind::Global;
            return r;
        }
        // Inside a procedure (or Execute in one): the global if it exists when the code runs,
        // else an implicit local.
        r.var = VarKind::Dyn;
        if (const int* implicit = implicit_.find(lower())) {
            r.b = *implicit;
        } else {
            r.b = new_hidden();
            implicit_.get().emplace(lower(), r.b);
        }
        return r;
    }

    // --- emitting ------------------------------------------------------------------------
    size_t emit(Op op, uint8_t a = 0, uint16_t b = 0, int32_t c = 0, int delta = 0) {
        f_.code.push_back(Instr{op, a, b, c});
        depth_ += delta;
        if (depth_ > f_.max_stack) f_.max_stack = depth_;
        return f_.code.size() - 1;
    }
    size_t here() const { return f_.code.size(); }
    void patch(size_t at, size_t target) { f_.code[at].c = int32_t(target); }
    // The constant's index; a string already in the table is shared. A short table is
    // searched in place; from kIndexConsts constants on, an index of the strings finds them.
    static constexpr size_t kIndexConsts = 32;
    int konst(Value v) {
        if (v.tag() == Tag::String) {
            const std::string_view text = v.str();
            if (f_.consts.size() < kIndexConsts) {
                for (size_t i = 0; i < f_.consts.size(); ++i)
                    if (f_.consts[i].tag() == Tag::String && f_.consts[i].str() == text)
                        return int(i);
            } else {
                auto& index = string_consts_.get();
                if (index.empty())
                    for (size_t i = 0; i < f_.consts.size(); ++i)
                        if (f_.consts[i].tag() == Tag::String)
                            index.try_emplace(std::string(f_.consts[i].str()), int(i));
                auto [it, added] = index.try_emplace(std::string(text), int(f_.consts.size()));
                if (!added) return it->second;
            }
        }
        f_.consts.push_back(std::move(v));
        return int(f_.consts.size() - 1);
    }
    int name_const(std::string_view name) { return konst(Value::string(name)); }

    // Slack for the values an instruction holds beyond what its stack effect shows.
    void finish() { f_.max_stack += 16; }

    // --- variables -----------------------------------------------------------------------
    void load_var(const Resolved& r) {
        switch (r.var) {
        case VarKind::Local:
            emit(Op::LOADL, 0, uint16_t(r.b), 0, 1);
            break;
        case VarKind::Global:
            emit(Op::LOADG, 0, 0, r.c, 1);
            break;
        case VarKind::Dyn:
            emit(Op::LOADN, 0, uint16_t(r.b), r.c, 1);
            break;
        case VarKind::Field:
            emit(Op::LOADF, 0, uint16_t(r.b), 0, 1);
            break;
        case VarKind::Up:
            emit(Op::LOADU, 0, uint16_t(r.b), 0, 1);
            break;
        }
    }
    void store_var(const Resolved& r, bool set) {
        static const Op store[] = {Op::STOREL, Op::STOREG, Op::STOREN, Op::STOREF, Op::STOREU};
        static const Op setv[] = {Op::SETL, Op::SETG, Op::SETN, Op::SETF, Op::SETU};
        Op op = (set ? setv : store)[int(r.var)];
        emit(op, 0, uint16_t(r.b), r.c, -1);
    }
    void ref_var(const Resolved& r) {
        static const Op ref[] = {Op::REFL, Op::REFG, Op::REFN, Op::REFF, Op::REFU};
        emit(ref[int(r.var)], 0, uint16_t(r.b), r.c, 1);
    }
    // A name that must be a variable (loop variable, ReDim, Erase).
    Resolved variable(std::string_view name, int line, int col) {
        Resolved r = resolve(name);
        if (r.kind == NameKind::BuiltinConst || r.kind == NameKind::Builtin ||
            r.kind == NameKind::GlobalProc) {
            r = Resolved{};
            r.c = global_slot(name);
            r.var = (is_main_ && !scope_) ? VarKind::Global : VarKind::Dyn;
            if (r.var == VarKind::Dyn) r.b = new_hidden();
        }
        if (r.kind == NameKind::MeMember) fail(1040, line, col);
        return r;
    }

    // --- expressions ---------------------------------------------------------------------
    void expr(Expr& e) {
        switch (e.kind) {
        case ExprKind::Literal:
            literal(*e.value);
            break;
        case ExprKind::Name:
            name_value(e);
            break;
        case ExprKind::Me:
            if (!cls_) fail(1037, e.line, e.col);
            emit(Op::LOADME, 0, 0, 0, 1);
            break;
        case ExprKind::Member:
            member_object(e);
            emit(Op::CALLM, 0, uint16_t(CallKind::Get), name_const(e.name), 0);
            break;
        case ExprKind::Call:
            call(e, false);
            break;
        case ExprKind::Unary:
            expr(*e.object);
            if (e.is_not)
                emit(Op::NOT);
            else if (e.op == BinOp::Concat)
                emit(Op::DEREF);
            else
                emit(Op::NEG);
            break;
        case ExprKind::Binary:
            binary_chain(e);
            break;
        case ExprKind::New:
            emit(Op::NEW, 0, 0, name_const(e.name), 1);
            break;
        }
    }

    // A chain of binary operators (`a + b * c - d ...`): the left operands are walked in a
    // loop, so a chain of any length costs the native stack one level, as the parser's depth
    // of the node says (see set_binary_depth).
    void binary_chain(Expr& top) {
        static const Op ops[] = {
            Op::POW,    Op::MUL, Op::DIV, Op::IDIV, Op::MOD, Op::ADD, Op::SUB,
            Op::CONCAT, Op::EQ,  Op::NE,  Op::LT,   Op::GT,  Op::LE,  Op::GE,
            Op::IS,     Op::AND, Op::OR,  Op::XOR,  Op::EQV, Op::IMP}; // ORDER BINOP
        if (top.lhs->kind != ExprKind::Binary) { // one operator: no list needed
            expr(*top.lhs);
            expr(*top.rhs);
            emit(ops[int(top.op)], 0, 0, 0, -1);
            return;
        }
        const size_t mark = spine_.size();
        Expr* e = &top;
        for (; e->kind == ExprKind::Binary; e = e->lhs)
            spine_.push_back(e);
        expr(*e);
        while (spine_.size() > mark) {
            Expr* b = spine_.back();
            spine_.pop_back();
            expr(*b->rhs);
            emit(ops[int(b->op)], 0, 0, 0, -1);
        }
    }

    // The built-in table is shared by engines on any thread; compiled code takes its own copy
    // of a string constant so that reference counts never cross threads.
    static Value own_copy(const Value& v) {
        return v.tag() == Tag::String ? Value::string(v.str()) : v;
    }

    void literal(const Value& v) {
        if (v.tag() == Tag::Integer)
            emit(Op::PUSHI, 0, 0, v.int_val(), 1);
        else if (v.tag() == Tag::Empty)
            emit(Op::PUSHEMPTY, 0, 0, 0, 1);
        else
            emit(Op::PUSHK, 0, 0, konst(v), 1);
    }

    void name_value(Expr& e) {
        Resolved r = resolve(e.name);
        switch (r.kind) {
        case NameKind::Var:
            load_var(r);
            break;
        case NameKind::BuiltinConst:
            literal(own_copy(*r.constant));
            break;
        case NameKind::Builtin:
            emit(Op::CALLB, 0, 0, r.c, 1);
            break;
        case NameKind::MeMember:
            emit(Op::LOADME, 0, 0, 0, 1);
            emit(Op::CALLM, 0, uint16_t(CallKind::Get), name_const(e.name), 0);
            break;
        case NameKind::GlobalProc:
            emit(Op::LOADG, 0, 0, r.c, 1);
            break;
        }
    }

    // The object of a member access: the expression, or the innermost With object.
    void member_object(Expr& e) {
        if (e.object) {
            expr(*e.object);
        } else {
            if (with_slots_.empty()) fail(1002, e.line, e.col);
            emit(Op::LOADL, 0, uint16_t(with_slots_.back()), 0, 1);
        }
    }

    // Whether argument `a` is an array element passed by reference (`x(1)` of a variable x),
    // with the variable in `r`.
    bool element_argument(const Expr& a, Resolved& r) {
        if (a.kind != ExprKind::Call || a.object->kind != ExprKind::Name || a.args.empty() ||
            a.args.size() > 60)
            return false;
        for (const Expr* x : a.args)
            if (!x) return false;
        r = resolve(a.object->name);
        return r.kind == NameKind::Var && !r.is_result;
    }

    // Arguments passed to a procedure or object: a plain variable goes by reference, and so
    // does an array element. Each element's array is kept alive during the call by a hidden
    // local of its own; the keepers of one call are consecutive, so that REFIDX can tell an
    // array shared only with the call's earlier keepers (`S x(0), x(1)`) from one shared
    // with another variable, which it must copy before handing out a reference.
    void ref_args(const ExprList& args) {
        int first_keeper = -1;
        Resolved r;
        int elements = 0;
        for (const Expr* a : args)
            if (a && element_argument(*a, r)) ++elements;
        if (elements > 0) {
            first_keeper = take_keepers(elements);
            for (int k = 0; k < elements; ++k)
                keepers_.push_back(first_keeper + k);
        }
        int next_keeper = first_keeper;
        for (Expr* a : args) {
            if (!a) {
                emit(Op::PUSHMISS, 0, 0, 0, 1);
                continue;
            }
            if (a->kind == ExprKind::Name) {
                r = resolve(a->name);
                if (r.kind == NameKind::Var && !r.is_result) {
                    ref_var(r);
                    continue;
                }
            }
            if (element_argument(*a, r)) {
                ref_var(r);
                value_args(a->args);
                emit(Op::REFIDX, uint8_t(a->args.size()), uint16_t(next_keeper), first_keeper,
                     -int(a->args.size()));
                ++next_keeper;
                continue;
            }
            expr(*a);
        }
    }
    // Consecutive hidden locals for the keepers of one call. A block freed by an earlier call
    // is used again, so a text of many calls with element arguments (a long list's display
    // text) needs no more of them than its deepest nesting of such calls.
    int take_keepers(int count) {
        std::vector<int>& free = free_keeper_blocks_[count];
        int first;
        if (!free.empty()) {
            first = free.back();
            free.pop_back();
        } else {
            first = new_hidden();
            for (int k = 1; k < count; ++k)
                new_hidden();
        }
        keeper_blocks_.push_back({first, count, keepers_.size()});
        return first;
    }
    // Releases the arrays that ByRef element arguments kept alive during a call.
    void release_keepers(size_t mark) {
        while (keepers_.size() > mark) {
            emit(Op::PUSHEMPTY, 0, 0, 0, 1);
            emit(Op::SETL, 1, uint16_t(keepers_.back()), 0, -1);
            keepers_.pop_back();
        }
        while (!keeper_blocks_.empty() && keeper_blocks_.back().at >= mark) {
            free_keeper_blocks_[keeper_blocks_.back().count].push_back(
                keeper_blocks_.back().first);
            keeper_blocks_.pop_back();
        }
    }

    void value_args(const ExprList& args) {
        for (Expr* a : args) {
            if (!a)
                emit(Op::PUSHMISS, 0, 0, 0, 1);
            else
                expr(*a);
        }
    }

    // A call, index or default-member access; `stmt` when the result is not used (it is
    // still pushed, the caller pops it).
    void call(Expr& e, bool stmt) {
        size_t mark = keepers_.size();
        call_inner(e, stmt);
        release_keepers(mark);
    }

    void call_inner(Expr& e, bool stmt) {
        Expr& callee = *e.object;
        int argc = int(e.args.size());
        // Only Array(...) may take more (see long_list); that is settled with its name below.
        if (size_t(argc) > kMaxCallArgs &&
            !(callee.kind == ExprKind::Name && iequals(callee.name, "array")))
            fail(1002, e.line, e.col);
        uint8_t a = uint8_t(argc);
        CallKind kind = stmt ? CallKind::Call : CallKind::Get;
        if (callee.kind == ExprKind::Name) {
            if (iequals(callee.name, "execute") || iequals(callee.name, "executeglobal")) {
                if (stmt && argc == 1 && e.args[0] && !resolve_is_var(callee.name)) {
                    expr(*e.args[0]);
                    emit(Op::EXEC, iequals(callee.name, "executeglobal") ? 1 : 0, 0, 0, -1);
                    emit(Op::PUSHEMPTY, 0, 0, 0, 1);
                    return;
                }
            }
            Resolved r = resolve(callee.name);
            if (argc > int(kMaxCallArgs) && r.kind == NameKind::Builtin &&
                iequals(callee.name, "array")) {
                long_list(e);
                return;
            }
            if (size_t(argc) > kMaxCallArgs) fail(1002, e.line, e.col);
            switch (r.kind) {
            case NameKind::Builtin:
                value_args(e.args);
                emit(Op::CALLB, a, 0, r.c, 1 - argc);
                return;
            case NameKind::BuiltinConst:
                value_args(e.args);
                emit(Op::PUSHK, 0, 0, konst(own_copy(*r.constant)), 1);
                emit(Op::CALLV, a, 0, 0, -argc);
                return;
            case NameKind::MeMember:
                emit(Op::LOADME, 0, 0, 0, 1);
                ref_args(e.args);
                emit(Op::CALLM, a, uint16_t(kind), name_const(callee.name), -argc);
                return;
            case NameKind::GlobalProc:
                ref_args(e.args);
                emit(Op::CALLG, a, 0, r.c, 1 - argc);
                return;
            case NameKind::Var:
                if (r.is_result) {
                    // Inside Function F, F(args) calls F (the result variable takes no index).
                    if (cls_ && cls_->index.count(to_lower_ascii(callee.name))) {
                        emit(Op::LOADME, 0, 0, 0, 1);
                        ref_args(e.args);
                        emit(Op::CALLM, a, uint16_t(kind), name_const(callee.name), -argc);
                        return;
                    }
                    if (argc > 0 || stmt) {
                        ref_args(e.args);
                        emit(Op::CALLG, a, 0, global_slot(callee.name), 1 - argc);
                        return;
                    }
                }
                if (stmt && argc == 0) {
                    // `r` or `Call r()` as a statement calls an object's default member, so a
                    // GetRef reference to a Sub runs; other values are left as they are.
                    expr(callee);
                    emit(Op::CALLV, 0, 1, 0, 0);
                    return;
                }
                ref_args(e.args);
                switch (r.var) {
                case VarKind::Local:
                    emit(Op::CALLL, a, uint16_t(r.b), 0, 1 - argc);
                    break;
                case VarKind::Global:
                    emit(Op::CALLG, a, 0, r.c, 1 - argc);
                    break;
                case VarKind::Dyn:
                    emit(Op::CALLN, a, uint16_t(r.b), r.c, 1 - argc);
                    break;
                case VarKind::Field:
                    emit(Op::CALLF, a, uint16_t(r.b), 0, 1 - argc);
                    break;
                case VarKind::Up:
                    emit(Op::CALLU, a, uint16_t(r.b), 0, 1 - argc);
                    break;
                }
                return;
            }
        }
        if (callee.kind == ExprKind::Member) {
            member_object(callee);
            ref_args(e.args);
            emit(Op::CALLM, a, uint16_t(kind), name_const(callee.name), -argc);
            return;
        }
        expr(callee);
        value_args(e.args);
        emit(Op::CALLV, a, 0, 0, -argc);
    }

    // Array(...) with more items than a call takes: the array is made first and filled a
    // group of items at a time, so that the operand stack holds one group at most.
    void long_list(const Expr& call) {
        const ExprList& items = call.args;
        emit(Op::LISTNEW, 0, 0, int32_t(items.size()), 1);
        for (size_t i = 0; i < items.size(); i += kMaxCallArgs) {
            size_t n = std::min(kMaxCallArgs, items.size() - i);
            for (size_t k = i; k < i + n; ++k) {
                if (!items[k]) fail(1002, call.line, call.col);
                expr(*items[k]);
            }
            emit(Op::LISTADD, uint8_t(n), 0, 0, -int(n));
        }
    }

    bool resolve_is_var(std::string_view name) {
        return !locals_.empty() && locals_.contains(to_lower_ascii(name));
    }

    // --- statements ----------------------------------------------------------------------
    void block(const Block& b) {
        for (const Stmt* s : b)
            statement(*s);
    }

    size_t begin_range(const Stmt& s) {
        f_.ranges.push_back(StmtRange{uint32_t(here()), 0, 0, s.line, s.col});
        return f_.ranges.size() - 1;
    }
    void end_range(size_t r, size_t resume) {
        f_.ranges[r].end = uint32_t(here());
        f_.ranges[r].resume = uint32_t(resume);
    }

    void statement(const Stmt& s) {
        size_t r = begin_range(s);
        depth_ = 0;
        switch (s.kind) {
        case StmtKind::Assign:
            assign(s);
            break;
        case StmtKind::CallStmt:
            call_stmt(s);
            break;
        case StmtKind::Dim:
            dim(s);
            break;
        case StmtKind::ReDim:
            redim(s);
            break;
        case StmtKind::Erase:
            for (const DimItem& it : s.items) {
                ref_var(variable(it.name, it.line, it.col));
                emit(Op::ERASE, 0, 0, 0, -1);
            }
            break;
        case StmtKind::Const:
            const_stmt(s);
            break;
        case StmtKind::If:
            if_stmt(s, r);
            return;
        case StmtKind::Select:
            select_stmt(s);
            break;
        case StmtKind::For:
            for_stmt(s);
            break;
        case StmtKind::ForEach:
            for_each(s);
            break;
        case StmtKind::Do:
            do_stmt(s);
            break;
        case StmtKind::While:
            while_stmt(s);
            break;
        case StmtKind::Exit:
            exit_stmt(s);
            break;
        case StmtKind::With:
            with_stmt(s);
            break;
        case StmtKind::OnErrorResume:
            emit(Op::ONERR, 1);
            break;
        case StmtKind::OnErrorGoto0:
            emit(Op::ONERR, 0);
            break;
        case StmtKind::Nop:
            break;
        }
        end_range(r, here());
    }

    void assign(const Stmt& s) {
        Expr& t = *s.target;
        bool set = s.is_set;
        switch (t.kind) {
        case ExprKind::Name: {
            Resolved r = resolve(t.name);
            if (r.kind == NameKind::MeMember) {
                emit(Op::LOADME, 0, 0, 0, 1);
                expr(*s.value);
                emit(Op::LETM, 0, set, name_const(t.name), -2);
                return;
            }
            if (r.kind != NameKind::Var) {
                r = Resolved{};
                r.c = global_slot(t.name);
                r.var = VarKind::Global;
            }
            expr(*s.value);
            store_var(r, set);
            return;
        }
        case ExprKind::Member:
            member_object(t);
            expr(*s.value);
            emit(Op::LETM, 0, set, name_const(t.name), -2);
            return;
        case ExprKind::Call: {
            Expr& callee = *t.object;
            int argc = int(t.args.size());
            if (size_t(argc) > kMaxCallArgs) fail(1002, t.line, t.col);
            if (callee.kind == ExprKind::Member) {
                member_object(callee);
                value_args(t.args);
                expr(*s.value);
                emit(Op::LETM, uint8_t(argc), set, name_const(callee.name), -2 - argc);
                return;
            }
            if (callee.kind == ExprKind::Name) {
                Resolved r = resolve(callee.name);
                if (r.kind == NameKind::MeMember) {
                    emit(Op::LOADME, 0, 0, 0, 1);
                    value_args(t.args);
                    expr(*s.value);
                    emit(Op::LETM, uint8_t(argc), set, name_const(callee.name), -2 - argc);
                    return;
                }
                if (r.kind == NameKind::Var) {
                    ref_var(r);
                    value_args(t.args);
                    expr(*s.value);
                    emit(Op::LETIDX, uint8_t(argc), set, 0, -2 - argc);
                    return;
                }
            }
            fail(1002, t.line, t.col);
        }
        default:
            fail(1002, t.line, t.col);
        }
    }

    void call_stmt(const Stmt& s) {
        Expr& t = *s.target;
        if (t.kind == ExprKind::Call) {
            call(t, true);
        } else if (t.kind == ExprKind::Name) {
            Expr c;
            c.kind = ExprKind::Call;
            c.line = t.line;
            c.col = t.col;
            c.object = &t; // the name node as the callee of a call without arguments
            call(c, true);
        } else if (t.kind == ExprKind::Member) {
            member_object(t);
            emit(Op::CALLM, 0, uint16_t(CallKind::Call), name_const(t.name), 0);
        } else {
            fail(1024, s.line, s.col);
        }
        emit(Op::POP, 0, 0, 0, -1);
    }

    void dim(const Stmt& s) {
        for (const DimItem& it : s.items) {
            Resolved r;
            if (is_main_ && !scope_) {
                if (globals_declared_ && !it.is_array) continue; // declared by hoist()
                r.var = VarKind::Global;
                r.c = global_slot(it.name);
                if (!globals_declared_) emit(Op::DECLG, 0, 0, r.c);
            } else {
                r = resolve(it.name);
                if (r.kind != NameKind::Var) continue;
            }
            if (it.is_array) {
                ref_var(r);
                for (Expr* bnd : it.bounds)
                    expr(*bnd);
                emit(Op::DIMARR, uint8_t(it.bounds.size()), 0, 0, -1 - int(it.bounds.size()));
            }
        }
    }

    void redim(const Stmt& s) {
        for (const DimItem& it : s.items) {
            Resolved r = variable(it.name, it.line, it.col);
            if (r.var == VarKind::Global && !globals_declared_) emit(Op::DECLG, 0, 0, r.c);
            ref_var(r);
            for (Expr* bnd : it.bounds)
                expr(*bnd);
            if (it.bounds.size() > kMaxArrayDims) fail(1002, it.line, it.col);
            emit(Op::REDIM, uint8_t(it.bounds.size()), s.preserve ? 1 : 0, 0,
                 -1 - int(it.bounds.size()));
        }
    }

    void const_stmt(const Stmt& s) {
        if (consts_hoisted_ && is_literal_const(s)) return;
        emit_const(s);
    }
    void emit_const(const Stmt& s) {
        for (const DimItem& it : s.items) {
            expr(*it.value);
            if (is_main_ && !scope_) {
                emit(Op::CONSTG, 0, 0, global_slot(it.name), -1);
            } else {
                Resolved r = resolve(it.name);
                if (r.kind != NameKind::Var) fail(1041, it.line, it.col);
                store_var(r, false);
            }
        }
    }

    // Opens a range for a loop or block header whose failure under On Error Resume Next goes
    // on inside the body; close_header sets where that is. Returns the range's index.
    size_t open_header(const Stmt& s) {
        f_.ranges.push_back(StmtRange{uint32_t(here()), 0, 0, s.line, s.col});
        depth_ = 0;
        return f_.ranges.size() - 1;
    }
    void close_header(size_t range, size_t end, size_t resume) {
        f_.ranges[range].end = uint32_t(end);
        f_.ranges[range].resume = uint32_t(resume);
    }

    // An error in a condition continues inside the branch, as VBScript does.
    void if_stmt(const Stmt& s, size_t range) {
        std::vector<size_t> to_end;
        for (const IfArm& arm : s.arms) {
            size_t cond_range = f_.ranges.size();
            f_.ranges.push_back(StmtRange{uint32_t(here()), 0, 0, s.line, s.col});
            depth_ = 0;
            expr(*arm.cond);
            size_t jf = emit(Op::JMPF, 0, 0, 0, -1);
            f_.ranges[cond_range].end = uint32_t(here());
            f_.ranges[cond_range].resume = uint32_t(here());
            block(arm.body);
            to_end.push_back(emit(Op::JMP));
            patch(jf, here());
        }
        if (s.has_else) block(s.body);
        for (size_t j : to_end)
            patch(j, here());
        end_range(range, here());
    }

    // A failing subject leaves it Empty for the tests; a failing Case value goes on in that
    // case's body, as a failing If condition does.
    void select_stmt(const Stmt& s) {
        int subject = new_hidden();
        emit(Op::PUSHEMPTY, 0, 0, 0, 1);
        emit(Op::STOREL, 0, uint16_t(subject), 0, -1);
        size_t head = open_header(s);
        expr(*s.value);
        emit(Op::STOREL, 0, uint16_t(subject), 0, -1);
        close_header(head, here(), here());
        std::vector<std::vector<size_t>> jumps(s.cases.size());
        std::vector<size_t> value_ranges(s.cases.size(), SIZE_MAX);
        for (size_t i = 0; i < s.cases.size(); ++i) {
            if (s.cases[i].values.empty()) continue;
            value_ranges[i] = open_header(s);
            for (Expr* v : s.cases[i].values) {
                expr(*v);
                jumps[i].push_back(emit(Op::CASEEQ, 0, uint16_t(subject), 0, -1));
            }
            f_.ranges[value_ranges[i]].end = uint32_t(here());
        }
        // No case matched: Case Else (the last clause with no values) or the end.
        size_t no_match = emit(Op::JMP);
        std::vector<size_t> to_end;
        bool else_done = false;
        for (size_t i = 0; i < s.cases.size(); ++i) {
            for (size_t j : jumps[i])
                patch(j, here());
            if (s.cases[i].values.empty()) {
                patch(no_match, here());
                else_done = true;
            } else {
                f_.ranges[value_ranges[i]].resume = uint32_t(here());
            }
            block(s.cases[i].body);
            to_end.push_back(emit(Op::JMP));
        }
        if (!else_done) patch(no_match, here());
        for (size_t j : to_end)
            patch(j, here());
    }

    struct Loop {
        ExitKind kind;
        std::vector<size_t> exits;
    };

    VarKind loop_var(const Expr& v, Resolved& r) {
        r = variable(v.name, v.line, v.col);
        return r.var;
    }
    int32_t var_c(const Resolved& r) {
        return r.var == VarKind::Global ? r.c : (r.var == VarKind::Dyn ? r.c : 0);
    }

    void for_stmt(const Stmt& s) {
        Resolved r;
        loop_var(*s.target, r);
        int hidden = new_hidden();
        new_hidden(); // step
        // Limit and step are evaluated once, before the loop. A failing header runs the body
        // once: the landing below marks the limit Null, which ends the loop at Next.
        size_t head = open_header(s);
        expr(*s.value);
        expr(*s.to);
        emit(Op::STOREL, 0, uint16_t(hidden), 0, -1);
        if (s.step)
            expr(*s.step);
        else
            emit(Op::PUSHI, 0, 0, 1, 1);
        emit(Op::STOREL, 0, uint16_t(hidden + 1), 0, -1);
        uint16_t slot_b = r.var == VarKind::Dyn ? uint16_t(r.b) : uint16_t(r.b);
        emit(Op::FORPREP, uint8_t(r.var), uint16_t(hidden), var_c(r), -1);
        f_.code.back().b = uint16_t(hidden);
        size_t exit_word = emit(Op::DATA, 0, slot_b, 0);
        size_t over_landing = emit(Op::JMP);
        close_header(head, over_landing, here());
        emit(Op::PUSHK, 0, 0, konst(Value::null()), 1);
        emit(Op::STOREL, 0, uint16_t(hidden), 0, -1);
        patch(over_landing, here());
        size_t body = here();
        loops_.push_back(Loop{ExitKind::For, {}});
        block(s.body);
        depth_ = 0;
        emit(Op::FORNEXT, uint8_t(r.var), uint16_t(hidden), var_c(r));
        emit(Op::DATA, 0, slot_b, int32_t(body));
        patch(exit_word, here());
        for (size_t j : loops_.back().exits)
            patch(j, here());
        loops_.pop_back();
    }

    void for_each(const Stmt& s) {
        Resolved r;
        loop_var(*s.target, r);
        int hidden = new_hidden();
        new_hidden();
        // A failing collection runs the body once: the landing leaves nothing to walk.
        size_t head = open_header(s);
        expr(*s.value);
        emit(Op::EACHPREP, 0, uint16_t(hidden), 0, -1);
        size_t to_top = emit(Op::JMP);
        close_header(head, to_top, here());
        emit(Op::PUSHEMPTY, 0, 0, 0, 1);
        emit(Op::STOREL, 0, uint16_t(hidden), 0, -1);
        size_t to_body = emit(Op::JMP);
        size_t top = here();
        patch(to_top, top);
        emit(Op::EACHNEXT, uint8_t(r.var), uint16_t(hidden), var_c(r));
        size_t exit_word = emit(Op::DATA, 0, uint16_t(r.b), 0);
        patch(to_body, here());
        loops_.push_back(Loop{ExitKind::For, {}});
        block(s.body);
        emit(Op::JMP, 0, 0, int32_t(top));
        patch(exit_word, here());
        for (size_t j : loops_.back().exits)
            patch(j, here());
        loops_.pop_back();
    }

    void do_stmt(const Stmt& s) {
        size_t top = here();
        size_t pre_exit = SIZE_MAX;
        if (s.loop == LoopCond::PreWhile || s.loop == LoopCond::PreUntil) {
            size_t head = open_header(s); // a failing condition goes on in the body
            expr(*s.value);
            pre_exit = emit(s.loop == LoopCond::PreWhile ? Op::JMPF : Op::JMPT, 0, 0, 0, -1);
            close_header(head, here(), here());
        }
        loops_.push_back(Loop{ExitKind::Do, {}});
        block(s.body);
        depth_ = 0;
        if (s.loop == LoopCond::PostWhile || s.loop == LoopCond::PostUntil) {
            expr(*s.value);
            emit(s.loop == LoopCond::PostWhile ? Op::JMPT : Op::JMPF, 0, 0, int32_t(top), -1);
        } else {
            emit(Op::JMP, 0, 0, int32_t(top));
        }
        if (pre_exit != SIZE_MAX) patch(pre_exit, here());
        for (size_t j : loops_.back().exits)
            patch(j, here());
        loops_.pop_back();
    }

    void while_stmt(const Stmt& s) {
        size_t top = here();
        size_t head = open_header(s); // a failing condition goes on in the body
        expr(*s.value);
        size_t jf = emit(Op::JMPF, 0, 0, 0, -1);
        close_header(head, here(), here());
        loops_.push_back(Loop{ExitKind::Do, {}}); // Exit Do does not leave While; see exit_stmt
        loops_.back().kind = ExitKind::Property;  // marker: a While loop
        block(s.body);
        emit(Op::JMP, 0, 0, int32_t(top));
        patch(jf, here());
        loops_.pop_back();
    }

    void exit_stmt(const Stmt& s) {
        switch (s.exit) {
        case ExitKind::Do:
        case ExitKind::For:
            for (auto it = loops_.rbegin(); it != loops_.rend(); ++it)
                if (it->kind == s.exit) {
                    it->exits.push_back(emit(Op::JMP));
                    return;
                }
            fail(1039, s.line, s.col);
        case ExitKind::Sub:
        case ExitKind::Function:
        case ExitKind::Property: {
            bool ok =
                (s.exit == ExitKind::Sub && f_.kind == ProcKind::Sub && !is_main_) ||
                (s.exit == ExitKind::Function && f_.kind == ProcKind::Function && !is_main_) ||
                (s.exit == ExitKind::Property && !is_main_ &&
                 (f_.kind == ProcKind::PropertyGet || f_.kind == ProcKind::PropertyLet ||
                  f_.kind == ProcKind::PropertySet));
            if (!ok) fail(1039, s.line, s.col);
            emit(Op::RET);
            return;
        }
        }
    }

    void with_stmt(const Stmt& s) {
        // With needs an object (424 otherwise); a failing header goes on in the body, where
        // each member access then fails in turn.
        int slot = new_hidden();
        size_t head = open_header(s);
        expr(*s.value);
        emit(Op::SETL, 0, uint16_t(slot), 0, -1);
        close_header(head, here(), here());
        with_slots_.push_back(slot);
        block(s.body);
        with_slots_.pop_back();
        // Let the object go at the end of the block.
        emit(Op::PUSHEMPTY, 0, 0, 0, 1);
        emit(Op::SETL, 1, uint16_t(slot), 0, -1);
    }

    UnitContext& u_;
    Function& f_;
    ClassDef* cls_;
    bool is_main_;
    const Function* scope_ = nullptr;
    NameMap locals_;
    NameMap implicit_;
    // Loop variables of a procedure that are not declared: they hide built-ins of their names.
    LazyTable<std::unordered_set<std::string>> shadowed_;
    bool consts_hoisted_ = false;   // literal Consts are set at the start of the scope
    bool globals_declared_ = false; // the script-level Dims were declared by hoist()
    NameMap string_consts_;         // text -> index in f_.consts (see konst)
    std::vector<Expr*> spine_;      // binary_chain's operators still to emit, innermost last
    std::vector<Loop> loops_;
    std::vector<int> with_slots_;
    std::vector<int> keepers_;
    struct keeper_block {
        int first;
        int count;
        size_t at; // where its keepers start in keepers_
    };
    std::vector<keeper_block> keeper_blocks_;
    std::map<int, std::vector<int>> free_keeper_blocks_; // by size: the first local of each
    int depth_ = 0;
};

} // namespace

} // namespace vbs

namespace vbs {

namespace {

std::vector<int32_t> fixed_bounds(const DimItem& it) {
    std::vector<int32_t> counts;
    for (Expr* b : it.bounds) {
        const Expr* e = b;
        bool neg = false;
        if (e->kind == ExprKind::Unary && !e->is_not && e->op != BinOp::Concat) {
            neg = true;
            e = e->object;
        }
        if (e->kind != ExprKind::Literal || !e->value->is_numeric_tag())
            fail(1026, it.line, it.col);
        double d = e->value->tag() == Tag::Double ? e->value->double_val() : e->value->int_val();
        if (neg) d = -d;
        if (d < -1 || d > 1e7) fail(1026, it.line, it.col);
        counts.push_back(int32_t(d) + 1);
    }
    // Every instance makes the array: one too large for the engine is refused here, once.
    size_t total = 1;
    for (int32_t c : counts)
        if ((total *= size_t(c)) > kMaxArrayLength) fail(7, it.line, it.col);
    return counts;
}

std::shared_ptr<ClassDef> build_class(UnitContext& u, ClassDecl& cd) {
    auto def = std::make_shared<ClassDef>();
    def->name = cd.name;
    auto add_member = [&](std::string_view name, MemberKind kind, bool is_public, int line,
                          int col) -> ClassMember& {
        std::string low = to_lower_ascii(name);
        auto it = def->index.find(low);
        if (it != def->index.end()) {
            ClassMember& m = def->members[size_t(it->second)];
            if (m.kind != MemberKind::Property || kind != MemberKind::Property)
                fail(1041, line, col);
            return m;
        }
        def->index[low] = int(def->members.size());
        ClassMember m;
        m.name = std::string(name);
        m.kind = kind;
        m.is_public = is_public;
        def->members.push_back(std::move(m));
        return def->members.back();
    };
    for (FieldDecl& f : cd.fields) {
        ClassMember& m =
            add_member(f.item.name, MemberKind::Field, f.is_public, f.item.line, f.item.col);
        m.field = int(def->fields.size());
        FieldInfo info;
        info.name = std::string(f.item.name);
        if (f.item.is_array) {
            if (f.item.bounds.empty())
                info.dynamic_array = true;
            else
                info.fixed_counts = fixed_bounds(f.item);
        }
        def->fields.push_back(std::move(info));
    }
    // Members first, so that method bodies can resolve every name of the class.
    std::vector<std::pair<ProcDecl*, Function*>> todo;
    for (auto& pd : cd.procs) {
        auto fn = std::make_unique<Function>();
        Function* f = fn.get();
        def->functions.push_back(std::move(fn));
        bool prop = pd->kind == ProcKind::PropertyGet || pd->kind == ProcKind::PropertyLet ||
                    pd->kind == ProcKind::PropertySet;
        ClassMember& m = add_member(pd->name, prop ? MemberKind::Property : MemberKind::Method,
                                    pd->is_public, pd->line, pd->col);
        Function** place = pd->kind == ProcKind::PropertyGet   ? &m.get
                           : pd->kind == ProcKind::PropertyLet ? &m.let
                           : pd->kind == ProcKind::PropertySet ? &m.set
                                                               : &m.method;
        if (*place) fail(1041, pd->line, pd->col);
        *place = f;
        if (pd->is_public == false && pd->is_default) fail(1057, pd->line, pd->col);
        if (pd->is_default &&
            (pd->kind == ProcKind::PropertyLet || pd->kind == ProcKind::PropertySet))
            fail(1058, pd->line, pd->col);
        if (pd->is_default) {
            int idx = def->index[to_lower_ascii(pd->name)];
            if (def->default_member >= 0 && def->default_member != idx)
                fail(1052, pd->line, pd->col);
            def->default_member = idx;
        }
        if (iequals(pd->name, "class_initialize") || iequals(pd->name, "class_terminate")) {
            if (!pd->params.empty()) fail(1053, pd->line, pd->col);
            (iequals(pd->name, "class_initialize") ? def->initialize : def->terminate) = f;
        }
        todo.emplace_back(pd.get(), f);
    }
    for (auto& [pd, f] : todo) {
        FnCompiler fc(u, *f, def.get(), &cd, false);
        fc.compile_proc(*pd);
    }
    return def;
}

// A Sub or Function defined twice in one text: the later definition wins, as in VBScript.
void drop_redefined_procs(Program& prog) {
    if (prog.procs.size() < 2) return;
    std::unordered_map<std::string, size_t> last;
    for (size_t i = 0; i < prog.procs.size(); ++i)
        last[to_lower_ascii(prog.procs[i]->name)] = i;
    if (last.size() == prog.procs.size()) return;
    std::vector<std::unique_ptr<ProcDecl>> kept;
    for (size_t i = 0; i < prog.procs.size(); ++i)
        if (last[to_lower_ascii(prog.procs[i]->name)] == i)
            kept.push_back(std::move(prog.procs[i]));
    prog.procs = std::move(kept);
}

} // namespace

std::unique_ptr<Unit> compile_program(Program& prog, GlobalTable& globals, CompileTarget target,
                                      SyntaxError& err) {
    auto unit = std::make_unique<Unit>();
    UnitContext u{globals, target, *unit, {}, prog.option_explicit, {}, {}};
    if (target.scope && target.scope->option_explicit) u.option_explicit = true;
    try {
        bool redefined = false;
        for (auto& pd : prog.procs)
            if (!u.defined.get().insert(to_lower_ascii(pd->name)).second) redefined = true;
        if (redefined) drop_redefined_procs(prog);
        hoist_script_names(prog.body, u);
        for (auto& cd : prog.classes)
            if (!u.defined.get().insert(to_lower_ascii(cd->name)).second)
                fail(1041, cd->line, cd->col);
        for (auto& cd : prog.classes) {
            auto def = build_class(u, *cd);
            unit->class_slots.emplace_back(globals.slot(cd->name), def.get());
            unit->classes.push_back(std::move(def));
        }
        for (auto& pd : prog.procs) {
            if (pd->kind != ProcKind::Sub && pd->kind != ProcKind::Function)
                fail(1048, pd->line, pd->col);
            auto fn = std::make_unique<Function>();
            FnCompiler fc(u, *fn, nullptr, nullptr, false);
            fc.compile_proc(*pd);
            unit->proc_slots.emplace_back(globals.slot(pd->name), fn.get());
            unit->procs.push_back(std::move(fn));
        }
        FnCompiler fc(u, *unit->main, nullptr, nullptr, true);
        fc.compile_main(prog.body);
    } catch (const CompileFailure& f) {
        err = f.err;
        return nullptr;
    }
    return unit;
}

std::unique_ptr<Unit> compile_parts(Program& prog, GlobalTable& globals,
                                    const std::vector<int>& part_lines,
                                    const std::vector<PartSkip>& skips, SyntaxError& err) {
    auto unit = std::make_unique<Unit>();
    UnitContext u{globals, CompileTarget{}, *unit, {}, false, {}, {}};
    try {
        if (prog.option_explicit || !prog.procs.empty() || !prog.classes.empty()) fail(1002, 0, 0);
        FnCompiler fc(u, *unit->main, nullptr, nullptr, true);
        fc.compile_parts(prog.body, part_lines, skips);
    } catch (const CompileFailure& f) {
        err = f.err;
        return nullptr;
    }
    return unit;
}

std::unique_ptr<Unit> compile_expression(Expr& expr, GlobalTable& globals, CompileTarget target,
                                         SyntaxError& err) {
    auto unit = std::make_unique<Unit>();
    UnitContext u{globals, target, *unit, {}, false, {}, {}};
    if (target.scope && target.scope->option_explicit) u.option_explicit = true;
    try {
        FnCompiler fc(u, *unit->main, nullptr, nullptr, true);
        fc.compile_expr_main(expr);
    } catch (const CompileFailure& f) {
        err = f.err;
        return nullptr;
    }
    return unit;
}

Function::Function() {
    static std::atomic<uint64_t> next{1};
    serial = next.fetch_add(1, std::memory_order_relaxed);
}

} // namespace vbs
