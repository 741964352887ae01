#include "web/exchange.h"

#include "text/search.h"
#include "web/curl_handles.h"
#include "web/header_block.h"
#include "web/http_request.h"

namespace qinghe {
namespace {

using Clock = std::chrono::steady_clock;

// The code of a status line "HTTP/1.1 200 OK"; 0 when it has none.
int status_of(TextView line) {
    const size_t space = line.find(' ');
    if (line.substr(0, 5) != "HTTP/" || space == TextView::npos || line.size() < space + 4) return 0;
    int code = 0;
    for (char c : line.substr(space + 1, 3)) {
        if (c < '0' || c > '9') return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}

// The Content-Length of a header block, capped at the body limit; 0 when absent.
size_t declared_length(TextView block) {
    const Text value = header_field(block, "Content-Length").value_or(Text());
    size_t length = 0;
    for (char c : trim_blanks(value)) {
        if (c < '0' || c > '9') return 0;
        length = std::min(length * 10 + static_cast<size_t>(c - '0'), kMaxBodyBytes);
    }
    return length;
}

// What libcurl's callbacks gather during one exchange.
struct Receiver {
    const ExchangeSettings& settings;
    Text block = {};             // the header block being received, or the last one
    bool block_complete = true;  // the next line begins a new block
    int final_blocks = 0;        // completed blocks with a status of 200 or more (or none)
    bool answered = false;       // `block` is the answer
    bool ended_after_headers = false;
    bool headers_too_large = false;
    Answer answer = {};
    size_t received = 0;  // every byte of every response, for the no-progress time-out

    // A completed block: interim, the proxy's consent to a tunnel, or the answer.
    bool end_block() {
        const int status = status_of(TextView(block).substr(0, block.find('\r')));
        if (status >= 100 && status < 200) return true;
        if (++final_blocks == 1 && settings.through_tunnel && status / 100 == 2) return true;
        answered = true;
        answer.headers = block;
        answer.status = status;
        answer.body.reserve(declared_length(block));
        // A HEAD answer has no body even when its headers announce one.
        ended_after_headers = settings.head;
        return !settings.head;
    }
};

// libcurl calls these from C: nothing may throw through them.
size_t on_header(char* data, size_t size, size_t count, void* user) noexcept try {
    auto& r = *static_cast<Receiver*>(user);
    const size_t length = size * count;
    r.received += length;
    if (r.answered) return length;  // trailers after a chunked body
    if (r.block_complete) {
        r.block.clear();
        r.block_complete = false;
    }
    TextView line(data, length);
    if (r.block.size() + line.size() > kMaxHeaderBytes) {
        r.headers_too_large = true;
        return 0;
    }
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    r.block.append(line).append(kCrLf);
    if (!line.empty()) return length;
    r.block_complete = true;
    return r.end_block() ? length : 0;
} catch (...) {
    return 0;
}

size_t on_body(char* data, size_t size, size_t count, void* user) noexcept try {
    auto& r = *static_cast<Receiver*>(user);
    const size_t length = size * count;
    r.received += length;
    if (!r.answered) return length;
    ByteArray& body = r.answer.body;
    // Up to the limit and no further: what fits is kept, and the read ends there.
    const size_t room = kMaxBodyBytes - body.size();
    body.append(data, std::min(length, room));
    return length <= room ? length : 0;
} catch (...) {
    return 0;
}

curl_off_t info(CURL* easy, CURLINFO which) {
    curl_off_t value = 0;
    curl_library()->easy_getinfo(easy, which, &value);
    return value;
}

// Fails a transfer as timed out when, once connected, no byte has moved for the time-out.
class ProgressWatch {
public:
    explicit ProgressWatch(std::chrono::milliseconds timeout) : timeout_(timeout) {}
    bool stalled(bool connected, curl_off_t moved, Clock::time_point now) {
        if (!connected || moved != moved_) {
            // Resolving and connecting have a time-out of their own.
            moved_ = moved;
            since_ = now;
            return false;
        }
        return now - since_ > timeout_;
    }

private:
    std::chrono::milliseconds timeout_;
    curl_off_t moved_ = -1;
    Clock::time_point since_ = Clock::now();
};

// Runs the transfer, calling the hook whenever the wait was idle and at least every 25 ms
// besides. A socket that became ready moved bytes, even when no whole line has come yet.
CURLcode perform(CURL* easy, const Receiver& receiver) {
    const ExchangeSettings& settings = receiver.settings;
    curl::Multi multi(curl_library()->multi_init());
    if (!multi) return CURLE_OUT_OF_MEMORY;
    curl::Attachment attachment(multi.get(), easy);
    if (!attachment.attached()) return CURLE_OUT_OF_MEMORY;
    const bool has_hook = settings.process_messages && *settings.process_messages;
    ProgressWatch watch(settings.timeout);
    auto last_call = Clock::now();
    curl_off_t activity = 0;
    for (int running = 1; running;) {
        if (curl_library()->multi_perform(multi.get(), &running) != CURLM_OK) return CURLE_RECV_ERROR;
        if (!running) break;
        int ready = 0;
        curl_library()->multi_poll(multi.get(), nullptr, 0, 40, &ready);
        activity += ready;
        if (has_hook && (ready == 0 || Clock::now() - last_call >= std::chrono::milliseconds(25))) {
            (*settings.process_messages)();
            last_call = Clock::now();
            if (settings.cancelled && *settings.cancelled && (*settings.cancelled)()) return CURLE_ABORTED_BY_CALLBACK;
        }
        const curl_off_t moved =
            activity + info(easy, CURLINFO_SIZE_UPLOAD_T) + static_cast<curl_off_t>(receiver.received);
        if (watch.stalled(info(easy, CURLINFO_CONNECT_TIME_T) > 0, moved, Clock::now()))
            return CURLE_OPERATION_TIMEDOUT;
    }
    int left = 0;
    while (CURLMsg* message = curl_library()->multi_info_read(multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE) return message->data.result;
    }
    return CURLE_RECV_ERROR;
}

// Whether the request went out whole: resolved, connected, TLS established, body sent.
bool request_sent(CURL* easy, CURLcode result, const ExchangeSettings& settings) {
    switch (result) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SEND_ERROR: return false;
        default: break;
    }
    if (info(easy, CURLINFO_CONNECT_TIME_T) == 0) return false;
    if (settings.secure && info(easy, CURLINFO_APPCONNECT_TIME_T) == 0) return false;
    return info(easy, CURLINFO_SIZE_UPLOAD_T) >= static_cast<curl_off_t>(settings.upload_size);
}

}  // namespace

Exchange run_exchange(CURL* easy, const ExchangeSettings& settings) {
    Receiver receiver{.settings = settings};
    Exchange exchange;
    if (!set_option(easy, CURLOPT_HEADERFUNCTION, on_header) || !set_option(easy, CURLOPT_HEADERDATA, &receiver) ||
        !set_option(easy, CURLOPT_WRITEFUNCTION, on_body) || !set_option(easy, CURLOPT_WRITEDATA, &receiver)) {
        exchange.outcome = Exchange::NotSent;
        return exchange;
    }
    const CURLcode result = perform(easy, receiver);
    if (result == CURLE_ABORTED_BY_CALLBACK) {
        exchange.outcome = Exchange::Cancelled;
        return exchange;
    }
    if (receiver.answered && !receiver.headers_too_large) {
        exchange.outcome = Exchange::Answered;
        exchange.answer = std::move(receiver.answer);
        exchange.answer.body_broken = result != CURLE_OK && !receiver.ended_after_headers;
    } else if (!receiver.headers_too_large && !request_sent(easy, result, settings)) {
        exchange.outcome = Exchange::NotSent;
    }
    return exchange;
}

}  // namespace qinghe
