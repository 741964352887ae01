#pragma once
// One complete HTTP or HTTPS request over libcurl: send, follow redirects, read the whole
// body, and hand back the body as program text (converted when the page declares another
// charset). libcurl acts on the arguments alone: no proxy or credentials from the
// environment or from inside the address.
// Failures never throw: a numbered message goes into `status_text` and the result is
// the empty text. Outputs that a path does not reach keep the caller's values.
#include <functional>
#include <vector>

#include "text/text.h"
#include "web/http_method.h"

namespace qinghe {

struct HttpRequest {
    Text url = {};  // absolute http or https address
    HttpMethod method = HttpMethod::Get;
    Text post_text = {};               // body, unless post_bytes is given
    Text* cookies = nullptr;           // in/out: "name=value; ..." to send; the merged cookies after a merge
    Text* new_cookies = nullptr;       // in/out: the cookies the response sets are appended
    Text extra_headers = {};           // the caller's header lines, CR LF between them
    Text* response_headers = nullptr;  // out: the final response's raw header block
    bool no_redirect = false;
    Text user = {}, password = {};  // Basic authentication at the server
    Text proxy = {};                // host:port; empty for none
    Text proxy_user = {}, proxy_password = {};
    int timeout_seconds = 0;              // per phase; 0 or less means 30
    Text* location = nullptr;             // out: the value of the response's Location line
    Text* status_text = nullptr;          // out: "200 OK", or a numbered failure message
    ByteArray* response_bytes = nullptr;  // out: the raw body
    bool merge_cookies = true;
    bool add_default_headers = true;
    ByteArray post_bytes = {};
    bool normalize_headers = true;
    // "HOST:PORT:CONNECT-TO-HOST:CONNECT-TO-PORT" entries: a request for HOST:PORT goes
    // to the other host and port, keeping its address, Host line and TLS name (tests point
    // public addresses at servers of their own).
    std::vector<Text> connect_to = {};
    // Called at least every 50 ms while the request waits, after every response header
    // line, and between pieces of work on a large body (copying, charset conversion), so
    // that the window can process its pending messages.
    std::function<void()> process_messages = {};
    // Asked before the request goes out and whenever the message hook has run: once it
    // answers true the request ends at once, the transfer dropped unfinished, with the
    // message "714 已取消" and nothing else written.
    std::function<bool()> cancelled = {};
};

Text http_request(const HttpRequest& request);

// Limits against hostile servers: a larger body stops the read (as a failed read, with
// what came so far); a larger header block fails the request as unanswered.
inline constexpr size_t kMaxBodyBytes = 64u << 20;
inline constexpr size_t kMaxHeaderBytes = 1u << 20;

}  // namespace qinghe
