#include "web/http_request.h"

#include <chrono>

#include "text/codec.h"
#include "text/search.h"
#include "web/charset.h"
#include "web/cookies.h"
#include "web/curl_handles.h"
#include "web/header_block.h"

namespace qinghe {
namespace {

// The failing steps and their messages, in the order of the steps.
enum class Failure { NoService, BadUrl, Session, Timeouts, Connection, Request, Credentials, Certificate, Redirects,
                     Headers, Send, NoResponse, Read };

Text message_of(Failure failure) {
    switch (failure) {
        case Failure::NoService: return from_utf8("700 当前系统不支持WinHttp服务!");
        case Failure::BadUrl: return from_utf8("701 解析URL地址失败!");
        case Failure::Session: return from_utf8("702 创建WinHttp会话失败!");
        case Failure::Timeouts: return from_utf8("705 设置超时时间失败!");
        case Failure::Connection: return from_utf8("703 创建WinHttp连接失败!");
        case Failure::Request: return from_utf8("704 创建WinHttp请求失败!");
        case Failure::Credentials: return from_utf8("707 设置代理凭证失败!");
        case Failure::Certificate: return from_utf8("忽略错误/证书错误  失败！");
        case Failure::Redirects: return from_utf8("709 重定向设置失败!");
        case Failure::Headers: return from_utf8("710 设置协议头失败!");
        case Failure::Send: return from_utf8("711 发送请求失败!");
        case Failure::NoResponse: return from_utf8("712 服务器未响应!");
        case Failure::Read: return from_utf8("713 读取数据失败!");
    }
    return {};
}

const char* method_name(int method) {
    static constexpr const char* kMethods[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    return method >= 0 && method < 8 ? kMethods[method] : "GET";
}

// What the callbacks gather: the raw header block of the latest response and its body.
struct Transfer {
    Text headers;
    bool headers_complete = false;
    bool headers_too_large = false;
    ByteArray body;
    bool body_too_large = false;
    size_t received = 0;  // every byte of every response, for the no-progress timeout
};

// libcurl calls these from C: nothing may throw through them.
size_t on_header(char* data, size_t size, size_t count, void* user) noexcept try {
    auto& transfer = *static_cast<Transfer*>(user);
    transfer.received += size * count;
    TextView line(data, size * count);
    if (line.substr(0, 5) == "HTTP/") {
        // A new response (after a redirect or a 100 Continue): only the last one counts.
        transfer.headers.clear();
        transfer.body.clear();
        transfer.headers_complete = false;
    } else if (transfer.headers_complete) {
        return line.size();  // trailers after a chunked body
    }
    if (transfer.headers.size() + line.size() > kMaxHeaderBytes) {
        transfer.headers_too_large = true;
        return 0;
    }
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    transfer.headers.append(line).append(kCrLf);
    if (line.empty()) transfer.headers_complete = true;
    return size * count;
} catch (...) {
    return 0;
}

size_t on_body(char* data, size_t size, size_t count, void* user) noexcept try {
    auto& transfer = *static_cast<Transfer*>(user);
    transfer.received += size * count;
    if (transfer.body.size() + size * count > kMaxBodyBytes) {
        transfer.body_too_large = true;
        return 0;
    }
    transfer.body.append(data, size * count);
    return size * count;
} catch (...) {
    return 0;
}

template <class T>
bool set(CURL* easy, CURLoption option, T value) {
    return curl_library()->easy_setopt(easy, option, value) == CURLE_OK;
}

bool has_line_named(const std::vector<Text>& lines, TextView name) {
    for (const Text& line : lines) {
        const size_t colon = line.find(':');
        if (colon != Text::npos && equal_ignoring_case(trim_blanks(TextView(line).substr(0, colon)), name)) return true;
    }
    return false;
}

// The block's lines, plus empty headers that stop libcurl from adding its own Accept,
// Expect and Content-Type lines, which the request would otherwise not carry.
bool header_list(TextView block, curl::List& list) {
    const std::vector<Text> lines = split_list(block, kCrLf);
    std::vector<Text> all;
    for (const Text& line : lines) {
        if (!line.empty()) all.push_back(line);
    }
    for (const char* name : {"Accept", "Expect", "Content-Type"}) {
        if (!has_line_named(lines, name)) all.push_back(Text(name) + ":");
    }
    for (const Text& line : all) {
        curl_slist* longer = curl_library()->slist_append(list.get(), line.c_str());
        if (!longer) return false;
        (void)list.release();
        list.reset(longer);
    }
    return true;
}

struct ParsedUrl {
    std::string url;
    bool secure = false;
};

bool parse_url(TextView url, ParsedUrl& parsed) {
    curl::Url handle(curl_library()->url());
    if (!handle) return false;
    const std::string utf8 = to_utf8(url);
    if (curl_library()->url_set(handle.get(), CURLUPART_URL, utf8.c_str(), CURLU_ALLOW_SPACE) != CURLUE_OK) return false;
    const auto part = [&handle](CURLUPart which, std::string& out) {
        char* value = nullptr;
        if (curl_library()->url_get(handle.get(), which, &value, 0) != CURLUE_OK) return false;
        out = value;
        curl_library()->free(value);
        return true;
    };
    std::string scheme, host;
    if (!part(CURLUPART_SCHEME, scheme) || !part(CURLUPART_HOST, host) || host.empty()) return false;
    if (scheme != "http" && scheme != "https") return false;
    parsed.secure = scheme == "https";
    return part(CURLUPART_URL, parsed.url);
}

// Runs the transfer, calling `process_messages` at least every 50 ms while it waits.
// Once connected, the transfer fails as timed out when nothing moves for `timeout`.
CURLcode perform(CURL* easy, const Transfer& transfer, std::chrono::milliseconds timeout,
                 const std::function<void()>& process_messages) {
    curl::Multi multi(curl_library()->multi_init());
    if (!multi) return CURLE_OUT_OF_MEMORY;
    curl::Attachment attachment(multi.get(), easy);
    if (!attachment.attached()) return CURLE_OUT_OF_MEMORY;
    using Clock = std::chrono::steady_clock;
    auto last_call = Clock::now();
    auto last_progress = Clock::now();
    curl_off_t progress = -1;
    for (int running = 1; running;) {
        if (curl_library()->multi_perform(multi.get(), &running) != CURLM_OK) return CURLE_RECV_ERROR;
        if (!running) break;
        int ready = 0;
        curl_library()->multi_poll(multi.get(), nullptr, 0, 40, &ready);
        const auto now = Clock::now();
        if (process_messages && (ready == 0 || now - last_call >= std::chrono::milliseconds(25))) {
            process_messages();
            last_call = Clock::now();
        }
        curl_off_t connect_time = 0, uploaded = 0;
        curl_library()->easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connect_time);
        curl_library()->easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
        if (connect_time == 0) {
            last_progress = now;  // resolving and connecting have a time-out of their own
            continue;
        }
        const curl_off_t moved = uploaded + static_cast<curl_off_t>(transfer.received);
        if (moved != progress) {
            progress = moved;
            last_progress = now;
        } else if (now - last_progress > timeout) {
            return CURLE_OPERATION_TIMEDOUT;
        }
    }
    int left = 0;
    while (CURLMsg* message = curl_library()->multi_info_read(multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE) return message->data.result;
    }
    return CURLE_RECV_ERROR;
}

// Whether the request got as far as being sent: resolved, connected, TLS established.
bool request_sent(CURL* easy, CURLcode result, bool secure) {
    switch (result) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SEND_ERROR:
            return false;
        default:
            break;
    }
    curl_off_t connect_time = 0, tls_time = 0;
    curl_library()->easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connect_time);
    curl_library()->easy_getinfo(easy, CURLINFO_APPCONNECT_TIME_T, &tls_time);
    return connect_time > 0 && (!secure || tls_time > 0);
}

}  // namespace

