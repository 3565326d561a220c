// The late-bound object interface.
//
// Everything a script reaches with `obj.Member` implements Object: the host objects a program
// adds to an engine (`MR`, `WScript`), instances of script classes, and the library objects
// (Dictionary, RegExp, FileSystemObject, ...). Members are found by name, compared without
// regard to case, and then invoked by the id the lookup returned, so a call site can keep the
// id for the next call on an object of the same kind.
//
// Objects are reference counted. The count is not atomic: an object belongs to the thread that
// runs its engine. When the last reference goes, `last_release` runs (a script class runs its
// Class_Terminate there) and the object is deleted.
#pragma once

#include "vbscript/variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vbs {

class Context;

// Intrusive owning pointer to an Object (or a subclass).
template <class T> class Ptr {
public:
    Ptr() = default;
    Ptr(T* p) : p_(p) { // takes a new reference
        if (p_) p_->add_ref();
    }
    Ptr(const Ptr& o) : Ptr(o.p_) {}
    Ptr(Ptr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    template <class U> Ptr(const Ptr<U>& o) : Ptr(o.get()) {}
    Ptr& operator=(Ptr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Ptr() {
        if (p_) p_->release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Makes a new object with reference count 0 held by the returned Ptr.
template <class T, class... A> Ptr<T> make_object(A&&... a) {
    return Ptr<T>(new T(std::forward<A>(a)...));
}

// How a member is used.
enum class CallKind : uint8_t {
    Get,  // read a property, or call a method for its value: x = obj.M(args)
    Call, // call as a statement, the result is discarded: obj.M args
    Let,  // assign a property: obj.P(args) = value (value is the last argument)
    Set,  // assign an object reference: Set obj.P(args) = value (value is the last argument)
};

// Member id of the default member (`obj(1)` means `obj.Item(1)` for a Dictionary).
constexpr int kDefaultMember = 0;
// Returned by find_member when there is no such member.
constexpr int kNoMember = -1;

// The arguments of one call. Each argument is a Value the callee may overwrite: when the
// caller passed a variable, writing the argument assigns that variable (ByRef); when it passed
// an expression, the write lands in a temporary and is lost, as in VBScript. An argument the
// caller left out (`f 1, , 3`, or any position past the end) reads as a missing marker:
// is_missing(i) tells it apart from an Empty value that was passed.
class CallArgs {
public:
    CallArgs(Value** slots, uint32_t count) : slots_(slots), count_(count) {}
    uint32_t size() const { return count_; }
    bool is_missing(uint32_t i) const { return i >= count_ || slots_[i]->is_missing(); }
    // The value of argument i; a missing marker when i is past the end.
    const Value& operator[](uint32_t i) const { return i < count_ ? *slots_[i] : missing_; }
    // Writable reference for a ByRef result; i must be < size().
    Value& ref(uint32_t i) { return *slots_[i]; }
    // The assigned value of a Let/Set call (its last argument); the other arguments are the
    // property's index arguments and number size() - 1.
    const Value& assigned() const { return *slots_[count_ - 1]; }

private:
    Value** slots_;
    uint32_t count_;
    static const Value missing_;
};

// Walks the items of a collection for For Each.
class Enumerator {
public:
    virtual ~Enumerator() = default;
    // Stores the next item in `out` and returns true, or returns false at the end.
    virtual bool next(Value& out, Context& ctx) = 0;
};

class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    void add_ref() noexcept { ++refs_; }
    void release();
    uint32_t ref_count() const { return refs_; }

    // The class name TypeName reports ("Dictionary", "RegExp", a script class's name).
    virtual std::string type_name() const = 0;

    // Looks up a member by name without regard to case. Returns an id >= 0 (kDefaultMember for
    // the default member, also found under the name ""), or kNoMember.
    virtual int find_member(std::string_view name) = 0;

    // A key shared by all objects whose member ids are the same (usually the address of a
    // static member table), letting a call site reuse an id found earlier; nullptr when ids
    // depend on the single object.
    virtual const void* member_table() const { return nullptr; }

    // Invokes member `id` found by find_member. Stores the result (if any) in `result`, which
    // arrives Empty. Raises script errors with raise_error (error.h): 450 for a wrong argument
    // count, 438 when the member does not support `kind`, 13 for an argument of a wrong type.
    virtual void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) = 0;

    // For Each over the object: a new enumerator positioned before the first item. The default
    // raises error 451 "Object not a collection".
    virtual std::unique_ptr<Enumerator> enumerate(Context& ctx);

protected:
    // Runs when the last reference goes, before the object is deleted. A script class runs its
    // Class_Terminate here. The default does nothing.
    virtual void last_release() {}

private:
    uint32_t refs_ = 0;
};

inline Value Value::object(Object* obj) {
    Value r = make(Tag::Object);
    r.u_.o = obj;
    if (obj) obj->add_ref();
    return r;
}

} // namespace vbs
