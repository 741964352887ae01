// 知乎热榜: the desktop hot list; each entry's question stands in its target.
#include "hot/board_fetch.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"

namespace qinghe {

std::vector<Text> zhihu_titles(std::string_view utf8, const std::function<void()>& pump) {
    const Json page = parse_bounded_json(utf8, pump);
    const Json* entries = json_array_at(page, {"data"});
    if (!entries) return {};
    std::vector<Text> titles;
    for (const Json& entry : *entries) {
        Text title = json_title(entry, {"target", "title"});
        if (!title.empty()) titles.push_back(std::move(title));
    }
    return titles;
}

HotTopicsFetch fetch_zhihu(RuntimeServices& services) {
    return guarded(services, kZhihuAddress, [&services] {
        return read_board(services, {.address = kZhihuAddress, .headers = Text(kBrowserHeaders)}, zhihu_titles);
    });
}

}  // namespace qinghe
