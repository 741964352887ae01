#include "titles/run_repair.h"

#include <bit>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "titles/run_draws.h"

namespace qinghe {

using namespace phrase_space;

namespace {

// Headlines a dead end looks at to make by exchanges with earlier headlines.
constexpr size_t kRepairTargets = 64;
constexpr size_t kRepairTargetsPerPhrase = 4;
// Phrases drawn earlier in their turn whose headlines an exchange looks at, per list.
constexpr size_t kStandInChecks = 4'096;

using Slots = std::set<std::pair<size_t, size_t>>;  // earlier headline and list

Draw with(Draw draw, size_t part, uint32_t phrase) {
    draw.phrase[part] = phrase;
    return draw;
}

class Repair {
public:
    explicit Repair(const RepairTools& tools) : t_(tools) {}

    std::optional<Mended> run(size_t keyword) {
        for (size_t part = 0; part < t_.lists.parts(); ++part) {
            if (t_.pools.standing(part).empty()) return std::nullopt;
        }
        const size_t parts = t_.lists.parts();
        // Fewest exchanges first: each set of lists whose phrase comes from those drawn
        // this turn, the others from their pools.
        for (int exchanges = 1; exchanges <= static_cast<int>(parts); ++exchanges) {
            for (unsigned drawn = 1; drawn < (1u << parts); ++drawn) {
                if (std::popcount(drawn) != exchanges) continue;
                std::vector<Members> shared(parts), own(parts);
                std::vector<ListMembers> views(parts);
                for (size_t p = 0; p < parts; ++p) {
                    const ListMembers& every = t_.lists.every_phrase(keyword).part(p);
                    shared[p] = every.shared->emptied();
                    if (every.own) own[p] = every.own->emptied();
                    views[p] = {&shared[p], every.own ? &own[p] : nullptr};
                    const bool from_pool = !(drawn >> p & 1);
                    size_t checks = kStandInChecks;
                    for (uint32_t phrase : t_.pools.standing(p)) {
                        t_.pacer.step();
                        if (t_.pools.holds(p, phrase) != from_pool) continue;
                        // A phrase drawn this turn is worth a target only when its headline
                        // can take a phrase left in the pool instead.
                        if (!from_pool && !can_stand_in(p, phrase, checks)) continue;
                        const PhraseList& list = t_.lists.list(p);
                        if (list.has_blank(phrase)) own[p].add(list.row(phrase));
                        else shared[p].add(phrase);
                    }
                }
                Space mixed(t_.lists.ruler(), std::move(views));
                const size_t total = mixed.viable(0, t_.lists.punctuation()).total();
                if (total == 0) continue;
                std::vector<Draw> targets;
                std::unordered_map<uint32_t, size_t> per_first;
                Text text;
                const DrawTools draws{t_.lists, t_.check, t_.budget, t_.ticks, text};
                for_each_candidate(
                    mixed, t_.lists, keyword, pick_random_index(total, t_.ticks()), [&](const Draw& draw) {
                        if (!t_.budget.spend()) return true;
                        if (draws.refusal(keyword, draw, text)) return false;
                        if (t_.history.made().contains(text) || ++per_first[draw.phrase[0]] > kRepairTargetsPerPhrase) {
                            return false;
                        }
                        targets.push_back(draw);
                        return targets.size() == kRepairTargets;
                    });
                for (const Draw& target : targets) {
                    if (const std::optional<size_t> lowest = free_for(keyword, target)) return Mended{target, *lowest};
                    if (t_.budget.spent()) return std::nullopt;
                }
            }
        }
        return std::nullopt;
    }

private:
    // Whether the headline that drew `phrase` of list `part` this turn can take a phrase
    // left in the pool instead; false once `checks` are used up.
    bool can_stand_in(size_t part, uint32_t phrase, size_t& checks) {
        const size_t level = t_.pools.drawn_at(part, phrase);
        if (level >= t_.history.size() || no_stand_in_.contains({level, part})) return false;
        if (checks == 0) return false;
        --checks;
        if (stand_in_for(level, part)) return true;
        no_stand_in_.insert({level, part});
        return false;
    }

    // Frees the phrases of `target` drawn earlier in their turns by exchanges: the earliest
    // headline changed. Nothing, with the exchanges undone, when one finds no phrase to
    // take its place.
    std::optional<size_t> free_for(size_t keyword, const Draw& target) {
        struct Undo {
            size_t level, part;
            uint32_t phrase;
            std::uint64_t hash;
        };
        std::vector<Undo> undo;
        const auto undo_all = [&]() -> std::optional<size_t> {
            for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
                t_.history.exchange(it->level, it->part, it->phrase, it->hash, t_.pools);
            }
            return std::nullopt;
        };
        Text text;
        for (size_t part = 0; part < t_.lists.parts(); ++part) {
            const uint32_t phrase = target.phrase[part];
            if (t_.pools.holds(part, phrase)) continue;
            const size_t level = t_.pools.drawn_at(part, phrase);
            if (no_stand_in_.contains({level, part})) return undo_all();
            const std::optional<uint32_t> stand_in = stand_in_for(level, part);
            if (!stand_in) {
                // Found with the headlines as they stand, it holds for the other targets.
                if (undo.empty()) no_stand_in_.insert({level, part});
                return undo_all();
            }
            undo.push_back({level, part, phrase, t_.history[level].hash});
            t_.lists.compose(t_.lists.keyword_of(level), with(t_.history[level].draw, part, *stand_in), text);
            t_.history.exchange(level, part, *stand_in, MadeSet::hash(text), t_.pools);
        }
        t_.lists.compose(keyword, target, text);
        if (t_.history.made().contains(text)) return undo_all();
        size_t lowest = t_.history.size();
        for (const Undo& u : undo) lowest = std::min(lowest, u.level);
        return lowest;
    }

    // A phrase left in list `part`'s pool that can take that list's place in headline
    // `level`, which stays allowed and new.
    std::optional<uint32_t> stand_in_for(size_t level, size_t part) {
        const size_t keyword = t_.lists.keyword_of(level);
        const Draw& draw = t_.history[level].draw;
        Span rest = t_.lists.punctuation();
        for (size_t p = 0; p < t_.lists.parts(); ++p) {
            if (p != part) rest += t_.lists.span(keyword, p, draw.phrase[p]);
        }
        const Span range = t_.lists.ruler().range();
        const ListMembers& pool = t_.pools.space(keyword).part(part);
        Text text;
        const DrawTools draws{t_.lists, t_.check, t_.budget, t_.ticks, text};
        for (const Members* members : {pool.shared, pool.own}) {
            if (!members) continue;
            for (const Members::Group& group : members->groups()) {
                const Span total = rest + group.span;
                if (group.phrases.empty() || total.lo > range.hi || total.hi < range.lo) continue;
                for (uint32_t local : group.phrases) {
                    if (!t_.budget.spend()) return std::nullopt;
                    const uint32_t phrase = members->id(local);
                    if (draws.refusal(keyword, with(draw, part, phrase), text)) continue;
                    if (!t_.history.made().contains(text)) return phrase;
                }
            }
        }
        return std::nullopt;
    }

    const RepairTools& t_;
    Slots no_stand_in_;
};

}  // namespace

std::optional<Mended> mend_by_exchanges(size_t keyword, const RepairTools& tools) { return Repair(tools).run(keyword); }

}  // namespace qinghe
