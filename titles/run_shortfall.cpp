#include "titles/run_shortfall.h"

#include <algorithm>
#include <climits>

#include "text/codec.h"

namespace qinghe {

using namespace phrase_space;

namespace {

std::string range_text(const Platform& platform) {
    return std::string(platform.name) + " " + std::to_string(platform.min_length) + "–" +
           std::to_string(platform.max_length) + " 字";
}

}  // namespace

Text shortfall_line(const Shortfall& s) {
    const std::string count = std::to_string(s.made), asked = std::to_string(s.typed);
    const std::string head =
        "只生成了 " + count + (s.no_repeat ? " 条不重复的标题" : " 条标题") + "（要 " + asked + " 条）：";
    const bool words = s.tally->any_word(), used = s.tally->any_used();
    const std::string used_count = "避开用过 " + std::to_string(s.tally->used_headlines());
    switch (s.stop) {
        case Stop::NoneAllowed: {
            if (s.length_reason) {
                return from_utf8("只有 " + count + " 条标题符合" + range_text(*s.platform) + "（要 " + asked +
                                 " 条），其余无法满足：" + *s.length_reason + "。");
            }
            if (words || used) {
                const std::string fitting = s.platform ? "符合" + range_text(*s.platform) + "的" : "";
                if (!used) return from_utf8(head + fitting + "其余组合都含有高风险词：" + s.tally->words() + "。");
                if (!words) return from_utf8(head + fitting + "其余组合都是用过的标题（" + used_count + "）。");
                return from_utf8(head + fitting + "其余组合都含有高风险词或是用过的标题（高风险词：" +
                                 s.tally->words() + "；" + used_count + "）。");
            }
            return from_utf8("只有 " + count + " 条标题符合" + range_text(*s.platform) + "（要 " + asked +
                             " 条），其余无法满足：没有长度合适的组合。");
        }
        case Stop::Exhausted: {
            const std::string within = s.platform ? "在" + range_text(*s.platform) + "内" : "";
            const bool words_out = words || s.capacity_words, used_out = used || s.capacity_used;
            const std::string clean = words_out && used_out ? "（含高风险词的和用过的不算）"
                                      : words_out           ? "（含高风险词的不算）"
                                      : used_out            ? "（用过的不算）"
                                                            : "";
            return from_utf8(head + "这些词组" + within + "只能组成 " + std::to_string(s.capacity) + " 条不同的标题" +
                             clean + "。");
        }
        case Stop::Stuck: return from_utf8(head + "每个词组要等同一列表的词组都用过一遍才能再用，剩下的组合排不进去。");
        case Stop::Blocked: {
            const bool blocked_words = s.blocked->any_word(), blocked_used = s.blocked->any_used();
            if (!blocked_used) {
                return from_utf8(head + "标注并避开挡下了其余的组合（高风险词：" + s.blocked->words() + "）。");
            }
            if (!blocked_words) return from_utf8(head + "避开用过的标题挡下了其余的组合（" + used_count + "）。");
            return from_utf8(head + "标注并避开和避开用过的标题挡下了其余的组合（高风险词：" + s.blocked->words() +
                             "；" + used_count + "）。");
        }
        case Stop::Searched:
            return from_utf8(head + "查找了 " + std::to_string(s.searched) + " 种组合，没有找到下一条符合要求的标题。");
    }
    return {};
}

std::optional<std::string> length_rules_out(const RunLists& lists, size_t keyword) {
    const Ruler& ruler = lists.ruler();
    if (!ruler.limited()) return std::nullopt;
    static const char* const kTooLong[] = {"前缀太长", "衔接太长", "后缀太长"};
    const int slots = ruler.slots();
    const Span punctuation = lists.punctuation();
    Weights total(1);
    int lightest = punctuation.lo, heaviest = punctuation.hi, heaviest_lightest = -1;
    size_t culprit = 0;
    for (size_t p = 0; p < lists.parts(); ++p) {
        Weights values;
        int light = INT_MAX, heavy = 0;
        for (uint32_t phrase = 0; phrase < lists.list(p).size(); ++phrase) {
            const Span& span = lists.span(keyword, p, phrase);
            light = std::min(light, span.lo), heavy = std::max(heavy, span.hi);
            for (int w = span.lo; w <= std::min(span.hi, slots - 1); ++w) values.set(w);
        }
        total = sums(total, values, slots);
        lightest += light, heaviest += heavy;
        if (light > heaviest_lightest) heaviest_lightest = light, culprit = p;
    }
    const Span range = ruler.range();
    if (fitting(ruler.room_after(punctuation), total, slots)[0]) return std::nullopt;
    if (lightest > range.hi) return kTooLong[culprit];
    if (heaviest < range.lo) return "标题太短";
    return "没有长度合适的组合";
}

}  // namespace qinghe
