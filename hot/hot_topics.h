#pragma once
// Live hot topics: the titles of the hot-search ranking page become the prefix list.
#include <functional>
#include <vector>

#include "controls/runtime_services.h"

namespace qinghe {

// The pages read for hot topics, in order: the ranking page the program was made for
// (its "list-title" entries); today's board, asked only when the first page gives no
// titles; and the same board as plain JSON, asked only when the board page answered
// without titles (its embedded data missing or broken). Tests point them at servers of
// their own through RuntimeServices::address_for.
inline constexpr TextView kHotTopicsAddress = "http://top.baidu.com/buzz?b=1";
inline constexpr TextView kHotTopicsBoardAddress = "https://top.baidu.com/board?tab=realtime";
inline constexpr TextView kHotTopicsApiAddress = "https://top.baidu.com/api/board?platform=web&tab=realtime";
// UTF-8, as the board table names it; the reasons that quote the site begin with it.
inline constexpr const char* kBaiduBoardName = "百度热搜";

// The titles on a page of the first kind: the anchor text of every "list-title" entry,
// byte for byte.
std::vector<Text> hot_topic_titles(TextView page, const std::function<void()>& after_entry = {});

// One title of a board, with its place on the board and the heat the board gives it.
struct HotEntry {
    Text title;
    int rank = 0;    // its place among the board's titles as read (adverts and pinned ones left out), from 1
    Text heat = {};  // the board's own heat figure as it shows it ("1234.5万"); empty when it gives none
    bool operator==(const HotEntry&) const = default;
};

// The titles of the entries, in order.
std::vector<Text> titles_of(const std::vector<HotEntry>& entries);
// Entries of the titles in order, ranked from 1, without heat.
std::vector<HotEntry> ranked(std::vector<Text> titles);
// Appends `title` with `heat`, ranked after the entries before it.
void add_entry(std::vector<HotEntry>& entries, Text title, Text heat);

// The entries of any page: its "list-title" entries (which give no heat), else its board
// data (read from the raw body as UTF-8, else from the page text). Both are taken over,
// so that what is no longer needed is let go while the rest is read.
std::vector<HotEntry> page_titles(Text page, ByteArray raw_body, const std::function<void()>& after_entry = {});

// How much a fetch without titles tells about why, so that of two addresses that both
// failed the more telling one is reported.
enum class Telling {
    no_answer,   // the request failed: no response came
    answer,      // a status that is not a success, or a page without entries
    site_words,  // the site said why in its error body
};

struct HotTopicsFetch {
    std::vector<HotEntry> entries = {};  // the board's titles in board order
    // Without titles: the address that failed most tellingly and why it gave none (one
    // line without control characters; with the site's words "知乎热榜：身份未经过验证（401）").
    Text address = {};
    Text reason = {};
    Telling telling = Telling::no_answer;
};

// Baidu's fetch: asks each later page only when the ones before give none; without titles
// the result says why. The window's events are processed while it waits. Never throws.
HotTopicsFetch fetch_hot_topics(RuntimeServices& services);

}  // namespace qinghe
