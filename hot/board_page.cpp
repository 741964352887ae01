#include "hot/board_page.h"

#include <algorithm>

#include "hot/bounded_json.h"
#include "hot/title_text.h"

namespace qinghe {
namespace {

constexpr std::string_view kDataStart = "<!--s-data:";
constexpr std::string_view kDataEnd = "-->";

bool is_ad_mode(const Json& object) {
    const Json* mode = json_at(object, {"mode"});
    return mode && mode->is_string() && mode->get_ref<const std::string&>() == "ad";
}

// Whether brandInfo's object marks an advert: "mode":"ad" at its top or under "data".
bool marks_advert(const Json& info) {
    const Json* data = json_at(info, {"data"});
    return is_ad_mode(info) || (data && is_ad_mode(*data));
}

// An advert among the entries: its brandInfo, an object or an array of them, or a JSON
// text holding either (as the site sends it), marks one.
bool is_advert(const Json& entry) {
    const Json* brand = json_at(entry, {"brandInfo"});
    if (!brand) return false;
    const Json info = brand->is_string() ? parse_bounded_json(brand->get_ref<const std::string&>()) : *brand;
    if (!info.is_array()) return marks_advert(info);
    return std::any_of(info.begin(), info.end(), marks_advert);
}

// An entry whose index is negative holds no rank: the site gives adverts -100.
bool has_no_rank(const Json& entry) {
    const Json* index = json_at(entry, {"index"});
    return index && index->is_number() && index->get<double>() < 0;
}

}  // namespace

std::string_view board_data(std::string_view page) {
    const size_t start = page.find(kDataStart);
    if (start == std::string_view::npos) return {};
    const std::string_view rest = page.substr(start + kDataStart.size());
    return rest.substr(0, rest.find(kDataEnd));
}

std::vector<HotEntry> board_titles_from_json(std::string_view utf8_json, const std::function<void()>& pump) {
    const Json board = parse_bounded_json(utf8_json, pump);
    // data.cards[0].content: the first card holds the ranking. Today's pinned entry stands
    // apart in topContent, which is not read; earlier pages marked it in the ranking.
    const Json* cards = json_array_at(board, {"data", "cards"});
    const Json* entries = cards && !cards->empty() ? json_array_at(cards->front(), {"content"}) : nullptr;
    if (!entries) return {};
    std::vector<HotEntry> titles;
    for (const Json& entry : *entries) {
        const Json* pinned = json_at(entry, {"isTop"});
        if ((pinned && pinned->is_boolean() && pinned->get<bool>()) || has_no_rank(entry) || is_advert(entry)) continue;
        Text title = json_title(entry, {"word"});
        if (!title.empty()) add_entry(titles, std::move(title), json_heat(entry, {"hotScore"}));
    }
    return titles;
}

std::vector<HotEntry> board_titles(TextView page, const std::function<void()>& pump) {
    const std::string_view data = board_data(page);
    return data.empty() ? std::vector<HotEntry>() : board_titles_from_json(utf8_of_text(data, pump), pump);
}

}  // namespace qinghe
