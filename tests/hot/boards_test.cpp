// The boards: each reader on bodies shaped like its site's, the cleaning of titles and
// reasons, the bounds on JSON, and each board fetched from scripted servers on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

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
using Reader = std::vector<HotEntry> (*)(std::string_view utf8, const std::function<void()>& pump);

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
    std::vector<std::string> heats = {};  // each title's heat figure; none when empty
};

// The shapes the sites answer today, beside older ones the readers still take.
const BoardSample kSamples[] = {
    {"weibo",
     weibo_titles,
     R"({"ok":1,"data":{"realtime":[{"word":"第一条","num":5,"is_ad":false},{"word":"广告","is_ad":true},)"
     R"({"word":"广告二","is_ad":1},{"word":""},{"word":"段落\u2029分隔"},{"word":"表情😀","is_ad":0},{"num":1},)"
     R"({"word_scheme":"#话题无词#","num":3},{"word_scheme":"#"},{"word_scheme":"半#边"},{"word_scheme":"##"}],)"
     R"("hotgovs":[{"word":"置顶"}]}})",
     {"第一条", "段落 分隔", "表情😀", "话题无词", "半#边"},
     {"5", "", "", "3", ""}},
    {"weibo",  // heat as raw numbers, the badge apart in label_name
     weibo_titles,
     R"({"ok":1,"data":{"realtime":[{"word":"某地发生5.2级地震","num":1234567,"raw_hot":1234567,"rank":0,)"
     R"("realpos":1,"label_name":"爆","flag":1},{"word":"热词二","num":987,"rank":1},{"word":"热词三","num":0},)"
     R"({"word":"亿级","num":123456789},{"word":"近万","num":99999.6},{"word":"负数","num":-5}]}})",
     {"某地发生5.2级地震", "热词二", "热词三", "亿级", "近万", "负数"},
     {"123.5万", "987", "", "1.2亿", "10万", ""}},
    {"zhihu",  // the desktop list since 2021: title_area, questions, articles and events
     zhihu_titles,
     R"({"data":[{"card_id":"Q_1","target":{"title_area":{"text":"…船长的哪些操作很关键？"},"link":{"url":"x"}}},)"
     R"({"card_id":"AT_2","target":{"title_area":{"text":"文章一"}}},{"card_id":"EV_3","target":{"title_area":{}}},)"
     R"({"card_id":"EV_4","target":{"title_area":{"text":"事件\n二"}}},{"target":{"title_area":"x"}}],"fresh_text":"y"})",
     {"…船长的哪些操作很关键？", "文章一", "事件 二"}},
    {"zhihu",  // the desktop list's heat in the target's metrics_area, the API's beside the entry
     zhihu_titles,
     R"({"data":[{"card_id":"Q_1","target":{"title_area":{"text":"问题"},"metrics_area":{"text":"856 万热度",)"
     R"("font_color":""}}},{"type":"hot_list_feed","detail_text":"1234 万热度","target":{"title":"问题一？"}},)"
     R"({"detail_text":"","target":{"title":"问题二"}},{"detail_text":"热度\n上升","target":{"title":"三"}},)"
     R"({"detail_text":")" +
         std::string(kMaxHeatBytes + 1, 'x') + R"(","target":{"title":"过长"}}]})",
     {"问题", "问题一？", "问题二", "三", "过长"},
     {"856 万热度", "1234 万热度", "", "热度 上升", ""}},
    {"zhihu",  // the API: the classic shape
     zhihu_titles,
     R"({"data":[{"type":"hot_list_feed","target":{"title":"问题一？","excerpt":"x"}},{"target":{"title":" \u3000 "}},)"
     R"({"target":{"title":"换行\n问题"}},{"target":{}},{"target":"title"},{"target":{"title":"最后"}}],"paging":{}})",
     {"问题一？", "换行 问题", "最后"}},
    {"douyin",  // the web list: an advert with a rank, a pinned topic without a position
     douyin_titles,
     R"({"status_code":0,"data":{"word_list":[{"word":"专题：置顶","hot_value":1,"position":null},)"
     R"({"word":"抖音一","hot_value":9,"position":1},{"word":"\t制表\u2028","position":2},{"word":null,"position":3},)"
     R"({"word":"推广","position":"6","ad_data":{"ad_id":7}},{"word":"无广告数据","position":4,"ad_data":{}},)"
     R"({"word":"抖音三","position":5,"ad_data":""},{"word":"无位置"}],"trending_list":[{"word":"趋势","position":1}]}})",
     {"抖音一", " 制表 ", "无广告数据", "抖音三"},
     {"9", "", "", ""}},
    {"douyin",  // the billboard
     douyin_titles,
     R"({"status_code":0,"word_list":[{"word":"榜单一","hot_value":11234567},{"word":"广告","ad_data":[1]},)"
     R"({"word":"榜单二","position":2}]})",
     {"榜单一", "榜单二"},
     {"1123.5万", ""}},
    {"toutiao",
     toutiao_titles,
     R"({"data":[{"ClusterId":7380987654321098765,"ClusterIdStr":"7380987654321098765","Title":"头条一",)"
     R"("HotValue":"100"},{"Title":"","ClusterId":123456789012345678901234567890},{"Title":"C1\u0085控制\u007f"},)"
     R"({"Title":"头条三"}],"fixed_top_data":[{"Title":"置顶头条"}],"status":"success"})",
     {"头条一", "C1 控制 ", "头条三"},
     {"100", "", ""}},
    {"toutiao",  // HotValue as the site writes it, a number in a string
     toutiao_titles,
     R"({"data":[{"Title":"头条一","HotValue":"12345678"},{"Title":"头条二","HotValue":"99999999"},)"
     R"({"Title":"头条三","HotValue":"1.5e3"},{"Title":"头条四","HotValue":"."}],"status":"success"})",
     {"头条一", "头条二", "头条三", "头条四"},
     {"1234.6万", "1亿", "1.5e3", "."}},
    {"bilibili",
     bilibili_titles,
     R"({"code":0,"list":[{"keyword":"EDGJieJie已起诉多家企业","show_name":"EDG 起诉"},{"keyword":"关键词二",)"
     R"("show_name":""},{"keyword":"关键词三"},{"show_name":"emoji🎉","stat_datas":{"is_commercial":false}},)"
     R"({"keyword":"商业","stat_datas":{"is_commercial":true}},{"keyword":"商业二","stat_datas":{"is_commercial":1}},)"
     R"({"keyword":""}]})",
     {"EDG 起诉", "关键词二", "关键词三", "emoji🎉"}},
    {"baidu",  // today: the pinned entry apart in topContent, adverts inside the ranking
     board_titles_from_json,
     R"({"success":true,"data":{"cards":[{"topContent":[{"word":"置顶"}],"content":[{"word":"第一","index":0},)"
     R"({"word":"广告","index":-100,"brandInfo":"{\"mode\":\"ad\",\"name\":\"x\"}","extraInfo":"{\"ad_brand\":1}"},)"
     R"({"word":"品牌","brandInfo":"{\"mode\":\"brand\"}"},{"word":"坏品牌","brandInfo":"{"},)"
     R"({"word":"对象广告","brandInfo":{"mode":"ad"}},{"word":"词\u2029条"},{"word":"\r\n"},{"word":"尾"}]}]}})",
     {"第一", "品牌", "坏品牌", "词 条", "尾"}},
    {"baidu",  // 2026-02: an advert between ranks 2 and 3, no rank and its brandInfo a string holding an array
     board_titles_from_json,
     R"({"success":true,"data":{"cards":[{"component":"hotList","content":[)"
     R"({"word":"第一","index":0,"hotScore":"7808267","hotTag":"3"},{"word":"第二","index":1,"hotScore":"7691122"},)"
     R"({"word":"某品牌新品","index":-100,"hotScore":"0","brandInfo":"[{\"id\":\"ad1_2026\",)"
     R"(\"layout\":\"ad_hot_board_item\",\"data\":{\"mode\":\"ad\",\"brandName\":\"x\"}}]"},)"
     R"({"word":"第三","index":2},{"word":"无名次","index":-1},{"word":"数组广告","brandInfo":[{"mode":"ad"}]},)"
     R"({"word":"对象广告","brandInfo":{"data":{"mode":"ad"}}},{"word":"文字对象","brandInfo":"{\"data\":{\"mode\":\"ad\"}}"},)"
     R"({"word":"品牌数组","brandInfo":"[{\"data\":{\"mode\":\"brand\"}},7]"},{"word":"尾","index":3}]}]}})",
     {"第一", "第二", "第三", "品牌数组", "尾"},
     {"780.8万", "769.1万", "", "", ""}},
    {"bilibili",  // the live site: is_commercial as a string
     bilibili_titles,
     R"({"code":0,"list":[{"keyword":"某品牌新品","show_name":"某品牌新品","pos":3,)"
     R"("stat_datas":{"is_commercial":"1","stat_type":"ad"}},{"keyword":"热词","show_name":"热词","pos":1,)"
     R"("stat_datas":{"is_commercial":"0"}},{"keyword":"无统计","stat_datas":{}},{"keyword":"字符真","stat_datas":{"is_commercial":"true"}}]})",
     {"热词", "无统计"}},
    {"bilibili",  // heat_score, a raw number
     bilibili_titles,
     R"({"code":0,"list":[{"hot_id":1,"keyword":"热词","show_name":"热词","score":0,"heat_score":2300000,"pos":1,)"
     R"("stat_datas":{"etime":"1","stime":"1","is_commercial":"0"}}]})",
     {"热词"},
     {"230万"}},
    {"baidu",  // earlier pages pinned an entry inside the ranking
     board_titles_from_json,
     R"({"data":{"cards":[{"content":[{"word":"置顶","isTop":true},{"word":"词条"}]}]}})",
     {"词条"}},
};

