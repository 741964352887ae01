#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <functional>

#include "app/window/control_kinds.h"
#include "app/window/qt_convert.h"
#include "app/window/window_widget.h"
#include "controls/names.h"
#include "text/codec.h"

namespace qinghe {
namespace {

class QtWindowTest : public testing::Test {
protected:
    WindowWidget window_widget;
    QtWindow& window = window_widget.controls();
};

TEST_F(QtWindowTest, EditContentRoundTripsByteForByte) {
    const Text samples[] = {
        "",
        "A",
        "A\r\nB\r\nC",
        "A\r\n\r\nB",        // an empty line
        "A\r\nB\r\n",        // a trailing line break
        "\r\n\r\n",          // only line breaks
        "\r\nA",             // a leading line break
        " lead and trail ",  // spaces are content
        from_utf8("标题😀𠀀\u00A0nbsp\u2028line sep€ǹ"),
        from_utf8("<b>粗体</b> &amp; \"quoted\"\t tab"),
    };
    for (const Text& name : {name::prefix_box, name::punctuation_1, name::count_box, name::slot_name_2}) {
        for (const Text& sample : samples) {
            // Single-line boxes hold line breaks too; what comes in goes out.
            window.set_content(name, sample);
            EXPECT_EQ(window.content(name), sample) << to_utf8(name) << ": " << to_utf8(sample);
        }
    }
}

TEST_F(QtWindowTest, ListBoxShowsOneEntryPerLine) {
    window.set_content(name::prefix_box, "A\r\n\r\nB\r\n");
    auto* box = qobject_cast<QPlainTextEdit*>(window.widget(name::prefix_box));
    EXPECT_EQ(box->document()->blockCount(), 4);
    EXPECT_EQ(box->document()->findBlockByNumber(2).text(), QStringLiteral("B"));
}

TEST_F(QtWindowTest, LargeListRoundTrips) {
    Text list;
    for (int i = 0; i < 5000; ++i) list += from_utf8("很长的列表第") + std::to_string(i) + "\r\n";
    window.set_content(name::link_box, list);
    EXPECT_EQ(window.content(name::link_box), list);
}

TEST_F(QtWindowTest, TextColour) {
    window.set_text_colour(name::prefix_box, 0x000000);
    EXPECT_EQ(window.widget(name::prefix_box)->palette().color(QPalette::Text), QColor(Qt::black));
    window.set_text_colour(name::prefix_box, rgb(30, 139, 195));
    EXPECT_EQ(window.widget(name::prefix_box)->palette().color(QPalette::Text), QColor(30, 139, 195));
    EXPECT_EQ(window.widget(name::link_box)->palette().color(QPalette::Text), QColor(0xC0, 0xC0, 0xC0));
}

TEST_F(QtWindowTest, CheckedStates) {
    const Text* radios[] = {&name::slot_radio_1, &name::slot_radio_2, &name::slot_radio_3, &name::slot_radio_4};
    const auto checked_radios = [&] {
        std::string states;
        for (const Text* radio : radios) states += window.checked(*radio) ? '1' : '0';
        return states;
    };
    window.set_checked(name::hot_topics_check, true);
    EXPECT_TRUE(window.checked(name::hot_topics_check));
    // Set one by one, as stored settings load: one radio button does not change another.
    window.set_checked(name::slot_radio_3, true);
    EXPECT_EQ(checked_radios(), "1010");
    // A click checks its radio button and unchecks every other, however many were
    // checked; clicking it again keeps it checked.
    auto* radio_4 = qobject_cast<QAbstractButton*>(window.widget(name::slot_radio_4));
    radio_4->click();
    EXPECT_EQ(checked_radios(), "0001");
    radio_4->click();
    EXPECT_EQ(checked_radios(), "0001");
    window.set_checked(name::slot_radio_4, false);
    EXPECT_EQ(checked_radios(), "0000");
    EXPECT_FALSE(window.checked(name::prefix_box)) << "not a check box";
}

TEST_F(QtWindowTest, RichTextAppendsWithFormat) {
    const Text result = name::result_box;
    window.set_content(result, "old");
    window.set_content(result, "");
    CharFormat format{.face = from_utf8("宋体"), .size_twips = 200, .colour = rgb(30, 139, 195)};
    window.set_selection_start(result, -1);
    window.set_selection_format(result, format);
    window.replace_selection(result, from_utf8("<b>第一行</b> &amp;\r\n"));
    format.colour = rgb(0, 128, 0);
    window.set_selection_start(result, 1 << 30);
    window.set_selection_format(result, format);
    window.replace_selection(result, "second\r\n");
    EXPECT_EQ(window.content(result), from_utf8("<b>第一行</b> &amp;\r\nsecond\r\n"));

    auto* box = qobject_cast<QTextEdit*>(window.widget(result));
    const QTextBlock first = box->document()->firstBlock();
    const QTextCharFormat first_format = first.begin().fragment().charFormat();
    EXPECT_EQ(first_format.foreground().color(), QColor(30, 139, 195));
    EXPECT_EQ(first_format.fontPointSize(), 10.0);
    EXPECT_EQ(first_format.fontFamilies().toStringList().value(0), QStringLiteral("宋体"));
    EXPECT_FALSE(first_format.font().bold());
    EXPECT_EQ(first.next().begin().fragment().charFormat().foreground().color(), QColor(0, 128, 0));
}

// Marks kept beside the document look as the same stretches did with a wave underline in
// their character format, drawn by Qt in a box beside the marked one: wrapped, scrolled,
// under a selection, and after edits.
TEST_F(QtWindowTest, MarksLookAsWaveUnderlinedText) {
    const Text tooltip = from_utf8("高风险 · 混淆官方");
    const Text texts[] = {
        from_utf8("紧急通知，速看这一条"), from_utf8("没有标记的一行"),
        from_utf8("很长的一行会在结果框里折到下一行去，标记正好跨过折行的地方，看看两段是否都画出来了")};
    const LineMark first[] = {{0, 8, rgb(220, 0, 0), tooltip}, {10, 14, rgb(255, 140, 0), tooltip}};
    const LineMark wrapped[] = {{48, 82, rgb(220, 0, 0), tooltip}};
    // A character of four bytes (two UTF-16 units) before a mark.
    const Text emoji = from_utf8("😀紧急通知");
    const LineMark after_emoji[] = {{4, 12, rgb(220, 0, 0), tooltip}};
    std::vector<ColouredLine> lines{{emoji, rgb(30, 139, 195), after_emoji}};
    for (int i = 0; i < 15; ++i) {
        const Colour colour = i % 2 == 0 ? rgb(30, 139, 195) : rgb(0, 128, 0);
        lines.push_back({texts[0], colour, first});
        lines.push_back({texts[1], colour});
        lines.push_back({texts[2], colour, wrapped});
    }
    const CharFormat format{.face = from_utf8("宋体"), .size_twips = 200, .colour = rgb(30, 139, 195)};
    // Into the empty box, then after what it holds.
    window.append_lines(name::result_box, format, std::span(lines).first(4));
    window.append_lines(name::result_box, format, std::span(lines).subspan(4));

    // The same lines in a second window's box, the marks as character formats.
    WindowWidget reference_widget;
    auto* reference = qobject_cast<QTextEdit*>(reference_widget.controls().widget(name::result_box));
    QTextCursor cursor(reference->document());
    for (const ColouredLine& line : lines) {
        QTextCharFormat plain = to_qt_format(format);
        plain.setForeground(to_qcolor(line.colour));
        size_t at = 0;
        for (const LineMark& mark : line.marks) {
            cursor.insertText(to_qstring(line.text.substr(at, mark.begin - at)), plain);
            QTextCharFormat waved = plain;
            waved.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            waved.setUnderlineColor(to_qcolor(mark.colour));
            cursor.insertText(to_qstring(line.text.substr(mark.begin, mark.end - mark.begin)), waved);
            at = mark.end;
        }
        cursor.insertText(to_qstring(line.text.substr(at)) + QLatin1Char('\n'), plain);
    }
    window_widget.show();
    reference_widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_widget) && QTest::qWaitForWindowExposed(&reference_widget));
    auto* box = qobject_cast<QTextEdit*>(window.widget(name::result_box));
    const auto differing_pixels = [&] {
        QApplication::processEvents();
        const QImage marked = box->viewport()->grab().toImage();
        const QImage expected = reference->viewport()->grab().toImage();
        if (marked.size() != expected.size()) return -1;
        int differing = 0;
        for (int y = 0; y < marked.height(); ++y) {
            for (int x = 0; x < marked.width(); ++x) differing += marked.pixel(x, y) != expected.pixel(x, y);
        }
        return differing;
    };
    // Both boxes alike: select, scroll, edit.
    const auto in_both = [&](const std::function<void(QTextEdit&)>& act) {
        act(*box);
        act(*reference);
    };
    in_both([](QTextEdit& edit) { edit.verticalScrollBar()->setValue(0); });
    EXPECT_EQ(differing_pixels(), 0);
    in_both([](QTextEdit& edit) {
        QTextCursor selection(edit.document());
        selection.setPosition(2);
        selection.setPosition(40, QTextCursor::KeepAnchor);
        edit.setTextCursor(selection);
    });
    EXPECT_EQ(differing_pixels(), 0) << "under a selection";
    in_both([](QTextEdit& edit) {
        edit.document()->documentLayout()->documentSize();  // laid out to the end, so both scroll alike
        QApplication::processEvents();
        edit.verticalScrollBar()->setValue(97);
    });
    EXPECT_EQ(differing_pixels(), 0) << "scrolled";
    in_both([](QTextEdit& edit) {
        QTextCursor cursor = edit.cursorForPosition(QPoint(10, 10));
        cursor.movePosition(QTextCursor::StartOfBlock);
        cursor.insertText(QStringLiteral("前面"));  // before a line's marks
        cursor.movePosition(QTextCursor::NextBlock);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 2);
        cursor.insertText(QStringLiteral("插入"));  // inside a mark, which takes it in
        cursor.movePosition(QTextCursor::NextBlock);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 6);
        cursor.removeSelectedText();  // a mark with it
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 2);
        cursor.removeSelectedText();  // lines joined
    });
    EXPECT_EQ(differing_pixels(), 0) << "edited";
    // Text set anew has no marks.
    window.set_content(name::result_box, texts[0]);
    EXPECT_EQ(dynamic_cast<ResultEdit&>(*box).marks().at(0), nullptr);
}

TEST_F(QtWindowTest, ReplaceSelectionAtAPosition) {
    const Text result = name::result_box;
    window.set_content(result, "abcd");
    window.set_selection_start(result, 2);
    window.replace_selection(result, "XY");
    EXPECT_EQ(window.content(result), "abXYcd");
}

TEST_F(QtWindowTest, UnknownNamesDoNothing) {
    const Text nobody = from_utf8("不存在");
    window.set_content(nobody, "x");
    window.set_checked(nobody, true);
    window.set_text_colour(nobody, 0);
    window.replace_selection(name::prefix_box, "x");  // not a rich-text box
    EXPECT_EQ(window.content(nobody), "");
    EXPECT_FALSE(window.checked(nobody));
    EXPECT_EQ(window.widget(nobody), nullptr);
}

}  // namespace
}  // namespace qinghe
