// Random code texts through the line maker: whatever is typed, make_line returns a line whose
// status and error agree, and the texts it makes keep their shape.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/make_line.h"

namespace mondrel {
namespace {

// Pieces that the syntax cares about, so random texts reach the interesting paths often.
const char* const pieces[] = {"{",   "}",  ",",        ":",    ":3",   ":0",   "\"",  "\"a:1\"",
                              "(",   ")",  " ",        "to",   "step", "exit", "run", "stop",
                              "=",   ";",  "'",        "x",    "1",    "2.5",  "rem", "include",
                              "for", "ex", "\xC3\xA9", "\xA2", "\t"};

std::string random_code(std::mt19937& rng) {
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<size_t> piece(0, std::size(pieces) - 1);
    std::string code;
    for (int n = length(rng); n > 0; --n)
        code += pieces[piece(rng)];
    return code;
}

size_t count_of(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

TEST(MakeLineRandom, EveryTextGivesAConsistentLine) {
    std::mt19937 rng(20261206);
    mondrel_doc doc;
    for (int round = 0; round < 20000; ++round) {
        const std::string code = random_code(rng);
        const int32_t word = static_cast<int32_t>(rng() % code_word_count);
        const std::string name = rng() % 2 ? "" : "v";
        line_ptr line = make_line(doc, 1, word, name, code);
        SCOPED_TRACE("word " + std::to_string(word) + " code [" + code + "]");
        ASSERT_TRUE(line->status == status_ok || line->status == status_syntax_error);
        ASSERT_EQ(line->status == status_syntax_error, !line->error_text.empty());
        ASSERT_TRUE(is_valid_code_word(line->code_word));
        if (line->status != status_ok) continue;
        // Every display call is one line of its own.
        ASSERT_EQ(count_of(line->display_text, "MR.dspx "), count_of(line->display_text, "\r\n"));
        if (line->code_word == cw_expression && !line->script.empty()) {
            ASSERT_EQ(line->script.rfind("Dim " + line->name + "\r\n" + line->name + "=", 0), 0u);
            ASSERT_GE(count_of(line->display_text, "MR.dspx "), 1u);
        }
    }
}

} // namespace
} // namespace mondrel
