// The format editor's fields, examples and ready-made formats, Edit Format on several lines
// through that logic, and the properties change, all without a window.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "display/prop_stuff.h"
#include "document/doc_stuff.h"
#include "document/editing_commands.h"
#include "document/mondrel_doc.h"
#include "shell/session/format_dialog.h"
#include "vbscript/locale.h"

namespace mondrel {
namespace {

// Examples depend on the locale's separators; the tests pin an English one.
struct FormatDialog : ::testing::Test {
    void SetUp() override {
        saved = vbs::current_locale();
        ASSERT_TRUE(vbs::set_current_locale("en-GB"));
    }
    void TearDown() override { vbs::set_current_locale(saved); }
    vbs::locale_info saved;
};

int row_named(std::string_view name) {
    const auto& rows = number_examples();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].name == name) return static_cast<int>(i);
    return -1;
}

TEST_F(FormatDialog, ListsHaveTheirRowsAndEndBlank) {
    EXPECT_EQ(number_examples().size(), 20u);
    EXPECT_EQ(date_examples().size(), 10u);
    const auto& last = number_examples().back();
    EXPECT_TRUE(last.name.empty() && last.number.empty() && last.number0.empty() &&
                last.number_neg.empty());
    EXPECT_TRUE(date_examples().back().name.empty() && date_examples().back().date.empty());
    for (const auto& r : number_examples()) EXPECT_TRUE(r.number0.empty()) << r.name;
    EXPECT_EQ(number_examples()[7].name, "Money \xC2\xA3 ") << "the name ends with a space";
    EXPECT_EQ(number_examples()[11].name, "Money $ ");
}

TEST_F(FormatDialog, LoadTakesFieldsAndKeepsTheTextUntilAControlChanges) {
    format_dialog_state s;
    const std::string typed = "align:centre; number:0.00; number0:-; number-:(0.00); date:d/m/yy; bcolour:$00FF00";
    s.load(typed);
    EXPECT_EQ(s.fields().align, prop_align::centre);
    EXPECT_EQ(s.fields().number, "0.00");
    EXPECT_EQ(s.fields().number0, "-");
    EXPECT_EQ(s.fields().number_neg, "(0.00)");
    EXPECT_EQ(s.fields().date, "d/m/yy");
    EXPECT_EQ(s.text(), typed);

    format_fields f = s.fields();
    f.align = prop_align::right;
    s.set_fields(f);
    prop_list back = prop_list::from_text(s.text());
    EXPECT_EQ(back.align, prop_align::right);
    EXPECT_EQ(back.number, "0.00");
    EXPECT_EQ(back.bcolour, 0x00FF00u) << "a property with no control passes through";
}

TEST_F(FormatDialog, MoneyPoundBracketsFillsNumberAndNegativeAndEmptiesZero) {
    format_dialog_state s;
    s.load("number0:zero");
    s.choose_number_example(row_named("Money \xC2\xA3 ()"));
    EXPECT_EQ(s.fields().number, "\"\xC2\xA3\"0");
    EXPECT_EQ(s.fields().number0, "");
    EXPECT_EQ(s.fields().number_neg, "\"\xC2\xA3\"(0)");
    format_examples ex = s.examples();
    EXPECT_EQ(ex.number, "\xC2\xA3" "1235");
    EXPECT_EQ(ex.zero, "\xC2\xA3" "0") << "an empty zero format falls back to the number format";
    EXPECT_EQ(ex.negative, "\xC2\xA3(0)");
    prop_list back = prop_list::from_text(s.text());
    EXPECT_EQ(back.number0, "");
    EXPECT_EQ(back.number_neg, "\"\xC2\xA3\"(0)");
}

TEST_F(FormatDialog, BlankLastRowEmptiesNumberFieldsAndShowsGeneralForm) {
    format_dialog_state s;
    s.load("number:0.00; number0:-; number-:(0.00)");
    s.choose_number_example(static_cast<int>(number_examples().size()) - 1);
    EXPECT_EQ(s.fields().number, "");
    EXPECT_EQ(s.fields().number0, "");
    EXPECT_EQ(s.fields().number_neg, "");
    format_examples ex = s.examples();
    EXPECT_EQ(ex.number, "1234.567");
    EXPECT_EQ(ex.zero, "0");
    EXPECT_EQ(ex.negative, "-0.123456");
}

TEST_F(FormatDialog, ChoosingOutOfRangeRowsChangesNothing) {
    format_dialog_state s;
    s.load("number:0.00; date:dd/mm/yy");
    s.choose_number_example(-1);
    s.choose_number_example(20);
    s.choose_date_example(10);
    EXPECT_EQ(s.fields().number, "0.00");
    EXPECT_EQ(s.fields().date, "dd/mm/yy");
    EXPECT_EQ(s.text(), "number:0.00; date:dd/mm/yy");
}

TEST_F(FormatDialog, DateExamplesRenderTheExampleDate) {
    struct row { int index; const char* text; };
    const row rows[] = {{0, "2/10/06"}, {2, "02/10/2006"}, {4, "Monday October 2006"},
                        {7, "02-Oct-06"}, {9, ""}};
    for (const row& r : rows) {
        format_dialog_state s;
        s.load("");
        s.choose_date_example(r.index);
        EXPECT_EQ(s.fields().date, date_examples()[static_cast<size_t>(r.index)].date);
        if (*r.text) EXPECT_EQ(s.examples().date, r.text) << r.index;
        else EXPECT_FALSE(s.examples().date.empty()) << "an empty date format shows the plain date";
    }
}

