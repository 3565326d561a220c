// The RegExp object (New RegExp, CreateObject("VBScript.RegExp")) and its Matches, Match and
// SubMatches collections, built on PCRE2.
//
// VBScript's patterns follow JavaScript: `$` matches only at the very end unless Multiline is
// on, `\uXXXX` names a character, `.` stops at a line feed. Positions (FirstIndex, Length)
// count characters. A pattern is compiled when first used and kept until Pattern or a flag
// changes: once for subjects of sound UTF-8, and once more, only when a subject holds bad
// sequences, in the form that lets them match nothing (PCRE2 checks the rest of such a subject
// again at every match).
#define PCRE2_CODE_UNIT_WIDTH 8
#include "vbscript/lib_support.h"

#include <pcre2.h>

namespace vbs {
namespace {

constexpr int32_t kErrRegexSyntax = 5017;

// --- Match, SubMatches and Matches -------------------------------------------------------------

// An enumerator over a fixed list of values.
class ListEnumerator final : public Enumerator {
public:
    explicit ListEnumerator(std::vector<Value> items) : items_(std::move(items)) {}
    bool next(Value& out, Context&) override {
        if (pos_ >= items_.size()) return false;
        out = items_[pos_++];
        return true;
    }

private:
    std::vector<Value> items_;
    size_t pos_ = 0;
};

// The index argument of Item: a whole number within 0..count-1 (error 5 otherwise).
size_t item_index(const CallArgs& args, CallKind kind, size_t count) {
    check_arg_count(args, kind, 1, 1);
    if (kind != CallKind::Get && kind != CallKind::Call) raise_error(kErrNoMember);
    int32_t i = to_long(args[0]);
    if (i < 0 || size_t(i) >= count) raise_error(kErrIllegalCall);
    return size_t(i);
}

// Read-only collection of values: Item (default) and Count, For Each.
class SubMatches final : public Object {
public:
    explicit SubMatches(std::vector<Value> items) : items_(std::move(items)) {}
    std::string type_name() const override { return "ISubMatches"; }
    int find_member(std::string_view name) override { return find_member_in(kMembers, name); }
    const void* member_table() const override { return kMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) override {
        if (id == 0) {
            result = items_[item_index(args, kind, items_.size())];
            return;
        }
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
        check_arg_count(args, kind, 0, 0);
        result = Value::long_(int32_t(items_.size()));
    }
    std::unique_ptr<Enumerator> enumerate(Context&) override {
        return std::make_unique<ListEnumerator>(items_);
    }

private:
    static constexpr MemberName kMembers[] = {{"Item", 0}, {"Count", 1}};
    std::vector<Value> items_;
};

class Match final : public Object {
public:
    Match(std::string value, int32_t first_index, int32_t length, std::vector<Value> groups)
        : value_(Value::string(value)), first_index_(first_index), length_(length),
          groups_(std::move(groups)) {}
    std::string type_name() const override { return "IMatch2"; }
    int find_member(std::string_view name) override { return find_member_in(kMembers, name); }
    const void* member_table() const override { return kMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) override {
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
        check_arg_count(args, kind, 0, 0);
        switch (id) {
        case 0:
            result = value_;
            return;
        case 1:
            result = Value::long_(first_index_);
            return;
        case 2:
            result = Value::long_(length_);
            return;
        default:
            result = Value::object(make_object<SubMatches>(groups_).get());
            return;
        }
    }

private:
    static constexpr MemberName kMembers[] = {
        {"Value", 0}, {"FirstIndex", 1}, {"Length", 2}, {"SubMatches", 3}};
    Value value_;
    int32_t first_index_, length_;
    std::vector<Value> groups_;
};

class Matches final : public Object {
public:
    explicit Matches(std::vector<Value> items) : items_(std::move(items)) {}
    std::string type_name() const override { return "IMatchCollection2"; }
    int find_member(std::string_view name) override { return find_member_in(kMembers, name); }
    const void* member_table() const override { return kMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) override {
        if (id == 0) {
            result = items_[item_index(args, kind, items_.size())];
            return;
        }
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
        check_arg_count(args, kind, 0, 0);
        result = Value::long_(int32_t(items_.size()));
    }
    std::unique_ptr<Enumerator> enumerate(Context&) override {
        return std::make_unique<ListEnumerator>(items_);
    }

private:
    static constexpr MemberName kMembers[] = {{"Item", 0}, {"Count", 1}};
    std::vector<Value> items_;
};

// --- RegExp ------------------------------------------------------------------------------------

enum RegExpMember { kPattern = 1, kIgnoreCase, kGlobal, kMultiline, kTest, kExecute, kReplace };

const MemberName kRegExpMembers[] = {
    {"Pattern", kPattern}, {"IgnoreCase", kIgnoreCase},
    {"Global", kGlobal},   {"Multiline", kMultiline},
    {"Test", kTest},       {"Execute", kExecute},
    {"Replace", kReplace},
};

// One match found in a subject: byte offsets of the whole match and of each group (-1 for a
// group that took no part).
struct Found {
    std::vector<std::pair<ptrdiff_t, ptrdiff_t>> spans;
};

class RegExp final : public Object {
public:
    ~RegExp() override { drop_code(); }
    std::string type_name() const override { return "IRegExp2"; }
    int find_member(std::string_view name) override { return find_member_in(kRegExpMembers, name); }
    const void* member_table() const override { return kRegExpMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;

private:
    void drop_code() {
        for (int k = 0; k < 2; ++k) {
            if (match_data_[k]) pcre2_match_data_free(match_data_[k]);
            if (code_[k]) pcre2_code_free(code_[k]);
            code_[k] = nullptr;
            match_data_[k] = nullptr;
        }
    }
    // The compiled pattern for sound subjects (0) or for subjects with bad UTF-8 (1).
    void compile(int form);
    // Calls found(match) for each match of the subject in order: all of them when `all`,
    // else the first. The matches are never all held at once.
    template <class OnMatch>
    void search(std::string_view subject, bool all, Context& ctx, OnMatch&& found);
    bool flag_property(bool& flag, CallKind kind, CallArgs& args, Value& result);
    Value execute(std::string_view subject, Context& ctx);
    std::string replace(std::string_view subject, std::string_view with, Context& ctx);

    std::string pattern_;
    bool ignore_case_ = false, global_ = false, multiline_ = false;
    pcre2_code* code_[2] = {nullptr, nullptr};
    pcre2_match_data* match_data_[2] = {nullptr, nullptr};
};

constexpr int kSound = 0, kTolerant = 1;

void RegExp::compile(int form) {
    if (code_[form]) return;
    // A back-reference to a group that took no part matches the empty string, as in
    // JavaScript: (x)?\1y matches "y".
    uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF;
    if (form == kTolerant) options |= PCRE2_MATCH_INVALID_UTF;
    if (ignore_case_) options |= PCRE2_CASELESS;
    if (multiline_)
        options |= PCRE2_MULTILINE;
    else
        options |= PCRE2_DOLLAR_ENDONLY;
    int error = 0;
    PCRE2_SIZE offset = 0;
    // CR, LF and CR LF all end lines, as in the scripts' own text: `.` stops at either and a
    // Multiline `$` matches before CR LF.
    static pcre2_compile_context* context = [] {
        pcre2_compile_context* c = pcre2_compile_context_create(nullptr);
        pcre2_set_newline(c, PCRE2_NEWLINE_ANYCRLF);
        return c;
    }();
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern_.data()), pattern_.size(),
                                     options, &error, &offset, context);
    if (!code) raise_error(kErrRegexSyntax, "Syntax error in regular expression");
    code_[form] = code;
    match_data_[form] = pcre2_match_data_create_from_pattern(code, nullptr);
}

template <class OnMatch>
void RegExp::search(std::string_view subject, bool all, Context& ctx, OnMatch&& found) {
    int form = kSound;
    compile(form);
    auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());
    // A pattern that backtracks without end fails with error 5 after a bounded amount of work
    // (well under a second) instead of holding the script past its time limit.
    static pcre2_match_context* limits = [] {
        pcre2_match_context* c = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(c, 2000000);
        pcre2_set_depth_limit(c, 100000);
        pcre2_set_heap_limit(c, 64 * 1024); // KiB
        return c;
    }();
    // The first match checks the subject's UTF-8 as a whole; doing that again for every match
    // would make a global search quadratic. A subject with bad sequences is searched with the
    // tolerant form instead.
    uint32_t options = 0;
    size_t start = 0, count = 0;
    Found f;
    while (start <= subject.size()) {
        int rc = pcre2_match(code_[form], text, subject.size(), start, options, match_data_[form],
                             limits);
        if (rc <= PCRE2_ERROR_UTF8_ERR1 && rc >= PCRE2_ERROR_UTF8_ERR21 && form == kSound) {
            form = kTolerant;
            compile(form);
            continue;
        }
        if (form == kSound) options = PCRE2_NO_UTF_CHECK;
        if (rc == PCRE2_ERROR_NOMATCH) break;
        if (rc < 0) raise_error(kErrIllegalCall); // resource limits on pathological patterns
        if (++count > kMaxArrayLength) raise_error(kErrOutOfMemory);
        PCRE2_SIZE* ov = pcre2_get_ovector_pointer(match_data_[form]);
        uint32_t pairs = pcre2_get_ovector_count(match_data_[form]);
        f.spans.clear();
        for (uint32_t i = 0; i < pairs; ++i) {
            bool unset = ov[2 * i] == PCRE2_UNSET || int(i) >= rc;
            f.spans.emplace_back(unset ? -1 : ptrdiff_t(ov[2 * i]),
                                 unset ? -1 : ptrdiff_t(ov[2 * i + 1]));
        }
        size_t end = ov[1];
        bool empty = ov[0] == ov[1];
        found(f);
        if (!all) break;
        ctx.check_interrupt();
        start = end;
        if (empty) { // step over one character so an empty match is not found again
            if (start >= subject.size()) break;
            utf8_next(subject, start);
        }
    }
}

