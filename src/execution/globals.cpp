#include "execution/globals.h"

#include "execution/run_engine_vbs.h"
#include "platform/diagnostic_log.h"

namespace mondrel {

namespace {
bool is_ascii_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool is_name_char(char c) {
    return is_ascii_letter(c) || (c >= '0' && c <= '9') || c == '_';
}
} // namespace

bool is_valid_global_name(std::string_view name) {
    if (name.empty() || name.size() > 254 || !is_ascii_letter(name[0])) return false;
    for (char c : name)
        if (!is_name_char(c)) return false;
    return true;
}

int global_list::find(std::string_view name) const {
    for (int i = 0; i < size(); ++i)
        if (vbs::iequals(entries_[i].name, name)) return i;
    return -1;
}

bool global_list::add(std::string_view name) {
    if (!is_valid_global_name(name) || find(name) >= 0) return false;
    entries_.push_back({std::string(name), vbs::Value::integer(0)});
    return true;
}

void global_list::remove(int i) {
    if (i >= 0 && i < size()) entries_.erase(entries_.begin() + i);
}

void global_list::set_names(const std::vector<std::string>& names) {
    entries_.clear();
    for (const std::string& n : names)
        add(n);
}

global_list& process_globals() {
    static global_list list;
    return list;
}

void set_globals(script_engine& engine, const global_list& globals) {
    for (int i = 0; i < globals.size(); ++i) {
        const std::string& name = globals.name(i);
        if (!is_valid_global_name(name)) {
            log_write("ERROR in mondrel_doc.set_globals: invalid name");
            continue;
        }
        const std::string text =
            "Dim " + name + "\r\nMR.glob " + std::to_string(i) + "," + name + "\r\n";
        vbs::ExecResult r = engine.execute_statement(text);
        if (!r.ok()) log_write("ERROR in mondrel_doc.set_globals: " + r.error.description);
    }
}

void get_globals(script_engine& engine, global_list& globals) {
    for (int i = 0; i < globals.size(); ++i) {
        if (!is_valid_global_name(globals.name(i))) continue;
        vbs::EvalResult r = engine.eval(globals.name(i));
        if (r.ok())
            globals.set_value(i, std::move(r.value));
        else
            log_write("ERROR in mondrel_doc.get_globals: " + r.error.description);
    }
}

} // namespace mondrel
