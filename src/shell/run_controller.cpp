#include "shell/run_controller.h"

#include <chrono>
#include <exception>

#include "execution/run_engine.h"

namespace mondrel {

run_controller::run_controller(QObject* parent) : QObject(parent) {
    slow_.setSingleShot(true);
    slow_.setInterval(long_run_ms);
    connect(&slow_, &QTimer::timeout, this, &run_controller::long_running);
    repeat_interrupt_.setInterval(interrupt_repeat_ms);
    connect(&repeat_interrupt_, &QTimer::timeout, this, [this] {
        if (engine_) engine_->interrupt();
    });
}

run_controller::~run_controller() {
    // The interrupt is repeated until the worker is done with the engine (see
    // interrupt_repeat_ms), so the window never waits out a run's time limit here.
    while (engine_ && worker_running_) {
        engine_->interrupt();
        std::this_thread::sleep_for(std::chrono::milliseconds(interrupt_repeat_ms / 2));
    }
    if (worker_.joinable()) worker_.join();
}

bool run_controller::start(run_engine& engine, int chain_depth) {
    return launch(engine, [&engine, chain_depth] { engine.run_all(chain_depth); });
}

bool run_controller::start_step(run_engine& engine, step_kind kind) {
    return launch(engine, [&engine, kind] { engine.step(kind); });
}

bool run_controller::launch(run_engine& engine, std::function<void()> work) {
    if (engine_) return false;
    if (worker_.joinable()) worker_.join();
    engine_ = &engine;
    failed_ = false;
    worker_running_ = true;
    worker_ = std::thread([this, work = std::move(work)] {
        try {
            work();
        } catch (const std::exception&) {
            // The engine keeps errors of lines on the lines; what escapes it is a failure of
            // the run itself (memory), reported by the window.
            failed_ = true;
        }
        worker_running_ = false;
        // Queued: runs on the user-interface thread once this thread is done with the engine.
        // When the controller is gone by then, Qt drops the call.
        QMetaObject::invokeMethod(this, &run_controller::worker_done, Qt::QueuedConnection);
    });
    slow_.start();
    return true;
}

void run_controller::interrupt() {
    if (!engine_) return;
    engine_->interrupt();
    repeat_interrupt_.start();
}

void run_controller::worker_done() {
    if (worker_.joinable()) worker_.join();
    slow_.stop();
    repeat_interrupt_.stop();
    run_engine* engine = engine_;
    engine_ = nullptr;
    if (engine) Q_EMIT finished(engine);
}

} // namespace mondrel
