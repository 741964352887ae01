// 收藏与历史 over 1,000,000 stored headlines (made as bench_history makes them),
// offscreen: opening the window (the history opened, the counts, the first page of 200
// rows, the window laid out and painted once), the next page as the view scrolls to it,
// and searches as typed (the rows shown), each beside the processor time it took.
//   bench_favourites [FOLDER]   (FOLDER: a settings folder whose history.sqlite3 is kept
//                                between runs; made there when missing)
#include <QApplication>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/window/favourites_window.h"
#include "app/window/headline_table_model.h"
#include "bench/runtime_folder.h"
#include "bench/stored_headlines.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_folder.h"

namespace {

using Steady = std::chrono::steady_clock;
const std::chrono::system_clock::time_point kUntil{std::chrono::seconds(1796764800)};

double cpu_ms() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Runs `step` `rounds` times and prints the median wall and processor times.
template <class Step>
void time(const char* what, int rounds, Step step) {
    std::vector<double> wall, cpu;
    for (int round = 0; round < rounds; ++round) {
        const auto started = Steady::now();
        const double cpu_started = cpu_ms();
        step();
        wall.push_back(std::chrono::duration<double, std::milli>(Steady::now() - started).count());
        cpu.push_back(cpu_ms() - cpu_started);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-46s %8.2f ms median %8.2f ms max  (processor %6.2f ms median)\n", what, wall[wall.size() / 2],
                wall.back(), cpu[cpu.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    bench::use_own_runtime_folder();
    // The offscreen platform's notes on every window shown say nothing here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    std::optional<qinghe::TempFolder> made;
    std::filesystem::path folder = argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path();
    if (folder.empty()) folder = made.emplace().path();
    if (!std::filesystem::exists(folder / qinghe::kHistoryFileName)) {
        std::filesystem::create_directories(folder);
        const auto started = Steady::now();
        std::mt19937 random(11);
        qinghe::History history = qinghe::History::open(folder, [] { return kUntil; });
        store(history, 1'000'000, random, kUntil);
        std::printf("1,000,000 headlines made in %.0f s\n",
                    std::chrono::duration<double>(Steady::now() - started).count());
    }
    qinghe::RecordingWindow controls;  // no settings folder: the window opens at its first size

    time("opening the window (history, counts, 200 rows, paint)", 7, [&] {
        qinghe::History history = qinghe::History::open(folder, {});
        qinghe::FavouritesWindow window(history, controls, nullptr);
        window.open();
        window.grab();
        if (window.model().rowCount() != 200) std::printf("the first page is not 200 rows\n");
    });

    qinghe::History history = qinghe::History::open(folder, {});
    qinghe::FavouritesWindow window(history, controls, nullptr);
    window.open();
    time("the next page of 200 as the view scrolls", 7, [&] { window.model().fetchMore({}); });
    for (const char* search : {"改变世界的瞬间", "新能源车", "震撼"}) {
        qinghe::HeadlineQuery query = window.model().query();
        query.search = qinghe::from_utf8(search);
        const std::string what = std::string("search \"") + search + "\": the first rows shown";
        time(what.c_str(), 5, [&] { window.model().set_query(query); });
    }
    return 0;
}
