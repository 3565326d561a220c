// Script that runs in the middle of a container operation and changes that very container:
// Class_Terminate handlers run by letting a value go, and default members run by using an
// object as a subscript. Each operation must leave the container whole before such script
// runs, so the results below are exact, not merely free of crashes (the sanitizer build runs
// these too).
#include "vbscript/convert.h"
#include "vbscript/engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vbs;

// A class whose Class_Terminate runs `handler`; `trail` collects what the handlers saw.
std::string terminating_class(const std::string& name, const std::string& handler) {
    return "Class " + name + "\r\nPrivate Sub Class_Terminate\r\n" + handler +
           "\r\nEnd Sub\r\nEnd Class\r\n";
}

std::string value_text(Engine& engine, const std::string& expr) {
    EvalResult r = engine.eval(expr);
    if (!r.ok()) return "error " + std::to_string(r.error.number) + " " + r.error.description;
    return to_string(r.value);
}

struct ReentryCase {
    const char* what;
    const char* handler; // Class_Terminate of class C
    const char* script;  // runs after the class is defined
    const char* expr;    // evaluated after the script
    const char* expect;
};

// One row per container operation that lets a value go.
const ReentryCase kCases[] = {
    // Dictionary
    {"RemoveAll while handlers add keys", "n = n + 1: d.Add \"x\" & n, n",
     "Set d = CreateObject(\"Scripting.Dictionary\")\r\n"
     "For i = 1 To 100: d.Add i, New C: Next\r\nd.RemoveAll",
     "d.Count & \" \" & d.Exists(1) & \" \" & d(\"x100\") & \" \" & d.Keys()(0) & d.Keys()(99)",
     "100 False 100 x1x100"},
    {"Remove whose handler empties the dictionary", "d.RemoveAll",
     "Set d = CreateObject(\"Scripting.Dictionary\")\r\n"
     "d.Add \"a\", New C: d.Add \"b\", 2: d.Add \"c\", 3\r\nd.Remove \"a\"\r\nd.Add \"z\", 26",
     "d.Count & \" \" & Join(d.Keys) & \" \" & d.Exists(\"b\")", "1 z False"},
    {"Remove whose handler adds 50 keys", "For k = 1 To 50: d.Add \"k\" & k, k: Next",
     "Set d = CreateObject(\"Scripting.Dictionary\")\r\n"
     "d.Add \"a\", New C: d.Add \"b\", 2: d.Add \"c\", 3\r\nd.Remove \"a\"",
     "d.Count & \" \" & d.Exists(\"a\") & \" \" & d(\"b\") & d(\"c\") & \" \" & d(\"k50\") & \" \" "
     "& d.Keys()(2)",
     "52 False 23 50 k1"},
    {"Item assignment whose handler adds keys", "For k = 1 To 50: d.Add \"k\" & k, k: Next",
     "Set d = CreateObject(\"Scripting.Dictionary\")\r\nd.Add \"a\", New C\r\nd(\"a\") = 5",
     "d.Count & \" \" & d(\"a\") & \" \" & d(\"k50\")", "51 5 50"},
    {"Item assignment whose handler removes the key", "d.Remove \"a\"",
     "Set d = CreateObject(\"Scripting.Dictionary\")\r\nd.Add \"a\", New C: d.Add \"b\", 1\r\n"
     "d(\"a\") = 5",
     "d.Count & \" \" & d.Exists(\"a\") & \" \" & Join(d.Keys)", "1 False b"},
    {"Key rename of an object key whose handler adds keys",
     "For k = 1 To 50: d.Add \"k\" & k, k: Next",
     "Set d = CreateObject(\"Scripting.Dictionary\")\r\nd.Add New C, \"v\"\r\n"
     "d.Key(d.Keys()(0)) = \"renamed\"",
     "d.Count & \" \" & d(\"renamed\") & \" \" & d.Keys()(0) & \" \" & d(\"k50\")",
     "51 v renamed 50"},

    // Arrays
    {"element assignment whose handler replaces the array",
     "a = Empty: keep = Array(\"s1\", \"s2\", \"s3\")",
     "For i = 1 To 1000: a = Array(New C, 1, 2): a(0) = \"overwrite\": Next",
     "keep(0) & keep(1) & keep(2) & \" \" & IsEmpty(a)", "s1s2s3 True"},
    {"two-index element assignment whose handler replaces the array",
     "a = Empty: keep = Array(\"s1\", \"s2\")",
     "ReDim a(1, 1)\r\nSet a(1, 1) = New C\r\na(1, 1) = \"overwrite\"", "keep(0) & keep(1)",
     "s1s2"},
    {"element assignment whose handler re-dimensions the array", "ReDim a(5): a(1) = \"t\"",
     "a = Array(New C, 1, 2)\r\na(0) = \"overwrite\"", "UBound(a) & \" \" & IsEmpty(a(0)) & a(1)",
     "5 Truet"},
    {"Erase whose handler refills the array", "a = Array(\"t\")",
     "a = Array(New C, New C)\r\nErase a", "UBound(a) & a(0)", "0t"},
    {"Erase of a fixed array whose handler writes into it", "fx(1) = \"t\" & fx(1)",
     "Dim fx(3)\r\nSet fx(0) = New C\r\nfx(1) = \"x\"\r\nErase fx",
     "UBound(fx) & \" \" & fx(1) & \" \" & IsEmpty(fx(0))", "3 t True"},
    {"ReDim whose handler writes into the new array", "a(0) = \"t\"",
     "ReDim a(1)\r\nSet a(1) = New C\r\nReDim a(2)", "UBound(a) & a(0)", "2t"},
    {"ReDim Preserve cutting an element whose handler grows the array",
     "ReDim Preserve a(5): a(5) = \"t\"",
     "ReDim a(2)\r\na(0) = 1: Set a(2) = New C\r\nReDim Preserve a(0)",
     "UBound(a) & \" \" & a(0) & a(5)", "5 1t"},
    {"ReDim Preserve of a shared array keeps the other copy", "",
     "ReDim a(1): a(0) = \"x\"\r\nb = a\r\nReDim Preserve a(3): a(3) = \"y\"",
     "UBound(a) & UBound(b) & a(0) & a(3) & b(0)", "31xyx"},

    // Variables and fields
    {"variable assignment whose handler assigns the variable", "x = \"t\" & x",
     "Set x = New C\r\nx = 5", "x", "t5"},
    {"Set whose handler sets the variable", "Set x = Nothing: y = \"ran\"",
     "Set x = New C\r\nSet x = New Holder", "TypeName(x) & y", "Nothingran"},
    {"field assignment whose handler drops the owner", "Set o = Nothing",
     "Set o = New Holder\r\nSet o.f = New C\r\no.f = 1", "TypeName(o)", "Nothing"},
    {"field teardown runs the field's handler after the owner's", "trail = trail & \"inner \"",
     "Set o = New Holder\r\nSet o.f = New C\r\nSet o = Nothing", "trail", "outer inner "},
    {"local variable at procedure exit", "trail = trail & \"gone \"",
     "Sub P\r\nDim l: Set l = New C: trail = trail & \"in \"\r\nEnd Sub\r\nP", "trail", "in gone "},
};

