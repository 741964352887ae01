// The headlines the writer used or starred: the compared form, one row per headline,
// the used set of a run, searches of one, two and more characters, pages in every
// order, deleting and putting back, the upgrade from the boards' schema, and a crash
// right after a recording.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "history/compared_form.h"
#include "history/history.h"
#include "history/history_texts.h"
#include "history/migrations.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace qinghe {
namespace {

using std::chrono::minutes, std::chrono::seconds;
using Clock = std::chrono::system_clock;

const Clock::time_point kStart{seconds(1796764800)};

HeadlineUse use(const char* utf8, const char* keyword = "") {
    return {from_utf8(utf8), from_utf8("今日头条"), from_utf8(keyword), "weibo", from_utf8("热搜标题")};
}

TEST(ComparedForm, SpacesWidthAndEndPunctuationDoNotCount) {
    const std::tuple<const char*, const char*> forms[] = {
        {"新能源车值得买吗！", "新能源车值得买吗"},
        {"新能源车 值得买吗 ？！", "新能源车值得买吗"},
        {"新能源车\t值得买吗\u3000…", "新能源车值得买吗"},
        {"ＡＢＣ　１２３", "ABC123"},
        {"第一，第二。", "第一,第二"},  // punctuation inside stays, full width as half
        {"《标题》", "《标题"},
        {"涨幅100%", "涨幅100"},
        {"标题～～", "标题"},
        {"真的假的？😀", "真的假的?😀"},  // an emoji is no punctuation
        {"a\u00A0b\u2003c", "abc"},     // other Unicode spaces (four-byte in GB18030)
        {"！？…", ""},
        {"Case", "Case"},
        {"", ""},
    };
    for (const auto& [headline, form] : forms) {
        EXPECT_EQ(to_utf8(compared_form(from_utf8(headline))), form) << headline;
        // The hash made on the way is the hash of the form.
        EXPECT_EQ(headline_hash(from_utf8(headline)), compared_hash(from_utf8(form))) << headline;
    }

    const std::tuple<const char*, const char*, bool> pairs[] = {
        {"…！", "…!", true},          {"今天 你吃了吗？", "今天你吃了吗", true},
        {"ＡＩ写作", "AI写作", true}, {"AI写作", "ai写作", false},
        {"标，题", "标题", false},    {"标题", "標題", false},
    };
    for (const auto& [a, b, same] : pairs) {
        EXPECT_EQ(headline_hash(from_utf8(a)) == headline_hash(from_utf8(b)), same) << a << " / " << b;
    }

    // Any bytes, whole characters or not: the hash made on the way is the form's.
    const std::vector<Text> pieces = {from_utf8("新"),
                                      from_utf8("！"),
                                      from_utf8("Ａ"),
                                      from_utf8("　"),
                                      from_utf8("😀"),
                                      from_utf8("\u00A0"),
                                      "!",
                                      " ",
                                      "a",
                                      "1",
                                      "\x81",
                                      "\x81\x30",
                                      "\xA3",
                                      "\t"};
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        Text headline;
        for (size_t n = random() % 8; n-- > 0;) headline += pieces[random() % pieces.size()];
        ASSERT_EQ(headline_hash(headline), compared_hash(compared_form(headline))) << to_utf8(headline);
    }
}

TEST(HistoryTexts, Counts) {
    const std::tuple<std::int64_t, const char*> counts[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {1204, "1,204"}, {1234567, "1,234,567"}, {-1204, "-1,204"},
    };
    for (const auto& [count, text] : counts) EXPECT_EQ(with_thousands(count), text);
    EXPECT_EQ(to_utf8(headline_counts_text(37, 1204)), "收藏 37 · 用过 1,204");
}

