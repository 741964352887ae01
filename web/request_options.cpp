#include "web/request_options.h"

#include "text/search.h"
#include "web/http_method.h"

namespace qinghe {
namespace {

TextView name_of(TextView line) {
    const size_t colon = line.find(':');
    return colon == TextView::npos ? TextView() : trim_blanks(line.substr(0, colon));
}

bool has_line_named(const std::vector<Text>& lines, TextView name) {
    for (const Text& line : lines) {
        if (equal_ignoring_case(name_of(line), name)) return true;
    }
    return false;
}

// libcurl reads "Name:" with nothing after it as "remove this header"; "Name;" sends it
// as it stands.
Text as_curl_line(const Text& line) {
    const size_t colon = line.find(':');
    if (colon == Text::npos || colon == 0 || !trim_blanks(TextView(line).substr(colon + 1)).empty()) return line;
    return line.substr(0, colon) + ";";
}

bool append(curl::List& list, const Text& line) {
    curl_slist* longer = curl_library()->slist_append(list.get(), line.c_str());
    if (!longer) return false;
    (void)list.release();
    list.reset(longer);
    return true;
}

bool set_method(CURL* easy, HttpMethod method, const ByteArray* body) {
    // GET first forgets the body of an earlier exchange.
    if (!set_option(easy, CURLOPT_HTTPGET, 1L)) return false;
    if (body && (!set_option(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size())) ||
                 !set_option(easy, CURLOPT_POSTFIELDS, body->data()))) {
        return false;
    }
    return set_option(easy, CURLOPT_CUSTOMREQUEST, http_method::name(method));
}

bool set_server_credentials(CURL* easy, const HttpRequest& r, bool other_origin) {
    if (r.user.empty() || r.password.empty()) return true;
    if (other_origin) return set_option(easy, CURLOPT_USERNAME, nullptr) && set_option(easy, CURLOPT_PASSWORD, nullptr);
    return set_option(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
           set_option(easy, CURLOPT_USERNAME, r.user.c_str()) && set_option(easy, CURLOPT_PASSWORD, r.password.c_str());
}

bool set_proxy_credentials(CURL* easy, const HttpRequest& r) {
    if (r.proxy_user.empty() || r.proxy_password.empty()) return true;
    return set_option(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
           set_option(easy, CURLOPT_PROXYUSERNAME, r.proxy_user.c_str()) &&
           set_option(easy, CURLOPT_PROXYPASSWORD, r.proxy_password.c_str());
}

}  // namespace

bool header_list(TextView block, const std::function<bool(TextView name)>& keep, curl::List& list) {
    std::vector<Text> lines;
    for (Text& line : split_list(block, kCrLf)) {
        if (!line.empty() && keep(name_of(line))) lines.push_back(std::move(line));
    }
    for (const Text& line : lines) {
        if (!append(list, as_curl_line(line))) return false;
    }
    // Empty lines in libcurl's syntax keep it from adding Accept, Expect and Content-Type
    // lines that the request would not carry otherwise.
    for (const char* name : {"Accept", "Expect", "Content-Type"}) {
        if (!has_line_named(lines, name) && !append(list, Text(name) + ":")) return false;
    }
    return true;
}

std::optional<Failure> configure_request(CURL* easy, const HttpRequest& r, long timeout_ms, curl::List& connect_to) {
    // A proxy names a proxy for http and https alike; the empty texts keep libcurl from
    // taking a proxy, or hosts that bypass one, from the environment.
    const std::string proxy = r.proxy.empty() ? std::string() : "http://" + r.proxy;
    if (!set_option(easy, CURLOPT_NOSIGNAL, 1L) || !set_option(easy, CURLOPT_PROXY, proxy.c_str()) ||
        !set_option(easy, CURLOPT_NOPROXY, "") ||
        !set_option(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) ||
        !set_option(easy, CURLOPT_PROTOCOLS_STR, "http,https")) {
        return Failure::Session;
    }
    // Resolving and connecting here; no progress while sending or receiving is watched
    // while the exchange runs.
    if (!set_option(easy, CURLOPT_CONNECTTIMEOUT_MS, timeout_ms)) return Failure::Timeouts;
    if (!set_proxy_credentials(easy, r)) return Failure::Credentials;
    // Certificate errors (unknown issuer, wrong name, date or usage) are ignored.
    if (!set_option(easy, CURLOPT_SSL_VERIFYPEER, 0L) || !set_option(easy, CURLOPT_SSL_VERIFYHOST, 0L))
        return Failure::Certificate;
    // No cookie engine is ever switched on: cookies travel only as the caller's text.
    // Redirects are followed one exchange at a time, each on a connection of its own, so
    // that every exchange through a proxy's tunnel begins with the proxy's answer.
    if (!set_option(easy, CURLOPT_FOLLOWLOCATION, 0L) || !set_option(easy, CURLOPT_FRESH_CONNECT, 1L) ||
        !set_option(easy, CURLOPT_FORBID_REUSE, 1L)) {
        return Failure::Redirects;
    }
    for (const Text& entry : r.connect_to) {
        if (!append(connect_to, entry)) return Failure::Connection;
    }
    if (connect_to && !set_option(easy, CURLOPT_CONNECT_TO, connect_to.get())) return Failure::Connection;
    return std::nullopt;
}

std::optional<Failure> configure_exchange(CURL* easy, const ExchangeRequest& e, const HttpRequest& r,
                                          curl::List& headers) {
    if (!set_option(easy, CURLOPT_URL, e.address->url.c_str())) return Failure::Connection;
    if (!set_method(easy, e.method, e.body)) return Failure::Request;
    if (!set_server_credentials(easy, r, e.other_origin)) return Failure::Credentials;
    const auto keep = [&e](TextView name) {
        if (e.body_dropped && equal_ignoring_case(name, "Content-Type")) return false;
        return !e.other_origin || (!equal_ignoring_case(name, "Cookie") && !equal_ignoring_case(name, "Authorization"));
    };
    headers.reset();
    if (!header_list(e.header_block, keep, headers) || !set_option(easy, CURLOPT_HTTPHEADER, headers.get())) {
        return Failure::Headers;
    }
    return std::nullopt;
}

}  // namespace qinghe