class Reentry : public ::testing::TestWithParam<ReentryCase> {};

TEST_P(Reentry, ContainerStaysConsistent) {
    const ReentryCase& c = GetParam();
    Engine engine;
    // The globals exist before the handlers are compiled, so that a ReDim in a handler
    // re-dimensions the global rather than declaring a local.
    ASSERT_TRUE(engine.execute_statement("Dim a, b, d, keep, trail, n, o, x, y").ok());
    std::string defs = terminating_class("C", c.handler) +
                       "Class Holder\r\nPublic f\r\nPrivate Sub Class_Terminate\r\n"
                       "trail = trail & \"outer \"\r\nEnd Sub\r\nEnd Class\r\n";
    ExecResult r = engine.execute_statement(defs);
    ASSERT_TRUE(r.ok()) << r.error.description;
    r = engine.execute_statement(c.script);
    ASSERT_TRUE(r.ok()) << c.what << ": " << r.error.number << " " << r.error.description;
    EXPECT_EQ(value_text(engine, c.expr), c.expect) << c.what;
}

INSTANTIATE_TEST_SUITE_P(EveryContainer, Reentry, ::testing::ValuesIn(kCases));

// An object used as a subscript gives its default value, which is script: it may replace or
// empty the very array being indexed before the element is reached.
struct SubscriptCase {
    const char* what;
    const char* getter; // body of Index's default Property Get V
    const char* script;
    const char* expr;
    const char* expect;
};

