#include "text/word_matcher.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <iterator>
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
    // The trie first, each node's children by symbol.
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
                node = it->target;
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
    // Numbered breadth first: the root, then the nodes one symbol deep, and so on.
    std::vector<std::uint32_t> order(1, 0), number(children.size(), 0);
    for (size_t i = 0; i < order.size(); ++i) {
        for (const Edge& edge : children[order[i]]) {
            number[edge.target] = static_cast<std::uint32_t>(order.size());
            order.push_back(edge.target);
        }
    }
    // A node goes where its child leads, else where its failure node goes on that symbol;
    // its failure node comes before it in this order. States carry kEnds where a word ends.
    const size_t count = order.size();
    row_ = alphabet_.size() + 1;
    output_.assign(count, 0);
    std::vector<State> root(row_, 0), fail(count, 0);
    std::vector<std::vector<Edge>> moves(count);  // where a node goes elsewhere than the root
    for (size_t n = 0; n < count; ++n) {
        const std::uint32_t node = order[n];
        std::uint32_t output = n == 0 ? 0 : output_[fail[n]];
        for (std::uint32_t word : ending[node]) {
            outputs_.push_back({word, depth[node], output});
            output = static_cast<std::uint32_t>(outputs_.size());
        }
        output_[n] = output;
        // Targets are node numbers until every node's output is known; then states.
        std::vector<Edge> own;
        for (const Edge& edge : children[node]) own.push_back(Edge{edge.symbol, number[edge.target]});
        if (n == 0) {
            for (const Edge& edge : own) root[edge.symbol] = edge.target;
            moves[0] = std::move(own);
            continue;
        }
        const std::vector<Edge>& inherited = moves[fail[n]];
        const auto goes = [&](Symbol symbol) {
            const auto it = std::lower_bound(inherited.begin(), inherited.end(), Edge{symbol, 0});
            return it != inherited.end() && it->symbol == symbol ? it->target : root[symbol];
        };
        for (const Edge& edge : own) fail[edge.target] = goes(edge.symbol);
        std::vector<Edge> merged;
        std::set_union(own.begin(), own.end(), inherited.begin(), inherited.end(), std::back_inserter(merged));
        std::erase_if(merged, [&root](const Edge& edge) { return edge.target == root[edge.symbol]; });
        moves[n] = std::move(merged);
    }
    // Rows for the shallow nodes, within about 4 MiB.
    const size_t dense_nodes = std::clamp<size_t>((size_t{1} << 20) / row_, 1, count);
    const auto state_of = [&](std::uint32_t node) {
        const size_t at = node < dense_nodes ? node * row_ : dense_nodes * row_ + (node - dense_nodes);
        return static_cast<State>(at) | (output_[node] != 0 ? kEnds : 0);
    };
    for (auto& edges : moves) {
        for (Edge& edge : edges) edge.target = state_of(edge.target);
    }
    for (State& state : root) state = state_of(state);
    dense_.assign(dense_nodes * row_, 0);
    dense_size_ = dense_.size();
    for (size_t n = 0; n < dense_nodes; ++n) {
        State* row = dense_.data() + n * row_;
        std::copy(root.begin(), root.end(), row);
        if (n > 0) {
            for (const Edge& edge : moves[n]) row[edge.symbol] = edge.target;
        }
    }
    edges_.clear();
    first_edge_.assign(1, 0);
    for (size_t n = dense_nodes; n < count; ++n) {
        edges_.insert(edges_.end(), moves[n].begin(), moves[n].end());
        first_edge_.push_back(static_cast<std::uint32_t>(edges_.size()));
    }
    // The ring of a scan's symbols holds the longest word.
    const std::uint32_t longest = *std::max_element(depth.begin(), depth.end());
    size_t ring = 1;
    while (ring <= longest) ring *= 2;
    reads_.assign(ring, Read{});
    ring_mask_ = ring - 1;
    short_cache_.assign(1u << 16, 0);
    long_cache_.clear();
    symbol_pool_.clear();
    built_ = true;
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

