#include "app/word_actions.h"

#include "app/board_records.h"
#include "app/window/window_widget.h"
#include "app/window/word_dialogs.h"
#include "app/window_access.h"
#include "config/word_lists.h"
#include "controls/names.h"
#include "history/history.h"
#include "text/codec.h"
#include "titles/generator.h"
#include "titles/run_checks.h"
#include "titles/run_record.h"

namespace qinghe {
namespace {

// Without a settings folder the lists last as long as the program runs.
WordLists& unsaved_lists() {
    static WordLists lists;
    return lists;
}

// Why the lists could not be kept; empty when they were.
Text keep_lists(Window& window, const WordLists& lists) {
    if (!window.services().settings_folder().empty()) return store_word_lists(window, lists).problem;
    unsaved_lists() = lists;
    return {};
}

QWidget* dialog_parent(Window& window) { return window_widget_of(window); }

// Opens a dialog over the window without blocking it; it goes when closed.
void open(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->open();
}

// A dialog over two of the lists; OK keeps what it gives for them, the others as they are.
template <class Dialog>
void edit_two_lists(Window& window, std::vector<Text> WordLists::*first, std::vector<Text> WordLists::*second) {
    const LoadedWordLists loaded = current_word_lists(window);
    open(new Dialog(dialog_parent(window), loaded.lists.*first, loaded.lists.*second, loaded.notes,
                    [&window, first, second](std::vector<Text> first_words, std::vector<Text> second_words) {
                        WordLists kept = current_word_lists(window).lists;
                        kept.*first = std::move(first_words);
                        kept.*second = std::move(second_words);
                        return keep_lists(window, kept);
                    }));
}

}  // namespace

LoadedWordLists current_word_lists(const Window& window) {
    if (window.services().settings_folder().empty()) return {.lists = unsaved_lists(), .notes = {}};
    return load_word_lists(window);
}

void generate_with_word_lists(Window& window) {
    WindowWidget* widget = window_widget_of(window);
    Text history_note;            // the first failure to record, for the status line once the run is done
    bool opened_history = false;  // the run recorded in the history or read it
    RunHooks hooks;
    hooks.load_word_lists = [&window] {
        const auto [lists, notes] = current_word_lists(window);
        for (const Text& note : notes) window.services().report_problem(note);
        return RunChecks{.excluded_topics = lists.hot_excluded,
                         .included_topics = lists.hot_included,
                         .risk_words = lists.risk_custom,
                         .allowed_words = lists.risk_allowed};
    };
    hooks.board_fetched = [&](const HotBoard& board, std::chrono::system_clock::time_point fetched,
                              const std::vector<HotEntry>& entries) {
        if (!widget) return;
        opened_history = true;
        const HistoryResult result = record_board_fetch(widget->history(), board, fetched, entries);
        if (!result.ok() && history_note.empty()) history_note = result.message;
    };
    // 避开用过的标题: the history's used set, read once for the run. An empty one avoids
    // nothing, so the run stays the one without it; one that cannot be read leaves the run
    // without it, with the history's word why.
    hooks.load_used_headlines = [&]() -> UsedHeadlinesCheck {
        if (!widget) return {};
        opened_history = true;
        HistoryRead<UsedHeadlines> read = widget->history().used_headlines();
        if (!read.result.ok()) {
            const Text notice = widget->take_history_notice();
            return {.problem = notice.empty() ? read.result.message : notice};
        }
        if (read.value.size() == 0) return {};
        auto used = std::make_shared<const UsedHeadlines>(std::move(read.value));
        return {.used = [used](TextView headline) { return used->contains(headline); }};
    };
    // The result box's menu keeps where each headline came from, for 复制这一条 and 收藏这一条.
    hooks.keep_record = [widget](RunRecord record) {
        if (widget) widget->result_menu().set_run_record(std::move(record));
    };
    generate_titles(window, hooks);
    if (!opened_history) return;
    // Under the run's lines: what the history says of its state, once, else a failed recording.
    if (const Text notice = widget->take_history_notice(); !notice.empty()) history_note = notice;
    if (!history_note.empty()) show_status_note(window, history_note);
    prune_history_when_idle(window);
}

void edit_topic_filter(Window& window) {
    edit_two_lists<TopicFilterDialog>(window, &WordLists::hot_excluded, &WordLists::hot_included);
}

void edit_risk_words(Window& window) {
    edit_two_lists<RiskWordsDialog>(window, &WordLists::risk_custom, &WordLists::risk_allowed);
}

void check_list_boxes(Window& window) {
    const WordLists lists = current_word_lists(window).lists;
    const std::shared_ptr<const RiskChecker> checker = risk_checker_for(lists.risk_custom, lists.risk_allowed);
    const Platform* platform = find_platform(window.content(name::platform_choice));
    const struct {
        const Text& box;
        const char* caption;
    } boxes[] = {{name::prefix_box, "前缀"}, {name::link_box, "衔接"}, {name::suffix_box, "后缀"}};
    std::vector<ListHit> hits;
    for (const auto& box : boxes) {
        const Text list = window.content(box.box);
        for (const LineHits& line : checker->check_lines(list, platform)) {
            const Text phrase = list.substr(line.line_begin, line.line_end - line.line_begin);
            for (const RiskHit& hit : line.hits) {
                hits.push_back({.list_box = box.box,
                                .list_caption = from_utf8(box.caption),
                                .line = line.line,
                                .phrase = phrase,
                                .word = phrase.substr(hit.begin, hit.end - hit.begin),
                                .entry = *hit.entry});
            }
        }
    }
    if (hits.empty()) {
        show_status_note(window, from_utf8("检查词组：三个列表里没有风险词"));
        return;
    }
    // Beside the window, not over it: the writer mends the phrases while reading the rows.
    auto* dialog = new ListCheckDialog(dialog_parent(window), std::move(hits),
                                       [&window](const Text& box, size_t line) { window.set_cursor_line(box, line); });
    dialog->show();
}

}  // namespace qinghe
