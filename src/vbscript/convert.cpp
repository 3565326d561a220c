// Coercions between Value subtypes, and number/date text.
#include "vbscript/convert.h"

#include "vbscript/builtins.h"
#include "vbscript/error.h"
#include "vbscript/lib_support.h"
#include "vbscript/locale.h"
#include "vbscript/object.h"
#include "vbscript/vm_context.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace vbs {

namespace {

// Set while a date literal is read: script literals are written month first (#1/15/2020#)
// whatever the user's locale.
thread_local bool literal_dates = false;

// The one place the locale is read, so that a caller-supplied locale needs one edit here.
const locale_info& active_locale() {
    return literal_dates ? en_us_locale() : current_locale();
}

std::string_view trim_spaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

bool starts_with_ci(std::string_view s, std::string_view p) {
    if (s.size() < p.size()) return false;
    for (size_t i = 0; i < p.size(); ++i)
        if (lower(s[i]) != lower(p[i])) return false;
    return true;
}

// Whole-number rounding to even, as the C* conversions do.
double round_even(double d) {
    return std::nearbyint(d);
}

} // namespace

Value to_primitive(const Value& v0) {
    const Value& v = v0.deref();
    if (v.tag() != Tag::Object) return v;
    Object* o = v.obj();
    if (!o) raise_error(kErrObjectNotSet);
    Context* ctx = active_context();
    if (!ctx) raise_error(kErrTypeMismatch);
    int id = o->find_member("");
    if (id == kNoMember) raise_error(kErrNoMember);
    Value result;
    CallArgs args(nullptr, 0);
    o->invoke(id, CallKind::Get, args, result, *ctx);
    if (result.tag() == Tag::Object) raise_error(kErrTypeMismatch);
    return result;
}

double to_double(const Value& v0) {
    const Value& v = v0.deref();
    switch (v.tag()) {
    case Tag::Empty:
        return 0;
    case Tag::Null:
        raise_error(kErrInvalidUseOfNull);
    case Tag::Integer:
    case Tag::Long:
    case Tag::Byte:
    case Tag::Boolean:
        return v.int_val();
    case Tag::Single:
        return v.single_val();
    case Tag::Double:
    case Tag::Date:
        return v.double_val();
    case Tag::Currency:
        return static_cast<double>(v.currency_raw_val()) / 10000.0;
    case Tag::String: {
        double d;
        if (parse_number(v.str(), d)) return d;
        raise_error(kErrTypeMismatch);
    }
    case Tag::Object:
        return to_double(to_primitive(v));
    default:
        raise_error(kErrTypeMismatch);
    }
}

int32_t to_long(const Value& v0) {
    const Value& v = v0.deref();
    switch (v.tag()) {
    case Tag::Integer:
    case Tag::Long:
    case Tag::Byte:
    case Tag::Boolean:
        return v.int_val();
    case Tag::Empty:
        return 0;
    default:
        break;
    }
    double d = round_even(to_double(v));
    if (!(d >= -2147483648.0 && d <= 2147483647.0)) raise_error(kErrOverflow);
    return static_cast<int32_t>(d);
}

int16_t to_integer(const Value& v) {
    double d = v.deref().tag() == Tag::Integer ? v.deref().int_val() : round_even(to_double(v));
    if (!(d >= -32768.0 && d <= 32767.0)) raise_error(kErrOverflow);
    return static_cast<int16_t>(d);
}

uint8_t to_byte(const Value& v) {
    double d = round_even(to_double(v));
    if (!(d >= 0 && d <= 255.0)) raise_error(kErrOverflow);
    return static_cast<uint8_t>(d);
}

int64_t to_currency_raw(const Value& v0) {
    const Value& v = v0.deref();
    if (v.tag() == Tag::Currency) return v.currency_raw_val();
    if (v.tag() == Tag::Integer || v.tag() == Tag::Long || v.tag() == Tag::Byte ||
        v.tag() == Tag::Boolean)
        return static_cast<int64_t>(v.int_val()) * 10000;
    // Scaled in extended precision so whole amounts near the Currency limit stay exact.
    long double d = std::nearbyint((long double)to_double(v) * 10000.0L);
    if (!(d >= -9223372036854775808.0L && d < 9223372036854775808.0L)) raise_error(kErrOverflow);
    return static_cast<int64_t>(d);
}

