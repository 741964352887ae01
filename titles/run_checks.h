#pragma once
// What the writer's word lists and checks add to a run: the hot-topic filter (热点筛选)
// and the headline check (标题体检), with the choice the panel offers for the latter.
#include <deque>
#include <memory>
#include <span>
#include <vector>

#include "controls/window.h"
#include "titles/platforms.h"
#include "titles/risk_words.h"

namespace qinghe {

// 标题体检: off (the designed run), marking the risky words of the headlines, or marking
// them and making no headline that holds a 高风险 word for the chosen platform.
enum class RiskMode { off, mark, avoid };

// The choice's entries in order, UTF-8: "关闭" (the default), "仅标注", "标注并避开".
std::span<const char* const> risk_mode_names();
// The mode a choice names; off for any other text.
RiskMode risk_mode_of(TextView choice);

// The writer's word lists, as a run uses them.
struct RunChecks {
    std::vector<Text> excluded_topics = {};  // 热点排除词
    std::vector<Text> included_topics = {};  // 热点包含词
    std::vector<Text> risk_words = {};       // 自定义风险词
    std::vector<Text> allowed_words = {};    // 放行词
};

// A checker over the built-in lists and these words of the writer's. The last one made
// is kept and given again while the words stay the same: building one reads every pattern.
std::shared_ptr<const RiskChecker> risk_checker_for(std::span<const Text> risk_words,
                                                    std::span<const Text> allowed_words);

// The marks of one run: for each headline its hits' stretches, coloured by level, each
// with a tooltip naming category, level, basis and the words to use instead.
struct RunMarks {
    std::vector<LineMark> marks;  // headline by headline
    std::vector<size_t> first;    // headline i's marks are marks[first[i]] up to marks[first[i + 1]]
    std::deque<Text> tooltips;    // what the marks' tooltips point into (stable as it grows)
    size_t high = 0, hints = 0;   // hits of each level

    std::span<const LineMark> of(size_t headline) const {
        return std::span<const LineMark>(marks).subspan(first[headline], first[headline + 1] - first[headline]);
    }
};
RunMarks mark_run(const RiskChecker& checker, TextView text, std::span<const size_t> ends, const Platform* platform);

// The status line's counts: "高风险 6 · 提示 11", or "未发现风险词".
Text risk_counts(const RunMarks& marks);

// A hit's tooltip: "高风险 · 混淆官方\n依据：…\n可改为：A、B" (program text).
Text risk_tooltip(const RiskEntry& entry);

inline constexpr Colour kHighRiskColour = rgb(220, 0, 0);    // red
inline constexpr Colour kRiskHintColour = rgb(255, 140, 0);  // orange

}  // namespace qinghe
