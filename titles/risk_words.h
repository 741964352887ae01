#pragma once
// 标题体检: the words that get a headline throttled or removed, or that advertising law
// bans, found in headlines. The built-in list (titles/data/risk-words.tsv) gives each
// pattern a category, a level, the platforms whose rules name it, the rule it rests on
// and safer words; its exceptions (risk-words-exceptions.tsv) are harmless words that hold
// a pattern, such as 最后 holding 最. The writer adds words of their own (自定义风险词) and
// words never to mark (放行词).
//
// How a text is checked:
// - Text and patterns read alike through WordMatcher: traditional characters as
//   simplified, NFKC (full width as half width), letter case folded; punctuation kept.
// - Every occurrence of every pattern is found. "…" (U+2026) inside a pattern stands for
//   any 0 to 8 characters; a pattern's first piece pairs with the nearest pieces after it.
// - A match lying inside an occurrence of an exception or of an allowed word is dropped
//   (最后 silences 最 in 最后一天, not the longer 最后三天); of one with a gap, only the
//   matches inside its pieces (最佳…奖 silences 最佳, not a word between 最佳 and 奖). An
//   entry whose pattern reads as an allowed word never matches.
// - Of two nested remaining matches only the longer is reported (删前速看, not 速看),
//   unless the nested one is of the higher level: a high match inside a hint is reported
//   beside it. Overlapping ones are both reported. Of matches with the same span, the one
//   of the higher level (then the earlier entry) stands.
// - An entry applies to the platforms its list names; with no platform or "不限", every
//   entry applies.
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"
#include "text/word_matcher.h"
#include "titles/platforms.h"

namespace qinghe {

enum class RiskLevel {
    high,  // 高风险: named by a law, a regulator or a platform's rule; shown prominently
    hint,  // 提示: worth a second look, often harmless; shown softly
};

// "高风险" or "提示" (program text), as the list and the window write it.
const Text& risk_level_name(RiskLevel level);

// The built-in list's categories in the order they are shown (program text):
// 广告法绝对化, 夸大煽动, 混淆官方, 诱导点击, 医疗功效, 导流, 低俗惊悚.
std::span<const Text> risk_categories();
// The category of the writer's own risk words: "自定义".
const Text& custom_risk_category();

struct RiskEntry {
    Text pattern;   // program text; "…" stands for any 0 to 8 characters
    Text category;  // one of risk_categories(), or custom_risk_category()
    RiskLevel level = RiskLevel::hint;
    // The platforms whose rules name the entry (program text, as the list spells them, so
    // possibly one the program does not offer, such as 百家号); empty: every platform (全部).
    std::vector<Text> platforms;
    Text basis;                     // the rules cited, separated by "；"; empty for the writer's words
    std::vector<Text> suggestions;  // 0 to 3 words to offer in place of the match

    // Whether the entry counts for a headline meant for `platform`: always with none or
    // 不限, otherwise when the entry names every platform or this one.
    bool applies_to(const Platform* platform) const;
};

// A harmless word that holds a risky pattern; "…" as in a pattern.
struct RiskException {
    Text pattern;
    Text why;
};

struct RiskLists {
    std::vector<RiskEntry> entries;
    std::vector<RiskException> exceptions;
    // The rows that could not be read and were left out, as "risk-words.tsv:12: unknown
    // level" (UTF-8, for tests and developers).
    std::vector<std::string> problems;
};

// Reads the lists in their data form: UTF-8, one header line, then one row a line with
// tab-separated fields ("pattern category level platforms basis suggestions", resp.
// "pattern why"). A row must have a pattern, a known category and level, "全部" or known
// platform names separated by ",", and at most three suggestions separated by "|".
RiskLists parse_risk_lists(std::string_view words_tsv, std::string_view exceptions_tsv);
// The built-in lists, read on first use.
const RiskLists& builtin_risk_lists();

// Where a pattern was found in a text.
struct RiskHit {
    size_t begin = 0, end = 0;            // byte offsets of the matched text
    size_t first_char = 0, end_char = 0;  // the same as character positions (end past the last)
    const RiskEntry* entry = nullptr;     // valid while the checker lives
};

// The hits of every headline of a run.
struct RunHits {
    std::vector<RiskHit> hits;  // headline by headline; positions within the headline
    std::vector<size_t> first;  // headline i's hits are hits[first[i]] up to hits[first[i + 1]]

    size_t headlines() const { return first.empty() ? 0 : first.size() - 1; }
    std::span<const RiskHit> of(size_t headline) const {
        return std::span<const RiskHit>(hits).subspan(first[headline], first[headline + 1] - first[headline]);
    }
};

// The hits of one line of a list box.
struct LineHits {
    size_t line = 0;        // counted from 1
    size_t line_begin = 0;  // byte offset of the line in the list
    size_t line_end = 0;    // where it ends, before its CR LF
    std::vector<RiskHit> hits;
};

// The checker keeps one WordMatcher for every pattern, exception and writer's word, so a
// text is read once. Building one reads every pattern (some milliseconds): keep it while
// the writer's words stay the same. Not for two threads at once (the matcher caches what
// it reads). It may be moved, not copied: hits point at its entries.
class RiskChecker {
public:
    // The built-in lists with the writer's words (program text, one word each; "…" works as
    // in a pattern; words that read as nothing are ignored). Each custom word is an entry
    // of level high for every platform, category 自定义, with no basis or suggestions; each
    // allowed word silences matches as an exception does, and every entry reading as it.
    explicit RiskChecker(std::span<const Text> custom_words = {}, std::span<const Text> allowed_words = {});
    // The same over other lists.
    RiskChecker(const RiskLists& lists, std::span<const Text> custom_words, std::span<const Text> allowed_words);
    RiskChecker(RiskChecker&&) noexcept;
    RiskChecker& operator=(RiskChecker&&) noexcept;
    RiskChecker(const RiskChecker&) = delete;
    RiskChecker& operator=(const RiskChecker&) = delete;
    ~RiskChecker();

    // The hits in one text, ordered by where they start (then by where they end).
    std::vector<RiskHit> check(TextView text, const Platform* platform = nullptr) const;

    // A whole run in one pass: `text` holds the headlines one after another, `ends` each
    // one's end offset (Headlines::text and Headlines::ends). Each headline is checked as
    // check() checks it alone: no match reaches from one headline into the next.
    RunHits check_run(TextView text, std::span<const size_t> ends, const Platform* platform = nullptr) const;

    // 检查词组: a list box's text, lines separated by CR LF (or LF), each line checked as
    // check() checks it. Only lines with hits are listed.
    std::vector<LineHits> check_lines(TextView list, const Platform* platform = nullptr) const;

    // 标注并避开: the pattern (program text) of the headline's first hit of level high that
    // applies under `platform`, or the empty text when it has none.
    Text blocking_word(TextView headline, const Platform* platform) const;

    // The entries the checker matches: the lists' entries, then the writer's words.
    std::span<const RiskEntry> entries() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The run's avoidance hook over a shared checker: blocking_word under `platform`.
std::function<Text(TextView)> blocking_word_hook(std::shared_ptr<const RiskChecker> checker, const Platform* platform);

}  // namespace qinghe
