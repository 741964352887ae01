#pragma once
// One exchange on a configured libcurl handle: the request goes out, one answer comes
// back. Interim answers (1xx) and a proxy's consent to a tunnel are not the answer.
// The message hook runs at least every 50 ms while the exchange waits, and nothing may
// be still for longer than the time-out: every byte that moves, in either direction and
// in any phase, counts as progress.
#include <chrono>
#include <functional>

#include "text/text.h"
#include "web/curl_library.h"

namespace qinghe {

struct ExchangeSettings {
    std::chrono::milliseconds timeout{30000};
    bool head = false;            // the answer has no body, whatever its headers say
    bool through_tunnel = false;  // https through a proxy: the first answer is the proxy's to CONNECT
    bool secure = false;          // https: the request is not sent before TLS is established
    size_t upload_size = 0;       // bytes of the request body
    const std::function<void()>* process_messages = nullptr;
    const std::function<bool()>* cancelled = nullptr;  // asked after the hook: true drops the transfer
};

struct Answer {
    Text headers;  // status line, header lines and the empty line, each ending in CR LF
    int status = 0;
    ByteArray body;
    bool body_broken = false;  // the body broke off or passed the size limit: `body` holds what came
};

struct Exchange {
    enum Outcome { Answered, NotSent, Unanswered, Cancelled } outcome = Unanswered;
    Answer answer;  // when Answered
};

Exchange run_exchange(CURL* easy, const ExchangeSettings& settings);

}  // namespace qinghe
