// Scripting.Dictionary: a keyed collection that keeps its keys in insertion order.
//
// Entries live in a vector in insertion order; an open-addressing hash index maps keys to
// entry positions. Looking up a key that exists hashes and compares it in place: nothing is
// allocated. Keys compare as VBScript's Dictionary compares them: text by its bytes (binary
// mode, the default) or without case (text mode), numbers of any subtype by value (1 and 1.0
// are one key), objects by identity.
//
// HashVal(key) reports the hash a key gets, as a Long from 0 to 1200: the scripting runtime's
// dictionary is reported to hash keys into 1201 buckets, so that is the range scripts see. The
// value itself is this dictionary's own key hash folded into that range, so it follows the
// compare mode (in text mode "Key" and "KEY" give one value) and the number rules above
// (1, 1.0 and CCur(1) give one value). It is stable for text and numbers; for an object it is
// stable while the object lives.
#include "vbscript/lib_support.h"

#include <cmath>
#include <cstring>

namespace vbs {
namespace {

constexpr int32_t kErrElementNotFound = 32811;

enum Member {
    kItem = kDefaultMember,
    kAdd,
    kExists,
    kItems,
    kKeys,
    kKey,
    kRemove,
    kRemoveAll,
    kCount,
    kCompareMode,
    kHashVal,
};

const MemberName kMembers[] = {
    {"Item", kItem},       {"Add", kAdd},
    {"Exists", kExists},   {"Items", kItems},
    {"Keys", kKeys},       {"Key", kKey},
    {"Remove", kRemove},   {"RemoveAll", kRemoveAll},
    {"Count", kCount},     {"CompareMode", kCompareMode},
    {"HashVal", kHashVal},
};

// The number of buckets HashVal's values are folded into (values run 0 .. kHashBuckets - 1).
constexpr uint64_t kHashBuckets = 1201;

// What kind of key a value is, for hashing and comparing.
enum class KeyKind { empty, null, number, text, object };

// Arrays are refused before a key is hashed (hash_key), so they never reach here.
inline KeyKind key_kind(const Value& v) {
    switch (v.tag()) {
    case Tag::String:
        return KeyKind::text;
    case Tag::Empty:
        return KeyKind::empty;
    case Tag::Null:
        return KeyKind::null;
    case Tag::Object:
        return KeyKind::object;
    default:
        return KeyKind::number;
    }
}

double key_number(const Value& v) {
    switch (v.tag()) {
    case Tag::Integer:
    case Tag::Long:
    case Tag::Byte:
    case Tag::Boolean:
    case Tag::Error:
        return v.int_val();
    case Tag::Single:
        return v.single_val();
    case Tag::Currency:
        return double(v.currency_raw_val()) / 10000.0;
    default:
        return v.double_val();
    }
}

uint64_t mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

uint64_t hash_key(const Value& v, bool text_compare) {
    if (v.tag() == Tag::Array) raise_error(kErrTypeMismatch);
    switch (key_kind(v)) {
    case KeyKind::empty:
        return 0x9e3779b97f4a7c15ull;
    case KeyKind::null:
        return 0x7f4a7c159e3779b9ull;
    case KeyKind::number: {
        double d = key_number(v);
        if (d == 0) d = 0; // -0 and 0 are one key
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        return mix(bits);
    }
    case KeyKind::object:
        return mix(reinterpret_cast<uintptr_t>(v.obj()));
    case KeyKind::text:
        break;
    }
    std::string_view s = v.str();
    uint64_t h = 0xcbf29ce484222325ull;
    if (!text_compare) {
        for (unsigned char c : s)
            h = (h ^ c) * 0x100000001b3ull;
        return mix(h);
    }
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        uint32_t c;
        if (b < 0x80) {
            c = (b >= 'A' && b <= 'Z') ? b + 32 : b;
            ++i;
        } else {
            c = lower_cp(utf8_next(s, i));
        }
        h = (h ^ c) * 0x100000001b3ull;
    }
    return mix(h);
}

inline bool same_key(const Value& a, const Value& b, bool text_compare) {
    if (a.tag() == Tag::String && b.tag() == Tag::String && !text_compare)
        return a.str() == b.str();
    KeyKind ka = key_kind(a), kb = key_kind(b);
    if (ka != kb) return false;
    switch (ka) {
    case KeyKind::empty:
    case KeyKind::null:
        return true;
    case KeyKind::number:
        return key_number(a) == key_number(b);
    case KeyKind::object:
        return a.obj() == b.obj();
    case KeyKind::text:
        return equal_text(a.str(), b.str(), text_compare);
    }
    return false;
}

class Dictionary final : public Object {
public:
    std::string type_name() const override { return "Dictionary"; }
    int find_member(std::string_view name) override { return find_member_in(kMembers, name); }
    const void* member_table() const override { return kMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;
    std::unique_ptr<Enumerator> enumerate(Context& ctx) override;

private:
    struct Entry {
        Value key;
        Value item;
        uint64_t hash;
        bool live;
    };

    // Slot values: 0 free, -1 a removed entry's slot, n > 0 entry n - 1.
    int64_t find(const Value& key, uint64_t hash) const;
    size_t insert(const Value& key, Value item, uint64_t hash);
    void remove_at(size_t entry, uint64_t hash);
    void rebuild(size_t slot_count);
    void clear();
    Value keys_array() const;
    Value items_array() const;
    void set_compare_mode(const Value& mode);

    std::vector<Entry> entries_;
    std::vector<int32_t> slots_;
    size_t live_ = 0;
    size_t removed_slots_ = 0;
    int32_t compare_mode_ = 0;
    bool text() const { return compare_mode_ != 0; }

    friend class KeyEnumerator;
};

class KeyEnumerator final : public Enumerator {
public:
    explicit KeyEnumerator(std::vector<Value> keys) : keys_(std::move(keys)) {}
    bool next(Value& out, Context&) override {
        if (pos_ >= keys_.size()) return false;
        out = keys_[pos_++];
        return true;
    }

private:
    std::vector<Value> keys_;
    size_t pos_ = 0;
};

int64_t Dictionary::find(const Value& key, uint64_t hash) const {
    if (slots_.empty()) return -1;
    size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        int32_t s = slots_[i];
        if (s == 0) return -1;
        if (s > 0) {
            const Entry& e = entries_[size_t(s - 1)];
            if (e.hash == hash && same_key(e.key, key, text())) return s - 1;
        }
    }
}

size_t Dictionary::insert(const Value& key, Value item, uint64_t hash) {
    if ((entries_.size() + 1 + removed_slots_) * 4 >= slots_.size() * 3) {
        // Compact the entries when removals left many holes, then grow the index.
        size_t wanted = 16;
        while (wanted * 3 <= (live_ + 1) * 4 * 2)
            wanted *= 2;
        rebuild(wanted);
    }
    entries_.push_back(Entry{key, std::move(item), hash, true});
    size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i] > 0)
        i = (i + 1) & mask;
    if (slots_[i] < 0) --removed_slots_;
    slots_[i] = int32_t(entries_.size());
    ++live_;
    return entries_.size() - 1;
}

