#pragma once
// Dates as cell text: the date format language of the help page on date formatting.
//
// Specifiers (letters in either case): c (short date, then the long time unless the value is
// exactly midnight), d dd (day), ddd dddd (day name), ddddd (short date), dddddd (long date),
// m mm (month, or minutes right after h/hh), mmm mmmm (month name), yy yyyy, h hh, n nn,
// s ss, z zzz (milliseconds), t (short time), tt (long time), am/pm a/p (12-hour clock with
// these letters), ampm (12-hour clock with the locale's designators), / (date separator),
// : (time separator); text in single or double quotes is copied; other characters are
// copied. An empty format behaves like "c". Names, separators and the short and long
// patterns are the locale's.

#include <string>
#include <string_view>

#include "vbscript/locale.h"

namespace mondrel {

// An OLE date split into its fields: days since 30 December 1899, the time as the fraction
// (also for negative days, whose fraction counts forward from that day's midnight).
struct date_parts {
    int year = 1899, month = 12, day = 30;
    int weekday = 0; // 0 Sunday ... 6 Saturday
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The earliest and latest OLE dates: 1 January 100 and the end of 31 December 9999.
inline constexpr double min_ole_date = -657434.0;
inline constexpr double max_ole_date = 2958466.0; // exclusive

// Splits an OLE date, rounding the time to the millisecond; false for NaN and values outside
// the years 100 to 9999.
bool split_ole_date(double ole, date_parts& parts);

// Appends the date formatted with format; false (out unchanged) when the value is no date.
bool append_date(double ole, std::string_view format, const vbs::locale_info& loc,
                 std::string& out);

// Appends text with one of the locale's Windows-style patterns ("M/d/yyyy", "h:mm:ss tt").
void append_locale_pattern(const date_parts& p, std::string_view pattern,
                           const vbs::locale_info& loc, std::string& out);

// The date rule of cell values: the date format, else the "c" form; a value outside the date
// range shows the general number form.
void append_date_rule(double ole, std::string_view format, const vbs::locale_info& loc,
                      std::string& out);

} // namespace mondrel
