#include "titles/writer_run.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "titles/headline_length.h"
#include "titles/phrase_space.h"
#include "titles/refusals.h"
#include "titles/run_budget.h"
#include "titles/run_capacity.h"
#include "titles/run_draws.h"
#include "titles/run_history.h"
#include "titles/run_lists.h"
#include "titles/run_pools.h"
#include "titles/run_repair.h"
#include "titles/run_shortfall.h"

namespace qinghe {
namespace {

using namespace phrase_space;

// Headlines a run may compose and check while it searches, and headlines it may take
// back at dead ends: a run that would need more stops and says so.
constexpr size_t kSearchBudget = 4'000'000;
constexpr int kTakeBacks = 2'000;  // shared among the starts below
// Searches a stuck run without repeats makes, each from the first headline.
constexpr int kStarts = 8;
// Lists small enough that a stuck run without repeats tries every order of their
// headlines: candidates per keyword, and places tried.
constexpr std::uint64_t kOrderedCandidates = 2'000;
constexpr size_t kOrderNodes = 200'000;
constexpr size_t kOrderLooks = 2'000'000;  // headlines looked up at all the places tried
// Headlines left for the place where a run without repeats stopped that it checks to
// tell whether refusals kept them out.
constexpr size_t kBlockedChecks = 100'000;

// The run: draws headlines until the count is made or it cannot go on. With repeats
// allowed each place draws any allowed headline; without, each draws from the pools, and
// a dead end is mended by exchanges, by taking headlines back, or by starting afresh.
class WriterRun {
public:
    WriterRun(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
              const std::function<void()>& pump)
            : input_(input),
              ticks_(ticks),
              pacer_(pump),
              ruler_(input.writer.platform),
              check_(input.writer, ruler_, measure_),
              budget_(kSearchBudget, pacer_),
              lists_(input, ruler_, measure_, check_, tally_, pacer_),
              any_(lists_.keywords()) {
        if (no_repeat()) pools_.emplace(lists_, standing_phrases(lists_, check_, pacer_));
        // Where each prefix phrase stands in the run's prefix list (the phrases keep its
        // order, some repeats left out), for the headlines' record of their prefix.
        const PhraseList& prefixes = lists_.list(0);
        for (uint32_t row = 0; row < input.prefixes.size() && prefix_rows_.size() < prefixes.size(); ++row) {
            const auto phrase = static_cast<uint32_t>(prefix_rows_.size());
            if (input.prefixes[row].data() == prefixes.entry(phrase).data()) prefix_rows_.push_back(row);
        }
    }

    Headlines run() {
        const size_t typed = static_cast<size_t>(input_.count);
        const size_t wanted = typed + typed % 2;
        Headlines out;
        out.ends.reserve(wanted);
        if (no_repeat()) history_.reserve(wanted);
        const std::optional<Stop> stop = draw_all(wanted, out);
        std::optional<Text> why;
        if (stop) why = why_short(*stop, out);
        if (no_repeat()) {
            out.text.reserve(wanted * 48);
            Text text;
            for (size_t i = 0; i < history_.size(); ++i) {
                lists_.compose(lists_.keyword_of(i), history_[i].draw, text);
                out.text.append(text);
                out.ends.push_back(out.text.size());
                out.prefixes.push_back(prefix_rows_[history_[i].draw.phrase[0]]);
            }
        }
        if (why && made(out) < typed) out.shortfall = std::move(*why);
        out.used_avoided = tally_.used_headlines();
        return out;
    }

private:
    // Draws until `wanted` headlines are made (nothing), or why the run cannot go on.
    std::optional<Stop> draw_all(size_t wanted, Headlines& out) {
        std::optional<Stop> stop = search(wanted, out);
        // A search stuck for want of take-backs may get through from a fresh start.
        bool again = stop == Stop::Stuck && take_backs_left_ == 0;
        // On small lists every order of the pools' headlines can be tried: a run that still
        // sticks then makes as many as the rule allows.
        if (stop == Stop::Stuck && small()) {
            start_afresh();
            switch (search_every_order(wanted)) {
                case Orders::made: return std::nullopt;
                case Orders::all_tried: return Stop::Stuck;
                case Orders::bounded: break;
            }
        }
        // A search stuck near the end of a turn often gets through from a fresh start with
        // other draws; the longest run any start reached is kept.
        for (int start = 1; start < kStarts && again; ++start) {
            start_afresh();
            stop = search(wanted, out);
            again = stop == Stop::Stuck && take_backs_left_ == 0;
        }
        return stop;
    }

