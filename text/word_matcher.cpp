#include "text/word_matcher.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <deque>
#include <memory>

#include "text/codec.h"

namespace qinghe {
namespace {

// How one code point reads: traditional as simplified, then NFKC with case folded (which
// also drops default-ignorable characters such as the zero-width space). Each code point
// is worked out once per process.
const std::u32string& normalise_code_point(char32_t code_point) {
    static std::unordered_map<char32_t, std::u32string> cache;
    if (const auto it = cache.find(code_point); it != cache.end()) return it->second;
    static const std::unique_ptr<icu::Transliterator> simplified = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(
            icu::Transliterator::createInstance("Traditional-Simplified", UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(t) : nullptr;
    }();
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* folded = icu::Normalizer2::getNFKCCasefoldInstance(status);
    icu::UnicodeString unit(static_cast<UChar32>(code_point));
    if (simplified) simplified->transliterate(unit);
    icu::UnicodeString normal = folded ? folded->normalize(unit, status) : unit;
    if (U_FAILURE(status)) normal = unit;
    std::u32string out;
    for (int32_t i = 0; i < normal.length(); i = normal.moveIndex32(i, 1)) out.push_back(normal.char32At(i));
    return cache.emplace(code_point, std::move(out)).first->second;
}

// The code points of one character of program text (a replacement character for bytes
// that are no character).
std::u32string code_points(TextView character) {
    std::u32string out;
    if (character.size() == 1 && !is_lead_byte(character[0])) {
        out.push_back(static_cast<unsigned char>(character[0]));
        return out;
    }
    const icu::UnicodeString units(decode(character).c_str(), -1);
    for (int32_t i = 0; i < units.length(); i = units.moveIndex32(i, 1)) out.push_back(units.char32At(i));
    if (out.empty()) out.push_back(0xFFFD);
    return out;
}

std::u32string normalise(TextView text) {
    std::u32string out;
    for (size_t at = 0; at < text.size();) {
        const size_t length = character_length(text, at);
        for (char32_t code_point : code_points(text.substr(at, length))) out += normalise_code_point(code_point);
        at += length;
    }
    return out;
}

}  // namespace

size_t WordMatcher::add(TextView word) {
    pending_.push_back(normalise(word));
    built_ = false;
    return words_++;
}

std::string WordMatcher::normalised(TextView text) {
    const std::u32string normal = normalise(text);
    return to_utf8(encode(icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(normal.data()),
                                                        static_cast<int32_t>(normal.size()))
                              .getTerminatedBuffer()));
}

void WordMatcher::build() const {
    alphabet_.clear();
    nodes_.assign(1, Node{});
    outputs_.clear();
    std::vector<std::vector<std::uint32_t>> ending(1);  // the words ending at each node
    for (size_t word = 0; word < pending_.size(); ++word) {
        if (pending_[word].empty()) continue;
        std::uint32_t node = 0;
        for (char32_t c : pending_[word]) {
            const Symbol symbol = alphabet_.emplace(c, static_cast<Symbol>(alphabet_.size() + 1)).first->second;
            auto& next = nodes_[node].next;
            const auto it = std::lower_bound(next.begin(), next.end(), std::make_pair(symbol, std::uint32_t{0}));
            if (it != next.end() && it->first == symbol) {
                node = it->second;
                continue;
            }
            const auto child = static_cast<std::uint32_t>(nodes_.size());
            next.insert(it, {symbol, child});
            nodes_.push_back(Node{.next = {}, .fail = 0, .output = 0, .depth = nodes_[node].depth + 1});
            ending.emplace_back();
            node = child;
        }
        ending[node].push_back(static_cast<std::uint32_t>(word));
    }
    root_.assign(alphabet_.size() + 1, 0);
    for (const auto& [symbol, child] : nodes_[0].next) root_[symbol] = child;
    // Breadth first, so that a node's failure link is done before its children's.
    std::deque<std::uint32_t> queue;
    for (const auto& edge : nodes_[0].next) queue.push_back(edge.second);
    while (!queue.empty()) {
        const std::uint32_t node = queue.front();
        queue.pop_front();
        std::uint32_t output = nodes_[nodes_[node].fail].output;
        for (std::uint32_t word : ending[node]) {
            outputs_.push_back({word, nodes_[node].depth, output});
            output = static_cast<std::uint32_t>(outputs_.size());
        }
        nodes_[node].output = output;
        for (const auto& [symbol, child] : nodes_[node].next) {
            nodes_[child].fail = node == 0 ? 0 : step(nodes_[node].fail, symbol);
            queue.push_back(child);
        }
    }
    short_cache_.assign(1u << 16, 0);
    long_cache_.clear();
    symbol_pool_.clear();
    built_ = true;
}

std::uint32_t WordMatcher::step(std::uint32_t node, Symbol symbol) const {
    if (symbol == 0) return 0;
    while (node != 0) {
        const auto& next = nodes_[node].next;
        const auto it = std::lower_bound(next.begin(), next.end(), std::make_pair(symbol, std::uint32_t{0}));
        if (it != next.end() && it->first == symbol) return it->second;
        node = nodes_[node].fail;
    }
    return root_[symbol];
}

const WordMatcher::Symbol* WordMatcher::symbols_of(TextView text, size_t at, size_t length, size_t& count) const {
    std::uint32_t key = 0;
    for (size_t i = 0; i < length; ++i) key = key << 8 | static_cast<unsigned char>(text[at + i]);
    // A cut-off character of three bytes cannot be taken for a four-byte one, whose first
    // byte is never FF.
    if (length == 3) key |= 0xFF000000u;
    std::uint32_t* entry = length <= 2 ? &short_cache_[key] : &long_cache_[key];
    if (*entry == 0) {
        const size_t start = symbol_pool_.size();
        symbol_pool_.push_back(0);
        for (char32_t code_point : code_points(text.substr(at, length))) {
            for (char32_t c : normalise_code_point(code_point)) {
                const auto it = alphabet_.find(c);
                symbol_pool_.push_back(it == alphabet_.end() ? 0 : it->second);
            }
        }
        symbol_pool_[start] = static_cast<Symbol>(symbol_pool_.size() - start - 1);
        *entry = static_cast<std::uint32_t>(start + 1);
    }
    count = symbol_pool_[*entry - 1];
    return symbol_pool_.data() + *entry;
}

template <class OnMatch>
void WordMatcher::scan(TextView text, OnMatch&& on_match) const {
    if (!built_) build();
    if (nodes_.size() == 1) return;
    symbol_chars_.clear();
    char_offsets_.clear();
    std::uint32_t node = 0;
    size_t character = 0;
    for (size_t at = 0; at < text.size(); ++character) {
        const size_t length = character_length(text, at);
        size_t count = 0;
        const Symbol* symbols = symbols_of(text, at, length, count);
        char_offsets_.push_back(at);
        at += length;
        for (size_t i = 0; i < count; ++i) {
            symbol_chars_.push_back(character);
            node = step(node, symbols[i]);
            for (std::uint32_t out = nodes_[node].output; out != 0; out = outputs_[out - 1].next) {
                const Output& found = outputs_[out - 1];
                const size_t first = symbol_chars_[symbol_chars_.size() - found.length];
                if (!on_match(Match{found.word, char_offsets_[first], at, first, character + 1})) return;
            }
        }
    }
}

void WordMatcher::find_all(TextView text, std::vector<Match>& out) const {
    const size_t from = out.size();
    scan(text, [&out](const Match& match) { return out.push_back(match), true; });
    // Within one symbol the chain goes from the longest word down; across the symbols of
    // one character, a later symbol's longer word must still come first.
    const auto order = [](const Match& a, const Match& b) {
        return a.end != b.end ? a.end < b.end : a.begin < b.begin;
    };
    const auto first = out.begin() + static_cast<std::ptrdiff_t>(from);
    if (!std::is_sorted(first, out.end(), order)) std::stable_sort(first, out.end(), order);
}

bool WordMatcher::find_first(TextView text, Match* found) const {
    bool any = false;
    scan(text, [&](const Match& match) {
        any = true;
        if (found) *found = match;
        return false;
    });
    return any;
}

}  // namespace qinghe
