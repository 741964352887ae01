#include "history/database_file.h"

#include <ctime>
#include <string>

#include <sqlite3.h>

#include "history/migrations.h"

namespace qinghe {
namespace {

namespace fs = std::filesystem;

enum class Outcome { ready, newer, broken, locked, unwritable };

Outcome outcome_of(const sql::Status& status) {
    switch (status.failure()) {
        case sql::Failure::none: return Outcome::ready;
        case sql::Failure::busy: return Outcome::locked;
        case sql::Failure::corrupt: return Outcome::broken;
        default: return Outcome::unwritable;
    }
}

// The file as an SQLite URI, so that a read-only opening can say so.
std::string file_uri(const fs::path& file, const char* query) {
    std::string uri = "file:";
    for (const char c : file.string()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || c == '%' || c == '?' || c == '#') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        } else {
            uri += c;
        }
    }
    return uri + query;
}

std::shared_ptr<sql::Connection> shared(sql::Connection connection) {
    return std::make_shared<sql::Connection>(std::move(connection));
}

// The first column of the first row of a pragma's answer.
sql::Status first_answer(sql::Connection& db, const std::string& pragma, std::string& answer) {
    sql::Query query = db.prepared(pragma);
    answer = query->next() ? std::string(query->text(0)) : std::string();
    return query->status();
}

// A file of a newer program, opened read-only: it is never written, not even by the
// checkpoint that closing a read-write connection makes. Else nothing, and `why` tells
// whether the file could be read at all.
std::shared_ptr<sql::Connection> open_if_newer(const fs::path& file, const HistoryOptions& options, sql::Status& why) {
    sql::Connection db = sql::Connection::open(file_uri(file, "?mode=ro"), sql::OpenMode::read_only);
    why = {};
    if (!db.is_open()) return nullptr;
    db.set_busy_timeout(static_cast<int>(options.busy_timeout.count()));
    const int version = db.user_version();
    if (version < 0) why = db.status();
    if (version <= kSchemaVersion) return nullptr;
    return shared(std::move(db));
}

// Opens the file for reading and writing and makes it ready: WAL, its schema up to date,
// and, when small enough, checked whole.
Outcome open_file(const fs::path& file, const HistoryOptions& options, std::shared_ptr<sql::Connection>& out,
                  sql::Status& why) {
    out = open_if_newer(file, options, why);
    if (out) return Outcome::newer;
    // Busy or broken already when read; one that cannot be read may still be made.
    if (why.failure() == sql::Failure::busy || why.failure() == sql::Failure::corrupt) return outcome_of(why);
    sql::Connection db = sql::Connection::open(file.string(), sql::OpenMode::read_write_create);
    why = db.status();
    if (!db.is_open()) return outcome_of(why);
    db.set_busy_timeout(static_cast<int>(options.busy_timeout.count()));
    const int version = db.user_version();
    if (version < 0) {
        why = db.status();
        return outcome_of(why);
    }
    std::string answer;
    why = first_answer(db, "PRAGMA journal_mode = WAL", answer);
    if (!why.ok()) return outcome_of(why);
    // A file whose journal cannot become a WAL file beside it: the folder takes no file.
    if (answer != "wal") return Outcome::unwritable;
    why = db.execute("PRAGMA synchronous = NORMAL");
    if (!why.ok()) return outcome_of(why);
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (!error && size <= options.quick_check_bytes) {
        why = first_answer(db, "PRAGMA quick_check", answer);
        if (!why.ok()) return outcome_of(why);
        if (answer != "ok") {
            why = sql::Status(SQLITE_CORRUPT, "quick_check found damage");
            return Outcome::broken;
        }
    }
    why = migrate(db);
    // A database without our number whose tables stand in the way of ours is no history
    // of ours; one of ours that cannot be brought up to date is kept as it is.
    if (version == 0 && (why.code() & 0xff) == SQLITE_ERROR) return Outcome::broken;
    if (!why.ok()) return outcome_of(why);
    out = shared(std::move(db));
    return Outcome::ready;
}

