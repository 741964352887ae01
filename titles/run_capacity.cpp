#include "titles/run_capacity.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "titles/run_draws.h"

namespace qinghe {

using phrase_space::kNone;

size_t most_headlines(const std::vector<std::pair<std::vector<uint32_t>, size_t>>& groups, size_t keywords,
                      size_t cap) {
    const size_t count = groups.size();
    std::vector<std::vector<uint32_t>> groups_of(keywords);
    std::vector<size_t> left(count);
    for (size_t g = 0; g < count; ++g) {
        left[g] = groups[g].second;
        for (uint32_t k : groups[g].first) groups_of[k].push_back(static_cast<uint32_t>(g));
    }
    // flow[k * count + g]: headlines of keyword k given texts of group g.
    std::vector<size_t> flow(keywords * count);
    std::vector<std::pair<uint32_t, uint32_t>> from(keywords);
    std::vector<char> seen(keywords);
    std::vector<uint32_t> queue;
    for (size_t n = 0; n < cap; ++n) {
        // One more headline for keyword n mod k: a path of keywords that pass a text on,
        // ending at a group with a text left.
        const auto start = static_cast<uint32_t>(n % keywords);
        std::fill(seen.begin(), seen.end(), 0);
        queue.assign(1, start);
        seen[start] = 1;
        uint32_t end_keyword = kNone, end_group = kNone;
        for (size_t q = 0; q < queue.size() && end_keyword == kNone; ++q) {
            const uint32_t k = queue[q];
            for (uint32_t g : groups_of[k]) {
                if (left[g] > 0) {
                    end_keyword = k, end_group = g;
                    break;
                }
            }
            if (end_keyword != kNone) break;
            for (uint32_t g : groups_of[k]) {
                for (uint32_t other = 0; other < keywords; ++other) {
                    if (seen[other] || flow[other * count + g] == 0) continue;
                    seen[other] = 1;
                    from[other] = {k, g};
                    queue.push_back(other);
                }
            }
        }
        if (end_keyword == kNone) return n;
        --left[end_group];
        ++flow[end_keyword * count + end_group];
        for (uint32_t k = end_keyword; k != start;) {
            const auto [previous, g] = from[k];
            --flow[k * count + g];
            ++flow[previous * count + g];
            k = previous;
        }
    }
    return cap;
}

std::optional<Capacity> capacity(RunLists& lists, const HeadlineCheck& check, SearchBudget& budget, size_t cap) {
    Capacity out;
    std::unordered_map<Text, std::vector<uint32_t>> keywords_of;
    Text text;
    for (uint32_t k = 0; k < lists.keywords(); ++k) {
        size_t texts = 0;
        for_each_candidate(lists.every_phrase(k), lists, k, 0, [&](const Draw& draw) {
            if (!budget.spend()) return true;
            if (const std::optional<Refusal> refusal = lists.refusal(check, k, draw, text)) {
                out.words_refused = out.words_refused || refusal->kind == RefusalKind::risk_word;
                out.used_refused = out.used_refused || refusal->kind == RefusalKind::used;
                return false;
            }
            std::vector<uint32_t>& of = keywords_of[text];
            if (of.empty() || of.back() != k) of.push_back(k), ++texts;
            return texts == cap;
        });
        if (budget.spent()) return std::nullopt;
    }
    std::map<std::vector<uint32_t>, size_t> shared;
    for (const auto& [text, of] : keywords_of) ++shared[of];
    out.most = most_headlines({shared.begin(), shared.end()}, lists.keywords(), cap);
    return out;
}

}  // namespace qinghe
