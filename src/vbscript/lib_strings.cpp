// String functions. Positions and lengths count characters (code points of the UTF-8 text);
// byte offsets are used inside and converted at the edges. Text comparison folds case with the
// tables of lib_support, which keep byte lengths, so a match found in folded text is at the same
// byte offset in the original.
#include "vbscript/lib_support.h"

#include <algorithm>
#include <string>

namespace vbs {
namespace {

// Longest string Space, String and Replace will build; beyond it they fail with error 7
// before allocating.
constexpr int64_t kMaxStringBytes = int64_t(1) << 28;

void check_size(int64_t bytes) {
    if (bytes > kMaxStringBytes) raise_error(kErrOutOfMemory);
}

// Long results are built a piece of this many bytes at a time, with a check for the time-out
// or an interrupt between pieces.
constexpr size_t kFillPiece = size_t(1) << 20;

// `n` copies of `unit`, built piece by piece.
std::string repeated(Context& ctx, size_t n, std::string_view unit) {
    std::string out;
    out.reserve(n * unit.size());
    if (unit.size() == 1) {
        while (out.size() < n) {
            out.append(std::min(kFillPiece, n - out.size()), unit[0]);
            ctx.check_interrupt();
        }
        return out;
    }
    for (size_t i = 0; i < n; ++i) {
        out += unit;
        if ((i & 0xFFFF) == 0xFFFF) ctx.check_interrupt();
    }
    return out;
}

// The text of a value for the functions that turn any argument into a string.
std::string text_of(const Value& v) {
    return to_string(v);
}

int64_t char_length(std::string_view s) {
    return is_ascii(s) ? int64_t(s.size()) : utf8_length(s);
}

// Windows-1252 codes 0x80..0x9F, the code page Asc and Chr use.
const uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t cp1252_to_unicode(uint32_t b) {
    return (b >= 0x80 && b <= 0x9F) ? kCp1252High[b - 0x80] : b;
}

int cp1252_from_unicode(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == cp) return 0x80 + i;
    return '?'; // no such character in the code page
}

// The first code point of a non-empty argument; 5 for "", 94 for Null.
uint32_t first_char(ArgList args) {
    std::string s = arg_text(args, 0);
    if (s.empty()) raise_error(kErrIllegalCall);
    size_t pos = 0;
    return utf8_next(s, pos);
}

// The UTF-16 code unit VBScript sees first (the high surrogate outside the BMP).
uint32_t first_unit(uint32_t cp) {
    return cp > 0xFFFF ? 0xD800 + ((cp - 0x10000) >> 10) : cp;
}

Value fn_asc(Context&, ArgList args) {
    return Value::integer(int16_t(cp1252_from_unicode(first_char(args))));
}

Value fn_ascw(Context&, ArgList args) {
    return Value::integer(int16_t(uint16_t(first_unit(first_char(args)))));
}

Value fn_ascb(Context&, ArgList args) {
    return Value::integer(int16_t(first_unit(first_char(args)) & 0xFF));
}

Value char_value(uint32_t cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD; // a lone surrogate has no UTF-8 form
    std::string s;
    utf8_append(s, cp);
    return Value::string(s);
}

Value fn_chr(Context&, ArgList args) {
    int32_t code = to_long(arg(args, 0));
    if (code < 0 || code > 255) raise_error(kErrIllegalCall);
    return char_value(cp1252_to_unicode(uint32_t(code)));
}

Value fn_chrw(Context&, ArgList args) {
    int32_t code = to_long(arg(args, 0));
    if (code < -32768 || code > 65535) raise_error(kErrIllegalCall);
    if (code < 0) code += 65536;
    return char_value(uint32_t(code));
}

Value fn_chrb(Context&, ArgList args) {
    int32_t code = to_long(arg(args, 0));
    if (code < 0 || code > 255) raise_error(kErrIllegalCall);
    return char_value(uint32_t(code));
}

Value fn_lenb(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    if (v.is_null()) return Value::null();
    std::string s = text_of(v);
    int64_t units = 0;
    for (size_t i = 0; i < s.size();)
        units += utf8_next(s, i) > 0xFFFF ? 2 : 1;
    return Value::long_(int32_t(units * 2));
}

// Count argument of Left/Right: Null raises 94, negative raises 5.
int64_t count_arg(ArgList args, size_t i) {
    int32_t n = to_long(arg(args, i));
    if (n < 0) raise_error(kErrIllegalCall);
    return n;
}

Value fn_left(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    int64_t n = count_arg(args, 1);
    if (v.is_null()) return Value::null();
    if (v.is_string() && v.str_rep() && v.str_rep()->ascii) {
        if (size_t(n) >= v.str().size()) return v;
        return Value::string(v.str().substr(0, size_t(n)));
    }
    std::string s = text_of(v);
    return Value::string(std::string_view(s).substr(0, utf8_offset(s, n)));
}

Value fn_right(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    int64_t n = count_arg(args, 1);
    if (v.is_null()) return Value::null();
    std::string s = text_of(v);
    int64_t len = char_length(s);
    if (n >= len) return Value::string(s);
    return Value::string(std::string_view(s).substr(utf8_offset(s, len - n)));
}

Value fn_lcase(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    if (v.is_null()) return Value::null();
    return Value::string(lower_text(text_of(v)));
}

Value fn_ucase(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    if (v.is_null()) return Value::null();
    return Value::string(upper_text(text_of(v)));
}

// Trim, LTrim and RTrim remove spaces only (not tabs or line ends), as VBScript does.
Value trim_value(ArgList args, bool left, bool right) {
    const Value& v = arg(args, 0).deref();
    if (v.is_null()) return Value::null();
    std::string s = text_of(v);
    size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == ' ')
            ++b;
    if (right)
        while (e > b && s[e - 1] == ' ')
            --e;
    return Value::string(std::string_view(s).substr(b, e - b));
}

