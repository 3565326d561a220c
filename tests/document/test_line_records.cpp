#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/line_pool.h"
#include "document/line_text.h"
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

// Lines without a format of their own share one set; a line given a format owns it. Taking
// the shared set out of a line (a format change kept for undo, a deleted line) never frees it.
TEST(line_records, lines_without_a_format_share_one_set) {
    mondrel_doc doc;
    line_ptr plain1 = read_text_line(doc, "c 1 =1");
    line_ptr plain2 = read_text_line(doc, "c 1 rem text");
    line_ptr styled = read_text_line(doc, "c 1 =2      ''f style:bold");
    EXPECT_EQ(plain1->format.get(), plain2->format.get());
    EXPECT_EQ(plain1->format.get(), empty_text_format().get());
    EXPECT_EQ(plain1->format->name, "Arial") << "the set parsed from the empty text";
    EXPECT_NE(styled->format.get(), plain1->format.get());
    EXPECT_EQ(styled->format->style, unsigned{style_bold});
    // A copy for another line shares a shared set and copies an own one.
    EXPECT_EQ(format_copy(plain1->format).get(), plain1->format.get());
    const format_ptr copied = format_copy(styled->format);
    EXPECT_NE(copied.get(), styled->format.get());
    EXPECT_EQ(copied->source_text, "style:bold");

    const prop_list* shared = plain1->format.get();
    doc.clear();
    doc.add_sli(std::move(plain1));
    doc.add_sli(std::move(plain2));
    doc.add_sli(std::move(styled));
    // The shared set goes into the undo record and back.
    doc.history().begin_group("format");
    doc.changed_fmt(0, format_from_text("align:right"));
    doc.history().end_group();
    EXPECT_EQ(doc.line(0).format->align, prop_align::right);
    doc.undo();
    EXPECT_EQ(doc.line(0).format.get(), shared);
    doc.history().begin_group("format");
    doc.changed_fmt(1, format_from_text("style:italic"));
    doc.history().end_group();
    doc.clear();
    // Every holder is gone; the shared set is still whole for the next line.
    EXPECT_EQ(read_text_line(doc, "c 1 =3")->format->name, "Arial");
    EXPECT_EQ(format_from_text("").get(), shared);
}

// The vectors most lines leave empty cost one pointer and no block until they are filled, and
// give the block back when emptied; a copy is a copy, not a second owner of the block.
TEST(line_records, rare_vectors_hold_what_they_are_given) {
    rare_vector<si_array> v;
    EXPECT_TRUE(v.empty());
    EXPECT_EQ(v.begin(), v.end());
    v.resize(3);
    v[2] = si_array{1, 2};
    v.resize(5, si_array{7});
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[2], (si_array{1, 2})) << "growing keeps what is there";
    EXPECT_EQ(v[4], (si_array{7}));
    rare_vector<si_array> copy = v;
    copy[2].push_back(3);
    EXPECT_EQ(v[2], (si_array{1, 2}));
    EXPECT_EQ(copy[2], (si_array{1, 2, 3}));
    size_t seen = 0;
    for (const si_array& path : copy)
        seen += path.size();
    EXPECT_EQ(seen, 5u) << "every element is walked: 0 + 0 + 3 + 1 + 1";
    copy = std::vector<si_array>{{4}, {5}};
    EXPECT_EQ(copy.size(), 2u);
    EXPECT_EQ(copy[1], (si_array{5}));
    copy = v;
    EXPECT_EQ(copy[4], (si_array{7}));
    v.assign(2, si_array{9});
    EXPECT_EQ(v[0], (si_array{9}));
    v.clear();
    EXPECT_TRUE(v.empty());
    copy.resize(0);
    EXPECT_TRUE(copy.empty());
    copy = v;
    EXPECT_TRUE(copy.empty());
}

// A long sheet holds millions of records; each is kept within six cache lines.
TEST(line_records, a_record_stays_small) {
    EXPECT_LE(sizeof(source_list_item), 384u);
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
