// The window as built, checked against the control table written out independently here.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include "app/window/control_kinds.h"
#include "app/window/window_widget.h"
#include "text/codec.h"
#include "titles/builtin.h"

namespace qinghe {
namespace {

struct Row {
    const char* name;
    ControlKind kind;
    int left, top, width, height;
    const char* caption;  // nullptr: a built-in value, checked elsewhere
};

using enum ControlKind;
const Row kTable[] = {
    {"超级按钮3", PictureButton, 457, 443, 77, 22, ""},
    {"超级按钮2", PictureButton, 440, 474, 110, 27, "自助服务系统"},
    {"选择框_百度实时热点", CheckBox, 22, 408, 136, 16, "植入实时热点"},
    {"透明标签3", TransparentLabel, 363, 5, 128, 40, "后缀：结果 (可空)"},
    {"透明标签2", TransparentLabel, 187, 5, 128, 40, "衔接:事件/动作要求"},
    {"透明标签1", TransparentLabel, 19, 5, 128, 40, "前缀：抓眼球"},
    {"编辑框_标点3", EditBox, 523, 109, 24, 24, "！"},
    {"编辑框_标点2", EditBox, 332, 109, 24, 24, "，"},
    {"编辑框_标点1", EditBox, 153, 109, 24, 24, "，"},
    {"按钮_保存配置", PushButton, 92, 474, 64, 32, "保存配置"},
    {"编辑框3", EditBox, 478, 405, 53, 24, "行业 3"},
    {"单选框4", RadioButton, 459, 405, 75, 24, ""},
    {"编辑框2", EditBox, 383, 405, 53, 24, "行业 2"},
    {"单选框3", RadioButton, 364, 405, 75, 24, ""},
    {"编辑框1", EditBox, 288, 405, 54, 24, "行业 1"},
    {"单选框2", RadioButton, 269, 405, 75, 24, ""},
    {"单选框1", RadioButton, 177, 405, 75, 24, "默认配置"},
    {"超级按钮1", PictureButton, 168, 442, 32, 64, "视\n频\n教\n程"},
    {"超级编辑框_结果", RichTextBox, 19, 229, 533, 164, ""},
    {"按钮_恢复默认", PushButton, 19, 474, 64, 32, "恢复默认"},
    {"标签1", Label, 20, 441, 47, 25, "标题数："},
    {"编辑框_前缀", EditBox, 19, 45, 128, 166, nullptr},
    {"编辑框_衔接", EditBox, 188, 45, 136, 166, nullptr},
    {"编辑框_后缀", EditBox, 365, 46, 152, 165, nullptr},
    {"编辑框_标题数", EditBox, 83, 441, 72, 25, "10"},
    {"按钮_生成", PushButton, 208, 441, 219, 65, "生成标题"},
    // The writer's panel.
    {"按钮_写作助手", PushButton, 555, 229, 12, 164, "«"},
    {"标签_写作助手", Label, 577, 4, 180, 16, "写作助手"},
    {"标签_关键词", Label, 577, 24, 180, 16, "关键词（填入 ____）"},
    {"编辑框_关键词", EditBox, 577, 45, 180, 24, ""},
    {"标签_平台", Label, 577, 82, 180, 16, "发布平台"},
    {"组合框_平台", ComboBox, 577, 101, 180, 24, "不限"},
    {"选择框_不重复", CheckBox, 577, 138, 180, 16, "不重复"},
    {"标签_热榜", Label, 577, 170, 180, 16, "热点来源"},
    {"组合框_热榜", ComboBox, 577, 189, 180, 24, "百度热搜"},
    {"标签_状态", Label, 577, 229, 180, 104, ""},
    {"按钮_热点榜", PushButton, 577, 341, 86, 24, "热点榜…"},
    {"按钮_收藏历史", PushButton, 671, 341, 86, 24, "收藏与历史…"},
    {"选择框_避开用过", CheckBox, 577, 373, 180, 16, "避开用过的标题"},
};

QString caption_of(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->text();
    if (auto* rich = qobject_cast<QTextEdit*>(widget)) return rich->toPlainText();
    if (auto* choice = qobject_cast<QComboBox*>(widget)) return choice->currentText();
    return {};
}

bool has_class_of(QWidget* widget, ControlKind kind) {
    switch (kind) {
        case EditBox: return qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget);
        case CheckBox: return qobject_cast<QCheckBox*>(widget);
        case RadioButton: return qobject_cast<QRadioButton*>(widget);
        case PushButton: return qobject_cast<QPushButton*>(widget);
        case Label:
        case TransparentLabel: return qobject_cast<QLabel*>(widget);
        case PictureButton: return dynamic_cast<qinghe::PictureButton*>(widget);
        case RichTextBox: return qobject_cast<QTextEdit*>(widget);
        case ComboBox: return qobject_cast<QComboBox*>(widget);
    }
    return false;
}

class FormTest : public testing::Test {
protected:
    WindowWidget window;
};

TEST_F(FormTest, EveryControlOfTheTable) {
    QtWindow& controls = window.controls();
    for (const Row& row : kTable) {
        SCOPED_TRACE(row.name);
        QWidget* widget = controls.widget(from_utf8(row.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), &window);
        EXPECT_EQ(widget->geometry(), QRect(row.left, row.top, row.width, row.height));
        EXPECT_TRUE(has_class_of(widget, row.kind));
        EXPECT_EQ(widget->objectName(), QString::fromUtf8(row.name));
        if (row.caption) {
            EXPECT_EQ(caption_of(widget), QString::fromUtf8(row.caption));
        }
        EXPECT_TRUE(widget->isEnabled());
        const bool tab_stop = row.kind != Label && row.kind != TransparentLabel;
        EXPECT_EQ(widget->focusPolicy() == Qt::StrongFocus, tab_stop);
    }
}

TEST_F(FormTest, EnumerationByKindFollowsFormOrder) {
    // The settings files keep the designed controls by kind; the panel keeps its own.
    std::vector<Text> edit_boxes;
    for (const Row& row : std::span(kTable).first(26)) {
        if (row.kind == EditBox) edit_boxes.push_back(from_utf8(row.name));
    }
    EXPECT_EQ(window.controls().names_of_kind(EditBox), edit_boxes);
    EXPECT_EQ(
        window.controls().names_of_kind(RadioButton),
        (std::vector<Text>{from_utf8("单选框4"), from_utf8("单选框3"), from_utf8("单选框2"), from_utf8("单选框1")}));
    EXPECT_EQ(window.controls().names_of_kind(CheckBox), std::vector<Text>{from_utf8("选择框_百度实时热点")});
    EXPECT_EQ(window.controls().names_of_kind(RichTextBox), std::vector<Text>{from_utf8("超级编辑框_结果")});
}

TEST_F(FormTest, InitialContentsAreTheBuiltInValues) {
    QtWindow& controls = window.controls();
    EXPECT_EQ(controls.content(from_utf8("编辑框_前缀")), builtin_prefix_list());
    EXPECT_EQ(controls.content(from_utf8("编辑框_衔接")), builtin_link_list());
    EXPECT_EQ(controls.content(from_utf8("编辑框_后缀")), builtin_suffix_list());
    EXPECT_EQ(controls.content(from_utf8("编辑框_标点1")), builtin_punctuation_1());
    EXPECT_EQ(controls.content(from_utf8("编辑框_标点3")), builtin_punctuation_3());
    EXPECT_EQ(controls.content(from_utf8("编辑框_标题数")), builtin_count());
    EXPECT_EQ(controls.content(from_utf8("超级编辑框_结果")), "");
    EXPECT_TRUE(controls.checked(from_utf8("单选框1")));
    EXPECT_FALSE(controls.checked(from_utf8("选择框_百度实时热点")));
}

TEST_F(FormTest, Appearance) {
    QtWindow& controls = window.controls();
    const QColor silver(0xC0, 0xC0, 0xC0);
    for (const char* name :
         {"编辑框_前缀", "编辑框_衔接", "编辑框_后缀", "编辑框_标点1", "编辑框_标点2", "编辑框_标点3"}) {
        QWidget* box = controls.widget(from_utf8(name));
        EXPECT_EQ(box->palette().color(QPalette::Text), silver) << name;
        EXPECT_EQ(box->palette().color(QPalette::Base), QColor(Qt::white)) << name;
    }
    auto* prefix = qobject_cast<QPlainTextEdit*>(controls.widget(from_utf8("编辑框_前缀")));
    EXPECT_EQ(prefix->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(prefix->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(prefix->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    auto* result = qobject_cast<QTextEdit*>(controls.widget(from_utf8("超级编辑框_结果")));
    EXPECT_FALSE(result->isReadOnly());
    EXPECT_FALSE(result->acceptRichText());
    EXPECT_EQ(result->lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_EQ(controls.widget(from_utf8("超级按钮3"))->toolTip(), QStringLiteral("反馈问题"));
    EXPECT_EQ(controls.widget(from_utf8("超级按钮1"))->toolTip(), QStringLiteral("观看使用视频，检测更新"));
    EXPECT_FALSE(controls.widget(from_utf8("超级按钮2"))->toolTip().isEmpty());
}

TEST_F(FormTest, SlotNamesSitOverTheirRadioButtonsCaptions) {
    QtWindow& controls = window.controls();
    const std::pair<const char*, const char*> slot_boxes[] = {
        {"编辑框1", "单选框2"}, {"编辑框2", "单选框3"}, {"编辑框3", "单选框4"}};
    for (const auto& [edit_name, radio_name] : slot_boxes) {
        QWidget* edit = controls.widget(from_utf8(edit_name));
        QWidget* radio = controls.widget(from_utf8(radio_name));
        // The name box lies inside the radio button, right of its circle, and on top.
        EXPECT_TRUE(radio->geometry().contains(edit->geometry())) << edit_name;
        EXPECT_GE(edit->x() - radio->x(), 16) << edit_name;
        EXPECT_EQ(window.childAt(edit->geometry().center()), edit) << edit_name;
        EXPECT_EQ(window.childAt(radio->geometry().left() + 6, radio->geometry().center().y()), radio);
    }
}

TEST_F(FormTest, CaptionsAreNotClipped) {
    for (const Row& row : kTable) {
        QWidget* widget = window.controls().widget(from_utf8(row.name));
        if (!row.caption || !*row.caption || row.kind == EditBox) continue;
        const QFontMetrics metrics(widget->font());
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, 1000, 1000), Qt::AlignLeft, QString::fromUtf8(row.caption));
        int room = widget->width();
        if (row.kind == CheckBox || row.kind == RadioButton) room -= 18;  // the indicator and its spacing
        EXPECT_LE(needed.width(), room + 1) << row.name;  // a glyph's empty right bearing may touch the edge
        EXPECT_LE(needed.height(), widget->height()) << row.name;
    }
}

}  // namespace
}  // namespace qinghe
