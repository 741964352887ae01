#pragma once
// The headlines a run without repeats has made so far, in order, each with what taking
// its phrases out of their pools did, so that any of them can be taken back or changed.
// Private to the writer's run.
#include <vector>

#include "titles/run_lists.h"
#include "titles/run_pools.h"

namespace qinghe {

struct Step {
    Draw draw;
    std::uint64_t hash = 0;  // of its text
    Pools::Taken taken[kParts] = {};
};

class MadeHeadlines {
public:
    size_t size() const { return steps_.size(); }
    bool empty() const { return steps_.empty(); }
    const Step& operator[](size_t level) const { return steps_[level]; }
    const MadeSet& made() const { return made_; }
    void reserve(size_t count) { steps_.reserve(count), made_.reserve(count); }

    // Adds a headline whose text hashes to `hash`: its phrases leave their pools.
    void push(const Draw& draw, std::uint64_t hash, Pools& pools, size_t parts) {
        Step step{draw, hash};
        made_.insert(hash);
        for (size_t p = 0; p < parts; ++p) step.taken[p] = pools.take(p, draw.phrase[p], steps_.size());
        steps_.push_back(step);
    }
    // Takes the last headline back, its phrases back into their pools; returns it.
    Step pop(Pools& pools, size_t parts) {
        const Step step = steps_.back();
        steps_.pop_back();
        for (size_t p = parts; p-- > 0;) pools.put_back(p, step.draw.phrase[p], step.taken[p]);
        made_.erase(step.hash);
        return step;
    }
    // Headline `level` takes `phrase` of list `part` from the pool in the place of its own,
    // which goes back; `hash` is the hash of the headline so changed. Both phrases belong
    // to the same turn of that list, so the rule still holds.
    void exchange(size_t level, size_t part, uint32_t phrase, std::uint64_t hash, Pools& pools) {
        Step& step = steps_[level];
        step.taken[part].drawn_before =
            pools.exchange(part, level, step.draw.phrase[part], step.taken[part].drawn_before, phrase);
        made_.erase(step.hash);
        made_.insert(hash);
        step.draw.phrase[part] = phrase;
        step.hash = hash;
    }

private:
    std::vector<Step> steps_;
    MadeSet made_;
};

}  // namespace qinghe
