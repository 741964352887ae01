// Hot topics: the titles of the legacy ranking page and of today's board, fetched from
// scripted servers on 127.0.0.1, and what the real window does with them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "controls/names.h"
#include "hot/board_page.h"
#include "hot/hot_topics.h"
#include "tests/support/http_server.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "text/search.h"
#include "titles/builtin.h"
#include "titles/generator.h"

namespace qinghe {
namespace {

using namespace qinghe::test;

std::string entry(const std::string& title) {
    return "<li><a class=\"list-title\" href=\"/s?wd=x\">" + title + "</a></li>\n";
}

// Today's board as its server renders it: the entries as JSON in an HTML comment.
std::string board_page(const std::string& json) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>百度热搜</title></head><body>"
           "<div id=\"sanRoot\" class=\"wrapper\"><!--s-data:" +
           json + "--></div></body></html>";
}

const std::string kBoardJson =
    R"({"data":{"cards":[{"component":"hotList","content":[)"
    R"({"word":"置顶的通知","isTop":true,"index":0},)"
    R"({"word":"第一条 \"热搜\"","hotScore":"4960000","desc":"a\/b","index":1},)"
    R"({"word":"\u6696\u98ce\ud83d\ude00来了","url":"https:\/\/www.baidu.com\/s?wd=x","index":2},)"
    R"({"word":"两行\r\n的标题","isTop":false},)"
    R"({"word":"","index":4},{"desc":"no word"},)"
    R"({"word":"最后一条"}],"typeName":"realtime"},)"
    R"({"component":"tagList","content":[{"word":"另一张卡片"}]}],"curBoardName":"热搜榜"}})";

const std::vector<std::string> kBoardTitles = {"第一条 \"热搜\"", "暖风😀来了", "两行  的标题", "最后一条"};

std::vector<Text> program_texts(const std::vector<std::string>& utf8) {
    std::vector<Text> out;
    for (const std::string& s : utf8) out.push_back(from_utf8(s));
    return out;
}

ScriptedServer::Handler page(std::string body, int pause_ms = 0, std::string status = "200 OK") {
    return [body, pause_ms, status](const ReceivedRequest&) {
        return Script{pause(pause_ms), send(response(status, body))};
    };
}

Text refused_address() { return "http://127.0.0.1:" + std::to_string(free_port()) + "/"; }

TEST(HotTopicTitles, LegacyAnchorTextsByteForByte) {
    const std::string html = entry("A") + entry("") + entry(" &amp; C\t") + "<a class=\"List-Title\">no</a>";
    EXPECT_EQ(hot_topic_titles(html), (std::vector<Text>{"A", " &amp; C\t"}));
    EXPECT_EQ(hot_topic_titles(entry(from_utf8("段\u2029落\u2028行"))), std::vector<Text>{from_utf8("段 落 行")});
    EXPECT_TRUE(hot_topic_titles("").empty());
    EXPECT_TRUE(hot_topic_titles("<html>error page</html>").empty());
    // A page with legacy entries yields exactly those, whatever else it holds.
    EXPECT_EQ(titles_of(page_titles(entry("A") + board_page(kBoardJson), "")), std::vector<Text>{"A"});
}

TEST(HotTopicTitles, BoardEntriesOfTheFirstCardWithoutPinnedOnes) {
    const Text page = from_utf8(board_page(kBoardJson));
    EXPECT_EQ(titles_of(board_titles(page)), program_texts(kBoardTitles));
    EXPECT_EQ(titles_of(page_titles(page, "")), program_texts(kBoardTitles));
    // A UTF-8 page whose charset went unnoticed stands unconverted in the page text.
    const std::string raw = board_page(kBoardJson);
    EXPECT_EQ(titles_of(page_titles(raw, raw)), program_texts(kBoardTitles));
}

