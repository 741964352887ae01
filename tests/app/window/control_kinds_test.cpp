// The window's controls as a keyboard user, a screen reader and a long list meet them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <memory>

#include "app/form/form.h"
#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "controls/names.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "titles/builtin.h"

namespace qinghe {
namespace {

class ControlsTest : public testing::Test {
protected:
    void SetUp() override {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget* widget(const Text& name) { return controls.widget(name); }
    QString accessible_name(QWidget* control) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
        return face ? face->text(QAccessible::Name) : QString();
    }

    WindowWidget window;
    QtWindow& controls = window.controls();
};

// The form's tab stops, in tab order.
std::vector<const form::ControlRow*> tab_stops() {
    std::vector<const form::ControlRow*> stops;
    for (const form::ControlRow& row : form::controls()) {
        if (row.tab_order > 0) stops.push_back(&row);
    }
    std::sort(stops.begin(), stops.end(), [](auto* a, auto* b) { return a->tab_order < b->tab_order; });
    return stops;
}

TEST_F(ControlsTest, TabWalksEveryStopInOrderAndWraps) {
    const auto stops = tab_stops();
    ASSERT_EQ(stops.size(), 22u + 13);  // the designed controls, then the writer's panel
    widget(from_utf8(stops.front()->name))->setFocus(Qt::TabFocusReason);
    for (size_t i = 1; i <= stops.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const char* expected = stops[i % stops.size()]->name;
        ASSERT_EQ(QApplication::focusWidget()->objectName(), QString::fromUtf8(expected)) << "after stop " << i;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromUtf8(stops.back()->name));
    EXPECT_EQ(controls.content(name::result_box), "") << "Tab typed nothing into the result box";
}

TEST_F(ControlsTest, EnterPressesTheFocusedButton) {
    // The window is not wired, so the link buttons open nothing.
    for (const Text* name : {&name::generate_button, &name::restore_button, &name::save_button, &name::download_link,
                             &name::media_link, &name::messenger_link}) {
        auto* button = qobject_cast<QAbstractButton*>(widget(*name));
        button->setFocus();
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(button, Qt::Key_Space);
        EXPECT_EQ(clicked.count(), 3) << to_utf8(*name);
        EXPECT_EQ(QApplication::focusWidget(), button) << to_utf8(*name);
    }
}

TEST_F(ControlsTest, ButtonsShowTheFocus) {
    EXPECT_EQ(QApplication::focusWidget(), widget(name::messenger_link)) << "the focus starts on the feedback button";
    // Edit boxes show it by their caret; every other control that takes the focus draws it.
    for (const Text* name : {&name::download_link, &name::media_link, &name::messenger_link, &name::generate_button,
                             &name::restore_button, &name::save_button, &name::hot_topics_check, &name::slot_radio_1,
                             &name::slot_radio_2, &name::slot_radio_3, &name::slot_radio_4}) {
        QWidget* button = widget(*name);
        widget(name::count_box)->setFocus();
        const QImage unfocused = button->grab().toImage();
        button->setFocus();
        EXPECT_NE(button->grab().toImage(), unfocused) << to_utf8(*name);
    }
}

TEST_F(ControlsTest, EveryFocusableControlHasAnAccessibleName) {
    int focusable = 0;
    for (auto* control : window.findChildren<QWidget*>()) {
        if (!(control->focusPolicy() & Qt::TabFocus)) continue;
        ++focusable;
        EXPECT_FALSE(accessible_name(control).isEmpty()) << control->objectName().toStdString();
    }
    EXPECT_EQ(focusable, 22 + 13);
    EXPECT_EQ(accessible_name(widget(name::prefix_box)), QStringLiteral("前缀：抓眼球"));
    EXPECT_EQ(accessible_name(widget(name::messenger_link)), QStringLiteral("反馈问题"));
    // A slot's radio button is announced by the slot's name, as the user renamed it.
    EXPECT_EQ(accessible_name(widget(name::slot_radio_2)), QStringLiteral("行业 1"));
    controls.set_content(name::slot_name_2, from_utf8("母婴"));
    EXPECT_EQ(accessible_name(widget(name::slot_radio_2)), QStringLiteral("母婴"));
    controls.set_content(name::slot_name_2, "");
    EXPECT_EQ(accessible_name(widget(name::slot_radio_2)), QStringLiteral("配置 2"));

    // The slot buttons are radio buttons, checked as shown; their toggle action selects as a click does.
    for (const Text* name : {&name::slot_radio_1, &name::slot_radio_2, &name::slot_radio_3, &name::slot_radio_4}) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget(*name));
        EXPECT_EQ(face->role(), QAccessible::RadioButton) << to_utf8(*name);
        EXPECT_EQ(face->state().checked, controls.checked(*name)) << to_utf8(*name);
    }
    QAccessible::queryAccessibleInterface(widget(name::slot_radio_3))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(controls.checked(name::slot_radio_3));
    EXPECT_FALSE(controls.checked(name::slot_radio_1));
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(widget(name::slot_radio_3))->state().checked);
}

