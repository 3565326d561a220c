// The options dialog's working state, its control rules and OK, without a window.

#include <gtest/gtest.h>

#include "display/prop_stuff.h"
#include "document/doc_stuff.h"
#include "document/mondrel_doc.h"
#include "execution/globals.h"
#include "shell/session/options_dialog.h"
#include "vbscript/convert.h"

namespace mondrel {
namespace {

std::vector<change_kind> last_step_kinds(const mondrel_doc& doc) {
    std::vector<change_kind> kinds;
    const auto& h = doc.history();
    if (h.undo_count() == 0) return kinds;
    const undo_item& step = h.steps()[h.undo_count() - 1];
    for (int i = step.first; i <= step.last; ++i) kinds.push_back(h.changes()[i].kind);
    return kinds;
}

struct OptionsDialog : ::testing::Test {
    mondrel_options options;
    mondrel_doc doc;
    global_list globals;
};

TEST_F(OptionsDialog, RowHeightChangeIsOneUndoStepThatUndoRestores) {
    ASSERT_EQ(doc.row_height(), 16);
    auto state = fill_options_dialog(options, doc);
    EXPECT_EQ(state.row_height, 16);
    state.row_height = 20;
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(doc.row_height(), 20);
    ASSERT_EQ(doc.history().undo_count(), 1);
    EXPECT_EQ(doc.history().steps().back().name, "tools_optionsExecute");
    EXPECT_EQ(last_step_kinds(doc), std::vector<change_kind>{change_kind::changed_grid});
    doc.undo();
    EXPECT_EQ(doc.row_height(), 16);
    EXPECT_EQ(doc.data_cols(), default_data_cols);
}

TEST_F(OptionsDialog, UnchangedDialogRecordsNothing) {
    apply_options_dialog(fill_options_dialog(options, doc), options, doc, globals);
    EXPECT_EQ(doc.history().undo_count(), 0);
    EXPECT_FALSE(doc.is_modified());
}

TEST_F(OptionsDialog, TallRowsShowAsThirtyTwoAndOkSetsThirtyTwo) {
    doc.put_grid(40, 6);
    auto state = fill_options_dialog(options, doc);
    EXPECT_EQ(state.row_height, 32);
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(doc.row_height(), 32);
    doc.undo();
    EXPECT_EQ(doc.row_height(), 40);
}

TEST_F(OptionsDialog, DataColumnsStopAtTwentySeven) {
    auto state = fill_options_dialog(options, doc);
    state.data_cols = 32; // more than the up-down offers
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(doc.data_cols(), 27);
    EXPECT_EQ(static_cast<int>(doc.col_widths().size()), 27 + 5);
    state.data_cols = 0;
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(doc.data_cols(), 1);
}

TEST(OptionsMargins, ReadsCentimetresWithAPointOnly) {
    struct row {
        const char* text;
        std::optional<int> mm;
    };
    const row rows[] = {
        {"1.55", 15}, {"1.5", 15},   {"2.3", 23},         {" 0.1 ", 1},     {"2", 20},
        {"0", 0},     {"1,5", {}},   {"", {}},            {"abc", {}},      {"1.5cm", {}},
        {"-1", {}},   {"inf", {}},   {"nan", {}},         {"1e400", {}},    {"50", 500},
        {"50.1", {}}, {"0.09", 0},
    };
    for (const row& r : rows) EXPECT_EQ(read_margin_mm(r.text), r.mm) << r.text;
}

TEST_F(OptionsDialog, MarginsShowOneDecimalAndUnreadableTextsKeepTheirValue) {
    auto state = fill_options_dialog(options, doc);
    EXPECT_EQ(state.margins[margin_left_side], "1.0");
    EXPECT_EQ(state.margins[margin_bottom_side], "2.0");
    state.margins[margin_left_side] = "1,5";
    state.margins[margin_right_side] = "1.55";
    state.margins[margin_top_side] = "";
    state.margins[margin_bottom_side] = "-3";
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(options.margin_left, 10);
    EXPECT_EQ(options.margin_right, 15);
    EXPECT_EQ(options.margin_top, 10);
    EXPECT_EQ(options.margin_bottom, 20);
}

TEST_F(OptionsDialog, LoopLimitTakesOnlyAWholePositiveNumber) {
    const std::pair<const char*, int32_t> rows[] = {
        {"250", 250}, {"12x", 1000}, {"", 1000}, {"0", 1000}, {"-5", 1000},
        {"99999999999", 1000}, {"2147483647", 2147483647},
    };
    for (const auto& [text, want] : rows) {
        options.max_loop_count = 1000;
        auto state = fill_options_dialog(options, doc);
        state.loop_limit = text;
        apply_options_dialog(state, options, doc, globals);
        EXPECT_EQ(options.max_loop_count, want) << text;
    }
}

TEST_F(OptionsDialog, AddRefusesEmptyDuplicateAndUndeclarableNames) {
    options.globals = {"total"};
    auto state = fill_options_dialog(options, doc);
    EXPECT_EQ(state.selected_global, 0);
    EXPECT_EQ(add_global_name(state, "Total"), add_global_result::duplicate);
    EXPECT_EQ(add_global_name(state, "   "), add_global_result::empty);
    EXPECT_EQ(add_global_name(state, "2x"), add_global_result::invalid);
    EXPECT_EQ(add_global_name(state, "a b"), add_global_result::invalid);
    EXPECT_EQ(state.globals, std::vector<std::string>{"total"});
    EXPECT_EQ(add_global_name(state, " rate "), add_global_result::added);
    EXPECT_EQ(state.globals, (std::vector<std::string>{"total", "rate"}));
    EXPECT_EQ(state.selected_global, 1);
}

TEST_F(OptionsDialog, DeleteNeedsASelection) {
    auto state = fill_options_dialog(options, doc);
    EXPECT_FALSE(can_delete_global(state));
    delete_selected_global(state); // nothing selected: nothing happens
    add_global_name(state, "a");
    add_global_name(state, "b");
    state.selected_global = 1;
    ASSERT_TRUE(can_delete_global(state));
    delete_selected_global(state);
    EXPECT_EQ(state.globals, std::vector<std::string>{"a"});
    EXPECT_EQ(state.selected_global, 0);
    delete_selected_global(state);
    EXPECT_TRUE(state.globals.empty());
    EXPECT_FALSE(can_delete_global(state));
}

TEST_F(OptionsDialog, OkSetsEveryGlobalBackToZero) {
    globals.add("total");
    globals.add("rate");
    globals.set_value(0, vbs::Value::long_(42));
    globals.set_value(1, vbs::Value::string("x"));
    options.globals = {"total", "rate"};
    auto state = fill_options_dialog(options, doc);
    add_global_name(state, "count");
    apply_options_dialog(state, options, doc, globals);
    ASSERT_EQ(globals.size(), 3);
    for (int i = 0; i < globals.size(); ++i) {
        EXPECT_EQ(globals.value(i).tag(), vbs::Tag::Integer) << i;
        EXPECT_EQ(vbs::to_double(globals.value(i)), 0) << i;
    }
    EXPECT_EQ(options.globals, (std::vector<std::string>{"total", "rate", "count"}));
}

TEST_F(OptionsDialog, RevertThenDroppingTheStateChangesNothing) {
    doc.put_grid(18, 5);
    const std::string before = doc.sheet_format(4).full_text();
    const mondrel_options saved = options;
    {
        auto state = fill_options_dialog(options, doc);
        state.elements[4] = "colour:$0000FF; size:14";
        revert_elements(state);
        EXPECT_EQ(state.elements[5], "name:Courier New; size:8; colour:$000080");
        EXPECT_EQ(state.elements[9], "name:Tahoma; size:8");
        // Cancel: the state is dropped.
    }
    EXPECT_EQ(doc.sheet_format(4).full_text(), before);
    EXPECT_EQ(doc.history().undo_count(), 0);
    EXPECT_EQ(options.element_formats, saved.element_formats);
}

TEST_F(OptionsDialog, ChangedSheetFormatIsRecordedAndDefaultsOnlyWithUseAsDefault) {
    auto state = fill_options_dialog(options, doc);
    state.elements[2] = "size:12; style:bold";
    state.elements[8] = "colour:$00FF00";
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(doc.sheet_format(2).size, 12);
    EXPECT_EQ(last_step_kinds(doc),
              std::vector<change_kind>{change_kind::changed_display_fmt});
    EXPECT_EQ(options.element_formats[2], ""); // not the default for new sheets
    EXPECT_EQ(options.element_formats[8], "colour:$00FF00");
    doc.undo();
    EXPECT_EQ(doc.sheet_format(2).size, prop_list::from_text("").size);

    state.use_as_default = true;
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(options.element_formats[2], "size:12; style:bold");
}

TEST_F(OptionsDialog, LoggingFollowsTheTickAndTheFileName) {
    struct row {
        bool on_before;
        bool ticked;
        const char* file;
        log_change want;
        bool on_after;
    };
    const row rows[] = {
        {true, true, "/tmp/a.log", log_change::none, true},
        {true, true, "/tmp/b.log", log_change::start, true},
        {true, false, "/tmp/b.log", log_change::stop, false},
        {false, true, "/tmp/a.log", log_change::start, true},
        {false, false, "/tmp/b.log", log_change::none, false},
    };
    for (const row& r : rows) {
        options.err_logging = r.on_before;
        options.err_log_file = "/tmp/a.log";
        auto state = fill_options_dialog(options, doc);
        state.write_log = r.ticked;
        state.log_file = r.file;
        EXPECT_EQ(apply_options_dialog(state, options, doc, globals), r.want) << r.file;
        EXPECT_EQ(options.err_logging, r.on_after);
        EXPECT_EQ(options.err_log_file, r.file);
    }
}

TEST_F(OptionsDialog, InclFolderLosesOneTrailingSeparator) {
    auto state = fill_options_dialog(options, doc);
    state.incl_dir = "C:\\lib\\";
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(options.def_incl_dir, "C:\\lib");
    state.incl_dir = "/usr/share/mondrel/";
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(options.def_incl_dir, "/usr/share/mondrel");
    state.incl_dir = "/";
    apply_options_dialog(state, options, doc, globals);
    EXPECT_EQ(options.def_incl_dir, "/");
}

} // namespace
} // namespace mondrel
