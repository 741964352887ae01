#include "history/history_texts.h"

#include <string>

#include "text/codec.h"

namespace qinghe {

Text on_board_text(std::chrono::sys_seconds since, std::chrono::sys_seconds fetched) {
    using std::chrono::duration_cast, std::chrono::days, std::chrono::hours, std::chrono::minutes;
    if (since >= fetched) return from_utf8("新");
    const auto stood = fetched - since;
    if (stood >= days(1)) return from_utf8(std::to_string(duration_cast<days>(stood).count()) + " 天");
    if (stood >= hours(1)) return from_utf8(std::to_string(duration_cast<hours>(stood).count()) + " 小时");
    const auto count = duration_cast<minutes>(stood).count();
    return from_utf8(std::to_string(count < 1 ? 1 : count) + " 分钟");
}

Text trend_text(std::optional<int> previous_rank, int rank) {
    if (!previous_rank) return from_utf8("新");
    if (*previous_rank > rank) return from_utf8("↑" + std::to_string(*previous_rank - rank));
    if (*previous_rank < rank) return from_utf8("↓" + std::to_string(rank - *previous_rank));
    return from_utf8("—");
}

Text with_thousands(std::int64_t count) {
    const std::string digits = std::to_string(count < 0 ? -(count + 1) + 1ull : static_cast<unsigned long long>(count));
    std::string out = count < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

Text headline_counts_text(std::int64_t starred, std::int64_t used) {
    return from_utf8("收藏 ") + with_thousands(starred) + from_utf8(" · 用过 ") + with_thousands(used);
}

}  // namespace qinghe