class HeadlinesTest : public testing::Test {
protected:
    History open() {
        return History::open(folder.path(), [this] { return now; });
    }
    std::vector<std::string> texts(const HeadlineQuery& query) {
        std::vector<std::string> out;
        EXPECT_TRUE(history
                        .for_each_headline(query,
                                           [&](const HeadlineRow& row) {
                                               out.push_back(to_utf8(row.text));
                                               return true;
                                           })
                        .ok());
        return out;
    }

    TempFolder folder;
    Clock::time_point now = kStart;
    History history = open();
};

TEST_F(HeadlinesTest, OneRowPerHeadlineAndTheUsedSet) {
    EXPECT_TRUE(history.record_copied(use("新能源车值得买吗！", "新能源车")).ok());
    now += minutes(5);
    EXPECT_TRUE(history.record_copied(use("新能源车 值得买吗!")).ok());
    EXPECT_TRUE(history.record_starred(use("考研的人都在看")).ok());
    now += minutes(5);
    EXPECT_TRUE(history.record_starred(use("新能源车值得买吗")).ok());

    HeadlinePage page = history.headline_page({HeadlineScope::all, "", HeadlineColumn::text, false}, {}, 10).value;
    ASSERT_EQ(page.rows.size(), 2u);
    EXPECT_FALSE(page.next);
    // The row takes the latest text and origin; stars are not copies. (Texts sort by
    // their UTF-8 bytes: 新 before 考.)
    const HeadlineRow& car = page.rows[0];
    EXPECT_EQ(to_utf8(car.text), "新能源车值得买吗");
    EXPECT_EQ(car.keyword, "");
    EXPECT_EQ(car.board, "weibo");
    EXPECT_EQ(to_utf8(car.planted), "热搜标题");
    EXPECT_EQ(car.first_used, std::chrono::floor<seconds>(kStart));
    EXPECT_EQ(car.last_used, std::chrono::floor<seconds>(kStart + minutes(10)));
    EXPECT_EQ(car.times_used, 2);
    EXPECT_TRUE(car.starred);
    EXPECT_EQ(page.rows[1].times_used, 0);
    const HeadlineCounts counts = history.headline_counts().value;
    EXPECT_EQ(counts.starred, 2);
    EXPECT_EQ(counts.used, 1);

    const UsedHeadlines used = history.used_headlines().value;
    EXPECT_EQ(used.size(), 2u);
    EXPECT_TRUE(used.contains(from_utf8("新能源车值得买吗？！")));
    EXPECT_TRUE(used.contains(from_utf8("考研的人 都在看")));
    EXPECT_FALSE(used.contains(from_utf8("新能源车值得买吗呢")));
    EXPECT_FALSE(used.contains(from_utf8("")));
    // A hash that is found is confirmed against the stored text: a row made to share the
    // hash of another headline (as a collision would) does not make that one used.
    ASSERT_TRUE(history.database()
                    ->execute("UPDATE headlines SET compared_hash = " +
                              std::to_string(static_cast<std::int64_t>(headline_hash(from_utf8("冒名的标题")))) +
                              " WHERE times_used = 0")
                    .ok());
    EXPECT_FALSE(history.used_headlines().value.contains(from_utf8("冒名的标题")));
    EXPECT_FALSE(UsedHeadlines().contains(from_utf8("考研的人都在看")));

    // 收藏 / 取消收藏 keep the counts.
    EXPECT_TRUE(history.set_starred({car.id}, false).ok());
    EXPECT_EQ(history.headline_counts().value.starred, 1);
    EXPECT_EQ(texts({HeadlineScope::starred, "", HeadlineColumn::text, false}),
              std::vector<std::string>{"考研的人都在看"});
}

