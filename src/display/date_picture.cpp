#include "display/date_picture.h"

#include <cmath>
#include <cstdint>

#include "display/number_picture.h"

namespace mondrel {
namespace {

constexpr std::int64_t ms_per_day = 86400000;
constexpr std::int64_t ole_day_of_unix_epoch = 25569; // 1 January 1970

// The civil date of a day count from 1 January 1970 (proleptic Gregorian calendar).
void civil_from_days(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Length of the run of the letter at fmt[i] in either case.
size_t run_length(std::string_view fmt, size_t i) {
    size_t n = 1;
    while (i + n < fmt.size() && upper(fmt[i + n]) == upper(fmt[i]))
        ++n;
    return n;
}

bool starts_with_nocase(std::string_view s, size_t i, std::string_view word) {
    if (s.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (upper(s[i + k]) != upper(word[k])) return false;
    return true;
}

void append_int(int v, int width, std::string& out) {
    char buf[12];
    int n = 0;
    unsigned u = v < 0 ? 0u - unsigned(v) : unsigned(v);
    do {
        buf[n++] = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0) out += '-';
    for (int k = n; k < width; ++k)
        out += '0';
    while (n)
        out += buf[--n];
}

int hour12(int h) {
    return h % 12 == 0 ? 12 : h % 12;
}

// Copies quoted text starting at fmt[i] (the quote) and returns the index after it; an
// unclosed quote runs to the end.
size_t copy_quoted(std::string_view fmt, size_t i, std::string& out) {
    size_t close = fmt.find(fmt[i], i + 1);
    size_t stop = close == std::string_view::npos ? fmt.size() : close;
    out.append(fmt.substr(i + 1, stop - i - 1));
    return close == std::string_view::npos ? fmt.size() : close + 1;
}

// True when an hour at fmt[from] is to use the 12-hour clock: an am/pm specifier follows
// before the next hour specifier (quoted text does not count).
bool twelve_hour_follows(std::string_view fmt, size_t from) {
    bool quoted = false;
    for (size_t i = from; i < fmt.size(); ++i) {
        char c = fmt[i];
        if (c == '"' || c == '\'') quoted = !quoted;
        if (quoted) continue;
        if (c == 'h' || c == 'H') return false;
        if (c == 'a' || c == 'A')
            return starts_with_nocase(fmt, i, "am/pm") || starts_with_nocase(fmt, i, "a/p") ||
                   starts_with_nocase(fmt, i, "ampm");
    }
    return false;
}

void append_c_form(const date_parts& p, const vbs::locale_info& loc, std::string& out) {
    append_locale_pattern(p, loc.short_date, loc, out);
    if (p.hour || p.minute || p.second || p.millisecond) {
        out += ' ';
        append_locale_pattern(p, loc.long_time, loc, out);
    }
}

} // namespace

bool split_ole_date(double ole, date_parts& p) {
    if (!(ole >= min_ole_date && ole < max_ole_date)) return false;
    double whole = std::trunc(ole);
    std::int64_t day = static_cast<std::int64_t>(whole);
    std::int64_t ms = std::llround(std::fabs(ole - whole) * double(ms_per_day));
    if (ms >= ms_per_day) {
        ms -= ms_per_day;
        ++day;
    }
    std::int64_t unix_day = day - ole_day_of_unix_epoch;
    civil_from_days(unix_day, p.year, p.month, p.day);
    p.weekday = int(((unix_day % 7) + 7 + 4) % 7); // 1 January 1970 was a Thursday
    p.hour = int(ms / 3600000);
    p.minute = int(ms / 60000 % 60);
    p.second = int(ms / 1000 % 60);
    p.millisecond = int(ms % 1000);
    return true;
}

// pattern -> { d | M | y | h | H | m | s | t | 'text' | other }, counted in runs, as the
// regional settings write their date and time patterns.
void append_locale_pattern(const date_parts& p, std::string_view pattern,
                           const vbs::locale_info& loc, std::string& out) {
    for (size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        if (c == '\'') {
            // Quoted text; inside and outside it, '' stands for one quote.
            if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                out += '\'';
                i += 2;
                continue;
            }
            for (++i; i < pattern.size(); ++i) {
                if (pattern[i] != '\'') {
                    out += pattern[i];
                } else if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                    out += '\'';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            continue;
        }
        size_t n = 1; // letters count case-sensitively here: M is the month, m the minute
        while (i + n < pattern.size() && pattern[i + n] == c)
            ++n;
        switch (c) {
        case 'd':
            if (n <= 2)
                append_int(p.day, int(n), out);
            else
                out += n == 3 ? loc.day_abbrevs[p.weekday] : loc.day_names[p.weekday];
            break;
        case 'M':
            if (n <= 2)
                append_int(p.month, int(n), out);
            else
                out += n == 3 ? loc.month_abbrevs[p.month - 1] : loc.month_names[p.month - 1];
            break;
        case 'y':
            if (n <= 2)
                append_int(p.year % 100, int(n), out);
            else
                append_int(p.year, 4, out);
            break;
        case 'h':
            append_int(hour12(p.hour), n >= 2 ? 2 : 1, out);
            break;
        case 'H':
            append_int(p.hour, n >= 2 ? 2 : 1, out);
            break;
        case 'm':
            append_int(p.minute, n >= 2 ? 2 : 1, out);
            break;
        case 's':
            append_int(p.second, n >= 2 ? 2 : 1, out);
            break;
        case 't': {
            const std::string& d = p.hour < 12 ? loc.am : loc.pm;
            if (n >= 2)
                out += d;
            else if (!d.empty())
                out += d[0];
            break;
        }
        default:
            out.append(n, c);
            break;
        }
        i += n;
    }
}

bool append_date(double ole, std::string_view fmt, const vbs::locale_info& loc, std::string& out) {
    date_parts p;
    if (!split_ole_date(ole, p)) return false;
    if (fmt.empty()) {
        append_c_form(p, loc, out);
        return true;
    }
    char last_letter = 0; // the last specifier letter, for minutes after an hour
    for (size_t i = 0; i < fmt.size();) {
        char c = fmt[i];
        if (c == '"' || c == '\'') {
            i = copy_quoted(fmt, i, out);
            continue;
        }
        if (c == '/') {
            out += loc.date_sep;
            ++i;
            continue;
        }
        if (c == ':') {
            out += loc.time_sep;
            ++i;
            continue;
        }
        if (!is_letter(c)) {
            out += c;
            ++i;
            continue;
        }
        char token = upper(c);
        size_t n = run_length(fmt, i);
        if (token == 'M' && n <= 2 && last_letter == 'H') token = 'N';
        last_letter = token;
        switch (token) {
        case 'C':
            append_c_form(p, loc, out);
            break;
        case 'D':
            if (n <= 2)
                append_int(p.day, int(n), out);
            else if (n == 3)
                out += loc.day_abbrevs[p.weekday];
            else if (n == 4)
                out += loc.day_names[p.weekday];
            else
                append_locale_pattern(p, n == 5 ? loc.short_date : loc.long_date, loc, out);
            break;
        case 'M':
            if (n <= 2)
                append_int(p.month, int(n), out);
            else
                out += n == 3 ? loc.month_abbrevs[p.month - 1] : loc.month_names[p.month - 1];
            break;
        case 'Y':
            if (n <= 2)
                append_int(p.year % 100, 2, out);
            else
                append_int(p.year, 4, out);
            break;
        case 'H':
            append_int(twelve_hour_follows(fmt, i + n) ? hour12(p.hour) : p.hour, n >= 2 ? 2 : 1,
                       out);
            break;
        case 'N':
            append_int(p.minute, n >= 2 ? 2 : 1, out);
            break;
        case 'S':
            append_int(p.second, n >= 2 ? 2 : 1, out);
            break;
        case 'Z':
            append_int(p.millisecond, n >= 3 ? 3 : 1, out);
            break;
        case 'T':
            append_locale_pattern(p, n >= 2 ? loc.long_time : loc.short_time, loc, out);
            break;
        case 'A':
            if (starts_with_nocase(fmt, i, "am/pm")) {
                out.append(fmt.substr(p.hour < 12 ? i : i + 3, 2));
                n = 5;
            } else if (starts_with_nocase(fmt, i, "a/p")) {
                out += fmt[p.hour < 12 ? i : i + 2];
                n = 3;
            } else if (starts_with_nocase(fmt, i, "ampm")) {
                out += p.hour < 12 ? loc.am : loc.pm;
                n = 4;
            } else {
                out += c;
                n = 1;
            }
            break;
        default:
            out.append(fmt.substr(i, n));
            break;
        }
        i += n;
    }
    return true;
}

void append_date_rule(double ole, std::string_view format, const vbs::locale_info& loc,
                      std::string& out) {
    if (append_date(ole, format, loc, out)) return;
    if (append_date(ole, {}, loc, out)) return;
    append_general(ole, loc, out);
}

} // namespace mondrel
