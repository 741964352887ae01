// 抖音热点: the web list answers only with the cookies that the login page sets (the
// older guide page, asked when the login page sets none, did so until late 2025); when
// no cookies come or the list gives nothing, the older billboard is asked. The rising
// topics (trending_list) are not the board.
#include "hot/board_fetch.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"

namespace qinghe {
namespace {

std::vector<HotEntry> no_titles(std::string_view, const std::function<void()>&) { return {}; }

// Whether a member holds something: not missing, null, false, 0, "", [] or {}.
bool holds(const Json& object, std::string_view key) {
    const Json* value = json_at(object, {key});
    if (!value || value->is_null()) return false;
    if (value->is_boolean()) return value->get<bool>();
    if (value->is_number()) return value->get<double>() != 0;
    return !value->empty() && !(value->is_string() && value->get_ref<const std::string&>().empty());
}

}  // namespace

std::vector<HotEntry> douyin_titles(std::string_view utf8, const std::function<void()>& pump) {
    const Json page = parse_bounded_json(utf8, pump);
    // The web list nests its entries in data, the billboard holds them at the top. An
    // advert carries ad_data (and takes a rank); in the web list the pinned topic is the
    // entry without a position.
    const Json* entries = json_array_at(page, {"data", "word_list"});
    const bool web_list = entries != nullptr;
    if (!entries) entries = json_array_at(page, {"word_list"});
    if (!entries) return {};
    std::vector<HotEntry> titles;
    for (const Json& entry : *entries) {
        if (holds(entry, "ad_data")) continue;
        const Json* position = json_at(entry, {"position"});
        if (web_list && (!position || position->is_null())) continue;
        Text title = json_title(entry, {"word"});
        if (!title.empty()) add_entry(titles, std::move(title), json_heat(entry, {"hot_value"}));
    }
    return titles;
}

HotTopicsFetch fetch_douyin(RuntimeServices& services) {
    return guarded(services, kDouyinLoginAddress, [&services] {
        const Text headers(kBrowserHeaders);
        Text cookies;
        // The cookie pages' bodies hold nothing of use: only the cookies they set count.
        for (const TextView address : {kDouyinLoginAddress, kDouyinCookieAddress}) {
            read_board(services, {.address = address, .headers = headers, .new_cookies = &cookies}, no_titles);
            if (!cookies.empty()) break;
        }
        const BoardRequest billboard{.address = kDouyinBillboardAddress, .board = kDouyinName, .headers = headers};
        if (cookies.empty()) return read_board(services, billboard, douyin_titles);
        Text list_cookies;
        HotTopicsFetch list = read_board(services,
                                         {.address = kDouyinListAddress,
                                          .board = kDouyinName,
                                          .headers = headers,
                                          .cookies = &cookies,
                                          .new_cookies = &list_cookies},
                                         douyin_titles);
        if (!list.entries.empty()) return list;
        return more_telling(std::move(list), read_board(services, billboard, douyin_titles));
    });
}

}  // namespace qinghe