TEST_F(HeadlinesTest, SearchesOfOneTwoAndMoreCharacters) {
    const char* headlines[] = {
        "新能源车值得买吗", "能源危机来了", "新年快乐", "AI 改变世界", "ai绘画入门", "100%纯天然", "说\"不\"的勇气",
    };
    for (const char* headline : headlines) ASSERT_TRUE(history.record_copied(use(headline)).ok());
    const std::tuple<const char*, std::vector<std::string>> searches[] = {
        {"新", {"新年快乐", "新能源车值得买吗"}},
        {"能源", {"新能源车值得买吗", "能源危机来了"}},
        {" 新能源　", {"新能源车值得买吗"}},
        {"源危机来", {"能源危机来了"}},
        {"ai", {"AI 改变世界", "ai绘画入门"}},
        {"Ai 改", {"AI 改变世界"}},
        {"%", {"100%纯天然"}},
        {"0%纯", {"100%纯天然"}},
        {"\"不\"", {"说\"不\"的勇气"}},
        {"汽车", {}},
        {"没有的标题", {}},
    };
    for (const auto& [search, expected] : searches) {
        EXPECT_EQ(texts({HeadlineScope::all, from_utf8(search), HeadlineColumn::text, false}), expected) << search;
    }
}

// Random rows, paged through in every order and scope, with and without a search:
// every row comes once, in order, however the pages fall. Tiny search bounds make the
// scans stop early and the full-text search give way to a scan.
TEST_F(HeadlinesTest, PagesGiveEveryRowOnceInOrder) {
    std::mt19937 random(5);
    const std::vector<std::string> pieces = {"新", "能", "源", "车", "A", "a", "b", "%"};
    const std::vector<std::string> values = {"", "今日头条", "小红书", "微信公众号"};
    std::vector<HeadlineRow> rows;
    for (int id = 1; id <= 300; ++id) {
        std::string text;
        for (int i = 0; i < 6; ++i) text += pieces[random() % pieces.size()];
        HeadlineRow row;
        row.id = id;
        row.text = from_utf8(text + std::to_string(id));
        row.platform = from_utf8(values[random() % values.size()]);
        row.keyword = from_utf8(values[random() % values.size()]);
        row.planted = from_utf8(values[random() % values.size()]);
        row.first_used = std::chrono::floor<seconds>(kStart);
        row.last_used = row.first_used + seconds(random() % 20);
        row.times_used = random() % 3;
        row.starred = random() % 3 == 0;
        rows.push_back(row);
    }
    HeadlineStore store(*history.database(), {std::chrono::hours(1), 13, 40});
    ASSERT_TRUE(store.restore(rows).ok());

    const auto holds = [](std::string text, std::string search) {
        for (std::string* s : {&text, &search}) {
            for (char& c : *s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return text.find(search) != std::string::npos;
    };
    const auto value = [](const HeadlineRow& row, HeadlineColumn column) -> std::variant<std::int64_t, std::string> {
        switch (column) {
            case HeadlineColumn::text: return to_utf8(row.text);
            case HeadlineColumn::platform: return to_utf8(row.platform);
            case HeadlineColumn::keyword: return to_utf8(row.keyword);
            case HeadlineColumn::hot: return to_utf8(row.planted);
            case HeadlineColumn::times_used: return row.times_used;
            case HeadlineColumn::last_used: return row.last_used.time_since_epoch().count();
        }
        return 0;
    };
    const HeadlineColumn columns[] = {HeadlineColumn::text, HeadlineColumn::platform,   HeadlineColumn::keyword,
                                      HeadlineColumn::hot,  HeadlineColumn::times_used, HeadlineColumn::last_used};
    for (const HeadlineScope scope : {HeadlineScope::starred, HeadlineScope::used, HeadlineScope::all}) {
        for (const HeadlineColumn column : columns) {
            for (const bool descending : {false, true}) {
                for (const std::string search : {"", "a", "新能", "源车a", "能源车新能"}) {
                    SCOPED_TRACE(std::to_string(static_cast<int>(scope)) + " " +
                                 std::to_string(static_cast<int>(column)) + (descending ? " desc " : " asc ") + search);
                    std::vector<HeadlineRow> expected;
                    for (const HeadlineRow& row : rows) {
                        const bool in_scope = scope == HeadlineScope::all ||
                                              (scope == HeadlineScope::starred ? row.starred : row.times_used > 0);
                        if (in_scope && holds(to_utf8(row.text), search)) expected.push_back(row);
                    }
                    std::sort(expected.begin(), expected.end(), [&](const HeadlineRow& a, const HeadlineRow& b) {
                        const auto key_a = std::make_pair(value(a, column), a.id);
                        const auto key_b = std::make_pair(value(b, column), b.id);
                        return descending ? key_b < key_a : key_a < key_b;
                    });

                    std::vector<HeadlineRow> paged;
                    std::optional<HeadlineCursor> after;
                    int pages = 0;
                    do {
                        HeadlinePage page;
                        ASSERT_TRUE(store.page({scope, from_utf8(search), column, descending}, after, 7, page).ok());
                        ASSERT_LE(page.rows.size(), 7u);
                        paged.insert(paged.end(), page.rows.begin(), page.rows.end());
                        after = page.next;
                        ASSERT_LT(++pages, 200);
                    } while (after);
                    EXPECT_EQ(paged, expected);
                }
            }
        }
    }
}

TEST_F(HeadlinesTest, DeletedRowsComeBackAsTheyWere) {
    for (const char* headline : {"第一条标题", "第二条标题", "第三条标题", "第四条标题"}) {
        ASSERT_TRUE(history.record_copied(use(headline)).ok());
        now += minutes(1);
    }
    ASSERT_TRUE(history.record_starred(use("第二条标题")).ok());
    const HeadlineQuery all{HeadlineScope::all, "", HeadlineColumn::last_used, true};
    const std::vector<HeadlineRow> before = history.headline_page(all, {}, 100).value.rows;
    ASSERT_EQ(before.size(), 4u);

    const auto removed = history.remove_headlines({before[0].id, before[2].id, 999});
    ASSERT_TRUE(removed.result.ok());
    EXPECT_EQ(removed.value, (std::vector<HeadlineRow>{before[0], before[2]}));
    EXPECT_EQ(texts(all).size(), 2u);
    EXPECT_EQ(texts({HeadlineScope::all, from_utf8("二条标"), HeadlineColumn::text, false}).size(), 0u);
    EXPECT_EQ(history.headline_counts().value.starred, 0);

    ASSERT_TRUE(history.restore_headlines(removed.value).ok());
    EXPECT_EQ(history.headline_page(all, {}, 100).value.rows, before);
    EXPECT_EQ(texts({HeadlineScope::all, from_utf8("二条标"), HeadlineColumn::text, false}),
              std::vector<std::string>{"第二条标题"});
    EXPECT_EQ(history.headline_counts().value.starred, 1);
    EXPECT_EQ(history.headline_counts().value.used, 4);

    // Used again after it was deleted: the restored row takes the new use in.
    const auto again = history.remove_headlines({before[0].id});
    now += minutes(1);
    ASSERT_TRUE(history.record_copied(use("第二条标题！")).ok());
    ASSERT_TRUE(history.restore_headlines(again.value).ok());
    const std::vector<HeadlineRow> merged = history.headline_page(all, {}, 100).value.rows;
    ASSERT_EQ(merged.size(), 4u);
    EXPECT_EQ(merged[0].id, before[0].id);
    EXPECT_EQ(to_utf8(merged[0].text), "第二条标题！");
    EXPECT_EQ(merged[0].times_used, 2);
    EXPECT_EQ(merged[0].first_used, before[0].first_used);
    EXPECT_EQ(merged[0].last_used, std::chrono::floor<seconds>(now));
    EXPECT_TRUE(merged[0].starred);
    EXPECT_EQ(history.headline_counts().value.used, 4);
}

// A file of the boards' schema is upgraded in place, its board history kept; a
// migration that cannot finish (a full disk) leaves the file as it was.
TEST(HistoryMigration, BoardsFileUpgradedInPlace) {
    TempFolder folder;
    const std::filesystem::path file = folder.path() / kHistoryFileName;
    {
        sql::Connection db = sql::Connection::open(file.string(), sql::OpenMode::read_write_create);
        ASSERT_TRUE(db.execute("PRAGMA journal_mode = WAL").ok());
        ASSERT_TRUE(migrate(db, 1).ok());
        ASSERT_EQ(db.user_version(), 1);
        BoardHistory boards(db);
        ASSERT_TRUE(boards.record_fetch("weibo", std::chrono::floor<seconds>(kStart), {{"a", "A", 1, "9"}}).ok());
        ASSERT_TRUE(boards
                        .record_fetch("weibo", std::chrono::floor<seconds>(kStart + minutes(10)),
                                      {{"b", "B", 1, "8"}, {"a", "A", 2, "7"}})
                        .ok());

        sql::Statement pages = db.prepare("PRAGMA page_count");
        ASSERT_TRUE(pages.next());
        ASSERT_TRUE(db.execute("PRAGMA max_page_count = " + std::to_string(pages.integer(0))).ok());
        EXPECT_EQ(migrate(db).failure(), sql::Failure::full);
        EXPECT_EQ(db.user_version(), 1);
        sql::Statement tables = db.prepare("SELECT count(*) FROM sqlite_schema WHERE name LIKE 'headline%'");
        ASSERT_TRUE(tables.next());
        EXPECT_EQ(tables.integer(0), 0);
    }
    History history = History::open(folder.path(), [] { return kStart + minutes(20); });
    EXPECT_EQ(history.state(), HistoryState::on_disk);
    EXPECT_EQ(history.database()->user_version(), kSchemaVersion);
    const auto standings = history.board_standings("weibo").value;
    ASSERT_TRUE(standings);
    ASSERT_EQ(standings->entries.size(), 2u);
    EXPECT_EQ(standings->entries[1].key, "a");
    EXPECT_EQ(standings->entries[1].on_board_since, std::chrono::floor<seconds>(kStart));
    EXPECT_EQ(standings->entries[1].previous_rank, 1);
    EXPECT_TRUE(history.record_copied(use("升级之后的第一条")).ok());
    EXPECT_EQ(history.headline_counts().value.used, 1);
}

// A recording that returned is in the file: a process killed right after loses nothing.
TEST_F(HeadlinesTest, RecordingSurvivesACrashRightAfter) {
    history = History();
    const pid_t child = fork();
    if (child == 0) {
        History mine = History::open(folder.path(), [] { return kStart; });
        if (mine.record_copied(use("崩溃之前的标题")).ok() && mine.record_starred(use("崩溃之前收藏的")).ok()) {
            raise(SIGKILL);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    history = open();
    EXPECT_EQ(texts({HeadlineScope::all, "", HeadlineColumn::text, false}),
              (std::vector<std::string>{"崩溃之前收藏的", "崩溃之前的标题"}));
}

TEST_F(HeadlinesTest, FullDiskFailsTheRecordingOnly) {
    ASSERT_TRUE(history.record_copied(use("第一条")).ok());
    sql::Statement pages = history.database()->prepare("PRAGMA page_count");
    ASSERT_TRUE(pages.next());
    ASSERT_TRUE(history.database()->execute("PRAGMA max_page_count = " + std::to_string(pages.integer(0))).ok());
    const std::string long_headline(3000, 'x');
    const HistoryResult write = history.record_copied(use(long_headline.c_str()));
    EXPECT_EQ(write.failure, HistoryFailure::full);
    EXPECT_EQ(to_utf8(write.message), "历史记录未能写入：磁盘已满");
    EXPECT_EQ(texts({HeadlineScope::all, "", HeadlineColumn::text, false}), std::vector<std::string>{"第一条"});
    EXPECT_EQ(history.headline_counts().value.used, 1);
}

}  // namespace
}  // namespace qinghe
