#include "config/word_lists.h"

#include <string>
#include <system_error>
#include <unordered_set>

#include "config/control_store.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

const char* const kSection = "词表";

struct List {
    const char* key;  // UTF-8
    std::vector<Text> WordLists::*words;
};

const List kLists[] = {
    {"热点排除词", &WordLists::hot_excluded},
    {"热点包含词", &WordLists::hot_included},
    {"自定义风险词", &WordLists::risk_custom},
    {"放行词", &WordLists::risk_allowed},
};

// Blanks at either end: ASCII spaces and tabs, and the full-width space.
TextView trim_word(TextView word) {
    static const Text wide_space = from_utf8("\u3000");
    for (;;) {
        const TextView before = word;
        word = trim_blanks(word);
        if (word.starts_with(wide_space)) word.remove_prefix(wide_space.size());
        // A full-width space's bytes (A1 A1) end a word only as a whole character.
        if (word.ends_with(wide_space)) {
            size_t at = 0;
            while (at + wide_space.size() < word.size()) at += character_length(word, at);
            if (at + wide_space.size() == word.size()) word.remove_suffix(wide_space.size());
        }
        if (word == before) return word;
    }
}

}  // namespace

bool WordLists::empty() const {
    for (const List& list : kLists) {
        if (!(this->*list.words).empty()) return false;
    }
    return true;
}

std::vector<Text> clean_words(std::span<const Text> words) {
    std::vector<Text> out;
    std::unordered_set<Text> seen;
    for (const Text& given : words) {
        for (size_t start = 0; start <= given.size() && out.size() < kMaxListWords;) {
            size_t end = given.find_first_of("\r\n", start);
            if (end == Text::npos) end = given.size();
            const TextView word = trim_word(TextView(given).substr(start, end - start));
            if (!word.empty() && seen.emplace(word).second) out.emplace_back(word);
            start = end + 1;
        }
    }
    return out;
}

std::vector<Text> words_from_text(TextView text) {
    const Text whole(text);
    return clean_words(std::span(&whole, 1));
}

Text words_to_text(std::span<const Text> words) {
    Text out;
    for (const Text& word : words) {
        if (!out.empty()) out += kCrLf;
        out += word;
    }
    return out;
}

std::filesystem::path word_lists_file(const std::filesystem::path& folder) {
    return folder.empty() ? folder : folder / "word_lists.ini";
}

WordLists load_word_lists(const std::filesystem::path& folder) {
    WordLists lists;
    if (folder.empty()) return lists;
    const IniFile file = IniFile::load(word_lists_file(folder));
    const Text section = from_utf8(kSection);
    for (const List& list : kLists) {
        lists.*list.words = words_from_text(decode_stored_text(file.value(section, from_utf8(list.key))));
    }
    return lists;
}

SaveResult save_word_lists(const std::filesystem::path& folder, const WordLists& lists) {
    if (folder.empty()) return {};
    const std::filesystem::path path = word_lists_file(folder);
    std::error_code error;
    if (lists.empty() && !std::filesystem::exists(std::filesystem::symlink_status(path, error))) return {};
    // Over the file as it is, so that whatever else it holds stays, and one that exists
    // but cannot be read is not replaced.
    IniFile file = IniFile::load(path);
    const Text section = from_utf8(kSection);
    for (const List& list : kLists) {
        file.set(section, from_utf8(list.key), encode_stored_text(words_to_text(clean_words(lists.*list.words))));
    }
    return file.save(path);
}

WordLists load_word_lists(const Window& window) { return load_word_lists(window.services().settings_folder()); }

void store_word_lists(Window& window, const WordLists& lists) {
    const std::filesystem::path folder = window.services().settings_folder();
    if (folder.empty()) return;
    const std::filesystem::path path = word_lists_file(folder);
    const SaveResult saved = save_word_lists(folder, lists);
    if (!saved) window.services().report_problem(from_utf8(path.string()) + ": " + saved.problem);
}

}  // namespace qinghe
