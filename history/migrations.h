#pragma once
// The schema of history.sqlite3, built by numbered migrations applied in order, each in a
// transaction of its own; PRAGMA user_version holds the number of the last one applied.
#include "history/sqlite.h"

namespace qinghe {

// The schema this program reads and writes. A file with a higher number comes from a
// newer program: it is read only, never migrated down.
inline constexpr int kSchemaVersion = 2;

// 1: the hot-search boards' fetches, observations and stretches.
sql::Status migrate_to_1_boards(sql::Connection& db);
// 2: the headlines the writer used or starred, their search index and their counts.
sql::Status migrate_to_2_headlines(sql::Connection& db);

// Brings the schema up to `target` (at most kSchemaVersion), one migration per
// transaction, so that a failure leaves the file at the last version reached. A file
// already at or past `target` is left as it is.
sql::Status migrate(sql::Connection& db, int target = kSchemaVersion);

}  // namespace qinghe