const SubscriptCase kSubscriptCases[] = {
    {"read after the array is replaced", "a = Array(\"p\", \"q\"): V = 1",
     "a = Array(\"x\", \"y\", \"z\")\r\nx = a(k)", "x & UBound(a)", "q1"},
    {"write after the array is replaced", "a = Array(\"p\", \"q\"): V = 1",
     "a = Array(\"x\", \"y\", \"z\")\r\na(k) = \"w\"", "Join(a)", "p w"},
    {"write after the array is emptied", "a = Empty: keep = Array(\"s1\"): V = 0",
     "On Error Resume Next\r\na = Array(\"x\")\r\na(k) = \"w\"\r\nx = Err.Number",
     "x & keep(0) & IsEmpty(a)", "13s1True"},
    {"two subscripts after a ReDim", "ReDim a(2, 2): V = 1", "ReDim a(1, 1)\r\na(k, 0) = \"w\"",
     "UBound(a, 1) & a(1, 0)", "2w"},
    {"ByRef element after the array is replaced", "a = Array(\"p\", \"q\"): V = 1",
     "Sub S(e)\r\ne = \"w\"\r\nEnd Sub\r\na = Array(\"x\", \"y\", \"z\")\r\nS a(k)", "Join(a)",
     "p w"},
    {"field element after the field is replaced", "o.f = Array(\"p\", \"q\"): V = 1",
     "Set o = New Holder\r\no.f = Array(\"x\", \"y\", \"z\")\r\no.f(k) = \"w\"\r\n"
     "x = Join(o.f)\r\nkeep = o.f(k)",
     "x & keep", "p wq"},
};

class SubscriptReentry : public ::testing::TestWithParam<SubscriptCase> {};

TEST_P(SubscriptReentry, ElementOfTheArrayAsItIsThen) {
    const SubscriptCase& c = GetParam();
    Engine engine;
    ASSERT_TRUE(engine.execute_statement("Dim a, k, keep, o, x").ok());
    std::string defs = "Class Index\r\nPublic Default Property Get V\r\n" + std::string(c.getter) +
                       "\r\nEnd Property\r\nEnd Class\r\nClass Holder\r\nPublic f\r\n"
                       "End Class\r\nSet k = New Index";
    ExecResult r = engine.execute_statement(defs);
    ASSERT_TRUE(r.ok()) << r.error.description;
    r = engine.execute_statement(c.script);
    ASSERT_TRUE(r.ok()) << c.what << ": " << r.error.number << " " << r.error.description;
    EXPECT_EQ(value_text(engine, c.expr), c.expect) << c.what;
}

INSTANTIATE_TEST_SUITE_P(EveryIndexing, SubscriptReentry, ::testing::ValuesIn(kSubscriptCases));

// Counts the Class_Terminate calls that reach it (`MR.hit`) and hands out the text of a
// class Phoenix whose handler defines Phoenix again and makes a new instance (`MR.src`): a chain of
// handlers that never ends by itself.
class Counter : public Object {
public:
    std::string type_name() const override { return "Counter"; }
    int find_member(std::string_view name) override {
        return iequals(name, "hit") ? 1 : iequals(name, "src") ? 2 : kNoMember;
    }
    void invoke(int id, CallKind, CallArgs&, Value& result, Context&) override {
        if (id == 1)
            ++hits;
        else
            result = Value::string(src);
    }
    int hits = 0;
    const std::string src = terminating_class("Phoenix", "MR.hit: ExecuteGlobal MR.src") +
                            "If IsEmpty(r) Then Set r = New Phoenix\r\n";
};

