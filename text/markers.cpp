#include "text/markers.h"

#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

Text with_quotes(TextView marker) {
    static const Text quote_marker = from_utf8("#引号");
    return replace_all(marker, quote_marker, "\"");
}

}  // namespace

Text text_between(TextView source, TextView left, TextView right, int start, bool ignore_case) {
    const Text left_marker = with_quotes(left);
    const Text right_marker = with_quotes(right);
    const size_t from = start > 1 ? static_cast<size_t>(start) - 1 : 0;
    const size_t at = find_offset(source, left_marker, from, ignore_case);
    if (at == TextView::npos) return {};
    const size_t begin = at + left_marker.size();
    const size_t end = find_offset(source, right_marker, begin, ignore_case);
    if (end == TextView::npos) return {};
    return Text(source.substr(begin, end - begin));
}

Text text_before(TextView source, TextView marker) {
    const size_t at = find_offset(source, marker);
    return at == TextView::npos ? Text() : Text(source.substr(0, at));
}

Text text_after_last(TextView source, TextView marker) {
    size_t last = TextView::npos;
    if (marker.empty()) return {};
    // Step one character past each hit: the last occurrence may overlap the one before.
    for (size_t at = 0; (at = find_offset(source, marker, at)) != TextView::npos;
         at += is_lead_byte(source[at]) ? 2 : 1) {
        last = at;
    }
    return last == TextView::npos ? Text() : Text(source.substr(last + marker.size()));
}

Text header_value(TextView block, TextView name) {
    for (const Text& line : split_list(block, kCrLf)) {
        if (line.compare(0, name.size(), name) == 0) return text_after_last(line, Text(name) + ": ");
    }
    return {};
}

size_t extract_all_between(TextView source, TextView start_marker, TextView end_marker, std::vector<Text>& result,
                           const ExtractOptions& options) {
    result.clear();
    // An empty marker would be "found" without moving on; it finds nothing instead.
    if (start_marker.empty() || end_marker.empty()) return 0;
    size_t from = options.start_position > 1 ? static_cast<size_t>(options.start_position) - 1 : 0;
    for (;;) {
        const size_t start = find_offset(source, start_marker, from, options.ignore_case);
        if (start == TextView::npos) break;
        from = start + start_marker.size();
        const size_t end = find_offset(source, end_marker, from, options.ignore_case);
        if (end == TextView::npos) break;
        Text item = options.text_before;
        item.append(source.substr(from, end - from)).append(options.text_after);
        if (options.keep_start_marker) item.insert(0, start_marker);
        if (options.keep_end_marker) item.append(end_marker);
        if (options.length_limit == 0 || item.size() < options.length_limit) result.push_back(std::move(item));
        if (options.after_entry) options.after_entry();
    }
    return result.size();
}

Text capitalize_first(TextView word) {
    Text out(word);
    if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 32);
    return out;
}

}  // namespace qinghe
