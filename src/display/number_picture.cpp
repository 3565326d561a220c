#include "display/number_picture.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace mondrel {
namespace {

constexpr int general_digits = 15;
constexpr int max_picture_integer_digits = 18;

// Reads the digits and exponent of a to_chars scientific text ("1.2345e+03") into d.
void read_scientific(const char* first, const char* last, decimal_number& d) {
    d.count = 0;
    const char* p = first;
    for (; p < last && *p != 'e'; ++p)
        if (*p != '.') d.digits[d.count++] = *p;
    int exponent = 0;
    if (p < last) std::from_chars(p + (p[1] == '+' ? 2 : 1), last, exponent);
    d.point = exponent + 1;
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
}

template <typename Float> decimal_number from_binary(Float v) {
    decimal_number d;
    d.approx = v;
    if (std::isnan(v)) {
        d.kind = decimal_number::not_a_number;
        return d;
    }
    d.negative = std::signbit(v) && v != 0;
    if (std::isinf(v)) {
        d.kind = decimal_number::infinite;
        return d;
    }
    if (v == 0) return d;
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
    read_scientific(buf, r.ptr, d);
    return d;
}

void append_exponent(int exponent, int min_digits, std::string& out) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, exponent < 0 ? -exponent : exponent);
    for (int n = int(r.ptr - buf); n < min_digits; ++n)
        out += '0';
    out.append(buf, r.ptr);
}

// Lays out rounded digits in the general form: fixed for exponents -5 to 14, else scientific.
void append_general_digits(const decimal_number& d, const vbs::locale_info& loc, std::string& out) {
    if (d.count == 0) {
        out += '0';
        return;
    }
    if (d.negative) out += '-';
    int exponent = d.point - 1;
    if (exponent < -5 || exponent >= general_digits) {
        out += d.digits[0];
        if (d.count > 1) {
            out += loc.decimal_sep;
            out.append(d.digits + 1, d.count - 1);
        }
        out += 'E';
        out += exponent < 0 ? '-' : '+';
        append_exponent(exponent, 2, out);
    } else if (d.point <= 0) {
        out += '0';
        out += loc.decimal_sep;
        out.append(-d.point, '0');
        out.append(d.digits, d.count);
    } else if (d.count <= d.point) {
        out.append(d.digits, d.count);
        out.append(d.point - d.count, '0');
    } else {
        out.append(d.digits, d.point);
        out += loc.decimal_sep;
        out.append(d.digits + d.point, d.count - d.point);
    }
}

bool append_special(const decimal_number& d, std::string& out) {
    if (d.kind == decimal_number::not_a_number) {
        out += "NaN";
        return true;
    }
    if (d.kind == decimal_number::infinite) {
        out += d.negative ? "-Infinity" : "Infinity";
        return true;
    }
    return false;
}

// One element of a picture, as the tokenizer below reads it.
struct picture_token {
    enum kind_t { end, zero, hash, point, comma, exponent, literal } kind = end;
    std::string_view text; // literal: the text to copy
    char exp_char = 'E';   // exponent: "E" or "e"
    bool exp_plus = false; // exponent: "+" form shows the sign always
    int exp_digits = 0;    // exponent: the "0"s after it
};

// Reads a picture element by element. Only the first "." is the point (later ones are
// dropped) and only the first exponent marker counts; after it, "0" and "#" are plain text.
class picture_reader {
public:
    explicit picture_reader(std::string_view pic) : pic_(pic) {}

    picture_token next() {
        picture_token t;
        while (i_ < pic_.size()) {
            char c = pic_[i_];
            if ((c == '0' || c == '#') && !seen_exp_) {
                ++i_;
                t.kind = c == '0' ? picture_token::zero : picture_token::hash;
                return t;
            }
            if (c == '.') {
                ++i_;
                if (seen_point_ || seen_exp_) continue;
                seen_point_ = true;
                t.kind = picture_token::point;
                return t;
            }
            if (c == ',') {
                ++i_;
                t.kind = picture_token::comma;
                return t;
            }
            if ((c == 'E' || c == 'e') && !seen_exp_ && i_ + 1 < pic_.size() &&
                (pic_[i_ + 1] == '+' || pic_[i_ + 1] == '-')) {
                seen_exp_ = true;
                t.kind = picture_token::exponent;
                t.exp_char = c;
                t.exp_plus = pic_[i_ + 1] == '+';
                i_ += 2;
                while (i_ < pic_.size() && pic_[i_] == '0') {
                    ++t.exp_digits;
                    ++i_;
                }
                return t;
            }
            t.kind = picture_token::literal;
            if (c == '"' || c == '\'') {
                size_t close = pic_.find(c, i_ + 1);
                size_t stop = close == std::string_view::npos ? pic_.size() : close;
                t.text = pic_.substr(i_ + 1, stop - i_ - 1);
                i_ = close == std::string_view::npos ? pic_.size() : close + 1;
                return t;
            }
            size_t start = i_++;
            while (i_ < pic_.size() && !std::strchr("0#.,Ee\"'", pic_[i_]))
                ++i_;
            t.text = pic_.substr(start, i_ - start);
            return t;
        }
        return t;
    }

private:
    std::string_view pic_;
    size_t i_ = 0;
    bool seen_point_ = false;
    bool seen_exp_ = false;
};

