#pragma once
// Support for the run engine tests: a small stand-in script engine that understands just the
// texts the line maker writes (Dim, assignment, MR calls, arithmetic, comparison, Array,
// UBound, indexing), so the walk can be tested on its own; and a helper that builds a sheet
// from lines given with their nesting depth.

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "document/mondrel_doc.h"
#include "execution/debugging.h"
#include "execution/globals.h"
#include "execution/incl_dir_cmd.h"
#include "execution/make_line.h"
#include "execution/run_engine.h"
#include "execution/run_engine_vbs.h"
#include "vbscript/builtins.h"
#include "vbscript/convert.h"
#include "vbscript/error.h"

namespace mondrel::test {

// Host objects get a Context they never use.
class null_context final : public vbs::Context {
public:
    const vbs::locale_info& locale() override { throw std::logic_error("no locale"); }
    vbs::HostUI& ui() override { throw std::logic_error("no ui"); }
    vbs::Engine& engine() override { throw std::logic_error("no engine"); }
    uint32_t& rnd_seed() override { return seed_; }
    vbs::Value eval(std::string_view) override { throw std::logic_error("no eval"); }
    vbs::Value call_value(const vbs::Value&, vbs::ArgList) override {
        throw std::logic_error("no call");
    }

private:
    uint32_t seed_ = 0;
};

class fake_engine final : public script_engine {
public:
    int calls = 0; // execute_statement and eval calls since construction

    void reset() override {
        vars_.clear();
        objects_.clear();
    }
    void add_object(std::string_view name, vbs::Ptr<vbs::Object> object) override {
        objects_[vbs::to_lower_ascii(name)] = std::move(object);
    }
    vbs::ExecResult execute_statement(std::string_view text) override {
        ++calls;
        vbs::ExecResult r;
        try {
            size_t pos = 0;
            while (pos < text.size()) {
                size_t end = text.find('\n', pos);
                if (end == std::string_view::npos) end = text.size();
                std::string_view stmt = text.substr(pos, end - pos);
                if (!stmt.empty() && stmt.back() == '\r') stmt.remove_suffix(1);
                statement(stmt);
                pos = end + 1;
            }
        } catch (const vbs::ScriptException& e) {
            r.error.number = e.number;
            r.error.description = e.description;
        }
        return r;
    }
    vbs::EvalResult eval(std::string_view expression) override {
        ++calls;
        vbs::EvalResult r;
        try {
            src_ = expression;
            at_ = 0;
            r.value = comparison();
            skip();
            if (at_ != src_.size()) vbs::raise_error(1002, "Syntax error");
        } catch (const vbs::ScriptException& e) {
            r.error.number = e.number;
            r.error.description = e.description;
        }
        return r;
    }
    void interrupt() override {}
    void set_time_limit(std::chrono::milliseconds) override {}

    vbs::Value var(const std::string& name) { return vars_[vbs::to_lower_ascii(name)]; }

private:
    std::map<std::string, vbs::Value> vars_;
    std::map<std::string, vbs::Ptr<vbs::Object>> objects_;
    std::string_view src_;
    size_t at_ = 0;

    void statement(std::string_view s) {
        src_ = s;
        at_ = 0;
        skip();
        if (at_ == src_.size()) return;
        std::string word = name();
        if (vbs::iequals(word, "dim")) {
            std::string v = vbs::to_lower_ascii(name());
            vars_.try_emplace(v);
            return;
        }
        if (vbs::iequals(word, "rem")) return;
        skip();
        if (at_ < src_.size() && src_[at_] == '.') {
            ++at_;
            call_member(word, name());
            return;
        }
        if (at_ < src_.size() && src_[at_] == '=') {
            ++at_;
            vbs::Value v = comparison();
            vars_[vbs::to_lower_ascii(word)] = v;
            return;
        }
        vbs::raise_error(1002, "Syntax error");
    }

    void call_member(const std::string& object, const std::string& member) {
        auto found = objects_.find(vbs::to_lower_ascii(object));
        if (found == objects_.end()) vbs::raise_error(424);
        std::vector<vbs::Value> temps;
        std::vector<vbs::Value*> slots;
        temps.reserve(16);
        while (true) {
            skip();
            if (at_ >= src_.size()) break;
            if (src_[at_] == ',') { // an omitted argument
                temps.push_back(vbs::Value::missing());
                slots.push_back(&temps.back());
                ++at_;
                continue;
            }
            // A plain variable is passed by reference, anything else by value.
            size_t start = at_;
            std::string plain = std::isalpha(static_cast<unsigned char>(src_[at_])) ? name() : "";
            skip();
            if (!plain.empty() && (at_ >= src_.size() || src_[at_] == ',')) {
                slots.push_back(&vars_[vbs::to_lower_ascii(plain)]);
            } else {
                at_ = start;
                temps.push_back(comparison());
                slots.push_back(&temps.back());
            }
            skip();
            if (at_ < src_.size() && src_[at_] == ',') ++at_;
        }
        vbs::CallArgs args(slots.data(), static_cast<uint32_t>(slots.size()));
        vbs::Value result;
        null_context ctx;
        const int id = found->second->find_member(member);
        if (id == vbs::kNoMember) vbs::raise_error(438);
        found->second->invoke(id, vbs::CallKind::Call, args, result, ctx);
    }

