// A thread keeps the parser's token chunks, scratch stacks and first arena chunk from one text
// to the next. Whatever a thread parsed before, a text must come out the same: same code, same
// error and position, also with several threads parsing at once.
#include "vbscript/compiler.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace vbs;

std::vector<std::string> statement_texts() {
    std::string long_stmt = "a = 1";
    for (int k = 2; k <= 40; ++k)
        long_stmt += " + " + std::to_string(k);
    std::string deep = "x = " + std::string(3000, '(') + "1" + std::string(3000, ')');
    std::string literal = "s = \"" + std::string(600, 'q') + "\" & t\r\nu = s";
    return {
        "Dim x5\r\nx5=x4+5\r\n",
        "MR.dspx 0,x5\r\n",
        long_stmt + "\r\nb = a * 2\r\n",
        literal,
        "x = 1 +\r\n" + long_stmt + "\r\ny = \"abc\r\n", // lexical error after a syntax error
        long_stmt + " )\r\n",                            // syntax error in a later chunk
        deep,                                            // nesting limit
        "Sub F(a)\r\nDim t\r\nt = a & \"k\" & \"k\"\r\nEnd Sub\r\nF 1\r\n",
        "If x Then y = 1 Else y = 2\r\nWith d\r\n.Item(1) = 2\r\nEnd With\r\n",
        "x = 1 $ 2\r\n",
    };
}

std::vector<std::string> expression_texts() {
    return {"x5 * 2 + 1", "1 +", "\"" + std::string(400, 'z') + "\" & y", "(((1)", "a = b"};
}

// Global slots numbered in the order names are first met, as an engine's are.
class Globals : public GlobalTable {
public:
    int slot(std::string_view name) override {
        std::string low = to_lower_ascii(name);
        auto it = slots_.find(low);
        if (it != slots_.end()) return it->second;
        int idx = int(slots_.size());
        slots_.emplace(low, idx);
        return idx;
    }
    bool is_defined(std::string_view) override { return false; }

private:
    std::map<std::string, int> slots_;
};

std::string error_text(const SyntaxError& err) {
    return "error " + std::to_string(err.number) + " at " + std::to_string(err.line) + ":" +
           std::to_string(err.col);
}

// The listing of every text, or its error, each compiled against a table of its own.
std::string outcome(const std::string& text, bool expression) {
    Globals globals;
    SyntaxError err;
    std::unique_ptr<Unit> unit;
    if (expression) {
        ExprPtr e;
        if (!parse_expression(text, e, err)) return error_text(err);
        unit = compile_expression(*e, globals, CompileTarget{}, err);
    } else {
        Program prog;
        if (!parse_program(text, prog, err)) return error_text(err);
        unit = compile_program(prog, globals, CompileTarget{}, err);
    }
    return unit ? disassemble(*unit) : error_text(err);
}

std::vector<std::string> outcomes(bool reversed) {
    std::vector<std::pair<std::string, bool>> texts;
    for (const std::string& t : statement_texts())
        texts.emplace_back(t, false);
    for (const std::string& t : expression_texts())
        texts.emplace_back(t, true);
    std::vector<std::string> out(texts.size());
    for (size_t k = 0; k < texts.size(); ++k) {
        size_t i = reversed ? texts.size() - 1 - k : k;
        out[i] = outcome(texts[i].first, texts[i].second);
    }
    return out;
}

// What a thread that has parsed nothing before makes of the texts.
std::vector<std::string> fresh_outcomes() {
    std::vector<std::string> fresh;
    std::thread([&] { fresh = outcomes(false); }).join();
    return fresh;
}

TEST(ParseReuse, TextsComeOutAlikeWhateverTheThreadParsedBefore) {
    const std::vector<std::string> fresh = fresh_outcomes();
    ASSERT_EQ(fresh.size(), statement_texts().size() + expression_texts().size());
    // The cases include the errors they are meant to include.
    EXPECT_EQ(fresh[4], "error 1033 at 3:9");
    EXPECT_EQ(fresh[5].substr(0, 15), "error 1025 at 1");
    EXPECT_EQ(fresh[6], "error 28 at 1:1505");
    EXPECT_EQ(fresh[statement_texts().size() + 1], "error 1023 at 1:4");
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(outcomes(false), fresh) << "round " << round;
        EXPECT_EQ(outcomes(true), fresh) << "round " << round << ", reversed";
    }
}

TEST(ParseReuse, ThreadsParsingAtOnceAgree) {
    const std::vector<std::string> fresh = fresh_outcomes();
    std::vector<int> mismatches(3, 0);
    std::vector<std::thread> threads;
    for (size_t k = 0; k < mismatches.size(); ++k)
        threads.emplace_back([&, k] {
            for (int round = 0; round < 200; ++round)
                if (outcomes(round % 2 == 1) != fresh) ++mismatches[k];
        });
    for (std::thread& t : threads)
        t.join();
    for (size_t k = 0; k < mismatches.size(); ++k)
        EXPECT_EQ(mismatches[k], 0) << "thread " << k;
}

} // namespace
