#include "hot/board_page.h"

#include "hot/bounded_json.h"
#include "hot/title_text.h"

namespace qinghe {
namespace {

constexpr std::string_view kDataStart = "<!--s-data:";
constexpr std::string_view kDataEnd = "-->";

// An advert among the entries: its brandInfo, a JSON text inside the entry (an object
// read as well), has "mode":"ad".
bool is_advert(const Json& entry) {
    const Json* brand = json_at(entry, {"brandInfo"});
    if (!brand) return false;
    const Json info = brand->is_string() ? parse_bounded_json(brand->get_ref<const std::string&>()) : *brand;
    const Json* mode = json_at(info, {"mode"});
    return mode && mode->is_string() && mode->get_ref<const std::string&>() == "ad";
}

}  // namespace

std::string_view board_data(std::string_view page) {
    const size_t start = page.find(kDataStart);
    if (start == std::string_view::npos) return {};
    const std::string_view rest = page.substr(start + kDataStart.size());
    return rest.substr(0, rest.find(kDataEnd));
}

std::vector<Text> board_titles_from_json(std::string_view utf8_json, const std::function<void()>& pump) {
    const Json board = parse_bounded_json(utf8_json, pump);
    // data.cards[0].content: the first card holds the ranking. Today's pinned entry stands
    // apart in topContent, which is not read; earlier pages marked it in the ranking.
    const Json* cards = json_array_at(board, {"data", "cards"});
    const Json* entries = cards && !cards->empty() ? json_array_at(cards->front(), {"content"}) : nullptr;
    if (!entries) return {};
    std::vector<Text> titles;
    for (const Json& entry : *entries) {
        const Json* pinned = json_at(entry, {"isTop"});
        if ((pinned && pinned->is_boolean() && pinned->get<bool>()) || is_advert(entry)) continue;
        Text title = json_title(entry, {"word"});
        if (!title.empty()) titles.push_back(std::move(title));
    }
    return titles;
}

std::vector<Text> board_titles(TextView page, const std::function<void()>& pump) {
    const std::string_view data = board_data(page);
    return data.empty() ? std::vector<Text>() : board_titles_from_json(utf8_of_text(data, pump), pump);
}

}  // namespace qinghe
