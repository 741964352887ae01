#pragma once
// The writer's run's view of lengths: a headline's length as a weight that adds up, the
// phrases of a list grouped by the weights they can give, and which of them can still
// complete a headline in a platform's range. Private to the writer's run.
#include <algorithm>
#include <array>
#include <bitset>
#include <climits>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "titles/headline_length.h"
#include "titles/platforms.h"

namespace qinghe::phrase_space {

inline constexpr std::uint32_t kNone = UINT32_MAX;

// A headline's length as a weight that adds up: one per character, or where ASCII counts
// half, two per other character and one per ASCII character (the platform's count is
// half the weight, rounded up). Platforms allow at most 80 characters, a weight of 160.
inline constexpr int kWeightSlots = 256;
inline constexpr int kHugeWeight = 1 << 20;  // heavier is as good as infinite
using Weights = std::bitset<kWeightSlots>;

// The weights a piece can give a headline: one, or for a text whose characters may merge
// with its neighbours', a span.
struct Span {
    int lo = 0, hi = 0;
    Span& operator+=(const Span& other) {
        lo += other.lo, hi += other.hi;
        return *this;
    }
    friend Span operator+(Span a, const Span& b) { return a += b; }
    bool exact() const { return lo == hi; }
};

// Weights and the platform's range in them. Without a limit every weight is 0.
class Ruler {
public:
    explicit Ruler(const Platform* platform) {
        if (!platform || !platform->limited()) return;
        limited_ = true;
        half_ = platform->ascii_counts_half;
        range_ = half_ ? Span{2 * platform->min_length - 1, 2 * platform->max_length}
                       : Span{platform->min_length, platform->max_length};
        range_.lo = std::max(range_.lo, 0);
        range_.hi = std::min(range_.hi, kWeightSlots - 1);
    }
    bool limited() const { return limited_; }
    Span range() const { return range_; }
    int slots() const { return range_.hi + 1; }  // a heavier weight never fits

    Span span(const TextLength& length) const {
        if (!limited_) return {};
        const int weight = std::min(weight_of(length), kHugeWeight);
        if (length.additive) return {weight, weight};
        // Joined to its neighbours, such a text loses at most two clusters at each end (a
        // leading combining mark and an emoji joined across, say) and never gains one.
        return {std::max(0, weight - 4 * (half_ ? 2 : 1)), weight};
    }
    bool fits(const TextLength& length) const {
        const int weight = weight_of(length);
        return !limited_ || (weight >= range_.lo && weight <= range_.hi);
    }

private:
    int weight_of(const TextLength& length) const {
        return half_ ? 2 * length.characters - length.ascii_characters : length.characters;
    }

    bool limited_ = false, half_ = false;
    Span range_;
};

Weights below(int slots);

// The weights w (under `slots`) for which some weight t of `rest` puts w + t in `target`.
Weights fitting(Span target, const Weights& rest, int slots);

// Every sum of a weight of `a` and one of `b`, under `slots`.
Weights sums(const Weights& a, const Weights& b, int slots);

// The phrases of one list open to one keyword, grouped by span: the ones that can still
// complete a headline are found group by group, without scanning the list, and a phrase
// is taken out or put back in constant time.
class Members {
public:
    struct Group {
        Span span;
        std::vector<uint32_t> phrases;
    };

    // Groups in the order their first phrase stands in the list; `open[i]` false for a
    // phrase that is never a member.
    void init(const std::vector<Span>& spans, const std::vector<char>& open) {
        home_.assign(spans.size(), kNone);
        position_.assign(spans.size(), kNone);
        std::map<std::pair<int, int>, uint32_t> index;
        for (size_t i = 0; i < spans.size(); ++i) {
            if (!open[i]) continue;
            const auto [it, fresh] = index.emplace(std::pair{spans[i].lo, spans[i].hi}, groups_.size());
            if (fresh) groups_.push_back({spans[i], {}});
            home_[i] = it->second;
        }
    }
    // The same groups, with no member.
    Members emptied() const {
        Members out;
        out.home_ = home_;
        out.position_.assign(position_.size(), kNone);
        for (const Group& group : groups_) out.groups_.push_back({group.span, {}});
        return out;
    }
    bool open(uint32_t phrase) const { return home_[phrase] != kNone; }
    void add(uint32_t phrase) {
        if (!open(phrase) || position_[phrase] != kNone) return;
        std::vector<uint32_t>& group = groups_[home_[phrase]].phrases;
        position_[phrase] = static_cast<uint32_t>(group.size());
        group.push_back(phrase);
    }
    void remove(uint32_t phrase) {
        if (!open(phrase) || position_[phrase] == kNone) return;
        std::vector<uint32_t>& group = groups_[home_[phrase]].phrases;
        const uint32_t last = group.back();
        group[position_[phrase]] = last;
        position_[last] = position_[phrase];
        group.pop_back();
        position_[phrase] = kNone;
    }
    void clear() {
        for (Group& group : groups_) {
            for (uint32_t phrase : group.phrases) position_[phrase] = kNone;
            group.phrases.clear();
        }
    }
    const std::vector<Group>& groups() const { return groups_; }