Text http_request(const HttpRequest& r) {
    const auto fail = [&r](Failure failure) {
        if (r.status_text) *r.status_text = message_of(failure);
        return Text();
    };
    if (!curl_library()) return fail(Failure::NoService);

    ParsedUrl url;
    if (!parse_url(r.url, url)) return fail(Failure::BadUrl);

    curl::Easy handle(curl_library()->easy_init());
    CURL* easy = handle.get();
    Transfer transfer;
    // A proxy string names a proxy for the request's own scheme; an empty one also keeps
    // libcurl from taking one from the environment.
    const std::string proxy = r.proxy.empty() ? std::string() : "http://" + r.proxy;
    if (!easy || !set(easy, CURLOPT_NOSIGNAL, 1L) || !set(easy, CURLOPT_PROXY, proxy.c_str()) ||
        !set(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) || !set(easy, CURLOPT_HEADERFUNCTION, on_header) ||
        !set(easy, CURLOPT_HEADERDATA, &transfer) || !set(easy, CURLOPT_WRITEFUNCTION, on_body) ||
        !set(easy, CURLOPT_WRITEDATA, &transfer)) {
        return fail(Failure::Session);
    }

    // Each phase: resolving and connecting here, then no progress while sending or
    // receiving (watched while the transfer runs).
    const long timeout_ms = r.timeout_seconds > 0 ? r.timeout_seconds * 1000L : 30000L;
    if (!set(easy, CURLOPT_CONNECTTIMEOUT_MS, timeout_ms)) return fail(Failure::Timeouts);
    if (!set(easy, CURLOPT_URL, url.url.c_str())) return fail(Failure::Connection);

    const int method = r.method >= 0 && r.method < 8 ? r.method : 0;
    const ByteArray& body = r.post_bytes.empty() ? r.post_text : r.post_bytes;
    bool request_ok = set(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
                      set(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    if (method == 2) {
        request_ok = request_ok && set(easy, CURLOPT_NOBODY, 1L);
    } else {
        if (!body.empty() || method == 1 || method == 3) {
            request_ok = request_ok && set(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) &&
                         set(easy, CURLOPT_POSTFIELDS, body.data());
        }
        request_ok = request_ok && set(easy, CURLOPT_CUSTOMREQUEST, method_name(method));
    }
    if (!request_ok) return fail(Failure::Request);

    if (!r.user.empty() && !r.password.empty() &&
        (!set(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) || !set(easy, CURLOPT_USERNAME, r.user.c_str()) ||
         !set(easy, CURLOPT_PASSWORD, r.password.c_str()))) {
        return fail(Failure::Credentials);
    }
    if (!r.proxy_user.empty() && !r.proxy_password.empty() &&
        (!set(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)) ||
         !set(easy, CURLOPT_PROXYUSERNAME, r.proxy_user.c_str()) ||
         !set(easy, CURLOPT_PROXYPASSWORD, r.proxy_password.c_str()))) {
        return fail(Failure::Credentials);
    }
    // Certificate errors (unknown issuer, wrong name, date or usage) are ignored.
    if (!set(easy, CURLOPT_SSL_VERIFYPEER, 0L) || !set(easy, CURLOPT_SSL_VERIFYHOST, 0L)) {
        return fail(Failure::Certificate);
    }
    // No cookie engine is ever switched on: cookies travel only as the caller's text.
    // Redirects: at most 10, never from https down to http.
    if (!set(easy, CURLOPT_FOLLOWLOCATION, r.no_redirect ? 0L : 1L) || !set(easy, CURLOPT_MAXREDIRS, 10L) ||
        !set(easy, CURLOPT_REDIR_PROTOCOLS_STR, url.secure ? "https" : "http,https")) {
        return fail(Failure::Redirects);
    }
    Text cookies_in = r.cookies ? *r.cookies : Text();
    const Text block = build_header_block({.extra_headers = r.extra_headers,
                                           .method = method,
                                           .cookies = cookies_in,
                                           .add_default_headers = r.add_default_headers,
                                           .normalize_headers = r.normalize_headers});
    curl::List headers;
    if (!header_list(block, headers) || !set(easy, CURLOPT_HTTPHEADER, headers.get())) return fail(Failure::Headers);

    const CURLcode result = perform(easy, transfer, std::chrono::milliseconds(timeout_ms), r.process_messages);
    if (result != CURLE_OK) {
        const bool redirect_refused = result == CURLE_UNSUPPORTED_PROTOCOL && transfer.headers_complete;
        if (transfer.headers_too_large || result == CURLE_TOO_MANY_REDIRECTS) return fail(Failure::NoResponse);
        if (!redirect_refused) {
            if (!request_sent(easy, result, url.secure)) return fail(Failure::Send);
            if (!transfer.headers_complete) return fail(Failure::NoResponse);
            // The response began and broke off: go on with what was read.
            fail(Failure::Read);
        }
    }
    if (!transfer.headers_complete) return {};

    // The final response's header block, as the service reports it (up to any NUL).
    const Text response_headers = transfer.headers.substr(0, transfer.headers.find('\0'));
    if (r.response_headers) *r.response_headers = response_headers;
    if (r.status_text) {
        const size_t end = response_headers.size() > 9 ? find_offset(response_headers, kCrLf, 9) : TextView::npos;
        *r.status_text = end == TextView::npos ? Text() : response_headers.substr(9, end - 9);
    }
    Text local_new_cookies;
    Text& new_cookies = r.new_cookies ? *r.new_cookies : local_new_cookies;
    Text local_location;
    Text& location = r.location ? *r.location : local_location;
    for (const Text& line : split_list(response_headers, kCrLf)) {
        collect_response_cookies(line, new_cookies, location);
        if (r.process_messages) r.process_messages();
    }
    if (new_cookies.size() >= 2 && TextView(new_cookies).substr(new_cookies.size() - 2) == "; ") {
        new_cookies.resize(new_cookies.size() - 2);
    }
    if (r.merge_cookies && !cookies_in.empty()) {
        new_cookies = merge_cookie_lists(cookies_in, new_cookies);
        if (r.cookies) *r.cookies = cookies_in;
    }
    if (r.response_bytes) *r.response_bytes = transfer.body;
    Text body_text = transfer.body.substr(0, transfer.body.find('\0'));
    detect_and_convert_charset(body_text, transfer.body);
    return body_text;
}

}  // namespace qinghe
