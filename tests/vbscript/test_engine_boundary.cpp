// The host boundary as the run engine uses it: statements in one global scope, eval, host
// objects with ByRef and optional arguments, errors as results, limits, reset and the cache.
#include "vbscript/builtins.h"
#include "vbscript/convert.h"
#include "vbscript/engine.h"
#include "vbscript/error.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace vbs;

// A host object in the manner of the program's MR: dspx records its arguments, glob writes
// its second argument back, probe reports which arguments were left out, fail raises,
// reenter evaluates script from inside a call.
class FakeHost : public Object {
public:
    std::string type_name() const override { return "FakeHost"; }
    int find_member(std::string_view name) override {
        static const char* const names[] = {"dspx", "glob", "probe", "fail", "reenter", "value"};
        for (int i = 0; i < 6; ++i)
            if (iequals(name, names[i])) return i + 1;
        return name.empty() ? 6 : kNoMember;
    }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override {
        switch (id) {
        case 1: // dspx row, value
            calls.push_back(to_string(args[0]) + ":" + to_string(args[1]));
            return;
        case 2: // glob index, out
            args.ref(1) = Value::string("global" + to_string(args[0]));
            return;
        case 3: {
            std::string s;
            for (uint32_t i = 0; i < 3; ++i)
                s += args.is_missing(i) ? "M" : args[i].is_empty() ? "E" : "V";
            result = Value::string(s);
            return;
        }
        case 4:
            raise_error(kErrIllegalCall, "host refused");
        case 5:
            result = ctx.eval(to_string(args[0]));
            return;
        case 6:
            if (kind == CallKind::Let)
                value = to_long(args.assigned());
            else
                result = Value::long_(value);
            return;
        default:
            raise_error(kErrNoMember);
        }
    }
    std::vector<std::string> calls;
    int32_t value = 0;
};

class EngineBoundary : public ::testing::Test {
protected:
    EngineBoundary() : host(make_object<FakeHost>()) { engine.add_object("MR", host); }
    std::string run(std::string_view text) {
        ExecResult r = engine.execute_statement(text);
        return r.ok() ? "" : std::to_string(r.error.number) + " " + r.error.description;
    }
    std::string value_of(std::string_view expr) {
        EvalResult r = engine.eval(expr);
        if (!r.ok()) return "error " + std::to_string(r.error.number);
        bool plain = !r.value.is_object() && !r.value.is_null();
        return type_name(r.value) + ":" + (plain ? to_string(r.value) : "");
    }
    Engine engine;
    Ptr<FakeHost> host;
};

TEST_F(EngineBoundary, StatementsShareOneGlobalScope) {
    EXPECT_EQ(run("Dim x\r\nx = 6 * 7"), "");
    EXPECT_EQ(run("x = x + 1"), "");
    EXPECT_EQ(value_of("x"), "Integer:43");
    EXPECT_EQ(run("Function Sq(n)\r\nSq = n * n\r\nEnd Function"), "");
    EXPECT_EQ(value_of("Sq(x) - 1"), "Integer:1848");
    EXPECT_EQ(value_of("Sq(x * 10)"), "Long:184900");
    EXPECT_EQ(run("Class Box : Public V : End Class"), "");
    EXPECT_EQ(run("Set b = New Box : b.V = \"in box\""), "");
    EXPECT_EQ(value_of("b.V"), "String:in box");
}

TEST_F(EngineBoundary, EvalComparesWithEquals) {
    EXPECT_EQ(run("a = 3"), "");
    EXPECT_EQ(value_of("a = 3"), "Boolean:True");
    EXPECT_EQ(value_of("Array(1, 2)(1)"), "Integer:2");
    EXPECT_EQ(value_of("Null"), "Null:");
    EXPECT_EQ(value_of("1 +"), "error 1023");
}

TEST_F(EngineBoundary, HostCallsWithoutParenthesesAndByRefWriteBack) {
    EXPECT_EQ(run("Dim x\r\nx = 5\r\nMR.dspx 0, x\r\nMR.dspx 1, x * 2"), "");
    ASSERT_EQ(host->calls.size(), 2u);
    EXPECT_EQ(host->calls[0], "0:5");
    EXPECT_EQ(host->calls[1], "1:10");
    EXPECT_EQ(run("Dim g\r\nMR.glob 3, g"), "");
    EXPECT_EQ(value_of("g"), "String:global3");
    // An expression argument is a temporary: nothing to write back to, and no error.
    EXPECT_EQ(run("MR.glob 4, g & \"\""), "");
    EXPECT_EQ(value_of("g"), "String:global3");
    // The default member and property assignment reach the host too.
    EXPECT_EQ(run("MR.value = 12"), "");
    EXPECT_EQ(value_of("MR + 1"), "Long:13");
}

