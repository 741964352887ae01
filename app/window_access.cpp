#include "app/window_access.h"

#include "app/window/window_widget.h"
#include "controls/names.h"
#include "history/history.h"
#include "titles/generator.h"

namespace qinghe {

WindowWidget* window_widget_of(Window& window) {
    auto* qt = dynamic_cast<QtWindow*>(&window);
    QWidget* control = qt ? qt->widget(name::status_label) : nullptr;
    return control ? dynamic_cast<WindowWidget*>(control->window()) : nullptr;
}

History* history_of(Window& window) {
    WindowWidget* widget = window_widget_of(window);
    if (!widget) return nullptr;
    History& history = widget->history();
    if (const Text notice = widget->take_history_notice(); !notice.empty()) show_status_note(window, notice);
    return &history;
}

}  // namespace qinghe
