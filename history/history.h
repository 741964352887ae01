#pragma once
// The writer's history, in history.sqlite3 beside config.ini: what the hot-search boards
// showed, fetch after fetch, and the headlines the writer used or starred. One History
// owns the database; every call returns what it read or why it failed, and a failure
// fails that call only.
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "history/board_history.h"
#include "history/database_file.h"
#include "history/headline_store.h"
#include "history/history_status.h"
#include "history/used_headlines.h"

namespace qinghe {

// Tells the time of a write (pruning, a broken file's name); tests give their own.
using HistoryClock = std::function<std::chrono::system_clock::time_point()>;

// A value read from the history with the outcome of the read; the value is empty when
// the read failed.
template <class T>
struct HistoryRead {
    T value{};
    HistoryResult result;
};

class History {
public:
    // A history of nothing: every call fails with HistoryFailure::no_history.
    History();
    ~History();
    History(History&&) noexcept;
    History& operator=(History&&) noexcept;

    // Opens the history of the settings folder (see open_database): never fails, but
    // state() and notice() tell how it went.
    static History open(const std::filesystem::path& settings_folder, HistoryClock clock,
                        const HistoryOptions& options = {});

    HistoryState state() const { return state_; }
    // What the status line says once about the state; empty when all is well. After a
    // damaged file was met and replaced, it names where it went.
    const Text& notice() const { return notice_; }

    // Records a successful fetch of `board` (its key, such as "weibo"), at `fetched`,
    // in one transaction. A failure (a full disk, say) fails the recording, not the fetch.
    HistoryResult record_fetch(std::string_view board, std::chrono::system_clock::time_point fetched,
                               const std::vector<BoardEntry>& entries);
    // The board's latest fetch with the standing of each of its titles; none when the
    // board was never recorded.
    HistoryRead<std::optional<BoardFetchStandings>> board_standings(std::string_view board);
    // The latest fetch of every recorded board (全网), by board key.
    HistoryRead<std::vector<BoardFetchStandings>> all_board_standings();
    // Prunes the boards' rows older than 30 days a batch at a time, at most once a day:
    // call it when the window is idle while it gives PruneProgress::more.
    HistoryRead<PruneProgress> prune_some();

    // A headline the writer took alone onto the clipboard: made a row, or its row takes
    // the new text and origin and one more use. On disk (committed) when this returns ok,
    // so the status line may confirm it.
    HistoryResult record_copied(const HeadlineUse& use);
    // A headline starred from the result: kept and starred, as record_copied otherwise.
    HistoryResult record_starred(const HeadlineUse& use);
    // 收藏 / 取消收藏 on rows of the window.
    HistoryResult set_starred(const std::vector<std::int64_t>& ids, bool starred);
    // 删除: the rows as they were, for an undo to put back with restore_headlines.
    HistoryRead<std::vector<HeadlineRow>> remove_headlines(const std::vector<std::int64_t>& ids);
    HistoryResult restore_headlines(const std::vector<HeadlineRow>& rows);

    // A page of the window's rows after `after` (from the top when none); see HeadlinePage.
    HistoryRead<HeadlinePage> headline_page(const HeadlineQuery& query, const std::optional<HeadlineCursor>& after,
                                            size_t limit);
    // Every row of the query in its order, until `each` returns false (导出…).
    HistoryResult for_each_headline(const HeadlineQuery& query, const std::function<bool(const HeadlineRow&)>& each);
    // The rows with these ids that still exist, in the order given (the selection).
    HistoryRead<std::vector<HeadlineRow>> headlines_with_ids(const std::vector<std::int64_t>& ids);
    // The row that a headline of this text is recorded in (the same compared form); none
    // when it was never used or starred (收藏这一条 or 取消收藏 in the result box's menu).
    HistoryRead<std::optional<HeadlineRow>> headline_row(TextView text);
    // The status label's counts: starred rows, and rows copied at least once.
    HistoryRead<HeadlineCounts> headline_counts();
    // Every used or starred headline, loaded once for a run of 避开用过的标题; empty
    // (nothing avoided) without history.
    HistoryRead<UsedHeadlines> used_headlines();

    // The open connection (null without history), for tests and benchmarks.
    sql::Connection* database() const { return db_.get(); }

private:
    History(OpenedDatabase opened, std::filesystem::path folder, HistoryClock clock, HistoryOptions options);
    std::chrono::sys_seconds now() const;
    // Why a write cannot even start; none when it can.
    std::optional<HistoryResult> refuses_writes() const;
    // The outcome of a call; a damaged file met on the way is moved aside and replaced.
    HistoryResult outcome(const sql::Status& status, bool writing);
    HistoryResult record_headline(const HeadlineUse& use, HeadlineUseKind kind);

    std::shared_ptr<sql::Connection> db_;
    std::unique_ptr<BoardHistory> boards_;
    std::unique_ptr<HeadlineStore> headlines_;
    HistoryState state_ = HistoryState::locked;
    Text notice_;
    std::filesystem::path folder_;
    HistoryClock clock_;
    HistoryOptions options_;
};

}  // namespace qinghe
