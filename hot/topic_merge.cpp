#include "hot/topic_merge.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "text/codec.h"

namespace qinghe {
namespace {

using Characters = std::u32string;

Characters code_points(const icu::UnicodeString& units) {
    Characters out;
    for (int32_t i = 0; i < units.length(); i = units.moveIndex32(i, 1)) out.push_back(units.char32At(i));
    return out;
}

Characters characters_of(std::u16string_view units) {
    return code_points(icu::UnicodeString(units.data(), static_cast<int32_t>(units.size())));
}

Characters from_literal(std::string_view utf8) {
    return code_points(icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size()))));
}

// One step of reading a code point: NFKC with case folded, traditional as simplified,
// folded once more (a compatibility ideograph unfolds into a traditional one). Each
// thread keeps its own transliterator: ICU's are not to be shared.
Characters read_once(char32_t code_point) {
    thread_local const std::unique_ptr<icu::Transliterator> simplified = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(
            icu::Transliterator::createInstance("Traditional-Simplified", UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(t) : nullptr;
    }();
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* folded = icu::Normalizer2::getNFKCCasefoldInstance(status);
    const auto fold = [folded](const icu::UnicodeString& text) {
        UErrorCode fold_status = U_ZERO_ERROR;
        icu::UnicodeString out = folded ? folded->normalize(text, fold_status) : text;
        return U_SUCCESS(fold_status) ? out : text;
    };
    icu::UnicodeString normal = fold(icu::UnicodeString(static_cast<UChar32>(code_point)));
    if (simplified) simplified->transliterate(normal);
    return code_points(fold(normal));
}

// How a code point reads. The simplification is no projection: it chains some
// characters and swaps some pairs (苎 and 苧), so a character is followed until it stays
// or comes back, and a cycle reads as its least character. So the reading of a reading is
// itself. Cached per thread.
const Characters& read_code_point(char32_t code_point) {
    thread_local std::unordered_map<char32_t, Characters> cache;
    if (const auto it = cache.find(code_point); it != cache.end()) return it->second;
    Characters orbit{code_point};
    Characters reading = read_once(code_point);
    while (reading.size() == 1 && orbit.size() < 8) {
        const size_t seen = orbit.find(reading[0]);
        if (seen == orbit.size() - 1) break;  // it stays
        if (seen != Characters::npos) {
            reading.assign(1, *std::min_element(orbit.begin() + static_cast<std::ptrdiff_t>(seen), orbit.end()));
            break;
        }
        orbit.push_back(reading[0]);
        reading = read_once(reading[0]);
    }
    return cache.emplace(code_point, std::move(reading)).first->second;
}

bool is_letter_or_digit(char32_t c) {
    return (U_GET_GC_MASK(static_cast<UChar32>(c)) & (U_GC_L_MASK | U_GC_N_MASK)) != 0;
}
bool is_digit(char32_t c) { return c >= U'0' && c <= U'9'; }

// The badges some boards set beside a title: hot, new, exploding, boiling, recommended.
bool is_badge(const Characters& run) {
    return run.size() == 1 && Characters(U"热新爆沸荐").find(run[0]) != Characters::npos;
}

Characters key_of(TextView title) {
    Characters normal;
    for (const char32_t c : characters_of(decode(title))) normal += read_code_point(c);
    // The letters and digits in runs, a run ending where anything else stands; a "."
    // between two digits belongs to its number.
    std::vector<Characters> runs(1);
    for (size_t i = 0; i < normal.size(); ++i) {
        const char32_t c = normal[i];
        const bool decimal_point =
            c == U'.' && i > 0 && i + 1 < normal.size() && is_digit(normal[i - 1]) && is_digit(normal[i + 1]);
        if (is_letter_or_digit(c) || decimal_point) {
            runs.back().push_back(c);
        } else if (!runs.back().empty()) {
            runs.emplace_back();
        }
    }
    if (runs.back().empty()) runs.pop_back();
    if (runs.size() > 1 && is_badge(runs.back())) runs.pop_back();
    if (runs.size() > 1 && is_badge(runs.front())) runs.erase(runs.begin());
    Characters key;
    for (const Characters& run : runs) key += run;
    return key;
}

// Wording that says nothing of which event a title names: who tells, how it is shown,
// when, the questions Zhihu wraps a topic in, and particles.
const std::vector<Characters>& empty_wording() {
    static const std::vector<Characters> words = [] {
        std::vector<Characters> out;
        for (const char* word :
             {"官方",     "通报",   "最新",   "消息", "发生", "突发", "网友", "网传", "现场", "视频",
              "画面",     "曝光",   "今日",   "今天", "昨日", "昨天", "刚刚", "正式", "宣布", "如何看待",
              "如何评价", "怎么看", "为什么", "什么", "如何", "怎么", "已经", "vs",   "已",   "了",
              "的",       "在",     "将",     "被",   "是",   "和",   "与",   "及",   "等",   "又",
              "再",       "也",     "都",     "这",   "吗",   "呢",   "吧",   "啊"}) {
            out.push_back(from_literal(word));
        }
        // Longest first, so that 如何看待 is taken before 如何.
        std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
        return out;
    }();
    return words;
}

// What came after an event, told as a topic of its own.
const std::vector<Characters>& follow_up_words() {
    static const std::vector<Characters> words = [] {
        std::vector<Characters> out;
        for (const char* word : {"发布会", "赛后", "赛前", "采访", "专访", "回应", "道歉", "声明", "首发", "辟谣",
                                 "宣判", "判决", "开庭", "追悼会"}) {
            out.push_back(from_literal(word));
        }
        return out;
    }();
    return words;
}

// Units that a number takes: "5.2级", "3人", "10万".
bool is_unit(char32_t c) {
    return Characters(U"级人名个万亿岁年月日号时点分秒天次元米度起例只条位倍家辆艘座场届期轮强").find(c) !=
           Characters::npos;
}

// A title as the comparison reads it.
struct Reading {
    Characters key;                   // the first kMaxComparedCharacters characters of its key
    std::vector<bool> telling;        // per character: tells of the event (no number, unit or empty wording)
    std::vector<Characters> numbers;  // in the order they stand
    bool follow_up = false;
    Characters characters;  // the characters of its key, sorted, each once

    explicit Reading(TextView title) : key(key_of(title)) {
        if (key.size() > kMaxComparedCharacters) key.resize(kMaxComparedCharacters);
        telling.assign(key.size(), true);
        for (size_t i = 0; i < key.size();) {
            if (!is_digit(key[i])) {
                ++i;
                continue;
            }
            const size_t start = i;
            while (i < key.size() && (is_digit(key[i]) || key[i] == U'.')) telling[i++] = false;
            numbers.push_back(key.substr(start, i - start));
            if (i < key.size() && is_unit(key[i])) telling[i++] = false;
        }
        for (size_t i = 0; i < key.size();) {
            size_t length = 0;
            for (const Characters& word : empty_wording()) {
                if (key.compare(i, word.size(), word) == 0) {
                    length = word.size();
                    break;
                }
            }
            for (size_t k = 0; k < length; ++k) telling[i + k] = false;
            i += std::max<size_t>(length, 1);
        }
        for (const Characters& word : follow_up_words()) follow_up = follow_up || key.find(word) != Characters::npos;
        characters = key;
        std::sort(characters.begin(), characters.end());
        characters.erase(std::unique(characters.begin(), characters.end()), characters.end());
    }
};

// The telling characters of `x` that `y` does not hold at all: the least that x says
// beyond y, found without comparing the two in order.
size_t surely_own(const Reading& x, const Reading& y) {
    size_t own = 0;
    for (size_t i = 0; i < x.key.size(); ++i) {
        own += x.telling[i] && !std::binary_search(y.characters.begin(), y.characters.end(), x.key[i]);
    }
    return own;
}

// Whether the guards keep two titles apart, whatever they share.
bool kept_apart(const Reading& a, const Reading& b) {
    if (a.follow_up != b.follow_up) return true;
    if (a.numbers.empty() || b.numbers.empty()) return false;
    // Whether y's numbers stand in x in the same order ("3比0" is not "0比3").
    const auto holds = [](const Reading& x, const Reading& y) {
        size_t at = 0;
        for (const Characters& number : x.numbers) at += at < y.numbers.size() && number == y.numbers[at];
        return at == y.numbers.size();
    };
    return !holds(a, b) && !holds(b, a);
}

// The telling characters two titles share in common pieces, and those each holds alone.
struct Overlap {
    size_t shared = 0, own_a = 0, own_b = 0;
};

// Takes the longest common piece (of two or more characters) of the parts not yet taken,
// again and again; the first in `a`, then in `b`, of equally long ones.
Overlap overlap(const Reading& a, const Reading& b, size_t& work) {
    std::vector<bool> taken_a(a.key.size()), taken_b(b.key.size());
    std::vector<size_t> run((a.key.size() + 1) * (b.key.size() + 1));
    const size_t width = b.key.size() + 1;
    Overlap result;
    for (;;) {
        work += a.key.size() * b.key.size();
        size_t best = 0, best_a = 0, best_b = 0;
        for (size_t i = 1; i <= a.key.size(); ++i) {
            for (size_t j = 1; j <= b.key.size(); ++j) {
                const bool same = !taken_a[i - 1] && !taken_b[j - 1] && a.key[i - 1] == b.key[j - 1];
                const size_t length = same ? run[(i - 1) * width + j - 1] + 1 : 0;
                run[i * width + j] = length;
                if (length > best) best = length, best_a = i - length, best_b = j - length;
            }
        }
        if (best < 2) break;
        for (size_t k = 0; k < best; ++k) {
            taken_a[best_a + k] = taken_b[best_b + k] = true;
            result.shared += a.telling[best_a + k] && b.telling[best_b + k];
        }
    }
    for (size_t i = 0; i < a.key.size(); ++i) result.own_a += !taken_a[i] && a.telling[i];
    for (size_t j = 0; j < b.key.size(); ++j) result.own_b += !taken_b[j] && b.telling[j];
    return result;
}

// How strongly two titles name one event: 0 when they do not, else the characters they
// share (equal keys count as their whole length, and above any mere overlap). `work`
// counts the character comparisons made.
size_t join_strength(const Reading& first, const Reading& second, size_t& work) {
    if (first.key.empty() || second.key.empty()) return 0;
    if (first.key == second.key) return kMaxComparedCharacters + first.key.size();
    if (kept_apart(first, second)) return 0;
    if (std::min(surely_own(first, second), surely_own(second, first)) > kMaxOwnCharacters) return 0;
    // Compared in one order whichever comes first, so that a pair gives one answer.
    const bool in_order = first.key < second.key;
    const Overlap o = in_order ? overlap(first, second, work) : overlap(second, first, work);
    if (o.shared < kMinSharedCharacters || std::min(o.own_a, o.own_b) > kMaxOwnCharacters) return 0;
    return o.shared;
}

}  // namespace

