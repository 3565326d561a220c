// Operators with VBScript's promotion rules.
#include "vbscript/ops.h"

#include "vbscript/convert.h"
#include "vbscript/error.h"
#include "vbscript/object.h"

#include <cmath>

namespace vbs {

namespace {

// Numeric classes in increasing precision; the result of + - * takes the higher of the two
// operands' classes (Long with Single gives Double).
enum NumClass { kByte, kInteger, kLong, kSingle, kDouble, kCurrency, kDate };

NumClass num_class(const Value& v) {
    switch (v.tag()) {
    case Tag::Byte:
        return kByte;
    case Tag::Empty:
    case Tag::Boolean:
    case Tag::Integer:
        return kInteger;
    case Tag::Long:
        return kLong;
    case Tag::Single:
        return kSingle;
    case Tag::Currency:
        return kCurrency;
    case Tag::Date:
        return kDate;
    default:
        return kDouble;
    }
}

// A plain (non-object, non-string) numeric operand; strings become Double.
Value numeric_operand(const Value& v0) {
    const Value& v = v0.deref();
    switch (v.tag()) {
    case Tag::String:
        return Value::dbl(to_double(v));
    case Tag::Object:
        return numeric_operand(to_primitive(v));
    case Tag::Array:
    case Tag::Error:
        raise_error(kErrTypeMismatch);
    default:
        return v;
    }
}

int64_t as_int64(const Value& v) {
    switch (v.tag()) {
    case Tag::Byte:
    case Tag::Integer:
    case Tag::Long:
    case Tag::Boolean:
        return v.int_val();
    case Tag::Empty:
        return 0;
    default:
        return to_long(v);
    }
}

Value make_currency(long double scaled) {
    long double r = std::nearbyint(scaled);
    if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L)) raise_error(kErrOverflow);
    return Value::currency_raw(int64_t(r));
}

Value double_result(double d) {
    if (!std::isfinite(d)) raise_error(kErrOverflow);
    return Value::dbl(d);
}

} // namespace

Value widen_integer(int64_t v, bool small) {
    if (small && v >= -32768 && v <= 32767) return Value::integer(int16_t(v));
    if (v >= INT32_MIN && v <= INT32_MAX) return Value::long_(int32_t(v));
    return Value::dbl(double(v));
}

Value op_arith(BinOp op, const Value& a0, const Value& b0) {
    const Value& ra = a0.deref();
    const Value& rb = b0.deref();
    if (ra.is_null() || rb.is_null()) return Value::null();
    if (op == BinOp::Add) {
        if (ra.is_string() && rb.is_string()) return op_concat(ra, rb);
        // Empty added to a string leaves the string as it is: `r = r + "M"` on a fresh r.
        if (ra.is_string() && rb.tag() == Tag::Empty) return ra;
        if (rb.is_string() && ra.tag() == Tag::Empty) return rb;
    }
    Value a = numeric_operand(ra), b = numeric_operand(rb);
    if (a.is_null() || b.is_null()) return Value::null();
    NumClass ca = num_class(a), cb = num_class(b);
    switch (op) {
    case BinOp::Pow: {
        double x = to_double(a), y = to_double(b);
        if (x == 0 && y < 0) raise_error(kErrDivByZero);
        double r = std::pow(x, y);
        if (std::isnan(r)) raise_error(kErrIllegalCall);
        return double_result(r);
    }
    case BinOp::Div: {
        double y = to_double(b);
        if (y == 0) raise_error(kErrDivByZero);
        double r = to_double(a) / y;
        bool single = (ca == kSingle || cb == kSingle) && ca != kLong && cb != kLong &&
                      ca <= kSingle && cb <= kSingle;
        if (single) return Value::single(float(r));
        return double_result(r);
    }
    case BinOp::IDiv:
    case BinOp::Mod: {
        int64_t x = as_int64(a), y = as_int64(b);
        if (y == 0) raise_error(kErrDivByZero);
        int64_t r = op == BinOp::IDiv ? x / y : x % y;
        if (ca == kByte && cb == kByte) return Value::byte(uint8_t(r));
        bool small = ca <= kInteger && cb <= kInteger;
        if (small && r >= -32768 && r <= 32767) return Value::integer(int16_t(r));
        if (r < INT32_MIN || r > INT32_MAX) raise_error(kErrOverflow);
        return Value::long_(int32_t(r));
    }
    default:
        break;
    }
    // Add, Sub, Mul.
    NumClass hi = ca > cb ? ca : cb;
    if (hi == kDate) {
        if (op == BinOp::Mul) return double_result(to_double(a) * to_double(b));
        double r = op == BinOp::Add ? to_double(a) + to_double(b) : to_double(a) - to_double(b);
        if (op == BinOp::Sub && ca == kDate && cb == kDate) return double_result(r);
        if (!(r >= -657434.0 && r < 2958466.0)) raise_error(kErrOverflow);
        return Value::date(r);
    }
    if (hi == kCurrency) {
        if (ca == kDouble || cb == kDouble || ca == kSingle || cb == kSingle) {
            // Currency with a floating operand: computed in floating point, kept Currency.
            double x = to_double(a), y = to_double(b);
            double r = op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y;
            return make_currency((long double)r * 10000.0L);
        }
        int64_t x = to_currency_raw(a), y = to_currency_raw(b), r = 0;
        if (op == BinOp::Mul) return make_currency((long double)x * (long double)y / 10000.0L);
        bool overflow =
            op == BinOp::Add ? __builtin_add_overflow(x, y, &r) : __builtin_sub_overflow(x, y, &r);
        if (overflow) raise_error(kErrOverflow);
        return Value::currency_raw(r);
    }
    if (hi <= kLong) {
        int64_t x = as_int64(a), y = as_int64(b);
        int64_t r = op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y;
        if (hi == kByte) {
            if (r >= 0 && r <= 255) return Value::byte(uint8_t(r));
            return widen_integer(r, true);
        }
        return widen_integer(r, hi <= kInteger);
    }
    double x = to_double(a), y = to_double(b);
    double r = op == BinOp::Add ? x + y : op == BinOp::Sub ? x - y : x * y;
    if (hi == kSingle && ca != kLong && cb != kLong) {
        if (std::fabs(r) <= 3.402823466e38) return Value::single(float(r));
    }
    return double_result(r);
}

