// Date and time functions. Dates are OLE dates (days since 12/30/1899, time as the fraction);
// arithmetic runs on a continuous time line (ole_to_linear) and whole seconds, so adding hours
// across midnight or before 1900 lands on the right day and time.
#include "vbscript/lib_support.h"

#include <cmath>
#include <ctime>

namespace vbs {
namespace {

// --- intervals ---------------------------------------------------------------------------------

enum class Interval { year, quarter, month, day_of_year, day, weekday, week, hour, minute, second };

struct IntervalName {
    const char* name;
    Interval interval;
};
const IntervalName kIntervals[] = {
    {"yyyy", Interval::year},     {"q", Interval::quarter}, {"m", Interval::month},
    {"y", Interval::day_of_year}, {"d", Interval::day},     {"w", Interval::weekday},
    {"ww", Interval::week},       {"h", Interval::hour},    {"n", Interval::minute},
    {"s", Interval::second},
};

Interval interval_arg(ArgList args) {
    std::string name = arg_text(args, 0);
    for (const IntervalName& i : kIntervals)
        if (iequals(i.name, name)) return i.interval;
    raise_error(kErrIllegalCall);
}

int64_t floor_div(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int days_in_month(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Whole seconds on the continuous time line.
int64_t linear_seconds(double ole) {
    return std::llround(ole_to_linear(ole) * 86400.0);
}

double ole_from_seconds(int64_t secs) {
    return linear_to_ole(double(secs) / 86400.0);
}

int64_t day_serial(double ole) {
    return floor_div(linear_seconds(ole), 86400);
}

// A date argument; Null stays Null (the caller returns it).
bool date_arg(ArgList args, size_t i, double& out) {
    const Value& v = arg(args, i).deref();
    if (v.is_null()) return false;
    out = to_date(v);
    return true;
}

Value date_result(double ole) {
    return Value::date(checked_date(ole));
}

// --- current time ------------------------------------------------------------------------------

struct Clock {
    std::tm local;
    double fraction; // of the current second
};

Clock now_local() {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    Clock c;
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &c.local);
    c.fraction = double(ts.tv_nsec) / 1e9;
    return c;
}

double today_ole(const std::tm& t) {
    return date_from_parts(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
}

double time_ole(const std::tm& t) {
    return time_from_parts(t.tm_hour, t.tm_min, t.tm_sec);
}

Value fn_now(Context&, ArgList) {
    Clock c = now_local();
    return Value::date(today_ole(c.local) + time_ole(c.local));
}

Value fn_date(Context&, ArgList) {
    return Value::date(today_ole(now_local().local));
}

Value fn_time(Context&, ArgList) {
    return Value::date(time_ole(now_local().local));
}

// Seconds since midnight with the fraction of the current second. VBScript returns a Single;
// a Double keeps the sub-millisecond part that timing a script relies on.
Value fn_timer(Context&, ArgList) {
    Clock c = now_local();
    return Value::dbl(c.local.tm_hour * 3600.0 + c.local.tm_min * 60.0 + c.local.tm_sec +
                      c.fraction);
}

// --- parts -------------------------------------------------------------------------------------

template <int DateParts::*Field> Value part_fn(Context&, ArgList args) {
    double ole;
    if (!date_arg(args, 0, ole)) return Value::null();
    return Value::integer(int16_t(split_date(ole).*Field));
}

int weekday_from(int64_t day_number, int first_day) {
    return (weekday_of(day_number) - first_day + 7) % 7 + 1;
}

Value fn_weekday(Context&, ArgList args) {
    double ole;
    int first = arg_first_day(args, 1, 1);
    if (!date_arg(args, 0, ole)) return Value::null();
    return Value::integer(int16_t(weekday_from(split_date(ole).day_number, first)));
}

Value fn_monthname(Context&, ArgList args) {
    int32_t m = to_long(arg(args, 0));
    bool abbrev = arg_bool(args, 1, false);
    if (m < 1 || m > 12) raise_error(kErrIllegalCall);
    const locale_info& loc = current_locale();
    return Value::string(abbrev ? loc.month_abbrevs[m - 1] : loc.month_names[m - 1]);
}

Value fn_weekdayname(Context&, ArgList args) {
    int32_t w = to_long(arg(args, 0));
    bool abbrev = arg_bool(args, 1, false);
    int first = arg_first_day(args, 2, 1);
    if (w < 1 || w > 7) raise_error(kErrIllegalCall);
    int index = (w - 1 + first - 1) % 7; // 0 is Sunday
    const locale_info& loc = current_locale();
    return Value::string(abbrev ? loc.day_abbrevs[index] : loc.day_names[index]);
}

// --- construction ------------------------------------------------------------------------------

// Whole-number argument of DateSerial/TimeSerial within a range that cannot overflow the
// arithmetic; larger values could never give a date in range anyway.
int32_t serial_arg(ArgList args, size_t i, int32_t limit) {
    int32_t v = to_long(arg(args, i));
    if (v > limit || v < -limit) raise_error(kErrIllegalCall);
    return v;
}

Value fn_dateserial(Context&, ArgList args) {
    int32_t y = serial_arg(args, 0, 1000000);
    int32_t m = serial_arg(args, 1, 12000000);
    int32_t d = serial_arg(args, 2, 400000000);
    if (y >= 0 && y < 30)
        y += 2000;
    else if (y >= 30 && y < 100)
        y += 1900;
    return date_result(date_from_parts(y, m, d));
}

Value fn_timeserial(Context&, ArgList args) {
    int64_t secs = int64_t(serial_arg(args, 0, 100000000)) * 3600 +
                   int64_t(serial_arg(args, 1, 2000000000)) * 60 + serial_arg(args, 2, 2000000000);
    return date_result(ole_from_seconds(secs));
}

Value fn_datevalue(Context&, ArgList args) {
    double ole = to_date(arg(args, 0));
    return date_result(std::trunc(ole));
}

Value fn_timevalue(Context&, ArgList args) {
    double ole = to_date(arg(args, 0));
    return Value::date(std::fabs(ole - std::trunc(ole)));
}

// --- arithmetic --------------------------------------------------------------------------------

double add_months(double ole, int64_t months) {
    DateParts p = split_date(ole);
    int64_t total = int64_t(p.year) * 12 + (p.month - 1) + months;
    if (total < 100 * 12 || total > 9999 * 12 + 11) raise_error(kErrIllegalCall);
    int year = int(total / 12), month = int(total % 12) + 1;
    int day = std::min(p.day, days_in_month(year, month));
    double date = date_from_parts(year, month, day);
    int64_t time = linear_seconds(ole) - int64_t(day_serial(ole)) * 86400;
    return ole_from_seconds(int64_t(date) * 86400 + time);
}

Value fn_dateadd(Context&, ArgList args) {
    Interval iv = interval_arg(args);
    const Value& nv = arg(args, 1).deref();
    double ole;
    // The number to add must be one; a Null date gives Null.
    if (nv.is_null()) raise_error(kErrInvalidUseOfNull);
    if (!date_arg(args, 2, ole)) return Value::null();
    double n = std::trunc(to_double(nv));
    if (!(std::fabs(n) <= 1e12)) raise_error(kErrIllegalCall); // also NaN
    int64_t k = int64_t(n);
    switch (iv) {
    case Interval::year:
        return date_result(add_months(ole, k * 12));
    case Interval::quarter:
        return date_result(add_months(ole, k * 3));
    case Interval::month:
        return date_result(add_months(ole, k));
    case Interval::week:
        k *= 7;
        [[fallthrough]];
    case Interval::day_of_year:
    case Interval::day:
    case Interval::weekday:
        return date_result(ole_from_seconds(linear_seconds(ole) + k * 86400));
    case Interval::hour:
        return date_result(ole_from_seconds(linear_seconds(ole) + k * 3600));
    case Interval::minute:
        return date_result(ole_from_seconds(linear_seconds(ole) + k * 60));
    case Interval::second:
        return date_result(ole_from_seconds(linear_seconds(ole) + k));
    }
    return Value();
}

// The number of the week a day falls in, counted from the start of the year's first week as
// `first_week` defines it (1: the week of January 1, 2: the first with four days, 3: the
// first full week). Days before that belong to the last week of the year before.
int week_of_year(double ole, int first_day, int first_week) {
    int64_t day = day_serial(ole);
    int year = split_date(ole).year;
    for (int attempt = 0; attempt < 2; ++attempt, --year) {
        int64_t jan1 = int64_t(date_from_parts(year, 1, 1));
        int offset = (weekday_of(jan1) - first_day + 7) % 7; // days since the week began
        int64_t start = jan1 - offset;
        if (first_week == 2 && 7 - offset < 4) start += 7;
        if (first_week == 3 && offset != 0) start += 7;
        if (day >= start) return int((day - start) / 7 + 1);
    }
    return 1;
}

int first_week_arg(ArgList args, size_t i) {
    int32_t w = arg_long(args, i, 1);
    if (w < 0 || w > 3) raise_error(kErrIllegalCall);
    return w == 0 ? 1 : w;
}

Value fn_datediff(Context&, ArgList args) {
    Interval iv = interval_arg(args);
    int first_day = arg_first_day(args, 3, 1);
    first_week_arg(args, 4); // checked only: counting week boundaries does not depend on it
    double a, b;
    if (!date_arg(args, 1, a) || !date_arg(args, 2, b)) return Value::null();
    DateParts pa = split_date(a), pb = split_date(b);
    int64_t sa = linear_seconds(a), sb = linear_seconds(b);
    int64_t r = 0;
    switch (iv) {
    case Interval::year:
        r = pb.year - pa.year;
        break;
    case Interval::quarter:
        r = (pb.year * 4 + (pb.month - 1) / 3) - (pa.year * 4 + (pa.month - 1) / 3);
        break;
    case Interval::month:
        r = (pb.year * 12 + pb.month) - (pa.year * 12 + pa.month);
        break;
    case Interval::day_of_year:
    case Interval::day:
        r = floor_div(sb, 86400) - floor_div(sa, 86400);
        break;
    case Interval::weekday:
        r = (floor_div(sb, 86400) - floor_div(sa, 86400)) / 7;
        break;
    case Interval::week: {
        int anchor = first_day % 7; // a day number that falls on the first day of the week
        r = floor_div(floor_div(sb, 86400) - anchor, 7) -
            floor_div(floor_div(sa, 86400) - anchor, 7);
        break;
    }
    case Interval::hour:
        r = floor_div(sb, 3600) - floor_div(sa, 3600);
        break;
    case Interval::minute:
        r = floor_div(sb, 60) - floor_div(sa, 60);
        break;
    case Interval::second:
        r = sb - sa;
        break;
    }
    if (r > 2147483647 || r < -2147483647 - 1) raise_error(kErrOverflow);
    return Value::long_(int32_t(r));
}

Value fn_datepart(Context&, ArgList args) {
    Interval iv = interval_arg(args);
    int first_day = arg_first_day(args, 2, 1);
    int first_week = first_week_arg(args, 3);
    double ole;
    if (!date_arg(args, 1, ole)) return Value::null();
    DateParts p = split_date(ole);
    int r = 0;
    switch (iv) {
    case Interval::year:
        r = p.year;
        break;
    case Interval::quarter:
        r = (p.month - 1) / 3 + 1;
        break;
    case Interval::month:
        r = p.month;
        break;
    case Interval::day_of_year:
        r = int(p.day_number - int64_t(date_from_parts(p.year, 1, 1))) + 1;
        break;
    case Interval::day:
        r = p.day;
        break;
    case Interval::weekday:
        r = weekday_from(p.day_number, first_day);
        break;
    case Interval::week:
        r = week_of_year(ole, first_day, first_week);
        break;
    case Interval::hour:
        r = p.hour;
        break;
    case Interval::minute:
        r = p.minute;
        break;
    case Interval::second:
        r = p.second;
        break;
    }
    return Value::integer(int16_t(r));
}

const BuiltinFunction kFunctions[] = {
    {"Now", 0, 0, fn_now},
    {"Date", 0, 0, fn_date},
    {"Time", 0, 0, fn_time},
    {"Timer", 0, 0, fn_timer},
    {"Year", 1, 1, part_fn<&DateParts::year>},
    {"Month", 1, 1, part_fn<&DateParts::month>},
    {"Day", 1, 1, part_fn<&DateParts::day>},
    {"Hour", 1, 1, part_fn<&DateParts::hour>},
    {"Minute", 1, 1, part_fn<&DateParts::minute>},
    {"Second", 1, 1, part_fn<&DateParts::second>},
    {"Weekday", 1, 2, fn_weekday},
    {"MonthName", 1, 2, fn_monthname},
    {"WeekdayName", 1, 3, fn_weekdayname},
    {"DateSerial", 3, 3, fn_dateserial},
    {"TimeSerial", 3, 3, fn_timeserial},
    {"DateValue", 1, 1, fn_datevalue},
    {"TimeValue", 1, 1, fn_timevalue},
    {"DateAdd", 3, 3, fn_dateadd},
    {"DateDiff", 3, 5, fn_datediff},
    {"DatePart", 2, 4, fn_datepart},
};

} // namespace
} // namespace vbs

VBS_LIBRARY(dates) {
    reg.add_functions(vbs::kFunctions);
}
