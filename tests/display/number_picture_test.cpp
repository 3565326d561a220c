#include "display/number_picture.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace mondrel {
namespace {

const vbs::locale_info& us() {
    return vbs::en_us_locale();
}
const vbs::locale_info& de() {
    return *vbs::find_locale("de-DE");
}

std::string general(double v, const vbs::locale_info& loc = us()) {
    std::string out;
    append_general(v, loc, out);
    return out;
}

std::string picture(double v, std::string_view pic, const vbs::locale_info& loc = us()) {
    std::string out;
    if (!append_picture(decimal_number::of_double(v), pic, loc, out)) return "<general>";
    return out;
}

std::string rule(double v, std::string_view number, std::string_view number0 = {},
                 std::string_view number_neg = {}, const vbs::locale_info& loc = us()) {
    std::string out;
    append_number_rule(v, number, number0, number_neg, loc, out);
    return out;
}

TEST(general_form, up_to_fifteen_digits_and_scientific_outside_the_range) {
    const std::pair<double, const char*> cases[] = {
        {12, "12"},
        {-12, "-12"},
        {0, "0"},
        {-0.0, "0"},
        {1 + 2.0 / 3, "1.66666666666667"},
        {2.5 / 7, "0.357142857142857"},
        {0.1 + 0.2, "0.3"},
        {-0.123456, "-0.123456"},
        {123456789012345, "123456789012345"},
        {999999999999999, "999999999999999"},
        {1e15, "1E+15"},
        {1234567890123456789.0, "1.23456789012346E+18"},
        {999999999999999.9, "1E+15"}, // rounding moves the exponent
        {0.00001, "0.00001"},
        {0.0000123456, "0.0000123456"},
        {0.000001, "1E-06"},
        {-1.5e-7, "-1.5E-07"},
        {1e-300, "1E-300"},
        {1.7976931348623157e308, "1.79769313486232E+308"},
        {4.9e-324, "4.94065645841247E-324"},
        {std::numeric_limits<double>::infinity(), "Infinity"},
        {-std::numeric_limits<double>::infinity(), "-Infinity"},
        {std::nan(""), "NaN"},
    };
    for (const auto& [v, text] : cases)
        EXPECT_EQ(general(v), text) << v;
    EXPECT_EQ(general(1234.5, de()), "1234,5");
    EXPECT_EQ(general(1.5e-7, de()), "1,5E-07");
}

// Where both use fixed notation, the general form is C's "%.15g".
TEST(general_form, agrees_with_printf_in_the_fixed_range) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-4, 14);
    for (int k = 0; k < 20000; ++k) {
        double v = mantissa(rng) * std::pow(10.0, exponent(rng)) * (k % 2 ? -1 : 1);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v);
        if (std::strchr(buf, 'e')) continue; // rounded up to 1e15
        ASSERT_EQ(general(v), buf) << k;
    }
}

TEST(general_form, exact_sources_keep_their_digits) {
    auto gen = [](const decimal_number& d) {
        std::string out;
        append_general(d, us(), out);
        return out;
    };
    EXPECT_EQ(gen(decimal_number::of_float(0.1f)), "0.1");
    EXPECT_EQ(gen(decimal_number::of_int(-32768)), "-32768");
    EXPECT_EQ(gen(decimal_number::of_int(INT64_MIN)), "-9.22337203685478E+18");
    EXPECT_EQ(gen(decimal_number::of_scaled(12345, 4)), "1.2345");
    EXPECT_EQ(gen(decimal_number::of_scaled(-9223372036854775807, 4)), "-922337203685478");
}

struct picture_case {
    double value;
    const char* picture;
    const char* text;
};

TEST(number_picture, placeholders_rounding_and_separators) {
    const picture_case cases[] = {
        {1234567, "#,##0", "1,234,567"},
        {1234567, "0", "1234567"},
        {1234567, "#", "1234567"},
        {1234567, "0,", "1,234,567"}, // where the comma stands does not matter
        {123, "#,##0", "123"},
        {0, "#,##0", "0"},
        {0, "#,###", ""},
        {0.4, "#", ""},
        {0.5, "#", "1"}, // halves round away from zero
        {2.5, "0", "3"},
        {-2.5, "0", "-3"},
        {1.005, "0.00", "1.01"}, // rounding follows the shortest decimal digits
        {2.675, "0.00", "2.68"},
        {0.995, "0.00", "1.00"},
        {9.999, "0.00", "10.00"},
        {2.5 / 7, "0.00", "0.36"},
        {0.5, "0.##", "0.5"},
        {0.5, "#.##", ".5"},
        {5, "#.##", "5."},
        {5, "0.#0", "5.00"},
        {5.1, "0.0#", "5.1"},
        {5.123, "0.0#", "5.12"},
        {5, "000", "005"},
        {5, "#0#", "05"},
        {5, "0,000", "0,005"},
        {12345.678, "0.0.0", "12345.68"}, // only the first point counts
        {12345, "00", "12345"},           // digits beyond the placeholders come first
        {12345, "x0", "x12345"},
        {12345, "0-00", "123-45"},
        {1234567, "#,#-##", "1,234,5-67"},
        {0.25, ".00", ".25"},
        {12.25, ".0", "12.3"},
        {7, "\"x\"0\"y\"", "x7y"},
        {7, "'0#.,'0", "0#.,7"},
        {7, "0 \"kg", "7 kg"}, // an unclosed quote runs to the end
        {7, "0%", "7%"},
        {-7, "\"Total: \"0", "-Total: 7"},
        {7, "abc", "abc"},
        {-7, "abc", "-abc"},
        {-0.25, "0", "-0"},
        {1e-10, "0.00", "0.00"},
        {123456789012345678.0, "0", "123456789012345680"},
        {1e17, "#,##0", "100,000,000,000,000,000"},
        {1e18, "#,##0", "<general>"},
        {1e19, "0", "<general>"}, // more than 18 integer digits
        {999999999999999999.5, "0", "<general>"},
        {std::numeric_limits<double>::infinity(), "0.00", "<general>"},
        {std::nan(""), "0", "<general>"},
    };
    for (const picture_case& c : cases)
        EXPECT_EQ(picture(c.value, c.picture), c.text) << c.value << " with " << c.picture;
}