Value op_concat(const Value& a0, const Value& b0) {
    const Value& a = a0.deref();
    const Value& b = b0.deref();
    if (a.is_null() && b.is_null()) return Value::null();
    if (a.is_string() && b.is_string()) {
        std::string_view x = a.str(), y = b.str();
        if (x.empty()) return b;
        if (y.empty()) return a;
        if (x.size() + y.size() > kMaxStringLength) raise_error(kErrOutOfString);
        StrRep* s = StrRep::make(x, y.size());
        std::memcpy(s->data + x.size(), y.data(), y.size());
        s->size = uint32_t(x.size() + y.size());
        s->data[s->size] = 0;
        s->ascii = a.str_rep()->ascii && b.str_rep()->ascii;
        s->chars = s->ascii ? int32_t(s->size) : -1;
        return Value::string(s);
    }
    std::string x = a.is_null() ? std::string() : to_string(a);
    std::string y = b.is_null() ? std::string() : to_string(b);
    if (x.size() + y.size() > kMaxStringLength) raise_error(kErrOutOfString);
    return Value::string(x + y);
}

namespace {
// Logical operands: Boolean stays Boolean; other numbers become whole numbers.
struct LogicOperand {
    bool null = false;
    bool is_bool = false;
    int64_t v = 0;
    NumClass cls = kInteger;
};

LogicOperand logic_operand(const Value& v0) {
    LogicOperand o;
    Value v = v0.deref();
    if (v.tag() == Tag::Object) v = to_primitive(v);
    if (v.is_null()) {
        o.null = true;
        return o;
    }
    if (v.tag() == Tag::Boolean) {
        o.is_bool = true;
        o.v = v.bool_val() ? -1 : 0;
        return o;
    }
    if (v.tag() == Tag::String) {
        // A text that names a Boolean ("True", "#FALSE#") is one; other texts are numbers.
        std::string_view s = v.str();
        bool t = iequals(s, "true") || iequals(s, "#true#");
        if (t || iequals(s, "false") || iequals(s, "#false#")) {
            o.is_bool = true;
            o.v = t ? -1 : 0;
            return o;
        }
    }
    o.cls = num_class(v);
    if (v.tag() == Tag::String) o.cls = kLong;
    o.v = as_int64(v.tag() == Tag::String ? Value::dbl(to_double(v)) : v);
    return o;
}

Value logic_result(int64_t r, const LogicOperand& a, const LogicOperand& b) {
    if ((a.is_bool || a.null) && (b.is_bool || b.null)) return Value::boolean(r != 0);
    NumClass hi = a.null ? b.cls : b.null ? a.cls : (a.cls > b.cls ? a.cls : b.cls);
    if (a.is_bool && !b.null) hi = b.cls;
    if (b.is_bool && !a.null) hi = a.cls;
    if (hi == kByte) return Value::byte(uint8_t(r));
    if (hi == kInteger) return Value::integer(int16_t(r));
    return Value::long_(int32_t(r));
}
} // namespace

