#pragma once
// Which hot-search titles may be planted into lure headlines. Planting a death or a
// disaster turns a tragedy into clickbait, so the filter can leave out every title that
// holds a word for deaths or injuries, natural disasters, accidents, epidemics or
// violent crime (the built-in list, hot/data/disaster-words.txt); the writer adds words to leave out (热点排除词) and
// words of which a kept title must hold one (热点包含词). Titles and words read alike through WordMatcher: traditional
// characters as simplified, full width as half width, letter case folded.
#include <span>
#include <vector>

#include "text/text.h"
#include "text/word_matcher.h"

namespace qinghe {

// The built-in words of hot/data/disaster-words.txt (program text), its comment lines
// ("#") left out.
std::span<const Text> disaster_words();

struct TopicFilterOptions {
    bool avoid_disasters = false;     // leave out titles holding a disaster word
    std::vector<Text> excluded = {};  // leave out titles holding one of these
    std::vector<Text> included = {};  // when any is given: keep only titles holding one

    // Whether the filter would leave anything out at all. Words that read as nothing
    // (empty, blank) count for nothing.
    bool any() const;
};

// Why a title is left out. A title with several reasons counts under the first of them.
enum class TopicVerdict {
    kept,
    disaster,      // holds a disaster word
    excluded,      // holds an excluded word
    not_included,  // holds none of the included words
};

struct FilteredTopics {
    std::vector<Text> kept;  // in the order given
    size_t seen = 0;         // titles given
    size_t disasters = 0, excluded = 0, not_included = 0;

    size_t left_out() const { return disasters + excluded + not_included; }
};

// Reads every word once when made; not for two threads at once (the matcher caches what
// it reads).
class TopicFilter {
public:
    explicit TopicFilter(const TopicFilterOptions& options);

    TopicVerdict judge(TextView title) const;
    // The titles the filter keeps, and how many it left out for each reason. With
    // nothing to filter the titles pass as they are, without being read.
    FilteredTopics apply(std::vector<Text> titles) const;

private:
    WordMatcher matcher_;
    size_t disaster_end_ = 0, excluded_end_ = 0;  // word numbers: disasters, excluded, included
    bool active_ = false, include_only_ = false;
    mutable std::vector<WordMatcher::Match> matches_;
};

// TopicFilter(options).apply(titles).
FilteredTopics filter_topics(std::vector<Text> titles, const TopicFilterOptions& options);

// The line telling what was left out (program text), e.g. "已排除 9/50：灾难伤亡 6 · 排除词 3"
// with "不含包含词 N" for the third reason; reasons that left nothing out are not named.
// Empty when nothing was left out.
Text filter_status(const FilteredTopics& result);

}  // namespace qinghe
