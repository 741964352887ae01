#pragma once
// A small C++ layer over SQLite's C API: a move-only connection that keeps its prepared
// statements, statements that are prepared once and then bound, stepped and reset, and
// transactions that roll back unless committed. Errors are values: every call that can
// fail leaves a Status to look at, nothing throws.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace qinghe::sql {

// What went wrong, in the few kinds the callers treat differently.
enum class Failure {
    none,
    busy,       // another connection holds a lock past the busy timeout
    full,       // the disk, or the size limit, is full
    read_only,  // the file or its folder takes no writes
    cant_open,  // the file (or its -wal or -shm beside it) cannot be opened or made
    corrupt,    // the file is damaged, or is not a database at all
    other,
};

// The one mapping from SQLite's result codes to the kinds above.
Failure failure_of(int result_code);

class Status {
public:
    Status() = default;
    Status(int code, std::string message) : code_(code), message_(std::move(message)) {}

    bool ok() const { return code_ == 0; }
    // SQLite's extended result code; 0 when all went well.
    int code() const { return code_; }
    Failure failure() const { return failure_of(code_); }
    // SQLite's English message, for standard error and tests.
    const std::string& message() const { return message_; }

private:
    int code_ = 0;
    std::string message_;
};

class Connection;

// A prepared statement. Binding counts parameters from 1 and columns from 0, as SQLite
// does; texts are UTF-8 and are copied by SQLite. A failed bind or step is kept in
// status() until the next reset().
class Statement {
public:
    Statement() = default;
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Ready to run again from the first row, with every parameter unbound.
    Statement& reset();
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view utf8);
    Statement& bind_null(int index);

    // Steps to the next row: true while there is one; false at the end or on a failure
    // (see ok() and status()).
    bool next();
    // Steps until the end; the status of the run.
    Status run();

    std::int64_t integer(int column) const;
    // The column's UTF-8 bytes, valid until the next step or reset.
    std::string_view text(int column) const;
    bool is_null(int column) const;

    bool ok() const { return status_.ok(); }
    const Status& status() const { return status_; }

private:
    friend class Connection;
    friend class Query;
    Statement(sqlite3_stmt* statement, sqlite3* db, Status status);
    void fail(int code);

    sqlite3_stmt* statement_ = nullptr;
    sqlite3* db_ = nullptr;
    Status status_;
    bool in_use_ = false;
};

// One use of a statement kept by its connection. When the use ends the statement is
// reset, which ends the read it may hold open (an unfinished read would keep the WAL
// file from starting over) and clears its bindings. A statement already in use is not
// shared: the second use gets a statement of its own.
class Query {
public:
    ~Query();
    Query(Query&& other) noexcept;
    Query& operator=(Query&&) = delete;
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Statement* operator->() const { return statement_; }
    Statement& operator*() const { return *statement_; }

private:
    friend class Connection;
    explicit Query(Statement& kept);
    explicit Query(Statement&& own);

    std::unique_ptr<Statement> own_;
    Statement* statement_ = nullptr;
};

enum class OpenMode {
    read_write_create,
    read_only,
};

// One open database. Moving it moves the handle; it is closed when its owner goes, its
// kept statements finalised first.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // A file ("file:" URIs are read as such), or ":memory:" for a database of this
    // connection only. A failure leaves a closed connection whose status() says why.
    static Connection open(const std::string& name, OpenMode mode);

    bool is_open() const { return db_ != nullptr; }
    const Status& status() const { return status_; }
    sqlite3* handle() const { return db_; }

    // Runs one or more statements that return no rows needed (schema, pragmas).
    Status execute(std::string_view sql);
    // A statement prepared on first use and kept with the connection, ready to bind.
    // A statement that cannot be prepared comes back with that failure as its status.
    Query prepared(const std::string& sql);
    // A new statement of the caller's own.
    Statement prepare(std::string_view sql);

    // PRAGMA user_version: the schema's number, or -1 when it cannot be read (status()).
    int user_version();
    std::int64_t last_insert_id() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    std::int64_t changes() const;
    bool in_transaction() const;
    bool read_only() const;
    // Waits up to `milliseconds` for another connection's lock before a call fails.
    void set_busy_timeout(int milliseconds);

private:
    explicit Connection(sqlite3* db) : db_(db) {}
    void close();

    sqlite3* db_ = nullptr;
    Status status_;
    std::unordered_map<std::string, std::unique_ptr<Statement>> statements_;
};

// A transaction over a connection: BEGIN IMMEDIATE, or a savepoint inside a transaction
// already open, so that a caller can run several writers' transactions as one. Rolled
// back when it goes without commit().
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // The status of BEGIN: nothing may be written when it failed.
    const Status& status() const { return status_; }
    bool ok() const { return status_.ok(); }
    Status commit();

private:
    void roll_back();

    Connection& connection_;
    bool nested_ = false;
    bool open_ = false;
    Status status_;
};

// Copies a whole database into another (the sqlite3_backup API), for a session kept in
// memory from a file that cannot be written.
Status copy_database(Connection& from, Connection& into);

}  // namespace qinghe::sql
