#include "hot/boards.h"

#include "hot/boards/board_units.h"

namespace qinghe {
namespace {

constexpr HotBoard kBoards[] = {
    {"baidu", kBaiduBoardName, "百度", fetch_hot_topics}, {"weibo", kWeiboName, "微博", fetch_weibo},
    {"zhihu", kZhihuName, "知乎", fetch_zhihu},           {"douyin", kDouyinName, "抖音", fetch_douyin},
    {"toutiao", kToutiaoName, "头条", fetch_toutiao},     {"bilibili", kBilibiliName, "B站", fetch_bilibili},
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