TEST_F(EngineBoundary, MissingArgumentsAreNotEmpty) {
    EXPECT_EQ(value_of("MR.probe(1, , Empty)"), "String:VME");
    EXPECT_EQ(value_of("MR.probe()"), "String:MMM");
    EXPECT_EQ(value_of("MR.probe(, 2)"), "String:MVM");
}

TEST_F(EngineBoundary, ErrorsComeBackAsResults) {
    ExecResult r = engine.execute_statement("Dim y\r\ny = 1\r\ny = y / 0");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error.number, 11);
    EXPECT_EQ(r.error.description, "Division by zero");
    EXPECT_EQ(r.error.line, 3);
    EXPECT_FALSE(r.error.compile);
    EXPECT_EQ(value_of("y"), "Integer:1");

    r = engine.execute_statement("MR.fail");
    EXPECT_EQ(r.error.number, 5);
    EXPECT_EQ(r.error.description, "host refused");

    // A compile error runs nothing of the text.
    r = engine.execute_statement("y = 100\r\nIf y Then");
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error.compile);
    EXPECT_EQ(r.error.number, 1014);
    EXPECT_EQ(value_of("y"), "Integer:1");

    EXPECT_EQ(run("Option Explicit\r\nundeclared = 1"), "500 Variable is undefined");
    EXPECT_EQ(run("MR.nosuch"), "438 Object doesn't support this property or method");
}

TEST_F(EngineBoundary, HostMayCallBackIntoTheEngine) {
    EXPECT_EQ(run("z = 20"), "");
    EXPECT_EQ(value_of("MR.reenter(\"z + 1\") * 2"), "Integer:42");
}

TEST_F(EngineBoundary, TimeLimitStopsRunawayLoopsAndEngineStaysUsable) {
    engine.set_time_limit(std::chrono::milliseconds(100));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run("Do : Loop"), std::to_string(kErrTimeout) + " Script timed out");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    // Resume Next does not swallow the time limit.
    EXPECT_EQ(run("On Error Resume Next\r\nDo : n = n + 1 : Loop"),
              std::to_string(kErrTimeout) + " Script timed out");
    EXPECT_EQ(run("Function F(n) : F = F(n) : End Function"), "");
    EXPECT_EQ(run("x = 1 : For i = 1 To 10 : x = x * 2 : Next"), "");
    EXPECT_EQ(value_of("x"), "Integer:1024");
}

TEST_F(EngineBoundary, InterruptFromAnotherThread) {
    engine.set_time_limit(std::chrono::milliseconds(0));
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        engine.interrupt();
    });
    std::string r = run("While True : Wend");
    stopper.join();
    EXPECT_EQ(r, std::to_string(kErrInterrupted) + " Script interrupted");
    EXPECT_EQ(run("q = 7"), "");
    EXPECT_EQ(value_of("q"), "Integer:7");
}

TEST_F(EngineBoundary, DeepRecursionIsAnErrorNotACrash) {
    EXPECT_EQ(run("Function R(n) : R = R(n + 1) : End Function\r\nR 0"), "28 Out of stack space");
    EXPECT_EQ(value_of("1 + 1"), "Integer:2");
}

TEST_F(EngineBoundary, ResetDiscardsEverythingAndRunsTerminate) {
    EXPECT_EQ(run("Dim keep : keep = 1"), "");
    EXPECT_EQ(run("Class T\r\nSub Class_Terminate : MR.dspx \"bye\", 0 : End Sub\r\nEnd Class\r\n"
                  "Set inst = New T\r\nFunction G() : G = 5 : End Function"),
              "");
    engine.reset();
    engine.add_object("MR", host);
    ASSERT_EQ(host->calls.size(), 1u);
    EXPECT_EQ(host->calls[0], "bye:0");
    EXPECT_EQ(value_of("keep"), "Empty:");
    EXPECT_EQ(value_of("IsEmpty(inst)"), "Boolean:True");
    EXPECT_EQ(run("x = G()"), "13 Type mismatch: 'G'");
    EXPECT_EQ(run("Class T : End Class"), "");
}

