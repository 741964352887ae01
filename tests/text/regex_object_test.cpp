#include <gtest/gtest.h>

#include "text/codec.h"
#include "text/regex_object.h"

namespace qinghe {
namespace {

const char* const kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

TEST(RegexObject, CharsetDeclaration) {
    RegexObject regex;
    ASSERT_TRUE(regex.create_and_execute(kCharsetPattern, "<html><META http-equiv=Content-Type content=\"text/html; CHARSET=GB2312\">"));
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

}  // namespace
}  // namespace qinghe
