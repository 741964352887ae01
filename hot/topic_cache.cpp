#include "hot/topic_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <utility>

#include "hot/bounded_json.h"
#include "hot/title_text.h"
#include "text/codec.h"
#include "text/new_file.h"

namespace qinghe {
namespace {

using std::chrono::system_clock;

constexpr std::string_view kMarker = "qinghe_hot_topics";
// Up to the year 2200 (the system clock counts nanoseconds in 64 bits and ends in 2262):
// a time outside is damage, not a fetch.
constexpr long long kLastSecond = 7258118399;

std::filesystem::path cache_file(const std::filesystem::path& folder) { return folder / kTopicCacheFileName; }

// The file's bytes when it is a regular file (not a link) of at most kMaxTopicCacheBytes;
// a larger one is refused by its size, unread, and one that grows past it while read.
std::optional<std::string> read_cache_file(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::string> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) <= kMaxTopicCacheBytes) {
        std::string read;
        read.reserve(static_cast<size_t>(info.st_size));
        char chunk[16384];
        bool whole = true;
        for (ssize_t got; whole && (got = ::read(fd, chunk, sizeof chunk)) != 0;) {
            if (got < 0 && errno == EINTR) continue;
            whole = got > 0 && read.size() + static_cast<size_t>(got) <= kMaxTopicCacheBytes;
            if (whole) read.append(chunk, static_cast<size_t>(got));
        }
        if (whole) bytes = std::move(read);
    }
    ::close(fd);
    return bytes;
}

// A key that can name a board: short, of ASCII letters, digits, "_" and "-", so that it
// never needs escaping.
bool is_board_key(std::string_view key) {
    if (key.empty() || key.size() > kMaxBoardKeyBytes) return false;
    for (const char c : key) {
        const bool fits =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!fits) return false;
    }
    return true;
}

// A board's kept titles, UTF-8: each cleaned as a board's (a blank or longer one
// skipped), the first kMaxCachedTitles that fit kMaxCachedBoardBytes as written. A title
// costs its JSON string with the indent and separator around it.
class KeptTitles {
public:
    // Takes the title unless the board's bounds are reached; false once they are.
    bool add(std::string_view utf8) {
        if (titles_.size() >= kMaxCachedTitles) return false;
        const Text clean = one_line_title(utf8);
        if (clean.empty()) return true;
        std::string title = to_utf8(clean);
        const size_t cost = Json(title).dump(-1, ' ', false, Json::error_handler_t::replace).size() + 6;
        if (bytes_ + cost > kMaxCachedBoardBytes) return false;
        bytes_ += cost;
        titles_.push_back(std::move(title));
        return true;
    }
    std::vector<std::string>& titles() { return titles_; }

private:
    std::vector<std::string> titles_;
    size_t bytes_ = 0;
};

// One board's entry, its titles within the bounds.
struct BoardEntry {
    long long fetched = 0;
    std::vector<std::string> titles;
};

// A board's entry as the file holds it; nothing when it is damaged or holds no title.
std::optional<BoardEntry> entry_of(const Json& board) {
    const Json* fetched = json_at(board, {"fetched"});
    const Json* titles = json_array_at(board, {"titles"});
    if (!fetched || !fetched->is_number_integer() || !titles) return std::nullopt;
    const long long seconds = fetched->get<long long>();
    if (seconds < 0 || seconds > kLastSecond) return std::nullopt;
    KeptTitles kept;
    for (const Json& title : *titles) {
        if (title.is_string() && !kept.add(title.get_ref<const std::string&>())) break;
    }
    if (kept.titles().empty()) return std::nullopt;
    return BoardEntry{.fetched = seconds, .titles = std::move(kept.titles())};
}

// The boards of a document of ours (the marker and a boards object); nullptr for any other.
const Json* boards_of(const Json& document) {
    const Json* boards = json_at(document, {"boards"});
    return json_at(document, {kMarker}) && boards && boards->is_object() ? boards : nullptr;
}

// "<file>: <what>[: <system's message>]" as program text (paths and messages are UTF-8).
Text failure(const std::filesystem::path& file, const char* what, int error = 0) {
    std::string line = file.string() + ": " + what;
    if (error != 0) line += ": " + std::generic_category().message(error);
    return from_utf8(line);
}

// Replaces the file atomically, never writing through a link planted beside it.
Text replace_file(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::path temporary;
    const int fd = create_file_beside(file, 0644, temporary);
    const int error = fd < 0 ? errno : replace_with(fd, temporary, file, bytes);
    return error == 0 ? Text{} : failure(file, "cannot be written", error);
}

