#pragma once
// What the boards' fetches share: one request for a board's JSON through the program's
// own http_request, the reason a request gave no titles, and the guard that keeps any
// exception (memory running out) inside the fetch.
#include <functional>
#include <string_view>
#include <vector>

#include "hot/hot_topics.h"

namespace qinghe {

// What a browser sends, for the sites that answer browsers only. Accept-Encoding keeps
// the body uncompressed: the request routine does not decode compressed bodies.
inline constexpr TextView kBrowserHeaders =
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/124.0.0.0 Safari/537.36\r\n"
    "Accept: application/json, text/plain, */*\r\n"
    "Accept-Language: zh-CN,zh;q=0.9\r\n"
    "Accept-Encoding: identity";

// A board's reader: the titles in its JSON body (UTF-8), `pump` running while it reads.
using BoardReader = std::vector<Text> (*)(std::string_view utf8, const std::function<void()>& pump);

struct BoardRequest {
    TextView address;             // the public address (RuntimeServices::address_for maps it)
    Text headers = {};            // extra header lines, CR LF between them
    Text* cookies = nullptr;      // as HttpRequest::cookies
    Text* new_cookies = nullptr;  // as HttpRequest::new_cookies
};

// One request, its raw body read by `reader`; without titles the result says why.
// `answered`, when given, tells whether a response came at all.
HotTopicsFetch read_board(RuntimeServices& services, const BoardRequest& request, BoardReader reader,
                          bool* answered = nullptr);

// Why a page that was asked gave no titles, cleaned for one line: the request's own
// message when it failed, the status line when the answer was not a success, else the
// page held no entries.
Text reason_for(TextView status, bool answered);

// Runs a fetch; an exception (memory running out while a page is read) ends it as a
// fetch without titles, named after the board's first `address`, never reaching the window.
HotTopicsFetch guarded(RuntimeServices& services, TextView address, const std::function<HotTopicsFetch()>& fetch);

}  // namespace qinghe
