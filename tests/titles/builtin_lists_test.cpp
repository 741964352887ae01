#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "text/codec.h"
#include "text/search.h"
#include "titles/builtin.h"

namespace qinghe {
namespace {

// Characters of a GBK entry: double-byte characters count once.
size_t characters(TextView entry) {
    size_t count = 0;
    for (size_t i = 0; i < entry.size(); i += is_lead_byte(entry[i]) ? 2 : 1) ++count;
    return count;
}

size_t blanks(TextView entry) {
    size_t count = 0;
    for (size_t at = 0; (at = entry.find("____", at)) != TextView::npos; at += 4) ++count;
    return count;
}

struct ListRules {
    const char* name;
    const Text& list;
    size_t entries, bytes, min_chars, max_chars;
};

void expect_form(const ListRules& rules) {
    SCOPED_TRACE(rules.name);
    const Text& list = rules.list;
    EXPECT_EQ(list.size(), rules.bytes);
    const std::vector<Text> entries = split_list(list, kCrLf);
    ASSERT_EQ(entries.size(), rules.entries);
    EXPECT_NE(list.substr(0, 2), "\r\n");
    EXPECT_NE(list.substr(list.size() - 2), "\r\n");
    for (size_t i = 0; i < entries.size(); ++i) {
        const Text& entry = entries[i];
        EXPECT_FALSE(entry.empty()) << "entry " << i + 1;
        EXPECT_EQ(entry.find_first_of("\r\n"), Text::npos) << "entry " << i + 1;
        EXPECT_GE(characters(entry), rules.min_chars) << "entry " << i + 1;
        EXPECT_LE(characters(entry), rules.max_chars) << "entry " << i + 1;
        // Every character is a GBK one: the list converts to code page 936 unchanged.
        EXPECT_EQ(from_utf8(to_utf8(entry)), entry);
        for (size_t b = 0; b < entry.size(); b += is_lead_byte(entry[b]) ? 2 : 1) {
            EXPECT_FALSE(is_lead_byte(entry[b]) && static_cast<unsigned char>(entry[b + 1]) < 0x40)
                << "four-byte GB18030 sequence in entry " << i + 1;
        }
    }
}

std::vector<Text> entries_of(const Text& list) { return split_list(list, kCrLf); }

TEST(BuiltinLists, Form) {
    expect_form({"prefix", builtin_prefix_list(), 106, 1438, 2, 16});
    expect_form({"link", builtin_link_list(), 210, 4704, 4, 34});
    expect_form({"suffix", builtin_suffix_list(), 47, 873, 4, 14});
}

TEST(BuiltinLists, TellingEntries) {
    const auto expect_at = [](const Text& list, std::initializer_list<std::pair<size_t, const char*>> telling) {
        const std::vector<Text> entries = entries_of(list);
        for (const auto& [position, utf8] : telling) {
            EXPECT_EQ(to_utf8(entries.at(position - 1)), utf8) << "at " << position;
        }
    };
    expect_at(builtin_prefix_list(), {{1, "震撼"},
                                      {2, "太震撼了"},
                                      {11, "紧急通知"},
                                      {12, "惊呆了"},
                                      {16, "别再被忽悠了"},
                                      {37, "刚刚发生 传疯了"},
                                      {39, "删前速看"},
                                      {68, "奔走相告！"},
                                      {86, "我看了3遍都不相信"},
                                      {90, "12个你一定得知道"}});
    expect_at(builtin_link_list(), {{1, "中国到了最危险的时候"},
                                    {11, "家里有小孩的注意了"},
                                    {20, "不看后悔五百年"},
                                    {34, "____最新消息"},
                                    {40, "不可思议的事实"},
                                    {110, "10个为 ____ 节省金钱/时间的技巧"},
                                    {165, "很少人知道的 ____ 方法"},
                                    {172, "什么时候比较适合 ____ 或者 ____ "},
                                    {173, "很少人知道的 ____ 方法"},
                                    {210, "____ 性格测试:你的 ____ 是如何说你的"}});
    expect_at(builtin_suffix_list(), {{18, "看完后我惊呆了"},
                                      {24, "尤其是第7个"},
                                      {25, "特别是最后一个"},
                                      {28, "完全颠覆你的想像"},
                                      {31, "第6个不是真的吧？"},
                                      {36, "这真的让我看不下去了…"},
                                      {44, "接下来的画面让我震惊了"},
                                      {47, "我忍不住一直看下去..."}});
}

TEST(BuiltinLists, Duplicates) {
    for (const Text* list : {&builtin_prefix_list(), &builtin_suffix_list()}) {
        const std::vector<Text> entries = entries_of(*list);
        EXPECT_EQ(std::set<Text>(entries.begin(), entries.end()).size(), entries.size());
    }
    const std::vector<Text> link = entries_of(builtin_link_list());
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t i = 0; i < link.size(); ++i) {
        for (size_t j = i + 1; j < link.size(); ++j) {
            if (link[i] == link[j]) pairs.emplace_back(i + 1, j + 1);
        }
    }
    EXPECT_EQ(pairs, (std::vector<std::pair<size_t, size_t>>{{165, 173}}));
}

TEST(BuiltinLists, LinkBlanks) {
    const std::vector<Text> link = entries_of(builtin_link_list());
    size_t with_blank = 0, with_two = 0, first = 0;
    for (size_t i = 0; i < link.size(); ++i) {
        const size_t n = blanks(link[i]);
        if (n > 0 && first == 0) first = i + 1;
        with_blank += n > 0;
        with_two += n >= 2;
        EXPECT_LE(link[i].size(), 60u);
        EXPECT_EQ(link[i].back() == ' ', i + 1 == 172) << "entry " << i + 1;
    }
    EXPECT_EQ(with_blank, 104u);
    EXPECT_EQ(with_two, 15u);
    EXPECT_EQ(first, 33u);
}

TEST(BuiltinValues, PunctuationAndCount) {
    EXPECT_EQ(builtin_punctuation_1(), "\xA3\xAC");
    EXPECT_EQ(builtin_punctuation_2(), "\xA3\xAC");
    EXPECT_EQ(builtin_punctuation_3(), "\xA3\xA1");
    EXPECT_EQ(builtin_count(), "10");
}

}  // namespace
}  // namespace qinghe
