#include <gtest/gtest.h>

#include <chrono>

#include "text/codec.h"
#include "text/regex_object.h"

namespace qinghe {
namespace {

const char* const kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

TEST(RegexObject, CharsetDeclaration) {
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute(kCharsetPattern,
                                         "<html><META http-equiv=Content-Type content=\"text/html; CHARSET=GB2312\">"));
    EXPECT_EQ(regex.submatch_text(1, 1), "GB2312") << "case ignored by default; the page's capitals kept";
    ASSERT_TRUE(regex.create_and_execute(kCharsetPattern, "<meta charset=\"utf-8\">"));
    EXPECT_EQ(regex.submatch_text(1, 1), "utf-8");
    ASSERT_TRUE(regex.create_and_execute(kCharsetPattern, "<meta http-equiv=x\ncontent=\"charset=utf-8\">"));
    EXPECT_EQ(regex.match_count(), 0) << "\".\" never crosses a line feed";
    EXPECT_EQ(regex.submatch_text(1, 1), "");
}

TEST(RegexObject, FailuresGiveEmptyResults) {
    RegexObject regex;
    EXPECT_EQ(regex.get_pattern(), "");
    EXPECT_EQ(regex.match_count(), 0);
    EXPECT_FALSE(regex.create_and_execute("(unbalanced", "x"));
    EXPECT_EQ(regex.match_text(1), "");
    ASSERT_TRUE(regex.create_and_execute("a(b)?", "ac"));
    EXPECT_EQ(regex.match_text(0), "");
    EXPECT_EQ(regex.match_text(2), "");
    EXPECT_EQ(regex.submatch_text(1, 1), "") << "a group that took no part";
    EXPECT_EQ(regex.submatch_text(1, 2), "");
    EXPECT_EQ(regex.submatch_count(), 1);
}

TEST(RegexObject, OptionsAndGlobal) {
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute("^\\w+$", "one\ntwo\n"));
    EXPECT_EQ(regex.match_count(), 2) << "multiline and global by default";
    ASSERT_TRUE(regex.create_and_execute("^\\w+$", "one\ntwo", false, false));
    EXPECT_EQ(regex.match_count(), 0);
    ASSERT_TRUE(regex.create_and_execute("o", "foo", false, true, false));
    EXPECT_EQ(regex.match_count(), 1);
    ASSERT_TRUE(regex.create_and_execute("A", "a", true));
    EXPECT_EQ(regex.match_count(), 0);
    ASSERT_TRUE(regex.create_and_execute("\\w+", from_utf8("中文abc")));
    EXPECT_EQ(regex.match_text(1), "abc") << "\\w is ASCII only";
    ASSERT_TRUE(regex.create_and_execute("x*", "ab"));
    EXPECT_EQ(regex.match_count(), 3) << "an empty match advances one position";
    ASSERT_TRUE(regex.create_and_execute(from_utf8("id=#引号(\\d+)#引号"), "id=\"42\"", false, true, true, true));
    EXPECT_EQ(regex.submatch_text(1, 1), "42");
    EXPECT_EQ(regex.get_pattern(), "id=\"(\\d+)\"");
    ASSERT_TRUE(regex.create_and_execute("second", "first second"));
    EXPECT_EQ(regex.get_pattern(), "second");
    EXPECT_EQ(regex.match_count(), 1);
}

TEST(RegexObject, DoubleByteCharactersCountOnce) {
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute("^.{2}", from_utf8("中文x")));
    EXPECT_EQ(regex.match_text(1), from_utf8("中文"));
    int offset = -1;
    ASSERT_TRUE(regex.create_and_execute("(b)c", from_utf8("中文abc")));
    EXPECT_EQ(regex.match_text(1, &offset), "bc");
    EXPECT_EQ(offset, 5) << "character offset 3 plus two double-byte characters";
    EXPECT_EQ(regex.submatch_text(1, 1, &offset), "b");
    EXPECT_EQ(offset, 5);
}

TEST(RegexObject, ReplaceAll) {
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute("(\\w)(\\d)", "a1 b2"));
    EXPECT_EQ(regex.replace_all("$2$1"), "1a 2b");
    EXPECT_EQ(regex.replace_all("[$&]"), "[a1] [b2]");
    EXPECT_EQ(regex.replace_all("$$"), "$ $");
    EXPECT_EQ(regex.replace_all("$3$0$"), "$3$0$ $3$0$") << "a $ naming no group stays";
    EXPECT_EQ(regex.replace_all("$12"), "a2 b2") << "$12 is group 1 then 2 when there are two groups";
    ASSERT_TRUE(regex.create_and_execute("b", "abc"));
    EXPECT_EQ(regex.replace_all("<$`|$'>"), "a<a|c>c");
    ASSERT_TRUE(regex.create_and_execute("o", "foo", false, true, false));
    EXPECT_EQ(regex.replace_all("0"), "f0o") << "without global only the first";
}

TEST(RegexObject, CopiesShareResultsAndKeepTheirSubject) {
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute("\\d+", "a12b345"));
    const RegexObject copy = regex;
    ASSERT_TRUE(regex.create_and_execute("x", "y"));
    EXPECT_EQ(copy.match_count(), 2);
    EXPECT_EQ(copy.match_text(2), "345");
    EXPECT_EQ(regex.match_count(), 0);
}

