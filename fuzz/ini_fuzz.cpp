// A settings file of arbitrary bytes: load it, set one key, save, load again. The key
// reads back as set and every other key keeps its value.
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "config/ini_file.h"
#include "fuzz/fuzz_input.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

// One scratch file for the whole run, on a memory file system where there is one.
const std::filesystem::path& scratch_file() {
    static const std::filesystem::path file = [] {
        std::string folder =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm/ini-fuzz-XXXXXX" : "/tmp/ini-fuzz-XXXXXX";
        if (!::mkdtemp(folder.data())) std::abort();
        static std::filesystem::path created = folder;
        std::atexit([] { std::filesystem::remove_all(created); });
        return created / "config.ini";
    }();
    return file;
}

// Names as the program uses them: valid text on one line, no "=", no brackets.
Text plain_name(TextView raw) {
    Text name;
    for (char c : raw) {
        if (c != '\r' && c != '\n' && c != '=' && c != '[' && c != ']' && c != ';' && c != '\0') name.push_back(c);
    }
    name = Text(trim_blanks(name));
    return name.empty() || encode(decode(name)) != name ? Text("k") : name;
}

// What reading gives back for a value that was set.
Text read_back_form(TextView value) {
    Text out(value);
    for (char& c : out) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    out.erase(0, std::min(out.find_first_not_of(" \t"), out.size()));
    out.resize(std::min(out.size(), out.find('\0')));
    if (out.size() >= 2 && out.front() == '"' && out.back() == '"') out = out.substr(1, out.size() - 2);
    return out;
}

// Every section and key name that stands in the file, in order.
std::vector<std::pair<Text, Text>> keys_of(const IniFile& file) {
    std::vector<std::pair<Text, Text>> keys;
    Text section;
    for (const Text& line : file.lines()) {
        const TextView trimmed = trim_blanks(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const size_t close = find_offset(trimmed, "]", 1);
            section = Text(trim_blanks(trimmed.substr(1, close == TextView::npos ? TextView::npos : close - 1)));
        } else if (!trimmed.empty() && trimmed.front() != ';' && line.find('=') != Text::npos) {
            keys.emplace_back(section, Text(trim_blanks(TextView(line).substr(0, line.find('=')))));
        }
    }
    return keys;
}

}  // namespace
}  // namespace qinghe

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    fuzz::Input in(data, size);
    const Text section = plain_name(in.text());
    const Text key = plain_name(in.text());
    const Text value = in.text();
    const std::string content = in.rest();
    const std::filesystem::path& path = scratch_file();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;

    IniFile file = IniFile::load(path);
    std::vector<std::pair<std::pair<Text, Text>, Text>> before;
    for (auto& [s, k] : keys_of(file)) {
        if (equal_ignoring_case(s, section) && equal_ignoring_case(k, key)) continue;
        Text v = file.value(s, k);
        before.push_back({{std::move(s), std::move(k)}, std::move(v)});
    }
    file.set(section, key, value);
    FUZZ_CHECK(file.save(path));

    const IniFile reloaded = IniFile::load(path);
    FUZZ_CHECK(reloaded.value(section, key) == read_back_form(value));
    for (const auto& [name, v] : before) FUZZ_CHECK(reloaded.value(name.first, name.second) == v);
    return 0;
}
