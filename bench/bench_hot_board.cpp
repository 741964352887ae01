// Opening the window 热点榜 with the history of a long-used program: 30 days of hourly
// fetches of six boards of 50 titles (about 216,000 observations), the latest a minute
// old and kept as the boards' titles too, so that the window fetches nothing. Each
// opening reads the kept titles and every board's standings, merges the boards and fills
// the list; the window is closed again between two openings.
//   bench_hot_board [OPENINGS]
#include <QAbstractButton>
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/window/hot_board_window.h"
#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "bench/runtime_folder.h"
#include "controls/names.h"
#include "history/history.h"
#include "hot/topic_cache.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::hours, std::chrono::minutes, std::chrono::system_clock;

const char* const kBoards[] = {"baidu", "weibo", "zhihu", "douyin", "toutiao", "bilibili"};
constexpr int kTitlesPerBoard = 50;
constexpr int kHours = 30 * 24;

double cpu_ms() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The history a month of use leaves, hour by hour: a few titles leave and new ones come
// every hour, the rest change places. The last fetch of each board is kept as its titles.
void make_history(const std::filesystem::path& folder) {
    const auto last = std::chrono::floor<std::chrono::seconds>(system_clock::now() - minutes(1));
    qinghe::History history = qinghe::History::open(folder, [] { return system_clock::now(); });
    qinghe::sql::Connection& db = *history.database();
    qinghe::BoardHistory writer(db);
    qinghe::sql::Transaction all(db);
    for (int b = 0; b < 6; ++b) {
        std::mt19937 random(static_cast<unsigned>(b));
        int next_topic = 0;
        std::vector<int> topics;
        for (int i = 0; i < kTitlesPerBoard; ++i) topics.push_back(next_topic++);
        std::vector<qinghe::Text> titles;
        for (int hour = kHours - 1; hour >= 0; --hour) {
            for (int i = 0; i < 5; ++i) topics[random() % topics.size()] = next_topic++;
            for (int i = 0; i < 10; ++i) std::swap(topics[random() % topics.size()], topics[random() % topics.size()]);
            std::vector<qinghe::BoardEntry> entries;
            titles.clear();
            for (size_t rank = 0; rank < topics.size(); ++rank) {
                const std::string id = std::to_string(b) + "-" + std::to_string(topics[rank]);
                titles.push_back(qinghe::from_utf8("今天的热搜话题第 " + id + " 条，大家都在看"));
                entries.push_back({qinghe::from_utf8("话题" + id), titles.back(), static_cast<int>(rank) + 1,
                                   std::to_string(4'000'000 - rank * 50'000)});
            }
            writer.record_fetch(kBoards[b], last - hours(hour), entries);
        }
        qinghe::store_topics(folder, kBoards[b], titles, last);
    }
    all.commit();
}

}  // namespace

int main(int argc, char* argv[]) {
    const int openings = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    bench::use_own_runtime_folder();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's remarks (it cannot raise a window) are not figures.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    qinghe::configure_application(app);
    qinghe::TempFolder folder;
    const auto made = Steady::now();
    make_history(folder.path());
    std::printf("30 days of six boards made in %.1f s\n", std::chrono::duration<double>(Steady::now() - made).count());

    qinghe::WindowWidget window;
    window.services().set_settings_folder(folder.path());
    // Nothing is fetched; should the window try, it reaches no one.
    window.services().set_connect_to({"::127.0.0.1:9"});
    qinghe::wire_events(window);
    window.show();
    auto* button = qobject_cast<QAbstractButton*>(window.controls().widget(qinghe::name::hot_board_button));
    std::vector<double> wall, cpu;
    for (int i = 0; i <= openings; ++i) {
        const auto start = Steady::now();
        const double cpu_start = cpu_ms();
        button->click();
        QApplication::processEvents();
        // The first opening also opens the history; it is counted apart.
        if (i > 0) {
            wall.push_back(std::chrono::duration<double, std::milli>(Steady::now() - start).count());
            cpu.push_back(cpu_ms() - cpu_start);
        } else {
            std::printf("first opening (the history opened too): %.1f ms\n",
                        std::chrono::duration<double, std::milli>(Steady::now() - start).count());
        }
        window.findChild<qinghe::HotBoardWindow*>()->close();
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("opening 热点榜 (%d openings): %.1f ms median, %.1f ms max (processor %.1f / %.1f ms)\n", openings,
                wall[wall.size() / 2], wall.back(), cpu[cpu.size() / 2], cpu.back());
    return 0;
}
