// FormatNumber, FormatCurrency, FormatPercent and FormatDateTime, following the current locale
// (separators, grouping, negative and currency forms, date patterns).
//
// Numbers are rounded on their 15-significant-digit decimal form, half away from zero, as the
// formatting functions of the platform VBScript comes from do: FormatNumber(2.345, 2) is
// "2.35" even though 2.345 is stored a little below.
#include "vbscript/lib_support.h"

#include <cmath>
#include <cstdio>

namespace vbs {
namespace {

constexpr int32_t kUseDefault = -2;

// A tri-state argument (vbTrue, vbFalse, vbUseDefault): the locale's choice for UseDefault.
bool tristate_arg(ArgList args, size_t i, bool locale_default) {
    if (!has_arg(args, i)) return locale_default;
    int32_t v = to_long(args[i]);
    if (v == kUseDefault) return locale_default;
    return v != 0;
}

int digits_arg(ArgList args, size_t i, int locale_default) {
    int32_t d = arg_long(args, i, -1);
    if (d < -1 || d > 255) raise_error(kErrIllegalCall);
    return d == -1 ? locale_default : d;
}

struct Formatted {
    std::string digits; // without sign
    bool negative = false;
};

// Writes |x| with `decimals` decimals, the locale's separators, optional grouping and leading
// zero. Negative is set only when the rounded value is not zero.
Formatted format_fixed(double x, int decimals, bool leading, bool group, const locale_info& loc) {
    if (!std::isfinite(x)) raise_error(kErrOverflow);
    Formatted f;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(x));
    // buf is "d.dddddddddddddde+XX": 15 significant digits and the exponent.
    std::string sig;
    sig += buf[0];
    sig.append(buf + 2, 14);
    int point = std::atoi(buf + 17) + 1; // digits before the decimal point
    if (x == 0) point = 1, sig.assign(15, '0');
    // Round half away from zero at `decimals` after the point.
    int keep = point + decimals;
    if (keep < 0) {
        sig.assign(15, '0');
    } else if (keep < int(sig.size())) {
        bool up = sig[size_t(keep)] >= '5';
        sig.resize(size_t(keep));
        if (up) {
            int i = keep - 1;
            while (i >= 0 && sig[size_t(i)] == '9')
                sig[size_t(i--)] = '0';
            if (i >= 0)
                ++sig[size_t(i)];
            else
                sig.insert(sig.begin(), '1'), ++point;
        }
    }
    auto digit_at = [&](int i) { return (i >= 0 && i < int(sig.size())) ? sig[size_t(i)] : '0'; };
    std::string whole;
    for (int i = 0; i < point; ++i)
        whole += digit_at(i);
    size_t nz = whole.find_first_not_of('0');
    whole = nz == std::string::npos ? "" : whole.substr(nz);
    std::string frac;
    for (int i = 0; i < decimals; ++i)
        frac += digit_at(point + i);
    bool zero = whole.empty() && frac.find_first_not_of('0') == std::string::npos;
    if (whole.empty() && (leading || decimals == 0)) whole.assign(1, '0');
    if (group && loc.group_size > 0 && whole.size() > size_t(loc.group_size)) {
        std::string grouped;
        size_t first = whole.size() % size_t(loc.group_size);
        if (first == 0) first = size_t(loc.group_size);
        grouped = whole.substr(0, first);
        for (size_t i = first; i < whole.size(); i += size_t(loc.group_size))
            grouped += loc.thousands_sep + whole.substr(i, size_t(loc.group_size));
        whole = grouped;
    }
    f.digits = whole;
    if (decimals > 0) f.digits += loc.decimal_sep + frac;
    f.negative = x < 0 && !zero;
    return f;
}

// The number of a Format* call's first argument (text is read as a number).
double format_value(ArgList args) {
    return to_double(arg(args, 0));
}

std::string signed_number(const Formatted& f, bool parens, const locale_info& loc) {
    if (!f.negative) return f.digits;
    if (parens) return "(" + f.digits + ")";
    if (loc.negative_number_form == 0) return "-" + f.digits;
    return format_number_sign(loc, f.digits, true);
}

// FormatNumber(expression[, digits[, leading digit[, parentheses[, group digits]]]])
Value fn_formatnumber(Context&, ArgList args) {
    const locale_info& loc = current_locale();
    double x = format_value(args);
    int decimals = digits_arg(args, 1, loc.digits);
    bool leading = tristate_arg(args, 2, loc.leading_zero);
    bool parens = tristate_arg(args, 3, loc.negative_number_form == 0);
    bool group = tristate_arg(args, 4, true);
    return Value::string(
        signed_number(format_fixed(x, decimals, leading, group, loc), parens, loc));
}

Value fn_formatpercent(Context&, ArgList args) {
    const locale_info& loc = current_locale();
    double x = format_value(args) * 100.0;
    int decimals = digits_arg(args, 1, loc.digits);
    bool leading = tristate_arg(args, 2, loc.leading_zero);
    bool parens = tristate_arg(args, 3, loc.negative_number_form == 0);
    bool group = tristate_arg(args, 4, true);
    Formatted f = format_fixed(x, decimals, leading, group, loc);
    f.digits += "%";
    return Value::string(signed_number(f, parens, loc));
}

bool currency_form_has_parens(int form) {
    return form == 0 || form == 4 || form == 14 || form == 15;
}

// The same currency form without parentheses: "($1)" becomes "-$1" and so on.
int currency_form_without_parens(int form) {
    switch (form) {
    case 0:
        return 1;
    case 4:
        return 5;
    case 14:
        return 9;
    case 15:
        return 8;
    default:
        return form;
    }
}

Value fn_formatcurrency(Context&, ArgList args) {
    const locale_info& loc = current_locale();
    double x = format_value(args);
    int decimals = digits_arg(args, 1, loc.digits);
    bool leading = tristate_arg(args, 2, loc.leading_zero);
    bool locale_parens = currency_form_has_parens(loc.currency_negative_form);
    bool parens = tristate_arg(args, 3, locale_parens);
    bool group = tristate_arg(args, 4, true);
    Formatted f = format_fixed(x, decimals, leading, group, loc);
    if (!f.negative) return Value::string(format_currency_sign(loc, f.digits, false));
    if (parens && !locale_parens)
        return Value::string('(' + format_currency_sign(loc, f.digits, false) + ')');
    if (!parens && locale_parens) {
        locale_info plain = loc;
        plain.currency_negative_form = currency_form_without_parens(loc.currency_negative_form);
        return Value::string(format_currency_sign(plain, f.digits, true));
    }
    return Value::string(format_currency_sign(loc, f.digits, true));
}

// FormatDateTime(date[, format]): 0 general (as CStr), 1 long date, 2 short date, 3 long time,
// 4 short time (24-hour hh:mm in every locale).
Value fn_formatdatetime(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    if (v.is_null()) raise_error(kErrInvalidUseOfNull);
    double ole = to_date(v);
    int32_t kind = arg_long(args, 1, 0);
    const locale_info& loc = current_locale();
    switch (kind) {
    case 0:
        return Value::string(format_date(ole));
    case 1:
        return Value::string(format_date_picture(loc.long_date, ole, loc));
    case 2:
        return Value::string(format_date_picture(loc.short_date, ole, loc));
    case 3:
        return Value::string(format_date_picture(loc.long_time, ole, loc));
    case 4:
        return Value::string(format_date_picture("HH:mm", ole, loc));
    default:
        raise_error(kErrIllegalCall);
    }
}

const BuiltinFunction kFunctions[] = {
    {"FormatNumber", 1, 5, fn_formatnumber},
    {"FormatPercent", 1, 5, fn_formatpercent},
    {"FormatCurrency", 1, 5, fn_formatcurrency},
    {"FormatDateTime", 1, 2, fn_formatdatetime},
};

} // namespace
} // namespace vbs

VBS_LIBRARY(format) {
    reg.add_functions(vbs::kFunctions);
}
