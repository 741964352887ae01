#include "titles/writer_run.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_set>

#include "text/codec.h"
#include "titles/headline_length.h"
#include "titles/keywords.h"

namespace qinghe {
namespace {

// Tries for one headline before the run gives up: at a fit rate of 7 % the chance of
// missing 400 times in a row is 3e-13, so a run that can go on practically always does.
constexpr int kTriesPerHeadline = 400;
// The window answers between this many tries.
constexpr unsigned kTriesBetweenPumps = 1u << 14;

struct Phrase {
    Text text;
    TextLength length;
};

enum Part { Prefix, Link, Suffix, kParts };

// One list's phrases, filled with each keyword in turn and measured once.
class PhraseList {
public:
    PhraseList(const std::vector<Text>& entries, const std::vector<Text>& keywords, HeadlineMeasure& measure) {
        const size_t fillings = std::max<size_t>(keywords.size(), 1);
        filled_.resize(fillings);
        for (size_t k = 0; k < fillings; ++k) {
            filled_[k].reserve(entries.size());
            for (const Text& entry : entries) {
                Text text = keywords.empty() ? entry : fill_blanks(entry, keywords[k]);
                const TextLength length = measure.measure(text);
                filled_[k].push_back({std::move(text), length});
            }
        }
    }
    size_t size() const { return filled_[0].size(); }
    const Phrase& at(size_t keyword, size_t index) const { return filled_[keyword][index]; }

private:
    std::vector<std::vector<Phrase>> filled_;
};

// The entries of one list not yet used in this cycle, when nothing may repeat before
// every entry has been used once. A use that empties the pool starts the next cycle.
class Pool {
public:
    explicit Pool(size_t size) : size_(size) { refill(); }
    size_t size() const { return remaining_.size(); }
    size_t entry(size_t position) const { return remaining_[position]; }
    bool full() const { return remaining_.size() == size_; }
    void use(size_t entry) {
        const auto it = std::find(remaining_.begin(), remaining_.end(), entry);
        *it = remaining_.back();
        remaining_.pop_back();
        if (remaining_.empty()) refill();
    }
    // Takes back the last use: a full pool was refilled by it.
    void take_back(size_t entry) {
        if (full()) remaining_.clear();
        remaining_.push_back(entry);
    }
    void refill() {
        remaining_.resize(size_);
        std::iota(remaining_.begin(), remaining_.end(), size_t{0});
    }

private:
    size_t size_;
    std::vector<size_t> remaining_;
};

std::vector<Text> distinct(const std::vector<Text>& entries) {
    std::vector<Text> out;
    std::unordered_set<std::string_view> seen;
    for (const Text& entry : entries) {
        if (seen.insert(entry).second) out.push_back(entry);
    }
    return out;
}

struct Rejections {
    int too_long = 0, too_short = 0, repeated = 0;
};

// One headline's phrases, as entry numbers of the lists.
struct Draw {
    size_t entries[kParts] = {};
};

class WriterRun {
public:
    WriterRun(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
              const std::function<void()>& pump)
            : input_(input), options_(input.writer), ticks_(ticks), pump_(pump) {
        const size_t parts = input.suffix_mode ? 3 : 2;
        const std::vector<Text>* entries[] = {&input.prefixes, &input.links, &input.suffixes};
        for (size_t p = 0; p < parts; ++p) {
            // Without repeats a phrase is its text: an entry that stands twice in a list
            // is still one phrase.
            lists_.emplace_back(options_.no_repeat ? distinct(*entries[p]) : *entries[p], options_.keywords, measure_);
            pools_.emplace_back(lists_.back().size());
        }
        const Text* punctuation[] = {&input.punctuation_1, &input.punctuation_2, &input.punctuation_3};
        for (size_t p = 0; p < parts; ++p) punctuation_ += measure_.measure(*punctuation[p]);
    }

