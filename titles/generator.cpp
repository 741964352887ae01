#include "titles/generator.h"

#include <cctype>
#include <optional>
#include <unordered_map>

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

// The designed run's headlines with keywords: phrases with their blanks filled, each
// headline taking keyword i mod k. A headline that holds a filled blank is set around it
// (titles/typesetting.h), joined from its phrases, each set once with the punctuation text
// after it (per keyword when it has a blank) when first drawn; the others stay as written.
class KeywordHeadlines {
public:
    explicit KeywordHeadlines(const GeneratorInput& input)
            : input_(input), mode_(input.writer.typesetting()), joiner_(mode_) {}

    // Appends the headline of these entries, one per list, with keyword `keyword`.
    void append(std::span<const size_t> entries, size_t keyword, Text& out) {
        bool blank = false;
        for (size_t p = 0; p < entries.size(); ++p) blank = blank || may_hold_blank(phrase(p, entries[p]));
        if (!blank || !mode_.any()) {
            for (size_t p = 0; p < entries.size(); ++p) {
                const Text& text = phrase(p, entries[p]);
                if (!may_hold_blank(text)) out.append(text);
                else append_filled(out, text, input_.writer.keywords[keyword]);
                out.append(*punctuation_[p]);
            }
            return;
        }
        const SetPiece* pieces[3];
        for (size_t p = 0; p < entries.size(); ++p) pieces[p] = &piece(p, entries[p], keyword);
        joiner_.join(std::span(pieces, entries.size()), out);
    }

private:
    // A blank is made of "_" or "＿" (A3 DF): a phrase holding neither byte has none.
    static bool may_hold_blank(const Text& phrase) { return phrase.find_first_of("_\xDF") != Text::npos; }
    const Text& phrase(size_t part, size_t entry) const { return (*lists_[part])[entry]; }

    const SetPiece& piece(size_t part, size_t entry, size_t keyword) {
        const Text& text = phrase(part, entry);
        const size_t keywords = input_.writer.keywords.size();
        const size_t kept_for = may_hold_blank(text) ? keyword : keywords;  // one for every keyword without a blank
        const std::uint64_t key = (std::uint64_t{entry} * 3 + part) * (keywords + 1) + kept_for;
        auto [it, fresh] = pieces_.try_emplace(key);
        if (fresh) {
            FilledPhrase filled =
                fill_and_mark_blanks(text, kept_for < keywords ? input_.writer.keywords[keyword] : "");
            filled.text.append(*punctuation_[part]);
            it->second = set_piece(filled.text, filled.keywords, mode_, measure_);
        }
        return it->second;
    }

    const GeneratorInput& input_;
    const std::vector<Text>* lists_[3] = {&input_.prefixes, &input_.links, &input_.suffixes};
    const Text* punctuation_[3] = {&input_.punctuation_1, &input_.punctuation_2, &input_.punctuation_3};
    TypesetMode mode_;
    HeadlineMeasure measure_;
    PieceJoiner joiner_;
    std::unordered_map<std::uint64_t, SetPiece> pieces_;
};

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
    const bool only_keywords = !writer.limits_length() && !writer.no_repeat && !writer.blocking_word && !writer.used;
    if (writer.any() && !only_keywords) return build_writer_headlines(input, ticks, pump);
    const size_t headlines = static_cast<size_t>(input.count) + (input.count % 2);
    out.ends.reserve(headlines);
    out.prefixes.reserve(headlines);
    out.text.reserve(headlines * 48);
    std::optional<KeywordHeadlines> with_keywords;
    if (!writer.keywords.empty()) with_keywords.emplace(input);
    for (size_t n = 0; n < headlines; ++n) {
        // Named draws, in this order: the random sequence must not depend on the
        // compiler's order of evaluation.
        const size_t prefix = pick_random_index(input.prefixes.size(), ticks());
        const size_t link = pick_random_index(input.links.size(), ticks());
        const size_t suffix = input.suffix_mode ? pick_random_index(input.suffixes.size(), ticks()) : 0;
        const size_t parts = input.suffix_mode ? 3 : 2;
        if (with_keywords) {
            const size_t entries[] = {prefix, link, suffix};
            with_keywords->append(std::span(entries, parts), n % writer.keywords.size(), out.text);
        } else {
            out.text.append(input.prefixes[prefix]).append(input.punctuation_1);
            out.text.append(input.links[link]).append(input.punctuation_2);
            if (input.suffix_mode) out.text.append(input.suffixes[suffix]).append(input.punctuation_3);
        }
        out.ends.push_back(out.text.size());
        out.prefixes.push_back(static_cast<std::uint32_t>(prefix));
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
    if (headlines.used_avoided > 0) status += " · 避开用过 " + std::to_string(headlines.used_avoided);
    return from_utf8(status);
}

void append_result_line(Window& window, TextView line, Colour colour) {
    const ColouredLine one{line, colour};
    window.append_lines(name::result_box, result_line_format(colour), {&one, 1});
}

}  // namespace qinghe
