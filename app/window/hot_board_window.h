#pragma once
// The window 热点榜: the boards' titles in one list (every board merged, or one board),
// searched, filtered, ticked and copied as a writer needs them. What it shows and what its
// buttons do come from outside (app/hot_board.h): it signals what the writer asks for.
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "app/window/hot_board_rows.h"
#include "hot/topic_filter.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qinghe {

class HotBoardWindow : public QWidget {
    Q_OBJECT

public:
    // A window of its own over `owner`, closing with it; closing it only hides it.
    explicit HotBoardWindow(QWidget* owner);
    ~HotBoardWindow() override;

    // The board the choice 热点榜_来源 shows; nullptr for 全网（合并）.
    const HotBoard* chosen_board() const;
    // Shows these rows (merged topics with their boards' rows, or one board's titles) in
    // order; a row whose key was ticked stays ticked.
    void show_rows(std::vector<HotBoardRow> rows);
    // Judges every row by the filter: the rows it leaves out are hidden, or with
    // 显示已排除 shown greyed (not to be ticked or planted) with the reason as their tooltip.
    void set_filter(const TopicFilterOptions& options);
    // How many rows (topics in 全网) the filter leaves out.
    size_t excluded() const { return excluded_; }
    void set_status(TextView status);
    // While the boards are fetched 刷新 reads 取消.
    void set_fetching(bool fetching);
    bool fetching() const { return fetching_; }

    // The titles to plant, in the list's order: the ticked rows', else the selected rows'
    // (a board's row under a topic gives its own title). Rows left out are never given.
    std::vector<Text> chosen_titles() const;
    void clear_ticks();
    // The current row's title; empty without one.
    Text current_title() const;
    // The selected rows, tab-separated, after a line naming the columns; a topic's board
    // rows follow it (shown or not), each starting with one tab.
    QString selected_rows_text() const;

signals:
    void refresh_asked();  // 刷新, or 取消 while fetching
    void choice_changed();
    void plant_asked();
    void keyword_asked();
    void closed();
    void activated();  // came to the front, so the filter may have changed meanwhile

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Judged;
    // Shows the rows that hold the search text, and the left-out ones only with 显示已排除.
    void show_matching();
    void judge(QTreeWidgetItem& item, const Judged& judged);

    QComboBox* source_;
    QPushButton* refresh_;
    QLineEdit* search_;
    QCheckBox* show_excluded_;
    QTreeWidget* list_;
    QLabel* status_;
    QPushButton* plant_;
    QPushButton* keyword_;
    std::unique_ptr<Judged> judged_;
    size_t excluded_ = 0;
    bool fetching_ = false;
};

}  // namespace qinghe