TEST(RegexObject, CrEndsALineToo) {
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute("^\\w+$", "one\r\ntwo\r\nthree"));
    EXPECT_EQ(regex.match_count(), 3);
    EXPECT_EQ(regex.match_text(2), "two");
    ASSERT_TRUE(regex.create_and_execute("^\\w+$", "one\rtwo"));
    EXPECT_EQ(regex.match_count(), 2) << "a lone CR ends a line";
    ASSERT_TRUE(regex.create_and_execute("a.b", "a\rb a\nb axb"));
    EXPECT_EQ(regex.match_count(), 1) << "\".\" matches no line end";
}

TEST(RegexObject, LetterCaseTheUnicodeWay) {
    RegexObject regex;
    for (const char* pair : {"é|É", "ж|Ж", "Σ|σ"}) {
        const Text lower = from_utf8(std::string(pair).substr(0, std::string(pair).find('|')));
        const Text upper = from_utf8(std::string(pair).substr(std::string(pair).find('|') + 1));
        ASSERT_TRUE(regex.create_and_execute(lower, upper));
        EXPECT_EQ(regex.match_count(), 1) << pair;
        ASSERT_TRUE(regex.create_and_execute(lower, upper, true));
        EXPECT_EQ(regex.match_count(), 0) << pair << " case-sensitive";
    }
    ASSERT_TRUE(regex.create_and_execute("\\w+", from_utf8("éabc")));
    EXPECT_EQ(regex.match_text(1), "abc") << "\\w stays ASCII";
}

TEST(RegexObject, UnsetBackReferenceMatchesEmpty) {
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute("(a)?b\\1", "b"));
    EXPECT_EQ(regex.match_text(1), "b");
}

TEST(RegexObject, PatternKeptAfterAFailedRun) {
    RegexObject regex;
    EXPECT_FALSE(regex.create_and_execute("(unbalanced", "x"));
    EXPECT_EQ(regex.get_pattern(), "(unbalanced");
    EXPECT_FALSE(regex.create_and_execute(from_utf8("#引号(("), "x", false, true, true, true));
    EXPECT_EQ(regex.get_pattern(), "\"((");
}

TEST(RegexObject, ByteOffsetsComeFromTheMatch) {
    struct Case {
        const char* pattern;
        std::string subject;  // UTF-8
        int match, group;     // group 0: the whole match
        int offset;
    };
    const Case cases[] = {
        {"a", "中中a", 1, 0, 4},     {"a", "aa", 2, 0, 1},   {"a.(a)", "aba", 1, 1, 2},
        {"", "", 1, 0, 0},           {"x", "😀x", 1, 0, 4},  // a four-byte character
        {"(b)|(c)", "中c", 1, 2, 2}, {"b", "中ab", 1, 0, 3}, {"$", "ab", 1, 0, 2},
    };
    for (const Case& c : cases) {
        RegexObject regex;
        ASSERT_TRUE(regex.create_and_execute(c.pattern, from_utf8(c.subject))) << c.pattern;
        int offset = -2;
        if (c.group == 0) regex.match_text(c.match, &offset);
        else regex.submatch_text(c.match, c.group, &offset);
        EXPECT_EQ(offset, c.offset) << c.pattern << " over " << c.subject;
    }
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute("(b)|(c)", "c"));
    int offset = 0;
    EXPECT_EQ(regex.submatch_text(1, 1, &offset), "");
    EXPECT_EQ(offset, -1) << "a group that took no part";
    // Bytes that are no GB18030 character still count as the bytes they are.
    ASSERT_TRUE(regex.create_and_execute("z", "\x81\x30z"));
    EXPECT_EQ(regex.match_text(1, &offset), "z");
    EXPECT_EQ(offset, 2);
}

TEST(RegexObject, InvalidBytesKeepTheCallersOffsets) {
    // 0xFF, 0x81 (before "0") and 0x80 are no GB18030 characters; each is matched as U+FFFD.
    const Text subject = "\xFF"
                         "a\x81"
                         "0b" +
                         from_utf8("中") +
                         "\x80"
                         "c";
    const Text replacement = from_utf8("\uFFFD");
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute("a(.+)b(.)(.)(c)", subject));
    const std::pair<Text, int> expected[] = {
        {"a" + replacement + "0b" + from_utf8("中") + replacement + "c", 1},
        {replacement + "0", 2},
        {from_utf8("中"), 5},
        {replacement, 7},
        {"c", 8},
    };
    for (int g = 0; g <= 4; ++g) {
        int offset = -2;
        const Text text = g == 0 ? regex.match_text(1, &offset) : regex.submatch_text(1, g, &offset);
        EXPECT_EQ(text, expected[g].first) << "group " << g;
        EXPECT_EQ(offset, expected[g].second) << "group " << g;
    }
}

TEST(RegexObject, RunsAreBounded) {
    using Clock = std::chrono::steady_clock;
    RegexObject regex;
    const std::string one_run(4095, 'a');
    auto start = Clock::now();
    EXPECT_FALSE(regex.create_and_execute("(?:a|a)+c|.", one_run + "x")) << "the engine gave up";
    EXPECT_EQ(regex.match_count(), 0);
    EXPECT_EQ(regex.match_text(1), "");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));

    // Each position costs less than the limit, but all of them together far more.
    std::string short_runs;
    while (short_runs.size() < 40000) short_runs += std::string(14, 'a') + "x";
    start = Clock::now();
    EXPECT_FALSE(regex.create_and_execute("(?:a|a)+c|.", short_runs));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));

    regex.set_limits({.match_limit = 1000});
    EXPECT_FALSE(regex.create_and_execute("(?:a|a)+[cd]", std::string(30, 'a')));
    ASSERT_TRUE(regex.create_and_execute("a+c", std::string(30, 'a') + "c")) << "ordinary work stays within";
    EXPECT_EQ(regex.match_count(), 1);
}

}  // namespace
}  // namespace qinghe
