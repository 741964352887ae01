#pragma once
// The headlines the writer used (copied alone) or starred: one row per headline (two
// headlines with one compared form are one row), a full-text index over their text, and
// the queries of the window over them, a page at a time.
#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "history/sqlite.h"
#include "text/text.h"

namespace qinghe {

// Where a headline the writer took came from.
struct HeadlineUse {
    Text text;          // as shown, after the keyword and the setting rules
    Text platform;      // the platform chosen, empty for 不限
    Text keyword;       // the keyword filled in, empty when none
    std::string board;  // the hot board's key when a hot title was planted, else empty
    Text planted;       // the planted hot title, else empty
};

enum class HeadlineUseKind {
    copied,   // taken alone onto the clipboard: counts as a use
    starred,  // starred from the result: kept and starred, not counted as a copy
};

struct HeadlineRow {
    std::int64_t id = 0;
    Text text;
    Text platform;
    Text keyword;
    std::string board;
    Text planted;
    std::chrono::sys_seconds first_used;
    std::chrono::sys_seconds last_used;
    std::int64_t times_used = 0;  // copies
    bool starred = false;

    bool operator==(const HeadlineRow&) const = default;
};

enum class HeadlineScope {
    starred,  // 收藏
    used,     // 用过的: copied at least once
    all,      // 全部
};

// The window's columns: 标题, 平台, 关键词, 热点 (the planted title), 用过, 最近.
enum class HeadlineColumn { text, platform, keyword, hot, times_used, last_used };

struct HeadlineQuery {
    HeadlineScope scope = HeadlineScope::all;
    // Shows the rows whose text holds this (spaces around it ignored; ASCII letter case
    // too). Three characters or more are looked up in the full-text index, one or two
    // are scanned for.
    Text search;
    HeadlineColumn sort = HeadlineColumn::last_used;
    bool descending = true;
};

// Where a page ended: the sort value and the id of its last row, so that the next page
// starts right after it however deep it lies.
struct HeadlineCursor {
    std::variant<std::int64_t, std::string> value;
    std::int64_t id = 0;
};

struct HeadlinePage {
    std::vector<HeadlineRow> rows;
    // Where the next page starts; none at the end. A page may hold fewer rows than asked
    // without being the last: a search that scans stops after a bounded number of rows
    // so that no call holds the window long, and the next call goes on from here.
    std::optional<HeadlineCursor> next;
};

struct HeadlineCounts {
    std::int64_t starred = 0;
    std::int64_t used = 0;
};

// How much a search may cost per page. A scan stops after `scan_time` (or `scan_rows`
// rows), so that no call holds the window long; a full-text match of more than
// `match_rows` rows is scanned for in the sort's order instead, where so common a text
// fills a page at once (the match would sort them all first).
struct SearchTuning {
    std::chrono::milliseconds scan_time{30};
    size_t scan_rows = std::numeric_limits<size_t>::max();
    std::int64_t match_rows = 20'000;
};

class HeadlineStore {
public:
    explicit HeadlineStore(sql::Connection& db, SearchTuning tuning = {}) : db_(db), tuning_(tuning) {}

    // Records a use in one transaction: a headline with the same compared form takes the
    // new text and origin, its last use, and one more copy or the star; else a row is made.
    sql::Status record(const HeadlineUse& use, std::chrono::sys_seconds at, HeadlineUseKind kind);
    sql::Status set_starred(const std::vector<std::int64_t>& ids, bool starred);
    // Deletes the rows, giving back what they held so that restore() puts them back.
    sql::Status remove(const std::vector<std::int64_t>& ids, std::vector<HeadlineRow>& removed);
    // Puts removed rows back as they were, ids included. A headline used again since it
    // was removed is folded into the restored row (uses added, earliest first use, latest
    // last use and origin, starred when either was).
    sql::Status restore(const std::vector<HeadlineRow>& rows);

    // A page of at most `limit` rows of the query, after `after` (from the start when
    // none), in the query's order: its sort column, then the id, both one way.
    sql::Status page(const HeadlineQuery& query, const std::optional<HeadlineCursor>& after, size_t limit,
                     HeadlinePage& out);
    // Every row of the query in its order, page by page, until `each` returns false.
    sql::Status for_each(const HeadlineQuery& query, const std::function<bool(const HeadlineRow&)>& each);
    sql::Status rows_with_ids(const std::vector<std::int64_t>& ids, std::vector<HeadlineRow>& out);
    // The row of the headline with this text's compared form; none when it has none.
    sql::Status row_of_headline(TextView text, std::optional<HeadlineRow>& out);
    sql::Status counts(HeadlineCounts& out);

    // The compared hashes of every row, and the texts of the rows with one of them.
    sql::Status compared_hashes(std::vector<std::uint64_t>& out);
    sql::Status texts_with_hash(std::uint64_t hash, std::vector<Text>& out);

private:
    sql::Status page_in_order(const HeadlineQuery& query, const std::optional<HeadlineCursor>& after, size_t limit,
                              HeadlinePage& out);
    sql::Status page_of_scan(const HeadlineQuery& query, const std::string& like,
                             const std::optional<HeadlineCursor>& after, size_t limit, HeadlinePage& out);
    sql::Status page_of_matches(const HeadlineQuery& query, const std::string& match,
                                const std::optional<HeadlineCursor>& after, size_t limit, HeadlinePage& out);
    sql::Status find_same(TextView compared, std::uint64_t hash, std::optional<HeadlineRow>& out);
    sql::Status row_with_id(std::int64_t id, std::optional<HeadlineRow>& out);
    sql::Status insert(const HeadlineRow& row, bool with_id);

    sql::Connection& db_;
    SearchTuning tuning_;
};

}  // namespace qinghe
