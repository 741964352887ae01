#pragma once
// The grey line of a writer's run that made fewer headlines than asked: how many, and why.
// Private to the writer's run.
#include <optional>
#include <string>

#include "titles/generator.h"
#include "titles/refusals.h"
#include "titles/run_lists.h"

namespace qinghe {

// Why a run stopped short.
enum class Stop {
    NoneAllowed,  // no headline for the keyword fits and may stand
    Exhausted,    // without repeats: the lists make no more different headlines
    Stuck,        // without repeats: the rest would need a phrase before its turn
    Blocked,      // without repeats: what the turns leave for the next place was refused (words, used)
    Searched,     // the search budget is spent
};

struct Shortfall {
    Stop stop = Stop::NoneAllowed;
    size_t made = 0;
    int typed = 0;
    bool no_repeat = false;
    const Platform* platform = nullptr;        // one with a limit, or null
    std::optional<std::string> length_reason;  // NoneAllowed: why the lengths alone leave none
    size_t capacity = 0;                       // Exhausted: the most the lists make
    bool capacity_words = false;               // Exhausted: the word check refused some of them
    bool capacity_used = false;                // Exhausted: some of them were used headlines
    const RefusalTally* tally = nullptr;       // what refused the drawn headlines
    const RefusalTally* blocked = nullptr;     // Blocked: what refused the headlines left for the next place
    size_t searched = 0;                       // Searched: headlines the search composed
};

Text shortfall_line(const Shortfall& shortfall);

// When the lengths alone leave no headline for `keyword`, whatever the words: why
// ("前缀太长", "衔接太长", "后缀太长", "标题太短", "没有长度合适的组合").
std::optional<std::string> length_rules_out(const RunLists& lists, size_t keyword);

}  // namespace qinghe
