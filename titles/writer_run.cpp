#include "titles/writer_run.h"

#include <algorithm>
#include <map>
#include <optional>
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
    }

    Headlines run() {
        const size_t typed = static_cast<size_t>(input_.count);
        const size_t wanted = typed + typed % 2;
        Headlines out;
        out.ends.reserve(wanted);
        if (no_repeat()) history_.reserve(wanted);
        std::optional<Stop> stop = search(wanted, out);
        // A search stuck near the end of a turn often gets through from a fresh start with
        // other draws; the longest run any start reached is kept.
        for (int start = 1; start < kStarts && stop == Stop::Stuck && take_backs_left_ == 0; ++start) {
            start_afresh();
            stop = search(wanted, out);
        }
        if (stop == Stop::Stuck || stop == Stop::Searched) restore_best();
        // A search that ran out at the most the lists can make says so.
        if (stop == Stop::Stuck && capacity_ && made(out) == capacity_->most) stop = Stop::Exhausted;
        if (no_repeat()) {
            out.text.reserve(wanted * 48);
            Text text;
            for (size_t i = 0; i < history_.size(); ++i) {
                lists_.compose(lists_.keyword_of(i), history_[i].draw, text);
                out.text.append(text);
                out.ends.push_back(out.text.size());
            }
        }
        if (made(out) < typed) out.shortfall = shortfall_line(shortfall(*stop, made(out)));
        return out;
    }

private:
    bool no_repeat() const { return input_.writer.no_repeat; }
    size_t made(const Headlines& out) const { return no_repeat() ? history_.size() : out.ends.size(); }
    DrawTools draw_tools() { return {lists_, check_, budget_, ticks_}; }

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
                const RepairTools tools{lists_, *pools_, history_, check_, budget_, pacer_, ticks_, &tally_};
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
            if (!capacity_) capacity_ = capacity(lists_, check_, budget_, wanted, &tally_);
            if (budget_.spent()) return Stop::Searched;
            if (made >= capacity_->most) return Stop::Exhausted;
        }
        if (history_.empty() || take_backs_left_ == 0) return Stop::Stuck;
        return std::nullopt;
    }

    // Makes the headline: with repeats allowed it goes out at once, otherwise into the history.
    void accept(size_t keyword, const Draw& draw, Headlines& out) {
        if (!no_repeat()) {
            Text text;
            lists_.compose(keyword, draw, text);
            out.text.append(text);
            out.ends.push_back(out.text.size());
            return;
        }
        make(keyword, draw);
    }

    void make(size_t keyword, const Draw& draw) {
        Text text;
        lists_.compose(keyword, draw, text);
        history_.push(draw, MadeSet::hash(text), *pools_, lists_.parts());
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
        if (capacity_) out.capacity = capacity_->most, out.capacity_words = capacity_->words_refused;
        out.tally = &tally_;
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
    AnyDraws any_;  // with repeats allowed

    // Without repeats.
    std::optional<Pools> pools_;
    History history_;
    std::map<size_t, DrawSet> excluded_;  // per headline number: choices not to make again
    std::vector<Draw> best_;              // the longest run reached
    size_t same_as_best_ = 0;             // how many first headlines the present run shares with it
    int take_backs_left_ = kTakeBacks / kStarts;
    std::optional<Capacity> capacity_;
    std::optional<size_t> repair_failed_at_;
};

}  // namespace

Headlines build_writer_headlines(const GeneratorInput& input, const std::function<std::uint32_t()>& ticks,
                                 const std::function<void()>& pump) {
    return WriterRun(input, ticks, pump).run();
}

}  // namespace qinghe