    // The weights the members can give, under `slots`.
    Weights values(int slots) const {
        Weights out;
        for (const Group& group : groups_) {
            if (group.phrases.empty()) continue;
            for (int w = group.span.lo; w <= std::min(group.span.hi, slots - 1); ++w) out.set(w);
        }
        return out;
    }

private:
    std::vector<uint32_t> home_;      // per phrase: its group, or kNone
    std::vector<uint32_t> position_;  // per phrase: where it stands in its group, or kNone
    std::vector<Group> groups_;
};

// Some members' groups, each with the running count of phrases to its end, so that the
// phrase at an index is found by halving.
struct Viable {
    std::vector<std::pair<uint32_t, size_t>> groups;

    size_t total() const { return groups.empty() ? 0 : groups.back().second; }
    uint32_t at(const Members& members, size_t index) const {
        const auto it = std::upper_bound(groups.begin(), groups.end(), index,
                                         [](size_t i, const std::pair<uint32_t, size_t>& g) { return i < g.second; });
        const size_t start = it == groups.begin() ? 0 : std::prev(it)->second;
        return members.groups()[it->first].phrases[index - start];
    }
    // The phrase at `index` when each phrase of the i-th group counts `weight[i]` times.
    uint32_t at_weighted(const Members& members, const std::vector<size_t>& weight, size_t index) const {
        for (size_t i = 0; i < groups.size(); ++i) {
            const std::vector<uint32_t>& phrases = members.groups()[groups[i].first].phrases;
            if (index < phrases.size() * weight[i]) return phrases[index / weight[i]];
            index -= phrases.size() * weight[i];
        }
        return members.groups()[groups.back().first].phrases.back();
    }
};

// The members whose span meets `weights`.
Viable select(const Members& members, const Weights& weights, int slots);

// What a headline with one keyword may draw, list by list, and which of those phrases
// can still be completed into a headline whose length fits. The answers are kept until
// the members change.
class Space {
public:
    Space(size_t parts, const Ruler& ruler) : ruler_(&ruler), members_(parts), tails_(parts) {}

    const Members& part(size_t part) const { return members_[part]; }
    Members& change(size_t part) {
        cache_.clear();
        tails_ready_ = false;
        return members_[part];
    }

    // The phrases of list `part` that complete a fitting headline after earlier pieces
    // weighing `before`.
    const Viable& viable(size_t part, Span before) {
        const int slots = ruler_->slots();
        const Span target{std::max(ruler_->range().lo - before.hi, 0), ruler_->range().hi - before.lo};
        const auto [it, fresh] = cache_.try_emplace(key(part, target));
        if (!fresh) return it->second;
        if (target.hi < 0) return it->second;
        if (!tails_ready_) {
            tails_.back() = Weights(1);
            for (size_t p = members_.size() - 1; p-- > 0;) {
                tails_[p] = sums(members_[p + 1].values(slots), tails_[p + 1], slots);
            }
            tails_ready_ = true;
        }
        it->second = select(members_[part], fitting(target, tails_[part], slots), slots);
        return it->second;
    }

    // The members of `part` that stand in some fitting headline of this space, lengths
    // alone counted, after pieces weighing `fixed`.
    Viable standing(size_t part, Span fixed) const {
        const int slots = ruler_->slots();
        Weights others(1);
        for (size_t p = 0; p < members_.size(); ++p) {
            if (p != part) others = sums(others, members_[p].values(slots), slots);
        }
        const Span target{std::max(ruler_->range().lo - fixed.hi, 0), ruler_->range().hi - fixed.lo};
        if (target.hi < 0) return {};
        return select(members_[part], fitting(target, others, slots), slots);
    }

private:
    static std::uint64_t key(size_t part, Span target) {
        return (std::uint64_t{part} << 48) | (std::uint64_t{static_cast<std::uint32_t>(target.lo) & 0xFFFFFFu} << 24) |
               (static_cast<std::uint32_t>(target.hi) & 0xFFFFFFu);
    }

    const Ruler* ruler_;
    std::vector<Members> members_;
    std::vector<Weights> tails_;  // per part: the weights the later parts can add up to
    bool tails_ready_ = false;
    std::unordered_map<std::uint64_t, Viable> cache_;
};

}  // namespace qinghe::phrase_space