    void skip() {
        while (at_ < src_.size() && (src_[at_] == ' ' || src_[at_] == '\t'))
            ++at_;
    }
    bool take(std::string_view op) {
        skip();
        if (src_.substr(at_, op.size()) != op) return false;
        at_ += op.size();
        return true;
    }
    std::string name() {
        skip();
        size_t start = at_;
        while (at_ < src_.size() &&
               (std::isalnum(static_cast<unsigned char>(src_[at_])) || src_[at_] == '_'))
            ++at_;
        if (start == at_) vbs::raise_error(1002, "Syntax error");
        return std::string(src_.substr(start, at_ - start));
    }

    static vbs::Value number(double d) {
        if (d == static_cast<int32_t>(d)) return vbs::Value::long_(static_cast<int32_t>(d));
        return vbs::Value::dbl(d);
    }

    // comparison -> sum [("="|"<>"|"<="|">="|"<"|">") sum]
    vbs::Value comparison() {
        vbs::Value a = sum();
        for (std::string_view op : {"<>", "<=", ">=", "=", "<", ">"}) {
            if (!take(op)) continue;
            vbs::Value b = sum();
            int c;
            if (a.is_string() && b.is_string())
                c = a.str().compare(b.str());
            else {
                const double x = vbs::to_double(a), y = vbs::to_double(b);
                c = x < y ? -1 : x > y ? 1 : 0;
            }
            bool r = op == "="    ? c == 0
                     : op == "<>" ? c != 0
                     : op == "<=" ? c <= 0
                     : op == ">=" ? c >= 0
                     : op == "<"  ? c < 0
                                  : c > 0;
            return vbs::Value::boolean(r);
        }
        return a;
    }
    // sum -> product {("+"|"-"|"&") product}
    vbs::Value sum() {
        vbs::Value a = product();
        for (;;) {
            if (take("+")) {
                vbs::Value b = product();
                if (a.is_string() && b.is_string())
                    a = vbs::Value::string(std::string(a.str()) + std::string(b.str()));
                else
                    a = number(vbs::to_double(a) + vbs::to_double(b));
            } else if (take("-")) {
                a = number(vbs::to_double(a) - vbs::to_double(product()));
            } else if (take("&")) {
                a = vbs::Value::string(vbs::to_string(a) + vbs::to_string(product()));
            } else {
                return a;
            }
        }
    }
    // product -> unary {("*"|"/") unary}
    vbs::Value product() {
        vbs::Value a = unary();
        for (;;) {
            if (take("*")) {
                a = number(vbs::to_double(a) * vbs::to_double(unary()));
            } else if (take("/")) {
                const double d = vbs::to_double(unary());
                if (d == 0) vbs::raise_error(vbs::kErrDivByZero);
                a = number(vbs::to_double(a) / d);
            } else {
                return a;
            }
        }
    }
    // unary -> "-" unary | postfix
    vbs::Value unary() {
        if (take("-")) return number(-vbs::to_double(unary()));
        return postfix();
    }
    std::vector<vbs::Value> arguments() {
        std::vector<vbs::Value> args;
        if (take(")")) return args;
        do {
            skip();
            if (at_ < src_.size() && (src_[at_] == ',' || src_[at_] == ')'))
                args.push_back(vbs::Value::null());
            else
                args.push_back(comparison());
        } while (take(","));
        if (!take(")")) vbs::raise_error(1002, "Syntax error");
        return args;
    }
    static vbs::Value index(const vbs::Value& a, const std::vector<vbs::Value>& args) {
        if (!a.is_array() || args.size() != 1) vbs::raise_error(vbs::kErrTypeMismatch);
        const int32_t k = vbs::to_long(args[0]);
        if (k < 0 || k >= static_cast<int32_t>(a.arr()->data.size()))
            vbs::raise_error(vbs::kErrSubscript);
        return a.arr()->data[k];
    }
    // postfix -> primary {"(" args ")"}
    vbs::Value postfix() {
        vbs::Value v = primary();
        while (take("("))
            v = index(v, arguments());
        return v;
    }
    // primary -> number | string | "(" comparison ")" | name ["(" args ")"]
    vbs::Value primary() {
        skip();
        if (at_ >= src_.size()) vbs::raise_error(1002, "Syntax error");
        const char c = src_[at_];
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            size_t used = 0;
            const double d = std::stod(std::string(src_.substr(at_)), &used);
            at_ += used;
            return number(d);
        }
        if (c == '"') {
            std::string text;
            for (++at_;; ++at_) {
                if (at_ >= src_.size()) vbs::raise_error(1033, "Unterminated string constant");
                if (src_[at_] == '"') {
                    if (at_ + 1 < src_.size() && src_[at_ + 1] == '"') {
                        text += '"';
                        ++at_;
                        continue;
                    }
                    ++at_;
                    break;
                }
                text += src_[at_];
            }
            return vbs::Value::string(text);
        }
        if (take("(")) {
            vbs::Value v = comparison();
            if (!take(")")) vbs::raise_error(1002, "Syntax error");
            return v;
        }
        const std::string n = vbs::to_lower_ascii(name());
        if (n == "true") return vbs::Value::boolean(true);
        if (n == "false") return vbs::Value::boolean(false);
        if (n == "null") return vbs::Value::null();
        if (take("(")) {
            std::vector<vbs::Value> args = arguments();
            if (n == "array") return vbs::Value::array(vbs::ArrayRep::make_vector(std::move(args)));
            if (n == "ubound") {
                if (args.size() != 1 || !args[0].is_array()) vbs::raise_error(13);
                return vbs::Value::long_(static_cast<int32_t>(args[0].arr()->data.size()) - 1);
            }
            auto found = vars_.find(n);
            if (found == vars_.end()) vbs::raise_error(vbs::kErrTypeMismatch);
            return index(found->second, args);
        }
        return vars_[n];
    }
};

