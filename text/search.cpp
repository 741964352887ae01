#include "text/search.h"

#include <cstring>

namespace qinghe {
namespace {

constexpr char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool matches_at(TextView source, size_t at, TextView needle, bool ignore_case) {
    if (source.size() - at < needle.size()) return false;
    if (!ignore_case) return std::memcmp(source.data() + at, needle.data(), needle.size()) == 0;
    for (size_t i = 0; i < needle.size(); ++i) {
        if (ascii_lower(source[at + i]) != ascii_lower(needle[i])) return false;
    }
    return true;
}

}  // namespace

size_t find_offset(TextView source, TextView needle, size_t from, bool ignore_case) {
    if (needle.empty()) return from < source.size() ? 0 : TextView::npos;
    const size_t size = source.size();
    if (needle.size() > size) return TextView::npos;
    const size_t last = size - needle.size();
    const char first = needle[0];
    size_t i = from;
    while (i <= last) {
        // The first byte decides most steps; the full comparison runs only on a hit.
        const char c = source[i];
        if ((c == first || (ignore_case && ascii_lower(c) == ascii_lower(first))) &&
            matches_at(source, i, needle, ignore_case)) {
            return i;
        }
        i += is_lead_byte(c) ? 2 : 1;
    }
    return TextView::npos;
}

int find_text(TextView source, TextView needle, int start, bool ignore_case) {
    const size_t from = start > 1 ? static_cast<size_t>(start) - 1 : 0;
    const size_t at = find_offset(source, needle, from, ignore_case);
    return at == TextView::npos ? -1 : static_cast<int>(at) + 1;
}

std::vector<Text> split_list(TextView text, TextView separator) {
    std::vector<Text> entries;
    if (text.empty()) return entries;
    if (separator.empty()) {
        entries.emplace_back(text);
        return entries;
    }
    size_t begin = 0;
    for (size_t at; (at = find_offset(text, separator, begin)) != TextView::npos;) {
        entries.emplace_back(text.substr(begin, at - begin));
        begin = at + separator.size();
    }
    if (begin < text.size()) entries.emplace_back(text.substr(begin));
    return entries;
}

bool equal_ignoring_case(TextView a, TextView b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (is_lead_byte(a[i])) {
            if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1])) return false;
            ++i;
        } else if (ascii_lower(a[i]) != ascii_lower(b[i])) {
            return false;
        }
    }
    return true;
}

TextView trim_blanks(TextView text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == TextView::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

Text replace_all(TextView text, TextView from, TextView to) {
    if (from.empty()) return Text(text);
    Text out;
    out.reserve(text.size());
    size_t begin = 0;
    for (size_t at; (at = find_offset(text, from, begin)) != TextView::npos;) {
        out.append(text.substr(begin, at - begin)).append(to);
        begin = at + from.size();
    }
    out.append(text.substr(begin));
    return out;
}

}  // namespace qinghe
