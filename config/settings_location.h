#pragma once
// Where the settings files live. A program that is not installed (a built or copied
// folder) keeps them beside its executable, so that the folder is portable; an installed
// program, and a portable one whose folder is not writable, keeps them in the user's
// configuration folder. An installation marks itself with a file that the program finds
// relative to its executable (kInstalledMarker), so the rule holds for any prefix.
#include <filesystem>

namespace qinghe {

// What decides the folder, probed from the running program or given by a test.
struct SettingsPlace {
    std::filesystem::path executable_folder;
    bool installed = false;             // the installation's marker exists
    bool folder_writable = false;       // the executable's folder takes new files
    std::filesystem::path config_home;  // $XDG_CONFIG_HOME when set and absolute, else empty
    std::filesystem::path home;         // the user's home folder
};

SettingsPlace probe_settings_place(const std::filesystem::path& executable_folder);

// The executable's folder, or <config_home or home/.config>/qinghe.
std::filesystem::path choose_settings_folder(const SettingsPlace& place);

// The running program's settings folder, created when it is the user's folder. Needs no
// application object: the executable is found through /proc.
std::filesystem::path settings_folder();

}  // namespace qinghe
