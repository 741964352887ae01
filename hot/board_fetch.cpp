#include "hot/board_fetch.h"

#include <new>

#include "hot/title_text.h"
#include "text/codec.h"
#include "web/http_request.h"

namespace qinghe {

HotTopicsFetch read_board(RuntimeServices& services, const BoardRequest& request, BoardReader reader, bool* answered) {
    const auto pump = [&services] { services.process_pending_messages(); };
    HotTopicsFetch fetch{.address = services.address_for(request.address)};
    Text status, headers;
    ByteArray body;
    // The body is read from its raw bytes; the text the routine returns is dropped at once.
    http_request({.url = fetch.address,
                  .cookies = request.cookies,
                  .new_cookies = request.new_cookies,
                  .extra_headers = request.headers,
                  .response_headers = &headers,
                  .status_text = &status,
                  .response_bytes = &body,
                  .connect_to = services.connect_to(),
                  .process_messages = pump,
                  .cancelled = [&services] { return services.cancelled(); }});
    fetch.titles = reader(body, pump);
    if (answered) *answered = !headers.empty();
    if (fetch.titles.empty()) fetch.reason = reason_for(status, !headers.empty());
    return fetch;
}

Text reason_for(TextView status, bool answered) {
    if (!answered || status.empty() || status.front() != '2') return clean_reason(status);
    return from_utf8("页面上没有热搜条目");
}

HotTopicsFetch guarded(RuntimeServices& services, TextView address, const std::function<HotTopicsFetch()>& fetch) {
    try {
        return fetch();
    } catch (const std::bad_alloc&) {
        return {.address = services.address_for(address), .reason = from_utf8("内存不足，页面未能读完")};
    } catch (const std::exception&) {
        return {.address = services.address_for(address), .reason = from_utf8("读取页面时出错")};
    }
}

}  // namespace qinghe
