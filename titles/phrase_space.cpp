#include "titles/phrase_space.h"

namespace qinghe::phrase_space {

Weights below(int slots) {
    Weights mask;
    mask.set();
    return mask >> (kWeightSlots - slots);
}

// The weights w (under `slots`) for which some weight t of `rest` puts w + t in `target`.
Weights fitting(Span target, const Weights& rest, int slots) {
    Weights out;
    std::array<int, kWeightSlots + 1> under{};  // under[i]: weights of `rest` below i
    for (int i = 0; i < slots; ++i) under[i + 1] = under[i] + rest[i];
    for (int w = 0; w < slots; ++w) {
        const int lo = std::max(target.lo - w, 0), hi = std::min(target.hi - w, slots - 1);
        if (lo <= hi && under[hi + 1] > under[lo]) out.set(w);
    }
    return out;
}

// Every sum of a weight of `a` and one of `b`, under `slots`.
Weights sums(const Weights& a, const Weights& b, int slots) {
    Weights out;
    for (int i = 0; i < slots; ++i) {
        if (a[i]) out |= b << i;
    }
    return out & below(slots);
}

// The members whose span meets `weights`.
Viable select(const Members& members, const Weights& weights, int slots) {
    std::array<int, kWeightSlots + 1> under{};
    for (int i = 0; i < slots; ++i) under[i + 1] = under[i] + weights[i];
    Viable out;
    size_t total = 0;
    const std::vector<Members::Group>& groups = members.groups();
    for (size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].phrases.empty()) continue;
        const int lo = groups[g].span.lo, hi = std::min(groups[g].span.hi, slots - 1);
        if (lo > hi || under[hi + 1] == under[lo]) continue;
        total += groups[g].phrases.size();
        out.groups.emplace_back(static_cast<uint32_t>(g), total);
    }
    return out;
}

}  // namespace qinghe::phrase_space
