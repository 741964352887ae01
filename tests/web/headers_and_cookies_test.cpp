#include <gtest/gtest.h>

#include "text/codec.h"
#include "web/charset.h"
#include "web/cookies.h"
#include "web/header_block.h"

namespace qinghe {
namespace {

const Text kDefaults = "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
                       "Accept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
                       "Accept-Language: zh-cn\r\nCache-Control: no-cache";

TEST(HeaderBlock, DefaultsInOrder) {
    EXPECT_EQ(build_header_block({}), kDefaults);
    EXPECT_EQ(build_header_block({.method = static_cast<HttpMethod>(9)}), kDefaults);
    const Text post = build_header_block({.method = HttpMethod::Post});
    EXPECT_NE(post.find("Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\nCache-Control"),
              Text::npos);
    EXPECT_EQ(build_header_block({.extra_headers = "content-type: text/plain", .method = HttpMethod::Post})
                  .find("x-www-form"),
              Text::npos);
}

TEST(HeaderBlock, CallerLinesWin) {
    const Text block = build_header_block({.extra_headers = "user-agent: x"});
    EXPECT_EQ(block.find("User-Agent: x\r\nAccept: "), 0u);
    EXPECT_EQ(block.find("Mozilla"), Text::npos);
    EXPECT_EQ(build_header_block({.extra_headers = "X-Accept: a"}).find("Accept: text/html"), Text::npos)
        << "a substring search: X-Accept counts as Accept";
}

TEST(HeaderBlock, KeepAliveIsRemovedButCloseStays) {
    const Text keep_alive = build_header_block({.extra_headers = "connection: keep-alive"});
    EXPECT_EQ(keep_alive.find("Connection"), Text::npos);
    EXPECT_EQ(keep_alive, kDefaults);
    EXPECT_EQ(build_header_block({.extra_headers = "Connection: close"}).find("Connection: close\r\n"), 0u);
    // Without normalisation a last keep-alive line has no CR LF after it and stays.
    EXPECT_NE(build_header_block(
                  {.extra_headers = "Connection: keep-alive", .add_default_headers = false, .normalize_headers = true})
                  .find("Connection: keep-alive"),
              Text::npos);
}

TEST(HeaderBlock, CookieLine) {
    EXPECT_EQ(build_header_block({.cookies = "a=1; b=2"}), kDefaults + "\r\nCookie: a=1; b=2\r\n");
    EXPECT_EQ(build_header_block({.cookies = "Cookie: a=1"}), kDefaults + "\r\nCookie: a=1\r\n");
    EXPECT_EQ(build_header_block({.extra_headers = "cookie: z=9", .cookies = "a=1"}).find("a=1"), Text::npos);
}

TEST(NormalizeHeaderBlock, Table) {
    EXPECT_EQ(normalize_header_block("user-agent: x\r\nx-my-HEADER: y\r\n"), "User-Agent: x\r\nX-My-HEADER: y");
    EXPECT_EQ(normalize_header_block("a: 1\r\n\r\nno colon\r\nb-: 2"), "A: 1\r\nB-: 2");
    EXPECT_EQ(normalize_header_block("nothing"), "");
    EXPECT_EQ(normalize_header_block("\xB0\x61-a: 1"), "\xB0\x61-A: 1") << "a second byte is never raised";
}

TEST(Cookies, Collect) {
    Text new_cookies, location = "before";
    for (const char* line : {"HTTP/1.1 200 OK", "Set-Cookie: a=1; path=/", "Set-Cookie: b=2", "set-cookie: c=3", ""}) {
        collect_response_cookies(line, new_cookies, location);
    }
    EXPECT_EQ(new_cookies, "a=1; b=2; ");
    EXPECT_EQ(location, "before");
    collect_response_cookies("LOCATION: /next", new_cookies, location);
    EXPECT_EQ(location, "/next");
    collect_response_cookies("Location: http://127.0.0.1/second", new_cookies, location);
    EXPECT_EQ(location, "http://127.0.0.1/second");
    Text empty;
    collect_response_cookies("Set-Cookie: ", empty, location);
    collect_response_cookies("Set-Cookie: nameonly", empty, location);
    EXPECT_EQ(empty, "; nameonly; ");
}

TEST(Cookies, Merge) {
    struct Case {
        Text old_cookies, collected, merged;
    } const cases[] = {
        {"a=1; b=2", "b=3; c=deleted", "b=3; a=1"},
        {"a=1; a=2", "", "a=1"},
        {"sid=x y", "", "sid=xy"},
        {"a=deleted", "b=deleted", ""},
        {"a=1", "a=1; a=1", "a=1"},
        {"\xA1\xA1z=1", "", "z=1"},
    };
    for (const Case& c : cases) {
        Text old_cookies = c.old_cookies, collected = c.collected;
        EXPECT_EQ(merge_cookie_lists(old_cookies, collected), c.merged) << c.old_cookies;
        EXPECT_EQ(old_cookies, c.merged);
    }
}

TEST(Cookies, Helpers) {
    EXPECT_EQ(cookie_name(" a =1"), "a");
    EXPECT_EQ(cookie_name("flag"), "flag");
    EXPECT_TRUE(has_cookie_named({"x=1", "a=2"}, "a"));
    EXPECT_FALSE(has_cookie_named({"A=2"}, "a"));
    EXPECT_FALSE(has_cookie_named({}, "a"));
    EXPECT_EQ(remove_duplicate_items("a; b; a; c; b", "; "), "a; b; c");
    EXPECT_EQ(remove_duplicate_items("", "; "), "");
    EXPECT_EQ(trim_spaces("\xA1\xA1 a b \xA1\xA1"), "a b");
    EXPECT_EQ(trim_spaces("\xB0\x20"), "\xB0\x20") << "0x20 after a lead byte is no space";
}

TEST(Charset, DetectAndConvert) {
    const std::string utf8_page = "<html><head><meta charset=\"utf-8\"></head><body>热点😀</body></html>";
    Text text = utf8_page;
    detect_and_convert_charset(text, utf8_page);
    EXPECT_EQ(text, from_utf8(utf8_page));

    const ByteArray gbk_page = "<meta content=\"text/html; charset=\"gb2312\">" + from_utf8("新闻");
    text = gbk_page;
    detect_and_convert_charset(text, gbk_page);
    EXPECT_EQ(text, gbk_page) << "the GBK names need no conversion";

    const ByteArray upper = "<meta charset=GBK>" + from_utf8("新闻") + "\x80";
    text = upper;
    detect_and_convert_charset(text, upper);
    EXPECT_EQ(text.substr(0, upper.size() - 1), upper.substr(0, upper.size() - 1)) << "GBK goes through the converter";

    const std::string late = std::string(1100, ' ') + "<meta charset=utf-8>\xE4\xB8\xAD";
    text = late;
    detect_and_convert_charset(text, late);
    EXPECT_EQ(text, late) << "a declaration after byte 1024 is not seen";

    const std::string unknown = "<meta charset=no-such-set>abc";
    text = unknown;
    detect_and_convert_charset(text, unknown);
    EXPECT_EQ(text, unknown);

    const std::string big5 = "<meta charset=big5>\xA4\xA4";
    text = big5;
    detect_and_convert_charset(text, big5);
    EXPECT_EQ(text, "<meta charset=big5>" + from_utf8("中"));
}

TEST(Charset, Labels) {
    EXPECT_EQ(converter_for_charset("GB2312"), "gb18030");
    EXPECT_EQ(converter_for_charset("x-gbk"), "gb18030");
    EXPECT_EQ(converter_for_charset("UTF-16"), "utf-8");
    EXPECT_EQ(converter_for_charset("Shift_JIS"), "shift_jis");
}

}  // namespace
}  // namespace qinghe