// A database of this session only, holding a copy of `file` when it can be read and is
// not too large.
OpenedDatabase in_memory(HistoryState state, const fs::path& file, const HistoryOptions& options, sql::Status why) {
    sql::Connection memory = sql::Connection::open(":memory:", sql::OpenMode::read_write_create);
    std::error_code error;
    if (!file.empty() && fs::is_regular_file(file, error) && fs::file_size(file, error) <= options.memory_copy_bytes &&
        !error) {
        // mode=ro reads a WAL file whose -shm exists; immutable=1 also one whose folder
        // cannot take the -shm, which nothing else can then be writing.
        for (const char* query : {"?mode=ro", "?immutable=1"}) {
            sql::Connection source = sql::Connection::open(file_uri(file, query), sql::OpenMode::read_only);
            if (source.is_open() && source.user_version() >= 0 && copy_database(source, memory).ok()) break;
            memory = sql::Connection::open(":memory:", sql::OpenMode::read_write_create);
        }
    }
    OpenedDatabase opened{nullptr, state, {}, std::move(why)};
    if (memory.user_version() > kSchemaVersion) {
        opened.state = HistoryState::read_only;
    } else if (!migrate(memory).ok()) {
        // A copy that cannot be brought up to date starts the session empty.
        memory = sql::Connection::open(":memory:", sql::OpenMode::read_write_create);
        migrate(memory);
    }
    opened.connection = shared(std::move(memory));
    return opened;
}

std::string local_stamp(std::chrono::sys_seconds now) {
    const std::time_t seconds = now.time_since_epoch().count();
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return stamp;
}

}  // namespace

fs::path move_aside(const fs::path& file, std::chrono::sys_seconds now, std::error_code& error) {
    const std::string base = file.string() + ".broken-" + local_stamp(now);
    fs::path target = base;
    for (int n = 2; fs::exists(fs::symlink_status(target, error)) && n < 100; ++n) {
        target = base + "-" + std::to_string(n);
    }
    error.clear();
    fs::rename(file, target, error);
    if (error) return {};
    std::error_code ignored;
    // The -wal belongs to the broken file; left beside a fresh one it would be replayed into it.
    const fs::path wal = file.string() + "-wal";
    if (fs::exists(fs::symlink_status(wal, ignored))) fs::rename(wal, target.string() + "-wal", ignored);
    fs::remove(file.string() + "-shm", ignored);
    return target;
}

OpenedDatabase open_database(const fs::path& folder, std::chrono::sys_seconds now, const HistoryOptions& options) {
    if (folder.empty()) return in_memory(HistoryState::not_kept, {}, options, {});
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    const fs::path file = folder / kHistoryFileName;
    fs::path moved_to;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::shared_ptr<sql::Connection> connection;
        sql::Status why;
        switch (open_file(file, options, connection, why)) {
            case Outcome::ready:
                return {std::move(connection), moved_to.empty() ? HistoryState::on_disk : HistoryState::fresh, moved_to,
                        std::move(why)};
            case Outcome::newer: return {std::move(connection), HistoryState::read_only, {}, std::move(why)};
            case Outcome::locked: return {nullptr, HistoryState::locked, {}, std::move(why)};
            case Outcome::unwritable: return in_memory(HistoryState::in_memory, file, options, std::move(why));
            case Outcome::broken: {
                std::error_code error;
                moved_to = move_aside(file, now, error);
                if (error) return in_memory(HistoryState::in_memory, {}, options, std::move(why));
                break;
            }
        }
    }
    // A fresh file that is broken at once: the folder cannot be trusted with it.
    return in_memory(HistoryState::in_memory, {}, options, sql::Status(SQLITE_CORRUPT, "fresh file broken"));
}

OpenedDatabase replace_broken_database(const fs::path& folder, std::chrono::sys_seconds now,
                                       const HistoryOptions& options) {
    std::error_code error;
    const fs::path moved_to = move_aside(folder / kHistoryFileName, now, error);
    if (error) return in_memory(HistoryState::in_memory, {}, options, sql::Status(SQLITE_CORRUPT, "cannot move"));
    OpenedDatabase opened = open_database(folder, now, options);
    if (opened.state == HistoryState::on_disk) {
        opened.state = HistoryState::fresh;
        opened.moved_to = moved_to;
    }
    return opened;
}

}  // namespace qinghe