TEST_F(EngineBoundary, TextsAreCompiledOnce) {
    EXPECT_EQ(run("Dim n : n = 0"), "");
    size_t before = engine.compile_count();
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(run("n = n + 1"), "");
    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(engine.eval("n * 2").ok());
    EXPECT_EQ(engine.compile_count(), before + 2);
    EXPECT_EQ(value_of("n"), "Integer:2000");
    // After reset the cached code still runs against the fresh globals.
    engine.reset();
    EXPECT_EQ(run("n = n + 1"), "");
    EXPECT_EQ(value_of("n"), "Integer:1");
    EXPECT_EQ(engine.compile_count(), before + 3); // the texts above and "n"
}

TEST_F(EngineBoundary, FullCacheStartsOverAndCodeInUseSurvives) {
    engine.set_cache_limit(4);
    EXPECT_EQ(run("Sub Work(k)\r\nDim local : local = k\r\n"
                  "Execute \"local = local + 1\"\r\nMR.dspx local, 0\r\nEnd Sub"),
              "");
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(run("Work " + std::to_string(i) + " : y" + std::to_string(i) + " = 1"), "");
    ASSERT_EQ(host->calls.size(), 60u);
    EXPECT_EQ(host->calls[59], "60:0");
    EXPECT_EQ(value_of("y59"), "Integer:1");
}

TEST_F(EngineBoundary, PreparedTextsKeepTheirCodeAcrossResetAndAFullCache) {
    Prepared step("n = n + 1", false), twice("n * 2", true);
    EXPECT_EQ(run("Dim n : n = 0"), "");
    const size_t before = engine.compile_count();
    engine.set_cache_limit(1); // the text cache starts over all the time
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(engine.execute(step).ok());
        ASSERT_EQ(run("t" + std::to_string(i) + " = 0"), "");
    }
    EvalResult r = engine.eval(twice);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(to_string(r.value), "1000");
    engine.reset();
    ASSERT_TRUE(engine.execute(step).ok());
    EXPECT_EQ(to_string(engine.eval(twice).value), "2");
    EXPECT_EQ(engine.compile_count(), before + 2 + 500); // step, twice and the t-lines
}

TEST_F(EngineBoundary, PreparedTextsFailLikeTheirText) {
    Prepared broken("x = (1", false), missing("NoSuchThing(1)", true);
    for (int i = 0; i < 2; ++i) {
        ExecResult r = engine.execute(broken);
        EXPECT_EQ(r.error.number, 1006) << i;
        EXPECT_TRUE(r.error.compile);
        EvalResult e = engine.eval(missing);
        EXPECT_EQ(e.error.number, kErrTypeMismatch) << i;
        EXPECT_FALSE(e.error.compile);
    }
    EXPECT_EQ(run("x = 3"), ""); // a failed prepared text leaves the engine usable
    EXPECT_EQ(value_of("x"), "Integer:3");
}

// Code compiled while a script's own procedure had a built-in's name calls that procedure; once
// reset has dropped the procedure, the prepared text must reach the built-in again.
TEST_F(EngineBoundary, PreparedTextsCompileAgainWhenABuiltInNameComesBack) {
    Prepared use("r = Len(\"abc\")", false);
    EXPECT_EQ(run("Function Len(s) : Len = 99 : End Function"), "");
    ASSERT_TRUE(engine.execute(use).ok());
    EXPECT_EQ(value_of("r"), "Integer:99");
    engine.reset();
    ASSERT_TRUE(engine.execute(use).ok());
    EXPECT_EQ(value_of("r"), "Long:3");
}

TEST_F(EngineBoundary, PreparedTextsMoveBetweenEngines) {
    Prepared set("v = 5 : MR.dspx v, 1", false);
    ASSERT_TRUE(engine.execute(set).ok());
    Engine other;
    Ptr<FakeHost> other_host = make_object<FakeHost>();
    other.add_object("MR", other_host);
    ASSERT_TRUE(other.execute(set).ok()); // compiled again for the other engine's globals
    ASSERT_EQ(other_host->calls.size(), 1u);
    EXPECT_EQ(other_host->calls[0], "5:1");
    EXPECT_EQ(to_string(other.eval("v").value), "5");
    ASSERT_TRUE(engine.execute(set).ok());
    EXPECT_EQ(host->calls.size(), 2u);

    // An engine made where a destroyed one stood is still another engine, with other slots.
    for (int round = 0; round < 3; ++round) {
        auto fresh = std::make_unique<Engine>();
        fresh->add_object("MR", other_host);
        ASSERT_TRUE(fresh->execute_statement("a = 1 : b = 2 : c = 3").ok());
        ASSERT_TRUE(fresh->execute(set).ok()) << round;
        EXPECT_EQ(to_string(fresh->eval("a & b & c & v").value), "1235") << round;
    }
}

