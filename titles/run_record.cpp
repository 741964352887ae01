#include "titles/run_record.h"

#include <algorithm>

#include "text/codec.h"

namespace qinghe {

RunRecord::RunRecord(Headlines headlines, const GeneratorInput& input, std::optional<PlantedBoards> planted)
        : headlines_(std::move(headlines)), keywords_(input.writer.keywords) {
    const Platform* platform = input.writer.platform;
    if (platform && platform->limited()) platform_ = from_utf8(platform->name);
    if (planted) {
        planted_titles_ = input.prefixes;
        boards_ = std::move(*planted);
    }
}

TextView RunRecord::headline(size_t index) const {
    const size_t begin = index == 0 ? 0 : headlines_.ends[index - 1];
    return TextView(headlines_.text).substr(begin, headlines_.ends[index] - begin);
}

HeadlineOrigin RunRecord::origin(size_t index) const {
    HeadlineOrigin origin{.platform = platform_};
    if (!keywords_.empty()) origin.keyword = keywords_[index % keywords_.size()];
    if (planted_titles_.empty() || index >= headlines_.prefixes.size()) return origin;
    origin.planted = planted_titles_[headlines_.prefixes[index]];
    origin.board = boards_.board;
    const auto& titles = boards_.board_of_title;
    const auto found = std::lower_bound(titles.begin(), titles.end(), origin.planted,
                                        [](const auto& entry, const Text& title) { return entry.first < title; });
    if (found != titles.end() && found->first == origin.planted) origin.board = found->second;
    return origin;
}

std::optional<HeadlineOrigin> RunRecord::origin_of_line(size_t index, TextView text) const {
    if (index >= size() || headline(index) != text) return std::nullopt;
    return origin(index);
}

}  // namespace qinghe
