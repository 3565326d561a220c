// The script value: a VBScript Variant.
//
// A Value is 16 bytes: a one-byte tag and an 8-byte payload. Numbers, booleans, dates and
// errors live in the payload and never allocate. Strings, arrays and objects are reference
// counted (single-threaded counts: a Value belongs to the thread running its engine).
//
// Strings hold UTF-8. Script string functions count characters, so every string carries an
// "all ASCII" flag computed when it is made; on ASCII text character and byte positions agree
// and Len/Mid/Left are O(1). The empty string needs no allocation.
//
// Arrays have value semantics as in VBScript (assigning an array copies it), implemented by
// sharing the representation and copying it before the first write while it is shared.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vbs {

class Object;

// VarType numbers as VBScript reports them.
enum class VarType : uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,
    Variant = 12,
    Byte = 17,
    Array = 8192,
    VariantArray = 8204,
};

// The stored kind of a Value. Ref is internal to the virtual machine (a ByRef parameter
// slot pointing at the caller's variable) and never reaches built-ins or host objects.
enum class Tag : uint8_t {
    Empty,
    Null,
    Integer,
    Long,
    Single,
    Double,
    Currency,
    Date,
    String,
    Object, // a null object pointer is Nothing
    Error,
    Boolean,
    Byte,
    Array,
    Ref,
};

// The largest string (in bytes) and array (in elements) the engine makes. Requests beyond them
// fail with error 14 "Out of string space" / 7 "Out of memory" before anything is allocated.
constexpr size_t kMaxStringLength = size_t(1) << 28;
constexpr size_t kMaxArrayLength = size_t(1) << 24;

// Error code carried by a Value that stands for an omitted optional argument
// (as COM's DISP_E_PARAMNOTFOUND).
constexpr int32_t kMissingArgCode = static_cast<int32_t>(0x80020004u);

// Reference-counted UTF-8 text. Made only through Value::string / StrRep::make.
struct StrRep {
    uint32_t refs;
    uint32_t size;     // bytes
    uint32_t capacity; // bytes available in data (excluding the terminating zero)
    int32_t chars;     // character count, -1 until computed
    bool ascii;        // every byte < 0x80
    char data[1];      // size bytes followed by a zero

    static StrRep* make(std::string_view text, size_t extra_capacity = 0);
    std::string_view view() const { return {data, size}; }
    int32_t char_count();
    void release() {
        if (--refs == 0) ::operator delete(this);
    }
};

struct ArrayRep;

class Value {
public:
    Value() noexcept : tag_(Tag::Empty) { u_.i64 = 0; }
    Value(const Value& o) noexcept : tag_(o.tag_), u_(o.u_) { retain(); }
    Value(Value&& o) noexcept : tag_(o.tag_), u_(o.u_) { o.tag_ = Tag::Empty; }
    Value& operator=(const Value& o) noexcept {
        if (this != &o) {
            Value tmp(o);
            swap(tmp);
        }
        return *this;
    }
    // The old value is released last, once this value holds the new one (see overwrite).
    Value& operator=(Value&& o) noexcept {
        if (this != &o) {
            overwrite([&] {
                tag_ = o.tag_;
                u_ = o.u_;
                o.tag_ = Tag::Empty;
            });
        }
        return *this;
    }
    ~Value() { drop(); }
    void swap(Value& o) noexcept {
        std::swap(tag_, o.tag_);
        std::swap(u_, o.u_);
    }