double to_date(const Value& v0) {
    const Value& v = v0.deref();
    if (v.tag() == Tag::String) {
        double d;
        if (parse_date(v.str(), d)) return d;
        if (parse_number(v.str(), d)) return d;
        raise_error(kErrTypeMismatch);
    }
    double d = to_double(v);
    if (!(d >= -657434.0 && d < 2958466.0)) raise_error(kErrOverflow);
    return d;
}

bool to_bool(const Value& v0) {
    const Value& v = v0.deref();
    switch (v.tag()) {
    case Tag::Boolean:
    case Tag::Integer:
    case Tag::Long:
    case Tag::Byte:
        return v.int_val() != 0;
    case Tag::Empty:
        return false;
    case Tag::String: {
        std::string_view s = trim_spaces(v.str());
        if (iequals(s, "true") || iequals(s, "#true#")) return true;
        if (iequals(s, "false") || iequals(s, "#false#")) return false;
        double d;
        if (parse_number(s, d)) return d != 0;
        raise_error(kErrTypeMismatch);
    }
    case Tag::Null:
        raise_error(kErrInvalidUseOfNull);
    case Tag::Object:
        return to_bool(to_primitive(v));
    default:
        return to_double(v) != 0;
    }
}

std::string to_string(const Value& v0) {
    const Value& v = v0.deref();
    switch (v.tag()) {
    case Tag::String:
        return std::string(v.str());
    case Tag::Empty:
        return {};
    case Tag::Null:
        raise_error(kErrInvalidUseOfNull);
    case Tag::Integer:
    case Tag::Long:
    case Tag::Byte:
        return std::to_string(v.int_val());
    case Tag::Boolean:
        return v.bool_val() ? "True" : "False";
    case Tag::Single:
        return format_single(v.single_val());
    case Tag::Double:
        return format_double(v.double_val());
    case Tag::Currency:
        return format_currency_raw(v.currency_raw_val());
    case Tag::Date:
        return format_date(v.double_val());
    case Tag::Error:
        if (v.is_missing()) raise_error(448);
        return "Error " + std::to_string(v.int_val());
    case Tag::Object:
        return to_string(to_primitive(v));
    default:
        raise_error(kErrTypeMismatch);
    }
}

Value to_number(const Value& v0) {
    const Value& v = v0.deref();
    switch (v.tag()) {
    case Tag::Empty:
        return Value::integer(0);
    case Tag::String:
        return Value::dbl(to_double(v));
    case Tag::Object:
        return to_number(to_primitive(v));
    case Tag::Array:
    case Tag::Error:
        raise_error(kErrTypeMismatch);
    default:
        return v;
    }
}

static std::string localise_point(std::string s) {
    const std::string& sep = active_locale().decimal_sep;
    if (sep != ".") {
        size_t p = s.find('.');
        if (p != std::string::npos) s.replace(p, 1, sep);
    }
    return s;
}

// Writes d with `digits` significant digits the way %G does, then tidies the exponent to at
// least two digits ("1E+16", "1.5E-07").
static std::string format_significant(double d, int digits) {
    if (d == 0) return "0";
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", digits, d);
    std::string s = buf;
    size_t e = s.find('E');
    if (e != std::string::npos) {
        // %G writes at least two exponent digits already; drop a third leading zero.
        std::string mant = s.substr(0, e), exp = s.substr(e + 1);
        char sign = exp[0];
        std::string num = exp.substr(1);
        while (num.size() > 2 && num[0] == '0')
            num.erase(0, 1);
        s = mant + "E" + sign + num;
    }
    return localise_point(s);
}

std::string format_double(double d) {
    return format_significant(d, 15);
}
std::string format_single(float f) {
    return format_significant(f, 7);
}

std::string format_currency_raw(int64_t scaled) {
    bool neg = scaled < 0;
    uint64_t u = neg ? uint64_t(0) - uint64_t(scaled) : uint64_t(scaled);
    std::string s = std::to_string(u / 10000);
    uint64_t frac = u % 10000;
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04u", unsigned(frac));
        std::string f = buf;
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        s += active_locale().decimal_sep + f;
    }
    return neg ? "-" + s : s;
}

// --- dates ------------------------------------------------------------------------------------

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's civil algorithm).
static int64_t days_from_civil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

