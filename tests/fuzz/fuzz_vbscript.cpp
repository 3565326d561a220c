// libFuzzer target: arbitrary text through the VBScript lexer, parser, compiler and virtual
// machine, as a statement text and as an expression, then a reset.
//
// Inputs that could reach objects acting on the machine (CreateObject and GetObject, also when
// spelled through string pieces) are skipped: the file system object must not run on random
// paths. Dialogs are answered silently; each call has a short time limit.
#include "vbscript/engine.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class SilentUI : public vbs::HostUI {
public:
    int msg_box(const std::string&, int, const std::string&) override { return 1; }
    bool input_box(const std::string&, const std::string&, const std::string& def,
                   std::string& answer) override {
        answer = def;
        return true;
    }
};

bool reaches_outside(std::string_view text) {
    std::string letters;
    for (char c : text) {
        if (c >= 'A' && c <= 'Z') letters += char(c + 32);
        if (c >= 'a' && c <= 'z') letters += c;
    }
    auto has = [&](const char* w) { return letters.find(w) != std::string::npos; };
    return has("createobject") || has("getobject") ||
           (has("chr") && (has("execute") || has("eval")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentUI ui;
    static vbs::Engine* engine = [] {
        auto* e = new vbs::Engine;
        e->set_host_ui(&ui);
        e->set_time_limit(std::chrono::milliseconds(200));
        e->set_cache_limit(500); // every input is a new text: keep memory flat
        return e;
    }();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (size > 20000 || reaches_outside(text)) return 0;
    engine->execute_statement(text);
    engine->eval(text);
    engine->reset();
    return 0;
}
