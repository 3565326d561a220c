// mondrel-vbs: runs a VBScript file from the console with a WScript object.
//
//   mondrel-vbs FILE.vbs [args...]     run the script
//   mondrel-vbs --dump-tokens FILE     list the tokens
//   mondrel-vbs --dump-code FILE       list the compiled code
//
// The script sees a WScript object shaped after cscript's (host_wscript.cpp): Echo, the
// standard streams, the arguments split into named ("/name:value", "/flag") and unnamed ones.
// Exit status 0, or 1 with "FILE(line, column) runtime error: message" (or "compilation
// error") on standard error; WScript.Quit sets its own status.
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
