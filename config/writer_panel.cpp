#include "config/writer_panel.h"

#include "config/control_store.h"
#include "config/ini_file.h"
#include "controls/names.h"
#include "text/codec.h"
#include "titles/generator.h"
#include "titles/platforms.h"
#include "titles/run_checks.h"

namespace qinghe {
namespace {

enum class Kind { Toggle, Text, Choice };

struct Option {
    const Text& control;
    Kind kind;
    Text default_value;  // as stored
};

const std::vector<Option>& options() {
    static const std::vector<Option> list = {
        {name::panel_button, Kind::Toggle, from_utf8("真")},
        {name::keyword_box, Kind::Text, {}},
        {name::platform_choice, Kind::Choice, from_utf8(platforms().front().name)},
        {name::no_repeat_check, Kind::Toggle, from_utf8("假")},
        {name::board_choice, Kind::Choice, default_board_choice()},
        {name::avoid_disasters_check, Kind::Toggle, from_utf8("假")},
        {name::risk_choice, Kind::Choice, from_utf8(risk_mode_names().front())},
        {name::avoid_used_check, Kind::Toggle, from_utf8("假")},
    };
    return list;
}

const Text& section() {
    static const Text name = from_utf8("写作助手");
    return name;
}

std::filesystem::path settings_file(const Window& window) {
    const std::filesystem::path folder = window.services().settings_folder();
    return folder.empty() ? folder : folder / "config.ini";
}

Text stored_value(const Window& window, const Option& option) {
    switch (option.kind) {
        case Kind::Toggle: return from_utf8(window.checked(option.control) ? "真" : "假");
        case Kind::Text: return encode_stored_text(window.content(option.control));
        case Kind::Choice: return window.content(option.control);
    }
    return {};
}

}  // namespace

void restore_writer_panel(Window& window) {
    const IniFile file = IniFile::load(settings_file(window));
    for (const Option& option : options()) {
        if (!file.has(section(), option.control)) continue;
        const Text value = file.value(section(), option.control);
        if (value.empty() && option.kind == Kind::Toggle) continue;
        switch (option.kind) {
            case Kind::Toggle: window.set_checked(option.control, value != from_utf8("假")); break;
            case Kind::Text: window.set_content(option.control, decode_stored_text(value)); break;
            case Kind::Choice: window.set_content(option.control, value); break;
        }
    }
}

void store_writer_panel(Window& window) {
    const std::filesystem::path path = settings_file(window);
    if (path.empty()) return;
    IniFile file = IniFile::load(path);
    bool changed = false;
    for (const Option& option : options()) {
        const Text value = stored_value(window, option);
        const bool present = file.has(section(), option.control);
        if (!present && value == option.default_value) continue;
        if (present && file.value(section(), option.control) == value) continue;
        file.set(section(), option.control, value);
        changed = true;
    }
    if (changed) save_settings(file, path, window);
}

}  // namespace qinghe
