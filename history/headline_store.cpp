#include "history/headline_store.h"

#include <algorithm>

#include "history/compared_form.h"
#include "text/codec.h"

namespace qinghe {
namespace {

using std::chrono::seconds, std::chrono::sys_seconds;

constexpr const char* kRowColumns =
    "id, text, platform, keyword, board, planted, first_used, last_used, times_used, starred";

std::int64_t seconds_of(sys_seconds time) { return time.time_since_epoch().count(); }

HeadlineRow row_of(const sql::Statement& row) {
    HeadlineRow out;
    out.id = row.integer(0);
    out.text = from_utf8(row.text(1));
    out.platform = from_utf8(row.text(2));
    out.keyword = from_utf8(row.text(3));
    out.board = std::string(row.text(4));
    out.planted = from_utf8(row.text(5));
    out.first_used = sys_seconds(seconds(row.integer(6)));
    out.last_used = sys_seconds(seconds(row.integer(7)));
    out.times_used = row.integer(8);
    out.starred = row.integer(9) != 0;
    return out;
}

const char* column_name(HeadlineColumn column) {
    switch (column) {
        case HeadlineColumn::text: return "text";
        case HeadlineColumn::platform: return "platform";
        case HeadlineColumn::keyword: return "keyword";
        case HeadlineColumn::hot: return "planted";
        case HeadlineColumn::times_used: return "times_used";
        case HeadlineColumn::last_used: return "last_used";
    }
    return "id";
}

// Where the sort column stands among kRowColumns.
int row_column_of(HeadlineColumn column) {
    switch (column) {
        case HeadlineColumn::text: return 1;
        case HeadlineColumn::platform: return 2;
        case HeadlineColumn::keyword: return 3;
        case HeadlineColumn::hot: return 5;
        case HeadlineColumn::times_used: return 8;
        case HeadlineColumn::last_used: return 7;
    }
    return 0;
}

bool is_numeric(HeadlineColumn column) {
    return column == HeadlineColumn::times_used || column == HeadlineColumn::last_used;
}

HeadlineCursor cursor_of(const sql::Statement& row, int value_column, bool numeric) {
    HeadlineCursor cursor;
    cursor.id = row.integer(0);
    if (numeric) {
        cursor.value = row.integer(value_column);
    } else {
        cursor.value = std::string(row.text(value_column));
    }
    return cursor;
}

// How a search is run: not at all, by scanning the rows in the sort's order with LIKE,
// or by the full-text index.
enum class SearchMode { none, scan, match };

struct Search {
    SearchMode mode = SearchMode::none;
    std::string like;   // %text% with %, _ and \ escaped by a backslash
    std::string match;  // "text" as one FTS5 phrase
};

// The typed text without the spaces around it (ASCII and ideographic).
TextView trimmed(TextView text) {
    size_t begin = text.size();
    size_t end = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t length = character_length(text, at);
        const TextView character = text.substr(at, length);
        if (character != " " && character != "\t" && character != "\xA1\xA1") {
            begin = std::min(begin, at);
            end = at + length;
        }
        at += length;
    }
    return begin < end ? text.substr(begin, end - begin) : TextView();
}

Search search_of(TextView typed) {
    const std::string text = to_utf8(trimmed(typed));
    Search search;
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
    if (characters == 0) return search;
    search.mode = characters >= 3 ? SearchMode::match : SearchMode::scan;
    search.like = "%";
    search.match = "\"";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\') search.like += '\\';
        search.like += c;
        if (c == '"') search.match += '"';
        search.match += c;
    }
    search.like += '%';
    search.match += '"';
    return search;
}

// Which rows of the order a statement reads: all of them; those after the cursor that
// share its sort value (the ties, by id); or those whose value lies beyond the cursor's.
// Ties and beyond are read apart because SQLite seeks an index on (value, id) for
// "value = ? AND id > ?" and for "value > ?", but not for "(value, id) > (?, ?)": with
// few distinct values (a platform, the planted title) that would scan every tie.
enum class Part { all, ties, beyond };