TEST(HotTopicTitles, BoardPagesThatHoldNoTitles) {
    const std::string cut = kBoardJson.substr(0, kBoardJson.find("来了"));
    const std::string cases[] = {
        "<html><body>no comment at all</body></html>",
        board_page(cut),           // cut off inside a string
        "<div><!--s-data:" + cut,  // cut off with the comment
        board_page(""),
        board_page("[1,2,3]"),
        board_page(R"({"data":{"cards":[]}})"),
        board_page(R"({"data":{"cards":{"content":[{"word":"x"}]}}})"),
        board_page(R"({"data":{"cards":[{"content":{"word":"x"}}]}})"),
        board_page(R"({"data":{"cards":[{"content":[{"word":7},{"word":null},{"word":"x","isTop":true}]}]}})"),
        board_page(std::string(100000, '[')),
    };
    for (const std::string& html : cases) EXPECT_TRUE(board_titles(html).empty()) << html.substr(0, 120);
    EXPECT_TRUE(board_titles_from_json("{\"data\":{\"cards\":[{\"content\":[{\"word\":\"\xff\xfe\"}]}]}}").empty())
        << "not UTF-8";
    // Only a boolean pins an entry.
    EXPECT_EQ(titles_of(board_titles(board_page(R"({"data":{"cards":[{"content":[{"word":"x","isTop":"true"}]}]}})"))),
              std::vector<Text>{"x"});
}

// The fetch against scripted servers, on a window without widgets.
class HotTopicsFetchTest : public testing::Test {
protected:
    void point_at(const Text& legacy, const Text& board, const Text& api = refused_address()) {
        services.addresses = {{Text(kHotTopicsAddress), legacy},
                              {Text(kHotTopicsBoardAddress), board},
                              {Text(kHotTopicsApiAddress), api}};
    }
    RecordingServices services;
};

TEST_F(HotTopicsFetchTest, LegacyPageAloneWhenItHasTitles) {
    ScriptedServer legacy(page(entry("A") + entry("B")));
    ScriptedServer board(page(board_page(kBoardJson)));
    point_at(legacy.url("/buzz?b=1"), board.url());
    const HotTopicsFetch fetch = fetch_hot_topics(services);
    EXPECT_EQ(titles_of(fetch.entries), (std::vector<Text>{"A", "B"}));
    EXPECT_EQ(board.requests().size(), 0u);
}

TEST_F(HotTopicsFetchTest, LegacyAddressRedirectsToAnHttpsBoard) {
    TempFolder folder;
    const TlsFiles tls = make_self_signed_certificate(folder.path().string());
    ScriptedServer board(page(board_page(kBoardJson)), &tls);
    ScriptedServer legacy([&board](const ReceivedRequest&) {
        return Script{send(response("302 Found", "", "Location: " + board.url("/board?tab=realtime") + "\r\n"))};
    });
    ScriptedServer unused_board(page(board_page(kBoardJson)));
    point_at(legacy.url("/buzz?b=1"), unused_board.url());
    const HotTopicsFetch fetch = fetch_hot_topics(services);
    EXPECT_EQ(titles_of(fetch.entries), program_texts(kBoardTitles));
    ASSERT_EQ(board.requests().size(), 1u);
    EXPECT_EQ(board.requests()[0].target, "/board?tab=realtime");
    EXPECT_EQ(unused_board.requests().size(), 0u) << "one request when the first page gives titles";
}

TEST_F(HotTopicsFetchTest, BoardAskedWhenTheLegacyPageFails) {
    ScriptedServer legacy(page("<html>gone</html>", 0, "404 Not Found"));
    ScriptedServer board(page(board_page(kBoardJson)));
    point_at(legacy.url("/buzz?b=1"), board.url("/board?tab=realtime"));
    const HotTopicsFetch fetch = fetch_hot_topics(services);
    EXPECT_EQ(titles_of(fetch.entries), program_texts(kBoardTitles));
    EXPECT_EQ(legacy.requests().size(), 1u);
    EXPECT_EQ(board.requests().size(), 1u);
}

TEST_F(HotTopicsFetchTest, BothFailingSayWhy) {
    ScriptedServer legacy(page("<html>gone</html>", 0, "404 Not Found"));
    ScriptedServer empty(page("<html>nothing here</html>"));
    ScriptedServer missing(page("<html>gone</html>", 0, "404 Not Found"));
    // The board page unreachable, its JSON is not asked; else the JSON's failure is the
    // one reported.
    const Text refused = refused_address();
    const struct {
        Text board, api, address;
        Text reason;
    } cases[] = {
        {refused, missing.url(), refused, from_utf8("711 发送请求失败!")},
        {empty.url(), missing.url(), missing.url(), "404 Not Found"},
        {missing.url(), empty.url(), empty.url(), from_utf8("页面上没有热搜条目")},
    };
    for (const auto& c : cases) {
        point_at(legacy.url(), c.board, c.api);
        const HotTopicsFetch fetch = fetch_hot_topics(services);
        EXPECT_TRUE(fetch.entries.empty());
        EXPECT_EQ(fetch.address, c.address);
        EXPECT_EQ(fetch.reason, c.reason) << to_utf8(fetch.reason);
    }
}