    // The grey line of a run that stopped for `stop`, back at the longest run it reached.
    Text why_short(Stop stop, const Headlines& out) {
        if (stop == Stop::Stuck || stop == Stop::Searched) restore_best();
        // A search that ran out at the most the lists can make says so, and one whose turns
        // left only refused headlines says that.
        if (stop == Stop::Stuck && !capacity_ && !any_new(lists_.keyword_of(made(out)))) {
            capacity_ = capacity(lists_, check_, budget_, made(out) + 1);
        }
        if (stop == Stop::Stuck && capacity_ && made(out) == capacity_->most) stop = Stop::Exhausted;
        if (stop == Stop::Stuck) {
            blocked_ = refusals_left(made(out));
            tally_.add_used(blocked_);
            if (blocked_.any_word() || blocked_.any_used()) stop = Stop::Blocked;
        }
        return shortfall_line(shortfall(stop, made(out)));
    }

    bool no_repeat() const { return input_.writer.no_repeat; }
    size_t made(const Headlines& out) const { return no_repeat() ? history_.size() : out.ends.size(); }
    DrawTools draw_tools() { return {lists_, check_, budget_, ticks_, scratch_}; }

    // Draws headlines until `wanted` are made (nothing), or why the run cannot go on.
    std::optional<Stop> search(size_t wanted, Headlines& out) {
        while (made(out) < wanted) {
            pacer_.step();
            const size_t keyword = lists_.keyword_of(made(out));
            const std::optional<Draw> draw =
                no_repeat() ? draw_new(keyword)
                            : any_.next(keyword, lists_.every_phrase(keyword), draw_tools(), tally_);
            if (draw) {
                accept(keyword, *draw, out);
                continue;
            }
            // Exchanges are tried once per depth reached: taken back below it, the run
            // searches by taking back alone.
            if (no_repeat() && (!repair_failed_at_ || made(out) > *repair_failed_at_)) {
                const RepairTools tools{lists_, *pools_, history_, check_, budget_, pacer_, ticks_};
                if (const std::optional<Mended> mended = mend_by_exchanges(keyword, tools)) {
                    forget_below(mended->lowest);
                    accept(keyword, mended->draw, out);
                    continue;
                }
                repair_failed_at_ = made(out);
            }
            if (const std::optional<Stop> stop = stop_at_dead_end(keyword, made(out), wanted)) return stop;
            --take_backs_left_;
            take_back(true);
        }
        return std::nullopt;
    }

    std::optional<Draw> draw_new(size_t keyword) {
        const auto it = excluded_.find(history_.size());
        const DrawSet* excluded = it == excluded_.end() ? nullptr : &it->second;
        return qinghe::draw_new(pools_->space(keyword), keyword, excluded, history_.made(), draw_tools(), tally_);
    }

    // Whether some allowed headline for `keyword` (whatever the turns) was not made yet;
    // also when the search budget ran out first.
    bool any_new(size_t keyword) {
        bool fresh = false;
        Text text;
        for_each_candidate(lists_.every_phrase(keyword), lists_, keyword, 0, [&](const Draw& draw) {
            if (!budget_.spend()) return fresh = true;
            fresh = !draw_tools().refusal(keyword, draw, text) && !history_.made().contains(text);
            return fresh;
        });
        return fresh;
    }