Value fn_trim(Context&, ArgList args) {
    return trim_value(args, true, true);
}
Value fn_ltrim(Context&, ArgList args) {
    return trim_value(args, true, false);
}
Value fn_rtrim(Context&, ArgList args) {
    return trim_value(args, false, true);
}

Value fn_space(Context& ctx, ArgList args) {
    int32_t n = to_long(arg(args, 0));
    if (n < 0) raise_error(kErrIllegalCall);
    check_size(n);
    return Value::string(repeated(ctx, size_t(n), " "));
}

// String(number, character): the character is the first of a text or a character code
// (taken modulo 256).
Value fn_string(Context& ctx, ArgList args) {
    int32_t n = to_long(arg(args, 0));
    const Value& c = arg(args, 1).deref();
    if (c.is_null()) return Value::null();
    if (n < 0) raise_error(kErrIllegalCall);
    std::string unit;
    if (c.is_string()) {
        std::string_view s = c.str();
        if (s.empty()) raise_error(kErrIllegalCall);
        size_t pos = 0;
        utf8_next(s, pos);
        unit = std::string(s.substr(0, pos));
    } else {
        int32_t code = to_long(c) % 256;
        if (code < 0) code += 256;
        utf8_append(unit, cp1252_to_unicode(uint32_t(code)));
    }
    check_size(int64_t(n) * int64_t(unit.size()));
    return Value::string(repeated(ctx, size_t(n), unit));
}

Value fn_strreverse(Context&, ArgList args) {
    std::string s = arg_text(args, 0);
    if (is_ascii(s)) {
        std::reverse(s.begin(), s.end());
        return Value::string(s);
    }
    std::vector<std::string_view> chars;
    for (size_t i = 0; i < s.size();) {
        size_t start = i;
        utf8_next(s, i);
        chars.push_back(std::string_view(s).substr(start, i - start));
    }
    std::string out;
    out.reserve(s.size());
    for (auto it = chars.rbegin(); it != chars.rend(); ++it)
        out += *it;
    return Value::string(out);
}

