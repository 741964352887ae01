// The kept titles: stored and loaded per board in one file, replaced atomically, never
// written through a planted link, damaged files read as no cache; and the lines that
// give their age.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "hot/title_text.h"
#include "hot/topic_cache.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace qinghe {
namespace {

using std::chrono::hours, std::chrono::minutes, std::chrono::seconds;
using Clock = std::chrono::system_clock;

// 2026-12-09 05:20 in China (UTC+8).
const Clock::time_point kFetched{seconds(1796764800)};

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class TopicCacheTest : public testing::Test {
protected:
    std::filesystem::path file() const { return folder.path() / kTopicCacheFileName; }
    TempFolder folder;
    const std::vector<Text> weibo = {from_utf8("微博一"), from_utf8("表情😀"), "ascii"};
};

TEST_F(TopicCacheTest, EachBoardKeptApartAndReplacedWhole) {
    EXPECT_EQ(load_topics(folder.path(), "weibo"), std::nullopt);
    EXPECT_EQ(store_topics(folder.path(), "weibo", weibo, kFetched), "");
    EXPECT_EQ(store_topics(folder.path(), "zhihu", {from_utf8("知乎")}, kFetched + hours(1)), "");
    const auto kept = load_topics(folder.path(), "weibo");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->titles, weibo);
    EXPECT_EQ(kept->fetched, kFetched);
    EXPECT_EQ(load_topics(folder.path(), "zhihu")->fetched, kFetched + hours(1));
    EXPECT_EQ(load_topics(folder.path(), "douyin"), std::nullopt);

    EXPECT_EQ(store_topics(folder.path(), "weibo", {"new"}, kFetched + minutes(5)), "");
    EXPECT_EQ(load_topics(folder.path(), "weibo")->titles, std::vector<Text>{"new"});
    EXPECT_EQ(load_topics(folder.path(), "zhihu")->titles, std::vector<Text>{from_utf8("知乎")});
    // Nothing left beside the file, and it is UTF-8 JSON.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    EXPECT_NE(read_file(file()).find("\"知乎\""), std::string::npos);

    // Nothing to keep: no folder, no titles.
    EXPECT_EQ(store_topics({}, "weibo", weibo, kFetched), "");
    EXPECT_EQ(load_topics({}, "weibo"), std::nullopt);
    EXPECT_EQ(store_topics(folder.path(), "weibo", {}, kFetched), "");
    EXPECT_EQ(load_topics(folder.path(), "weibo")->titles, std::vector<Text>{"new"});
}

TEST_F(TopicCacheTest, DamagedForeignOrOversizedFilesAreNoCache) {
    const std::string cases[] = {
        R"({"qinghe_hot_topics":1,"boards":{"weibo":{"fetched":1796764800,"titles":["a","b")",  // cut off
        R"({"boards":{"weibo":{"fetched":1796764800,"titles":["a"]}}})",                        // not ours
        R"({"qinghe_hot_topics":1,"boards":{"weibo":{"fetched":"1796764800","titles":["a"]}}})",
        R"({"qinghe_hot_topics":1,"boards":{"weibo":{"fetched":-1,"titles":["a"]}}})",
        R"({"qinghe_hot_topics":1,"boards":{"weibo":{"fetched":99999999999999,"titles":["a"]}}})",
        R"({"qinghe_hot_topics":1,"boards":{"weibo":{"fetched":1,"titles":[" ","\n",7]}}})",
        R"({"qinghe_hot_topics":1,"boards":{"weibo":{"fetched":1,"titles":"a"}}})",
        R"({"qinghe_hot_topics":1,"boards":[]})",
        "\xff\xfe{}",
        std::string(kMaxTopicCacheBytes + 1, ' ') + R"({"qinghe_hot_topics":1})",
    };
    for (const std::string& bytes : cases) {
        write_file(file(), bytes);
        EXPECT_EQ(load_topics(folder.path(), "weibo"), std::nullopt) << bytes.substr(0, 100);
        // A store starts afresh over what it cannot read.
        EXPECT_EQ(store_topics(folder.path(), "weibo", weibo, kFetched), "");
        EXPECT_EQ(load_topics(folder.path(), "weibo")->titles, weibo);
    }
    // Titles are cleaned as a board's are.
    const auto kept = topics_from_cache(
        R"({"qinghe_hot_topics":1,"boards":{"weibo":{"fetched":1,"titles":["a\u2029b","",7,"c\td"]}}})", "weibo");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->titles, (std::vector<Text>{"a b", "c d"}));
}

TEST_F(TopicCacheTest, PlantedLinksAreNeverFollowed) {
    TempFolder elsewhere;
    const std::filesystem::path target = elsewhere.path() / "victim";
    write_file(target, "precious");
    std::filesystem::create_symlink(target, file());
    EXPECT_EQ(load_topics(folder.path(), "weibo"), std::nullopt);
    EXPECT_EQ(store_topics(folder.path(), "weibo", weibo, kFetched), "");
    EXPECT_EQ(read_file(target), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(file()));
    EXPECT_EQ(load_topics(folder.path(), "weibo")->titles, weibo);
}

