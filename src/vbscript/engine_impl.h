// The engine's internal state: global table, compile cache, the virtual machine's stack and
// frames, the Err state and the limits. Shared by engine.cpp (boundary, cache, globals),
// vm.cpp (dispatch loop) and objects_core.cpp (class instances, Err, GetRef).
#pragma once

#include "vbscript/builtins.h"
#include "vbscript/bytecode.h"
#include "vbscript/compiler.h"
#include "vbscript/engine.h"
#include "vbscript/error.h"
#include "vbscript/watchdog.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vbs {

enum class GKind : uint8_t { Undeclared, Variable, Const, Proc, Class, Host };

// One cache line: the value and kind the code reads, and what reset() lets go. The name is
// kept apart (GlobalStore::name), as only messages and dumps read it.
struct alignas(64) Global {
    Value value;
    GKind kind = GKind::Undeclared;
    Function* proc = nullptr;
    std::shared_ptr<ClassDef> cls;
    std::shared_ptr<Unit> unit; // owner of proc
};

// The global table's entries, in chunks of 256: an entry never moves once made (the virtual
// machine holds references across calls that add entries), and finding entry i is a shift and
// a mask.
class GlobalStore {
public:
    Global& operator[](size_t i) { return chunks_[i >> kShift][i & kMask]; }
    const Global& operator[](size_t i) const { return chunks_[i >> kShift][i & kMask]; }
    size_t size() const { return size_; }
    const std::string& name(size_t i) const { return names_[i]; }
    Global& emplace_back(std::string name) {
        if ((size_ & kMask) == 0) chunks_.push_back(std::make_unique<Global[]>(kMask + 1));
        names_.push_back(std::move(name));
        return (*this)[size_++];
    }

private:
    static constexpr size_t kShift = 8, kMask = (size_t(1) << kShift) - 1;
    std::vector<std::unique_ptr<Global[]>> chunks_;
    std::vector<std::string> names_;
    size_t size_ = 0;
};

struct Frame {
    Function* fn = nullptr;
    Value* locals = nullptr;
    Object* me = nullptr;
    Frame* up = nullptr; // for Execute/Eval code: the procedure frame whose locals it reaches
    Frame* caller = nullptr;
    uint32_t start = 0; // where the code starts running (a later text of joined texts)
    bool resume_next = false;
};

// Timeouts and interrupts unwind through On Error Resume Next: they are not ScriptExceptions.
struct AbortException {
    int32_t number;
};

// Transparent string hashing so the caches can be searched with a string_view.
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
struct TextEq {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};
using UnitCache = std::unordered_map<std::string, std::shared_ptr<Unit>, TextHash, TextEq>;

class ErrObject;

// How the engine's own objects (class instances, Err, GetRef references) reach their engine.
// The engine clears the link when it goes, so an object that outlives it (a value the host
// kept) fails with error 462 instead of reaching freed memory, and runs no Class_Terminate.
class EngineRef {
public:
    explicit EngineRef(std::shared_ptr<Engine::Impl*> link) : link_(std::move(link)) {}
    Engine::Impl* get() const { return *link_; } // nullptr once the engine has gone
    Engine::Impl& operator*() const {
        if (!*link_) raise_error(kErrObjectGone);
        return **link_;
    }

private:
    std::shared_ptr<Engine::Impl*> link_;
};

struct Engine::Impl : public Context, public GlobalTable {
    explicit Impl(Engine& owner);
    ~Impl() override;

    // --- Context -------------------------------------------------------------------------
    const locale_info& locale() override;
    HostUI& ui() override { return ui_ ? *ui_ : console_ui_; }
    Engine& engine() override { return owner_; }
    uint32_t& rnd_seed() override { return rnd_seed_; }
    Value eval(std::string_view expression) override;
    Value call_value(const Value& callee, ArgList args) override;

    // --- GlobalTable ---------------------------------------------------------------------
    int slot(std::string_view name) override;
    bool is_defined(std::string_view name) override;
    int lookup(std::string_view name, bool& defined) override;

    // --- compiling and running -----------------------------------------------------------
    // The unit for a text, from the cache or freshly compiled; nullptr with err on a syntax
    // error. `expression` compiles one expression; `scope` is a procedure for Execute/Eval.
    std::shared_ptr<Unit> unit_for(std::string_view text, bool expression, const Function* scope,
                                   SyntaxError& err, bool cached = true);
    // Binds the unit's procedures and classes to their global names and runs its main code
    // with `up` as the frame its up-scope names reach. Returns the main's result slot value.
    Value run_unit(const std::shared_ptr<Unit>& unit, Frame* up, Object* me);
    // The same for main code whose unit defines no names.
    Value run_main(Function* main, Frame* up, Object* me, uint32_t start = 0);
    bool unit_running(const Unit& unit) const; // a procedure of the unit has a frame
    void clear_caches();
    // Runs Execute/ExecuteGlobal/Eval text from the running code.
    void exec_text(std::string_view text, bool global);
    ScriptError make_error(int32_t number, std::string description, bool compile, int line,
                           int col);
    void begin_call();

    // Calls a compiled function. The arguments are base[0..argc) (references for ByRef);
    // the result replaces base[0].
    void call_function(Function* f, Value* base, int argc, Object* me, Frame* up,
                       uint32_t start = 0);
    // Calls a function from native code (object dispatch, Terminate, GetRef).
    void invoke_function(Function* f, Object* me, CallArgs& args, Value& result);
    void execute(Frame& fr); // the dispatch loop (vm.cpp)

