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
    outputs_.clear();
    // The trie first, each node's children by symbol, then laid out flat for the scan.
    std::vector<std::vector<Edge>> children(1);
    std::vector<std::uint32_t> depth(1, 0);
    std::vector<std::vector<std::uint32_t>> ending(1);  // the words ending at each node
    for (size_t word = 0; word < pending_.size(); ++word) {
        if (pending_[word].empty()) continue;
        std::uint32_t node = 0;
        for (char32_t c : pending_[word]) {
            const Symbol symbol = alphabet_.emplace(c, static_cast<Symbol>(alphabet_.size() + 1)).first->second;
            auto& next = children[node];
            const auto it = std::lower_bound(next.begin(), next.end(), Edge{symbol, 0});
            if (it != next.end() && it->symbol == symbol) {
                node = it->child;
                continue;
            }
            const auto child = static_cast<std::uint32_t>(children.size());
            next.insert(it, Edge{symbol, child});
            children.emplace_back();
            depth.push_back(depth[node] + 1);
            ending.emplace_back();
            node = child;
        }
        ending[node].push_back(static_cast<std::uint32_t>(word));
    }
    nodes_.assign(children.size(), Node{});
    edges_.clear();
    for (size_t node = 0; node < children.size(); ++node) {
        nodes_[node].first_edge = static_cast<std::uint32_t>(edges_.size());
        edges_.insert(edges_.end(), children[node].begin(), children[node].end());
        nodes_[node].end_edge = static_cast<std::uint32_t>(edges_.size());
    }
    root_.assign(alphabet_.size() + 1, 0);
    for (const Edge& edge : children[0]) root_[edge.symbol] = edge.child;
    // Breadth first, so that a node's failure link is done before its children's.
    std::deque<std::uint32_t> queue;
    for (const Edge& edge : children[0]) queue.push_back(edge.child);
    while (!queue.empty()) {
        const std::uint32_t node = queue.front();
        queue.pop_front();
        std::uint32_t output = nodes_[nodes_[node].fail].output;
        for (std::uint32_t word : ending[node]) {
            outputs_.push_back({word, depth[node], output});
            output = static_cast<std::uint32_t>(outputs_.size());
        }
        nodes_[node].output = output;
        for (const Edge& edge : children[node]) {
            nodes_[edge.child].fail = node == 0 ? 0 : step(nodes_[node].fail, edge.symbol);
            queue.push_back(edge.child);
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
        const Node& at = nodes_[node];
        const Edge* first = edges_.data() + at.first_edge;
        const Edge* last = edges_.data() + at.end_edge;
        const Edge* it = std::lower_bound(first, last, Edge{symbol, 0});
        if (it != last && it->symbol == symbol) return it->child;
        node = at.fail;
    }
    return root_[symbol];
}

std::uint32_t WordMatcher::read_character(TextView text, size_t at, size_t length) const {
    std::uint32_t key = 0;
    for (size_t i = 0; i < length; ++i) key = key << 8 | static_cast<unsigned char>(text[at + i]);
    // A cut-off character of three bytes cannot be taken for a four-byte one, whose first
    // byte is never FF.
    if (length == 3) key |= 0xFF000000u;
    std::uint32_t& entry = length <= 2 ? short_cache_[key] : long_cache_[key];
    if (entry != 0) return entry;
    const size_t start = symbol_pool_.size();
    symbol_pool_.push_back(0);
    for (char32_t code_point : code_points(text.substr(at, length))) {
        for (char32_t c : normalise_code_point(code_point)) {
            const auto it = alphabet_.find(c);
            symbol_pool_.push_back(it == alphabet_.end() ? 0 : it->second);
        }
    }
    const size_t count = symbol_pool_.size() - start - 1;
    if (count == 1) {
        entry = kOneSymbol | symbol_pool_.back();
        symbol_pool_.resize(start);
    } else {
        symbol_pool_[start] = static_cast<Symbol>(count);
        entry = static_cast<std::uint32_t>(start + 1);
    }
    return entry;
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
        // Most characters are ASCII or two bytes and read as one symbol: one look-up.
        const size_t length = character_length(text, at);
        std::uint32_t entry = 0;
        if (length == 1) {
            entry = short_cache_[static_cast<unsigned char>(text[at])];
        } else if (length == 2) {
            entry = short_cache_[static_cast<unsigned char>(text[at]) << 8 | static_cast<unsigned char>(text[at + 1])];
        }
        if (entry == 0) entry = read_character(text, at, length);
        Symbol one = entry & ~kOneSymbol;
        const Symbol* symbols = &one;
        size_t count = 1;
        if ((entry & kOneSymbol) == 0) {
            count = symbol_pool_[entry - 1];
            symbols = symbol_pool_.data() + entry;
        }
        char_offsets_.push_back(at);
        at += length;
        for (size_t i = 0; i < count; ++i) {
            symbol_chars_.push_back(character);
            node = symbols[i] == 0 ? 0 : step(node, symbols[i]);
            if (node == 0) continue;
            for (std::uint32_t out = nodes_[node].output; out != 0; out = outputs_[out - 1].next) {
                const Output& found = outputs_[out - 1];
                const size_t first = symbol_chars_[symbol_chars_.size() - found.length];
                if (!on_match(Match{found.word, char_offsets_[first], at, first, character + 1, 0})) return;
            }
        }
    }
}

namespace {

// Within one symbol the chain goes from the longest word down; across the symbols of one
// character, a later symbol's longer word must still come first.
void order_matches(std::vector<WordMatcher::Match>& out, size_t from) {
    const auto order = [](const WordMatcher::Match& a, const WordMatcher::Match& b) {
        if (a.piece != b.piece) return a.piece < b.piece;
        return a.end != b.end ? a.end < b.end : a.begin < b.begin;
    };
    const auto first = out.begin() + static_cast<std::ptrdiff_t>(from);
    if (!std::is_sorted(first, out.end(), order)) std::stable_sort(first, out.end(), order);
}

}  // namespace

void WordMatcher::find_all(TextView text, std::vector<Match>& out) const {
    const size_t from = out.size();
    scan(text, [&out](const Match& match) { return out.push_back(match), true; });
    order_matches(out, from);
}

void WordMatcher::find_all(TextView text, std::span<const size_t> ends, std::vector<Match>& out) const {
    const size_t from = out.size();
    size_t start = 0;
    for (size_t piece = 0; piece < ends.size(); ++piece) {
        const size_t end = std::clamp(ends[piece], start, text.size());
        scan(text.substr(start, end - start), [&out, piece](Match match) {
            match.piece = piece;
            return out.push_back(match), true;
        });
        start = end;
    }
    order_matches(out, from);
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
