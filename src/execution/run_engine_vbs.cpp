#include "execution/run_engine_vbs.h"

namespace mondrel {

namespace {

class vbs_script_engine final : public script_engine {
public:
    void reset() override { engine_.reset(); }
    void add_object(std::string_view name, vbs::Ptr<vbs::Object> object) override {
        engine_.add_object(name, std::move(object));
    }
    vbs::ExecResult execute_statement(std::string_view text) override {
        return engine_.execute_statement(text);
    }
    vbs::EvalResult eval(std::string_view expression) override { return engine_.eval(expression); }
    vbs::ExecResult execute_prepared(vbs::Prepared& code) override { return engine_.execute(code); }
    vbs::EvalResult eval_prepared(vbs::Prepared& code) override { return engine_.eval(code); }
    bool execute_joined(vbs::JoinedTexts& texts, size_t from, vbs::JoinedRun& run) override {
        return engine_.execute(texts, from, run);
    }
    int global_slot(std::string_view name) override { return engine_.global_slot(name); }
    const vbs::Value* global_variable(int slot) override { return engine_.global_variable(slot); }
    void interrupt() override { engine_.interrupt(); }
    void time_out() override { engine_.time_out(); }
    void set_time_limit(std::chrono::milliseconds limit) override { engine_.set_time_limit(limit); }

private:
    vbs::Engine engine_;
};

} // namespace

std::unique_ptr<script_engine> make_vbs_engine() {
    return std::make_unique<vbs_script_engine>();
}

} // namespace mondrel
