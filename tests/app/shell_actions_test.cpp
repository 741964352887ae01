#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDesktopServices>
#include <QTest>
#include <QUrl>

#include "app/form/links.h"
#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "controls/names.h"
#include "text/codec.h"
#include "titles/builtin.h"

namespace qinghe {

// Stands in for the desktop's URL handlers and keeps what they were handed.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

namespace {

class ShellActions : public testing::Test {
protected:
    void SetUp() override {
        wire_events(window_widget);
        window_widget.show();
        window_widget.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_widget));
    }
    QColor text_colour(const Text& name) { return window.widget(name)->palette().color(QPalette::Text); }
    void click(const Text& name) {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(window.widget(name)), Qt::LeftButton, {}, QPoint(4, 4));
    }

    WindowWidget window_widget;
    QtWindow& window = window_widget.controls();
    const QColor black{Qt::black}, silver{0xC0, 0xC0, 0xC0};
};

TEST_F(ShellActions, FocusHighlightsOnlyTheListBoxThatHasIt) {
    window.widget(name::prefix_box)->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(text_colour(name::prefix_box), black);
    EXPECT_EQ(text_colour(name::link_box), silver);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // to the punctuation box
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // to the link box
    EXPECT_EQ(text_colour(name::prefix_box), silver);
    EXPECT_EQ(text_colour(name::link_box), black);
    window.widget(name::count_box)->setFocus(Qt::MouseFocusReason);
    for (const Text* box : {&name::prefix_box, &name::link_box, &name::suffix_box})
        EXPECT_EQ(text_colour(*box), silver);
    EXPECT_EQ(text_colour(name::punctuation_1), silver);
    window.widget(name::suffix_box)->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(text_colour(name::suffix_box), black);
}

TEST_F(ShellActions, HotTopicBoxResetsThePrefixListWhenUnticked) {
    window.set_content(name::prefix_box, "mine");
    click(name::hot_topics_check);
    ASSERT_TRUE(window.checked(name::hot_topics_check));
    EXPECT_EQ(window.content(name::prefix_box), "mine");
    click(name::hot_topics_check);
    EXPECT_EQ(window.content(name::prefix_box), builtin_prefix_list());
}

TEST_F(ShellActions, LinkButtonsHandTheirAddressesToTheDesktop) {
    UrlCatcher catcher;
    for (const char* scheme : {"http", "https", "tencent"}) QDesktopServices::setUrlHandler(scheme, &catcher, "open");
    click(name::download_link);
    click(name::media_link);
    click(name::messenger_link);
    for (const char* scheme : {"http", "https", "tencent"}) QDesktopServices::unsetUrlHandler(scheme);
    ASSERT_EQ(catcher.urls.size(), 3);
    EXPECT_EQ(catcher.urls[0].scheme(), "https");
    EXPECT_EQ(catcher.urls[0].path(), "/software/showdownload.php");
    EXPECT_EQ(catcher.urls[0].query(), "lang=cn&id=17");
    EXPECT_EQ(catcher.urls[1].scheme(), "http");
    EXPECT_EQ(catcher.urls[1].path(), "/");
    EXPECT_EQ(catcher.urls[1].query(), "mkt");
    EXPECT_EQ(catcher.urls[2].toString(), QString::fromUtf8(kMessengerLink));
    EXPECT_TRUE(catcher.urls[2].toString().startsWith("tencent://message/?uin=" + QString::fromUtf8(kContactNumber) +
                                                      "&Site=https://"));
    EXPECT_TRUE(catcher.urls[2].toString().endsWith("&Menu=yes"));
}

}  // namespace
}  // namespace qinghe

#include "shell_actions_test.moc"
