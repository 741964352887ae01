// Every board's reader, the site's words in an error body and the topic cache's reader on
// arbitrary bytes: never a crash or an exception, every title one non-blank line without
// control characters, the site's words one short line.
#include "fuzz/fuzz_input.h"
#include "hot/board_fetch.h"
#include "hot/board_page.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"
#include "hot/title_text.h"
#include "hot/topic_cache.h"
#include "text/codec.h"

namespace {

using Reader = std::vector<qinghe::HotEntry> (*)(std::string_view, const std::function<void()>&);

bool is_line_unit(char16_t unit) {
    return unit >= 0x20 && !(unit >= 0x7F && unit <= 0x9F) && unit != 0x2028 && unit != 0x2029;
}

void check_titles(const std::vector<qinghe::Text>& titles) {
    for (const qinghe::Text& title : titles) {
        bool blank = true;
        for (const char16_t unit : qinghe::decode(title)) {
            FUZZ_CHECK(is_line_unit(unit));
            if (unit != u' ' && unit != u'\u3000') blank = false;
        }
        FUZZ_CHECK(!blank);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const Reader reader : {Reader(weibo_titles), Reader(zhihu_titles), Reader(douyin_titles),
                                Reader(toutiao_titles), Reader(bilibili_titles), Reader(board_titles_from_json)}) {
        int pumps = 0;
        const std::vector<HotEntry> entries = reader(bytes, [&pumps] { ++pumps; });
        check_titles(titles_of(entries));
        for (size_t i = 0; i < entries.size(); ++i) {
            FUZZ_CHECK(entries[i].rank == static_cast<int>(i) + 1);
            FUZZ_CHECK(entries[i].heat.size() <= 2 * kMaxHeatBytes);  // a character takes at most twice its UTF-8 bytes
            for (const char16_t unit : qinghe::decode(entries[i].heat)) FUZZ_CHECK(is_line_unit(unit));
        }
        FUZZ_CHECK(static_cast<size_t>(pumps) <= 2 * (size >> 20) + 1);  // the scan, then the parse
    }
    const std::u16string words = qinghe::decode(site_words(bytes));
    FUZZ_CHECK(words.size() <= 2 * qinghe::kMaxReasonCharacters + 1);  // a character may take two units, "…" one
    for (const char16_t unit : words) FUZZ_CHECK(is_line_unit(unit));
    for (const char* key : {"weibo", "baidu"}) {
        if (const auto cached = topics_from_cache(bytes, key)) {
            FUZZ_CHECK(!cached->titles.empty());
            check_titles(cached->titles);
        }
    }
    return 0;
}
