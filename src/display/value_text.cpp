#include "display/value_text.h"

#include <array>

#include "display/date_picture.h"
#include "display/number_picture.h"

namespace mondrel {
namespace {

struct type_code_row {
    int code;
    text_rule rule;
    std::string_view text; // for fixed rules
};

// One row per OLE variant type code that has a text of its own; every other code shows "???".
constexpr std::array<type_code_row, 21> type_codes = {{
    {0, text_rule::fixed, "Empty"},     {1, text_rule::fixed, "Null"},
    {2, text_rule::number, {}},                                     // 2-byte integer
    {3, text_rule::number, {}},                                     // 4-byte integer
    {4, text_rule::number, {}},                                     // 4-byte float
    {5, text_rule::number, {}},                                     // 8-byte float
    {6, text_rule::number, {}},                                     // currency
    {7, text_rule::date, {}},           {8, text_rule::string, {}}, // wide string
    {9, text_rule::fixed, "IDispatch"}, {10, text_rule::fixed, "error"},
    {11, text_rule::boolean, {}},       {12, text_rule::fixed, "variant"},
    {13, text_rule::fixed, "unknown"},  {16, text_rule::number, {}}, // 1-byte signed
    {17, text_rule::number, {}},                                     // 1-byte unsigned
    {18, text_rule::number, {}},                                     // 2-byte unsigned
    {19, text_rule::number, {}},                                     // 4-byte unsigned
    {20, text_rule::number, {}},                                     // 8-byte integer
    {72, text_rule::string, {}},                                     // string argument
    {256, text_rule::string, {}},
}};

// The script value's number with the precision of its kind.
decimal_number number_of(const vbs::Value& v) {
    switch (v.tag()) {
    case vbs::Tag::Single:
        return decimal_number::of_float(v.single_val());
    case vbs::Tag::Double:
        return decimal_number::of_double(v.double_val());
    case vbs::Tag::Currency:
        return decimal_number::of_scaled(v.currency_raw_val(), 4);
    default:
        return decimal_number::of_int(v.int_val());
    }
}

} // namespace

text_rule rule_for_type_code(int code, std::string_view& fixed_text) {
    for (const type_code_row& row : type_codes) {
        if (row.code == code) {
            fixed_text = row.text;
            return row.rule;
        }
    }
    fixed_text = code == 257 ? "any" : "???";
    return text_rule::fixed;
}

int type_code_of(const vbs::Value& value) {
    const vbs::Value& v = value.deref();
    switch (v.tag()) {
    case vbs::Tag::Empty:
        return 0;
    case vbs::Tag::Null:
        return 1;
    case vbs::Tag::Integer:
        return 2;
    case vbs::Tag::Long:
        return 3;
    case vbs::Tag::Single:
        return 4;
    case vbs::Tag::Double:
        return 5;
    case vbs::Tag::Currency:
        return 6;
    case vbs::Tag::Date:
        return 7;
    case vbs::Tag::String:
        return 8;
    case vbs::Tag::Object:
        return 9;
    case vbs::Tag::Error:
        return 10;
    case vbs::Tag::Boolean:
        return 11;
    case vbs::Tag::Byte:
        return 17;
    case vbs::Tag::Array:
        return 8192 | 12;
    case vbs::Tag::Ref:
        break; // a reference to a reference is not made by the engine
    }
    return -1;
}

void append_value_text(const vbs::Value& value, const prop_list& format,
                       const vbs::locale_info& loc, std::string& out) {
    const vbs::Value& v = value.deref();
    std::string_view fixed;
    switch (rule_for_type_code(type_code_of(v), fixed)) {
    case text_rule::fixed:
        out += fixed;
        break;
    case text_rule::boolean:
        out += v.bool_val() ? "true" : "false";
        break;
    case text_rule::string:
        out += v.str();
        break;
    case text_rule::date:
        append_date_rule(v.double_val(), format.date, loc, out);
        break;
    case text_rule::number:
        if (v.tag() == vbs::Tag::Double)
            append_number_rule(v.double_val(), format.number, format.number0, format.number_neg,
                               loc, out);
        else
            append_number_rule(number_of(v), format.number, format.number0, format.number_neg, loc,
                               out);
        break;
    }
}

std::string value_text(const vbs::Value& v, const prop_list& format) {
    std::string out;
    append_value_text(v, format, vbs::current_locale(), out);
    return out;
}

std::string number_text(double v, const prop_list& format) {
    std::string out;
    append_number_rule(v, format.number, format.number0, format.number_neg, vbs::current_locale(),
                       out);
    return out;
}

std::string date_text(double ole_date, const prop_list& format) {
    std::string out;
    append_date_rule(ole_date, format.date, vbs::current_locale(), out);
    return out;
}

bool number_example(double v, const prop_list& format, const vbs::locale_info& loc,
                    std::string& out) {
    decimal_number d = decimal_number::of_double(v);
    std::string_view pic = pick_number_format(d, format.number, format.number0, format.number_neg);
    bool neg_format = d.negative && !format.number_neg.empty();
    return append_picture(neg_format ? d.abs() : d, pic, loc, out);
}

bool date_example(double ole_date, const prop_list& format, const vbs::locale_info& loc,
                  std::string& out) {
    return append_date(ole_date, format.date, loc, out);
}

} // namespace mondrel