Value RegExp::execute(std::string_view subject, Context& ctx) {
    std::vector<Value> items;
    // Character positions advance with the matches, so the subject is walked once.
    size_t byte_pos = 0;
    int64_t char_pos = 0;
    bool ascii = is_ascii(subject);
    auto chars_at = [&](size_t b) {
        if (ascii) return int64_t(b);
        if (b < byte_pos) byte_pos = 0, char_pos = 0;
        char_pos += utf8_index(subject.substr(byte_pos), b - byte_pos);
        byte_pos = b;
        return char_pos;
    };
    search(subject, global_, ctx, [&](const Found& f) {
        auto [b, e] = f.spans[0];
        std::string_view value = subject.substr(size_t(b), size_t(e - b));
        int64_t first = chars_at(size_t(b));
        int64_t length = ascii ? int64_t(value.size()) : utf8_length(value);
        std::vector<Value> groups;
        for (size_t g = 1; g < f.spans.size(); ++g) {
            auto [gb, ge] = f.spans[g];
            groups.push_back(gb < 0 ? Value()
                                    : Value::string(subject.substr(size_t(gb), size_t(ge - gb))));
        }
        Ptr<Match> m = make_object<Match>(std::string(value), int32_t(first), int32_t(length),
                                          std::move(groups));
        items.push_back(Value::object(m.get()));
    });
    return Value::object(make_object<Matches>(std::move(items)).get());
}

