// Value, string and array representations.
#include "vbscript/variant.h"

#include "vbscript/object.h"

#include <cstddef>
#include <new>

namespace vbs {

StrRep* StrRep::make(std::string_view text, size_t extra_capacity) {
    size_t cap = text.size() + extra_capacity;
    void* mem = ::operator new(offsetof(StrRep, data) + cap + 1);
    auto* s = static_cast<StrRep*>(mem);
    s->refs = 1;
    s->size = static_cast<uint32_t>(text.size());
    s->capacity = static_cast<uint32_t>(cap);
    if (!text.empty()) std::memcpy(s->data, text.data(), text.size());
    s->data[text.size()] = 0;
    bool ascii = true;
    for (unsigned char c : text)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    s->ascii = ascii;
    s->chars = ascii ? static_cast<int32_t>(text.size()) : -1;
    return s;
}

int32_t StrRep::char_count() {
    if (chars < 0) {
        int32_t n = 0;
        for (uint32_t i = 0; i < size; ++i)
            if ((static_cast<unsigned char>(data[i]) & 0xC0) != 0x80) ++n;
        chars = n;
    }
    return chars;
}

Value Value::string(std::string_view text) {
    Value r = make(Tag::String);
    r.u_.s = text.empty() ? nullptr : StrRep::make(text);
    return r;
}

VarType Value::var_type() const {
    switch (tag_) {
    case Tag::Empty:
        return VarType::Empty;
    case Tag::Null:
        return VarType::Null;
    case Tag::Integer:
        return VarType::Integer;
    case Tag::Long:
        return VarType::Long;
    case Tag::Single:
        return VarType::Single;
    case Tag::Double:
        return VarType::Double;
    case Tag::Currency:
        return VarType::Currency;
    case Tag::Date:
        return VarType::Date;
    case Tag::String:
        return VarType::String;
    case Tag::Object:
        return VarType::Object;
    case Tag::Error:
        return VarType::Error;
    case Tag::Boolean:
        return VarType::Boolean;
    case Tag::Byte:
        return VarType::Byte;
    case Tag::Array:
        return VarType::VariantArray;
    case Tag::Ref:
        return u_.ref->var_type();
    }
    return VarType::Empty;
}

bool Value::is_numeric_tag() const {
    switch (tag_) {
    case Tag::Integer:
    case Tag::Long:
    case Tag::Single:
    case Tag::Double:
    case Tag::Currency:
    case Tag::Date:
    case Tag::Boolean:
    case Tag::Byte:
        return true;
    default:
        return false;
    }
}

void Value::slow_retain() noexcept {
    switch (tag_) {
    case Tag::String:
        if (u_.s) ++u_.s->refs;
        break;
    case Tag::Object:
        if (u_.o) u_.o->add_ref();
        break;
    case Tag::Array:
        ++u_.a->refs;
        break;
    default:
        break;
    }
}

namespace {
// Releasing the last reference to an array or object releases what it holds, which can chain
// without bound (a list of a million nodes). Past a small depth the values are parked here and
// released one after another by the outermost release, so the native stack never grows with
// the length of the chain.
thread_local int drop_depth = 0;
thread_local std::vector<Value> graveyard;
constexpr int kMaxDropDepth = 64;
} // namespace

void Value::slow_drop() noexcept {
    switch (tag_) {
    case Tag::String:
        if (u_.s) u_.s->release();
        return;
    case Tag::Object:
        if (!u_.o) return;
        if (u_.o->ref_count() > 1) {
            u_.o->release();
            u_.o = nullptr;
            return;
        }
        break;
    case Tag::Array:
        if (u_.a->refs > 1) {
            --u_.a->refs;
            tag_ = Tag::Empty;
            return;
        }
        break;
    default:
        return;
    }
    if (drop_depth >= kMaxDropDepth) {
        Value parked;
        parked.tag_ = tag_;
        parked.u_ = u_;
        tag_ = Tag::Empty;
        graveyard.push_back(std::move(parked));
        return;
    }
    ++drop_depth;
    if (tag_ == Tag::Object) {
        Object* o = u_.o;
        u_.o = nullptr;
        o->release();
    } else {
        ArrayRep* a = u_.a;
        tag_ = Tag::Empty;
        a->release();
    }
    --drop_depth;
    if (drop_depth == 0) {
        while (!graveyard.empty()) {
            Value v = std::move(graveyard.back());
            graveyard.pop_back();
            ++drop_depth;
            v.clear();
            --drop_depth;
        }
    }
}

void Value::release_detached(Tag t, Payload p) noexcept {
    Value v;
    v.tag_ = t;
    v.u_ = p;
} // v lets its reference go here

ArrayRep* ArrayRep::make(std::vector<int32_t> counts) {
    size_t n = 1;
    for (int32_t c : counts)
        n *= static_cast<size_t>(c);
    auto* a = new ArrayRep;
    a->counts = std::move(counts);
    a->data.resize(n);
    return a;
}

ArrayRep* ArrayRep::make_vector(std::vector<Value> items) {
    auto* a = new ArrayRep;
    a->counts.push_back(static_cast<int32_t>(items.size()));
    a->data = std::move(items);
    return a;
}

ArrayRep* ArrayRep::clone() const {
    auto* a = new ArrayRep;
    a->counts = counts;
    a->data = data;
    return a;
}

void ArrayRep::release() {
    if (--refs == 0) delete this;
}

static inline char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

std::string to_lower_ascii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = lower_ascii(c);
    return r;
}

const Value CallArgs::missing_ = Value::missing();

void Object::release() {
    if (refs_ == 1) {
        // The object stays alive while its terminate handler runs; a handler that stores Me
        // somewhere keeps it alive beyond this call.
        last_release();
        if (--refs_ == 0) delete this;
        return;
    }
    --refs_;
}

} // namespace vbs
