#pragma once
// Finds many words in a text in one pass (an Aho–Corasick automaton). Words and text are
// read the same way first: traditional characters as simplified, then Unicode NFKC with
// letter case folded, so "ＶＸ", "vx" and "Vx" are one word and "遇難" is "遇难".
// Punctuation is kept. Characters are read one at a time, each through a cache, so a
// text costs two table look-ups per character (what it reads as, where the automaton
// goes) once its characters have been seen.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/text.h"

namespace qinghe {

class WordMatcher {
public:
    struct Match {
        size_t word;                  // the number add() gave the word
        size_t begin, end;            // byte offsets of the matched characters in the text
        size_t first_char, end_char;  // the same as character positions (end past the last)
        size_t piece = 0;             // for a text read in pieces: the piece's number
    };

    // Adds a word (program text) and returns its number, counted from 0 in the order of
    // adding. A word that reads as nothing never matches.
    size_t add(TextView word);
    size_t size() const { return words_; }

    // Every occurrence of every word in `text`, appended to `out` ordered by where they
    // end; of occurrences ending together, the longer first.
    void find_all(TextView text, std::vector<Match>& out) const;
    std::vector<Match> find_all(TextView text) const {
        std::vector<Match> out;
        find_all(text, out);
        return out;
    }
    // The same over a text cut into pieces that end at `ends` (ascending byte offsets; the
    // text after the last is not read), in one pass: each piece reads as a text of its own,
    // so no occurrence crosses from one piece into the next, and a match's positions are
    // counted from its piece's start. Ordered by piece, then as above.
    void find_all(TextView text, std::span<const size_t> ends, std::vector<Match>& out) const;

    // Whether any word occurs in `text`; when one does, `found` (if given) is the first to end.
    bool find_first(TextView text, Match* found = nullptr) const;

    // How a text reads to the matcher, as UTF-8 (for tests and for showing).
    static std::string normalised(TextView text);

private:
    using Symbol = std::uint32_t;  // a character of the words; 0 stands for any other
    // A node of the automaton, with kEnds set when some word ends there. The nodes are
    // numbered breadth first from the root (0); a node with a row in dense_ is known by
    // where its row starts, a deeper one by dense_.size() plus its number among those.
    // The automaton is complete: a scan follows no failure links.
    using State = std::uint32_t;
    static constexpr State kEnds = 0x80000000u;
    struct Edge {
        Symbol symbol;
        State target;
        bool operator<(const Edge& other) const { return symbol < other.symbol; }
    };
    struct Output {
        std::uint32_t word;
        std::uint32_t length;  // in symbols
        std::uint32_t next;    // 1 + index of the next, shorter word ending here; 0 ends
    };
    // Where a symbol read came from: its character's number and byte offset.
    struct Read {
        size_t character, offset;
    };
    // Where a scan stands: its state, and how many symbols of some word it has read.
    struct Position {
        State state = 0;
        size_t symbols = 0;
    };

    void build() const;
    // The next state. The shallow nodes, where a scan mostly is, have a row of every
    // symbol's next state; a deeper one lists only the symbols on which it goes elsewhere
    // than the root does.
    State step(State state, Symbol symbol) const {
        const size_t at = state & ~kEnds;
        if (at < dense_size_) return dense_[at + symbol];
        const Edge* first = edges_.data() + first_edge_[at - dense_size_];
        const Edge* last = edges_.data() + first_edge_[at - dense_size_ + 1];
        const Edge* it = std::lower_bound(first, last, Edge{symbol, 0});
        return it != last && it->symbol == symbol ? it->target : dense_[symbol];
    }
    size_t node_of(State state) const {
        const size_t at = state & ~kEnds;
        return at < dense_size_ ? at / row_ : dense_size_ / row_ + (at - dense_size_);
    }
    // Appends the matches in `text`, read as piece `piece`, to `out`; with `first_only` it
    // stops after the first symbol that ends a word.
    void scan(TextView text, size_t piece, bool first_only, std::vector<Match>& out) const;
    // Appends the words that end in `state` after `symbols` symbols, at `end`, to `out`.
    void report(State state, size_t symbols, size_t end, size_t end_char, size_t piece, std::vector<Match>& out) const;
    // Steps over a character that reads as several symbols (or none); false to stop.
    bool take_several(std::uint32_t entry, Read read, size_t end, Position& position, size_t piece, bool first_only,
                      std::vector<Match>& out) const;
    // The cache entry of the character at `at`, `length` bytes long, made on first sight.
    std::uint32_t read_character(TextView text, size_t at, size_t length) const;

    size_t words_ = 0;
    std::vector<std::u32string> pending_;  // normalised words, by number
    // Built on first use after an add.
    mutable bool built_ = false;
    mutable std::unordered_map<char32_t, Symbol> alphabet_;
    mutable size_t row_ = 0;  // symbols, 0 included
    mutable std::vector<State> dense_;
    mutable size_t dense_size_ = 0;                  // dense_.size(), kept at hand
    mutable std::vector<std::uint32_t> first_edge_;  // deeper node i: edges_[first_edge_[i]] up to [i + 1]
    mutable std::vector<Edge> edges_;
    mutable std::vector<std::uint32_t> output_;  // by node: 1 + index into outputs_ of the longest word ending there
    mutable std::vector<Output> outputs_;
    // Characters seen so far: the symbols each reads as, kOneSymbol | the symbol for a
    // character that reads as one, else 1 + offset into symbol_pool_ (where a count
    // precedes the symbols); 0 for one not seen yet. For ASCII and two-byte characters by
    // the character's bytes as a number; four-byte characters in a map.
    static constexpr std::uint32_t kOneSymbol = 0x80000000u;
    mutable std::vector<std::uint32_t> short_cache_;
    mutable std::unordered_map<std::uint32_t, std::uint32_t> long_cache_;
    mutable std::vector<Symbol> symbol_pool_;
    // Scratch of a scan: where the last symbols read came from, in a ring longer than the
    // longest word; and find_first's matches.
    mutable std::vector<Read> reads_;
    mutable size_t ring_mask_ = 0;
    mutable std::vector<Match> first_;
};

}  // namespace qinghe