TEST_F(EngineBoundary, TokenAndCodeListings) {
    std::string tokens = Engine::dump_tokens("x = &HFF ' note");
    EXPECT_NE(tokens.find("<ident>   x"), std::string::npos);
    EXPECT_NE(tokens.find("255"), std::string::npos);
    std::string code = engine.dump_code("Dim a : a = 1 + 2");
    EXPECT_NE(code.find("ADD"), std::string::npos);
    EXPECT_NE(engine.dump_code("If").find("compilation error"), std::string::npos);
}

// Joined texts run as one call, yet each keeps what it would do in a call of its own.
TEST_F(EngineBoundary, JoinedTextsRunInOrderAndGoOnAfterAFailure) {
    JoinedTexts texts({"Dim a\r\na=1\r\n", "b = a + 1", "c = 1 / 0\r\n", "d = b * 10"});
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts.text(1), "b = a + 1");
    JoinedRun run;
    ASSERT_TRUE(engine.execute(texts, 0, run));
    EXPECT_EQ(run.result.error.number, kErrDivByZero);
    EXPECT_EQ(run.at, 2u);
    EXPECT_EQ(run.begun, 3u);
    EXPECT_EQ(value_of("b"), "Integer:2");
    EXPECT_EQ(value_of("IsEmpty(d)"), "Boolean:True"); // nothing after the failure ran
    ASSERT_TRUE(engine.execute(texts, run.at + 1, run));
    EXPECT_TRUE(run.result.ok());
    EXPECT_EQ(run.at, 4u);
    EXPECT_EQ(run.begun, 1u);
    EXPECT_EQ(value_of("d"), "Integer:20");
    // Compiled once, run again from the start after a reset.
    const size_t compiled = engine.compile_count();
    engine.reset();
    ASSERT_TRUE(engine.execute(texts, 0, run));
    EXPECT_EQ(run.at, 2u);
    EXPECT_EQ(engine.compile_count(), compiled);
}

// A skip test after a text: False skips the texts up to its target, True goes on, and any other
// value ends the call after the tested text so that the caller decides.
TEST_F(EngineBoundary, JoinedTextsSkipOnFalseAndStopOnOtherValues) {
    struct test_case {
        std::string_view condition;
        std::string_view expect_inside, expect_after; // "x" and "y" afterwards
        size_t at, begun;
    };
    const test_case cases[] = {
        {"c = (n > 1)", "Integer:1", "Integer:2", 5, 5}, // True: the texts between run
        {"c = (n > 5)", "Empty:", "Integer:2", 5, 3},    // False: they are skipped
        {"c = n", "Empty:", "Empty:", 1, 2},             // a number: the caller decides
        {"c = Null", "Empty:", "Empty:", 1, 2},          //
        {"c = 1 / 0", "Empty:", "Empty:", 1, 2},         // a failure is a failure
    };
    for (const test_case& c : cases) {
        engine.reset();
        JoinedTexts texts({"Dim n : n = 3", c.condition, "x = 1", "Dim z : z = 0", "y = 2"});
        texts.skip_unless(1, "c", 4);
        JoinedRun run;
        ASSERT_TRUE(engine.execute(texts, 0, run)) << c.condition;
        EXPECT_EQ(run.at, c.at) << c.condition;
        EXPECT_EQ(run.begun, c.begun) << c.condition;
        EXPECT_EQ(value_of("x"), c.expect_inside) << c.condition;
        EXPECT_EQ(value_of("y"), c.expect_after) << c.condition;
    }
    // Skipping to the end, and a test whose name is no variable of script level refuses the
    // texts.
    engine.reset();
    JoinedTexts to_end({"c = False", "x = 1"});
    to_end.skip_unless(0, "c", 2);
    JoinedRun run;
    ASSERT_TRUE(engine.execute(to_end, 0, run));
    EXPECT_EQ(run.at, 2u);
    EXPECT_EQ(value_of("x"), "Empty:");
    JoinedTexts builtin({"x = 1", "y = 2"});
    builtin.skip_unless(0, "Len", 1);
    EXPECT_FALSE(engine.execute(builtin, 0, run));
    JoinedTexts backwards({"x = 1", "y = 2"});
    backwards.skip_unless(1, "x", 1);
    EXPECT_FALSE(engine.execute(backwards, 0, run));
}