    // The check where code loops or calls: one load of a flag the timer thread, interrupt()
    // or time_out() raises. poll() then ends the call with the time-out or the interrupt, or finds
    // the flag raised for a call that has since ended and lowers it.
    void check_attention() {
        if (attention_.load(std::memory_order_relaxed)) poll();
    }
    void poll();
    // Lets every global value go, host objects last, and leaves the names undeclared,
    // running the Class_Terminate handlers that releasing them calls for.
    void release_globals();
    bool release_script_values(); // one pass; true when a value that can run script went
    void check_interrupt() override { check_attention(); }
    void restart_time_limit() override {
        if (clock_.started.load(std::memory_order_relaxed) != 0) start_clock();
    }
    // The time limit of a call (or text of joined texts) counts from here; end_clock() says
    // no call runs.
    void start_clock() {
        clock_.started.store(clock_.limit.load(std::memory_order_relaxed) > 0 ? coarse_clock_now()
                                                                              : 0,
                             std::memory_order_relaxed);
    }
    void end_clock() { clock_.started.store(0, std::memory_order_relaxed); }
    // Fills Err for an error trapped by On Error Resume Next; HelpFile and HelpContext are
    // cleared unless the error came from Err.Raise (keeps_help).
    void set_err(int32_t number, std::string description, std::string source,
                 bool keeps_help = false);
    void clear_err();
    Value new_instance(const std::shared_ptr<ClassDef>& def);
    Value let_value(Value v); // Let semantics: an object gives its default member's value

    Engine& owner_;
    GlobalStore globals_;
    std::unordered_map<std::string, int, NameHash, NameEq> global_index_; // name -> slot
    UnitCache stmt_cache_, expr_cache_;
    std::unordered_map<uint64_t, UnitCache> scoped_cache_; // by the scope's Function::serial
    size_t cached_units_ = 0;
    size_t cache_limit_ = 100000;
    std::vector<std::shared_ptr<Unit>> live_units_; // uncached units that defined names
    bool builtin_shadowed_ = false;
    size_t compile_count_ = 0;
    uint64_t code_generation_ = 1; // moves on when compiled code may no longer be run
    const uint64_t serial_;        // unique for the life of the process

    std::unique_ptr<Value[]> stack_;
    Value* stack_end_ = nullptr;
    Value* reserve_top_ = nullptr; // first slot no running frame has reserved
    Frame* current_ = nullptr;
    int depth_ = 0;
    const char* native_base_ = nullptr;

    int32_t err_number_ = 0;
    std::string err_description_, err_source_, err_helpfile_;
    int32_t err_helpcontext_ = 0;
    Ptr<ErrObject> err_object_;

    // Position of the statement where the error being unwound was raised.
    bool error_pos_set_ = false;
    int error_line_ = 0, error_col_ = 0;

    CallClock clock_; // read by the timer thread (watchdog.h); the limit starts at 10 s
    std::atomic<bool> attention_{false};
    std::atomic<int32_t> interrupt_{0}; // the error interrupt() or time_out() asks for
    // The time-out or interrupt that ended the call: once raised it stays, so a handler that
    // swallows it (Class_Terminate runs where no error may leave) cannot let the call go on.
    int32_t abort_ = 0;
    // Set while reset() or the destructor lets go of every value: the Class_Terminate handlers
    // that run share one time limit instead of each starting its own.
    bool bulk_release_ = false;
    int32_t part_ = 0;        // the text of joined texts that runs (set by PART)
    int32_t parts_begun_ = 0; // PARTs passed in this call of joined texts
    bool skip_ended_ = false; // a SKIPF test ended the call

    bool terminate_blocked_ = false; // teardown: Class_Terminate handlers no longer run
    std::shared_ptr<Impl*> self_;    // the link the engine's objects hold (see EngineRef)

    HostUI* ui_ = nullptr;
    ConsoleHostUI console_ui_;
    uint32_t rnd_seed_ = 0x50000;
};

// The engine whose code runs on this thread (for coercions that need a context).
Engine::Impl* active_impl();
// A script class instance.
class ClassInstance : public Object {
public:
    ClassInstance(Engine::Impl& impl, std::shared_ptr<ClassDef> def);
    ~ClassInstance() override;
    std::string type_name() const override { return def_->name; }
    int find_member(std::string_view name) override;
    const void* member_table() const override { return def_.get(); }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;

    std::vector<Value> fields;
    ClassDef& def() { return *def_; }
    bool initialized = false;

protected:
    void last_release() override;

private:
    EngineRef impl_;
    std::shared_ptr<ClassDef> def_;
};

// The Err object of an engine.
class ErrObject : public Object {
public:
    explicit ErrObject(Engine::Impl& impl) : impl_(impl.self_) {}
    std::string type_name() const override { return "ErrObject"; }
    int find_member(std::string_view name) override;
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;

private:
    EngineRef impl_;
};

// What GetRef returns: calling its default member calls the procedure.
class ProcRef : public Object {
public:
    ProcRef(Engine::Impl& impl, Function* fn, std::shared_ptr<Unit> keep)
        : impl_(impl.self_), fn_(fn), keep_(std::move(keep)) {}
    std::string type_name() const override { return "Object"; }
    int find_member(std::string_view name) override { return name.empty() ? 0 : kNoMember; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;

private:
    EngineRef impl_;
    Function* fn_;
    std::shared_ptr<Unit> keep_;
};

// Indexes an array value (args are the subscripts); raises 9 out of range.
Value& array_element(ArrayRep& arr, const Value* const* subs, uint32_t n);
// Replaces each object among subs[0..n) (ByRef references followed) by its default value as
// a Long. Done before an array is looked at: the default member is script, which may change
// or free the array.
void settle_subscript(Value& sub); // one object subscript
inline void settle_subscripts(Value* subs, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
        if (subs[i].deref().tag() == Tag::Object) settle_subscript(subs[i]);
}
// Makes `v` hold an array not shared with any other value, copying it if needed.
ArrayRep& unshare_array(Value& v);

} // namespace vbs
