// The window 热点榜 as a writer uses it, opened from the wired main window, every board's
// host connected to scripted servers on 127.0.0.1 (one server each, so that their requests
// can meet in time), the history in the test's settings folder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/window/hot_board_window.h"
#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "config/window_places.h"
#include "config/word_lists.h"
#include "controls/names.h"
#include "history/history.h"
#include "hot/boards.h"
#include "hot/topic_cache.h"
#include "hot/topic_merge.h"
#include "tests/support/board_servers.h"
#include "tests/support/http_server.h"
#include "tests/support/temp_folder.h"
#include "tests/support/texts.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

using namespace qinghe::test;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using Answers = BoardServers::Answers;
constexpr int kPause = BoardServers::kPause, kSlow = BoardServers::kSlow;

class HotBoardTest : public testing::Test {
protected:
    void SetUp() override {
        main_widget.services().set_settings_folder(settings.path());
        wire_events(main_widget);
        main_widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_widget));
        // Until servers are started, every board's host leads to a closed port here.
        const int closed = free_port();
        main_widget.services().set_connect_to(
            BoardServers::connect_to([closed](const std::string&) { return std::pair(closed, closed); }));
    }

    void serve(const Answers& answers) { main_widget.services().set_connect_to(boards.serve(answers)); }
    std::map<std::string, Clock::time_point> first_arrivals() { return boards.first_arrivals(); }
    size_t arrival_count() { return boards.arrival_count(); }

    // Kept titles of every board, fetched `ago`: the window then has no reason to fetch.
    void keep_titles(const std::map<std::string, std::vector<const char*>>& titles, std::chrono::minutes ago) {
        for (const auto& [key, board_titles] : titles) {
            std::vector<Text> kept;
            for (const char* title : board_titles) kept.push_back(from_utf8(title));
            ASSERT_EQ(store_topics(settings.path(), key, kept, std::chrono::system_clock::now() - ago), "");
        }
    }

    void click(QAbstractButton* button) {
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // Clicks 热点榜… in the main window; the window 热点榜 is then on screen. `at_once`
    // looks at it before any event is handled.
    void open_board(const std::function<void()>& at_once = {}) {
        auto* button = qobject_cast<QAbstractButton*>(main.widget(name::hot_board_button));
        ASSERT_NE(button, nullptr);
        button->click();
        board = main_widget.findChild<HotBoardWindow*>();
        ASSERT_NE(board, nullptr);
        list = board->findChild<QTreeWidget*>(QStringLiteral("热点榜_列表"));
        status = board->findChild<QLabel*>(QStringLiteral("热点榜_状态"));
        refresh = board->findChild<QPushButton*>(QStringLiteral("热点榜_刷新"));
        ASSERT_TRUE(list && status && refresh);
        if (at_once) at_once();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(board));
    }
    // Waits for a fetch that has begun (or is about to) to end.
    void wait_for_fetch(int timeout_ms = 10'000) {
        QTest::qWait(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return refresh->text() == QStringLiteral("刷新"); }, timeout_ms));
    }
    QTreeWidgetItem* row(const char* title) {
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(1) == QString::fromUtf8(title)) return list->topLevelItem(i);
        }
        ADD_FAILURE() << "no row " << title;
        return nullptr;
    }
    std::vector<std::string> titles(bool shown_only = true) {
        std::vector<std::string> out;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            if (!shown_only || !item->isHidden()) out.push_back(item->text(1).toStdString());
        }
        return out;
    }
    static std::vector<std::string> cells(const QTreeWidgetItem& item) {
        std::vector<std::string> out;
        for (int c = 0; c < item.columnCount(); ++c) out.push_back(item.text(c).toStdString());
        return out;
    }
    std::string status_text() { return status->text().toStdString(); }

    TempFolder settings;
    BoardServers boards;
    WindowWidget main_widget;
    QtWindow& main = main_widget.controls();
    HotBoardWindow* board = nullptr;
    QTreeWidget* list = nullptr;
    QLabel* status = nullptr;
    QPushButton* refresh = nullptr;
};