TEST(BoardReaders, TitlesInBoardOrderCleanedWithoutPinnedAdsOrBlanks) {
    for (const BoardSample& sample : kSamples) {
        const std::vector<HotEntry> entries = sample.reader(sample.body, {});
        EXPECT_EQ(titles_of(entries), program_texts(sample.titles)) << sample.key;
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].rank, static_cast<int>(i) + 1) << sample.key;
            EXPECT_EQ(to_utf8(entries[i].heat), sample.heats.empty() ? "" : sample.heats.at(i)) << sample.key << i;
        }
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

TEST(TitleText, HeatFiguresAsBoardsShowThem) {
    const struct {
        double value;
        const char* figure;
    } cases[] = {
        {1, "1"},
        {9999.4, "9999"},
        {9999.5, "1万"},
        {12345, "1.2万"},
        {4800000, "480万"},
        {12345678, "1234.6万"},
        {99999999, "1亿"},
        {150000000, "1.5亿"},
        {1e16, "100000000亿"},
        {0, ""},
        {0.4, ""},
        {-3, ""},
        {1e17, ""},
        {std::nan(""), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(to_utf8(heat_figure(c.value)), c.figure) << c.value;
}

TEST(TitleText, ReasonsLoseControlCharactersAndSeparators) {
    EXPECT_EQ(clean_reason("404 Not\r\n Found\x1b[2J\x7f"), "404 Not Found[2J");
    EXPECT_EQ(clean_reason(from_utf8("502 坏\u2029网关\u0085")), from_utf8("502 坏网关"));
    EXPECT_EQ(clean_reason(from_utf8("711 发送请求失败!")), from_utf8("711 发送请求失败!"));
    // Bounded in characters, never cutting one; "…" marks the cut.
    const std::string long_words = std::string(kMaxReasonCharacters - 1, 'x') + "😀😀";
    EXPECT_EQ(clean_reason(from_utf8(long_words)), from_utf8(long_words.substr(0, long_words.size() - 4) + "…"));
    EXPECT_EQ(clean_reason(from_utf8(long_words.substr(0, long_words.size() - 4))),
              from_utf8(long_words.substr(0, long_words.size() - 4)));
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
    // Integers past a double's exact range stay exact; past 64 bits they still parse.
    const Json big = parse_bounded_json("[7380987654321098765,-9007199254740993,123456789012345678901234567890]");
    ASSERT_EQ(big.size(), 3u);
    EXPECT_EQ(big[0].get<std::uint64_t>(), 7380987654321098765u);
    EXPECT_EQ(big[1].get<std::int64_t>(), -9007199254740993);
    EXPECT_TRUE(big[2].is_number_float());
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
            {kHotTopicsApiAddress, "/baidu/api"},
            {kWeiboAddress, "/weibo"},
            {kZhihuAddress, "/zhihu"},
            {kZhihuDesktopAddress, "/zhihu/desktop"},
            {kDouyinLoginAddress, "/douyin/login"},
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
    // The paths asked since the last call.
    std::vector<std::string> paths_asked() {
        std::vector<std::string> paths;
        const std::vector<ReceivedRequest> all = server.requests();
        for (size_t i = seen; i < all.size(); ++i) paths.push_back(all[i].target);
        seen = all.size();
        return paths;
    }

    std::map<std::string, ScriptedServer::Handler> answers;
    ScriptedServer server{[this](const ReceivedRequest& r) {
        const auto it = answers.find(r.target);
        return it != answers.end() ? it->second(r) : Script{send(response("404 Not Found", "gone"))};
    }};
    std::vector<ReceivedRequest> requests;
    size_t seen = 0;
    RecordingServices services;
};

ScriptedServer::Handler reply(const std::string& status, const std::string& body, const std::string& headers = "") {
    return [=](const ReceivedRequest&) { return Script{send(response(status, body, headers))}; };
}
ScriptedServer::Handler json(const std::string& body, const std::string& headers = "") {
    return reply("200 OK", body, headers);
}

TEST_F(BoardFetchTest, EachBoardFromItsAddressWithItsHeaders) {
    const std::map<std::string, std::string> paths = {
        {"weibo", "/weibo"},     {"zhihu", "/zhihu"},       {"douyin", "/douyin/billboard"},
        {"toutiao", "/toutiao"}, {"bilibili", "/bilibili"}, {"baidu", "/baidu/board"}};
    const std::map<std::string, std::string> referers = {{"weibo", "https://weibo.com/"},
                                                         {"bilibili", "https://www.bilibili.com/"}};
    for (const BoardSample& sample : kSamples) {
        if (sample.key == std::string("douyin") && sample.body.find("\"data\"") != std::string::npos) continue;
        const std::string path = paths.at(sample.key);
        answers = {
            {path, sample.key == std::string("baidu") ? json("<!--s-data:" + sample.body + "-->") : json(sample.body)}};
        const HotTopicsFetch fetched = fetch(sample.key);
        EXPECT_EQ(titles_of(fetched.entries), program_texts(sample.titles)) << sample.key;
        const ReceivedRequest* request = request_for(path);
        ASSERT_NE(request, nullptr) << sample.key;
        const bool browser = request->header("User-Agent").find("Windows NT 10.0") != std::string::npos;
        EXPECT_EQ(browser, sample.key != std::string("baidu")) << sample.key << ": " << request->header("User-Agent");
        const auto referer = referers.find(sample.key);
        EXPECT_EQ(request->header("Referer"), referer != referers.end() ? referer->second : "") << sample.key;
    }
}

TEST_F(BoardFetchTest, FailuresSayWhatTheSiteSaid) {
    const std::string unauthenticated =
        R"({"error":{"code":101,"name":"AuthenticationError","message":"身份未经过验证"}})";
    const struct {
        const char* key;
        std::map<std::string, ScriptedServer::Handler> answers;
        std::string reason;
        TextView address;
    } cases[] = {
        {"weibo", {{"/weibo", json(R"({"data":{"realtime":[{"word":"cut)")}}, "页面上没有热搜条目", kWeiboAddress},
        {"weibo",
         {{"/weibo", json(R"({"ok":1,"msg":"success","data":{"realtime":[]}})")}},
         "页面上没有热搜条目",
         kWeiboAddress},
        {"weibo",
         {{"/weibo", reply("403 Forbidden", R"({"error":"Forbidden"})")}},
         "微博热搜：Forbidden（403）",
         kWeiboAddress},
        {"weibo",
         {{"/weibo", json(R"({"ok":-100,"msg":"请先\r\n登录"})")}},
         "微博热搜：请先登录（200）",
         kWeiboAddress},
        {"weibo",
         {{"/weibo", reply("403 Forbidden", R"({"error":")" + std::string(300, 'x') + R"("})")}},
         "微博热搜：" + std::string(kMaxReasonCharacters, 'x') + "…（403）",
         kWeiboAddress},
        // Two addresses failing: the site's words beat a bare status, else the later one tells.
        {"zhihu",
         {{"/zhihu/desktop", reply("401 Unauthorized", unauthenticated)}},
         "知乎热榜：身份未经过验证（401）",
         kZhihuDesktopAddress},
        {"zhihu",
         {{"/zhihu", reply("401 Unauthorized", unauthenticated)}},
         "知乎热榜：身份未经过验证（401）",
         kZhihuAddress},
        {"zhihu", {{"/zhihu/desktop", reply("503 Busy\x01\x7f Now", "{}")}}, "503 Busy Now", kZhihuDesktopAddress},
        {"toutiao", {}, "404 Not Found", kToutiaoAddress},
        {"bilibili",
         {{"/bilibili", json(R"({"code":0,"message":"0","list":[]})")}},
         "页面上没有热搜条目",
         kBilibiliAddress},
        {"bilibili",
         {{"/bilibili", reply("412 Precondition Failed", R"({"code":-412,"message":"请求被拦截"})")}},
         "哔哩哔哩热搜：请求被拦截（412）",
         kBilibiliAddress},
        {"douyin",
         {{"/douyin/billboard", json(R"({"status_code":2053,"status_msg":"系统繁忙"})")}},
         "抖音热点：系统繁忙（200）",
         kDouyinBillboardAddress},
        {"baidu",
         {{"/baidu/board", json("<html></html>")},
          {"/baidu/api", json(R"({"success":false,"error":{"code":1,"message":"参数错误"}})")}},
         "百度热搜：参数错误（200）",
         kHotTopicsApiAddress},
    };
    for (const auto& c : cases) {
        answers = c.answers;
        const HotTopicsFetch fetched = fetch(c.key);
        EXPECT_TRUE(fetched.entries.empty());
        EXPECT_EQ(to_utf8(fetched.reason), c.reason) << c.key;
        EXPECT_EQ(fetched.address, services.address_for(c.address)) << c.reason;
    }
}

TEST_F(BoardFetchTest, BaiduAsksItsJsonWhenThePageDataIsBroken) {
    const std::string api = R"({"success":true,"data":{"cards":[{"content":[{"word":"接口一"},{"word":"接口二"}]}]}})";
    answers = {{"/baidu/board", json(R"(<!--s-data:{"data":{"cards":[{"content":[{"word":"未完-->)")},
               {"/baidu/api", json(api)}};
    EXPECT_EQ(titles_of(fetch("baidu").entries), program_texts({"接口一", "接口二"}));
    EXPECT_EQ(paths_asked(), (std::vector<std::string>{"/baidu/legacy", "/baidu/board", "/baidu/api"}));
    EXPECT_EQ(request_for("/baidu/api")->header("User-Agent").find("Windows NT 10.0"), std::string::npos);

    answers["/baidu/board"] = json(R"(<!--s-data:{"data":{"cards":[{"content":[{"word":"页面"}]}]}}-->)");
    EXPECT_EQ(titles_of(fetch("baidu").entries), program_texts({"页面"}));
    EXPECT_EQ(paths_asked(), (std::vector<std::string>{"/baidu/legacy", "/baidu/board"}));

    // The board's host unreachable: its JSON is not asked either.
    services.addresses.erase(Text(kHotTopicsBoardAddress));
    EXPECT_TRUE(fetch("baidu").entries.empty());
    EXPECT_EQ(paths_asked(), std::vector<std::string>{"/baidu/legacy"});
}

// A later address that gives titles wins over an earlier one that said why it refused:
// the site's words count only among failures.
TEST_F(BoardFetchTest, AFallbackThatGivesTitlesWinsOverTheSitesWords) {
    const struct {
        const char* key;
        std::map<std::string, ScriptedServer::Handler> answers;
        std::vector<std::string> titles;
    } cases[] = {
        {"douyin",
         {{"/douyin/login", json("{}", "Set-Cookie: ttwid=login; Path=/\r\n")},
          {"/douyin/list", json(R"({"status_code":8,"status_msg":"need cookie"})")},
          {"/douyin/billboard",
           json(R"({"status_code":0,"word_list":[{"word":"榜单一","hot_value":4800000},{"word":"榜单二"}]})")}},
         {"榜单一", "榜单二"}},
        {"zhihu",
         {{"/zhihu", reply("401 Unauthorized",
                           R"({"error":{"code":100,"message":"请求参数异常，请升级客户端后重试","name":"ERR"}})")},
          {"/zhihu/desktop", json(R"({"data":[{"card_id":"Q_1","target":{"title_area":{"text":"问题一"},)"
                                  R"("metrics_area":{"text":"1234 万热度"}}}],"fresh_text":"x"})")}},
         {"问题一"}},
        {"baidu",
         {{"/baidu/legacy", reply("404 Not Found", R"({"success":false,"error":{"code":404,"message":"页面不存在"}})")},
          {"/baidu/board", json("<html><body>新版首页</body></html>")},
          {"/baidu/api", json(R"({"success":true,"data":{"cards":[{"content":[{"word":"接口一","index":0}]}]}})")}},
         {"接口一"}},
    };
    for (const auto& c : cases) {
        answers = c.answers;
        const HotTopicsFetch fetched = fetch(c.key);
        EXPECT_EQ(titles_of(fetched.entries), program_texts(c.titles)) << c.key << ": " << to_utf8(fetched.reason);
    }
}

TEST_F(BoardFetchTest, DouyinTakesTheLoginCookiesElseTheGuideOnesElseTheBillboard) {
    // The list names the cookies it was asked with.
    answers = {{"/douyin/login", json("{}", "Set-Cookie: ttwid=login; Path=/\r\nSet-Cookie: s_v_web_id=xyz\r\n")},
               {"/douyin/guide", json("{}", "Set-Cookie: ttwid=guide\r\n")},
               {"/douyin/list",
                [](const ReceivedRequest& r) {
                    return Script{send(response("200 OK", R"({"data":{"word_list":[{"word":")" + r.header("Cookie") +
                                                              R"(","position":1}]}})"))};
                }},
               {"/douyin/billboard", json(R"({"word_list":[{"word":"榜单"}]})")}};
    EXPECT_EQ(titles_of(fetch("douyin").entries), program_texts({"ttwid=login; s_v_web_id=xyz"}));
    EXPECT_EQ(paths_asked(), (std::vector<std::string>{"/douyin/login", "/douyin/list"}));

    answers["/douyin/login"] = json("{}");
    EXPECT_EQ(titles_of(fetch("douyin").entries), program_texts({"ttwid=guide"}));
    EXPECT_EQ(paths_asked(), (std::vector<std::string>{"/douyin/login", "/douyin/guide", "/douyin/list"}));

    answers["/douyin/guide"] = json("{}");  // no cookies: the list, which wants them, is not asked
    EXPECT_EQ(titles_of(fetch("douyin").entries), program_texts({"榜单"}));
    EXPECT_EQ(paths_asked(), (std::vector<std::string>{"/douyin/login", "/douyin/guide", "/douyin/billboard"}));

    answers["/douyin/login"] = json("{}", "Set-Cookie: ttwid=stale\r\n");
    answers["/douyin/list"] = json(R"({"data":{"word_list":[]}})");  // cookies it does not take
    EXPECT_EQ(titles_of(fetch("douyin").entries), program_texts({"榜单"}));
    EXPECT_EQ(paths_asked(), (std::vector<std::string>{"/douyin/login", "/douyin/list", "/douyin/billboard"}));
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
    EXPECT_EQ(titles_of(fetched.entries), program_texts(kSamples[0].titles)) << to_utf8(fetched.reason);
    ASSERT_EQ(weibo.requests().size(), 2u);
    EXPECT_EQ(weibo.requests()[1].target, "/ajax/side/hotSearch");
    EXPECT_EQ(weibo.requests()[1].header("Host"), "weibo.com");
}

}  // namespace
}  // namespace qinghe
