#include <gtest/gtest.h>

#include "text/codec.h"
#include "text/markers.h"

namespace qinghe {
namespace {

TEST(TextBetween, Table) {
    EXPECT_EQ(text_between("<a href=x>Title</a>", ">", "<"), "Title");
    EXPECT_EQ(text_between("a[1]b[2]", "[", "]", 4), "2") << "start position";
    EXPECT_EQ(text_between("x<B>y</B>", "<b>", "</b>", 1, true), "y");
    EXPECT_EQ(text_between("x<B>y</B>", "<b>", "</b>"), "") << "case-sensitive by default";
    EXPECT_EQ(text_between("abc", "a", "z"), "");
    EXPECT_EQ(text_between("abc", "z", "c"), "");
    EXPECT_EQ(text_between("id=\"7\"", from_utf8("id=#引号"), from_utf8("#引号")), "7") << "quote placeholder";
    EXPECT_EQ(text_between("\xB0\x3E" "x>y<", ">", "<"), "y") << "no marker on a second byte";
}

TEST(TextBeforeAndAfter, Table) {
    EXPECT_EQ(text_before("Set-Cookie: a=1", ": "), "Set-Cookie");
    EXPECT_EQ(text_before("no marker", ": "), "");
    EXPECT_EQ(text_after_last("a: b: c", ": "), "c");
    EXPECT_EQ(text_after_last("aaa", "aa"), "") << "the last occurrence may overlap the one before";
    EXPECT_EQ(text_after_last("none", "x"), "");
}

TEST(HeaderValue, FirstLineThatBeginsWithTheName) {
    const Text block = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: keep-alive\r\nConnection: close\r\n";
    EXPECT_EQ(header_value(block, "Connection"), "keep-alive");
    EXPECT_EQ(header_value(block, "connection"), "") << "case-sensitive";
    EXPECT_EQ(header_value(block, "Missing"), "");
}

TEST(CapitalizeFirst, Table) {
    EXPECT_EQ(capitalize_first("user"), "User");
    EXPECT_EQ(capitalize_first("User"), "User");
    EXPECT_EQ(capitalize_first("1a"), "1a");
    EXPECT_EQ(capitalize_first(""), "");
    EXPECT_EQ(capitalize_first("\xB0\xA1"), "\xB0\xA1");
}

}  // namespace
}  // namespace qinghe