// A statement reading the rows of the query in its order through the sort's index (the
// scope's own for 收藏), so that SQLite never sorts a whole table: ?1 and ?2 the cursor's
// value and id. A scan selects the id, the sort value and whether the text is LIKE ?3;
// else the row, with LIMIT ?4.
std::string ordered_sql(const HeadlineQuery& query, Part part, bool scan) {
    const std::string column = column_name(query.sort);
    const std::string direction = query.descending ? " DESC" : "";
    const char* further = query.descending ? " < " : " > ";
    const bool starred = query.scope == HeadlineScope::starred;
    std::string sql = "SELECT ";
    sql += scan ? "id, " + column + ", text LIKE ?3 ESCAPE '\\'" : kRowColumns;
    sql += std::string(" FROM headlines INDEXED BY ") + (starred ? "headlines_starred_by_" : "headlines_by_") + column;
    sql += starred ? " WHERE starred" : query.scope == HeadlineScope::used ? " WHERE times_used > 0" : " WHERE 1";
    if (part == Part::ties) sql += " AND " + column + " = ?1 AND id" + further + "?2";
    if (part == Part::beyond) sql += " AND " + column + further + "?1";
    sql += " ORDER BY " + column + direction + ", id" + direction;
    if (!scan) sql += " LIMIT ?4";
    return sql;
}

// The rows that match the full-text search, sorted: they are few (SearchTuning).
std::string matches_sql(const HeadlineQuery& query, bool after) {
    const std::string column = column_name(query.sort);
    const std::string direction = query.descending ? " DESC" : "";
    std::string sql = std::string("SELECT ") + kRowColumns +
                      " FROM headlines NOT INDEXED WHERE id IN"
                      " (SELECT rowid FROM headlines_search WHERE headlines_search MATCH ?3)";
    if (query.scope == HeadlineScope::starred) sql += " AND starred";
    if (query.scope == HeadlineScope::used) sql += " AND times_used > 0";
    if (after) sql += " AND (" + column + ", id)" + (query.descending ? " < " : " > ") + "(?1, ?2)";
    sql += " ORDER BY " + column + direction + ", id" + direction + " LIMIT ?4";
    return sql;
}

void bind_cursor(sql::Statement& statement, const HeadlineCursor& cursor) {
    if (const auto* number = std::get_if<std::int64_t>(&cursor.value)) {
        statement.bind(1, *number);
    } else {
        statement.bind(1, std::get<std::string>(cursor.value));
    }
    statement.bind(2, cursor.id);
}

std::vector<Part> parts_after(const std::optional<HeadlineCursor>& after) {
    return after ? std::vector<Part>{Part::ties, Part::beyond} : std::vector<Part>{Part::all};
}

}  // namespace

sql::Status HeadlineStore::row_with_id(std::int64_t id, std::optional<HeadlineRow>& out) {
    sql::Query query = db_.prepared(std::string("SELECT ") + kRowColumns + " FROM headlines WHERE id = ?1");
    out.reset();
    if (query->bind(1, id).next()) out = row_of(*query);
    return query->status();
}

sql::Status HeadlineStore::find_same(TextView compared, std::uint64_t hash, std::optional<HeadlineRow>& out) {
    sql::Query query = db_.prepared(std::string("SELECT ") + kRowColumns + " FROM headlines WHERE compared_hash = ?1");
    query->bind(1, static_cast<std::int64_t>(hash));
    out.reset();
    while (query->next()) {
        HeadlineRow row = row_of(*query);
        if (compared_form(row.text) == compared) {
            out = std::move(row);
            break;
        }
    }
    return query->status();
}

