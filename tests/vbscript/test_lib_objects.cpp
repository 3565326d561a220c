// Scripting.Dictionary, RegExp and the engine functions (CreateObject, SetLocale, dialogs).
#include "vbscript/engine.h"
#include "vbscript/lib_test_support.h"

namespace vbs::test {
namespace {

class LibObjects : public LibTest {};

Value regexp() {
    return Value::object(library().classes.at("regexp")(context()).get());
}

std::string keys_of(const Value& d) {
    std::string out;
    Value keys = member(d, "Keys");
    for (const Value& k : keys.arr()->data)
        out += to_string(k) + ",";
    return out;
}

TEST_F(LibObjects, DictionaryKeysCompareByValueAndMode) {
    Value d = make("Scripting.Dictionary");
    member(d, "Add", {I(1), S("one")});
    EXPECT_EQ(member_error(d, "Add", {D(1.0), S("again")}), kErrKeyExists);
    EXPECT_EQ(to_string(member(d, "Item", {Value::currency_raw(10000)})), "one");
    EXPECT_TRUE(member(d, "Exists", {Value::single(1.0f)}).bool_val());
    EXPECT_FALSE(member(d, "Exists", {S("1")}).bool_val());
    member(d, "Add", {S("K"), I(2)});
    EXPECT_FALSE(member(d, "Exists", {S("k")}).bool_val());
    EXPECT_EQ(member_error(d, "Add", {Value::array(ArrayRep::make_vector({})), I(1)}),
              kErrTypeMismatch);

    Value t = make("Scripting.Dictionary");
    member(t, "CompareMode", {I(1)}, CallKind::Let);
    member(t, "Add", {S("\xC3\x84pfel"), I(1)});
    EXPECT_TRUE(member(t, "Exists", {S("\xC3\xA4PFEL")}).bool_val());
    EXPECT_EQ(member_error(t, "Add", {S("\xC3\xA4pfel"), I(2)}), kErrKeyExists);
    EXPECT_EQ(member_error(t, "CompareMode", {I(0)}, CallKind::Let), kErrIllegalCall);
}

TEST_F(LibObjects, DictionaryKeepsOrderThroughRemovalsAndGrowth) {
    Value d = make("Scripting.Dictionary");
    for (int i = 0; i < 1000; ++i)
        member(d, "Add", {S("k" + std::to_string(i)), L(i)});
    for (int i = 0; i < 1000; ++i)
        if (i % 3 != 0) member(d, "Remove", {S("k" + std::to_string(i))});
    member(d, "Add", {S("last"), L(-1)});
    EXPECT_EQ(to_long(member(d, "Count")), 335);
    std::string keys = keys_of(d);
    EXPECT_EQ(keys.substr(0, 12), "k0,k3,k6,k9,");
    EXPECT_EQ(keys.substr(keys.size() - 10), "k999,last,");
    EXPECT_EQ(to_long(member(d, "Item", {S("k999")})), 999);
    EXPECT_EQ(member_error(d, "Remove", {S("k1")}), 32811);

    member(d, "Key", {S("k3"), S("three")}, CallKind::Let);
    EXPECT_EQ(keys_of(d).substr(0, 12), "k0,three,k6,");
    EXPECT_EQ(to_long(member(d, "Item", {S("three")})), 3);
    EXPECT_EQ(member_error(d, "Key", {S("k0"), S("k6")}, CallKind::Let), kErrKeyExists);

    // For Each sees the keys present when it starts.
    auto e = d.obj()->enumerate(context());
    member(d, "RemoveAll");
    Value k;
    ASSERT_TRUE(e->next(k, context()));
    EXPECT_EQ(to_string(k), "k0");
    EXPECT_EQ(to_long(member(d, "Count")), 0);
    EXPECT_EQ(member(d, "Keys").arr()->counts[0], 0);
}

TEST_F(LibObjects, DictionaryItemReadAddsAndObjectsAreKeysByIdentity) {
    Value d = make("Scripting.Dictionary");
    Value a = make("Scripting.Dictionary"), b = make("Scripting.Dictionary");
    member(d, "Item", {a, S("first")}, CallKind::Let);
    EXPECT_FALSE(member(d, "Exists", {b}).bool_val());
    EXPECT_TRUE(member(d, "Item", {b}).is_empty());
    EXPECT_EQ(to_long(member(d, "Count")), 2);
    EXPECT_EQ(to_string(member(d, "Item", {a})), "first");
    EXPECT_EQ(member_error(d, "Count", {I(1)}), kErrWrongArgs);
    EXPECT_EQ(member_error(d, "Nope"), kErrNoMember);
    EXPECT_EQ(d.obj()->type_name(), "Dictionary");
}

TEST_F(LibObjects, DictionaryHashValFollowsKeysAndMode) {
    Value d = make("Scripting.Dictionary");
    Value t = make("Scripting.Dictionary");
    member(t, "CompareMode", {I(1)}, CallKind::Let);
    auto hash = [](const Value& dict, Value key) {
        Value h = member(dict, "HashVal", {std::move(key)});
        EXPECT_EQ(h.tag(), Tag::Long);
        return to_long(h);
    };

    // Keys the dictionary takes as one key share a value, in either mode and in any dictionary.
    struct Same {
        Value a, b;
    };
    const Same numbers[] = {
        {I(1), D(1.0)},
        {L(1), Value::currency_raw(10000)},
        {Value::single(2.5f), D(2.5)},
        {D(-0.0), I(0)},
    };
    for (const Same& c : numbers) {
        EXPECT_EQ(hash(d, c.a), hash(d, c.b)) << to_string(c.a);
        EXPECT_EQ(hash(t, c.a), hash(d, c.b)) << to_string(c.a);
    }
    EXPECT_EQ(hash(t, S("\xC3\x84pfel")), hash(t, S("\xC3\xA4PFEL")));

    // Text mode folds case; binary mode tells case apart (all but a chance few of 300 keys).
    // Values lie in 0..1200 and spread over them.
    int binary_differs = 0;
    std::vector<bool> seen(1201);
    int distinct = 0;
    for (int i = 0; i < 300; ++i) {
        std::string lower = "key" + std::to_string(i * 7919);
        std::string upper = "KEY" + std::to_string(i * 7919);
        int32_t h = hash(d, S(lower));
        ASSERT_GE(h, 0);
        ASSERT_LE(h, 1200);
        if (!seen[size_t(h)]) ++distinct;
        seen[size_t(h)] = true;
        if (hash(d, S(upper)) != h) ++binary_differs;
        EXPECT_EQ(hash(t, S(upper)), hash(t, S(lower))) << lower;
    }
    EXPECT_GE(binary_differs, 290);
    EXPECT_GE(distinct, 200);

    // HashVal only looks: the key is not added.
    EXPECT_EQ(to_long(member(d, "Count")), 0);

    EXPECT_EQ(member_error(d, "HashVal"), kErrWrongArgs);
    EXPECT_EQ(member_error(d, "HashVal", {I(1), I(2)}), kErrWrongArgs);
    EXPECT_EQ(member_error(d, "HashVal", {Value::missing()}), kErrWrongArgs);
    EXPECT_EQ(member_error(d, "HashVal", {I(1), I(5)}, CallKind::Let), kErrWrongArgs);
    EXPECT_EQ(member_error(d, "HashVal", {Value::array(ArrayRep::make_vector({}))}),
              kErrTypeMismatch);
}

TEST_F(LibObjects, RegExpMatchesCountCharacters) {
    Value re = regexp();
    member(re, "Pattern", {S("\xC3\xA4+")}, CallKind::Let);
    member(re, "Global", {Value::boolean(true)}, CallKind::Let);
    Value ms = member(re, "Execute", {S("x\xE2\x82\xAC\xC3\xA4\xC3\xA4 y\xC3\xA4")});
    EXPECT_EQ(to_long(member(ms, "Count")), 2);
    Value m1 = member(ms, "Item", {I(1)});
    EXPECT_EQ(to_long(member(m1, "FirstIndex")), 6);
    EXPECT_EQ(to_long(member(member(ms, "Item", {I(0)}), "Length")), 2);
    EXPECT_EQ(member_error(ms, "Item", {I(2)}), kErrIllegalCall);
}

TEST_F(LibObjects, RegExpReplacementAndErrors) {
    Value re = regexp();
    struct Case {
        const char* pattern;
        bool global;
        const char* subject;
        const char* with;
        const char* expected;
    };
    const Case cases[] = {
        {"(a)(b)?", true, "ab a", "[$2|$1|$$|$0|$3]", "[b|a|$|$0|$3] [|a|$|$0|$3]"},
        {"x*", true, "abc", "-", "-a-b-c-"},
        {"b", false, "abcb", "<$`|$'>", "a<a|cb>cb"},
        {"(\\w+)\\s(\\w+)", false, "one two", "$2 $1", "two one"},
        {"\\u00e4", true, "\xC3\xA4x\xC3\xA4", "A", "AxA"},
        {"a$", true, "a\na", "!", "a\n!"},
        {"(?m)a$", true, "a\r\nb\ra", "!", "!\r\nb\r!"},
        {".", true, "a\r\n", "_", "_\r\n"},
    };
    for (const Case& c : cases) {
        member(re, "Pattern", {S(c.pattern)}, CallKind::Let);
        member(re, "Global", {Value::boolean(c.global)}, CallKind::Let);
        EXPECT_EQ(to_string(member(re, "Replace", {S(c.subject), S(c.with)})), c.expected)
            << c.pattern;
    }
    // Catastrophic backtracking ends with an error rather than running on.
    member(re, "Pattern", {S("^(a+)+$")}, CallKind::Let);
    EXPECT_EQ(member_error(re, "Test", {S(std::string(40, 'a') + "!")}), kErrIllegalCall);
    member(re, "Pattern", {S("(unclosed")}, CallKind::Let);
    EXPECT_EQ(member_error(re, "Test", {S("x")}), 5017);
    member(re, "Pattern", {S("a")}, CallKind::Let);
    EXPECT_EQ(member_error(re, "Test", {Value::null()}), kErrInvalidUseOfNull);
    EXPECT_EQ(member_error(re, "Replace", {S("a")}), kErrWrongArgs);

    // Groups that took no part are Empty.
    member(re, "Pattern", {S("(x)|(y)")}, CallKind::Let);
    Value subs = member(member(member(re, "Execute", {S("y")}), "Item", {I(0)}), "SubMatches");
    EXPECT_TRUE(member(subs, "Item", {I(0)}).is_empty());
    EXPECT_EQ(to_string(member(subs, "Item", {I(1)})), "y");
}

TEST_F(LibObjects, EngineFunctions) {
    Engine engine; // CreateObject looks ProgIDs up in the engine's finished table
    EXPECT_EQ(error_of("CreateObject", {S("WScript.Shell")}), kErrCantCreate);
    EXPECT_EQ(error_of("GetObject", {S("winmgmts:")}), kErrCantCreate);
    EXPECT_EQ(call("CreateObject", {S("scripting.dictionary")}).obj()->type_name(), "Dictionary");
    EXPECT_EQ(to_string(call("ScriptEngine")), "VBScript");
    EXPECT_EQ(to_long(call("SetLocale", {S("de-DE")})), 1033);
    EXPECT_EQ(to_long(call("GetLocale")), 1031);
    EXPECT_EQ(current_locale().decimal_sep, ",");
    EXPECT_EQ(to_long(call("SetLocale", {L(1033)})), 1031);
    EXPECT_EQ(error_of("SetLocale", {L(12345)}), kErrIllegalCall);
    EXPECT_EQ(current_locale().name, "en-US");
}

TEST_F(LibObjects, DialogsGoThroughTheHost) {
    ScriptedUI& ui = context().dialogs;
    ui.answer_button = 7;
    EXPECT_EQ(to_long(call("MsgBox", {S("Sure?"), I(4 + 32), S("Ask")})), 7);
    EXPECT_EQ(ui.last_prompt, "Sure?");
    EXPECT_EQ(ui.last_buttons, 36);
    EXPECT_EQ(ui.last_title, "Ask");
    ui.answer_text = "42";
    ui.cancel = false;
    EXPECT_EQ(to_string(call("InputBox", {S("n?"), Value::missing(), S("7")})), "42");
    EXPECT_EQ(ui.last_default, "7");
    ui.cancel = true;
    EXPECT_TRUE(call("InputBox", {S("n?")}).is_empty());
}

TEST_F(LibObjects, ConstantsHaveTheirValues) {
    auto& c = library().constants;
    EXPECT_EQ(to_string(c.at("vbcrlf")), "\r\n");
    EXPECT_EQ(c.at("vbnullchar").str().size(), 1u);
    EXPECT_EQ(to_long(c.at("vbobjecterror")), -2147221504);
    EXPECT_EQ(to_long(c.at("vbyellow")), 0xFFFF);
    EXPECT_EQ(to_long(c.at("vbusedefault")), -2);
    EXPECT_EQ(to_long(c.at("vbarray")), 8192);
}

} // namespace
} // namespace vbs::test
