#include "hot/hot_topics.h"

#include "hot/board_fetch.h"
#include "hot/board_page.h"
#include "hot/title_text.h"
#include "text/markers.h"
#include "web/http_request.h"

namespace qinghe {
namespace {

void release(std::string& text) { std::string().swap(text); }

// One request and what its page holds. Baidu's pages get the routine's own headers, as
// the program always sent them (its JSON route too).
HotTopicsFetch read_page(RuntimeServices& services, TextView address) {
    const auto process_messages = [&services] { services.process_pending_messages(); };
    HotTopicsFetch fetch{.address = services.address_for(address)};
    Text status, headers;
    ByteArray raw;
    Text page = http_request({.url = fetch.address,
                              .response_headers = &headers,
                              .status_text = &status,
                              .response_bytes = &raw,
                              .connect_to = services.connect_to(),
                              .process_messages = process_messages,
                              .cancelled = [&services] { return services.cancelled(); }});
    // A small body is kept for the site's words, should it hold no titles.
    const ByteArray small_body = raw.size() <= kMaxErrorBodyBytes ? raw : ByteArray();
    fetch.entries = page_titles(std::move(page), std::move(raw), process_messages);
    if (fetch.entries.empty()) explain(fetch, kBaiduBoardName, status, small_body, !headers.empty());
    return fetch;
}

// The title with each line or paragraph separator (U+2028, U+2029; four bytes each in
// GB18030, which alone of the page charsets holds them) turned into a space: in the list
// box it would cut the title in two. Steps character by character, so that no byte
// sequence across two characters is taken for one.
Text without_separators(TextView title) {
    Text out;
    out.reserve(title.size());
    for (size_t i = 0; i < title.size();) {
        const TextView character = title.substr(i, character_length(title, i));
        if (character == "\x81\x36\xA6\x35" || character == "\x81\x36\xA6\x36") out.push_back(' ');
        else out.append(character);
        i += character.size();
    }
    return out;
}

}  // namespace

std::vector<Text> hot_topic_titles(TextView page, const std::function<void()>& after_entry) {
    // The plain search finds every entry that the character-stepping one finds (and perhaps
    // more), at memory speed: a large page without entries, today's board among them, is
    // not walked character by character without the window's events.
    if (page.find("list-title") == TextView::npos) return {};
    std::vector<Text> entries;
    extract_all_between(page, "list-title", "/a>", entries, {.after_entry = after_entry});
    std::vector<Text> titles;
    for (const Text& entry : entries) {
        Text title = text_between(entry, ">", "<");
        if (title.find("\x81\x36\xA6") != Text::npos) title = without_separators(title);
        if (!title.empty()) titles.push_back(std::move(title));
    }
    return titles;
}

std::vector<Text> titles_of(const std::vector<HotEntry>& entries) {
    std::vector<Text> titles;
    titles.reserve(entries.size());
    for (const HotEntry& entry : entries) titles.push_back(entry.title);
    return titles;
}

std::vector<HotEntry> ranked(std::vector<Text> titles) {
    std::vector<HotEntry> entries;
    entries.reserve(titles.size());
    for (Text& title : titles) add_entry(entries, std::move(title), {});
    return entries;
}

void add_entry(std::vector<HotEntry>& entries, Text title, Text heat) {
    entries.push_back({std::move(title), static_cast<int>(entries.size()) + 1, std::move(heat)});
}

std::vector<HotEntry> page_titles(Text page, ByteArray raw_body, const std::function<void()>& after_entry) {
    std::vector<Text> titles = hot_topic_titles(page, after_entry);
    if (!titles.empty()) return ranked(std::move(titles));
    // The board is UTF-8, declared or not (a declaration after the first 1024 bytes goes
    // unseen): its raw bytes are read when they are UTF-8, else the page text, converted
    // as its declaration says. Only the one read is kept meanwhile, so that a large page
    // costs little memory beside its JSON.
    const std::string_view raw_data = board_data(raw_body);
    if (!raw_data.empty() && is_utf8(raw_data, after_entry)) {
        release(page);
        return board_titles_from_json(raw_data, after_entry);
    }
    release(raw_body);
    const std::string data = utf8_of_text(board_data(page), after_entry);
    release(page);
    return board_titles_from_json(data, after_entry);
}

HotTopicsFetch fetch_hot_topics(RuntimeServices& services) {
    return guarded(services, kHotTopicsAddress, [&services] {
        HotTopicsFetch legacy = read_page(services, kHotTopicsAddress);
        if (!legacy.entries.empty()) return legacy;
        HotTopicsFetch board = read_page(services, kHotTopicsBoardAddress);
        if (!board.entries.empty()) return board;
        // The JSON stands on the board's host: when that did not answer, neither would it.
        const bool answered = board.telling != Telling::no_answer;
        HotTopicsFetch fetch = more_telling(std::move(legacy), std::move(board));
        if (!answered) return fetch;
        return more_telling(
            std::move(fetch),
            read_board(services, {.address = kHotTopicsApiAddress, .board = kBaiduBoardName}, board_titles_from_json));
    });
}

}  // namespace qinghe
