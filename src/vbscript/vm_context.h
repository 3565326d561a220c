// The context of the engine running on this thread, for code without one at hand (the
// coercions of convert.cpp reading an object's default member).
#pragma once

namespace vbs {

class Context;

// nullptr when no engine is running on this thread.
Context* active_context();

} // namespace vbs
