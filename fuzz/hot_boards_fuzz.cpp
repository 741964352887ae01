// Every board's reader, the site's words in an error body, the topic cache's reader and
// the merge of boards on arbitrary bytes: never a crash or an exception, every title one
// non-blank line without control characters, the site's words one short line, the merge's
// properties kept.
#include "fuzz/fuzz_input.h"
#include "hot/board_fetch.h"
#include "hot/board_page.h"
#include "hot/boards/board_units.h"
#include "hot/bounded_json.h"
#include "hot/title_text.h"
#include "hot/topic_cache.h"
#include "hot/topic_merge.h"
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

// Every title in exactly one topic, no board twice in a topic, its title the first
// mention's; keys are their own keys; whether two titles name one event does not depend
// on their order.
void check_merge(const std::vector<std::vector<qinghe::HotEntry>>& lists, const std::vector<qinghe::HotEntry>& lines) {
    using namespace qinghe;
    std::vector<HotEntry> backwards(lines.rbegin(), lines.rend());
    std::vector<RankedBoard> boards;
    size_t given = 0;
    for (size_t i = 0; i < lists.size(); ++i) boards.push_back({"board" + std::to_string(i), lists[i]});
    boards.push_back({"lines", lines});
    boards.push_back({"backwards", backwards});
    for (const RankedBoard& board : boards) given += std::min(board.entries.size(), kMaxMergedEntries);
    size_t mentions = 0;
    for (const MergedTopic& topic : merge_topics(boards)) {
        FUZZ_CHECK(!topic.mentions.empty() && topic.title == topic.mentions.front().entry.title);
        for (size_t m = 0; m < topic.mentions.size(); ++m) {
            for (size_t n = 0; n < m; ++n) FUZZ_CHECK(topic.mentions[n].board != topic.mentions[m].board);
        }
        mentions += topic.mentions.size();
    }
    FUZZ_CHECK(mentions == given);
    for (size_t i = 0; i < lines.size(); ++i) {
        const Text key = topic_key(lines[i].title);
        FUZZ_CHECK(topic_key(key) == key);
        if (i > 0) {
            FUZZ_CHECK(same_event(lines[i - 1].title, lines[i].title) ==
                       same_event(lines[i].title, lines[i - 1].title));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::vector<HotEntry>> lists;
    for (const Reader reader : {Reader(weibo_titles), Reader(zhihu_titles), Reader(douyin_titles),
                                Reader(toutiao_titles), Reader(bilibili_titles), Reader(board_titles_from_json)}) {
        int pumps = 0;
        const std::vector<HotEntry>& entries = lists.emplace_back(reader(bytes, [&pumps] { ++pumps; }));
        check_titles(titles_of(entries));
        for (size_t i = 0; i < entries.size(); ++i) {
            FUZZ_CHECK(entries[i].rank == static_cast<int>(i) + 1);
            FUZZ_CHECK(entries[i].heat.size() <= 2 * kMaxHeatBytes);  // a character takes at most twice its UTF-8 bytes
            for (const char16_t unit : qinghe::decode(entries[i].heat)) FUZZ_CHECK(is_line_unit(unit));
        }
        FUZZ_CHECK(static_cast<size_t>(pumps) <= 2 * (size >> 20) + 1);  // the scan, then the parse
    }
    // The input's lines as titles too (forwards and backwards, two boards), so that the
    // merge meets any text, not only what a reader lets through.
    std::vector<HotEntry> lines;
    for (size_t at = 0; at < bytes.size() && lines.size() < kMaxMergedEntries;) {
        const size_t end = std::min(bytes.find('\n', at), bytes.size());
        add_entry(lines, Text(bytes.substr(at, end - at)), {});
        at = end + 1;
    }
    check_merge(lists, lines);
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
