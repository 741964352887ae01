#include "titles/generator.h"

#include <cctype>

#include "controls/names.h"
#include "hot/boards.h"
#include "text/codec.h"
#include "text/search.h"
#include "titles/headline_length.h"
#include "titles/keywords.h"
#include "titles/vector_registers.h"
#include "titles/writer_run.h"

namespace qinghe {
namespace {

// Full-width forms that read as ASCII in a count: the A3 block (A3 A1 ... A3 FE is
// "！" ... "￣"), the ideographic space, the tilde and the two stars.
Text normalise_full_width(TextView text) {
    Text out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80 || i + 1 == text.size()) {
            out.push_back(text[i++]);
            continue;
        }
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) out.push_back(static_cast<char>(trail - 0x80));
        else if (lead == 0xA1 && trail == 0xA1) out.push_back(' ');
        else if (lead == 0xA1 && trail == 0xAB) out.push_back('~');
        else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) out.push_back('*');
        else out.append(text.substr(i, 2));
        i += 2;
    }
    return out;
}

// One draw of the 32-bit linear congruential generator seeded with `seed`.
constexpr std::uint32_t draw_once(std::uint32_t seed) {
    const std::uint32_t state = seed * 214013u + 2531011u;
    return (state >> 16) % kDrawValues;
}

}  // namespace

CharFormat result_line_format(Colour colour) {
    static const Text song_ti = from_utf8("宋体");
    return CharFormat{.face = song_ti, .size_twips = 200, .colour = colour};
}

int parse_count(TextView text) {
    const Text normal = normalise_full_width(text);
    size_t i = 0;
    while (i < normal.size() && std::isspace(static_cast<unsigned char>(normal[i]))) ++i;
    bool negative = false;
    if (i < normal.size() && (normal[i] == '+' || normal[i] == '-')) negative = normal[i++] == '-';
    long long value = 0;
    for (; i < normal.size() && normal[i] >= '0' && normal[i] <= '9'; ++i) {
        // Past the cap the exact value no longer matters; stop growing before it overflows.
        if (value <= kMaxHeadlines) value = value * 10 + (normal[i] - '0');
    }
    const int capped = static_cast<int>(value > kMaxHeadlines ? kMaxHeadlines : value);
    return negative ? -capped : capped;
}

std::uint32_t& seed_accumulator() {
    static std::uint32_t accumulator = 0;
    return accumulator;
}

size_t pick_random_index(size_t count, std::uint32_t tick) {
    std::uint32_t& accumulator = seed_accumulator();
    const std::uint32_t seed = tick + accumulator;
    accumulator += (seed & 0xFF) + 100;
    return draw_once(seed) % count;
}

std::uint64_t pick_wide_random_index(std::uint64_t count, const std::function<std::uint32_t()>& ticks) {
    std::uint64_t value = 0, reach = 1;
    for (int draws = 0; draws < 4 && reach / kDrawValues < count; ++draws) {
        value = value * kDrawValues + pick_random_index(kDrawValues, ticks());
        reach *= kDrawValues;
    }
    return value % count;
}

const Text& pick_random_entry(std::span<const Text> entries, std::uint32_t tick) {
    return entries[pick_random_index(entries.size(), tick)];
}

Headlines build_headlines(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
                          const std::function<void()>& pump) {
    Headlines out;
    if (input.prefixes.empty() || input.links.empty() || input.count < 1) return out;
    clear_upper_vector_halves();
    const WriterOptions& writer = input.writer;
    // Filling blanks draws nothing: keywords alone leave the designed draws as they are.
    const bool only_keywords = !writer.limits_length() && !writer.no_repeat && !writer.blocking_word;
    if (writer.any() && !only_keywords) return build_writer_headlines(input, ticks, pump);
    const size_t headlines = static_cast<size_t>(input.count) + (input.count % 2);
    out.ends.reserve(headlines);
    out.prefixes.reserve(headlines);
    out.text.reserve(headlines * 48);
    const auto append = [&](const Text& phrase, size_t n) {
        // A blank is made of "_" or "＿" (A3 DF): a phrase holding neither byte stays as it is.
        if (writer.keywords.empty() || phrase.find_first_of("_\xDF") == Text::npos) out.text.append(phrase);
        else append_filled(out.text, phrase, writer.keywords[n % writer.keywords.size()]);
    };
    for (size_t n = 0; n < headlines; ++n) {
        // Named draws, in this order: the random sequence must not depend on the
        // compiler's order of evaluation.
        const size_t prefix_index = pick_random_index(input.prefixes.size(), ticks());
        const Text& prefix = input.prefixes[prefix_index];
        const Text& link = pick_random_entry(input.links, ticks());
        append(prefix, n);
        out.text.append(input.punctuation_1);
        append(link, n);
        out.text.append(input.punctuation_2);
        if (input.suffix_mode) {
            const Text& suffix = pick_random_entry(input.suffixes, ticks());
            append(suffix, n);
            out.text.append(input.punctuation_3);
        }
        out.ends.push_back(out.text.size());
        out.prefixes.push_back(static_cast<std::uint32_t>(prefix_index));
    }
    return out;
}

Text default_board_choice() { return from_utf8(hot_boards().front().name); }

GeneratorInput read_generator_input(const Window& window) {
    // Nothing can change the boxes during a run, so each list is read and split once.
    GeneratorInput input;
    const Text suffix_list = window.content(name::suffix_box);
    input.suffix_mode = !suffix_list.empty();
    input.count = parse_count(window.content(name::count_box));
    input.prefixes = split_list(window.content(name::prefix_box), kCrLf);
    input.links = split_list(window.content(name::link_box), kCrLf);
    if (input.suffix_mode) input.suffixes = split_list(suffix_list, kCrLf);
    input.punctuation_1 = window.content(name::punctuation_1);
    input.punctuation_2 = window.content(name::punctuation_2);
    if (input.suffix_mode) input.punctuation_3 = window.content(name::punctuation_3);
    input.writer.keywords = split_keywords(window.content(name::keyword_box));
    input.writer.platform = find_platform(window.content(name::platform_choice));
    input.writer.no_repeat = window.checked(name::no_repeat_check);
    return input;
}

Text run_status(const Headlines& headlines, const Platform* platform) {
    const bool half = platform && platform->ascii_counts_half;
    HeadlineMeasure measure;
    int shortest = 0, longest = 0;
    size_t begin = 0;
    bool first = true;  // not `begin == 0`: an empty first headline leaves the next one at 0
    for (size_t end : headlines.ends) {
        const int length = measure.measure(TextView(headlines.text).substr(begin, end - begin)).counted(half);
        shortest = first ? length : std::min(shortest, length);
        first = false;
        longest = std::max(longest, length);
        begin = end;
    }
    std::string status = std::to_string(headlines.ends.size()) + " 条";
    if (!headlines.ends.empty()) {
        status += " · " + std::to_string(shortest) + (shortest == longest ? "" : "–" + std::to_string(longest)) + " 字";
    }
    if (platform && platform->limited()) {
        status += " · " + std::string(platform->name) + " " + std::to_string(platform->min_length) + "–" +
                  std::to_string(platform->max_length);
    }
    return from_utf8(status);
}

void append_result_line(Window& window, TextView line, Colour colour) {
    const ColouredLine one{line, colour};
    window.append_lines(name::result_box, result_line_format(colour), {&one, 1});
}

}  // namespace qinghe
