// The same event across boards: titles' keys, pairs of real-shaped titles that name one
// event or two, and the merge of ranked boards into topics.
#include "hot/topic_merge.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "text/codec.h"

namespace qinghe {
namespace {

TEST(TopicKey, KeepsLettersAndDigitsReadAlikeWithoutDecorations) {
    const struct {
        const char* title;
        const char* key;
    } cases[] = {
        {"#泸定地震#", "泸定地震"},
        {"泸定地震 爆", "泸定地震"},
        {"【新】泸定地震", "泸定地震"},
        {"泸定地震🔥热", "泸定地震"},
        {"泸定地震[沸]", "泸定地震"},
        {"热", "热"},                                         // a badge alone is the title
        {"票房又爆", "票房又爆"},                             // not set apart: part of the title
        {"震驚！ＡＢＣ 5.2級，Ｎｏ．１", "震惊abc5.2级no1"},  // traditional, full width, case
        {"1.2.3 与 v1. 与 .5", "1.2.3与v1与5"},               // a "." only between digits
        {"台風「山陀兒」登陸", "台风山陀儿登陆"},
        {"苧麻", "苎麻"},  // a pair the simplification swaps reads as one character
        {"苎麻", "苎麻"},
        {"  😀 \u200b", ""},
    };
    for (const auto& c : cases) {
        const Text key = topic_key(from_utf8(c.title));
        EXPECT_EQ(to_utf8(key), c.key) << c.title;
        EXPECT_EQ(topic_key(key), key) << "a key is its own key: " << c.title;
    }
}

// Pairs as the boards word them: one event told two ways must join; two events that share
// a place, a person, a kind of event or a phrase must not.
TEST(SameEvent, RealShapedPairs) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"官方通报泸定地震", "泸定发生6.8级地震", true},
        {"四川泸定6.8级地震", "#泸定地震#", true},
        {"泸定地震已致21人遇难", "四川泸定地震遇难人数升至21人", true},
        {"中国女排3比0横扫日本", "女排3比0日本", true},
        {"神舟十八号发射成功", "神舟十八号载人飞船发射取得圆满成功", true},
        {"王一博新剧开播", "王一博主演新剧今晚开播", true},
        {"某某回应离婚传闻", "某某首次回应离婚传闻", true},
        {"ChatGPT宕机", "chatgpt 全球宕机", true},
        {"台風「山陀兒」登陸", "台风山陀儿登陆", true},
        {"如何评价泸定6.8级地震？", "四川泸定发生6.8级地震", true},
        // Two earthquakes: other places, other magnitudes, a quake and its aftershock.
        {"泸定6.8级地震", "日本7.1级地震", false},
        {"四川泸定地震", "云南大理地震", false},
        {"泸定发生6.8级地震", "泸定发生3.1级余震", false},
        {"泸定地震已致21人遇难", "泸定地震已致46人遇难", false},
        // A match and what came after it; a win and a loss.
        {"国足vs日本", "国足vs日本赛后发布会", false},
        {"中国男篮战胜日本", "中国男篮赛后发布会", false},
        {"中国女排3比0日本", "中国女排0比3日本", false},
        // Two events in one city, at one place.
        {"北京地铁故障", "北京地铁新线开通", false},
        {"上海迪士尼门票涨价", "上海迪士尼新园区开放", false},
        {"杭州暴雨", "杭州亚运会开幕", false},
        // One person, two events.
        {"王一博新剧开播", "王一博摩托车夺冠", false},
        {"梅西进球", "梅西受伤", false},
        {"某某离婚", "某某回应离婚传闻", false},
        // A common phrase.
        {"官方通报：网红餐厅食物中毒", "官方通报：高校学生坠楼", false},
        {"最新消息！油价上涨", "最新消息！金价上涨", false},
        {"", "", false},
    };
    for (const auto& c : cases) {
        const Text a = from_utf8(c.a), b = from_utf8(c.b);
        EXPECT_EQ(same_event(a, b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(same_event(b, a), c.same) << c.b << " / " << c.a;
    }
}

std::vector<HotEntry> entries(const std::vector<const char*>& titles) {
    std::vector<HotEntry> out;
    for (const char* title : titles) out.push_back({from_utf8(title), static_cast<int>(out.size()) + 1, {}});
    return out;
}

// Six boards as they might stand at one moment.
const std::vector<std::pair<std::string, std::vector<HotEntry>>>& sample_boards() {
    static const std::vector<std::pair<std::string, std::vector<HotEntry>>> boards = {
        {"baidu", entries({"官方通报泸定地震", "王一博新剧开播", "北京地铁故障", "泸定地震最新消息"})},
        {"weibo", entries({"#泸定地震#", "北京地铁新线开通", "王一博摩托车夺冠"})},
        {"zhihu", entries({"如何评价王一博主演新剧今晚开播？", "国足vs日本赛后发布会说了什么？"})},
        {"douyin", entries({"泸定发生6.8级地震", "国足vs日本"})},
        {"toutiao", entries({"国足vs日本赛后发布会", "泸定地震救援"})},
        {"bilibili", entries({"泸定6.8级地震", "日本7.1级地震", "国足vs日本"})},
    };
    return boards;
}

std::vector<RankedBoard> ranked_boards(const std::vector<std::pair<std::string, std::vector<HotEntry>>>& boards) {
    std::vector<RankedBoard> out;
    for (const auto& [key, list] : boards) out.push_back({key, list});
    return out;
}

std::vector<std::pair<std::string, std::vector<std::string>>> shape(const std::vector<MergedTopic>& topics) {
    std::vector<std::pair<std::string, std::vector<std::string>>> out;
    for (const MergedTopic& topic : topics) {
        std::vector<std::string> boards;
        for (const TopicMention& mention : topic.mentions) boards.push_back(mention.board);
        out.emplace_back(to_utf8(topic.title), boards);
    }
    return out;
}

TEST(MergeTopics, TheSameEventAcrossBoardsInMergedOrder) {
    const std::vector<MergedTopic> topics = merge_topics(ranked_boards(sample_boards()));
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        // Baidu's title, first of its board of four; Weibo's and Bilibili's next (first of
        // three), then Douyin's and Toutiao's. Baidu's second title on the earthquake stands
        // apart: a topic takes one title of a board.
        {"官方通报泸定地震", {"baidu", "weibo", "bilibili", "douyin", "toutiao"}},
        // Both second of their boards: the earlier board's title.
        {"王一博新剧开播", {"baidu", "zhihu"}},
        {"国足vs日本赛后发布会", {"toutiao", "zhihu"}},
        {"国足vs日本", {"douyin", "bilibili"}},
        // One board each, by placing: 2/3, 2/3, 3/4, 4/4, 3/3.
        {"北京地铁新线开通", {"weibo"}},
        {"日本7.1级地震", {"bilibili"}},
        {"北京地铁故障", {"baidu"}},
        {"泸定地震最新消息", {"baidu"}},
        {"王一博摩托车夺冠", {"weibo"}},
    };
    EXPECT_EQ(shape(topics), expected);
    const TopicMention& zhihu = topics[1].mentions[1];
    EXPECT_EQ(to_utf8(zhihu.entry.title), "如何评价王一博主演新剧今晚开播？");
    EXPECT_EQ(zhihu.entry.rank, 1);
    EXPECT_DOUBLE_EQ(zhihu.placing, 0.5);
}

