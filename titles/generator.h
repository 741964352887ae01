#pragma once
// The headline generator behind "生成标题".
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "app/controls/window.h"

namespace qinghe {

// One run makes at most this many headlines; a larger count is treated as this.
inline constexpr int kMaxHeadlines = 100'000;

inline constexpr Colour kFirstLineColour = rgb(30, 139, 195);  // blue
inline constexpr Colour kSecondLineColour = rgb(0, 128, 0);    // green
inline constexpr Colour kNoticeColour = rgb(128, 128, 128);     // grey: a line that is not a headline

// The headline count typed by the user: full-width digits, signs and spaces read as
// their ASCII forms; leading white space, an optional sign, then decimal digits up to
// the first other character. No digits gives 0. Limited to kMaxHeadlines.
int parse_count(TextView text);

// The process-wide seed accumulator, 0 at program start.
std::uint32_t& seed_accumulator();

// Re-seeds the generator from `tick` and the accumulator, draws once, and returns the
// drawn entry (entries are numbered from 1 as r = 1 + v mod n). Requires entries.
const Text& pick_random_entry(std::span<const Text> entries, std::uint32_t tick);

struct GeneratorInput {
    std::vector<Text> prefixes = {};
    std::vector<Text> links = {};
    std::vector<Text> suffixes = {};
    Text punctuation_1 = {};
    Text punctuation_2 = {};
    Text punctuation_3 = {};
    bool suffix_mode = false;
    int count = 0;
};

// The headlines of one run, in order, concatenated; `ends` holds each one's end offset.
struct Headlines {
    Text text;
    std::vector<size_t> ends;
};

// Builds the headlines: passes of two while the pass counter 1, 3, 5, ... stays within
// the count; each headline draws prefix, link and (in suffix mode) suffix, in that order.
// Stops at once when the prefix or link list is empty.
Headlines build_headlines(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks);

// Reads the generator's inputs from the window.
GeneratorInput read_generator_input(const Window& window);

// Appends one line in 宋体 10 pt with the given colour to the result box.
void append_result_line(Window& window, TextView line, Colour colour);

// The click action of the generate button. When live hot topics are wanted and no page
// gives a title, the prefix list is put back as it was, no headline is made, the
// clipboard is left alone, and one grey line in the result box (and one on standard
// error) says why.
void generate_titles(Window& window);

}  // namespace qinghe
