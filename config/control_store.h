#pragma once
// Saving and loading the state of every control of one kind in a settings file: one key
// per control, named after it, in the section named after the kind.
#include <filesystem>

#include "app/controls/window.h"

namespace qinghe {

// Edit-box content as stored: CR LF becomes "><br><", then '"' becomes "#引号".
Text encode_stored_text(TextView text);
// And back, in the same order: "><br><" becomes CR LF, then "#引号" becomes '"'.
Text decode_stored_text(TextView stored);

// `exclusions`: control names separated by "|"; an excluded control is not written.
void save_edit_boxes(const Window& window, const std::filesystem::path& file, TextView exclusions);
void save_check_boxes(const Window& window, const std::filesystem::path& file, TextView exclusions);
void save_radio_buttons(const Window& window, const std::filesystem::path& file, TextView exclusions);

// An empty or missing value leaves its control as it is. A check box or radio button is
// checked by any stored value but "假".
void load_edit_boxes(Window& window, const std::filesystem::path& file);
void load_check_boxes(Window& window, const std::filesystem::path& file);
void load_radio_buttons(Window& window, const std::filesystem::path& file);

}  // namespace qinghe
