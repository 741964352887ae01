#include "hot/topic_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>

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

// The file's bytes when it is a regular file (not a link) of at most kMaxTopicCacheBytes.
std::optional<std::string> read_cache_file(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::string> bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) <= kMaxTopicCacheBytes) {
        std::string read(kMaxTopicCacheBytes + 1, '\0');
        size_t size = 0;
        for (ssize_t got; size < read.size() && (got = ::read(fd, read.data() + size, read.size() - size)) != 0;) {
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) break;
            size += static_cast<size_t>(got);
        }
        if (size <= kMaxTopicCacheBytes) bytes = read.substr(0, size);
    }
    ::close(fd);
    return bytes;
}

// The whole document when it is ours, else an empty one of ours.
Json cache_document(std::string_view utf8) {
    Json document = parse_bounded_json(utf8);
    if (!document.is_object() || !json_at(document, {kMarker}) || !json_at(document, {"boards"}) ||
        !json_at(document, {"boards"})->is_object()) {
        document = {{kMarker, 1}, {"boards", Json::object()}};
    }
    return document;
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
    try {
        Json document = cache_document(read_cache_file(file).value_or(std::string()));
        Json kept = Json::array();
        for (size_t i = 0; i < titles.size() && i < kMaxCachedTitles; ++i) kept.push_back(to_utf8(titles[i]));
        const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(fetched.time_since_epoch()).count();
        document["boards"][std::string(board_key)] = {{"fetched", seconds}, {"titles", std::move(kept)}};
        const std::string bytes = document.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
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
    const Json document = parse_bounded_json(utf8);
    if (!json_at(document, {kMarker})) return std::nullopt;
    const Json* board = json_at(document, {"boards", board_key});
    const Json* fetched = board ? json_at(*board, {"fetched"}) : nullptr;
    const Json* titles = board ? json_array_at(*board, {"titles"}) : nullptr;
    if (!fetched || !fetched->is_number_integer() || !titles) return std::nullopt;
    const long long seconds = fetched->get<long long>();
    if (seconds < 0 || seconds > kLastSecond) return std::nullopt;
    CachedTopics cached{.titles = {}, .fetched = system_clock::time_point(std::chrono::seconds(seconds))};
    for (const Json& title : *titles) {
        if (!title.is_string()) continue;
        Text clean = one_line_title(title.get_ref<const std::string&>());
        if (!clean.empty()) cached.titles.push_back(std::move(clean));
    }
    if (cached.titles.empty()) return std::nullopt;
    return cached;
}

Text cached_topics_notice(TextView reason, TextView board_name, const CachedTopics& cached,
                          system_clock::time_point now) {
    const std::string when =
        age_text(now - cached.fetched) + "（" + clock_text(local_time(cached.fetched), local_time(now), true) + "）";
    return from_utf8("未能获取实时热点（") + Text(reason) + from_utf8("），使用" + when + "的") + Text(board_name) +
           from_utf8("。");
}

Text fetched_status(TextView board_name, system_clock::time_point fetched, system_clock::time_point now) {
    const std::tm at = local_time(fetched), today = local_time(now);
    const bool same_day = at.tm_year == today.tm_year && at.tm_yday == today.tm_yday;
    return Text(board_name) + from_utf8(" · " + clock_text(at, today, !same_day) + " 获取");
}

}  // namespace qinghe
