#pragma once
// How the history's figures read in the window (program text).
#include <chrono>
#include <cstdint>
#include <optional>

#include "text/text.h"

namespace qinghe {

// 在榜: how long a topic has stood on the board up to the fetch shown: "新" when it first
// came in that fetch, else "25 分钟" (at least 1), "3 小时" from an hour, "2 天" from a
// day, each rounded down.
Text on_board_text(std::chrono::sys_seconds since, std::chrono::sys_seconds fetched);

// 趋势: the rank against the board's previous fetch: "↑3" when it rose three places,
// "↓2" when it fell two, "—" when it kept its place, "新" when it was not there.
Text trend_text(std::optional<int> previous_rank, int rank);

// A count with thousands separators: "1,204".
Text with_thousands(std::int64_t count);

// The status label of the headlines' window: "收藏 37 · 用过 1,204".
Text headline_counts_text(std::int64_t starred, std::int64_t used);

}  // namespace qinghe
