#include "app/window/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "config/window_places.h"

namespace qinghe {

void place_window(QWidget& window, const Window& main, TextView section, QSize first, const QWidget& beside) {
    QRect rect(QPoint(), first);
    const QScreen* screen = beside.screen() ? beside.screen() : QGuiApplication::primaryScreen();
    if (const std::optional<WindowPlace> kept = load_window_place(main, section)) {
        rect = QRect(kept->left, kept->top, kept->width, kept->height);
        if (const QScreen* under = QGuiApplication::screenAt(rect.center())) screen = under;
    } else {
        rect.moveCenter(beside.frameGeometry().center());
    }
    if (screen) {
        const QRect area = screen->availableGeometry();
        rect.setSize(rect.size().boundedTo(area.size()));
        rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() - rect.width() + 1));
        rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() - rect.height() + 1));
    }
    window.resize(rect.size());
    window.move(rect.topLeft());
}

void keep_window_place(const QWidget& window, Window& main, TextView section) {
    store_window_place(main, section, {window.x(), window.y(), window.width(), window.height()});
}

}  // namespace qinghe
