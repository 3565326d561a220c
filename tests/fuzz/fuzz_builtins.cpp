// libFuzzer target: the built-in functions called with random arguments. Each input is read as
// a series of calls: a byte picks the function, a byte the argument count, and every argument
// is either one of a palette of awkward values (Null, Empty, extremes, dates, arrays, Nothing,
// huge counts) or a number or a string taken from the input. The calls run through the engine
// under On Error Resume Next, so an error moves on to the next call and only crashes, leaks,
// hangs and undefined behaviour count as findings.
//
// Functions that act on the machine (CreateObject, GetObject) are not called.
#include "vbscript/engine.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr std::array functions{"Abs",
                               "Array",
                               "Asc",
                               "AscB",
                               "AscW",
                               "Atn",
                               "CBool",
                               "CByte",
                               "CCur",
                               "CDate",
                               "CDbl",
                               "Chr",
                               "ChrB",
                               "ChrW",
                               "CInt",
                               "CLng",
                               "Cos",
                               "CSng",
                               "CStr",
                               "Date",
                               "DateAdd",
                               "DateDiff",
                               "DatePart",
                               "DateSerial",
                               "DateValue",
                               "Day",
                               "Escape",
                               "Eval",
                               "Exp",
                               "Filter",
                               "Fix",
                               "FormatCurrency",
                               "FormatDateTime",
                               "FormatNumber",
                               "FormatPercent",
                               "GetLocale",
                               "Hex",
                               "Hour",
                               "InStr",
                               "InStrRev",
                               "Int",
                               "IsArray",
                               "IsDate",
                               "IsEmpty",
                               "IsNull",
                               "IsNumeric",
                               "IsObject",
                               "Join",
                               "LBound",
                               "LCase",
                               "Left",
                               "Len",
                               "LenB",
                               "Log",
                               "LTrim",
                               "Mid",
                               "Minute",
                               "Month",
                               "MonthName",
                               "MsgBox",
                               "InputBox",
                               "Now",
                               "Oct",
                               "Replace",
                               "RGB",
                               "Right",
                               "Rnd",
                               "Round",
                               "RTrim",
                               "ScriptEngine",
                               "Second",
                               "Sgn",
                               "Sin",
                               "Space",
                               "Split",
                               "Sqr",
                               "StrComp",
                               "String",
                               "StrReverse",
                               "Tan",
                               "Time",
                               "Timer",
                               "TimeSerial",
                               "TimeValue",
                               "Trim",
                               "TypeName",
                               "UBound",
                               "UCase",
                               "Unescape",
                               "VarType",
                               "Weekday",
                               "WeekdayName",
                               "Year",
                               "GetRef",
                               "SetLocale"};

constexpr std::array palette{"Null",
                             "Empty",
                             "Nothing",
                             "0",
                             "-1",
                             "1",
                             "2",
                             "3",
                             "7",
                             "255",
                             "256",
                             "-32768",
                             "32767",
                             "2147483647",
                             "-2147483648",
                             "1E+300",
                             "-1E+300",
                             "1E-300",
                             "0.5",
                             "-2.5",
                             "922337203685477",
                             "CCur(-922337203685477)",
                             "#1/31/2020#",
                             "#12/31/9999#",
                             "#1/1/100#",
                             "#23:59:59#",
                             "\"\"",
                             "\"a\"",
                             "\"abc,def\"",
                             "\"12/31/2020\"",
                             "\"1e5\"",
                             "\"&HFF\"",
                             "\"%u20AC%41\"",
                             "\"\xC3\xA9\xE2\x82\xAC\"",
                             "\"yyyy\"",
                             "\"d\"",
                             "\"ww\"",
                             "Array()",
                             "Array(1,\"b\",Null)",
                             "Array(Array(1,2),3)",
                             "True",
                             "False",
                             "vbTextCompare",
                             "vbBinaryCompare",
                             "-5",
                             "100000",
                             "999999999",
                             "2147483648"};

class SilentUI : public vbs::HostUI {
public:
    int msg_box(const std::string&, int, const std::string&) override { return 1; }
    bool input_box(const std::string&, const std::string&, const std::string& def,
                   std::string& answer) override {
        answer = def;
        return true;
    }
};

// Reads the input from the front; past its end every read gives 0.
struct reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t byte() { return at < size ? data[at++] : 0; }
    bool done() const { return at >= size; }
};

// A string literal of up to 12 input bytes, with quotes doubled so it stays one literal.
std::string string_argument(reader& in) {
    std::string s = "\"";
    const int n = in.byte() % 13;
    for (int k = 0; k < n; ++k) {
        const char c = static_cast<char>(in.byte());
        if (c == '\r' || c == '\n' || c == '\0') continue;
        if (c == '"') s += '"';
        s += c;
    }
    return s + "\"";
}

std::string argument(reader& in) {
    const uint8_t kind = in.byte();
    if (kind < 160) return palette[kind % palette.size()];
    if (kind < 210) return string_argument(in);
    const int32_t n = static_cast<int32_t>(in.byte() | in.byte() << 8 | in.byte() << 16);
    return std::to_string(kind & 1 ? -n : n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentUI ui;
    static vbs::Engine* engine = [] {
        auto* e = new vbs::Engine;
        e->set_host_ui(&ui);
        e->set_time_limit(std::chrono::milliseconds(500));
        e->set_cache_limit(500);
        return e;
    }();
    if (size > 4000) return 0;
    reader in{data, size};
    std::string text = "On Error Resume Next\r\n";
    for (int call = 0; call < 8 && !in.done(); ++call) {
        const char* name = functions[in.byte() % functions.size()];
        const int count = in.byte() % 5;
        text += "x = ";
        text += name;
        text += "(";
        for (int a = 0; a < count; ++a) {
            if (a) text += ", ";
            text += argument(in);
        }
        text += ")\r\ny = CStr(x) & TypeName(x)\r\n";
    }
    engine->execute_statement(text);
    engine->reset();
    return 0;
}
