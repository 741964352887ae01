#pragma once
// Where the program's own windows (热点榜, 收藏与历史) stood and how large they were, kept
// in config.ini in a section named after the window, so that each opens where the writer
// left it. The designed sections and the panel's are not touched.
#include <optional>

#include "controls/window.h"

namespace qinghe {

struct WindowPlace {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const WindowPlace&) const = default;
};

// The place kept in config.ini's section `window` (program text, the window's title);
// none when there is no settings folder, no such section or no readable place in it.
std::optional<WindowPlace> load_window_place(const Window& window, TextView section);
// Keeps the place in that section (key "位置", "left,top,width,height"); a failed save
// is reported as every settings file's is.
void store_window_place(Window& window, TextView section, const WindowPlace& place);

}  // namespace qinghe
