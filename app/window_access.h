#pragma once
// What the actions reach of the window on screen beyond its controls: the top-level
// widget (to open windows and dialogs over it) and the writer's history it holds.
#include "controls/window.h"

namespace qinghe {

class History;
class WindowWidget;

// The window on screen behind `window`; nullptr for a window that is not one (tests'
// doubles).
WindowWidget* window_widget_of(Window& window);

// The writer's history, opened when first needed; nullptr without a window on screen.
// The first time the history has something to say about its state (a broken file moved
// aside, a folder that takes no file, a locked file, a newer program's file), it goes
// onto the status line as a note.
History* history_of(Window& window);

}  // namespace qinghe
