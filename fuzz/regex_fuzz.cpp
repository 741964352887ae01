// The regular-expression object on arbitrary patterns and subjects. Every byte offset
// it hands out points at the text it hands out, the matches of a global run follow one
// another without overlap, and no run outlives its bound.
#include <chrono>

#include "fuzz/fuzz_input.h"
#include "text/codec.h"
#include "text/markers.h"
#include "text/regex_object.h"
#include "text/search.h"

namespace qinghe {
namespace {

constexpr int kMatchesChecked = 200;

void check_piece(TextView subject, bool valid, const Text& piece, int offset) {
    FUZZ_CHECK(offset >= 0 && static_cast<size_t>(offset) <= subject.size());
    // Text handed out is converted back from UTF-16: only valid text comes back as it stood.
    if (valid) FUZZ_CHECK(subject.substr(static_cast<size_t>(offset), piece.size()) == piece);
}

// Without lookaround and \K, a group lies inside its match.
bool groups_inside_match(TextView pattern) {
    for (TextView escape : {"(?=", "(?!", "(?<", "(?*", "(*", "\\K"}) {
        if (pattern.find(escape) != TextView::npos) return false;
    }
    return true;
}

void check_matches(const RegexObject& regex, TextView subject, bool valid, bool global, bool inside) {
    const int count = regex.match_count();
    FUZZ_CHECK(global || count <= 1);
    long previous_end = -1;
    for (int m = 1; m <= std::min(count, kMatchesChecked); ++m) {
        int offset = -2;
        const Text text = regex.match_text(m, &offset);
        check_piece(subject, valid, text, offset);
        if (valid) {
            // After an empty match the next one starts at least one character later.
            FUZZ_CHECK(offset >= previous_end);
            previous_end = offset + static_cast<long>(text.size()) + (text.empty() ? 1 : 0);
        }
        for (int g = 1; g <= regex.submatch_count(); ++g) {
            int group_offset = -2;
            const Text group = regex.submatch_text(m, g, &group_offset);
            if (group_offset == -1) {
                FUZZ_CHECK(group.empty());
                continue;
            }
            check_piece(subject, valid, group, group_offset);
            if (valid && inside) {
                FUZZ_CHECK(group_offset >= offset);
                FUZZ_CHECK(group_offset + group.size() <= offset + text.size());
            }
        }
    }
    int outside = -2;
    FUZZ_CHECK(regex.match_text(count + 1, &outside).empty() && outside == -1);
    FUZZ_CHECK(regex.submatch_text(1, regex.submatch_count() + 1).empty());
}

}  // namespace
}  // namespace qinghe

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    fuzz::Input in(data, size);
    const bool case_sensitive = in.flag(), multiline = in.flag(), global = in.flag(), quotes = in.flag();
    const Text pattern = in.text();
    const Text subject = in.rest();
    const bool valid = encode(decode(subject)) == subject;

    RegexObject regex;
    RegexLimits limits;
    limits.run_time = std::chrono::milliseconds(500);
    regex.set_limits(limits);
    const auto start = std::chrono::steady_clock::now();
    const bool ran = regex.create_and_execute(pattern, subject, case_sensitive, multiline, global, quotes);
    // The bound holds for the whole run, with room for a slow sanitizer build.
    FUZZ_CHECK(std::chrono::steady_clock::now() - start < std::chrono::seconds(5));
    FUZZ_CHECK(regex.get_pattern() == (quotes ? replace_all(pattern, from_utf8("#引号"), "\"") : pattern));
    if (!ran) {
        FUZZ_CHECK(regex.match_count() == 0);
        return 0;
    }
    check_matches(regex, subject, valid, global, groups_inside_match(pattern));
    const Text replaced = regex.replace_all("[$&]");
    if (valid && regex.match_count() == 0) FUZZ_CHECK(replaced == subject);
    return 0;
}
