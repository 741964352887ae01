// history.sqlite3 when things go wrong: a broken file is moved aside and a fresh one
// started, a folder that takes no file keeps the history in memory, a locked file is
// waited for and then done without, a full disk fails the write only, and a newer
// program's file is read and never written. Nothing else in the folder is touched.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "history/history.h"
#include "history/migrations.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds, std::chrono::minutes, std::chrono::seconds;
using Clock = std::chrono::system_clock;

// 2026-12-09 05:20:00 in China (UTC+8).
const Clock::time_point kStart{seconds(1796764800)};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

std::vector<BoardEntry> titles(int count, const std::string& tag = "") {
    std::vector<BoardEntry> out;
    for (int rank = 1; rank <= count; ++rank) {
        const std::string key = tag + std::to_string(rank);
        out.push_back({key, from_utf8("热搜标题 ") + key, rank, "12345"});
    }
    return out;
}

size_t standing_count(History& history, const std::string& board = "weibo") {
    const auto read = history.board_standings(board);
    return read.value ? read.value->entries.size() : 0;
}

class HistoryFileTest : public testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        had_tz = tz != nullptr;
        if (tz) saved_tz = tz;
        setenv("TZ", "CST-8", 1);  // China's time, without the zone database
        tzset();
    }
    void TearDown() override {
        if (had_tz) {
            setenv("TZ", saved_tz.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    History open(HistoryOptions options = {}) {
        options.busy_timeout = milliseconds(100);
        return History::open(
            folder.path(), [this] { return now; }, options);
    }
    // A history file holding one fetch of 300 titles, closed.
    void make_history() {
        History history = open();
        ASSERT_EQ(history.state(), HistoryState::on_disk);
        ASSERT_TRUE(history.record_fetch("weibo", kStart, titles(300)).ok());
    }
    fs::path file() const { return folder.path() / kHistoryFileName; }

    TempFolder folder;
    Clock::time_point now = kStart;
    std::string saved_tz;
    bool had_tz = false;
};

// Pages overwritten (numbered from 1; every page after the first when none is named).
std::string damaged(std::string bytes, const std::vector<std::int64_t>& pages = {}) {
    std::mt19937 random(7);
    for (size_t at = 4096; at < bytes.size(); ++at) {
        const auto page = static_cast<std::int64_t>(at / 4096 + 1);
        if (pages.empty() || std::find(pages.begin(), pages.end(), page) != pages.end()) {
            bytes[at] = static_cast<char>(random());
        }
    }
    return bytes;
}

// The pages that hold a table's rows.
std::vector<std::int64_t> pages_of(const fs::path& file, const std::string& table) {
    sql::Connection db = sql::Connection::open(file.string(), sql::OpenMode::read_only);
    sql::Statement pages = db.prepare("SELECT pageno FROM dbstat WHERE name = '" + table + "'");
    std::vector<std::int64_t> out;
    while (pages.next()) out.push_back(pages.integer(0));
    return out;
}

TEST_F(HistoryFileTest, BrokenFilesAreMovedAsideAndAFreshOneStarts) {
    make_history();
    const std::string good = read_file(file());
    ASSERT_GT(good.size(), 3 * 4096u);
    std::mt19937 random(1);
    std::string noise(8192, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::string cases[] = {
        from_utf8("这不是数据库\r\n"),
        noise,
        std::string("SQLite format 3\0", 16) + noise,
        damaged(good),
    };
    const std::string others[] = {"config.ini", "word_lists.ini", "hot_topics_cache.json"};
    for (const std::string& name : others) write_file(folder.path() / name, name + "\r\n");
    const std::string stamp = "history.sqlite3.broken-20261209-052000";

    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        write_file(file(), cases[i]);
        History history = open();
        // Moved aside under the time's name, a number added when that is taken.
        const std::string moved = stamp + (i == 0 ? "" : "-" + std::to_string(i + 1));
        EXPECT_EQ(history.state(), HistoryState::fresh);
        EXPECT_EQ(to_utf8(history.notice()), "历史记录损坏，已移到 " + moved + "，已新建");
        EXPECT_EQ(read_file(folder.path() / moved), cases[i]);
        EXPECT_EQ(standing_count(history), 0u);
        EXPECT_TRUE(history.record_fetch("weibo", kStart, titles(3)).ok());
        EXPECT_EQ(standing_count(history), 3u);
    }
    for (const std::string& name : others) EXPECT_EQ(read_file(folder.path() / name), name + "\r\n");
    std::set<std::string> expected(std::begin(others), std::end(others));
    expected.insert({kHistoryFileName, stamp, stamp + "-2", stamp + "-3", stamp + "-4"});
    EXPECT_EQ(names_in(folder.path()), expected);
}

// A file too large to check whole at opening: the first read that meets the damage
// moves it aside and starts afresh, and the read fails saying so.
TEST_F(HistoryFileTest, DamageFoundInUseIsMovedAsideToo) {
    make_history();
    write_file(file(), damaged(read_file(file()), pages_of(file(), "board_observations")));
    HistoryOptions unchecked;
    unchecked.quick_check_bytes = 0;
    History history = open(unchecked);
    EXPECT_EQ(history.state(), HistoryState::on_disk);
    const auto read = history.board_standings("weibo");
    EXPECT_EQ(read.result.failure, HistoryFailure::broken);
    EXPECT_EQ(to_utf8(read.result.message), "历史记录损坏，已移到 history.sqlite3.broken-20261209-052000，已新建");
    EXPECT_EQ(history.state(), HistoryState::fresh);
    EXPECT_EQ(history.notice(), read.result.message);
    EXPECT_TRUE(history.record_fetch("weibo", kStart, titles(3)).ok());
    EXPECT_EQ(standing_count(history), 3u);
    EXPECT_TRUE(fs::exists(folder.path() / "history.sqlite3.broken-20261209-052000"));
}

TEST_F(HistoryFileTest, NoFolderOrOneThatTakesNoFileKeepsHistoryInMemory) {
    // Settings not kept: in memory, nothing said.
    History unkept = History::open({}, [this] { return now; });
    EXPECT_EQ(unkept.state(), HistoryState::not_kept);
    EXPECT_EQ(unkept.notice(), "");
    EXPECT_TRUE(unkept.record_fetch("weibo", kStart, titles(2)).ok());
    EXPECT_EQ(standing_count(unkept), 2u);

    // A "folder" that is a file: nothing can be made in it, even by root.
    const fs::path not_a_folder = folder.path() / "settings";
    write_file(not_a_folder, "x");
    History history = History::open(not_a_folder, [this] { return now; });
    EXPECT_EQ(history.state(), HistoryState::in_memory);
    EXPECT_EQ(to_utf8(history.notice()), "设置文件夹无法写入，历史记录只保留到本次退出");
    EXPECT_TRUE(history.record_fetch("weibo", kStart, titles(2)).ok());
    EXPECT_EQ(standing_count(history), 2u);
    EXPECT_EQ(read_file(not_a_folder), "x");
}

// A read-only folder holding a history: the session starts from a copy of it in memory
// and the file stays as it was.
TEST_F(HistoryFileTest, ReadOnlyFolderKeepsACopyInMemory) {
    make_history();
    const std::string before = read_file(file());
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const int code = as_ordinary_user(folder.path(), [this] {
        History history = open();
        if (history.state() != HistoryState::in_memory) return 1;
        if (standing_count(history) != 300) return 2;
        if (!history.record_fetch("weibo", kStart + minutes(5), titles(4)).ok()) return 3;
        if (standing_count(history) != 4) return 4;
        return 0;
    });
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(read_file(file()), before);
    EXPECT_EQ(names_in(folder.path()), std::set<std::string>{kHistoryFileName});
}

TEST_F(HistoryFileTest, LockedFileIsWaitedForThenDoneWithout) {
    make_history();
    {
        // Another program holds the file for itself: after the wait, no history.
        sql::Connection other = sql::Connection::open(file().string(), sql::OpenMode::read_write_create);
        ASSERT_TRUE(other.execute("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE").ok());
        const auto started = std::chrono::steady_clock::now();
        History history = open();
        EXPECT_GE(std::chrono::steady_clock::now() - started, milliseconds(100));
        EXPECT_EQ(history.state(), HistoryState::locked);
        EXPECT_EQ(to_utf8(history.notice()), "历史记录被其他程序占用，本次不记录历史");
        const HistoryResult write = history.record_fetch("weibo", kStart + minutes(5), titles(2));
        EXPECT_EQ(write.failure, HistoryFailure::no_history);
        EXPECT_EQ(to_utf8(write.message), "历史记录未能写入：本次没有历史记录");
        EXPECT_EQ(history.board_standings("weibo").result.failure, HistoryFailure::no_history);
    }
    // Another program writing while the history is open: a write waits, then fails
    // alone; reads go on, and once the other is done writes do too.
    History history = open();
    ASSERT_EQ(history.state(), HistoryState::on_disk);
    sql::Connection other = sql::Connection::open(file().string(), sql::OpenMode::read_write_create);
    ASSERT_TRUE(other.execute("BEGIN IMMEDIATE").ok());
    const HistoryResult write = history.record_fetch("weibo", kStart + minutes(5), titles(2));
    EXPECT_EQ(write.failure, HistoryFailure::busy);
    EXPECT_EQ(to_utf8(write.message), "历史记录未能写入：文件被其他程序占用");
    EXPECT_EQ(standing_count(history), 300u);
    ASSERT_TRUE(other.execute("ROLLBACK").ok());
    EXPECT_TRUE(history.record_fetch("weibo", kStart + minutes(5), titles(2)).ok());
    EXPECT_EQ(standing_count(history), 2u);
}

// A size limit stands in for a full disk.
TEST_F(HistoryFileTest, FullDiskFailsTheWriteOnly) {
    History history = open();
    ASSERT_TRUE(history.record_fetch("weibo", kStart, titles(5)).ok());
    sql::Statement pages = history.database()->prepare("PRAGMA page_count");
    ASSERT_TRUE(pages.next());
    const std::int64_t page_count = pages.integer(0);
    ASSERT_TRUE(history.database()->execute("PRAGMA max_page_count = " + std::to_string(page_count)).ok());

    const HistoryResult write = history.record_fetch("weibo", kStart + minutes(5), titles(300, "long title "));
    EXPECT_EQ(write.failure, HistoryFailure::full);
    EXPECT_EQ(to_utf8(write.message), "历史记录未能写入：磁盘已满");
    EXPECT_EQ(standing_count(history), 5u);
    EXPECT_EQ(history.state(), HistoryState::on_disk);

    ASSERT_TRUE(history.database()->execute("PRAGMA max_page_count = 1000000").ok());
    EXPECT_TRUE(history.record_fetch("weibo", kStart + minutes(5), titles(300, "long title ")).ok());
    EXPECT_EQ(standing_count(history), 300u);
}

// Every call ends its reads: an unfinished one would keep the WAL file from starting
// over, and it would grow with every fetch.
TEST_F(HistoryFileTest, CallsLeaveNoReadOpen) {
    History history = open();
    sql::Connection other = sql::Connection::open(file().string(), sql::OpenMode::read_write_create);
    const auto wal_restarts = [&] {
        sql::Statement checkpoint = other.prepare("PRAGMA wal_checkpoint(TRUNCATE)");
        return checkpoint.next() && checkpoint.integer(0) == 0 && fs::file_size(file().string() + "-wal") == 0;
    };
    for (int fetch = 0; fetch < 3; ++fetch) {
        ASSERT_TRUE(history.record_fetch("weibo", kStart + minutes(fetch), titles(5)).ok());
        EXPECT_TRUE(wal_restarts());
        EXPECT_EQ(standing_count(history), 5u);
        EXPECT_EQ(history.all_board_standings().value.size(), 1u);
        EXPECT_TRUE(wal_restarts());
        EXPECT_EQ(history.prune_some().value, fetch == 0 ? PruneProgress::done : PruneProgress::not_due);
        EXPECT_TRUE(wal_restarts());
    }
}

TEST_F(HistoryFileTest, NewerFileIsReadOnlyAndUntouched) {
    make_history();
    {
        sql::Connection newer = sql::Connection::open(file().string(), sql::OpenMode::read_write_create);
        ASSERT_TRUE(newer
                        .execute("CREATE TABLE from_a_newer_program (x); PRAGMA user_version = " +
                                 std::to_string(kSchemaVersion + 1))
                        .ok());
    }
    const std::string before = read_file(file());
    {
        History history = open();
        EXPECT_EQ(history.state(), HistoryState::read_only);
        EXPECT_EQ(to_utf8(history.notice()), "历史记录来自更新版本的青禾，只读打开");
        EXPECT_EQ(standing_count(history), 300u);
        const HistoryResult write = history.record_fetch("weibo", kStart + minutes(5), titles(2));
        EXPECT_EQ(write.failure, HistoryFailure::read_only);
        EXPECT_EQ(to_utf8(write.message), "历史记录未能写入：历史记录只读");
        EXPECT_TRUE(history.prune_some().result.ok());
    }
    EXPECT_EQ(read_file(file()), before);
    sql::Connection check = sql::Connection::open(file().string(), sql::OpenMode::read_only);
    EXPECT_EQ(check.user_version(), kSchemaVersion + 1);
}

}  // namespace
}  // namespace qinghe
