// Conversion functions not kept by the core (CBool, CDate), Hex and Oct, and IsDate. The coercion
// rules themselves live in convert.h.
#include "vbscript/lib_support.h"

#include <cfloat>
#include <cmath>

namespace vbs {
namespace {

Value fn_cbool(Context&, ArgList args) {
    return Value::boolean(to_bool(arg(args, 0)));
}

Value fn_cdate(Context&, ArgList args) {
    return Value::date(to_date(arg(args, 0)));
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

// IsDate: a Date, or text that reads as a date or time.
Value fn_isdate(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    if (v.tag() == Tag::Date) return Value::boolean(true);
    if (v.tag() != Tag::String) return Value::boolean(false);
    double d;
    return Value::boolean(parse_date(v.str(), d));
}

const BuiltinFunction kFunctions[] = {
    {"CBool", 1, 1, fn_cbool}, {"CDate", 1, 1, fn_cdate},   {"Hex", 1, 1, fn_hex},
    {"Oct", 1, 1, fn_oct},     {"IsDate", 1, 1, fn_isdate},
};

} // namespace
} // namespace vbs

VBS_LIBRARY(convert) {
    reg.add_functions(vbs::kFunctions);
}
