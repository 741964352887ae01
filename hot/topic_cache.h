#pragma once
// The last good titles of each board, kept in the settings folder so that a run whose
// fetch fails still has topics to plant, and the lines that tell the writer how old
// they are.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace qinghe {

// One UTF-8 JSON file for all boards:
//   {"qinghe_hot_topics": 1, "boards": {"weibo": {"fetched": <Unix seconds>, "titles": [...]}}}
inline constexpr const char* kTopicCacheFileName = "hot_topics_cache.json";
// Each board's kept titles are bounded on their own, so that no board can push another
// out: its first kMaxCachedTitles titles of at most kMaxTitleBytes (title_text.h, UTF-8)
// each that fit in kMaxCachedBoardBytes as written, a longer title skipped; the titles
// of at most kMaxCachedBoards boards (the most recently fetched) under keys of at most
// kMaxBoardKeyBytes letters, digits, "_" or "-". So the file never passes
// kMaxTopicCacheBytes (the bound older versions read within); a larger one is damage and
// is not read.
inline constexpr size_t kMaxTopicCacheBytes = 4u << 20;
inline constexpr size_t kMaxCachedBoards = 8;
inline constexpr size_t kMaxCachedTitles = 200;
inline constexpr size_t kMaxBoardKeyBytes = 64;
// What a board's entry may take beside its titles, and the file beside its boards.
inline constexpr size_t kCachedBoardOverheadBytes = 512;
inline constexpr size_t kMaxCachedBoardBytes =
    (kMaxTopicCacheBytes - kCachedBoardOverheadBytes) / kMaxCachedBoards - kCachedBoardOverheadBytes;

struct CachedTopics {
    std::vector<Text> titles;
    std::chrono::system_clock::time_point fetched;
};

// Keeps `titles` (program text, cleaned as a board's are) as the board's last good
// titles within the bounds above, the other boards' kept as they were. The file is
// replaced atomically: written under an unpredictable name in the same folder (never
// through a link planted there), then renamed over the old one. Returns the empty text
// when done or when there is nothing to keep (no folder, no titles); else why not (no
// title short enough, a key that cannot name a board, a failed write), naming the file.
Text store_topics(const std::filesystem::path& folder, std::string_view board_key, const std::vector<Text>& titles,
                  std::chrono::system_clock::time_point fetched);

// The board's kept titles; nothing when the folder is empty, the file is missing, too
// large (then left unread), damaged or not ours, or holds no titles of that board.
std::optional<CachedTopics> load_topics(const std::filesystem::path& folder, std::string_view board_key);
// The same from the file's content: its titles cleaned as a board's are, blank ones
// skipped, within the bounds above.
std::optional<CachedTopics> topics_from_cache(std::string_view utf8, std::string_view board_key);

// The grey line of a run that planted kept titles (program text in, program text out):
// "未能获取实时热点（<reason>），使用 3 小时前（12月9日 05:20）的微博热搜。" The age is
// "刚刚" under a minute, then minutes, hours below a day, days; the clock is local time,
// with the year when it is not this year's.
Text cached_topics_notice(TextView reason, TextView board_name, const CachedTopics& cached,
                          std::chrono::system_clock::time_point now);

// How long ago `fetched` was, as the grey line says it: "刚刚" under a minute, then
// "5 分钟前", "3 小时前" below a day, "2 天前".
Text topics_age(std::chrono::system_clock::time_point fetched, std::chrono::system_clock::time_point now);

// A short status for the writer's panel: "微博热搜 · 05:20 获取" when fetched today
// (local time), else with the date, "微博热搜 · 12月9日 05:20 获取".
Text fetched_status(TextView board_name, std::chrono::system_clock::time_point fetched,
                    std::chrono::system_clock::time_point now);

}  // namespace qinghe