void Dictionary::remove_at(size_t entry, uint64_t hash) {
    size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask)
        if (slots_[i] == int32_t(entry + 1)) {
            slots_[i] = -1;
            break;
        }
    ++removed_slots_;
    Entry& e = entries_[entry];
    e.live = false;
    // The key and item go only once the dictionary is whole again: letting them go can run a
    // Class_Terminate that changes this very dictionary.
    Value key = std::move(e.key), item = std::move(e.item);
    --live_;
}

void Dictionary::rebuild(size_t slot_count) {
    std::vector<Entry> kept;
    kept.reserve(live_ + 1);
    for (Entry& e : entries_)
        if (e.live) kept.push_back(std::move(e));
    entries_ = std::move(kept);
    slots_.assign(slot_count, 0);
    removed_slots_ = 0;
    size_t mask = slot_count - 1;
    for (size_t n = 0; n < entries_.size(); ++n) {
        size_t i = entries_[n].hash & mask;
        while (slots_[i] != 0)
            i = (i + 1) & mask;
        slots_[i] = int32_t(n + 1);
    }
}

void Dictionary::clear() {
    // The entries are let go after the dictionary is empty (see remove_at): a handler that
    // adds keys while they go adds them to the empty dictionary.
    std::vector<Entry> gone;
    gone.swap(entries_);
    slots_.clear();
    live_ = 0;
    removed_slots_ = 0;
    gone.clear();
}

Value Dictionary::keys_array() const {
    std::vector<Value> out;
    out.reserve(live_);
    for (const Entry& e : entries_)
        if (e.live) out.push_back(e.key);
    return make_array(std::move(out));
}

Value Dictionary::items_array() const {
    std::vector<Value> out;
    out.reserve(live_);
    for (const Entry& e : entries_)
        if (e.live) out.push_back(e.item);
    return make_array(std::move(out));
}

// The mode may change only while the dictionary is empty: 0 binary, 1 text, 2 and locale
// numbers compare as text.
void Dictionary::set_compare_mode(const Value& mode) {
    int32_t m = to_long(mode);
    if (m < 0 || live_ > 0) raise_error(kErrIllegalCall);
    compare_mode_ = m;
    clear();
}

