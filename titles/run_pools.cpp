#include "titles/run_pools.h"

#include <utility>

#include "titles/run_draws.h"

namespace qinghe {

using namespace phrase_space;

namespace {

// Headlines the search for an allowed headline of each phrase may compose and check.
constexpr size_t kStandingChecks = 1'000'000;

// Per list and phrase: whether it stands in some headline whose length fits.
std::vector<std::vector<char>> standing_by_length(RunLists& lists, Pacer& pacer) {
    std::vector<std::vector<char>> stands(lists.parts());
    for (size_t p = 0; p < lists.parts(); ++p) {
        stands[p].assign(lists.list(p).size(), 0);
        // The phrases without a blank are grouped alike for every keyword: marked by group.
        const Members& shared = *lists.every_phrase(0).part(p).shared;
        std::vector<char> shared_groups(shared.groups().size());
        for (size_t k = 0; k < lists.keywords(); ++k) {
            pacer.step();
            Space& space = lists.every_phrase(k);
            for (const Viable::Entry& entry : space.completing(p, lists.punctuation(), space.others(p)).groups) {
                if (entry.members == &shared) {
                    shared_groups[entry.group] = 1;
                    continue;
                }
                for (uint32_t local : entry.members->groups()[entry.group].phrases) {
                    stands[p][entry.members->id(local)] = 1;
                }
            }
        }
        for (size_t g = 0; g < shared_groups.size(); ++g) {
            if (!shared_groups[g]) continue;
            for (uint32_t phrase : shared.groups()[g].phrases) stands[p][phrase] = 1;
        }
    }
    return stands;
}

}  // namespace

std::vector<std::vector<uint32_t>> standing_phrases(RunLists& lists, const HeadlineCheck& check, Pacer& pacer) {
    std::vector<std::vector<char>> stands = standing_by_length(lists, pacer);
    if (check.may_refuse(lists.any_loose())) {
        // Each candidate needs an allowed headline; one found stands for all its phrases.
        std::vector<std::vector<char>> found(lists.parts());
        for (size_t p = 0; p < lists.parts(); ++p) found[p].assign(lists.list(p).size(), 0);
        SearchBudget budget(kStandingChecks, pacer);
        Text text;
        for (size_t p = 0; p < lists.parts(); ++p) {
            for (uint32_t phrase = 0; phrase < stands[p].size(); ++phrase) {
                for (size_t k = 0; k < lists.keywords() && stands[p][phrase] && !found[p][phrase]; ++k) {
                    if (budget.spent()) break;
                    if (!lists.list(p).open(k, phrase)) continue;
                    for_each_candidate_holding(lists.every_phrase(k), lists, k, p, phrase, [&](const Draw& draw) {
                        if (!budget.spend()) return true;
                        if (lists.refusal(check, k, draw, text)) return false;
                        for (size_t q = 0; q < lists.parts(); ++q) found[q][draw.phrase[q]] = 1;
                        return true;
                    });
                }
            }
        }
        stands = std::move(found);
    }
    std::vector<std::vector<uint32_t>> standing(lists.parts());
    for (size_t p = 0; p < lists.parts(); ++p) {
        for (uint32_t i = 0; i < stands[p].size(); ++i) {
            if (stands[p][i]) standing[p].push_back(i);
        }
    }
    return standing;
}

Pools::Pools(RunLists& lists, std::vector<std::vector<uint32_t>> standing)
        : lists_(lists), standing_(std::move(standing)) {
    const size_t parts = lists.parts();
    in_pool_.resize(parts);
    drawn_at_.resize(parts);
    size_.assign(parts, 0);
    shared_.reserve(parts);
    for (size_t p = 0; p < parts; ++p) {
        in_pool_[p].assign(lists.list(p).size(), 0);
        drawn_at_[p].assign(lists.list(p).size(), SIZE_MAX);
        shared_.push_back(lists.list(p).shared_members());
    }
    own_.resize(lists.keywords());
    spaces_.reserve(lists.keywords());
    for (size_t k = 0; k < lists.keywords(); ++k) {
        own_[k].reserve(parts);
        std::vector<ListMembers> views;
        for (size_t p = 0; p < parts; ++p) {
            const Members& own = own_[k].emplace_back(lists.list(p).own_members(k));
            views.push_back({&shared_[p], lists.list(p).rows() ? &own : nullptr});
        }
        spaces_.emplace_back(lists.ruler(), std::move(views));
    }
    for (size_t p = 0; p < parts; ++p) refill(p);
}

void Pools::add(size_t part, uint32_t phrase) {
    const PhraseList& list = lists_.list(part);
    if (!list.has_blank(phrase)) return shared_[part].add(phrase);
    for (std::vector<Members>& own : own_) own[part].add(list.row(phrase));
}

void Pools::remove(size_t part, uint32_t phrase) {
    const PhraseList& list = lists_.list(part);
    if (!list.has_blank(phrase)) return shared_[part].remove(phrase);
    for (std::vector<Members>& own : own_) own[part].remove(list.row(phrase));
}

void Pools::refill(size_t part) {
    for (uint32_t phrase : standing_[part]) in_pool_[part][phrase] = 1;
    size_[part] = standing_[part].size();
    for (uint32_t phrase : standing_[part]) add(part, phrase);
}

Pools::Taken Pools::take(size_t part, uint32_t phrase, size_t headline) {
    Taken taken;
    taken.drawn_before = std::exchange(drawn_at_[part][phrase], headline);
    in_pool_[part][phrase] = 0;
    --size_[part];
    remove(part, phrase);
    if (size_[part] == 0) {
        refill(part);
        taken.refilled = true;
    }
    return taken;
}

void Pools::put_back(size_t part, uint32_t phrase, const Taken& taken) {
    if (taken.refilled) {
        for (uint32_t p : standing_[part]) in_pool_[part][p] = 0;
        size_[part] = 0;
        shared_[part].clear();
        if (lists_.list(part).rows()) {
            for (std::vector<Members>& own : own_) own[part].clear();
        }
    }
    in_pool_[part][phrase] = 1;
    ++size_[part];
    add(part, phrase);
    drawn_at_[part][phrase] = taken.drawn_before;
}

size_t Pools::exchange(size_t part, size_t headline, uint32_t given, size_t drawn_before, uint32_t phrase) {
    drawn_at_[part][given] = drawn_before;
    const size_t before = std::exchange(drawn_at_[part][phrase], headline);
    in_pool_[part][phrase] = 0;
    in_pool_[part][given] = 1;
    remove(part, phrase);
    add(part, given);
    return before;
}

}  // namespace qinghe
