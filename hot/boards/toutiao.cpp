// 今日头条热榜: the PC hot board. Its pinned entry stands in fixed_top_data, beside the
// ranking, and is not read. An entry's ClusterId is a number past a double's exact
// integers (its string form stands in ClusterIdStr); only Title is read.
#include "hot/board_fetch.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"

namespace qinghe {

std::vector<HotEntry> toutiao_titles(std::string_view utf8, const std::function<void()>& pump) {
    const Json page = parse_bounded_json(utf8, pump);
    const Json* entries = json_array_at(page, {"data"});
    if (!entries) return {};
    std::vector<HotEntry> titles;
    for (const Json& entry : *entries) {
        Text title = json_title(entry, {"Title"});
        if (!title.empty()) add_entry(titles, std::move(title), json_heat(entry, {"HotValue"}));
    }
    return titles;
}

HotTopicsFetch fetch_toutiao(RuntimeServices& services) {
    return guarded(services, kToutiaoAddress, [&services] {
        return read_board(services,
                          {.address = kToutiaoAddress, .board = kToutiaoName, .headers = Text(kBrowserHeaders)},
                          toutiao_titles);
    });
}

}  // namespace qinghe