// The real window, its generate button clicked.
class HotTopicsRun : public testing::Test {
protected:
    void SetUp() override {
        wire_events(window_widget);
        window_widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_widget));
        window.set_checked(name::hot_topics_check, true);
        window.set_content(name::count_box, "4");
    }
    // Every Baidu address mapped: none reaches the real site.
    void point_at(const Text& legacy, const Text& board = refused_address(), const Text& api = refused_address()) {
        window_widget.services().set_address_map({{Text(kHotTopicsAddress), legacy},
                                                  {Text(kHotTopicsBoardAddress), board},
                                                  {Text(kHotTopicsApiAddress), api}});
    }
    void click_generate() {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(window.widget(name::generate_button)), Qt::LeftButton);
    }
    std::vector<Text> result_lines() { return split_list(window.content(name::result_box), kCrLf); }

    WindowWidget window_widget;
    QtWindow& window = window_widget.controls();
};

TEST_F(HotTopicsRun, GbkPageTitlesBecomeThePrefixes) {
    const Text title_1 = from_utf8("热点新闻一"), title_2 = from_utf8("今日 &quot;头条&quot; ");
    ScriptedServer server(page("<meta charset=gb2312>" + entry(title_1) + entry("") + entry(title_2)));
    point_at(server.url("/buzz?b=1"));
    click_generate();
    EXPECT_EQ(window.content(name::prefix_box), title_1 + "\r\n" + title_2 + "\r\n");
    const std::vector<Text> lines = result_lines();
    ASSERT_EQ(lines.size(), 4u);
    for (const Text& line : lines) {
        EXPECT_TRUE(line.rfind(title_1 + builtin_punctuation_1(), 0) == 0 ||
                    line.rfind(title_2 + builtin_punctuation_1(), 0) == 0)
            << to_utf8(line);
    }
    EXPECT_EQ(server.requests().at(0).target, "/buzz?b=1");
    EXPECT_TRUE(window.widget(name::generate_button)->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HotTopicsRun, Utf8PageKeepsCharactersOutsideGbk) {
    ScriptedServer server(page("<head><meta charset=\"utf-8\"></head>" + entry("表情😀热搜")));
    point_at(server.url());
    click_generate();
    EXPECT_EQ(window.content(name::prefix_box), from_utf8("表情😀热搜\r\n"));
    EXPECT_EQ(to_utf8(result_lines().at(0)).rfind("表情😀热搜，", 0), 0u);
}

// The planted titles are one edit of the prefix box: Ctrl+Z brings the writer's list back.
// The keyboard focus is where it was before the run.
TEST_F(HotTopicsRun, BoardTitlesBecomeThePrefixesAsAnEditToUndo) {
    ScriptedServer board(page(board_page(kBoardJson)));
    point_at(refused_address(), board.url());
    window.set_content(name::prefix_box, "mine\r\n");
    QWidget* generate = window.widget(name::generate_button);
    generate->setFocus();
    QTest::keyClick(generate, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), generate);
    EXPECT_EQ(split_list(window.content(name::prefix_box), kCrLf), program_texts(kBoardTitles));
    EXPECT_EQ(result_lines().size(), 4u);
    QWidget* prefix = window.widget(name::prefix_box);
    prefix->setFocus();
    QTest::keyClick(prefix, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window.content(name::prefix_box), "mine\r\n");
}