std::tm local_time(system_clock::time_point at) {
    const std::time_t seconds = system_clock::to_time_t(at);
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

// "12月9日 05:20", with "2025年" before it when `at` is not in the year of `now`.
std::string clock_text(const std::tm& at, const std::tm& now, bool with_date) {
    char buffer[64];
    std::string text;
    if (at.tm_year != now.tm_year) {
        std::snprintf(buffer, sizeof buffer, "%d年", at.tm_year + 1900);
        text += buffer;
    }
    if (with_date || at.tm_year != now.tm_year) {
        std::snprintf(buffer, sizeof buffer, "%d月%d日 ", at.tm_mon + 1, at.tm_mday);
        text += buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", at.tm_hour, at.tm_min);
    return text + buffer;
}

// "刚刚", " 5 分钟前", " 3 小时前", " 2 天前" (the spaces as they stand after "使用").
std::string age_text(system_clock::duration age) {
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(age).count();
    char buffer[64];
    if (seconds < 60) return "刚刚";
    if (seconds < 3600) {
        std::snprintf(buffer, sizeof buffer, " %lld 分钟前", seconds / 60);
    } else if (seconds < 86400) {
        std::snprintf(buffer, sizeof buffer, " %lld 小时前", seconds / 3600);
    } else {
        std::snprintf(buffer, sizeof buffer, " %lld 天前", seconds / 86400);
    }
    return buffer;
}

}  // namespace

Text store_topics(const std::filesystem::path& folder, std::string_view board_key, const std::vector<Text>& titles,
                  system_clock::time_point fetched) {
    if (folder.empty() || titles.empty()) return {};
    const std::filesystem::path file = cache_file(folder);
    if (!is_board_key(board_key)) return failure(file, "cannot keep a board of that name; titles not kept");
    try {
        KeptTitles kept;
        for (const Text& title : titles) {
            if (!kept.add(to_utf8(title))) break;
        }
        if (kept.titles().empty()) return failure(file, "no title short enough to keep; titles not kept");
        // The other boards as they were, the most recently fetched first; an unreadable file
        // is started afresh.
        std::vector<std::pair<std::string, BoardEntry>> others;
        const Json old = parse_bounded_json(read_cache_file(file).value_or(std::string()));
        if (const Json* boards = boards_of(old)) {
            for (const auto& [key, board] : boards->items()) {
                if (key == board_key || !is_board_key(key)) continue;
                if (std::optional<BoardEntry> entry = entry_of(board)) others.emplace_back(key, std::move(*entry));
            }
        }
        std::stable_sort(others.begin(), others.end(),
                         [](const auto& a, const auto& b) { return a.second.fetched > b.second.fetched; });
        if (others.size() >= kMaxCachedBoards) others.resize(kMaxCachedBoards - 1);

        Json boards = Json::object();
        for (auto& [key, entry] : others)
            boards[key] = {{"fetched", entry.fetched}, {"titles", std::move(entry.titles)}};
        const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(fetched.time_since_epoch()).count();
        boards[std::string(board_key)] = {{"fetched", seconds}, {"titles", std::move(kept.titles())}};
        const Json document = {{kMarker, 1}, {"boards", std::move(boards)}};
        const std::string bytes = document.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
        // The bounds keep every file within kMaxTopicCacheBytes; should they ever fail to,
        // no file is written that the next load would refuse.
        if (bytes.size() > kMaxTopicCacheBytes) return failure(file, "would be too large; titles not kept");
        return replace_file(file, bytes);
    } catch (const std::exception&) {
        return failure(file, "out of memory; titles not kept");
    }
}

std::optional<CachedTopics> load_topics(const std::filesystem::path& folder, std::string_view board_key) {
    if (folder.empty()) return std::nullopt;
    const std::optional<std::string> bytes = read_cache_file(cache_file(folder));
    return bytes ? topics_from_cache(*bytes, board_key) : std::nullopt;
}

std::optional<CachedTopics> topics_from_cache(std::string_view utf8, std::string_view board_key) {
    if (utf8.size() > kMaxTopicCacheBytes) return std::nullopt;
    const Json document = parse_bounded_json(utf8);
    const Json* boards = boards_of(document);
    const Json* board = boards ? json_at(*boards, {board_key}) : nullptr;
    std::optional<BoardEntry> entry = board ? entry_of(*board) : std::nullopt;
    if (!entry) return std::nullopt;
    CachedTopics cached{.titles = {}, .fetched = system_clock::time_point(std::chrono::seconds(entry->fetched))};
    cached.titles.reserve(entry->titles.size());
    for (const std::string& title : entry->titles) cached.titles.push_back(from_utf8(title));
    return cached;
}

Text cached_topics_notice(TextView reason, TextView board_name, const CachedTopics& cached,
                          system_clock::time_point now) {
    const std::string when =
        age_text(now - cached.fetched) + "（" + clock_text(local_time(cached.fetched), local_time(now), true) + "）";
    return from_utf8("未能获取实时热点（") + Text(reason) + from_utf8("），使用" + when + "的") + Text(board_name) +
           from_utf8("。");
}

Text topics_age(system_clock::time_point fetched, system_clock::time_point now) {
    const std::string age = age_text(now - fetched);
    return from_utf8(age.starts_with(' ') ? age.substr(1) : age);
}

Text fetched_status(TextView board_name, system_clock::time_point fetched, system_clock::time_point now) {
    const std::tm at = local_time(fetched), today = local_time(now);
    const bool same_day = at.tm_year == today.tm_year && at.tm_yday == today.tm_yday;
    return Text(board_name) + from_utf8(" · " + clock_text(at, today, !same_day) + " 获取");
}

}  // namespace qinghe
