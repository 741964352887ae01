// Launch to first frame and idle memory: the program's window against a bare Qt window
// holding the same 26 widget kinds, measured in the same run, offscreen.
//   bench_startup [runs]
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/application.h"
#include "app/main_window.h"
#include "app/wiring.h"

namespace {

long long now_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1'000'000'000LL + ts.tv_nsec;
}

long rss_kb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

// The same widget kinds and counts as the program's form, with nothing of its own.
QWidget* bare_window() {
    auto* window = new QWidget;
    window->setFixedSize(569, 529);
    int y = 0;
    const auto place = [&](QWidget* widget) { widget->setGeometry(10 + (y % 5) * 100, 10 + (y / 5) * 90, 90, 80), ++y; };
    for (int i = 0; i < 3; ++i) place(new QPushButton(QStringLiteral("按钮"), window));  // picture buttons
    place(new QCheckBox(QStringLiteral("植入实时热点"), window));
    for (int i = 0; i < 4; ++i) place(new QLabel(QStringLiteral("标签"), window));
    for (int i = 0; i < 7; ++i) place(new QLineEdit(QStringLiteral("行业"), window));
    for (int i = 0; i < 3; ++i) place(new QPushButton(QStringLiteral("生成标题"), window));
    for (int i = 0; i < 4; ++i) place(new QRadioButton(window));
    place(new QTextEdit(window));
    for (int i = 0; i < 3; ++i) place(new QPlainTextEdit(QStringLiteral("列表\n第二行"), window));
    return window;
}

int child(const std::string& which, long long launched_ns) {
    QApplication app(*new int(1), new char*[2]{const_cast<char*>("bench_startup"), nullptr});
    QWidget* window = nullptr;
    if (which == "real") {
        qinghe::configure_application(app);
        auto* main_window = new qinghe::MainWindow;
        qinghe::wire_events(*main_window);
        main_window->centre_on_screen();
        window = main_window;
    } else {
        window = bare_window();
    }
    // The first frame is done when the event loop comes back after the first paint.
    struct FirstPaint : QObject {
        long long launched;
        bool seen = false;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint && !seen) {
                seen = true;
                QTimer::singleShot(0, [this] {
                    std::printf("%.2f %ld\n", (now_ns() - launched) / 1e6, rss_kb());
                    std::fflush(stdout);
                    QCoreApplication::exit(0);
                });
            }
            return false;
        }
    } first_paint;
    first_paint.launched = launched_ns;
    window->installEventFilter(&first_paint);
    window->show();
    return app.exec();
}

struct Sample {
    double ms;
    long kb;
};

Sample launch(const char* self, const char* which) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) std::exit(1);
    const std::string launched = std::to_string(now_ns());
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipe_fds[1], STDOUT_FILENO);
        close(pipe_fds[0]);
        execl(self, self, "--child", which, launched.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipe_fds[1]);
    char buffer[128] = {};
    const ssize_t got = read(pipe_fds[0], buffer, sizeof buffer - 1);
    close(pipe_fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Sample sample{};
    if (got <= 0 || std::sscanf(buffer, "%lf %ld", &sample.ms, &sample.kb) != 2) {
        std::fprintf(stderr, "child %s failed\n", which);
        std::exit(1);
    }
    return sample;
}

template <class T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::string(argv[1]) == "--child") return child(argv[2], std::atoll(argv[3]));
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    std::vector<double> real_ms, bare_ms;
    std::vector<long> real_kb, bare_kb;
    launch(argv[0], "real");  // warm the file cache
    for (int i = 0; i < runs; ++i) {
        const Sample bare = launch(argv[0], "bare");
        const Sample real = launch(argv[0], "real");
        bare_ms.push_back(bare.ms), bare_kb.push_back(bare.kb);
        real_ms.push_back(real.ms), real_kb.push_back(real.kb);
    }
    const double rm = median(real_ms), bm = median(bare_ms);
    const double rk = median(real_kb) / 1024.0, bk = median(bare_kb) / 1024.0;
    std::printf("start-up, launch to first frame (offscreen), median of %d runs\n", runs);
    std::printf("  bare window, 26 widgets: %7.1f ms  %6.1f MB\n", bm, bk);
    std::printf("  qinghe                 : %7.1f ms  %6.1f MB\n", rm, rk);
    std::printf("  ratio (goal <= 1.5)    : %7.2f x   %6.2f x\n", rm / bm, rk / bk);
    return 0;
}
