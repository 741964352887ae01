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

signals:
    // Emitted once, while the window is being destroyed (closed by any means).
    void about_to_be_destroyed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void announce_destruction();

    WidgetWindow controls_;
    bool destruction_announced_ = false;
};

}  // namespace qinghe
