#pragma once
// The lists of a writer's run: each list's phrases with their blanks filled, their spans
// and whether each can stand at all; the headlines they compose; and the names the run's
// units share for a headline's phrases. Private to the writer's run.
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "titles/generator.h"
#include "titles/phrase_space.h"
#include "titles/refusals.h"
#include "titles/run_budget.h"
#include "titles/typesetting.h"

namespace qinghe {

enum Part : size_t { Prefix, Link, Suffix, kParts };

// One headline's phrases, as phrase numbers of the lists.
struct Draw {
    uint32_t phrase[kParts] = {};
    bool operator==(const Draw&) const = default;
};
struct DrawHash {
    size_t operator()(const Draw& draw) const {
        std::uint64_t h = draw.phrase[0];
        h = h * 0x9E3779B97F4A7C15ull + draw.phrase[1];
        h = h * 0x9E3779B97F4A7C15ull + draw.phrase[2];
        return static_cast<size_t>(h ^ (h >> 29));
    }
};
using DrawSet = std::unordered_set<Draw, DrawHash>;

// The headlines made, by a 64-bit hash of their text: two texts that share a hash (about
// one chance in 10^9 for 100,000 headlines) only keep a new one from being made, never
// let one come twice.
class MadeSet {
public:
    static std::uint64_t hash(TextView text) { return std::hash<TextView>{}(text); }
    void reserve(size_t count) { counts_.reserve(count); }
    bool contains(TextView text) const { return holds(hash(text)); }
    bool holds(std::uint64_t hash) const { return counts_.contains(hash); }
    void insert(std::uint64_t hash) { ++counts_[hash]; }
    void erase(std::uint64_t hash) {
        const auto it = counts_.find(hash);
        if (--it->second == 0) counts_.erase(it);
    }

private:
    std::unordered_map<std::uint64_t, std::uint32_t> counts_;
};

// One list's phrases. Without repeats a phrase is its text (an entry that stands twice is
// one phrase); otherwise each entry is one, so that draws weigh entries as the designed
// run does. Only a phrase with a blank is kept once per keyword, filled with it. When
// headlines are set, each phrase is set once with the punctuation text that follows it
// in a headline, as one piece whose span bounds what it brings to any headline.
class PhraseList {
public:
    // Measures (or sets) every phrase and asks the word check of each alone; the refusals
    // go to `tally`. `after`: the punctuation text that follows each phrase.
    PhraseList(std::vector<TextView> phrases, TextView after, std::span<const Text> keywords, TypesetMode mode,
               const phrase_space::Ruler& ruler, HeadlineMeasure& measure, const HeadlineCheck& check,
               RefusalTally& tally, Pacer& pacer);

    size_t size() const { return phrases_.size(); }
    // The phrase as its list gives it, blanks unfilled (a view into the run's input).
    TextView entry(uint32_t phrase) const { return phrases_[phrase]; }
    bool has_blank(uint32_t phrase) const { return row_[phrase] != phrase_space::kNone; }
    // Its number among the phrases with a blank, and how many those are.
    uint32_t row(uint32_t phrase) const { return row_[phrase]; }
    size_t rows() const { return with_blank_.size(); }
    // Headlines not set: the phrase with its blanks filled.
    TextView text(size_t keyword, uint32_t phrase) const;
    // Headlines set: the phrase and its punctuation, set.
    const SetPiece& piece(size_t keyword, uint32_t phrase) const;
    const phrase_space::Span& span(size_t keyword, uint32_t phrase) const;
    // Not too long alone and not refused alone: it may stand in a headline.
    bool open(size_t keyword, uint32_t phrase) const;
    // Some open phrase's characters may merge with a neighbour's across a join.
    bool loose() const { return loose_; }

    // Groups over the open phrases without a blank, or over those with one filled with
    // `keyword` (numbered by row); no phrase a member yet.
    phrase_space::Members shared_members() const;
    phrase_space::Members own_members(size_t keyword) const;

private:
    struct Filled {
        std::vector<Text> texts;       // not set
        std::vector<SetPiece> pieces;  // set
        std::vector<phrase_space::Span> spans;
        std::vector<char> open;
    };

    std::vector<TextView> phrases_;
    std::vector<uint32_t> row_;              // per phrase: its row among those with a blank, or kNone
    std::vector<uint32_t> with_blank_;       // per row: the phrase
    std::vector<phrase_space::Span> spans_;  // per phrase without a blank
    std::vector<SetPiece> pieces_;           // per phrase without a blank, when set
    std::vector<char> open_;                 // per phrase: without a blank, and open
    std::vector<Filled> filled_;             // per keyword: the rows, filled
    bool loose_ = false;
};

// The lists of one run, their punctuation, and per keyword the space of every open phrase.
class RunLists {
public:
    RunLists(const GeneratorInput& input, const phrase_space::Ruler& ruler, HeadlineMeasure& measure,
             const HeadlineCheck& check, RefusalTally& tally, Pacer& pacer);
    RunLists(const RunLists&) = delete;
    RunLists& operator=(const RunLists&) = delete;

    size_t parts() const { return lists_.size(); }
    size_t keywords() const { return keywords_; }
    size_t keyword_of(size_t headline) const { return headline % keywords_; }
    const PhraseList& list(size_t part) const { return lists_[part]; }
    const phrase_space::Ruler& ruler() const { return ruler_; }
    // The punctuation texts' spans, added up (nothing when headlines are set: each phrase's
    // piece holds the punctuation after it).
    phrase_space::Span punctuation() const { return punctuation_; }
    const phrase_space::Span& span(size_t keyword, size_t part, uint32_t phrase) const {
        return lists_[part].span(keyword, phrase);
    }
    // Some piece of the headline may merge with a neighbour across a join.
    bool loose(size_t keyword, const Draw& draw) const;
    // Some piece of some headline may.
    bool any_loose() const;
    // The headline's text, into `out` (replacing what it held), set when headlines are;
    // its length when setting it gave it exactly.
    std::optional<TextLength> compose(size_t keyword, const Draw& draw, Text& out) const;
    // The headline composed into `text`, and the first check that refuses it.
    std::optional<Refusal> refusal(const HeadlineCheck& check, size_t keyword, const Draw& draw, Text& text) const {
        const std::optional<TextLength> length = compose(keyword, draw, text);
        return check.refusal(text, loose(keyword, draw), length);
    }

    // Every open phrase of each list for `keyword`.
    phrase_space::Space& every_phrase(size_t keyword) { return every_[keyword]; }

private:
    const phrase_space::Ruler& ruler_;
    const size_t keywords_;
    std::vector<PhraseList> lists_;
    const Text* punctuation_texts_[kParts] = {};
    phrase_space::Span punctuation_;
    bool punctuation_loose_ = false;
    bool set_ = false;  // headlines are set
    mutable PieceJoiner joiner_;
    std::vector<phrase_space::Members> shared_;            // per list: every open phrase without a blank
    std::vector<std::vector<phrase_space::Members>> own_;  // per keyword and list: every open one with a blank
    std::vector<phrase_space::Space> every_;               // per keyword
};

}  // namespace qinghe