// The writer's path: open 热点榜 (its kept titles are old, so it fetches the six boards at
// once by itself), read the merged topics with their history, tick two and plant them,
// make headlines of them, take the list back, set a keyword, copy rows, close and reopen.
TEST_F(HotBoardTest, AWriterOpensTheBoardsPicksTwoTopicsPlantsThemAndMakesHeadlines) {
    serve(BoardServers::six_boards());
    keep_titles({{"zhihu", {"旧知乎话题"}}}, std::chrono::minutes(180));
    {
        // Weibo's previous fetch, half an hour ago, in the other order.
        History history = History::open(settings.path(), [] { return std::chrono::system_clock::now(); });
        const auto entry = [](const char* title, int rank) {
            return BoardEntry{topic_key(from_utf8(title)), from_utf8(title), rank, {}};
        };
        ASSERT_TRUE(history
                        .record_fetch("weibo", std::chrono::system_clock::now() - std::chrono::minutes(30),
                                      {entry("北京地铁新线开通", 1), entry("泸定地震", 2)})
                        .ok());
    }
    main.set_checked(name::hot_topics_check, true);
    main.set_content(name::prefix_box, from_utf8("我的前缀"));

    std::set<std::string> progress;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (status) progress.insert(status_text());
    });
    timer.start(20);
    testing::internal::CaptureStderr();
    const auto start = Clock::now();
    // At once, before any board answered: the kept titles and the history's.
    open_board([&] {
        EXPECT_EQ(board->windowTitle(), QStringLiteral("热点榜"));
        EXPECT_EQ(titles(), (std::vector<std::string>{"北京地铁新线开通", "泸定地震", "旧知乎话题"}));
        EXPECT_TRUE(refresh->isVisible());
    });
    wait_for_fetch();
    const auto took = Clock::now() - start;
    const std::string error = testing::internal::GetCapturedStderr();
    timer.stop();

    // At once, about as long as the slowest board; one after another they take 2,700 ms.
    EXPECT_LT(took, milliseconds(kSlow + 900));
    const auto first = first_arrivals();
    ASSERT_EQ(first.size(), 6u);
    const auto [earliest, latest] = std::minmax_element(
        first.begin(), first.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    EXPECT_LT(latest->second - earliest->second, milliseconds(kPause)) << latest->first << " asked late";
    EXPECT_TRUE(progress.count("获取中 5/6")) << "the slow board was counted as it came";
    EXPECT_NE(error.find("www.zhihu.com"), std::string::npos) << error;

    // The topics in merged order, Zhihu's kept title among them.
    EXPECT_EQ(titles(),
              (std::vector<std::string>{"官方通报泸定地震", "国足vs日本赛后发布会", "王一博新剧开播", "北京地铁故障",
                                        "北京地铁新线开通", "旧知乎话题", "国足vs日本", "日本7.1级地震"}));
    const std::string text = status_text();
    EXPECT_TRUE(text.starts_with("6 个榜 · 12 条 · 合并为 8 个话题 · ")) << text;
    EXPECT_NE(text.find(" 获取\n知乎热榜：身份未经过验证（401），显示 3 小时前的"), std::string::npos) << text;
    // The earthquake on five boards, each its own row with the board's rank, heat and
    // history: on Weibo it rose from 2nd to 1st and has stood there for half an hour.
    QTreeWidgetItem* quake = row("官方通报泸定地震");
    ASSERT_NE(quake, nullptr);
    EXPECT_EQ(cells(*quake), (std::vector<std::string>{"1", "官方通报泸定地震", "", "百度 · 微博 · 抖音 · B站 · 头条",
                                                       "新", "1", "新"}));
    ASSERT_EQ(quake->childCount(), 5);
    EXPECT_EQ(cells(*quake->child(1)),
              (std::vector<std::string>{"1", "泸定地震", "120万", "微博", "30 分钟", "1", "↑1"}));
    EXPECT_EQ(cells(*row("北京地铁新线开通")),
              (std::vector<std::string>{"5", "北京地铁新线开通", "8765", "微博", "30 分钟", "1", "↓1"}));
    EXPECT_EQ(cells(*row("旧知乎话题")), (std::vector<std::string>{"6", "旧知乎话题", "", "知乎", "", "", ""}));

    // Two ticked with Space (the cursor anywhere in the row); another row selected does not count.
    list->setFocus();
    for (const char* title : {"北京地铁故障", "王一博新剧开播"}) {
        list->setCurrentItem(row(title), 1);
        QTest::keyClick(list, Qt::Key_Space);
    }
    list->setCurrentItem(row("国足vs日本"), 1);
    click(board->findChild<QPushButton*>(QStringLiteral("热点榜_植入")));
    EXPECT_EQ(to_utf8(main.content(name::prefix_box)), "王一博新剧开播\r\n北京地铁故障\r\n");
    EXPECT_FALSE(main.checked(name::hot_topics_check)) << "the next run would plant the whole board";
    const std::string panel_status = to_utf8(main.content(name::status_label));
    EXPECT_NE(panel_status.find("已植入 2 个热点到前缀列表，已取消勾选「植入实时热点」"), std::string::npos)
        << panel_status;
    EXPECT_EQ(row("北京地铁故障")->checkState(0), Qt::Unchecked);

    // Headlines of the two.
    click(qobject_cast<QAbstractButton*>(main.widget(name::generate_button)));
    const std::vector<Text> headlines = split_list(main.content(name::result_box), kCrLf);
    ASSERT_FALSE(headlines.empty());
    for (const Text& headline : headlines) {
        EXPECT_TRUE(headline.starts_with(from_utf8("王一博新剧开播")) ||
                    headline.starts_with(from_utf8("北京地铁故障")))
            << to_utf8(headline);
    }
    // Ctrl+Z in the list box brings back what it held.
    QWidget* prefix_box = main.widget(name::prefix_box);
    prefix_box->setFocus();
    QTest::keyClick(prefix_box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(to_utf8(main.content(name::prefix_box)), "我的前缀");

    // 设为关键词: the current row's title, a board's own under a topic.
    list->setCurrentItem(quake->child(1), 1);
    click(board->findChild<QPushButton*>(QStringLiteral("热点榜_关键词")));
    EXPECT_EQ(to_utf8(main.content(name::keyword_box)), "泸定地震");

    // Ctrl+C: the selected rows under the columns' names, a topic's boards after it (folded
    // or not), each a tab further in.
    list->clearSelection();
    quake->setSelected(true);
    row("旧知乎话题")->setSelected(true);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    ASSERT_EQ(copied.size(), 10);  // the header, 1 + 5 rows, 1 + 1 rows, the end of the last line
    EXPECT_EQ(copied[0], QStringLiteral("排名\t标题\t热度\t来源\t在榜\t最高\t趋势"));
    EXPECT_EQ(copied[1], QStringLiteral("1\t官方通报泸定地震\t\t百度 · 微博 · 抖音 · B站 · 头条\t新\t1\t新"));
    EXPECT_EQ(copied[3], QStringLiteral("\t1\t泸定地震\t120万\t微博\t30 分钟\t1\t↑1"));
    EXPECT_EQ(copied[7], QStringLiteral("6\t旧知乎话题\t\t知乎\t\t\t"));
    EXPECT_EQ(copied[8], QStringLiteral("\t1\t旧知乎话题\t\t知乎\t\t\t"));
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().count(QLatin1Char('\n')), 1 + 8 + 12);

    // Esc closes it, its place kept; reopened where it was, its titles fresh, it asks nothing.
    board->move(40, 30);
    board->resize(700, 500);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(board->isVisible());
    const std::optional<WindowPlace> kept = load_window_place(main, from_utf8("热点榜"));
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, (WindowPlace{40, 30, 700, 500}));
    const size_t asked = arrival_count();
    open_board();
    EXPECT_EQ(board->geometry().size(), QSize(700, 500));
    EXPECT_EQ(main_widget.findChildren<HotBoardWindow*>().size(), 1);
    QTest::qWait(100);
    EXPECT_EQ(arrival_count(), asked);
    EXPECT_EQ(refresh->text(), QStringLiteral("刷新"));
}

