// The generate button on the real window: result box, colours, clipboard.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolTip>

#include <QFile>
#include <map>
#include <set>

#include "app/window/control_kinds.h"
#include "app/window/qt_convert.h"
#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "controls/names.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "text/search.h"
#include "titles/builtin.h"
#include "titles/generator.h"
#include "titles/risk_words.h"
#include "titles/typesetting.h"

namespace qinghe {
namespace {

class GenerateTitles : public testing::Test {
protected:
    void SetUp() override {
        wire_events(window_widget);
        window_widget.services().set_tick_source([this] { return tick; });
        seed_accumulator() = 0;
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }
    void click_generate() {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(window.widget(name::generate_button)), Qt::LeftButton);
    }
    QTextDocument* result_document() { return qobject_cast<QTextEdit*>(window.widget(name::result_box))->document(); }
    std::vector<QColor> line_colours() {
        std::vector<QColor> colours;
        for (QTextBlock block = result_document()->begin(); block.isValid(); block = block.next()) {
            if (block.length() > 1) colours.push_back(block.begin().fragment().charFormat().foreground().color());
        }
        return colours;
    }

    WindowWidget window_widget;
    QtWindow& window = window_widget.controls();
    std::uint32_t tick = 5000;
};

TEST_F(GenerateTitles, TenHeadlinesFromTheBuiltInListsAlternateBlueAndGreen) {
    click_generate();
    const Text result = window.content(name::result_box);
    const std::vector<Text> lines = split_list(result, kCrLf);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(result.substr(result.size() - 2), "\r\n");
    const std::vector<Text> prefixes = split_list(builtin_prefix_list(), kCrLf);
    for (const Text& line : lines) {
        const bool known_prefix = std::any_of(prefixes.begin(), prefixes.end(), [&](const Text& p) {
            return line.compare(0, p.size() + 2, p + builtin_punctuation_1()) == 0;
        });
        EXPECT_TRUE(known_prefix) << to_utf8(line);
        EXPECT_EQ(line.substr(line.size() - 2), builtin_punctuation_3()) << to_utf8(line);
    }
    const std::vector<QColor> colours = line_colours();
    ASSERT_EQ(colours.size(), 10u);
    for (size_t i = 0; i < colours.size(); ++i) {
        EXPECT_EQ(colours[i], i % 2 == 0 ? QColor(30, 139, 195) : QColor(0, 128, 0)) << "line " << i + 1;
    }
    const QTextCharFormat format = result_document()->begin().begin().fragment().charFormat();
    EXPECT_EQ(format.fontPointSize(), 10.0);
    EXPECT_EQ(format.fontFamilies().toStringList().value(0), QStringLiteral("宋体"));
    EXPECT_FALSE(format.fontItalic() || format.fontUnderline() || format.fontStrikeOut() || format.font().bold());

    // What a user pastes elsewhere equals the box's lines, with the platform's line breaks.
    QString expected = to_qstring(result);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

TEST_F(GenerateTitles, ExactHeadlinesWithFixedTicks) {
    window.set_content(name::prefix_box, "P1\r\nP2\r\nP3");
    window.set_content(name::link_box, "L1\r\nL2\r\n");
    window.set_content(name::suffix_box, "S1\r\nS2\r\nS3\r\nS4\r\nS5");
    window.set_content(name::punctuation_1, ",");
    window.set_content(name::punctuation_2, ",");
    window.set_content(name::punctuation_3, "!");
    window.set_content(name::count_box, "3");
    tick = 1000;
    click_generate();
    EXPECT_EQ(window.content(name::result_box), "P2,L1,S5!\r\nP1,L1,S4!\r\nP2,L2,S4!\r\nP2,L2,S2!\r\n");
}

TEST_F(GenerateTitles, EntriesAreTextNotMarkup) {
    window.set_content(name::prefix_box, from_utf8("<b>粗体</b> &amp;"));
    window.set_content(name::link_box, from_utf8("😀链接"));
    window.set_content(name::suffix_box, "");
    window.set_content(name::count_box, "1");
    click_generate();
    const Text line = from_utf8("<b>粗体</b> &amp;，😀链接，");
    EXPECT_EQ(window.content(name::result_box), line + "\r\n" + line + "\r\n");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("<b>粗体</b> &amp;，😀链接，\n").repeated(2));
}

TEST_F(GenerateTitles, NoHeadlinesStillCopiesTheEmptyResult) {
    for (const char* count : {"0", "-2", "", "abc"}) {
        window.set_content(name::result_box, "old");
        window.set_content(name::count_box, count);
        click_generate();
        EXPECT_EQ(window.content(name::result_box), "") << count;
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString()) << count;
    }
}

