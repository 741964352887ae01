// 哔哩哔哩热搜: the search box's hot words. The site answers only requests that come from
// its own pages (a Referer).
#include "hot/board_fetch.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"

namespace qinghe {

std::vector<HotEntry> bilibili_titles(std::string_view utf8, const std::function<void()>& pump) {
    const Json page = parse_bounded_json(utf8, pump);
    const Json* entries = json_array_at(page, {"list"});
    if (!entries) return {};
    std::vector<HotEntry> titles;
    for (const Json& entry : *entries) {
        const Json* stats = json_at(entry, {"stat_datas"});
        if (stats && json_true(*stats, "is_commercial")) continue;
        // show_name is the word as the site shows it; older entries carry the keyword alone.
        Text title = json_title(entry, {"show_name"});
        if (title.empty()) title = json_title(entry, {"keyword"});
        if (!title.empty()) add_entry(titles, std::move(title), json_heat(entry, {"heat_score"}));
    }
    return titles;
}

HotTopicsFetch fetch_bilibili(RuntimeServices& services) {
    return guarded(services, kBilibiliAddress, [&services] {
        const BoardRequest request{.address = kBilibiliAddress,
                                   .board = kBilibiliName,
                                   .headers = Text(kBrowserHeaders) + "\r\nReferer: https://www.bilibili.com/"};
        return read_board(services, request, bilibili_titles);
    });
}

}  // namespace qinghe
