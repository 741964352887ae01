// Version 2: the headlines the writer used or starred. One row per headline; an index
// per column of the window (and a smaller one of the starred rows only), so that a page
// in any order is read from its place; a full-text index over the text (FTS5 with
// trigrams, for searches of three characters or more) kept in step by triggers, as are
// the counts of the status label.
#include "history/migrations.h"

namespace qinghe {

sql::Status migrate_to_2_headlines(sql::Connection& db) {
    return db.execute(R"sql(
        CREATE TABLE headlines (
            id INTEGER PRIMARY KEY AUTOINCREMENT,
            text TEXT NOT NULL,
            compared_hash INTEGER NOT NULL,
            platform TEXT NOT NULL,
            keyword TEXT NOT NULL,
            board TEXT NOT NULL,
            planted TEXT NOT NULL,
            first_used INTEGER NOT NULL,
            last_used INTEGER NOT NULL,
            times_used INTEGER NOT NULL,
            starred INTEGER NOT NULL
        );
        CREATE INDEX headlines_by_compared_hash ON headlines (compared_hash);
        CREATE INDEX headlines_by_text ON headlines (text);
        CREATE INDEX headlines_by_platform ON headlines (platform);
        CREATE INDEX headlines_by_keyword ON headlines (keyword);
        CREATE INDEX headlines_by_planted ON headlines (planted);
        CREATE INDEX headlines_by_times_used ON headlines (times_used);
        CREATE INDEX headlines_by_last_used ON headlines (last_used);
        CREATE INDEX headlines_starred_by_text ON headlines (text) WHERE starred;
        CREATE INDEX headlines_starred_by_platform ON headlines (platform) WHERE starred;
        CREATE INDEX headlines_starred_by_keyword ON headlines (keyword) WHERE starred;
        CREATE INDEX headlines_starred_by_planted ON headlines (planted) WHERE starred;
        CREATE INDEX headlines_starred_by_times_used ON headlines (times_used) WHERE starred;
        CREATE INDEX headlines_starred_by_last_used ON headlines (last_used) WHERE starred;

        CREATE VIRTUAL TABLE headlines_search USING fts5 (
            text, content = 'headlines', content_rowid = 'id', tokenize = 'trigram'
        );

        CREATE TABLE headline_counts (
            only INTEGER PRIMARY KEY CHECK (only = 1),
            starred INTEGER NOT NULL,
            used INTEGER NOT NULL
        );
        INSERT INTO headline_counts VALUES (1, 0, 0);

        CREATE TRIGGER headlines_added AFTER INSERT ON headlines BEGIN
            INSERT INTO headlines_search (rowid, text) VALUES (new.id, new.text);
            UPDATE headline_counts SET starred = starred + (new.starred != 0), used = used + (new.times_used > 0);
        END;
        CREATE TRIGGER headlines_removed AFTER DELETE ON headlines BEGIN
            INSERT INTO headlines_search (headlines_search, rowid, text) VALUES ('delete', old.id, old.text);
            UPDATE headline_counts SET starred = starred - (old.starred != 0), used = used - (old.times_used > 0);
        END;
        CREATE TRIGGER headlines_retexted AFTER UPDATE OF text ON headlines WHEN old.text IS NOT new.text BEGIN
            INSERT INTO headlines_search (headlines_search, rowid, text) VALUES ('delete', old.id, old.text);
            INSERT INTO headlines_search (rowid, text) VALUES (new.id, new.text);
        END;
        CREATE TRIGGER headlines_recounted AFTER UPDATE OF starred, times_used ON headlines BEGIN
            UPDATE headline_counts SET starred = starred + (new.starred != 0) - (old.starred != 0),
                                       used = used + (new.times_used > 0) - (old.times_used > 0);
        END;
    )sql");
}

}  // namespace qinghe
