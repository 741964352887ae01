#pragma once
// The shell's own small actions: focus highlighting of the list boxes, the prefix reset
// when hot topics are switched off, and the three link buttons.
#include "controls/window.h"

namespace qinghe {

// The list box that got the focus shows its text in black; losing it, in silver.
void highlight_list_box(Window& window, TextView box);
void dim_list_box(Window& window, TextView box);

// Click of the hot-topic check box: unchecked, the built-in prefix list comes back.
void reset_prefix_list(Window& window);

void open_download_page(Window& window);
void open_media_page(Window& window);
void open_messenger_link(Window& window);

}  // namespace qinghe
