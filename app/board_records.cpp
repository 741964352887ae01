#include "app/board_records.h"

#include <QPointer>
#include <QTimer>

#include "app/window/window_widget.h"
#include "app/window_access.h"
#include "history/history.h"
#include "hot/topic_merge.h"

namespace qinghe {
namespace {

// Marks the window while a chain of prune steps runs.
constexpr const char* kPruning = "qinghe_pruning";

void prune_step(QPointer<WindowWidget> widget) {
    if (!widget) return;
    if (widget->history().prune_some().value == PruneProgress::more) {
        QTimer::singleShot(0, widget, [widget] { prune_step(widget); });
    } else {
        widget->setProperty(kPruning, false);
    }
}

}  // namespace

HistoryResult record_board_fetch(History& history, const HotBoard& board, std::chrono::system_clock::time_point fetched,
                                 const std::vector<HotEntry>& entries) {
    std::vector<BoardEntry> recorded;
    recorded.reserve(entries.size());
    for (const HotEntry& entry : entries) {
        recorded.push_back({topic_key(entry.title), entry.title, entry.rank, entry.heat});
    }
    return history.record_fetch(board.key, fetched, recorded);
}

void prune_history_when_idle(Window& window) {
    WindowWidget* widget = window_widget_of(window);
    if (!widget || widget->property(kPruning).toBool()) return;
    widget->setProperty(kPruning, true);
    QTimer::singleShot(0, widget, [widget = QPointer(widget)] { prune_step(widget); });
}

}  // namespace qinghe
