// The risk check on arbitrary bytes and writer's words: hits cover whole characters inside
// the text, in order, nested only as a high hit inside a hint, with a valid entry that
// applies to the platform;
// a run read in one pass gives each headline the hits it has alone. The hot-topic filter
// on the same pieces as titles: it keeps some of them in order and counts the rest.
#include <memory>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "hot/topic_filter.h"
#include "titles/risk_words.h"

namespace qinghe {
namespace {

// The checker of the last input's words; building one reads every pattern.
const RiskChecker& checker_for(const Text& custom, const Text& allowed) {
    static std::unique_ptr<RiskChecker> checker;
    static Text last_custom, last_allowed;
    if (!checker || custom != last_custom || allowed != last_allowed) {
        const Text custom_words[] = {custom}, allowed_words[] = {allowed};
        checker = std::make_unique<RiskChecker>(custom_words, allowed_words);
        last_custom = custom;
        last_allowed = allowed;
    }
    return *checker;
}

// The character position of byte `offset`, or npos when no character starts there.
size_t character_at(TextView text, size_t offset) {
    size_t at = 0, count = 0;
    while (at < offset) at += character_length(text, at), ++count;
    return at == offset ? count : TextView::npos;
}

void check_hits(const RiskChecker& checker, TextView text, const Platform* platform, std::span<const RiskHit> hits) {
    const std::span<const RiskEntry> entries = checker.entries();
    for (size_t i = 0; i < hits.size(); ++i) {
        const RiskHit& hit = hits[i];
        FUZZ_CHECK(hit.begin < hit.end && hit.end <= text.size() && hit.first_char < hit.end_char);
        FUZZ_CHECK(character_at(text, hit.begin) == hit.first_char);
        FUZZ_CHECK(character_at(text, hit.end) == hit.end_char);
        FUZZ_CHECK(hit.entry >= entries.data() && hit.entry < entries.data() + entries.size());
        FUZZ_CHECK(hit.entry->level == RiskLevel::high || hit.entry->level == RiskLevel::hint);
        FUZZ_CHECK(hit.entry->applies_to(platform));
        if (i == 0) continue;
        const RiskHit& before = hits[i - 1];
        FUZZ_CHECK(before.first_char < hit.first_char ||
                   (before.first_char == hit.first_char && before.end_char > hit.end_char));
        for (size_t j = 0; j < i; ++j) {
            const bool inside = hits[j].first_char <= hit.first_char && hit.end_char <= hits[j].end_char;
            if (inside) FUZZ_CHECK(hit.entry->level == RiskLevel::high && hits[j].entry->level == RiskLevel::hint);
        }
    }
}

bool same(std::span<const RiskHit> a, std::span<const RiskHit> b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].begin != b[i].begin || a[i].end != b[i].end || a[i].first_char != b[i].first_char ||
            a[i].end_char != b[i].end_char || a[i].entry != b[i].entry)
            return false;
    }
    return true;
}

void check_risks(const RiskChecker& checker, TextView text, const Platform* platform, std::span<const size_t> ends) {
    const std::vector<RiskHit> hits = checker.check(text, platform);
    check_hits(checker, text, platform, hits);
    Text blocking;
    for (const RiskHit& hit : hits) {
        if (hit.entry->level == RiskLevel::high) {
            blocking = hit.entry->pattern;
            break;
        }
    }
    FUZZ_CHECK(checker.blocking_word(text, platform) == blocking);

    const RunHits run = checker.check_run(text, ends, platform);
    FUZZ_CHECK(run.headlines() == ends.size());
    size_t start = 0;
    for (size_t i = 0; i < ends.size(); start = ends[i++]) {
        const TextView headline = text.substr(start, ends[i] - start);
        FUZZ_CHECK(same(run.of(i), checker.check(headline, platform)));
    }
}

void check_filter(const TopicFilterOptions& options, const std::vector<Text>& titles) {
    const TopicFilter filter(options);
    const FilteredTopics result = filter.apply(titles);
    FUZZ_CHECK(result.seen == titles.size() && result.kept.size() + result.left_out() == titles.size());
    FUZZ_CHECK(filter_status(result).empty() == (result.left_out() == 0));
    if (!options.any()) FUZZ_CHECK(result.kept == titles);
    size_t next = 0;  // the kept titles are the ones judged kept, in order
    for (const Text& title : titles) {
        if (filter.judge(title) != TopicVerdict::kept) continue;
        FUZZ_CHECK(next < result.kept.size() && result.kept[next] == title);
        ++next;
    }
    FUZZ_CHECK(next == result.kept.size());
}

}  // namespace
}  // namespace qinghe

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    fuzz::Input in(data, size);
    const bool avoid_disasters = in.flag();
    const std::span<const Platform> all = platforms();
    const size_t choice = in.number(static_cast<unsigned>(all.size()));
    const Platform* platform = choice < all.size() ? &all[choice] : nullptr;
    const Text custom = in.text();
    const Text allowed = in.text();
    std::vector<size_t> cuts(in.number(8));
    for (size_t& cut : cuts) cut = in.number(255);
    const Text text = in.rest();
    // The headlines' ends: the cuts as lengths, within the text, and its end.
    std::vector<size_t> ends;
    size_t at = 0;
    for (size_t cut : cuts) {
        at = std::min(at + cut, text.size());
        ends.push_back(at);
    }
    ends.push_back(text.size());
    check_risks(checker_for(custom, allowed), text, platform, ends);
    std::vector<Text> titles;
    for (size_t i = 0, start = 0; i < ends.size(); start = ends[i++])
        titles.push_back(text.substr(start, ends[i] - start));
    check_filter({.avoid_disasters = avoid_disasters, .excluded = {custom}, .included = {allowed}}, titles);
    return 0;
}
