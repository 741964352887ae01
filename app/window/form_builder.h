#pragma once
#include <QWidget>

#include "app/window/qt_window.h"

namespace qinghe {

// Creates the form's controls on `window` with their initial contents and registers
// them, in form order, with `controls`. Also sets the window's font and tab order.
void build_form(QWidget& window, QtWindow& controls);

}  // namespace qinghe
