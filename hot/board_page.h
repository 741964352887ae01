#pragma once
// Today's ranking board: a server-rendered page whose entries stand as JSON in an HTML
// comment "<!--s-data:{...}-->", or the same JSON from the board's API. The titles are
// the "word" of each entry of the first card, in page order; a pinned entry ("isTop":
// true), an entry with a negative index and an advert (its brandInfo, a JSON text of an
// object or an array, with "mode":"ad" at an object's top or under its "data") are not
// ranking entries.
#include <functional>
#include <string_view>
#include <vector>

#include "hot/hot_topics.h"

namespace qinghe {

// The JSON between "<!--s-data:" and the next "-->" (to the end when the comment is cut
// off); empty when the page has no such comment. Both markers begin with a byte below
// 0x30, which never ends a double-byte character, so a plain byte search is safe in
// program text as in UTF-8.
std::string_view board_data(std::string_view page);

// The entries in the board's JSON (UTF-8): titles as program text, cleaned as
// one_line_title says (a blank one skipped), with their hotScore as heat. Broken, cut-off,
// unexpected or oversized JSON (bounded_json.h) gives none. `pump` runs while a long text
// is read.
std::vector<HotEntry> board_titles_from_json(std::string_view utf8_json, const std::function<void()>& pump = {});

// The entries of a board page held as program text.
std::vector<HotEntry> board_titles(TextView page, const std::function<void()>& pump = {});

}  // namespace qinghe
