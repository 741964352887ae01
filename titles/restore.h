#pragma once
#include "controls/window.h"

namespace qinghe {

// Writes the built-in values into the three list boxes, the three punctuation boxes and
// the count box, in that order, and touches nothing else.
void restore_defaults(Window& window);

}  // namespace qinghe