// Whatever the boards hold: every title in exactly one topic, never two of one board in a
// topic, the title the highest-placed one, mentions by placing, topics by boards then
// placing, and the same lists give the same topics.
TEST(MergeTopics, Properties) {
    auto boards = sample_boards();
    // The same titles on more boards, in other orders and with repeats.
    boards.push_back({"extra", entries({"泸定地震", "泸定地震", "国足vs日本", "王一博新剧开播", "北京地铁故障"})});
    boards.push_back({"weibo", entries({"北京地铁新线开通", "泸定地震"})});  // a key given twice is one board
    const std::vector<MergedTopic> topics = merge_topics(ranked_boards(boards));
    EXPECT_EQ(shape(merge_topics(ranked_boards(boards))), shape(topics));
    size_t mentions = 0, given = 0;
    for (const auto& board : boards) given += board.second.size();
    for (size_t t = 0; t < topics.size(); ++t) {
        const MergedTopic& topic = topics[t];
        ASSERT_FALSE(topic.mentions.empty());
        EXPECT_EQ(topic.title, topic.mentions.front().entry.title);
        std::set<std::string> seen;
        for (size_t m = 0; m < topic.mentions.size(); ++m) {
            EXPECT_TRUE(seen.insert(topic.mentions[m].board).second) << to_utf8(topic.title);
            if (m > 0) {
                EXPECT_LE(topic.mentions[m - 1].placing, topic.mentions[m].placing);
            }
        }
        mentions += topic.mentions.size();
        if (t > 0) {
            const MergedTopic& previous = topics[t - 1];
            EXPECT_GE(previous.mentions.size(), topic.mentions.size());
            if (previous.mentions.size() == topic.mentions.size()) {
                EXPECT_LE(previous.mentions.front().placing, topic.mentions.front().placing);
            }
        }
    }
    EXPECT_EQ(mentions, given);
    EXPECT_TRUE(merge_topics({}).empty());
}

}  // namespace
}  // namespace qinghe
