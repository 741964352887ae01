#include "config/word_lists.h"

#include <cerrno>
#include <optional>
#include <string>
#include <unordered_set>

#include "config/control_store.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

const char* const kOldSection = "词表";

struct List {
    const char* name;  // UTF-8; also its key in word_lists.ini
    const char* file;  // its own file in the settings folder
    std::vector<Text> WordLists::*words;
};

const List kLists[] = {
    {"热点排除词", "hot_excluded_words.txt", &WordLists::hot_excluded},
    {"热点包含词", "hot_included_words.txt", &WordLists::hot_included},
    {"自定义风险词", "custom_risk_words.txt", &WordLists::risk_custom},
    {"放行词", "allowed_words.txt", &WordLists::risk_allowed},
};

const List& list_of(std::vector<Text> WordLists::*words) {
    for (const List& list : kLists) {
        if (list.words == words) return list;
    }
    return kLists[0];
}

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

// A list's file: every word followed by CR LF.
Text file_bytes(std::span<const Text> words) {
    Text bytes;
    for (const Text& word : words) bytes.append(word).append(kCrLf);
    return bytes;
}

Text path_text(const std::filesystem::path& path) { return from_utf8(path.string()); }

// No file stands at the path (nor, for ENOTDIR, the folder it would be in).
bool no_file(int error) { return error == ENOENT || error == ENOTDIR; }

// The lists that earlier versions kept in word_lists.ini, read once when first needed.
class OldLists {
public:
    explicit OldLists(const std::filesystem::path& folder) : folder_(folder) {}
    std::vector<Text> words(const List& list) {
        if (!file_) file_ = IniFile::load(old_word_lists_file(folder_));
        return words_from_text(decode_stored_text(file_->value(from_utf8(kOldSection), from_utf8(list.name))));
    }

private:
    const std::filesystem::path& folder_;
    std::optional<IniFile> file_;
};

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
        for (size_t start = 0; start <= given.size();) {
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

std::filesystem::path word_list_file(const std::filesystem::path& folder, std::vector<Text> WordLists::*list) {
    return folder.empty() ? folder : folder / list_of(list).file;
}

std::filesystem::path old_word_lists_file(const std::filesystem::path& folder) {
    return folder.empty() ? folder : folder / "word_lists.ini";
}

LoadedWordLists read_word_lists(const std::filesystem::path& folder) {
    LoadedWordLists loaded;
    if (folder.empty()) return loaded;
    OldLists old(folder);
    for (const List& list : kLists) {
        std::vector<Text>& words = loaded.lists.*list.words;
        const std::filesystem::path path = folder / list.file;
        std::string bytes;
        if (read_settings_file(path, bytes)) {
            words = words_from_text(bytes);
        } else if (const int error = errno; no_file(error)) {
            words = old.words(list);
        } else {
            loaded.notes.push_back(from_utf8("无法读取 ") + path_text(path) + from_utf8("：") + system_message(error));
        }
        if (words.size() > kMaxListWords) {
            loaded.notes.push_back(from_utf8(list.name) + from_utf8("有 ") + std::to_string(words.size()) +
                                   from_utf8(" 个词，只读入了前 ") + std::to_string(kMaxListWords) + from_utf8(" 个"));
            words.resize(kMaxListWords);
        }
    }
    return loaded;
}

WordLists load_word_lists(const std::filesystem::path& folder) { return read_word_lists(folder).lists; }

SaveResult save_word_lists(const std::filesystem::path& folder, const WordLists& lists) {
    if (folder.empty()) return {};
    OldLists old(folder);
    for (const List& list : kLists) {
        std::vector<Text> words = clean_words(lists.*list.words);
        if (words.size() > kMaxListWords) words.resize(kMaxListWords);
        const Text bytes = file_bytes(words);
        const std::filesystem::path path = folder / list.file;
        std::string present;
        if (read_settings_file(path, present)) {
            if (present == bytes) continue;
        } else if (const int error = errno; !no_file(error)) {
            // What it holds is unknown: replacing it could lose words.
            return {path_text(path) + from_utf8(": could not be read: ") + system_message(error)};
        } else if (words.empty() && old.words(list).empty()) {
            continue;
        }
        const SaveResult saved = save_settings_file(path, bytes);
        if (!saved) return {path_text(path) + ": " + saved.problem};
    }
    return {};
}

LoadedWordLists load_word_lists(const Window& window) { return read_word_lists(window.services().settings_folder()); }

SaveResult store_word_lists(Window& window, const WordLists& lists) {
    const SaveResult saved = save_word_lists(window.services().settings_folder(), lists);
    if (!saved) window.services().report_problem(saved.problem);
    return saved;
}

}  // namespace qinghe