TEST(number_picture, scientific) {
    const picture_case cases[] = {
        {1234.567, "#.###E+00", "1.235E+03"},
        {1234.567, "0.00E-00", "1.23E03"},
        {0.001234, "0.00E-00", "1.23E-03"},
        {0.001234, "0.00e+0", "1.23e-3"},
        {1234.567, "00.0E+0", "12.3E+2"},
        {9.996, "0.00E+00", "1.00E+01"},
        {1e300, "0E+0", "1E+300"},
        {1e-300, "0.0E+0000", "1.0E-0300"},
        {0, "#.###E+00", "0.E+00"},
        {0, "0.00E+00", "0.00E+00"},
        {-0.000123456, "#.#####E+000", "-1.23456E-004"},
        {1e25, "0.0E+00", "1.0E+25"}, // scientific pictures take any size
        {1234.567, "0.0E+00 \"m\"", "1.2E+03 m"},
        {5, "0E+00 0", "5E+00 0"}, // placeholders after the exponent are text
        {1234, "0.0E", "1234.0E"}, // "E" without a sign is text
    };
    for (const picture_case& c : cases)
        EXPECT_EQ(picture(c.value, c.picture), c.text) << c.value << " with " << c.picture;
}

TEST(number_picture, exact_sources) {
    auto pic = [](const decimal_number& d, std::string_view p) {
        std::string out;
        append_picture(d, p, us(), out);
        return out;
    };
    EXPECT_EQ(pic(decimal_number::of_int(999'999'999'999'999'999), "#,##0"),
              "999,999,999,999,999,999");
    EXPECT_EQ(pic(decimal_number::of_int(INT64_MAX), "0"), ""); // 19 integer digits
    EXPECT_EQ(pic(decimal_number::of_scaled(922337203685477'5807, 4), "0.0000"),
              "922337203685477.5807");
    EXPECT_EQ(pic(decimal_number::of_scaled(25000, 4), "0"), "3");
    EXPECT_EQ(pic(decimal_number::of_float(0.1f), "0.000000000"), "0.100000000");
}

TEST(number_picture, locale_separators) {
    EXPECT_EQ(picture(1234567.891, "#,##0.00", de()), "1.234.567,89");
    EXPECT_EQ(picture(1234567.891, "#,##0.00", *vbs::find_locale("fr-FR")), "1\xC2\xA0"
                                                                            "234\xC2\xA0"
                                                                            "567,89");
    EXPECT_EQ(picture(0.5, "0.0E+00", de()), "5,0E-01");
    EXPECT_EQ(picture(7, "\".\"0", de()), ".7"); // quoted text is not translated
}

TEST(number_rule, zero_and_negative_formats) {
    EXPECT_EQ(rule(0, "0.00", "-"), "-");
    EXPECT_EQ(rule(0, "0.00"), "0.00");
    EXPECT_EQ(rule(-0.0, "0.00", "-"), "-");
    EXPECT_EQ(rule(0.001, "0.00", "-"), "0.00"); // only exactly zero takes the zero format
    EXPECT_EQ(rule(-3.5, "0.0", "", "(0.0)"), "(3.5)");
    EXPECT_EQ(rule(-3.5, "0.0"), "-3.5");
    EXPECT_EQ(rule(3.5, "", "", "(0.0)"), "3.5");
    EXPECT_EQ(rule(-3.5, "", "", "(0.0)"), "(3.5)");
    EXPECT_EQ(rule(-3.5, ""), "-3.5");
    EXPECT_EQ(rule(2.5 / 7, ""), "0.357142857142857");
    EXPECT_EQ(rule(2.5 / 7, "0.00"), "0.36");
    EXPECT_EQ(rule(1234567, "#,##0"), "1,234,567");
    EXPECT_EQ(rule(1234567, "#,##0", "", "", de()), "1.234.567");
    // A format that cannot show the value gives the general form, sign included.
    EXPECT_EQ(rule(1e20, "#,##0"), "1E+20");
    EXPECT_EQ(rule(-1e20, "0", "", "(0)"), "-1E+20");
    EXPECT_EQ(rule(-std::numeric_limits<double>::infinity(), "0", "", "(0)"), "-Infinity");
    EXPECT_EQ(rule(std::nan(""), "0", "zero", "neg"), "NaN");
}

} // namespace
} // namespace mondrel
