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

// Titles shaped as the boards word them: each sudden event the law names (natural
// disasters, accidents, public-health and social-safety events) and each way a board
// words deaths and injuries is left out; entertainment and sports titles that hold a
// near word (死 in 笑死, 爆 in 爆款, 杀 in 绝杀, 事故 in 舞台事故) are kept.
TEST(TopicFilter, DisasterWordsOnRealBoardTitles) {
    const TopicFilter filter({.avoid_disasters = true});
    const struct {
        const char* title;
        bool left_out;
    } cases[] = {
        {"知名主持人突发疾病猝死", true},
        {"消防员救火时英勇牺牲", true},
        {"民警执勤时殉职", true},
        {"某地煤矿发生矿难", true},
        {"警方通报：死者系本地人", true},
        {"某国发生恐怖袭击", true},
        {"一轿车坠江 救援正在进行", true},
        {"老艺术家病故 享年88岁", true},
        {"龙卷风过境 多地房屋受损", true},
        {"某地发生4.1级余震", true},
        {"山洪暴发致多人被困", true},
        {"暴雨致城区严重内涝", true},
        {"雪崩掩埋滑雪者", true},
        {"灾区群众已转移安置", true},
        {"客车侧翻 多人受伤送医", true},
        {"高速上十车连环追尾", true},
        {"客轮翻沉事故调查结果公布", true},
        {"小区燃气燃爆", true},
        {"路面突然塌陷 一车落入坑中", true},
        {"煤矿透水事故致井下人员被困", true},
        {"一家三口一氧化碳中毒", true},
        {"学校食堂食物中毒", true},
        {"新增本土确诊病例", true},
        {"某国鼠疫疫情蔓延", true},
        {"男子持枪劫持人质", true},
        {"被拐儿童30年后找到亲人", true},
        {"歹徒当街砍人", true},
        {"男子袭警被刑拘", true},
        {"幼儿园投毒案宣判", true},
        {"前首相演讲时遇刺", true},
        {"故意杀人案一审开庭", true},
        {"事故造成3死2伤，伤者已送医", true},
        {"演员葬礼今日举行", true},
        {"某音乐人英年早逝", true},
        {"经抢救无效不幸辞世", true},
        // Near words of entertainment and sports.
        {"这段采访笑死我了", false},
        {"今年的爆款新品", false},
        {"终场前绝杀晋级", false},
        {"某歌手演唱会舞台事故", false},
        {"球星受伤离场", false},
        {"进攻撞人犯规引争议", false},
        {"阿森纳主场迎战枪手德比", false},
        {"灾难片定档国庆", false},
        {"某明星人设崩塌", false},
        {"成绩下滑坡度明显", false},
        {"新剧收视率爆了", false},
        {"电影刺杀小说家2定档", false},
        {"这波操作杀疯了", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(filter.judge(from_utf8(c.title)) == TopicVerdict::disaster, c.left_out) << c.title;
    }
}

}  // namespace
}  // namespace qinghe