    Headlines run() {
        Headlines out;
        const size_t wanted = static_cast<size_t>(input_.count) + static_cast<size_t>(input_.count % 2);
        out.ends.reserve(wanted);
        bool fresh_cycle = false;
        while (out.ends.size() < wanted) {
            const size_t keyword = keyword_of(out.ends.size());
            if (make_one(keyword, out)) {
                fresh_cycle = false;
                continue;
            }
            if (!options_.no_repeat) break;
            // The entries left in this cycle only repeat headlines already made: take
            // back the last headline and choose again, within a budget.
            if (rejections_.repeated > 0 && !history_.empty() && undo_budget_ > 0) {
                --undo_budget_;
                take_back_last(out);
                continue;
            }
            // The entries left cannot make a headline that fits: a new cycle, once.
            if (fresh_cycle || std::all_of(pools_.begin(), pools_.end(), [](const Pool& p) { return p.full(); })) break;
            for (Pool& pool : pools_) pool.refill();
            history_.clear();
            fresh_cycle = true;
        }
        if (out.ends.size() < wanted) out.shortfall = shortfall(out.ends.size(), wanted, keyword_of(out.ends.size()));
        return out;
    }

private:
    // Few enough combinations left in the pools to try each of them.
    static constexpr double kEnumerable = 256;

    size_t keyword_of(size_t headline) const {
        return options_.keywords.empty() ? 0 : headline % options_.keywords.size();
    }

    double remaining_combinations() const {
        double product = 1;
        for (const Pool& pool : pools_) product *= static_cast<double>(pool.size());
        return product;
    }

    // A headline that fits and is new, from random draws or, when the pools hold few
    // combinations, from all of them. False when none was found.
    bool make_one(size_t keyword, Headlines& out) {
        rejections_ = {};
        if (options_.no_repeat && remaining_combinations() <= kEnumerable) return choose_among_all(keyword, out);
        Text headline;
        Draw draw;
        for (int attempt = 0; attempt < kTriesPerHeadline; ++attempt) {
            if (pump_ && ++tries_ % kTriesBetweenPumps == 0) pump_();
            // Named draws, in the generator's order: prefix, link, suffix.
            for (size_t part = 0; part < lists_.size(); ++part) {
                const std::uint32_t tick = ticks_();
                draw.entries[part] = options_.no_repeat
                                         ? pools_[part].entry(pick_random_index(pools_[part].size(), tick))
                                         : pick_random_index(lists_[part].size(), tick);
            }
            if (acceptable(keyword, draw, headline)) return accept(draw, headline, out), true;
        }
        return false;
    }

    bool choose_among_all(size_t keyword, Headlines& out) {
        std::vector<Draw> candidates;
        Text headline;
        Draw draw;
        const auto walk = [&](auto&& self, size_t part) -> void {
            if (part == lists_.size()) {
                if (acceptable(keyword, draw, headline)) candidates.push_back(draw);
                return;
            }
            for (size_t i = 0; i < pools_[part].size(); ++i) {
                draw.entries[part] = pools_[part].entry(i);
                self(self, part + 1);
            }
        };
        walk(walk, 0);
        if (candidates.empty()) return false;
        draw = candidates[pick_random_index(candidates.size(), ticks_())];
        compose(keyword, draw, headline);
        accept(draw, headline, out);
        return true;
    }

    bool acceptable(size_t keyword, const Draw& draw, Text& headline) {
        compose(keyword, draw, headline);
        if (!fits(keyword, draw, headline)) return false;
        if (options_.no_repeat && made_.count(headline)) return ++rejections_.repeated, false;
        return true;
    }

    void accept(const Draw& draw, const Text& headline, Headlines& out) {
        out.text.append(headline);
        out.ends.push_back(out.text.size());
        if (!options_.no_repeat) return;
        made_.insert(headline);
        for (size_t part = 0; part < lists_.size(); ++part) pools_[part].use(draw.entries[part]);
        history_.push_back(draw);
    }

    void take_back_last(Headlines& out) {
        const Draw draw = history_.back();
        history_.pop_back();
        for (size_t part = lists_.size(); part-- > 0;) pools_[part].take_back(draw.entries[part]);
        out.ends.pop_back();
        const size_t begin = out.ends.empty() ? 0 : out.ends.back();
        made_.erase(out.text.substr(begin));
        out.text.resize(begin);
    }

