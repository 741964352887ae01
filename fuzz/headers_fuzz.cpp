// The request header block and the cookie handling on arbitrary lines. Properties are
// checked on valid program text; any bytes at all must merely not crash.
#include <algorithm>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "text/codec.h"
#include "text/search.h"
#include "web/cookies.h"
#include "web/header_block.h"

namespace qinghe {
namespace {

bool valid_text(TextView text) { return encode(decode(text)) == text; }

bool ends_with(TextView text, TextView end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

void check_normalized(TextView block, bool valid) {
    const Text normal = normalize_header_block(block);
    if (!valid) return;
    FUZZ_CHECK(!ends_with(normal, kCrLf));
    for (const Text& line : split_list(normal, kCrLf)) FUZZ_CHECK(find_offset(line, ":") != TextView::npos);
    FUZZ_CHECK(normalize_header_block(normal) == normal);
}

void check_block(TextView extra, TextView cookies, HttpMethod method, bool defaults, bool normalize, bool valid) {
    const Text block = build_header_block({.extra_headers = extra,
                                           .method = method,
                                           .cookies = cookies,
                                           .add_default_headers = defaults,
                                           .normalize_headers = normalize});
    if (!valid) return;
    if (defaults) FUZZ_CHECK(find_offset(block, "user-agent", 0, true) != TextView::npos);
    if (!cookies.empty()) FUZZ_CHECK(find_offset(block, "cookie:", 0, true) != TextView::npos);
}

void check_collect(TextView block) {
    Text new_cookies, location = "before";
    for (const Text& line : split_list(block, kCrLf)) {
        const size_t had = new_cookies.size();
        collect_response_cookies(line, new_cookies, location);
        if (line.rfind("Set-Cookie: ", 0) == 0) FUZZ_CHECK(new_cookies.size() >= had + 2);
    }
}

void check_merge(Text old_cookies, Text new_cookies, bool valid) {
    const Text merged = merge_cookie_lists(old_cookies, new_cookies);
    FUZZ_CHECK(merged == old_cookies);
    if (!valid) return;
    const std::vector<Text> items = split_list(merged, "; ");
    for (size_t i = 0; i < items.size(); ++i) {
        FUZZ_CHECK(items[i].find(' ') == Text::npos);
        FUZZ_CHECK(!ends_with(items[i], "=deleted"));
        FUZZ_CHECK(std::find(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(i), items[i]) ==
                   items.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (const Text& item : split_list(new_cookies, ";")) {
        if (!item.empty() && !ends_with(item, "=deleted")) {
            FUZZ_CHECK(std::find(items.begin(), items.end(), item) != items.end());
        }
    }
}

}  // namespace
}  // namespace qinghe

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    fuzz::Input in(data, size);
    const auto method = static_cast<HttpMethod>(in.number(9));
    const bool defaults = in.flag(), normalize = in.flag();
    const Text cookies = in.text();
    const Text block = in.rest();
    const bool valid = valid_text(block) && valid_text(cookies);
    check_normalized(block, valid);
    check_block(block, cookies, method, defaults, normalize, valid);
    check_collect(block);
    check_merge(cookies, block, valid);
    return 0;
}