// What the first reading of a picture learns: how many placeholders stand on each side of
// the point and which of them always show a digit.
struct picture_shape {
    int int_places = 0;
    int frac_places = 0;
    int first_int_zero = -1; // index from the left among integer placeholders
    int last_frac_zero = -1; // index from the point among fraction placeholders
    bool thousands = false;
    bool scientific = false;
};

picture_shape measure(std::string_view pic) {
    picture_shape s;
    picture_reader r(pic);
    bool after_point = false;
    for (picture_token t = r.next(); t.kind != picture_token::end; t = r.next()) {
        switch (t.kind) {
        case picture_token::zero:
        case picture_token::hash:
            if (after_point) {
                if (t.kind == picture_token::zero) s.last_frac_zero = s.frac_places;
                ++s.frac_places;
            } else {
                if (t.kind == picture_token::zero && s.first_int_zero < 0)
                    s.first_int_zero = s.int_places;
                ++s.int_places;
            }
            break;
        case picture_token::point:
            after_point = true;
            break;
        case picture_token::comma:
            s.thousands = true;
            break;
        case picture_token::exponent:
            s.scientific = true;
            break;
        default:
            break;
        }
    }
    return s;
}

// Writes the digits of m (already rounded) into the picture's places.
class picture_writer {
public:
    picture_writer(const picture_shape& s, const decimal_number& m, const vbs::locale_info& loc,
                   std::string& out)
        : s_(s), m_(m), loc_(loc), out_(out) {
        int_digits_ = m.count > 0 && m.point > 0 ? m.point : 0;
        always_from_ = s.first_int_zero < 0 ? -1 : s.int_places - 1 - s.first_int_zero;
        if (s.scientific && always_from_ < 0) always_from_ = 0; // a mantissa always has a digit
        sig_frac_ = m.count - m.point > 0 ? m.count - m.point : 0;
    }

    void integer_place() {
        begin_digits();
        int pos = s_.int_places - 1 - int_index_++;
        if (pos < int_digits_ || pos <= always_from_) digit_at(pos);
    }
    void point() {
        begin_digits();
        out_ += loc_.decimal_sep;
    }
    void fraction_place() {
        begin_digits();
        int j = frac_index_++;
        if (j <= s_.last_frac_zero || j < sig_frac_) {
            int idx = m_.point + j;
            out_ += idx >= 0 && idx < m_.count ? m_.digits[idx] : '0';
        }
    }

private:
    // Integer digits beyond the placeholders go before the first of them.
    void begin_digits() {
        if (begun_) return;
        begun_ = true;
        for (int pos = int_digits_ - 1; pos >= s_.int_places; --pos)
            digit_at(pos);
    }
    void digit_at(int pos) {
        int idx = m_.point - 1 - pos;
        out_ += idx >= 0 && idx < m_.count ? m_.digits[idx] : '0';
        if (s_.thousands && pos > 0 && pos % 3 == 0) out_ += loc_.thousands_sep;
    }

    const picture_shape& s_;
    const decimal_number& m_;
    const vbs::locale_info& loc_;
    std::string& out_;
    int int_digits_ = 0;
    int always_from_ = -1;
    int sig_frac_ = 0;
    int int_index_ = 0;
    int frac_index_ = 0;
    bool begun_ = false;
};

} // namespace

decimal_number decimal_number::of_double(double v) {
    decimal_number d = from_binary(v);
    d.from_double = true;
    return d;
}
decimal_number decimal_number::of_float(float v) {
    return from_binary(v);
}

decimal_number decimal_number::of_int(std::int64_t v) {
    decimal_number d;
    d.approx = double(v);
    d.negative = v < 0;
    std::uint64_t mag = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    if (mag == 0) return d;
    auto r = std::to_chars(d.digits, d.digits + sizeof d.digits, mag);
    d.count = int(r.ptr - d.digits);
    d.point = d.count;
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    return d;
}

decimal_number decimal_number::of_scaled(std::int64_t v, int scale) {
    decimal_number d = of_int(v);
    d.point -= scale;
    d.approx = double(v) / std::pow(10.0, scale);
    return d;
}