// 搜索 reads traditional, full-width and upper-case writing as the plain one; the filter's
// rows are hidden, or greyed with their reason; the filter is read again when the window
// comes back to the front.
TEST_F(HotBoardTest, SearchAndTheFilterHideOrGreyRows) {
    keep_titles({{"baidu", {"百度话题"}},
                 {"weibo", {"台风致三人遇难", "某地發生車禍", "新品发布会", "ＡＢＣ大会开幕"}},
                 {"zhihu", {"知乎话题"}},
                 {"douyin", {"抖音话题"}},
                 {"toutiao", {"头条话题"}},
                 {"bilibili", {"哔哩话题"}}},
                std::chrono::minutes(2));
    main.set_checked(name::avoid_disasters_check, true);
    ASSERT_TRUE(save_word_lists(settings.path(), WordLists{.hot_excluded = texts({"abc"})}));
    open_board();
    QTest::qWait(50);
    EXPECT_EQ(arrival_count(), 0u) << "titles two minutes old are not fetched again";
    const std::string text = status_text();
    EXPECT_TRUE(text.starts_with("6 个榜 · 9 条 · 合并为 9 个话题 · 已排除 3 · 2 分钟前 · ")) << text;

    auto* search = board->findChild<QLineEdit*>(QStringLiteral("热点榜_搜索"));
    auto* show_excluded = board->findChild<QCheckBox*>(QStringLiteral("热点榜_显示排除"));
    ASSERT_TRUE(search && show_excluded);
    EXPECT_EQ(search->placeholderText(), QStringLiteral("搜索标题"));
    const struct {
        const char* search;
        bool show_excluded;
        std::vector<std::string> shown;
    } cases[] = {
        {"", false, {"新品发布会", "百度话题", "知乎话题", "抖音话题", "头条话题", "哔哩话题"}},
        {"發布", false, {"新品发布会"}},
        {"话题", false, {"百度话题", "知乎话题", "抖音话题", "头条话题", "哔哩话题"}},
        {"ａｂｃ", false, {}},
        {"ａｂｃ", true, {"ＡＢＣ大会开幕"}},
        {"  ",
         true,
         {"台风致三人遇难", "某地發生車禍", "新品发布会", "百度话题", "ＡＢＣ大会开幕", "知乎话题", "抖音话题",
          "头条话题", "哔哩话题"}},
    };
    for (const auto& c : cases) {
        show_excluded->setChecked(c.show_excluded);
        search->setText(QString::fromUtf8(c.search));
        EXPECT_EQ(titles(), c.shown) << "search '" << c.search << "', excluded shown " << c.show_excluded;
    }
    // Greyed with the reason, never ticked or planted.
    const std::map<std::string, std::string> reasons = {
        {"台风致三人遇难", "灾难伤亡"}, {"某地發生車禍", "灾难伤亡"}, {"ＡＢＣ大会开幕", "排除词：abc"}};
    for (const auto& [title, reason] : reasons) {
        QTreeWidgetItem* item = row(title.c_str());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->toolTip(1).toStdString(), reason);
        EXPECT_FALSE(item->flags() & (Qt::ItemIsEnabled | Qt::ItemIsUserCheckable)) << title;
    }
    list->selectAll();
    click(board->findChild<QPushButton*>(QStringLiteral("热点榜_植入")));
    EXPECT_EQ(split_list(main.content(name::prefix_box), kCrLf),
              texts({"新品发布会", "百度话题", "知乎话题", "抖音话题", "头条话题", "哔哩话题"}));

    // Back in the front after the filter changed: the rows are judged again.
    main.set_checked(name::avoid_disasters_check, false);
    ASSERT_TRUE(save_word_lists(settings.path(), WordLists{.hot_included = texts({"話題"})}));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(board, &activate);
    EXPECT_EQ(row("新品发布会")->toolTip(1).toStdString(), "不含包含词");
    EXPECT_EQ(row("台风致三人遇难")->toolTip(1).toStdString(), "不含包含词");
    EXPECT_TRUE(row("百度话题")->toolTip(1).isEmpty());
    EXPECT_NE(status_text().find(" · 已排除 4 · "), std::string::npos) << status_text();
}

