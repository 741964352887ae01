#pragma once
// The four word lists the writer edits: 热点排除词 and 热点包含词 for the hot-topic filter,
// 自定义风险词 and 放行词 for the risk check. They live in a file of their own in the
// settings folder, word_lists.ini, through the INI layer (GB18030, CR LF, replaced
// atomically): section "[词表]", one key per list named after it, whose value is the
// list's words one a line, stored as the list boxes' text is in config.ini (CR LF as
// "><br><", '"' as "#引号"; a word holding those very markers reads back changed, as a
// list box's line would), so a list of any length is read and written in one pass.
// Words are trimmed of blanks (full-width spaces too), empty ones dropped, and a word
// given twice is kept once, where it first stands.
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

// At most this many words a list are kept; words past it are dropped.
inline constexpr size_t kMaxListWords = 10'000;

// Words as the lists keep them: each split at line breaks, trimmed, empty ones dropped,
// repeats dropped, order kept, at most kMaxListWords.
std::vector<Text> clean_words(std::span<const Text> words);
// A list box's text (one word a line, CR LF or LF) as its words, cleaned.
std::vector<Text> words_from_text(TextView text);
// The words as a list box shows them: CR LF between them, none after the last.
Text words_to_text(std::span<const Text> words);

// The file in a settings folder.
std::filesystem::path word_lists_file(const std::filesystem::path& folder);

// The lists from the folder's file, cleaned. A missing, unreadable or damaged file, or
// an empty folder path, gives empty lists (a damaged list, as much of it as reads).
WordLists load_word_lists(const std::filesystem::path& folder);
// Writes the lists, cleaned, into the file (what else it holds stays), replacing it
// atomically as IniFile::save does; a file that exists but cannot be read is left as it
// is. While every list is empty and no file exists, none is created. An empty folder
// path saves nothing.
[[nodiscard]] SaveResult save_word_lists(const std::filesystem::path& folder, const WordLists& lists);

// The same in the window's settings folder (none kept: empty lists, nothing saved); a
// failed save is reported on the window's terminal as config.ini's are.
WordLists load_word_lists(const Window& window);
void store_word_lists(Window& window, const WordLists& lists);

}  // namespace qinghe
