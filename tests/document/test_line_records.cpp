#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/line_pool.h"
#include "document/mondrel_doc.h"
#include "execution/make_line.h"
#include "vbscript/convert.h"

namespace mondrel {
namespace {

// The syntax bar shows these markup texts while a line is edited: "\x010" moves the text to
// x = 10 and "\b" toggles bold. Every character counts.
TEST(code_words, syntax_bar_texts) {
    const char* texts[code_word_count] = {
        R"(\x010\b=\b |   <expr>)",
        R"(\x010\bREM\b |   <anytext>)",
        R"(\x010\bVB\b |   <vbscript>)",
        R"(\x010\bFMT\b |    <name> \b,\b <index> \b,\b <format>)",
        R"(\x010\bDIR\b |   \b"\b<path>\b"\b   | \bname\b)",
        R"(\x010\bLET\b |    <name>  \b=\b  <expr>)",
        R"(\x010\bINCL\b |   \b"\b<file>\b"\b)",
        R"(\x010\bIF\b |   <expr>)",
        R"(\x010\bWHILE\b |   <expr> or \bexit\b)",
        R"(\x010\bFOR\b |   <estart> \bto\b <estop> [\bstep\b <estep>] or \bexit\b  | \bname\b)",
        R"(\x010\bARR\b |   <dim1> \b,\b <dim2> \b...\b   | \bname\b)",
        R"(\x010\bCMD\b |   <command>)",
    };
    for (int i = 0; i < code_word_count; ++i)
        EXPECT_EQ(syntax_bar_text(i), texts[i]) << i;
    EXPECT_EQ(syntax_bar_text(-1), "<syntax>");
}

TEST(line_records, a_made_line_starts_with_the_defaults_of_a_new_line) {
    mondrel_doc doc;
    line_ptr line = make_line(doc, 3, cw_rem, "n", "  indented text");
    EXPECT_EQ(line->count, 3);
    EXPECT_EQ(line->flags, 0);
    EXPECT_EQ(line->code_word, cw_rem);
    EXPECT_EQ(line->code, "  indented text"); // leading blanks are the indentation
    EXPECT_EQ(line->status, status_ok);
    EXPECT_TRUE(line->error_text.empty());
    EXPECT_EQ(line->results.count, 0);
    EXPECT_EQ(line->results.capacity, 10);
    ASSERT_NE(line->format, nullptr);
    EXPECT_EQ(line->format->full_text(), prop_list().full_text());
}

// A line's values: the first in the record, the rest in a block; growing keeps what is there,
// shrinking drops what is beyond, release empties them all and keeps the size.
TEST(line_records, values_stay_where_they_are_put) {
    value_list v;
    EXPECT_TRUE(v.empty());
    v.resize(3);
    for (size_t k = 0; k < 3; ++k)
        v[k] = vbs::Value::long_(static_cast<int32_t>(10 + k));
    v.resize(5);
    EXPECT_EQ(v.size(), 5u);
    EXPECT_EQ(vbs::to_long(v[0]), 10);
    EXPECT_EQ(vbs::to_long(v[2]), 12);
    EXPECT_TRUE(v[4].is_empty());
    v.resize(1);
    EXPECT_EQ(v.size(), 1u);
    EXPECT_EQ(vbs::to_long(v[0]), 10);
    v.resize(0);
    v.resize(2);
    EXPECT_TRUE(v[0].is_empty()); // what went does not come back
    EXPECT_TRUE(v[1].is_empty());
    v[1] = vbs::Value::string("text");
    v.release();
    EXPECT_EQ(v.size(), 2u);
    EXPECT_TRUE(v[1].is_empty());
}

// Line records come from a pool: many alive at once never share memory, and records freed
// are used again, across the pool's blocks.
TEST(line_pool, freed_rooms_are_used_again_before_new_ones) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "under AddressSanitizer every record is a block of its own";
#endif
    const std::size_t size = sizeof(source_list_item);
    std::vector<void*> rooms;
    for (int k = 0; k < 20000; ++k) // more than one block of records
        rooms.push_back(line_pool::take(size));
    std::set<void*> freed;
    for (std::size_t k = 0; k < rooms.size(); k += 3) {
        freed.insert(rooms[k]);
        line_pool::give(rooms[k]);
    }
    std::set<void*> again;
    for (std::size_t k = 0; k < freed.size(); ++k)
        again.insert(line_pool::take(size));
    EXPECT_EQ(again, freed) << "every freed room is handed out again, and each once";
    void* fresh = line_pool::take(size);
    EXPECT_EQ(freed.count(fresh), 0u);
    EXPECT_EQ(std::count(rooms.begin(), rooms.end(), fresh), 0) << "a live room is never given";
    for (void* room : again)
        line_pool::give(room);
    line_pool::give(fresh);
    for (std::size_t k = 0; k < rooms.size(); ++k)
        if (k % 3) line_pool::give(rooms[k]);
}

TEST(line_records, records_alive_together_never_overlap) {
    mondrel_doc doc;
    std::vector<line_ptr> lines;
    for (int k = 0; k < 9000; ++k)
        lines.push_back(make_line(doc, 1, cw_expression, "v" + std::to_string(k), "1"));
    for (size_t k = 0; k < lines.size(); k += 2)
        lines[k].reset();
    for (size_t k = 0; k < lines.size(); k += 2)
        lines[k] = make_line(doc, 1, cw_expression, "w" + std::to_string(k), "2");
    for (size_t k = 0; k < lines.size(); ++k) {
        lines[k]->results.count = static_cast<int32_t>(k);
        lines[k]->results.values.resize(1);
        lines[k]->results.values[0] = vbs::Value::long_(static_cast<int32_t>(k));
    }
    for (size_t k = 0; k < lines.size(); ++k) {
        ASSERT_EQ(lines[k]->name, (k % 2 ? "v" : "w") + std::to_string(k)) << k;
        ASSERT_EQ(lines[k]->results.count, static_cast<int32_t>(k)) << k;
        ASSERT_EQ(vbs::to_long(lines[k]->results.values[0]), static_cast<int32_t>(k)) << k;
    }
}

} // namespace
} // namespace mondrel
