#include "titles/phrase_space.h"

#include <array>
#include <iterator>
#include <map>

namespace qinghe::phrase_space {
namespace {

std::uint64_t next_version() {
    static std::uint64_t last = 0;
    return ++last;
}

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }
std::uint64_t saturating_product(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > UINT64_MAX / a ? UINT64_MAX : a * b;
}

// Answers are kept by list, set of other lists and the weights the rest may add.
std::uint64_t answer_key(size_t part, unsigned lists, Span target) {
    return (std::uint64_t{part} << 60) | (std::uint64_t{lists} << 52) |
           (std::uint64_t{static_cast<std::uint32_t>(target.lo) & 0xFFFFFFu} << 24) |
           (static_cast<std::uint32_t>(target.hi) & 0xFFFFFFu);
}

}  // namespace

Weights below(int slots) {
    Weights mask;
    mask.set();
    return mask >> (kWeightSlots - slots);
}

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

Weights sums(const Weights& a, const Weights& b, int slots) {
    Weights out;
    for (int i = 0; i < slots; ++i) {
        if (a[i]) out |= b << i;
    }
    return out & below(slots);
}

void Members::init(std::span<const Span> spans, std::span<const char> open, std::vector<uint32_t> ids) {
    home_.assign(spans.size(), kNone);
    position_.assign(spans.size(), kNone);
    groups_.clear();
    ids_ = std::move(ids);
    std::map<std::pair<int, int>, uint32_t> index;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (!open[i]) continue;
        const auto [it, fresh] = index.emplace(std::pair{spans[i].lo, spans[i].hi}, groups_.size());
        if (fresh) groups_.push_back({spans[i], {}});
        home_[i] = it->second;
    }
    version_ = next_version();
}

Members Members::emptied() const {
    Members out;
    out.home_ = home_;
    out.position_.assign(position_.size(), kNone);
    for (const Group& group : groups_) out.groups_.push_back({group.span, {}});
    out.ids_ = ids_;
    out.version_ = next_version();
    return out;
}

void Members::add(uint32_t local) {
    if (!open(local) || position_[local] != kNone) return;
    std::vector<uint32_t>& group = groups_[home_[local]].phrases;
    position_[local] = static_cast<uint32_t>(group.size());
    group.push_back(local);
    version_ = next_version();
}

void Members::remove(uint32_t local) {
    if (!open(local) || position_[local] == kNone) return;
    std::vector<uint32_t>& group = groups_[home_[local]].phrases;
    const uint32_t last = group.back();
    group[position_[local]] = last;
    position_[last] = position_[local];
    group.pop_back();
    position_[local] = kNone;
    version_ = next_version();
}

void Members::clear() {
    for (Group& group : groups_) {
        for (uint32_t local : group.phrases) position_[local] = kNone;
        group.phrases.clear();
    }
    version_ = next_version();
}

Weights Members::values(int slots) const {
    Weights out;
    for (const Group& group : groups_) {
        if (group.phrases.empty()) continue;
        for (int w = group.span.lo; w <= std::min(group.span.hi, slots - 1); ++w) out.set(w);
    }
    return out;
}

Weights ListMembers::values(int slots) const {
    Weights out;
    if (shared) out |= shared->values(slots);
    if (own) out |= own->values(slots);
    return out;
}

uint32_t Viable::at(size_t index) const {
    const auto it = std::upper_bound(groups.begin(), groups.end(), index,
                                     [](size_t i, const Entry& entry) { return i < entry.end; });
    const size_t start = it == groups.begin() ? 0 : std::prev(it)->end;
    return it->members->id(group(*it).phrases[index - start]);
}

uint32_t Viable::at_weighted(const std::vector<size_t>& weight, size_t index) const {
    for (size_t i = 0; i < groups.size(); ++i) {
        const std::vector<uint32_t>& phrases = group(groups[i]).phrases;
        if (index < phrases.size() * weight[i]) return groups[i].members->id(phrases[index / weight[i]]);
        index -= phrases.size() * weight[i];
    }
    return groups.back().members->id(group(groups.back()).phrases.back());
}

