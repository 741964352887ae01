#include "titles/risk_words.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "generated/embedded_files.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

constexpr size_t kGapCharacters = 8;  // what "…" in a pattern may stand for, at most

const Text& ellipsis() {
    static const Text text = from_utf8("…");
    return text;
}

const Text& every_platform() {
    static const Text text = from_utf8("全部");
    return text;
}

// Names a platform column may hold that are no platform of the program's.
bool foreign_platform(TextView name) {
    static const Text baijiahao = from_utf8("百家号");
    return name == baijiahao;
}

std::string_view as_chars(std::span<const unsigned char> data) {
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// Splits at a one-byte separator, keeping empty fields.
std::vector<std::string_view> split_at(std::string_view text, char separator) {
    std::vector<std::string_view> out;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        out.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return out;
        start = end + 1;
    }
}

// The rows of a TSV file after its header line, each with its line number; blank lines skipped.
template <class OnRow>
void for_each_row(std::string_view tsv, OnRow&& on_row) {
    size_t number = 0;
    for (std::string_view line : split_at(tsv, '\n')) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (number == 1 || line.empty()) continue;
        on_row(number, split_at(line, '\t'));
    }
}

// The pattern's pieces between its gaps, empty ones dropped.
std::vector<Text> pieces_of(TextView pattern) {
    std::vector<Text> pieces = split_list(pattern, ellipsis());
    std::erase_if(pieces, [](const Text& piece) { return piece.empty(); });
    return pieces;
}

