// The boards' history over a test clock: how long a title has stood on its board, its
// best rank of the last 24 hours, its trend, the breaks of a stretch, and pruning.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "history/history.h"
#include "history/history_texts.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace qinghe {
namespace {

using std::chrono::days, std::chrono::hours, std::chrono::minutes, std::chrono::seconds;
using Clock = std::chrono::system_clock;

// 2026-12-09 05:20 in China (UTC+8).
const Clock::time_point kStart{seconds(1796764800)};

std::vector<BoardEntry> entries(const std::string& keys) {
    std::vector<BoardEntry> out;
    for (const char key : keys) {
        const int rank = static_cast<int>(out.size()) + 1;
        out.push_back({std::string(1, key), from_utf8("标题 ") + key, rank, std::to_string(1000 - rank)});
    }
    return out;
}

class BoardHistoryTest : public testing::Test {
protected:
    History open() {
        return History::open(folder.path(), [this] { return now; });
    }
    std::int64_t count(const std::string& table) {
        sql::Statement query = history.database()->prepare("SELECT count(*) FROM " + table);
        return query.next() ? query.integer(0) : -1;
    }

    TempFolder folder;
    Clock::time_point now = kStart;
    History history = open();
};

TEST(HistoryTexts, OnBoardAndTrend) {
    const std::chrono::sys_seconds fetched{seconds(1796764800)};
    const std::tuple<seconds, const char*> on_board[] = {
        {seconds(0), "新"},
        {seconds(1), "1 分钟"},
        {seconds(59), "1 分钟"},
        {minutes(25), "25 分钟"},
        {minutes(59) + seconds(59), "59 分钟"},
        {hours(1), "1 小时"},
        {hours(3) + minutes(59), "3 小时"},
        {hours(23) + minutes(59), "23 小时"},
        {days(1), "1 天"},
        {days(2) + hours(23), "2 天"},
    };
    for (const auto& [stood, text] : on_board) EXPECT_EQ(to_utf8(on_board_text(fetched - stood, fetched)), text);
    EXPECT_EQ(to_utf8(on_board_text(fetched + seconds(5), fetched)), "新");

    const std::tuple<std::optional<int>, int, const char*> trends[] = {
        {std::nullopt, 1, "新"}, {5, 2, "↑3"}, {1, 3, "↓2"}, {4, 4, "—"}, {50, 1, "↑49"},
    };
    for (const auto& [previous, rank, text] : trends) EXPECT_EQ(to_utf8(trend_text(previous, rank)), text);
}

// Fetch after fetch of one board; each expected title reads as "key:在榜:最高:趋势".
TEST_F(BoardHistoryTest, StandingsOverFetches) {
    struct Step {
        Clock::duration at;
        std::string keys;
        std::vector<std::string> expected;
    };
    const Step steps[] = {
        {minutes(0), "ABC", {"A:新:1:新", "B:新:2:新", "C:新:3:新"}},
        // C is missing: its stretch ends.
        {minutes(25), "BAD", {"B:25 分钟:1:↑1", "A:25 分钟:1:↓1", "D:新:3:新"}},
        // Three hours without a fetch keep a stretch; C comes back with a new one.
        {hours(3) + minutes(25), "BCA", {"B:3 小时:1:—", "C:新:2:新", "A:3 小时:1:↓1"}},
        // More than six hours without a fetch break every stretch; the trend still
        // compares with the previous fetch.
        {hours(9) + minutes(26), "AB", {"A:新:1:↑2", "B:新:1:↓1"}},
        // Exactly six hours do not.
        {hours(15) + minutes(26), "EA", {"E:新:1:新", "A:6 小时:1:↓1"}},
        // The best rank looks back 24 hours only: A's first places are older.
        {hours(40), "BEA", {"B:新:1:新", "E:新:2:↓1", "A:新:3:↓1"}},
        {hours(45), "AEB", {"A:5 小时:1:↑2", "E:5 小时:2:—", "B:5 小时:1:↓2"}},
        {hours(50), "A", {"A:10 小时:1:—"}},
        {hours(55), "A", {"A:15 小时:1:—"}},
        {hours(60), "A", {"A:20 小时:1:—"}},
        {hours(65), "A", {"A:1 天:1:—"}},
        // A's first place lies exactly 24 hours back: out of the window.
        {hours(89), "EA", {"E:新:1:新", "A:新:2:↓1"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.keys);
        ASSERT_TRUE(history.record_fetch("weibo", kStart + step.at, entries(step.keys)).ok());
        const auto read = history.board_standings("weibo");
        ASSERT_TRUE(read.result.ok());
        ASSERT_TRUE(read.value);
        EXPECT_EQ(read.value->fetched, std::chrono::floor<seconds>(kStart + step.at));
        std::vector<std::string> got;
        for (const BoardStanding& entry : read.value->entries) {
            EXPECT_EQ(entry.title, from_utf8("标题 ") + entry.key);
            EXPECT_EQ(entry.heat, std::to_string(1000 - entry.rank));
            got.push_back(entry.key + ":" + to_utf8(on_board_text(entry.on_board_since, read.value->fetched)) + ":" +
                          std::to_string(entry.best_rank) + ":" + to_utf8(trend_text(entry.previous_rank, entry.rank)));
        }
        EXPECT_EQ(got, step.expected);
    }
}

TEST_F(BoardHistoryTest, BoardsApartRepeatsAndStaleFetches) {
    EXPECT_EQ(history.board_standings("zhihu").value, std::nullopt);
    ASSERT_TRUE(history.record_fetch("weibo", kStart, entries("AB")).ok());
    ASSERT_TRUE(history.record_fetch("zhihu", kStart + minutes(1), entries("BA")).ok());
    // A fetch not later than the board's latest, and one without titles, change nothing.
    ASSERT_TRUE(history.record_fetch("weibo", kStart, entries("CD")).ok());
    ASSERT_TRUE(history.record_fetch("weibo", kStart - hours(1), entries("CD")).ok());
    ASSERT_TRUE(history.record_fetch("weibo", kStart + hours(1), {}).ok());
    // Of two titles with one key, the first counts.
    auto twice = entries("BA");
    twice.push_back({"B", "again", 3, ""});
    ASSERT_TRUE(history.record_fetch("zhihu", kStart + minutes(2), twice).ok());

    const auto all = history.all_board_standings();
    ASSERT_TRUE(all.result.ok());
    ASSERT_EQ(all.value.size(), 2u);
    EXPECT_EQ(all.value[0].board, "weibo");
    EXPECT_EQ(all.value[0].fetched, std::chrono::floor<seconds>(kStart));
    ASSERT_EQ(all.value[0].entries.size(), 2u);
    EXPECT_EQ(all.value[0].entries[0].key, "A");
    EXPECT_EQ(all.value[1].board, "zhihu");
    ASSERT_EQ(all.value[1].entries.size(), 2u);
    EXPECT_EQ(all.value[1].entries[0].title, from_utf8("标题 B"));
    EXPECT_EQ(all.value[1].entries[0].previous_rank, 1);
    EXPECT_EQ(count("board_fetches"), 3);
    EXPECT_EQ(count("board_topics"), 2);
}

// 32 days of fetches every 6 hours: A stands throughout, every other title once.
TEST_F(BoardHistoryTest, PruningOncePerDayInBatches) {
    for (int fetch = 0; fetch <= 128; ++fetch) {
        std::vector<BoardEntry> titles = entries("A");
        for (int i = 0; i < 2; ++i) titles.push_back({"t" + std::to_string(fetch * 2 + i), "x", i + 2, ""});
        ASSERT_TRUE(history.record_fetch("weibo", kStart + hours(6) * fetch, titles).ok());
    }
    now = kStart + days(32) + minutes(1);
    const auto cutoff = std::chrono::floor<seconds>(now - kBoardHistoryKept).time_since_epoch().count();
    const auto rows = [&] {
        return count("board_observations") + count("board_fetches") + count("board_stretches") + count("board_topics");
    };
    BoardHistory boards(*history.database());
    PruneProgress progress = PruneProgress::more;
    for (int calls = 0; progress != PruneProgress::done; ++calls) {
        ASSERT_LT(calls, 20);
        const std::int64_t before = rows();
        ASSERT_TRUE(boards.prune_some(std::chrono::floor<seconds>(now), progress, 15).ok());
        // A batch stops after the whole fetch (here 4 rows) that reaches its size.
        EXPECT_LE(before - rows(), 15 + 3);
        EXPECT_EQ(progress == PruneProgress::done, before == rows());
    }
    const auto older = [&](const std::string& table, const std::string& column) {
        sql::Statement query = history.database()->prepare("SELECT count(*) FROM " + table + " WHERE " + column +
                                                           " < " + std::to_string(cutoff));
        return query.next() ? query.integer(0) : -1;
    };
    EXPECT_EQ(older("board_observations", "fetched"), 0);
    EXPECT_EQ(older("board_fetches", "fetched"), 0);
    EXPECT_EQ(older("board_stretches", "last_seen"), 0);
    // The fetches of the last 30 days (9 to 128), their short titles, and A, whose one
    // stretch began 32 days ago.
    EXPECT_EQ(count("board_fetches"), 120);
    EXPECT_EQ(count("board_observations"), 120 * 3);
    EXPECT_EQ(count("board_stretches"), 120 * 2 + 1);
    EXPECT_EQ(count("board_topics"), 120 * 2 + 1);
    const auto standings = history.board_standings("weibo");
    EXPECT_EQ(to_utf8(on_board_text(standings.value->entries[0].on_board_since, standings.value->fetched)), "32 天");

    // Not again within a day, then once more (nothing left to do).
    now += hours(23);
    EXPECT_EQ(history.prune_some().value, PruneProgress::not_due);
    now += hours(2);
    EXPECT_EQ(history.prune_some().value, PruneProgress::more);
    EXPECT_EQ(history.prune_some().value, PruneProgress::done);
    EXPECT_EQ(history.prune_some().value, PruneProgress::not_due);
}

}  // namespace
}  // namespace qinghe
