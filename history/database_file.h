#pragma once
// Opening history.sqlite3 so that no failure loses anything: a broken file is moved
// aside and a fresh one started, a folder that takes no file keeps the history in
// memory, a file locked by another program is waited for briefly and then done without,
// and a newer program's file is read only.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "history/history_status.h"
#include "history/sqlite.h"

namespace qinghe {

inline constexpr const char* kHistoryFileName = "history.sqlite3";

struct HistoryOptions {
    // How long a call waits for another program's lock before it fails.
    std::chrono::milliseconds busy_timeout{1500};
    // A file up to this size is checked whole at opening (PRAGMA quick_check reads every
    // page, some 20 ms for 4 MiB); a larger one is found broken by the first query that
    // meets the damage.
    std::uintmax_t quick_check_bytes = 4u << 20;
    // A file up to this size is copied into memory when its folder takes no writes, so
    // that the session still knows its history.
    std::uintmax_t memory_copy_bytes = 256u << 20;
};

struct OpenedDatabase {
    std::shared_ptr<sql::Connection> connection;  // none when locked
    HistoryState state = HistoryState::on_disk;
    std::filesystem::path moved_to;  // where a broken file went
    sql::Status why;                 // what kept it from on_disk
};

// Opens (creating when needed) `folder`/history.sqlite3 in WAL mode and brings its schema
// up to date. An empty folder keeps the history in memory. `now` names a broken file.
OpenedDatabase open_database(const std::filesystem::path& folder, std::chrono::sys_seconds now,
                             const HistoryOptions& options = {});

// For a file found damaged in use: moves it aside and opens a fresh one in its place
// (state fresh), or keeps the history in memory when it cannot be moved.
OpenedDatabase replace_broken_database(const std::filesystem::path& folder, std::chrono::sys_seconds now,
                                       const HistoryOptions& options = {});

// Renames a broken database (its -wal with it, its -shm removed) to
// "<name>.broken-YYYYMMDD-HHMMSS" (local time), adding "-2", "-3"... when that is taken.
// The new path; empty with `error` set when it could not be moved.
std::filesystem::path move_aside(const std::filesystem::path& file, std::chrono::sys_seconds now,
                                 std::error_code& error);

}  // namespace qinghe
