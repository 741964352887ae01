#pragma once
// Without repeats, a dead end mended by exchanges: a headline for the present place whose
// phrases were drawn earlier in their lists' present turns can still be made when each of
// those earlier headlines takes in its stead a phrase left in the pool. Long phrases,
// which fewer combinations take, tend to be left to the end of a turn while the short
// ones they need are used up; this hands them back. Private to the writer's run.
#include <functional>
#include <optional>

#include "titles/refusals.h"
#include "titles/run_budget.h"
#include "titles/run_history.h"
#include "titles/run_lists.h"
#include "titles/run_pools.h"

namespace qinghe {

struct RepairTools {
    RunLists& lists;
    Pools& pools;
    MadeHeadlines& history;
    const HeadlineCheck& check;
    SearchBudget& budget;
    Pacer& pacer;
    const std::function<std::uint32_t()>& ticks;
};

struct Mended {
    Draw draw;      // the headline now free to be made at the present place
    size_t lowest;  // the earliest headline an exchange changed
};

// Makes the exchanges in earlier headlines that free a new, allowed headline for the
// present place (keyword `keyword`), fewest exchanges first, and returns that headline;
// nothing, with every exchange undone, when none is found within the bounds.
std::optional<Mended> mend_by_exchanges(size_t keyword, const RepairTools& tools);

}  // namespace qinghe
