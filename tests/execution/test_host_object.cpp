// The host object MR and what it stores on the lines; format results; global variables.
#include <gtest/gtest.h>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "execution/globals.h"
#include "execution/results.h"
#include "execution/run_engine.h"
#include "execution/tmr_object.h"
#include "platform/diagnostic_log.h"
#include "test_run_support.h"

namespace mondrel {
namespace {

// A document, a host object registered as MR in a stand-in engine, and a fetch context.
struct host_fixture {
    mondrel_doc doc;
    global_list globals;
    fetch_context fetch;
    test::fake_engine engine;
    vbs::Ptr<TMRObject> mr = vbs::make_object<TMRObject>(doc, fetch, globals);

    host_fixture() {
        engine.add_object("MR", mr);
        doc.line(0).format = std::make_unique<prop_list>(prop_list::from_text("colour:$0000FF"));
    }
    vbs::ExecResult run(std::string_view text, fetch_mode mode = fetch_mode::reset) {
        fetch.line = 0;
        fetch.mode = mode;
        if (mode == fetch_mode::reset) doc.line(0).results.count = 0;
        vbs::ExecResult r = engine.execute_statement(text);
        fetch.line = -1;
        return r;
    }
    line_results& results() { return doc.line(0).results; }
};

TEST(HostDspx, OneValueWithoutIndexes) {
    host_fixture h;
    ASSERT_TRUE(h.run("MR.dspx 0,42").ok());
    EXPECT_EQ(h.results().count, 1);
    EXPECT_EQ(vbs::to_double(h.results().values[0]), 42);
    EXPECT_TRUE(h.results().indexes.empty()); // no paths: none are kept
    EXPECT_EQ(value_format(h.doc.line(0), 0), h.doc.line(0).format.get());
    EXPECT_EQ(h.results().capacity, 10);
}

TEST(HostDspx, LiteralStoresIndexPathsAndClosedFlags) {
    host_fixture h;
    ASSERT_TRUE(h.run("MR.dspx 0,1,-3\r\nMR.dspx 1,2,1\r\nMR.dspx 2,3,2\r\n").ok());
    ASSERT_EQ(h.results().count, 3);
    EXPECT_EQ(h.results().indexes[0], (si_array{-3}));
    EXPECT_EQ(h.results().indexes[1], (si_array{1}));
    EXPECT_EQ(h.results().indexes[2], (si_array{2}));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(h.results().opens[k], (bo_array{0}));
}

TEST(HostDspx, IndexesStopAtTheFirstMissingOneAndTenAreKept) {
    host_fixture h;
    ASSERT_TRUE(h.run("MR.dspx 0,5,1,2,3,4,5,6,7,8,9,10").ok());
    EXPECT_EQ(h.results().indexes[0], (si_array{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_TRUE(h.run("MR.dspx 0,5,1,,3").ok());
    EXPECT_EQ(h.results().indexes[0], (si_array{1}));
}

TEST(HostDspx, ResetGrowsByTenUpdateNeverGrows) {
    host_fixture h;
    ASSERT_TRUE(h.run("MR.dspx 12,7").ok());
    EXPECT_EQ(h.results().capacity, 22);
    EXPECT_EQ(h.results().count, 13);
    EXPECT_EQ(h.results().values.size(), 13u); // kept up to the highest value stored
    EXPECT_TRUE(h.results().opens.empty());
    ASSERT_TRUE(h.run("MR.dspx 24,7,1").ok()); // a path: the paths and flags grow too
    EXPECT_EQ(h.results().capacity, 34);
    EXPECT_EQ(h.results().values.size(), 25u);
    EXPECT_EQ(h.results().indexes.size(), 34u);
    EXPECT_EQ(h.results().opens.size(), 34u);
    EXPECT_EQ(h.results().saved_opens.size(), 34u);

    host_fixture u;
    ASSERT_TRUE(u.run("MR.dspx 12,7", fetch_mode::update).ok());
    EXPECT_EQ(u.results().capacity, 10);
    EXPECT_EQ(u.results().count, 0);
    // Update replaces the value only, keeping count, path and format.
    ASSERT_TRUE(u.run("MR.dspx 0,1,-2\r\nMR.dspx 1,2,1").ok());
    ASSERT_TRUE(u.run("MR.dspx 0,9", fetch_mode::update).ok());
    EXPECT_EQ(u.results().count, 2);
    EXPECT_EQ(vbs::to_double(u.results().values[0]), 9);
    EXPECT_EQ(u.results().indexes[0], (si_array{-2}));
}

TEST(HostDspx, RefusedRowsAndArguments) {
    host_fixture h;
    EXPECT_TRUE(h.run("MR.dspx -1,7").ok()); // ignored
    EXPECT_EQ(h.results().count, 0);
    EXPECT_EQ(h.results().capacity, 10);
    // An absurd row fails the call instead of allocating billions of slots.
    EXPECT_FALSE(h.run("MR.dspx 2000000000,1").ok());
    EXPECT_EQ(h.results().capacity, 10);
    EXPECT_FALSE(h.run("MR.dspx 0").ok());
    EXPECT_FALSE(h.run("MR.dspx 0,1,\"abc\"").ok()); // index that is no number
    // Outside a fetch, reported values go nowhere.
    h.fetch.line = -1;
    EXPECT_TRUE(h.engine.execute_statement("MR.dspx 0,5").ok());
    EXPECT_EQ(h.results().count, 0);
}

TEST(HostFmtAndGlob, FmtIsAcceptedGlobFillsTheVariable) {
    host_fixture h;
    ASSERT_TRUE(h.globals.add("rate"));
    h.globals.set_value(0, vbs::Value::long_(5));
    EXPECT_TRUE(h.run("MR.fmt 0,1,\"style:bold\"").ok());
    EXPECT_EQ(h.results().count, 0);
    ASSERT_TRUE(h.engine.execute_statement("x=3\r\nMR.glob 0,x\r\ny=3\r\nMR.glob 1,y").ok());
    EXPECT_EQ(vbs::to_double(h.engine.var("x")), 5);
    EXPECT_TRUE(h.engine.var("y").is_empty()); // outside the list: emptied
    EXPECT_FALSE(h.engine.execute_statement("MR.nosuch 1").ok());
}

TEST(FormatResults, FirstLineOfTheNameAndIndexBelowCapacityOnly) {
    mondrel_doc doc;
    test::fill_sheet(doc, {{0, cw_expression, "bill", "{1,2,3}"},
                           {0, cw_expression, "bill", "{1,2,3}"},
                           {0, cw_expression, "Bill", "{1,2,3}"}});
    fmt_result_list list;
    list.push_back(make_fmt_res_item("bill", 2, "style:bold;align:centre"));
    list.push_back(make_fmt_res_item("bill", 10, "style:italic"));
    list.push_back(make_fmt_res_item("bill", -1, "style:italic"));
    list.push_back(make_fmt_res_item("nobody", 0, "style:italic"));
    apply_fmt_results(doc, list);
    const auto& first = doc.line(0).results.formats;
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(first[2], &list[0]->format);
    EXPECT_EQ(first[0], nullptr);
    EXPECT_TRUE(doc.line(1).results.formats.empty() || doc.line(1).results.formats[2] == nullptr);
    EXPECT_TRUE(doc.line(2).results.formats.empty() || doc.line(2).results.formats[2] == nullptr);
}

TEST(FormatResults, FmtLineDuringARunFormatsItsTarget) {
    mondrel_doc doc;
    test::fill_sheet(doc, {{0, cw_expression, "bill", "{1,2,3}"},
                           {0, cw_fmt, "", "bill, 1, \"style:bold\""},
                           {0, cw_fmt, "", "bill, \"x\", \"style:bold\""}});
    global_list globals;
    run_engine run(doc, std::make_unique<test::fake_engine>(), globals);
    run.run_all();
    ASSERT_EQ(run.fmt_results().size(), 1u);
    EXPECT_EQ(run.fmt_results()[0]->name, "bill");
    EXPECT_EQ(run.fmt_results()[0]->index, 1);
    EXPECT_EQ(doc.line(2).error_text, "Error in FMT stmt");
    apply_fmt_results(doc, run.fmt_results());
    EXPECT_EQ(value_format(doc.line(0), 1), &run.fmt_results()[0]->format);
    EXPECT_EQ(value_format(doc.line(0), 0), doc.line(0).format.get());
    // The next run's values show in the line's own format again, until FMT results are laid
    // over them once more.
    run.run_all();
    EXPECT_EQ(value_format(doc.line(0), 1), doc.line(0).format.get());
    apply_fmt_results(doc, run.fmt_results());
    EXPECT_EQ(value_format(doc.line(0), 1), &run.fmt_results()[0]->format);
}

TEST(Globals, NamesAreCheckedAndStartAtZero) {
    global_list g;
    EXPECT_TRUE(g.add("rate"));
    EXPECT_FALSE(g.add("RATE")); // the script compares names without case
    for (const char* bad : {"", "1x", "a b", "x\r\nMsgBox 1", "a-b", "x\"y"})
        EXPECT_FALSE(g.add(bad)) << bad;
    g.set_names({"a", "b", "bad name", "a"});
    ASSERT_EQ(g.size(), 2);
    EXPECT_EQ(g.value(1).tag(), vbs::Tag::Integer);
    EXPECT_EQ(g.value(1).int_val(), 0);
}

TEST(Globals, SetAndGetThroughTheEngineLogFailures) {
    memory_log log;
    diagnostic_log* previous = set_diagnostic_log(&log);
    mondrel_doc doc;
    global_list g;
    g.add("total");
    g.add("rate");
    fetch_context fetch;
    test::fake_engine engine;
    engine.add_object("MR", vbs::make_object<TMRObject>(doc, fetch, g));
    g.set_value(1, vbs::Value::long_(4));
    set_globals(engine, g);
    EXPECT_EQ(vbs::to_double(engine.var("rate")), 4);
    engine.execute_statement("total=12");
    get_globals(engine, g);
    EXPECT_EQ(vbs::to_double(g.value(0)), 12);
    EXPECT_TRUE(log.lines.empty());

    test::fake_engine bare; // no MR: every set-up call fails and is logged, one per global
    set_globals(bare, g);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].rfind("ERROR in mondrel_doc.set_globals: ", 0), 0u);
    set_diagnostic_log(previous);
}

TEST(Globals, SharedByTwoDocumentsAndLostAfterCmdStop) {
    global_list g;
    g.add("shared");
    mondrel_doc a, b, c;
    test::fill_sheet(a, {{0, cw_let, "", "shared=shared+5"}});
    test::fill_sheet(b, {{0, cw_expression, "seen", "shared"}});
    test::fill_sheet(c, {{0, cw_let, "", "shared=99"}, {0, cw_cmd, "", "stop"}});
    run_engine ra(a, std::make_unique<test::fake_engine>(), g);
    run_engine rb(b, std::make_unique<test::fake_engine>(), g);
    run_engine rc(c, std::make_unique<test::fake_engine>(), g);
    ra.run_all();
    rb.run_all();
    EXPECT_EQ(test::value0(b, 0), 5);
    ra.run_all();
    EXPECT_EQ(vbs::to_double(g.value(0)), 10);
    rc.run_all(); // cmd stop: the change to shared is not read back
    EXPECT_EQ(rc.reason(), stop_reason::stop);
    EXPECT_EQ(vbs::to_double(g.value(0)), 10);
}

} // namespace
} // namespace mondrel
