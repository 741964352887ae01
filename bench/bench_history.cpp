// The history database (history.sqlite3) at the sizes a long-used program reaches.
// Boards: 30 days of hourly fetches of six boards of 50 titles (about 216,000
// observations): opening the history and reading every board's latest fetch (全网),
// recording a six-board fetch (300 titles), pruning a day's rows a batch at a time, and
// the whole-file check at opening.
// Headlines: 1,000,000 stored headlines made from the built-in lists: opening the window
// (counts and the first page), searches of three characters or more and of one or two,
// a page in each order (the first and one half-way down), recording one headline; then
// 避开用过的标题: loading 100,000 used headlines and checking a 100,000-headline run
// against them, beside the run itself.
// The databases are made in a temporary folder, in one transaction each.
//   bench_history [boards|headlines|used]   (all three when none is named)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bench/stored_headlines.h"
#include "history/compared_form.h"
#include "history/history.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "text/search.h"
#include "titles/builtin.h"
#include "titles/generator.h"
#include "titles/keywords.h"
#include "titles/platforms.h"

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

const char* column_name(qinghe::HeadlineColumn column) {
    const char* const names[] = {"标题", "平台", "关键词", "热点", "用过", "最近"};
    return names[static_cast<int>(column)];
}

// The cursor of the row half-way down the query's order.
qinghe::HeadlineCursor halfway(qinghe::History& history, qinghe::HeadlineColumn column, bool descending) {
    const char* const names[] = {"text", "platform", "keyword", "planted", "times_used", "last_used"};
    const std::string name = names[static_cast<int>(column)];
    const char* direction = descending ? " DESC" : "";
    qinghe::sql::Statement row = history.database()->prepare("SELECT " + name + ", id FROM headlines ORDER BY " + name +
                                                             direction + ", id" + direction + " LIMIT 1 OFFSET 500000");
    row.next();
    qinghe::HeadlineCursor cursor;
    cursor.id = row.integer(1);
    if (column == qinghe::HeadlineColumn::times_used || column == qinghe::HeadlineColumn::last_used) {
        cursor.value = row.integer(0);
    } else {
        cursor.value = std::string(row.text(0));
    }
    return cursor;
}

void bench_headlines() {
    qinghe::TempFolder folder;
    std::mt19937 random(11);
    auto start = Steady::now();
    {
        qinghe::History history = qinghe::History::open(folder.path(), [] { return kStart; });
        store(history, 1'000'000, random, kStart);
    }
    std::printf("1,000,000 headlines made in %.1f s; file: %.0f MiB\n", ms_since(start) / 1000,
                fs::file_size(folder.path() / qinghe::kHistoryFileName) / 1048576.0);

    const qinghe::HeadlineQuery recent{qinghe::HeadlineScope::all, {}, qinghe::HeadlineColumn::last_used, true};
    Timings opening;
    for (int round = 0; round < 5; ++round) {
        opening.start();
        qinghe::History history = qinghe::History::open(folder.path(), [] { return kStart; });
        const auto counts = history.headline_counts();
        const auto page = history.headline_page(recent, {}, 100);
        opening.stop();
        if (page.value.rows.size() != 100 || counts.value.used == 0) std::printf("opening failed\n");
    }
    opening.print("opening the window: counts and the first 100 rows");

    qinghe::History history = qinghe::History::open(folder.path(), [] { return kStart; });
    for (const char* search : {"改变世界的瞬间", "新能源车", "第12345", "震撼", "惊", "鳄鱼", "霾"}) {
        Timings first;
        size_t rows = 0;
        bool whole = false;
        for (int round = 0; round < 5; ++round) {
            first.start();
            const auto page = history.headline_page(
                {qinghe::HeadlineScope::all, qinghe::from_utf8(search), qinghe::HeadlineColumn::last_used, true}, {},
                100);
            first.stop();
            rows = page.value.rows.size();
            whole = !page.value.next;
        }
        char what[120];
        std::snprintf(what, sizeof what, "search, first page: %zu rows%s (%s)", rows, whole ? ", all" : "", search);
        first.print(what);
    }
    // A search that holds no row scans the whole table, a bounded slice per call.
    Timings slices;
    int calls = 0;
    std::optional<qinghe::HeadlineCursor> after;
    start = Steady::now();
    do {
        slices.start();
        const auto page = history.headline_page(
            {qinghe::HeadlineScope::all, qinghe::from_utf8("霾"), qinghe::HeadlineColumn::last_used, true}, after, 100);
        slices.stop();
        after = page.value.next;
        ++calls;
    } while (after);
    char what[120];
    std::snprintf(what, sizeof what, "search that holds no row: one call (%d calls, %.0f ms in all)", calls,
                  ms_since(start));
    slices.print(what);

    for (const qinghe::HeadlineColumn column :
         {qinghe::HeadlineColumn::text, qinghe::HeadlineColumn::platform, qinghe::HeadlineColumn::keyword,
          qinghe::HeadlineColumn::hot, qinghe::HeadlineColumn::times_used, qinghe::HeadlineColumn::last_used}) {
        for (const bool descending : {false, true}) {
            const qinghe::HeadlineCursor middle = halfway(history, column, descending);
            for (const qinghe::HeadlineScope scope : {qinghe::HeadlineScope::all, qinghe::HeadlineScope::starred}) {
                Timings top, deep;
                for (int round = 0; round < 5; ++round) {
                    top.start();
                    const auto first = history.headline_page({scope, {}, column, descending}, {}, 100);
                    top.stop();
                    deep.start();
                    const auto later = history.headline_page({scope, {}, column, descending}, middle, 100);
                    deep.stop();
                    if (first.value.rows.size() != 100 || later.value.rows.size() != 100) std::printf("short page\n");
                }
                std::snprintf(what, sizeof what, "page by %s%s%s, first", column_name(column),
                              descending ? " desc" : "", scope == qinghe::HeadlineScope::starred ? " (收藏)" : "");
                top.print(what);
                std::snprintf(what, sizeof what, "page by %s%s%s, half-way", column_name(column),
                              descending ? " desc" : "", scope == qinghe::HeadlineScope::starred ? " (收藏)" : "");
                deep.print(what);
            }
        }
    }

    Timings record;
    for (int round = 0; round < 21; ++round) {
        record.start();
        const auto result =
            history.record_copied({qinghe::from_utf8("新记录的标题第" + std::to_string(round) + "条"), {}, {}, {}, {}});
        record.stop();
        if (!result.ok()) std::printf("recording failed\n");
    }
    record.print("recording one headline");
}

