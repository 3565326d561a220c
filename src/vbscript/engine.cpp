// The host boundary, the global table, the compile cache and calls into compiled code.
#include "vbscript/engine.h"

#include "vbscript/convert.h"
#include "vbscript/engine_impl.h"
#include "vbscript/lexer.h"
#include "vbscript/locale.h"
#include "vbscript/vm_context.h"

#include <cstdio>
#include <ctime>
#include <new>
#include <stdexcept>

namespace vbs {

void ensure_registry(); // builtins_registry.cpp

namespace {

constexpr size_t kStackSlots = size_t(1) << 18; // values on the VM stack (4 MB)
constexpr int kMaxDepth = 4000;                 // nested script calls
constexpr ptrdiff_t kNativeBudget = 1 << 20;    // bytes of native stack the VM may use

thread_local Engine::Impl* g_active = nullptr;

// Makes `im` the active engine of this thread for the lifetime of the guard.
struct ActiveGuard {
    explicit ActiveGuard(Engine::Impl* im) : prev(g_active) { g_active = im; }
    ~ActiveGuard() { g_active = prev; }
    Engine::Impl* prev;
};

} // namespace

Engine::Impl* active_impl() {
    return g_active;
}
Context* active_context() {
    return g_active;
}

namespace {
uint64_t next_engine_serial() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}
} // namespace

