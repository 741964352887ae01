// The store and the slots on the real window, with settings in a temporary folder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <fstream>
#include <memory>

#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "config/control_store.h"
#include "config/ini_file.h"
#include "controls/names.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "titles/builtin.h"

namespace qinghe {
namespace {

const Text kEditSection = from_utf8("编辑框");

class SlotsTest : public testing::Test {
protected:
    void SetUp() override { start(); }

    // A program run ends: the window stores its slot names and selection as it goes.
    void stop() { window.reset(); }
    // A program start: a new window, wired, which loads the settings.
    void start() {
        stop();
        window = std::make_unique<WindowWidget>();
        window->services().set_settings_folder(folder.path());
        wire_events(*window);
    }
    QtWindow& controls() { return window->controls(); }
    void click(const Text& name) {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(controls().widget(name)), Qt::LeftButton, {}, QPoint(5, 5));
    }
    std::filesystem::path file(const char* name) const { return folder.path() / name; }

    TempFolder folder;
    std::unique_ptr<WindowWidget> window;
};

TEST_F(SlotsTest, FirstRunKeepsTheBuiltInContents) {
    EXPECT_EQ(controls().content(name::prefix_box), builtin_prefix_list());
    EXPECT_TRUE(controls().checked(name::slot_radio_1));
    EXPECT_FALSE(controls().checked(name::hot_topics_check));
}

TEST_F(SlotsTest, SavedSlotComesBackAfterSwitching) {
    click(name::slot_radio_3);
    controls().set_content(name::prefix_box, "P3a\r\nP3b");
    controls().set_content(name::suffix_box, "");
    controls().set_checked(name::hot_topics_check, true);
    click(name::save_button);
    // The slot file holds the lists and the check box, never names, punctuation or count.
    const IniFile slot3 = IniFile::load(file("config02.ini"));
    EXPECT_EQ(slot3.value(kEditSection, name::prefix_box), "P3a><br><P3b");
    EXPECT_EQ(slot3.value(kEditSection, name::slot_name_2), "");
    EXPECT_EQ(slot3.value(kEditSection, name::punctuation_1), "");
    EXPECT_EQ(slot3.value(kEditSection, name::count_box), "");
    EXPECT_EQ(slot3.value(from_utf8("选择框"), name::hot_topics_check), from_utf8("真"));
    EXPECT_EQ(IniFile::load(file("config.ini")).value(from_utf8("单选框"), name::slot_radio_3), from_utf8("真"));

    click(name::slot_radio_2);  // never saved: what is on screen stays
    EXPECT_EQ(controls().content(name::prefix_box), "P3a\r\nP3b");
    controls().set_content(name::prefix_box, "edited");
    controls().set_content(name::suffix_box, "S");
    controls().set_checked(name::hot_topics_check, false);
    click(name::slot_radio_3);
    EXPECT_EQ(controls().content(name::prefix_box), "P3a\r\nP3b");
    EXPECT_EQ(controls().content(name::suffix_box), "S") << "an empty stored list does not empty the box";
    EXPECT_TRUE(controls().checked(name::hot_topics_check));
}

TEST_F(SlotsTest, SlotNamesAndSelectionSurviveARestartWithoutSaving) {
    controls().set_content(name::slot_name_2, from_utf8("美食 博主"));
    click(name::slot_radio_4);
    controls().set_content(name::punctuation_1, "?");
    controls().set_content(name::count_box, "3");
    start();
    EXPECT_EQ(controls().content(name::slot_name_2), from_utf8("美食 博主"));
    EXPECT_TRUE(controls().checked(name::slot_radio_4));
    EXPECT_FALSE(controls().checked(name::slot_radio_1));
    EXPECT_EQ(controls().content(name::punctuation_1), builtin_punctuation_1());
    EXPECT_EQ(controls().content(name::count_box), "10");
}

TEST_F(SlotsTest, SelectedSlotsListsLoadAtStart) {
    click(name::slot_radio_2);
    controls().set_content(name::link_box, "L2");
    click(name::save_button);
    start();
    EXPECT_EQ(controls().content(name::link_box), "L2");
    EXPECT_TRUE(controls().checked(name::slot_radio_2));
}

TEST_F(SlotsTest, SlotOnesCheckBoxLoadsOnlyWhenItsButtonIsClicked) {
    controls().set_checked(name::hot_topics_check, true);
    click(name::save_button);
    start();
    EXPECT_FALSE(controls().checked(name::hot_topics_check));
    click(name::slot_radio_1);
    EXPECT_TRUE(controls().checked(name::hot_topics_check));
}

TEST_F(SlotsTest, ANameWithAQuoteOrLineBreakCannotBreakTheFile) {
    controls().set_content(name::slot_name_3, "say \"hi\"");
    controls().set_content(name::slot_name_4, "two\r\nlines");
    start();
    EXPECT_EQ(controls().content(name::slot_name_3), "say \"hi\"");
    EXPECT_EQ(controls().content(name::slot_name_4), "two\r\nlines");
}

TEST_F(SlotsTest, FilesFromTheWindowsProgramLoad) {
    stop();
    const Text file_text = from_utf8("[编辑框]\r\n编辑框1=行业 A\r\n编辑框_前缀=第一行><br><说#引号好#引号><br><\r\n"
                                     "[单选框]\r\n单选框1=假\r\n单选框2=真\r\n单选框3=假\r\n单选框4=假\r\n");
    std::ofstream(file("config.ini"), std::ios::binary) << file_text;
    std::ofstream(file("config01.ini"), std::ios::binary)
        << from_utf8("[编辑框]\r\n编辑框_衔接=一><br><二\r\n[选择框]\r\n选择框_百度实时热点=真\r\n");
    start();
    EXPECT_EQ(controls().content(name::slot_name_2), from_utf8("行业 A"));
    EXPECT_EQ(controls().content(name::prefix_box), from_utf8("第一行\r\n说\"好\"\r\n"));
    EXPECT_EQ(controls().content(name::link_box), from_utf8("一\r\n二"));
    EXPECT_TRUE(controls().checked(name::slot_radio_2));
    EXPECT_TRUE(controls().checked(name::hot_topics_check));
}

TEST_F(SlotsTest, StoreEncodingAndExclusions) {
    const Text text = "A\r\nB \"q\" ><br>< " + from_utf8("#引号");
    EXPECT_EQ(encode_stored_text(text),
              "A><br><B " + from_utf8("#引号") + "q" + from_utf8("#引号") + " ><br>< " + from_utf8("#引号"));
    EXPECT_EQ(decode_stored_text(encode_stored_text("A\r\nB\r\nC")), "A\r\nB\r\nC");
    EXPECT_EQ(decode_stored_text("x><br><y" + from_utf8("#引号")), "x\r\ny\"") << "stored markers decode too";

    const std::filesystem::path path = file("store.ini");
    save_edit_boxes(
        controls(), path,
        from_utf8("编辑框_前缀|编辑框_衔接|编辑框_后缀|编辑框_标点1|编辑框_标点2|编辑框_标点3|编辑框_标题数|编辑框1"));
    const IniFile stored = IniFile::load(path);
    EXPECT_EQ(stored.value(kEditSection, name::slot_name_2), "");
    EXPECT_EQ(stored.value(kEditSection, name::slot_name_3), from_utf8("行业 2"));
    EXPECT_EQ(stored.value(kEditSection, name::prefix_box), "");
    EXPECT_EQ(stored.value(kEditSection, from_utf8("超级编辑框_结果")), "") << "the result box is not an edit box";

    // A name differing in one byte is not excluded; "编辑框_前缀" is not "编辑框_前缀 ".
    save_edit_boxes(controls(), path, from_utf8("编辑框_前缀 "));
    EXPECT_FALSE(IniFile::load(path).value(kEditSection, name::prefix_box).empty());
}

TEST_F(SlotsTest, CheckedStatesLoad) {
    const std::filesystem::path path = file("checks.ini");
    const Text section = from_utf8("选择框");
    for (const auto& [stored, expected] : {std::pair{"真", true}, {"假", false}, {"yes", true}, {"0", true}}) {
        controls().set_checked(name::hot_topics_check, !expected);
        write_profile_string(path, section, name::hot_topics_check, from_utf8(stored));
        load_check_boxes(controls(), path);
        EXPECT_EQ(controls().checked(name::hot_topics_check), expected) << stored;
    }
    write_profile_string(path, section, name::hot_topics_check, "");
    for (bool before : {true, false}) {
        controls().set_checked(name::hot_topics_check, before);
        load_check_boxes(controls(), path);
        EXPECT_EQ(controls().checked(name::hot_topics_check), before) << "an empty value changes nothing";
    }
}

TEST_F(SlotsTest, WriterPanelOptionsAndFoldingSurviveARestart) {
    EXPECT_EQ(window->width(), 765) << "open at the first start";
    controls().set_content(name::keyword_box, from_utf8("新能源车|\"电池\""));
    controls().set_content(name::platform_choice, from_utf8("今日头条"));
    controls().set_content(name::board_choice, from_utf8("知乎热榜"));
    controls().set_checked(name::no_repeat_check, true);
    controls().set_checked(name::avoid_disasters_check, true);
    controls().set_content(name::risk_choice, from_utf8("标注并避开"));
    click(name::panel_button);
    EXPECT_EQ(window->width(), 569);
    start();
    EXPECT_EQ(controls().content(name::keyword_box), from_utf8("新能源车|\"电池\""));
    EXPECT_EQ(controls().content(name::platform_choice), from_utf8("今日头条"));
    EXPECT_EQ(controls().content(name::board_choice), from_utf8("知乎热榜"));
    EXPECT_TRUE(controls().checked(name::no_repeat_check));
    EXPECT_TRUE(controls().checked(name::avoid_disasters_check));
    EXPECT_EQ(controls().content(name::risk_choice), from_utf8("标注并避开"));
    EXPECT_FALSE(controls().checked(name::panel_button));
    EXPECT_EQ(window->width(), 569);
    EXPECT_FALSE(controls().widget(name::keyword_box)->isVisibleTo(window.get()));
    // Back to the defaults: the keys stay, with the default values.
    click(name::panel_button);
    controls().set_content(name::keyword_box, "");
    start();
    EXPECT_TRUE(controls().checked(name::panel_button));
    EXPECT_EQ(controls().content(name::keyword_box), "");
    EXPECT_EQ(IniFile::load(file("config.ini")).value(from_utf8("写作助手"), name::panel_button), from_utf8("真"));
}

TEST_F(SlotsTest, AtItsDefaultsThePanelLeavesTheSettingsFilesAsTheyWere) {
    stop();
    // As the Windows program writes config.ini: no panel section. It loads, and closing
    // writes it back byte for byte.
    const Text windows_file = from_utf8("[编辑框]\r\n编辑框1=行业 1\r\n编辑框2=行业 2\r\n编辑框3=行业 3\r\n"
                                        "[单选框]\r\n单选框4=假\r\n单选框3=假\r\n单选框2=假\r\n单选框1=真\r\n");
    std::ofstream(file("config.ini"), std::ios::binary) << windows_file;
    start();
    EXPECT_TRUE(controls().checked(name::panel_button));
    EXPECT_EQ(controls().content(name::platform_choice), from_utf8("不限"));
    EXPECT_FALSE(controls().checked(name::no_repeat_check));
    stop();
    std::ifstream in(file("config.ini"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), windows_file);
}

}  // namespace
}  // namespace qinghe