// Expands $1..$99, $&, $`, $' and $$ in the replacement text; a `$` followed by anything else
// (or by a group number the pattern does not have) stays as written. The result is held to
// the engine's longest string as it grows (error 14).
std::string RegExp::replace(std::string_view subject, std::string_view with, Context& ctx) {
    std::string out;
    size_t copied = 0;
    auto add = [&out](std::string_view piece) {
        if (out.size() + piece.size() > kMaxStringLength) raise_error(kErrOutOfString);
        out.append(piece);
    };
    search(subject, global_, ctx, [&](const Found& f) {
        auto [b, e] = f.spans[0];
        add(subject.substr(copied, size_t(b) - copied));
        for (size_t i = 0; i < with.size(); ++i) {
            char c = with[i];
            if (c != '$' || i + 1 >= with.size()) {
                add(std::string_view(&with[i], 1));
                continue;
            }
            char n = with[i + 1];
            if (n == '$') {
                add("$");
                ++i;
            } else if (n == '&') {
                add(subject.substr(size_t(b), size_t(e - b)));
                ++i;
            } else if (n == '`') {
                add(subject.substr(0, size_t(b)));
                ++i;
            } else if (n == '\'') {
                add(subject.substr(size_t(e)));
                ++i;
            } else if (n >= '0' && n <= '9') {
                size_t group = size_t(n - '0'), used = 1;
                if (i + 2 < with.size() && with[i + 2] >= '0' && with[i + 2] <= '9') {
                    size_t two = group * 10 + size_t(with[i + 2] - '0');
                    if (two > 0 && two < f.spans.size()) group = two, used = 2;
                }
                if (group == 0 || group >= f.spans.size()) {
                    add(std::string_view(&with[i], 1));
                    continue;
                }
                auto [gb, ge] = f.spans[group];
                if (gb >= 0) add(subject.substr(size_t(gb), size_t(ge - gb)));
                i += used;
            } else {
                add(std::string_view(&with[i], 1));
            }
        }
        copied = size_t(e);
    });
    add(subject.substr(copied));
    return out;
}

