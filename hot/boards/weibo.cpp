// 微博热搜: the side panel's JSON, which the site hands only to browsers that come from
// its own pages (a Referer; without one it answers 403).
#include "hot/board_fetch.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"
#include "hot/title_text.h"

namespace qinghe {
namespace {

// An entry's word; an entry without one carries it as a topic, "#…#", in word_scheme,
// read without the "#" at either end.
Text entry_title(const Json& entry) {
    Text title = json_title(entry, {"word"});
    if (!title.empty()) return title;
    const Json* scheme = json_at(entry, {"word_scheme"});
    if (!scheme || !scheme->is_string()) return {};
    std::string_view topic = scheme->get_ref<const std::string&>();
    if (topic.starts_with('#')) topic.remove_prefix(1);
    if (topic.ends_with('#')) topic.remove_suffix(1);
    return one_line_title(topic);
}

}  // namespace

std::vector<HotEntry> weibo_titles(std::string_view utf8, const std::function<void()>& pump) {
    const Json page = parse_bounded_json(utf8, pump);
    const Json* entries = json_array_at(page, {"data", "realtime"});
    if (!entries) return {};
    std::vector<HotEntry> titles;
    for (const Json& entry : *entries) {
        if (json_true(entry, "is_ad")) continue;
        Text title = entry_title(entry);
        if (!title.empty()) add_entry(titles, std::move(title), json_heat(entry, {"num"}));
    }
    return titles;
}

HotTopicsFetch fetch_weibo(RuntimeServices& services) {
    return guarded(services, kWeiboAddress, [&services] {
        const BoardRequest request{.address = kWeiboAddress,
                                   .board = kWeiboName,
                                   .headers = Text(kBrowserHeaders) + "\r\nReferer: https://weibo.com/"};
        return read_board(services, request, weibo_titles);
    });
}

}  // namespace qinghe
