// libFuzzer target: arbitrary text through the VBScript lexer, parser, compiler and virtual
// machine, as a statement text and as an expression, then a reset.
//
// An input that starts with the byte 0x01 is instead the body of a Class_Terminate: a fixed
// script puts instances of that class into every kind of container (variables, array
// elements, fixed arrays, a Dictionary, object fields) and then changes each container in
// every way that lets an instance go, so the handler runs while the container is changed.
// The handler may do anything to the same containers (`a`, `f`, `d`, `o`, `v`).
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

// The containers, made again before each operation so that every one lets an instance go.
constexpr const char* kTerminateDriver = R"(
Class Holder
    Public f
End Class
Sub Fill
    a = Array(New T, New T, 1)
    ReDim g(2): Set g(0) = New T: Set g(2) = New T
    Set f(1) = New T
    Set d = CreateObject("Scripting.Dictionary")
    d.Add "a", New T: d.Add "b", New T: d.Add New T, "c"
    Set o = New Holder: Set o.f = New T
    Set v = New T
End Sub
On Error Resume Next
Fill: a(0) = "x": g(0) = "x": f(1) = "x": o.f = "x": v = "x"
Fill: Set a(1) = Nothing: Set v = Nothing: Set o = Nothing
Fill: Erase a: Erase f: Erase g
Fill: ReDim a(1): ReDim Preserve g(0)
Fill: d.Remove "a": d("b") = 1: d.Key(d.Keys()(2)) = "k"
Fill: d.RemoveAll
Fill: a = Empty: g = Empty: d = Empty
Fill
)";

// Runs the driver with `body` as the handler of class T; the containers are left full for the
// reset that follows.
void run_terminate_case(vbs::Engine& engine, std::string_view body) {
    std::string text = "Dim a, d, f(3), g, o, v\r\nClass T\r\nPrivate Sub Class_Terminate\r\n";
    text.append(body);
    text += "\r\nEnd Sub\r\nEnd Class\r\n";
    if (engine.execute_statement(text).ok()) engine.execute_statement(kTerminateDriver);
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
    if (size > 0 && data[0] == 0x01) {
        run_terminate_case(*engine, text.substr(1));
        engine->reset();
        return 0;
    }
    engine->execute_statement(text);
    engine->eval(text);
    engine->reset();
    return 0;
}
