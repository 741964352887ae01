#pragma once
// The libcurl options of a request: those that hold for every exchange, and those of one
// exchange (address, method, body, credentials, header lines). Each returns the failure
// of the step that libcurl refused, or nothing.
#include <functional>
#include <optional>

#include "web/curl_handles.h"
#include "web/http_request.h"
#include "web/request_address.h"
#include "web/request_failure.h"

namespace qinghe {

// Session, proxy, time-outs, proxy credentials, certificates, redirects, connect-to
// entries (kept in `connect_to`, which must outlive the handle's use). libcurl reads
// nothing from the environment: no proxy variables, no NO_PROXY.
std::optional<Failure> configure_request(CURL* easy, const HttpRequest& request, long timeout_ms,
                                         curl::List& connect_to);

struct ExchangeRequest {
    const RequestAddress* address = nullptr;
    HttpMethod method = HttpMethod::Get;
    const ByteArray* body = nullptr;  // nullptr: no body
    TextView header_block = {};
    bool body_dropped = false;  // a redirect took the body away, and with it the Content-Type line
    // Another scheme, host or port than the request's own (after a redirect): the server
    // credentials and the caller's Cookie and Authorization lines stay behind.
    bool other_origin = false;
};
std::optional<Failure> configure_exchange(CURL* easy, const ExchangeRequest& exchange, const HttpRequest& request,
                                          curl::List& headers);

// The block's lines as libcurl takes them, less those `keep` refuses.
bool header_list(TextView block, const std::function<bool(TextView name)>& keep, curl::List& list);

}  // namespace qinghe