// InStr([start, ]string1, string2[, compare])
Value fn_instr(Context&, ArgList args) {
    size_t first = 0;
    int64_t start = 1;
    if (args.size() >= 3) {
        if (arg(args, 0).deref().is_null()) raise_error(kErrInvalidUseOfNull);
        start = to_long(args[0]);
        if (start < 1) raise_error(kErrIllegalCall);
        first = 1;
    }
    bool text = arg_text_compare(args, first + 2);
    const Value& a = arg(args, first).deref();
    const Value& b = arg(args, first + 1).deref();
    if (a.is_null() || b.is_null()) return Value::null();
    std::string hay = text_of(a), needle = text_of(b);
    if (hay.empty()) return Value::long_(0);
    bool ascii = is_ascii(hay);
    int64_t len = ascii ? int64_t(hay.size()) : utf8_length(hay);
    if (start > len) return Value::long_(0);
    if (needle.empty()) return Value::long_(int32_t(start));
    size_t from = ascii ? size_t(start - 1) : utf8_offset(hay, start - 1);
    size_t at = find_text(hay, needle, from, text);
    if (at == std::string_view::npos) return Value::long_(0);
    return Value::long_(int32_t((ascii ? int64_t(at) : utf8_index(hay, at)) + 1));
}

// InStrRev(string1, string2[, start[, compare]])
Value fn_instrrev(Context&, ArgList args) {
    const Value& a = arg(args, 0).deref();
    const Value& b = arg(args, 1).deref();
    if (has_arg(args, 2) && args[2].deref().is_null()) raise_error(kErrInvalidUseOfNull);
    int64_t start = arg_long(args, 2, -1);
    if (start == 0 || start < -1) raise_error(kErrIllegalCall);
    bool text = arg_text_compare(args, 3);
    // Unlike InStr, InStrRev takes no Null for its texts.
    if (a.is_null() || b.is_null()) raise_error(kErrInvalidUseOfNull);
    std::string hay = text_of(a), needle = text_of(b);
    int64_t len = char_length(hay);
    if (start == -1) start = len;
    if (needle.empty()) return Value::long_(start > len ? 0 : int32_t(start));
    if (start > len) return Value::long_(0);
    size_t end = utf8_offset(hay, start);
    if (needle.size() > end) return Value::long_(0);
    size_t at = rfind_text(hay, needle, end - needle.size(), text);
    if (at == std::string_view::npos) return Value::long_(0);
    return Value::long_(int32_t(utf8_index(hay, at) + 1));
}

// Replace(expression, find, replacewith[, start[, count[, compare]]]): the result starts at
// `start`; the text before it is dropped. The result is held to the engine's longest string
// as it grows (error 14).
Value fn_replace(Context& ctx, ArgList args) {
    std::string s = arg_text(args, 0);
    std::string find = arg_text(args, 1);
    std::string with = arg_text(args, 2);
    int32_t start = arg_long(args, 3, 1);
    int32_t count = arg_long(args, 4, -1);
    bool text = arg_text_compare(args, 5);
    if (start < 1 || count < -1) raise_error(kErrIllegalCall);
    size_t from = utf8_offset(s, start - 1);
    if (from >= s.size()) return Value::string("");
    std::string_view rest = std::string_view(s).substr(from);
    if (find.empty() || count == 0) return Value::string(rest);
    std::string folded_rest, folded_find;
    std::string_view hay = rest, needle = find;
    if (text) {
        folded_rest = lower_text(rest);
        folded_find = lower_text(find);
        hay = folded_rest;
        needle = folded_find;
    }
    std::string out;
    size_t pos = 0;
    int32_t done = 0;
    while (count < 0 || done < count) {
        size_t at = hay.find(needle, pos);
        if (at == std::string_view::npos) break;
        if (out.size() + (at - pos) + with.size() > kMaxStringLength) raise_error(kErrOutOfString);
        out.append(rest.substr(pos, at - pos));
        out += with;
        pos = at + needle.size();
        ++done;
        ctx.check_interrupt();
    }
    if (out.size() + (rest.size() - pos) > kMaxStringLength) raise_error(kErrOutOfString);
    out.append(rest.substr(pos));
    return Value::string(out);
}

