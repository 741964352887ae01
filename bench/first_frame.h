#pragma once
// Shared by the start-up benchmark's children: report the first frame and exit.
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace bench {

inline long long now_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1'000'000'000LL + ts.tv_nsec;
}

inline long rss_kb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

// Prints "milliseconds-since-launch kilobytes" once the event loop comes back after the
// window's first paint, then ends the process at once, so that an instruction count of
// the whole process stops at the first frame too.
class FirstFrame : public QObject {
public:
    FirstFrame(QWidget& window, long long launched_ns) : launched_(launched_ns) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [this] {
                std::printf("%.2f %ld\n", (now_ns() - launched_) / 1e6, rss_kb());
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    long long launched_;
    bool seen_ = false;
};

}  // namespace bench
