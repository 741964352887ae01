#pragma once
// Headlines as a writer keeps them, made up for the benchmarks of the history and of the
// window over it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "history/compared_form.h"
#include "history/history.h"
#include "text/codec.h"
#include "text/search.h"
#include "titles/builtin.h"
#include "titles/generator.h"
#include "titles/keywords.h"

namespace {

std::vector<qinghe::Text> lines(const qinghe::Text& list) { return qinghe::split_list(list, qinghe::kCrLf); }

const char* const kKeywords[] = {"新能源车", "减肥", "考研", "理财", "育儿", "职场", "高考", "装修", "旅游", "养生",
                                 "基金",     "房价", "咖啡", "健身", "手机", "电影", "AI",   "汽车", "美食", "教育"};
const char* const kPlatforms[] = {"", "今日头条", "微信公众号", "小红书", "视频号"};

// Headlines as a writer keeps them: the built-in lists with a keyword in their blanks
// (or before them), each one distinct, used over two years.
std::vector<qinghe::HeadlineRow> stored_headlines(int count, std::mt19937& random,
                                                  std::chrono::system_clock::time_point until) {
    const auto prefixes = lines(qinghe::builtin_prefix_list());
    const auto links = lines(qinghe::builtin_link_list());
    const auto suffixes = lines(qinghe::builtin_suffix_list());
    const qinghe::Text comma = qinghe::from_utf8("，"), bang = qinghe::from_utf8("！"), colon = qinghe::from_utf8("：");
    std::vector<qinghe::HeadlineRow> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const qinghe::Text keyword = qinghe::from_utf8(kKeywords[random() % std::size(kKeywords)]);
        qinghe::Text text = prefixes[random() % prefixes.size()] + comma + links[random() % links.size()] + comma +
                            suffixes[random() % suffixes.size()];
        text = qinghe::fill_blanks(text, keyword);
        if (random() % 2) text = keyword + colon + text;
        // Distinct headlines: a number where the lists would repeat one.
        text += std::to_string(i) + bang;
        qinghe::HeadlineRow row;
        row.id = i + 1;
        row.text = std::move(text);
        row.platform = qinghe::from_utf8(kPlatforms[random() % std::size(kPlatforms)]);
        row.keyword = random() % 4 ? keyword : qinghe::Text();
        if (random() % 5 == 0) {
            row.board = "weibo";
            row.planted = qinghe::from_utf8("热搜第" + std::to_string(random() % 5000) + "条");
        }
        row.first_used =
            std::chrono::floor<std::chrono::seconds>(until - std::chrono::hours(random() % (2 * 365 * 24)));
        row.last_used = row.first_used + std::chrono::hours(random() % 1000);
        row.times_used = random() % 6;
        row.starred = random() % 200 == 0 || row.times_used == 0;
        rows.push_back(std::move(row));
    }
    return rows;
}

// The used headlines of a run of 避开用过的标题: every different headline an earlier run
// made, used once at `now`, then made-up ones up to `count` rows.
[[maybe_unused]] std::vector<qinghe::HeadlineRow> used_rows(const qinghe::Headlines& earlier, int count,
                                                            std::chrono::system_clock::time_point now) {
    std::vector<qinghe::HeadlineRow> rows;
    std::unordered_set<std::uint64_t> seen;  // by compared form, as the history keeps them
    size_t begin = 0;
    for (const size_t end : earlier.ends) {
        qinghe::Text headline = earlier.text.substr(begin, end - begin);
        begin = end;
        if (!seen.insert(qinghe::headline_hash(headline)).second) continue;
        qinghe::HeadlineRow row;
        row.id = static_cast<std::int64_t>(rows.size()) + 1;
        row.text = std::move(headline);
        row.first_used = row.last_used = std::chrono::floor<std::chrono::seconds>(now);
        row.times_used = 1;
        rows.push_back(std::move(row));
    }
    std::mt19937 random(3);
    for (qinghe::HeadlineRow& row : stored_headlines(count - static_cast<int>(rows.size()), random, now)) {
        row.id += 1'000'000;
        rows.push_back(std::move(row));
    }
    return rows;
}

// Stores rows in one transaction, in batches so that they need not all be held at once.
[[maybe_unused]] void store(qinghe::History& history, int count, std::mt19937& random,
                            std::chrono::system_clock::time_point until) {
    qinghe::sql::Connection& db = *history.database();
    db.execute("PRAGMA cache_size = -262144");
    qinghe::HeadlineStore headlines(db);
    qinghe::sql::Transaction all(db);
    for (int made = 0; made < count; made += 100'000) {
        std::vector<qinghe::HeadlineRow> rows = stored_headlines(std::min(100'000, count - made), random, until);
        for (qinghe::HeadlineRow& row : rows) row.id += made;
        if (!headlines.restore(rows).ok()) std::printf("storing failed\n");
    }
    if (!all.commit().ok()) std::printf("commit failed\n");
}

}  // namespace
