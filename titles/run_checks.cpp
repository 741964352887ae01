#include "titles/run_checks.h"

#include <algorithm>
#include <map>

#include "text/codec.h"

namespace qinghe {
namespace {

constexpr const char* kRiskModes[] = {"关闭", "仅标注", "标注并避开"};

Text joined(std::span<const Text> words, TextView separator) {
    Text out;
    for (const Text& word : words) {
        if (!out.empty()) out.append(separator);
        out.append(word);
    }
    return out;
}

}  // namespace

std::span<const char* const> risk_mode_names() { return kRiskModes; }

RiskMode risk_mode_of(TextView choice) {
    if (choice == from_utf8(kRiskModes[1])) return RiskMode::mark;
    if (choice == from_utf8(kRiskModes[2])) return RiskMode::avoid;
    return RiskMode::off;
}

std::shared_ptr<const RiskChecker> risk_checker_for(std::span<const Text> risk_words,
                                                    std::span<const Text> allowed_words) {
    struct Kept {
        std::vector<Text> risk_words, allowed_words;
        std::shared_ptr<const RiskChecker> checker;
    };
    static Kept kept;
    const auto same = [](const std::vector<Text>& a, std::span<const Text> b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    };
    if (!kept.checker || !same(kept.risk_words, risk_words) || !same(kept.allowed_words, allowed_words)) {
        kept.checker = std::make_shared<const RiskChecker>(risk_words, allowed_words);
        kept.risk_words.assign(risk_words.begin(), risk_words.end());
        kept.allowed_words.assign(allowed_words.begin(), allowed_words.end());
    }
    return kept.checker;
}

Text risk_tooltip(const RiskEntry& entry) {
    Text tip = risk_level_name(entry.level) + from_utf8(" · ") + entry.category;
    if (!entry.platforms.empty()) tip += from_utf8("（") + joined(entry.platforms, from_utf8("、")) + from_utf8("）");
    if (!entry.basis.empty()) tip += from_utf8("\r\n依据：") + entry.basis;
    tip += entry.suggestions.empty() ? from_utf8("\r\n建议改写或删去")
                                     : from_utf8("\r\n可改为：") + joined(entry.suggestions, from_utf8("、"));
    return tip;
}

RunMarks mark_run(const RiskChecker& checker, TextView text, std::span<const size_t> ends, const Platform* platform) {
    const RunHits run = checker.check_run(text, ends, platform);
    RunMarks out;
    out.first.reserve(ends.size() + 1);
    // One tooltip an entry, however often it is hit; a stretch where hits overlap gets
    // both entries' tooltips and the colour of the higher level.
    const std::span<const RiskEntry> entries = checker.entries();
    constexpr size_t kNone = ~size_t{0};
    std::vector<size_t> tooltip_of(entries.size(), kNone);
    std::map<std::pair<size_t, size_t>, size_t> combined;
    const auto tooltip = [&](const RiskEntry* entry) {
        size_t& at = tooltip_of[static_cast<size_t>(entry - entries.data())];
        if (at == kNone) {
            at = out.tooltips.size();
            out.tooltips.push_back(risk_tooltip(*entry));
        }
        return at;
    };
    std::vector<size_t> tips;  // per mark: its tooltip
    tips.reserve(run.hits.size());
    out.marks.reserve(run.hits.size());
    for (size_t headline = 0; headline < run.headlines(); ++headline) {
        out.first.push_back(out.marks.size());
        for (const RiskHit& hit : run.of(headline)) {
            const bool high = hit.entry->level == RiskLevel::high;
            ++(high ? out.high : out.hints);
            const Colour colour = high ? kHighRiskColour : kRiskHintColour;
            const size_t tip = tooltip(hit.entry);
            LineMark* last = out.marks.size() > out.first.back() ? &out.marks.back() : nullptr;
            if (last && hit.begin < last->end) {
                last->end = std::max(last->end, hit.end);
                if (high) last->colour = kHighRiskColour;
                const auto key = std::make_pair(tips.back(), tip);
                const auto [at, added] = combined.try_emplace(key, out.tooltips.size());
                if (added) out.tooltips.push_back(out.tooltips[key.first] + "\r\n\r\n" + out.tooltips[key.second]);
                tips.back() = at->second;
                continue;
            }
            out.marks.push_back({hit.begin, hit.end, colour, {}});
            tips.push_back(tip);
        }
    }
    out.first.push_back(out.marks.size());
    for (size_t i = 0; i < out.marks.size(); ++i) out.marks[i].tooltip = out.tooltips[tips[i]];
    return out;
}

Text risk_counts(const RunMarks& marks) {
    if (marks.high + marks.hints == 0) return from_utf8("未发现风险词");
    std::string counts;
    if (marks.high) counts = "高风险 " + std::to_string(marks.high);
    if (marks.hints) counts += (counts.empty() ? "提示 " : " · 提示 ") + std::to_string(marks.hints);
    return from_utf8(counts);
}

}  // namespace qinghe
