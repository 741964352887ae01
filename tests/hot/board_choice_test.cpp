// The board chosen in the writer's panel, in the real window: each board asked at its
// real host name, connected to servers on 127.0.0.1, and its kept titles used once those
// servers are gone.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "app/window/window_widget.h"
#include "app/window/word_dialogs.h"
#include "app/wiring.h"
#include "config/word_lists.h"
#include "config/writer_panel.h"
#include "controls/names.h"
#include "hot/boards.h"
#include "hot/topic_cache.h"
#include "tests/support/board_servers.h"
#include "tests/support/http_server.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "text/search.h"
#include "titles/run_record.h"

namespace qinghe {
namespace {

using namespace qinghe::test;

struct BoardSite {
    const char* key;
    std::vector<std::string> titles;  // what the window must plant, in order
};

const BoardSite kSites[] = {
    {"baidu", {"百度一", "百度二"}},  {"weibo", {"微博一", "微博二"}},   {"zhihu", {"知乎一"}},
    {"douyin", {"抖音一", "抖音二"}}, {"toutiao", {"头条一", "头条二"}}, {"bilibili", {"哔哩一", "哔哩二"}},
};

std::string json(const std::string& body, const std::string& headers = "") {
    return response("200 OK", body, "Content-Type: application/json\r\n" + headers);
}

// Every board's site as one server: the answer picked by host and path, each shaped as
// its site shapes it, with the entries its reader must leave out.
Script answer(const ReceivedRequest& request) {
    const std::string host = request.header("Host"), target = request.target;
    if (host == "top.baidu.com" && target == "/buzz?b=1") {
        return {send(response("200 OK", "<meta charset=utf-8><a class=\"list-title\">百度一</a>"
                                        "<a class=\"list-title\">百度二</a>"))};
    }
    if (host == "weibo.com" && request.header("Referer") == "https://weibo.com/") {
        return {send(json(R"({"data":{"realtime":[{"word":"微博一"},{"word":"广告","is_ad":true},)"
                          R"({"word_scheme":"#微博二#"}]}})"))};
    }
    if (host == "weibo.com") return {send(response("403 Forbidden", R"({"error":"Forbidden"})"))};
    if (host == "api.zhihu.com") return {send(json(R"({"data":[{"target":{"title":"知乎一"}},{"target":{}}]})"))};
    if (host == "www.zhihu.com") {
        return {send(response("401 Unauthorized", R"({"error":{"code":101,"message":"身份未经过验证"}})"))};
    }
    if (host == "login.douyin.com") return {send(json("{}", "Set-Cookie: ttwid=login; Path=/\r\n"))};
    if (host == "www.douyin.com" && request.header("Cookie").find("ttwid=login") != std::string::npos) {
        return {send(json(R"({"data":{"word_list":[{"word":"专题：置顶"},{"word":"抖音一","position":1},)"
                          R"({"word":"","position":2},{"word":"广告","position":"3","ad_data":{"id":1}},)"
                          R"({"word":"抖音二","position":3}]}})"))};
    }
    if (host == "www.toutiao.com") {
        return {send(json(R"({"data":[{"Title":"头条一"},{"Title":"头条二"}],"fixed_top_data":[{"Title":"置顶"}]})"))};
    }
    if (host == "s.search.bilibili.com" && request.header("Referer") == "https://www.bilibili.com/") {
        return {send(json(R"({"list":[{"show_name":"哔哩一","keyword":"k"},{"keyword":"哔哩二"}]})"))};
    }
    return {send(response("404 Not Found", "not here"))};
}

std::vector<Text> program_texts(const std::vector<std::string>& utf8) {
    std::vector<Text> out;
    for (const std::string& s : utf8) out.push_back(from_utf8(s));
    return out;
}

class BoardChoiceRun : public testing::Test {
protected:
    void SetUp() override {
        window_widget.services().set_settings_folder(settings.path());
        wire_events(window_widget);
        window_widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_widget));
        window.set_checked(name::hot_topics_check, true);
        window.set_content(name::count_box, "4");
    }
    // Every host a board asks, on ports 80 and 443, goes to the servers' ports; nothing
    // leaves the machine.
    void connect_hosts(int plain_port, int tls_port) {
        std::vector<Text> entries;
        for (const char* host : {"top.baidu.com", "weibo.com", "api.zhihu.com", "www.zhihu.com", "login.douyin.com",
                                 "www.douyin.com", "www.iesdouyin.com", "www.toutiao.com", "s.search.bilibili.com"}) {
            entries.push_back(std::string(host) + ":80:127.0.0.1:" + std::to_string(plain_port));
            entries.push_back(std::string(host) + ":443:127.0.0.1:" + std::to_string(tls_port));
        }
        window_widget.services().set_connect_to(entries);
    }
    void choose(const HotBoard& board) {
        window.set_content(name::board_choice, from_utf8(board.name));
        ASSERT_EQ(window.content(name::board_choice), from_utf8(board.name));
    }
    void click_generate() {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(window.widget(name::generate_button)), Qt::LeftButton);
    }
    std::vector<Text> prefixes() { return split_list(window.content(name::prefix_box), kCrLf); }
    std::vector<Text> result_lines() { return split_list(window.content(name::result_box), kCrLf); }

    TempFolder settings;
    WindowWidget window_widget;
    QtWindow& window = window_widget.controls();
};

TEST_F(BoardChoiceRun, EachBoardFillsThePrefixesWithItsOwnTitlesThenItsKeptOnesWhenItsSiteIsGone) {
    {
        TempFolder certificate_folder;
        const TlsFiles tls = make_self_signed_certificate(certificate_folder.path().string());
        ScriptedServer plain(answer), secure(answer, &tls);
        connect_hosts(plain.port(), secure.port());
        for (const BoardSite& site : kSites) {
            choose(*find_hot_board(site.key));
            click_generate();
            EXPECT_EQ(prefixes(), program_texts(site.titles)) << site.key;
            EXPECT_EQ(result_lines().size(), 4u) << site.key;
            const std::optional<CachedTopics> kept = load_topics(settings.path(), site.key);
            EXPECT_TRUE(kept && kept->titles == program_texts(site.titles)) << site.key << " kept";
            const std::string status = to_utf8(window.content(name::status_label));
            EXPECT_NE(status.find("\r\n" + std::string(find_hot_board(site.key)->name) + " · "), std::string::npos)
                << status;
        }
    }
    // The servers are gone: the chosen board's last good titles stand in, with their age
    // and their board on a grey line that the clipboard does not take.
    const auto three_hours_ago = std::chrono::system_clock::now() - std::chrono::hours(3);
    ASSERT_EQ(store_topics(settings.path(), "weibo", program_texts({"旧一", "旧二"}), three_hours_ago), "");
    choose(*find_hot_board("weibo"));
    window.set_content(name::prefix_box, from_utf8("我的前缀"));
    testing::internal::CaptureStderr();
    click_generate();
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(prefixes(), program_texts({"旧一", "旧二"}));
    const std::vector<Text> lines = result_lines();
    ASSERT_EQ(lines.size(), 5u);
    const std::string notice = to_utf8(lines[0]);
    EXPECT_TRUE(notice.starts_with("未能获取实时热点（")) << notice;
    EXPECT_NE(notice.find("），使用 3 小时前（"), std::string::npos) << notice;
    EXPECT_TRUE(notice.ends_with("）的微博热搜。")) << notice;
    EXPECT_NE(error.find("weibo.com"), std::string::npos) << error;
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_FALSE(copied.contains(QStringLiteral("未能获取"))) << "the clipboard takes the headlines alone";
    EXPECT_EQ(copied.count(QLatin1Char('\n')), 4);

    // A board never fetched and never kept: the writer's list stays.
    choose(*find_hot_board("zhihu"));
    std::filesystem::remove(settings.path() / kTopicCacheFileName);
    window.set_content(name::prefix_box, from_utf8("我的前缀"));
    testing::internal::CaptureStderr();
    click_generate();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(window.content(name::prefix_box), from_utf8("我的前缀"));
    EXPECT_EQ(result_lines().size(), 1u);
}

TEST_F(BoardChoiceRun, TheGreyLineGivesTheBoardTheSitesWordsAndTheStatus) {
    TempFolder certificate_folder;
    const TlsFiles tls = make_self_signed_certificate(certificate_folder.path().string());
    ScriptedServer secure(
        [](const ReceivedRequest& request) {
            if (request.header("Host") != "www.zhihu.com") return Script{send(response("404 Not Found", "gone"))};
            return Script{
                send(response("401 Unauthorized",
                              R"({"error":{"code":101,"name":"AuthenticationError","message":"身份未经过验证"}})"))};
        },
        &tls);
    connect_hosts(secure.port(), secure.port());
    choose(*find_hot_board("zhihu"));
    window.set_content(name::prefix_box, from_utf8("我的前缀"));
    testing::internal::CaptureStderr();
    click_generate();
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(to_utf8(window.content(name::result_box)),
              "未能获取实时热点（知乎热榜：身份未经过验证（401）），前缀列表保持不变。\r\n");
    EXPECT_NE(
        error.find("https://www.zhihu.com/api/v3/feed/topstory/hot-lists/total?limit=50&desktop=true: 知乎热榜："),
        std::string::npos)
        << error;
    EXPECT_EQ(window.content(name::prefix_box), from_utf8("我的前缀"));
}

// 热点筛选 in the real window: the writer ticks 避开灾难伤亡类热点 and sets an 排除词 in its
// dialog; the run plants only the other titles and says what it left out. When nothing
// is left, nothing is planted and the grey line says so.
TEST_F(BoardChoiceRun, TheFilterLeavesOutDisastersAndExcludedWordsInAnyWriting) {
    TempFolder certificate_folder;
    const TlsFiles tls = make_self_signed_certificate(certificate_folder.path().string());
    ScriptedServer secure(
        [](const ReceivedRequest&) {
            return Script{send(json(R"({"data":{"realtime":[{"word":"台风致三人遇难"},{"word":"某地發生車禍"},)"
                                    R"({"word":"新品发布会"},{"word":"ＡＢＣ大会开幕"}]}})"))};
        },
        &tls);
    connect_hosts(secure.port(), secure.port());
    choose(*find_hot_board("weibo"));
    QTest::mouseClick(qobject_cast<QAbstractButton*>(window.widget(name::avoid_disasters_check)), Qt::LeftButton);
    QTest::mouseClick(qobject_cast<QAbstractButton*>(window.widget(name::topic_filter_button)), Qt::LeftButton);
    auto* dialog = window_widget.findChild<TopicFilterDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->excluded_box().setPlainText(QStringLiteral("abc\n"));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(load_word_lists(settings.path()).hot_excluded, std::vector<Text>{"abc"});

    click_generate();
    EXPECT_EQ(prefixes(), program_texts({"新品发布会"}));
    EXPECT_EQ(result_lines().size(), 4u);
    const std::string status = to_utf8(window.content(name::status_label));
    EXPECT_NE(status.find("已排除 3/4：灾难伤亡 2 · 排除词 1"), std::string::npos) << status;

    WordLists lists = load_word_lists(settings.path());
    lists.hot_excluded.push_back(from_utf8("新品"));
    ASSERT_TRUE(save_word_lists(settings.path(), lists));
    window.set_content(name::prefix_box, from_utf8("我的前缀"));
    click_generate();
    EXPECT_EQ(window.content(name::prefix_box), from_utf8("我的前缀"));
    EXPECT_EQ(to_utf8(window.content(name::result_box)), "热点筛选排除了全部 4 条热点，前缀列表保持不变。\r\n");
}

// 全网（合并）: every board from a server of its own (so that their requests can meet in
// time), Baidu's first page over plain HTTP and every other host over TLS.
class AllBoardsRun : public BoardChoiceRun {
protected:
    using Clock = BoardServers::Clock;
    using Answer = BoardServers::Answer;
    void serve(const BoardServers::Answers& answers) { window_widget.services().set_connect_to(boards.serve(answers)); }
    std::map<std::string, Clock::time_point> first_arrivals() { return boards.first_arrivals(); }
    void choose_all() {
        window.set_content(name::board_choice, from_utf8(kAllBoardsChoice));
        ASSERT_EQ(window.content(name::board_choice), from_utf8(kAllBoardsChoice));
    }

