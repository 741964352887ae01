#include "hot/board_page.h"

#include <nlohmann/json.hpp>

#include "text/codec.h"

namespace qinghe {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kDataStart = "<!--s-data:";
constexpr std::string_view kDataEnd = "-->";

// data.cards[0].content, or nullptr when the JSON is not shaped like a board.
const Json* first_card_entries(const Json& board) {
    const auto data = board.find("data");
    if (data == board.end() || !data->is_object()) return nullptr;
    const auto cards = data->find("cards");
    if (cards == data->end() || !cards->is_array() || cards->empty() || !cards->front().is_object()) return nullptr;
    const auto content = cards->front().find("content");
    return content != cards->front().end() && content->is_array() ? &*content : nullptr;
}

bool pinned(const Json& entry) {
    const auto top = entry.find("isTop");
    return top != entry.end() && top->is_boolean() && top->get<bool>();
}

Text title_of(const std::string& word) {
    std::string line = word;
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return from_utf8(line);
}

}  // namespace

std::string_view board_data(std::string_view page) {
    const size_t start = page.find(kDataStart);
    if (start == std::string_view::npos) return {};
    const std::string_view rest = page.substr(start + kDataStart.size());
    return rest.substr(0, rest.find(kDataEnd));
}

std::vector<Text> board_titles_from_json(std::string_view utf8_json) {
    // No exceptions: a page that is not what we expect simply holds no titles.
    const Json board = Json::parse(utf8_json.begin(), utf8_json.end(), nullptr, false);
    if (board.is_discarded() || !board.is_object()) return {};
    const Json* entries = first_card_entries(board);
    if (!entries) return {};
    std::vector<Text> titles;
    for (const Json& entry : *entries) {
        if (!entry.is_object() || pinned(entry)) continue;
        const auto word = entry.find("word");
        if (word == entry.end() || !word->is_string()) continue;
        Text title = title_of(word->get_ref<const std::string&>());
        if (!title.empty()) titles.push_back(std::move(title));
    }
    return titles;
}

std::vector<Text> board_titles(TextView page) {
    const std::string_view data = board_data(page);
    return data.empty() ? std::vector<Text>() : board_titles_from_json(to_utf8(data));
}

}  // namespace qinghe
