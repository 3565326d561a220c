#pragma once
// The script engine as a run uses it: every call is handed on unchanged, and a call that ends
// with "Script timed out" or "Script interrupted" raises the run's stop flag. A time-out is a
// runaway, not an ordinary error of its line: the walk stops there and the run ends, where
// an ordinary error would let the walk go on with the next line.

#include <atomic>
#include <memory>

#include "execution/run_engine_vbs.h"

namespace mondrel {

class runaway_guard final : public script_engine {
public:
    // `stop` is the run's interrupt flag, raised (never lowered) by a runaway call.
    runaway_guard(std::unique_ptr<script_engine> inner, std::atomic<bool>& stop)
        : inner_(std::move(inner)), stop_(stop) {}

    // A call has timed out since the last clear().
    bool timed_out() const { return timed_out_; }
    void clear() { timed_out_ = false; }

    void reset() override { inner_->reset(); }
    void add_object(std::string_view name, vbs::Ptr<vbs::Object> object) override {
        inner_->add_object(name, std::move(object));
    }
    vbs::ExecResult execute_statement(std::string_view text) override {
        return seen(inner_->execute_statement(text));
    }
    vbs::EvalResult eval(std::string_view expression) override {
        return seen(inner_->eval(expression));
    }
    vbs::ExecResult execute_prepared(vbs::Prepared& code) override {
        return seen(inner_->execute_prepared(code));
    }
    vbs::EvalResult eval_prepared(vbs::Prepared& code) override {
        return seen(inner_->eval_prepared(code));
    }
    bool execute_joined(vbs::JoinedTexts& texts, size_t from, vbs::JoinedRun& run) override {
        const bool joined = inner_->execute_joined(texts, from, run);
        if (joined) note(run.result.error.number);
        return joined;
    }
    int global_slot(std::string_view name) override { return inner_->global_slot(name); }
    const vbs::Value* global_variable(int slot) override { return inner_->global_variable(slot); }
    void interrupt() override { inner_->interrupt(); }
    void time_out() override { inner_->time_out(); }
    void set_time_limit(std::chrono::milliseconds limit) override { inner_->set_time_limit(limit); }

private:
    template <class Result> Result seen(Result r) {
        note(r.error.number);
        return r;
    }
    void note(int32_t number);

    std::unique_ptr<script_engine> inner_;
    std::atomic<bool>& stop_;
    bool timed_out_ = false;
};

} // namespace mondrel