    BoardServers boards;
};

std::string weibo_json(const std::vector<std::string>& words) {
    std::string list;
    for (const std::string& word : words)
        list += (list.empty() ? "" : ",") + (R"({"word":")" + word + R"(","num":1200000})");
    return R"({"data":{"realtime":[)" + list + "]}}";
}

TEST_F(AllBoardsRun, SixBoardsAtOnceMergedIntoThePrefixesOneSlowOneFailing) {
    constexpr int kPause = BoardServers::kPause, kSlow = BoardServers::kSlow;
    serve(BoardServers::six_boards());
    const auto three_hours_ago = std::chrono::system_clock::now() - std::chrono::hours(3);
    ASSERT_EQ(store_topics(settings.path(), "zhihu", program_texts({"旧知乎话题"}), three_hours_ago), "");
    choose_all();
    // The panel's line while the boards are fetched.
    std::set<std::string> progress;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { progress.insert(to_utf8(window.content(name::status_label))); });
    timer.start(20);
    testing::internal::CaptureStderr();
    const auto start = Clock::now();
    click_generate();
    const auto took = Clock::now() - start;
    const std::string error = testing::internal::GetCapturedStderr();
    timer.stop();

    // One after another the boards take 2,700 ms and more; at once, about the slowest one.
    EXPECT_LT(took, std::chrono::milliseconds(kSlow + 900));
    const auto first = first_arrivals();
    ASSERT_EQ(first.size(), 6u);
    const auto [earliest, latest] = std::minmax_element(
        first.begin(), first.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    EXPECT_LT(latest->second - earliest->second, std::chrono::milliseconds(kPause)) << latest->first << " asked late";
    EXPECT_TRUE(progress.count("全网 · 获取中 5/6")) << "the slow board was counted as it came";

    // The earthquake on five boards under Baidu's title (placed highest), then the topics of
    // one board each by placing; Zhihu's kept title merged in.
    EXPECT_EQ(prefixes(), program_texts({"官方通报泸定地震", "国足vs日本赛后发布会", "王一博新剧开播", "北京地铁故障",
                                         "北京地铁新线开通", "旧知乎话题", "国足vs日本", "日本7.1级地震"}));
    const std::vector<Text> lines = result_lines();
    ASSERT_EQ(lines.size(), 5u);
    const std::string notice = to_utf8(lines[0]);
    EXPECT_TRUE(notice.starts_with("未能获取实时热点（知乎热榜：身份未经过验证（401）），使用 3 小时前（")) << notice;
    EXPECT_TRUE(notice.ends_with("）的知乎热榜。")) << notice;
    EXPECT_EQ(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), 4) << "the headlines alone";
    const std::string status = to_utf8(window.content(name::status_label));
    EXPECT_NE(status.find("\r\n全网 · 5 个榜 · "), std::string::npos) << status;
    EXPECT_NE(status.find("获取\r\n未获取：知乎（3 小时前的）"), std::string::npos) << status;
    EXPECT_NE(error.find("www.zhihu.com"), std::string::npos) << error;
    const std::optional<CachedTopics> kept = load_topics(settings.path(), "toutiao");
    EXPECT_TRUE(kept && kept->titles == program_texts({"国足vs日本赛后发布会", "泸定地震救援"}));

