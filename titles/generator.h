#pragma once
// The headline generator behind "生成标题".
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "controls/window.h"
#include "hot/boards.h"
#include "titles/platforms.h"
#include "titles/typesetting.h"

namespace qinghe {

struct RunChecks;  // titles/run_checks.h
class RunRecord;   // titles/run_record.h

// One run makes at most this many headlines; a larger count is treated as this.
inline constexpr int kMaxHeadlines = 100'000;

inline constexpr Colour kFirstLineColour = rgb(30, 139, 195);  // blue
inline constexpr Colour kSecondLineColour = rgb(0, 128, 0);    // green
inline constexpr Colour kNoticeColour = rgb(128, 128, 128);    // grey: a line that is not a headline

// The headline count typed by the user: full-width digits, signs and spaces read as
// their ASCII forms; leading white space, an optional sign, then decimal digits up to
// the first other character. No digits gives 0. Limited to kMaxHeadlines.
int parse_count(TextView text);

// The process-wide seed accumulator, 0 at program start.
std::uint32_t& seed_accumulator();

// One draw of the generator gives one of this many values v (15 bits).
inline constexpr size_t kDrawValues = 32'768;

// Re-seeds the generator from `tick` and the accumulator, draws once, and returns the
// drawn entry (entries are numbered from 1 as r = 1 + v mod n). Requires entries.
const Text& pick_random_entry(std::span<const Text> entries, std::uint32_t tick);
// The same draw as an index from 0: v mod count. Requires count > 0.
size_t pick_random_index(size_t count, std::uint32_t tick);
// An index below `count` that reaches every index alike: the values of several draws, one
// `ticks()` each, read as the digits of one number, as many as give it 15 bits beyond the
// count (at most four draws, 60 bits). Requires count > 0.
std::uint64_t pick_wide_random_index(std::uint64_t count, const std::function<std::uint32_t()>& ticks);

// The writer's panel: a topic keyword for the blanks, a platform's title lengths, no
// repeats, words a headline must not hold, headlines the writer used. With none of them
// (the default) a run is exactly the designed one. A keyword or a platform also sets the
// headlines for publishing (titles/typesetting.h): around each filled blank, and with a
// platform throughout; every check and the output see the headline as set.
struct WriterOptions {
    std::vector<Text> keywords = {};     // headline i fills its blanks with keyword i mod k
    const Platform* platform = nullptr;  // nullptr, or one without limit: any length
    // No phrase of a list comes back before every phrase of that list that can stand in
    // an allowed headline has been drawn once, and no headline comes twice.
    bool no_repeat = false;
    // Given a composed headline, the word that keeps it from being made, or empty when it
    // may stand. Empty: no check.
    std::function<Text(TextView)> blocking_word = {};
    // Given a composed headline, whether the writer used or starred it (避开用过的标题): such
    // a headline is not made. Empty: no check.
    std::function<bool(TextView)> used = {};
    // Whether headlines are set for publishing; off only to measure what setting costs.
    bool typeset = true;

    bool limits_length() const { return platform && platform->limited(); }
    bool any() const { return !keywords.empty() || limits_length() || no_repeat || blocking_word || used; }
    // How headlines are set: around a filled blank with keywords, throughout with a platform's range.
    TypesetMode typesetting() const {
        if (!typeset) return {};
        return {.keyword_edges = !keywords.empty(), .house_style = limits_length()};
    }
};

struct GeneratorInput {
    std::vector<Text> prefixes = {};
    std::vector<Text> links = {};
    std::vector<Text> suffixes = {};
    Text punctuation_1 = {};
    Text punctuation_2 = {};
    Text punctuation_3 = {};
    bool suffix_mode = false;
    int count = 0;
    WriterOptions writer = {};
};

// The headlines of one run, in order, concatenated; `ends` holds each one's end offset.
struct Headlines {
    Text text;
    std::vector<size_t> ends;
    // Per headline: which entry of the run's prefix list it took (an index into
    // GeneratorInput::prefixes; of two equal entries, possibly the first).
    std::vector<std::uint32_t> prefixes = {};
    // When the writer's options let fewer headlines be made than asked: the grey line
    // that says how many and why. Empty otherwise.
    Text shortfall;
    // 避开用过的标题: how many different used headlines the run met and did not make.
    size_t used_avoided = 0;
};

// Builds the headlines: passes of two while the pass counter 1, 3, 5, ... stays within
// the count; each headline draws prefix, link and (in suffix mode) suffix, in that order.
// Stops at once when the prefix or link list is empty. With writer options the blanks
// are filled and each part is drawn among the phrases that can still complete an allowed
// headline (in the platform's range, not refused, with no repeats not made before); when
// fewer than the typed count can be made, `shortfall` says how many and why. `pump`
// runs at least every few tens of milliseconds of such a run.
Headlines build_headlines(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
                          const std::function<void()>& pump = {});

// What a run made, for the panel's status line: "10 条 · 12–29 字 · 今日头条 5–30", and
// " · 避开用过 12" when it kept used headlines out.
Text run_status(const Headlines& headlines, const Platform* platform);

// The hot-search board choice at its default: the first board's name, Baidu's.
Text default_board_choice();

// Reads the generator's inputs from the window.
GeneratorInput read_generator_input(const Window& window);

// The result box's lines: 宋体 10 pt in the given colour.
CharFormat result_line_format(Colour colour);
// Appends one line in 宋体 10 pt with the given colour to the result box.
void append_result_line(Window& window, TextView line, Colour colour);

// The click action of the generate button. When live hot topics are wanted, the board
// chosen in the writer's panel gives the prefix list (one edit the box can undo), or with
// 全网（合并） every board at once, the same event merged across them, the first 50
// topics' titles in merged order; when a board gives no title, its last good titles stand
// in with a grey line giving their age,
// and without them the prefix list stays as it was, no headline is made, the clipboard
// is left alone, and one grey line in the result box (and one on standard error) says
// why. While the fetch waits the prefix box takes no typing and the button, captioned
// "取消获取", stops it: a click then ends the request at once and the run with it.
using BoardFetched = std::function<void(const HotBoard& board, std::chrono::system_clock::time_point fetched,
                                        const std::vector<HotEntry>& entries)>;
// The headlines the writer used or starred, as a run of 避开用过的标题 asks them.
struct UsedHeadlinesCheck {
    std::function<bool(TextView)> used = {};  // empty: none to avoid
    Text problem = {};                        // why they could not be read; empty when they were
};

// What the program gives a run beyond the window; each may be left empty.
struct RunHooks {
    // The writer's word lists; asked only when a check needs them.
    std::function<RunChecks()> load_word_lists = {};
    // Told of every board fetch that gave titles (for the writer's history).
    BoardFetched board_fetched = {};
    // The used headlines (避开用过的标题); asked once, only when the box is ticked.
    std::function<UsedHeadlinesCheck()> load_used_headlines = {};
    // Takes the record of where each headline came from once the run is over (an empty
    // one when it made none); a click that stops a fetch hands none.
    std::function<void(RunRecord)> keep_record = {};
    // Whether the run sets its headlines for publishing (WriterOptions::typeset).
    bool typeset = true;
};
void generate_titles(Window& window, const RunHooks& hooks);

// Shows a note under the last run's lines in the panel's status line: what an action did
// since ("已复制：…"), or a hint. A new note replaces the earlier one; the run's lines stay.
void show_status_note(Window& window, TextView note);

// The board choice was changed: a hint when it has no effect until hot topics are on.
void note_board_choice(Window& window);

}  // namespace qinghe
