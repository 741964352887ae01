#pragma once
// The program's own windows (热点榜, 收藏与历史) open where the writer left them, kept in
// config.ini (config/window_places.h), within a screen.
#include <QSize>

#include "controls/window.h"

class QWidget;

namespace qinghe {

// Moves and sizes `window` to the place kept in config.ini's `section`, kept inside the
// free area of the screen it is on (no larger than it); without a kept place, `first`
// in the middle of `beside` (or of its screen when it is a window of its own).
void place_window(QWidget& window, const Window& main, TextView section, QSize first, const QWidget& beside);

// Keeps where `window` stands and its size in config.ini's `section`.
void keep_window_place(const QWidget& window, Window& main, TextView section);

}  // namespace qinghe