sql::Status HeadlineStore::insert(const HeadlineRow& row, bool with_id) {
    sql::Query insert = db_.prepared(
        "INSERT INTO headlines (id, text, compared_hash, platform, keyword, board, planted, first_used, last_used,"
        " times_used, starred) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    if (with_id) insert->bind(1, row.id);
    return insert->bind(2, to_utf8(row.text))
        .bind(3, static_cast<std::int64_t>(headline_hash(row.text)))
        .bind(4, to_utf8(row.platform))
        .bind(5, to_utf8(row.keyword))
        .bind(6, row.board)
        .bind(7, to_utf8(row.planted))
        .bind(8, seconds_of(row.first_used))
        .bind(9, seconds_of(row.last_used))
        .bind(10, row.times_used)
        .bind(11, row.starred ? 1 : 0)
        .run();
}

sql::Status HeadlineStore::record(const HeadlineUse& use, sys_seconds at, HeadlineUseKind kind) {
    sql::Transaction transaction(db_);
    if (!transaction.ok()) return transaction.status();
    const Text compared = compared_form(use.text);
    std::optional<HeadlineRow> same;
    sql::Status status = find_same(compared, compared_hash(compared), same);
    if (!status.ok()) return status;
    const bool copied = kind == HeadlineUseKind::copied;
    if (same) {
        status =
            db_.prepared("UPDATE headlines SET text = ?2, compared_hash = ?3, platform = ?4, keyword = ?5, board = ?6,"
                         " planted = ?7, last_used = max(last_used, ?8), times_used = times_used + ?9,"
                         " starred = max(starred, ?10) WHERE id = ?1")
                ->bind(1, same->id)
                .bind(2, to_utf8(use.text))
                .bind(3, static_cast<std::int64_t>(compared_hash(compared)))
                .bind(4, to_utf8(use.platform))
                .bind(5, to_utf8(use.keyword))
                .bind(6, use.board)
                .bind(7, to_utf8(use.planted))
                .bind(8, seconds_of(at))
                .bind(9, copied ? 1 : 0)
                .bind(10, copied ? 0 : 1)
                .run();
    } else {
        status = insert(
            {0, use.text, use.platform, use.keyword, use.board, use.planted, at, at, copied ? 1 : 0, !copied}, false);
    }
    if (!status.ok()) return status;
    return transaction.commit();
}

sql::Status HeadlineStore::set_starred(const std::vector<std::int64_t>& ids, bool starred) {
    sql::Transaction transaction(db_);
    if (!transaction.ok()) return transaction.status();
    for (const std::int64_t id : ids) {
        sql::Status status =
            db_.prepared("UPDATE headlines SET starred = ?2 WHERE id = ?1")->bind(1, id).bind(2, starred ? 1 : 0).run();
        if (!status.ok()) return status;
    }
    return transaction.commit();
}

sql::Status HeadlineStore::remove(const std::vector<std::int64_t>& ids, std::vector<HeadlineRow>& removed) {
    removed.clear();
    sql::Transaction transaction(db_);
    if (!transaction.ok()) return transaction.status();
    for (const std::int64_t id : ids) {
        std::optional<HeadlineRow> row;
        sql::Status status = row_with_id(id, row);
        if (status.ok() && row) status = db_.prepared("DELETE FROM headlines WHERE id = ?1")->bind(1, id).run();
        if (!status.ok()) {
            removed.clear();
            return status;
        }
        if (row) removed.push_back(std::move(*row));
    }
    sql::Status status = transaction.commit();
    if (!status.ok()) removed.clear();
    return status;
}

sql::Status HeadlineStore::restore(const std::vector<HeadlineRow>& rows) {
    sql::Transaction transaction(db_);
    if (!transaction.ok()) return transaction.status();
    for (const HeadlineRow& row : rows) {
        const Text compared = compared_form(row.text);
        std::optional<HeadlineRow> same;
        sql::Status status = find_same(compared, compared_hash(compared), same);
        if (!status.ok()) return status;
        if (same && same->id == row.id) continue;  // already back
        HeadlineRow restored = row;
        if (same) {
            if (same->last_used > row.last_used) {
                restored.text = same->text;
                restored.platform = same->platform;
                restored.keyword = same->keyword;
                restored.board = same->board;
                restored.planted = same->planted;
            }
            restored.first_used = std::min(row.first_used, same->first_used);
            restored.last_used = std::max(row.last_used, same->last_used);
            restored.times_used += same->times_used;
            restored.starred = row.starred || same->starred;
            status = db_.prepared("DELETE FROM headlines WHERE id = ?1")->bind(1, same->id).run();
        }
        if (status.ok()) status = insert(restored, true);
        if (!status.ok()) return status;
    }
    return transaction.commit();
}

sql::Status HeadlineStore::page(const HeadlineQuery& query, const std::optional<HeadlineCursor>& after, size_t limit,
                                HeadlinePage& out) {
    out = {};
    limit = std::max<size_t>(limit, 1);
    const Search search = search_of(query.search);
    if (search.mode == SearchMode::none) return page_in_order(query, after, limit, out);
    if (search.mode == SearchMode::scan) return page_of_scan(query, search.like, after, limit, out);
    sql::Query matches = db_.prepared("SELECT count(*) FROM headlines_search WHERE headlines_search MATCH ?1");
    if (!matches->bind(1, search.match).next()) return matches->status();
    if (matches->integer(0) > tuning_.match_rows) return page_of_scan(query, search.like, after, limit, out);
    return page_of_matches(query, search.match, after, limit, out);
}

// One row more than the page is read, to know whether another page follows.
sql::Status HeadlineStore::page_in_order(const HeadlineQuery& query, const std::optional<HeadlineCursor>& after,
                                         size_t limit, HeadlinePage& out) {
    std::optional<HeadlineCursor> last;
    for (const Part part : parts_after(after)) {
        sql::Query rows = db_.prepared(ordered_sql(query, part, false));
        if (after) bind_cursor(*rows, *after);
        rows->bind(4, static_cast<std::int64_t>(limit - out.rows.size()) + 1);
        while (rows->next()) {
            if (out.rows.size() == limit) {
                out.next = last;
                return {};
            }
            out.rows.push_back(row_of(*rows));
            last = cursor_of(*rows, row_column_of(query.sort), is_numeric(query.sort));
        }
        if (!rows->ok()) return rows->status();
    }
    return {};
}

// Scans the rows in the sort's order for the text; only the ids of the rows that hold
// it are kept, and those rows read at the end.
sql::Status HeadlineStore::page_of_scan(const HeadlineQuery& query, const std::string& like,
                                        const std::optional<HeadlineCursor>& after, size_t limit, HeadlinePage& out) {
    const auto deadline = std::chrono::steady_clock::now() + tuning_.scan_time;
    std::vector<std::int64_t> hits;
    size_t scanned = 0;
    for (const Part part : parts_after(after)) {
        sql::Query rows = db_.prepared(ordered_sql(query, part, true));
        if (after) bind_cursor(*rows, *after);
        rows->bind(3, like);
        while (rows->next()) {
            if (rows->integer(2) != 0) hits.push_back(rows->integer(0));
            ++scanned;
            const bool spent =
                scanned == tuning_.scan_rows || (scanned % 1024 == 0 && std::chrono::steady_clock::now() >= deadline);
            if (hits.size() == limit || spent) {
                out.next = cursor_of(*rows, 1, is_numeric(query.sort));
                return rows_with_ids(hits, out.rows);
            }
        }
        if (!rows->ok()) return rows->status();
    }
    return rows_with_ids(hits, out.rows);
}

sql::Status HeadlineStore::page_of_matches(const HeadlineQuery& query, const std::string& match,
                                           const std::optional<HeadlineCursor>& after, size_t limit,
                                           HeadlinePage& out) {
    sql::Query rows = db_.prepared(matches_sql(query, after.has_value()));
    if (after) bind_cursor(*rows, *after);
    rows->bind(3, match).bind(4, static_cast<std::int64_t>(limit) + 1);
    std::optional<HeadlineCursor> last;
    while (rows->next()) {
        if (out.rows.size() == limit) {
            out.next = last;
            break;
        }
        out.rows.push_back(row_of(*rows));
        last = cursor_of(*rows, row_column_of(query.sort), is_numeric(query.sort));
    }
    return rows->status();
}

sql::Status HeadlineStore::for_each(const HeadlineQuery& query, const std::function<bool(const HeadlineRow&)>& each) {
    std::optional<HeadlineCursor> after;
    do {
        HeadlinePage page;
        if (sql::Status status = this->page(query, after, 1000, page); !status.ok()) return status;
        for (const HeadlineRow& row : page.rows) {
            if (!each(row)) return {};
        }
        after = std::move(page.next);
    } while (after);
    return {};
}

sql::Status HeadlineStore::rows_with_ids(const std::vector<std::int64_t>& ids, std::vector<HeadlineRow>& out) {
    out.clear();
    for (const std::int64_t id : ids) {
        std::optional<HeadlineRow> row;
        if (sql::Status status = row_with_id(id, row); !status.ok()) {
            out.clear();
            return status;
        }
        if (row) out.push_back(std::move(*row));
    }
    return {};
}

sql::Status HeadlineStore::row_of_headline(TextView text, std::optional<HeadlineRow>& out) {
    const Text compared = compared_form(text);
    return find_same(compared, compared_hash(compared), out);
}

sql::Status HeadlineStore::counts(HeadlineCounts& out) {
    sql::Query query = db_.prepared("SELECT starred, used FROM headline_counts");
    out = {};
    if (query->next()) out = {query->integer(0), query->integer(1)};
    return query->status();
}

sql::Status HeadlineStore::compared_hashes(std::vector<std::uint64_t>& out) {
    out.clear();
    sql::Query query = db_.prepared("SELECT compared_hash FROM headlines");
    while (query->next()) out.push_back(static_cast<std::uint64_t>(query->integer(0)));
    return query->status();
}

sql::Status HeadlineStore::texts_with_hash(std::uint64_t hash, std::vector<Text>& out) {
    out.clear();
    sql::Query query = db_.prepared("SELECT text FROM headlines WHERE compared_hash = ?1");
    query->bind(1, static_cast<std::int64_t>(hash));
    while (query->next()) out.push_back(from_utf8(query->text(0)));
    return query->status();
}

}  // namespace qinghe
