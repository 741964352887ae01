#pragma once
// Why a composed headline may not stand, check by check, and the tally of what the drawn
// headlines met, which the grey line names. Private to the writer's run.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "titles/generator.h"
#include "titles/phrase_space.h"

namespace qinghe {

// The checks a headline can fail, in the order they are asked.
enum class RefusalKind : size_t {
    length,     // its pieces' characters, merged or set at the joins, took it out of the platform's range
    risk_word,  // 标注并避开: it holds a 高风险 word
    used,       // 避开用过的标题: the writer used or starred it (whole headlines only)
    kKinds
};

struct Refusal {
    RefusalKind kind;
    Text word;                   // the word that refused it; empty for the other kinds
    std::uint64_t headline = 0;  // used: a hash of the headline's text
};

// Asks each active check in turn. The spans already keep a headline's length unless some
// piece can change or merge with its neighbours across a join: only then is the length
// of the composed text looked at.
class HeadlineCheck {
public:
    HeadlineCheck(const WriterOptions& options, const phrase_space::Ruler& ruler, HeadlineMeasure& measure)
            : blocking_word_(options.blocking_word), used_(options.used), ruler_(ruler), measure_(measure) {}

    // Whether some check can refuse a headline whose pieces' spans fit.
    bool may_refuse(bool loose) const { return blocking_word_ || used_ || (loose && ruler_.limited()); }

    // The first check that refuses `headline`, or nothing when it may stand. `loose`: its
    // pieces may change across a join, so its length is looked at again: `length` when
    // the composition knows it, otherwise measured.
    std::optional<Refusal> refusal(TextView headline, bool loose, const std::optional<TextLength>& length = {}) const;
    // The word check alone, for a phrase on its own (its length is kept by its span); a
    // phrase is never a used headline.
    std::optional<Refusal> word_refusal(TextView text) const;

private:
    std::function<Text(TextView)> blocking_word_;
    std::function<bool(TextView)> used_;
    const phrase_space::Ruler& ruler_;
    HeadlineMeasure& measure_;
};

// What refused the headlines a run drew: a count per kind, the first few words, and the
// different used headlines met.
class RefusalTally {
public:
    static constexpr size_t kNamedWords = 5;  // "等" stands for more

    void count(const Refusal& refusal);
    size_t of(RefusalKind kind) const { return counts_[static_cast<size_t>(kind)]; }
    bool any_word() const { return of(RefusalKind::risk_word) > 0; }
    bool any_used() const { return of(RefusalKind::used) > 0; }
    // The words that refused, UTF-8: "紧急通知、速看", "…等" past kNamedWords.
    std::string words() const;
    // How many different used headlines were refused.
    size_t used_headlines() const { return used_.size(); }
    // Counts the used headlines `other` refused among these.
    void add_used(const RefusalTally& other) { used_.insert(other.used_.begin(), other.used_.end()); }

private:
    std::array<size_t, static_cast<size_t>(RefusalKind::kKinds)> counts_{};
    std::vector<Text> words_;  // in the order met, one more than named to know of more
    std::unordered_set<std::uint64_t> used_;
};

}  // namespace qinghe
