#pragma once
// The writer's panel's options in config.ini: whether the panel is open, the keyword,
// the platform, no repeats, the hot-search board, avoiding disasters, 标题体检, avoiding
// used headlines. They stand in a section of their own, "[写作助手]", keyed by control
// name, so the slots' sections stay as the Windows program writes them and reads them.
// A key is written only once it leaves its default or is in the file already: a file
// saved with every option at its default is the file the program always wrote.
#include "controls/window.h"

namespace qinghe {

// The window has been created: the options from config.ini (the defaults when absent).
void restore_writer_panel(Window& window);
// The window is about to be destroyed: the options into config.ini.
void store_writer_panel(Window& window);

}  // namespace qinghe
