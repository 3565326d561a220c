#include "execution/runaway_guard.h"

#include "vbscript/error.h"

namespace mondrel {

void runaway_guard::note(int32_t number) {
    if (number == vbs::kErrTimeout) {
        timed_out_ = true;
        stop_ = true;
    } else if (number == vbs::kErrInterrupted) {
        stop_ = true;
    }
}

} // namespace mondrel
