#include "hot/hot_topics.h"

#include "hot/board_page.h"
#include "text/codec.h"
#include "text/markers.h"
#include "web/http_request.h"

namespace qinghe {
namespace {

// Why a page that was asked gave no titles: the request's own message when it failed,
// the status line when the answer was not a success, else the page held no entries.
Text reason_for(const Text& status, bool answered) {
    if (!answered || status.empty() || status.front() != '2') return status;
    return from_utf8("页面上没有热搜条目");
}

// One request and what its page holds.
HotTopicsFetch read_page(RuntimeServices& services, TextView address) {
    const auto process_messages = [&services] { services.process_pending_messages(); };
    HotTopicsFetch fetch{.address = services.address_for(address)};
    Text status, headers;
    ByteArray raw;
    const Text page = http_request({.url = fetch.address, .response_headers = &headers, .status_text = &status,
                                    .response_bytes = &raw, .process_messages = process_messages});
    fetch.titles = page_titles(page, raw, process_messages);
    if (fetch.titles.empty()) fetch.reason = reason_for(status, !headers.empty());
    return fetch;
}

}  // namespace

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

std::vector<Text> page_titles(TextView page, TextView raw_body, const std::function<void()>& after_entry) {
    std::vector<Text> titles = hot_topic_titles(page, after_entry);
    if (!titles.empty()) return titles;
    // The board is UTF-8, declared or not (a declaration after the first 1024 bytes goes
    // unseen): its raw bytes read as UTF-8 first. JSON that is not UTF-8 is refused, and
    // the page text, converted as its declaration says, is read instead.
    titles = board_titles_from_json(board_data(raw_body));
    return titles.empty() ? board_titles(page) : titles;
}

HotTopicsFetch fetch_hot_topics(RuntimeServices& services) {
    HotTopicsFetch fetch = read_page(services, kHotTopicsAddress);
    if (fetch.titles.empty()) fetch = read_page(services, kHotTopicsBoardAddress);
    return fetch;
}

}  // namespace qinghe
