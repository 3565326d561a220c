// Time limits that hold however the time is spent: in slow steps of a loop, inside one long
// library call, inside a Class_Terminate handler; and library results held to the engine's
// string limit as they grow. Limits are short (300 ms) and the bounds generous (3 s), so a
// loaded machine cannot fail them, while the faults they catch took tens of seconds.
#include "vbscript/convert.h"
#include "vbscript/engine.h"
#include "vbscript/error.h"
#include "vbscript/host_ui.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace vbs;
using clock_type = std::chrono::steady_clock;

constexpr auto kLimit = std::chrono::milliseconds(300);
constexpr auto kBound = std::chrono::seconds(3);

std::string outcome(const ExecResult& r) {
    return r.ok() ? "" : std::to_string(r.error.number) + " " + r.error.description;
}

const std::string timed_out = std::to_string(kErrTimeout) + " Script timed out";

struct TimedRun {
    std::string result;
    clock_type::duration took;
};

TimedRun timed(Engine& engine, std::string_view text) {
    const auto start = clock_type::now();
    ExecResult r = engine.execute_statement(text);
    return {outcome(r), clock_type::now() - start};
}

// Each case runs past the limit in a different way; each must end with the time-out, soon.
TEST(TimeLimits, RunawayCallsEndNearTheLimit) {
    struct Case {
        const char* name;
        const char* script;
    };
    const Case cases[] = {
        {"quick steps", "Do : Loop"},
        {"slow steps", "Do : s = Space(2000000) : Loop"},
        {"slow steps under Resume Next",
         "On Error Resume Next\r\nDo : s = String(1000000, \"ab\") : Loop"},
        {"endless Class_Terminate",
         "Class T\r\nSub Class_Terminate : Do : Loop : End Sub\r\nEnd Class\r\n"
         "Set o = New T\r\nSet o = Nothing"},
    };
    for (const Case& c : cases) {
        Engine engine;
        engine.set_time_limit(kLimit);
        TimedRun r = timed(engine, c.script);
        EXPECT_EQ(r.result, timed_out) << c.name;
        EXPECT_LT(r.took, kBound) << c.name;
        // The engine is usable afterwards, with a fresh limit for the next call.
        EXPECT_EQ(outcome(engine.execute_statement("x = 1")), "") << c.name;
    }
}

// A handler that runs out of time may not let the code that released its object go on as if
// nothing happened: the releasing call fails, even when nothing after the release checks.
TEST(TimeLimits, TimeOutInTerminateFailsTheReleasingCall) {
    Engine engine;
    engine.set_time_limit(kLimit);
    ASSERT_EQ(outcome(engine.execute_statement(
                  "Class T\r\nSub Class_Terminate : Do : Loop : End Sub\r\nEnd Class\r\n"
                  "Set o = New T")),
              "");
    EXPECT_EQ(outcome(engine.execute_statement("Set o = Nothing")), timed_out);
    // A loop after the release in the same call stops at its first check.
    ASSERT_EQ(outcome(engine.execute_statement("Set o = New T")), "");
    TimedRun r = timed(engine, "Set o = Nothing\r\nn = 0\r\nDo : n = n + 1 : Loop");
    EXPECT_EQ(r.result, timed_out);
    EXPECT_LT(r.took, kBound);
}

// Letting go of every value (reset, or the engine going away) runs the Class_Terminate
// handlers of all objects under one time limit, not one limit each: 30 endless handlers used
// to hold a reset for 30 limits.
TEST(TimeLimits, ResetRunsAllTerminateHandlersUnderOneLimit) {
    const char* script = "Class T\r\nSub Class_Terminate : Do : Loop : End Sub\r\nEnd Class\r\n"
                         "Dim keep(29) : For i = 0 To 29 : Set keep(i) = New T : Next";
    auto engine = std::make_unique<Engine>();
    engine->set_time_limit(kLimit);
    ASSERT_EQ(outcome(engine->execute_statement(script)), "");
    auto start = clock_type::now();
    engine->reset();
    EXPECT_LT(clock_type::now() - start, kBound);
    EXPECT_EQ(outcome(engine->execute_statement("x = 1")), "");
    ASSERT_EQ(outcome(engine->execute_statement(script)), "");
    start = clock_type::now();
    engine.reset(); // the destructor lets go of them
    EXPECT_LT(clock_type::now() - start, kBound);
}

