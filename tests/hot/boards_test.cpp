// The boards: each reader on bodies shaped like its site's, the cleaning of titles and
// reasons, the bounds on JSON, and each board fetched from scripted servers on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>

#include "hot/board_page.h"
#include "hot/boards.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"
#include "hot/title_text.h"
#include "tests/support/http_server.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "web/http_request.h"

namespace qinghe {
namespace {

using namespace qinghe::test;
using Titles = std::vector<Text>;
using Reader = Titles (*)(std::string_view utf8, const std::function<void()>& pump);

Titles program_texts(const std::vector<std::string>& utf8) {
    Titles out;
    for (const std::string& s : utf8) out.push_back(from_utf8(s));
    return out;
}

struct BoardSample {
    const char* key;
    Reader reader;
    std::string body;  // as the site serves it: pinned or advertised entries, empty words, separators, emoji
    std::vector<std::string> titles;
};

const BoardSample kSamples[] = {
    {"weibo",
     weibo_titles,
     R"({"ok":1,"data":{"realtime":[{"word":"第一条","num":5,"is_ad":false},{"word":"广告","is_ad":true},)"
     R"({"word":"广告二","is_ad":1},{"word":""},{"word":"段落\u2029分隔"},{"word":"表情😀","is_ad":0},{"num":1}],)"
     R"("hotgovs":[{"word":"置顶"}]}})",
     {"第一条", "段落 分隔", "表情😀"}},
    {"zhihu",
     zhihu_titles,
     R"({"data":[{"type":"hot_list_feed","target":{"title":"问题一？","excerpt":"x"}},{"target":{"title":" \u3000 "}},)"
     R"({"target":{"title":"换行\n问题"}},{"target":{}},{"target":"title"},{"target":{"title":"最后"}}],"paging":{}})",
     {"问题一？", "换行 问题", "最后"}},
    {"douyin",
     douyin_titles,
     R"({"status_code":0,"data":{"word_list":[{"word":"抖音一","hot_value":9},{"word":"\t制表\u2028"},{"word":null},)"
     R"({"word":"抖音三"}],"trending_list":[{"word":"趋势"}]}})",
     {"抖音一", " 制表 ", "抖音三"}},
    {"douyin",
     douyin_titles,
     R"({"status_code":0,"word_list":[{"word":"榜单一"},{"word":"榜单二"}]})",
     {"榜单一", "榜单二"}},
    {"toutiao",
     toutiao_titles,
     R"({"data":[{"ClusterId":1,"Title":"头条一","HotValue":"100"},{"Title":""},{"Title":"C1\u0085控制\u007f"},)"
     R"({"Title":"头条三"}],"fixed_top_data":[{"Title":"置顶头条"}],"status":"success"})",
     {"头条一", "C1 控制 ", "头条三"}},
    {"bilibili",
     bilibili_titles,
     R"({"code":0,"list":[{"keyword":"kw","show_name":"显示一"},{"keyword":"关键词二","show_name":""},)"
     R"({"keyword":"关键词三"},{"show_name":"emoji🎉"},{"keyword":""}]})",
     {"显示一", "关键词二", "关键词三", "emoji🎉"}},
    {"baidu",
     [](std::string_view utf8, const std::function<void()>& pump) { return board_titles_from_json(utf8, pump); },
     R"({"data":{"cards":[{"content":[{"word":"置顶","isTop":true},{"word":"词\u2029条"},{"word":"\r\n"},{"word":"尾"}]}]}})",
     {"词 条", "尾"}},
};

TEST(BoardReaders, TitlesInBoardOrderCleanedWithoutPinnedAdsOrBlanks) {
    for (const BoardSample& sample : kSamples) {
        EXPECT_EQ(sample.reader(sample.body, {}), program_texts(sample.titles)) << sample.key;
        // Cut anywhere inside, the JSON gives nothing rather than the first half.
        for (size_t cut : {size_t{1}, sample.body.size() / 2, sample.body.size() - 1}) {
            EXPECT_TRUE(sample.reader(sample.body.substr(0, cut), {}).empty()) << sample.key << " cut at " << cut;
        }
        for (const char* other : {"", "null", "[]", "{}", "{\"data\":7}", "<html>rate limited</html>"}) {
            EXPECT_TRUE(sample.reader(other, {}).empty()) << sample.key << ": " << other;
        }
    }
}

TEST(TitleText, OneLineTitles) {
    const struct {
        std::string utf8, title;
    } cases[] = {
        {"a\rb\nc\td", "a b c d"},
        {"x\u2028y\u2029z", "x y z"},
        {std::string("nul\0del\x7f", 8) + "c1\u0080\u009f", "nul del c1  "},
        {"😀 表情 \u00a0", "😀 表情 \u00a0"},  // no-break space and emoji stay
        {"  \u3000 ", ""},
        {"\n", ""},
        {"", ""},
        {std::string(kMaxTitleBytes, 'x'), std::string(kMaxTitleBytes, 'x')},
        {std::string(kMaxTitleBytes + 1, 'x'), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(one_line_title(c.utf8), from_utf8(c.title)) << c.utf8;
}

TEST(TitleText, ReasonsLoseControlCharactersAndSeparators) {
    EXPECT_EQ(clean_reason("404 Not\r\n Found\x1b[2J\x7f"), "404 Not Found[2J");
    EXPECT_EQ(clean_reason(from_utf8("502 坏\u2029网关\u0085")), from_utf8("502 坏网关"));
    EXPECT_EQ(clean_reason(from_utf8("711 发送请求失败!")), from_utf8("711 发送请求失败!"));
}

TEST(TitleText, Utf8Validity) {
    for (const char* good : {"", "abc", "\xc2\x80", "\xe4\xb8\xad", "\xf0\x9f\x98\x80", "\xf4\x8f\xbf\xbf"}) {
        EXPECT_TRUE(is_utf8(good)) << good;
    }
    for (const char* bad :
         {"\x80", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe4\xb8", "\xff"}) {
        EXPECT_FALSE(is_utf8(bad)) << bad;
    }
    EXPECT_EQ(utf8_of_text(from_utf8("中文😀 and ascii")), "中文😀 and ascii");
}

TEST(BoundedJson, DepthAndCountBounds) {
    const auto nested = [](size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_FALSE(parse_bounded_json(nested(kMaxJsonDepth)).is_discarded());
    EXPECT_TRUE(parse_bounded_json(nested(kMaxJsonDepth + 1)).is_discarded());
    const auto flat = [](size_t zeros) {
        std::string array = "[0";
        for (size_t i = 1; i < zeros; ++i) array += ",0";
        return array + "]";
    };
    EXPECT_EQ(parse_bounded_json(flat(kMaxJsonValues - 1)).size(), kMaxJsonValues - 1) << "the array counts too";
    EXPECT_TRUE(parse_bounded_json(flat(kMaxJsonValues)).is_discarded());
    for (const char* token : {R"(["x"])", "[1]", "[true]"}) {
        std::string long_token(token);
        long_token.insert(2, kMaxJsonTokenBytes, token[1] == '"' ? 'x' : token[1]);
        EXPECT_TRUE(parse_bounded_json(long_token).is_discarded()) << token;
    }
    EXPECT_FALSE(parse_bounded_json("[\"" + std::string(kMaxJsonTokenBytes - 2, 'x') + "\"]").is_discarded());
    // Keys count as values: each member here costs two.
    std::string members = "{";
    for (size_t i = 0; i < kMaxJsonValues / 2; ++i) members += "\"" + std::to_string(i) + "\":0,";
    members.back() = '}';
    EXPECT_TRUE(parse_bounded_json(members).is_discarded());
}

TEST(BoundedJson, HostilePagesAreRefusedQuicklyWithTheWindowPumped) {
    int pumps = 0;
    const std::function<void()> pump = [&pumps] { ++pumps; };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(parse_bounded_json(std::string(4u << 20, '['), pump).is_discarded());
    EXPECT_TRUE(weibo_titles(std::string(4u << 20, '['), pump).empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    // A long page within the bounds is read with the pump running every mebibyte.
    std::string long_page = R"({"data":{"realtime":[)";
    for (int i = 0; i < 48; ++i) long_page += R"({"word":"t","desc":")" + std::string(64u << 10, 'x') + R"("},)";
    long_page.back() = ']';
    EXPECT_EQ(weibo_titles(long_page + "}}", pump).size(), 48u);
    EXPECT_GE(pumps, 3);
    // Baidu's page: a nested board comment in a UTF-8 body and in a GBK one.
    const std::string page = "<div><!--s-data:" + std::string(2u << 20, '[') + "-->";
    EXPECT_TRUE(page_titles(page, page, pump).empty());
    EXPECT_TRUE(page_titles(page + "\xff", page + "\xff", pump).empty());
}

TEST(BoardTable, OrderKeysAndNames) {
    std::vector<std::string> keys, names;
    for (const HotBoard& board : hot_boards()) {
        keys.push_back(board.key);
        names.push_back(board.name);
        EXPECT_EQ(find_hot_board(board.key), &board);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"baidu", "weibo", "zhihu", "douyin", "toutiao", "bilibili"}));
    EXPECT_EQ(names, (std::vector<std::string>{"百度热搜", "微博热搜", "知乎热榜", "抖音热点", "今日头条热榜",
                                               "哔哩哔哩热搜"}));
    EXPECT_EQ(find_hot_board("Weibo"), nullptr);
    EXPECT_EQ(find_hot_board(""), nullptr);
}

// Every board fetched from one scripted server that answers by path; each public address
// maps to a path of its own.
class BoardFetchTest : public testing::Test {
protected:
    void SetUp() override {
        const std::pair<TextView, const char*> addresses[] = {
            {kHotTopicsAddress, "/baidu/legacy"},
            {kHotTopicsBoardAddress, "/baidu/board"},
            {kWeiboAddress, "/weibo"},
            {kZhihuAddress, "/zhihu"},
            {kDouyinCookieAddress, "/douyin/guide"},
            {kDouyinListAddress, "/douyin/list"},
            {kDouyinBillboardAddress, "/douyin/billboard"},
            {kToutiaoAddress, "/toutiao"},
            {kBilibiliAddress, "/bilibili"},
        };
        for (const auto& [address, path] : addresses) services.addresses[Text(address)] = server.url(path);
    }
    HotTopicsFetch fetch(const char* key) { return find_hot_board(key)->fetch(services); }
    // The first request for `path`, or nullptr.
    const ReceivedRequest* request_for(const std::string& path) {
        requests = server.requests();
        for (const ReceivedRequest& r : requests) {
            if (r.target == path) return &r;
        }
        return nullptr;
    }

    std::map<std::string, ScriptedServer::Handler> answers;
    ScriptedServer server{[this](const ReceivedRequest& r) {
        const auto it = answers.find(r.target);
        return it != answers.end() ? it->second(r) : Script{send(response("404 Not Found", "gone"))};
    }};
    std::vector<ReceivedRequest> requests;
    RecordingServices services;
};

ScriptedServer::Handler json(const std::string& body, const std::string& headers = "") {
    return [body, headers](const ReceivedRequest&) { return Script{send(response("200 OK", body, headers))}; };
}

TEST_F(BoardFetchTest, EachBoardFromItsAddressWithItsHeaders) {
    const std::map<std::string, std::string> paths = {
        {"weibo", "/weibo"},     {"zhihu", "/zhihu"},       {"douyin", "/douyin/billboard"},
        {"toutiao", "/toutiao"}, {"bilibili", "/bilibili"}, {"baidu", "/baidu/board"}};
    for (const BoardSample& sample : kSamples) {
        if (sample.key == std::string("douyin") && sample.body.find("\"data\"") != std::string::npos) continue;
        const std::string path = paths.at(sample.key);
        answers = {
            {path, sample.key == std::string("baidu") ? json("<!--s-data:" + sample.body + "-->") : json(sample.body)}};
        const HotTopicsFetch fetched = fetch(sample.key);
        EXPECT_EQ(fetched.titles, program_texts(sample.titles)) << sample.key;
        const ReceivedRequest* request = request_for(path);
        ASSERT_NE(request, nullptr) << sample.key;
        const bool browser = request->header("User-Agent").find("Windows NT 10.0") != std::string::npos;
        EXPECT_EQ(browser, sample.key != std::string("baidu")) << sample.key << ": " << request->header("User-Agent");
        EXPECT_EQ(request->header("Referer"), sample.key == std::string("bilibili") ? "https://www.bilibili.com/" : "")
            << sample.key;
    }
}

TEST_F(BoardFetchTest, FailuresSayWhyOnOneLine) {
    answers = {{"/weibo", json(R"({"data":{"realtime":[{"word":"cut)")},
               {"/zhihu", [](const ReceivedRequest&) { return Script{send(response("503 Busy\x01\x7f Now", "{}"))}; }}};
    const struct {
        const char* key;
        const char* reason;
    } cases[] = {{"weibo", "页面上没有热搜条目"}, {"zhihu", "503 Busy Now"}, {"toutiao", "404 Not Found"}};
    for (const auto& c : cases) {
        const HotTopicsFetch fetched = fetch(c.key);
        EXPECT_TRUE(fetched.titles.empty());
        EXPECT_EQ(to_utf8(fetched.reason), c.reason) << c.key;
        EXPECT_EQ(fetched.address, services.address_for(c.key == std::string("weibo")   ? kWeiboAddress
                                                        : c.key == std::string("zhihu") ? kZhihuAddress
                                                                                        : kToutiaoAddress));
    }
}

TEST_F(BoardFetchTest, DouyinSendsTheGuideCookiesThenFallsBackToTheBillboard) {
    answers = {
        {"/douyin/guide", json("{}", "Set-Cookie: ttwid=abc; Path=/\r\nSet-Cookie: s_v_web_id=xyz\r\n")},
        {"/douyin/list",
         [](const ReceivedRequest& r) {
             const bool cookies = r.header("Cookie").find("ttwid=abc") != std::string::npos &&
                                  r.header("Cookie").find("s_v_web_id=xyz") != std::string::npos;
             return Script{send(response("200 OK", cookies ? R"({"data":{"word_list":[{"word":"有饼干"}]}})" : ""))};
         }},
        {"/douyin/billboard", json(R"({"word_list":[{"word":"榜单"}]})")}};
    EXPECT_EQ(fetch("douyin").titles, program_texts({"有饼干"}));
    EXPECT_EQ(request_for("/douyin/billboard"), nullptr);

    answers["/douyin/guide"] = json("{}");  // no cookies: the list answers empty
    EXPECT_EQ(fetch("douyin").titles, program_texts({"榜单"}));

    // An unreachable guide page: the list on the same host is not asked.
    services.addresses.erase(Text(kDouyinCookieAddress));
    const size_t before = server.requests().size();
    EXPECT_EQ(fetch("douyin").titles, program_texts({"榜单"}));
    ASSERT_EQ(server.requests().size(), before + 1);
    EXPECT_EQ(server.requests().back().target, "/douyin/billboard");
}

TEST(BoardFetchByHostName, RealHttpsAddressConnectedToALocalServer) {
    TempFolder folder;
    const TlsFiles tls = make_self_signed_certificate(folder.path().string());
    ScriptedServer weibo([](const ReceivedRequest&) { return Script{send(response("200 OK", kSamples[0].body))}; },
                         &tls);
    const Text to_local = ":443:127.0.0.1:" + std::to_string(weibo.port());
    // A name that never resolves first: should connect_to fail, no request leaves the machine.
    Text status;
    http_request({.url = "https://connect-to-check.invalid/",
                  .status_text = &status,
                  .connect_to = {"connect-to-check.invalid" + to_local}});
    ASSERT_EQ(status, "200 OK");
    RecordingServices services;
    services.addresses[Text(kWeiboAddress)] = Text(kWeiboAddress);
    services.connections = {"weibo.com" + to_local};
    const HotTopicsFetch fetched = find_hot_board("weibo")->fetch(services);
    EXPECT_EQ(fetched.titles, program_texts(kSamples[0].titles)) << to_utf8(fetched.reason);
    ASSERT_EQ(weibo.requests().size(), 2u);
    EXPECT_EQ(weibo.requests()[1].target, "/ajax/side/hotSearch");
    EXPECT_EQ(weibo.requests()[1].header("Host"), "weibo.com");
}

}  // namespace
}  // namespace qinghe
