#pragma once
// How the history stands and why a call failed, with the status line's words for each
// (program text, in one place).
#include <filesystem>

#include "history/sqlite.h"
#include "text/text.h"

namespace qinghe {

// How the history was opened.
enum class HistoryState {
    on_disk,    // history.sqlite3 in the settings folder, read and written
    fresh,      // that file was broken: moved aside, a fresh one started
    in_memory,  // the settings folder takes no file: kept for this session only
    not_kept,   // there is no settings folder: kept for this session only, quietly
    locked,     // another program holds the file: no history this session
    read_only,  // the file comes from a newer program: read, never written
};

enum class HistoryFailure {
    none,
    no_history,  // locked at start: there is nothing to read or write
    read_only,   // a newer program's file, or a file or folder that takes no writes
    full,        // the disk (or the size limit) is full
    busy,        // another program held the file past the wait
    broken,      // the file turned out damaged: moved aside, a fresh one started
    other,
};

// The outcome of a call: a failure fails that call only, and `message` says why for the
// status line. The database stays usable.
struct HistoryResult {
    HistoryFailure failure = HistoryFailure::none;
    Text message;

    bool ok() const { return failure == HistoryFailure::none; }
};

// What the status line says once after opening in `state`; empty for on_disk and
// not_kept. `moved_to` is the broken file's new name.
Text state_notice(HistoryState state, const std::filesystem::path& moved_to = {});

// A failed read or write as the status line gives it.
HistoryResult failed_call(HistoryFailure failure, const sql::Status& status, bool writing);

// The failure kind of an SQLite status.
HistoryFailure failure_of(const sql::Status& status);

}  // namespace qinghe
