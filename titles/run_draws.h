#pragma once
// How the writer's run draws a headline: phrase by phrase among the phrases that can still
// complete one whose length fits (favouring, without repeats, those whose partners run
// short), every candidate in turn, or alike among every allowed headline. Private to the
// writer's run.
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "titles/phrase_space.h"
#include "titles/refusals.h"
#include "titles/run_budget.h"
#include "titles/run_lists.h"

namespace qinghe {

// What every draw uses.
struct DrawTools {
    const RunLists& lists;
    const HeadlineCheck& check;
    SearchBudget& budget;
    const std::function<std::uint32_t()>& ticks;
    Text& scratch;  // where a draw composes the headline it checks

    // The first check that refuses the headline, composed into `text`.
    std::optional<Refusal> refusal(size_t keyword, const Draw& draw, Text& text) const {
        return lists.refusal(check, keyword, draw, text);
    }
};

// Within a platform's range a uniform draw uses up the short phrases early and leaves the
// long ones, which few partners complete, to the end of their turn, where those partners
// are gone. Each group of a list is weighted by how much rarer fitting partners in the
// other lists are for it than for its list's least constrained group, so that a phrase
// comes sooner as its partners run short. Worked out at the first question.
class Favour {
public:
    Favour(phrase_space::Space& space, phrase_space::Span punctuation) : space_(space), punctuation_(punctuation) {}
    // How many times each phrase of the entry's group counts in a draw from list `part`.
    double weight(size_t part, const phrase_space::Viable::Entry& entry);

private:
    void weigh();

    phrase_space::Space& space_;
    phrase_space::Span punctuation_;
    bool weighed_ = false;
    std::vector<std::array<std::vector<double>, 2>> weights_;  // per list: its shared groups', its own groups'
};

// One phrase per list, each drawn with the generator among the phrases of `space` that can
// still complete a headline whose length fits; with `favour`, weighted by it where the
// generator's values reach every phrase. Nothing when some list has no such phrase.
std::optional<Draw> draw_by_phrase(phrase_space::Space& space, const RunLists& lists, size_t keyword, Favour* favour,
                                   const std::function<std::uint32_t()>& ticks);

// Calls `visit(draw)` with each headline of `space` whose pieces' spans can fit, walking
// the lists in `order` (the other lists' phrases stand in `draw` already, weighing
// `fixed` with the punctuation), the first list's phrases from `start` on, round. Stops
// once `visit` returns true, and says whether it did.
template <class Visit>
bool walk_candidates(phrase_space::Space& space, const RunLists& lists, size_t keyword, std::span<const size_t> order,
                     phrase_space::Span fixed, Draw& draw, size_t start, Visit& visit) {
    if (order.empty()) return visit(static_cast<const Draw&>(draw));
    const size_t part = order.front();
    unsigned rest = 0;
    for (size_t later : order.subspan(1)) rest |= 1u << later;
    const phrase_space::Viable& viable = space.completing(part, fixed, rest);
    const size_t total = viable.total();
    for (size_t i = 0; i < total; ++i) {
        draw.phrase[part] = viable.at((start + i) % total);
        const phrase_space::Span with = fixed + lists.span(keyword, part, draw.phrase[part]);
        if (walk_candidates(space, lists, keyword, order.subspan(1), with, draw, 0, visit)) return true;
    }
    return false;
}

// Every candidate headline of `space` in list order, the first list's phrases from `start` on.
template <class Visit>
bool for_each_candidate(phrase_space::Space& space, const RunLists& lists, size_t keyword, size_t start,
                        Visit&& visit) {
    static constexpr size_t kOrder[] = {Prefix, Link, Suffix};
    Draw draw;
    return walk_candidates(space, lists, keyword, std::span(kOrder, lists.parts()), lists.punctuation(), draw, start,
                           visit);
}

// Every candidate headline of `space` that holds `phrase` of list `part`.
template <class Visit>
bool for_each_candidate_holding(phrase_space::Space& space, const RunLists& lists, size_t keyword, size_t part,
                                uint32_t phrase, Visit&& visit) {
    std::array<size_t, kParts> order{};
    size_t others = 0;
    for (size_t p = 0; p < lists.parts(); ++p) {
        if (p != part) order[others++] = p;
    }
    Draw draw;
    draw.phrase[part] = phrase;
    const phrase_space::Span fixed = lists.punctuation() + lists.span(keyword, part, phrase);
    return walk_candidates(space, lists, keyword, std::span(order.data(), others), fixed, draw, 0, visit);
}

// With repeats allowed: any allowed headline of a keyword. Drawn phrase by phrase, as the
// designed run draws; once such draws keep missing (most headlines refused), drawn alike
// among every allowed headline: from a list of them when the candidates are few enough
// to check all, otherwise by drawing candidates alike until one is allowed.
class AnyDraws {
public:
    explicit AnyDraws(size_t keywords) : even_(keywords) {}
    // Nothing when no headline of the keyword is allowed, or the search budget ran out.
    // The refusals its draws met go to `tally`; the headline drawn is composed in
    // `tools.scratch`.
    std::optional<Draw> next(size_t keyword, phrase_space::Space& space, const DrawTools& tools, RefusalTally& tally);

private:
    struct Even {
        std::uint64_t candidates = 0;  // headlines whose spans fit
        bool listed = false;           // every candidate checked: `allowed` holds every allowed one
        std::vector<Draw> allowed;
    };
    Even start_even(size_t keyword, phrase_space::Space& space, const DrawTools& tools, RefusalTally& tally);

    std::vector<std::optional<Even>> even_;  // per keyword, once its draws went even
    size_t listed_ = 0;                      // allowed headlines listed, all keywords
};

// Without repeats: an allowed headline not made before, from the pools' `space`, none of
// `excluded` (choices that led to dead ends from this place). Nothing when the pools
// give none (within the search budget). The refusals its draws met go to `tally`.
std::optional<Draw> draw_new(phrase_space::Space& space, size_t keyword, const DrawSet* excluded, const MadeSet& made,
                             const DrawTools& tools, RefusalTally& tally);

}  // namespace qinghe
