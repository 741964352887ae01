#include "app/hot_board.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "app/board_records.h"
#include "app/window/hot_board_window.h"
#include "app/window/window_place.h"
#include "app/window/window_widget.h"
#include "app/window_access.h"
#include "app/word_actions.h"
#include "controls/names.h"
#include "controls/stoppable_services.h"
#include "history/history.h"
#include "hot/all_boards.h"
#include "hot/topic_cache.h"
#include "hot/topic_merge.h"
#include "text/codec.h"
#include "titles/generator.h"

namespace qinghe {
namespace {

using std::chrono::system_clock;

// The section of config.ini that keeps the window's place: its title.
Text place_section() { return from_utf8("热点榜"); }

// A board as the window holds it, and when the window last asked it for titles.
struct BoardState {
    ShownBoard shown;
    std::optional<system_clock::time_point> asked = {};
};

// What one fetch of the window gave for a board.
struct Fetched {
    std::vector<HotEntry> entries = {};
    system_clock::time_point fetched = {};
    bool live = false;
    Text failure = {};
};

// The window and what it shows, for as long as the main window lives.
class HotBoardController : public QObject {
    Q_OBJECT

public:
    HotBoardController(Window& main, WindowWidget& owner) : QObject(&owner), main_(main) {
        view_ = new HotBoardWindow(&owner);
        for (const HotBoard& board : hot_boards()) boards_.push_back({.shown = {.board = &board}});
        connect(view_, &HotBoardWindow::refresh_asked, this, &HotBoardController::refresh);
        connect(view_, &HotBoardWindow::choice_changed, this, &HotBoardController::show_boards);
        connect(view_, &HotBoardWindow::plant_asked, this, &HotBoardController::plant);
        connect(view_, &HotBoardWindow::keyword_asked, this, &HotBoardController::set_keyword);
        connect(view_, &HotBoardWindow::closed, this, &HotBoardController::closed);
        connect(view_, &HotBoardWindow::activated, this, &HotBoardController::judge_again);
        // Closing the program stores the window's place as closing the window does.
        connect(&owner, &WindowWidget::about_to_be_destroyed, this, [this] {
            if (view_->isVisible()) store_place();
        });
    }

    static HotBoardController* of(WindowWidget& owner) {
        return owner.findChild<HotBoardController*>(QString(), Qt::FindDirectChildrenOnly);
    }

    void open() {
        if (view_->isVisible()) {
            view_->setWindowState(view_->windowState() & ~Qt::WindowMinimized);
            view_->raise();
            view_->activateWindow();
            return;
        }
        load_kept();
        place();
        show_boards();
        view_->show();
        view_->raise();
        view_->activateWindow();
        prune_history_when_idle(main_);
        // Once the window is on screen with the kept titles: fetched only when they are old.
        QTimer::singleShot(0, this, [this] {
            if (view_->isVisible() && !view_->fetching() && stale()) refresh();
        });
    }

private:
    // The boards the choice shows: all, or the chosen one.
    std::span<BoardState> boards_in_view() {
        const HotBoard* board = view_->chosen_board();
        if (!board) return boards_;
        return std::span(boards_).subspan(static_cast<size_t>(board - hot_boards().data()), 1);
    }

    // Some board in view has no titles younger than kHotBoardFreshFor, nor was it asked
    // for them that recently.
    bool stale() {
        const auto now = system_clock::now();
        for (const BoardState& state : boards_in_view()) {
            auto newest = state.shown.entries.empty() ? system_clock::time_point() : state.shown.fetched;
            if (state.asked && *state.asked > newest) newest = *state.asked;
            if (now - newest > kHotBoardFreshFor) return true;
        }
        return false;
    }