TEST_F(ControlsTest, AnyEnterOrPastedSeparatorBreaksAListLine) {
    auto* prefix = qobject_cast<QPlainTextEdit*>(widget(name::prefix_box));
    prefix->setFocus();
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
          Qt::KeyboardModifiers(Qt::NoModifier)}) {
        controls.set_content(name::prefix_box, "AB");
        QTextCursor cursor = prefix->textCursor();
        cursor.setPosition(1);
        prefix->setTextCursor(cursor);
        QTest::keyClick(prefix, Qt::Key_Return, modifiers);
        EXPECT_EQ(controls.content(name::prefix_box), "A\r\nB") << modifiers;
    }
    controls.set_content(name::prefix_box, "");
    QGuiApplication::clipboard()->setText(QStringLiteral("X\u2028Y\u2029Z\r\nW"));
    prefix->paste();
    EXPECT_EQ(controls.content(name::prefix_box), "X\r\nY\r\nZ\r\nW");
}

TEST_F(ControlsTest, ContextMenuLeavesTheFocusColour) {
    wire_events(window);
    auto* prefix = qobject_cast<QPlainTextEdit*>(widget(name::prefix_box));
    prefix->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(prefix->palette().color(QPalette::Text), QColor(Qt::black));
    struct FocusOuts : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::FocusOut;
            return false;
        }
    } focus_outs;
    prefix->installEventFilter(&focus_outs);
    // A popup menu over the box takes the focus as the context menu does.
    QMenu menu(prefix);
    menu.addAction(QStringLiteral("Copy"));
    menu.popup(prefix->mapToGlobal(QPoint(10, 10)));
    QTest::qWait(20);
    ASSERT_EQ(QApplication::activePopupWidget(), &menu);
    EXPECT_EQ(focus_outs.count, 1) << "the box was told it lost the focus";
    EXPECT_EQ(prefix->palette().color(QPalette::Text), QColor(Qt::black));
    menu.close();
    QTest::qWait(20);
    EXPECT_EQ(prefix->palette().color(QPalette::Text), QColor(Qt::black));
    // A real move of the focus still dims the box.
    widget(name::count_box)->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(prefix->palette().color(QPalette::Text), QColor(0xC0, 0xC0, 0xC0));
}