TEST_F(HotTopicsRun, FailedFetchKeepsTheListAndTheClipboardAndSaysWhy) {
    const Text own_list = from_utf8("我的前缀\r\n第二行");
    window.set_content(name::prefix_box, own_list);
    window.set_content(name::result_box, "old");
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    ScriptedServer missing(page("<html>gone</html>", 0, "404 Not Found"));
    const Text board = missing.url("/api/board");
    point_at(refused_address(), missing.url("/board"), board);
    testing::internal::CaptureStderr();
    click_generate();
    const std::string error = testing::internal::GetCapturedStderr();

    EXPECT_EQ(window.content(name::prefix_box), own_list);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(to_utf8(window.content(name::result_box)), "未能获取实时热点（404 Not Found），前缀列表保持不变。\r\n");
    auto* result = qobject_cast<QTextEdit*>(window.widget(name::result_box));
    QTextCursor cursor(result->document());
    cursor.setPosition(1);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(128, 128, 128));
    EXPECT_NE(error.find(board + ": 404 Not Found\n"), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1);
    EXPECT_TRUE(window.widget(name::generate_button)->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// While the fetch waits the window answers, the prefix box takes no typing and the
// button, captioned "取消获取", stops the fetch at once: the request is dropped, not
// waited for, and the list stays as it was.
TEST_F(HotTopicsRun, AFetchStoppedOnTheWayKeepsTheList) {
    ScriptedServer slow(page(entry("slow"), 20'000));
    point_at(slow.url());
    window.set_content(name::prefix_box, "mine\r\n");
    auto* button = qobject_cast<QAbstractButton*>(window.widget(name::generate_button));
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks != 3) return;
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(button->text(), QStringLiteral("取消获取"));
        EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(window.widget(name::prefix_box))->isReadOnly());
        EXPECT_FALSE(window.widget(name::save_button)->isEnabled());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QTest::keyClick(window.widget(name::prefix_box), Qt::Key_X);  // no typing meanwhile
        button->click();
    });
    timer.start(30);
    QElapsedTimer elapsed;
    elapsed.start();
    click_generate();
    timer.stop();
    EXPECT_LT(elapsed.elapsed(), 10'000) << "the request was waited for";
    EXPECT_EQ(window.content(name::prefix_box), "mine\r\n");
    EXPECT_EQ(window.content(name::status_label), from_utf8("已取消"));
    EXPECT_TRUE(result_lines().empty());
    EXPECT_EQ(button->text(), QStringLiteral("生成标题"));
    EXPECT_FALSE(qobject_cast<QPlainTextEdit*>(window.widget(name::prefix_box))->isReadOnly());
    EXPECT_TRUE(window.widget(name::save_button)->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HotTopicsRun, FiveThousandEntries) {
    std::string html = "<meta charset=utf-8>";
    for (int i = 0; i < 5000; ++i) html += entry("热搜第" + std::to_string(i) + "条");
    ScriptedServer server(page(html));
    point_at(server.url());
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(0);
    click_generate();
    timer.stop();
    const std::vector<Text> prefixes = split_list(window.content(name::prefix_box), kCrLf);
    ASSERT_EQ(prefixes.size(), 5000u);
    EXPECT_EQ(prefixes[4999], from_utf8("热搜第4999条"));
    EXPECT_GT(ticks, 100) << "events were processed during the scan";
}

TEST_F(HotTopicsRun, SlotsAndSavingWaitWhileAFailingFetchRuns) {
    TempFolder folder;
    window_widget.services().set_settings_folder(folder.path());
    const Text own_list = from_utf8("一号前缀");
    window.set_content(name::prefix_box, own_list);
    ScriptedServer slow(page("<html>gone</html>", 400, "404 Not Found"));
    point_at(slow.url(), slow.url(), slow.url());
    bool clicked = false;
    QTimer::singleShot(100, [&] {
        clicked = true;
        for (const Text* control : {&name::slot_radio_2, &name::save_button, &name::restore_button}) {
            EXPECT_FALSE(window.widget(*control)->isEnabled()) << to_utf8(*control);
            QTest::mouseClick(window.widget(*control), Qt::LeftButton, {}, QPoint(5, 5));
        }
    });
    testing::internal::CaptureStderr();
    click_generate();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(window.checked(name::slot_radio_1));
    EXPECT_FALSE(window.checked(name::slot_radio_2));
    EXPECT_EQ(window.content(name::prefix_box), own_list) << "the list came back into the slot it was taken from";
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "nothing saved during the fetch";
    EXPECT_TRUE(window.widget(name::slot_radio_2)->isEnabled());
    EXPECT_TRUE(window.widget(name::save_button)->isEnabled());
}

}  // namespace
}  // namespace qinghe
