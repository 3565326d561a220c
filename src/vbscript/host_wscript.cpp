// WScript and its argument collections for the console host.
#include "vbscript/host_wscript.h"

#include "vbscript/builtins.h"
#include "vbscript/host_console_stream.h"
#include "vbscript/lib_support.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace vbs {

std::vector<ScriptArgument> parse_script_arguments(const std::vector<std::string>& args) {
    std::vector<ScriptArgument> out;
    for (const std::string& a : args) {
        ScriptArgument arg;
        arg.text = a;
        // A lone "/" or "/:x" names nothing and stays an ordinary argument.
        if (a.size() > 1 && a[0] == '/' && a[1] != ':') {
            size_t colon = a.find(':');
            arg.named = true;
            arg.name = a.substr(1, colon == std::string::npos ? std::string::npos : colon - 1);
            if (colon != std::string::npos) arg.value = a.substr(colon + 1);
        }
        out.push_back(std::move(arg));
    }
    return out;
}

namespace {

using Arguments = std::vector<ScriptArgument>;

// A For Each over a list of texts.
struct TextEnumerator : Enumerator {
    std::vector<std::string> items;
    size_t i = 0;
    bool next(Value& out, Context&) override {
        if (i >= items.size()) return false;
        out = Value::string(items[i++]);
        return true;
    }
};

enum ListMember { kItem = 0, kCount, kLength, kExists, kNamed, kUnnamed };
const MemberName kListMembers[] = {{"Item", kItem},     {"Count", kCount}, {"Length", kLength},
                                   {"Exists", kExists}, {"Named", kNamed}, {"Unnamed", kUnnamed}};

// WshArguments (all arguments), WshUnnamed and WshNamed share one class: a view of the parsed
// arguments selecting all, the unnamed or the named ones.
class ArgumentList final : public Object {
public:
    enum class View { all, unnamed, named };
    ArgumentList(std::shared_ptr<const Arguments> args, View view)
        : args_(std::move(args)), view_(view) {}

    std::string type_name() const override {
        return view_ == View::all     ? "IArguments2"
               : view_ == View::named ? "IWshNamed"
                                      : "IWshUnnamed";
    }
    int find_member(std::string_view name) override {
        int id = find_member_in(kListMembers, name);
        if (id == kExists && view_ != View::named) return kNoMember;
        if ((id == kNamed || id == kUnnamed) && view_ != View::all) return kNoMember;
        return id;
    }
    const void* member_table() const override { return nullptr; }

    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) override {
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
        switch (id) {
        case kItem:
            check_arg_count(args, kind, 1, 1);
            result = view_ == View::named ? named_item(args[0]) : positional_item(args[0]);
            return;
        case kCount:
        case kLength:
            check_arg_count(args, kind, 0, 0);
            result = Value::long_(int32_t(selected().size()));
            return;
        case kExists:
            check_arg_count(args, kind, 1, 1);
            result = Value::boolean(find_named(to_string(args[0])) != nullptr);
            return;
        case kNamed:
        case kUnnamed:
            check_arg_count(args, kind, 0, 0);
            result = Value::object(
                make_object<ArgumentList>(args_, id == kNamed ? View::named : View::unnamed).get());
            return;
        default:
            raise_error(kErrNoMember);
        }
    }

    // For Each gives the texts of the arguments, or the names of the named ones.
    std::unique_ptr<Enumerator> enumerate(Context&) override {
        auto e = std::make_unique<TextEnumerator>();
        for (const ScriptArgument* a : selected())
            e->items.push_back(view_ == View::named ? a->name : a->text);
        return e;
    }

private:
    std::vector<const ScriptArgument*> selected() const {
        std::vector<const ScriptArgument*> out;
        for (const ScriptArgument& a : *args_)
            if (view_ == View::all || a.named == (view_ == View::named)) out.push_back(&a);
        return out;
    }
    Value positional_item(const Value& index) const {
        int32_t i = to_long(index);
        auto items = selected();
        if (i < 0 || size_t(i) >= items.size()) raise_error(kErrSubscript);
        return Value::string(items[size_t(i)]->text);
    }
    // Names are matched without regard to case; a later "/name" wins over an earlier one, as
    // cscript reads them. A name never given reads as Empty, so `If Named("x") = ""` works.
    const ScriptArgument* find_named(const std::string& name) const {
        const ScriptArgument* found = nullptr;
        for (const ScriptArgument& a : *args_)
            if (a.named && iequals(a.name, name)) found = &a;
        return found;
    }
    Value named_item(const Value& key) const {
        if (key.deref().is_numeric_tag()) return positional_item(key);
        const ScriptArgument* a = find_named(to_string(key));
        return a ? Value::string(a->value) : Value();
    }

    std::shared_ptr<const Arguments> args_;
    View view_;
};

enum WsMember {
    kName = 0,
    kEcho,
    kQuit,
    kArguments,
    kScriptName,
    kScriptFullName,
    kPath,
    kFullName,
    kVersion,
    kBuildVersion,
    kSleep,
    kInteractive,
    kTimeout,
    kStdIn,
    kStdOut,
    kStdErr,
    kCreateObject,
    kGetObject,
};
const MemberName kWsMembers[] = {
    {"Name", kName},
    {"Echo", kEcho},
    {"Quit", kQuit},
    {"Arguments", kArguments},
    {"ScriptName", kScriptName},
    {"ScriptFullName", kScriptFullName},
    {"Path", kPath},
    {"FullName", kFullName},
    {"Version", kVersion},
    {"BuildVersion", kBuildVersion},
    {"Sleep", kSleep},
    {"Interactive", kInteractive},
    {"Timeout", kTimeout},
    {"StdIn", kStdIn},
    {"StdOut", kStdOut},
    {"StdErr", kStdErr},
    {"CreateObject", kCreateObject},
    {"GetObject", kGetObject},
};

