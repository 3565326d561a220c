// The console streams of the mondrel-vbs host: WScript.StdIn, StdOut and StdErr as TextStream
// objects over the process's standard files.
#pragma once

#include "vbscript/object.h"

#include <cstdio>

namespace vbs {

// A TextStream reading `file` as it arrives (standard input may be a terminal or a pipe, so
// nothing is read ahead of the script's own calls). Before each read, standard output is
// flushed so that a prompt written with StdOut.Write shows before the script waits.
Ptr<Object> make_console_reader(std::FILE* file);

// A TextStream writing to `file`; WriteLine ends lines with "\n", as Echo does.
Ptr<Object> make_console_writer(std::FILE* file);

} // namespace vbs
