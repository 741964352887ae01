#pragma once
// Live hot topics: the titles of the hot-search ranking page become the prefix list.
#include <functional>
#include <vector>

#include "app/controls/window.h"

namespace qinghe {

// The hot-search ranking page.
inline constexpr const char* kHotTopicsAddress = "http://top.baidu.com/buzz?b=1";

// Fetches the page and appends each non-empty ranking title, followed by CR LF, to the
// prefix box (which the caller has emptied). A failed fetch adds nothing and says nothing.
void fetch_hot_topics(Window& window);

// The titles on a page: the anchor text of every "list-title" entry, byte for byte.
std::vector<Text> hot_topic_titles(TextView page, const std::function<void()>& after_entry = {});

// Points the fetch at another address for as long as it lives (tests only; nothing a
// user can reach sets it).
class HotTopicsAddressOverride {
public:
    explicit HotTopicsAddressOverride(Text address);
    ~HotTopicsAddressOverride();
    HotTopicsAddressOverride(const HotTopicsAddressOverride&) = delete;
    HotTopicsAddressOverride& operator=(const HotTopicsAddressOverride&) = delete;

private:
    Text previous_;
};

}  // namespace qinghe
