// The ranking pages on arbitrary bytes, read as a board's JSON and as a whole page:
// never a crash, every title is one non-empty line, ranked in order, its heat one line.
#include "fuzz/fuzz_input.h"
#include "hot/board_page.h"
#include "hot/hot_topics.h"

namespace {

// Every title is non-empty (one line when `one_line`), ranked in order from 1, its heat one line.
void check_titles(const std::vector<qinghe::HotEntry>& entries, bool one_line) {
    for (size_t i = 0; i < entries.size(); ++i) {
        const qinghe::Text& title = entries[i].title;
        FUZZ_CHECK(!title.empty());
        if (one_line) FUZZ_CHECK(title.find_first_of("\r\n") == qinghe::Text::npos);
        FUZZ_CHECK(entries[i].rank == static_cast<int>(i) + 1);
        FUZZ_CHECK(entries[i].heat.find_first_of("\r\n") == qinghe::Text::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    check_titles(board_titles_from_json(bytes), true);
    check_titles(board_titles_from_json(board_data(bytes)), true);
    // Legacy entries are taken byte for byte and may hold line breaks.
    check_titles(page_titles(bytes, bytes), false);
    return 0;
}