// A damaged history is moved aside and the window says so, showing and fetching as ever; a
// board's own view fetches that board alone and records it.
TEST_F(HotBoardTest, ADamagedHistoryIsMovedAsideAndTheWindowGoesOn) {
    keep_titles({{"baidu", {"百度话题"}},
                 {"weibo", {"旧微博话题"}},
                 {"zhihu", {"知乎话题"}},
                 {"douyin", {"抖音话题"}},
                 {"toutiao", {"头条话题"}},
                 {"bilibili", {"哔哩话题"}}},
                std::chrono::minutes(1));
    std::ofstream(settings.path() / kHistoryFileName) << std::string(8192, 'x');
    open_board();
    std::string text = status_text();
    EXPECT_NE(text.find("\n历史记录损坏，已移到 history.sqlite3.broken-"), std::string::npos) << text;
    size_t moved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(settings.path())) {
        moved += entry.path().filename().string().starts_with("history.sqlite3.broken-");
    }
    EXPECT_EQ(moved, 1u);
    EXPECT_EQ(list->topLevelItemCount(), 6);

    serve(BoardServers::six_boards());
    auto* source = board->findChild<QComboBox*>(QStringLiteral("热点榜_来源"));
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(source->count(), 7);
    source->setCurrentIndex(2);
    emit source->activated(2);
    EXPECT_EQ(titles(), std::vector<std::string>{"旧微博话题"});
    click(refresh);
    wait_for_fetch();
    EXPECT_EQ(titles(), (std::vector<std::string>{"泸定地震", "北京地铁新线开通"}));
    EXPECT_EQ(cells(*row("泸定地震")), (std::vector<std::string>{"1", "泸定地震", "120万", "微博", "新", "1", "新"}));
    EXPECT_EQ(first_arrivals().size(), 1u) << "a board's view asks that board alone";
    text = status_text();
    EXPECT_TRUE(text.starts_with("微博热搜 · 2 条 · ")) << text;
    History* history = &main_widget.history();
    const auto standings = history->board_standings("weibo");
    ASSERT_TRUE(standings.value);
    EXPECT_EQ(standings.value->entries.size(), 2u);
}

