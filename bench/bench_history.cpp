// The history database (history.sqlite3) at the sizes a long-used program reaches.
// Boards: 30 days of hourly fetches of six boards of 50 titles (about 216,000
// observations): opening the history and reading every board's latest fetch (全网),
// recording a six-board fetch (300 titles), pruning a day's rows a batch at a time, and
// the whole-file check at opening.
// The databases are made in a temporary folder, in one transaction each.
//   bench_history
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "history/history.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::hours, std::chrono::seconds;
namespace fs = std::filesystem;

double ms_since(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

// The processor time this process has used, in milliseconds: on a loaded machine the
// wall time also holds the waits for a core.
double cpu_ms() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Timings of a step, wall and processor time: the median and the largest.
class Timings {
public:
    void start() {
        wall_start_ = Steady::now();
        cpu_start_ = cpu_ms();
    }
    void stop() {
        wall_.push_back(ms_since(wall_start_));
        cpu_.push_back(cpu_ms() - cpu_start_);
    }
    void print(const char* what) {
        std::sort(wall_.begin(), wall_.end());
        std::sort(cpu_.begin(), cpu_.end());
        std::printf("%-56s %8.2f ms median %8.2f ms max  (processor %6.2f / %6.2f ms)\n", what, wall_[wall_.size() / 2],
                    wall_.back(), cpu_[cpu_.size() / 2], cpu_.back());
    }

private:
    Steady::time_point wall_start_;
    double cpu_start_ = 0;
    std::vector<double> wall_, cpu_;
};

const char* const kBoards[] = {"baidu", "weibo", "zhihu", "douyin", "toutiao", "bilibili"};
constexpr int kTitlesPerBoard = 50;
constexpr int kHours = 30 * 24;
const std::chrono::system_clock::time_point kStart{seconds(1796764800)};

// Each board's titles hour by hour: a few leave and new ones come every hour, the rest
// change places.
class BoardSimulation {
public:
    explicit BoardSimulation(int board) : random_(board), board_(board) {
        for (int i = 0; i < kTitlesPerBoard; ++i) topics_.push_back(next_topic_++);
    }
    std::vector<qinghe::BoardEntry> next_hour() {
        for (int i = 0; i < 5; ++i) topics_[random_() % topics_.size()] = next_topic_++;
        for (int i = 0; i < 10; ++i)
            std::swap(topics_[random_() % topics_.size()], topics_[random_() % topics_.size()]);
        std::vector<qinghe::BoardEntry> entries;
        for (size_t rank = 0; rank < topics_.size(); ++rank) {
            const std::string id = std::to_string(board_) + "-" + std::to_string(topics_[rank]);
            entries.push_back({qinghe::from_utf8("话题" + id),
                               qinghe::from_utf8("今天的热搜话题第 " + id + " 条，大家都在看"),
                               static_cast<int>(rank) + 1, std::to_string(4'000'000 - rank * 50'000)});
        }
        return entries;
    }

private:
    std::mt19937 random_;
    int board_;
    int next_topic_ = 0;
    std::vector<int> topics_;
};

void bench_boards() {
    qinghe::TempFolder folder;
    std::vector<BoardSimulation> boards;
    for (int b = 0; b < 6; ++b) boards.emplace_back(b);
    auto start = Steady::now();
    {
        qinghe::History history = qinghe::History::open(folder.path(), [] { return kStart; });
        qinghe::sql::Connection& db = *history.database();
        qinghe::BoardHistory writer(db);
        qinghe::sql::Transaction all(db);
        for (int hour = 0; hour < kHours; ++hour) {
            for (int b = 0; b < 6; ++b) {
                if (!writer
                         .record_fetch(kBoards[b], std::chrono::floor<seconds>(kStart + hours(hour)),
                                       boards[b].next_hour())
                         .ok()) {
                    std::printf("recording failed\n");
                    return;
                }
            }
        }
        if (!all.commit().ok()) std::printf("commit failed\n");
        qinghe::sql::Statement rows = db.prepare("SELECT count(*) FROM board_observations");
        rows.next();
        std::printf("30 days of six boards: %lld observations, made in %.1f s\n",
                    static_cast<long long>(rows.integer(0)), ms_since(start) / 1000);
    }
    const fs::path file = folder.path() / qinghe::kHistoryFileName;
    std::printf("file: %.1f MiB\n", fs::file_size(file) / 1048576.0);

    auto now = kStart + hours(kHours);
    Timings open_all, open_only, record;
    for (int round = 0; round < 9; ++round) {
        std::vector<std::vector<qinghe::BoardEntry>> fetch;
        for (BoardSimulation& board : boards) fetch.push_back(board.next_hour());
        open_all.start();
        open_only.start();
        qinghe::History history = qinghe::History::open(folder.path(), [&] { return now; });
        open_only.stop();
        const auto read = history.all_board_standings();
        open_all.stop();
        if (read.value.size() != 6 || read.value[0].entries.size() != kTitlesPerBoard) std::printf("wrong boards\n");

        record.start();
        for (int b = 0; b < 6; ++b) {
            if (!history.record_fetch(kBoards[b], now, fetch[b]).ok()) std::printf("recording failed\n");
        }
        record.stop();
        now += hours(1);
    }
    open_only.print("opening the history");
    open_all.print("opening it and reading every board's standings");
    record.print("recording a six-board fetch (300 titles)");

    Timings check;
    check.start();
    {
        qinghe::sql::Connection db = qinghe::sql::Connection::open(file.string(), qinghe::sql::OpenMode::read_only);
        qinghe::sql::Statement quick_check = db.prepare("PRAGMA quick_check");
        quick_check.next();
    }
    check.stop();
    check.print("PRAGMA quick_check of the whole file");

    // A day past the 30: a day's rows pruned, batch by batch.
    now += hours(24);
    qinghe::History history = qinghe::History::open(folder.path(), [&] { return now; });
    Timings prune;
    int calls = 0;
    for (qinghe::PruneProgress progress = qinghe::PruneProgress::more; progress == qinghe::PruneProgress::more;) {
        prune.start();
        progress = history.prune_some().value;
        prune.stop();
        ++calls;
    }
    char what[80];
    std::snprintf(what, sizeof what, "pruning a day of rows, one batch a call (%d calls)", calls);
    prune.print(what);
}

}  // namespace

int main() {
    std::printf("== boards\n");
    bench_boards();
    return 0;
}
