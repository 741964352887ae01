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
    EXPECT_EQ(text_between("\xB0\x3E"
                           "x>y<",
                           ">", "<"),
              "y")
        << "no marker on a second byte";
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

namespace qinghe {
namespace {

std::vector<Text> extract(TextView source, TextView start, TextView end, const ExtractOptions& options = {}) {
    std::vector<Text> result = {"stale"};
    const size_t count = extract_all_between(source, start, end, result, options);
    EXPECT_EQ(count, result.size());
    return result;
}

TEST(ExtractAllBetween, Entries) {
    EXPECT_EQ(extract("[a][b][]", "[", "]"), (std::vector<Text>{"a", "b", ""}));
    EXPECT_EQ(extract("no markers", "[", "]"), std::vector<Text>{});
    EXPECT_EQ(extract("[a][b", "[", "]"), std::vector<Text>{"a"}) << "stops at a start without an end";
    EXPECT_EQ(extract("<a list-title x>1<a list-title y>2</a>", "list-title", "/a>"),
              (std::vector<Text>{" x>1<a list-title y>2<", " y>2<"}))
        << "the next search starts after the start marker, so two entries share an end";
    EXPECT_EQ(extract("List-Title>x</a>", "list-title", "/a>"), std::vector<Text>{}) << "case-sensitive";
    EXPECT_EQ(extract("List-Title>x</a>", "list-title", "/a>", {.ignore_case = true}), std::vector<Text>{">x<"});
    // 0x81 0x6C is a character whose second byte is "l": it does not start "list-title".
    EXPECT_EQ(extract("\x81list-title>x</a>", "list-title", "/a>"), std::vector<Text>{});
    EXPECT_EQ(extract("[a][b]", "", "]"), std::vector<Text>{}) << "an empty marker finds nothing, and never loops";
    EXPECT_EQ(extract("[a][b]", "[", ""), std::vector<Text>{});
}

TEST(ExtractAllBetween, Options) {
    EXPECT_EQ(extract("[a][bb][ccc]", "[", "]", {.length_limit = 3}), (std::vector<Text>{"a", "bb"}));
    EXPECT_EQ(extract("[a]", "[", "]", {.text_before = "<", .text_after = ">"}), std::vector<Text>{"<a>"});
    EXPECT_EQ(extract("[a]", "[", "]", {.keep_start_marker = true, .keep_end_marker = true}), std::vector<Text>{"[a]"});
    EXPECT_EQ(extract("[a][b]", "[", "]", {.start_position = 2}), std::vector<Text>{"b"});
    EXPECT_EQ(extract("[a][b]", "[", "]", {.start_position = 1}), (std::vector<Text>{"a", "b"}));
    int calls = 0;
    extract("[a][b][c", "[", "]", {.after_entry = [&calls] { ++calls; }});
    EXPECT_EQ(calls, 2) << "after every entry";
}

}  // namespace
}  // namespace qinghe
