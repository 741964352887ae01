// Hot topics on the real window, fetched from a scripted server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/controls/names.h"
#include "app/main_window.h"
#include "app/wiring.h"
#include "hot/hot_topics.h"
#include "tests/support/http_server.h"
#include "text/codec.h"
#include "text/search.h"
#include "titles/builtin.h"

namespace qinghe {
namespace {

using namespace qinghe::test;

std::string entry(const std::string& title) { return "<li><a class=\"list-title\" href=\"/s?wd=x\">" + title + "</a></li>\n"; }

ScriptedServer::Handler page(std::string body, int pause_ms = 0) {
    return [body, pause_ms](const ReceivedRequest&) { return Script{pause(pause_ms), send(response("200 OK", body))}; };
}

TEST(HotTopicTitles, AnchorTextsByteForByte) {
    const std::string html = entry("A") + entry("") + entry(" &amp; C\t") + "<a class=\"List-Title\">no</a>";
    EXPECT_EQ(hot_topic_titles(html), (std::vector<Text>{"A", " &amp; C\t"}));
    EXPECT_TRUE(hot_topic_titles("").empty());
    EXPECT_TRUE(hot_topic_titles("<html>error page</html>").empty());
}

class HotTopicsRun : public testing::Test {
protected:
    void SetUp() override {
        wire_events(main_window);
        main_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_window));
        window.set_checked(name::hot_topics_check, true);
        window.set_content(name::count_box, "4");
    }
    void click_generate() {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(window.widget(name::generate_button)), Qt::LeftButton);
    }
    std::vector<Text> result_lines() { return split_list(window.content(name::result_box), kCrLf); }

    MainWindow main_window;
    WidgetWindow& window = main_window.controls();
};

TEST_F(HotTopicsRun, GbkPageTitlesBecomeThePrefixes) {
    const Text title_1 = from_utf8("热点新闻一"), title_2 = from_utf8("今日 &quot;头条&quot; ");
    ScriptedServer server(page("<meta charset=gb2312>" + entry(title_1) + entry("") + entry(title_2)));
    HotTopicsAddressOverride address(server.url("/buzz?b=1"));
    click_generate();
    EXPECT_EQ(window.content(name::prefix_box), title_1 + "\r\n" + title_2 + "\r\n");
    const std::vector<Text> lines = result_lines();
    ASSERT_EQ(lines.size(), 4u);
    for (const Text& line : lines) {
        EXPECT_TRUE(line.rfind(title_1 + builtin_punctuation_1(), 0) == 0 || line.rfind(title_2 + builtin_punctuation_1(), 0) == 0)
            << to_utf8(line);
    }
    EXPECT_EQ(server.requests().at(0).target, "/buzz?b=1");
    EXPECT_TRUE(window.widget(name::generate_button)->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HotTopicsRun, Utf8PageKeepsCharactersOutsideGbk) {
    ScriptedServer server(page("<head><meta charset=\"utf-8\"></head>" + entry("表情😀热搜")));
    HotTopicsAddressOverride address(server.url());
    click_generate();
    EXPECT_EQ(window.content(name::prefix_box), from_utf8("表情😀热搜\r\n"));
    EXPECT_EQ(to_utf8(result_lines().at(0)).rfind("表情😀热搜，", 0), 0u);
}

TEST_F(HotTopicsRun, FailedFetchLeavesNothing) {
    for (const bool refused : {true, false}) {
        std::unique_ptr<ScriptedServer> server;
        Text address = "http://127.0.0.1:" + std::to_string(free_port()) + "/";
        if (!refused) {
            server = std::make_unique<ScriptedServer>(page("<html>no entries here</html>"));
            address = server->url();
        }
        HotTopicsAddressOverride override_address(address);
        window.set_content(name::result_box, "old");
        click_generate();
        EXPECT_EQ(window.content(name::prefix_box), "") << refused;
        EXPECT_EQ(window.content(name::result_box), "") << refused;
        EXPECT_TRUE(window.widget(name::generate_button)->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST_F(HotTopicsRun, BusyWhileTheFetchWaits) {
    ScriptedServer slow(page(entry("slow"), 400));
    HotTopicsAddressOverride address(slow.url());
    bool checked = false;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (checked) return;
        checked = true;
        auto* button = qobject_cast<QAbstractButton*>(window.widget(name::generate_button));
        EXPECT_FALSE(button->isEnabled());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        button->click();  // disabled: no second run starts inside this one
    });
    timer.start(30);
    click_generate();
    timer.stop();
    EXPECT_TRUE(checked);
    EXPECT_GE(ticks, 5) << "the window kept processing events";
    EXPECT_EQ(slow.requests().size(), 1u);
    EXPECT_EQ(result_lines().size(), 4u);
}

TEST_F(HotTopicsRun, FiveThousandEntries) {
    std::string html = "<meta charset=utf-8>";
    for (int i = 0; i < 5000; ++i) html += entry("热搜第" + std::to_string(i) + "条");
    ScriptedServer server(page(html));
    HotTopicsAddressOverride address(server.url());
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

}  // namespace
}  // namespace qinghe
