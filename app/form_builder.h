#pragma once
#include <QWidget>

#include "app/widget_window.h"

namespace qinghe {

// Creates the form's controls on `window` with their initial contents and registers
// them, in form order, with `controls`. Also sets the window's font and tab order.
void build_form(QWidget& window, WidgetWindow& controls);

}  // namespace qinghe
