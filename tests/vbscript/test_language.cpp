// The language front end through the engine: compile errors with VBScript's numbers and
// positions, literal forms, and expressions whose subtype and value are easy to get wrong.
#include "vbscript/convert.h"
#include "vbscript/engine.h"
#include "vbscript/locale.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vbs;

struct CompileCase {
    const char* text;
    int number;
    int line;
};

// Each text fails to compile; nothing of it may run.
const CompileCase kCompileErrors[] = {
    {"If x Then\r\ny = 1", 1014, 2},
    {"x = ", 1023, 1},
    {"Dim", 1010, 1},
    {"For i = 1 10\r\nNext", 1013, 1},
    {"Do\r\nx = 1", 1019, 2},
    {"While x\r\nx = 1", 1018, 2},
    {"Select x\r\nEnd Select", 1021, 1},
    {"x = \"abc", 1033, 1},
    {"x = 1 2", 1025, 1},
    {"Exit For", 1039, 1},
    {"Sub A\r\nEnd Function", 1016, 2},
    {"Class C\r\nSub X\r\nEnd Sub", 1014, 3},
    {"x = $", 1032, 1},
    {"x = #45/45/2020#", 1032, 1},
    {"Function F(a, a)\r\nEnd Function", 1041, 1},
    {"Sub A\r\nEnd Sub\r\nClass A\r\nEnd Class", 1041, 3},
    {"Property Get P\r\nEnd Property", 1048, 1},
    // `End Sub` may follow a statement, but not an unfinished one.
    {"Sub S() x = End Sub", 1023, 1},
    {"Sub S()\r\nIf x Then\r\ny = 1 End Sub", 1012, 3},
    {"Me.x = 1", 1037, 1},
    {"x = (1 + 2", 1006, 1},
    {"Class C\r\nPublic Default Property Let P(v)\r\nEnd Property\r\nEnd Class", 1058, 2},
    {"Sub S\r\nExit Function\r\nEnd Sub", 1039, 2},
    {"Dim a(n)\r\nClass K\r\nPrivate b(n)\r\nEnd Class", 1026, 3},
    // A lexical error anywhere in the text is the one reported, even after a syntax error.
    {"x = = 1\r\ny = \"abc", 1033, 2},
    {"If x Then\r\nx = )\r\ny = $", 1032, 3},
};

TEST(Language, CompileErrorsHaveNumbersAndLinesAndRunNothing) {
    for (const CompileCase& c : kCompileErrors) {
        Engine engine;
        ASSERT_TRUE(engine.execute_statement("ran = 0").ok());
        ExecResult r = engine.execute_statement(std::string("ran = 1\r\n") + c.text);
        ASSERT_FALSE(r.ok()) << c.text;
        EXPECT_TRUE(r.error.compile) << c.text;
        EXPECT_EQ(r.error.number, c.number) << c.text << ": " << r.error.description;
        EXPECT_EQ(r.error.line, c.line + 1) << c.text;
        EXPECT_FALSE(r.error.description.empty());
        EXPECT_EQ(to_string(engine.eval("ran").value), "0") << c.text;
    }
}

struct EvalCase {
    const char* expr;
    const char* type;
    const char* text;
};

const EvalCase kExpressions[] = {
    {"&H7FFF", "Integer", "32767"},
    {"&H7FFF&", "Long", "32767"},
    {"&HFFFF", "Integer", "-1"},
    {"&HFFFF&", "Long", "65535"},
    {"&HFFFFFFFF&", "Long", "-1"},
    {"&O777", "Integer", "511"},
    {"1E3", "Double", "1000"},
    {".5 + .25", "Double", "0.75"},
    {"32767 + 1", "Long", "32768"},
    {"2147483647 + 1", "Double", "2147483648"},
    {"-32768", "Long", "-32768"},
    {"CInt(-32768) * -1", "Long", "32768"},
    {"2 ^ 3 ^ 2", "Double", "64"},
    {"-2 ^ 2", "Double", "4"},
    {"-(2 ^ 2)", "Double", "-4"},
    {"2 ^ -1", "Double", "0.5"},
    {"- 2 * 3 ^ 2", "Double", "-18"},
    {"Not 0", "Integer", "-1"},
    {"True + True", "Integer", "-2"},
    {"\"a\" & 1 + 2", "String", "a3"},
    {"1 = 1 = True", "Boolean", "True"},
    {"5 \\ 2 Mod 2", "Integer", "0"},
    {"CByte(250) + CByte(10)", "Integer", "260"},
    {"CCur(\"1.23456\")", "Currency", "1.2346"},
    {"#1/2/2003# + 1", "Date", "1/3/2003"},
    {"#1/2/2003 13:04:05#", "Date", "1/2/2003 1:04:05 PM"},
    {"\"10\" < \"9\"", "Boolean", "True"},
    {"Len(\"h\xC3\xA9llo\")", "Long", "5"},
    {"Mid(\"h\xC3\xA9llo\", 2, 2)", "String", "\xC3\xA9l"},
    {"UBound(Array())", "Long", "-1"},
    {"Array(1, Array(2, 3))(1)(0)", "Integer", "2"},
    {"IsNull(Null & Null)", "Boolean", "True"},
    {"StrComp(\"a\", \"A\", 1)", "Integer", "0"},
    {"TypeName(Nothing)", "String", "Nothing"},
    {"VarType(Array(1))", "Integer", "8204"},
};

