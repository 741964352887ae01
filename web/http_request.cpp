#include "web/http_request.h"

#include <optional>

#include "text/search.h"
#include "web/charset.h"
#include "web/cookies.h"
#include "web/exchange.h"
#include "web/header_block.h"
#include "web/http_method.h"
#include "web/redirects.h"
#include "web/request_failure.h"
#include "web/request_options.h"

namespace qinghe {
namespace {

constexpr int kMaxRedirects = 10;

// How a request ends: with the final answer, or with the failure of a step.
struct Outcome {
    std::optional<Failure> failure;
    Answer answer;
};

// The address a redirect sends the request on to. False when the answer is final: not
// a redirect, no Location, or a target the request may not go to (another scheme than
// http and https, or from https down to http).
bool redirect_target(const Answer& answer, const RequestAddress& from, RequestAddress& target) {
    if (!is_followed_redirect(answer.status)) return false;
    const std::optional<Text> location = header_field(answer.headers, "Location");
    return location && resolve_redirect(from, *location, target) && (target.secure || !from.secure);
}

// Sends the request and receives the answer, following redirects unless told not to.
// Whatever goes wrong after the first exchange was sent counts as no response.
Outcome exchange_following_redirects(CURL* easy, const HttpRequest& r, RequestAddress address, TextView header_block,
                                     long timeout_ms) {
    const ByteArray& body = r.post_bytes.empty() ? r.post_text : r.post_bytes;
    HttpMethod method = http_method::normalized(r.method);
    bool has_body = !body.empty() || method == HttpMethod::Post || method == HttpMethod::Put;
    const RequestAddress origin = address;
    for (int redirects = 0;; ++redirects) {
        const bool first = redirects == 0;
        curl::List headers;
        const ExchangeRequest request{.address = &address,
                                      .method = method,
                                      .body = has_body ? &body : nullptr,
                                      .header_block = header_block,
                                      .body_dropped = !first && !has_body,
                                      .other_origin = !same_origin(address, origin)};
        if (const auto failure = configure_exchange(easy, request, r, headers)) {
            return {first ? *failure : Failure::NoResponse, {}};
        }
        Exchange exchange = run_exchange(easy, {.timeout = std::chrono::milliseconds(timeout_ms),
                                                .head = method == HttpMethod::Head,
                                                .through_tunnel = !r.proxy.empty() && address.secure,
                                                .secure = address.secure,
                                                .upload_size = has_body ? body.size() : 0,
                                                .process_messages = &r.process_messages,
                                                .cancelled = &r.cancelled});
        if (exchange.outcome == Exchange::Cancelled) return {Failure::Cancelled, {}};
        if (exchange.outcome == Exchange::NotSent) return {first ? Failure::Send : Failure::NoResponse, {}};
        if (exchange.outcome == Exchange::Unanswered) return {Failure::NoResponse, {}};
        RequestAddress target;
        if (r.no_redirect || !redirect_target(exchange.answer, address, target)) {
            return {std::nullopt, std::move(exchange.answer)};
        }
        if (redirects == kMaxRedirects) return {Failure::NoResponse, {}};
        const NextRequest next = request_after_redirect(method, exchange.answer.status);
        method = next.method;
        has_body = has_body && next.keeps_body;
        address = std::move(target);
    }
}

// The status line from its tenth byte up to its CR LF: "HTTP/1.1 200 OK" gives "200 OK".
Text status_text_of(const Text& headers) {
    const size_t end = headers.size() > 9 ? find_offset(headers, kCrLf, 9) : TextView::npos;
    return end == TextView::npos ? Text() : headers.substr(9, end - 9);
}

// Set-Cookie and Location lines into the caller's outputs, then the merge.
void collect_cookies(const HttpRequest& r, TextView headers, Text cookies_sent) {
    Text local_new_cookies, local_location;
    Text& new_cookies = r.new_cookies ? *r.new_cookies : local_new_cookies;
    Text& location = r.location ? *r.location : local_location;
    for (const Text& line : split_list(headers, kCrLf)) {
        collect_response_cookies(line, new_cookies, location);
        if (r.process_messages) r.process_messages();
    }
    if (new_cookies.size() >= 2 && TextView(new_cookies).substr(new_cookies.size() - 2) == "; ") {
        new_cookies.resize(new_cookies.size() - 2);
    }
    if (r.merge_cookies && !cookies_sent.empty()) {
        new_cookies = merge_cookie_lists(cookies_sent, new_cookies);
        if (r.cookies) *r.cookies = cookies_sent;
    }
}

Text copy_in_pieces(TextView bytes, const std::function<void()>& between_pieces) {
    Text out;
    out.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size(); at += kBodyPieceBytes) {
        out.append(bytes.substr(at, kBodyPieceBytes));
        if (between_pieces) between_pieces();
    }
    return out;
}

// The body as text (up to its first NUL, or decoded in the charset that its start
// declares) and, when the caller asks, as raw bytes. The body is moved, never copied
// whole in one go: the window stays alive and memory stays near twice the body.
Text body_outputs(ByteArray body, ByteArray* response_bytes, const std::function<void()>& process_messages) {
    const size_t text_end = std::min(body.find('\0'), body.size());
    const std::string converter = declared_converter(TextView(body).substr(0, text_end));
    Text text;
    if (converter.empty() || !convert_body(body, converter, text, process_messages)) {
        if (response_bytes) {
            text = copy_in_pieces(TextView(body).substr(0, text_end), process_messages);
        } else {
            text = std::move(body);
            text.resize(text_end);
        }
    }
    if (response_bytes) *response_bytes = std::move(body);
    return text;
}

// The outputs of an answered request. A body that broke off would be reported as 713,
// but the header query after it overwrites that message, and here it always succeeds.
Text collect_outputs(const HttpRequest& r, Answer answer, const Text& cookies_sent) {
    const Text headers = answer.headers.substr(0, answer.headers.find('\0'));
    if (r.response_headers) *r.response_headers = headers;
    if (r.status_text) *r.status_text = status_text_of(headers);
    collect_cookies(r, headers, cookies_sent);
    return body_outputs(std::move(answer.body), r.response_bytes, r.process_messages);
}

}  // namespace

Text http_request(const HttpRequest& r) {
    const auto fail = [&r](Failure failure) {
        if (r.status_text) *r.status_text = message_of(failure);
        return Text();
    };
    if (r.cancelled && r.cancelled()) return fail(Failure::Cancelled);
    if (!curl_library()) return fail(Failure::NoService);
    RequestAddress address;
    if (!split_address(r.url, address)) return fail(Failure::BadUrl);
    curl::List connect_to;  // outlives the handle that points to it
    curl::Easy easy(curl_library()->easy_init());
    if (!easy) return fail(Failure::Session);
    const long timeout_ms = r.timeout_seconds > 0 ? r.timeout_seconds * 1000L : 30000L;
    if (const auto failure = configure_request(easy.get(), r, timeout_ms, connect_to)) return fail(*failure);

    const Text cookies_sent = r.cookies ? *r.cookies : Text();
    const Text header_block = build_header_block({.extra_headers = r.extra_headers,
                                                  .method = http_method::normalized(r.method),
                                                  .cookies = cookies_sent,
                                                  .add_default_headers = r.add_default_headers,
                                                  .normalize_headers = r.normalize_headers});
    Outcome outcome = exchange_following_redirects(easy.get(), r, std::move(address), header_block, timeout_ms);
    if (outcome.failure) return fail(*outcome.failure);
    return collect_outputs(r, std::move(outcome.answer), cookies_sent);
}

}  // namespace qinghe
