// Every board fetched at once, each from a scripted server of its own on 127.0.0.1 (so
// that their requests can meet in time): one slow, one failing, and a stop on the way.
#include "hot/all_boards.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "hot/boards/board_units.h"
#include "hot/topic_cache.h"
#include "tests/support/http_server.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace qinghe {
namespace {

using namespace qinghe::test;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Each board's public addresses and the paths they map to on its server.
const std::map<std::string, std::vector<std::pair<TextView, std::string>>>& board_addresses() {
    static const std::map<std::string, std::vector<std::pair<TextView, std::string>>> addresses = {
        {"baidu", {{kHotTopicsAddress, "/legacy"}, {kHotTopicsBoardAddress, "/board"}, {kHotTopicsApiAddress, "/api"}}},
        {"weibo", {{kWeiboAddress, "/weibo"}}},
        {"zhihu", {{kZhihuAddress, "/api"}, {kZhihuDesktopAddress, "/desktop"}}},
        {"douyin",
         {{kDouyinLoginAddress, "/login"},
          {kDouyinCookieAddress, "/guide"},
          {kDouyinListAddress, "/list"},
          {kDouyinBillboardAddress, "/billboard"}}},
        {"toutiao", {{kToutiaoAddress, "/toutiao"}}},
        {"bilibili", {{kBilibiliAddress, "/bilibili"}}},
    };
    return addresses;
}

struct Answer {
    int pause_ms = 0;
    std::string status = "200 OK";
    std::string body = "{}";
};

// The services of a window: every pump and the moment the writer stops the fetch.
class WindowServices : public RecordingServices {
public:
    std::vector<Clock::time_point> pumps;
    std::optional<Clock::time_point> stop_at;
    std::thread::id thread = std::this_thread::get_id();
    bool pumped_elsewhere = false;

    void process_pending_messages() override {
        pumped_elsewhere = pumped_elsewhere || std::this_thread::get_id() != thread;
        pumps.push_back(Clock::now());
    }
    bool cancelled() const override { return stop_at && Clock::now() >= *stop_at; }
};

class AllBoardsTest : public testing::Test {
protected:
    // Starts each board's server, answering `answers` by path (404 for any other), and
    // maps the board's addresses to it.
    void serve(const std::map<std::string, std::map<std::string, Answer>>& answers) {
        services.folder = settings.path();
        for (const auto& [key, paths] : board_addresses()) {
            const std::map<std::string, Answer> board_answers =
                answers.count(key) ? answers.at(key) : std::map<std::string, Answer>{};
            auto server = std::make_unique<ScriptedServer>([this, key, board_answers](const ReceivedRequest& r) {
                {
                    const std::lock_guard lock(arrivals_lock);
                    arrivals.emplace_back(key, Clock::now());
                }
                const auto it = board_answers.find(r.target);
                if (it == board_answers.end()) return Script{send(response("404 Not Found", "gone"))};
                return Script{pause(it->second.pause_ms), send(response(it->second.status, it->second.body))};
            });
            for (const auto& [address, path] : paths) services.addresses[Text(address)] = server->url(path);
            servers.push_back(std::move(server));
        }
    }
    // When each board's first request arrived.
    std::map<std::string, Clock::time_point> first_arrivals() {
        const std::lock_guard lock(arrivals_lock);
        std::map<std::string, Clock::time_point> first;
        for (const auto& [key, at] : arrivals) first.emplace(key, at);
        return first;
    }
    const BoardTopics& board(const AllBoardsFetch& fetch, const std::string& key) {
        for (const BoardTopics& b : fetch.boards) {
            if (b.board->key == key) return b;
        }
        throw std::logic_error("no board " + key);
    }

