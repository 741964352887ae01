#pragma once
// The writer's run's view of lengths: a headline's length as a weight that adds up, the
// phrases of a list grouped by the weights they can give, and which of them can still
// complete a headline in a platform's range. Private to the writer's run.
#include <algorithm>
#include <bitset>
#include <climits>
#include <cstdint>
#include <span>
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
    // The weights the rest of a headline may add after pieces weighing `fixed`.
    Span room_after(Span fixed) const { return {std::max(range_.lo - fixed.hi, 0), range_.hi - fixed.lo}; }

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

// Some phrases of one list, grouped by span: the ones that can still complete a headline
// are found group by group, without scanning the list, and a phrase is taken out or put
// back in constant time. Phrases are numbered locally from 0; `id` gives a phrase's
// number in its list.
class Members {
public:
    struct Group {
        Span span;
        std::vector<uint32_t> phrases;  // local numbers
    };

    // Local phrase i has `spans[i]`, and is never a member where `open[i]` is false.
    // `ids[i]` is its number in the list; without `ids` the two numbers are the same.
    // Groups stand in the order of their first open phrase; none is a member yet.
    void init(std::span<const Span> spans, std::span<const char> open, std::vector<uint32_t> ids = {});
    // The same groups, with no member.
    Members emptied() const;

    bool open(uint32_t local) const { return home_[local] != kNone; }
    void add(uint32_t local);
    void remove(uint32_t local);
    void clear();

    uint32_t id(uint32_t local) const { return ids_.empty() ? local : ids_[local]; }
    const std::vector<Group>& groups() const { return groups_; }
    // Changes with every change of the members, and differs between any two objects.
    std::uint64_t version() const { return version_; }
    // The weights the members can give, under `slots`.
    Weights values(int slots) const;

private:
    std::vector<uint32_t> home_;      // per phrase: its group, or kNone
    std::vector<uint32_t> position_;  // per phrase: where it stands in its group, or kNone
    std::vector<Group> groups_;
    std::vector<uint32_t> ids_;
    std::uint64_t version_ = 0;
};

// One list's members open to one keyword: those without a blank, the same for every
// keyword (so kept once), and those with a blank, the keyword's own (either may be null).
struct ListMembers {
    const Members* shared = nullptr;
    const Members* own = nullptr;

    Weights values(int slots) const;
    std::pair<std::uint64_t, std::uint64_t> versions() const {
        return {shared ? shared->version() : 0, own ? own->version() : 0};
    }
};

// Some groups of a list's members, in order, each with the running count of phrases to
// its end, so that the phrase at an index is found by halving.
struct Viable {
    struct Entry {
        const Members* members;
        uint32_t group;
        size_t end;
    };
    std::vector<Entry> groups;

    size_t total() const { return groups.empty() ? 0 : groups.back().end; }
    const Members::Group& group(const Entry& entry) const { return entry.members->groups()[entry.group]; }
    // The phrase (its number in the list) at `index`.
    uint32_t at(size_t index) const;
    // The phrase at `index` when each phrase of the i-th group counts `weight[i]` times.
    uint32_t at_weighted(const std::vector<size_t>& weight, size_t index) const;
};

// The members of `list` whose span meets `weights`.
Viable select(const ListMembers& list, const Weights& weights, int slots);

// What a headline with one keyword may draw, list by list, and which of those phrases
// can complete a headline whose length fits. The answers are kept until the members change.
class Space {
public:
    Space(const Ruler& ruler, std::vector<ListMembers> parts) : ruler_(&ruler), parts_(std::move(parts)) {}

    const Ruler& ruler() const { return *ruler_; }
    size_t parts() const { return parts_.size(); }
    const ListMembers& part(size_t part) const { return parts_[part]; }
    // The lists after `part`, a bit each.
    unsigned later(size_t part) const { return ((1u << parts_.size()) - 1) & ~((2u << part) - 1); }
    // Every list but `part`.
    unsigned others(size_t part) const { return ((1u << parts_.size()) - 1) & ~(1u << part); }

    // The phrases of list `part` that, beside pieces weighing `fixed` and one phrase of each
    // list in `lists` (a bit each), make a headline whose length fits.
    const Viable& completing(size_t part, Span fixed, unsigned lists);
    // After earlier pieces weighing `before`, with one phrase of each later list.
    const Viable& viable(size_t part, Span before) { return completing(part, before, later(part)); }

    // How many headlines `viable` leads to from list `part` on, after pieces weighing
    // `before` (at most UINT64_MAX).
    std::uint64_t candidates(size_t part, Span before);
    // The candidate headline at `index` (below candidates(0, before)), in the order that
    // walking `viable` list by list meets them: its phrases, one per list.
    void candidate_at(std::uint64_t index, Span before, std::span<uint32_t> phrases);

private:
    // Forgets the answers when some members changed.
    void refresh();
    const Weights& rest(unsigned lists);

    const Ruler* ruler_;
    std::vector<ListMembers> parts_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> seen_;  // per part: the versions the answers hold for
    std::unordered_map<std::uint64_t, Viable> viable_;
    std::unordered_map<std::uint64_t, std::uint64_t> candidates_;
    std::unordered_map<unsigned, Weights> rest_;  // per set of lists: the weights they add up to
};

}  // namespace qinghe::phrase_space
