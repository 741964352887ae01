#pragma once
// The hot-search boards a writer can take the prefix list from, in the order the choice
// box lists them, Baidu's first (the program's own).
#include <span>
#include <string_view>

#include "hot/hot_topics.h"

namespace qinghe {

struct HotBoard {
    const char* key;         // ASCII, stable: names the board in the topic cache
    const char* name;        // UTF-8, as the choice box shows it and config.ini keeps it
    const char* short_name;  // UTF-8, where boards stand side by side: 百度, 微博, 知乎, 抖音, 头条, B站
    // Fetches the board's titles; never throws.
    HotTopicsFetch (*fetch)(RuntimeServices& services);
};

// baidu, weibo, zhihu, douyin, toutiao, bilibili.
std::span<const HotBoard> hot_boards();

// The choice box's item after the boards (UTF-8, kept in config.ini as a board's name
// is): every board fetched at once and the same event merged across them
// (hot/all_boards.h, hot/topic_merge.h).
inline constexpr const char* kAllBoardsChoice = "全网（合并）";
// The board with `key`; nullptr when none has it.
const HotBoard* find_hot_board(std::string_view key);

}  // namespace qinghe
