// Mathematical functions: Abs, Sgn, Int, Fix, Round keep the subtype of their argument as
// VBScript does (text becomes Double); the transcendental functions return Double. Rnd is
// VBScript's 24-bit linear congruential generator, so a seeded sequence repeats.
#include "vbscript/lib_support.h"

#include <cmath>
#include <cstring>

namespace vbs {
namespace {

// A Double result; an infinite or undefined one is an overflow, as in VBScript.
Value finite(double d) {
    if (!std::isfinite(d)) raise_error(kErrOverflow);
    return Value::dbl(d);
}

double number_arg(ArgList args, size_t i) {
    return to_double(arg(args, i));
}

Value fn_atn(Context&, ArgList args) {
    return finite(std::atan(number_arg(args, 0)));
}
Value fn_cos(Context&, ArgList args) {
    return finite(std::cos(number_arg(args, 0)));
}
Value fn_sin(Context&, ArgList args) {
    return finite(std::sin(number_arg(args, 0)));
}
Value fn_tan(Context&, ArgList args) {
    return finite(std::tan(number_arg(args, 0)));
}
Value fn_exp(Context&, ArgList args) {
    return finite(std::exp(number_arg(args, 0)));
}

Value fn_log(Context&, ArgList args) {
    double d = number_arg(args, 0);
    if (!(d > 0)) raise_error(kErrIllegalCall);
    return finite(std::log(d));
}

Value fn_sqr(Context&, ArgList args) {
    double d = number_arg(args, 0);
    if (d < 0) raise_error(kErrIllegalCall);
    return finite(std::sqrt(d));
}

// Int (floor) or Fix (toward zero) of a value, keeping its subtype; the integral subtypes pass
// through (Boolean and Empty become Integer).
Value whole_part(const Value& v0, bool floor) {
    double (*whole)(double) = floor ? static_cast<double (*)(double)>(std::floor)
                                    : static_cast<double (*)(double)>(std::trunc);
    const Value& v = v0.deref();
    switch (v.tag()) {
    case Tag::Null:
        return Value::null();
    case Tag::Empty:
        return Value::integer(0);
    case Tag::Boolean:
        return Value::integer(int16_t(v.int_val()));
    case Tag::Integer:
    case Tag::Long:
    case Tag::Byte:
        return v;
    case Tag::Single:
        return Value::single(float(whole(v.single_val())));
    case Tag::Double:
        return Value::dbl(whole(v.double_val()));
    case Tag::Date:
        return Value::date(whole(v.double_val()));
    case Tag::Currency: {
        int64_t raw = v.currency_raw_val(), q = raw / 10000;
        if (floor && raw % 10000 < 0) {
            if (q < INT64_MIN / 10000 + 1) raise_error(kErrOverflow);
            --q;
        }
        return Value::currency_raw(q * 10000);
    }
    default:
        return Value::dbl(whole(to_double(v)));
    }
}

Value fn_int(Context&, ArgList args) {
    return whole_part(arg(args, 0), true);
}

Value fn_fix(Context&, ArgList args) {
    return whole_part(arg(args, 0), false);
}

Value fn_abs(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    switch (v.tag()) {
    case Tag::Null:
        return Value::null();
    case Tag::Empty:
        return Value::integer(0);
    case Tag::Boolean:
    case Tag::Integer: {
        int32_t x = std::abs(v.int_val());
        return x > 32767 ? Value::long_(x) : Value::integer(int16_t(x));
    }
    case Tag::Long: {
        int64_t x = std::abs(int64_t(v.int_val()));
        return x > 2147483647 ? Value::dbl(double(x)) : Value::long_(int32_t(x));
    }
    case Tag::Byte:
        return v;
    case Tag::Single:
        return Value::single(std::fabs(v.single_val()));
    case Tag::Double:
        return Value::dbl(std::fabs(v.double_val()));
    case Tag::Date:
        return Value::date(std::fabs(v.double_val()));
    case Tag::Currency: {
        int64_t raw = v.currency_raw_val();
        if (raw == INT64_MIN) raise_error(kErrOverflow);
        return Value::currency_raw(raw < 0 ? -raw : raw);
    }
    default:
        return Value::dbl(std::fabs(to_double(v)));
    }
}

Value fn_sgn(Context&, ArgList args) {
    double d = number_arg(args, 0);
    return Value::integer(d > 0 ? 1 : d < 0 ? -1 : 0);
}

// Round half to even at `digits` decimals.
double round_double(double x, int digits) {
    if (!std::isfinite(x) || digits > 22) return x;
    double scale = std::pow(10.0, digits);
    double y = x * scale;
    if (std::fabs(y) >= 4503599627370496.0) return x; // already whole at this scale
    return std::nearbyint(y) / scale;
}

int64_t round_currency(int64_t raw, int digits) {
    if (digits >= 4) return raw;
    int64_t unit = 1;
    for (int i = digits; i < 4; ++i)
        unit *= 10;
    int64_t q = raw / unit, r = raw % unit;
    int64_t twice = 2 * (r < 0 ? -r : r);
    if (twice > unit || (twice == unit && (q % 2 != 0))) q += raw < 0 ? -1 : 1;
    int64_t rounded;
    if (__builtin_mul_overflow(q, unit, &rounded)) raise_error(kErrOverflow);
    return rounded;
}

Value fn_round(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    int32_t digits = arg_long(args, 1, 0);
    if (digits < 0) raise_error(kErrIllegalCall);
    switch (v.tag()) {
    case Tag::Null:
        return Value::null();
    case Tag::Empty:
        return Value::integer(0);
    case Tag::Boolean: // Round keeps the Boolean: Round(True) is True
    case Tag::Integer:
    case Tag::Long:
    case Tag::Byte:
        return v;
    case Tag::Single:
        return Value::single(float(round_double(v.single_val(), digits)));
    case Tag::Date:
        return Value::date(round_double(v.double_val(), digits));
    case Tag::Currency:
        return Value::currency_raw(round_currency(v.currency_raw_val(), digits));
    default:
        return Value::dbl(round_double(to_double(v), digits));
    }
}

// Rnd(n): n < 0 restarts the sequence from n's bits, 0 repeats the last number, anything else
// (or nothing) gives the next number.
Value fn_rnd(Context& ctx, ArgList args) {
    uint32_t& seed = ctx.rnd_seed();
    if (has_arg(args, 0)) {
        float f = float(number_arg(args, 0));
        if (f == 0) return Value::single(float(seed) / 16777216.0f);
        if (f < 0) {
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            seed = (bits + (bits >> 24)) & 0xFFFFFF;
        }
    }
    seed = (seed * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFF;
    return Value::single(float(seed) / 16777216.0f);
}

// RGB(red, green, blue): each part above 255 counts as 255; a negative one is an error.
Value fn_rgb(Context&, ArgList args) {
    int32_t parts[3];
    for (size_t i = 0; i < 3; ++i) {
        int32_t p = to_long(arg(args, i));
        if (p < 0) raise_error(kErrIllegalCall);
        parts[i] = p > 255 ? 255 : p;
    }
    return Value::long_(parts[0] + parts[1] * 256 + parts[2] * 65536);
}

const BuiltinFunction kFunctions[] = {
    {"Abs", 1, 1, fn_abs},     {"Atn", 1, 1, fn_atn}, {"Cos", 1, 1, fn_cos}, {"Exp", 1, 1, fn_exp},
    {"Fix", 1, 1, fn_fix},     {"Int", 1, 1, fn_int}, {"Log", 1, 1, fn_log}, {"Rnd", 0, 1, fn_rnd},
    {"Round", 1, 2, fn_round}, {"Sgn", 1, 1, fn_sgn}, {"Sin", 1, 1, fn_sin}, {"Sqr", 1, 1, fn_sqr},
    {"Tan", 1, 1, fn_tan},     {"RGB", 3, 3, fn_rgb},
};

} // namespace
} // namespace vbs

VBS_LIBRARY(math) {
    reg.add_functions(vbs::kFunctions);
}
