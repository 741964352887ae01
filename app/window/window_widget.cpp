#include "app/window/window_widget.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "app/form/form.h"
#include "app/window/form_builder.h"

namespace qinghe {

WindowWidget::WindowWidget(QWidget* parent) : QWidget(parent) {
    const form::WindowRow& row = form::window();
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QString::fromUtf8(row.caption));
    setFixedSize(row.client_width, row.client_height);
    build_form(*this, controls_);
}

void WindowWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Controls show that they have the focus from the start, not only after the first
    // Tab: the start focus would otherwise be invisible. (Qt clears the flag on showing.)
    setAttribute(Qt::WA_KeyboardFocusChange);
}

WindowWidget::~WindowWidget() { announce_destruction(); }

void WindowWidget::centre_on_screen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const form::WindowRow& row = form::window();
    move(area.x() + (area.width() - row.outer_width) / 2, area.y() + (area.height() - row.outer_height) / 2);
}

void WindowWidget::bring_to_front(const QString& activation_token) {
    // Qt's Wayland plugin takes the token from the environment when asked to activate.
    if (!activation_token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", activation_token.toUtf8());
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
    // Only keys that the focused control left unused arrive here; Esc closes the window
    // whatever modifier is held with it.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    announce_destruction();
}

void WindowWidget::announce_destruction() {
    if (destruction_announced_) return;
    destruction_announced_ = true;
    emit about_to_be_destroyed();
}

}  // namespace qinghe