// Off the scan's path: few symbols end a word.
[[gnu::noinline]] void WordMatcher::report(State state, size_t symbols, size_t end, size_t end_char, size_t piece,
                                           std::vector<Match>& out) const {
    for (std::uint32_t output = output_[node_of(state)]; output != 0; output = outputs_[output - 1].next) {
        const Output& found = outputs_[output - 1];
        const Read& first = reads_[(symbols - found.length) & ring_mask_];
        out.push_back(Match{found.word, first.offset, end, first.character, end_char, piece});
    }
}

// Off the scan's path too: a character that reads as several symbols, or as none.
[[gnu::noinline]] bool WordMatcher::take_several(std::uint32_t entry, Read read, size_t end, Position& position,
                                                 size_t piece, bool first_only, std::vector<Match>& out) const {
    const Symbol* next = symbol_pool_.data() + entry;
    for (size_t i = 0, count = next[-1]; i < count; ++i) {
        // No word holds symbol 0, so no match reaches back past one: the ring skips it.
        if (next[i] == 0) {
            position.state = 0;
            continue;
        }
        reads_[position.symbols++ & ring_mask_] = read;
        position.state = step(position.state, next[i]);
        if (position.state & kEnds) {
            report(position.state, position.symbols, end, read.character + 1, piece, out);
            if (first_only) return false;
        }
    }
    return true;
}

void WordMatcher::scan(TextView text, size_t piece, bool first_only, std::vector<Match>& out) const {
    if (!built_) build();
    if (row_ == 1) return;  // no word reads as anything
    // Few values live through the loop, so that they stay in registers: the state above
    // all, which each step of a word waits for.
    const auto* const start = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = start + text.size();
    const std::uint32_t* const cache = short_cache_.data();
    size_t character = 0, symbols = 0;  // symbols: those read into the ring
    State state = 0;
    for (const unsigned char* at = start; at < end; ++character) {
        // Most characters are ASCII or two bytes and read as one symbol: one look-up.
        const unsigned char* const begin = at;
        std::uint32_t entry = 0;
        if (*at < 0x80) {
            entry = cache[*at++];
        } else if (at + 1 < end && static_cast<unsigned>(at[1] - '0') > 9) {
            entry = cache[*at << 8 | at[1]];
            at += 2;
        }
        if (entry == 0) {
            const auto offset = static_cast<size_t>(begin - start);
            const size_t length = character_length(text, offset);
            entry = read_character(text, offset, length);
            at = begin + length;
        }
        const Read read{character, static_cast<size_t>(begin - start)};
        if ((entry & kOneSymbol) == 0) {
            Position position{state, symbols};
            const bool go_on =
                take_several(entry, read, static_cast<size_t>(at - start), position, piece, first_only, out);
            state = position.state;
            symbols = position.symbols;
            if (!go_on) return;
            continue;
        }
        // A character that no word holds reads as symbol 0, which leads back to the root
        // from anywhere: taken like any other, it costs no guess of which kind comes next.
        reads_[symbols++ & ring_mask_] = read;
        state = step(state, entry & ~kOneSymbol);
        if (state & kEnds) {
            report(state, symbols, static_cast<size_t>(at - start), character + 1, piece, out);
            if (first_only) return;
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
    scan(text, 0, false, out);
    order_matches(out, from);
}

void WordMatcher::find_all(TextView text, std::span<const size_t> ends, std::vector<Match>& out) const {
    const size_t from = out.size();
    size_t start = 0;
    for (size_t piece = 0; piece < ends.size(); ++piece) {
        const size_t end = std::clamp(ends[piece], start, text.size());
        scan(text.substr(start, end - start), piece, false, out);
        start = end;
    }
    order_matches(out, from);
}

bool WordMatcher::find_first(TextView text, Match* found) const {
    first_.clear();
    scan(text, 0, true, first_);
    if (first_.empty()) return false;
    if (found) *found = first_.front();
    return true;
}

}  // namespace qinghe
