#pragma once
// 收藏与历史…: the window over the headlines the writer starred or used.
#include "controls/window.h"

namespace qinghe {

// Opens the window, one at a time (a second click brings it to the front). It follows
// what the result box's menu records while it is open, and closes with the main window.
void open_favourites(Window& window);

}  // namespace qinghe
