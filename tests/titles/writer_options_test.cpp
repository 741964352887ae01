// The writer's options: keyword blanks, platform lengths, no repeats.
#include <gtest/gtest.h>
#include <malloc.h>

#include <array>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <set>

#include "text/codec.h"
#include "text/search.h"
#include "titles/builtin.h"
#include "titles/generator.h"
#include "titles/headline_length.h"
#include "titles/keywords.h"
#include "titles/risk_words.h"
#include "titles/run_record.h"
#include "titles/typesetting.h"

// The heap the process holds, and its peak, so that a test can see what a run adds.
// AddressSanitizer keeps an allocator of its own, which the libraries it built bind to:
// there the heap is not counted.
namespace heap {
size_t live = 0, peak = 0;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool counted = false;
#else
constexpr bool counted = true;
void* taken(void* block) {
    if (!block) throw std::bad_alloc();
    live += malloc_usable_size(block);
    peak = std::max(peak, live);
    return block;
}
void give_back(void* block) {
    if (block) live -= malloc_usable_size(block);
    std::free(block);
}
#endif
}  // namespace heap

#if !defined(__SANITIZE_ADDRESS__)
void* operator new(size_t size) { return heap::taken(std::malloc(size ? size : 1)); }
void* operator new[](size_t size) { return heap::taken(std::malloc(size ? size : 1)); }
void operator delete(void* block) noexcept { heap::give_back(block); }
void operator delete[](void* block) noexcept { heap::give_back(block); }
void operator delete(void* block, size_t) noexcept { heap::give_back(block); }
void operator delete[](void* block, size_t) noexcept { heap::give_back(block); }
#endif

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

