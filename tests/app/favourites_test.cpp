// 收藏与历史 on the real, wired window: the result box's stars and copies land in
// history.sqlite3 with where each headline came from, the window finds them after a
// restart, and every failure of the history keeps the program working.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>

#include "app/window/favourites_window.h"
#include "app/window/headline_table_model.h"
#include "app/window/qt_convert.h"
#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "config/ini_file.h"
#include "controls/names.h"
#include "history/history.h"
#include "hot/topic_cache.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

const QKeyCombination kStar(Qt::ControlModifier, Qt::Key_D);
const QKeyCombination kCopy(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_C);

// The rows of a CSV file (RFC 4180: quoted fields, doubled quotes, CR LF).
std::vector<QStringList> parse_csv(const QString& text) {
    std::vector<QStringList> rows(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"', ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            rows.back() << field, field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            rows.back() << field, field.clear(), ++i;
            rows.emplace_back();
        } else {
            field += c;
        }
    }
    if (rows.back().isEmpty() && field.isEmpty()) rows.pop_back();
    return rows;
}

class Favourites : public testing::Test {
protected:
    void SetUp() override { start(settings.path()); }
    void TearDown() override { main.reset(); }

    void start(const std::filesystem::path& folder) {
        main = std::make_unique<WindowWidget>();
        main->services().set_settings_folder(folder);
        wire_events(*main);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    // Closes the window as the writer does and starts the program again.
    void restart() {
        main->close();
        main.reset();
        start(settings.path());
    }
    QtWindow& controls() { return main->controls(); }
    QTextEdit& box() { return *qobject_cast<QTextEdit*>(controls().widget(name::result_box)); }
    void click(const Text& control) {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(controls().widget(control)), Qt::LeftButton);
    }
    std::vector<Text> lines() { return split_list(controls().content(name::result_box), kCrLf); }
    // A key on a line of the result box, the text cursor on it.
    void key_on_line(int line, QKeyCombination key) {
        QTextCursor cursor(box().document()->findBlockByNumber(line));
        box().setTextCursor(cursor);
        box().setFocus();
        QTest::keyClick(&box(), key.key(), key.keyboardModifiers());
    }
    QPoint point_of_line(int line) {
        return box().cursorRect(QTextCursor(box().document()->findBlockByNumber(line))).center();
    }
    // The last line of the status line: what the last action did.
    std::string note() { return to_utf8(split_list(controls().content(name::status_label), kCrLf).back()); }
    // The row of a headline as another program would read it from the file.
    std::optional<HeadlineRow> on_disk(TextView text) {
        History other = History::open(settings.path(), {});
        return other.headline_row(text).value;
    }
    FavouritesWindow& favourites() {
        click(name::favourites_button);
        auto* window = main->findChild<FavouritesWindow*>();
        EXPECT_TRUE(window && window->isVisible());
        return *window;
    }
    static std::vector<Text> texts(FavouritesWindow& window) {
        std::vector<Text> out;
        for (int row = 0; row < window.model().rowCount(); ++row) out.push_back(window.model().row_at(row).text);
        return out;
    }
    static void search(FavouritesWindow& window, const QString& text) {
        auto* box = window.findChild<QLineEdit*>(QStringLiteral("收藏历史_搜索"));
        box->clear();
        box->insert(text);  // as typed through an input method
        QTest::qWait(250);  // the search waits for the typing to pause
    }
    static void select_rows(FavouritesWindow& window, std::initializer_list<int> rows) {
        window.table().clearSelection();
        for (const int row : rows) {
            window.table().selectionModel()->select(window.model().index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    static QString status(FavouritesWindow& window) {
        return window.findChild<QLabel*>(QStringLiteral("收藏历史_状态"))->text();
    }

    TempFolder settings;
    std::unique_ptr<WindowWidget> main;
};

// Ctrl+D stars the line of the text cursor and Ctrl+Shift+C copies it, each on disk with
// its platform, keyword (headline i takes keyword i mod k), board and planted title
// before the note confirms it; the grey line above the headlines is not counted. A line
// edited by hand is recorded as it reads, without the run's origin. An open 收藏与历史
// follows along.
TEST_F(Favourites, TheResultBoxRecordsHeadlinesWithTheirOrigin) {
    const std::vector<Text> kept = {from_utf8("微博话题甲"), from_utf8("微博话题乙")};
    ASSERT_EQ(store_topics(settings.path(), "weibo", kept, std::chrono::system_clock::now()), "");
    main->services().set_connect_to({"weibo.com:443:127.0.0.1:9", "weibo.com:80:127.0.0.1:9"});
    controls().set_checked(name::hot_topics_check, true);
    controls().set_content(name::board_choice, from_utf8("微博热搜"));
    controls().set_content(name::keyword_box, from_utf8("新能源车|电池"));
    controls().set_content(name::platform_choice, from_utf8("今日头条"));
    controls().set_content(name::count_box, "4");
    testing::internal::CaptureStderr();
    click(name::generate_button);
    testing::internal::GetCapturedStderr();
    const std::vector<Text> run = lines();
    ASSERT_EQ(run.size(), 5u) << "a grey line, then four headlines";
    FavouritesWindow& window = favourites();
    ASSERT_EQ(window.model().rowCount(), 0);

    key_on_line(2, kStar);
    EXPECT_EQ(note(), "已收藏：" + to_utf8(run[2]));
    std::optional<HeadlineRow> starred = on_disk(run[2]);
    ASSERT_TRUE(starred);
    EXPECT_TRUE(starred->starred);
    EXPECT_EQ(starred->times_used, 0);
    EXPECT_EQ(to_utf8(starred->platform), "今日头条");
    EXPECT_EQ(to_utf8(starred->keyword), "电池");
    EXPECT_EQ(starred->board, "weibo");
    EXPECT_TRUE(starred->planted == kept[0] || starred->planted == kept[1]);
    EXPECT_TRUE(run[2].starts_with(starred->planted));
    EXPECT_EQ(window.model().rowCount(), 1) << "the open window follows";

    key_on_line(3, kCopy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), to_qstring(run[3]));
    EXPECT_EQ(note(), "已复制：" + to_utf8(run[3]));
    const std::optional<HeadlineRow> copied = on_disk(run[3]);
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->times_used, 1);
    EXPECT_FALSE(copied->starred);
    EXPECT_EQ(to_utf8(copied->keyword), "新能源车");
    EXPECT_EQ(copied->board, "weibo");

    // The star item of the menu on a line: its text, and "(off)" when greyed out.
    const auto star_item = [this](int line) {
        std::unique_ptr<QMenu> menu(main->result_menu().menu_at(point_of_line(line)));
        const QAction* star = menu->actions().at(menu->actions().size() - 2);
        return star->text() + (star->isEnabled() ? QString() : QStringLiteral("(off)"));
    };
    EXPECT_EQ(star_item(2), QStringLiteral("取消收藏"));
    EXPECT_EQ(star_item(3), QStringLiteral("收藏这一条"));
    EXPECT_EQ(star_item(0), QStringLiteral("收藏这一条(off)")) << "the grey line is no headline";
    key_on_line(2, kStar);
    EXPECT_EQ(note(), "已取消收藏：" + to_utf8(run[2]));
    EXPECT_FALSE(on_disk(run[2])->starred);

    QTextCursor edit(box().document()->findBlockByNumber(4));
    edit.insertText(QStringLiteral("改"));
    key_on_line(4, kCopy);
    const std::optional<HeadlineRow> edited = on_disk(from_utf8("改") + run[4]);
    ASSERT_TRUE(edited);
    EXPECT_TRUE(edited->platform.empty() && edited->keyword.empty() && edited->board.empty());
}

// The writer's day: a headline starred with Ctrl+D, the program closed and started
// again (避开用过的标题 kept in config.ini), 收藏与历史 opened on 收藏 with it, found by a
// word it holds (three characters through the index, two by a scan), deleted and
// brought back with Ctrl+Z.
TEST_F(Favourites, AStarredHeadlineIsFoundTheNextDayAndADeletionUndone) {
    controls().set_content(name::count_box, "2");
    click(name::generate_button);
    const Text headline = lines()[1];
    key_on_line(1, kStar);
    controls().set_checked(name::avoid_used_check, true);
    restart();
    EXPECT_TRUE(controls().checked(name::avoid_used_check));

    FavouritesWindow& window = favourites();
    EXPECT_EQ(window.findChild<QComboBox*>(QStringLiteral("收藏历史_范围"))->currentText(), QStringLiteral("收藏"));
    EXPECT_EQ(texts(window), std::vector<Text>{headline});
    EXPECT_EQ(status(window), QStringLiteral("收藏 1 · 用过 0"));
    const QString shown = to_qstring(headline);
    for (const QString& word : {shown.mid(2, 3), shown.mid(1, 2), shown.mid(0, 1)}) {
        search(window, word);
        EXPECT_EQ(texts(window), std::vector<Text>{headline}) << word.toStdString();
    }
    search(window, QStringLiteral("不会有的字眼"));
    EXPECT_EQ(window.model().rowCount(), 0);
    search(window, {});

    select_rows(window, {0});
    window.table().setFocus();
    QTest::keyClick(&window.table(), Qt::Key_Delete);
    EXPECT_EQ(window.model().rowCount(), 0);
    EXPECT_FALSE(on_disk(headline));
    QTest::keyClick(&window.table(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(texts(window), std::vector<Text>{headline});
    ASSERT_TRUE(on_disk(headline));
    EXPECT_TRUE(on_disk(headline)->starred);

    QTest::keyClick(&window.table(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    const std::string place =
        to_utf8(IniFile::load(settings.path() / "config.ini").value(from_utf8("收藏与历史"), from_utf8("位置")));
    EXPECT_NE(place, "") << "its place is kept";
}

// 避开用过的标题 on the wired window, from lists of six headlines: a run with the box
// unticked opens no history; with it ticked, a headline starred from the result box, one
// copied, and one recorded in another width and without its end mark never come back,
// after a restart too, and the status line counts them; a history that cannot be read
// leaves the run without them, and the status line says so.
TEST_F(Favourites, UsedHeadlinesNeverComeBackWithTheBoxTicked) {
    const auto small_lists = [this](const char* count) {
        controls().set_content(name::prefix_box, "A\r\nB\r\nC");
        controls().set_content(name::link_box, "x\r\ny");
        controls().set_content(name::suffix_box, "");
        controls().set_content(name::punctuation_1, "-");
        controls().set_content(name::punctuation_2, "!");
        controls().set_content(name::count_box, count);
    };
    small_lists("20");
    click(name::generate_button);
    EXPECT_FALSE(std::filesystem::exists(settings.path() / kHistoryFileName)) << "a plain run reads no history";
    std::vector<Text> run = lines();
    const Text starred = run[0];
    const auto other = std::find_if(run.begin(), run.end(), [&](const Text& line) { return line != starred; });
    ASSERT_NE(other, run.end());
    const Text copied = *other;
    key_on_line(0, kStar);
    key_on_line(static_cast<int>(other - run.begin()), kCopy);
    // A third one recorded in full width and without its "!".
    std::set<Text> kept_out = {starred, copied};
    const std::pair<const char*, const char*> recorded[] = {{"Ａ-ｘ", "A-x!"}, {"Ｂ-ｙ", "B-y!"}, {"Ｃ-ｘ", "C-x!"}};
    for (const auto& [full_width, headline] : recorded) {
        if (kept_out.size() == 3 || kept_out.contains(headline)) continue;
        ASSERT_TRUE(main->history().record_starred({from_utf8(full_width), {}, {}, {}, {}}).ok());
        kept_out.insert(headline);
    }

    controls().set_checked(name::avoid_used_check, true);
    for (int round = 0; round < 2; ++round) {
        small_lists("200");
        click(name::generate_button);
        run = lines();
        ASSERT_EQ(run.size(), 200u) << to_utf8(run.back());
        for (const Text& line : run) EXPECT_FALSE(kept_out.contains(line)) << to_utf8(line);
        const std::string status = to_utf8(split_list(controls().content(name::status_label), kCrLf).front());
        EXPECT_TRUE(status.ends_with(" · 避开用过 3")) << status;
        restart();
    }

    // Another program holds the history: the run goes on without it and says why.
    sql::Connection lock =
        sql::Connection::open((settings.path() / kHistoryFileName).string(), sql::OpenMode::read_write_create);
    ASSERT_TRUE(lock.execute("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE").ok());
    small_lists("200");
    click(name::generate_button);
    run = lines();
    EXPECT_EQ(run.size(), 200u);
    EXPECT_TRUE(std::any_of(run.begin(), run.end(), [&](const Text& line) { return kept_out.contains(line); }));
    EXPECT_TRUE(note().starts_with("避开用过的标题未生效（")) << note();
}

// Scope, sort, copy, star and export on rows the history already holds; the rows come a
// page at a time.
TEST_F(Favourites, TheWindowScopesSortsCopiesAndExports) {
    History& history = main->history();
    const auto use = [&history](const char* text, int copies, bool star) {
        const HeadlineUse headline{from_utf8(text), from_utf8("小红书"), from_utf8("电池"), "zhihu",
                                   from_utf8("知乎问题")};
        for (int i = 0; i < copies; ++i) EXPECT_TRUE(history.record_copied(headline).ok());
        EXPECT_TRUE(!star || history.record_starred(headline).ok());
    };
    use("新能源车的秘密", 3, true);
    use("电池, 你\"懂\"吗", 1, false);
    use("=SUM(A1)", 0, true);
    use("新能源汽车大事件", 2, false);
    use("ab测试", 1, false);

    FavouritesWindow& window = favourites();
    auto* scope = window.findChild<QComboBox*>(QStringLiteral("收藏历史_范围"));
    const std::pair<const char*, int> scopes[] = {{"收藏", 2}, {"用过的", 4}, {"全部", 5}};
    for (const auto& [name, rows] : scopes) {
        scope->setCurrentText(QString::fromUtf8(name));
        EXPECT_EQ(window.model().rowCount(), rows) << name;
    }
    const std::pair<const char*, int> searches[] = {{"新能", 2}, {"新能源", 2}, {"能源车", 1}, {"AB", 1}, {"懂", 1}};
    for (const auto& [word, rows] : searches) {
        search(window, QString::fromUtf8(word));
        EXPECT_EQ(window.model().rowCount(), rows) << word;
    }
    search(window, {});
    EXPECT_EQ(window.model().index(0, 3).data().toString(), QStringLiteral("知乎：知乎问题"));

    window.table().sortByColumn(4, Qt::DescendingOrder);
    std::vector<std::int64_t> uses;
    for (int row = 0; row < window.model().rowCount(); ++row) uses.push_back(window.model().row_at(row).times_used);
    EXPECT_EQ(uses, (std::vector<std::int64_t>{3, 2, 1, 1, 0}));
    window.table().sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(to_utf8(window.model().row_at(0).text), "=SUM(A1)");

    select_rows(window, {1, 2});
    window.table().setFocus();
    QTest::keyClick(&window.table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              to_qstring(window.model().row_at(1).text) + u'\n' + to_qstring(window.model().row_at(2).text));
    // 收藏 on rows that are not all starred stars them all; then it reads 取消收藏.
    auto* star = window.findChild<QAbstractButton*>(QStringLiteral("收藏历史_收藏"));
    ASSERT_EQ(star->text(), QStringLiteral("收藏"));
    star->click();
    EXPECT_EQ(star->text(), QStringLiteral("取消收藏"));
    EXPECT_EQ(status(window), QStringLiteral("收藏 4 · 用过 4"));

    TempFolder out;
    QString asked;
    // A name without a suffix takes the chosen type's.
    const auto export_to = [&](const QString& path, const QString& written) {
        window.set_export_chooser([&](QWidget*, const QString&, const QString& types, QString& type) {
            asked = types;
            type = QStringLiteral("CSV 文件 (*.csv)");
            return path;
        });
        window.export_rows();
        QFile file(written);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << written.toStdString();
        return file.readAll();
    };
    const QString folder = QString::fromStdString(out.path().string()) + u'/';
    const QByteArray text = export_to(folder + "two.txt", folder + "two.txt");
    EXPECT_EQ(asked, QStringLiteral("文本文件 (*.txt);;CSV 文件 (*.csv)"));
    EXPECT_EQ(QString::fromUtf8(text), QGuiApplication::clipboard()->text() + u'\n') << "the selected rows";

    window.table().clearSelection();
    const QByteArray csv = export_to(folder + "all", folder + "all.csv");
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const std::vector<QStringList> rows = parse_csv(QString::fromUtf8(csv.mid(3)));
    ASSERT_EQ(rows.size(), 6u) << "every row of the view with its header";
    EXPECT_EQ(rows[0].join(u'|'), QStringLiteral("标题|平台|关键词|热点|用过|最近"));
    EXPECT_EQ(rows[1].value(0), QStringLiteral("'=SUM(A1)")) << "no formula for a spreadsheet to run";
    EXPECT_EQ(rows[5].value(0), QStringLiteral("电池, 你\"懂\"吗"));
    EXPECT_EQ(rows[5].mid(1, 4).join(u'|'), QStringLiteral("小红书|电池|知乎：知乎问题|1"));
    EXPECT_TRUE(QDateTime::fromString(rows[5].value(5), QStringLiteral("yyyy-MM-dd HH:mm")).isValid());

    // Pages: the first 200 rows, the rest when the view scrolls to them.
    for (int i = 0; i < 250; ++i) history.record_copied({from_utf8("第" + std::to_string(i) + "条"), {}, {}, {}, {}});
    window.refresh();
    EXPECT_EQ(window.model().rowCount(), 200);
    window.table().scrollToBottom();
    QTest::qWait(50);
    EXPECT_EQ(window.model().rowCount(), 255);
}

// Every failure of the history at the window: the copy still happens, the program works,
// and the status lines say why.
TEST_F(Favourites, FailuresKeepTheProgramWorkingAndSaySo) {
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> before;  // before the program starts
        std::function<void(History&)> after;                       // once the history is open
        const char* says;                                          // on the main window's status line
        const char* window_says;                                   // on 收藏与历史's
        bool kept;                                                 // the copied headline is on disk
    };
    std::optional<sql::Connection> lock;
    const Case cases[] = {
        {"damaged", [](const std::filesystem::path& folder) { std::ofstream(folder / kHistoryFileName) << "junk"; },
         nullptr, "历史记录损坏，已移到 history.sqlite3.broken-", "收藏 0 · 用过 1　历史记录损坏", true},
        {"locked",
         [&lock](const std::filesystem::path& folder) {
             History::open(folder, {});
             lock = sql::Connection::open((folder / kHistoryFileName).string(), sql::OpenMode::read_write_create);
             ASSERT_TRUE(lock->execute("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE").ok());
         },
         nullptr, "历史记录被其他程序占用，本次不记录历史", "历史记录被其他程序占用", false},
        {"full disk", nullptr,
         [](History& history) {
             // A size limit stands in for the disk, filled up to it.
             sql::Query pages = history.database()->prepared("PRAGMA page_count");
             ASSERT_TRUE(pages->next());
             const std::string limit = "PRAGMA max_page_count = " + std::to_string(pages->integer(0));
             ASSERT_TRUE(history.database()->execute(limit).ok());
             for (int i = 0; history.record_copied({from_utf8("填满" + std::to_string(i)), {}, {}, {}, {}}).ok();) ++i;
         },
         "历史记录未能写入：磁盘已满", "收藏 0 · 用过 ", false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TempFolder folder;
        main.reset();
        if (test.before) test.before(folder.path());
        start(folder.path());
        if (test.after) test.after(main->history());
        controls().set_content(name::count_box, "2");
        click(name::generate_button);
        const Text headline = lines()[0];
        key_on_line(0, kCopy);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), to_qstring(headline)) << "the copy happens";
        const std::string said = to_utf8(controls().content(name::status_label));
        EXPECT_NE(said.find(test.says), std::string::npos) << said;
        EXPECT_EQ(said.find("已复制：") != std::string::npos, test.kept) << said;
        const QString window_said = status(favourites());
        EXPECT_TRUE(window_said.startsWith(QString::fromUtf8(test.window_says))) << window_said.toStdString();
        main.reset();
        lock.reset();
        EXPECT_EQ(History::open(folder.path(), {}).headline_row(headline).value.has_value(), test.kept);
    }
}

}  // namespace
}  // namespace qinghe
