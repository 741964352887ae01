#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>

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