TEST_F(TopicCacheTest, AFailedStoreSaysWhy) {
    const Text reason = store_topics(folder.path() / "missing", "weibo", weibo, kFetched);
    EXPECT_NE(reason.find(kTopicCacheFileName), Text::npos) << reason;
    EXPECT_NE(reason.find("No such file"), Text::npos) << reason;
    const std::vector<Text> huge(kMaxCachedTitles, Text(kMaxTopicCacheBytes / kMaxCachedTitles, 'x'));
    EXPECT_NE(store_topics(folder.path(), "weibo", huge, kFetched), "");
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(TopicCacheTest, NoBoardCrowdsOutAnother) {
    ASSERT_EQ(store_topics(folder.path(), "weibo", weibo, kFetched), "");
    // 1,000 titles of 4 KiB, half of them quotes that the file writes as two bytes each.
    std::vector<Text> flood;
    for (int i = 0; i < 1000; ++i) {
        const std::string number = std::to_string(1000 + i);
        flood.push_back(number + std::string(kMaxTitleBytes - number.size(), i % 2 ? '"' : 'x'));
    }
    const auto first_titles_of = [&flood](const std::optional<CachedTopics>& kept) {
        return kept && !kept->titles.empty() && kept->titles.size() <= kMaxCachedTitles &&
               std::equal(kept->titles.begin(), kept->titles.end(), flood.begin());
    };
    ASSERT_EQ(store_topics(folder.path(), "douyin", flood, kFetched + minutes(30)), "");
    EXPECT_EQ(load_topics(folder.path(), "weibo")->titles, weibo);
    EXPECT_TRUE(first_titles_of(load_topics(folder.path(), "douyin")));

    // Every board at its bounds: all kept, the file within its bound; one board more
    // pushes out the one fetched longest ago.
    const auto store_board = [&](size_t i) {
        const std::string key = "board" + std::to_string(i);
        ASSERT_EQ(store_topics(folder.path(), key, flood, kFetched + hours(1 + i)), "") << key;
        EXPECT_LE(std::filesystem::file_size(file()), kMaxTopicCacheBytes) << key;
    };
    for (size_t i = 0; i + 2 < kMaxCachedBoards; ++i) store_board(i);
    EXPECT_EQ(load_topics(folder.path(), "weibo")->titles, weibo);
    store_board(kMaxCachedBoards - 2);
    EXPECT_EQ(load_topics(folder.path(), "weibo"), std::nullopt);
    EXPECT_TRUE(first_titles_of(load_topics(folder.path(), "douyin")));
    for (size_t i = 0; i + 1 < kMaxCachedBoards; ++i) {
        EXPECT_TRUE(first_titles_of(load_topics(folder.path(), "board" + std::to_string(i)))) << i;
    }

    // Short titles: the first kMaxCachedTitles.
    std::vector<Text> many;
    for (int i = 0; i < 1000; ++i) many.push_back("t" + std::to_string(i));
    ASSERT_EQ(store_topics(folder.path(), "zhihu", many, kFetched), "");
    EXPECT_EQ(load_topics(folder.path(), "zhihu")->titles,
              std::vector<Text>(many.begin(), many.begin() + kMaxCachedTitles));
    EXPECT_NE(store_topics(folder.path(), "no such/board", weibo, kFetched), "");
}

class TopicAgeTest : public testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        if (tz) saved = tz;
        had_tz = tz != nullptr;
        setenv("TZ", "CST-8", 1);  // China's time, without the zone database
        tzset();
    }
    void TearDown() override {
        if (had_tz) {
            setenv("TZ", saved.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    std::string saved;
    bool had_tz = false;
};

TEST_F(TopicAgeTest, NoticeGivesTheAgeTheClockAndTheBoard) {
    const struct {
        Clock::duration age;
        std::string when;
    } cases[] = {
        {seconds(59), "刚刚（12月9日 05:20）"},
        {-hours(1), "刚刚（12月9日 05:20）"},  // the clock went back
        {minutes(1), " 1 分钟前（12月9日 05:20）"},
        {minutes(59) + seconds(59), " 59 分钟前（12月9日 05:20）"},
        {hours(3) + minutes(10), " 3 小时前（12月9日 05:20）"},
        {hours(47), " 1 天前（12月9日 05:20）"},
        {hours(24 * 22), " 22 天前（12月9日 05:20）"},        // still this year
        {hours(24 * 40), " 40 天前（2026年12月9日 05:20）"},  // now in another year
    };
    const CachedTopics cached{.titles = {"a"}, .fetched = kFetched};
    for (const auto& c : cases) {
        const Text notice =
            cached_topics_notice(from_utf8("712 服务器未响应!"), from_utf8("微博热搜"), cached, kFetched + c.age);
        EXPECT_EQ(to_utf8(notice), "未能获取实时热点（712 服务器未响应!），使用" + c.when + "的微博热搜。");
    }
}

TEST_F(TopicAgeTest, StatusGivesTheClockAndTheDateWhenNotToday) {
    const Text board = from_utf8("知乎热榜");
    EXPECT_EQ(to_utf8(fetched_status(board, kFetched, kFetched + hours(18))), "知乎热榜 · 05:20 获取");
    EXPECT_EQ(to_utf8(fetched_status(board, kFetched, kFetched + hours(19))), "知乎热榜 · 12月9日 05:20 获取");
    EXPECT_EQ(to_utf8(fetched_status(board, kFetched - minutes(21), kFetched)), "知乎热榜 · 04:59 获取");
}

}  // namespace
}  // namespace qinghe
