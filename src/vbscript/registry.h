// The finished table of built-ins (internal to the engine): functions by index for the
// CALLB instruction, constants, creatable objects and classes.
#pragma once

#include "vbscript/builtins.h"

namespace vbs {

// Index of a built-in function for CALLB, or -1.
int builtin_index(std::string_view name);
const BuiltinFunction& builtin_at(int index);

} // namespace vbs
