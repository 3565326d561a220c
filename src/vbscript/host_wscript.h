// The WScript object of the mondrel-vbs console host, shaped after cscript: Echo, Quit,
// Arguments (with Named and Unnamed), the standard streams, CreateObject, GetObject, Sleep and
// the names of the host and the script.
#pragma once

#include "vbscript/object.h"

#include <string>
#include <vector>

namespace vbs {

// Thrown by WScript.Quit. It is not a script error, so On Error Resume Next does not stop it
// and it leaves the engine to the host's main.
struct QuitRequest {
    int code;
};

// One command-line argument after the script's name, split as cscript splits it: "/name:value"
// and "/name" are named (value "" for the second), everything else is unnamed.
struct ScriptArgument {
    std::string text; // as given
    bool named = false;
    std::string name;  // named only
    std::string value; // named only
};
std::vector<ScriptArgument> parse_script_arguments(const std::vector<std::string>& args);

// `script_path` as given on the command line; `host_path` is the path of the host program.
Ptr<Object> make_wscript(const std::string& script_path, const std::string& host_path,
                         const std::vector<std::string>& args);

} // namespace vbs
