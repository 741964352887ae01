#pragma once
// Why a composed headline may not stand, check by check, and the tally of what the drawn
// headlines met, which the grey line names. Private to the writer's run.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "titles/generator.h"
#include "titles/phrase_space.h"

namespace qinghe {

// The checks a headline can fail, in the order they are asked.
enum class RefusalKind : size_t {
    length,     // its pieces' characters, merged or set at the joins, took it out of the platform's range
    risk_word,  // 标注并避开: it holds a 高风险 word
    kKinds
};

struct Refusal {
    RefusalKind kind;
    Text word;  // the word that refused it; empty for a length
};

// Asks each active check in turn. The spans already keep a headline's length unless some
// piece can change or merge with its neighbours across a join: only then is the length
// of the composed text looked at.
class HeadlineCheck {
public:
    HeadlineCheck(const WriterOptions& options, const phrase_space::Ruler& ruler, HeadlineMeasure& measure)
            : blocking_word_(options.blocking_word), ruler_(ruler), measure_(measure) {}

    // Whether some check can refuse a headline whose pieces' spans fit.
    bool may_refuse(bool loose) const { return static_cast<bool>(blocking_word_) || (loose && ruler_.limited()); }

    // The first check that refuses `headline`, or nothing when it may stand. `loose`: its
    // pieces may change across a join, so its length is looked at again: `length` when
    // the composition knows it, otherwise measured.
    std::optional<Refusal> refusal(TextView headline, bool loose, const std::optional<TextLength>& length = {}) const;
    // The word check alone, for a phrase on its own (its length is kept by its span).
    std::optional<Refusal> word_refusal(TextView text) const;

private:
    std::function<Text(TextView)> blocking_word_;
    const phrase_space::Ruler& ruler_;
    HeadlineMeasure& measure_;
};

// What refused the headlines a run drew: a count per kind, and the first few words.
class RefusalTally {
public:
    static constexpr size_t kNamedWords = 5;  // "等" stands for more

    void count(const Refusal& refusal);
    size_t of(RefusalKind kind) const { return counts_[static_cast<size_t>(kind)]; }
    bool any_word() const { return of(RefusalKind::risk_word) > 0; }
    // The words that refused, UTF-8: "紧急通知、速看", "…等" past kNamedWords.
    std::string words() const;

private:
    std::array<size_t, static_cast<size_t>(RefusalKind::kKinds)> counts_{};
    std::vector<Text> words_;  // in the order met, one more than named to know of more
};

}  // namespace qinghe
