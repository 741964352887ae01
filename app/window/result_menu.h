#pragma once
// The result box's context menu: Qt's own entries, then "复制这一条" (the headline under
// the pointer, alone, onto the clipboard), "收藏这一条" ("取消收藏" on a starred one) and
// "导出全部…" (every headline into a UTF-8 text file, one per line). Ctrl+Shift+C and
// Ctrl+D do the first two on the line of the text cursor. A headline copied or starred
// so is recorded in the writer's history with where it came from (the last run's record)
// before the status line confirms it. Grey lines are notices, not headlines, and are
// left out.
#include <QObject>
#include <QString>
#include <functional>

#include "history/headline_store.h"
#include "text/text.h"
#include "titles/run_record.h"

class QMenu;
class QTextBlock;
class QTextEdit;
class QPoint;

namespace qinghe {

class History;
class QtWindow;

class ResultMenu : public QObject {
    Q_OBJECT

public:
    // Asks where to export to, given a suggested path; an empty answer cancels.
    using PathChooser = std::function<QString(QWidget* parent, const QString& suggested)>;
    // The writer's history, opened when first asked for; `notice` takes what the status
    // line should say about its state the first time (else it stays empty).
    using HistoryAccess = std::function<History&(Text& notice)>;

    ResultMenu(QTextEdit& box, QtWindow& controls, HistoryAccess history);
    // Replaces the save dialog, so that tests can answer it.
    void set_path_chooser(PathChooser chooser) { choose_path_ = std::move(chooser); }
    // The last run's record; a new run replaces it.
    void set_run_record(RunRecord record) { record_ = std::move(record); }
    const RunRecord& run_record() const { return record_; }

    // The actions, for the menu and for tests: the headline at a point of the box's
    // viewport; every headline into the file the chooser names.
    void copy_headline_at(const QPoint& position);
    void star_headline_at(const QPoint& position);
    void export_all();
    // The menu a right click at that point of the viewport opens; the caller owns it.
    // 导出全部… is off while the box holds no headline.
    QMenu* menu_at(const QPoint& position);

signals:
    // A headline was recorded in the history (copied, starred or unstarred).
    void history_changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show_menu(const QPoint& position);
    void copy_headline(const QTextBlock& block);
    void star_headline(const QTextBlock& block);
    // The headline of that line with where it came from, when the line is still the
    // run's headline.
    HeadlineUse headline_use(const QTextBlock& block) const;
    // Whether the headline of that line is starred in the history.
    bool starred(const QTextBlock& block);
    // The status line's note: the history's notice first when it has one to give.
    void confirm(const Text& notice, const Text& note);

    QTextEdit& box_;
    QtWindow& controls_;
    HistoryAccess history_;
    PathChooser choose_path_;
    RunRecord record_;
};

}  // namespace qinghe
