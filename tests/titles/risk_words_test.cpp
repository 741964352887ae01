#include "titles/risk_words.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/texts.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

// Hits as "matched[pattern]" with "!" for high and "?" for a hint, separated by spaces.
std::string describe(TextView text, std::span<const RiskHit> hits) {
    std::string out;
    for (const RiskHit& hit : hits) {
        if (!out.empty()) out += ' ';
        out += to_utf8(text.substr(hit.begin, hit.end - hit.begin)) + "[" + to_utf8(hit.entry->pattern) + "]" +
               (hit.entry->level == RiskLevel::high ? "!" : "?");
    }
    return out;
}

const Platform* platform(const char* name) { return name ? find_platform(from_utf8(name)) : nullptr; }

TEST(RiskWords, TheBuiltInListsReadWhole) {
    const RiskLists& lists = builtin_risk_lists();
    EXPECT_EQ(lists.problems, std::vector<std::string>{});
    EXPECT_EQ(lists.entries.size(), 331u);
    EXPECT_EQ(lists.exceptions.size(), 108u);
    EXPECT_EQ(std::count_if(lists.entries.begin(), lists.entries.end(),
                            [](const RiskEntry& e) { return e.level == RiskLevel::high; }),
              132);
    // Every exception holds a pattern: without the exceptions, each of them is marked.
    const RiskChecker unexcepted(RiskLists{lists.entries, {}, {}}, {}, {});
    for (const RiskException& exception : lists.exceptions) {
        const Text text = replace_all(exception.pattern, from_utf8("…"), "");
        EXPECT_FALSE(unexcepted.check(text).empty()) << to_utf8(exception.pattern);
    }
    const RiskLists bad = parse_risk_lists("header\n"
                                           "a\t夸大煽动\t高风险\t全部\tx\t\n"           // fine
                                           "b\t夸大\t高风险\t全部\tx\t\n"               // unknown category
                                           "c\t夸大煽动\t低\t全部\tx\t\n"               // unknown level
                                           "d\t夸大煽动\t提示\t微信公众号,微博\tx\t\n"  // unknown platform
                                           "e\t夸大煽动\t提示\t不限\tx\t\n"         // 不限 is no platform of a rule
                                           "f\t夸大煽动\t提示\t全部\tx\n"           // five fields
                                           "g\t夸大煽动\t提示\t全部\tx\t1|2|3|4\n"  // four suggestions
                                           "…\t夸大煽动\t提示\t全部\tx\t\n",        // no pattern
                                           "header\nok\twhy\nno why\n");
    EXPECT_EQ(bad.entries.size(), 1u);
    EXPECT_EQ(bad.exceptions.size(), 1u);
    EXPECT_EQ(bad.problems.size(), 8u);
    EXPECT_EQ(bad.problems.front(), "risk-words.tsv:3: unknown category 夸大");
}