// Handlers that assign globals while reset lets the globals go: what they leave is gone too,
// and handlers that keep making new instances cannot keep reset from ending.
TEST(ReentryReset, ResetLetsGoOfWhatHandlersAssign) {
    Engine engine;
    Ptr<Counter> counter = make_object<Counter>();
    engine.add_object("MR", counter);
    ExecResult r = engine.execute_statement("Dim g, h, r\r\n" +
                                            terminating_class("C", "MR.hit: h = Array(\"left\")") +
                                            "Set g = New C\r\n" + counter->src);
    ASSERT_TRUE(r.ok()) << r.error.description;
    engine.reset();
    // C once; Phoenix on each of the passes that still run handlers, then none.
    EXPECT_EQ(counter->hits, 1 + 4);
    engine.add_object("MR", counter);
    EXPECT_EQ(value_text(engine, "TypeName(g) & TypeName(h) & TypeName(r)"), "EmptyEmptyEmpty");
    // The classes went with reset, and the next run's handlers run as usual.
    EXPECT_FALSE(engine.execute_statement("Set r = New Phoenix").ok());
    ASSERT_TRUE(
        engine.execute_statement(terminating_class("Phoenix", "MR.hit") + "Set r = New Phoenix")
            .ok());
    engine.reset();
    EXPECT_EQ(counter->hits, 6);
}

// The same chain when the engine itself goes: the handlers run while it can still run them,
// with the host object reachable, and the chain ends.
TEST(ReentryReset, EngineTeardownEndsAChainOfHandlers) {
    Ptr<Counter> counter = make_object<Counter>();
    {
        Engine engine;
        engine.add_object("MR", counter);
        ExecResult r = engine.execute_statement(
            "Dim r, d\r\n" + counter->src +
            "Set d = CreateObject(\"Scripting.Dictionary\")\r\nd.Add 1, New Phoenix");
        ASSERT_TRUE(r.ok()) << r.error.description;
    }
    EXPECT_EQ(counter->hits, 5);
}

// Values the host keeps may outlive the engine that made them (a global variable read back
// after a run, when the sheet's engine has gone). Using or releasing such an object must not
// reach the engine's freed memory: calls fail with error 462 and no Class_Terminate runs.
TEST(ReentryEngineGone, ObjectsOutlivingTheirEngineFailCleanly) {
    Ptr<Counter> counter = make_object<Counter>();
    Value instance, err_object, proc_ref;
    {
        Engine engine;
        engine.add_object("MR", counter);
        ExecResult r = engine.execute_statement(
            "Class Foo\r\nPublic Default Function V\r\nV = 5\r\nEnd Function\r\n"
            "Private Sub Class_Terminate\r\nMR.hit\r\nEnd Sub\r\nEnd Class\r\n"
            "Sub P\r\nEnd Sub\r\nDim keep\r\nSet keep = New Foo");
        ASSERT_TRUE(r.ok()) << r.error.description;
        instance = engine.eval("keep").value;
        err_object = engine.eval("Err").value;
        proc_ref = engine.eval("GetRef(\"P\")").value;
        EXPECT_EQ(value_text(engine, "keep + 1"), "6");
        ASSERT_TRUE(instance.is_object() && instance.obj());
    }
    EXPECT_EQ(counter->hits, 0);
    Engine other;
    other.add_object("K", Ptr<Object>(instance.obj()));
    other.add_object("E", Ptr<Object>(err_object.obj()));
    other.add_object("R", Ptr<Object>(proc_ref.obj()));
    for (const char* use : {"K.V", "K + 1", "E.Number", "R(1)"}) {
        EvalResult r = other.eval(use);
        ASSERT_FALSE(r.ok()) << use;
        EXPECT_EQ(r.error.number, 462) << use;
    }
    other.reset();
    instance.clear();
    err_object.clear();
    proc_ref.clear();
    EXPECT_EQ(counter->hits, 0);
}

} // namespace
