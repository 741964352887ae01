#include "config/word_lists.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "config/control_store.h"
#include "tests/support/temp_folder.h"
#include "tests/support/texts.h"
#include "text/codec.h"

namespace qinghe {
namespace {

constexpr std::vector<Text> WordLists::*kEveryList[] = {&WordLists::hot_excluded, &WordLists::hot_included,
                                                        &WordLists::risk_custom, &WordLists::risk_allowed};

std::string file_text(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The word_lists.ini that earlier versions wrote: one key a list in [词表], the words
// stored as a list box's text is in config.ini.
void write_old_file(const std::filesystem::path& folder, const WordLists& lists) {
    IniFile file;
    const std::pair<const char*, std::vector<Text> WordLists::*> keys[] = {{"热点排除词", &WordLists::hot_excluded},
                                                                           {"热点包含词", &WordLists::hot_included},
                                                                           {"自定义风险词", &WordLists::risk_custom},
                                                                           {"放行词", &WordLists::risk_allowed}};
    for (const auto& [key, list] : keys) {
        file.set(from_utf8("词表"), from_utf8(key), encode_stored_text(words_to_text(lists.*list)));
    }
    ASSERT_TRUE(file.save(old_word_lists_file(folder)));
}

TEST(WordLists, RoundTripCleanedWords) {
    TempFolder folder;
    // Nothing to keep and no file: none is made.
    ASSERT_TRUE(save_word_lists(folder.path(), {}));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));

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
    EXPECT_FALSE(std::filesystem::exists(word_list_file(folder.path(), &WordLists::risk_allowed)))
        << "an empty list makes no file";
    EXPECT_EQ(file_text(word_list_file(folder.path(), &WordLists::hot_included)),
              from_utf8("\"整个引号\"\r\n引号\"内\"\r\n减肥“神器”\r\n"))
        << "one word a line, as typed";

