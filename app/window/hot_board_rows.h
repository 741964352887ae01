#pragma once
// What the window 热点榜 shows, without Qt: each board's titles with what the history
// says of them, as rows (one board's titles, or the merged topics with a child row per
// board that carries them), and the status line's summary.
#include <array>
#include <chrono>
#include <optional>
#include <span>
#include <vector>

#include "history/board_history.h"
#include "hot/boards.h"

namespace qinghe {

// One board's titles as the window holds them.
struct ShownBoard {
    const HotBoard* board = nullptr;
    std::vector<HotEntry> entries = {};                  // ranked; no heat for titles kept without history
    std::chrono::system_clock::time_point fetched = {};  // when the entries were fetched
    // Fetched by the window's latest 刷新, not read back from what was kept.
    bool live = false;
    // Why the board's latest fetch gave no titles (program text, the board named, such as
    // "知乎热榜：身份未经过验证（401）"); the entries are then its kept ones. Empty when it gave.
    Text failure = {};
    // The history's standings of these very entries (the same fetch); none when the
    // history has nothing of it.
    std::optional<BoardFetchStandings> standings = {};
};

// The columns, UTF-8: 排名, 标题, 热度, 来源, 在榜, 最高, 趋势.
inline constexpr std::array<const char*, 7> kHotBoardColumns = {"排名", "标题", "热度", "来源", "在榜", "最高", "趋势"};

// A row of the list (program text): a board's title, or a merged topic with one child
// row per board that carries it.
struct HotBoardRow {
    Text key;                                              // topic_key of the title: ticks are kept by it
    std::array<Text, kHotBoardColumns.size()> cells = {};  // in column order
    std::vector<HotBoardRow> children = {};

    const Text& title() const { return cells[1]; }
};

// One board's titles in rank order, 来源 its short name; 在榜, 最高 and 趋势 from the
// history's standings where it has them, else empty.
std::vector<HotBoardRow> board_rows(const ShownBoard& board);

// Every board's titles merged into topics (hot/topic_merge.h), in merged order: 排名 the
// topic's place, 标题 its title, 来源 the short names of every board that carries it
// ("微博 · 百度 · 抖音"), the other columns those of the board whose title it bears (where
// it stands highest); a child row per board with that board's own title and figures.
std::vector<HotBoardRow> merged_rows(std::span<const ShownBoard> boards);

// The status line's first line and the lines of the boards that failed (program text):
// "6 个榜 · 287 条 · 合并为 231 个话题 · 已排除 12 · 21:43 获取" (merged, `topics`
// given) or "微博热搜 · 50 条 · 已排除 3 · 21:43 获取"; the time is that of the newest
// titles, with their age when they were not fetched just now ("25 分钟前 · 21:18 获取").
// A failed board adds "知乎热榜：身份未经过验证（401），显示 3 小时前的", or "，没有留存的热点".
Text hot_board_status(std::span<const ShownBoard> boards, std::optional<size_t> topics, size_t excluded,
                      std::chrono::system_clock::time_point now);

}  // namespace qinghe