    // Why the run stops at a dead end for `keyword` with `made` headlines made; nothing
    // when taking back an earlier headline may get past it.
    std::optional<Stop> stop_at_dead_end(size_t keyword, size_t made, size_t wanted) {
        if (budget_.spent()) return Stop::Searched;
        if (!no_repeat()) return Stop::NoneAllowed;
        // Over the whole lists: is any headline allowed, and any not made yet?
        bool any = false, fresh = false;
        Text text;
        for_each_candidate(lists_.every_phrase(keyword), lists_, keyword, 0, [&](const Draw& draw) {
            if (!budget_.spend()) return true;
            if (const std::optional<Refusal> refusal = draw_tools().refusal(keyword, draw, text)) {
                tally_.count(*refusal);
                return false;
            }
            any = true;
            fresh = !history_.made().contains(text);
            return fresh;
        });
        if (budget_.spent()) return Stop::Searched;
        if (!any) return Stop::NoneAllowed;
        if (!fresh) {
            if (!capacity_) capacity_ = capacity(lists_, check_, budget_, wanted);
            if (budget_.spent()) return Stop::Searched;
            if (made >= capacity_->most) return Stop::Exhausted;
        }
        if (history_.empty() || take_backs_left_ == 0) return Stop::Stuck;
        return std::nullopt;
    }

    // Few enough candidate headlines per keyword to try every order of them.
    bool small() {
        for (size_t k = 0; k < lists_.keywords(); ++k) {
            if (lists_.every_phrase(k).candidates(0, lists_.punctuation()) > kOrderedCandidates) return false;
        }
        return true;
    }

    // Tries every order of the pools' allowed, new headlines from the present place on,
    // depth first, skipping a place whose state (headlines made, phrases in the pools) was
    // found to lead nowhere or whose phrases' headlines left cannot carry it past the
    // longest run reached, until `wanted` are made, kOrderNodes places are tried or
    // kOrderLooks headlines looked up. Each headline is checked once beforehand. The
    // longest run reached is in best_.
    enum class Orders { made, all_tried, bounded };
    Orders search_every_order(size_t wanted) {
        std::optional<Reach> reach = reach_of_every_phrase();
        if (!reach) return Orders::bounded;
        Reach& left = *reach;
        std::unordered_set<std::uint64_t> dead;
        std::vector<std::vector<Draw>> choices;  // per place from here: what is left to try
        size_t nodes = 0, looks = 0;
        const auto choices_here = [&]() -> std::optional<std::vector<Draw>> {
            const size_t keyword = lists_.keyword_of(history_.size());
            std::vector<Draw> out;
            for_each_candidate(pools_->space(keyword), lists_, keyword, 0, [&](const Draw& draw) {
                pacer_.step();
                if (++looks > kOrderLooks) return true;
                const auto it = left.allowed[keyword].find(draw);
                if (it != left.allowed[keyword].end() && !history_.made().holds(it->second)) out.push_back(draw);
                return false;
            });
            if (looks > kOrderLooks) return std::nullopt;
            // Tried from the back: first the headlines whose scarcest phrase has the fewest
            // headlines left, which later places can least do without.
            const auto scarcity = [&](const Draw& draw) {
                int fewest = INT_MAX;
                for (size_t p = 0; p < lists_.parts(); ++p) fewest = std::min(fewest, left.left[p][draw.phrase[p]]);
                return fewest;
            };
            std::stable_sort(out.begin(), out.end(),
                             [&](const Draw& a, const Draw& b) { return scarcity(a) > scarcity(b); });
            return out;
        };
        const auto back = [&] {
            left.count(history_[history_.size() - 1].hash, +1);
            take_back(false);
        };
        std::optional<std::vector<Draw>> first = choices_here();
        if (!first) return Orders::bounded;
        choices.push_back(std::move(*first));
        while (history_.size() < wanted) {
            if (choices.back().empty()) {
                dead.insert(state());
                choices.pop_back();
                if (choices.empty()) return Orders::all_tried;
                back();
                continue;
            }
            const Draw draw = choices.back().back();
            choices.back().pop_back();
            make(lists_.keyword_of(history_.size()), draw);
            left.count(history_[history_.size() - 1].hash, -1);
            if (++nodes > kOrderNodes) return Orders::bounded;
            if (dead.contains(state()) || reach_from(left) <= best_.size()) {
                back();
                continue;
            }
            std::optional<std::vector<Draw>> next = choices_here();
            if (!next) return Orders::bounded;
            choices.push_back(std::move(*next));
        }
        return Orders::made;
    }

