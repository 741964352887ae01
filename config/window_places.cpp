#include "config/window_places.h"

#include <charconv>
#include <string>

#include "config/control_store.h"
#include "config/ini_file.h"
#include "text/codec.h"

namespace qinghe {
namespace {

const Text& place_key() {
    static const Text key = from_utf8("位置");
    return key;
}

std::filesystem::path settings_file(const Window& window) {
    const std::filesystem::path folder = window.services().settings_folder();
    return folder.empty() ? folder : folder / "config.ini";
}

}  // namespace

std::optional<WindowPlace> load_window_place(const Window& window, TextView section) {
    const std::filesystem::path path = settings_file(window);
    if (path.empty()) return std::nullopt;
    const Text value = IniFile::load(path).value(section, place_key());
    int numbers[4] = {};
    const char* at = value.data();
    const char* const end = value.data() + value.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at == end || *at != ',') return std::nullopt;
            ++at;
        }
        const auto [next, error] = std::from_chars(at, end, numbers[i]);
        if (error != std::errc()) return std::nullopt;
        at = next;
    }
    if (at != end || numbers[2] <= 0 || numbers[3] <= 0) return std::nullopt;
    return WindowPlace{numbers[0], numbers[1], numbers[2], numbers[3]};
}

void store_window_place(Window& window, TextView section, const WindowPlace& place) {
    const std::filesystem::path path = settings_file(window);
    if (path.empty()) return;
    IniFile file = IniFile::load(path);
    const Text value = std::to_string(place.left) + "," + std::to_string(place.top) + "," +
                       std::to_string(place.width) + "," + std::to_string(place.height);
    if (file.has(section, place_key()) && file.value(section, place_key()) == value) return;
    file.set(section, place_key(), value);
    save_settings(file, path, window);
}

}  // namespace qinghe
