#pragma once
// The four configuration slots: slot 1 in config.ini, slots 2 to 4 in config01.ini to
// config03.ini, in the window's settings folder. A slot keeps the three phrase lists and
// the hot-topic check box; config.ini also keeps the slot names and the selected slot.
#include "controls/window.h"

namespace qinghe {

// The controls a slot leaves out, "|" between names: the slot names, the punctuation
// boxes and the count.
const Text& slot_exclusions();

// Click of "保存配置": the lists into the selected slot, the selection into config.ini.
void save_configuration(Window& window);
// Clicks of the four slot radio buttons.
void select_slot_1(Window& window);
void select_slot_2(Window& window);
void select_slot_3(Window& window);
void select_slot_4(Window& window);
// The window has been created: slot names, selected slot, and that slot's lists.
void restore_at_start(Window& window);
// The window is about to be destroyed: slot names and selected slot.
void store_at_close(Window& window);

}  // namespace qinghe
