#include "web/request_address.h"

#include "text/codec.h"
#include "text/search.h"
#include "web/curl_handles.h"

namespace qinghe {
namespace {

// A space cannot travel in a request line: after the host it becomes %20, as browsers
// send it. A space in the scheme or host leaves the address invalid.
std::string encode_spaces(const std::string& url) {
    const size_t scheme_end = url.find("://");
    const size_t host_end =
        scheme_end == std::string::npos ? std::string::npos : url.find_first_of("/?#", scheme_end + 3);
    if (host_end == std::string::npos) return url;
    std::string out = url.substr(0, host_end);
    for (size_t i = host_end; i < url.size(); ++i) {
        if (url[i] == ' ') out += "%20";
        else out += url[i];
    }
    return out;
}

bool url_part(CURLU* handle, CURLUPart which, std::string& out, unsigned flags = 0) {
    char* value = nullptr;
    if (curl_library()->url_get(handle, which, &value, flags) != CURLUE_OK) return false;
    out = value;
    curl_library()->free(value);
    return true;
}

// Checks an address in `handle` and reads it out.
bool read_address(CURLU* handle, RequestAddress& address) {
    // Credentials travel only as the user and password arguments, never inside the address.
    for (CURLUPart part : {CURLUPART_USER, CURLUPART_PASSWORD, CURLUPART_OPTIONS}) {
        if (curl_library()->url_set(handle, part, nullptr, 0) != CURLUE_OK) return false;
    }
    std::string scheme;
    if (!url_part(handle, CURLUPART_SCHEME, scheme) || (scheme != "http" && scheme != "https")) return false;
    if (!url_part(handle, CURLUPART_HOST, address.host) || address.host.empty()) return false;
    if (!url_part(handle, CURLUPART_PORT, address.port, CURLU_DEFAULT_PORT)) return false;
    address.secure = scheme == "https";
    return url_part(handle, CURLUPART_URL, address.url);
}

}  // namespace

bool split_wire_address(const std::string& url, RequestAddress& address) {
    curl::Url handle(curl_library()->url());
    return handle && curl_library()->url_set(handle.get(), CURLUPART_URL, encode_spaces(url).c_str(), 0) == CURLUE_OK &&
           read_address(handle.get(), address);
}

bool resolve_redirect(const RequestAddress& from, TextView location, RequestAddress& target) {
    curl::Url handle(curl_library()->url());
    if (!handle || curl_library()->url_set(handle.get(), CURLUPART_URL, from.url.c_str(), 0) != CURLUE_OK) return false;
    // A relative target is read against the address it came from.
    std::string to;
    for (char c : trim_blanks(location)) {
        if (c == ' ') to += "%20";
        else to += c;
    }
    return !to.empty() && curl_library()->url_set(handle.get(), CURLUPART_URL, to.c_str(), 0) == CURLUE_OK &&
           read_address(handle.get(), target);
}

bool split_address(TextView url, RequestAddress& address) { return split_wire_address(to_utf8(url), address); }

bool same_origin(const RequestAddress& a, const RequestAddress& b) {
    return a.secure == b.secure && a.port == b.port && equal_ignoring_case(a.host, b.host);
}

}  // namespace qinghe