    TempFolder settings;
    WindowServices services;
    std::mutex arrivals_lock;
    std::vector<std::pair<std::string, Clock::time_point>> arrivals;
    std::vector<std::unique_ptr<ScriptedServer>> servers;
};

std::vector<Text> program_texts(const std::vector<std::string>& utf8) {
    std::vector<Text> out;
    for (const std::string& s : utf8) out.push_back(from_utf8(s));
    return out;
}

TEST_F(AllBoardsTest, SixBoardsAtOnceOneSlowOneFailingWithItsKeptTitles) {
    constexpr int kPause = 300, kSlow = 1500;
    serve({
        {"baidu",
         {{"/legacy",
           {kPause, "200 OK",
            "<meta charset=utf-8><a class=\"list-title\">百度一</a><a class=\"list-title\">百度二</a>"}}}},
        {"weibo", {{"/weibo", {kPause, "200 OK", R"({"data":{"realtime":[{"word":"微博一","num":1234567}]}})"}}}},
        {"zhihu",
         {{"/api", {kPause, "500 Internal Server Error", "{}"}},
          {"/desktop", {0, "401 Unauthorized", R"({"error":{"code":101,"message":"身份未经过验证"}})"}}}},
        {"douyin", {{"/billboard", {kPause, "200 OK", R"({"word_list":[{"word":"抖音一","hot_value":4800000}]})"}}}},
        {"toutiao", {{"/toutiao", {kSlow, "200 OK", R"({"data":[{"Title":"头条一","HotValue":"12345678"}]})"}}}},
        {"bilibili", {{"/bilibili", {kPause, "200 OK", R"({"list":[{"keyword":"哔哩一"},{"keyword":"哔哩二"}]})"}}}},
    });
    const auto kept_at = std::chrono::system_clock::now() - std::chrono::hours(3);
    ASSERT_EQ(store_topics(settings.path(), "zhihu", program_texts({"旧知乎一", "旧知乎二"}), kept_at), "");

    std::vector<std::pair<size_t, size_t>> progress;
    bool progress_elsewhere = false;
    const auto start = Clock::now();
    const AllBoardsFetch fetch = fetch_all_boards(services, [&](size_t done, size_t total) {
        progress_elsewhere = progress_elsewhere || std::this_thread::get_id() != services.thread;
        progress.emplace_back(done, total);
    });
    const auto took = Clock::now() - start;

    // About as long as the slowest board: one after another they would take 2,700 ms and more.
    EXPECT_GE(took, milliseconds(kSlow));
    EXPECT_LT(took, milliseconds(kSlow + 900)) << "the boards were fetched one after another";
    // Every board had asked before any of the others could have answered.
    const auto first = first_arrivals();
    ASSERT_EQ(first.size(), 6u);
    const auto [earliest, latest] = std::minmax_element(
        first.begin(), first.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    EXPECT_LT(latest->second - earliest->second, milliseconds(kPause)) << latest->first << " asked late";

    ASSERT_FALSE(fetch.cancelled);
    ASSERT_EQ(fetch.boards.size(), 6u);
    for (size_t i = 0; i < fetch.boards.size(); ++i) EXPECT_EQ(fetch.boards[i].board, &hot_boards()[i]);
    const std::map<std::string, std::vector<std::string>> live = {{"baidu", {"百度一", "百度二"}},
                                                                  {"weibo", {"微博一"}},
                                                                  {"douyin", {"抖音一"}},
                                                                  {"toutiao", {"头条一"}},
                                                                  {"bilibili", {"哔哩一", "哔哩二"}}};
    for (const auto& [key, titles] : live) {
        const BoardTopics& b = board(fetch, key);
        EXPECT_TRUE(b.live()) << key;
        EXPECT_EQ(titles_of(b.entries), program_texts(titles)) << key;
        EXPECT_TRUE(b.reason.empty()) << key;
        const std::optional<CachedTopics> kept = load_topics(settings.path(), key);
        EXPECT_TRUE(kept && kept->titles == program_texts(titles)) << key << " kept";
    }
    EXPECT_EQ(to_utf8(board(fetch, "weibo").entries[0].heat), "123.5万");
    EXPECT_EQ(to_utf8(board(fetch, "toutiao").entries[0].heat), "1234.6万");
    EXPECT_EQ(board(fetch, "bilibili").entries[1].rank, 2);

    // The failing board: its kept titles with their time, its reason as a single run gives it.
    const BoardTopics& zhihu = board(fetch, "zhihu");
    EXPECT_TRUE(zhihu.from_cache);
    EXPECT_FALSE(zhihu.live());
    EXPECT_EQ(titles_of(zhihu.entries), program_texts({"旧知乎一", "旧知乎二"}));
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(zhihu.fetched.time_since_epoch()).count(),
              std::chrono::duration_cast<std::chrono::seconds>(kept_at.time_since_epoch()).count());
    EXPECT_EQ(to_utf8(zhihu.reason), "知乎热榜：身份未经过验证（401）");
    EXPECT_EQ(services.problems, std::vector<Text>{zhihu.address + ": " + zhihu.reason});

    // Progress on the calling thread, from 0 to 6 of 6; the window handled its events
    // throughout, on its own thread.
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), std::make_pair(size_t{0}, size_t{6}));
    EXPECT_EQ(progress.back(), std::make_pair(size_t{6}, size_t{6}));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_FALSE(progress_elsewhere);
    EXPECT_FALSE(services.pumped_elsewhere);
    ASSERT_GE(services.pumps.size(), 2u);
    Clock::duration longest{};
    for (size_t i = 1; i < services.pumps.size(); ++i) {
        longest = std::max(longest, services.pumps[i] - services.pumps[i - 1]);
    }
    EXPECT_LT(longest, milliseconds(100));

    // Merged, the boards that hold titles.
    EXPECT_EQ(ranked_boards(fetch).size(), 6u);
}

TEST_F(AllBoardsTest, AStopEndsEveryRequestAtOnceAndKeepsNothing) {
    std::map<std::string, std::map<std::string, Answer>> slow;
    for (const auto& [key, paths] : board_addresses()) {
        for (const auto& address : paths) slow[key][address.second] = {5000, "200 OK", "{}"};
    }
    serve(slow);
    services.stop_at = Clock::now() + milliseconds(300);
    const auto start = Clock::now();
    const AllBoardsFetch fetch = fetch_all_boards(services);
    EXPECT_LT(Clock::now() - start, milliseconds(1000));
    EXPECT_TRUE(fetch.cancelled);
    EXPECT_EQ(first_arrivals().size(), 6u) << "every board had asked";
    for (const BoardTopics& b : fetch.boards) {
        EXPECT_TRUE(b.entries.empty()) << b.board->key;
        EXPECT_FALSE(b.reason.empty()) << b.board->key;
    }
    EXPECT_TRUE(services.problems.empty());
    EXPECT_FALSE(std::filesystem::exists(settings.path() / kTopicCacheFileName));
    EXPECT_TRUE(ranked_boards(fetch).empty());
}

}  // namespace
}  // namespace qinghe
