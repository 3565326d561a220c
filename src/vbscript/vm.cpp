// The virtual machine: the dispatch loop and the instructions' slow paths.
//
// Frame layout on the value stack: locals[0..nlocals) (parameters first), then the operand
// stack. Every slot above the operand stack top is Empty. A call's arguments are pushed by the
// caller and become the callee's first locals in place; the result replaces the first of them.
#include "vbscript/convert.h"
#include "vbscript/engine_impl.h"
#include "vbscript/ops.h"
#include "vbscript/registry.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

namespace vbs {

namespace {

inline bool cond_true(const Value& v) {
    if (v.tag() == Tag::Boolean) return v.bool_val();
    if (v.is_null()) return false;
    return to_bool(v);
}

inline bool is_int_tag(Tag t) {
    return t == Tag::Integer || t == Tag::Long;
}

// Holds a For Each enumerator in a hidden local.
class EnumHolder : public Object {
public:
    explicit EnumHolder(std::unique_ptr<Enumerator> e) : e(std::move(e)) {}
    std::string type_name() const override { return "Enumerator"; }
    int find_member(std::string_view) override { return kNoMember; }
    void invoke(int, CallKind, CallArgs&, Value&, Context&) override { raise_error(kErrNoMember); }
    std::unique_ptr<Enumerator> e;
};

} // namespace

ArrayRep& unshare_array(Value& v) {
    ArrayRep* a = v.arr();
    if (a->refs > 1) {
        ArrayRep* copy = a->clone();
        copy->fixed = a->fixed;
        v = Value::array(copy);
        return *copy;
    }
    return *a;
}

Value& array_element(ArrayRep& arr, const Value* const* subs, uint32_t n) {
    if (n != uint32_t(arr.dims()) || n == 0) raise_error(kErrSubscript);
    size_t index = 0, scale = 1;
    for (uint32_t d = 0; d < n; ++d) {
        const Value& s = subs[d]->deref();
        int32_t i = is_int_tag(s.tag()) ? s.int_val() : to_long(s);
        if (i < 0 || i >= arr.counts[d]) raise_error(kErrSubscript);
        index += size_t(i) * scale;
        scale *= size_t(arr.counts[d]);
    }
    return arr.data[index];
}

void settle_subscript(Value& sub) {
    sub = Value::long_(to_long(sub.deref()));
}

// --- variables by kind ----------------------------------------------------------------------

static Value* global_for_read(Engine::Impl& im, Frame& fr, int c) {
    Global& g = im.globals_[size_t(c)];
    if (g.kind == GKind::Undeclared && fr.fn->option_explicit) raise_error(kErrUndefined);
    return &g.value;
}

static Value* global_for_write(Engine::Impl& im, Frame& fr, int c) {
    Global& g = im.globals_[size_t(c)];
    switch (g.kind) {
    case GKind::Variable:
        return &g.value;
    case GKind::Undeclared:
        if (fr.fn->option_explicit) raise_error(kErrUndefined);
        g.kind = GKind::Variable;
        return &g.value;
    default:
        raise_error(kErrIllegalAssign, "Illegal assignment: '" + im.globals_.name(size_t(c)) + "'");
    }
}

static Value* var_slot(Engine::Impl& im, Frame& fr, VarKind k, int b, int c, bool write) {
    switch (k) {
    case VarKind::Local:
        return &fr.locals[b].deref();
    case VarKind::Global:
        return write ? global_for_write(im, fr, c) : global_for_read(im, fr, c);
    case VarKind::Dyn: {
        Global& g = im.globals_[size_t(c)];
        if (g.kind == GKind::Variable) return &g.value;
        if (g.kind != GKind::Undeclared) {
            if (write)
                raise_error(kErrIllegalAssign,
                            "Illegal assignment: '" + im.globals_.name(size_t(c)) + "'");
            return &g.value;
        }
        // Under Option Explicit a name that is neither local nor global is undeclared.
        if (fr.fn->option_explicit) raise_error(kErrUndefined);
        return &fr.locals[b].deref();
    }
    case VarKind::Field:
        return &static_cast<ClassInstance*>(fr.me)->fields[size_t(b)];
    case VarKind::Up:
        return &fr.up->locals[b].deref();
    }
    return nullptr;
}

Value Engine::Impl::let_value(Value v) {
    if (v.tag() == Tag::Array) {
        // Assigning a fixed-size array gives the target a resizable copy of it.
        if (!v.arr()->fixed) return v;
        return Value::array(v.arr()->clone());
    }
    if (v.tag() != Tag::Object) return v;
    if (!v.obj()) raise_error(kErrObjectNotSet);
    return to_primitive(v);
}

static void set_value(Value& dst, Value&& v, bool raw) {
    if (!raw && v.tag() != Tag::Object) raise_error(kErrObjectRequired);
    dst = std::move(v);
}

// --- calls ----------------------------------------------------------------------------------

// Index or default-call `callee` with args[0..argc); the result goes to `out`.
static void index_or_call(Engine::Impl& im, const Value& callee0, Value* args, int argc,
                          CallKind kind, Value& out) {
    const Value& callee = callee0.deref();
    if (callee.tag() == Tag::Array) {
        settle_subscripts(args, uint32_t(argc));
        if (callee.tag() != Tag::Array) raise_error(kErrTypeMismatch);
        const Value* subs[256];
        for (int i = 0; i < argc; ++i)
            subs[i] = &args[i];
        out = array_element(*callee.arr(), subs, uint32_t(argc));
        return;
    }
    if (callee.tag() == Tag::Object) {
        Object* o = callee.obj();
        if (!o) raise_error(kErrObjectNotSet);
        if (argc == 0 && kind == CallKind::Get) {
            out = callee;
            return;
        }
        Ptr<Object> keep(o);
        int id = o->find_member("");
        if (id == kNoMember) raise_error(kErrNoMember);
        Value* slots[256];
        for (int i = 0; i < argc; ++i)
            slots[i] = args[i].tag() == Tag::Ref ? args[i].ref_target() : &args[i];
        CallArgs ca(slots, uint32_t(argc));
        Value result;
        o->invoke(id, kind, ca, result, im);
        out = std::move(result);
        return;
    }
    if (argc == 0) {
        out = callee;
        return;
    }
    raise_error(kErrTypeMismatch);
}

// The object in `objslot` and the id of its member K[c], for a call or an assignment; the
// object is kept alive in `keep` while the member runs.
static int member_target(Frame& fr, const Value* objslot, const Instr& in, Ptr<Object>& keep) {
    const Value& ov = objslot->deref();
    if (ov.tag() != Tag::Object) raise_error(kErrObjectRequired);
    Object* o = ov.obj();
    if (!o) raise_error(kErrObjectRequired); // a member of Nothing
    keep = Ptr<Object>(o);
    int id = o->find_member(fr.fn->consts[size_t(in.c)].str());
    if (id == kNoMember) raise_error(kErrNoMember);
    return id;
}

// Calls member K[c] of the object under the arguments.
[[gnu::noinline]] static Value* member_call(Engine::Impl& im, Frame& fr, Value* sp,
                                            const Instr& in) {
    int argc = in.a;
    Value* objslot = sp - argc - 1;
    Ptr<Object> keep;
    const int id = member_target(fr, objslot, in, keep);
    Object* o = keep.get();
    Value* slots[256];
    for (int i = 0; i < argc; ++i) {
        Value& a = objslot[1 + i];
        slots[i] = a.tag() == Tag::Ref ? a.ref_target() : &a;
    }
    CallArgs ca(slots, uint32_t(argc));
    Value result;
    try {
        o->invoke(id, CallKind(in.b), ca, result, im);
    } catch (const ScriptException& e) {
        // obj.Prop(i) where Prop takes no arguments: index (or default-call) its value.
        if (e.number != kErrWrongArgs || argc == 0) throw;
        CallArgs none(nullptr, 0);
        Value whole;
        o->invoke(id, CallKind::Get, none, whole, im);
        result.clear();
        index_or_call(im, whole, objslot + 1, argc, CallKind::Get, result);
    }
    for (int i = 0; i <= argc; ++i)
        objslot[i].clear();
    objslot[0] = std::move(result);
    return objslot + 1;
}

// Assigns member K[c]: stack obj, a args, value.
[[gnu::noinline]] static Value* member_let(Engine::Impl& im, Frame& fr, Value* sp,
                                           const Instr& in) {
    int argc = in.a;
    Value* objslot = sp - argc - 2;
    Ptr<Object> keep;
    const int id = member_target(fr, objslot, in, keep);
    Object* o = keep.get();
    Value& val = sp[-1];
    if (in.b && val.deref().tag() != Tag::Object) raise_error(kErrObjectRequired);
    // A script class takes the object itself: its Property Let receives it, and its fields
    // take the default value themselves. Other objects receive the default value.
    if (!in.b && val.tag() == Tag::Object && !dynamic_cast<ClassInstance*>(o))
        val = im.let_value(val);
    Value* slots[257];
    for (int i = 0; i <= argc; ++i) {
        Value& a = objslot[1 + i];
        slots[i] = a.tag() == Tag::Ref ? a.ref_target() : &a;
    }
    CallArgs ca(slots, uint32_t(argc + 1));
    Value result;
    o->invoke(id, in.b ? CallKind::Set : CallKind::Let, ca, result, im);
    for (int i = 0; i <= argc + 1; ++i)
        objslot[i].clear();
    return objslot;
}

// Assigns an element: stack ref, a indexes, value.
[[gnu::noinline]] static Value* index_let(Engine::Impl& im, Value* sp, const Instr& in) {
    int argc = in.a;
    Value* refslot = sp - argc - 2;
    Value& var = refslot->tag() == Tag::Ref ? *refslot->ref_target() : *refslot;
    Value& val = sp[-1];
    if (var.tag() == Tag::Array) {
        if (in.b) {
            if (val.tag() != Tag::Object) raise_error(kErrObjectRequired);
        } else if (val.tag() == Tag::Object) {
            val = im.let_value(val);
        }
        settle_subscripts(refslot + 1, uint32_t(argc));
        // The default members run above may have assigned the variable.
        if (var.tag() != Tag::Array) raise_error(kErrTypeMismatch);
        ArrayRep& arr = unshare_array(var);
        const Value* subs[256];
        for (int i = 0; i < argc; ++i)
            subs[i] = &refslot[1 + i];
        array_element(arr, subs, uint32_t(argc)) = std::move(val);
    } else if (var.tag() == Tag::Object) {
        Object* o = var.obj();
        if (!o) raise_error(kErrObjectNotSet);
        Ptr<Object> keep(o);
        int id = o->find_member("");
        if (id == kNoMember) raise_error(kErrNoMember);
        Value* slots[257];
        for (int i = 0; i <= argc; ++i)
            slots[i] = &refslot[1 + i];
        CallArgs ca(slots, uint32_t(argc + 1));
        Value result;
        o->invoke(id, in.b ? CallKind::Set : CallKind::Let, ca, result, im);
    } else {
        raise_error(kErrTypeMismatch);
    }
    for (int i = 0; i < argc + 2; ++i)
        refslot[i].clear();
    return refslot;
}

// Replaces `ref, indexes` by a reference to the element for a ByRef argument. The array is made
// unshared first and kept in local b (cleared after the call), so the reference stays valid
// for the call; a variable
// that holds no array gives the value of `var(indexes)` instead.
[[gnu::noinline]] static Value* ref_element(Engine::Impl& im, Value* L, Value* sp,
                                            const Instr& in) {
    int argc = in.a;
    Value* refslot = sp - argc - 1;
    Value& var = refslot->tag() == Tag::Ref ? *refslot->ref_target() : *refslot;
    Value out;
    if (var.tag() == Tag::Array) settle_subscripts(refslot + 1, uint32_t(argc));
    if (var.tag() == Tag::Array) {
        // The keepers of this call's earlier element arguments (locals c to b) may hold this
        // very array: those shares do not make it a copy, or the references would point into
        // different arrays.
        ArrayRep* rep = var.arr();
        uint32_t held = 0;
        for (int32_t k = in.c; k < int32_t(in.b); ++k)
            if (L[k].tag() == Tag::Array && L[k].arr() == rep) ++held;
        ArrayRep& arr = rep->refs == 1 + held ? *rep : unshare_array(var);
        const Value* subs[256]; // in.a is at most 255
        for (int i = 0; i < argc; ++i)
            subs[i] = &refslot[1 + i];
        Value& elem = array_element(arr, subs, uint32_t(argc));
        L[in.b] = var;
        out = Value::ref(&elem);
    } else {
        index_or_call(im, var, refslot + 1, argc, CallKind::Get, out);
    }
    for (int i = 0; i <= argc; ++i)
        refslot[i].clear();
    refslot[0] = std::move(out);
    return refslot + 1;
}

static std::vector<int32_t> bounds_from(Value* first, int n) {
    std::vector<int32_t> counts;
    size_t total = 1;
    for (int i = 0; i < n; ++i) {
        int32_t ub = to_long(first[i]);
        if (ub < -1) raise_error(kErrSubscript);
        counts.push_back(ub + 1);
        total *= size_t(ub + 1);
        if (total > kMaxArrayLength) raise_error(kErrOutOfMemory);
    }
    return counts;
}

[[gnu::noinline]] static Value* dim_array(Value* sp, const Instr& in) {
    int n = in.a;
    Value* refslot = sp - n - 1;
    Value& var = refslot->tag() == Tag::Ref ? *refslot->ref_target() : *refslot;
    ArrayRep* a = ArrayRep::make(bounds_from(refslot + 1, n));
    a->fixed = n > 0;
    if (n == 0) a->counts.clear(), a->data.clear();
    var = Value::array(a);
    for (int i = 0; i <= n; ++i)
        refslot[i].clear();
    return refslot;
}

// ReDim Preserve of an array no other value shares changes it in place: only the last
// dimension may change, and it is the slowest varying, so the elements kept stay where they
// are and doubling the capacity makes a loop that grows the array one element at a time cost
// linear time. The vector's size stays the element count; only its capacity runs ahead.
static void redim_preserve_in_place(ArrayRep& a, std::vector<int32_t>&& counts, size_t total) {
    if (total < a.data.size()) {
        // The cut elements go once the array is whole again: letting them go can run a
        // Class_Terminate that uses this very array.
        std::vector<Value> cut(std::make_move_iterator(a.data.begin() + ptrdiff_t(total)),
                               std::make_move_iterator(a.data.end()));
        a.data.resize(total);
        a.counts = std::move(counts);
        return;
    }
    // Capacity doubles, but never past the largest array the engine makes.
    if (total > a.data.capacity())
        a.data.reserve(std::min(std::max(total, a.data.capacity() * 2), kMaxArrayLength));
    a.data.resize(total);
    a.counts = std::move(counts);
}

[[gnu::noinline]] static Value* redim(Value* sp, const Instr& in) {
    int n = in.a;
    Value* refslot = sp - n - 1;
    Value& var = refslot->tag() == Tag::Ref ? *refslot->ref_target() : *refslot;
    if (var.tag() == Tag::Array && (var.arr()->fixed || var.arr()->locks))
        raise_error(kErrArrayLocked);
    std::vector<int32_t> counts = bounds_from(refslot + 1, n);
    const bool preserve = in.b && var.tag() == Tag::Array && var.arr()->dims() > 0;
    if (preserve) {
        ArrayRep& old = *var.arr();
        if (old.dims() != n) raise_error(kErrSubscript);
        for (int d = 0; d + 1 < n; ++d)
            if (old.counts[size_t(d)] != counts[size_t(d)]) raise_error(kErrSubscript);
        size_t total = 1;
        for (int32_t c : counts)
            total *= size_t(c);
        if (old.refs == 1) {
            redim_preserve_in_place(old, std::move(counts), total);
        } else {
            // Shared with another value: this variable gets a copy of its own.
            ArrayRep* fresh = ArrayRep::make(counts);
            size_t keep = std::min(old.data.size(), fresh->data.size());
            for (size_t i = 0; i < keep; ++i)
                fresh->data[i] = old.data[i];
            var = Value::array(fresh);
        }
    } else {
        var = Value::array(ArrayRep::make(counts));
    }
    for (int i = 0; i <= n; ++i)
        refslot[i].clear();
    return refslot;
}

static void erase(Value& var) {
    if (var.tag() != Tag::Array) raise_error(kErrTypeMismatch);
    if (var.arr()->locks) raise_error(kErrArrayLocked);
    if (var.arr()->fixed) {
        ArrayRep& a = unshare_array(var);
        a.fixed = true;
        // The elements go after the array holds its fresh Empty ones: letting them go can run
        // Class_Terminate handlers that use this array.
        std::vector<Value> gone(a.data.size());
        gone.swap(a.data);
        gone.clear();
    } else {
        ArrayRep* e = ArrayRep::make({});
        e->counts.clear();
        e->data.clear();
        var = Value::array(e);
    }
}

// For loop test: is the counter still within the limit for the step's direction?
static bool for_in_range(const Value& var, const Value& limit, const Value& step) {
    if (is_int_tag(var.tag()) && is_int_tag(limit.tag()) && is_int_tag(step.tag()))
        return step.int_val() >= 0 ? var.int_val() <= limit.int_val()
                                   : var.int_val() >= limit.int_val();
    // A Null limit is the mark of a For header that failed under On Error Resume Next (a
    // Null written by the script is refused when the loop starts): the body has run once.
    if (limit.is_null()) return false;
    double v = to_double(var), l = to_double(limit), s = to_double(step);
    return s >= 0 ? v <= l : v >= l;
}

// A failed allocation is run-time error 7, which On Error Resume Next traps like any other:
// throws it, or returns where the code goes on. (Out of line, so that the dispatch loop's
// state stays in registers.)
[[gnu::noinline]] static const Instr* after_out_of_memory(Engine::Impl& im, Frame& fr,
                                                          const Instr* ip) {
    if (!fr.resume_next)
        throw ScriptException(kErrOutOfMemory, std::string(error_text(kErrOutOfMemory)));
    im.set_err(kErrOutOfMemory, std::string(error_text(kErrOutOfMemory)), "");
    const Function& fn = *fr.fn;
    size_t pc = size_t(ip - fn.code.data()) - 1;
    const StmtRange* best = nullptr;
    for (const StmtRange& r : fn.ranges)
        if (r.start <= pc && pc < r.end && (!best || r.start >= best->start)) best = &r;
    return fn.code.data() + (best ? best->resume : fn.code.size() - 1);
}

// --- the dispatch loop ----------------------------------------------------------------------

#define BINARY(fast, slow)                                                                         \
    {                                                                                              \
        Value& x = sp[-2];                                                                         \
        Value& y = sp[-1];                                                                         \
        fast;                                                                                      \
        x = slow;                                                                                  \
        y.clear();                                                                                 \
        --sp;                                                                                      \
        break;                                                                                     \
    }

void Engine::Impl::execute(Frame& fr) {
    Function* fn = fr.fn;
    Value* L = fr.locals;
    Value* const stack_base = L + fn->nlocals;
    Value* sp = stack_base;
    const Instr* const code = fn->code.data();
    const Instr* ip = code + fr.start;
    for (;;) {
        try {
            for (;;) {
                const Instr in = *ip++;
                switch (in.op) {
                case Op::PUSHK:
                    *sp++ = fn->consts[size_t(in.c)];
                    break;
                case Op::PUSHI:
                    if (in.c >= -32768 && in.c <= 32767)
                        *sp++ = Value::integer(int16_t(in.c));
                    else
                        *sp++ = Value::long_(in.c);
                    break;
                case Op::PUSHEMPTY:
                    ++sp;
                    break;
                case Op::PUSHMISS:
                    *sp++ = Value::missing();
                    break;
                case Op::POP:
                    (--sp)->clear();
                    break;
                case Op::LOADL:
                    *sp++ = L[in.b].deref();
                    break;
                case Op::STOREL: {
                    Value& dst = L[in.b].deref();
                    --sp;
                    if (sp->tag() == Tag::Object || sp->tag() == Tag::Array)
                        *sp = let_value(std::move(*sp));
                    dst = std::move(*sp);
                    break;
                }
                case Op::SETL:
                    --sp;
                    set_value(L[in.b].deref(), std::move(*sp), in.a);
                    break;
                case Op::REFL:
                    *sp++ = Value::ref(&L[in.b].deref());
                    break;
                case Op::LOADG: {
                    Global& g = globals_[size_t(in.c)];
                    if (g.kind == GKind::Variable) {
                        *sp++ = g.value;
                        break;
                    }
                    if (g.kind == GKind::Proc) {
                        call_function(g.proc, sp, 0, nullptr, nullptr);
                        ++sp;
                        break;
                    }
                    if (g.kind == GKind::Class) raise_error(kErrTypeMismatch);
                    *sp++ = *global_for_read(*this, fr, in.c);
                    break;
                }
                case Op::STOREG: {
                    Global& g = globals_[size_t(in.c)];
                    Value* dst =
                        g.kind == GKind::Variable ? &g.value : global_for_write(*this, fr, in.c);
                    --sp;
                    if (sp->tag() == Tag::Object || sp->tag() == Tag::Array)
                        *sp = let_value(std::move(*sp));
                    *dst = std::move(*sp);
                    break;
                }
                case Op::SETG:
                    --sp;
                    set_value(*global_for_write(*this, fr, in.c), std::move(*sp), in.a);
                    break;
                case Op::REFG: {
                    Global& g = globals_[size_t(in.c)];
                    if (g.kind == GKind::Const || g.kind == GKind::Host || g.kind == GKind::Proc)
                        *sp++ = g.value;
                    else
                        *sp++ = Value::ref(global_for_write(*this, fr, in.c));
                    break;
                }
                case Op::LOADN: {
                    Global& g = globals_[size_t(in.c)];
                    if (g.kind == GKind::Proc) {
                        call_function(g.proc, sp, 0, nullptr, nullptr);
                        ++sp;
                        break;
                    }
                    *sp++ = *var_slot(*this, fr, VarKind::Dyn, in.b, in.c, false);
                    break;
                }
                case Op::STOREN: {
                    Value* dst = var_slot(*this, fr, VarKind::Dyn, in.b, in.c, true);
                    --sp;
                    if (sp->tag() == Tag::Object || sp->tag() == Tag::Array)
                        *sp = let_value(std::move(*sp));
                    *dst = std::move(*sp);
                    break;
                }
                case Op::SETN:
                    --sp;
                    set_value(*var_slot(*this, fr, VarKind::Dyn, in.b, in.c, true), std::move(*sp),
                              in.a);
                    break;
                case Op::REFN: {
                    Global& g = globals_[size_t(in.c)];
                    if (g.kind == GKind::Const || g.kind == GKind::Host || g.kind == GKind::Proc)
                        *sp++ = g.value;
                    else
                        *sp++ = Value::ref(var_slot(*this, fr, VarKind::Dyn, in.b, in.c, true));
                    break;
                }
                case Op::LOADF:
                    *sp++ = static_cast<ClassInstance*>(fr.me)->fields[in.b];
                    break;
                case Op::STOREF: {
                    --sp;
                    if (sp->tag() == Tag::Object || sp->tag() == Tag::Array)
                        *sp = let_value(std::move(*sp));
                    static_cast<ClassInstance*>(fr.me)->fields[in.b] = std::move(*sp);
                    break;
                }
                case Op::SETF:
                    --sp;
                    set_value(static_cast<ClassInstance*>(fr.me)->fields[in.b], std::move(*sp),
                              in.a);
                    break;
                case Op::REFF:
                    *sp++ = Value::ref(&static_cast<ClassInstance*>(fr.me)->fields[in.b]);
                    break;
                case Op::LOADU:
                    *sp++ = fr.up->locals[in.b].deref();
                    break;
                case Op::STOREU: {
                    --sp;
                    if (sp->tag() == Tag::Object || sp->tag() == Tag::Array)
                        *sp = let_value(std::move(*sp));
                    fr.up->locals[in.b].deref() = std::move(*sp);
                    break;
                }
                case Op::SETU:
                    --sp;
                    set_value(fr.up->locals[in.b].deref(), std::move(*sp), in.a);
                    break;
                case Op::REFU:
                    *sp++ = Value::ref(&fr.up->locals[in.b].deref());
                    break;
                case Op::REFIDX:
                    sp = ref_element(*this, L, sp, in);
                    break;
                case Op::LOADME:
                    if (!fr.me) raise_error(kErrObjectRequired);
                    *sp++ = Value::object(fr.me);
                    break;
                case Op::DECLG: {
                    Global& g = globals_[size_t(in.c)];
                    if (g.kind == GKind::Undeclared) g.kind = GKind::Variable;
                    break;
                }
                case Op::CONSTG: {
                    Global& g = globals_[size_t(in.c)];
                    --sp;
                    g.value = std::move(*sp);
                    g.kind = GKind::Const;
                    break;
                }
                case Op::CALLG: {
                    Global& g = globals_[size_t(in.c)];
                    Value* base = sp - in.a;
                    if (g.kind == GKind::Proc) {
                        call_function(g.proc, base, in.a, nullptr, nullptr);
                    } else if (g.kind == GKind::Undeclared) {
                        if (fr.fn->option_explicit) raise_error(kErrUndefined);
                        raise_error(kErrTypeMismatch,
                                    "Type mismatch: '" + globals_.name(size_t(in.c)) + "'");
                    } else {
                        Value r;
                        index_or_call(*this, g.value, base, in.a, CallKind::Get, r);
                        for (int i = 0; i < in.a; ++i)
                            base[i].clear();
                        base[0] = std::move(r);
                    }
                    sp = base + 1;
                    break;
                }
                case Op::CALLL:
                case Op::CALLN:
                case Op::CALLF:
                case Op::CALLU: {
                    VarKind k = in.op == Op::CALLL   ? VarKind::Local
                                : in.op == Op::CALLN ? VarKind::Dyn
                                : in.op == Op::CALLF ? VarKind::Field
                                                     : VarKind::Up;
                    Value* base = sp - in.a;
                    if (k == VarKind::Dyn && globals_[size_t(in.c)].kind == GKind::Proc) {
                        call_function(globals_[size_t(in.c)].proc, base, in.a, nullptr, nullptr);
                        sp = base + 1;
                        break;
                    }
                    Value* callee = var_slot(*this, fr, k, in.b, in.c, false);
                    if (in.a == 1 && callee->tag() == Tag::Array && callee->arr()->dims() == 1 &&
                        base[0].deref().tag() != Tag::Object) {
                        // Fast path: a(i) on a one-dimensional array. (An object subscript runs
                        // its default member, which may change the array: the slow path.)
                        ArrayRep& arr = *callee->arr();
                        const Value& s = base[0].deref();
                        int32_t i = is_int_tag(s.tag()) ? s.int_val() : to_long(s);
                        if (i < 0 || i >= arr.counts[0]) raise_error(kErrSubscript);
                        base[0] = arr.data[size_t(i)];
                        break;
                    }
                    Value r;
                    index_or_call(*this, *callee, base, in.a, CallKind::Get, r);
                    for (int i = 0; i < in.a; ++i)
                        base[i].clear();
                    base[0] = std::move(r);
                    sp = base + 1;
                    break;
                }
                case Op::CALLB: {
                    const BuiltinFunction& bf = builtin_at(in.c);
                    if (in.a < bf.min_args || in.a > bf.max_args) raise_error(kErrWrongArgs);
                    Value* base = sp - in.a;
                    Value r = bf.fn(*this, ArgList(base, size_t(in.a)));
                    for (int i = 0; i < in.a; ++i)
                        base[i].clear();
                    base[0] = std::move(r);
                    sp = base + 1;
                    break;
                }
                case Op::CALLM:
                    sp = member_call(*this, fr, sp, in);
                    break;
                case Op::CALLV: {
                    Value* base = sp - in.a - 1;
                    Value r;
                    index_or_call(*this, base[0], base + 1, in.a,
                                  in.b ? CallKind::Call : CallKind::Get, r);
                    for (int i = 0; i <= in.a; ++i)
                        base[i].clear();
                    base[0] = std::move(r);
                    sp = base + 1;
                    break;
                }
                case Op::LETM:
                    sp = member_let(*this, fr, sp, in);
                    break;
                case Op::LETIDX: {
                    // Fast path: a(i) = number on a one-dimensional array not shared.
                    if (in.a == 1 && !in.b) {
                        Value& r = sp[-3];
                        Value& var = r.tag() == Tag::Ref ? *r.ref_target() : r;
                        const Value& s = sp[-2];
                        if (var.tag() == Tag::Array && var.arr()->refs == 1 &&
                            var.arr()->dims() == 1 && is_int_tag(s.tag()) &&
                            sp[-1].tag() != Tag::Object) {
                            ArrayRep& arr = *var.arr();
                            int32_t i = s.int_val();
                            if (i < 0 || i >= arr.counts[0]) raise_error(kErrSubscript);
                            arr.data[size_t(i)] = std::move(sp[-1]);
                            sp[-2].clear();
                            sp[-3].clear();
                            sp -= 3;
                            break;
                        }
                    }
                    sp = index_let(*this, sp, in);
                    break;
                }
                case Op::NEW: {
                    std::string_view name = fn->consts[size_t(in.c)].str();
                    // A built-in class (RegExp) wins over a script class of the same name.
                    if (ObjectFactory f = find_builtin_class(name)) {
                        Ptr<Object> o = f(*this);
                        *sp++ = Value::object(o.get());
                        break;
                    }
                    auto it = global_index_.find(name);
                    if (it != global_index_.end() &&
                        globals_[size_t(it->second)].kind == GKind::Class) {
                        *sp++ = new_instance(globals_[size_t(it->second)].cls);
                        break;
                    }
                    raise_error(kErrNotAClass);
                }
                case Op::DIMARR:
                    sp = dim_array(sp, in);
                    break;
                case Op::REDIM:
                    sp = redim(sp, in);
                    break;
                case Op::ERASE: {
                    Value& r = sp[-1];
                    erase(r.tag() == Tag::Ref ? *r.ref_target() : r);
                    (--sp)->clear();
                    break;
                }
                case Op::ADD:
                    BINARY(
                        if (is_int_tag(x.tag()) && is_int_tag(y.tag())) {
                            int64_t r = int64_t(x.int_val()) + y.int_val();
                            if (x.tag() == Tag::Integer && y.tag() == Tag::Integer && r >= -32768 &&
                                r <= 32767)
                                x.set_integer(int16_t(r));
                            else if (r >= INT32_MIN && r <= INT32_MAX)
                                x.set_long(int32_t(r));
                            else
                                x.set_double(double(r));
                            --sp;
                            break;
                        } if (x.tag() == Tag::Double && y.tag() == Tag::Double) {
                            double r = x.double_val() + y.double_val();
                            if (std::isfinite(r)) {
                                x.set_double(r);
                                --sp;
                                break;
                            }
                        },
                        op_arith(BinOp::Add, x, y))
                case Op::SUB:
                    BINARY(
                        if (is_int_tag(x.tag()) && is_int_tag(y.tag())) {
                            int64_t r = int64_t(x.int_val()) - y.int_val();
                            if (x.tag() == Tag::Integer && y.tag() == Tag::Integer && r >= -32768 &&
                                r <= 32767)
                                x.set_integer(int16_t(r));
                            else if (r >= INT32_MIN && r <= INT32_MAX)
                                x.set_long(int32_t(r));
                            else
                                x.set_double(double(r));
                            --sp;
                            break;
                        } if (x.tag() == Tag::Double && y.tag() == Tag::Double) {
                            x.set_double(x.double_val() - y.double_val());
                            --sp;
                            break;
                        },
                        op_arith(BinOp::Sub, x, y))
                case Op::MUL:
                    BINARY(
                        if (x.tag() == Tag::Double && y.tag() == Tag::Double) {
                            double r = x.double_val() * y.double_val();
                            if (std::isfinite(r)) {
                                x.set_double(r);
                                --sp;
                                break;
                            }
                        } if (is_int_tag(x.tag()) && is_int_tag(y.tag())) {
                            int64_t r = int64_t(x.int_val()) * y.int_val();
                            if (x.tag() == Tag::Integer && y.tag() == Tag::Integer && r >= -32768 &&
                                r <= 32767)
                                x.set_integer(int16_t(r));
                            else if (r >= INT32_MIN && r <= INT32_MAX)
                                x.set_long(int32_t(r));
                            else
                                x.set_double(double(r));
                            --sp;
                            break;
                        },
                        op_arith(BinOp::Mul, x, y))
                case Op::DIV:
                    BINARY(, op_arith(BinOp::Div, x, y))
                case Op::IDIV:
                    BINARY(, op_arith(BinOp::IDiv, x, y))
                case Op::MOD:
                    BINARY(
                        if (is_int_tag(x.tag()) && is_int_tag(y.tag()) && y.int_val() != 0) {
                            int32_t r = int32_t(int64_t(x.int_val()) % y.int_val());
                            if (x.tag() == Tag::Integer && y.tag() == Tag::Integer)
                                x.set_integer(int16_t(r));
                            else
                                x.set_long(r);
                            --sp;
                            break;
                        },
                        op_arith(BinOp::Mod, x, y))
                case Op::POW:
                    BINARY(, op_arith(BinOp::Pow, x, y))
                case Op::CONCAT:
                    BINARY(, op_concat(x, y))
#define COMPARE(OPC, BOP, CMP)                                                                     \
    case Op::OPC:                                                                                  \
        BINARY(                                                                                    \
            if (is_int_tag(x.tag()) && is_int_tag(y.tag())) {                                      \
                x.set_bool(x.int_val() CMP y.int_val());                                           \
                --sp;                                                                              \
                break;                                                                             \
            } if (x.tag() == Tag::Double && y.tag() == Tag::Double) {                              \
                x.set_bool(x.double_val() CMP y.double_val());                                     \
                --sp;                                                                              \
                break;                                                                             \
            },                                                                                     \
            op_compare(BinOp::BOP, x, y))
                    COMPARE(EQ, Eq, ==)
                    COMPARE(NE, Ne, !=)
                    COMPARE(LT, Lt, <)
                    COMPARE(GT, Gt, >)
                    COMPARE(LE, Le, <=)
                    COMPARE(GE, Ge, >=)
#undef COMPARE
                case Op::IS:
                    BINARY(, Value::boolean(op_is(x, y)))
                case Op::AND:
                    BINARY(
                        if (x.tag() == Tag::Boolean && y.tag() == Tag::Boolean) {
                            x.set_bool(x.bool_val() && y.bool_val());
                            --sp;
                            break;
                        },
                        op_logic(BinOp::And, x, y))
                case Op::OR:
                    BINARY(
                        if (x.tag() == Tag::Boolean && y.tag() == Tag::Boolean) {
                            x.set_bool(x.bool_val() || y.bool_val());
                            --sp;
                            break;
                        },
                        op_logic(BinOp::Or, x, y))
                case Op::XOR:
                    BINARY(, op_logic(BinOp::Xor, x, y))
                case Op::EQV:
                    BINARY(, op_logic(BinOp::Eqv, x, y))
                case Op::IMP:
                    BINARY(, op_logic(BinOp::Imp, x, y))
                case Op::NEG:
                    sp[-1] = op_neg(sp[-1]);
                    break;
                case Op::NOT:
                    sp[-1] = op_not(sp[-1]);
                    break;
                case Op::DEREF:
                    if (sp[-1].tag() == Tag::Ref) sp[-1] = Value(*sp[-1].ref_target());
                    break;
                case Op::JMP:
                    if (in.c < ip - code) check_attention();
                    ip = code + in.c;
                    break;
                case Op::JMPF: {
                    --sp;
                    bool t = cond_true(*sp);
                    sp->clear();
                    if (!t) {
                        if (in.c < ip - code) check_attention();
                        ip = code + in.c;
                    }
                    break;
                }
                case Op::JMPT: {
                    --sp;
                    bool t = cond_true(*sp);
                    sp->clear();
                    if (t) {
                        if (in.c < ip - code) check_attention();
                        ip = code + in.c;
                    }
                    break;
                }
                case Op::CASEEQ: {
                    --sp;
                    Value r = op_compare(BinOp::Eq, L[in.b], *sp);
                    sp->clear();
                    if (r.tag() == Tag::Boolean && r.bool_val()) ip = code + in.c;
                    break;
                }
                case Op::FORPREP: {
                    const Instr data = *ip++;
                    --sp;
                    Value start = std::move(*sp);
                    Value& limit = L[in.b];
                    Value& step = L[in.b + 1];
                    limit = to_number(limit);
                    step = to_number(step);
                    if (limit.is_null() || step.is_null()) raise_error(kErrInvalidUseOfNull);
                    start = to_number(start);
                    Value* var = var_slot(*this, fr, VarKind(in.a), data.b, in.c, true);
                    *var = std::move(start);
                    if (!for_in_range(*var, limit, step)) ip = code + data.c;
                    break;
                }
                case Op::FORNEXT: {
                    const Instr data = *ip++;
                    Value* var = in.a == uint8_t(VarKind::Local)
                                     ? &L[data.b].deref()
                                     : var_slot(*this, fr, VarKind(in.a), data.b, in.c, true);
                    const Value& limit = L[in.b];
                    const Value& step = L[in.b + 1];
                    if (var->tag() == Tag::Integer || var->tag() == Tag::Long) {
                        if (is_int_tag(step.tag())) {
                            int64_t r = int64_t(var->int_val()) + step.int_val();
                            if (var->tag() == Tag::Integer && step.tag() == Tag::Integer &&
                                r >= -32768 && r <= 32767)
                                var->set_integer(int16_t(r));
                            else if (r >= INT32_MIN && r <= INT32_MAX)
                                var->set_long(int32_t(r));
                            else
                                var->set_double(double(r));
                        } else {
                            *var = op_arith(BinOp::Add, *var, step);
                        }
                    } else {
                        *var = op_arith(BinOp::Add, *var, step);
                    }
                    if (for_in_range(*var, limit, step)) {
                        check_attention();
                        ip = code + data.c;
                    }
                    break;
                }
                case Op::EACHPREP: {
                    --sp;
                    Value coll = std::move(*sp);
                    if (coll.tag() == Tag::Array) {
                        L[in.b] = std::move(coll);
                    } else if (coll.tag() == Tag::Object && coll.obj()) {
                        std::unique_ptr<Enumerator> e = coll.obj()->enumerate(*this);
                        Ptr<Object> h = make_object<EnumHolder>(std::move(e));
                        L[in.b] = Value::object(h.get());
                    } else {
                        raise_error(kErrNotCollection);
                    }
                    L[in.b + 1] = Value::long_(0);
                    break;
                }
                case Op::EACHNEXT: {
                    const Instr data = *ip++;
                    Value& src = L[in.b];
                    Value item;
                    bool more;
                    if (src.tag() == Tag::Array) {
                        int32_t idx = L[in.b + 1].int_val();
                        more = size_t(idx) < src.arr()->data.size();
                        if (more) {
                            item = src.arr()->data[size_t(idx)];
                            L[in.b + 1] = Value::long_(idx + 1);
                        }
                    } else if (src.tag() == Tag::Object && src.obj()) {
                        more = static_cast<EnumHolder*>(src.obj())->e->next(item, *this);
                    } else {
                        more = false; // the collection failed under On Error Resume Next
                    }
                    if (!more) {
                        src.clear();
                        L[in.b + 1].clear();
                        ip = code + data.c;
                        break;
                    }
                    check_attention();
                    *var_slot(*this, fr, VarKind(in.a), data.b, in.c, true) = std::move(item);
                    break;
                }
                case Op::ONERR:
                    fr.resume_next = in.a != 0;
                    clear_err();
                    break;
                case Op::EXEC: {
                    --sp;
                    std::string text = to_string(*sp);
                    sp->clear();
                    exec_text(text, in.a != 0);
                    break;
                }
                case Op::PART:
                    // Each text of joined texts has the time limit of a call of its own.
                    part_ = in.c;
                    ++parts_begun_;
                    start_clock();
                    break;
                case Op::SKIPF: {
                    const Instr data = *ip++;
                    const Global& g = globals_[size_t(in.c)];
                    if (g.kind == GKind::Variable && g.value.tag() == Tag::Boolean) {
                        if (!g.value.bool_val()) ip = code + data.c;
                        break;
                    }
                    // Only the caller knows what other values mean: the call ends here.
                    skip_ended_ = true;
                    while (sp > stack_base)
                        (--sp)->clear();
                    return;
                }
                case Op::RET:
                    while (sp > stack_base)
                        (--sp)->clear();
                    return;
                case Op::LISTNEW: {
                    ArrayRep* list = ArrayRep::make_vector({});
                    *sp++ = Value::array(list); // owns it before anything can fail
                    list->data.reserve(size_t(in.c));
                    break;
                }
                case Op::LISTADD: {
                    Value* base = sp - in.a;
                    ArrayRep* list = base[-1].arr();
                    for (int i = 0; i < in.a; ++i)
                        list->data.push_back(std::move(base[i]));
                    list->counts[0] = int32_t(list->data.size());
                    sp = base;
                    for (int i = 0; i < in.a; ++i)
                        base[i].clear();
                    break;
                }
                case Op::DATA:
                case Op::Count_:
                    break;
                }
            }
        } catch (const ScriptException& e) {
            size_t pc = size_t(ip - code) - 1;
            const StmtRange* best = nullptr;
            for (const StmtRange& r : fn->ranges)
                if (r.start <= pc && pc < r.end && (!best || r.start >= best->start)) best = &r;
            if (!error_pos_set_ && best) {
                error_pos_set_ = true;
                error_line_ = best->line;
                error_col_ = best->col;
            }
            while (sp > stack_base)
                (--sp)->clear();
            if (!fr.resume_next) throw;
            set_err(e.number, e.description, e.source, e.keeps_help);
            error_pos_set_ = false;
            ip = code + (best ? best->resume : fn->code.size() - 1);
        } catch (const std::bad_alloc&) {
            while (sp > stack_base)
                (--sp)->clear();
            ip = after_out_of_memory(*this, fr, ip);
        } catch (const std::length_error&) { // a size past what the library allocates at all
            while (sp > stack_base)
                (--sp)->clear();
            ip = after_out_of_memory(*this, fr, ip);
        }
    }
}

} // namespace vbs
