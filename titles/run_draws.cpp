#include "titles/run_draws.h"

#include <algorithm>
#include <cmath>

namespace qinghe {

using namespace phrase_space;

namespace {

// Random draws of a headline that may come out not allowed (made before, refused, or, with
// characters that merge across a join, out of range) before the candidates are walked.
constexpr int kRandomTries = 16;
// Allowed headlines a walk gathers from the pools before one of them is drawn.
constexpr size_t kGathered = 16;
// Once a keyword's draws keep missing: candidates checked and listed when there are no
// more than this many (and all keywords' lists stay within kListedTotal allowed headlines);
// more are drawn alike until one is allowed.
constexpr std::uint64_t kListedCandidates = std::uint64_t{1} << 20;
constexpr size_t kListedTotal = size_t{1} << 22;
// A favoured draw weighs a phrase by (p / q)^kWeightPower, at most kMaxWeight, when its
// list's least constrained phrase has p fitting partners and it q.
constexpr double kWeightPower = 1.5;
constexpr double kMaxWeight = 1e6;

}  // namespace

void Favour::weigh() {
    const Ruler& ruler = space_.ruler();
    const int slots = ruler.slots();
    const Span range = ruler.range();
    const size_t parts = space_.parts();
    const auto each_group = [&](size_t part, auto&& with) {
        const Members* members[] = {space_.part(part).shared, space_.part(part).own};
        for (size_t side = 0; side < 2; ++side) {
            if (!members[side]) continue;
            const std::vector<Members::Group>& groups = members[side]->groups();
            for (size_t g = 0; g < groups.size(); ++g) with(side, g, groups[g]);
        }
    };
    // Per list: how many phrases weigh each weight (a loose one at its least).
    std::vector<std::vector<std::pair<int, double>>> counts(parts);
    for (size_t p = 0; p < parts; ++p) {
        each_group(p, [&](size_t, size_t, const Members::Group& group) {
            if (!group.phrases.empty() && group.span.lo < slots) {
                counts[p].emplace_back(group.span.lo, static_cast<double>(group.phrases.size()));
            }
        });
    }
    weights_.assign(parts, {});
    std::vector<double> others(slots), next(slots);
    for (size_t p = 0; p < parts; ++p) {
        // The other lists' combinations by their weight.
        std::fill(others.begin(), others.end(), 0.0);
        others[0] = 1;
        for (size_t q = 0; q < parts; ++q) {
            if (q == p) continue;
            std::fill(next.begin(), next.end(), 0.0);
            for (int a = 0; a < slots; ++a) {
                if (others[a] == 0) continue;
                for (const auto& [b, count] : counts[q]) {
                    if (a + b < slots) next[a + b] += others[a] * count;
                }
            }
            std::swap(others, next);
        }
        for (int t = 1; t < slots; ++t) others[t] += others[t - 1];  // now: up to t
        const auto up_to = [&](int t) { return t < 0 ? 0.0 : others[std::min(t, slots - 1)]; };
        std::array<std::vector<double>, 2> partners;
        double most = 0;
        each_group(p, [&](size_t side, size_t g, const Members::Group& group) {
            partners[side].resize(g + 1);
            if (group.phrases.empty()) return;
            const Span total = group.span + punctuation_;
            partners[side][g] = up_to(range.hi - total.lo) - up_to(range.lo - total.hi - 1);
            most = std::max(most, partners[side][g]);
        });
        for (size_t side = 0; side < 2; ++side) {
            std::vector<double>& weight = weights_[p][side];
            weight.assign(partners[side].size(), 1);
            for (size_t g = 0; g < weight.size(); ++g) {
                if (partners[side][g] > 0)
                    weight[g] = std::min(std::pow(most / partners[side][g], kWeightPower), kMaxWeight);
            }
        }
    }
    weighed_ = true;
}

double Favour::weight(size_t part, const Viable::Entry& entry) {
    if (!weighed_) weigh();
    return weights_[part][entry.members == space_.part(part).shared ? 0 : 1][entry.group];
}

std::optional<Draw> draw_by_phrase(Space& space, const RunLists& lists, size_t keyword, Favour* favour,
                                   const std::function<std::uint32_t()>& ticks) {
    Draw draw;
    Span before = lists.punctuation();
    std::vector<size_t> weight;
    for (size_t p = 0; p < lists.parts(); ++p) {
        const Viable& viable = space.viable(p, before);
        if (viable.total() == 0) return std::nullopt;
        const std::uint32_t tick = ticks();
        if (favour && viable.total() < kDrawValues) {
            // Each group's extra weight is scaled down so that all fit in the values the
            // generator draws.
            double extra = 0;
            for (const Viable::Entry& entry : viable.groups) {
                extra += (favour->weight(p, entry) - 1) * static_cast<double>(viable.group(entry).phrases.size());
            }
            const double scale = extra > 0 ? std::min(1.0, (kDrawValues - viable.total()) / extra) : 0;
            size_t sum = 0;
            for (const Viable::Entry& entry : viable.groups) {
                weight.push_back(1 + static_cast<size_t>((favour->weight(p, entry) - 1) * scale));
                sum += weight.back() * viable.group(entry).phrases.size();
            }
            draw.phrase[p] = viable.at_weighted(weight, pick_random_index(sum, tick));
            weight.clear();
        } else {
            draw.phrase[p] = viable.at(pick_random_index(viable.total(), tick));
        }
        before += lists.span(keyword, p, draw.phrase[p]);
    }
    return draw;
}

std::optional<Draw> AnyDraws::next(size_t keyword, Space& space, const DrawTools& tools, RefusalTally& tally) {
    Text& text = tools.scratch;
    if (!even_[keyword]) {
        for (int attempt = 0; attempt < kRandomTries; ++attempt) {
            const std::optional<Draw> draw = draw_by_phrase(space, tools.lists, keyword, nullptr, tools.ticks);
            if (!draw) return std::nullopt;
            const std::optional<Refusal> refusal = tools.refusal(keyword, *draw, text);
            if (!refusal) return draw;
            tally.count(*refusal);
        }
        even_[keyword] = start_even(keyword, space, tools, tally);
    }
    const Even& even = *even_[keyword];
    if (even.listed) {
        if (even.allowed.empty()) return std::nullopt;
        const Draw& draw = even.allowed[pick_wide_random_index(even.allowed.size(), tools.ticks)];
        tools.lists.compose(keyword, draw, text);
        return draw;
    }
    while (tools.budget.spend()) {
        Draw draw;
        space.candidate_at(pick_wide_random_index(even.candidates, tools.ticks), tools.lists.punctuation(),
                           std::span(draw.phrase, tools.lists.parts()));
        const std::optional<Refusal> refusal = tools.refusal(keyword, draw, text);
        if (!refusal) return draw;
        tally.count(*refusal);
    }
    return std::nullopt;
}

AnyDraws::Even AnyDraws::start_even(size_t keyword, Space& space, const DrawTools& tools, RefusalTally& tally) {
    Even even;
    even.candidates = space.candidates(0, tools.lists.punctuation());
    if (even.candidates > kListedCandidates || listed_ + even.candidates > kListedTotal) return even;
    even.listed = true;
    Text text;
    for_each_candidate(space, tools.lists, keyword, 0, [&](const Draw& draw) {
        if (!tools.budget.spend()) return true;
        const std::optional<Refusal> refusal = tools.refusal(keyword, draw, text);
        if (refusal) return tally.count(*refusal), false;
        even.allowed.push_back(draw);
        return false;
    });
    listed_ += even.allowed.size();
    return even;
}

std::optional<Draw> draw_new(Space& space, size_t keyword, const DrawSet* excluded, const MadeSet& made,
                             const DrawTools& tools, RefusalTally& tally) {
    DrawSet missed;  // not allowed here; kept only for this draw
    const auto is_excluded = [&](const Draw& draw) {
        return missed.contains(draw) || (excluded && excluded->contains(draw));
    };
    const RunLists& lists = tools.lists;
    std::optional<Favour> favour;
    if (lists.ruler().limited()) favour.emplace(space, lists.punctuation());
    Text& text = tools.scratch;
    for (int attempt = 0; attempt < kRandomTries; ++attempt) {
        const std::optional<Draw> draw =
            draw_by_phrase(space, lists, keyword, favour ? &*favour : nullptr, tools.ticks);
        if (!draw) return std::nullopt;
        if (is_excluded(*draw)) continue;
        const std::optional<Refusal> refusal = tools.refusal(keyword, *draw, text);
        if (refusal) tally.count(*refusal);
        else if (!made.contains(text)) return draw;
        missed.insert(*draw);
    }
    const size_t total = space.viable(0, lists.punctuation()).total();
    const size_t start = pick_random_index(total, tools.ticks());
    std::vector<Draw> found;
    for_each_candidate(space, lists, keyword, start, [&](const Draw& draw) {
        if (!tools.budget.spend()) return true;
        const std::optional<Refusal> refusal = tools.refusal(keyword, draw, text);
        if (refusal) return tally.count(*refusal), false;
        if (is_excluded(draw) || made.contains(text)) return false;
        found.push_back(draw);
        return found.size() == kGathered;
    });
    if (found.empty()) return std::nullopt;
    return found[pick_random_index(found.size(), tools.ticks())];
}

}  // namespace qinghe
