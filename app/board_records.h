#pragma once
// The boards' fetches in the writer's history: every fetch that gave titles is recorded,
// whether the panel's run or the window 热点榜 made it, and the old rows are pruned while
// the window is idle.
#include <chrono>
#include <vector>

#include "controls/window.h"
#include "history/history_status.h"
#include "hot/boards.h"

namespace qinghe {

class History;

// Records a successful fetch of `board` (its titles as read, in order) in the history,
// each title under its topic key. The result's message is for the status line.
HistoryResult record_board_fetch(History& history, const HotBoard& board, std::chrono::system_clock::time_point fetched,
                                 const std::vector<HotEntry>& entries);

// Prunes the history's old board rows while the window is idle: one batch per turn of the
// event loop, for as long as the history says there is more (it prunes at most once a
// day). Does nothing while such a chain is under way.
void prune_history_when_idle(Window& window);

}  // namespace qinghe