Engine::Impl::Impl(Engine& owner) : owner_(owner), serial_(next_engine_serial()) {
    ensure_registry();
    clock_.limit.store(int64_t(10'000) * 1'000'000, std::memory_order_relaxed);
    clock_.attention = &attention_;
    watch(&clock_);
    stack_.reset(new Value[kStackSlots]);
    stack_end_ = stack_.get() + kStackSlots;
    reserve_top_ = stack_.get();
    self_ = std::make_shared<Impl*>(this);
    err_object_ = make_object<ErrObject>(*this);
}

Engine::Impl::~Impl() {
    ActiveGuard g(this);
    begin_call();
    bulk_release_ = true;
    // Release script values while the engine can still run Class_Terminate handlers.
    release_globals();
    for (size_t i = 0; i < kStackSlots; ++i)
        stack_[i].clear();
    *self_ = nullptr; // objects the host still holds no longer reach this engine
    end_clock();
    unwatch(&clock_);
}

bool Engine::Impl::release_script_values() {
    // Every value is taken out of the table and the table made consistent before any of them
    // goes: a Class_Terminate run by letting one go may read and assign globals.
    std::vector<Value> old;
    for (size_t i = 0; i < globals_.size(); ++i) {
        Global& gl = globals_[i];
        if (gl.kind == GKind::Host) continue;
        if (gl.value.tag() == Tag::Object || gl.value.tag() == Tag::Array)
            old.push_back(std::move(gl.value));
        else
            gl.value.clear();
        gl.kind = GKind::Undeclared;
        gl.proc = nullptr;
        gl.cls.reset();
        gl.unit.reset();
    }
    bool ran = !old.empty();
    old.clear();
    return ran;
}

void Engine::Impl::release_globals() {
    // Script values go first, while the host objects are still reachable from the
    // Class_Terminate handlers that releasing them may run. Handlers may assign globals again
    // as they run: a few more passes let those go too, and a last one without handlers ends a
    // chain of objects that keep making new ones. Then the host objects go.
    constexpr int kPasses = 4;
    bool left = true;
    for (int pass = 0; pass < kPasses && left; ++pass)
        left = release_script_values();
    if (left) {
        terminate_blocked_ = true;
        release_script_values();
        terminate_blocked_ = false;
    }
    std::vector<Value> hosts;
    for (size_t i = 0; i < globals_.size(); ++i) {
        Global& gl = globals_[i];
        if (gl.kind != GKind::Host) continue;
        hosts.push_back(std::move(gl.value));
        gl.kind = GKind::Undeclared;
    }
}

const locale_info& Engine::Impl::locale() {
    return current_locale();
}

int Engine::Impl::slot(std::string_view name) {
    auto it = global_index_.find(name);
    if (it != global_index_.end()) return it->second;
    int idx = int(globals_.size());
    globals_.emplace_back(std::string(name));
    global_index_.emplace(std::string(name), idx);
    return idx;
}

bool Engine::Impl::is_defined(std::string_view name) {
    bool defined = false;
    lookup(name, defined);
    return defined;
}

int Engine::Impl::lookup(std::string_view name, bool& defined) {
    auto it = global_index_.find(name);
    if (it == global_index_.end()) {
        defined = false;
        return -1;
    }
    defined = globals_[size_t(it->second)].kind != GKind::Undeclared;
    return it->second;
}

std::shared_ptr<Unit> Engine::Impl::unit_for(std::string_view text, bool expression,
                                             const Function* scope, SyntaxError& err, bool cached) {
    UnitCache* cache = scope        ? &scoped_cache_[scope->serial]
                       : expression ? &expr_cache_
                                    : &stmt_cache_;
    if (cached) {
        auto it = cache->find(text);
        if (it != cache->end()) return it->second;
    }
    std::unique_ptr<Unit> unit;
    CompileTarget target{scope};
    ++compile_count_;
    try {
        if (expression) {
            ExprPtr e;
            if (!parse_expression(text, e, err)) return nullptr;
            unit = compile_expression(*e, *this, target, err);
        } else {
            Program prog;
            if (!parse_program(text, prog, err)) return nullptr;
            unit = compile_program(prog, *this, target, err);
        }
    } catch (const std::bad_alloc&) {
        err = SyntaxError{kErrOutOfMemory, 0, 0};
        return nullptr;
    } catch (const std::length_error&) {
        err = SyntaxError{kErrOutOfMemory, 0, 0};
        return nullptr;
    }
    if (!unit) return nullptr;
    std::shared_ptr<Unit> shared(std::move(unit));
    if (!cached) return shared;
    if (cached_units_ >= cache_limit_) {
        // A full cache starts over; code still in use stays alive through its owners.
        clear_caches();
        cache = scope ? &scoped_cache_[scope->serial] : expression ? &expr_cache_ : &stmt_cache_;
    }
    cache->emplace(std::string(text), shared);
    ++cached_units_;
    return shared;
}

void Engine::Impl::clear_caches() {
    stmt_cache_.clear();
    expr_cache_.clear();
    scoped_cache_.clear();
    cached_units_ = 0;
}

bool Engine::Impl::unit_running(const Unit& unit) const {
    for (const Frame* f = current_; f; f = f->caller)
        for (const auto& p : unit.procs)
            if (p.get() == f->fn) return true;
    return false;
}

Value Engine::Impl::run_unit(const std::shared_ptr<Unit>& unit, Frame* up, Object* me) {
    bool kept = false;
    for (auto& [slot_index, fn] : unit->proc_slots) {
        Global& g = globals_[size_t(slot_index)];
        if (g.kind == GKind::Proc && g.proc == fn) continue;
        const std::string& name = globals_.name(size_t(slot_index));
        if (find_builtin(name) || find_builtin_constant(name)) builtin_shadowed_ = true;
        // The procedure being replaced may be running (it redefined itself): then its code
        // stays alive until reset.
        if (g.unit && unit_running(*g.unit)) live_units_.push_back(std::move(g.unit));
        g.kind = GKind::Proc;
        g.proc = fn;
        g.unit = unit;
        // The slot's value is a reference to the procedure, for uses that need a value
        // (an argument `F(x)` passed on to another procedure).
        Ptr<Object> ref = make_object<ProcRef>(*this, fn, unit);
        g.value = Value::object(ref.get());
        kept = true;
    }
    for (auto& [slot_index, def] : unit->class_slots) {
        Global& g = globals_[size_t(slot_index)];
        g.value.clear();
        g.kind = GKind::Class;
        for (auto& c : unit->classes)
            if (c.get() == def) g.cls = c;
    }
    (void)kept;
    return run_main(unit->main.get(), up, me);
}

Value Engine::Impl::run_main(Function* main, Frame* up, Object* me, uint32_t start) {
    Value* base = reserve_top_;
    call_function(main, base, 0, me, up, start);
    Value result = std::move(base[0]);
    return result;
}

void Engine::Impl::call_function(Function* f, Value* base, int argc, Object* me, Frame* up,
                                 uint32_t start) {
    if (argc != f->nparams) raise_error(kErrWrongArgs);
    char probe;
    if (depth_ >= kMaxDepth || base + f->nlocals + f->max_stack + 8 >= stack_end_ ||
        (native_base_ && native_base_ - &probe > kNativeBudget))
        raise_error(kErrOutOfStack);
    check_attention();
    for (int i = 0; i < argc; ++i) {
        Value& a = base[i];
        if (a.is_missing()) raise_error(kErrWrongArgs);
        if (f->by_val[size_t(i)] && a.tag() == Tag::Ref) a = Value(*a.ref_target());
    }
    for (int i = argc; i < f->nlocals; ++i)
        base[i].clear();
    Value* end = base + f->nlocals + f->max_stack;
    Value* saved_top = reserve_top_;
    if (end > reserve_top_) reserve_top_ = end;
    Frame fr;
    fr.fn = f;
    fr.locals = base;
    fr.me = me;
    fr.up = up;
    fr.caller = current_;
    fr.start = start;
    current_ = &fr;
    ++depth_;
    try {
        execute(fr);
    } catch (...) {
        for (Value* p = base; p < end; ++p)
            p->clear();
        current_ = fr.caller;
        reserve_top_ = saved_top;
        --depth_;
        throw;
    }
    Value result;
    if (f->result_slot >= 0) result = std::move(base[f->result_slot]);
    // RET left the operand stack empty; only the locals still hold values.
    for (Value *p = base, *locals_end = base + f->nlocals; p < locals_end; ++p)
        p->clear();
    base[0] = std::move(result);
    current_ = fr.caller;
    reserve_top_ = saved_top;
    --depth_;
}

void Engine::Impl::invoke_function(Function* f, Object* me, CallArgs& args, Value& result) {
    Value* base = reserve_top_;
    uint32_t n = args.size();
    if (base + n + 8 >= stack_end_) raise_error(kErrOutOfStack);
    for (uint32_t i = 0; i < n; ++i) {
        if (args.is_missing(i)) {
            for (uint32_t j = 0; j < i; ++j)
                base[j].clear();
            raise_error(kErrWrongArgs);
        }
        base[i] = Value::ref(&args.ref(i));
    }
    Value* saved = reserve_top_;
    reserve_top_ = base + n;
    try {
        call_function(f, base, int(n), me, nullptr);
    } catch (...) {
        for (uint32_t i = 0; i < n; ++i)
            base[i].clear();
        reserve_top_ = saved;
        throw;
    }
    reserve_top_ = saved;
    result = std::move(base[0]);
}

void Engine::Impl::poll() {
    // The flag goes down before the reasons are read, so a reason raised meanwhile raises it
    // again and is seen at the next check.
    attention_.store(false, std::memory_order_seq_cst);
    int32_t why = abort_;
    if (!why) why = interrupt_.load(std::memory_order_seq_cst);
    if (!why) {
        const int64_t limit = clock_.limit.load(std::memory_order_relaxed);
        const int64_t started = clock_.started.load(std::memory_order_relaxed);
        if (limit > 0 && started != 0 && clock_now() >= started + limit) why = kErrTimeout;
    }
    if (!why) return;
    abort_ = why;
    attention_.store(true, std::memory_order_relaxed);
    throw AbortException{why};
}

void Engine::Impl::set_err(int32_t number, std::string description, std::string source,
                           bool keeps_help) {
    if (!keeps_help) {
        err_helpfile_.clear();
        err_helpcontext_ = 0;
    }
    err_number_ = number;
    err_description_ = std::move(description);
    err_source_ = source.empty() ? "Microsoft VBScript runtime error" : std::move(source);
}

void Engine::Impl::clear_err() {
    err_number_ = 0;
    err_description_.clear();
    err_source_.clear();
    err_helpfile_.clear();
    err_helpcontext_ = 0;
}

void Engine::Impl::exec_text(std::string_view text, bool global) {
    Frame* fr = current_;
    // Execute in a procedure (or in Execute code run in one) reaches that procedure's locals.
    Frame* scope_frame = nullptr;
    if (!global && fr) {
        scope_frame = fr->fn->up_scope ? fr->up : fr;
        if (scope_frame && scope_frame->fn->name == "<main>") scope_frame = nullptr;
    }
    SyntaxError err;
    std::shared_ptr<Unit> unit =
        unit_for(text, false, scope_frame ? scope_frame->fn : nullptr, err);
    if (!unit) raise_error(err.number);
    run_unit(unit, scope_frame, scope_frame ? scope_frame->me : nullptr);
}

Value Engine::Impl::eval(std::string_view expression) {
    Frame* fr = current_;
    Frame* scope_frame = nullptr;
    if (fr) {
        scope_frame = fr->fn->up_scope ? fr->up : fr;
        if (scope_frame && (scope_frame->fn->name == "<main>" || scope_frame->fn->name == "<eval>"))
            scope_frame = nullptr;
    }
    SyntaxError err;
    std::shared_ptr<Unit> unit =
        unit_for(expression, true, scope_frame ? scope_frame->fn : nullptr, err);
    if (!unit) raise_error(err.number);
    return run_unit(unit, scope_frame, scope_frame ? scope_frame->me : nullptr);
}

Value Engine::Impl::call_value(const Value& callee0, ArgList args) {
    const Value& callee = callee0.deref();
    if (callee.tag() != Tag::Object || !callee.obj()) raise_error(kErrObjectRequired);
    Object* o = callee.obj();
    Ptr<Object> keep(o);
    int id = o->find_member("");
    if (id == kNoMember) raise_error(kErrNoMember);
    std::vector<Value> copies(args.begin(), args.end());
    std::vector<Value*> slots;
    for (Value& v : copies)
        slots.push_back(&v);
    CallArgs ca(slots.data(), uint32_t(slots.size()));
    Value result;
    o->invoke(id, CallKind::Get, ca, result, *this);
    return result;
}

ScriptError Engine::Impl::make_error(int32_t number, std::string description, bool compile,
                                     int line, int col) {
    ScriptError e;
    e.number = number;
    e.description = description.empty() ? std::string(error_text(number)) : std::move(description);
    e.source =
        compile ? "Microsoft VBScript compilation error" : "Microsoft VBScript runtime error";
    e.compile = compile;
    e.line = line;
    e.column = col;
    return e;
}

void Engine::Impl::begin_call() {
    interrupt_.store(0, std::memory_order_relaxed);
    attention_.store(false, std::memory_order_relaxed);
    abort_ = 0;
    start_clock();
    error_pos_set_ = false;
    error_line_ = error_col_ = 0;
}

// --- Engine -----------------------------------------------------------------------------------

Engine::Engine() : impl_(std::make_unique<Impl>(*this)) {}
Engine::~Engine() = default;

void Engine::reset() {
    Impl& im = *impl_;
    if (im.current_) return; // not while script runs (a host callback); the caller gets no reset
    ActiveGuard g(&im);
    // The handlers that run share the time limit of one call (see bulk_release_).
    im.begin_call();
    im.bulk_release_ = true;
    im.release_globals();
    im.bulk_release_ = false;
    im.end_clock();
    im.live_units_.clear();
    im.clear_err();
    if (im.builtin_shadowed_) {
        // Code compiled while a built-in name was a script's own resolved that name to it.
        im.clear_caches();
        ++im.code_generation_;
        im.builtin_shadowed_ = false;
    }
}

void Engine::add_object(std::string_view name, Ptr<Object> object) {
    Impl& im = *impl_;
    Global& g = im.globals_[size_t(im.slot(name))];
    g.value = Value::object(object.get());
    g.kind = GKind::Host;
}

namespace {

// Runs the main code of `unit` as a call from the host, its value to `value` when given; a
// failure is written to `error`, which is left alone otherwise. `plain_main`, when given, is
// that main code of a unit that defines no names: it runs without a look at the unit.
void run_host_call(Engine::Impl& im, const std::shared_ptr<Unit>& unit, Function* plain_main,
                   Value* value, ScriptError& error, uint32_t start = 0) {
    ActiveGuard g(&im);
    bool outer = im.current_ == nullptr;
    char probe;
    if (outer) {
        im.begin_call();
        im.native_base_ = &probe;
    }
    try {
        Value result = plain_main ? im.run_main(plain_main, nullptr, nullptr, start)
                                  : im.run_unit(unit, nullptr, nullptr);
        if (value) *value = std::move(result);
    } catch (const ScriptException& e) {
        error = im.make_error(e.number, e.description, false, im.error_line_, im.error_col_);
    } catch (const AbortException& a) {
        error = im.make_error(a.number, "", false, im.error_line_, im.error_col_);
    } catch (const std::bad_alloc&) {
        error = im.make_error(kErrOutOfMemory, "", false, im.error_line_, im.error_col_);
    } catch (const std::length_error&) {
        error = im.make_error(kErrOutOfMemory, "", false, im.error_line_, im.error_col_);
    }
    // A time-out or interrupt that a Class_Terminate handler swallowed after the last check
    // still fails the call.
    if (im.abort_ && error.number == 0)
        error = im.make_error(im.abort_, "", false, im.error_line_, im.error_col_);
    if (outer) {
        im.native_base_ = nullptr;
        im.end_clock();
    }
}

} // namespace

ExecResult Engine::execute_statement(std::string_view text) {
    Impl& im = *impl_;
    ExecResult r;
    SyntaxError err;
    std::shared_ptr<Unit> unit = im.unit_for(text, false, nullptr, err);
    if (!unit) {
        r.error = im.make_error(err.number, "", true, err.line, err.col);
        return r;
    }
    run_host_call(im, unit, nullptr, nullptr, r.error);
    return r;
}

EvalResult Engine::eval(std::string_view expression) {
    Impl& im = *impl_;
    EvalResult r;
    SyntaxError err;
    std::shared_ptr<Unit> unit = im.unit_for(expression, true, nullptr, err);
    if (!unit) {
        r.error = im.make_error(err.number, "", true, err.line, err.col);
        return r;
    }
    run_host_call(im, unit, nullptr, &r.value, r.error);
    return r;
}

bool Engine::compiled(Prepared& code, ScriptError& error) {
    Impl& im = *impl_;
    if (code.unit_ && code.engine_ == im.serial_ && code.generation_ == im.code_generation_)
        return true;
    // The prepared text keeps its own code: the text cache would only hold a second reference.
    SyntaxError err;
    code.unit_ = im.unit_for(code.text_, code.expression_, nullptr, err, false);
    if (!code.unit_) {
        error = im.make_error(err.number, "", true, err.line, err.col);
        return false;
    }
    code.plain_main_ = code.unit_->defines_names() ? nullptr : code.unit_->main.get();
    code.engine_ = im.serial_;
    code.generation_ = im.code_generation_;
    return true;
}

ExecResult Engine::execute(Prepared& code) {
    ExecResult r;
    if (!compiled(code, r.error)) return r;
    Impl& im = *impl_;
    run_host_call(im, code.unit_, code.plain_main_, nullptr, r.error);
    return r;
}

EvalResult Engine::eval(Prepared& code) {
    EvalResult r;
    if (!compiled(code, r.error)) return r;
    Impl& im = *impl_;
    run_host_call(im, code.unit_, code.plain_main_, &r.value, r.error);
    return r;
}

void Engine::set_cache_limit(size_t units) {
    impl_->cache_limit_ = units ? units : 1;
}

size_t Engine::compile_count() const {
    return impl_->compile_count_;
}

void Engine::set_host_ui(HostUI* ui) {
    impl_->ui_ = ui;
}
void Engine::set_time_limit(std::chrono::milliseconds limit) {
    // Beyond about 30 years a limit is none in practice; the clamp keeps the product in range.
    const int64_t ms = std::clamp<int64_t>(limit.count(), 0, int64_t(1) << 40);
    const int64_t ns = ms * 1'000'000;
    impl_->clock_.limit.store(ns, std::memory_order_relaxed);
    limit_changed();
}
void Engine::interrupt() {
    impl_->interrupt_.store(kErrInterrupted, std::memory_order_seq_cst);
    impl_->attention_.store(true, std::memory_order_seq_cst);
}
void Engine::time_out() {
    impl_->interrupt_.store(kErrTimeout, std::memory_order_seq_cst);
    impl_->attention_.store(true, std::memory_order_seq_cst);
}

std::string Engine::dump_tokens(std::string_view text) {
    std::vector<Token> toks;
    LexError err;
    std::string out;
    bool ok = tokenize(text, toks, err);
    char line[160];
    for (const Token& t : toks) {
        std::snprintf(line, sizeof line, "%4d:%-3d %-9s", t.line, t.col, token_name(t.kind));
        out += line;
        if (t.kind == T::Ident || t.kind == T::StrLit) out += " " + t.text;
        if (t.kind == T::IntLit || t.kind == T::FloatLit || t.kind == T::DateLit) {
            std::snprintf(line, sizeof line, " %.17g",
                          t.kind == T::IntLit && !t.is_double ? double(t.ival) : t.dval);
            out += line;
        }
        out += "\n";
    }
    if (!ok) {
        std::snprintf(line, sizeof line, "error %d at %d:%d: %s\n", err.number, err.line, err.col,
                      std::string(error_text(err.number)).c_str());
        out += line;
    }
    return out;
}

std::string Engine::dump_code(std::string_view text) {
    SyntaxError err;
    std::shared_ptr<Unit> unit = impl_->unit_for(text, false, nullptr, err);
    if (!unit) {
        char line[200];
        std::snprintf(line, sizeof line, "compilation error %d at %d:%d: %s\n", err.number,
                      err.line, err.col, std::string(error_text(err.number)).c_str());
        return line;
    }
    Impl& im = *impl_;
    return disassemble(*unit, [&im](int slot) { return im.globals_.name(size_t(slot)); });
}

// --- joined texts ---------------------------------------------------------------------------

JoinedTexts::JoinedTexts(const std::vector<std::string_view>& texts) {
    size_t total = 0;
    for (std::string_view t : texts)
        total += t.size() + 2;
    text_.reserve(total);
    starts_.reserve(texts.size() + 1);
    ends_.reserve(texts.size());
    for (std::string_view t : texts) {
        starts_.push_back(uint32_t(text_.size()));
        text_.append(t);
        ends_.push_back(uint32_t(text_.size()));
        if (t.empty() || t.back() != '\n') text_.append("\r\n");
    }
    starts_.push_back(uint32_t(text_.size()));
    // Lines counted as the lexer counts them: CR LF, CR and LF each end one.
    lines_.reserve(texts.size());
    int line = 1;
    size_t at = 0;
    for (size_t k = 0; k + 1 < starts_.size(); ++k) {
        for (; at < starts_[k]; ++at)
            if (text_[at] == '\n' || (text_[at] == '\r' && text_[at + 1] != '\n')) ++line;
        lines_.push_back(line);
    }
}

size_t Engine::running_part() const {
    return size_t(impl_->part_);
}

int Engine::global_slot(std::string_view name) {
    // A built-in's name may read as the built-in in script: it gets no direct reads.
    if (find_builtin_constant(name) || find_builtin(name)) return -1;
    return impl_->slot(name);
}

const Value* Engine::global_variable(int slot) const {
    const Impl& im = *impl_;
    if (slot < 0 || size_t(slot) >= im.globals_.size()) return nullptr;
    const Global& g = im.globals_[size_t(slot)];
    return g.kind == GKind::Variable ? &g.value : nullptr;
}

void JoinedTexts::skip_unless(size_t part, std::string_view name, size_t skip_to) {
    skips_.push_back({part, std::string(name), skip_to});
    unit_.reset();
}

bool Engine::execute(JoinedTexts& texts, size_t from, JoinedRun& run) {
    Impl& im = *impl_;
    if (texts.refused_) return false;
    if (!texts.unit_ || texts.engine_ != im.serial_ || texts.generation_ != im.code_generation_) {
        texts.unit_.reset();
        SyntaxError err;
        Program prog;
        ++im.compile_count_;
        std::unique_ptr<Unit> unit;
        try {
            if (parse_program(texts.text_, prog, err))
                unit = compile_parts(prog, im, texts.lines_, texts.skips_, err);
        } catch (const std::bad_alloc&) {
            unit.reset();
        } catch (const std::length_error&) {
            unit.reset();
        }
        if (!unit) {
            texts.refused_ = true;
            return false;
        }
        texts.unit_ = std::move(unit);
        texts.engine_ = im.serial_;
        texts.generation_ = im.code_generation_;
    }
    run.result = ExecResult{};
    run.at = texts.size();
    run.begun = 0;
    if (from >= texts.size()) return true;
    im.part_ = int32_t(from);
    im.parts_begun_ = 0;
    im.skip_ended_ = false;
    // The first text starts the code; only a call that goes on after a failure looks up where.
    run_host_call(im, texts.unit_, texts.unit_->main.get(), nullptr, run.result.error,
                  from ? texts.unit_->part_starts[from] : 0);
    run.begun = size_t(im.parts_begun_);
    if (!run.result.ok() || im.skip_ended_) run.at = size_t(im.part_);
    return true;
}

} // namespace vbs
