// 抖音热点: the web list answers only with the cookies that the guide page sets, so that
// page is asked first; when the list gives nothing, the older billboard is asked.
#include "hot/board_fetch.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"

namespace qinghe {
namespace {

std::vector<Text> no_titles(std::string_view, const std::function<void()>&) { return {}; }

}  // namespace

std::vector<Text> douyin_titles(std::string_view utf8, const std::function<void()>& pump) {
    const Json page = parse_bounded_json(utf8, pump);
    // The web list nests its entries in data, the billboard holds them at the top.
    const Json* entries = json_array_at(page, {"data", "word_list"});
    if (!entries) entries = json_array_at(page, {"word_list"});
    if (!entries) return {};
    std::vector<Text> titles;
    for (const Json& entry : *entries) {
        Text title = json_title(entry, {"word"});
        if (!title.empty()) titles.push_back(std::move(title));
    }
    return titles;
}

HotTopicsFetch fetch_douyin(RuntimeServices& services) {
    return guarded(services, kDouyinCookieAddress, [&services] {
        const Text headers(kBrowserHeaders);
        Text cookies;
        bool answered = false;
        // The guide page's body holds nothing of use: only the cookies it sets count.
        read_board(services, {.address = kDouyinCookieAddress, .headers = headers, .new_cookies = &cookies}, no_titles,
                   &answered);
        if (answered) {
            Text list_cookies;
            HotTopicsFetch fetch = read_board(
                services,
                {.address = kDouyinListAddress, .headers = headers, .cookies = &cookies, .new_cookies = &list_cookies},
                douyin_titles);
            if (!fetch.titles.empty()) return fetch;
        }
        return read_board(services, {.address = kDouyinBillboardAddress, .headers = headers}, douyin_titles);
    });
}

}  // namespace qinghe
