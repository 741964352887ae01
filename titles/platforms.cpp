#include "titles/platforms.h"

#include "text/codec.h"

namespace qinghe {
namespace {

constexpr Platform kPlatforms[] = {
    {.name = "不限"},
    {.name = "微信公众号", .min_length = 1, .max_length = 64},
    {.name = "今日头条", .min_length = 5, .max_length = 30},
    {.name = "小红书", .min_length = 1, .max_length = 20, .ascii_counts_half = true},
    {.name = "抖音", .min_length = 1, .max_length = 30},
    {.name = "哔哩哔哩", .min_length = 1, .max_length = 80},
    {.name = "视频号", .min_length = 6, .max_length = 16},
};

}  // namespace

std::span<const Platform> platforms() { return kPlatforms; }

const Platform* find_platform(TextView name) {
    for (const Platform& platform : kPlatforms) {
        if (from_utf8(platform.name) == name) return &platform;
    }
    return nullptr;
}

}  // namespace qinghe
