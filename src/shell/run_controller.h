#pragma once
// Runs a sheet on a worker thread so the window never freezes: the window keeps painting and
// scrolling while the run engine walks the lines, and Stop (or Esc) interrupts it. The end of
// a run is handed back to the user-interface thread through the `finished` signal.
//
// The controller only runs; keeping the document away from the user-interface thread while
// the run is in progress (no edits, no file commands, no tab change, painting from the
// display's own copies) is the window's part.

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace mondrel {

class run_engine;
enum class step_kind : uint8_t;

class run_controller : public QObject {
    Q_OBJECT
public:
    // A run still going after this long is announced (`long_running`).
    static constexpr int long_run_ms = 300;
    // An interrupt is sent again this often until the run has ended: the engine forgets one
    // that arrives before its walk has begun (it clears the flag as a run starts).
    static constexpr int interrupt_repeat_ms = 20;

    explicit run_controller(QObject* parent = nullptr);
    // Interrupts a run in progress and waits for its thread.
    ~run_controller() override;

    bool running() const { return engine_ != nullptr; }
    // The engine of the run in progress (nullptr when none).
    run_engine* engine() const { return engine_; }
    // Starts engine.run_all(chain_depth) on the worker. False (and nothing started) while
    // another run is in progress.
    bool start(run_engine& engine, int chain_depth = 0);
    // Starts engine.step(kind) on the worker, as start does a whole run: a step over a loop
    // may take as long as a run, and Stop ends it the same way.
    bool start_step(run_engine& engine, step_kind kind);
    // Asks the run in progress to stop; it ends at the next line (a script call in progress
    // fails at once). Nothing when no run is in progress.
    void interrupt();
    // The last run ended by an exception of its own (out of memory), not by the walk.
    bool failed() const { return failed_; }

Q_SIGNALS:
    // The run has gone on for long_run_ms.
    void long_running();
    // The run ended (at the end of the sheet, a breakpoint, a stop or an interrupt).
    void finished(mondrel::run_engine* engine);

private:
    bool launch(run_engine& engine, std::function<void()> work);
    void worker_done();

    std::thread worker_;
    run_engine* engine_ = nullptr;
    QTimer slow_;
    QTimer repeat_interrupt_;
    std::atomic<bool> failed_{false};
    std::atomic<bool> worker_running_{false};
};

} // namespace mondrel
