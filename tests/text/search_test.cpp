#include <gtest/gtest.h>

#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

// "啊" is B0 A1; 0x81 0x41 is a GBK character whose second byte is the letter "A".
const Text kAh = "\xB0\xA1";
const Text kTrailA = "\x81\x41";

struct FindCase {
    const char* what;
    Text source;
    Text needle;
    int start;
    bool ignore_case;
    int expected;
};

TEST(FindText, Table) {
    const FindCase cases[] = {
        {"first match, 1-based", "abcabc", "bc", 1, false, 2},
        {"absent", "abc", "x", 1, false, -1},
        {"start skips earlier matches", "abcabc", "bc", 3, false, 5},
        {"start on the match", "abcabc", "bc", 5, false, 5},
        {"start 0 and negative mean the beginning", "abc", "a", 0, false, 1},
        {"negative start", "abc", "a", -7, false, 1},
        {"start past the end", "abc", "a", 9, false, -1},
        {"case matters by default", "ABC", "b", 1, false, -1},
        {"ignore case for ASCII letters", "ABC", "b", 1, true, 2},
        {"needle longer than source", "ab", "abc", 1, false, -1},
        {"no match on a second byte", kAh + kAh, "\xA1\xB0", 1, false, -1},
        {"letter as a second byte is not a letter", kTrailA + "A", "A", 1, false, 3},
        {"letter as a second byte, ignoring case", kTrailA + "a", "A", 1, true, 3},
        {"double-byte needle", "x" + kAh + "y", kAh, 1, false, 2},
        {"a start on a second byte reads it as a lead byte", kAh + "A", "A", 2, false, -1},
        {"a start on a second byte, then ASCII", kAh + "xA", "A", 2, false, 4},
        {"empty needle with bytes left", "abc", "", 2, false, 1},
        {"empty needle at the end", "abc", "", 4, false, -1},
        {"empty source", "", "a", 1, false, -1},
        {"lead byte at the very end", "ab\xB0", "\xB0", 1, false, 3},
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(find_text(c.source, c.needle, c.start, c.ignore_case), c.expected) << c.what;
    }
}

struct SplitCase {
    const char* what;
    Text text;
    std::vector<Text> expected;
};

TEST(SplitList, CrLfRule) {
    const SplitCase cases[] = {
        {"empty text has no entries", "", {}},
        {"one entry", "A", {"A"}},
        {"three entries", "A\r\nB\r\nC", {"A", "B", "C"}},
        {"empty entry between two breaks", "A\r\n\r\nB", {"A", "", "B"}},
        {"trailing break gives no empty last entry", "A\r\nB\r\n", {"A", "B"}},
        {"leading break gives an empty first entry", "\r\nA", {"", "A"}},
        {"only a break is one empty entry", "\r\n", {""}},
        {"spaces are kept", " A \r\n B ", {" A ", " B "}},
        {"bare CR and LF do not split", "A\rB\nC", {"A\rB\nC"}},
        {"no separator inside a character", "\xB0\x0D\x0A", {"\xB0\x0D\x0A"}},
    };
    for (const SplitCase& c : cases) EXPECT_EQ(split_list(c.text, kCrLf), c.expected) << c.what;
}

TEST(SplitList, NameListAtBar) {
    EXPECT_EQ(split_list("a|b||c", "|"), (std::vector<Text>{"a", "b", "", "c"}));
    EXPECT_TRUE(split_list("", "|").empty());
    const Text names = from_utf8("编辑框1|编辑框_标点1");
    EXPECT_EQ(split_list(names, "|"), (std::vector<Text>{from_utf8("编辑框1"), from_utf8("编辑框_标点1")}));
}

TEST(ReplaceAll, Table) {
    const Text quote_marker = from_utf8("#引号");
    EXPECT_EQ(replace_all("A\r\nB\r\nC", "\r\n", "><br><"), "A><br><B><br><C");
    EXPECT_EQ(replace_all("A><br><B", "><br><", "\r\n"), "A\r\nB");
    EXPECT_EQ(replace_all("say \"hi\"", "\"", quote_marker), "say " + quote_marker + "hi" + quote_marker);
    EXPECT_EQ(replace_all(quote_marker + quote_marker, quote_marker, "\""), "\"\"");
    EXPECT_EQ(replace_all("aaa", "aa", "b"), "ba") << "non-overlapping, left to right";
    EXPECT_EQ(replace_all("abc", "", "x"), "abc");
    EXPECT_EQ(replace_all(kAh + kAh, "\xA1\xB0", "x"), kAh + kAh) << "never inside a character";
    EXPECT_EQ(replace_all(kTrailA, "A", "a"), kTrailA);
    EXPECT_EQ(replace_all("ABab", "a", "x"), "ABxb") << "case-sensitive";
}

}  // namespace
}  // namespace qinghe
