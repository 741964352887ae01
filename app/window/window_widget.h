#pragma once
// The program's one window on screen: the top-level widget, built from the form table.
// It owns the Window interface over its controls and the runtime services behind it.
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "app/window/qt_services.h"
#include "app/window/qt_window.h"
#include "app/window/result_menu.h"

namespace qinghe {

class History;

class WindowWidget : public QWidget {
    Q_OBJECT

public:
    explicit WindowWidget(QWidget* parent = nullptr);
    ~WindowWidget() override;

    // The controls by name, as the actions see them.
    QtWindow& controls() { return controls_; }
    QtServices& services() { return services_; }
    ResultMenu& result_menu() { return *result_menu_; }

    // The writer's history (history.sqlite3 in the settings folder), opened when first
    // asked for, so that the start reads no database.
    History& history();
    // What the status line should say about the history's state (a broken file moved
    // aside, a folder that takes no file, ...) the first time it is asked; empty after.
    Text take_history_notice();
    // Replaces the clock the history records times by, for tests; before the first use.
    void set_history_clock(std::function<std::chrono::system_clock::time_point()> clock) {
        history_clock_ = std::move(clock);
    }

    // Places the window's outer frame in the middle of its screen.
    void centre_on_screen();

    // Shows the window restored and in front, for a second start of the program.
    // `activation_token` is that start's token from the desktop (may be empty); with it
    // a Wayland compositor lets the window take the focus.
    void bring_to_front(const QString& activation_token);

signals:
    // Emitted once, while the window is being destroyed (closed by any means).
    void about_to_be_destroyed();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void announce_destruction();
    // Shows or hides the writer's panel, and sizes the window to fit.
    void show_panel(bool open);

    QtServices services_;
    QtWindow controls_{services_};
    ResultMenu* result_menu_ = nullptr;  // owned by the result box
    std::vector<QWidget*> panel_;
    std::unique_ptr<History> history_;
    std::function<std::chrono::system_clock::time_point()> history_clock_;
    Text shown_history_notice_;
    bool panel_open_ = false;
    bool destruction_announced_ = false;
};

}  // namespace qinghe
