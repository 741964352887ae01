#include "hot/topic_filter.h"

#include <algorithm>
#include <string>

#include "generated/embedded_files.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

bool reads_as_something(TextView word) { return !WordMatcher::normalised(word).empty(); }

}  // namespace

std::span<const Text> disaster_words() {
    static const std::vector<Text> words = [] {
        const std::string_view utf8(reinterpret_cast<const char*>(embedded::disaster_words.data()),
                                    embedded::disaster_words.size());
        std::vector<Text> out;
        for (const Text& line : split_list(replace_all(from_utf8(utf8), "\r", ""), "\n")) {
            // "#" opens a comment line: the file says what each group covers.
            const TextView word = trim_blanks(line);
            if (!word.empty() && !word.starts_with('#')) out.emplace_back(word);
        }
        return out;
    }();
    return words;
}

bool TopicFilterOptions::any() const {
    return avoid_disasters || std::any_of(excluded.begin(), excluded.end(), reads_as_something) ||
           std::any_of(included.begin(), included.end(), reads_as_something);
}

TopicFilter::TopicFilter(const TopicFilterOptions& options) {
    active_ = options.any();
    if (!active_) return;
    if (options.avoid_disasters) {
        for (const Text& word : disaster_words()) matcher_.add(word);
    }
    disaster_end_ = matcher_.size();
    for (const Text& word : options.excluded) matcher_.add(word);
    excluded_end_ = matcher_.size();
    for (const Text& word : options.included) {
        matcher_.add(word);
        include_only_ = include_only_ || reads_as_something(word);
    }
}

TopicVerdict TopicFilter::judge(TextView title) const {
    if (!active_) return TopicVerdict::kept;
    matches_.clear();
    matcher_.find_all(title, matches_);
    bool disaster = false, excluded = false, included = false;
    for (const WordMatcher::Match& m : matches_) {
        disaster = disaster || m.word < disaster_end_;
        excluded = excluded || (m.word >= disaster_end_ && m.word < excluded_end_);
        included = included || m.word >= excluded_end_;
    }
    if (disaster) return TopicVerdict::disaster;
    if (excluded) return TopicVerdict::excluded;
    if (include_only_ && !included) return TopicVerdict::not_included;
    return TopicVerdict::kept;
}

FilteredTopics TopicFilter::apply(std::vector<Text> titles) const {
    FilteredTopics result;
    result.seen = titles.size();
    if (!active_) {
        result.kept = std::move(titles);
        return result;
    }
    for (Text& title : titles) {
        switch (judge(title)) {
            case TopicVerdict::kept: result.kept.push_back(std::move(title)); break;
            case TopicVerdict::disaster: ++result.disasters; break;
            case TopicVerdict::excluded: ++result.excluded; break;
            case TopicVerdict::not_included: ++result.not_included; break;
        }
    }
    return result;
}

FilteredTopics filter_topics(std::vector<Text> titles, const TopicFilterOptions& options) {
    return TopicFilter(options).apply(std::move(titles));
}

Text filter_status(const FilteredTopics& result) {
    if (result.left_out() == 0) return {};
    std::string line = "已排除 " + std::to_string(result.left_out()) + "/" + std::to_string(result.seen) + "：";
    bool first = true;
    const auto part = [&](const char* name, size_t count) {
        if (count == 0) return;
        line += (first ? "" : " · ") + std::string(name) + " " + std::to_string(count);
        first = false;
    };
    part("灾难伤亡", result.disasters);
    part("排除词", result.excluded);
    part("不含包含词", result.not_included);
    return from_utf8(line);
}

}  // namespace qinghe
