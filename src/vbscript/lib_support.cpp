// Shared helpers of the library files (see lib_support.h), and the functions about the engine
// itself: CreateObject, GetObject, ScriptEngine*, GetLocale and SetLocale.
#include "vbscript/lib_support.h"

#include <algorithm>
#include <cmath>

namespace vbs {

// --- UTF-8 -----------------------------------------------------------------------------------

uint32_t utf8_next(std::string_view s, size_t& pos) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    uint32_t c = byte(pos);
    if (c < 0x80) {
        ++pos;
        return c;
    }
    int extra = c >= 0xF8 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || pos + extra >= s.size()) {
        ++pos;
        return c;
    }
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((byte(pos + k) & 0xC0) != 0x80) {
            ++pos;
            return c;
        }
        cp = (cp << 6) | (byte(pos + k) & 0x3F);
    }
    pos += extra + 1;
    return cp;
}

void utf8_append(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool is_ascii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

int64_t utf8_length(std::string_view s) {
    int64_t n = 0;
    for (size_t i = 0; i < s.size(); ++n)
        utf8_next(s, i);
    return n;
}

size_t utf8_offset(std::string_view s, int64_t chars) {
    size_t i = 0;
    for (int64_t n = 0; n < chars && i < s.size(); ++n)
        utf8_next(s, i);
    return i;
}

int64_t utf8_index(std::string_view s, size_t bytes) {
    int64_t n = 0;
    for (size_t i = 0; i < bytes && i < s.size(); ++n)
        utf8_next(s, i);
    return n;
}

// Case pairs: each range maps to the range `delta` code points away. Only pairs whose two
// sides have the same UTF-8 length are listed.
uint32_t lower_cp(uint32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x4BF))
        return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    return c;
}

uint32_t upper_cp(uint32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x4BF))
        return c & ~1u;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    return c;
}

static std::string map_text(std::string_view s, uint32_t (*f)(uint32_t)) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out += static_cast<char>(f(b));
            ++i;
            continue;
        }
        size_t start = i;
        uint32_t cp = utf8_next(s, i);
        if (i - start == 1 && cp >= 0x80) { // a stray byte stays as it was
            out += s[start];
            continue;
        }
        utf8_append(out, f(cp));
    }
    return out;
}

std::string lower_text(std::string_view s) {
    return map_text(s, lower_cp);
}
std::string upper_text(std::string_view s) {
    return map_text(s, upper_cp);
}

size_t find_text(std::string_view hay, std::string_view needle, size_t from, bool text_compare) {
    if (from > hay.size()) return std::string_view::npos;
    if (!text_compare) return hay.find(needle, from);
    std::string h = lower_text(hay), n = lower_text(needle);
    return std::string_view(h).find(n, from);
}

size_t rfind_text(std::string_view hay, std::string_view needle, size_t last_start,
                  bool text_compare) {
    if (!text_compare) return hay.rfind(needle, last_start);
    std::string h = lower_text(hay), n = lower_text(needle);
    return std::string_view(h).rfind(n, last_start);
}

bool equal_text(std::string_view a, std::string_view b, bool text_compare) {
    if (a.size() != b.size()) return false;
    if (!text_compare) return a == b;
    for (size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (lower_cp(utf8_next(a, i)) != lower_cp(utf8_next(b, j))) return false;
    }
    return true;
}

// --- arguments ---------------------------------------------------------------------------------

std::string arg_text(ArgList args, size_t i) {
    return to_string(arg(args, i));
}

int32_t arg_long(ArgList args, size_t i, int32_t fallback) {
    if (!has_arg(args, i)) return fallback;
    return to_long(args[i]);
}

bool arg_text_compare(ArgList args, size_t i) {
    if (!has_arg(args, i)) return false;
    int32_t mode = to_long(args[i]);
    if (mode != 0 && mode != 1) raise_error(kErrIllegalCall);
    return mode == 1;
}