std::string absolute_path(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash ? slash : 1);
}

class WScriptObject final : public Object {
public:
    WScriptObject(const std::string& script, const std::string& host,
                  const std::vector<std::string>& args)
        : script_full_(absolute_path(script)), host_full_(absolute_path(host)),
          args_(std::make_shared<const Arguments>(parse_script_arguments(args))),
          stdin_(make_console_reader(stdin)), stdout_(make_console_writer(stdout)),
          stderr_(make_console_writer(stderr)) {}

    std::string type_name() const override { return "Object"; }
    int find_member(std::string_view name) override { return find_member_in(kWsMembers, name); }
    const void* member_table() const override { return kWsMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;

private:
    void echo(const CallArgs& args);
    void sleep(int32_t ms, Context& ctx);

    std::string script_full_, host_full_;
    std::shared_ptr<const Arguments> args_;
    Ptr<Object> stdin_, stdout_, stderr_;
    bool interactive_ = true;
    int32_t timeout_ = 0;
};

// Echo writes its arguments separated by blanks and a line end; Null prints as "Null".
void WScriptObject::echo(const CallArgs& args) {
    std::string line;
    for (uint32_t i = 0; i < args.size(); ++i) {
        if (i) line += ' ';
        const Value& v = args[i];
        if (v.is_null())
            line += "Null";
        else if (!v.is_missing())
            line += to_string(v);
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

// Sleeps in short slices so that an interrupt or time limit still ends the script.
void WScriptObject::sleep(int32_t ms, Context& ctx) {
    if (ms < 0) raise_error(kErrIllegalCall);
    std::fflush(stdout);
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        ctx.check_interrupt();
        auto left = until - std::chrono::steady_clock::now();
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(20)));
    }
}

void WScriptObject::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) {
    bool assigning = kind == CallKind::Let || kind == CallKind::Set;
    if (assigning && id != kInteractive && id != kTimeout) raise_error(kErrWrongArgs);
    auto text = [&](std::string s) { result = Value::string(std::move(s)); };
    switch (id) {
    case kName:
        check_arg_count(args, kind, 0, 0);
        return text("Windows Script Host");
    case kEcho:
        echo(args);
        return;
    case kQuit:
        check_arg_count(args, kind, 0, 1);
        std::fflush(stdout);
        throw QuitRequest{args.is_missing(0) ? 0 : to_long(args[0])};
    case kArguments: {
        Ptr<Object> list = make_object<ArgumentList>(args_, ArgumentList::View::all);
        if (args.size() > 0) { // WScript.Arguments(0)
            list->invoke(kItem, CallKind::Get, args, result, ctx);
            return;
        }
        result = Value::object(list.get());
        return;
    }
    case kScriptName: {
        check_arg_count(args, kind, 0, 0);
        size_t slash = script_full_.find_last_of('/');
        return text(slash == std::string::npos ? script_full_ : script_full_.substr(slash + 1));
    }
    case kScriptFullName:
        check_arg_count(args, kind, 0, 0);
        return text(script_full_);
    case kPath:
        check_arg_count(args, kind, 0, 0);
        return text(folder_of(host_full_));
    case kFullName:
        check_arg_count(args, kind, 0, 0);
        return text(host_full_);
    case kVersion:
        check_arg_count(args, kind, 0, 0);
        return text("5.812");
    case kBuildVersion:
        check_arg_count(args, kind, 0, 0);
        result = Value::long_(10240);
        return;
    case kSleep:
        check_arg_count(args, kind, 1, 1);
        sleep(to_long(args[0]), ctx);
        return;
    case kInteractive:
        if (assigning) {
            check_arg_count(args, kind, 0, 0);
            interactive_ = to_bool(args.assigned());
            return;
        }
        check_arg_count(args, kind, 0, 0);
        result = Value::boolean(interactive_);
        return;
    case kTimeout:
        // Kept for scripts that set it; mondrel-vbs runs a console script without a limit.
        if (assigning) {
            check_arg_count(args, kind, 0, 0);
            timeout_ = to_long(args.assigned());
            return;
        }
        check_arg_count(args, kind, 0, 0);
        result = Value::long_(timeout_);
        return;
    case kStdIn:
    case kStdOut:
    case kStdErr:
        check_arg_count(args, kind, 0, 0);
        result = Value::object((id == kStdIn ? stdin_ : id == kStdOut ? stdout_ : stderr_).get());
        return;
    case kCreateObject: {
        // The second argument names an event-sink prefix; no object here raises events, so it
        // is accepted and has nothing to connect.
        check_arg_count(args, kind, 1, 2);
        ObjectFactory make = find_creatable(to_string(args[0]));
        if (!make) raise_error(kErrCantCreate);
        result = Value::object(make(ctx).get());
        return;
    }
    case kGetObject:
        // No running objects or monikers can be bound on this platform.
        check_arg_count(args, kind, 1, 3);
        raise_error(kErrCantCreate);
    default:
        raise_error(kErrNoMember);
    }
}

} // namespace

Ptr<Object> make_wscript(const std::string& script_path, const std::string& host_path,
                         const std::vector<std::string>& args) {
    return make_object<WScriptObject>(script_path, host_path, args);
}

} // namespace vbs