bool RegExp::flag_property(bool& flag, CallKind kind, CallArgs& args, Value& result) {
    check_arg_count(args, kind, 0, 0);
    if (kind == CallKind::Let) {
        bool v = to_bool(args.assigned());
        if (v != flag) drop_code();
        flag = v;
        return true;
    }
    if (kind == CallKind::Set) raise_error(kErrWrongArgs);
    result = Value::boolean(flag);
    return true;
}

void RegExp::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) {
    switch (id) {
    case kPattern:
        check_arg_count(args, kind, 0, 0);
        if (kind == CallKind::Let) {
            std::string p = to_string(args.assigned());
            if (p != pattern_) drop_code();
            pattern_ = std::move(p);
        } else if (kind == CallKind::Set) {
            raise_error(kErrWrongArgs);
        } else {
            result = Value::string(pattern_);
        }
        return;
    case kIgnoreCase:
        flag_property(ignore_case_, kind, args, result);
        return;
    case kGlobal:
        flag_property(global_, kind, args, result);
        return;
    case kMultiline:
        flag_property(multiline_, kind, args, result);
        return;
    default:
        break;
    }
    if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
    switch (id) {
    case kTest: {
        check_arg_count(args, kind, 1, 1);
        std::string s = to_string(args[0]);
        bool any = false;
        search(s, false, ctx, [&any](const Found&) { any = true; });
        result = Value::boolean(any);
        return;
    }
    case kExecute: {
        check_arg_count(args, kind, 1, 1);
        std::string s = to_string(args[0]);
        result = execute(s, ctx);
        return;
    }
    case kReplace: {
        check_arg_count(args, kind, 2, 2);
        std::string s = to_string(args[0]);
        std::string with = to_string(args[1]);
        result = Value::string(replace(s, with, ctx));
        return;
    }
    default:
        raise_error(kErrNoMember);
    }
}

Ptr<Object> make_regexp(Context&) {
    return make_object<RegExp>();
}

} // namespace
} // namespace vbs

VBS_LIBRARY(regexp) {
    reg.add_class("RegExp", vbs::make_regexp);
    reg.add_creatable("VBScript.RegExp", vbs::make_regexp);
}