// A dialog that waits for the user does not use up the call's time limit: the limit starts
// again when it closes.
TEST(TimeLimits, WaitingForTheUserDoesNotCount) {
    class SlowUser final : public HostUI {
    public:
        int msg_box(const std::string&, int, const std::string&) override {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            return 1;
        }
        bool input_box(const std::string&, const std::string&, const std::string& initial,
                       std::string& answer) override {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            answer = initial;
            return true;
        }
    } user;
    Engine engine;
    engine.set_host_ui(&user);
    engine.set_time_limit(kLimit);
    EXPECT_EQ(
        outcome(engine.execute_statement("a = MsgBox(\"one\") : b = InputBox(\"two\", , \"x\")\r\n"
                                         "For i = 1 To 1000 : n = n + i : Next")),
        "");
    EXPECT_EQ(to_string(engine.eval("a & b & n").value), "1x500500");
    // The limit still holds after the dialog.
    EXPECT_EQ(outcome(engine.execute_statement("a = MsgBox(\"three\") : Do : Loop")), timed_out);
}

// Each match used to check the whole subject's UTF-8 again: a global search over 300,000
// characters took most of a minute.
TEST(TimeLimits, GlobalRegExpOverALongSubjectIsLinear) {
    Engine engine;
    engine.set_time_limit(std::chrono::seconds(20));
    const auto start = clock_type::now();
    ASSERT_EQ(outcome(engine.execute_statement(
                  "Set re = New RegExp : re.Pattern = \".\" : re.Global = True\r\n"
                  "s = String(300000, \"a\") & ChrW(233)\r\n"
                  "n = re.Execute(s).Count : r = Len(re.Replace(s, \"xy\"))")),
              "");
    EXPECT_LT(clock_type::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(to_string(engine.eval("n").value), "300001");
    EXPECT_EQ(to_string(engine.eval("r").value), "600002");
}

// Text read from a file may hold bytes that are not UTF-8. Such a subject is searched in the
// slower form that lets them match nothing; the search stays correct, and a long one still
// ends at the time limit, as it checks between matches.
TEST(TimeLimits, SubjectsWithBadUtf8MatchAroundTheBadBytesAndStopInTime) {
    namespace fs = std::filesystem;
    const fs::path file = fs::temp_directory_path() / "mondrel_time_limits_bad_utf8.txt";
    auto read_back = [&](const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
        return "Set fso = CreateObject(\"Scripting.FileSystemObject\")\r\n"
               "s = fso.OpenTextFile(\"" +
               file.string() +
               "\").ReadAll\r\n"
               "Set re = New RegExp : re.Pattern = \".\" : re.Global = True\r\n";
    };
    Engine engine;
    engine.set_time_limit(kLimit);
    ASSERT_EQ(outcome(engine.execute_statement(read_back("a\xff"
                                                         "b") +
                                               "Set m = re.Execute(s) : n = m.Count\r\n"
                                               "v = m(0).Value & m(1).Value")),
              "");
    EXPECT_EQ(to_string(engine.eval("n").value), "2");
    EXPECT_EQ(to_string(engine.eval("v").value), "ab");

    TimedRun r =
        timed(engine, read_back(std::string(300000, 'a') + "\xff") + "Set m = re.Execute(s)");
    fs::remove(file);
    EXPECT_EQ(r.result, timed_out);
    EXPECT_LT(r.took, kBound);
}

// Results that grow match by match fail with "Out of string space" (or, for Split's pieces,
// "Out of memory") when they pass the engine's longest string or array, not after they have
// taken all memory. ("$`" repeats everything before each match: 30,000 characters would give
// 450 MB. Each case takes a few hundred megabytes before it fails.)
TEST(TimeLimits, GrowingResultsAreHeldToTheLimitsAsTheyGrow) {
    const std::string out_of_string = std::to_string(kErrOutOfString) + " Out of string space";
    const std::string out_of_memory = std::to_string(kErrOutOfMemory) + " Out of memory";
    const struct {
        const char* script;
        const std::string& error;
    } cases[] = {
        {"Set re = New RegExp : re.Pattern = \".\" : re.Global = True\r\n"
         "r = re.Replace(String(30000, \"a\"), \"$`\")",
         out_of_string},
        {"r = Replace(String(30000, \"a\"), \"a\", String(10000, \"b\"))", out_of_string},
        {"r = Split(String(17000000, \",\"), \",\")", out_of_memory},
    };
    for (const auto& c : cases) {
        Engine engine;
        engine.set_time_limit(std::chrono::seconds(60));
        EXPECT_EQ(outcome(engine.execute_statement(c.script)), c.error) << c.script;
        EXPECT_EQ(to_string(engine.eval("IsEmpty(r)").value), "True") << c.script;
    }
}

} // namespace
