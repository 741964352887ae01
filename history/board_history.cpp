#include "history/board_history.h"

#include <unordered_map>
#include <unordered_set>

#include "text/codec.h"

namespace qinghe {
namespace {

using std::chrono::seconds;

std::int64_t seconds_of(sys_seconds time) { return time.time_since_epoch().count(); }
sys_seconds time_of(std::int64_t value) { return sys_seconds(seconds(value)); }

// The board's latest fetch before `before` (or at all); none when there is none.
sql::Status fetch_before(sql::Connection& db, std::string_view board, std::optional<std::int64_t> before,
                         std::optional<std::int64_t>& out) {
    sql::Query query = before ? db.prepared("SELECT max(fetched) FROM board_fetches WHERE board = ?1 AND fetched < ?2")
                              : db.prepared("SELECT max(fetched) FROM board_fetches WHERE board = ?1");
    query->bind(1, board);
    if (before) query->bind(2, *before);
    out.reset();
    if (query->next() && !query->is_null(0)) out = query->integer(0);
    return query->status();
}

sql::Status topic_id(sql::Connection& db, const std::string& key, std::int64_t& id) {
    sql::Query find = db.prepared("SELECT id FROM board_topics WHERE key = ?1");
    if (find->bind(1, key).next()) {
        id = find->integer(0);
        return {};
    }
    if (!find->ok()) return find->status();
    sql::Status status = db.prepared("INSERT INTO board_topics (key) VALUES (?1)")->bind(1, key).run();
    id = db.last_insert_id();
    return status;
}

// Continues the topic's stretch when it stood in the board's previous fetch, not too long
// ago; else starts a new one.
sql::Status record_stretch(sql::Connection& db, std::string_view board, std::int64_t topic, const BoardEntry& entry,
                           std::int64_t fetched, std::optional<std::int64_t> previous_fetch) {
    const std::string title = to_utf8(entry.title);
    const std::string heat = to_utf8(entry.heat);
    std::optional<std::int64_t> since;
    if (previous_fetch && fetched - *previous_fetch <= kStretchBreak.count()) {
        sql::Query find =
            db.prepared("SELECT first_seen FROM board_stretches WHERE board = ?1 AND topic = ?2 AND last_seen = ?3");
        find->bind(1, board).bind(2, topic).bind(3, *previous_fetch);
        if (find->next()) since = find->integer(0);
        if (!find->ok()) return find->status();
    }
    if (since) {
        sql::Query extend = db.prepared(
            "UPDATE board_stretches SET last_seen = ?4, best_rank = min(best_rank, ?5), last_rank = ?5, title = ?6,"
            " last_heat = ?7 WHERE board = ?1 AND topic = ?2 AND first_seen = ?3");
        return extend->bind(1, board)
            .bind(2, topic)
            .bind(3, *since)
            .bind(4, fetched)
            .bind(5, entry.rank)
            .bind(6, title)
            .bind(7, heat)
            .run();
    }
    sql::Query start = db.prepared(
        "INSERT INTO board_stretches (board, topic, first_seen, last_seen, best_rank, last_rank, title, last_heat)"
        " VALUES (?1, ?2, ?3, ?3, ?4, ?4, ?5, ?6)");
    return start->bind(1, board).bind(2, topic).bind(3, fetched).bind(4, entry.rank).bind(5, title).bind(6, heat).run();
}

}  // namespace

sql::Status BoardHistory::record_fetch(std::string_view board, sys_seconds fetched,
                                       const std::vector<BoardEntry>& entries) {
    if (entries.empty()) return {};
    sql::Transaction transaction(db_);
    if (!transaction.ok()) return transaction.status();
    const std::int64_t at = seconds_of(fetched);
    std::optional<std::int64_t> previous;
    if (sql::Status status = fetch_before(db_, board, std::nullopt, previous); !status.ok()) return status;
    if (previous && *previous >= at) return {};
    sql::Status status =
        db_.prepared("INSERT INTO board_fetches (board, fetched) VALUES (?1, ?2)")->bind(1, board).bind(2, at).run();
    std::unordered_set<std::string> keys;
    for (const BoardEntry& entry : entries) {
        if (!status.ok()) return status;
        std::string key = to_utf8(entry.key);
        if (!keys.insert(key).second) continue;
        std::int64_t topic = 0;
        status = topic_id(db_, key, topic);
        if (status.ok()) status = record_stretch(db_, board, topic, entry, at, previous);
        if (status.ok()) {
            status =
                db_.prepared("INSERT INTO board_observations (board, fetched, topic, rank) VALUES (?1, ?2, ?3, ?4)")
                    ->bind(1, board)
                    .bind(2, at)
                    .bind(3, topic)
                    .bind(4, entry.rank)
                    .run();
        }
    }
    if (!status.ok()) return status;
    return transaction.commit();
}

sql::Status BoardHistory::standings_of(std::string_view board, sys_seconds fetched, BoardFetchStandings& out) {
    const std::int64_t at = seconds_of(fetched);
    std::optional<std::int64_t> previous;
    if (sql::Status status = fetch_before(db_, board, at, previous); !status.ok()) return status;
    // Each topic's best rank over the window, in one pass over its fetches.
    std::unordered_map<std::int64_t, int> best;
    sql::Query window = db_.prepared(
        "SELECT topic, min(rank) FROM board_observations WHERE board = ?1 AND fetched > ?2 AND fetched <= ?3"
        " GROUP BY topic");
    window->bind(1, board).bind(2, at - kBestRankWindow.count()).bind(3, at);
    while (window->next()) best[window->integer(0)] = static_cast<int>(window->integer(1));
    if (!window->ok()) return window->status();

    sql::Query query = db_.prepared(R"sql(
        SELECT o.topic, o.rank, t.key, s.title, s.last_heat, s.first_seen,
               (SELECT p.rank FROM board_observations p WHERE p.board = o.board AND p.fetched = ?3 AND p.topic = o.topic)
        FROM board_observations o
        JOIN board_topics t ON t.id = o.topic
        JOIN board_stretches s ON s.board = o.board AND s.topic = o.topic AND s.last_seen = o.fetched
        WHERE o.board = ?1 AND o.fetched = ?2
        ORDER BY o.rank, t.key
    )sql");
    query->bind(1, board).bind(2, at);
    if (previous) query->bind(3, *previous);
    out.board = std::string(board);
    out.fetched = fetched;
    out.entries.clear();
    while (query->next()) {
        BoardStanding& standing = out.entries.emplace_back();
        standing.rank = static_cast<int>(query->integer(1));
        standing.key = from_utf8(query->text(2));
        standing.title = from_utf8(query->text(3));
        standing.heat = from_utf8(query->text(4));
        standing.on_board_since = time_of(query->integer(5));
        const auto found = best.find(query->integer(0));
        standing.best_rank = found == best.end() ? standing.rank : found->second;
        if (!query->is_null(6)) standing.previous_rank = static_cast<int>(query->integer(6));
    }
    return query->status();
}

sql::Status BoardHistory::latest(std::string_view board, std::optional<BoardFetchStandings>& out) {
    out.reset();
    std::optional<std::int64_t> latest;
    if (sql::Status status = fetch_before(db_, board, std::nullopt, latest); !status.ok() || !latest) return status;
    BoardFetchStandings standings;
    sql::Status status = standings_of(board, time_of(*latest), standings);
    if (status.ok()) out = std::move(standings);
    return status;
}

sql::Status BoardHistory::latest_of_all(std::vector<BoardFetchStandings>& out) {
    out.clear();
    std::vector<std::pair<std::string, std::int64_t>> boards;
    sql::Query query = db_.prepared("SELECT board, max(fetched) FROM board_fetches GROUP BY board ORDER BY board");
    while (query->next()) boards.emplace_back(std::string(query->text(0)), query->integer(1));
    if (!query->ok()) return query->status();
    for (const auto& [board, fetched] : boards) {
        if (sql::Status status = standings_of(board, time_of(fetched), out.emplace_back()); !status.ok()) {
            out.clear();
            return status;
        }
    }
    return {};
}

// Whole fetches at a time, oldest first: their observations, then the fetch.
sql::Status BoardHistory::delete_old_fetches(sys_seconds cutoff, size_t batch_rows, size_t& deleted) {
    std::vector<std::pair<std::string, std::int64_t>> fetches;
    sql::Query old =
        db_.prepared("SELECT board, fetched FROM board_fetches WHERE fetched < ?1 ORDER BY fetched LIMIT ?2");
    old->bind(1, seconds_of(cutoff)).bind(2, static_cast<std::int64_t>(batch_rows));
    while (old->next()) fetches.emplace_back(std::string(old->text(0)), old->integer(1));
    if (!old->ok()) return old->status();
    for (const auto& [board, fetched] : fetches) {
        if (deleted >= batch_rows) break;
        sql::Status status = db_.prepared("DELETE FROM board_observations WHERE board = ?1 AND fetched = ?2")
                                 ->bind(1, board)
                                 .bind(2, fetched)
                                 .run();
        deleted += static_cast<size_t>(db_.changes());
        if (status.ok()) {
            status = db_.prepared("DELETE FROM board_fetches WHERE board = ?1 AND fetched = ?2")
                         ->bind(1, board)
                         .bind(2, fetched)
                         .run();
            deleted += 1;
        }
        if (!status.ok()) return status;
    }
    return {};
}

// Stretches that ended before the cutoff, then the topics that no stretch names any more.
sql::Status BoardHistory::delete_old_stretches(sys_seconds cutoff, size_t batch_rows, size_t& deleted) {
    std::vector<std::int64_t> topics;
    // A scan: the table holds some tens of thousands of rows, and an index by age would
    // be rewritten at every fetch.
    sql::Query old = db_.prepared(
        "DELETE FROM board_stretches WHERE (board, topic, first_seen) IN"
        " (SELECT board, topic, first_seen FROM board_stretches WHERE last_seen < ?1 LIMIT ?2) RETURNING topic");
    // Each stretch may take its topic with it.
    const size_t stretches = (batch_rows - deleted + 1) / 2;
    old->bind(1, seconds_of(cutoff)).bind(2, static_cast<std::int64_t>(stretches));
    while (old->next()) topics.push_back(old->integer(0));
    if (!old->ok()) return old->status();
    deleted += topics.size();
    sql::Query unused = db_.prepared(
        "DELETE FROM board_topics WHERE id = ?1 AND NOT EXISTS (SELECT 1 FROM board_stretches WHERE topic = ?1)");
    for (const std::int64_t topic : topics) {
        if (sql::Status status = unused->reset().bind(1, topic).run(); !status.ok()) return status;
        deleted += static_cast<size_t>(db_.changes());
    }
    return {};
}

sql::Status BoardHistory::prune_some(sys_seconds now, PruneProgress& progress, size_t batch_rows) {
    progress = PruneProgress::not_due;
    {
        sql::Query last = db_.prepared("SELECT value FROM history_meta WHERE name = 'boards_pruned'");
        if (last->next() && now - time_of(last->integer(0)) < kPruneInterval) return {};
        if (!last->ok()) return last->status();
    }

    sql::Transaction transaction(db_);
    if (!transaction.ok()) return transaction.status();
    const sys_seconds cutoff = now - kBoardHistoryKept;
    size_t deleted = 0;
    sql::Status status = delete_old_fetches(cutoff, batch_rows, deleted);
    if (status.ok() && deleted < batch_rows) status = delete_old_stretches(cutoff, batch_rows, deleted);
    if (status.ok() && deleted == 0) {
        status = db_.prepared("INSERT OR REPLACE INTO history_meta (name, value) VALUES ('boards_pruned', ?1)")
                     ->bind(1, seconds_of(now))
                     .run();
    }
    if (status.ok()) status = transaction.commit();
    if (status.ok()) progress = deleted == 0 ? PruneProgress::done : PruneProgress::more;
    return status;
}

}  // namespace qinghe
