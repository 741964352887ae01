#include "history/sqlite.h"

#include <sqlite3.h>

#include <utility>

namespace qinghe::sql {

Failure failure_of(int result_code) {
    switch (result_code & 0xff) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE: return Failure::none;
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return Failure::busy;
        case SQLITE_FULL: return Failure::full;
        case SQLITE_READONLY:
        case SQLITE_PERM: return Failure::read_only;
        case SQLITE_CANTOPEN: return Failure::cant_open;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return Failure::corrupt;
        default: return Failure::other;
    }
}

namespace {

Status status_of(int code, sqlite3* db) {
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) return {};
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    return {code, message ? message : sqlite3_errstr(code)};
}

}  // namespace

// Statement

Statement::Statement(sqlite3_stmt* statement, sqlite3* db, Status status)
        : statement_(statement), db_(db), status_(std::move(status)) {}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement::Statement(Statement&& other) noexcept
        : statement_(std::exchange(other.statement_, nullptr)),
          db_(std::exchange(other.db_, nullptr)),
          status_(std::move(other.status_)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = std::exchange(other.statement_, nullptr);
        db_ = std::exchange(other.db_, nullptr);
        status_ = std::move(other.status_);
    }
    return *this;
}

void Statement::fail(int code) {
    if (status_.ok()) status_ = status_of(code, db_);
}

Statement& Statement::reset() {
    if (!statement_) return *this;
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    status_ = {};
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
    if (statement_) {
        const int code = sqlite3_bind_int64(statement_, index, value);
        if (code != SQLITE_OK) fail(code);
    }
    return *this;
}

Statement& Statement::bind(int index, std::string_view utf8) {
    if (statement_) {
        // A pointer is needed even for the empty text, which must not read as NULL.
        const int code = sqlite3_bind_text64(statement_, index, utf8.data() ? utf8.data() : "", utf8.size(),
                                             SQLITE_TRANSIENT, SQLITE_UTF8);
        if (code != SQLITE_OK) fail(code);
    }
    return *this;
}

Statement& Statement::bind_null(int index) {
    if (statement_) {
        const int code = sqlite3_bind_null(statement_, index);
        if (code != SQLITE_OK) fail(code);
    }
    return *this;
}

bool Statement::next() {
    if (!statement_ || !status_.ok()) return false;
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    if (code != SQLITE_DONE) fail(code);
    return false;
}

Status Statement::run() {
    while (next()) {}
    return status_;
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(statement_, column); }

std::string_view Statement::text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    if (!bytes) return {};
    return {bytes, static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
}

bool Statement::is_null(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

// Query

Query::Query(Statement& kept) : statement_(&kept) { kept.in_use_ = true; }

Query::Query(Statement&& own) : own_(std::make_unique<Statement>(std::move(own))), statement_(own_.get()) {}

Query::Query(Query&& other) noexcept
        : own_(std::move(other.own_)), statement_(std::exchange(other.statement_, nullptr)) {}

Query::~Query() {
    if (!statement_ || own_) return;
    statement_->reset();
    statement_->in_use_ = false;
}

// Connection

Connection::~Connection() { close(); }

Connection::Connection(Connection&& other) noexcept
        : db_(std::exchange(other.db_, nullptr)),
          status_(std::move(other.status_)),
          statements_(std::move(other.statements_)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        status_ = std::move(other.status_);
        statements_ = std::move(other.statements_);
    }
    return *this;
}

void Connection::close() {
    statements_.clear();
    // A statement still held elsewhere keeps the handle alive until it is finalised.
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

Connection Connection::open(const std::string& name, OpenMode mode) {
    const int flags =
        (mode == OpenMode::read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
        SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    const int code = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (code != SQLITE_OK) {
        Connection failed;
        failed.status_ = status_of(code, db);
        sqlite3_close_v2(db);
        return failed;
    }
    sqlite3_extended_result_codes(db, 1);
    return Connection(db);
}

Status Connection::execute(std::string_view sql) {
    if (!db_) return status_.ok() ? Status(SQLITE_MISUSE, "no database") : status_;
    const std::string text(sql);
    return status_of(sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr), db_);
}

Statement Connection::prepare(std::string_view sql) {
    if (!db_) return Statement(nullptr, nullptr, Status(SQLITE_MISUSE, "no database"));
    sqlite3_stmt* statement = nullptr;
    const int code = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                        &statement, nullptr);
    if (code != SQLITE_OK) {
        Status status = status_of(code, db_);
        sqlite3_finalize(statement);
        return Statement(nullptr, db_, std::move(status));
    }
    return Statement(statement, db_, {});
}

Query Connection::prepared(const std::string& sql) {
    auto found = statements_.find(sql);
    if (found == statements_.end() || !found->second->statement_) {
        // A statement that failed to prepare is tried again: the schema may have come since.
        auto statement = std::make_unique<Statement>(prepare(sql));
        if (!statement->statement_) return Query(std::move(*statement));
        found = statements_.insert_or_assign(sql, std::move(statement)).first;
    }
    if (found->second->in_use_) return Query(prepare(sql));
    return Query(*found->second);
}

int Connection::user_version() {
    Query query = prepared("PRAGMA user_version");
    if (!query->next()) {
        status_ = query->ok() ? Status(SQLITE_CORRUPT, "no user_version") : query->status();
        return -1;
    }
    return static_cast<int>(query->integer(0));
}

std::int64_t Connection::last_insert_id() const { return sqlite3_last_insert_rowid(db_); }

std::int64_t Connection::changes() const { return sqlite3_changes64(db_); }

bool Connection::in_transaction() const { return db_ && !sqlite3_get_autocommit(db_); }

bool Connection::read_only() const { return db_ && sqlite3_db_readonly(db_, "main") == 1; }

void Connection::set_busy_timeout(int milliseconds) { sqlite3_busy_timeout(db_, milliseconds); }

// Transaction

Transaction::Transaction(Connection& connection) : connection_(connection), nested_(connection.in_transaction()) {
    status_ = connection_.execute(nested_ ? "SAVEPOINT nested" : "BEGIN IMMEDIATE");
    open_ = status_.ok();
}

Transaction::~Transaction() {
    if (open_) roll_back();
}

void Transaction::roll_back() {
    open_ = false;
    // After some failures (a full disk, an I/O error) SQLite has already rolled back.
    if (nested_) {
        connection_.execute("ROLLBACK TO nested");
        connection_.execute("RELEASE nested");
    } else if (connection_.in_transaction()) {
        connection_.execute("ROLLBACK");
    }
}

Status Transaction::commit() {
    if (!open_) return status_.ok() ? Status(SQLITE_MISUSE, "transaction already ended") : status_;
    Status status = connection_.execute(nested_ ? "RELEASE nested" : "COMMIT");
    if (status.ok()) {
        open_ = false;
    } else {
        roll_back();
    }
    return status;
}

Status copy_database(Connection& from, Connection& into) {
    sqlite3_backup* backup = sqlite3_backup_init(into.handle(), "main", from.handle(), "main");
    if (!backup) return status_of(sqlite3_errcode(into.handle()), into.handle());
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE) return status_of(stepped, from.handle());
    return status_of(finished, into.handle());
}

}  // namespace qinghe::sql