bool arg_bool(ArgList args, size_t i, bool fallback) {
    if (!has_arg(args, i)) return fallback;
    return to_bool(args[i]);
}

// --- values ------------------------------------------------------------------------------------

Value make_array(std::vector<Value> items) {
    return Value::array(ArrayRep::make_vector(std::move(items)));
}

// --- dates -------------------------------------------------------------------------------------

DateParts split_date(double ole) {
    DateParts p;
    double whole = std::trunc(ole);
    p.day_number = static_cast<int64_t>(whole);
    date_to_parts(ole, p.year, p.month, p.day);
    int64_t secs = std::llround(std::fabs(ole - whole) * 86400.0);
    if (secs >= 86400) secs = 86399; // a time a hair before midnight stays on its own day
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    return p;
}

double ole_to_linear(double ole) {
    if (ole >= 0) return ole;
    double whole = std::trunc(ole);
    return whole - (ole - whole);
}

double linear_to_ole(double linear) {
    if (linear >= 0) return linear;
    double day = std::floor(linear);
    double time = linear - day;
    // Day -1 and beyond carry the time as a positive fraction away from zero.
    return day - time;
}

double checked_date(double ole) {
    if (!(ole >= -657434.0 && ole < 2958466.0)) raise_error(kErrIllegalCall);
    return ole;
}

int weekday_of(int64_t day_number) {
    // Day 0 (12/30/1899) was a Saturday.
    return static_cast<int>(((day_number + 6) % 7 + 7) % 7) + 1;
}

int arg_first_day(ArgList args, size_t i, int fallback) {
    int32_t d = arg_long(args, i, fallback);
    if (d < 0 || d > 7) raise_error(kErrIllegalCall);
    return d == 0 ? current_locale().first_day_of_week : d;
}