// Split(expression[, delimiter[, count[, compare]]]). The pieces are held to the engine's
// longest array as they are found (error 7).
Value fn_split(Context& ctx, ArgList args) {
    std::string s = arg_text(args, 0);
    std::string delim = has_arg(args, 1) ? arg_text(args, 1) : std::string(" ");
    int32_t count = arg_long(args, 2, -1);
    bool text = arg_text_compare(args, 3);
    if (count < -1) raise_error(kErrIllegalCall);
    std::vector<Value> parts;
    if (s.empty() || count == 0) return make_array(std::move(parts));
    if (delim.empty()) {
        parts.push_back(Value::string(s));
        return make_array(std::move(parts));
    }
    std::string folded_s, folded_d;
    std::string_view hay = s, needle = delim;
    if (text) {
        folded_s = lower_text(s);
        folded_d = lower_text(delim);
        hay = folded_s;
        needle = folded_d;
    }
    // With a count, VBScript returns the first `count` pieces and drops the rest of the text
    // (unlike VBA, whose last piece holds the remainder).
    size_t pos = 0;
    while (count < 0 || int32_t(parts.size()) < count) {
        if (parts.size() >= kMaxArrayLength) raise_error(kErrOutOfMemory);
        ctx.check_interrupt();
        size_t at = hay.find(needle, pos);
        if (at == std::string_view::npos) {
            parts.push_back(Value::string(std::string_view(s).substr(pos)));
            break;
        }
        parts.push_back(Value::string(std::string_view(s).substr(pos, at - pos)));
        pos = at + needle.size();
    }
    return make_array(std::move(parts));
}

// Escape and Unescape follow the JavaScript functions of the same names: letters, digits and
// @*_+-./ stay; other characters below 256 become %XX, the rest %uXXXX per UTF-16 unit.
bool escape_keeps(uint32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c != 0 && std::string_view("@*_+-./").find(char(c)) != std::string_view::npos);
}

void append_hex(std::string& out, uint32_t v, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i)
        out += hex[(v >> (4 * i)) & 15];
}

