#include "hot/board_fetch.h"

#include <new>

#include "hot/bounded_json.h"
#include "hot/title_text.h"
#include "text/codec.h"
#include "web/http_request.h"

namespace qinghe {
namespace {

// The member's string when it is one with something besides spaces in it.
const std::string* words_at(const Json& object, std::string_view key) {
    const Json* value = json_at(object, {key});
    if (!value || !value->is_string()) return nullptr;
    const std::string& words = value->get_ref<const std::string&>();
    return words.find_first_not_of(" \t\r\n") == std::string::npos ? nullptr : &words;
}

// Whether a flag such as "ok" says the request failed: false, or a number not above 0
// (Weibo answers "ok":-100 when it wants a login).
bool flag_failed(const Json& object, std::string_view key) {
    const Json* value = json_at(object, {key});
    if (!value) return false;
    if (value->is_boolean()) return !value->get<bool>();
    return value->is_number() && value->get<double>() <= 0;
}

// Whether a code such as "code" says the request failed: a number other than 0.
bool code_failed(const Json& object, std::string_view key) {
    const Json* value = json_at(object, {key});
    return value && value->is_number() && value->get<double>() != 0;
}

const std::string* first_words(const Json& object, std::initializer_list<std::string_view> keys) {
    for (const std::string_view key : keys) {
        if (const std::string* words = words_at(object, key)) return words;
    }
    return nullptr;
}

}  // namespace

HotTopicsFetch read_board(RuntimeServices& services, const BoardRequest& request, BoardReader reader) {
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
    fetch.entries = reader(body, pump);
    if (fetch.entries.empty()) explain(fetch, request.board, status, body, !headers.empty());
    return fetch;
}

Text site_words(std::string_view utf8) {
    if (utf8.size() > kMaxErrorBodyBytes) return {};
    const Json body = parse_bounded_json(utf8);
    if (!body.is_object()) return {};
    const std::string* words = nullptr;
    if (const Json* error = json_at(body, {"error"}); error && error->is_object()) {
        words = first_words(*error, {"message", "msg"});
    } else {
        words = words_at(body, "error");
    }
    if (!words && (flag_failed(body, "ok") || flag_failed(body, "success") || code_failed(body, "code"))) {
        words = first_words(body, {"msg", "message"});
    }
    if (!words && code_failed(body, "status_code")) words = words_at(body, "status_msg");
    return words ? clean_reason(from_utf8(*words)) : Text();
}

void explain(HotTopicsFetch& fetch, const char* board, TextView status, std::string_view body, bool answered) {
    const Text words = answered ? site_words(body) : Text();
    if (words.empty()) {
        fetch.reason = reason_for(status, answered);
        fetch.telling = answered ? Telling::answer : Telling::no_answer;
        return;
    }
    // "401 Unauthorized" gives "401".
    const TextView code = status.substr(0, status.find_first_not_of("0123456789"));
    fetch.reason = from_utf8(board) + from_utf8("：") + words;
    if (!code.empty()) fetch.reason += from_utf8("（") + Text(code) + from_utf8("）");
    fetch.telling = Telling::site_words;
}

Text reason_for(TextView status, bool answered) {
    if (!answered || status.empty() || status.front() != '2') return clean_reason(status);
    return from_utf8("页面上没有热搜条目");
}

HotTopicsFetch more_telling(HotTopicsFetch earlier, HotTopicsFetch later) {
    if (!earlier.entries.empty()) return earlier;
    if (!later.entries.empty()) return later;
    const bool earlier_says_more = earlier.telling == Telling::site_words && later.telling != Telling::site_words;
    return earlier_says_more ? std::move(earlier) : std::move(later);
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
