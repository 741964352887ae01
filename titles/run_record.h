#pragma once
// Where each headline of the last run came from, kept beside the result box so that an
// action on one of its lines (复制这一条, 收藏这一条) can record the headline's origin.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "titles/generator.h"

namespace qinghe {

struct HeadlineOrigin {
    Text platform = {};      // the platform chosen, empty for 不限
    Text keyword = {};       // the keyword filled in, empty when none
    std::string board = {};  // the hot board's key when the prefix list was planted this run
    Text planted = {};       // the planted title the headline took, else empty
    bool operator==(const HeadlineOrigin&) const = default;
};

// What planting hot topics put into the prefix list this run.
struct PlantedBoards {
    std::string board;  // the one board the titles came from; empty for every board at once
    // With every board at once: each planted title with the key of the board it was taken
    // from, sorted by title.
    std::vector<std::pair<Text, std::string>> board_of_title = {};
};

class RunRecord {
public:
    // The record of a run that made nothing.
    RunRecord() = default;
    // `input` as the run read it; `planted` when this run planted hot topics (the prefix
    // list is then the planted titles).
    RunRecord(Headlines headlines, const GeneratorInput& input, std::optional<PlantedBoards> planted);

    size_t size() const { return headlines_.ends.size(); }
    TextView headline(size_t index) const;
    HeadlineOrigin origin(size_t index) const;
    // The origin of headline `index` when `text` still reads as it did; none when the
    // line was edited since, or the run made fewer headlines.
    std::optional<HeadlineOrigin> origin_of_line(size_t index, TextView text) const;

private:
    Headlines headlines_;
    Text platform_;
    std::vector<Text> keywords_;
    std::vector<Text> planted_titles_;  // the prefix list when planted this run, else empty
    PlantedBoards boards_;
};

}  // namespace qinghe