    // Every allowed headline, checked once, and per list and phrase the allowed headlines
    // not made yet that hold it.
    struct Reach {
        std::vector<std::unordered_map<Draw, std::uint64_t, DrawHash>> allowed;  // per keyword: its text's hash
        std::vector<std::vector<int>> left;                                      // per list and phrase
        std::unordered_map<std::uint64_t, std::vector<Draw>> phrases_of;  // per text's hash: the draws that make it
        void count(std::uint64_t hash, int step) {
            for (const Draw& draw : phrases_of[hash]) {
                for (size_t p = 0; p < left.size(); ++p) left[p][draw.phrase[p]] += step;
            }
        }
    };
    std::optional<Reach> reach_of_every_phrase() {
        Reach reach;
        reach.allowed.resize(lists_.keywords());
        reach.left.resize(lists_.parts());
        for (size_t p = 0; p < lists_.parts(); ++p) reach.left[p].assign(lists_.list(p).size(), 0);
        Text text;
        for (size_t k = 0; k < lists_.keywords(); ++k) {
            for_each_candidate(lists_.every_phrase(k), lists_, k, 0, [&](const Draw& draw) {
                if (!budget_.spend()) return true;
                if (draw_tools().refusal(k, draw, text)) return false;
                const std::uint64_t hash = MadeSet::hash(text);
                reach.allowed[k].emplace(draw, hash);
                std::vector<Draw>& draws = reach.phrases_of[hash];
                if (std::find(draws.begin(), draws.end(), draw) != draws.end()) return false;
                draws.push_back(draw);
                for (size_t p = 0; p < lists_.parts(); ++p) ++reach.left[p][draw.phrase[p]];
                return false;
            });
        }
        if (budget_.spent()) return std::nullopt;
        for (size_t i = 0; i < history_.size(); ++i) reach.count(history_[i].hash, -1);
        return reach;
    }

    // How far the run can go from here at most: a phrase comes once in each turn of its
    // list, so past the turns its headlines left can fill, its list's next turn stops short.
    size_t reach_from(const Reach& reach) const {
        size_t most = SIZE_MAX;
        const size_t made = history_.size();
        for (size_t p = 0; p < lists_.parts(); ++p) {
            const std::vector<uint32_t>& standing = pools_->standing(p);
            size_t pooled = 0;
            for (uint32_t phrase : standing) pooled += pools_->holds(p, phrase);
            for (uint32_t phrase : standing) {
                const bool due = pools_->holds(p, phrase);
                const size_t turns = static_cast<size_t>(std::max(reach.left[p][phrase], 0)) + (due ? 0 : 1);
                most = std::min(most, made + pooled - 1 + (turns > 0 ? standing.size() * turns : 0));
            }
        }
        return most;
    }

    // The state of a run without repeats, hashed: the headlines made and the phrases in the pools.
    std::uint64_t state() const {
        std::uint64_t made = 0;
        for (size_t i = 0; i < history_.size(); ++i) made ^= mixed(history_[i].hash);
        std::uint64_t pooled = history_.size();
        for (size_t p = 0; p < lists_.parts(); ++p) {
            for (uint32_t phrase : pools_->standing(p)) {
                if (pools_->holds(p, phrase)) pooled = mixed(pooled + (std::uint64_t{p} << 32 | phrase));
            }
        }
        return made ^ pooled;
    }
    static std::uint64_t mixed(std::uint64_t x) {
        x = (x ^ x >> 30) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ x >> 27) * 0x94D049BB133111EBull;
        return x ^ x >> 31;
    }

    // What refuses the headlines the pools leave for place `place` (up to a bound).
    RefusalTally refusals_left(size_t place) {
        RefusalTally tally;
        if (!check_.may_refuse(lists_.any_loose())) return tally;
        const size_t keyword = lists_.keyword_of(place);
        size_t left = kBlockedChecks;
        Text text;
        for_each_candidate(pools_->space(keyword), lists_, keyword, 0, [&](const Draw& draw) {
            pacer_.step();
            if (const std::optional<Refusal> refusal = draw_tools().refusal(keyword, draw, text)) tally.count(*refusal);
            return --left == 0;
        });
        return tally;
    }

