#include "app/window/headline_table_model.h"

#include <QDateTime>
#include <algorithm>
#include <unordered_set>

#include "app/window/qt_convert.h"
#include "hot/boards.h"

namespace qinghe {
namespace {

constexpr HeadlineColumn kColumnOrder[HeadlineTableModel::kColumns] = {
    HeadlineColumn::text, HeadlineColumn::platform,   HeadlineColumn::keyword,
    HeadlineColumn::hot,  HeadlineColumn::times_used, HeadlineColumn::last_used,
};

QDateTime local_time(std::chrono::sys_seconds time) {
    return QDateTime::fromSecsSinceEpoch(time.time_since_epoch().count());
}

std::chrono::sys_seconds now() { return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()); }

}  // namespace

QString last_used_text(std::chrono::sys_seconds time, std::chrono::sys_seconds now) {
    const QDateTime shown = local_time(time);
    const bool this_year = shown.date().year() == local_time(now).date().year();
    return shown.toString(this_year ? QStringLiteral("M月d日 HH:mm") : QStringLiteral("yyyy年M月d日 HH:mm"));
}

QString hot_text(const HeadlineRow& row) {
    if (row.planted.empty()) return {};
    const HotBoard* board = find_hot_board(row.board);
    const QString title = to_qstring(row.planted);
    return board ? QString::fromUtf8(board->short_name) + QStringLiteral("：") + title : title;
}

HeadlineTableModel::HeadlineTableModel(History& history, QObject* parent)
        : QAbstractTableModel(parent), history_(history) {
    going_on_.setSingleShot(true);
    going_on_.setInterval(0);
    connect(&going_on_, &QTimer::timeout, this, &HeadlineTableModel::read_page);
}

void HeadlineTableModel::set_query(const HeadlineQuery& query) {
    going_on_.stop();
    beginResetModel();
    query_ = query;
    rows_.clear();
    next_.reset();
    at_end_ = false;
    wanted_ = 0;
    endResetModel();
    fetchMore({});
}

bool HeadlineTableModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !at_end_ && !going_on_.isActive();
}

void HeadlineTableModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    wanted_ = rows_.size() + kPageRows;
    read_page();
}

void HeadlineTableModel::read_page() {
    HistoryRead<HeadlinePage> read = history_.headline_page(query_, next_, wanted_ - rows_.size());
    if (read.result.message != problem_) {
        problem_ = read.result.message;
        emit problem_changed();
    }
    if (!read.result.ok()) {
        at_end_ = true;
        return;
    }
    std::vector<HeadlineRow>& page = read.value.rows;
    if (!page.empty()) {
        const int first = static_cast<int>(rows_.size());
        beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
        std::move(page.begin(), page.end(), std::back_inserter(rows_));
        endInsertRows();
    }
    next_ = std::move(read.value.next);
    at_end_ = !next_;
    if (!at_end_ && rows_.size() < wanted_) going_on_.start();
}

void HeadlineTableModel::forget_rows(const std::vector<std::int64_t>& ids) {
    const std::unordered_set<std::int64_t> gone(ids.begin(), ids.end());
    // Runs of rows from the bottom up, so that the rows above keep their numbers.
    for (int last = rowCount() - 1; last >= 0; --last) {
        if (!gone.contains(rows_[static_cast<size_t>(last)].id)) continue;
        int first = last;
        while (first > 0 && gone.contains(rows_[static_cast<size_t>(first - 1)].id)) --first;
        beginRemoveRows({}, first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        endRemoveRows();
        last = first;
    }
}

void HeadlineTableModel::mark_starred(const std::vector<std::int64_t>& ids, bool starred) {
    const std::unordered_set<std::int64_t> marked(ids.begin(), ids.end());
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (!marked.contains(rows_[row].id)) continue;
        rows_[row].starred = starred;
        const QModelIndex cell = index(static_cast<int>(row), 0);
        emit dataChanged(cell, cell);
    }
}

int HeadlineTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HeadlineTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant HeadlineTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const HeadlineRow& row = rows_[static_cast<size_t>(index.row())];
    const HeadlineColumn column = kColumnOrder[index.column()];
    if (role == Qt::TextAlignmentRole && column == HeadlineColumn::times_used) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole && column == HeadlineColumn::last_used) {
        return QStringLiteral("第一次：%1\n最近：%2")
            .arg(last_used_text(row.first_used, now()), last_used_text(row.last_used, now()));
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (column) {
        case HeadlineColumn::text: return (row.starred ? QStringLiteral("★ ") : QString()) + to_qstring(row.text);
        case HeadlineColumn::platform: return to_qstring(row.platform);
        case HeadlineColumn::keyword: return to_qstring(row.keyword);
        case HeadlineColumn::hot: return hot_text(row);
        case HeadlineColumn::times_used: return QVariant::fromValue<qlonglong>(row.times_used);
        case HeadlineColumn::last_used: return last_used_text(row.last_used, now());
    }
    return {};
}

QVariant HeadlineTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[kColumns] = {"标题", "平台", "关键词", "热点", "用过", "最近"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
    return QString::fromUtf8(kTitles[section]);
}

void HeadlineTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumns) return;
    HeadlineQuery query = query_;
    query.sort = kColumnOrder[column];
    query.descending = order == Qt::DescendingOrder;
    set_query(query);
}

}  // namespace qinghe