// Which of the program's platforms a checker is asked about: 0 for none or 不限, -1 for
// a platform the program does not offer.
int platform_index(const Platform* platform) {
    if (!platform) return 0;
    const std::span<const Platform> all = platforms();
    for (size_t i = 0; i < all.size(); ++i) {
        if (&all[i] == platform || std::strcmp(all[i].name, platform->name) == 0) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

const Text& risk_level_name(RiskLevel level) {
    static const Text high = from_utf8("高风险"), hint = from_utf8("提示");
    return level == RiskLevel::high ? high : hint;
}

std::span<const Text> risk_categories() {
    static const std::vector<Text> names = [] {
        std::vector<Text> out;
        for (const char* name : {"广告法绝对化", "夸大煽动", "混淆官方", "诱导点击", "医疗功效", "导流", "低俗惊悚"})
            out.push_back(from_utf8(name));
        return out;
    }();
    return names;
}

const Text& custom_risk_category() {
    static const Text name = from_utf8("自定义");
    return name;
}

bool RiskEntry::applies_to(const Platform* platform) const {
    if (platform_index(platform) == 0 || platforms.empty()) return true;
    const Text name = from_utf8(platform->name);
    return std::find(platforms.begin(), platforms.end(), name) != platforms.end();
}

RiskLists parse_risk_lists(std::string_view words_tsv, std::string_view exceptions_tsv) {
    RiskLists lists;
    const auto problem = [&lists](const char* file, size_t line, const std::string& what) {
        lists.problems.push_back(std::string(file) + ":" + std::to_string(line) + ": " + what);
    };
    const std::span<const Text> categories = risk_categories();
    for_each_row(words_tsv, [&](size_t line, const std::vector<std::string_view>& fields) {
        constexpr const char* file = "risk-words.tsv";
        if (fields.size() != 6) return problem(file, line, std::to_string(fields.size()) + " fields, not 6");
        RiskEntry entry;
        entry.pattern = from_utf8(fields[0]);
        entry.category = from_utf8(fields[1]);
        const Text level = from_utf8(fields[2]);
        entry.basis = from_utf8(fields[4]);
        if (pieces_of(entry.pattern).empty()) return problem(file, line, "no pattern");
        if (std::find(categories.begin(), categories.end(), entry.category) == categories.end())
            return problem(file, line, "unknown category " + std::string(fields[1]));
        if (level == risk_level_name(RiskLevel::high)) {
            entry.level = RiskLevel::high;
        } else if (level == risk_level_name(RiskLevel::hint)) {
            entry.level = RiskLevel::hint;
        } else {
            return problem(file, line, "unknown level " + std::string(fields[2]));
        }
        if (from_utf8(fields[3]) != every_platform()) {
            for (std::string_view name : split_at(fields[3], ',')) {
                Text platform = from_utf8(name);
                const Platform* known = find_platform(platform);
                if (!foreign_platform(platform) && (!known || platform_index(known) == 0))
                    return problem(file, line, "unknown platform " + std::string(name));
                entry.platforms.push_back(std::move(platform));
            }
        }
        if (!fields[5].empty()) {
            for (std::string_view word : split_at(fields[5], '|')) {
                if (word.empty()) return problem(file, line, "empty suggestion");
                entry.suggestions.push_back(from_utf8(word));
            }
        }
        if (entry.suggestions.size() > 3) return problem(file, line, "more than 3 suggestions");
        lists.entries.push_back(std::move(entry));
    });
    for_each_row(exceptions_tsv, [&](size_t line, const std::vector<std::string_view>& fields) {
        constexpr const char* file = "risk-words-exceptions.tsv";
        if (fields.size() != 2) return problem(file, line, std::to_string(fields.size()) + " fields, not 2");
        RiskException exception{from_utf8(fields[0]), from_utf8(fields[1])};
        if (pieces_of(exception.pattern).empty()) return problem(file, line, "no pattern");
        lists.exceptions.push_back(std::move(exception));
    });
    return lists;
}

const RiskLists& builtin_risk_lists() {
    static const RiskLists lists =
        parse_risk_lists(as_chars(embedded::risk_words), as_chars(embedded::risk_word_exceptions));
    return lists;
}

namespace {

// A pattern as the checker finds it: an entry's, or one that silences (an exception's or
// an allowed word's).
struct Pattern {
    bool silencer = false;
    std::uint32_t entry = 0;      // an entry's index in the checker's entries
    std::uint32_t pieces = 1;     // the pieces between its gaps
    std::uint64_t platforms = 0;  // bit i: the entry applies under platforms()[i]
};

// One piece of a pattern, as a word of the matcher.
struct Owner {
    std::uint32_t pattern;
    std::uint32_t piece;
};

// A found occurrence of a pattern, or of a piece of one.
struct Found {
    std::uint32_t pattern;
    std::uint32_t piece;
    size_t first_char, end_char, begin, end;
};

}  // namespace

struct RiskChecker::State {
    std::vector<RiskEntry> entries;
    std::vector<Pattern> patterns;
    WordMatcher matcher;
    std::vector<std::uint32_t> owner_first;  // word w's owners: owners[owner_first[w]] up to [w + 1]
    std::vector<Owner> owners;

    // Scratch of a check.
    mutable std::vector<WordMatcher::Match> matches;
    mutable std::vector<Found> found, silencers, pieces;
    mutable std::vector<RiskHit> hits;
    mutable std::vector<std::vector<const Found*>> reached;  // by piece: the occurrences a chain reaches

    void add(Pattern pattern, TextView text, std::unordered_map<std::string, size_t>& words,
             std::vector<std::pair<size_t, Owner>>& owned);
    bool applies(const Pattern& pattern, int platform, const Platform* given) const;
    void join_gaps() const;
    // Appends the hits of one text, read as `text_matches`, to `out`.
    void collect(std::span<const WordMatcher::Match> text_matches, int platform, const Platform* given,
                 std::vector<RiskHit>& out) const;
};

void RiskChecker::State::add(Pattern pattern, TextView text, std::unordered_map<std::string, size_t>& words,
                             std::vector<std::pair<size_t, Owner>>& owned) {
    const std::vector<Text> pieces = pieces_of(text);
    std::vector<size_t> numbers;
    for (const Text& piece : pieces) {
        std::string reading = WordMatcher::normalised(piece);
        if (reading.empty()) return;  // a piece that reads as nothing never matches
        const auto [it, added] = words.emplace(std::move(reading), matcher.size());
        if (added) matcher.add(piece);
        numbers.push_back(it->second);
    }
    if (numbers.empty()) return;
    pattern.pieces = static_cast<std::uint32_t>(numbers.size());
    const auto index = static_cast<std::uint32_t>(patterns.size());
    patterns.push_back(pattern);
    for (size_t piece = 0; piece < numbers.size(); ++piece)
        owned.push_back({numbers[piece], Owner{index, static_cast<std::uint32_t>(piece)}});
}

bool RiskChecker::State::applies(const Pattern& pattern, int platform, const Platform* given) const {
    if (pattern.silencer || platform == 0) return true;
    if (platform < 0) return entries[pattern.entry].applies_to(given);
    return (pattern.platforms >> platform & 1) != 0;
}

// Each first piece found pairs with the nearest pieces after it that keep every gap
// within kGapCharacters. A found pattern covers its whole span; a silencer only its
// pieces, so a match standing in its gap is left alone.
void RiskChecker::State::join_gaps() const {
    std::sort(pieces.begin(), pieces.end(), [](const Found& a, const Found& b) {
        if (a.pattern != b.pattern) return a.pattern < b.pattern;
        return a.piece != b.piece ? a.piece < b.piece : a.first_char < b.first_char;
    });
    const auto follows = [](const Found& before, const Found& after) {
        return after.first_char >= before.end_char && after.first_char - before.end_char <= kGapCharacters;
    };
    for (size_t group = 0; group < pieces.size();) {
        size_t group_end = group;
        while (group_end < pieces.size() && pieces[group_end].pattern == pieces[group].pattern) ++group_end;
        const Pattern& pattern = patterns[pieces[group].pattern];
        reached.resize(std::max<size_t>(reached.size(), pattern.pieces));
        for (size_t start = group; start < group_end && pieces[start].piece == 0; ++start) {
            reached[0].assign(1, &pieces[start]);
            std::uint32_t piece = 1;
            for (; piece < pattern.pieces && !reached[piece - 1].empty(); ++piece) {
                reached[piece].clear();
                for (size_t i = group; i < group_end; ++i) {
                    const Found& candidate = pieces[i];
                    if (candidate.piece != piece) continue;
                    const auto& before = reached[piece - 1];
                    if (std::any_of(before.begin(), before.end(),
                                    [&](const Found* b) { return follows(*b, candidate); }))
                        reached[piece].push_back(&candidate);
                }
            }
            const auto& ends = reached[pattern.pieces - 1];
            if (piece < pattern.pieces || ends.empty()) continue;
            const Found* last = *std::min_element(
                ends.begin(), ends.end(), [](const Found* a, const Found* b) { return a->end_char < b->end_char; });
            const Found& first = pieces[start];
            if (!pattern.silencer) {
                found.push_back(Found{first.pattern, 0, first.first_char, last->end_char, first.begin, last->end});
                continue;
            }
            // Back from the last piece, each time to the nearest piece before it on a chain.
            for (std::uint32_t p = pattern.pieces - 1;; --p) {
                silencers.push_back(*last);
                if (p == 0) break;
                const Found* before = nullptr;
                for (const Found* candidate : reached[p - 1]) {
                    if (follows(*candidate, *last) && (!before || candidate->end_char > before->end_char))
                        before = candidate;
                }
                last = before;
            }
        }
        group = group_end;
    }
}

void RiskChecker::State::collect(std::span<const WordMatcher::Match> text_matches, int platform, const Platform* given,
                                 std::vector<RiskHit>& out) const {
    found.clear();
    silencers.clear();
    pieces.clear();
    for (const WordMatcher::Match& m : text_matches) {
        for (std::uint32_t i = owner_first[m.word]; i < owner_first[m.word + 1]; ++i) {
            const Owner& owner = owners[i];
            const Pattern& pattern = patterns[owner.pattern];
            if (!applies(pattern, platform, given)) continue;
            const Found occurrence{owner.pattern, owner.piece, m.first_char, m.end_char, m.begin, m.end};
            if (pattern.pieces > 1) {
                pieces.push_back(occurrence);
            } else {
                (pattern.silencer ? silencers : found).push_back(occurrence);
            }
        }
    }
    if (!pieces.empty()) join_gaps();
    if (found.empty()) return;
    const auto entry_of = [this](const Found& f) { return patterns[f.pattern].entry; };
    // Most headlines: matches apart from each other and nothing to silence them, in order.
    if (silencers.empty() && pieces.empty()) {
        bool apart = true;
        for (size_t i = 1; i < found.size() && apart; ++i) apart = found[i - 1].end_char <= found[i].first_char;
        if (apart) {
            for (const Found& f : found)
                out.push_back(RiskHit{f.begin, f.end, f.first_char, f.end_char, &entries[entry_of(f)]});
            return;
        }
    }
    std::erase_if(found, [this](const Found& f) {
        return std::any_of(silencers.begin(), silencers.end(),
                           [&f](const Found& s) { return s.first_char <= f.first_char && f.end_char <= s.end_char; });
    });
    // By start, the longer first, so a match nested in another comes after it; of the
    // same span, the higher level, then the earlier entry.
    std::sort(found.begin(), found.end(), [&](const Found& a, const Found& b) {
        if (a.first_char != b.first_char) return a.first_char < b.first_char;
        if (a.end_char != b.end_char) return a.end_char > b.end_char;
        const RiskEntry &x = entries[entry_of(a)], &y = entries[entry_of(b)];
        if (x.level != y.level) return x.level < y.level;
        return entry_of(a) < entry_of(b);
    });
    // A match nested in a kept one (or of the same span) is dropped unless its level is
    // higher: a high match inside a hint stands, a hint inside anything does not.
    size_t reach = 0, high_reach = 0;  // the furthest end of the kept matches, of the high ones
    const size_t from = out.size();
    for (const Found& f : found) {
        const RiskEntry& entry = entries[entry_of(f)];
        const bool high = entry.level == RiskLevel::high;
        if (out.size() > from && f.end_char <= (high ? high_reach : reach)) continue;
        reach = std::max(reach, f.end_char);
        if (high) high_reach = std::max(high_reach, f.end_char);
        out.push_back(RiskHit{f.begin, f.end, f.first_char, f.end_char, &entry});
    }
}

RiskChecker::RiskChecker(std::span<const Text> custom_words, std::span<const Text> allowed_words)
        : RiskChecker(builtin_risk_lists(), custom_words, allowed_words) {}

RiskChecker::RiskChecker(const RiskLists& lists, std::span<const Text> custom_words,
                         std::span<const Text> allowed_words)
        : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.entries = lists.entries;
    for (const Text& word : custom_words) {
        s.entries.push_back(RiskEntry{.pattern = word,
                                      .category = custom_risk_category(),
                                      .level = RiskLevel::high,
                                      .platforms = {},
                                      .basis = {},
                                      .suggestions = {}});
    }
    std::unordered_set<std::string> allowed;
    for (const Text& word : allowed_words) allowed.insert(WordMatcher::normalised(word));
    std::unordered_map<std::string, size_t> words;  // a matcher word's number by its reading
    std::vector<std::pair<size_t, Owner>> owned;
    const std::span<const Platform> all = platforms();
    for (size_t i = 0; i < s.entries.size(); ++i) {
        const RiskEntry& entry = s.entries[i];
        if (allowed.contains(WordMatcher::normalised(entry.pattern))) continue;
        Pattern pattern{.silencer = false, .entry = static_cast<std::uint32_t>(i), .pieces = 1, .platforms = 0};
        for (size_t p = 0; p < all.size() && p < 64; ++p) {
            if (entry.applies_to(&all[p])) pattern.platforms |= std::uint64_t{1} << p;
        }
        s.add(pattern, entry.pattern, words, owned);
    }
    const Pattern silencer{.silencer = true, .entry = 0, .pieces = 1, .platforms = 0};
    for (const RiskException& exception : lists.exceptions) s.add(silencer, exception.pattern, words, owned);
    for (const Text& word : allowed_words) s.add(silencer, word, words, owned);
    std::stable_sort(owned.begin(), owned.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    s.owner_first.assign(s.matcher.size() + 1, 0);
    for (const auto& [word, owner] : owned) {
        ++s.owner_first[word + 1];
        s.owners.push_back(owner);
    }
    for (size_t w = 0; w < s.matcher.size(); ++w) s.owner_first[w + 1] += s.owner_first[w];
}

RiskChecker::RiskChecker(RiskChecker&&) noexcept = default;
RiskChecker& RiskChecker::operator=(RiskChecker&&) noexcept = default;
RiskChecker::~RiskChecker() = default;

std::vector<RiskHit> RiskChecker::check(TextView text, const Platform* platform) const {
    const State& s = *state_;
    s.matches.clear();
    s.matcher.find_all(text, s.matches);
    std::vector<RiskHit> out;
    s.collect(s.matches, platform_index(platform), platform, out);
    return out;
}

RunHits RiskChecker::check_run(TextView text, std::span<const size_t> ends, const Platform* platform) const {
    const State& s = *state_;
    const int index = platform_index(platform);
    RunHits run;
    run.first.reserve(ends.size() + 1);
    run.hits.reserve(ends.size());  // about one a headline, with the built-in lists
    // Headline by headline, so that the matches found stay few and close at hand.
    size_t start = 0;
    for (const size_t end : ends) {
        run.first.push_back(run.hits.size());
        const size_t stop = std::clamp(end, start, text.size());
        s.matches.clear();
        s.matcher.find_all(text.substr(start, stop - start), s.matches);
        if (!s.matches.empty()) s.collect(s.matches, index, platform, run.hits);
        start = stop;
    }
    run.first.push_back(run.hits.size());
    return run;
}

std::vector<LineHits> RiskChecker::check_lines(TextView list, const Platform* platform) const {
    std::vector<LineHits> out;
    size_t number = 0;
    for (size_t start = 0; start < list.size();) {
        ++number;
        size_t end = list.find('\n', start);
        if (end == TextView::npos) end = list.size();
        TextView line = list.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::vector<RiskHit> hits = check(line, platform);
        if (!hits.empty()) out.push_back(LineHits{number, start, start + line.size(), std::move(hits)});
        start = end + 1;
    }
    return out;
}

Text RiskChecker::blocking_word(TextView headline, const Platform* platform) const {
    const State& s = *state_;
    s.matches.clear();
    s.matcher.find_all(headline, s.matches);
    if (s.matches.empty()) return {};
    s.hits.clear();
    s.collect(s.matches, platform_index(platform), platform, s.hits);
    for (const RiskHit& hit : s.hits) {
        if (hit.entry->level == RiskLevel::high) return hit.entry->pattern;
    }
    return {};
}

std::span<const RiskEntry> RiskChecker::entries() const { return state_->entries; }

std::function<Text(TextView)> blocking_word_hook(std::shared_ptr<const RiskChecker> checker, const Platform* platform) {
    return [checker = std::move(checker), platform](TextView headline) {
        return checker->blocking_word(headline, platform);
    };
}

}  // namespace qinghe
