#include "history/history.h"

#include <utility>

namespace qinghe {

History::History() = default;
History::~History() = default;
History::History(History&&) noexcept = default;
History& History::operator=(History&&) noexcept = default;

History::History(OpenedDatabase opened, std::filesystem::path folder, HistoryClock clock, HistoryOptions options)
        : db_(std::move(opened.connection)),
          state_(opened.state),
          notice_(state_notice(opened.state, opened.moved_to)),
          folder_(std::move(folder)),
          clock_(std::move(clock)),
          options_(options) {
    if (db_) {
        boards_ = std::make_unique<BoardHistory>(*db_);
        headlines_ = std::make_unique<HeadlineStore>(*db_);
    }
}

History History::open(const std::filesystem::path& settings_folder, HistoryClock clock, const HistoryOptions& options) {
    const auto now = std::chrono::floor<std::chrono::seconds>(clock ? clock() : std::chrono::system_clock::now());
    return History(open_database(settings_folder, now, options), settings_folder, std::move(clock), options);
}

std::chrono::sys_seconds History::now() const {
    return std::chrono::floor<std::chrono::seconds>(clock_ ? clock_() : std::chrono::system_clock::now());
}

std::optional<HistoryResult> History::refuses_writes() const {
    if (!db_) return failed_call(HistoryFailure::no_history, {}, true);
    if (state_ == HistoryState::read_only) return failed_call(HistoryFailure::read_only, {}, true);
    return std::nullopt;
}

HistoryResult History::outcome(const sql::Status& status, bool writing) {
    const HistoryFailure failure = failure_of(status);
    const bool replaceable = state_ == HistoryState::on_disk || state_ == HistoryState::fresh;
    if (failure != HistoryFailure::broken || !replaceable) return failed_call(failure, status, writing);
    // Damage found in use: the file goes aside and a fresh one takes its place, as at
    // opening. The statements of the old connection go before it does.
    boards_.reset();
    headlines_.reset();
    db_.reset();
    OpenedDatabase opened = replace_broken_database(folder_, now(), options_);
    *this = History(std::move(opened), folder_, clock_, options_);
    return {HistoryFailure::broken, notice_};
}

HistoryResult History::record_fetch(std::string_view board, std::chrono::system_clock::time_point fetched,
                                    const std::vector<BoardEntry>& entries) {
    if (auto refused = refuses_writes()) return *refused;
    return outcome(boards_->record_fetch(board, std::chrono::floor<std::chrono::seconds>(fetched), entries), true);
}

HistoryRead<std::optional<BoardFetchStandings>> History::board_standings(std::string_view board) {
    HistoryRead<std::optional<BoardFetchStandings>> read;
    if (!db_) return {{}, failed_call(HistoryFailure::no_history, {}, false)};
    read.result = outcome(boards_->latest(board, read.value), false);
    if (!read.result.ok()) read.value.reset();
    return read;
}

HistoryRead<std::vector<BoardFetchStandings>> History::all_board_standings() {
    HistoryRead<std::vector<BoardFetchStandings>> read;
    if (!db_) return {{}, failed_call(HistoryFailure::no_history, {}, false)};
    read.result = outcome(boards_->latest_of_all(read.value), false);
    if (!read.result.ok()) read.value.clear();
    return read;
}

HistoryRead<PruneProgress> History::prune_some() {
    // A history that takes no writes has nothing to prune, and nothing to say about it.
    if (refuses_writes()) return {PruneProgress::not_due, {}};
    HistoryRead<PruneProgress> read;
    read.result = outcome(boards_->prune_some(now(), read.value), true);
    if (!read.result.ok()) read.value = PruneProgress::not_due;
    return read;
}

HistoryResult History::record_headline(const HeadlineUse& use, HeadlineUseKind kind) {
    if (auto refused = refuses_writes()) return *refused;
    return outcome(headlines_->record(use, now(), kind), true);
}

HistoryResult History::record_copied(const HeadlineUse& use) { return record_headline(use, HeadlineUseKind::copied); }

HistoryResult History::record_starred(const HeadlineUse& use) { return record_headline(use, HeadlineUseKind::starred); }

HistoryResult History::set_starred(const std::vector<std::int64_t>& ids, bool starred) {
    if (auto refused = refuses_writes()) return *refused;
    return outcome(headlines_->set_starred(ids, starred), true);
}

HistoryRead<std::vector<HeadlineRow>> History::remove_headlines(const std::vector<std::int64_t>& ids) {
    if (auto refused = refuses_writes()) return {{}, *refused};
    HistoryRead<std::vector<HeadlineRow>> read;
    read.result = outcome(headlines_->remove(ids, read.value), true);
    if (!read.result.ok()) read.value.clear();
    return read;
}

HistoryResult History::restore_headlines(const std::vector<HeadlineRow>& rows) {
    if (auto refused = refuses_writes()) return *refused;
    return outcome(headlines_->restore(rows), true);
}

HistoryRead<HeadlinePage> History::headline_page(const HeadlineQuery& query, const std::optional<HeadlineCursor>& after,
                                                 size_t limit) {
    if (!db_) return {{}, failed_call(HistoryFailure::no_history, {}, false)};
    HistoryRead<HeadlinePage> read;
    read.result = outcome(headlines_->page(query, after, limit, read.value), false);
    if (!read.result.ok()) read.value = {};
    return read;
}

HistoryResult History::for_each_headline(const HeadlineQuery& query,
                                         const std::function<bool(const HeadlineRow&)>& each) {
    if (!db_) return failed_call(HistoryFailure::no_history, {}, false);
    return outcome(headlines_->for_each(query, each), false);
}

HistoryRead<std::vector<HeadlineRow>> History::headlines_with_ids(const std::vector<std::int64_t>& ids) {
    if (!db_) return {{}, failed_call(HistoryFailure::no_history, {}, false)};
    HistoryRead<std::vector<HeadlineRow>> read;
    read.result = outcome(headlines_->rows_with_ids(ids, read.value), false);
    if (!read.result.ok()) read.value.clear();
    return read;
}

HistoryRead<std::optional<HeadlineRow>> History::headline_row(TextView text) {
    if (!db_) return {{}, failed_call(HistoryFailure::no_history, {}, false)};
    HistoryRead<std::optional<HeadlineRow>> read;
    read.result = outcome(headlines_->row_of_headline(text, read.value), false);
    if (!read.result.ok()) read.value.reset();
    return read;
}

HistoryRead<HeadlineCounts> History::headline_counts() {
    if (!db_) return {{}, failed_call(HistoryFailure::no_history, {}, false)};
    HistoryRead<HeadlineCounts> read;
    read.result = outcome(headlines_->counts(read.value), false);
    if (!read.result.ok()) read.value = {};
    return read;
}

HistoryRead<UsedHeadlines> History::used_headlines() {
    if (!db_) return {{}, failed_call(HistoryFailure::no_history, {}, false)};
    HistoryRead<UsedHeadlines> read;
    read.result = outcome(UsedHeadlines::load(db_, read.value), false);
    if (!read.result.ok()) read.value = {};
    return read;
}

}  // namespace qinghe
