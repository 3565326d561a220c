#pragma once
// The regional settings that number and date conversions follow: separators, currency,
// negative forms, date and time patterns and the names of months and days.
//
// One locale is current for the whole process. It is read once from the user's environment
// (LC_ALL, then LC_NUMERIC / LC_MONETARY / LC_TIME per category, then LANG) the first time it
// is asked for; a name that is missing, "C", "POSIX" or not in the built-in table gives en-US.
// The table is built in so that nothing depends on which locales the system has generated.
// Tests and the options may replace the current locale with set_current_locale.
//
// Date and time patterns use the Windows picture letters: d dd ddd dddd, M MM MMM MMMM,
// yy yyyy, h hh (12-hour), H HH (24-hour), m mm, s ss, t tt, quoted text copied.

#include <array>
#include <string>
#include <string_view>

namespace vbs {

enum class date_order { mdy, dmy, ymd };

struct locale_info {
    std::string name; // "en-US"

    // Numbers.
    std::string decimal_sep;   // "."
    std::string thousands_sep; // ","
    int group_size = 3;        // digits per thousands group
    int digits = 2;            // default decimals of FormatNumber and friends
    bool leading_zero = true;  // "0.5" rather than ".5"
    // Negative numbers, as the Windows INEGNUMBER values:
    // 0 "(1.1)", 1 "-1.1", 2 "- 1.1", 3 "1.1-", 4 "1.1 -".
    int negative_number_form = 1;

    // Currency.
    std::string currency_symbol; // "$"
    // Positive placement, as the Windows ICURRENCY values: 0 "$1.1", 1 "1.1$", 2 "$ 1.1",
    // 3 "1.1 $".
    int currency_positive_form = 0;
    // Negative placement, as the Windows INEGCURR values 0 to 15 (see format_currency_sign).
    int currency_negative_form = 0;

    // Dates and times.
    date_order order = date_order::mdy;
    std::string date_sep;                      // "/"
    std::string time_sep;                      // ":"
    std::string short_date;                    // "M/d/yyyy"
    std::string long_date;                     // "dddd, MMMM d, yyyy"
    std::string long_time;                     // "h:mm:ss tt"
    std::string short_time;                    // "h:mm tt"
    std::string am;                            // "AM"
    std::string pm;                            // "PM"
    std::array<std::string, 12> month_names;   // January first
    std::array<std::string, 12> month_abbrevs; // "Jan"
    std::array<std::string, 7> day_names;      // Sunday first
    std::array<std::string, 7> day_abbrevs;    // "Sun"
    int first_day_of_week = 1;                 // 1 Sunday ... 7 Saturday, as vbSunday...
};

// The locale in force. The reference stays valid until the next set_current_locale.
const locale_info& current_locale();

// Makes a copy of info the current locale.
void set_current_locale(const locale_info& info);

// Makes the built-in locale called name current ("de-DE", "de_DE.UTF-8", "de"); returns false
// and changes nothing when the table has no such locale.
bool set_current_locale(std::string_view name);

// The built-in locale for a name as the environment writes it ("de_DE.UTF-8@euro", "de-DE",
// "fr", "C"); nullptr when the table has none. A bare or unknown region takes the first
// locale of the language.
const locale_info* find_locale(std::string_view name);

// The built-in en-US locale, which also stands for "C" and "POSIX".
const locale_info& en_us_locale();

// The locale that the environment variables name, one category at a time. getenv is the only
// source, so a test may set the variables and call this again.
locale_info locale_from_environment();

// The names of the built-in locales, in table order.
std::array<std::string_view, 5> builtin_locale_names();

// Puts a number's text (digits and separators, without sign) together with the currency
// symbol and the sign as the locale's currency forms say.
std::string format_currency_sign(const locale_info& loc, std::string_view digits, bool negative);

// Puts a number's text together with the sign as the locale's negative number form says.
std::string format_number_sign(const locale_info& loc, std::string_view digits, bool negative);

} // namespace vbs