TEST_F(GenerateTitles, EmptyPrefixListProducesNothing) {
    window.set_content(name::prefix_box, "");
    click_generate();
    EXPECT_EQ(window.content(name::result_box), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
}

TEST_F(GenerateTitles, CountAboveTheCapMakesTheCap) {
    window.set_content(name::count_box, "99999999999");
    click_generate();
    EXPECT_EQ(result_document()->blockCount(), kMaxHeadlines + 1);  // the last block is empty
    // A second run replaces the first one's document.
    window.set_content(name::count_box, "2");
    click_generate();
    EXPECT_EQ(split_list(window.content(name::result_box), kCrLf).size(), 2u);
}

TEST_F(GenerateTitles, OneLineAppendMatchesTheBatch) {
    window.set_content(name::result_box, "");
    append_result_line(window, "first", kFirstLineColour);
    append_result_line(window, "second", kSecondLineColour);
    EXPECT_EQ(window.content(name::result_box), "first\r\nsecond\r\n");
    EXPECT_EQ(line_colours(), (std::vector<QColor>{QColor(30, 139, 195), QColor(0, 128, 0)}));
}

TEST_F(GenerateTitles, WriterOptionsFillBlanksKeepTheRangeAndReport) {
    window.set_content(name::keyword_box, from_utf8("新能源车"));
    window.set_content(name::platform_choice, from_utf8("今日头条"));
    window.set_content(name::count_box, "20");
    click_generate();
    const std::vector<Text> lines = split_list(window.content(name::result_box), kCrLf);
    ASSERT_EQ(lines.size(), 20u);
    int shortest = 99, longest = 0;
    for (const Text& line : lines) {
        EXPECT_EQ(line.find("__"), Text::npos);
        const int length = static_cast<int>(to_qstring(line).toUcs4().size());  // no emoji in the built-in lists
        shortest = std::min(shortest, length), longest = std::max(longest, length);
    }
    EXPECT_GE(shortest, 5);
    EXPECT_LE(longest, 30);
    EXPECT_EQ(to_utf8(window.content(name::status_label)),
              "20 条 · " + std::to_string(shortest) + "–" + std::to_string(longest) + " 字 · 今日头条 5–30");
}

// Keyword and platform set the headlines for publishing: the keyword, which only Chinese
// characters and full-width marks stand beside in the built-in lists, has no space beside
// it, and the headlines hold no doubled mark.
TEST_F(GenerateTitles, KeywordAndPlatformSetTheHeadlinesForPublishing) {
    window.set_content(name::keyword_box, from_utf8("新能源车"));
    window.set_content(name::platform_choice, from_utf8("今日头条"));
    window.set_content(name::count_box, "200");
    click_generate();
    const std::vector<Text> lines = split_list(window.content(name::result_box), kCrLf);
    ASSERT_EQ(lines.size(), 200u);
    const Text keyword = from_utf8("新能源车");
    size_t keywords = 0;
    for (const Text& line : lines) {
        for (size_t at = find_offset(line, keyword); at != Text::npos; at = find_offset(line, keyword, at + 1)) {
            ++keywords;
            EXPECT_FALSE(at > 0 && line[at - 1] == ' ') << to_utf8(line);
            EXPECT_FALSE(at + keyword.size() < line.size() && line[at + keyword.size()] == ' ') << to_utf8(line);
        }
        for (const char* doubled : {"！！", "，，", "？？", "！，", "？，"}) {
            EXPECT_EQ(find_offset(line, from_utf8(doubled)), Text::npos) << to_utf8(line);
        }
    }
    EXPECT_GT(keywords, 50u);
}

// With 今日头条 the run keeps to phrases that fit: it may stop short, and then says so.
TEST_F(GenerateTitles, NoRepeatWithTheBuiltInListsDrawsNoLinkTwiceInTwoHundred) {
    window.set_content(name::count_box, "200");
    window.set_checked(name::no_repeat_check, true);
    const std::vector<Text> links = split_list(builtin_link_list(), kCrLf);
    for (const char* platform : {"不限", "今日头条"}) {
        window.set_content(name::platform_choice, from_utf8(platform));
        click_generate();  // the clock stands still
        const std::vector<Text> lines = split_list(window.content(name::result_box), kCrLf);
        // Within 今日头条's 5–30 characters too: no grey line.
        ASSERT_EQ(lines.size(), 200u) << platform << " " << to_utf8(lines.back());
        EXPECT_NE(line_colours().back(), QColor(128, 128, 128));
        EXPECT_EQ(std::set<Text>(lines.begin(), lines.end()).size(), lines.size());
        // With 今日头条 the headlines are set: a link stands as set, and the first mark goes
        // after a prefix's "！".
        const TypesetMode mode{.house_style = std::string(platform) == "今日头条"};
        const Text exclamation = from_utf8("！");
        std::map<Text, int> uses;
        for (const Text& line : lines) {
            // The link stands between two punctuation marks (a prefix may hold one too);
            // the longest link found so is the one.
            const Text* link = nullptr;
            for (const Text& candidate : links) {
                const Text set = set_headline(candidate + builtin_punctuation_2(), {}, mode);
                for (size_t at = line.find(set); at != Text::npos; at = line.find(set, at + 1)) {
                    const TextView before = TextView(line).substr(0, at);
                    const bool between = before.ends_with(builtin_punctuation_1()) || before.ends_with(exclamation);
                    if (between && (!link || candidate.size() > link->size())) link = &candidate;
                }
            }
            ASSERT_NE(link, nullptr) << to_utf8(line);
            EXPECT_EQ(++uses[*link], 1) << platform << " " << to_utf8(*link);
        }
    }
}

TEST_F(GenerateTitles, AShortRunSaysWhyAndLeavesItsReasonOutOfClipboardAndExport) {
    window.set_content(name::prefix_box, "A\r\nB");
    window.set_content(name::link_box, "x\r\ny");
    window.set_content(name::suffix_box, "");
    window.set_content(name::punctuation_1, "-");
    window.set_content(name::punctuation_2, "");
    window.set_content(name::count_box, "6");
    window.set_checked(name::no_repeat_check, true);
    click_generate();
    const std::vector<Text> lines = split_list(window.content(name::result_box), kCrLf);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(std::set<Text>(lines.begin(), lines.begin() + 4).size(), 4u);
    EXPECT_EQ(line_colours().back(), QColor(128, 128, 128)) << to_utf8(lines.back());
    const QString headlines = QGuiApplication::clipboard()->text();
    EXPECT_EQ(headlines.count(QLatin1Char('\n')), 4) << headlines.toStdString();
    EXPECT_TRUE(to_utf8(window.content(name::status_label)).starts_with("4 条 · 3 字"));

    TempFolder folder;
    const QString path = QString::fromStdString((folder.path() / "out.txt").string());
    window_widget.result_menu().set_path_chooser([&path](QWidget*, const QString&) { return path; });
    window_widget.result_menu().export_all();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), headlines);

    auto* box = qobject_cast<QTextEdit*>(window.widget(name::result_box));
    const QRect second_line = box->cursorRect(QTextCursor(result_document()->findBlockByNumber(1)));
    window_widget.result_menu().copy_headline_at(second_line.center());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), to_qstring(lines[1]));
    // The copy is confirmed under the run's line, which stays.
    const Text run_line = split_list(window.content(name::status_label), kCrLf).front();
    EXPECT_TRUE(to_utf8(run_line).starts_with("4 条 · 3 字"));
    window_widget.result_menu().copy_headline_at(second_line.center());
    EXPECT_EQ(window.content(name::status_label), run_line + "\r\n" + from_utf8("已复制：") + lines[1]);
}

