#pragma once
#include <QWidget>

#include "app/window/qt_window.h"

namespace qinghe {

// Creates the form's controls on `window` with their initial contents and registers
// them, in form order, with `controls`. Also sets the window's font and tab order.
void build_form(QWidget& window, QtWindow& controls);

// Draws the form's text as the screen it is on needs it. Where the form's font carries
// glyphs drawn for the size the screen shows (AR PL UMing, 宋体's stand-in, has them from
// 11 to 16 pixels: at a device pixel ratio of 1 or 1.25), the text is drawn from them, as
// Windows draws 宋体 at this size: crisp, and far cheaper than smoothing outlines (the
// list boxes' glyphs took an eighth of the start so). Elsewhere the outlines are
// smoothed. build_form calls it for the screen the window starts on.
void fit_font_to_scale(QWidget& window, qreal device_pixel_ratio);

}  // namespace qinghe