TEST_F(ControlsTest, EscWithAModifierClosesTheWindow) {
    QSignalSpy destroyed(&window, &WindowWidget::about_to_be_destroyed);
    QWidget* prefix = widget(name::prefix_box);
    prefix->setFocus();
    QTest::keyClick(prefix, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(destroyed.count(), 1);
}

TEST_F(ControlsTest, UnfocusedBoxesHideTheirSelectionAndKeepIt) {
    auto* name_box = qobject_cast<QLineEdit*>(widget(name::slot_name_2));
    auto* prefix = qobject_cast<QPlainTextEdit*>(widget(name::prefix_box));
    QWidget* elsewhere = widget(name::generate_button);

    name_box->setFocus();
    name_box->setSelection(4, -3);  // "业 1" minus its end, selected backwards
    const QString selected = name_box->selectedText();
    elsewhere->setFocus();
    EXPECT_FALSE(name_box->hasSelectedText());
    name_box->setFocus();
    EXPECT_EQ(name_box->selectedText(), selected);
    EXPECT_EQ(name_box->cursorPosition(), 1);

    prefix->setFocus();
    QTextCursor cursor = prefix->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    prefix->setTextCursor(cursor);
    elsewhere->setFocus();
    EXPECT_FALSE(prefix->textCursor().hasSelection());
    prefix->setFocus();
    EXPECT_EQ(prefix->textCursor().selectionStart(), 2);
    EXPECT_EQ(prefix->textCursor().selectionEnd(), 7);

    // Hiding and showing the selection leaves the box scrolled where the user put it.
    QScrollBar* bar = prefix->verticalScrollBar();
    bar->setValue(bar->maximum());
    elsewhere->setFocus();
    EXPECT_EQ(bar->value(), bar->maximum());
    prefix->setFocus();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(prefix->textCursor().hasSelection());

    // Text replaced while unfocused: the old selection does not come back.
    prefix->setTextCursor(cursor);
    elsewhere->setFocus();
    controls.set_content(name::prefix_box, "new");
    prefix->setFocus();
    EXPECT_FALSE(prefix->textCursor().hasSelection());
}

TEST_F(ControlsTest, SingleLineBoxesHaveNoLengthLimit) {
    Text long_text;
    for (int i = 0; i < 40'000; ++i) long_text += from_utf8("标");
    for (const Text* name : {&name::punctuation_1, &name::slot_name_2, &name::count_box}) {
        controls.set_content(*name, long_text);
        EXPECT_EQ(controls.content(*name), long_text) << to_utf8(*name);
        widget(*name)->setFocus();
        QTest::keyClick(widget(*name), Qt::Key_End);
        QTest::keyClicks(widget(*name), QStringLiteral("x"));
        EXPECT_EQ(controls.content(*name), long_text + "x") << to_utf8(*name);
    }
}

// Program starts over one settings folder.
class RestartTest : public testing::Test {
protected:
    void start() {
        window = std::make_unique<WindowWidget>();
        window->services().set_settings_folder(folder.path());
        wire_events(*window);
    }
    void write(const char* file, const std::string& utf8) { std::ofstream(folder.path() / file) << to_text(utf8); }
    static Text to_text(const std::string& utf8) { return from_utf8(utf8); }
    QtWindow& controls() { return window->controls(); }

    TempFolder folder;
    std::unique_ptr<WindowWidget> window;
};

TEST_F(RestartTest, RadioButtonsLoadOneByOne) {
    write("config02.ini", "[编辑框]\r\n编辑框_前缀=三号前缀\r\n");
    for (const char* stored : {"单选框1=真\r\n单选框3=真\r\n", "单选框3=真\r\n"}) {
        write("config.ini", std::string("[单选框]\r\n") + stored);
        start();
        EXPECT_TRUE(controls().checked(name::slot_radio_1)) << stored;
        EXPECT_TRUE(controls().checked(name::slot_radio_3)) << stored;
        EXPECT_FALSE(controls().checked(name::slot_radio_2)) << stored;
        EXPECT_EQ(controls().content(name::prefix_box), from_utf8("三号前缀")) << "slot 3 loaded at start";
        window.reset();
    }
}

TEST_F(RestartTest, ArrowKeysMoveAroundTheSlotButtonsAndOnlySpaceLoads) {
    for (const char* file : {"config01.ini", "config02.ini", "config03.ini"}) {
        write(file, std::string("[编辑框]\r\n编辑框_前缀=") + file + "\r\n");
    }
    start();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    controls().set_content(name::prefix_box, from_utf8("未保存"));  // any load replaces it
    QWidget* radios[] = {controls().widget(name::slot_radio_1), controls().widget(name::slot_radio_2),
                         controls().widget(name::slot_radio_3), controls().widget(name::slot_radio_4)};
    radios[0]->setFocus();
    const std::pair<Qt::Key, int> moves[] = {
        {Qt::Key_Right, 1}, {Qt::Key_Down, 2}, {Qt::Key_Right, 3}, {Qt::Key_Down, 0}, {Qt::Key_Up, 3},
        {Qt::Key_Left, 2},  {Qt::Key_Up, 1},   {Qt::Key_Left, 0},  {Qt::Key_Left, 3}, {Qt::Key_Up, 2}};
    for (const auto& [key, landing] : moves) {
        QTest::keyClick(QApplication::focusWidget(), key);
        ASSERT_EQ(QApplication::focusWidget(), radios[landing]) << "key " << key << ", slot " << landing + 1;
    }
    EXPECT_TRUE(controls().checked(name::slot_radio_1));
    EXPECT_FALSE(controls().checked(name::slot_radio_3));
    EXPECT_EQ(controls().content(name::prefix_box), from_utf8("未保存")) << "no slot loaded by moving";
    QTest::keyClick(radios[2], Qt::Key_Space);
    EXPECT_EQ(controls().content(name::prefix_box), "config02.ini");
    EXPECT_TRUE(controls().checked(name::slot_radio_3));
    EXPECT_FALSE(controls().checked(name::slot_radio_1));
}

TEST_F(RestartTest, LongBoxesSurviveASaveAndARestart) {
    Text long_name, long_punctuation;
    for (int i = 0; i < 40'000; ++i) {
        long_name += from_utf8("业");
        long_punctuation += from_utf8("！");
    }
    start();
    controls().set_content(name::slot_name_2, long_name);
    controls().set_content(name::punctuation_1, long_punctuation);
    qobject_cast<QAbstractButton*>(controls().widget(name::save_button))->click();
    EXPECT_EQ(controls().content(name::punctuation_1), long_punctuation);
    window.reset();
    start();
    EXPECT_EQ(controls().content(name::slot_name_2), long_name);
    EXPECT_EQ(controls().content(name::punctuation_1), builtin_punctuation_1()) << "punctuation is never stored";
}

}  // namespace
}  // namespace qinghe
