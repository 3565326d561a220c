// Forgetting the history when lines come and go without records (include files): nothing
// recorded before may be replayed at the shifted indexes afterwards.

#include <gtest/gtest.h>

#include "test_editing_support.h"

namespace mondrel::test {
namespace {

line_ptr blank() {
    return std::make_unique<source_list_item>(1, "", "new");
}

template <typename Op> void step(mondrel_doc& doc, Op op) {
    doc.history().begin_group("step");
    op();
    doc.history().end_group();
}

TEST(undo_forget, drops_every_step_and_keeps_the_modified_state) {
    mondrel_doc doc;
    build(doc, {{1}, {1}, {1}});
    doc.mark_saved();
    step(doc, [&] { doc.add_after_sli(blank(), 0); });
    ASSERT_EQ(doc.history().undo_count(), 1);
    ASSERT_TRUE(doc.is_modified());

    doc.history().forget_steps();
    EXPECT_EQ(doc.history().undo_count(), 0);
    EXPECT_EQ(doc.history().redo_count(), 0);
    EXPECT_TRUE(doc.is_modified()) << "unsaved work must still be reported";
    const std::string now = picture(doc);
    EXPECT_FALSE(doc.undo().applied);
    EXPECT_EQ(picture(doc), now);

    doc.mark_saved();
    doc.history().forget_steps();
    EXPECT_FALSE(doc.is_modified());
}

TEST(undo_forget, inside_a_group_only_later_records_make_the_step) {
    mondrel_doc doc;
    build(doc, {{1}, {1}, {1}});
    doc.history().begin_group("edit_add");
    doc.add_after_sli(blank(), 0); // recorded before the lines moved: must not be replayed
    doc.history().forget_steps();
    doc.add_after_sli(blank(), 2); // recorded after: a sound step
    doc.history().end_group();
    ASSERT_EQ(doc.history().undo_count(), 1);
    ASSERT_EQ(doc.line_count(), 5);
    EXPECT_TRUE(doc.undo().applied);
    EXPECT_EQ(doc.line_count(), 4) << "only the later line is taken back";
}

} // namespace
} // namespace mondrel::test
