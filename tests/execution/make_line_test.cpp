#include "execution/make_line.h"

#include <gtest/gtest.h>

#include <string>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/vb_scanner.h"

namespace mondrel {
namespace {

// Translation examples, each in a new document so temporary names start at temp_1.
line_ptr make_new(int32_t word, const std::string& name, const std::string& code) {
    mondrel_doc doc;
    return make_line(doc, 1, word, name, code);
}

TEST(MakeLine, UnnamedExpressionTakesFreshTemporaries) {
    mondrel_doc doc;
    line_ptr a = make_line(doc, 1, cw_expression, "", "1+2");
    EXPECT_EQ(a->name, "temp_1");
    EXPECT_EQ(a->script, "Dim temp_1\r\ntemp_1=1+2\r\n");
    EXPECT_EQ(a->display_text, "MR.dspx 0,temp_1\r\n");
    EXPECT_EQ(a->status, status_ok);
    line_ptr b = make_line(doc, 1, cw_expression, "", "1+2");
    EXPECT_EQ(b->script, "Dim temp_2\r\ntemp_2=1+2\r\n");
    // A named line takes no temporary.
    line_ptr c = make_line(doc, 1, cw_expression, "Total", "a + b");
    EXPECT_EQ(c->script, "Dim Total\r\nTotal=a + b\r\n");
    EXPECT_EQ(c->display_text, "MR.dspx 0,Total\r\n");
    EXPECT_EQ(doc.next_temp_name(), "temp_3");
}

TEST(MakeLine, ForLineKeepsBlanksInItsTexts) {
    line_ptr line = make_new(cw_for, "cnt", "1 to 10 step 2");
    EXPECT_EQ(line->script, "Dim cnt\r\ncnt=1 \r\nDim temp_1\r\ntemp_1=10 \r\n"
                            "Dim temp_2\r\ntemp_2=2\r\n");
    EXPECT_EQ(line->display_text, "MR.dspx 0,cnt\r\n");
    EXPECT_EQ(line->temp1, "temp_1");
    EXPECT_EQ(line->temp2, "temp_2");
    EXPECT_EQ(make_new(cw_for, "i", "0 to n-1")->script,
              "Dim i\r\ni=0 \r\nDim temp_1\r\ntemp_1=n-1\r\nDim temp_2\r\ntemp_2=1\r\n");
}

TEST(MakeLine, TemporariesAreTakenWhereTheLineSaysEvenWhenItFailsLater) {
    mondrel_doc doc;
    // Taken after the start expression, before "to" is checked.
    EXPECT_EQ(make_line(doc, 1, cw_for, "i", "12")->error_text, "to expected");
    EXPECT_EQ(make_line(doc, 1, cw_for, "", "1 to 2")->error_text, "name expected");
    // Not taken when the start is missing.
    EXPECT_EQ(make_line(doc, 1, cw_for, "i", "")->error_text, "<estart> expected");
    // An expression line with a name of its own takes none.
    EXPECT_EQ(make_line(doc, 1, cw_expression, "9x", "1")->error_text, "Bad characters in name");
    line_ptr cond = make_line(doc, 1, cw_if, "", "a>1");
    EXPECT_EQ(cond->script, "Dim temp_5\r\ntemp_5=a>1\r\n");
    EXPECT_EQ(cond->display_text, "MR.dspx 0,temp_5\r\n");
    line_ptr arr = make_line(doc, 1, cw_arr, "", "3");
    EXPECT_EQ(arr->error_text, "name expected");
    EXPECT_EQ(doc.next_temp_name(), "temp_7");
}

// A sheet read back from a file holds lines named temp_N while its counter starts at 0 again;
// the temporaries taken after such a line must not be its name.
TEST(MakeLine, TemporariesPassTheTemporaryNamesOfLinesMadeBefore) {
    struct reserve_case {
        const char* name;
        int32_t counter_after; // the counter was 2 before the line
    };
    const reserve_case cases[] = {
        {"temp_7", 7},          {"TEMP_12", 12}, {"Temp_1", 2},
        {"temp_", 2},           {"temp_7a", 2},  {"temp7", 2},
        {"x_temp_9", 2},        {"temp_-5", 2},  {"temp_999999999", 999999999},
        {"temp_1000000000", 2}, {"", 3},
    };
    for (const reserve_case& c : cases) {
        SCOPED_TRACE(c.name);
        mondrel_doc doc;
        doc.set_temp_counter(2);
        make_line(doc, 1, cw_expression, c.name, "12.5");
        EXPECT_EQ(doc.temp_counter(), c.counter_after);
    }
    // The loop's stop and step variables come after the names of the lines before it.
    mondrel_doc doc;
    make_line(doc, 1, cw_expression, "temp_1", "12.5");
    make_line(doc, 1, cw_expression, "temp_2", "8");
    line_ptr loop = make_line(doc, 3, cw_for, "i", "1 to 3");
    EXPECT_EQ(loop->temp1, "temp_3");
    EXPECT_EQ(loop->temp2, "temp_4");
}

TEST(MakeLine, LiteralsWithPathsAndPositionLists) {
    line_ptr x = make_new(cw_expression, "x", "{1.1,{-1,-2,-3},2.2}");
    EXPECT_EQ(x->script, "Dim x\r\nx=Array(1.1,Array(-1,-2,-3),2.2)\r\n");
    EXPECT_EQ(x->display_text, "MR.dspx 0,x(0),-3\r\n"
                               "MR.dspx 1,x(1)(0),1,-3\r\n"
                               "MR.dspx 2,x(1)(1),1,1\r\n"
                               "MR.dspx 3,x(1)(2),1,2\r\n"
                               "MR.dspx 4,x(2),2\r\n");
    line_ptr m = make_new(cw_expression, "m", "{{1,2},{3,4}}");
    EXPECT_EQ(m->script, "Dim m\r\nm=Array(Array(1,2),Array(3,4))\r\n");
    EXPECT_EQ(m->display_text, "MR.dspx 0,m(0)(0),-2,-2\r\n"
                               "MR.dspx 1,m(0)(1),0,1\r\n"
                               "MR.dspx 2,m(1)(0),1,-2\r\n"
                               "MR.dspx 3,m(1)(1),1,1\r\n");
    // Later leaves at position 0 of a level, inside a nested group, carry 0.
    EXPECT_EQ(make_new(cw_expression, "d", "{{{1},2}}")->display_text,
              "MR.dspx 0,d(0)(0)(0),-1,-2,-1\r\n"
              "MR.dspx 1,d(0)(1),0,1\r\n");
}

struct literal_case {
    const char* code;
    const char* array;
    int leaves;
};

TEST(MakeLine, ArrayTexts) {
    const literal_case cases[] = {
        {"{}", "Array(Null)", 1},
        {"{,}", "Array(Null,Null)", 2},
        {"{1,,2}", "Array(1,Null,2)", 3},
        {"{{}}", "Array(Array(Null))", 1},
        {"{ 1 , \"a,b\" }", "Array(1 ,\"a,b\" )", 2},
        {"{f(1,2),3}", "Array(f(1,2),3)", 2},
        {"{1,2} junk", "Array(1,2)", 2}, // the literal ends at its closing brace
        {"{\"x\":19}", nullptr, 19},
        {"{{0,0}:12}", nullptr, 24},
    };
    for (const literal_case& c : cases) {
        line_ptr line = make_new(cw_expression, "v", c.code);
        EXPECT_EQ(line->status, status_ok) << c.code << ": " << line->error_text;
        if (c.array) {
            EXPECT_EQ(line->script, std::string("Dim v\r\nv=") + c.array + "\r\n");
        }
        int calls = 0;
        for (size_t p = 0; (p = line->display_text.find("MR.dspx", p)) != std::string::npos; ++p)
            ++calls;
        EXPECT_EQ(calls, c.leaves) << c.code;
    }
    EXPECT_EQ(make_new(cw_expression, "v", "{}")->display_text, "MR.dspx 0,v(0),-1\r\n");
}

TEST(MakeLine, ExpressionExtent) {
    const std::pair<const char*, const char*> cases[] = {
        {"1+2, 3", "1+2"},
        {"f(1, 2) + 1", "f(1, 2) + 1"},
        {"a) + 1", "a"},
        {"x + to", "x + "}, // a variable named to ends the expression
        {"1+step*2", "1+"},
        {"\"a\" & b", "\"a\" & b"},
        {"a ; comment", "a ; comment"}, // running to the end takes everything
        {"ex 1+2", "1+2"},              // ex is skipped
        {"Replace(s, \"a:1\", \"b\")", "Replace(s, \"a:1\", \"b\")"},
    };
    for (const auto& [code, e] : cases) {
        line_ptr line = make_new(cw_expression, "r", code);
        EXPECT_EQ(line->script, std::string("Dim r\r\nr=") + e + "\r\n") << code;
        EXPECT_EQ(line->code, code); // the code field keeps the text as typed
    }
}

TEST(MakeLine, EmptyExpressionLineDoesNothing) {
    mondrel_doc doc;
    for (const char* code : {"", "   ", "; note", "ex"}) {
        line_ptr line = make_line(doc, 1, cw_expression, "keep", code);
        EXPECT_EQ(line->status, status_ok);
        EXPECT_EQ(line->script, "");
        EXPECT_EQ(line->display_text, "");
        EXPECT_EQ(line->name, "keep");
    }
    EXPECT_EQ(doc.temp_counter(), 0);
}

struct word_case {
    int32_t word;
    const char* name;
    const char* code;
    const char* out_name;
    const char* script;
    const char* display;
    const char* aux;
};

TEST(MakeLine, CodeWordTable) {
    const word_case cases[] = {
        {cw_rem, "n", "any {1:3} text", "", "", "", ""},
        {cw_vb, "n", "x = 1: y = 2", "", "x = 1: y = 2\r\n", "", "x = 1: y = 2\r\n"},
        {cw_fmt, "n", "bill,2,\"number:0.00\"", "bill", "2", "", "\"number:0.00\""},
        {cw_fmt, "", "abcdefghijklmnopqrstuvwxyz_long, i+1 , f", "abcdefghijklmnopqrstuvwxy",
         "i+1 ", "", "f"},
        {cw_dir, "files", "\"c:\\data\"", "files", "REM \"c:\\data\"\r\n", "", ""},
        {cw_dir, "", "p & \"x\"", "", "REM p & \"x\"\r\n", "", ""},
        {cw_let, "n", "abc=2.34", "", "abc=2.34\r\n", "", ""},
        {cw_incl, "n", "\"lib.mdr\" rest", "n", "", "", "lib.mdr"},
        {cw_if, "n", "a = 1", "", "Dim temp_1\r\ntemp_1=a = 1\r\n", "MR.dspx 0,temp_1\r\n", ""},
        {cw_while, "n", "i < 3", "", "Dim temp_1\r\ntemp_1=i < 3\r\n", "MR.dspx 0,temp_1\r\n", ""},
        {cw_while, "n", "exit", "", "exit", "", ""},
        {cw_for, "", "Exit", "", "exit", "", ""},
        {cw_arr, "a", "2,d1", "a", "Dim a\r\nDim temp_1\r\ntemp_1=Array(2,d1)\r\n", "", ""},
        {cw_arr, "a", "{1:3}", "a", "Dim a\r\nDim temp_1\r\ntemp_1=Array(Array(1:3))\r\n", "", ""},
        {cw_cmd, "n", "stop", "", "stop", "", ""},
        {cw_cmd, "n", "run \"other.mdr\"", "", "run", "", "\"other.mdr\""},
    };
    for (const word_case& c : cases) {
        line_ptr line = make_new(c.word, c.name, c.code);
        SCOPED_TRACE(c.code);
        EXPECT_EQ(line->status, status_ok) << line->error_text;
        EXPECT_EQ(line->code_word, c.word);
        EXPECT_EQ(line->name, c.out_name);
        EXPECT_EQ(line->script, c.script);
        EXPECT_EQ(line->display_text, c.display);
        EXPECT_EQ(line->aux_text, c.aux);
    }
    line_ptr incl = make_new(cw_incl, "", "\"" + std::string(300, 'f') + "\"");
    EXPECT_EQ(incl->aux_text, std::string(250, 'f'));
    // The cut counts characters and never splits one.
    const std::string accented = std::string(249, 'a') + "\xC3\xA9xyz";
    EXPECT_EQ(make_new(cw_incl, "", "\"" + accented + "\"")->aux_text,
              std::string(249, 'a') + "\xC3\xA9");
}

struct typed_case {
    const char* code;
    int32_t word;
    const char* new_code;
    const char* name;
};

TEST(MakeLine, TypedCodeWords) {
    const typed_case cases[] = {
        {"rem some text", cw_rem, "some text", ""},
        {"  REM  some text  ", cw_rem, "some text", ""},
        {"'a comment", cw_rem, "a comment", ""},
        {"incl \"a.mdr\"", cw_expression, "incl \"a.mdr\"", "n"},
        {"Include \"a.mdr\"", cw_incl, "\"a.mdr\"", "n"},
        {"vb x=1", cw_vb, "x=1", ""},
        {"let a = 2", cw_let, "a = 2", ""},
        {"fmt bill,2,\"number:0.00\"", cw_fmt, "bill,2,\"number:0.00\"", "bill"},
        {"dir \"d\"", cw_dir, "\"d\"", "n"},
        {"if x", cw_if, "x", ""},
        {"while exit", cw_while, "exit", ""},
        {"for 1 to 3", cw_for, "1 to 3", "n"},
        {"arr 2, 3", cw_arr, "2, 3", "n"},
        {"cmd stop", cw_cmd, "stop", ""},
        {"ex 5", cw_expression, "ex 5", "n"},
        {"rem", cw_rem, "", ""},
    };
    for (const typed_case& c : cases) {
        line_ptr line = make_new(cw_expression, "n", c.code);
        SCOPED_TRACE(c.code);
        EXPECT_EQ(line->code_word, c.word);
        EXPECT_EQ(line->code, c.new_code);
        EXPECT_EQ(line->name, c.name);
        EXPECT_EQ(line->status, status_ok) << line->error_text;
    }
    // The line is read from the token after the word.
    EXPECT_EQ(make_new(cw_expression, "", "include \"x.mdr\"")->aux_text, "x.mdr");
    EXPECT_EQ(make_new(cw_expression, "", "if a>1 ")->script, "Dim temp_1\r\ntemp_1=a>1 \r\n");
    EXPECT_EQ(make_new(cw_expression, "", "arr 2,d1")->error_text, "name expected");
    // Only expression lines take typed words.
    EXPECT_EQ(make_new(cw_let, "", "rem x=1")->script, "rem x=1\r\n");
}

struct error_case {
    int32_t word;
    const char* name;
    const char* code;
    const char* error;
};

TEST(MakeLine, SyntaxErrors) {
    const error_case cases[] = {
        {cw_expression, "1abc", "1", "Bad characters in name"},
        {cw_expression, "a-b", "1", "Bad characters in name"},
        {cw_expression, "a b", "1", "Bad characters in name"},
        {cw_expression, "_a", "1", "Bad characters in name"},
        {cw_expression, "x", "{1,{2}", "Unequal {}s"},
        {cw_expression, "x", "{", "Unequal {}s"},
        {cw_expression, "x", "{1)}", "Unexpected \")\" in {}"},
        {cw_expression, "x", "{0:999999999}", "Repeat count too large"},
        {cw_expression, "", "for 1 to 10", "name expected"},
        {cw_fmt, "", "end,1,2", "<name> expected"},
        {cw_fmt, "", "", "<name> expected"},
        {cw_fmt, "", "\"s\",1,2", "<name> expected"},
        {cw_fmt, "", "x 1", "comma expected"},
        {cw_fmt, "", "x,", "<index> expected"},
        {cw_fmt, "", "x,1", "comma expected"},
        {cw_fmt, "", "x,f(1,2) 3", "comma expected"},
        {cw_fmt, "", "x,1,", "<format> expected"},
        {cw_dir, "", "", "<path> expected"},
        {cw_let, "", "abc", "Missing ="},
        {cw_let, "", "", "Missing ="},
        {cw_incl, "", "abc", "\"<file>\" expected"},
        {cw_incl, "", "", "\"<file>\" expected"},
        {cw_if, "", "", "<expr> expected"},
        {cw_while, "", " ; x", "<expr> expected"},
        {cw_for, "", "1 to 10", "name expected"},
        {cw_for, "i", "12", "to expected"},
        {cw_for, "i", "", "<estart> expected"},
        {cw_for, "i", "1 to", "<estop> expected"},
        {cw_arr, "a", "", "<dim> expected"},
        {cw_arr, "", "2,3", "name expected"},
        {cw_arr, "a", "{2", "Unequal {}s"},
        {cw_cmd, "", "go", "unknown <command>"},
        {cw_cmd, "", "", "unknown <command>"},
    };
    for (const error_case& c : cases) {
        line_ptr line = make_new(c.word, c.name, c.code);
        EXPECT_EQ(line->status, status_syntax_error) << c.code;
        EXPECT_EQ(line->error_text, c.error) << c.code;
        // The line keeps what was typed.
        EXPECT_EQ(line->count, 1);
    }
}

TEST(MakeLine, FailedLinesKeepWhatWasSetBeforeTheFailure) {
    line_ptr fmt = make_new(cw_fmt, "old", "target,3");
    EXPECT_EQ(fmt->error_text, "comma expected");
    EXPECT_EQ(fmt->name, "target");
    EXPECT_EQ(fmt->script, "3");
    line_ptr named = make_new(cw_expression, "9lives", "1+1");
    EXPECT_EQ(named->name, "9lives");
    EXPECT_EQ(named->script, "");
    EXPECT_EQ(named->display_text, "");
    line_ptr cleared = make_new(cw_let, "gone", "no equals");
    EXPECT_EQ(cleared->name, "");
}

TEST(MakeLine, ValidNames) {
    EXPECT_TRUE(is_valid_name("a"));
    EXPECT_TRUE(is_valid_name("Total_2"));
    EXPECT_TRUE(is_valid_name(std::string(254, 'n')));
    EXPECT_FALSE(is_valid_name(std::string(255, 'n')));
    EXPECT_FALSE(is_valid_name(""));
    EXPECT_FALSE(is_valid_name("2a"));
    EXPECT_FALSE(is_valid_name("a.b"));
    EXPECT_FALSE(is_valid_name("caf\xC3\xA9"));
}

TEST(MakeLine, HostileInputGivesClearErrors) {
    // Nesting: 64 levels are read, 65 are refused without deep recursion.
    const std::string ok = std::string(64, '{') + "1" + std::string(64, '}');
    EXPECT_EQ(make_new(cw_expression, "v", ok)->status, status_ok);
    const std::string deep = std::string(100000, '{') + "1" + std::string(100000, '}');
    EXPECT_EQ(make_new(cw_expression, "v", deep)->error_text, "Too deeply nested {}s");
    EXPECT_EQ(make_new(cw_arr, "v", deep)->error_text, "Too deeply nested {}s");
    // An unclosed megabyte of braces is found unequal in one pass.
    EXPECT_EQ(make_new(cw_expression, "v", std::string(1 << 20, '{'))->error_text,
              "Too deeply nested {}s");
    EXPECT_EQ(make_new(cw_expression, "v", "{" + std::string(1 << 20, ',') + "1")->error_text,
              "Unequal {}s");
    // A megabyte expression is copied as it is.
    std::string sum = "1";
    while (sum.size() < (1u << 20))
        sum += "+1";
    EXPECT_EQ(make_new(cw_expression, "v", sum)->script, "Dim v\r\nv=" + sum + "\r\n");
    // Display texts are bounded: 250,000 leaves each 60 levels deep would take 80 MB.
    std::string leaves = "0";
    for (int k = 1; k < 250000; ++k)
        leaves += ",0";
    const std::string wide = std::string(60, '{') + leaves + std::string(60, '}');
    EXPECT_EQ(make_new(cw_expression, "v", wide)->error_text, "Array too large");
    // Written with a repeat, the same list is refused before it is built.
    const std::string repeated = std::string(59, '{') + "{0:250000}" + std::string(59, '}');
    EXPECT_EQ(make_new(cw_expression, "v", repeated)->error_text, "Repeat count too large");
    // Comments and vb lines do not expand repeats, so they never fail on them.
    EXPECT_EQ(make_new(cw_rem, "", "{0:999999999}")->status, status_ok);
    EXPECT_EQ(make_new(cw_vb, "", "' {0:999999999}")->status, status_ok);
}

} // namespace
} // namespace mondrel