    // Makes the headline: with repeats allowed it goes out at once (its draw composed it in
    // scratch_), otherwise into the history.
    void accept(size_t keyword, const Draw& draw, Headlines& out) {
        if (!no_repeat()) {
            out.text.append(scratch_);
            out.ends.push_back(out.text.size());
            out.prefixes.push_back(prefix_rows_[draw.phrase[0]]);
            return;
        }
        make(keyword, draw);
    }

    void make(size_t keyword, const Draw& draw) {
        lists_.compose(keyword, draw, scratch_);
        history_.push(draw, MadeSet::hash(scratch_), *pools_, lists_.parts());
        // The longest run so far, kept from where it parts from the present one.
        if (history_.size() > best_.size()) {
            best_.resize(history_.size());
            for (size_t i = same_as_best_; i < history_.size(); ++i) best_[i] = history_[i].draw;
            same_as_best_ = history_.size();
        }
    }

    // Takes the last headline back; with `remember`, its choice is not made again from
    // the same point.
    void take_back(bool remember) {
        const Step step = history_.pop(*pools_, lists_.parts());
        const size_t level = history_.size();
        excluded_.erase(excluded_.upper_bound(level), excluded_.end());
        if (remember) excluded_[level].insert(step.draw);
        same_as_best_ = std::min(same_as_best_, level);
    }

    // Headlines from `lowest` on were changed: what was found at the later ones held for
    // what stood before.
    void forget_below(size_t lowest) {
        excluded_.erase(excluded_.upper_bound(lowest), excluded_.end());
        same_as_best_ = std::min(same_as_best_, lowest);
    }

    // Takes every headline back, the longest run reached still kept in `best_`.
    void start_afresh() {
        while (!history_.empty()) take_back(false);
        excluded_.clear();
        take_backs_left_ = kTakeBacks / kStarts;
        repair_failed_at_.reset();
    }

    // Back to the longest run the search reached.
    void restore_best() {
        if (!no_repeat()) return;
        while (history_.size() > same_as_best_) take_back(false);
        for (size_t i = history_.size(); i < best_.size(); ++i) make(lists_.keyword_of(i), best_[i]);
    }

    Shortfall shortfall(Stop stop, size_t made) const {
        Shortfall out;
        out.stop = stop, out.made = made, out.typed = input_.count, out.no_repeat = no_repeat();
        if (ruler_.limited()) out.platform = input_.writer.platform;
        if (stop == Stop::NoneAllowed) out.length_reason = length_rules_out(lists_, lists_.keyword_of(made));
        if (capacity_) {
            out.capacity = capacity_->most;
            out.capacity_words = capacity_->words_refused;
            out.capacity_used = capacity_->used_refused;
        }
        out.tally = &tally_;
        out.blocked = &blocked_;
        out.searched = budget_.used();
        return out;
    }

    const GeneratorInput& input_;
    const std::function<std::uint32_t()>& ticks_;
    Pacer pacer_;
    Ruler ruler_;
    HeadlineMeasure measure_;
    HeadlineCheck check_;
    RefusalTally tally_;  // what refused the phrases alone and the drawn headlines
    SearchBudget budget_;
    RunLists lists_;
    AnyDraws any_;                       // with repeats allowed
    Text scratch_;                       // where headlines are composed to be checked or made
    std::vector<uint32_t> prefix_rows_;  // per prefix phrase: its row in the run's prefix list

    // Without repeats.
    std::optional<Pools> pools_;
    MadeHeadlines history_;
    std::map<size_t, DrawSet> excluded_;  // per headline number: choices not to make again
    std::vector<Draw> best_;              // the longest run reached
    size_t same_as_best_ = 0;             // how many first headlines the present run shares with it
    int take_backs_left_ = kTakeBacks / kStarts;
    std::optional<Capacity> capacity_;
    std::optional<size_t> repair_failed_at_;
    RefusalTally blocked_;  // what refused the headlines left where the run stopped
};

}  // namespace

Headlines build_writer_headlines(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
                                 const std::function<void()>& pump) {
    return WriterRun(input, ticks, pump).run();
}

}  // namespace qinghe
