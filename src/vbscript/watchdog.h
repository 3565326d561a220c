// The time limits of script calls, kept by one timer thread for every engine of the process.
//
// An engine's call only notes when it started (a store of the coarse clock) and checks one
// flag where its code loops or calls; it never reads the clock while it runs. The timer thread
// raises the flag of a call that has run past its limit, however slow the step the call is in,
// and the engine's poll then decides (it checks the deadline itself, so a flag raised for a
// call that has just ended costs nothing but one poll).
//
// The thread sleeps until the earliest deadline of a running call, and while no call runs at
// most one limit at a time: a call that starts later has a later deadline, so it is never late.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace vbs {

// What the timer thread reads of one engine. All fields may be written by the engine's thread
// while the timer thread reads them.
struct CallClock {
    // Nanoseconds of the steady clock when the call (or text of joined texts) in progress
    // started; 0 while no call runs.
    std::atomic<int64_t> started{0};
    // The limit of one call in nanoseconds; 0: none.
    std::atomic<int64_t> limit{0};
    // Raised at the deadline; the engine's code checks it where it loops or calls.
    std::atomic<bool>* attention = nullptr;
};

// The steady clock in nanoseconds, precise.
int64_t clock_now();
// The same at the resolution of the system tick (a few milliseconds), much cheaper to read.
int64_t coarse_clock_now();

// Adds an engine's clock to the timer thread (started on first use) and takes it away again;
// after unwatch returns the thread no longer reads it. A clock whose limit changes is
// announced with limit_changed, so a shorter limit is kept from the next call on.
void watch(CallClock* clock);
void unwatch(CallClock* clock);
void limit_changed();

} // namespace vbs
