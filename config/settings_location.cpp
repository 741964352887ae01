#include "config/settings_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "generated/build_info.h"

namespace qinghe {
namespace {

std::filesystem::path environment_path(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path home_folder() {
    std::filesystem::path home = environment_path("HOME");
    if (!home.empty()) return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? std::filesystem::path(user->pw_dir) : std::filesystem::path("/");
}

}  // namespace

SettingsPlace probe_settings_place(const std::filesystem::path& executable_folder) {
    SettingsPlace place;
    place.executable_folder = executable_folder;
    std::error_code ignored;
    place.installed = std::filesystem::exists(executable_folder / kInstalledMarker, ignored);
    place.folder_writable = access(executable_folder.c_str(), W_OK | X_OK) == 0;
    // XDG base directories: a relative value is to be ignored.
    const std::filesystem::path config_home = environment_path("XDG_CONFIG_HOME");
    if (config_home.is_absolute()) place.config_home = config_home;
    place.home = home_folder();
    return place;
}

std::filesystem::path choose_settings_folder(const SettingsPlace& place) {
    if (!place.installed && place.folder_writable) return place.executable_folder;
    const std::filesystem::path base = place.config_home.empty() ? place.home / ".config" : place.config_home;
    return base / "qinghe";
}

std::filesystem::path settings_folder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    // Without /proc the executable's folder is unknown: the user's folder is the safe choice.
    SettingsPlace place = probe_settings_place(error ? std::filesystem::path() : executable.parent_path());
    if (error) place.folder_writable = false;
    const std::filesystem::path folder = choose_settings_folder(place);
    // A folder that cannot be made shows up as a failed save, reported where saves are.
    if (folder != place.executable_folder) std::filesystem::create_directories(folder, error);
    return folder;
}

}  // namespace qinghe