    // Filtered as any board is.
    QTest::mouseClick(qobject_cast<QAbstractButton*>(window.widget(name::avoid_disasters_check)), Qt::LeftButton);
    testing::internal::CaptureStderr();
    click_generate();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(prefixes(), program_texts({"国足vs日本赛后发布会", "王一博新剧开播", "北京地铁故障", "北京地铁新线开通",
                                         "旧知乎话题", "国足vs日本"}));
    EXPECT_NE(to_utf8(window.content(name::status_label)).find("已排除 2/8：灾难伤亡 2"), std::string::npos);
}

TEST_F(AllBoardsRun, AtMostFiftyTitlesAndTheChoiceIsKept) {
    std::vector<std::string> words;
    for (int i = 0; i < 40; ++i) words.push_back("微博话题" + std::to_string(i));
    std::string toutiao;
    for (int i = 0; i < 40; ++i)
        toutiao += (toutiao.empty() ? "" : ",") + (R"({"Title":"头条事件)" + std::to_string(i) + R"("})");
    serve({{"weibo", {{"/ajax/side/hotSearch", {0, json(weibo_json(words))}}}},
           {"toutiao", {{"/hot-event/hot-board/?origin=toutiao_pc", {0, json(R"({"data":[)" + toutiao + "]}")}}}}});
    choose_all();
    testing::internal::CaptureStderr();
    click_generate();
    testing::internal::GetCapturedStderr();
    const std::vector<Text> planted = prefixes();
    ASSERT_EQ(planted.size(), 50u);
    // Placed alike, the boards take turns in their order.
    EXPECT_EQ(planted[0], from_utf8("微博话题0"));
    EXPECT_EQ(planted[1], from_utf8("头条事件0"));
    EXPECT_EQ(planted[49], from_utf8("头条事件24"));
    const std::string status = to_utf8(window.content(name::status_label));
    EXPECT_NE(status.find("全网 · 2 个榜 · "), std::string::npos) << status;
    EXPECT_NE(status.find("未获取：百度、知乎、抖音、B站"), std::string::npos) << status;
    // Each headline's record names the board its planted title came from.
    const RunRecord& record = window_widget.result_menu().run_record();
    ASSERT_EQ(record.size(), 4u);
    for (size_t i = 0; i < record.size(); ++i) {
        const HeadlineOrigin origin = record.origin(i);
        EXPECT_TRUE(record.headline(i).starts_with(origin.planted));
        EXPECT_EQ(origin.board, to_utf8(origin.planted).starts_with("微博") ? "weibo" : "toutiao");
    }

    // config.ini keeps the choice as its text, and a restart restores it.
    store_writer_panel(window);
    window.set_content(name::board_choice, from_utf8("知乎热榜"));
    restore_writer_panel(window);
    EXPECT_EQ(window.content(name::board_choice), from_utf8(kAllBoardsChoice));
}

// 取消获取 stops every board at once; the list stays and nothing is kept.
TEST_F(AllBoardsRun, ACancelStopsEveryBoard) {
    std::map<std::string, std::map<std::string, Answer>> slow;
    for (const auto& [key, path] :
         std::map<std::string, std::string>{{"baidu", "/buzz?b=1"},
                                            {"weibo", "/ajax/side/hotSearch"},
                                            {"zhihu", "/topstory/hot-lists/total?limit=50"},
                                            {"douyin", "/"},
                                            {"toutiao", "/hot-event/hot-board/?origin=toutiao_pc"},
                                            {"bilibili", "/main/hotword?limit=30"}}) {
        slow[key][path] = {20'000, json("{}")};
    }
    serve(slow);
    choose_all();
    window.set_content(name::prefix_box, from_utf8("我的前缀"));
    auto* button = qobject_cast<QAbstractButton*>(window.widget(name::generate_button));
    QTimer::singleShot(400, [&] {
        EXPECT_EQ(button->text(), QStringLiteral("取消获取"));
        button->click();
    });
    const auto start = Clock::now();
    click_generate();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500)) << "the requests were waited for";
    EXPECT_EQ(first_arrivals().size(), 6u) << "every board had asked";
    EXPECT_EQ(window.content(name::prefix_box), from_utf8("我的前缀"));
    EXPECT_EQ(window.content(name::status_label), from_utf8("已取消"));
    EXPECT_TRUE(result_lines().empty());
    EXPECT_FALSE(std::filesystem::exists(settings.path() / kTopicCacheFileName));
    EXPECT_EQ(button->text(), QStringLiteral("生成标题"));
}

}  // namespace
}  // namespace qinghe