// A sheet line for the helpers below: its nesting depth (0 for a top-level line), code word,
// name and code.
struct sheet_line {
    int depth;
    int32_t word;
    std::string name;
    std::string code;
};

// Replaces the lines of `doc` by these, each made by make_line; counts follow the depths.
inline void fill_sheet(mondrel_doc& doc, const std::vector<sheet_line>& lines) {
    doc.clear();
    std::vector<int32_t> counts(lines.size(), 1);
    std::vector<int> open; // index of the head at each depth
    for (size_t k = 0; k < lines.size(); ++k) {
        open.resize(static_cast<size_t>(lines[k].depth));
        if (lines[k].depth > 0) ++counts[open.back()];
        open.push_back(static_cast<int>(k));
    }
    for (size_t k = 0; k < lines.size(); ++k) {
        line_ptr l = make_line(doc, counts[k], lines[k].word, lines[k].name, lines[k].code);
        doc.insert_line(doc.line_count(), std::move(l));
    }
    doc.structure_changed();
}

// A sheet of these lines with a run engine over it: the stand-in engine unless another is given.
struct sheet_fixture {
    mondrel_doc doc;
    global_list globals;
    std::unique_ptr<run_engine> run;
    explicit sheet_fixture(const std::vector<sheet_line>& lines,
                           std::unique_ptr<script_engine> engine = nullptr) {
        fill_sheet(doc, lines);
        if (!engine) engine = std::make_unique<fake_engine>();
        run = std::make_unique<run_engine>(doc, std::move(engine), globals);
    }
};

// Value 0 of line i as a number (Empty when the line has no value).
inline double value0(mondrel_doc& doc, int i) {
    const line_results& r = doc.line(i).results;
    if (r.count < 1) return -1e300;
    return vbs::to_double(r.values[0]);
}

// Sets a process-wide setting for one scope and puts the old value back however the scope is
// left, so a failed assertion cannot hand a changed setting to the tests after it.
template <class Get, class Set>
class setting_scope {
public:
    template <class V>
    setting_scope(Get get, Set set, V value) : set_(set), saved_(get()) {
        set_(value);
    }
    ~setting_scope() { set_(saved_); }
    setting_scope(const setting_scope&) = delete;
    setting_scope& operator=(const setting_scope&) = delete;

private:
    Set set_;
    std::decay_t<std::invoke_result_t<Get>> saved_;
};

inline auto loop_limit_scope(int32_t limit) {
    return setting_scope(max_loop_count, set_max_loop_count, limit);
}
inline auto time_limit_scope(std::chrono::milliseconds limit) {
    return setting_scope(script_time_limit, set_script_time_limit, limit);
}
inline auto incl_dir_scope(std::string folder) {
    return setting_scope(def_incl_dir, set_def_incl_dir, std::move(folder));
}

} // namespace mondrel::test