// The panel's runs are recorded as the window's fetches are, a single board's and 全网's,
// and the history's old rows are pruned while the window is idle.
TEST_F(HotBoardTest, ThePanelsFetchesAreRecordedAndOldRowsPruned) {
    serve(BoardServers::six_boards());
    {
        History history = History::open(settings.path(), [] { return std::chrono::system_clock::now(); });
        ASSERT_TRUE(history
                        .record_fetch("douyin", std::chrono::system_clock::now() - std::chrono::days(40),
                                      {{from_utf8("旧话题"), from_utf8("旧话题"), 1, {}}})
                        .ok());
    }
    main.set_checked(name::hot_topics_check, true);
    main.set_content(name::board_choice, from_utf8("微博热搜"));
    testing::internal::CaptureStderr();
    click(qobject_cast<QAbstractButton*>(main.widget(name::generate_button)));
    History& history = main_widget.history();
    auto weibo = history.board_standings("weibo");
    ASSERT_TRUE(weibo.value);
    ASSERT_EQ(weibo.value->entries.size(), 2u);
    EXPECT_EQ(to_utf8(weibo.value->entries[0].heat), "120万");
    EXPECT_EQ(weibo.value->entries[0].key, topic_key(from_utf8("泸定地震")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history.board_standings("douyin").value; }, 5000))
        << "the 40-day-old fetch was pruned";

    main.set_content(name::board_choice, from_utf8(kAllBoardsChoice));
    click(qobject_cast<QAbstractButton*>(main.widget(name::generate_button)));
    testing::internal::GetCapturedStderr();
    std::set<std::string> recorded;
    for (const BoardFetchStandings& board_standings : history.all_board_standings().value) {
        recorded.insert(board_standings.board);
    }
    EXPECT_EQ(recorded, (std::set<std::string>{"baidu", "weibo", "douyin", "toutiao", "bilibili"}));
}

}  // namespace
}  // namespace qinghe