    void compose(size_t keyword, const Draw& draw, Text& headline) const {
        const Text* punctuation[] = {&input_.punctuation_1, &input_.punctuation_2, &input_.punctuation_3};
        headline.clear();
        for (size_t part = 0; part < lists_.size(); ++part) {
            headline.append(lists_[part].at(keyword, draw.entries[part]).text).append(*punctuation[part]);
        }
    }

    bool fits(size_t keyword, const Draw& draw, const Text& headline) {
        if (!options_.limits_length()) return true;
        TextLength length = punctuation_;
        for (size_t part = 0; part < lists_.size(); ++part)
            length += lists_[part].at(keyword, draw.entries[part]).length;
        if (!length.additive) length = measure_.measure(headline);
        const int counted = length.counted(options_.platform->ascii_counts_half);
        if (counted > options_.platform->max_length) return ++rejections_.too_long, false;
        if (counted < options_.platform->min_length) return ++rejections_.too_short, false;
        return true;
    }

    // Distinct headlines the lists can make.
    double combinations() const {
        double product = 1;
        for (const PhraseList& list : lists_) {
            std::unordered_set<std::string_view> distinct;
            for (size_t i = 0; i < list.size(); ++i) distinct.insert(list.at(0, i).text);
            product *= static_cast<double>(distinct.size());
        }
        return product;
    }

    // Why the length could not be kept: the part whose shortest phrase is longest, when
    // even the shortest phrases make too long a headline.
    Text why_too_long(size_t keyword) const {
        static const char* const kNames[] = {"前缀太长", "衔接太长", "后缀太长"};
        const bool half = options_.platform->ascii_counts_half;
        int shortest_total = punctuation_.counted(half);
        int longest_part = -1, culprit = 0;
        for (size_t part = 0; part < lists_.size(); ++part) {
            int shortest = INT32_MAX;
            for (size_t i = 0; i < lists_[part].size(); ++i) {
                shortest = std::min(shortest, lists_[part].at(keyword, i).length.counted(half));
            }
            shortest_total += shortest;
            if (shortest > longest_part) longest_part = shortest, culprit = static_cast<int>(part);
        }
        if (shortest_total > options_.platform->max_length) return from_utf8(kNames[culprit]);
        return from_utf8("够短的组合太少");
    }

    Text shortfall(size_t made, size_t wanted, size_t keyword) const {
        const std::string count = std::to_string(made), asked = std::to_string(wanted);
        if (!options_.limits_length() || rejections_.repeated >= rejections_.too_long + rejections_.too_short) {
            const double combos = combinations();
            const std::string why =
                combos < static_cast<double>(wanted)
                    ? "这些词组只能组成 " + std::to_string(static_cast<long long>(combos)) + " 条不同的标题"
                    : std::string("不重复的组合已经用完");
            return from_utf8("只生成了 " + count + " 条不重复的标题（要 " + asked + " 条）：" + why + "。");
        }
        const Platform& platform = *options_.platform;
        const std::string range = std::string(platform.name) + " " + std::to_string(platform.min_length) + "–" +
                                  std::to_string(platform.max_length) + " 字";
        const Text why = rejections_.too_long >= rejections_.too_short ? why_too_long(keyword) : from_utf8("标题太短");
        return from_utf8("只有 " + count + " 条标题符合" + range + "（要 " + asked + " 条），其余无法满足：") + why +
               from_utf8("。");
    }

    const GeneratorInput& input_;
    const WriterOptions& options_;
    const std::function<std::uint32_t()>& ticks_;
    const std::function<void()>& pump_;
    HeadlineMeasure measure_;
    std::vector<PhraseList> lists_;
    std::vector<Pool> pools_;
    TextLength punctuation_;
    std::unordered_set<Text> made_;
    std::vector<Draw> history_;  // the headlines of this cycle, to take back
    int undo_budget_ = 10'000;
    Rejections rejections_;
    unsigned tries_ = 0;
};

}  // namespace

Headlines build_writer_headlines(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
                                 const std::function<void()>& pump) {
    return WriterRun(input, ticks, pump).run();
}

}  // namespace qinghe
