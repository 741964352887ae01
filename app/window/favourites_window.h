#pragma once
// 收藏与历史: a window of its own over the headlines the writer starred or used, with a
// scope (收藏, 用过的, 全部), a search, the table, actions on the selected rows (复制,
// 收藏 / 取消收藏, 删除 with one undo, 导出…) and the counts. Not modal; Esc closes it;
// it opens where it was last closed (config.ini, [收藏与历史]).
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "history/history.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace qinghe {

class HeadlineTableModel;
class Window;

class FavouritesWindow : public QWidget {
    Q_OBJECT

public:
    // Asks where to export to, given a suggested path and the file types offered;
    // `chosen_type` takes the type chosen. An empty answer cancels.
    using ExportChooser =
        std::function<QString(QWidget* parent, const QString& suggested, const QString& types, QString& chosen_type)>;

    // `controls` is the main window's, whose config.ini keeps this window's place.
    FavouritesWindow(History& history, Window& controls, QWidget* parent);

    // Replaces the save dialog, so that tests can answer it.
    void set_export_chooser(ExportChooser chooser) { choose_export_ = std::move(chooser); }

    // Shows the window where it was last closed (on the screen), or in front when open.
    void open();
    // Reads the rows and the counts again: the history changed elsewhere.
    void refresh();

    // The actions on the selected rows, as the buttons, the menu and the keys run them.
    void copy_selected();
    void star_selected();
    void delete_selected();
    // Puts back the rows of the last deletion.
    void undo_delete();
    // The selected rows, or every row of the view when none is selected.
    void export_rows();

    HeadlineTableModel& model() { return *model_; }
    QTableView& table() { return *table_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    QAction* add_action(const QString& text, const QKeySequence& key, void (FavouritesWindow::*act)());
    void run_search();
    std::vector<std::int64_t> selected_ids() const;
    // Rows to act on, in the view's order.
    std::vector<int> selected_rows() const;
    // 收藏 reads 取消收藏 when every selected row is starred; actions need a selection.
    void update_actions();
    // The counts, and the last failure or the history's state after them.
    void show_status(const Text& problem = {});
    bool write_export(const QString& path, bool csv, int& count, QString& error);

    History& history_;
    Window& controls_;
    HeadlineTableModel* model_ = nullptr;
    QComboBox* scope_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* star_button_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* star_ = nullptr;
    QAction* delete_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* export_ = nullptr;
    QTimer search_delay_;
    std::vector<HeadlineRow> last_deleted_;
    bool opened_before_ = false;
    ExportChooser choose_export_;
};

}  // namespace qinghe
