#include "hot/boards.h"

#include "hot/boards/board_units.h"

namespace qinghe {
namespace {

constexpr HotBoard kBoards[] = {
    {"baidu", kBaiduBoardName, fetch_hot_topics}, {"weibo", kWeiboName, fetch_weibo},
    {"zhihu", kZhihuName, fetch_zhihu},           {"douyin", kDouyinName, fetch_douyin},
    {"toutiao", kToutiaoName, fetch_toutiao},     {"bilibili", kBilibiliName, fetch_bilibili},
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
