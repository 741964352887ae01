#include <gtest/gtest.h>

#include "text/codec.h"
#include "titles/generator.h"

namespace qinghe {
namespace {

TEST(ParseCount, Table) {
    const std::pair<const char*, int> cases[] = {
        {"10", 10},
        {"9", 9},
        {"1", 1},
        {"0", 0},
        {"-3", -3},
        {"", 0},
        {"abc", 0},
        {" 12abc", 12},
        {"3.9", 3},
        {"+7", 7},
        {"\t\r\n 5", 5},
        {"- 5", 0},
        {"1 2", 1},
        {"007", 7},
        {"１０", 10},    // full-width digits
        {"　１２", 12},  // ideographic space, then full-width digits
        {"－４", -4},    // full-width minus
        {"＋３", 3},
        {"１２ａｂｃ", 12},
        {"100000", 100000},
        {"100001", 100000},
        {"99999999999", 100000},
        {"99999999999999999999999999", 100000},
        {"-99999999999", -100000},
        {"～5", 0},
        {"★5", 0},  // a tilde or a star is not a sign
    };
    for (const auto& [utf8, expected] : cases) EXPECT_EQ(parse_count(from_utf8(utf8)), expected) << utf8;
    EXPECT_EQ(parse_count("\xA3\xB1\xB2"), 1) << "a lone lead byte's partner is not read as a digit";
}

class BuildHeadlines : public testing::Test {
protected:
    void SetUp() override { seed_accumulator() = 0; }

    static std::vector<Text> lines_of(const Headlines& headlines) {
        std::vector<Text> lines;
        size_t begin = 0;
        for (size_t end : headlines.ends) {
            lines.push_back(headlines.text.substr(begin, end - begin));
            begin = end;
        }
        return lines;
    }
};

// Expected headlines worked out by hand from the generator's definition (seed = tick +
// accumulator; accumulator += (seed & 0xFF) + 100; v = ((seed * 214013 + 2531011) >> 16)
// & 0x7FFF; entry 1 + v mod n).
TEST_F(BuildHeadlines, ExactDrawsWithAFixedTick) {
    GeneratorInput input{.prefixes = {"P1", "P2", "P3"},
                         .links = {"L1", "L2"},
                         .suffixes = {"S1", "S2", "S3", "S4", "S5"},
                         .punctuation_1 = ",",
                         .punctuation_2 = ",",
                         .punctuation_3 = "!",
                         .suffix_mode = true,
                         .count = 3};
    const Headlines headlines = build_headlines(input, [] { return 1000u; });
    EXPECT_EQ(lines_of(headlines), (std::vector<Text>{"P2,L1,S5!", "P1,L1,S4!", "P2,L2,S4!", "P2,L2,S2!"}));
    EXPECT_EQ(seed_accumulator(), 2996u);
}

TEST_F(BuildHeadlines, ExactDrawsWithTicksThatWrap) {
    GeneratorInput input{.prefixes = {"P1", "P2", "P3", "P4"},
                         .links = {"L1", "L2", "L3"},
                         .punctuation_1 = "-",
                         .punctuation_2 = "",
                         .count = 1};
    std::uint32_t tick = 4294967290u;
    const Headlines headlines = build_headlines(input, [&tick] { return tick += 7; });
    EXPECT_EQ(lines_of(headlines), (std::vector<Text>{"P2-L2", "P4-L1"}));
    EXPECT_EQ(seed_accumulator(), 824u);
}

TEST_F(BuildHeadlines, PassesOfTwo) {
    GeneratorInput input{.prefixes = {"p"}, .links = {"l"}};
    for (const auto& [count, expected] :
         {std::pair{10, 10}, {9, 10}, {1, 2}, {2, 2}, {0, 0}, {-4, 0}, {kMaxHeadlines, kMaxHeadlines}}) {
        input.count = count;
        EXPECT_EQ(build_headlines(input, [] { return 0u; }).ends.size(), static_cast<size_t>(expected)) << count;
    }
}

TEST_F(BuildHeadlines, FourAndSixParts) {
    GeneratorInput input{.prefixes = {"A"},
                         .links = {"B"},
                         .suffixes = {"C"},
                         .punctuation_1 = "1",
                         .punctuation_2 = "2",
                         .punctuation_3 = "3",
                         .count = 1};
    EXPECT_EQ(lines_of(build_headlines(input, [] { return 0u; }))[0], "A1B2");
    input.suffix_mode = true;
    EXPECT_EQ(lines_of(build_headlines(input, [] { return 0u; }))[0], "A1B2C3");
    input.suffixes = {""};  // a suffix box holding only a line break
    EXPECT_EQ(lines_of(build_headlines(input, [] { return 0u; }))[0], "A1B23");
    input.punctuation_1 = input.punctuation_2 = input.punctuation_3 = "";
    input.prefixes = {""};
    EXPECT_EQ(lines_of(build_headlines(input, [] { return 0u; }))[0], "B");
    input.punctuation_2 = from_utf8("，，、");
    EXPECT_EQ(lines_of(build_headlines(input, [] { return 0u; }))[0], "B" + from_utf8("，，、"));
}

TEST_F(BuildHeadlines, EmptyListStopsWithoutDrawing) {
    GeneratorInput input{.prefixes = {}, .links = {"l"}, .count = 10};
    EXPECT_TRUE(build_headlines(input, [] { return 0u; }).ends.empty());
    input.prefixes = {"p"};
    input.links = {};
    EXPECT_TRUE(build_headlines(input, [] { return 0u; }).ends.empty());
    EXPECT_EQ(seed_accumulator(), 0u);
}

TEST_F(BuildHeadlines, OnlyTheFirst32768EntriesCanBeDrawn) {
    GeneratorInput input{.prefixes = std::vector<Text>(40000, "x"), .links = {"l"}, .count = 2000};
    input.prefixes.back() = "last";
    std::uint32_t tick = 0;
    const Headlines headlines = build_headlines(input, [&tick] { return tick++; });
    EXPECT_EQ(headlines.text.find("last"), Text::npos);
}

}  // namespace
}  // namespace qinghe