std::string format_date_picture(std::string_view pic, double ole, const locale_info& loc) {
    DateParts p = split_date(ole);
    std::string out;
    auto num = [&](int v, bool two) {
        if (two && v < 10) out += '0';
        out += std::to_string(v);
    };
    for (size_t i = 0; i < pic.size();) {
        char c = pic[i];
        if (c == '\'') {
            size_t end = pic.find('\'', i + 1);
            if (end == std::string_view::npos) end = pic.size();
            out += pic.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        size_t n = 1;
        while (i + n < pic.size() && pic[i + n] == c)
            ++n;
        int wd = weekday_of(p.day_number) - 1;
        switch (c) {
        case 'd':
            if (n >= 4)
                out += loc.day_names[wd];
            else if (n == 3)
                out += loc.day_abbrevs[wd];
            else
                num(p.day, n == 2);
            break;
        case 'M':
            if (n >= 4)
                out += loc.month_names[p.month - 1];
            else if (n == 3)
                out += loc.month_abbrevs[p.month - 1];
            else
                num(p.month, n == 2);
            break;
        case 'y':
            if (n <= 2)
                num(p.year % 100, n == 2);
            else
                num(p.year, false);
            break;
        case 'h':
            num(p.hour % 12 == 0 ? 12 : p.hour % 12, n >= 2);
            break;
        case 'H':
            num(p.hour, n >= 2);
            break;
        case 'm':
            num(p.minute, n >= 2);
            break;
        case 's':
            num(p.second, n >= 2);
            break;
        case 't':
            out += p.hour < 12 ? loc.am : loc.pm;
            break;
        default:
            out.append(n, c);
        }
        i += n;
    }
    return out;
}

// --- library objects ---------------------------------------------------------------------------

int find_member_in(std::span<const MemberName> table, std::string_view name) {
    if (name.empty()) {
        for (const MemberName& m : table)
            if (m.id == kDefaultMember) return kDefaultMember;
        return kNoMember;
    }
    // Lengths and first letters rule out most rows before the case-blind comparison.
    char first = static_cast<char>(name[0] | 0x20);
    for (const MemberName& m : table)
        if (m.name.size() == name.size() && static_cast<char>(m.name[0] | 0x20) == first &&
            iequals(m.name, name))
            return m.id;
    return kNoMember;
}

void check_arg_count(const CallArgs& args, CallKind kind, uint32_t min, uint32_t max) {
    uint32_t n = args.size();
    if (kind == CallKind::Let || kind == CallKind::Set) {
        if (n == 0) raise_error(kErrWrongArgs);
        --n;
    }
    if (n < min || n > max) raise_error(kErrWrongArgs);
}

// --- engine functions --------------------------------------------------------------------------

namespace {

struct LocaleId {
    int32_t lcid;
    const char* name;
};
const LocaleId kLocaleIds[] = {
    {1033, "en-US"}, {2057, "en-GB"}, {1031, "de-DE"}, {1036, "fr-FR"}, {1043, "nl-NL"},
};

int32_t lcid_of(const locale_info& loc) {
    for (const LocaleId& l : kLocaleIds)
        if (loc.name == l.name) return l.lcid;
    return 1033;
}

Value fn_create_object(Context& ctx, ArgList args) {
    std::string prog_id = arg_text(args, 0);
    ObjectFactory make = find_creatable(prog_id);
    if (!make) raise_error(kErrCantCreate);
    Ptr<Object> obj = make(ctx);
    return Value::object(obj.get());
}

// No running objects or files can be bound here.
Value fn_get_object(Context&, ArgList) {
    raise_error(kErrCantCreate);
}

Value fn_script_engine(Context&, ArgList) {
    return Value::string("VBScript");
}
Value fn_major_version(Context&, ArgList) {
    return Value::long_(5);
}
Value fn_minor_version(Context&, ArgList) {
    return Value::long_(8);
}
Value fn_build_version(Context&, ArgList) {
    return Value::long_(16384);
}

Value fn_get_locale(Context&, ArgList) {
    return Value::long_(lcid_of(current_locale()));
}

// SetLocale(lcid or name) makes a built-in locale current and returns the previous LCID;
// no argument or 0 returns to the environment's locale.
Value fn_set_locale(Context&, ArgList args) {
    int32_t previous = lcid_of(current_locale());
    const Value& a = arg(args, 0).deref();
    if (!has_arg(args, 0) || (a.tag() != Tag::String && to_long(a) == 0)) {
        set_current_locale(locale_from_environment());
        return Value::long_(previous);
    }
    if (a.tag() == Tag::String) {
        std::string name = to_string(a);
        const locale_info* loc = nullptr;
        double number;
        if (parse_number(name, number)) {
            for (const LocaleId& l : kLocaleIds)
                if (l.lcid == number) loc = find_locale(l.name);
        } else {
            loc = find_locale(name);
        }
        if (!loc) raise_error(kErrIllegalCall);
        set_current_locale(*loc);
        return Value::long_(previous);
    }
    int32_t id = to_long(a);
    for (const LocaleId& l : kLocaleIds)
        if (l.lcid == id) {
            set_current_locale(*find_locale(l.name));
            return Value::long_(previous);
        }
    raise_error(kErrIllegalCall);
}

const BuiltinFunction kFunctions[] = {
    {"CreateObject", 1, 2, fn_create_object},
    {"GetObject", 0, 2, fn_get_object},
    {"ScriptEngine", 0, 0, fn_script_engine},
    {"ScriptEngineMajorVersion", 0, 0, fn_major_version},
    {"ScriptEngineMinorVersion", 0, 0, fn_minor_version},
    {"ScriptEngineBuildVersion", 0, 0, fn_build_version},
    {"GetLocale", 0, 0, fn_get_locale},
    {"SetLocale", 0, 1, fn_set_locale},
};

} // namespace
} // namespace vbs

VBS_LIBRARY(support) {
    reg.add_functions(vbs::kFunctions);
}