// 标题体检 仅标注 with 微信公众号, from the built-in lists: every headline opening with a
// fake notice or a pressure to delete is marked 高风险 with a red wave and a tooltip, 最近才知道
// (added to them) is not marked, and the text, its colours and the clipboard are what
// "关闭" gives.
TEST_F(GenerateTitles, MarkingUnderlinesRiskyWordsAndChangesNothingElse) {
    window.set_content(name::prefix_box, builtin_prefix_list() + from_utf8("\r\n最近才知道"));
    window.set_content(name::count_box, "600");
    window.set_content(name::platform_choice, from_utf8("微信公众号"));
    const auto run = [&](const char* mode) {
        window.set_content(name::risk_choice, from_utf8(mode));
        seed_accumulator() = 0;
        std::uint32_t clock = 0;
        window_widget.services().set_tick_source([&clock] { return clock += 3; });
        click_generate();
        return QGuiApplication::clipboard()->text();
    };
    const QString plain = run("关闭");
    const std::vector<QColor> plain_colours = line_colours();
    const QString plain_document = result_document()->toHtml();
    const QString marked = run("仅标注");
    EXPECT_EQ(marked, plain);
    EXPECT_EQ(line_colours(), plain_colours);
    EXPECT_EQ(result_document()->toHtml(), plain_document) << "the marks stay out of the text's formats";
    EXPECT_NE(to_utf8(window.content(name::status_label)).find("高风险 "), std::string::npos);

    int notices = 0, recent = 0;
    const WaveMarks& marks = dynamic_cast<ResultEdit*>(window.widget(name::result_box))->marks();
    for (QTextBlock block = result_document()->begin(); block.isValid(); block = block.next()) {
        const WaveMarks::Mark* first = marks.at(block.position());
        const bool waved = first != nullptr;
        if (block.text().startsWith(QStringLiteral("紧急通知")) ||
            block.text().startsWith(QStringLiteral("速看，马上删除"))) {
            ++notices;
            ASSERT_TRUE(waved) << block.text().toStdString();
            EXPECT_EQ(QColor::fromRgba(first->colour), QColor(220, 0, 0));
            EXPECT_TRUE(marks.tooltip(*first).startsWith(QStringLiteral("高风险 · ")))
                << marks.tooltip(*first).toStdString();
        } else if (block.text().startsWith(QStringLiteral("最近才知道"))) {
            ++recent;
            EXPECT_FALSE(waved) << block.text().toStdString();
        }
    }
    EXPECT_GT(notices, 0);
    EXPECT_GT(recent, 0);

    // Hovering a marked word shows its tooltip.
    auto* box = qobject_cast<QTextEdit*>(window.widget(name::result_box));
    window_widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_widget));
    for (QTextBlock block = result_document()->begin(); block.isValid(); block = block.next()) {
        if (!block.text().startsWith(QStringLiteral("紧急通知"))) continue;
        box->setTextCursor(QTextCursor(block));
        box->ensureCursorVisible();
        QTextCursor inside(block);
        inside.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 2);
        const QPoint point = box->cursorRect(inside).center();
        QHelpEvent hover(QEvent::ToolTip, point, box->viewport()->mapToGlobal(point));
        QApplication::sendEvent(box->viewport(), &hover);
        EXPECT_TRUE(QToolTip::isVisible());
        EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("混淆官方"))) << QToolTip::text().toStdString();
        break;
    }
}