    // The kept titles of every board, with the history's figures when it recorded them:
    // the history's latest fetch when it is not older than the kept titles (it has their
    // heat too), else the kept titles alone.
    void load_kept() {
        std::vector<BoardFetchStandings> standings;
        if (History* history = history_of(main_)) {
            auto read = history->all_board_standings();
            if (!read.result.ok()) history_message_ = read.result.message;
            standings = std::move(read.value);
        }
        const std::filesystem::path folder = main_.services().settings_folder();
        for (BoardState& state : boards_) {
            ShownBoard& shown = state.shown;
            std::optional<CachedTopics> cached = load_topics(folder, shown.board->key);
            BoardFetchStandings* recorded = nullptr;
            for (BoardFetchStandings& board : standings) {
                if (board.board == shown.board->key) recorded = &board;
            }
            const auto cached_at =
                cached ? std::chrono::floor<std::chrono::seconds>(cached->fetched) : std::chrono::sys_seconds::min();
            ShownBoard loaded{.board = shown.board};
            if (recorded && !recorded->entries.empty() && recorded->fetched >= cached_at) {
                for (const BoardStanding& entry : recorded->entries) {
                    loaded.entries.push_back({entry.title, entry.rank, entry.heat});
                }
                loaded.fetched = recorded->fetched;
                loaded.standings = std::move(*recorded);
            } else if (cached) {
                loaded.entries = ranked(std::move(cached->titles));
                loaded.fetched = cached->fetched;
            }
            // A failure the window met stays said until titles come that are newer than it.
            if (state.asked && !shown.failure.empty() && loaded.fetched <= *state.asked) {
                loaded.failure = shown.failure;
            }
            shown = std::move(loaded);
        }
    }

    // Where the window stood when last closed, within a screen; else 900×600 over the
    // main window.
    void place() { place_window(*view_, main_, place_section(), QSize(900, 600), main_widget()); }

    void store_place() { keep_window_place(*view_, main_, place_section()); }

    void closed() {
        stop_ = true;
        store_place();
    }

    QWidget& main_widget() { return *window_widget_of(main_); }

    TopicFilterOptions filter_options() {
        WordLists lists = current_word_lists(main_).lists;
        return {.avoid_disasters = main_.checked(name::avoid_disasters_check),
                .excluded = std::move(lists.hot_excluded),
                .included = std::move(lists.hot_included)};
    }

    // The rows of the boards in view, judged by the panel's filter, and the status line.
    void show_boards() {
        const bool merged = view_->chosen_board() == nullptr;
        std::vector<ShownBoard> shown = shown_boards();
        std::vector<HotBoardRow> rows = merged ? merged_rows(shown) : board_rows(shown.front());
        topics_ = merged ? std::optional(rows.size()) : std::nullopt;
        view_->set_filter(filter_options());
        view_->show_rows(std::move(rows));
        show_status();
    }

    std::vector<ShownBoard> shown_boards() {
        std::vector<ShownBoard> shown;
        for (const BoardState& state : boards_in_view()) shown.push_back(state.shown);
        return shown;
    }

    // The filter's words may have changed while the window was in the background: the
    // rows are judged again, the list otherwise left as it stands.
    void judge_again() {
        if (view_->fetching()) return;
        view_->set_filter(filter_options());
        show_status();
    }

    // The status line, with what the history has to say and a note on the last action.
    void show_status(TextView note = {}) {
        Text status = hot_board_status(shown_boards(), topics_, view_->excluded(), system_clock::now());
        const Text* history_line = &history_message_;
        const History* history = history_message_.empty() ? history_of(main_) : nullptr;
        if (history) history_line = &history->notice();
        if (!history_line->empty()) status.append(kCrLf).append(*history_line);
        if (!note.empty()) status.append(kCrLf).append(note);
        view_->set_status(status);
    }

    // 刷新: the boards in view fetched, each by the fetch the panel uses, all at once for
    // 全网; 取消 while they are fetched stops them all.
    void refresh() {
        if (view_->fetching()) {
            stop_ = true;
            return;
        }
        stop_ = false;
        history_message_.clear();
        StoppableServices services(main_.services(), &stop_);
        const HotBoard* only = view_->chosen_board();
        std::vector<std::pair<BoardState*, Fetched>> fetched;
        view_->set_fetching(true);
        if (!only) {
            const auto progress = [this](size_t done, size_t total) {
                view_->set_status(from_utf8("获取中 " + std::to_string(done) + "/" + std::to_string(total)));
            };
            AllBoardsFetch fetch = fetch_all_boards(services, progress);
            if (!fetch.cancelled) {
                for (size_t i = 0; i < fetch.boards.size(); ++i) {
                    BoardTopics& board = fetch.boards[i];
                    const bool live = board.live();
                    Fetched outcome{std::move(board.entries), board.fetched, live};
                    if (!live) outcome.failure = std::move(board.reason);
                    fetched.emplace_back(&boards_[i], std::move(outcome));
                }
            }
        } else {
            view_->set_status(from_utf8("获取中 0/1"));
            fetched.emplace_back(&boards_[static_cast<size_t>(only - hot_boards().data())], fetch_one(*only, services));
        }
        view_->set_fetching(false);
        if (services.cancelled()) {
            show_status(from_utf8("已取消"));
            return;
        }
        History* history = history_of(main_);
        const auto asked = system_clock::now();
        for (auto& [state, outcome] : fetched) {
            state->asked = asked;
            ShownBoard& shown = state->shown;
            shown.live = outcome.live;
            shown.failure = std::move(outcome.failure);
            // Kept titles stand in for a failed board unless it shows the same or newer ones.
            const auto seconds = [](system_clock::time_point t) { return std::chrono::floor<std::chrono::seconds>(t); };
            const bool newer = shown.entries.empty() || seconds(outcome.fetched) > seconds(shown.fetched);
            if (outcome.live || (!outcome.entries.empty() && newer)) {
                shown.entries = std::move(outcome.entries);
                shown.fetched = outcome.fetched;
                shown.standings.reset();
            }
            if (outcome.live && history) record(*history, shown);
        }
        show_boards();
        prune_history_when_idle(main_);
    }

