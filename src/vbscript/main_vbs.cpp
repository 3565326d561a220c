// mondrel-vbs: runs a VBScript file from the console with a WScript object.
//
//   mondrel-vbs FILE.vbs [args...]     run the script
//   mondrel-vbs --dump-tokens FILE     list the tokens
//   mondrel-vbs --dump-code FILE       list the compiled code
//   mondrel-vbs --help | --version
//
// The script sees a WScript object shaped after cscript's (host_wscript.cpp): Echo, the
// standard streams, the arguments split into named ("/name:value", "/flag") and unnamed ones.
// Exit status 0, or 1 with "FILE(line, column) runtime error: message" (or "compilation
// error") on standard error; WScript.Quit sets its own status.
#include "mondrel_version.h"
#include "vbscript/builtins.h"
#include "vbscript/convert.h"
#include "vbscript/engine.h"
#include "vbscript/error.h"
#include "vbscript/host_wscript.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace vbs;

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

constexpr const char* usage_text =
    "usage: mondrel-vbs [--dump-tokens | --dump-code] FILE.vbs [ARGUMENT]...\n"
    "       mondrel-vbs --help | --version\n"
    "\n"
    "Runs a VBScript file with a WScript object as cscript would. The ARGUMENTs after the\n"
    "file belong to the script (WScript.Arguments; \"/name:value\" and \"/flag\" are named).\n"
    "  --dump-tokens   list the tokens of FILE.vbs instead of running it\n"
    "  --dump-code     list the compiled code of FILE.vbs instead of running it\n"
    "  -h, --help      show this text and exit\n"
    "  --version       show the version and exit\n"
    "Exit status: 0 ran, 1 the file could not be read or the script failed (the error goes\n"
    "to standard error), 2 the arguments are wrong; WScript.Quit N exits with N.\n";

int usage_error(const char* message, const char* arg) {
    std::fprintf(stderr, "mondrel-vbs: %s%s\n%s", message, arg, usage_text);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int i = 1;
    bool dump_tokens = false, dump_code = false;
    // Options stand before the file; everything after it is the script's.
    auto is_option = [](const char* a) {
        return (a[0] == '-' && a[1] == '-') || std::string_view(a) == "-h";
    };
    for (; i < argc && is_option(argv[i]); ++i) {
        std::string opt = argv[i];
        if (opt == "--dump-tokens") {
            dump_tokens = true;
        } else if (opt == "--dump-code") {
            dump_code = true;
        } else if (opt == "--help" || opt == "-h") {
            std::fputs(usage_text, stdout);
            return 0;
        } else if (opt == "--version") {
            std::printf("mondrel-vbs %s\n", MONDREL_VERSION);
            return 0;
        } else {
            return usage_error("unknown option: ", argv[i]);
        }
    }
    if (i >= argc) return usage_error("no FILE.vbs given", "");
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
    // Output is line-buffered even into a pipe or file, so a script stopped by a signal or a
    // time-out keeps every line it printed.
    std::setvbuf(stdout, nullptr, _IOLBF, 1 << 16);
    std::error_code ec;
    std::string host = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec) host = argv[0];
    engine.add_object("WScript", make_wscript(path, host, args));
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
