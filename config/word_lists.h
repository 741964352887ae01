#pragma once
// The four word lists the writer edits: 热点排除词 and 热点包含词 for the hot-topic filter,
// 自定义风险词 and 放行词 for the risk check. Each list is a file of its own in the settings
// folder, one word a line: program text (GB18030) with CR LF after every word, written by
// the settings files' atomic replace. Nothing is escaped, so every word comes back as it
// was saved. Words are trimmed of blanks (full-width spaces too), empty ones dropped, and
// a word given twice is kept once, where it first stands; a word never holds a line break.
//
// Lists kept by earlier versions in word_lists.ini (section "[词表]", one key per list, its
// words stored as a list box's text is in config.ini) are still read: a list whose own
// file does not exist yet comes from there. That file is never written or removed.
#include <filesystem>
#include <span>
#include <vector>

#include "config/ini_file.h"
#include "controls/window.h"
#include "text/text.h"

namespace qinghe {

struct WordLists {
    std::vector<Text> hot_excluded = {};  // 热点排除词
    std::vector<Text> hot_included = {};  // 热点包含词
    std::vector<Text> risk_custom = {};   // 自定义风险词
    std::vector<Text> risk_allowed = {};  // 放行词

    bool empty() const;
    bool operator==(const WordLists&) const = default;
};

// At most this many words a list are kept; words past it are cut off when the lists are
// read or saved.
inline constexpr size_t kMaxListWords = 10'000;

// Words as the lists keep them: each split at line breaks, trimmed, empty ones dropped,
// repeats dropped, order kept. No limit is applied.
std::vector<Text> clean_words(std::span<const Text> words);
// A list box's text (one word a line, CR LF or LF) as its words, cleaned.
std::vector<Text> words_from_text(TextView text);
// The words as a list box shows them: CR LF between them, none after the last.
Text words_to_text(std::span<const Text> words);

// A list's own file in a settings folder, for a member of WordLists.
std::filesystem::path word_list_file(const std::filesystem::path& folder, std::vector<Text> WordLists::*list);
// Where earlier versions kept all four lists.
std::filesystem::path old_word_lists_file(const std::filesystem::path& folder);

// The lists as read, and what the writer should be told about the reading: one line of
// program text for each list cut at kMaxListWords, and for each file that exists but
// could not be read.
struct LoadedWordLists {
    WordLists lists;
    std::vector<Text> notes;
};

// The lists from the folder's files, cleaned and cut. A missing or damaged file, or an
// empty folder path, gives an empty list (a damaged one, as much of it as reads).
LoadedWordLists read_word_lists(const std::filesystem::path& folder);
WordLists load_word_lists(const std::filesystem::path& folder);

// Writes the lists, cleaned and cut, each into its own file, replacing it atomically as
// IniFile::save does. A file already holding its list is left as it is; a list's file is
// made only once it holds a word, or to keep empty a list that word_lists.ini still
// holds. A file that exists but cannot be read is not replaced. The first failure ends the
// save; its problem names the file ("<path>: <reason>"). An empty folder path saves
// nothing.
[[nodiscard]] SaveResult save_word_lists(const std::filesystem::path& folder, const WordLists& lists);

// The same in the window's settings folder (none kept: empty lists, nothing saved); a
// failed save is also reported on the window's terminal, as config.ini's are.
LoadedWordLists load_word_lists(const Window& window);
[[nodiscard]] SaveResult store_word_lists(Window& window, const WordLists& lists);

}  // namespace qinghe
