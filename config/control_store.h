#pragma once
// Saving and loading the state of every control of one kind in a settings file: one key
// per control, named after it, in the section named after the kind.
#include <filesystem>

#include "controls/window.h"

namespace qinghe {

// Edit-box content as stored: CR LF becomes "><br><", then '"' becomes "#引号".
Text encode_stored_text(TextView text);
// And back, in the same order: "><br><" becomes CR LF, then "#引号" becomes '"'.
Text decode_stored_text(TextView stored);

class IniFile;

// Saves `file` at `path`. A failed save leaves the old file and is reported on the
// window's terminal as "<path>: <reason>"; the window itself shows nothing. An empty
// path (settings not kept) saves nothing.
void save_settings(const IniFile& file, const std::filesystem::path& path, Window& window);

// `exclusions`: control names separated by "|"; an excluded control is not written.
// A failed save is reported as by save_settings.
void save_edit_boxes(Window& window, const std::filesystem::path& file, TextView exclusions);
void save_check_boxes(Window& window, const std::filesystem::path& file, TextView exclusions);
void save_radio_buttons(Window& window, const std::filesystem::path& file, TextView exclusions);

// An empty or missing value leaves its control as it is. A check box or radio button is
// checked by any stored value but "假".
void load_edit_boxes(Window& window, const std::filesystem::path& file);
void load_check_boxes(Window& window, const std::filesystem::path& file);
void load_radio_buttons(Window& window, const std::filesystem::path& file);

}  // namespace qinghe
