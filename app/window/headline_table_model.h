#pragma once
// The rows of 收藏与历史: the headlines of the writer's history that the scope and the
// search give, in the chosen column's order, read from the database a page at a time as
// the view scrolls (never the whole table, never a count of it).
#include <QAbstractTableModel>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <vector>

#include "history/history.h"

namespace qinghe {

class HeadlineTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Rows asked of the database per page.
    static constexpr size_t kPageRows = 200;
    // The columns: 标题, 平台, 关键词, 热点, 用过, 最近.
    static constexpr int kColumns = 6;

    explicit HeadlineTableModel(History& history, QObject* parent = nullptr);

    const HeadlineQuery& query() const { return query_; }
    // Shows the rows of another query, from its first page.
    void set_query(const HeadlineQuery& query);
    // Reads the current query again from its first page.
    void reload() { set_query(query_); }

    const HeadlineRow& row_at(int row) const { return rows_[static_cast<size_t>(row)]; }
    // The rows with these ids leave the view (deleted), or show their new star.
    void forget_rows(const std::vector<std::int64_t>& ids);
    void mark_starred(const std::vector<std::int64_t>& ids, bool starred);

    // Why the last read failed, for the status label; empty when it went well.
    const Text& problem() const { return problem_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    void sort(int column, Qt::SortOrder order) override;

signals:
    // A read failed, or went well again after one failed.
    void problem_changed();

private:
    // Reads the next page. A search that scans may give a short page before the end;
    // then the reading goes on from the event loop until a page's worth has come, so the
    // window keeps answering meanwhile.
    void read_page();

    History& history_;
    HeadlineQuery query_;
    std::vector<HeadlineRow> rows_;
    std::optional<HeadlineCursor> next_;
    bool at_end_ = false;
    size_t wanted_ = 0;  // the rows the view asked for, counted from the first
    QTimer going_on_;
    Text problem_;
};

// 最近 as the window shows it, in local time: "12月9日 21:43", with the year when it is
// not this year's ("2024年12月9日 21:43").
QString last_used_text(std::chrono::sys_seconds time, std::chrono::sys_seconds now);

// 热点 as the window shows it: the board's short name and the planted title, "微博：…";
// the title alone when the board is unknown, nothing when none was planted.
QString hot_text(const HeadlineRow& row);

}  // namespace qinghe
