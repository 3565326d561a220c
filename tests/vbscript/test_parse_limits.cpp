// Long and deep texts: operator chains of any length compile and run, nesting has a generous
// limit with a clear error beyond it, and over-long lists fail as the parser meets them.
#include "vbscript/convert.h"
#include "vbscript/engine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vbs;

std::string repeat(const std::string& piece, int times) {
    std::string out;
    out.reserve(piece.size() * size_t(times));
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// What `x` holds after the statement, or the error.
std::string outcome(Engine& engine, const std::string& statement) {
    ExecResult r = engine.execute_statement(statement);
    if (!r.ok())
        return (r.error.compile ? "compile error " : "error ") + std::to_string(r.error.number);
    EvalResult v = engine.eval("x");
    return v.ok() ? to_string(v.value) : "no x";
}

struct LongCase {
    const char* what;
    std::string statement;
    const char* expect;
};

TEST(ParseLimits, LongChainsAndDeepNesting) {
    const LongCase cases[] = {
        {"3,000 additions", "x = 0" + repeat(" + 1", 3000), "3000"},
        {"100,000 additions", "x = 0" + repeat(" + 1", 100000), "100000"},
        {"subtraction is left to right", "x = 10000" + repeat(" - 2", 3000), "4000"},
        {"concatenation", "x = Len(\"\"" + repeat(" & \"ab\"", 5000) + ")", "10000"},
        {"And", "x = True" + repeat(" And True", 5000), "True"},
        {"Or with one True at the end", "x = False" + repeat(" Or False", 5000) + " Or True",
         "True"},
        {"comparison chain", "x = 1" + repeat(" < 2", 4000), "True"},
        // 2 * 3 binds first on every step, then the sums go left to right.
        {"mixed precedence", "x = 1" + repeat(" + 2 * 3 - 10 \\ 2", 3000), "3001"},
        {"a chain inside each operand",
         "x = (1 + 1 + 1)" + repeat(" * (1 + 1 + 1)", 10) + " Mod 1000", "147"},
        {"500 parentheses", "x = " + repeat("(", 500) + "7" + repeat(")", 500), "7"},
        {"500 parenthesised right operands", "x = 1" + repeat(" + (1", 500) + repeat(")", 500),
         "501"},
        {"500 nested calls", "x = " + repeat("Abs(", 500) + "-3" + repeat(")", 500), "3"},
        {"500 negations", "x = " + repeat("-", 500) + "4", "4"},
        {"500 Nots", "x = " + repeat("Not ", 500) + "False", "False"},
        {"parentheses far beyond the limit", "x = " + repeat("(", 3000) + "1" + repeat(")", 3000),
         "compile error 28"},
    };
    Engine engine;
    for (const LongCase& c : cases)
        EXPECT_EQ(outcome(engine, c.statement), c.expect) << c.what;
}

TEST(ParseLimits, ListsLongerThanTheEngineTakesFailAsTheyAreRead) {
    Engine engine;
    EXPECT_EQ(outcome(engine, "x = UBound(Array(0" + repeat(", 0", 254) + "))"), "254");
    EXPECT_EQ(outcome(engine, "x = Join(0" + repeat(", 0", 255) + ")"), "compile error 1002");
    EXPECT_EQ(outcome(engine, "Dim Array\r\nx = Array(0" + repeat(", 0", 255) + ")"),
              "compile error 1002");
    // Array(...) alone takes as many items as an array holds: a sheet's long list is one.
    EXPECT_EQ(outcome(engine, "x = UBound(Array(0" + repeat(", 0", 255) + "))"), "255");
    EXPECT_EQ(outcome(engine, "x = Array(1" + repeat(", 2", 99999) + ")(99999)"), "2");
    EXPECT_EQ(outcome(engine, "x = Array(1" + repeat(",, 2", 300) + ")"), "compile error 1002");
    EXPECT_EQ(outcome(engine, "ReDim y(1" + repeat(", 1", 60) + ")"), "compile error 1002");
    // As many subscripts as a call takes arguments, on an element passed ByRef: the array
    // has fewer dimensions, which is all that is wrong.
    EXPECT_EQ(outcome(engine,
                      "Sub Take(e)\r\nEnd Sub\r\nDim z(1)\r\nTake z(0" + repeat(", 0", 254) + ")"),
              "error 9");
    // A fixed array field too large for any instance is refused once, when compiled.
    EXPECT_EQ(outcome(engine, "Class Big\r\nPrivate a(10000000, 10000000)\r\nEnd Class"),
              "compile error 7");

    // Twenty million arguments: the parser stops at the first one too many, so the text
    // never turns into twenty million nodes. The error is trappable where Execute runs.
    ExecResult r = engine.execute_statement(
        "On Error Resume Next\r\n"
        "Execute \"x = Join(0\" & Replace(Space(20000000), \" \", \",0\") & \")\"\r\n"
        "x = Err.Number");
    ASSERT_TRUE(r.ok()) << r.error.description;
    EXPECT_EQ(outcome(engine, "y = 0"), "1002");
}

// A text whose tree would be larger than the parser allows is "Out of memory", not a process
// that runs out of memory on the way.
TEST(ParseLimits, HugeTreesAreOutOfMemory) {
    Engine engine;
    // Over two million nodes in 25,000 short statements (each one's tokens go when it is read).
    ExecResult r = engine.execute_statement(repeat("x = 0" + repeat("+1", 50) + "\n", 25000));
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error.compile);
    EXPECT_EQ(r.error.number, 7);
    EXPECT_EQ(r.error.description, "Out of memory");
    EXPECT_EQ(outcome(engine, "x = 1 + 1"), "2");
}

} // namespace