void Dictionary::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) {
    bool assign = kind == CallKind::Let || kind == CallKind::Set;
    switch (id) {
    case kItem: {
        check_arg_count(args, kind, 1, 1);
        const Value& key = args[0].deref();
        uint64_t h = hash_key(key, text());
        int64_t at = find(key, h);
        if (assign) {
            if (at >= 0)
                entries_[size_t(at)].item = args.assigned().deref();
            else
                insert(key, args.assigned().deref(), h);
            return;
        }
        // Reading a key that is not there adds it with an Empty item.
        if (at < 0) at = int64_t(insert(key, Value(), h));
        result = entries_[size_t(at)].item;
        return;
    }
    case kKey: {
        if (kind != CallKind::Let) raise_error(kErrNoMember);
        check_arg_count(args, kind, 1, 1);
        const Value& old_key = args[0].deref();
        const Value& new_key = args.assigned().deref();
        uint64_t old_hash = hash_key(old_key, text());
        int64_t at = find(old_key, old_hash);
        if (at < 0) raise_error(kErrElementNotFound, "Element not found");
        uint64_t new_hash = hash_key(new_key, text());
        int64_t clash = find(new_key, new_hash);
        if (clash >= 0 && clash != at) raise_error(kErrKeyExists);
        // Re-index under the new key, keeping the entry's place in the order. The old slot
        // becomes a removed one and is counted as such, so that the index is rebuilt before
        // removed slots take the place of every free one (a look-up ends only at a free slot).
        size_t mask = slots_.size() - 1;
        for (size_t i = old_hash & mask;; i = (i + 1) & mask)
            if (slots_[i] == int32_t(at + 1)) {
                slots_[i] = -1;
                break;
            }
        ++removed_slots_;
        Entry& e = entries_[size_t(at)];
        e.hash = new_hash;
        Value old = std::move(e.key); // an object key may run script as it goes: last
        e.key = new_key;
        if ((entries_.size() + removed_slots_) * 4 >= slots_.size() * 3) {
            rebuild(slots_.size());
            return;
        }
        size_t i = new_hash & mask;
        while (slots_[i] > 0)
            i = (i + 1) & mask;
        if (slots_[i] < 0) --removed_slots_;
        slots_[i] = int32_t(at + 1);
        return;
    }
    case kCompareMode:
        if (kind == CallKind::Let) {
            check_arg_count(args, kind, 0, 0);
            set_compare_mode(args.assigned().deref());
            return;
        }
        break;
    default:
        break;
    }
    if (assign) raise_error(kErrWrongArgs);
    switch (id) {
    case kAdd: {
        check_arg_count(args, kind, 2, 2);
        const Value& key = args[0].deref();
        uint64_t h = hash_key(key, text());
        if (find(key, h) >= 0) raise_error(kErrKeyExists);
        insert(key, args[1].deref(), h);
        return;
    }
    case kExists: {
        check_arg_count(args, kind, 1, 1);
        const Value& key = args[0].deref();
        result = Value::boolean(find(key, hash_key(key, text())) >= 0);
        return;
    }
    case kItems:
        check_arg_count(args, kind, 0, 0);
        result = items_array();
        return;
    case kKeys:
        check_arg_count(args, kind, 0, 0);
        result = keys_array();
        return;
    case kRemove: {
        check_arg_count(args, kind, 1, 1);
        const Value& key = args[0].deref();
        uint64_t h = hash_key(key, text());
        int64_t at = find(key, h);
        if (at < 0) raise_error(kErrElementNotFound, "Element not found");
        remove_at(size_t(at), h);
        return;
    }
    case kRemoveAll:
        check_arg_count(args, kind, 0, 0);
        clear();
        return;
    case kCount:
        check_arg_count(args, kind, 0, 0);
        result = Value::long_(int32_t(live_));
        return;
    case kCompareMode:
        check_arg_count(args, kind, 0, 0);
        result = Value::long_(compare_mode_);
        return;
    case kHashVal: {
        check_arg_count(args, kind, 1, 1);
        if (args.is_missing(0)) raise_error(kErrWrongArgs);
        uint64_t h = hash_key(args[0].deref(), text());
        result = Value::long_(int32_t(h % kHashBuckets));
        return;
    }
    default:
        raise_error(kErrNoMember);
    }
}

// For Each walks the keys present when the loop starts.
std::unique_ptr<Enumerator> Dictionary::enumerate(Context&) {
    std::vector<Value> keys;
    keys.reserve(live_);
    for (const Entry& e : entries_)
        if (e.live) keys.push_back(e.key);
    return std::make_unique<KeyEnumerator>(std::move(keys));
}

Ptr<Object> make_dictionary(Context&) {
    return make_object<Dictionary>();
}

} // namespace
} // namespace vbs

VBS_LIBRARY(dictionary) {
    reg.add_creatable("Scripting.Dictionary", vbs::make_dictionary);
}