Text topic_key(TextView title) {
    const Characters key = key_of(title);
    const icu::UnicodeString units =
        icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(key.data()), static_cast<int32_t>(key.size()));
    return encode(
        std::u16string_view(reinterpret_cast<const char16_t*>(units.getBuffer()), static_cast<size_t>(units.length())));
}

bool same_event(TextView a, TextView b) {
    size_t work = 0;
    return join_strength(Reading(a), Reading(b), work) > 0;
}

std::vector<MergedTopic> merge_topics(std::span<const RankedBoard> boards) {
    struct Item {
        size_t board;  // the first of the boards given under its key
        size_t order;  // the board's place in the order given
        const HotEntry* entry;
        double placing;
        Reading reading;
    };
    std::vector<Item> items;
    for (size_t b = 0; b < boards.size(); ++b) {
        size_t board = b;
        for (size_t earlier = 0; earlier < b; ++earlier) {
            if (boards[earlier].board == boards[b].board) {
                board = earlier;
                break;
            }
        }
        const size_t count = std::min(boards[b].entries.size(), kMaxMergedEntries);
        for (size_t i = 0; i < count; ++i) {
            const HotEntry& entry = boards[b].entries[i];
            const int rank = entry.rank > 0 ? entry.rank : static_cast<int>(i) + 1;
            items.push_back({board, b, &entry, rank / static_cast<double>(count), Reading(entry.title)});
        }
    }
    const auto before = [](const Item& x, const Item& y) {
        if (x.placing != y.placing) return x.placing < y.placing;
        if (x.order != y.order) return x.order < y.order;
        return x.entry->rank < y.entry->rank;
    };
    std::stable_sort(items.begin(), items.end(), before);

    std::vector<std::vector<size_t>> topics;  // item numbers, in the order they joined
    size_t work = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        size_t best = topics.size(), best_strength = 0;
        for (size_t t = 0; t < topics.size(); ++t) {
            size_t strength = 0;
            bool apart = false;
            for (const size_t m : topics[t]) {
                const Item& member = items[m];
                if (member.board == item.board || kept_apart(member.reading, item.reading)) {
                    apart = true;
                    break;
                }
                // Past the bound on work, titles are no longer compared: each opens a topic.
                if (work < kMaxMergeWork)
                    strength = std::max(strength, join_strength(member.reading, item.reading, work));
            }
            if (!apart && strength > best_strength) best = t, best_strength = strength;
        }
        if (best == topics.size()) topics.emplace_back();
        topics[best].push_back(i);
    }

    // Items were taken by placing, so each topic's members stand highest first.
    std::vector<MergedTopic> merged;
    merged.reserve(topics.size());
    for (const std::vector<size_t>& members : topics) {
        MergedTopic topic{.title = items[members.front()].entry->title, .mentions = {}};
        for (const size_t m : members) {
            topic.mentions.push_back({boards[items[m].order].board, *items[m].entry, items[m].placing});
        }
        merged.push_back(std::move(topic));
    }
    // Topics opened in the order of their best titles: a stable sort by the number of
    // boards keeps that order among topics of as many boards.
    std::stable_sort(merged.begin(), merged.end(),
                     [](const MergedTopic& x, const MergedTopic& y) { return x.mentions.size() > y.mentions.size(); });
    return merged;
}

}  // namespace qinghe
