// 微博热搜: the side panel's JSON, which the site hands to browsers only.
#include "hot/board_fetch.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"

namespace qinghe {

std::vector<Text> weibo_titles(std::string_view utf8, const std::function<void()>& pump) {
    const Json page = parse_bounded_json(utf8, pump);
    const Json* entries = json_array_at(page, {"data", "realtime"});
    if (!entries) return {};
    std::vector<Text> titles;
    for (const Json& entry : *entries) {
        if (json_true(entry, "is_ad")) continue;
        Text title = json_title(entry, {"word"});
        if (!title.empty()) titles.push_back(std::move(title));
    }
    return titles;
}

HotTopicsFetch fetch_weibo(RuntimeServices& services) {
    return guarded(services, kWeiboAddress, [&services] {
        return read_board(services, {.address = kWeiboAddress, .headers = Text(kBrowserHeaders)}, weibo_titles);
    });
}

}  // namespace qinghe
