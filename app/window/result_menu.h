#pragma once
// The result box's context menu: Qt's own entries, then "复制这一条" (the headline under
// the pointer, alone, onto the clipboard) and "导出全部…" (every headline into a UTF-8
// text file, one per line). Grey lines are notices, not headlines, and are left out. The
// status label says what was done.
#include <QObject>
#include <QString>
#include <functional>

class QMenu;
class QTextEdit;
class QPoint;

namespace qinghe {

class QtWindow;

class ResultMenu : public QObject {
public:
    // Asks where to export to, given a suggested path; an empty answer cancels.
    using PathChooser = std::function<QString(QWidget* parent, const QString& suggested)>;

    ResultMenu(QTextEdit& box, QtWindow& controls);
    // Replaces the save dialog, so that tests can answer it.
    void set_path_chooser(PathChooser chooser) { choose_path_ = std::move(chooser); }

    // The actions, for the menu and for tests: the headline at a point of the box's
    // viewport; every headline into the file the chooser names.
    void copy_headline_at(const QPoint& position);
    void export_all();
    // The menu a right click at that point of the viewport opens; the caller owns it.
    // 导出全部… is off while the box holds no headline.
    QMenu* menu_at(const QPoint& position);

private:
    void show_menu(const QPoint& position);

    QTextEdit& box_;
    QtWindow& controls_;
    PathChooser choose_path_;
};

}  // namespace qinghe
