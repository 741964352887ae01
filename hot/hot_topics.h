#pragma once
// Live hot topics: the titles of the hot-search ranking page become the prefix list.
#include <functional>
#include <vector>

#include "controls/runtime_services.h"

namespace qinghe {

// The pages read for hot topics, in order: the ranking page the program was made for
// (its "list-title" entries), and today's board, asked only when the first page gives
// no titles. Tests point them at servers of their own through RuntimeServices::address_for.
inline constexpr TextView kHotTopicsAddress = "http://top.baidu.com/buzz?b=1";
inline constexpr TextView kHotTopicsBoardAddress = "https://top.baidu.com/board?tab=realtime";

// The titles on a page of the first kind: the anchor text of every "list-title" entry,
// byte for byte.
std::vector<Text> hot_topic_titles(TextView page, const std::function<void()>& after_entry = {});

// The titles of any page: its "list-title" entries, else its board data (read from the
// raw body as UTF-8, else from the page text). Both are taken over, so that what is no
// longer needed is let go while the rest is read.
std::vector<Text> page_titles(Text page, ByteArray raw_body, const std::function<void()>& after_entry = {});

struct HotTopicsFetch {
    std::vector<Text> titles = {};
    // Without titles: the address asked last and why it gave none (no control characters
    // or line breaks, so it fits one line).
    Text address = {};
    Text reason = {};
};

// Baidu's fetch: asks the second page only when the first gives none; without titles the
// result says why. The window's events are processed while it waits. Never throws.
HotTopicsFetch fetch_hot_topics(RuntimeServices& services);

}  // namespace qinghe