    // --- construction -------------------------------------------------------------------
    static Value null() { return make(Tag::Null); }
    static Value integer(int16_t v) {
        Value r = make(Tag::Integer);
        r.set_i32(v);
        return r;
    }
    static Value long_(int32_t v) {
        Value r = make(Tag::Long);
        r.set_i32(v);
        return r;
    }
    static Value single(float v) {
        Value r = make(Tag::Single);
        r.set_i32(std::bit_cast<int32_t>(v));
        return r;
    }
    static Value dbl(double v) {
        Value r = make(Tag::Double);
        r.u_.d = v;
        return r;
    }
    // Currency from its raw form: the amount times 10,000.
    static Value currency_raw(int64_t scaled) {
        Value r = make(Tag::Currency);
        r.u_.i64 = scaled;
        return r;
    }
    // Date as an OLE date: days since 12/30/1899, time as the fraction.
    static Value date(double v) {
        Value r = make(Tag::Date);
        r.u_.d = v;
        return r;
    }
    static Value boolean(bool v) {
        Value r = make(Tag::Boolean);
        r.set_i32(v ? -1 : 0);
        return r;
    }
    static Value byte(uint8_t v) {
        Value r = make(Tag::Byte);
        r.set_i32(v);
        return r;
    }
    static Value error(int32_t code) {
        Value r = make(Tag::Error);
        r.set_i32(code);
        return r;
    }
    static Value missing() { return error(kMissingArgCode); }
    static Value string(std::string_view text);
    static Value string(StrRep* adopted) { // takes over one reference; nullptr is ""
        Value r = make(Tag::String);
        r.u_.s = adopted;
        return r;
    }
    // Takes a new reference to obj; nullptr gives Nothing.
    static Value object(Object* obj);
    static Value nothing() {
        Value r = make(Tag::Object);
        r.u_.o = nullptr;
        return r;
    }
    static Value array(ArrayRep* adopted) {
        Value r = make(Tag::Array);
        r.u_.a = adopted;
        return r;
    }
    static Value ref(Value* target) {
        Value r = make(Tag::Ref);
        r.u_.ref = target;
        return r;
    }

    // --- inspection ---------------------------------------------------------------------
    Tag tag() const { return tag_; }
    VarType var_type() const;
    bool is_empty() const { return tag_ == Tag::Empty; }
    bool is_null() const { return tag_ == Tag::Null; }
    bool is_string() const { return tag_ == Tag::String; }
    bool is_object() const { return tag_ == Tag::Object; } // includes Nothing
    bool is_nothing() const { return tag_ == Tag::Object && u_.o == nullptr; }
    bool is_array() const { return tag_ == Tag::Array; }
    bool is_missing() const { return tag_ == Tag::Error && u_.i32 == kMissingArgCode; }
    bool is_numeric_tag() const; // Integer..Date, Boolean, Byte (not String)

    // Unchecked payload access: call only after checking the tag.
    int32_t int_val() const { return u_.i32; } // Integer, Long, Byte, Error, Boolean (-1/0)
    bool bool_val() const { return u_.i32 != 0; }
    float single_val() const { return u_.f; }
    double double_val() const { return u_.d; } // Double and Date
    int64_t currency_raw_val() const { return u_.i64; }
    std::string_view str() const { return u_.s ? u_.s->view() : std::string_view(); }
    StrRep* str_rep() const { return u_.s; } // nullptr for ""
    Object* obj() const { return u_.o; }
    ArrayRep* arr() const { return u_.a; }
    Value* ref_target() const { return u_.ref; }
    // Follows a Ref tag; returns *this for every other tag.
    const Value& deref() const { return tag_ == Tag::Ref ? *u_.ref : *this; }
    Value& deref() { return tag_ == Tag::Ref ? *u_.ref : *this; }

    // --- raw setters used by the virtual machine's fast paths -----------------------------
    // Like assignment, each one stores the new value before it lets the old one go.
    void set_double(double d) {
        overwrite([&] {
            tag_ = Tag::Double;
            u_.d = d;
        });
    }
    void set_long(int32_t v) {
        overwrite([&] {
            tag_ = Tag::Long;
            set_i32(v);
        });
    }
    void set_integer(int16_t v) {
        overwrite([&] {
            tag_ = Tag::Integer;
            set_i32(v);
        });
    }
    void set_bool(bool b) {
        overwrite([&] {
            tag_ = Tag::Boolean;
            set_i32(b ? -1 : 0);
        });
    }
    void clear() {
        overwrite([&] {
            tag_ = Tag::Empty;
            u_.i64 = 0;
        });
    }

