#include "app/window/hot_board_rows.h"

#include <map>
#include <string>

#include "history/history_texts.h"
#include "hot/topic_cache.h"
#include "hot/topic_merge.h"
#include "text/codec.h"

namespace qinghe {
namespace {

// A board's standings by key, for the rows of its entries.
class Standings {
public:
    explicit Standings(const ShownBoard& board) : standings_(board.standings ? &*board.standings : nullptr) {
        if (!standings_) return;
        for (const BoardStanding& standing : standings_->entries) by_key_.emplace(standing.key, &standing);
    }

    // The row of one entry of the board, under its key.
    HotBoardRow row(const HotEntry& entry, Text key, const char* short_name) const {
        HotBoardRow row{.key = std::move(key)};
        row.cells = {std::to_string(entry.rank), entry.title, entry.heat, from_utf8(short_name)};
        const auto found = by_key_.find(row.key);
        if (found == by_key_.end()) return row;
        const BoardStanding& standing = *found->second;
        row.cells[4] = on_board_text(standing.on_board_since, standings_->fetched);
        row.cells[5] = std::to_string(standing.best_rank);
        row.cells[6] = trend_text(standing.previous_rank, standing.rank);
        return row;
    }

private:
    const BoardFetchStandings* standings_;
    std::map<Text, const BoardStanding*, std::less<>> by_key_;
};

// "微博热搜：…" as the site said it, or with the board's name put before a reason that
// does not name it ("711 发送请求失败!").
Text failure_line(const ShownBoard& board) {
    const Text name = from_utf8(board.board->name);
    if (board.failure.starts_with(name)) return board.failure;
    return name + from_utf8("：") + board.failure;
}

}  // namespace

std::vector<HotBoardRow> board_rows(const ShownBoard& board) {
    const Standings standings(board);
    std::vector<HotBoardRow> rows;
    rows.reserve(board.entries.size());
    for (const HotEntry& entry : board.entries) {
        rows.push_back(standings.row(entry, topic_key(entry.title), board.board->short_name));
    }
    return rows;
}

std::vector<HotBoardRow> merged_rows(std::span<const ShownBoard> boards) {
    std::vector<RankedBoard> ranked;
    std::map<std::string, std::pair<const ShownBoard*, Standings>, std::less<>> by_key;
    for (const ShownBoard& board : boards) {
        if (board.entries.empty()) continue;
        ranked.push_back({board.board->key, board.entries});
        by_key.try_emplace(board.board->key, &board, Standings(board));
    }
    std::vector<HotBoardRow> rows;
    for (const MergedTopic& topic : merge_topics(ranked)) {
        HotBoardRow& row = rows.emplace_back();
        Text sources;
        for (const TopicMention& mention : topic.mentions) {
            const auto& [board, standings] = by_key.at(mention.board);
            row.children.push_back(
                standings.row(mention.entry, topic_key(mention.entry.title), board->board->short_name));
            if (!sources.empty()) sources.append(from_utf8(" · "));
            sources.append(from_utf8(board->board->short_name));
        }
        row.key = topic_key(topic.title);
        row.cells = row.children.front().cells;
        row.cells[0] = std::to_string(rows.size());
        row.cells[1] = topic.title;
        row.cells[3] = std::move(sources);
    }
    return rows;
}

Text hot_board_status(std::span<const ShownBoard> boards, std::optional<size_t> topics, size_t excluded,
                      std::chrono::system_clock::time_point now) {
    size_t shown = 0, entries = 0;
    const ShownBoard* newest = nullptr;
    for (const ShownBoard& board : boards) {
        if (board.entries.empty()) continue;
        ++shown;
        entries += board.entries.size();
        if (!newest || board.fetched > newest->fetched) newest = &board;
    }
    Text summary = topics ? std::to_string(shown) + from_utf8(" 个榜 · ")
                          : from_utf8(boards.front().board->name) + from_utf8(" · ");
    summary.append(std::to_string(entries)).append(from_utf8(" 条"));
    if (topics) summary.append(from_utf8(" · 合并为 ") + std::to_string(*topics) + from_utf8(" 个话题"));
    if (excluded > 0) summary.append(from_utf8(" · 已排除 ") + std::to_string(excluded));
    Text status;
    if (!newest) {
        status = summary + from_utf8(" · 还没有获取过");
    } else {
        if (!newest->live) summary.append(from_utf8(" · ")).append(topics_age(newest->fetched, now));
        status = fetched_status(summary, newest->fetched, now);
    }
    for (const ShownBoard& board : boards) {
        if (board.failure.empty()) continue;
        status.append(kCrLf).append(failure_line(board));
        if (board.entries.empty()) {
            status.append(from_utf8("，没有留存的热点"));
        } else {
            status.append(from_utf8("，显示 ") + topics_age(board.fetched, now) + from_utf8("的"));
        }
    }
    return status;
}

}  // namespace qinghe
