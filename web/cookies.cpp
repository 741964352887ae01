#include "web/cookies.h"

#include <algorithm>

#include "text/markers.h"
#include "text/search.h"

namespace qinghe {
namespace {

constexpr TextView kFullWidthSpace = "\xA1\xA1";
constexpr TextView kItemSeparator = "; ";

size_t space_at(TextView text, size_t at) {
    if (text[at] == ' ') return 1;
    return text.substr(at, 2) == kFullWidthSpace ? 2 : 0;
}

Text remove_ignoring_case(TextView text, TextView marker) {
    Text out;
    size_t begin = 0;
    for (size_t at; (at = find_offset(text, marker, begin, true)) != TextView::npos; begin = at + marker.size()) {
        out.append(text.substr(begin, at - begin));
    }
    return out.append(text.substr(begin));
}

}  // namespace

Text remove_spaces(TextView text) {
    Text out;
    for (size_t i = 0; i < text.size();) {
        const size_t space = space_at(text, i);
        if (space) {
            i += space;
            continue;
        }
        const size_t step = is_lead_byte(text[i]) ? 2 : 1;
        out.append(text.substr(i, step));
        i += step;
    }
    return out;
}

Text trim_spaces(TextView text) {
    size_t begin = 0;
    while (begin < text.size() && space_at(text, begin)) begin += space_at(text, begin);
    // The end: walk forward so that a trail byte is never read as a space.
    size_t end = begin;
    for (size_t i = begin; i < text.size();) {
        const size_t space = space_at(text, i);
        const size_t step = space ? space : (is_lead_byte(text[i]) ? 2 : 1);
        i += step;
        if (!space) end = std::min(i, text.size());
    }
    return Text(text.substr(begin, end - begin));
}

void collect_response_cookies(TextView line, Text& new_cookies, Text& location) {
    if (text_before(line, ": ") == "Set-Cookie") {
        const Text cookie = find_offset(line, ";") != TextView::npos ? text_between(line, "Set-Cookie:", ";")
                                                                     : remove_ignoring_case(line, "Set-Cookie:");
        new_cookies.append(trim_spaces(cookie)).append(kItemSeparator);
    }
    constexpr TextView kLocation = "Location: ";
    if (line.size() >= kLocation.size() && equal_ignoring_case(line.substr(0, kLocation.size()), kLocation)) {
        location = Text(line.substr(kLocation.size()));
    }
}

Text cookie_name(TextView item) {
    const size_t equals = find_offset(item, "=");
    return trim_spaces(equals == TextView::npos ? item : item.substr(0, equals));
}

bool has_cookie_named(const std::vector<Text>& items, TextView name) {
    return std::any_of(items.begin(), items.end(), [name](const Text& item) { return cookie_name(item) == name; });
}

Text remove_duplicate_items(TextView text, TextView separator) {
    std::vector<Text> taken;
    Text out;
    for (const Text& item : split_list(text, separator)) {
        if (std::find(taken.begin(), taken.end(), item) != taken.end()) continue;
        taken.push_back(item);
        out.append(item).append(separator);
    }
    if (!out.empty()) out.resize(out.size() - separator.size());
    return out;
}

Text merge_cookie_lists(Text& old_cookies, Text& new_cookies) {
    old_cookies = remove_spaces(old_cookies);
    new_cookies = remove_spaces(new_cookies);
    std::vector<Text> merged = split_list(new_cookies, ";");
    for (const Text& item : split_list(old_cookies, ";")) {
        if (!has_cookie_named(merged, cookie_name(item))) merged.push_back(item);
    }
    Text out;
    constexpr TextView kDeleted = "=deleted";
    for (const Text& item : merged) {
        if (item.size() >= kDeleted.size() && TextView(item).substr(item.size() - kDeleted.size()) == kDeleted)
            continue;
        out.append(item).append(kItemSeparator);
    }
    if (!out.empty()) out.resize(out.size() - kItemSeparator.size());
    old_cookies = remove_duplicate_items(out, kItemSeparator);
    return old_cookies;
}

}  // namespace qinghe
