#include "display/value_text.h"

#include <gtest/gtest.h>

namespace mondrel {
namespace {

// Fixes the current locale for one test and puts the previous one back.
class locale_scope {
public:
    explicit locale_scope(const char* name) : saved_(vbs::current_locale()) {
        vbs::set_current_locale(name);
    }
    ~locale_scope() { vbs::set_current_locale(saved_); }

private:
    vbs::locale_info saved_;
};

std::string text(const vbs::Value& v, const char* format = "") {
    return value_text(v, prop_list::from_text(format));
}

TEST(value_text, kinds_by_type_code) {
    locale_scope us("en-US");
    EXPECT_EQ(text(vbs::Value()), "Empty");
    EXPECT_EQ(text(vbs::Value::null()), "Null");
    EXPECT_EQ(text(vbs::Value::boolean(true)), "true");
    EXPECT_EQ(text(vbs::Value::boolean(false)), "false");
    EXPECT_EQ(text(vbs::Value::string("12.5"), "number:0.00"), "12.5"); // text stays text
    EXPECT_EQ(text(vbs::Value::string("")), "");
    EXPECT_EQ(text(vbs::Value::nothing()), "IDispatch");
    EXPECT_EQ(text(vbs::Value::error(5)), "error");
    EXPECT_EQ(text(vbs::Value::array(vbs::ArrayRep::make_vector({vbs::Value::long_(1)}))), "???");
    EXPECT_EQ(text(vbs::Value::integer(-32768), "number:#,##0"), "-32,768");
    EXPECT_EQ(text(vbs::Value::long_(1234567), "number:#,##0"), "1,234,567");
    EXPECT_EQ(text(vbs::Value::byte(255)), "255");
    EXPECT_EQ(text(vbs::Value::single(0.1f)), "0.1");
    EXPECT_EQ(text(vbs::Value::dbl(2.5 / 7)), "0.357142857142857");
    EXPECT_EQ(text(vbs::Value::dbl(2.5 / 7), "number:0.00"), "0.36");
    EXPECT_EQ(text(vbs::Value::currency_raw(-35000), "number:0.00; number-:(0.00)"), "(3.50)");
    EXPECT_EQ(text(vbs::Value::currency_raw(12345678), "number:0.0000"), "1234.5678");
    EXPECT_EQ(text(vbs::Value::date(38992.5), "number:0.00"), "10/2/2006 12:00:00 PM");
    EXPECT_EQ(text(vbs::Value::date(38992), "date:dd-mmm-yyyy"), "02-Oct-2006");

    vbs::Value target = vbs::Value::dbl(-3.5);
    EXPECT_EQ(text(vbs::Value::ref(&target), "number:0.0; number-:(0.0)"), "(3.5)");
}

// A zero format without a main number format: exact zeros of every numeric kind take the zero
// format, anything else keeps the general form.
TEST(value_text, zero_format_alone) {
    locale_scope us("en-US");
    const char* only_zero = "number0:-";
    const struct {
        vbs::Value value;
        const char* expected;
    } cases[] = {
        {vbs::Value::long_(0), "-"},
        {vbs::Value::integer(0), "-"},
        {vbs::Value::byte(0), "-"},
        {vbs::Value::dbl(0.0), "-"},
        {vbs::Value::dbl(-0.0), "-"},
        {vbs::Value::single(0.0f), "-"},
        {vbs::Value::currency_raw(0), "-"},
        {vbs::Value::long_(7), "7"},
        {vbs::Value::dbl(2.5 / 7), "0.357142857142857"},
        {vbs::Value::dbl(1e-300), "1E-300"},
        {vbs::Value::currency_raw(-35000), "-3.5"},
        {vbs::Value::string("0"), "0"}, // text stays text
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(c.value, only_zero), c.expected) << &c - cases;
    EXPECT_EQ(text(vbs::Value::dbl(0.0), "number0:0.00"), "0.00");
    EXPECT_EQ(text(vbs::Value::dbl(-2.0), "number0:0.00; number-:(0)"), "(2)");
}

TEST(value_text, type_code_table) {
    const std::pair<int, const char*> fixed[] = {
        {0, "Empty"},    {1, "Null"},       {9, "IDispatch"},   {10, "error"},
        {12, "variant"}, {13, "unknown"},   {257, "any"},       {14, "???"},
        {21, "???"},     {8192 | 5, "???"}, {8192 | 12, "???"}, {-1, "???"},
    };
    for (const auto& [code, expected] : fixed) {
        std::string_view t;
        EXPECT_EQ(rule_for_type_code(code, t), text_rule::fixed) << code;
        EXPECT_EQ(t, expected) << code;
    }
    std::string_view t;
    for (int code : {2, 3, 4, 5, 6, 16, 17, 18, 19, 20})
        EXPECT_EQ(rule_for_type_code(code, t), text_rule::number) << code;
    for (int code : {8, 72, 256})
        EXPECT_EQ(rule_for_type_code(code, t), text_rule::string) << code;
    EXPECT_EQ(rule_for_type_code(7, t), text_rule::date);
    EXPECT_EQ(rule_for_type_code(11, t), text_rule::boolean);
}

// The format editor's ready-made number formats applied to its three example values, in
// en-US and de-DE. "-£0" and "-$0": a negative value keeps its sign even when it rounds to 0.
struct editor_number_row {
    const char* number;
    const char* negative;
    const char* us[3]; // 1234.567, 0.0, -0.123456
    const char* de[3];
};

const editor_number_row editor_numbers[] = {
    {"", "", {"1234.567", "0", "-0.123456"}, {"1234,567", "0", "-0,123456"}},
    {"0.00", "", {"1234.57", "0.00", "-0.12"}, {"1234,57", "0,00", "-0,12"}},
    {"0.000", "", {"1234.567", "0.000", "-0.123"}, {"1234,567", "0,000", "-0,123"}},
    {"0.0000", "", {"1234.5670", "0.0000", "-0.1235"}, {"1234,5670", "0,0000", "-0,1235"}},
    {",0.00", "", {"1,234.57", "0.00", "-0.12"}, {"1.234,57", "0,00", "-0,12"}},
    {",0.000", "", {"1,234.567", "0.000", "-0.123"}, {"1.234,567", "0,000", "-0,123"}},
    {",0.0000", "", {"1,234.5670", "0.0000", "-0.1235"}, {"1.234,5670", "0,0000", "-0,1235"}},
    {"\"£\"0", "", {"£1235", "£0", "-£0"}, {"£1235", "£0", "-£0"}},
    {"\"£\"0", "\"£\"(0)", {"£1235", "£0", "£(0)"}, {"£1235", "£0", "£(0)"}},
    {"\"£\"0.00", "", {"£1234.57", "£0.00", "-£0.12"}, {"£1234,57", "£0,00", "-£0,12"}},
    {"\"£\"0.00",
     "\"£\"(0.00)",
     {"£1234.57", "£0.00", "£(0.12)"},
     {"£1234,57", "£0,00", "£(0,12)"}},
    {"\"$\"0", "", {"$1235", "$0", "-$0"}, {"$1235", "$0", "-$0"}},
    {"\"$\"0", "\"$\"(0)", {"$1235", "$0", "$(0)"}, {"$1235", "$0", "$(0)"}},
    {"\"$\"0.00", "", {"$1234.57", "$0.00", "-$0.12"}, {"$1234,57", "$0,00", "-$0,12"}},
    {"\"$\"0.00",
     "\"$\"(0.00)",
     {"$1234.57", "$0.00", "$(0.12)"},
     {"$1234,57", "$0,00", "$(0,12)"}},
    {"#.###E+00", "", {"1.235E+03", "0.E+00", "-1.235E-01"}, {"1,235E+03", "0,E+00", "-1,235E-01"}},
    {"#.#####E+00",
     "",
     {"1.23457E+03", "0.E+00", "-1.23456E-01"},
     {"1,23457E+03", "0,E+00", "-1,23456E-01"}},
    {"#.#####E+000",
     "",
     {"1.23457E+003", "0.E+000", "-1.23456E-001"},
     {"1,23457E+003", "0,E+000", "-1,23456E-001"}},
    {"#.#####E+0000",
     "",
     {"1.23457E+0003", "0.E+0000", "-1.23456E-0001"},
     {"1,23457E+0003", "0,E+0000", "-1,23456E-0001"}},
    {"", "", {"1234.567", "0", "-0.123456"}, {"1234,567", "0", "-0,123456"}},
};

TEST(value_text, format_editor_number_examples) {
    const double values[3] = {1234.567, 0.0, -0.123456};
    for (const char* name : {"en-US", "de-DE"}) {
        bool de = std::string_view(name) == "de-DE";
        const vbs::locale_info& loc = *vbs::find_locale(name);
        for (const editor_number_row& row : editor_numbers) {
            prop_list p;
            p.number = row.number;
            p.number_neg = row.negative;
            for (int k = 0; k < 3; ++k) {
                std::string out;
                EXPECT_TRUE(number_example(values[k], p, loc, out));
                EXPECT_EQ(out, de ? row.de[k] : row.us[k])
                    << name << " " << row.number << " / " << row.negative << " of " << values[k];
            }
        }
    }
}

TEST(value_text, format_editor_date_examples) {
    const char* formats[10] = {"d/m/yy", "dd/mm/yy", "dd/mm/yyyy", "ddd mmm yyyy", "dddd mmmm yyyy",
                               "ddddd",  "dddddd",   "dd-mmm-yy",  "dd-mmm-yyyy",  ""};
    const char* us[10] = {"2/10/06",
                          "02/10/06",
                          "02/10/2006",
                          "Mon Oct 2006",
                          "Monday October 2006",
                          "10/2/2006",
                          "Monday, October 2, 2006",
                          "02-Oct-06",
                          "02-Oct-2006",
                          "10/2/2006"};
    const char* de[10] = {"2.10.06",
                          "02.10.06",
                          "02.10.2006",
                          "Mo Okt 2006",
                          "Montag Oktober 2006",
                          "02.10.2006",
                          "Montag, 2. Oktober 2006",
                          "02-Okt-06",
                          "02-Okt-2006",
                          "02.10.2006"};
    const double oct2 = 38992;
    for (int k = 0; k < 10; ++k) {
        prop_list p;
        p.date = formats[k];
        std::string a, b;
        EXPECT_TRUE(date_example(oct2, p, *vbs::find_locale("en-US"), a));
        EXPECT_TRUE(date_example(oct2, p, *vbs::find_locale("de-DE"), b));
        EXPECT_EQ(a, us[k]) << formats[k];
        EXPECT_EQ(b, de[k]) << formats[k];
    }
}

TEST(value_text, examples_report_what_cannot_be_shown) {
    const vbs::locale_info& us = vbs::en_us_locale();
    std::string out = "kept";
    EXPECT_FALSE(number_example(1e25, prop_list::from_text("number:0"), us, out));
    EXPECT_FALSE(date_example(1e10, prop_list::from_text("date:d"), us, out));
    EXPECT_EQ(out, "kept");
    // The cell text itself falls back instead.
    locale_scope loc("en-US");
    EXPECT_EQ(number_text(1e25, prop_list::from_text("number:0")), "1E+25");
    EXPECT_EQ(date_text(-1e9, prop_list::from_text("date:d")), "-1000000000");
}

TEST(value_text, current_locale_is_used) {
    locale_scope de("de-DE");
    EXPECT_EQ(text(vbs::Value::dbl(1234567.891), "number:#,##0.00"), "1.234.567,89");
    EXPECT_EQ(text(vbs::Value::dbl(0.5)), "0,5");
    EXPECT_EQ(text(vbs::Value::date(38992.75)), "02.10.2006 18:00:00");
    EXPECT_EQ(text(vbs::Value::boolean(true)), "true");
}

} // namespace
} // namespace mondrel
