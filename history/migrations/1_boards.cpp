// Version 1: what the hot-search boards showed. One row per fetch of a board; topics
// are the normalised titles, shared by all boards; an observation is a topic's rank in
// one fetch (kept 30 days, for the best rank of the last 24 hours and the trend); a
// stretch is a topic's unbroken time on one board.
#include "history/migrations.h"

namespace qinghe {

sql::Status migrate_to_1_boards(sql::Connection& db) {
    // Rows are kept in the order they are written (a board's fetches by time, its
    // stretches by topic), so that recording a fetch touches few pages.
    return db.execute(R"sql(
        CREATE TABLE board_fetches (
            board TEXT NOT NULL,
            fetched INTEGER NOT NULL,
            PRIMARY KEY (board, fetched)
        ) WITHOUT ROWID;
        CREATE INDEX board_fetches_by_time ON board_fetches (fetched);

        CREATE TABLE board_topics (
            id INTEGER PRIMARY KEY,
            key TEXT NOT NULL UNIQUE
        );

        CREATE TABLE board_observations (
            board TEXT NOT NULL,
            fetched INTEGER NOT NULL,
            topic INTEGER NOT NULL,
            rank INTEGER NOT NULL,
            PRIMARY KEY (board, fetched, topic)
        ) WITHOUT ROWID;

        CREATE TABLE board_stretches (
            board TEXT NOT NULL,
            topic INTEGER NOT NULL,
            first_seen INTEGER NOT NULL,
            last_seen INTEGER NOT NULL,
            best_rank INTEGER NOT NULL,
            last_rank INTEGER NOT NULL,
            title TEXT NOT NULL,
            last_heat TEXT NOT NULL,
            PRIMARY KEY (board, topic, first_seen)
        ) WITHOUT ROWID;
        -- Whether any board still names a topic; a stretch's topic never changes.
        CREATE INDEX board_stretches_by_topic ON board_stretches (topic);

        CREATE TABLE history_meta (
            name TEXT PRIMARY KEY,
            value INTEGER NOT NULL
        ) WITHOUT ROWID;
    )sql");
}

}  // namespace qinghe
