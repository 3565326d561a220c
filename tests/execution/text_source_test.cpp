#include "execution/text_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mondrel {
namespace {

using tk = token_kind;

std::vector<tk> kinds(const std::string& text) {
    text_source source(text);
    std::vector<tk> out;
    for (const token& t : source.tokens())
        out.push_back(t.kind);
    return out;
}

std::vector<std::string> texts(const std::string& text) {
    text_source source(text);
    std::vector<std::string> out;
    for (const token& t : source.tokens())
        if (t.kind != tk::end_of_line) out.emplace_back(source.token_text(t));
    return out;
}

struct token_case {
    const char* text;
    std::vector<tk> kinds;
};

TEST(TextSource, TokenKinds) {
    const token_case cases[] = {
        {"", {tk::end_of_line}},
        {"  \t ", {tk::end_of_line}},
        {"12", {tk::integer, tk::end_of_line}},
        {"1.5", {tk::real, tk::end_of_line}},
        {".5", {tk::real, tk::end_of_line}},
        {"1.5e+3", {tk::real, tk::end_of_line}},
        {"1.5E3x", {tk::real, tk::name, tk::end_of_line}},
        // An exponent right after integer digits starts a word.
        {"1e5", {tk::integer, tk::name, tk::end_of_line}},
        {"1.x", {tk::integer, tk::member, tk::end_of_line}},
        {"a.Count", {tk::name, tk::member, tk::end_of_line}},
        {"\"a\"\"b\"", {tk::string, tk::string, tk::end_of_line}},
        {"\"open", {tk::string, tk::end_of_line}},
        {"x_1 & y", {tk::name, tk::ampersand, tk::name, tk::end_of_line}},
        {"'(),*+-/:<=>[]{}",
         {tk::apostrophe, tk::lparen, tk::rparen, tk::comma, tk::star, tk::plus, tk::minus,
          tk::slash, tk::colon, tk::less, tk::equal, tk::greater, tk::lbracket, tk::rbracket,
          tk::lbrace, tk::rbrace, tk::end_of_line}},
        {"a#b", {tk::name, tk::other, tk::name, tk::end_of_line}},
        {"a ; b c", {tk::name, tk::end_of_line}},
        {"\"a;b\" ; c", {tk::string, tk::end_of_line}},
        {"1 TO 2 Step 3",
         {tk::integer, tk::kw_to, tk::integer, tk::kw_step, tk::integer, tk::end_of_line}},
        // Multi-byte characters are "other", never quotes or commas (0xA2 & 0x7F is '"').
        {"\xC2\xA2,x", {tk::other, tk::comma, tk::name, tk::end_of_line}},
        {"\"\xC2\xA2\xE2\x82\xAC\"", {tk::string, tk::end_of_line}},
    };
    for (const token_case& c : cases)
        EXPECT_EQ(kinds(c.text), c.kinds) << c.text;
}

TEST(TextSource, TokenTextsAndPlaces) {
    EXPECT_EQ(texts("\"a b\" x.y 1.25"), (std::vector<std::string>{"a b", "x", ".y", "1.25"}));
    EXPECT_EQ(texts("\"\""), (std::vector<std::string>{""}));
    EXPECT_EQ(texts("\"open"), (std::vector<std::string>{"open"}));

    text_source source("  \"ab\" ; rest");
    ASSERT_EQ(source.tokens().size(), 2u);
    EXPECT_EQ(source.tokens()[0].start, 2u); // the opening quote
    EXPECT_EQ(source.tokens()[0].end, 6u);
    EXPECT_EQ(source.tokens()[1].start, 7u); // the semicolon ends the tokens
}

TEST(TextSource, KeywordList) {
    EXPECT_EQ(keyword_words.size(), 49u);
    for (size_t k = 0; k < keyword_words.size(); ++k) {
        const std::string word(keyword_words[k]);
        const tk kind = keyword_kind(word);
        EXPECT_NE(kind, tk::name) << word;
        EXPECT_EQ(keyword_text(kind), word);
        std::string upper = word;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(keyword_kind(upper), kind) << upper;
    }
    EXPECT_EQ(keyword_kind("incl"), tk::name);
    EXPECT_EQ(keyword_kind("next"), tk::name);
    EXPECT_EQ(keyword_kind("tox"), tk::name);
    // Only the first 32 characters are looked up; a long word is a name.
    EXPECT_EQ(keyword_kind("step" + std::string(40, '_')), tk::name);
}

TEST(TextSource, LongTextScansLinearly) {
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "ab,";
    text_source source(text);
    EXPECT_EQ(source.tokens().size(), 400001u);
}

} // namespace
} // namespace mondrel
