#pragma once
// Every board fetched at once. Each board is fetched by its own fetch, the one the panel
// uses for a single board (its headers, cookies, fallbacks, advert rules and bounds), on a
// thread of its own, so that the whole takes about as long as the slowest board; the
// calling (GUI) thread meanwhile handles the window's events and reports progress. The
// kept titles are written and read as for a single board: a board that gives titles has
// them kept, one that gives none has its kept titles stand in.
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

#include "controls/runtime_services.h"
#include "hot/boards.h"
#include "hot/topic_merge.h"

namespace qinghe {

// One board's part of a fetch of every board.
struct BoardTopics {
    const HotBoard* board = nullptr;     // its key, name and short name
    std::vector<HotEntry> entries = {};  // the live titles, else the kept ones (ranked, no heat); none when neither
    std::chrono::system_clock::time_point fetched = {};  // when the entries were fetched
    bool from_cache = false;                             // the fetch gave none: the kept titles stand in
    // When the fetch gave no titles: the address that failed most tellingly and why
    // (HotTopicsFetch); empty otherwise.
    Text address = {};
    Text reason = {};

    bool live() const { return !entries.empty() && !from_cache; }
};

struct AllBoardsFetch {
    std::vector<BoardTopics> boards = {};  // every board, in the order of hot_boards()
    // Stopped on the way (RuntimeServices::cancelled): the boards that were done keep their
    // live titles, the others have none, and the kept titles are neither written nor read.
    bool cancelled = false;
};

// Called on the calling thread whenever a board is done: `done` of `total` boards.
using BoardProgress = std::function<void(size_t done, size_t total)>;

// Fetches every board at once. Returns when all are done; meanwhile the calling thread
// handles the window's events (RuntimeServices::process_pending_messages, at least every
// few tens of milliseconds) and reports progress, and once services.cancelled() answers
// true every request still under way ends at once. A board that gives no titles is
// reported on standard error (report_problem, "<address>: <reason>"), as a single board's
// run reports it. Never throws.
AllBoardsFetch fetch_all_boards(RuntimeServices& services, const BoardProgress& progress = {});

// The boards that hold entries (live or kept), as the merge reads them; they point into
// `fetch`, which must outlive them.
std::vector<RankedBoard> ranked_boards(const AllBoardsFetch& fetch);

}  // namespace qinghe
