#pragma once
// What the hot-search boards showed, fetch after fetch: for each board and topic (a
// normalised title) the stretches it stood on the board without a break, and its rank in
// every fetch of the last 30 days. From them come the window's columns: how long a topic
// has stood on the board, its best rank in the last 24 hours and its trend against the
// board's previous fetch.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/sqlite.h"
#include "text/text.h"

namespace qinghe {

using std::chrono::sys_seconds;

// A stretch ends when a fetch of its board lacks the topic, or when more than this
// passes between two fetches of the board.
inline constexpr std::chrono::seconds kStretchBreak = std::chrono::hours(6);
// The best rank is the best of the fetches in this time up to the one shown.
inline constexpr std::chrono::seconds kBestRankWindow = std::chrono::hours(24);
// Fetches, observations and stretches older than this are pruned...
inline constexpr std::chrono::seconds kBoardHistoryKept = std::chrono::days(30);
// ...at most once in this time, a batch of rows per call.
inline constexpr std::chrono::seconds kPruneInterval = std::chrono::hours(24);
inline constexpr size_t kPruneBatchRows = 2000;

// One title of a successful fetch, as the caller read it from the board.
struct BoardEntry {
    Text key;    // the normalised title (the hot room's normaliser), program text
    Text title;  // as shown
    int rank = 0;
    Text heat;  // as the board gives it; may be empty
};

// A title of a board's latest fetch with what the history says of it.
struct BoardStanding {
    Text key;
    Text title;
    int rank = 0;
    Text heat;
    // The first fetch of its present stretch; the fetch itself when it is new there.
    sys_seconds on_board_since;
    // Its best rank in the fetches of the kBestRankWindow up to this one.
    int best_rank = 0;
    // Its rank in the board's previous fetch; none when it was not there (or there was
    // no previous fetch).
    std::optional<int> previous_rank;

    bool operator==(const BoardStanding&) const = default;
};

struct BoardFetchStandings {
    std::string board;
    sys_seconds fetched;
    std::vector<BoardStanding> entries;  // by rank
};

enum class PruneProgress {
    not_due,  // pruned less than kPruneInterval ago
    more,     // a batch went; call again
    done,     // nothing older is left; the next prune is due after kPruneInterval
};

// The boards' tables of one connection; its statements are prepared once, on first use.
class BoardHistory {
public:
    explicit BoardHistory(sql::Connection& db) : db_(db) {}

    // Records a successful fetch in one transaction (or a savepoint within the caller's).
    // A fetch without titles, or not later than the board's latest, records nothing;
    // of titles with the same key the first counts.
    sql::Status record_fetch(std::string_view board, sys_seconds fetched, const std::vector<BoardEntry>& entries);

    // The board's latest fetch with its titles' standings; none when never fetched.
    sql::Status latest(std::string_view board, std::optional<BoardFetchStandings>& out);
    // The latest fetch of every board, by board key.
    sql::Status latest_of_all(std::vector<BoardFetchStandings>& out);

    // Deletes at most about `batch_rows` rows older than kBoardHistoryKept before `now`,
    // in one transaction, so that no call holds the window for long.
    sql::Status prune_some(sys_seconds now, PruneProgress& progress, size_t batch_rows = kPruneBatchRows);

private:
    sql::Status standings_of(std::string_view board, sys_seconds fetched, BoardFetchStandings& out);
    sql::Status delete_old_fetches(sys_seconds cutoff, size_t batch_rows, size_t& deleted);
    sql::Status delete_old_stretches(sys_seconds cutoff, size_t batch_rows, size_t& deleted);

    sql::Connection& db_;
};

}  // namespace qinghe
