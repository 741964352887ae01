#pragma once
// The window 热点榜 as the program runs it: opening it over the main window, fetching the
// boards into it, recording every successful fetch in the writer's history, and planting
// the topics the writer picks.
#include <chrono>

#include "controls/window.h"

namespace qinghe {

// 热点榜…: opens the window 热点榜 (one for the main window; the button brings it to the
// front when it is open). It shows the kept titles at once, with what the history says of
// them, and fetches by itself only when they are older than kHotBoardFreshFor.
void open_hot_board(Window& window);
inline constexpr auto kHotBoardFreshFor = std::chrono::minutes(10);

}  // namespace qinghe
