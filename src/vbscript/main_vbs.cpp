// mondrel-vbs: runs a VBScript file from the console with a WScript object.
//
//   mondrel-vbs FILE.vbs [args...]     run the script
//   mondrel-vbs --dump-tokens FILE     list the tokens
//   mondrel-vbs --dump-code FILE       list the compiled code
//
// Exit status 0, or 1 with "FILE(line, column) runtime error: message" (or "compilation
// error") on standard error; WScript.Quit sets its own status.
#include "vbscript/builtins.h"
#include "vbscript/convert.h"
#include "vbscript/engine.h"
#include "vbscript/error.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace vbs;

// Thrown by WScript.Quit. It is not a script error, so On Error Resume Next does not stop it
// and it leaves the engine to main.
struct QuitRequest {
    int code;
};

enum WsMember { kEcho, kQuit, kArguments, kScriptName, kScriptFullName, kSleep, kStdOut };
const char* const kWsMembers[] = {"Echo",           "Quit",  "Arguments", "ScriptName",
                                  "ScriptFullName", "Sleep", "StdOut"};

// WScript.Arguments: a collection with Count, Item (default) and For Each.
class ArgumentsObject : public Object {
public:
    explicit ArgumentsObject(std::vector<std::string> a) : args_(std::move(a)) {}
    std::string type_name() const override { return "Arguments"; }
    int find_member(std::string_view name) override {
        if (name.empty() || iequals(name, "item")) return 0;
        if (iequals(name, "count") || iequals(name, "length")) return 1;
        return kNoMember;
    }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) override {
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrNoMember);
        if (id == 1) {
            result = Value::long_(int32_t(args_.size()));
            return;
        }
        if (args.size() != 1) raise_error(kErrWrongArgs);
        int32_t i = to_long(args[0]);
        if (i < 0 || size_t(i) >= args_.size()) raise_error(kErrSubscript);
        result = Value::string(args_[size_t(i)]);
    }
    std::unique_ptr<Enumerator> enumerate(Context&) override {
        struct E : Enumerator {
            const std::vector<std::string>* a;
            size_t i = 0;
            bool next(Value& out, Context&) override {
                if (i >= a->size()) return false;
                out = Value::string((*a)[i++]);
                return true;
            }
        };
        auto e = std::make_unique<E>();
        e->a = &args_;
        return e;
    }

private:
    std::vector<std::string> args_;
};

class WScriptObject : public Object {
public:
    WScriptObject(std::string path, std::vector<std::string> args)
        : path_(std::move(path)), args_(make_object<ArgumentsObject>(std::move(args))) {}
    std::string type_name() const override { return "Object"; }
    int find_member(std::string_view name) override {
        for (int i = 0; i < 7; ++i)
            if (iequals(name, kWsMembers[i])) return i;
        return kNoMember;
    }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override {
        if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrNoMember);
        switch (id) {
        case kEcho: {
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
            return;
        }
        case kQuit:
            throw QuitRequest{args.is_missing(0) ? 0 : to_long(args[0])};
        case kArguments:
            if (args.size() > 0) {
                Value r;
                args_->invoke(0, CallKind::Get, args, r, ctx);
                result = r;
                return;
            }
            result = Value::object(args_.get());
            return;
        case kScriptName: {
            size_t slash = path_.find_last_of("/\\");
            result = Value::string(slash == std::string::npos ? path_ : path_.substr(slash + 1));
            return;
        }
        case kScriptFullName:
            result = Value::string(path_);
            return;
        case kSleep:
            return;
        default:
            raise_error(kErrNoMember);
        }
    }

private:
    std::string path_;
    Ptr<ArgumentsObject> args_;
};

bool read_file(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    // A UTF-8 byte order mark is not part of the script.
    if (out.size() >= 3 && out.compare(0, 3, "\xEF\xBB\xBF") == 0) out.erase(0, 3);
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: mondrel-vbs [--dump-tokens | --dump-code] FILE.vbs [args...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int i = 1;
    bool dump_tokens = false, dump_code = false;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
        std::string opt = argv[i];
        if (opt == "--dump-tokens")
            dump_tokens = true;
        else if (opt == "--dump-code")
            dump_code = true;
        else
            return usage();
    }
    if (i >= argc) return usage();
    std::string path = argv[i++];
    std::string text;
    if (!read_file(path, text)) {
        std::fprintf(stderr, "%s: cannot read the file\n", path.c_str());
        return 1;
    }
    vbs::Engine engine;
    if (dump_tokens) {
        std::fputs(vbs::Engine::dump_tokens(text).c_str(), stdout);
        return 0;
    }
    if (dump_code) {
        std::fputs(engine.dump_code(text).c_str(), stdout);
        return 0;
    }
    std::vector<std::string> args(argv + i, argv + argc);
    Ptr<WScriptObject> ws = make_object<WScriptObject>(path, std::move(args));
    engine.add_object("WScript", ws);
    engine.set_time_limit(std::chrono::milliseconds(0)); // a console script may run long
    vbs::ExecResult r;
    try {
        r = engine.execute_statement(text);
    } catch (const QuitRequest& q) {
        std::fflush(stdout);
        return q.code;
    }
    std::fflush(stdout);
    if (r.ok()) return 0;
    std::fprintf(stderr, "%s(%d, %d) %s: %s\n", path.c_str(), r.error.line, r.error.column,
                 r.error.compile ? "compilation error" : "runtime error",
                 r.error.description.c_str());
    return 1;
}
