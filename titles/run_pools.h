#pragma once
// Without repeats, one pool per list: the phrases of that list not yet drawn in its
// present turn, refilled only when it runs out. Private to the writer's run.
#include <cstdint>
#include <vector>

#include "titles/phrase_space.h"
#include "titles/refusals.h"
#include "titles/run_budget.h"
#include "titles/run_lists.h"

namespace qinghe {

// Per list, in list order: the phrases that stand in some allowed headline of some keyword,
// the ones a pool holds when full. The lengths alone pick the candidates; where a check
// may still refuse headlines whose lengths fit, a phrase stands once an allowed headline
// holding it is found (a phrase none is found for within the bound is left out).
std::vector<std::vector<uint32_t>> standing_phrases(RunLists& lists, const HeadlineCheck& check, Pacer& pacer);

class Pools {
public:
    // What taking a phrase out did, so that it can be undone.
    struct Taken {
        bool refilled = false;           // it emptied the pool, which was refilled
        size_t drawn_before = SIZE_MAX;  // the headline that drew the phrase before
    };

    // Full pools of the `standing` phrases.
    Pools(RunLists& lists, std::vector<std::vector<uint32_t>> standing);
    Pools(const Pools&) = delete;
    Pools& operator=(const Pools&) = delete;

    // The pools' phrases open to `keyword`.
    phrase_space::Space& space(size_t keyword) { return spaces_[keyword]; }
    const std::vector<uint32_t>& standing(size_t part) const { return standing_[part]; }
    bool holds(size_t part, uint32_t phrase) const { return in_pool_[part][phrase]; }
    // The headline that drew the phrase last (SIZE_MAX: none).
    size_t drawn_at(size_t part, uint32_t phrase) const { return drawn_at_[part][phrase]; }

    // Takes `phrase` out of list `part`'s pool for headline `headline`; a pool it empties
    // is refilled.
    Taken take(size_t part, uint32_t phrase, size_t headline);
    // Undoes the last take of `phrase`.
    void put_back(size_t part, uint32_t phrase, const Taken& taken);
    // Headline `headline`, which took `given` (drawn before by `drawn_before`), takes
    // `phrase` from the pool instead and gives `given` back. Returns the headline that
    // drew `phrase` before, which the headline's step keeps from now on.
    size_t exchange(size_t part, size_t headline, uint32_t given, size_t drawn_before, uint32_t phrase);

private:
    void add(size_t part, uint32_t phrase);
    void remove(size_t part, uint32_t phrase);
    void refill(size_t part);

    const RunLists& lists_;
    std::vector<std::vector<uint32_t>> standing_;
    std::vector<std::vector<char>> in_pool_;
    std::vector<std::vector<size_t>> drawn_at_;
    std::vector<size_t> size_;
    std::vector<phrase_space::Members> shared_;            // per list: pooled phrases without a blank
    std::vector<std::vector<phrase_space::Members>> own_;  // per keyword and list: pooled ones with a blank
    std::vector<phrase_space::Space> spaces_;              // per keyword
};

}  // namespace qinghe