static void civil_from_days(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

// 1899-12-30 is day 0 of an OLE date.
static const int64_t kOleEpoch = days_from_civil(1899, 12, 30);

double date_from_parts(int year, int month, int day) {
    int64_t y = year, m = month;
    // Month overflow rolls into years, as DateSerial does.
    y += (m - 1) >= 0 ? (m - 1) / 12 : -((12 - m) / 12);
    m = ((m - 1) % 12 + 12) % 12 + 1;
    return double(days_from_civil(y, m, 1) + (day - 1) - kOleEpoch);
}

bool date_to_parts(double ole, int& year, int& month, int& day) {
    if (!(ole > -700000.0 && ole < 3000000.0)) return false;
    civil_from_days(int64_t(std::trunc(ole)) + kOleEpoch, year, month, day);
    return true;
}

double time_from_parts(int hour, int minute, int second) {
    return (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

// An OLE date's time of day in seconds; negative dates keep a positive time fraction.
static int64_t seconds_of_day(double ole) {
    double frac = std::fabs(ole - std::trunc(ole));
    int64_t secs = int64_t(std::llround(frac * 86400.0));
    return secs >= 86400 ? 86399 : secs;
}

// Expands a Windows date/time picture (M/d/yyyy, h:mm:ss tt).
static std::string expand_picture(std::string_view pic, double ole) {
    const locale_info& loc = active_locale();
    int y = 0, mo = 0, d = 0;
    if (!date_to_parts(ole, y, mo, d)) raise_error(kErrOverflow);
    int64_t secs = seconds_of_day(ole);
    int h = int(secs / 3600), mi = int(secs / 60 % 60), s = int(secs % 60);
    std::string out;
    size_t i = 0;
    while (i < pic.size()) {
        char c = pic[i];
        size_t n = 1;
        while (i + n < pic.size() && pic[i + n] == c)
            ++n;
        auto num = [&](int v, bool two) {
            char b[16];
            std::snprintf(b, sizeof b, two ? "%02d" : "%d", v);
            out += b;
        };
        switch (c) {
        case 'd':
            if (n >= 4) {
                int64_t wd = ((int64_t(std::floor(ole)) + 6) % 7 + 7) % 7; // 0 = Sunday
                out += loc.day_names[size_t(wd)];
            } else if (n == 3) {
                int64_t wd = ((int64_t(std::floor(ole)) + 6) % 7 + 7) % 7;
                out += loc.day_abbrevs[size_t(wd)];
            } else
                num(d, n == 2);
            break;
        case 'M':
            if (n >= 4)
                out += loc.month_names[size_t(mo - 1)];
            else if (n == 3)
                out += loc.month_abbrevs[size_t(mo - 1)];
            else
                num(mo, n == 2);
            break;
        case 'y':
            if (n <= 2)
                num(y % 100, true);
            else
                num(y, false);
            break;
        case 'h':
            num(h % 12 == 0 ? 12 : h % 12, n >= 2);
            break;
        case 'H':
            num(h, n >= 2);
            break;
        case 'm':
            num(mi, n >= 2);
            break;
        case 's':
            num(s, n >= 2);
            break;
        case 't':
            out += h < 12 ? loc.am : loc.pm;
            break;
        case '\'': {
            size_t end = pic.find('\'', i + 1);
            if (end == std::string_view::npos) end = pic.size();
            out += pic.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        default:
            out.append(n, c);
        }
        i += n;
    }
    return out;
}

std::string format_date(double ole) {
    const locale_info& loc = active_locale();
    bool has_date = std::trunc(ole) != 0;
    bool has_time = seconds_of_day(ole) != 0;
    std::string out;
    if (has_date) out = expand_picture(loc.short_date, ole);
    if (has_time || !has_date) {
        if (!out.empty()) out += ' ';
        out += expand_picture(loc.long_time, ole);
    }
    return out;
}

bool parse_number(std::string_view text, double& out) {
    const locale_info& loc = active_locale();
    std::string_view s = trim_spaces(text);
    if (s.empty()) return false;
    if (s[0] == '&' && s.size() > 2) {
        int base = lower(s[1]) == 'h' ? 16 : lower(s[1]) == 'o' ? 8 : 0;
        if (!base) return false;
        uint64_t v = 0;
        for (size_t i = 2; i < s.size(); ++i) {
            char c = lower(s[i]);
            int dv = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : 99;
            if (dv >= base) return false;
            v = v * uint64_t(base) + uint64_t(dv);
            if (v > 0xFFFFFFFFull) return false;
        }
        // Text hex numbers up to 16 bits are Integers, up to 32 bits Longs (both signed).
        if (v <= 0xFFFF && s.size() - 2 <= 4)
            out = int16_t(uint16_t(v));
        else
            out = int32_t(uint32_t(v));
        return true;
    }
    std::string clean;
    size_t i = 0;
    bool neg = false;
    if (s[i] == '+' || s[i] == '-') {
        neg = s[i] == '-';
        ++i;
    }
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (s.substr(i).starts_with(loc.currency_symbol) && !loc.currency_symbol.empty())
        i += loc.currency_symbol.size();
    bool digits = false, point = false;
    while (i < s.size()) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            clean += c;
            digits = true;
            ++i;
        } else if (!point && s.substr(i).starts_with(loc.decimal_sep)) {
            clean += '.';
            point = true;
            i += loc.decimal_sep.size();
        } else if (!point && digits && !loc.thousands_sep.empty() &&
                   s.substr(i).starts_with(loc.thousands_sep)) {
            i += loc.thousands_sep.size();
        } else
            break;
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        std::string ex = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ex += s[j++];
        bool ed = false;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            ex += s[j++];
            ed = true;
        }
        if (!ed) return false;
        clean += ex;
        i = j;
    }
    if (i < s.size() && s.substr(i) == loc.currency_symbol) i = s.size();
    if (i != s.size()) return false;
    out = std::strtod(clean.c_str(), nullptr);
    if (neg) out = -out;
    return std::isfinite(out);
}

namespace {
struct DateScan {
    std::string_view s;
    size_t i = 0;
    void skip() {
        while (i < s.size() && (s[i] == ' ' || s[i] == ',' || s[i] == '\t'))
            ++i;
    }
    bool number(int& v, int& ndigits) {
        skip();
        size_t st = i;
        v = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - st < 9)
            v = v * 10 + (s[i++] - '0');
        ndigits = int(i - st);
        return ndigits > 0;
    }
    bool sep(char c) {
        skip();
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    int month_name(const locale_info& loc) {
        skip();
        for (int m = 0; m < 12; ++m)
            for (const std::string* n :
                 {&loc.month_names[size_t(m)], &loc.month_abbrevs[size_t(m)]})
                if (!n->empty() && starts_with_ci(s.substr(i), *n)) {
                    i += n->size();
                    if (i < s.size() && s[i] == '.') ++i;
                    return m + 1;
                }
        return 0;
    }
};

bool valid_date(int y, int m, int d) {
    if (m < 1 || m > 12 || d < 1 || y < 100 || y > 9999) return false;
    static const int dim[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int lim = dim[m - 1] + (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0));
    return d <= lim;
}

int full_year(int y, int ndigits) {
    if (ndigits <= 2) return y < 30 ? 2000 + y : 1900 + y;
    return y;
}
} // namespace

bool parse_date(std::string_view text, double& out) {
    const locale_info& loc = active_locale();
    DateScan sc{trim_spaces(text)};
    if (sc.s.empty()) return false;
    double date = 0, time = 0;
    bool have_date = false, have_time = false;
    // Date part.
    size_t save = sc.i;
    int a, b, c, na, nb, nc;
    int mname = sc.month_name(loc);
    if (mname) { // "January 15, 2020"
        if (!sc.number(b, nb)) return false;
        if (!sc.number(c, nc)) {
            time_t now = std::time(nullptr);
            c = std::localtime(&now)->tm_year + 1900, nc = 4;
        }
        if (!valid_date(full_year(c, nc), mname, b)) return false;
        date = date_from_parts(full_year(c, nc), mname, b);
        have_date = true;
    } else if (sc.number(a, na)) {
        size_t after_a = sc.i;
        char sepc = 0;
        for (char cand : {'/', '-', '.'})
            if (sc.sep(cand)) {
                sepc = cand;
                break;
            }
        int mn2 = sepc || true ? sc.month_name(loc) : 0;
        if (sepc && !mn2 && sc.number(b, nb)) {
            bool third = sc.sep(sepc) && sc.number(c, nc);
            int y, m, d;
            if (na >= 3) { // y-m-d
                if (!third) return false;
                y = a, m = b, d = c;
            } else if (!third) { // m/d of this year
                time_t now = std::time(nullptr);
                y = std::localtime(&now)->tm_year + 1900;
                if (loc.order == date_order::dmy)
                    d = a, m = b;
                else
                    m = a, d = b;
            } else if (loc.order == date_order::dmy) {
                d = a, m = b, y = full_year(c, nc);
            } else if (loc.order == date_order::ymd) {
                y = full_year(a, na), m = b, d = c;
            } else {
                m = a, d = b, y = full_year(c, nc);
            }
            // A month above 12 with a day that fits the month swaps the two, as VBScript does.
            if (m > 12 && d <= 12) std::swap(m, d);
            if (!valid_date(y, m, d)) return false;
            date = date_from_parts(y, m, d);
            have_date = true;
        } else if (mn2) { // "15 January 2020" or "15-Jan-2020"
            if (sepc) sc.sep(sepc);
            if (!sc.number(c, nc)) return false;
            if (!valid_date(full_year(c, nc), mn2, a)) return false;
            date = date_from_parts(full_year(c, nc), mn2, a);
            have_date = true;
        } else {
            sc.i = save;
            (void)after_a;
        }
    }
    // Time part.
    sc.skip();
    if (sc.i < sc.s.size()) {
        int h, m = 0, s = 0, nh, nm, ns;
        if (!sc.number(h, nh)) return false;
        bool colon = sc.sep(':');
        if (colon) {
            if (!sc.number(m, nm)) return false;
            if (sc.sep(':') && !sc.number(s, ns)) return false;
        }
        sc.skip();
        bool ampm = false;
        std::string_view rest = sc.s.substr(sc.i);
        if (starts_with_ci(rest, loc.am) || starts_with_ci(rest, "am") ||
            starts_with_ci(rest, "a")) {
            if (h > 12) return false;
            if (h == 12) h = 0;
            ampm = true;
        } else if (starts_with_ci(rest, loc.pm) || starts_with_ci(rest, "pm") ||
                   starts_with_ci(rest, "p")) {
            if (h > 12) return false;
            if (h < 12) h += 12;
            ampm = true;
        }
        if (ampm) {
            while (sc.i < sc.s.size() && sc.s[sc.i] != ' ')
                ++sc.i;
            sc.skip();
        }
        if (!colon && !ampm) return false;
        if (sc.i != sc.s.size()) return false;
        if (h > 23 || m > 59 || s > 59) return false;
        time = time_from_parts(h, m, s);
        have_time = true;
    }
    if (!have_date && !have_time) return false;
    out = date < 0 ? date - time : date + time;
    return true;
}

bool parse_date_literal(std::string_view text, double& out) {
    literal_dates = true;
    bool ok = parse_date(text, out);
    literal_dates = false;
    return ok;
}

int compare_strings(std::string_view a, std::string_view b, bool text_compare) {
    // Text comparison folds case as the string functions do (Latin, Greek, Cyrillic); the
    // byte loop below folds ASCII alone, which is all it needs to when both texts are ASCII.
    if (text_compare && !(is_ascii(a) && is_ascii(b))) {
        const std::string fa = lower_text(a), fb = lower_text(b);
        return compare_strings(fa, fb, false);
    }
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (text_compare) {
            x = static_cast<unsigned char>(lower(char(x)));
            y = static_cast<unsigned char>(lower(char(y)));
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

std::string type_name(const Value& v0) {
    const Value& v = v0.deref();
    switch (v.tag()) {
    case Tag::Empty:
        return "Empty";
    case Tag::Null:
        return "Null";
    case Tag::Integer:
        return "Integer";
    case Tag::Long:
        return "Long";
    case Tag::Single:
        return "Single";
    case Tag::Double:
        return "Double";
    case Tag::Currency:
        return "Currency";
    case Tag::Date:
        return "Date";
    case Tag::String:
        return "String";
    case Tag::Object:
        return v.obj() ? v.obj()->type_name() : "Nothing";
    case Tag::Error:
        return "Error";
    case Tag::Boolean:
        return "Boolean";
    case Tag::Byte:
        return "Byte";
    case Tag::Array:
        return "Variant()";
    case Tag::Ref:
        return "Variant";
    }
    return "Variant";
}

} // namespace vbs
