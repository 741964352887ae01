#pragma once
#include <QWidget>

#include "app/window/qt_window.h"

namespace qinghe {

// Creates the form's controls on `window` with their initial contents and registers
// them, in form order, with `controls`. Also sets the window's font and tab order.
void build_form(QWidget& window, QtWindow& controls);

// Draws the form's text as the screen it is on needs it. At a device pixel ratio of 1 the
// text is drawn from the 宋体 font's own pixel glyphs, as Windows draws 宋体 at this size:
// crisp, and far cheaper than smoothing outlines (a sixth of the first frame's work goes
// into the list boxes' glyphs otherwise). Above 1 no such glyphs exist, and the outlines
// are smoothed. build_form calls it for the screen the window starts on.
void fit_font_to_scale(QWidget& window, qreal device_pixel_ratio);

}  // namespace qinghe