    // One board by its own fetch, its titles kept as the panel keeps them; without
    // titles, its kept ones stand in.
    Fetched fetch_one(const HotBoard& board, RuntimeServices& services) {
        HotTopicsFetch fetch = board.fetch(services);
        const auto now = system_clock::now();
        if (services.cancelled()) return {};
        const std::filesystem::path folder = services.settings_folder();
        if (!fetch.entries.empty()) {
            const Text problem = store_topics(folder, board.key, titles_of(fetch.entries), now);
            if (!problem.empty()) services.report_problem(problem);
            return {std::move(fetch.entries), now, true};
        }
        services.report_problem(fetch.address + ": " + fetch.reason);
        Fetched kept{.failure = std::move(fetch.reason)};
        if (std::optional<CachedTopics> cached = load_topics(folder, board.key)) {
            kept.entries = ranked(std::move(cached->titles));
            kept.fetched = cached->fetched;
        }
        return kept;
    }

    // Records the board's fetch and takes the history's figures for it.
    void record(History& history, ShownBoard& shown) {
        const HistoryResult recorded = record_board_fetch(history, *shown.board, shown.fetched, shown.entries);
        if (!recorded.ok() && history_message_.empty()) history_message_ = recorded.message;
        auto read = history.board_standings(shown.board->key);
        if (!read.result.ok() && history_message_.empty()) history_message_ = read.result.message;
        if (read.value && read.value->fetched == std::chrono::floor<std::chrono::seconds>(shown.fetched)) {
            shown.standings = std::move(read.value);
        }
    }

    // 植入所选: the chosen titles replace the prefix list as one edit the box can undo,
    // as 植入实时热点 plants; that box is unticked, or the next run would plant the whole
    // board over the choice.
    void plant() {
        const std::vector<Text> titles = view_->chosen_titles();
        if (titles.empty()) {
            show_status(from_utf8("先勾选或选中要植入的热点"));
            return;
        }
        // While the panel's run fetches hot topics the list is its to write.
        if (auto* box = qobject_cast<QPlainTextEdit*>(window_widget_of(main_)->controls().widget(name::prefix_box));
            box && box->isReadOnly()) {
            show_status(from_utf8("前缀列表正在获取实时热点，稍后再植入"));
            return;
        }
        Text content;
        for (const Text& title : titles) content.append(title).append(kCrLf);
        main_.replace_content(name::prefix_box, content);
        Text note = from_utf8("已植入 " + std::to_string(titles.size()) + " 个热点到前缀列表");
        if (main_.checked(name::hot_topics_check)) {
            main_.set_checked(name::hot_topics_check, false);
            note.append(from_utf8("，已取消勾选「植入实时热点」（否则生成时会换成整个榜）"));
        }
        show_status_note(main_, note);
        show_status(note);
        view_->clear_ticks();
    }

    // 设为关键词: the current row's title into the keyword box.
    void set_keyword() {
        const Text title = view_->current_title();
        if (!title.empty()) main_.set_content(name::keyword_box, title);
    }

    Window& main_;
    HotBoardWindow* view_;
    std::vector<BoardState> boards_;
    std::optional<size_t> topics_;  // merged topics shown in 全网
    Text history_message_;
    bool stop_ = false;
};

}  // namespace

void open_hot_board(Window& window) {
    WindowWidget* owner = window_widget_of(window);
    if (!owner) return;
    HotBoardController* controller = HotBoardController::of(*owner);
    if (!controller) controller = new HotBoardController(window, *owner);
    controller->open();
}

}  // namespace qinghe

#include "hot_board.moc"