    // Emptied, the lists are written empty.
    ASSERT_TRUE(save_word_lists(folder.path(), {}));
    EXPECT_EQ(load_word_lists(folder.path()), WordLists{});
}

// Any word that the lists keep comes back as it was saved: the stored forms of other
// files ("#引号", "><br><"), INI syntax, blanks inside, characters of every width.
TEST(WordLists, EveryWordComesBackAsSaved) {
    const std::vector<Text> pieces =
        texts({"#引号", "><br><", "><br", "=", ";",  "[x]", "[词表]", "\"", "品牌",    "a",
               " ",     "　",     "\t",   "😀", "𠀀", "€",   "\\",     "%",  "放行词=", "a><br><b"});
    std::mt19937 random(20261209);
    TempFolder folder;
    for (int round = 0; round < 25; ++round) {
        WordLists given;
        for (auto list : kEveryList) {
            const size_t words = random() % 40;
            for (size_t w = 0; w < words; ++w) {
                Text word;
                for (size_t p = 1 + random() % 4; p > 0; --p) word += pieces[random() % pieces.size()];
                (given.*list).push_back(word);
            }
        }
        WordLists expected;
        for (auto list : kEveryList) expected.*list = clean_words(given.*list);
        ASSERT_TRUE(save_word_lists(folder.path(), given));
        ASSERT_EQ(load_word_lists(folder.path()), expected) << "round " << round;
    }
    const std::vector<Text> table = texts({"品牌#引号版", "a><br><b", "=", ";", "[x]", "a = b", "#引号"});
    EXPECT_EQ(clean_words(table), table);
    ASSERT_TRUE(save_word_lists(folder.path(), {.risk_allowed = table}));
    EXPECT_EQ(load_word_lists(folder.path()).risk_allowed, table);
}

// A word_lists.ini from an earlier version still gives its lists, until a list has a file
// of its own; the old file is never changed, and a list emptied since does not come back.
TEST(WordLists, ListsOfTheOldFileAreReadUntilSavedAgain) {
    TempFolder folder;
    const WordLists old{.hot_excluded = texts({"旧词", "引号\"内\""}), .risk_allowed = texts({"最佳拍档"})};
    write_old_file(folder.path(), old);
    const std::string old_bytes = file_text(old_word_lists_file(folder.path()));
    EXPECT_EQ(load_word_lists(folder.path()), old);

    WordLists changed = old;
    changed.hot_excluded = texts({"新词"});
    changed.risk_allowed.clear();
    ASSERT_TRUE(save_word_lists(folder.path(), changed));
    EXPECT_EQ(load_word_lists(folder.path()), changed);
    EXPECT_EQ(file_text(old_word_lists_file(folder.path())), old_bytes);
    EXPECT_FALSE(std::filesystem::exists(word_list_file(folder.path(), &WordLists::hot_included)));
}

TEST(WordLists, ADamagedFileReadsAsMuchAsItCan) {
    TempFolder folder;
    const std::filesystem::path file = old_word_lists_file(folder.path());
    EXPECT_EQ(load_word_lists(folder.path()), WordLists{});  // missing
    EXPECT_EQ(load_word_lists({}), WordLists{});             // settings not kept
    std::ofstream(file, std::ios::binary) << std::string("\x00\xFF\x81[\r\n=\n\xFE", 9);
    EXPECT_EQ(load_word_lists(folder.path()), WordLists{});
    std::ofstream(file, std::ios::binary) << from_utf8("[词表]\r\n放行词=甲><br><  ><br><乙><br\r\n热点排除词");
    EXPECT_EQ(load_word_lists(folder.path()), WordLists{.risk_allowed = texts({"甲", "乙><br"})});
}

// A list past the limit is cut, and says so when read; saved, it keeps its first words.
TEST(WordLists, AListPastTheLimitIsCutAndSaysSo) {
    TempFolder folder;
    std::vector<Text> words;
    for (size_t i = 0; i <= kMaxListWords; ++i) words.push_back("w" + std::to_string(i));
    {
        std::ofstream file(word_list_file(folder.path(), &WordLists::risk_custom), std::ios::binary);
        for (const Text& word : words) file << word << "\r\n";
    }
    const LoadedWordLists loaded = read_word_lists(folder.path());
    ASSERT_EQ(loaded.lists.risk_custom.size(), kMaxListWords);
    EXPECT_EQ(loaded.lists.risk_custom.back(), words[kMaxListWords - 1]);
    ASSERT_EQ(loaded.notes.size(), 1u);
    EXPECT_EQ(to_utf8(loaded.notes[0]), "自定义风险词有 10001 个词，只读入了前 10000 个");

    ASSERT_TRUE(save_word_lists(folder.path(), {.risk_custom = words}));
    const LoadedWordLists saved = read_word_lists(folder.path());
    EXPECT_EQ(saved.lists.risk_custom.size(), kMaxListWords);
    EXPECT_TRUE(saved.notes.empty());
}

// A save that cannot be made says which file and why; a list file that cannot be read is
// not replaced.
TEST(WordLists, AFailedSaveNamesTheFileAndTheReason) {
    TempFolder folder;
    const std::filesystem::path not_a_folder = folder.path() / "file";
    std::ofstream(not_a_folder) << "x";
    const SaveResult into_file = save_word_lists(not_a_folder, {.hot_included = texts({"词"})});
    ASSERT_FALSE(into_file);
    EXPECT_EQ(to_utf8(into_file.problem).rfind(word_list_file(not_a_folder, &WordLists::hot_included).string(), 0), 0u)
        << to_utf8(into_file.problem);

    std::filesystem::create_directory(word_list_file(folder.path(), &WordLists::hot_excluded));
    const SaveResult over_folder = save_word_lists(folder.path(), {.hot_excluded = texts({"词"})});
    ASSERT_FALSE(over_folder);
    EXPECT_NE(to_utf8(over_folder.problem).find("could not be read"), std::string::npos)
        << to_utf8(over_folder.problem);
    EXPECT_TRUE(std::filesystem::is_directory(word_list_file(folder.path(), &WordLists::hot_excluded)));
    EXPECT_EQ(read_word_lists(folder.path()).notes.size(), 1u);
}

}  // namespace
}  // namespace qinghe