// fields -> text -> fields for every ready-made format, alone and combined with a date.
TEST_F(FormatDialog, EveryReadyMadeFormatSurvivesTheRoundTrip) {
    const prop_align aligns[] = {prop_align::left, prop_align::right, prop_align::centre};
    int k = 0;
    for (const auto& n : number_examples()) {
        const auto& d = date_examples()[static_cast<size_t>(k) % date_examples().size()];
        format_fields f{aligns[k % 3], std::string(n.number), std::string(n.number0),
                        std::string(n.number_neg), std::string(d.date)};
        ++k;
        format_dialog_state edited;
        edited.load("name:Courier; size:10");
        edited.set_fields(f);
        const std::string text = edited.text();
        prop_list back = prop_list::from_text(text);
        EXPECT_EQ(fields_of(back), f) << n.name << " / " << d.name << ": " << text;
        EXPECT_EQ(back.name, "Courier") << text;
        EXPECT_EQ(back.size, 10) << text;

        format_dialog_state s;
        s.load(text);
        EXPECT_EQ(s.fields(), f) << text;
    }
}

// A format editor that behaves as the dialog does: it loads the shown text, picks a row
// and answers with the rebuilt text.
struct dialog_editor : format_editor {
    std::string shown;
    int number_row = 0;
    bool edit(std::string& text) override {
        shown = text;
        format_dialog_state s;
        s.load(text);
        s.choose_number_example(number_row);
        text = s.text();
        return true;
    }
};

TEST_F(FormatDialog, ThreeDifferingLinesStartMergedAndEndEqualInOneStep) {
    mondrel_doc doc;
    for (int k = 0; k < 3; ++k)
        doc.add_sli(std::make_unique<source_list_item>(1, "", "L" + std::to_string(k)));
    doc.line(0).format = std::make_unique<prop_list>(prop_list::from_text("align:right; style:bold; number:0.0"));
    doc.line(1).format = std::make_unique<prop_list>(prop_list::from_text("align:right; number:0.00"));
    doc.line(2).format = std::make_unique<prop_list>(prop_list::from_text("align:right; style:italic"));
    const int steps_before = doc.history().undo_count();

    dialog_editor ed;
    ed.number_row = row_named("General 2dp,");
    command_ports ports;
    ports.formats = &ed;
    editing_commands commands(doc, ports);
    const std::vector<int> sel{0, 1, 2};
    ASSERT_TRUE(commands.edit_format(sel));

    prop_list shown = prop_list::from_text(ed.shown);
    EXPECT_EQ(shown.align, prop_align::right) << ed.shown;
    EXPECT_EQ(shown.style, 0u) << ed.shown;
    EXPECT_EQ(shown.number, "") << ed.shown;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(doc.line(i).format->number, ",0.00") << i;
        EXPECT_EQ(doc.line(i).format->align, prop_align::right) << i;
        EXPECT_TRUE(doc.line(i).format->same_fields(*doc.line(0).format)) << i;
    }
    EXPECT_EQ(doc.history().undo_count(), steps_before + 1);
    EXPECT_EQ(doc.history().steps().back().name, "edit_formatExecute");
    doc.undo();
    EXPECT_EQ(doc.line(0).format->number, "0.0");
    EXPECT_EQ(doc.line(1).format->number, "0.00");
    EXPECT_EQ(doc.line(2).format->style, unsigned(style_italic));
}

TEST(Properties, ChangedTextsAreOneUndoStepAndUndoRestoresThem) {
    mondrel_doc doc;
    doc.created_by = "Ann";
    doc.description = "Sums";
    const int before = doc.history().undo_count();
    EXPECT_TRUE(apply_properties(doc, "Bob", "Sums"));
    EXPECT_EQ(doc.created_by, "Bob");
    ASSERT_EQ(doc.history().undo_count(), before + 1);
    EXPECT_EQ(doc.history().steps().back().name, "file_propertiesExecute");

    EXPECT_TRUE(apply_properties(doc, "Bob", "Totals"));
    EXPECT_EQ(doc.history().undo_count(), before + 2);
    doc.undo();
    EXPECT_EQ(doc.description, "Sums");
    doc.undo();
    EXPECT_EQ(doc.created_by, "Ann");

    EXPECT_TRUE(apply_properties(doc, "Cy", "Both"));
    EXPECT_EQ(doc.history().undo_count(), before + 1) << "both texts in one step";
    doc.undo();
    EXPECT_EQ(doc.created_by, "Ann");
    EXPECT_EQ(doc.description, "Sums");
}

TEST(Properties, OkWithoutChangeRecordsNothing) {
    mondrel_doc doc;
    doc.created_by = "Ann";
    doc.description = "Sums";
    const int before = doc.history().undo_count();
    const bool modified = doc.is_modified();
    EXPECT_FALSE(apply_properties(doc, "Ann", "Sums"));
    EXPECT_EQ(doc.history().undo_count(), before);
    EXPECT_EQ(doc.is_modified(), modified);
}

TEST(Properties, ReadOnlyPageIsLeftAlone) {
    mondrel_doc doc;
    doc.read_only = true;
    doc.set_display_name("Help");
    doc.created_by = "Mondrel";
    EXPECT_FALSE(properties_allowed(doc));
    EXPECT_FALSE(apply_properties(doc, "Someone", "Changed"));
    EXPECT_EQ(doc.created_by, "Mondrel");
    EXPECT_EQ(doc.description, "");
    EXPECT_EQ(doc.history().undo_count(), 0);

    mondrel_doc open;
    open.set_display_name("Budget.mcs");
    EXPECT_TRUE(properties_allowed(open));
    EXPECT_EQ(properties_caption(open), "Mondrel - Properties of Budget.mcs");
}

} // namespace
} // namespace mondrel
