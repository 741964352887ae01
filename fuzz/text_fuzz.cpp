// The text routines on arbitrary bytes: searches land on character starts and on the
// needle, splitting and joining give the text back, markers give pieces of the source,
// the word matcher's matches cover the words.
#include <vector>

#include "fuzz/fuzz_input.h"
#include "text/markers.h"
#include "text/search.h"
#include "text/word_matcher.h"

namespace qinghe {
namespace {

// Whether `offset` starts a character when the text is read from byte `from` on.
bool on_character_start(TextView text, size_t from, size_t offset) {
    size_t i = from;
    while (i < offset) i += is_lead_byte(text[i]) ? 2 : 1;
    return i == offset;
}

void check_search(TextView source, TextView needle, int start, bool ignore_case) {
    const int found = find_text(source, needle, start, ignore_case);
    const size_t from = start > 1 ? static_cast<size_t>(start) - 1 : 0;
    if (needle.empty()) {
        // The empty needle is found at position 1 while any byte remains after the start.
        FUZZ_CHECK(found == (from < source.size() ? 1 : -1));
        return;
    }
    if (found == -1) return;
    FUZZ_CHECK(found >= 1 && static_cast<size_t>(found) <= source.size());
    const size_t offset = static_cast<size_t>(found) - 1;
    FUZZ_CHECK(offset >= from && on_character_start(source, from, offset));
    const TextView there = source.substr(offset, needle.size());
    FUZZ_CHECK(there.size() == needle.size());
    FUZZ_CHECK(ignore_case ? equal_ignoring_case(there, needle) : there == needle);
}

void check_split(TextView text, TextView separator) {
    const std::vector<Text> entries = split_list(text, separator);
    if (separator.empty()) {
        FUZZ_CHECK(entries.size() == (text.empty() ? 0u : 1u));
        return;
    }
    Text joined;
    for (size_t i = 0; i < entries.size(); ++i)
        joined.append(entries[i]).append(i + 1 < entries.size() ? separator : "");
    // A text that ends with the separator has no empty last entry; the join lacks it.
    FUZZ_CHECK(joined == text || joined + Text(separator) == text);
}

void check_replace(TextView text, TextView from, TextView to) {
    FUZZ_CHECK(replace_all(text, from, from) == text);
    if (from.empty()) FUZZ_CHECK(replace_all(text, from, to) == text);
}

void check_markers(TextView source, TextView left, TextView right, int start, bool ignore_case) {
    const Text between = text_between(source, left, right, start, ignore_case);
    FUZZ_CHECK(between.size() <= source.size());
    const Text before = text_before(source, left);
    FUZZ_CHECK(source.substr(0, before.size()) == before);
    const Text after = text_after_last(source, right);
    FUZZ_CHECK(after.size() <= source.size() && source.substr(source.size() - after.size()) == after);
    (void)header_value(source, left);
    const Text capital = capitalize_first(left);
    FUZZ_CHECK(capital.size() == left.size() && (left.empty() || TextView(capital).substr(1) == left.substr(1)));
}

// Each match covers whole characters whose reading holds the word's.
void check_words(TextView text, TextView first, TextView second) {
    WordMatcher matcher;
    const TextView words[] = {first, second};
    for (TextView word : words) matcher.add(word);
    const std::vector<WordMatcher::Match> matches = matcher.find_all(text);
    FUZZ_CHECK(matcher.find_first(text) == !matches.empty());
    for (const WordMatcher::Match& m : matches) {
        FUZZ_CHECK(m.word < 2 && m.begin < m.end && m.end <= text.size() && m.first_char < m.end_char);
        size_t start = 0;
        while (start < m.begin) start += character_length(text, start);
        FUZZ_CHECK(start == m.begin);
        const std::string reading = WordMatcher::normalised(text.substr(m.begin, m.end - m.begin));
        FUZZ_CHECK(reading.find(WordMatcher::normalised(words[m.word])) != std::string::npos);
    }
}

ExtractOptions extract_options(fuzz::Input& in) {
    ExtractOptions options;
    options.ignore_case = in.flag();
    options.length_limit = in.number(40);
    options.text_before = in.text();
    options.text_after = in.text();
    options.keep_start_marker = in.flag();
    options.keep_end_marker = in.flag();
    options.start_position = static_cast<int>(in.number(255)) - 2;
    return options;
}

void check_extract(ExtractOptions options, TextView source, TextView start_marker, TextView end_marker) {
    size_t entries_seen = 0;
    options.after_entry = [&entries_seen] { ++entries_seen; };
    std::vector<Text> result{"left over"};
    const size_t count = extract_all_between(source, start_marker, end_marker, result, options);
    FUZZ_CHECK(count == result.size());
    FUZZ_CHECK(entries_seen >= count);
    const size_t fixed = options.text_before.size() + options.text_after.size() +
                         (options.keep_start_marker ? start_marker.size() : 0) +
                         (options.keep_end_marker ? end_marker.size() : 0);
    for (const Text& item : result) {
        FUZZ_CHECK(item.size() >= fixed && item.size() - fixed <= source.size());
        if (options.length_limit > 0) FUZZ_CHECK(item.size() < options.length_limit);
    }
}

}  // namespace
}  // namespace qinghe

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    fuzz::Input in(data, size);
    const bool ignore_case = in.flag();
    const int start = static_cast<int>(in.number(255)) - 2;
    const Text needle = in.text();
    const Text other = in.text();
    const ExtractOptions options = extract_options(in);
    const Text source = in.rest();
    check_search(source, needle, start, ignore_case);
    check_split(source, needle);
    check_split(source, kCrLf);
    check_replace(source, needle, other);
    check_markers(source, needle, other, start, ignore_case);
    check_extract(options, source, needle, other);
    check_words(source, needle, other);
    return 0;
}