Viable select(const ListMembers& list, const Weights& weights, int slots) {
    std::array<int, kWeightSlots + 1> under{};
    for (int i = 0; i < slots; ++i) under[i + 1] = under[i] + weights[i];
    Viable out;
    size_t total = 0;
    for (const Members* members : {list.shared, list.own}) {
        if (!members) continue;
        const std::vector<Members::Group>& groups = members->groups();
        for (size_t g = 0; g < groups.size(); ++g) {
            if (groups[g].phrases.empty()) continue;
            const int lo = groups[g].span.lo, hi = std::min(groups[g].span.hi, slots - 1);
            if (lo > hi || under[hi + 1] == under[lo]) continue;
            total += groups[g].phrases.size();
            out.groups.push_back({members, static_cast<uint32_t>(g), total});
        }
    }
    return out;
}

void Space::refresh() {
    if (seen_.size() != parts_.size()) seen_.assign(parts_.size(), {UINT64_MAX, UINT64_MAX});
    bool changed = false;
    for (size_t p = 0; p < parts_.size(); ++p) {
        const auto versions = parts_[p].versions();
        if (versions != seen_[p]) seen_[p] = versions, changed = true;
    }
    if (changed) viable_.clear(), candidates_.clear(), rest_.clear();
}

const Weights& Space::rest(unsigned lists) {
    const auto [it, fresh] = rest_.try_emplace(lists, Weights(1));
    if (fresh) {
        for (size_t p = 0; p < parts_.size(); ++p) {
            if (lists >> p & 1) it->second = sums(it->second, parts_[p].values(ruler_->slots()), ruler_->slots());
        }
    }
    return it->second;
}

const Viable& Space::completing(size_t part, Span fixed, unsigned lists) {
    refresh();
    const Span target = ruler_->room_after(fixed);
    const auto [it, fresh] = viable_.try_emplace(answer_key(part, lists, target));
    if (!fresh || target.hi < 0) return it->second;
    const int slots = ruler_->slots();
    it->second = select(parts_[part], fitting(target, rest(lists), slots), slots);
    return it->second;
}

std::uint64_t Space::candidates(size_t part, Span before) {
    refresh();
    const std::uint64_t key = answer_key(part, later(part), ruler_->room_after(before));
    if (const auto it = candidates_.find(key); it != candidates_.end()) return it->second;
    const Viable& viable = this->viable(part, before);
    std::uint64_t total = 0;
    for (const Viable::Entry& entry : viable.groups) {
        const Members::Group& group = viable.group(entry);
        const std::uint64_t each = part + 1 == parts_.size() ? 1 : candidates(part + 1, before + group.span);
        total = saturating_add(total, saturating_product(group.phrases.size(), each));
    }
    candidates_[key] = total;
    return total;
}

void Space::candidate_at(std::uint64_t index, Span before, std::span<uint32_t> phrases) {
    for (size_t part = 0; part < parts_.size(); ++part) {
        const Viable& viable = this->viable(part, before);
        for (size_t i = 0; i < viable.groups.size(); ++i) {
            const Members::Group& group = viable.group(viable.groups[i]);
            const std::uint64_t each = part + 1 == parts_.size() ? 1 : candidates(part + 1, before + group.span);
            const std::uint64_t block = saturating_product(group.phrases.size(), each);
            // The last group takes what a saturated count left over.
            if (index >= block && i + 1 < viable.groups.size()) {
                index -= block;
                continue;
            }
            const std::uint64_t step = std::max<std::uint64_t>(each, 1);
            const std::uint64_t local = std::min<std::uint64_t>(index / step, group.phrases.size() - 1);
            phrases[part] = viable.groups[i].members->id(group.phrases[local]);
            index = (index - local * step) % step;
            before += group.span;
            break;
        }
    }
}

}  // namespace qinghe::phrase_space