TEST(Language, ExpressionSubtypesAndText) {
    Engine engine;
    for (const EvalCase& c : kExpressions) {
        EvalResult r = engine.eval(c.expr);
        ASSERT_TRUE(r.ok()) << c.expr << ": " << r.error.description;
        EXPECT_EQ(type_name(r.value), c.type) << c.expr;
        EXPECT_EQ(to_string(r.value), c.text) << c.expr;
    }
}

TEST(Language, ContinuationColonsCommentsAndBrackets) {
    Engine engine;
    ASSERT_TRUE(engine
                    .execute_statement("Dim [odd name] : [odd name] = 1 + _\r\n   2 ' note\r\n"
                                       "REM whole line\r\nx = [odd name] * 2 : y = x Rem tail")
                    .ok());
    EXPECT_EQ(to_string(engine.eval("x + y").value), "12");
    // Keywords are names after a dot; LF alone ends a line as well.
    ASSERT_TRUE(
        engine.execute_statement("Class K\nPublic [End]\nEnd Class\nSet obj = New K\nobj.End = 4")
            .ok());
    EXPECT_EQ(to_string(engine.eval("obj.End").value), "4");
}

TEST(Language, DateLiteralsAreMonthFirstButTextFollowsTheLocale) {
    ASSERT_TRUE(set_current_locale("de-DE"));
    Engine engine;
    EvalResult r = engine.eval("#1/2/2003#");
    int y = 0, m = 0, d = 0;
    ASSERT_TRUE(r.ok());
    ASSERT_TRUE(date_to_parts(r.value.double_val(), y, m, d));
    EXPECT_EQ(m, 1);
    EXPECT_EQ(d, 2);
    EXPECT_EQ(to_string(engine.eval("CStr(1.5)").value), "1,5");
    EXPECT_EQ(to_string(engine.eval("CDbl(\"2,25\") * 2").value), "4,5");
    set_current_locale(en_us_locale());
    EXPECT_EQ(to_string(engine.eval("1.5 & \"\"").value), "1.5");
}

TEST(Language, RuntimeErrorPositionIsTheFailingStatement) {
    Engine engine;
    ExecResult r = engine.execute_statement("a = 1\r\nb = 2\r\n  c = a / (b - 2)\r\nd = 4");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error.number, 11);
    EXPECT_EQ(r.error.line, 3);
    EXPECT_EQ(r.error.column, 3);
    // An error inside a procedure reports the procedure's statement.
    r = engine.execute_statement("Sub S\r\n  x = CLng(\"z\")\r\nEnd Sub\r\nS");
    EXPECT_EQ(r.error.number, 13);
    EXPECT_EQ(r.error.line, 2);
}

TEST(Language, NestingBeyondTheParserLimitIsAnError) {
    Engine engine;
    std::string deep = "x = " + std::string(3000, '(') + "1" + std::string(3000, ')');
    ExecResult r = engine.execute_statement(deep);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error.number, 28);
    std::string ifs;
    for (int i = 0; i < 3000; ++i)
        ifs += "If True Then\r\n";
    for (int i = 0; i < 3000; ++i)
        ifs += "End If\r\n";
    EXPECT_EQ(engine.execute_statement(ifs).error.number, 28);
}

} // namespace