Value fn_escape(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    if (v.is_null()) return Value::null();
    std::string s = text_of(v), out;
    for (size_t i = 0; i < s.size();) {
        uint32_t c = utf8_next(s, i);
        if (escape_keeps(c)) {
            out += char(c);
        } else if (c < 256) {
            out += '%';
            append_hex(out, c, 2);
        } else if (c <= 0xFFFF) {
            out += "%u";
            append_hex(out, c, 4);
        } else {
            out += "%u";
            append_hex(out, 0xD800 + ((c - 0x10000) >> 10), 4);
            out += "%u";
            append_hex(out, 0xDC00 + ((c - 0x10000) & 0x3FF), 4);
        }
    }
    return Value::string(out);
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `n` hex digits at s[i]; -1 when they are not all there.
int32_t read_hex(std::string_view s, size_t i, int n) {
    if (i + n > s.size()) return -1;
    int32_t v = 0;
    for (int k = 0; k < n; ++k) {
        int d = hex_digit(s[i + k]);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

Value fn_unescape(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    if (v.is_null()) return Value::null();
    std::string s = text_of(v), out;
    uint32_t high = 0; // a pending high surrogate
    for (size_t i = 0; i < s.size();) {
        int32_t code = -1;
        size_t len = 0;
        if (s[i] == '%') {
            if (i + 1 < s.size() && s[i + 1] == 'u' && (code = read_hex(s, i + 2, 4)) >= 0)
                len = 6;
            else if ((code = read_hex(s, i + 1, 2)) >= 0)
                len = 3;
        }
        if (len == 0) {
            if (high) utf8_append(out, 0xFFFD), high = 0;
            out += s[i++];
            continue;
        }
        i += len;
        uint32_t c = uint32_t(code);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (high) utf8_append(out, 0xFFFD);
            high = c;
            continue;
        }
        if (c >= 0xDC00 && c <= 0xDFFF && high) {
            utf8_append(out, 0x10000 + ((high - 0xD800) << 10) + (c - 0xDC00));
            high = 0;
            continue;
        }
        if (high) utf8_append(out, 0xFFFD), high = 0;
        utf8_append(out, (c >= 0xD800 && c <= 0xDFFF) ? 0xFFFD : c);
    }
    if (high) utf8_append(out, 0xFFFD);
    return Value::string(out);
}

// --- byte functions ------------------------------------------------------------------------------
//
// LeftB, RightB, MidB and InStrB count bytes of the UTF-16 form VBScript keeps its strings in
// (two per character, four outside the Basic Multilingual Plane). A byte position inside a
// character rounds down to the character's start: a UTF-8 string cannot hold half of one.

std::u16string utf16_of(std::string_view s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        uint32_t c = utf8_next(s, i);
        if (c > 0xFFFF) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

std::string utf8_of(std::u16string_view u) {
    std::string out;
    for (size_t i = 0; i < u.size(); ++i) {
        uint32_t c = u[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 &&
            u[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        utf8_append(out, c);
    }
    return out;
}

Value fn_leftb(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    int64_t n = count_arg(args, 1);
    if (v.is_null()) return Value::null();
    std::u16string u = utf16_of(text_of(v));
    return Value::string(utf8_of(std::u16string_view(u).substr(0, size_t(n / 2))));
}

Value fn_rightb(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    int64_t n = count_arg(args, 1);
    if (v.is_null()) return Value::null();
    std::u16string u = utf16_of(text_of(v));
    size_t keep = std::min(u.size(), size_t(n / 2));
    return Value::string(utf8_of(std::u16string_view(u).substr(u.size() - keep)));
}

// MidB(string, start[, length])
Value fn_midb(Context&, ArgList args) {
    const Value& v = arg(args, 0).deref();
    int32_t start = to_long(arg(args, 1));
    if (start < 1) raise_error(kErrIllegalCall);
    int64_t length = has_arg(args, 2) ? count_arg(args, 2) : -1;
    if (v.is_null()) return Value::null();
    std::u16string u = utf16_of(text_of(v));
    size_t from = size_t(start - 1) / 2;
    if (from >= u.size()) return Value::string("");
    size_t count = length < 0 ? std::u16string::npos : size_t(length / 2);
    return Value::string(utf8_of(std::u16string_view(u).substr(from, count)));
}

// InStrB([start, ]string1, string2[, compare]) gives a byte position (1 + 2 * characters).
Value fn_instrb(Context&, ArgList args) {
    size_t first = 0;
    int64_t start = 1;
    if (args.size() >= 3) {
        if (arg(args, 0).deref().is_null()) raise_error(kErrInvalidUseOfNull);
        start = to_long(args[0]);
        if (start < 1) raise_error(kErrIllegalCall);
        first = 1;
    }
    bool text = arg_text_compare(args, first + 2);
    const Value& a = arg(args, first).deref();
    const Value& b = arg(args, first + 1).deref();
    if (a.is_null() || b.is_null()) return Value::null();
    std::string hay = text_of(a), needle = text_of(b);
    if (text) hay = lower_text(hay), needle = lower_text(needle);
    std::u16string uh = utf16_of(hay), un = utf16_of(needle);
    if (uh.empty() || size_t(start - 1) / 2 >= uh.size()) return Value::long_(0);
    if (un.empty()) return Value::long_(int32_t(start));
    size_t at = uh.find(un, size_t(start - 1) / 2);
    return Value::long_(at == std::u16string::npos ? 0 : int32_t(at * 2 + 1));
}

const BuiltinFunction kFunctions[] = {
    {"Asc", 1, 1, fn_asc},
    {"AscB", 1, 1, fn_ascb},
    {"AscW", 1, 1, fn_ascw},
    {"Chr", 1, 1, fn_chr},
    {"ChrB", 1, 1, fn_chrb},
    {"ChrW", 1, 1, fn_chrw},
    {"LenB", 1, 1, fn_lenb},
    {"Left", 2, 2, fn_left},
    {"Right", 2, 2, fn_right},
    {"LCase", 1, 1, fn_lcase},
    {"UCase", 1, 1, fn_ucase},
    {"Trim", 1, 1, fn_trim},
    {"LTrim", 1, 1, fn_ltrim},
    {"RTrim", 1, 1, fn_rtrim},
    {"Space", 1, 1, fn_space},
    {"String", 2, 2, fn_string},
    {"StrReverse", 1, 1, fn_strreverse},
    {"InStr", 2, 4, fn_instr},
    {"InStrRev", 2, 4, fn_instrrev},
    {"Replace", 3, 6, fn_replace},
    {"Split", 1, 4, fn_split},
    {"Escape", 1, 1, fn_escape},
    {"Unescape", 1, 1, fn_unescape},
    {"LeftB", 2, 2, fn_leftb},
    {"RightB", 2, 2, fn_rightb},
    {"MidB", 2, 3, fn_midb},
    {"InStrB", 2, 4, fn_instrb},
};

} // namespace
} // namespace vbs

VBS_LIBRARY(strings) {
    reg.add_functions(vbs::kFunctions);
}
