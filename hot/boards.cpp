#include "hot/boards.h"

#include "hot/boards/board_units.h"

namespace qinghe {
namespace {

constexpr HotBoard kBoards[] = {
    {"baidu", "百度热搜", fetch_hot_topics},    {"weibo", "微博热搜", fetch_weibo},
    {"zhihu", "知乎热榜", fetch_zhihu},         {"douyin", "抖音热点", fetch_douyin},
    {"toutiao", "今日头条热榜", fetch_toutiao}, {"bilibili", "哔哩哔哩热搜", fetch_bilibili},
};

}  // namespace

std::span<const HotBoard> hot_boards() { return kBoards; }

const HotBoard* find_hot_board(std::string_view key) {
    for (const HotBoard& board : kBoards) {
        if (key == board.key) return &board;
    }
    return nullptr;
}

}  // namespace qinghe
