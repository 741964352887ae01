#include "app/favourites_action.h"

#include "app/window/favourites_window.h"
#include "app/window/window_widget.h"
#include "app/window_access.h"

namespace qinghe {

void open_favourites(Window& window) {
    WindowWidget* widget = window_widget_of(window);
    History* history = history_of(window);
    if (!widget || !history) return;
    auto* favourites = widget->findChild<FavouritesWindow*>();
    if (!favourites) {
        favourites = new FavouritesWindow(*history, window, widget);
        QObject::connect(&widget->result_menu(), &ResultMenu::history_changed, favourites, &FavouritesWindow::refresh);
        QObject::connect(widget, &WindowWidget::about_to_be_destroyed, favourites, &QWidget::close);
    }
    favourites->open();
}

}  // namespace qinghe
