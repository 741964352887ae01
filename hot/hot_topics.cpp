#include "hot/hot_topics.h"

#include "app/controls/names.h"
#include "text/markers.h"
#include "web/http_request.h"

namespace qinghe {
namespace {

Text& address() {
    static Text current = kHotTopicsAddress;
    return current;
}

}  // namespace

HotTopicsAddressOverride::HotTopicsAddressOverride(Text address_for_now) : previous_(address()) {
    address() = std::move(address_for_now);
}

HotTopicsAddressOverride::~HotTopicsAddressOverride() { address() = previous_; }

std::vector<Text> hot_topic_titles(TextView page, const std::function<void()>& after_entry) {
    std::vector<Text> entries;
    extract_all_between(page, "list-title", "/a>", entries, {.after_entry = after_entry});
    std::vector<Text> titles;
    for (const Text& entry : entries) {
        Text title = text_between(entry, ">", "<");
        if (!title.empty()) titles.push_back(std::move(title));
    }
    return titles;
}

void fetch_hot_topics(Window& window) {
    const auto process_messages = [&window] { window.process_pending_messages(); };
    const Text page = http_request({.url = address(), .process_messages = process_messages});
    const std::vector<Text> titles = hot_topic_titles(page, process_messages);
    if (titles.empty()) return;
    // Nothing can run between two appends, so all titles go into the box in one write.
    Text content = window.content(name::prefix_box);
    for (const Text& title : titles) content.append(title).append(kCrLf);
    window.set_content(name::prefix_box, content);
}

}  // namespace qinghe
