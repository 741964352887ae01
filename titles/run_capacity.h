#pragma once
// How many different headlines the lists can make at all, headline i taking keyword
// i mod k: what a run without repeats that reached it tells the writer. Private to the
// writer's run.
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "titles/refusals.h"
#include "titles/run_budget.h"
#include "titles/run_lists.h"

namespace qinghe {

// The largest n such that headlines 0 .. n-1 (headline i taking keyword i mod k) can
// each get a different text, at most `cap`: `groups` gives how many texts each set of
// keywords shares (a text with a blank belongs to one keyword, one without to all).
size_t most_headlines(const std::vector<std::pair<std::vector<uint32_t>, size_t>>& groups, size_t keywords, size_t cap);

struct Capacity {
    size_t most = 0;             // at most the cap asked
    bool words_refused = false;  // the word check refused some headline it looked at
    bool used_refused = false;   // some headline it looked at was a used one
};

// How many headlines the lists can make with no text twice and each allowed, at most
// `cap`; nothing when the search budget runs out first. What it refuses is not the drawn
// headlines' tally: the grey line names only words the run met.
std::optional<Capacity> capacity(RunLists& lists, const HeadlineCheck& check, SearchBudget& budget, size_t cap);

}  // namespace qinghe
