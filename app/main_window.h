#pragma once
// The program's one window, built from the form table.
#include <QWidget>

#include "app/widget_window.h"

namespace qinghe {

class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    WidgetWindow& controls() { return controls_; }

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
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void announce_destruction();

    WidgetWindow controls_;
    bool destruction_announced_ = false;
};

}  // namespace qinghe