// A 100,000-headline run of the writer's (a keyword, 今日头条) checked against 100,000
// used headlines, some of them made by an earlier run of the same lists.
void bench_used_set() {
    qinghe::GeneratorInput input{.prefixes = lines(qinghe::builtin_prefix_list()),
                                 .links = lines(qinghe::builtin_link_list()),
                                 .suffixes = lines(qinghe::builtin_suffix_list()),
                                 .punctuation_1 = qinghe::builtin_punctuation_1(),
                                 .punctuation_2 = qinghe::builtin_punctuation_2(),
                                 .punctuation_3 = qinghe::builtin_punctuation_3(),
                                 .suffix_mode = true,
                                 .count = qinghe::kMaxHeadlines};
    input.writer.keywords = {qinghe::from_utf8("新能源车")};
    input.writer.platform = qinghe::find_platform(qinghe::from_utf8("今日头条"));
    const auto run = [&input](std::uint32_t tick) { return qinghe::build_headlines(input, [tick] { return tick; }); };
    const auto each_headline = [](const qinghe::Headlines& headlines, const auto& visit) {
        size_t begin = 0;
        for (const size_t end : headlines.ends) {
            visit(qinghe::TextView(headlines.text).substr(begin, end - begin));
            begin = end;
        }
    };

    Timings generation;
    for (int round = 0; round < 3; ++round) {
        generation.start();
        run(1234);
        generation.stop();
    }

    // The used headlines: 100,000 of the writer's, among them every headline an earlier
    // run of the same lists made.
    qinghe::TempFolder folder;
    {
        qinghe::History history = qinghe::History::open(folder.path(), [] { return kStart; });
        qinghe::sql::Transaction all(*history.database());
        const std::vector<qinghe::HeadlineRow> rows = used_rows(run(99), 100'000, kStart);
        if (!qinghe::HeadlineStore(*history.database()).restore(rows).ok() || !all.commit().ok()) {
            std::printf("storing failed\n");
        }
    }
    qinghe::History history = qinghe::History::open(folder.path(), [] { return kStart; });
    const qinghe::Headlines headlines = run(1234);
    Timings load, check;
    size_t used = 0, hits = 0;
    for (int round = 0; round < 5; ++round) {
        load.start();
        const qinghe::UsedHeadlines set = history.used_headlines().value;
        load.stop();
        used = set.size();
        hits = 0;
        check.start();
        each_headline(headlines, [&](qinghe::TextView headline) { hits += set.contains(headline); });
        check.stop();
    }
    std::printf("%zu used headlines; %zu of the run's %zu headlines among them\n", used, hits, headlines.ends.size());
    generation.print("the run of 100,000 headlines alone (keyword, 今日头条)");
    load.print("loading the used set");
    check.print("checking the run's 100,000 headlines");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    if (only.empty() || only == "boards") {
        std::printf("== boards\n");
        bench_boards();
    }
    if (only.empty() || only == "headlines") {
        std::printf("== headlines\n");
        bench_headlines();
    }
    if (only.empty() || only == "used") {
        std::printf("== used headlines\n");
        bench_used_set();
    }
    return 0;
}
