#include "web/header_block.h"

#include "text/markers.h"
#include "text/search.h"
#include "web/http_method.h"

namespace qinghe {
namespace {

struct DefaultLine {
    TextView search;
    TextView line;
    bool post_only;
};

constexpr DefaultLine kDefaultLines[] = {
    {"User-Agent: ", "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)", false},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*", false},
    {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312", false},
    {"Accept-Language: ", "Accept-Language: zh-cn", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded", true},
    {"Cache-Control: ", "Cache-Control: no-cache", false},
};

}  // namespace

Text normalize_header_block(TextView block) {
    Text out;
    for (const Text& line : split_list(block, kCrLf)) {
        const size_t colon = find_offset(line, ":");
        if (colon == TextView::npos) continue;
        // The name's first letter and each one after a "-" are raised; double-byte
        // characters are left alone.
        Text name = line.substr(0, colon);
        bool part_start = true;
        for (size_t i = 0; i < name.size(); ++i) {
            if (is_lead_byte(name[i])) {
                ++i;
                part_start = false;
                continue;
            }
            if (part_start) name.replace(i, 1, capitalize_first(TextView(name).substr(i, 1)));
            part_start = name[i] == '-';
        }
        out.append(name).append(TextView(line).substr(colon)).append(kCrLf);
    }
    if (!out.empty()) out.resize(out.size() - kCrLf.size());
    return out;
}

Text build_header_block(const HeaderBlockInput& input) {
    Text block;
    if (!input.extra_headers.empty()) block.append(input.extra_headers).append(kCrLf);
    if (input.add_default_headers) {
        for (const DefaultLine& line : kDefaultLines) {
            if (line.post_only && http_method::normalized(input.method) != HttpMethod::Post) continue;
            // A substring search: a caller's "X-Accept: a" also counts as an Accept line.
            if (find_offset(block, line.search, 0, true) == TextView::npos) block.append(line.line).append(kCrLf);
        }
    }
    if (input.normalize_headers) block = normalize_header_block(block);
    if (find_offset(block, "Connection") != TextView::npos && header_value(block, "Connection") == "keep-alive") {
        block = replace_all(block, "Connection: keep-alive\r\n", "");
    }
    if (find_offset(block, "Cookie:", 0, true) == TextView::npos && !input.cookies.empty()) {
        block.append(kCrLf);
        if (find_offset(input.cookies, "Cookie:", 0, true) == TextView::npos) block.append("Cookie: ");
        block.append(input.cookies).append(kCrLf);
    }
    return block;
}

std::optional<Text> header_field(TextView block, TextView name) {
    for (const Text& line : split_list(block, kCrLf)) {
        const TextView view(line);
        if (view.size() > name.size() && view[name.size()] == ':' &&
            equal_ignoring_case(view.substr(0, name.size()), name)) {
            return Text(view.substr(name.size() + 1));
        }
    }
    return std::nullopt;
}

}  // namespace qinghe
