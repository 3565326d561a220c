// The reference of the start-up benchmark: the least a Qt Widgets program does before its first
// paint (an application, a main window with a menu bar and one plain widget, shown). Prints the
// monotonic clock at that paint as mondrel --benchmark-startup does, then quits.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class plain_view : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Qt::white);
        if (seen_) return;
        seen_ = true;
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("first_paint_monotonic_ns=%lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

private:
    bool seen_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new plain_view);
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
