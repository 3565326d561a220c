// Conversion functions not kept by the core (CBool, CByte, CCur, CDate, CSng), Hex and Oct,
// and the IsNumeric / IsDate predicates. The coercion rules themselves live in convert.h.
#include "vbscript/lib_support.h"

#include <cfloat>
#include <cmath>

namespace vbs {
namespace {

Value fn_cbool(Context&, ArgList args) {
    return Value::boolean(to_bool(arg(args, 0)));
}

Value fn_cbyte(Context&, ArgList args) {
    return Value::byte(to_byte(arg(args, 0)));
}

Value fn_ccur(Context&, ArgList args) {
    return Value::currency_raw(to_currency_raw(arg(args, 0)));
}

Value fn_cdate(Context&, ArgList args) {
    return Value::date(to_date(arg(args, 0)));
}

Value fn_csng(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    if (v.tag() == Tag::Single) return v;
    double d = to_double(v);
    if (std::isfinite(d) && std::fabs(d) > FLT_MAX) raise_error(kErrOverflow);
    return Value::single(float(d));
}

// Hex and Oct write Integer-sized values in 16 bits (Hex(-1) is "FFFF") and everything else
// in 32 bits; fractions round to even first.
Value radix_text(const Value& v0, int bits_per_digit) {
    const Value& v = v0.deref();
    if (v.is_null()) return Value::null();
    uint32_t bits;
    Tag t = v.tag();
    int32_t n = to_long(v);
    bool narrow = t == Tag::Integer || t == Tag::Byte || t == Tag::Boolean || t == Tag::Empty ||
                  (t != Tag::Long && n >= -32768 && n <= 32767);
    bits = narrow ? uint32_t(uint16_t(int16_t(n))) : uint32_t(n);
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    uint32_t mask = (1u << bits_per_digit) - 1;
    do {
        out.insert(out.begin(), digits[bits & mask]);
        bits >>= bits_per_digit;
    } while (bits);
    return Value::string(out);
}

Value fn_hex(Context&, ArgList args) {
    return radix_text(arg(args, 0), 4);
}

Value fn_oct(Context&, ArgList args) {
    return radix_text(arg(args, 0), 3);
}

// IsNumeric: numbers, Booleans and Empty are numeric; text is when it reads as a number.
Value fn_isnumeric(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    switch (v.tag()) {
    case Tag::Empty:
    case Tag::Integer:
    case Tag::Long:
    case Tag::Single:
    case Tag::Double:
    case Tag::Currency:
    case Tag::Boolean:
    case Tag::Byte:
        return Value::boolean(true);
    case Tag::String: {
        double d;
        return Value::boolean(parse_number(v.str(), d));
    }
    default:
        return Value::boolean(false);
    }
}

// IsDate: a Date, or text that reads as a date or time.
Value fn_isdate(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    if (v.tag() == Tag::Date) return Value::boolean(true);
    if (v.tag() != Tag::String) return Value::boolean(false);
    double d;
    return Value::boolean(parse_date(v.str(), d));
}

const BuiltinFunction kFunctions[] = {
    {"CBool", 1, 1, fn_cbool}, {"CByte", 1, 1, fn_cbyte},   {"CCur", 1, 1, fn_ccur},
    {"CDate", 1, 1, fn_cdate}, {"CSng", 1, 1, fn_csng},     {"Hex", 1, 1, fn_hex},
    {"Oct", 1, 1, fn_oct},     {"IsDate", 1, 1, fn_isdate}, {"IsNumeric", 1, 1, fn_isnumeric},
};

} // namespace
} // namespace vbs

VBS_LIBRARY(convert) {
    reg.add_functions(vbs::kFunctions);
}