void decimal_number::round_to_digits(int keep) {
    if (kind != finite || keep >= count) return;
    if (keep < 0) {
        count = 0;
        return;
    }
    bool up = digits[keep] >= '5';
    count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && digits[i] == '9')
            --i;
        if (i < 0) {
            digits[0] = '1';
            count = 1;
            ++point;
        } else {
            ++digits[i];
            count = i + 1;
        }
    }
    while (count > 0 && digits[count - 1] == '0')
        --count;
    if (count == 0) negative = false;
}

void append_general(const decimal_number& v, const vbs::locale_info& loc, std::string& out) {
    if (append_special(v, out)) return;
    if (v.from_double) {
        // Rounding the shortest digits again could round twice; round the bits once.
        append_general(v.approx, loc, out);
        return;
    }
    decimal_number d = v;
    d.round_to_digits(general_digits);
    append_general_digits(d, loc, out);
}

void append_general(double v, const vbs::locale_info& loc, std::string& out) {
    if (!std::isfinite(v)) {
        append_special(from_binary(v), out);
        return;
    }
    // Whole numbers below 10^15 are their own shortest text.
    if (v > -1e15 && v < 1e15 && v == std::trunc(v)) {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, static_cast<std::int64_t>(v));
        out.append(buf, r.ptr);
        return;
    }
    decimal_number d;
    d.negative = v < 0;
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                           general_digits - 1);
    read_scientific(buf, r.ptr, d);
    append_general_digits(d, loc, out);
}

bool append_picture(const decimal_number& v, std::string_view picture, const vbs::locale_info& loc,
                    std::string& out) {
    if (picture.empty()) {
        append_general(v, loc, out);
        return true;
    }
    if (v.kind != decimal_number::finite) return false;
    const picture_shape shape = measure(picture);

    decimal_number m = v;
    int exponent = 0;
    if (shape.scientific) {
        // The mantissa keeps as many integer digits as there are integer places (at least one).
        int lead = shape.int_places > 0 ? shape.int_places : 1;
        if (m.count > 0) {
            m.round_to_digits(lead + shape.frac_places);
            exponent = m.point - lead;
            m.point = lead;
        }
    } else {
        m.round_to_digits(m.point + shape.frac_places);
        if (m.count > 0 && m.point > max_picture_integer_digits) return false;
    }

    if (v.negative) out += '-';
    picture_writer w(shape, m, loc, out);
    picture_reader r(picture);
    bool after_point = false;
    for (picture_token t = r.next(); t.kind != picture_token::end; t = r.next()) {
        switch (t.kind) {
        case picture_token::zero:
        case picture_token::hash:
            after_point ? w.fraction_place() : w.integer_place();
            break;
        case picture_token::point:
            after_point = true;
            w.point();
            break;
        case picture_token::comma:
        case picture_token::end:
            break;
        case picture_token::exponent:
            out += t.exp_char;
            if (exponent < 0)
                out += '-';
            else if (t.exp_plus)
                out += '+';
            append_exponent(exponent, t.exp_digits > 0 ? t.exp_digits : 1, out);
            break;
        case picture_token::literal:
            out += t.text;
            break;
        }
    }
    return true;
}

std::string_view pick_number_format(const decimal_number& v, std::string_view number,
                                    std::string_view number0, std::string_view number_neg) {
    if (v.negative && !number_neg.empty()) return number_neg;
    if (v.is_zero() && !number0.empty()) return number0;
    return number;
}

void append_number_rule(const decimal_number& v, std::string_view number, std::string_view number0,
                        std::string_view number_neg, const vbs::locale_info& loc,
                        std::string& out) {
    // The negative format supplies its own sign, so it is given the absolute value; when it
    // cannot show it, the general form keeps the sign.
    if (v.negative && !number_neg.empty()) {
        if (!append_picture(v.abs(), number_neg, loc, out)) append_general(v, loc, out);
        return;
    }
    std::string_view pic = v.is_zero() && !number0.empty() ? number0 : number;
    if (!append_picture(v, pic, loc, out)) append_general(v, loc, out);
}

void append_number_rule(double v, std::string_view number, std::string_view number0,
                        std::string_view number_neg, const vbs::locale_info& loc,
                        std::string& out) {
    bool general = (v < 0 && !number_neg.empty()) ? false
                   : (v == 0 && !number0.empty()) ? false
                                                  : number.empty();
    if (general)
        append_general(v, loc, out);
    else
        append_number_rule(decimal_number::of_double(v), number, number0, number_neg, loc, out);
}

} // namespace mondrel
