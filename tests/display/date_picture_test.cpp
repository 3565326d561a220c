#include "display/date_picture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace mondrel {
namespace {

const vbs::locale_info& us() {
    return vbs::en_us_locale();
}
const vbs::locale_info& loc(const char* name) {
    return *vbs::find_locale(name);
}

// OLE dates of the cases: 2 October 2006 (a Monday) at midnight and at 15:04:05.123, and
// 5 March 2006 (a Sunday) at 09:07:08.045, where every field has one digit.
double at(double day, int h, int m, int s, int ms) {
    return day + (h * 3600 + m * 60 + s + ms / 1000.0) / 86400.0;
}
const double oct2 = 38992;
const double oct2_pm = at(oct2, 15, 4, 5, 123);
const double mar5 = at(38781, 9, 7, 8, 45);

std::string fmt(double d, std::string_view f, const vbs::locale_info& l = us()) {
    std::string out;
    if (!append_date(d, f, l, out)) return "<none>";
    return out;
}

struct date_case {
    double date;
    const char* format;
    const char* text;
};

TEST(date_format, every_specifier) {
    const date_case cases[] = {
        {oct2, "c", "10/2/2006"},
        {oct2, "", "10/2/2006"},
        {oct2_pm, "c", "10/2/2006 3:04:05 PM"},
        {oct2_pm, "", "10/2/2006 3:04:05 PM"},
        {mar5, "d", "5"},
        {mar5, "dd", "05"},
        {mar5, "ddd", "Sun"},
        {mar5, "dddd", "Sunday"},
        {mar5, "ddddd", "3/5/2006"},
        {mar5, "dddddd", "Sunday, March 5, 2006"},
        {mar5, "m", "3"},
        {mar5, "mm", "03"},
        {mar5, "mmm", "Mar"},
        {mar5, "mmmm", "March"},
        {mar5, "yy", "06"},
        {mar5, "yyyy", "2006"},
        {mar5, "h", "9"},
        {mar5, "hh", "09"},
        {oct2_pm, "h", "15"},
        {mar5, "n", "7"},
        {mar5, "nn", "07"},
        {mar5, "s", "8"},
        {mar5, "ss", "08"},
        {mar5, "z", "45"},
        {mar5, "zzz", "045"},
        {mar5, "t", "9:07 AM"},
        {mar5, "tt", "9:07:08 AM"},
        {oct2_pm, "tt", "3:04:05 PM"},
        {mar5, "d/m/yy", "5/3/06"},
        {mar5, "DD/MM/YYYY", "05/03/2006"}, // specifiers ignore case
        {mar5, "hh:nn:ss.zzz", "09:07:08.045"},
        // m and mm after h or hh are minutes, also across separators and quoted text
        {mar5, "h:m", "9:7"},
        {mar5, "hh:mm", "09:07"},
        {mar5, "h 'h' mm", "9 h 07"},
        {mar5, "h d m", "9 5 3"},
        {mar5, "hh mmm", "09 Mar"},
        {mar5, "m h", "3 9"},
        // the 12-hour clock
        {oct2_pm, "h am/pm", "3 pm"},
        {oct2_pm, "hh:nn AM/PM", "03:04 PM"},
        {mar5, "h Am/Pm", "9 Am"},
        {oct2_pm, "h a/p", "3 p"},
        {mar5, "h A/P", "9 A"},
        {oct2_pm, "h ampm", "3 PM"},
        {oct2, "h am/pm", "12 am"},
        {at(oct2, 12, 0, 0, 0), "h a/p", "12 p"},
        {oct2_pm, "h h am/pm", "15 3 pm"},    // only the hour right before counts
        {oct2_pm, "h \"am/pm\"", "15 am/pm"}, // quoted text is no specifier
        {oct2_pm, "ampm", "PM"},
        // literal text
        {mar5, "\"day\" d", "day 5"},
        {mar5, "'mm' mm", "mm 03"},
        {mar5, "d \"open", "5 open"},
        {mar5, "d-mmm-yyyy, x", "5-Mar-2006, x"},
        {mar5, "q", "q"},
        // the limits of the date range and time rounding
        {0, "c", "12/30/1899"},
        {0.5, "c", "12/30/1899 12:00:00 PM"},
        {-1.25, "c", "12/29/1899 6:00:00 AM"},
        {oct2 + 0.9999999999, "c", "10/3/2006"},
        {-657434, "c", "1/1/0100"},
        {2958465.99999, "c", "12/31/9999 11:59:59 PM"},
        {-657435, "c", "<none>"},
        {2958466, "c", "<none>"},
        {std::nan(""), "d", "<none>"},
    };
    for (const date_case& c : cases)
        EXPECT_EQ(fmt(c.date, c.format), c.text) << c.format;
}

TEST(date_format, locale_patterns_names_and_separators) {
    const vbs::locale_info& de = loc("de-DE");
    EXPECT_EQ(fmt(oct2_pm, "c", de), "02.10.2006 15:04:05");
    EXPECT_EQ(fmt(oct2, "dddddd", de), "Montag, 2. Oktober 2006");
    EXPECT_EQ(fmt(oct2, "ddd d. mmm", de), "Mo 2. Okt");
    EXPECT_EQ(fmt(mar5, "dd/mm/yyyy", de), "05.03.2006");
    EXPECT_EQ(fmt(mar5, "mmmm", de), "M\xC3\xA4rz");
    EXPECT_EQ(fmt(mar5, "t", de), "09:07");
    EXPECT_EQ(fmt(oct2_pm, "c", loc("en-GB")), "02/10/2006 15:04:05");
    EXPECT_EQ(fmt(oct2, "dddddd", loc("fr-FR")), "lundi 2 octobre 2006");
    EXPECT_EQ(fmt(mar5, "ddddd", loc("nl-NL")), "5-3-2006");
    EXPECT_EQ(fmt(mar5, "d/m", loc("nl-NL")), "5-3");

    vbs::locale_info custom = us();
    custom.time_sep = ".";
    custom.date_sep = "|";
    custom.am = "vorm.";
    EXPECT_EQ(fmt(mar5, "hh:nn d/m", custom), "09.07 5|3");
    EXPECT_EQ(fmt(mar5, "h ampm", custom), "9 vorm.");
    EXPECT_EQ(fmt(mar5, "t", custom), "9:07 vorm."); // the pattern keeps its own ":"
}

TEST(date_format, windows_patterns) {
    date_parts p;
    ASSERT_TRUE(split_ole_date(oct2_pm, p));
    EXPECT_EQ(p.weekday, 1);
    auto pattern = [&](std::string_view pat) {
        std::string out;
        append_locale_pattern(p, pat, us(), out);
        return out;
    };
    EXPECT_EQ(pattern("d 'of' MMMM, yyyy"), "2 of October, 2006");
    EXPECT_EQ(pattern("dddd d MMM yy"), "Monday 2 Oct 06");
    EXPECT_EQ(pattern("HH:mm:ss tt"), "15:04:05 PM");
    EXPECT_EQ(pattern("h 'o''clock' t"), "3 o'clock P");
    EXPECT_EQ(pattern("h''m"), "3'4");
    EXPECT_EQ(pattern("M/d/y"), "10/2/6");
}

TEST(date_rule, falls_back_to_the_number_outside_the_range) {
    std::string out;
    append_date_rule(1e10, "dd/mm/yyyy", us(), out);
    EXPECT_EQ(out, "10000000000");
    out.clear();
    append_date_rule(oct2, "", us(), out);
    EXPECT_EQ(out, "10/2/2006");
}

} // namespace
} // namespace mondrel