TEST(RiskWords, ChecksTitles) {
    struct Case {
        const char* title;
        const char* platform;  // nullptr: none
        std::string expected;
        std::vector<Text> custom = {}, allowed = {};
        const char* blocked = nullptr;  // what 标注并避开 refuses the title for, when the row says
    };
    const std::vector<Case> cases = {
        // Each category, penalised and clean.
        {"全网最低价，史上最低", nullptr, "全网最低[全网最低]! 最低价[最低价]! 史上最低[史上最低]!"},
        {"国产第一品牌", nullptr, "第一品牌[第一品牌]!"},
        {"第一时间了解", nullptr, ""},
        {"一年稳赚，包过", nullptr, "稳赚[稳赚]! 包过[包过]!"},
        {"国家级非遗进校园", nullptr, ""},
        {"国家级工艺", nullptr, "国家级[国家级]!"},
        {"看完这篇我沉默了", nullptr, "看完这篇我沉默[看完…沉默]!"},
        {"细思极恐的一幕", nullptr, "细思极恐[细思极恐]?"},
        {"国家定了！", "微信公众号", "国家定了[国家定了]!"},
        {"紧急通知，…", "微信公众号", "紧急通知[紧急通知]!"},
        {"速看，马上删除…", "微信公众号", "速看[速看]! 马上删[马上删]!"},
        {"最近才知道…", nullptr, ""},
        {"降血糖的三种蔬菜", nullptr, "降血糖[降血糖]?"},
        {"这种病能根治", nullptr, "根治[根治]!"},
        {"治愈系电影", nullptr, ""},
        {"加微信领取", "小红书", "加微信[加微信]!"},
        {"明星艳照", nullptr, "艳照[艳照]!"},
        // Read alike: traditional, full width, letter case.
        {"震驚！99％的人不知道", nullptr, "震驚[震惊]! 99％的人[99%的人]!"},
        {"無副作用", nullptr, "無副作用[无副作用]!"},
        {"全球no.1", nullptr, "no.1[NO.1]?"},
        {"加ＶＸ领取", "小红书", "加Ｖ[加V]! ＶＸ[vx]!"},
        // The platform column: neither entry is one of 微信公众号's.
        {"加ＶＸ领取", "微信公众号", ""},
        {"加ＶＸ领取", "不限", "加Ｖ[加V]! ＶＸ[vx]!"},
        // The gap: 0 to 8 characters.
        {"不看后悔", nullptr, "不看后悔[不看…后悔]!"},
        {"不看一二三四五六七八后悔", nullptr, "不看一二三四五六七八后悔[不看…后悔]!"},
        {"不看一二三四五六七八九后悔", nullptr, ""},
        {"不看后悔，不看后悔", nullptr, "不看后悔[不看…后悔]! 不看后悔[不看…后悔]!"},
        // Exceptions silence the shorter matches inside them only.
        {"最后一天", nullptr, ""},
        {"最后三天", "视频号", "最后三天[最后三天]?"},
        {"最后三天", "微信公众号", ""},
        // Nested: the longer; of the same span, the higher level.
        {"删前速看", "微信公众号", "删前速看[删前速看]!"},
        {"最佳", nullptr, "最佳[最佳]!"},
        // A nested match of a higher level stands beside the longer one, and is avoided.
        {"一夜暴富秘籍", nullptr, "一夜暴富[一夜暴富]? 暴富[暴富]!", texts({"暴富"}), {}, "暴富"},
        {"内部消息曝光", "微信公众号", "内部消息[内部消息]? 内部[内部]!", texts({"内部"}), {}, "内部"},
        {"正式通知来了", "微信公众号", "正式通知[正式通知]? 通知[通知]!", texts({"通知"}), {}, "通知"},
        // An exception with a gap silences what lies within its pieces, not what stands in the gap.
        {"最佳男主角奖", nullptr, ""},
        {"最佳好物，转发抽奖", "微信公众号", "转发抽奖[转发抽奖]!", {}, {}, "转发抽奖"},
        {"最佳年货，紧急通知领奖", "微信公众号", "紧急通知[紧急通知]!", {}, {}, "紧急通知"},
        {"最佳的奖", nullptr, "的[的]!", texts({"的"}), texts({"最佳…奖"}), "的"},
        // The writer's words.
        {"内部消息曝光", nullptr, "内部消息[内部消息]!", texts({"内部消息"})},
        {"不看后悔", nullptr, "不看后悔[不看…后悔]!", texts({"后悔"})},
        {"震惊！", nullptr, "", {}, texts({"震惊"})},
        {"最佳拍档", nullptr, "", {}, texts({"最佳拍档"})},
        {"最佳拍档的最佳", nullptr, "最佳[最佳]!", {}, texts({"最佳拍档"})},
        {"内部消息", nullptr, "内部消息[内部消息]!", texts({"内部消息"}), texts({"内部"})},
        {"内部消息曝光", nullptr, "", texts({"内部消息"}), texts({"消息曝光", "内部消息曝光"})},
    };
    for (const Case& c : cases) {
        const RiskChecker checker(c.custom, c.allowed);
        const Text title = from_utf8(c.title);
        const std::vector<RiskHit> hits = checker.check(title, platform(c.platform));
        EXPECT_EQ(describe(title, hits), c.expected) << c.title << " " << (c.platform ? c.platform : "");
        for (const RiskHit& hit : hits) {
            EXPECT_EQ(hit.end_char - hit.first_char, decode(title.substr(hit.begin, hit.end - hit.begin)).size());
            if (!c.custom.empty() && hit.entry->pattern == c.custom.front()) {
                EXPECT_EQ(hit.entry->category, custom_risk_category());
            }
        }
        // Avoiding: the first high hit's pattern.
        const auto high = std::find_if(hits.begin(), hits.end(),
                                       [](const RiskHit& hit) { return hit.entry->level == RiskLevel::high; });
        EXPECT_EQ(checker.blocking_word(title, platform(c.platform)),
                  high == hits.end() ? Text{} : high->entry->pattern);
        if (c.blocked) {
            EXPECT_EQ(to_utf8(checker.blocking_word(title, platform(c.platform))), c.blocked) << c.title;
        }
    }
}

TEST(RiskWords, ARunIsCheckedHeadlineByHeadline) {
    const RiskChecker checker;
    const std::vector<Text> headlines = texts({"不看", "后悔", "速", "看", "", "删前速看", "最佳", "震驚！99％的人"});
    Text text;
    std::vector<size_t> ends;
    for (const Text& headline : headlines) ends.push_back((text += headline).size());
    const Platform* wechat = platform("微信公众号");
    const RunHits run = checker.check_run(text, ends, wechat);
    ASSERT_EQ(run.headlines(), headlines.size());
    for (size_t i = 0; i < headlines.size(); ++i) {
        EXPECT_EQ(describe(headlines[i], run.of(i)), describe(headlines[i], checker.check(headlines[i], wechat))) << i;
    }
    EXPECT_TRUE(run.of(0).empty() && run.of(2).empty());
    // Joined, the first headlines would be marked.
    EXPECT_EQ(checker.check(from_utf8("不看后悔速看"), wechat).size(), 2u);

    const std::vector<LineHits> lines = checker.check_lines(from_utf8("最佳\r\n平常\r\n\r\n太震驚了\n"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].line, 1u);
    EXPECT_EQ(lines[1].line, 4u);
    EXPECT_EQ(lines[1].line_begin, from_utf8("最佳\r\n平常\r\n\r\n").size());
    EXPECT_EQ(lines[1].hits.at(0).begin, from_utf8("太").size());
}

}  // namespace
}  // namespace qinghe