// 标注并避开 with 微信公众号: 200 headlines from the built-in lists, none holding a 高风险 word
// that applies there (or the grey line says why), the 提示 words still marked.
TEST_F(GenerateTitles, AvoidingMakesNoHeadlineWithAHighRiskWordForThePlatform) {
    window.set_content(name::count_box, "200");
    window.set_content(name::platform_choice, from_utf8("微信公众号"));
    window.set_content(name::risk_choice, from_utf8("标注并避开"));
    click_generate();
    const std::vector<Text> lines = split_list(window.content(name::result_box), kCrLf);
    const RiskChecker checker;
    const Platform* platform = find_platform(from_utf8("微信公众号"));
    size_t headlines = 0;
    for (const Text& line : lines) {
        if (line.starts_with(from_utf8("只生成了")) || line.starts_with(from_utf8("只有"))) continue;
        ++headlines;
        EXPECT_EQ(checker.blocking_word(line, platform), "") << to_utf8(line);
    }
    EXPECT_EQ(headlines, 200u) << to_utf8(lines.back());
    const std::string status = to_utf8(window.content(name::status_label));
    EXPECT_EQ(status.find("高风险"), std::string::npos) << status;
    EXPECT_NE(status.find("提示 "), std::string::npos) << status;
}

}  // namespace
}  // namespace qinghe
