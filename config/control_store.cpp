#include "config/control_store.h"

#include <algorithm>

#include "config/ini_file.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

const Text& quote_marker() {
    static const Text marker = from_utf8("#引号");
    return marker;
}
const Text& true_text() {
    static const Text text = from_utf8("真");
    return text;
}
const Text& false_text() {
    static const Text text = from_utf8("假");
    return text;
}

// The section of each kind is the kind's name.
const Text& section_of(ControlKind kind) {
    static const Text edit_boxes = from_utf8("编辑框");
    static const Text check_boxes = from_utf8("选择框");
    static const Text radio_buttons = from_utf8("单选框");
    return kind == ControlKind::EditBox ? edit_boxes : kind == ControlKind::CheckBox ? check_boxes : radio_buttons;
}

constexpr TextView kLineBreakMarker = "><br><";

void save_kind(Window& window, const std::filesystem::path& path, TextView exclusions, ControlKind kind) {
    const std::vector<Text> excluded = split_list(exclusions, "|");
    IniFile file = IniFile::load(path);
    for (const Text& name : window.names_of_kind(kind)) {
        if (std::find(excluded.begin(), excluded.end(), name) != excluded.end()) continue;
        const Text value = kind == ControlKind::EditBox ? encode_stored_text(window.content(name))
                           : window.checked(name)       ? true_text()
                                                        : false_text();
        file.set(section_of(kind), name, value);
    }
    save_settings(file, path, window);
}

void load_kind(Window& window, const std::filesystem::path& path, ControlKind kind) {
    const IniFile file = IniFile::load(path);
    for (const Text& name : window.names_of_kind(kind)) {
        const Text value = file.value(section_of(kind), name);
        if (value.empty()) continue;
        if (kind == ControlKind::EditBox) window.set_content(name, decode_stored_text(value));
        else window.set_checked(name, value != false_text());
    }
}

}  // namespace

void save_settings(const IniFile& file, const std::filesystem::path& path, Window& window) {
    if (path.empty()) return;
    const SaveResult saved = file.save(path);
    if (!saved) window.services().report_problem(from_utf8(path.string()) + ": " + saved.problem);
}

Text encode_stored_text(TextView text) {
    return replace_all(replace_all(text, kCrLf, kLineBreakMarker), "\"", quote_marker());
}

Text decode_stored_text(TextView stored) {
    return replace_all(replace_all(stored, kLineBreakMarker, kCrLf), quote_marker(), "\"");
}

void save_edit_boxes(Window& window, const std::filesystem::path& file, TextView exclusions) {
    save_kind(window, file, exclusions, ControlKind::EditBox);
}
void save_check_boxes(Window& window, const std::filesystem::path& file, TextView exclusions) {
    save_kind(window, file, exclusions, ControlKind::CheckBox);
}
void save_radio_buttons(Window& window, const std::filesystem::path& file, TextView exclusions) {
    save_kind(window, file, exclusions, ControlKind::RadioButton);
}

void load_edit_boxes(Window& window, const std::filesystem::path& file) {
    load_kind(window, file, ControlKind::EditBox);
}
void load_check_boxes(Window& window, const std::filesystem::path& file) {
    load_kind(window, file, ControlKind::CheckBox);
}
void load_radio_buttons(Window& window, const std::filesystem::path& file) {
    load_kind(window, file, ControlKind::RadioButton);
}

}  // namespace qinghe
