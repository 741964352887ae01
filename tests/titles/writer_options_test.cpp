// The writer's options: keyword blanks, platform lengths, no repeats.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "text/codec.h"
#include "text/search.h"
#include "titles/builtin.h"
#include "titles/generator.h"
#include "titles/headline_length.h"
#include "titles/keywords.h"

namespace qinghe {
namespace {

std::vector<Text> lines_of(const Headlines& headlines) {
    std::vector<Text> lines;
    size_t begin = 0;
    for (size_t end : headlines.ends) lines.push_back(headlines.text.substr(begin, end - begin)), begin = end;
    return lines;
}

GeneratorInput builtin_input(int count) {
    return {.prefixes = split_list(builtin_prefix_list(), kCrLf),
            .links = split_list(builtin_link_list(), kCrLf),
            .suffixes = split_list(builtin_suffix_list(), kCrLf),
            .punctuation_1 = builtin_punctuation_1(),
            .punctuation_2 = builtin_punctuation_2(),
            .punctuation_3 = builtin_punctuation_3(),
            .suffix_mode = true,
            .count = count};
}

std::vector<Text> build(const GeneratorInput& input, std::uint32_t seed, Text* shortfall = nullptr) {
    seed_accumulator() = seed;
    std::uint32_t tick = seed * 7;
    const Headlines headlines = build_headlines(input, [&tick] { return tick += 3; });
    if (shortfall) *shortfall = headlines.shortfall;
    return lines_of(headlines);
}

TEST(Keywords, BlanksAreRunsOfTwoOrMoreUnderscores) {
    const std::pair<const char*, const char*> cases[] = {
        {"很少人知道的 ____ 方法", "很少人知道的 K 方法"},
        {"__和___", "K和K"},
        {"＿＿全角与_＿混合", "K全角与K混合"},
        {"a_b 单个不算", "a_b 单个不算"},
        {"", ""},
    };
    for (const auto& [phrase, filled] : cases) EXPECT_EQ(fill_blanks(from_utf8(phrase), "K"), from_utf8(filled));
    // 0x5F as the second byte of a double-byte character is no underscore.
    EXPECT_EQ(fill_blanks("\x81\x5F\x81\x5F", "K"), "\x81\x5F\x81\x5F");
    EXPECT_EQ(split_keywords(from_utf8(" 新能源车 |　电池　||x|")),
              (std::vector<Text>{from_utf8("新能源车"), from_utf8("电池"), "x"}));
    EXPECT_TRUE(split_keywords(from_utf8(" | 　")).empty());
}

TEST(Keywords, FillingDrawsNothingAndKeywordsTakeTurns) {
    GeneratorInput input = builtin_input(40);
    const std::vector<Text> designed = build(input, 11);
    const std::uint32_t accumulator = seed_accumulator();
    input.writer.keywords = {"K0", "K1", "K2"};
    const std::vector<Text> filled = build(input, 11);
    EXPECT_EQ(seed_accumulator(), accumulator) << "the same draws";
    ASSERT_EQ(filled.size(), designed.size());
    for (size_t i = 0; i < filled.size(); ++i) {
        EXPECT_EQ(filled[i], fill_blanks(designed[i], "K" + std::to_string(i % 3)));
        EXPECT_EQ(filled[i].find("__"), Text::npos);
    }
}

TEST(HeadlineLength, CharactersAsAPersonCountsThem) {
    HeadlineMeasure measure;
    const struct {
        const char* text;
        int characters, half_ascii;
    } cases[] = {
        {"新能源车", 4, 4},    {"abc", 3, 2},  {"中文ab", 4, 3},  {"A", 1, 1},
        {"👍🏽好", 2, 2}, {"🇨🇳", 1, 1},   {"e\u0301", 1, 1}, {"👩‍👩‍👧", 1, 1},
        {"a\tb", 3, 2},        {"＿＿", 2, 2},
    };
    for (const auto& c : cases) {
        const TextLength length = measure.measure(from_utf8(c.text));
        EXPECT_EQ(length.counted(false), c.characters) << c.text;
        EXPECT_EQ(length.counted(true), c.half_ascii) << c.text;
    }
}

TEST(PlatformLimits, EveryHeadlineInRangeOverManySeeds) {
    HeadlineMeasure measure;
    GeneratorInput input = builtin_input(100);
    input.writer.keywords = {from_utf8("新能源车")};
    for (const Platform& platform : platforms()) {
        if (!platform.limited()) continue;
        input.writer.platform = &platform;
        for (std::uint32_t seed = 0; seed < 10; ++seed) {
            Text shortfall;
            const std::vector<Text> lines = build(input, seed, &shortfall);
            // The built-in lists are too long for the shortest ranges: then the run says so.
            EXPECT_EQ(lines.size() < 100, !shortfall.empty()) << platform.name;
            if (platform.name == std::string("今日头条")) {
                EXPECT_EQ(lines.size(), 100u) << to_utf8(shortfall);
            }
            for (const Text& line : lines) {
                const int length = measure.measure(line).counted(platform.ascii_counts_half);
                EXPECT_GE(length, platform.min_length) << platform.name << to_utf8(line);
                EXPECT_LE(length, platform.max_length) << platform.name << to_utf8(line);
                EXPECT_EQ(line.find("__"), Text::npos);
            }
        }
    }
}

TEST(PlatformLimits, AnImpossibleRangeEndsAtOnceAndSaysWhy) {
    const Text long_prefix =
        from_utf8("这是一个长得远远超过任何平台标题长度限制的前缀这是一个长得远远超过任何平台标题长度限制的前缀");
    GeneratorInput input{.prefixes = {long_prefix, long_prefix + "!"}, .links = {"a", "b"}, .count = 10};
    input.writer.platform = &platforms()[2];  // 今日头条 5–30
    int ticks = 0;
    const Headlines headlines = build_headlines(input, [&ticks] { return static_cast<std::uint32_t>(++ticks); });
    EXPECT_TRUE(headlines.ends.empty());
    EXPECT_LT(ticks, 2000) << "a bounded number of tries";
    EXPECT_NE(to_utf8(headlines.shortfall).find("前缀太长"), std::string::npos) << to_utf8(headlines.shortfall);
    EXPECT_NE(to_utf8(headlines.shortfall).find("0 条"), std::string::npos) << to_utf8(headlines.shortfall);
}

TEST(NoRepeat, EveryPhraseOnceBeforeAnyTwice) {
    GeneratorInput input{.prefixes = {"P1", "P2", "P3"}, .links = {"L1", "L2", "L3"}, .punctuation_1 = ",", .count = 6};
    input.writer.no_repeat = true;
    for (std::uint32_t seed = 0; seed < 50; ++seed) {
        const std::vector<Text> lines = build(input, seed);
        ASSERT_EQ(lines.size(), 6u);
        std::set<Text> first_three_prefixes, first_three_links, distinct(lines.begin(), lines.end());
        std::map<Text, int> uses;
        for (size_t i = 0; i < lines.size(); ++i) {
            const Text prefix = lines[i].substr(0, 2), link = lines[i].substr(3, 2);
            ++uses[prefix], ++uses[link];
            if (i < 3) first_three_prefixes.insert(prefix), first_three_links.insert(link);
        }
        EXPECT_EQ(first_three_prefixes.size(), 3u);
        EXPECT_EQ(first_three_links.size(), 3u);
        for (const auto& [phrase, count] : uses) EXPECT_EQ(count, 2) << phrase;
        EXPECT_EQ(distinct.size(), 6u) << "no headline twice";
    }
}

TEST(NoRepeat, BuiltInListsGiveTwoHundredWithoutALinkTwice) {
    GeneratorInput input = builtin_input(200);
    input.writer.no_repeat = true;
    const std::vector<Text> links = split_list(builtin_link_list(), kCrLf);
    const std::vector<Text> lines = build(input, 5);
    ASSERT_EQ(lines.size(), 200u);
    std::map<size_t, int> link_uses;
    for (const Text& line : lines) {
        // The link phrase stands between the first and second punctuation.
        const size_t start = line.find(builtin_punctuation_1()) + builtin_punctuation_1().size();
        const Text rest = line.substr(start);
        for (size_t i = 0; i < links.size(); ++i) {
            if (rest.starts_with(links[i] + builtin_punctuation_2())) ++link_uses[i];
        }
    }
    for (const auto& [link, uses] : link_uses) EXPECT_EQ(uses, 1) << to_utf8(links[link]);
}

TEST(NoRepeat, ListsTooSmallForTheCountStopAndSaySo) {
    GeneratorInput input{.prefixes = {"A", "B"}, .links = {"x", "y"}, .count = 6};
    input.writer.no_repeat = true;
    Text shortfall;
    const std::vector<Text> lines = build(input, 1, &shortfall);
    EXPECT_EQ(std::set<Text>(lines.begin(), lines.end()).size(), 4u);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_NE(to_utf8(shortfall).find("只能组成 4 条"), std::string::npos) << to_utf8(shortfall);
}

}  // namespace
}  // namespace qinghe
