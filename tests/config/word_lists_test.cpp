#include "config/word_lists.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_folder.h"
#include "tests/support/texts.h"
#include "text/codec.h"

namespace qinghe {
namespace {

TEST(WordLists, RoundTripCleanedWords) {
    TempFolder folder;
    const std::filesystem::path file = word_lists_file(folder.path());
    // Nothing to keep and no file: none is made.
    ASSERT_TRUE(save_word_lists(folder.path(), {}));
    EXPECT_FALSE(std::filesystem::exists(file));

    const WordLists given{
        .hot_excluded = texts({"  含 空格  ", "a=b", ";注释", "[节]", "a=b", "", "　全角　"}),
        .hot_included = texts({"\"整个引号\"", "引号\"内\"", "减肥“神器”"}),
        .risk_custom = texts({"😀表情", "𠀀字", "两行\r\n一词\n", "\t"}),
        .risk_allowed = {},
    };
    const WordLists cleaned{
        .hot_excluded = texts({"含 空格", "a=b", ";注释", "[节]", "全角"}),
        .hot_included = texts({"\"整个引号\"", "引号\"内\"", "减肥“神器”"}),
        .risk_custom = texts({"😀表情", "𠀀字", "两行", "一词"}),
        .risk_allowed = {},
    };
    ASSERT_TRUE(save_word_lists(folder.path(), given));
    EXPECT_EQ(load_word_lists(folder.path()), cleaned);
    EXPECT_EQ(words_from_text(words_to_text(cleaned.hot_excluded)), cleaned.hot_excluded);

    // Emptied, the lists are written empty over the file; other sections stay.
    std::ofstream(file, std::ios::app) << "[other]\r\nkey=1\r\n";
    ASSERT_TRUE(save_word_lists(folder.path(), {}));
    EXPECT_EQ(load_word_lists(folder.path()), WordLists{});
    EXPECT_EQ(read_profile_string(file, "other", "key"), "1");
}

TEST(WordLists, ADamagedFileReadsAsMuchAsItCan) {
    TempFolder folder;
    const std::filesystem::path file = word_lists_file(folder.path());
    EXPECT_EQ(load_word_lists(folder.path()), WordLists{});  // missing
    EXPECT_EQ(load_word_lists({}), WordLists{});             // settings not kept
    std::ofstream(file, std::ios::binary) << std::string("\x00\xFF\x81[\r\n=\n\xFE", 9);
    EXPECT_EQ(load_word_lists(folder.path()), WordLists{});
    std::ofstream(file, std::ios::binary) << from_utf8("[词表]\r\n放行词=甲><br><  ><br><乙><br\r\n热点排除词");
    EXPECT_EQ(load_word_lists(folder.path()), WordLists{.risk_allowed = texts({"甲", "乙><br"})});
}

}  // namespace
}  // namespace qinghe
