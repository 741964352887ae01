#include "config/slots.h"

#include <array>

#include "config/control_store.h"
#include "config/ini_file.h"
#include "controls/names.h"

namespace qinghe {
namespace {

std::filesystem::path slot_file(const Window& window, int slot) {
    static constexpr std::array kFiles{"config.ini", "config01.ini", "config02.ini", "config03.ini"};
    const std::filesystem::path folder = window.services().settings_folder();
    return folder.empty() ? folder : folder / kFiles.at(static_cast<size_t>(slot - 1));
}

const std::array<const Text*, 4>& slot_radios() {
    static const std::array<const Text*, 4> radios{&name::slot_radio_1, &name::slot_radio_2, &name::slot_radio_3,
                                                   &name::slot_radio_4};
    return radios;
}

// The names of slots 2 to 4 go into config.ini. They are encoded like any edit box's
// content, which changes nothing for an ordinary name but keeps a name holding a line
// break or a double quote from breaking the file; loading decodes every edit box.
void write_slot_names(Window& window) {
    static const Text section = from_utf8("编辑框");
    const std::filesystem::path path = slot_file(window, 1);
    IniFile file = IniFile::load(path);
    for (const Text* name : {&name::slot_name_2, &name::slot_name_3, &name::slot_name_4}) {
        file.set(section, *name, encode_stored_text(window.content(*name)));
    }
    save_settings(file, path, window);
}

void load_slot(Window& window, int slot) {
    load_edit_boxes(window, slot_file(window, slot));
    load_check_boxes(window, slot_file(window, slot));
}

}  // namespace

const Text& slot_exclusions() {
    static const Text names = [] {
        Text joined;
        for (const Text* name : {&name::slot_name_2, &name::slot_name_3, &name::slot_name_4, &name::punctuation_1,
                                 &name::punctuation_2, &name::punctuation_3, &name::count_box}) {
            if (!joined.empty()) joined += '|';
            joined += *name;
        }
        return joined;
    }();
    return names;
}

void save_configuration(Window& window) {
    for (int slot = 1; slot <= 4; ++slot) {
        if (!window.checked(*slot_radios()[static_cast<size_t>(slot - 1)])) continue;
        save_edit_boxes(window, slot_file(window, slot), slot_exclusions());
        save_check_boxes(window, slot_file(window, slot), {});
    }
    save_radio_buttons(window, slot_file(window, 1), {});
}

void select_slot_1(Window& window) {
    write_slot_names(window);
    load_slot(window, 1);
}

void select_slot_2(Window& window) { load_slot(window, 2); }
void select_slot_3(Window& window) { load_slot(window, 3); }
void select_slot_4(Window& window) { load_slot(window, 4); }

void restore_at_start(Window& window) {
    load_edit_boxes(window, slot_file(window, 1));
    load_radio_buttons(window, slot_file(window, 1));
    for (int slot = 2; slot <= 4; ++slot) {
        if (window.checked(*slot_radios()[static_cast<size_t>(slot - 1)])) load_slot(window, slot);
    }
}

void store_at_close(Window& window) {
    write_slot_names(window);
    save_radio_buttons(window, slot_file(window, 1), {});
}

}  // namespace qinghe
