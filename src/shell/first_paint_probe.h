#pragma once
// For the start-up benchmark (mondrel --benchmark-startup): waits for the first paint of a
// widget, prints the monotonic clock at that moment ("first_paint_monotonic_ns=N", the clock
// Python's time.monotonic_ns reads, so a script that starts the program can subtract its own
// reading) and quits the application.

#include <QObject>

class QWidget;

namespace mondrel {

class first_paint_probe : public QObject {
public:
    // Watches `widget`; the probe belongs to it and goes with it.
    explicit first_paint_probe(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool seen_ = false;
};

} // namespace mondrel
