// The built-ins the language itself leans on: conversions, type inspection, arrays, string
// length and slicing, comparison, Eval, GetRef, Err and Randomize.
#include "vbscript/builtins.h"
#include "vbscript/convert.h"
#include "vbscript/engine_impl.h"

#include <cmath>

namespace vbs {

namespace {

Engine::Impl& impl_of(Context& ctx) {
    return static_cast<Engine::Impl&>(ctx);
}

std::string text_arg(ArgList args, size_t i) {
    return to_string(arg(args, i));
}

// Byte offset of character `index` (0-based) in s; s.size() past the end.
size_t char_offset(std::string_view s, int64_t index, bool ascii) {
    if (ascii) return index >= int64_t(s.size()) ? s.size() : size_t(index);
    size_t pos = 0;
    while (index > 0 && pos < s.size()) {
        ++pos;
        while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80)
            ++pos;
        --index;
    }
    return pos;
}

int64_t char_count(const Value& v) {
    if (v.tag() == Tag::String) return v.str_rep() ? v.str_rep()->char_count() : 0;
    std::string s = to_string(v);
    int64_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// --- conversions ------------------------------------------------------------------------------

Value fn_cstr(Context&, ArgList a) {
    const Value& v = a[0];
    if (v.is_string()) return v;
    return Value::string(to_string(v));
}
Value fn_cint(Context&, ArgList a) {
    return Value::integer(to_integer(a[0]));
}
Value fn_clng(Context&, ArgList a) {
    return Value::long_(to_long(a[0]));
}
Value fn_cdbl(Context&, ArgList a) {
    return Value::dbl(to_double(a[0]));
}
Value fn_csng(Context&, ArgList a) {
    double d = to_double(a[0]);
    if (std::fabs(d) > 3.402823466e38) raise_error(kErrOverflow);
    return Value::single(float(d));
}
Value fn_cbyte(Context&, ArgList a) {
    // True is all bits set, which as a Byte is 255.
    const Value& v = a[0].deref();
    if (v.tag() == Tag::Boolean) return Value::byte(v.bool_val() ? 255 : 0);
    return Value::byte(to_byte(v));
}
Value fn_ccur(Context&, ArgList a) {
    return Value::currency_raw(to_currency_raw(a[0]));
}

// --- type inspection --------------------------------------------------------------------------

Value fn_typename(Context&, ArgList a) {
    return Value::string(type_name(a[0]));
}
Value fn_vartype(Context&, ArgList a) {
    const Value& v = a[0];
    if (v.tag() == Tag::Object && v.obj()) {
        // An object with a default value reports that value's type, as VBScript does.
        int id = v.obj()->find_member("");
        if (id != kNoMember && v.obj()->type_name() != "Object") {
            try {
                Value p = to_primitive(v);
                return Value::integer(int16_t(p.var_type()));
            } catch (const ScriptException&) {
            }
        }
    }
    return Value::integer(int16_t(v.var_type()));
}
Value fn_isnull(Context&, ArgList a) {
    return Value::boolean(a[0].is_null());
}
Value fn_isempty(Context&, ArgList a) {
    return Value::boolean(a[0].is_empty());
}
Value fn_isarray(Context&, ArgList a) {
    return Value::boolean(a[0].is_array());
}
Value fn_isobject(Context&, ArgList a) {
    return Value::boolean(a[0].is_object());
}
Value fn_isnumeric(Context&, ArgList a) {
    const Value& v = a[0];
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

// --- arrays -----------------------------------------------------------------------------------

const ArrayRep& array_arg(const Value& v) {
    if (v.tag() != Tag::Array) raise_error(kErrTypeMismatch);
    return *v.arr();
}

int32_t dimension_arg(ArgList a, const ArrayRep& arr) {
    int32_t d = has_arg(a, 1) ? to_long(a[1]) : 1;
    if (d < 1 || d > arr.dims()) raise_error(kErrSubscript);
    return d;
}

Value fn_ubound(Context&, ArgList a) {
    const ArrayRep& arr = array_arg(a[0]);
    int32_t d = dimension_arg(a, arr);
    return Value::long_(arr.counts[size_t(d - 1)] - 1);
}
Value fn_lbound(Context&, ArgList a) {
    const ArrayRep& arr = array_arg(a[0]);
    dimension_arg(a, arr);
    return Value::long_(0);
}
Value fn_array(Context&, ArgList a) {
    return Value::array(ArrayRep::make_vector(std::vector<Value>(a.begin(), a.end())));
}

Value fn_join(Context& ctx, ArgList a) {
    if (a[0].deref().is_null()) raise_error(kErrInvalidUseOfNull);
    const ArrayRep& arr = array_arg(a[0]);
    if (arr.dims() != 1) raise_error(kErrTypeMismatch);
    std::string delim = has_arg(a, 1) ? text_arg(a, 1) : " ";
    std::string out;
    size_t total = 0;
    for (const Value& v : arr.data)
        total += v.is_string() ? v.str().size() + delim.size() : 12;
    if (total > kMaxStringLength) raise_error(kErrOutOfString);
    out.reserve(total);
    bool first = true;
    for (const Value& v : arr.data) {
        if (!first) out += delim;
        first = false;
        if (v.is_string())
            out += v.str();
        else if (!v.is_null())
            out += to_string(v);
        // Items that are not strings were counted at 12 bytes; their text may be longer.
        if (out.size() > kMaxStringLength) raise_error(kErrOutOfString);
        ctx.check_interrupt();
    }
    return Value::string(out);
}

bool contains_text(std::string_view hay, std::string_view needle, bool text) {
    if (needle.empty()) return true;
    if (!text) return hay.find(needle) != std::string_view::npos;
    for (size_t i = 0; i + needle.size() <= hay.size(); ++i)
        if (compare_strings(hay.substr(i, needle.size()), needle, true) == 0) return true;
    return false;
}

Value fn_filter(Context& ctx, ArgList a) {
    const ArrayRep& arr = array_arg(a[0]);
    if (arr.dims() != 1) raise_error(kErrTypeMismatch);
    if (a[1].is_null()) raise_error(kErrInvalidUseOfNull);
    std::string match = text_arg(a, 1);
    bool include = has_arg(a, 2) ? to_bool(a[2]) : true;
    bool text = has_arg(a, 3) ? to_long(a[3]) != 0 : false;
    std::vector<Value> out;
    for (const Value& v : arr.data) {
        std::string s = v.is_null() ? std::string() : to_string(v);
        if (contains_text(s, match, text) == include) out.push_back(Value::string(s));
        ctx.check_interrupt();
    }
    return Value::array(ArrayRep::make_vector(std::move(out)));
}

// --- strings ----------------------------------------------------------------------------------

Value fn_len(Context&, ArgList a) {
    const Value& v = a[0];
    if (v.is_null()) return Value::null();
    return Value::long_(int32_t(char_count(v)));
}

Value fn_mid(Context&, ArgList a) {
    const Value& v = a[0];
    if (v.is_null()) return Value::null();
    int32_t start = to_long(a[1]);
    if (start < 1) raise_error(kErrIllegalCall);
    int64_t length = -1;
    if (has_arg(a, 2)) {
        length = to_long(a[2]);
        if (length < 0) raise_error(kErrIllegalCall);
    }
    Value text = v.is_string() ? v : Value::string(to_string(v));
    std::string_view s = text.str();
    bool ascii = !text.str_rep() || text.str_rep()->ascii;
    size_t from = char_offset(s, start - 1, ascii);
    size_t to = length < 0 ? s.size() : from + char_offset(s.substr(from), length, ascii);
    if (from == 0 && to == s.size()) return text;
    return Value::string(s.substr(from, to - from));
}

Value fn_strcomp(Context&, ArgList a) {
    if (a[0].is_null() || a[1].is_null()) return Value::null();
    bool text = has_arg(a, 2) ? to_long(a[2]) != 0 : false;
    int c = compare_strings(to_string(a[0]), to_string(a[1]), text);
    return Value::integer(int16_t(c < 0 ? -1 : c > 0 ? 1 : 0));
}

// --- the engine -------------------------------------------------------------------------------

Value fn_eval(Context& ctx, ArgList a) {
    return ctx.eval(text_arg(a, 0));
}

Value fn_getref(Context& ctx, ArgList a) {
    Engine::Impl& im = impl_of(ctx);
    std::string name = text_arg(a, 0);
    auto it = im.global_index_.find(name);
    if (it == im.global_index_.end() || im.globals_[size_t(it->second)].kind != GKind::Proc)
        raise_error(kErrIllegalCall);
    Global& g = im.globals_[size_t(it->second)];
    Ptr<Object> ref = make_object<ProcRef>(im, g.proc, g.unit);
    return Value::object(ref.get());
}

Value fn_err(Context& ctx, ArgList) {
    return Value::object(impl_of(ctx).err_object_.get());
}

// Randomize [seed]: mixes the seed (or the time of day) into the generator state the way
// VBScript does, so Rnd sequences after Randomize n repeat.
Value fn_randomize(Context& ctx, ArgList a) {
    double seed;
    if (has_arg(a, 0)) {
        seed = to_double(a[0]);
    } else {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        seed = double(std::chrono::duration_cast<std::chrono::microseconds>(now).count() %
                      86400000000LL) /
               1e6;
    }
    uint64_t bits;
    std::memcpy(&bits, &seed, sizeof bits);
    uint32_t hi = uint32_t(bits >> 32);
    uint32_t mixed = ((hi & 0xFFFF) ^ (hi >> 16)) << 8;
    uint32_t& state = ctx.rnd_seed();
    state = (state & 0xFF) | (mixed & 0xFFFF00);
    return Value();
}

const BuiltinFunction kCore[] = {
    {"CStr", 1, 1, fn_cstr},         {"CInt", 1, 1, fn_cint},
    {"CLng", 1, 1, fn_clng},         {"CDbl", 1, 1, fn_cdbl},
    {"CSng", 1, 1, fn_csng},         {"CByte", 1, 1, fn_cbyte},
    {"CCur", 1, 1, fn_ccur},         {"TypeName", 1, 1, fn_typename},
    {"VarType", 1, 1, fn_vartype},   {"IsNull", 1, 1, fn_isnull},
    {"IsEmpty", 1, 1, fn_isempty},   {"IsArray", 1, 1, fn_isarray},
    {"IsObject", 1, 1, fn_isobject}, {"IsNumeric", 1, 1, fn_isnumeric},
    {"UBound", 1, 2, fn_ubound},     {"LBound", 1, 2, fn_lbound},
    {"Array", 0, 255, fn_array},     {"Join", 1, 2, fn_join},
    {"Filter", 2, 4, fn_filter},     {"Len", 1, 1, fn_len},
    {"Mid", 2, 3, fn_mid},           {"StrComp", 2, 3, fn_strcomp},
    {"Eval", 1, 1, fn_eval},         {"GetRef", 1, 1, fn_getref},
    {"Err", 0, 0, fn_err},           {"Randomize", 0, 1, fn_randomize},
};

} // namespace

void register_core_builtins(LibraryRegistry& reg) {
    reg.add_functions(kCore);
}

} // namespace vbs
