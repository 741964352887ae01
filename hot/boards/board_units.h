#pragma once
// The boards besides Baidu's (hot_topics.h), one unit each in this folder: its name, its
// public addresses, its reader (a pure function from the JSON body, UTF-8, to the entries
// in board order: titles cleaned as one_line_title says, blank ones skipped, each with its
// rank and the board's heat figure) and its fetch,
// which tries the addresses in turn until one gives titles and, when none does, reports
// the most telling failure (board_fetch.h). A board that changes is mended in its own file.
#include <functional>
#include <string_view>
#include <vector>

#include "hot/hot_topics.h"

namespace qinghe {

// 微博热搜: data.realtime[].word, else its word_scheme without the "#" around it, heat num;
// entries with a true is_ad left out. Asked with weibo.com as Referer, without which it answers 403.
inline constexpr const char* kWeiboName = "微博热搜";
inline constexpr TextView kWeiboAddress = "https://weibo.com/ajax/side/hotSearch";
std::vector<HotEntry> weibo_titles(std::string_view utf8, const std::function<void()>& pump = {});
HotTopicsFetch fetch_weibo(RuntimeServices& services);

// 知乎热榜: data[].target.title, else data[].target.title_area.text, heat detail_text or
// target.metrics_area.text ("1234 万热度"); questions, articles and events alike. The API answers without a login; the
// desktop list, asked second, wants one.
inline constexpr const char* kZhihuName = "知乎热榜";
inline constexpr TextView kZhihuAddress = "https://api.zhihu.com/topstory/hot-lists/total?limit=50";
inline constexpr TextView kZhihuDesktopAddress =
    "https://www.zhihu.com/api/v3/feed/topstory/hot-lists/total?limit=50&desktop=true";
std::vector<HotEntry> zhihu_titles(std::string_view utf8, const std::function<void()>& pump = {});
HotTopicsFetch fetch_zhihu(RuntimeServices& services);

// 抖音热点: the cookies from the login page (else from the older guide page), then with
// them the web list (data.word_list[].word, adverts and the pinned topic left out);
// else the billboard (word_list[].word, adverts left out); heat hot_value.
inline constexpr const char* kDouyinName = "抖音热点";
inline constexpr TextView kDouyinLoginAddress = "https://login.douyin.com/";
inline constexpr TextView kDouyinCookieAddress =
    "https://www.douyin.com/passport/general/login_guiding_strategy/?aid=6383";
inline constexpr TextView kDouyinListAddress = "https://www.douyin.com/aweme/v1/web/hot/search/list/"
                                               "?device_platform=webapp&aid=6383&channel=channel_pc_web&detail_list=1";
inline constexpr TextView kDouyinBillboardAddress = "https://www.iesdouyin.com/web/api/v2/hotsearch/billboard/word/";
std::vector<HotEntry> douyin_titles(std::string_view utf8, const std::function<void()>& pump = {});
HotTopicsFetch fetch_douyin(RuntimeServices& services);

// 今日头条热榜: data[].Title, heat HotValue; the pinned fixed_top_data stands apart and is
// left out.
inline constexpr const char* kToutiaoName = "今日头条热榜";
inline constexpr TextView kToutiaoAddress = "https://www.toutiao.com/hot-event/hot-board/?origin=toutiao_pc";
std::vector<HotEntry> toutiao_titles(std::string_view utf8, const std::function<void()>& pump = {});
HotTopicsFetch fetch_toutiao(RuntimeServices& services);

// 哔哩哔哩热搜: list[].show_name, else the entry's keyword, heat heat_score; commercial entries
// (stat_datas.is_commercial, which the live site sends as "1") left out.
inline constexpr const char* kBilibiliName = "哔哩哔哩热搜";
inline constexpr TextView kBilibiliAddress = "https://s.search.bilibili.com/main/hotword?limit=30";
std::vector<HotEntry> bilibili_titles(std::string_view utf8, const std::function<void()>& pump = {});
HotTopicsFetch fetch_bilibili(RuntimeServices& services);

}  // namespace qinghe