    // Releases the reference held by this value and leaves its tag alone. Only for a value the
    // caller rewrites at once and that no script can reach while the release runs (the
    // destructor; the operand stack).
    void drop() noexcept {
        if (tag_ >= Tag::String && tag_ <= Tag::Array) slow_drop();
    }

private:
    static Value make(Tag t) {
        Value r;
        r.tag_ = t;
        return r;
    }
    void retain() noexcept {
        if (tag_ >= Tag::String && tag_ <= Tag::Array) slow_retain();
    }
    void slow_retain() noexcept;
    void slow_drop() noexcept;
    union Payload;
    static bool counted(Tag t) { return t >= Tag::String && t <= Tag::Array; }
    // Releases the reference of a counted tag that no value holds any more (a value's old
    // content, taken out of it before it was overwritten).
    static void release_detached(Tag t, Payload p) noexcept;
    // Runs `write`, which stores a new content, and then lets the old content go: releasing
    // it can run a Class_Terminate, which may reach (or free) the container this value lives
    // in, so nothing may touch this value after that.
    template <class Write> void overwrite(Write write) {
        if (!counted(tag_)) {
            write();
            return;
        }
        const Tag old_tag = tag_;
        const Payload old = u_;
        write();
        release_detached(old_tag, old);
    }

    // A 32-bit payload is written as the whole 8 bytes, so copying the value right after it was
    // made reads back one store rather than stalling on two of different sizes.
    void set_i32(int32_t v) { u_.i64 = static_cast<int64_t>(static_cast<uint32_t>(v)); }
    static_assert(std::endian::native == std::endian::little, "the 32-bit payload is the low half");

    Tag tag_;
    union Payload {
        int32_t i32;
        int64_t i64;
        float f;
        double d;
        StrRep* s;
        ArrayRep* a;
        Object* o;
        Value* ref;
    } u_;
};

static_assert(sizeof(Value) == 16, "Value must stay 16 bytes");

// A VBScript array: one or more dimensions, each with lower bound 0, elements stored with the
// first index varying fastest (ReDim Preserve may change only the last dimension, so its
// elements stay in place). `fixed` marks arrays declared with bounds (Dim a(3)), which ReDim
// rejects with error 10; `locks` counts ByRef element references and For Each loops in
// progress, during which the array cannot be resized either.
struct ArrayRep {
    uint32_t refs = 1;
    uint32_t locks = 0;
    bool fixed = false;
    std::vector<int32_t> counts; // element count per dimension (upper bound + 1)
    std::vector<Value> data;

    static ArrayRep* make(std::vector<int32_t> counts);     // elements Empty; caller checks size
    static ArrayRep* make_vector(std::vector<Value> items); // one dimension
    ArrayRep* clone() const;                                // refs 1, not fixed, not locked
    int dims() const { return static_cast<int>(counts.size()); }
    void release();
};

// Case-insensitive comparison of ASCII letters, as script names are compared. Inline: every
// call of a member by name goes through it.
inline bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i], y = b[i];
        if (x != y && ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z'))
            return false;
    }
    return true;
}
std::string to_lower_ascii(std::string_view s);

// Hash and equality for tables keyed by script names: both fold ASCII case, so a name is looked
// up as it stands in the text, without making a lower-case copy first.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const {
        uint64_t h = 1469598103934665603ull; // FNV-1a over the folded bytes
        for (unsigned char c : s)
            h = (h ^ ((c >= 'A' && c <= 'Z') ? c + 32u : c)) * 1099511628211ull;
        return size_t(h);
    }
};
struct NameEq {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return iequals(a, b); }
};

} // namespace vbs