Value op_logic(BinOp op, const Value& a0, const Value& b0) {
    LogicOperand a = logic_operand(a0), b = logic_operand(b0);
    int64_t x = a.v, y = b.v;
    if (a.null || b.null) {
        // Null with a decisive operand gives that operand's result (False And Null = False).
        const LogicOperand& other = a.null ? b : a;
        if (a.null && b.null) return Value::null();
        switch (op) {
        case BinOp::And:
            if (other.v == 0) return logic_result(0, a, b);
            return Value::null();
        case BinOp::Or:
            if (other.v == -1 || (!other.is_bool && other.v != 0)) {
                if (other.is_bool) return Value::boolean(true);
                return Value::null();
            }
            return Value::null();
        case BinOp::Imp:
            if (a.null && b.v == -1) return logic_result(-1, a, b);
            if (b.null && a.v == 0) return logic_result(-1, a, b);
            return Value::null();
        default:
            return Value::null();
        }
    }
    int64_t r = 0;
    switch (op) {
    case BinOp::And:
        r = x & y;
        break;
    case BinOp::Or:
        r = x | y;
        break;
    case BinOp::Xor:
        r = x ^ y;
        break;
    case BinOp::Eqv:
        r = ~(x ^ y);
        break;
    case BinOp::Imp:
        r = (~x) | y;
        break;
    default:
        break;
    }
    return logic_result(r, a, b);
}

Value op_neg(const Value& a0) {
    Value a = a0.deref();
    switch (a.tag()) {
    case Tag::Null:
        return a;
    case Tag::Empty:
        return Value::integer(0);
    case Tag::Byte:
    case Tag::Boolean:
    case Tag::Integer:
        return widen_integer(-int64_t(a.int_val()), true);
    case Tag::Long:
        return widen_integer(-int64_t(a.int_val()), false);
    case Tag::Single:
        return Value::single(-a.single_val());
    case Tag::Double:
        return Value::dbl(-a.double_val());
    case Tag::Currency:
        if (a.currency_raw_val() == INT64_MIN) raise_error(kErrOverflow);
        return Value::currency_raw(-a.currency_raw_val());
    case Tag::Date:
        return Value::date(-a.double_val());
    case Tag::String:
        return Value::dbl(-to_double(a));
    case Tag::Object:
        return op_neg(to_primitive(a));
    default:
        raise_error(kErrTypeMismatch);
    }
}

Value op_not(const Value& a0) {
    LogicOperand a = logic_operand(a0);
    if (a.null) return Value::null();
    if (a.is_bool) return Value::boolean(a.v == 0);
    LogicOperand z;
    z.cls = kByte;
    if (a.cls == kByte) return Value::byte(uint8_t(~a.v));
    if (a.cls == kInteger) return Value::integer(int16_t(~a.v));
    return Value::long_(int32_t(~a.v));
}

int compare_values(const Value& a0, const Value& b0, bool text_compare, bool& null) {
    Value a = a0.deref(), b = b0.deref();
    if (a.tag() == Tag::Object) a = to_primitive(a);
    if (b.tag() == Tag::Object) b = to_primitive(b);
    null = a.is_null() || b.is_null();
    if (null) return 0;
    if (a.tag() == Tag::Array || b.tag() == Tag::Array || a.tag() == Tag::Error ||
        b.tag() == Tag::Error)
        raise_error(kErrTypeMismatch);
    bool as = a.is_string(), bs = b.is_string();
    if (as && bs) return compare_strings(a.str(), b.str(), text_compare);
    if (as || bs) {
        // Empty against a string compares as "", a number is less than any string.
        const Value& other = as ? b : a;
        if (other.is_empty()) {
            int c = compare_strings(as ? a.str() : std::string_view(),
                                    bs ? b.str() : std::string_view(), text_compare);
            return c;
        }
        return as ? 1 : -1;
    }
    if (a.tag() == Tag::Currency && b.tag() == Tag::Currency) {
        int64_t x = a.currency_raw_val(), y = b.currency_raw_val();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    double x = to_double(a), y = to_double(b);
    // A Single meets a Double at the Single's precision, so CSng(0.1) = 0.1 holds.
    bool single = a.tag() == Tag::Single || b.tag() == Tag::Single;
    if (single && (a.tag() == Tag::Double || b.tag() == Tag::Double)) {
        float fx = float(x), fy = float(y);
        return fx < fy ? -1 : fx > fy ? 1 : 0;
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

Value op_compare(BinOp op, const Value& a, const Value& b) {
    bool null = false;
    int c = compare_values(a, b, false, null);
    if (null) return Value::null();
    bool r = false;
    switch (op) {
    case BinOp::Eq:
        r = c == 0;
        break;
    case BinOp::Ne:
        r = c != 0;
        break;
    case BinOp::Lt:
        r = c < 0;
        break;
    case BinOp::Gt:
        r = c > 0;
        break;
    case BinOp::Le:
        r = c <= 0;
        break;
    case BinOp::Ge:
        r = c >= 0;
        break;
    default:
        break;
    }
    return Value::boolean(r);
}

bool op_is(const Value& a0, const Value& b0) {
    const Value& a = a0.deref();
    const Value& b = b0.deref();
    if (a.tag() != Tag::Object || b.tag() != Tag::Object) raise_error(kErrObjectRequired);
    return a.obj() == b.obj();
}

} // namespace vbs
