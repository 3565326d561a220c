// The host boundary: one Engine per document.
//
//     vbs::Engine engine;
//     engine.add_object("MR", host_object);
//     auto r = engine.execute_statement("Dim x\r\nx = 6 * 7\r\nMR.dspx 0, x");
//     if (!r.ok()) line.error_text = r.error.description;
//     vbs::EvalResult v = engine.eval("x + 1");
//
// execute_statement runs one or more statements (separated by CR LF, LF or ':') in the one
// global scope of the engine: a variable, procedure or class made in one call stays until
// reset(). Procedures and classes of a text are defined before its first statement runs.
// A compile error fails the whole text before any of it runs. Texts are compiled once: the
// engine keeps the compiled form of every text it has seen (keyed by the text) until reset.
//
// All calls are made on one thread; only interrupt() and time_out() may be called from another
// thread.
// Failures never throw out of the Engine: they come back in the result. Values the engine hands
// out (an eval result holding an object or array) must be released before the engine is
// destroyed: a script object may run its Class_Terminate in the engine when let go.
#pragma once

#include "vbscript/host_ui.h"
#include "vbscript/object.h"
#include "vbscript/variant.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vbs {

struct Unit;
struct Function;

// A failure of a call: VBScript's error number and description (the text the program stores
// on the line), the Err.Source text, and the position in the text (1-based; 0 when unknown).
struct ScriptError {
    int32_t number = 0;
    std::string description;
    std::string source;
    int line = 0;
    int column = 0;
    bool compile = false; // a syntax error: nothing of the text ran
};

struct ExecResult {
    ScriptError error;
    bool ok() const { return error.number == 0; }
};

struct EvalResult {
    Value value;
    ScriptError error;
    bool ok() const { return error.number == 0; }
};

// A text the caller runs again and again (a line of a sheet): it keeps the compiled form, so a
// call neither hashes nor looks up the text. It stays good across reset(); when an engine must
// drop its compiled code (a script redefined a built-in name) or another engine runs it, the
// next call compiles the text again. A text with a syntax error fails on every call. A prepared
// text must stay in place, unchanged, while it runs (the engine runs its code from there).
class Prepared {
public:
    Prepared() = default;
    Prepared(std::string text, bool expression) : text_(std::move(text)), expression_(expression) {}
    const std::string& text() const { return text_; }
    bool expression() const { return expression_; }

private:
    friend class Engine;
    std::string text_;
    bool expression_ = false;
    std::shared_ptr<Unit> unit_;
    Function* plain_main_ = nullptr; // the unit's main code when it defines no names
    uint64_t engine_ = 0;            // serial number of the engine the unit was compiled for
    uint64_t generation_ = 0;        // that engine's code generation then
};

// Texts a caller runs one after another, again and again, in one call (the plain lines of a
// sheet): joined, they cost one call instead of one each. Each text keeps what it would do in a
// call of its own: a failure ends the call and names the text it happened in, a call may start
// at any text (so the caller can go on after a failure), and each text has the time limit of a
// call of its own. Texts that would behave differently joined are refused (see
// Engine::execute); the caller then runs them one by one.
// A skip_unless test of joined texts.
struct PartSkip {
    size_t part;      // the text after which the test is made
    std::string name; // the variable tested
    size_t to;        // where False goes on
};

// How a call of joined texts ended.
struct JoinedRun {
    ExecResult result;
    // The text that failed; or, after success, the text after which a skip_unless test ended
    // the call; size() when the call ran to the end.
    size_t at = 0;
    size_t begun = 0; // texts that began to run (skipped texts did not)
};

