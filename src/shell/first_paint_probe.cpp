#include "shell/first_paint_probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace mondrel {

first_paint_probe::first_paint_probe(QWidget* widget) : QObject(widget) {
    widget->installEventFilter(this);
}

bool first_paint_probe::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint || seen_) return QObject::eventFilter(watched, event);
    seen_ = true;
    // The widget paints first; the clock is read once that paint is done.
    auto* widget = static_cast<QWidget*>(watched);
    widget->removeEventFilter(this);
    QCoreApplication::sendEvent(widget, event);
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("first_paint_monotonic_ns=%lld\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    std::fflush(stdout);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return true;
}

} // namespace mondrel
