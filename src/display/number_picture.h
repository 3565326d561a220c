#pragma once
// Numbers as cell text: the general form and the picture language of number formats.
//
// Pictures: "0" always yields a digit, "#" a digit only where the value has one, the first
// "." is the decimal separator, any "," asks for thousands separators, "E+" "E-" "e+" "e-"
// switch to scientific notation with the "0"s after them as the minimum exponent digits,
// quoted text is copied without its quotes and every other character is copied. Separators
// are the locale's. Nothing here throws; a picture that cannot show a value says so through
// its result and the caller shows the general form.

#include <cstdint>
#include <string>
#include <string_view>

#include "vbscript/locale.h"

namespace mondrel {

// A number as decimal digits: value = 0.d1 d2 d3 ... x 10^point, without leading or trailing
// zeros (zero has no digits). Every source keeps its own precision: a double its shortest
// round-trip digits, a float its shortest float digits, integers and currency every digit.
struct decimal_number {
    enum kind_t : std::uint8_t { finite, infinite, not_a_number };

    char digits[24];
    int count = 0;
    int point = 0;
    bool negative = false;
    kind_t kind = finite;
    double approx = 0;        // the value as a double
    bool from_double = false; // made from a double: the general form rounds its bits

    static decimal_number of_double(double v);
    static decimal_number of_float(float v);
    static decimal_number of_int(std::int64_t v);
    // A fixed-point value given as an integer scaled by 10^scale (currency: scale 4).
    static decimal_number of_scaled(std::int64_t v, int scale);

    bool is_zero() const { return kind == finite && count == 0; }
    decimal_number abs() const {
        decimal_number r = *this;
        r.negative = false;
        r.approx = approx < 0 ? -approx : approx;
        return r;
    }
    // Rounds half away from zero so that keep significant digits remain (none: zero).
    void round_to_digits(int keep);
};

// The general form: the shortest text with up to 15 significant digits, scientific only when
// the exponent is below -5 or at least 15 ("1.5E+20", "1E-06"). Infinities and NaN give
// "Infinity", "-Infinity" and "NaN".
void append_general(const decimal_number& v, const vbs::locale_info& loc, std::string& out);
void append_general(double v, const vbs::locale_info& loc, std::string& out);

// Appends v formatted with the picture; an empty picture gives the general form. Returns
// false and leaves out unchanged when the picture cannot show the value: infinities, NaN, or
// more than 18 integer digits under a picture that is not scientific.
bool append_picture(const decimal_number& v, std::string_view picture, const vbs::locale_info& loc,
                    std::string& out);

// The number rule of cell values: exactly zero (and not negative) takes the zero format when
// one is given; a negative value takes the negative format, applied to its absolute value,
// when one is given; otherwise the number format. A format that cannot show the value gives
// the general form of the signed value.
void append_number_rule(const decimal_number& v, std::string_view number, std::string_view number0,
                        std::string_view number_neg, const vbs::locale_info& loc, std::string& out);

// The same for a double; the general form is written straight from its bits.
void append_number_rule(double v, std::string_view number, std::string_view number0,
                        std::string_view number_neg, const vbs::locale_info& loc, std::string& out);

// The format the number rule picks for v (one of the three given, possibly empty).
std::string_view pick_number_format(const decimal_number& v, std::string_view number,
                                    std::string_view number0, std::string_view number_neg);

} // namespace mondrel