class JoinedTexts {
public:
    JoinedTexts() = default;
    explicit JoinedTexts(const std::vector<std::string_view>& texts);
    size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    // After text `part` the call looks at the script-level variable `name`: False goes on at
    // text `skip_to` (the texts between do not run), True goes on with the next text, and any
    // other value (or no such variable) ends the call there, for the caller to decide. Set
    // before the texts first run; `part` < `skip_to` <= size().
    void skip_unless(size_t part, std::string_view name, size_t skip_to);
    // The i-th text as it was given.
    std::string_view text(size_t i) const {
        return std::string_view(text_).substr(starts_[i], ends_[i] - starts_[i]);
    }

private:
    friend class Engine;
    std::string text_;             // the texts, each ending in a line break
    std::vector<uint32_t> starts_; // where each text begins in text_, then text_'s size
    std::vector<uint32_t> ends_;   // where each text as given ends
    std::vector<int> lines_;       // the first line of each text (1-based)
    std::vector<PartSkip> skips_;
    std::shared_ptr<Unit> unit_;
    uint64_t engine_ = 0, generation_ = 0;
    bool refused_ = false;
};

class Engine {
public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Discards every variable, procedure, class and host object, and the Err state. Settings
    // (time limit, host UI) stay. Number and date text follow the process's current locale
    // (locale.h).
    void reset();

    // Makes `object` reachable from script as the global name `name` (case-insensitive).
    void add_object(std::string_view name, Ptr<Object> object);

    // Runs statements in the global scope. See the file comment.
    ExecResult execute_statement(std::string_view text);

    // Evaluates one expression in the global scope; `=` compares.
    EvalResult eval(std::string_view expression);

    // The same for a prepared text: statements or an expression, as it was made.
    ExecResult execute(Prepared& code);
    EvalResult eval(Prepared& code);

    // Runs texts [from, size()) of `texts` in one call. Returns false, running nothing, when the
    // texts cannot be joined: one holds On Error, Option Explicit, Execute, a procedure or class
    // or a declaration of a built-in name; one leaves a block open for the next to close, or is
    // empty; a skip_unless names no variable; or the joined text has a syntax error. (The answer
    // stays with `texts`.) Otherwise returns true and tells in `run` how the call ended.
    bool execute(JoinedTexts& texts, size_t from, JoinedRun& run);
    // The text of JoinedTexts that runs now (for a host object called from it).
    size_t running_part() const;

    // Direct reads of script-level variables, for a host that needs a few values after every
    // call: the slot of `name` (found or made; it stays that name's for the engine's life; -1
    // for the name of a built-in function or constant), and the variable there, or nullptr
    // when that name is not a variable now.
    int global_slot(std::string_view name);
    const Value* global_variable(int slot) const;

    // The dialogs for MsgBox/InputBox; nullptr restores the console default. Not owned.
    void set_host_ui(HostUI* ui);

    // Time limit of one execute_statement/eval call (default 10 s; zero: none). When it runs
    // out the call fails with "Script timed out"; the engine stays usable.
    void set_time_limit(std::chrono::milliseconds limit);

    // Asks the running call to stop with "Script interrupted". Safe from any thread; the flag
    // is cleared when the next call starts.
    void interrupt();
    // The same, but the call fails as if its time limit had run out ("Script timed out"): for
    // a host that keeps a limit of its own over many calls.
    void time_out();

    // How many compiled texts the cache keeps (default 100,000); when it is full it starts
    // over. Code in use stays alive regardless.
    void set_cache_limit(size_t units);

    // How many texts the engine has compiled since it was made (cached texts are not
    // compiled again, also not after reset()).
    size_t compile_count() const;

    // Token and bytecode listings of a text, for mondrel-vbs --dump-tokens / --dump-code.
    // A compile error is reported inside the listing.
    static std::string dump_tokens(std::string_view text);
    std::string dump_code(std::string_view text);

    // Internal state (compiler, virtual machine, globals); defined in engine_impl.h.
    struct Impl;
    Impl& impl() { return *impl_; }

private:
    // The unit of a prepared text, compiled again when it belongs to older or other code;
    // false with `error` set on a syntax error.
    bool compiled(Prepared& code, ScriptError& error);

    std::unique_ptr<Impl> impl_;
};

} // namespace vbs