// Texts that would do something else joined are refused, and nothing of them runs.
TEST_F(EngineBoundary, JoinedTextsThatWouldChangeMeaningAreRefused) {
    const std::vector<std::vector<std::string_view>> refused = {
        {"ran = 1", "On Error Resume Next", "x = 1 / 0"}, // would cover the next text
        {"ran = 1", "Option Explicit"},
        {"ran = 1", "Sub S : End Sub"},
        {"ran = 1", "Execute \"y = 1\""},
        {"ran = 1", "If ran = 2 Then", "x = 5", "End If"}, // a block across texts
        {"ran = 1", "x = 1 + _", "2"},                     // a continued line
        {"ran = 1", "' only a note"},
        {"ran = 1", ""},
        {"ran = 1", "Dim Len", "Len = 3"}, // a built-in's name declared
        {"ran = 1", "x = (1"},
    };
    for (const auto& parts : refused) {
        JoinedTexts texts(parts);
        JoinedRun run;
        EXPECT_FALSE(engine.execute(texts, 0, run)) << parts[1];
        EXPECT_FALSE(engine.execute(texts, 0, run)) << parts[1]; // the answer stays
        EXPECT_EQ(value_of("IsEmpty(ran)"), "Boolean:True") << parts[1];
    }
    // Several statements on a text's lines are fine, as are single-line blocks.
    JoinedTexts fine({"a = 1 : b = 2", "If a = 1 Then c = 3", "For k = 1 To 3 : d = d + k : Next"});
    JoinedRun run;
    ASSERT_TRUE(engine.execute(fine, 0, run));
    EXPECT_TRUE(run.result.ok());
    EXPECT_EQ(value_of("b + c + d"), "Integer:11");
}

// Each text has the time limit of a call of its own: five texts of 100 ms pass a 400 ms limit
// together, and a runaway text is stopped and named.
TEST_F(EngineBoundary, JoinedTextsHaveATimeLimitEach) {
    engine.set_time_limit(std::chrono::milliseconds(400));
    const std::string_view busy = "t = Timer : Do While Timer - t < 0.1 And Timer >= t : Loop";
    JoinedTexts slow({busy, busy, busy, busy, busy, "done = 1"});
    JoinedRun run;
    ASSERT_TRUE(engine.execute(slow, 0, run));
    EXPECT_TRUE(run.result.ok()) << run.result.error.description;
    EXPECT_EQ(value_of("done"), "Integer:1");
    JoinedTexts runaway({"x = 1", "Do : Loop", "y = 1"});
    ASSERT_TRUE(engine.execute(runaway, 0, run));
    EXPECT_EQ(run.result.error.description, "Script timed out");
    EXPECT_EQ(run.at, 1u);
    EXPECT_EQ(value_of("IsEmpty(y)"), "Boolean:True");
}

// A host object whose calls fail to allocate, as any code under the engine may.
class AllocationFailure : public Object {
public:
    std::string type_name() const override { return "AllocationFailure"; }
    int find_member(std::string_view name) override {
        return iequals(name, "alloc") ? 1 : iequals(name, "length") ? 2 : kNoMember;
    }
    void invoke(int id, CallKind, CallArgs&, Value&, Context&) override {
        if (id == 1) throw std::bad_alloc();
        throw std::length_error("vector");
    }
};

// Out of memory is error 7: reported to the host, trappable by On Error Resume Next, and the
// engine goes on.
TEST(EngineOutOfMemory, AllocationFailuresAreError7) {
    Engine engine;
    engine.add_object("OOM", make_object<AllocationFailure>());
    for (const char* call : {"OOM.alloc", "OOM.length", "x = OOM.alloc() + 1"}) {
        ExecResult r = engine.execute_statement(call);
        ASSERT_FALSE(r.ok()) << call;
        EXPECT_EQ(r.error.number, 7) << call;
        EXPECT_EQ(r.error.description, "Out of memory") << call;
        EXPECT_FALSE(r.error.compile) << call;
    }
    EXPECT_EQ(engine.eval("OOM.length").error.number, 7);
    ASSERT_TRUE(engine
                    .execute_statement("On Error Resume Next\r\nOOM.alloc\r\nn = Err.Number\r\n"
                                       "Err.Clear\r\nOOM.length\r\nn = n + Err.Number")
                    .ok());
    EvalResult v = engine.eval("n");
    ASSERT_TRUE(v.ok());
    EXPECT_EQ(to_string(v.value), "14");
}

} // namespace
