// 知乎热榜: the hot list; each entry's question, article or event stands in its target,
// its title in title (the API's shape) or title_area.text (the desktop list's since 2021).
#include "hot/board_fetch.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"

namespace qinghe {

std::vector<HotEntry> zhihu_titles(std::string_view utf8, const std::function<void()>& pump) {
    const Json page = parse_bounded_json(utf8, pump);
    const Json* entries = json_array_at(page, {"data"});
    if (!entries) return {};
    std::vector<HotEntry> titles;
    for (const Json& entry : *entries) {
        Text title = json_title(entry, {"target", "title"});
        if (title.empty()) title = json_title(entry, {"target", "title_area", "text"});
        // The heat as the list shows it, "1234 万热度": beside the entry in the API, in
        // the target's metrics_area in the desktop list.
        Text heat = json_heat(entry, {"detail_text"});
        if (heat.empty()) heat = json_heat(entry, {"target", "metrics_area", "text"});
        if (!title.empty()) add_entry(titles, std::move(title), std::move(heat));
    }
    return titles;
}

HotTopicsFetch fetch_zhihu(RuntimeServices& services) {
    return guarded(services, kZhihuAddress, [&services] {
        const Text headers(kBrowserHeaders);
        HotTopicsFetch api =
            read_board(services, {.address = kZhihuAddress, .board = kZhihuName, .headers = headers}, zhihu_titles);
        if (!api.entries.empty()) return api;
        // The desktop list answers anonymous requests 401 today; its words still say why.
        return more_telling(
            std::move(api),
            read_board(services, {.address = kZhihuDesktopAddress, .board = kZhihuName, .headers = headers},
                       zhihu_titles));
    });
}

}  // namespace qinghe