// The designed draws, each headline filled and set around its keyword ("____的真相" takes
// "K0 的真相").
TEST(Keywords, FillingDrawsNothingAndKeywordsTakeTurns) {
    GeneratorInput input = builtin_input(400);
    const std::vector<Text> designed = build(input, 11);
    const std::uint32_t accumulator = seed_accumulator();
    input.writer.keywords = {"K0", "K1", "K2"};
    const std::vector<Text> filled = build(input, 11);
    EXPECT_EQ(seed_accumulator(), accumulator) << "the same draws";
    ASSERT_EQ(filled.size(), designed.size());
    for (size_t i = 0; i < filled.size(); ++i) {
        const FilledPhrase blanks = fill_and_mark_blanks(designed[i], "K" + std::to_string(i % 3));
        EXPECT_EQ(to_utf8(filled[i]), to_utf8(set_headline(blanks.text, blanks.keywords, {.keyword_edges = true})));
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

// The longest links fit only the few shortest prefixes and suffixes: a run that spends
// those on shorter links early ends its link cycle with none left for them.
TEST(NoRepeat, BuiltInListsFillTwoHundredWithinTheToutiaoRange) {
    GeneratorInput input = builtin_input(200);
    input.writer.no_repeat = true;
    input.writer.platform = find_platform(from_utf8("今日头条"));
    HeadlineMeasure measure;
    for (std::uint32_t seed = 0; seed < 30; ++seed) {
        Text shortfall;
        const std::vector<Text> lines = build(input, seed, &shortfall);
        EXPECT_EQ(lines.size(), 200u) << seed << " " << to_utf8(shortfall);
        for (const Text& line : lines) EXPECT_LE(measure.measure(line).counted(false), 30) << to_utf8(line);
    }
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

TEST(NoRepeat, SeveralKeywordsCountTheirOwnHeadlines) {
    GeneratorInput input{.prefixes = {"A", "B"}, .links = {"x__", "y__"}, .count = 12};
    input.writer = {.keywords = {"1", "2"}, .no_repeat = true};
    Text shortfall;
    const std::vector<Text> lines = build(input, 3, &shortfall);
    EXPECT_EQ(std::set<Text>(lines.begin(), lines.end()).size(), 8u);
    EXPECT_EQ(to_utf8(shortfall), "只生成了 8 条不重复的标题（要 12 条）：这些词组只能组成 8 条不同的标题。");
}

// Only "a" leaves room for "XXXX": when "a" went with a short link early in the cycle,
// the cycle's last headline is a dead end no take-back within reach mends, but putting a
// phrase left in the pool in the place of that early "a" does.
TEST(NoRepeat, ADeadEndAtACycleEndIsMendedByAnExchange) {
    GeneratorInput input{.prefixes = {"a"}, .links = {"XXXX"}, .count = 31};
    const std::string singles = "cdefghijklmnopqrstuvwxyz012345";
    for (int i = 0; i < 30; ++i) {
        input.prefixes.push_back("B" + std::to_string(10 + i));
        input.links.push_back(std::string(1, singles[static_cast<size_t>(i)]));
    }
    const Platform five{.name = "五", .min_length = 1, .max_length = 5};
    input.writer = {.platform = &five, .no_repeat = true};
    for (std::uint32_t seed = 0; seed < 10; ++seed) {
        Text shortfall;
        const std::vector<Text> lines = build(input, seed, &shortfall);
        EXPECT_TRUE(shortfall.empty()) << to_utf8(shortfall);
        ASSERT_GE(lines.size(), 31u);
        EXPECT_NE(std::find(lines.begin(), lines.begin() + 31, "aXXXX"), lines.begin() + 31) << seed;
    }
}

TEST(BlockingWord, RefusedHeadlinesAreNotMadeAndTheLineNamesTheWords) {
    const Text urgent = from_utf8("紧急通知"), look = from_utf8("速看");
    GeneratorInput input{.prefixes = {urgent, look}, .links = {"x", "y"}, .count = 3};
    input.writer.blocking_word = [&](TextView headline) {
        for (const Text& word : {urgent, look}) {
            if (headline.find(word) != TextView::npos) return word;
        }
        return Text();
    };
    EXPECT_TRUE(input.writer.any());
    Text shortfall;
    EXPECT_TRUE(build(input, 1, &shortfall).empty());
    EXPECT_EQ(to_utf8(shortfall), "只生成了 0 条标题（要 3 条）：其余组合都含有高风险词：紧急通知、速看。");
    input.prefixes.push_back("ok");
    const std::vector<Text> lines = build(input, 1, &shortfall);
    EXPECT_EQ(lines.size(), 4u);
    for (const Text& line : lines) EXPECT_TRUE(line.starts_with("ok")) << line;
    EXPECT_TRUE(shortfall.empty());
}

// With repeats allowed and four headlines in five refused, the draws still reach every
// allowed headline alike: each tenth of the prefix list gives about a tenth of them (200,
// give or take 13), from lists whose candidates are listed and from lists too long for that.
TEST(BlockingWord, DrawsSpreadOverEveryAllowedHeadline) {
    for (const int size : {600, 1100}) {
        GeneratorInput input{.count = 2000};
        for (int i = 0; i < size; ++i) {
            input.prefixes.push_back("P" + std::to_string(i) + "-");
            input.links.push_back("L" + std::to_string(i));
        }
        // Refused: four in five headlines, never a phrase alone.
        input.writer.blocking_word = [](TextView headline) {
            std::uint64_t mixed = std::hash<TextView>{}(headline);
            mixed = (mixed ^ mixed >> 33) * 0xFF51AFD7ED558CCDull;
            mixed ^= mixed >> 33;
            const bool whole = headline.find('-') != TextView::npos && headline.find('L') != TextView::npos;
            return whole && mixed % 100 < 81 ? Text("x") : Text();
        };
        // Ticks that vary as a busy clock's do, so that the draws themselves spread.
        std::mt19937 clock(static_cast<std::uint32_t>(size));
        const std::vector<Text> lines = lines_of(build_headlines(input, [&clock] { return clock(); }));
        ASSERT_EQ(lines.size(), 2000u);
        std::vector<int> tenths(10);
        for (const Text& line : lines) ++tenths[std::stoul(line.substr(1)) * 10 / static_cast<size_t>(size)];
        for (int tenth : tenths) EXPECT_NEAR(tenth, 200, 60) << size;
    }
}

// The writer's run with blanks filled, refusals across the join and no repeats: every
// phrase that stands in an allowed headline takes its turn, and 紧急 and 最新, which stand
// in none (紧急通知, 最新通知), wait for no turn.
TEST(BlockingWord, PhrasesRefusedWithEveryPartnerTakeNoTurn) {
    GeneratorInput input{.count = 6};
    for (const char* prefix : {"紧急", "最新", "好消息", "注意"}) input.prefixes.push_back(from_utf8(prefix));
    for (const char* link : {"__来了", "__发布", "__出炉"}) input.links.push_back(from_utf8(link));
    const Platform* platform = find_platform(from_utf8("微信公众号"));
    input.writer = {.keywords = {from_utf8("通知")},
                    .platform = platform,
                    .no_repeat = true,
                    .blocking_word = blocking_word_hook(std::make_shared<const RiskChecker>(), platform)};
    for (std::uint32_t seed = 0; seed < 5; ++seed) {
        Text shortfall;
        const std::vector<Text> lines = build(input, seed, &shortfall);
        EXPECT_EQ(std::set<Text>(lines.begin(), lines.end()).size(), 6u) << to_utf8(shortfall);
        EXPECT_TRUE(shortfall.empty()) << to_utf8(shortfall);
    }
    input.count = 8;
    Text shortfall;
    EXPECT_EQ(build(input, 1, &shortfall).size(), 6u);
    EXPECT_EQ(to_utf8(shortfall), "只生成了 6 条不重复的标题（要 8 条）：这些词组在微信公众号 1–64 字内只能组成 6 "
                                  "条不同的标题（含高风险词的不算）。");
}

TEST(RunStatus, AnEmptyHeadlineIsTheShortest) {
    EXPECT_EQ(to_utf8(run_status({.text = "abc", .ends = {0, 3}, .shortfall = {}}, nullptr)), "2 条 · 0–3 字");
    EXPECT_EQ(to_utf8(run_status({.text = "abc", .ends = {3, 3}, .shortfall = {}}, nullptr)), "2 条 · 0–3 字");
}

TEST(PlatformLimits, CharactersThatMergeAcrossAJoinCountOnce) {
    // Alone "\u0301" is one character; after "b" it is part of "b\u0301": 3 characters, not 4.
    GeneratorInput input{.prefixes = {"ab"}, .links = {"c"}, .punctuation_1 = from_utf8("\u0301"), .count = 2};
    const Platform three{.name = "三", .min_length = 3, .max_length = 3};
    input.writer.platform = &three;
    Text shortfall;
    EXPECT_EQ(build(input, 1, &shortfall), (std::vector<Text>(2, from_utf8("ab\u0301c")))) << to_utf8(shortfall);
}

// With a still clock the re-seeded generator walks a near-arithmetic sequence: a run that
// hoped for a redraw to fit would stop short. About 3 % of these pairs fit 今日头条 5–30.
TEST(PlatformLimits, ThreePercentFitMakesTheCapWithAStillClock) {
    GeneratorInput input{.count = kMaxHeadlines};
    for (int n = 1; n <= 120; ++n) {
        input.prefixes.push_back(Text(2 * static_cast<size_t>(n), '\xB0'));
        input.links.push_back(Text(2 * static_cast<size_t>(n), '\xB1'));
    }
    input.writer.platform = find_platform(from_utf8("今日头条"));
    seed_accumulator() = 0;
    const auto start = std::chrono::steady_clock::now();
    const Headlines headlines = build_headlines(input, [] { return 77u; });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(headlines.shortfall.empty()) << to_utf8(headlines.shortfall);
    ASSERT_EQ(headlines.ends.size(), static_cast<size_t>(kMaxHeadlines));
    std::set<Text> distinct;
    size_t begin = 0;
    for (size_t end : headlines.ends) {
        ASSERT_GE(end - begin, 10u);
        ASSERT_LE(end - begin, 60u);
        if (distinct.size() < 1000) distinct.insert(headlines.text.substr(begin, end - begin));
        begin = end;
    }
    EXPECT_GT(distinct.size(), 200u) << "the draws spread over the 429 that fit";
}

TEST(NoRepeat, FiftyThousandEntryListsTakeTurnsWhileTheWindowAnswers) {
    GeneratorInput input{.punctuation_1 = "-", .count = kMaxHeadlines};
    for (int i = 0; i < 50'000; ++i) {
        input.prefixes.push_back("P" + std::to_string(i));
        input.links.push_back("L" + std::to_string(i));
    }
    input.writer.no_repeat = true;
    std::uint32_t tick = 0;
    int pumps = 0;
    const Headlines headlines = build_headlines(
        input, [&tick] { return tick += 16; }, [&pumps] { ++pumps; });
    ASSERT_EQ(headlines.ends.size(), static_cast<size_t>(kMaxHeadlines)) << to_utf8(headlines.shortfall);
    std::vector<int> prefix_uses(50'000), link_uses(50'000);
    std::set<Text> distinct;
    size_t begin = 0;
    for (size_t i = 0; i < headlines.ends.size(); ++i) {
        const Text line = headlines.text.substr(begin, headlines.ends[i] - begin);
        begin = headlines.ends[i];
        const size_t dash = line.find('-');
        const int prefix = std::stoi(line.substr(1, dash - 1)), link = std::stoi(line.substr(dash + 2));
        // The first cycle of each list ends at headline 50,000.
        ASSERT_EQ(++prefix_uses[prefix], i < 50'000 ? 1 : 2) << line;
        ASSERT_EQ(++link_uses[link], i < 50'000 ? 1 : 2) << line;
        distinct.insert(line);
    }
    EXPECT_EQ(distinct.size(), headlines.ends.size());
    EXPECT_GT(pumps, 0);
}

// The most headlines a run without repeats can make, by exhaustive search: headline i
// takes one of `allowed[i mod k]` (its text's number and its phrases' numbers per list),
// no text comes twice, and a phrase comes again only once every phrase of its list in
// `standing` (a bit each) has come since it last did. Nothing when the search grows too big.
std::optional<size_t> most_under_the_rule(
    const std::vector<std::vector<std::pair<size_t, std::array<size_t, 3>>>>& allowed,
    const std::vector<unsigned>& standing, size_t cap) {
    constexpr size_t kNodes = 1'000'000;
    const size_t k = allowed.size(), parts = standing.size();
    // Per list and phrase: the texts left that hold it. A phrase must come once in each of
    // its list's turns, so its texts bound how far the run can go.
    std::array<std::array<int, 10>, 3> left{};
    std::map<size_t, std::array<size_t, 3>> texts;
    for (const auto& of : allowed) texts.insert(of.begin(), of.end());
    for (const auto& [text, phrase] : texts) {
        for (size_t p = 0; p < parts; ++p) ++left[p][phrase[p]];
    }
    const auto reach = [&](size_t n, const std::array<unsigned, 3>& turn) {
        size_t most = cap;
        for (size_t p = 0; p < parts; ++p) {
            const size_t size = static_cast<size_t>(std::popcount(standing[p]));
            const size_t done = turn[p] == standing[p] ? 0 : static_cast<size_t>(std::popcount(turn[p]));
            for (size_t x = 0; x < 10; ++x) {
                if (!(standing[p] >> x & 1)) continue;
                const bool due = !(turn[p] >> x & 1) || turn[p] == standing[p];
                // The turns it can still come in, from this one on; past them at most one
                // turn short of it.
                const size_t turns = static_cast<size_t>(left[p][x]) + (due ? 0 : 1);
                most = std::min(most, n + (size - done) - 1 + (turns > 0 ? size * turns : 0));
            }
        }
        return most;
    };
    std::vector<bool> made;
    std::array<unsigned, 3> turn{};
    std::uint64_t state = 0;       // a hash of the texts made
    std::set<std::uint64_t> dead;  // states (texts made and turns) that cannot beat `best`
    const auto key = [&] { return state ^ (std::uint64_t{turn[0]} << 40 | std::uint64_t{turn[1]} << 20 | turn[2]); };
    const auto mix = [](size_t id) {
        return (id + 1) * 0x9E3779B97F4A7C15ull ^ ((id + 1) * 0xC2B2AE3D27D4EB4Full >> 29);
    };
    size_t best = 0, nodes = 0;
    const std::function<bool(size_t)> search = [&](size_t n) {
        best = std::max(best, n);
        if (n == cap) return true;
        if (++nodes > kNodes || dead.contains(key()) || reach(n, turn) <= best) return false;
        for (const auto& [text, phrase] : allowed[n % k]) {
            if (text < made.size() && made[text]) continue;
            const std::array<unsigned, 3> before = turn;
            bool may = true;
            for (size_t p = 0; p < parts && may; ++p) {
                const unsigned bit = 1u << phrase[p];
                if (turn[p] == standing[p]) turn[p] = bit;
                else if (turn[p] & bit) may = false;
                else turn[p] |= bit;
            }
            if (may) {
                if (made.size() <= text) made.resize(text + 1);
                made[text] = true, state ^= mix(text);
                for (size_t p = 0; p < parts; ++p) --left[p][phrase[p]];
                const bool reached = search(n + 1);
                for (size_t p = 0; p < parts; ++p) ++left[p][phrase[p]];
                made[text] = false, state ^= mix(text);
                if (reached) return true;
            }
            turn = before;
        }
        if (nodes <= kNodes) dead.insert(key());
        return false;
    };
    search(0);
    if (best < cap && nodes > kNodes) return std::nullopt;
    return best;
}

// Many keywords and long lists, few phrases with a blank: the run keeps per keyword only
// what the phrases with a blank need.
TEST(WriterRun, KeywordsCostMemoryOnlyForPhrasesWithABlank) {
    if (!heap::counted) GTEST_SKIP() << "the heap is not counted under AddressSanitizer";
    GeneratorInput input{.suffix_mode = true, .count = 1000};
    for (int i = 0; i < 5000; ++i) {
        input.prefixes.push_back("P" + std::to_string(i));
        input.links.push_back("L" + std::to_string(i) + (i % 500 == 0 ? "__" : ""));
        input.suffixes.push_back("S" + std::to_string(i));
    }
    for (int k = 0; k < 300; ++k) input.writer.keywords.push_back("K" + std::to_string(k));
    input.writer.platform = find_platform(from_utf8("今日头条"));
    for (const bool no_repeat : {false, true}) {
        input.writer.no_repeat = no_repeat;
        const size_t before = heap::live;
        heap::peak = before;
        EXPECT_EQ(build(input, 4).size(), 1000u);
        EXPECT_LT(heap::peak - before, size_t{8} << 20) << no_repeat;
    }
}

// Small random lists, every option in play (headlines set for publishing, used headlines
// too): each run keeps the rule or says truthfully why it stopped. The facts are worked out
// by brute force over every combination.
TEST(WriterRun, KeepsItsPromisesOnSmallRandomLists) {
    // Each phrase starts with a mark of its own, so a headline tells which phrases it holds.
    const std::vector<std::string> marks[] = {{"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"},
                                              {"子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉"},
                                              {"金", "木", "水", "火", "土", "日", "月", "星", "云", "雨"}};
    // Pieces that setting changes, or that sets what is beside them, among them.
    const char* const pieces[] = {"字", "文", "a", "b", "__", "👍🏽", "险", "e\u0301",
                                  " ",  "　", ",", "!", "…",  "...",      "！", "，"};
    const char* const keywords[] = {"K", "关键", "ab", "😀", "A 1"};
    const char* const punctuation[] = {"", ",", "，", " ", "！"};
    const Platform narrow{.name = "窄", .min_length = 4, .max_length = 7};
    const Platform narrow_half{.name = "半", .min_length = 3, .max_length = 5, .ascii_counts_half = true};
    std::vector<const Platform*> choices = {nullptr, &narrow, &narrow_half};
    for (const Platform& platform : platforms()) choices.push_back(&platform);
    // Refused: a few words (the last one across a join), and per round some phrases and
    // pairs of phrases of two lists, named by their marks.
    const std::vector<Text> words = {from_utf8("险"), from_utf8("ab"), from_utf8("字子")};
    std::set<Text> refused_marks;
    std::set<std::pair<Text, Text>> refused_pairs;
    std::set<Text> used;  // the headlines the writer used, per round
    const auto blocking = [&](TextView headline) -> Text {
        for (const Text& word : words) {
            if (headline.find(word) != TextView::npos) return word;
        }
        for (const Text& mark : refused_marks) {
            if (headline.find(mark) != TextView::npos) return mark;
        }
        for (const auto& [a, b] : refused_pairs) {
            if (headline.find(a) != TextView::npos && headline.find(b) != TextView::npos) return a + b;
        }
        return {};
    };
    const std::regex header("^(只生成了|只有) (\\d+) 条.*（要 (\\d+) 条）");
    const std::regex combinations("只能组成 (\\d+) 条");

    std::mt19937 random(20240611);
    const auto below = [&random](size_t n) { return static_cast<size_t>(random() % n); };
    HeadlineMeasure measure;
    int unknown = 0;  // rounds whose bound the brute force gave up on
    for (int round = 0; round < 1500; ++round) {
        GeneratorInput input;
        input.suffix_mode = below(2);
        const size_t parts = input.suffix_mode ? 3 : 2;
        std::vector<Text>* lists[] = {&input.prefixes, &input.links, &input.suffixes};
        for (size_t p = 0; p < parts; ++p) {
            const size_t size = 1 + below(10);
            for (size_t i = 0; i < size; ++i) {
                if (i > 0 && below(6) == 0) {
                    lists[p]->push_back((*lists[p])[below(i)]);  // the same line twice
                    continue;
                }
                std::string phrase;
                for (size_t n = below(3) / 2; n-- > 0;) phrase += pieces[below(std::size(pieces))];
                phrase += marks[p][i];
                for (size_t n = below(6); n-- > 0;) phrase += pieces[below(std::size(pieces))];
                lists[p]->push_back(from_utf8(phrase));
            }
        }
        input.punctuation_1 = from_utf8(punctuation[below(std::size(punctuation))]);
        input.punctuation_2 = from_utf8(punctuation[below(std::size(punctuation))]);
        input.punctuation_3 = from_utf8(punctuation[below(std::size(punctuation))]);
        input.count = 1 + static_cast<int>(below(30));
        WriterOptions& writer = input.writer;
        if (below(2)) {
            for (size_t n = 1 + below(3); writer.keywords.size() < n;) {
                const Text keyword = from_utf8(keywords[below(std::size(keywords))]);
                if (std::find(writer.keywords.begin(), writer.keywords.end(), keyword) == writer.keywords.end()) {
                    writer.keywords.push_back(keyword);
                }
            }
        }
        writer.platform = choices[below(choices.size())];
        writer.no_repeat = below(2);
        refused_marks.clear(), refused_pairs.clear();
        if (below(3) == 0) {
            writer.blocking_word = blocking;
            for (size_t p = 0; p < parts; ++p) {
                for (size_t i = 0; i < lists[p]->size(); ++i) {
                    if (below(10) == 0) refused_marks.insert(from_utf8(marks[p][i]));
                    for (size_t q = p + 1; q < parts; ++q) {
                        for (size_t j = 0; j < lists[q]->size(); ++j) {
                            if (below(5) == 0) refused_pairs.emplace(from_utf8(marks[p][i]), from_utf8(marks[q][j]));
                        }
                    }
                }
            }
        }
        const bool still = below(2);

        // The facts: per keyword every allowed headline, as set; per list the marks of the
        // phrases that stand in one.
        const size_t k = std::max<size_t>(writer.keywords.size(), 1);
        const auto mark_of = [&](size_t part, const Text& headline) {
            const std::string utf8 = to_utf8(headline);
            for (const std::string& mark : marks[part]) {
                if (utf8.find(mark) != std::string::npos) return mark;
            }
            return std::string();
        };
        // A headline of these phrases with keyword j: composed, then set.
        const Text* punctuation_of[] = {&input.punctuation_1, &input.punctuation_2, &input.punctuation_3};
        const auto compose = [&](const std::array<const Text*, 3>& phrases, size_t j) {
            Text raw;
            std::vector<KeywordSpan> spans;
            for (size_t p = 0; p < parts; ++p) {
                const FilledPhrase filled = writer.keywords.empty()
                                                ? FilledPhrase{*phrases[p], {}}
                                                : fill_and_mark_blanks(*phrases[p], writer.keywords[j]);
                for (const KeywordSpan& span : filled.keywords) {
                    spans.push_back({raw.size() + span.begin, raw.size() + span.end});
                }
                raw += filled.text + *punctuation_of[p];
            }
            return set_headline(raw, spans, writer.typesetting());
        };
        // Per keyword, each headline that fits and holds no refused word, with its phrases.
        std::vector<std::vector<std::pair<Text, std::array<size_t, 3>>>> candidates(k);
        for (size_t j = 0; j < k; ++j) {
            size_t index[3] = {};
            while (true) {
                std::array<const Text*, 3> phrases{};
                for (size_t p = 0; p < parts; ++p) phrases[p] = &(*lists[p])[index[p]];
                const Text headline = compose(phrases, j);
                const int length =
                    measure.measure(headline).counted(writer.platform && writer.platform->ascii_counts_half);
                const bool fits = !writer.limits_length() ||
                                  (length >= writer.platform->min_length && length <= writer.platform->max_length);
                if (fits && (!writer.blocking_word || writer.blocking_word(headline).empty())) {
                    std::array<size_t, 3> phrase_marks{};
                    for (size_t p = 0; p < parts; ++p) {
                        const std::string mark = mark_of(p, *phrases[p]);
                        phrase_marks[p] =
                            static_cast<size_t>(std::find(marks[p].begin(), marks[p].end(), mark) - marks[p].begin());
                    }
                    candidates[j].emplace_back(headline, phrase_marks);
                }
                size_t p = 0;
                while (p < parts && ++index[p] == lists[p]->size()) index[p++] = 0;
                if (p == parts) break;
            }
        }
        // 避开用过的标题: a third of the rounds, some of those headlines were used.
        used.clear();
        if (below(3) == 0) {
            writer.used = [&used](TextView headline) { return used.contains(Text(headline)); };
            for (const auto& of : candidates) {
                for (const auto& [headline, phrase_marks] : of) {
                    if (below(3) == 0) used.insert(headline);
                }
            }
        }
        std::vector<std::set<Text>> allowed(k);
        std::vector<std::set<std::string>> standing(parts);
        std::vector<std::vector<std::pair<size_t, std::array<size_t, 3>>>> allowed_phrases(k);
        std::map<Text, size_t> text_ids;
        for (size_t j = 0; j < k; ++j) {
            for (const auto& [headline, phrase_marks] : candidates[j]) {
                if (used.contains(headline) || !allowed[j].insert(headline).second) continue;
                for (size_t p = 0; p < parts; ++p) standing[p].insert(marks[p][phrase_marks[p]]);
                const size_t id = text_ids.emplace(headline, text_ids.size()).first->second;
                allowed_phrases[j].emplace_back(id, phrase_marks);
            }
        }

        seed_accumulator() = static_cast<std::uint32_t>(random());
        std::uint32_t tick = static_cast<std::uint32_t>(random());
        const Headlines headlines = build_headlines(input, [&] { return still ? tick : tick += 15; });
        const std::vector<Text> lines = lines_of(headlines);
        const std::string shortfall = to_utf8(headlines.shortfall);
        const size_t typed = static_cast<size_t>(input.count), made = lines.size();
        SCOPED_TRACE("round " + std::to_string(round) + ": " + shortfall);
        ASSERT_LE(made, typed + typed % 2);

        // Each headline's record names the prefix entry it holds, and the run's record gives
        // it as the planted title with the headline's keyword.
        ASSERT_EQ(headlines.prefixes.size(), made);
        const RunRecord record(headlines, input, PlantedBoards{.board = "weibo"});
        std::vector<std::set<std::string>> cycle(parts);
        for (size_t i = 0; i < made; ++i) {
            ASSERT_TRUE(allowed[i % k].contains(lines[i])) << to_utf8(lines[i]);
            ASSERT_FALSE(used.contains(lines[i])) << to_utf8(lines[i]);
            // The headline as set is what its phrases, composed, set to.
            std::array<const Text*, 3> phrases{};
            for (size_t p = 0; p < parts; ++p) {
                const std::string mark = mark_of(p, lines[i]);
                for (const Text& phrase : *lists[p]) {
                    if (mark_of(p, phrase) == mark) phrases[p] = &phrase;
                }
                ASSERT_NE(phrases[p], nullptr) << to_utf8(lines[i]);
            }
            ASSERT_EQ(to_utf8(lines[i]), to_utf8(compose(phrases, i % k)));
            const Text& prefix = input.prefixes.at(headlines.prefixes[i]);
            const Text keyword = writer.keywords.empty() ? Text() : writer.keywords[i % k];
            ASSERT_EQ(mark_of(0, prefix), mark_of(0, lines[i]))
                << to_utf8(lines[i]) << " recorded with " << to_utf8(prefix);
            ASSERT_EQ(record.origin_of_line(i, lines[i]),
                      (HeadlineOrigin{.platform = writer.limits_length() ? from_utf8(writer.platform->name) : Text(),
                                      .keyword = keyword,
                                      .board = "weibo",
                                      .planted = prefix}));
            if (!writer.no_repeat) continue;
            for (size_t p = 0; p < parts; ++p) {
                const std::string mark = mark_of(p, lines[i]);
                if (cycle[p].insert(mark).second) continue;
                // A phrase again: every phrase of its list that can stand came first.
                for (const std::string& other : standing[p]) {
                    ASSERT_TRUE(cycle[p].contains(other)) << mark << " again before " << other;
                }
                cycle[p] = {mark};
            }
        }
        if (writer.no_repeat) {
            ASSERT_EQ(std::set<Text>(lines.begin(), lines.end()).size(), made);
        }

        // The used headlines the run kept out: some of the used ones, as the grey line says.
        EXPECT_LE(headlines.used_avoided, used.size());
        const std::regex used_count("避开用过 (\\d+)");
        if (std::smatch count; std::regex_search(shortfall, count, used_count)) {
            EXPECT_EQ(count[1].str(), std::to_string(headlines.used_avoided));
        }
        if (made >= typed) {
            EXPECT_EQ(shortfall, "");
            continue;
        }
        std::smatch match;
        ASSERT_TRUE(std::regex_search(shortfall, match, header));
        EXPECT_EQ(match[2].str(), std::to_string(made));
        EXPECT_EQ(match[3].str(), std::to_string(typed));
        // Repeats allowed: a run stops only when no headline of its keyword may stand.
        if (!writer.no_repeat || match[1].str() == "只有" || shortfall.find("其余组合都") != std::string::npos) {
            EXPECT_TRUE(allowed[made % k].empty());
        }
        // A run without repeats that says the rule (or the refusals under it) kept the rest
        // out made as many as the rule lets any run make.
        if (shortfall.find("排不进去") != std::string::npos || shortfall.find("挡下了") != std::string::npos) {
            std::vector<unsigned> standing_marks(parts);
            for (size_t p = 0; p < parts; ++p) {
                for (size_t i = 0; i < marks[p].size(); ++i)
                    standing_marks[p] |= standing[p].contains(marks[p][i]) << i;
            }
            const std::optional<size_t> most = most_under_the_rule(allowed_phrases, standing_marks, typed + typed % 2);
            if (most) EXPECT_EQ(made, *most);
            else ++unknown;
        }
        if (std::regex_search(shortfall, match, combinations)) {
            // The most headlines without one twice, headline i taking keyword i mod k:
            // every set of keywords has texts enough for its headlines (Hall).
            size_t most = 0;
            for (size_t n = 1; n <= typed; ++n) {
                bool enough = true;
                for (unsigned set = 1; set < (1u << k) && enough; ++set) {
                    std::set<Text> texts;
                    size_t wanted = 0;
                    for (size_t j = 0; j < k; ++j) {
                        if (!(set >> j & 1)) continue;
                        texts.insert(allowed[j].begin(), allowed[j].end());
                        wanted += (n + k - 1 - j) / k;
                    }
                    enough = wanted <= texts.size();
                }
                if (!enough) break;
                most = n;
            }
            EXPECT_EQ(match[1].str(), std::to_string(most));
            EXPECT_EQ(made, most);
        }
    }
    EXPECT_LT(unknown, 5);
}

}  // namespace
}  // namespace qinghe
