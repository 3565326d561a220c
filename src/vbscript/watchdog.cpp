#include "vbscript/watchdog.h"

#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace vbs {

namespace {

// The longest the thread sleeps when no clock asks for an earlier wake.
constexpr int64_t kIdleWake = int64_t(60) * 1'000'000'000;

class Watchdog {
public:
    void watch(CallClock* clock) {
        std::lock_guard lock(mutex_);
        clocks_.push_back(clock);
        start_locked();
        wake_.notify_one();
    }
    void unwatch(CallClock* clock) {
        std::lock_guard lock(mutex_);
        clocks_.erase(std::remove(clocks_.begin(), clocks_.end(), clock), clocks_.end());
    }
    void changed() {
        std::lock_guard lock(mutex_);
        wake_.notify_one();
    }

private:
    // Started with the first clock and never stopped: the thread holds no resources the
    // process would have to give back, and it is detached, so exit does not wait for it.
    void start_locked() {
        if (started_) return;
        started_ = true;
        try {
            std::thread([this] { run(); }).detach();
        } catch (const std::system_error&) {
            // Without the thread calls have no time limit; interrupt() still stops them.
        }
    }

    void run() {
        std::unique_lock lock(mutex_);
        while (true) {
            const int64_t now = clock_now();
            int64_t next = now + kIdleWake;
            for (CallClock* c : clocks_) {
                const int64_t limit = c->limit.load(std::memory_order_relaxed);
                if (limit <= 0) continue;
                const int64_t started = c->started.load(std::memory_order_relaxed);
                if (started == 0) { // idle: any call that starts from now ends after now + limit
                    next = std::min(next, now + limit);
                    continue;
                }
                const int64_t deadline = started + limit;
                if (now >= deadline) {
                    c->attention->store(true, std::memory_order_seq_cst);
                    next = std::min(next, now + limit);
                } else {
                    next = std::min(next, deadline);
                }
            }
            wake_.wait_for(lock, std::chrono::nanoseconds(std::max<int64_t>(next - now, 0)));
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<CallClock*> clocks_;
    bool started_ = false;
};

// Never destroyed: engines made by static objects may still go away after main returns.
Watchdog& watchdog() {
    static Watchdog* dog = new Watchdog;
    return *dog;
}

} // namespace

int64_t clock_now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t coarse_clock_now() {
#if defined(CLOCK_MONOTONIC_COARSE)
    timespec ts;
    if (clock_gettime(CLOCK_MONOTONIC_COARSE, &ts) == 0)
        return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
#endif
    return clock_now();
}

void watch(CallClock* clock) {
    watchdog().watch(clock);
}
void unwatch(CallClock* clock) {
    watchdog().unwatch(clock);
}
void limit_changed() {
    watchdog().changed();
}

} // namespace vbs
