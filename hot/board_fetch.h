#pragma once
// What the boards' fetches share: one request for a board's JSON through the program's
// own http_request, the reason a request gave no titles (in the site's own words when
// its error body has some), the choice between two addresses' fetches, and the guard that
// keeps any exception (memory running out) inside the fetch.
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

// Error bodies are small: a larger body without titles is not searched for the site's words.
inline constexpr size_t kMaxErrorBodyBytes = 64u << 10;

// A board's reader: the entries in its JSON body (UTF-8), `pump` running while it reads.
using BoardReader = std::vector<HotEntry> (*)(std::string_view utf8, const std::function<void()>& pump);

struct BoardRequest {
    TextView address;             // the public address (RuntimeServices::address_for maps it)
    const char* board = "";       // the board's name (UTF-8), which opens a reason in the site's words
    Text headers = {};            // extra header lines, CR LF between them
    Text* cookies = nullptr;      // as HttpRequest::cookies
    Text* new_cookies = nullptr;  // as HttpRequest::new_cookies
};

// One request, its raw body read by `reader`; without titles the result says why (explain).
HotTopicsFetch read_board(RuntimeServices& services, const BoardRequest& request, BoardReader reader);

// The site's own words in an error body (UTF-8 JSON): error.message, or the error itself
// when it is a string; else msg (or message) beside an ok or success that is false or not
// above 0, or beside a non-zero code; else status_msg beside a non-zero status_code. Cleaned as
// clean_reason says; the empty text when the body holds none.
Text site_words(std::string_view utf8);

// Sets the fetch's reason and how telling it is, for an answer without titles: with the
// site's words in `body`, "<board>：<words>（<status code>）" (program text); else as
// reason_for says.
void explain(HotTopicsFetch& fetch, const char* board, TextView status, std::string_view body, bool answered);

// Why a page that was asked gave no titles, cleaned for one line: the request's own
// message when it failed, the status line when the answer was not a success, else the
// page held no entries.
Text reason_for(TextView status, bool answered);

// Of two fetches of one board, the one to report: one that gave titles (the earlier when
// both did); of two without titles, the earlier only when it has the site's words and the
// later has none.
HotTopicsFetch more_telling(HotTopicsFetch earlier, HotTopicsFetch later);

// Runs a fetch; an exception (memory running out while a page is read) ends it as a
// fetch without titles, named after the board's first `address`, never reaching the window.
HotTopicsFetch guarded(RuntimeServices& services, TextView address, const std::function<HotTopicsFetch()>& fetch);

}  // namespace qinghe
