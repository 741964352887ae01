#include "hot/topic_filter.h"

#include <gtest/gtest.h>

#include "tests/support/texts.h"
#include "text/codec.h"

namespace qinghe {
namespace {

TEST(TopicFilter, LeavesOutTitlesByReason) {
    const std::vector<Text> titles =
        texts({"某地发生地震", "三人遇難", "新手機发布会", "明星ＡＢＣ同框", "abc乐队车祸", "今日天气"});
    struct Case {
        TopicFilterOptions options;
        std::vector<Text> kept;
        size_t disasters, excluded, not_included;
        const char* status;
    };
    const std::vector<Case> cases = {
        {{}, titles, 0, 0, 0, ""},
        {{.excluded = texts({" ", ""}), .included = texts({""})}, titles, 0, 0, 0, ""},
        {{.avoid_disasters = true},
         texts({"新手機发布会", "明星ＡＢＣ同框", "今日天气"}),
         3,
         0,
         0,
         "已排除 3/6：灾难伤亡 3"},
        // Full width and letter case both ways; a disaster counts first.
        {{.avoid_disasters = true, .excluded = texts({"abc"})},
         texts({"新手機发布会", "今日天气"}),
         3,
         1,
         0,
         "已排除 4/6：灾难伤亡 3 · 排除词 1"},
        // Traditional in the title, simplified in the word, and back.
        {{.included = texts({"手机", "天氣"})},
         texts({"新手機发布会", "今日天气"}),
         0,
         0,
         4,
         "已排除 4/6：不含包含词 4"},
        {{.avoid_disasters = true, .excluded = texts({"发布会"}), .included = texts({"今日", "新"})},
         texts({"今日天气"}),
         3,
         1,
         1,
         "已排除 5/6：灾难伤亡 3 · 排除词 1 · 不含包含词 1"},
        {{.included = texts({"不存在"})}, {}, 0, 0, 6, "已排除 6/6：不含包含词 6"},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const FilteredTopics result = filter_topics(titles, c.options);
        EXPECT_EQ(result.kept, c.kept) << i;
        EXPECT_EQ(result.seen, titles.size()) << i;
        EXPECT_EQ(std::make_tuple(result.disasters, result.excluded, result.not_included),
                  std::make_tuple(c.disasters, c.excluded, c.not_included))
            << i;
        EXPECT_EQ(to_utf8(filter_status(result)), c.status) << i;
    }
    EXPECT_GE(disaster_words().size(), 46u);
}

}  // namespace
}  // namespace qinghe
