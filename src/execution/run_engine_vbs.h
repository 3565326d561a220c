#pragma once
// The script engine as the run engine sees it: the four calls a run makes (reset, add the host
// object, execute statements, evaluate an expression) plus the two ways out of a runaway call.
// A text the walk runs on every run (a line's script, its value report) goes in prepared form,
// which the real engine keeps compiled; an engine that has no use for that runs the text.
// One instance per document. make_vbs_engine() gives the real one; tests may give their own.

#include <chrono>
#include <memory>
#include <string_view>

#include "vbscript/engine.h"
#include "vbscript/object.h"

namespace mondrel {

class script_engine {
public:
    virtual ~script_engine() = default;
    // Discards every variable and host object of the previous run.
    virtual void reset() = 0;
    virtual void add_object(std::string_view name, vbs::Ptr<vbs::Object> object) = 0;
    virtual vbs::ExecResult execute_statement(std::string_view text) = 0;
    virtual vbs::EvalResult eval(std::string_view expression) = 0;
    virtual vbs::ExecResult execute_prepared(vbs::Prepared& code) {
        return execute_statement(code.text());
    }
    virtual vbs::EvalResult eval_prepared(vbs::Prepared& code) { return eval(code.text()); }
    // Runs texts [from, size()) in one call (see vbs::Engine::execute for JoinedTexts); false
    // when the engine does not join them, and the caller runs them one by one.
    virtual bool execute_joined(vbs::JoinedTexts&, size_t /*from*/, vbs::JoinedRun&) {
        return false;
    }
    // Direct reads of script-level variables (see vbs::Engine::global_slot): -1 when the
    // engine offers none; nullptr when the name is not a variable now.
    virtual int global_slot(std::string_view /*name*/) { return -1; }
    virtual const vbs::Value* global_variable(int /*slot*/) { return nullptr; }
    // Ends the call in progress with an error; safe from another thread.
    virtual void interrupt() = 0;
    // The same with the error of a call that ran out of time.
    virtual void time_out() { interrupt(); }
    // The longest a single call may run before it fails (zero: no limit).
    virtual void set_time_limit(std::chrono::milliseconds limit) = 0;
};

// The project's own VBScript engine behind the interface above.
std::unique_ptr<script_engine> make_vbs_engine();

} // namespace mondrel
