#pragma once
// Finds many words in a text in one pass (an Aho–Corasick automaton). Words and text are
// read the same way first: traditional characters as simplified, then Unicode NFKC with
// letter case folded, so "ＶＸ", "vx" and "Vx" are one word and "遇難" is "遇难".
// Punctuation is kept. Characters are read one at a time, each through a cache, so a
// text costs a table look-up per character once its characters have been seen.
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
    struct Edge {
        Symbol symbol;
        std::uint32_t child;
        bool operator<(const Edge& other) const { return symbol < other.symbol; }
    };
    struct Node {
        std::uint32_t first_edge = 0, end_edge = 0;  // its children in edges_, sorted by symbol
        std::uint32_t fail = 0;
        std::uint32_t output = 0;  // 1 + index into outputs_ of the longest word ending here
    };
    struct Output {
        std::uint32_t word;
        std::uint32_t length;  // in symbols
        std::uint32_t next;    // 1 + index of the next, shorter word ending here; 0 ends
    };

    // Calls on_match(match) for each occurrence until it returns false.
    template <class OnMatch>
    void scan(TextView text, OnMatch&& on_match) const;
    void build() const;
    // The cache entry of the character at `at`, `length` bytes long, made on first sight.
    std::uint32_t read_character(TextView text, size_t at, size_t length) const;
    std::uint32_t step(std::uint32_t node, Symbol symbol) const;

    size_t words_ = 0;
    std::vector<std::u32string> pending_;  // normalised words, by number
    // Built on first use after an add.
    mutable bool built_ = false;
    mutable std::unordered_map<char32_t, Symbol> alphabet_;
    mutable std::vector<Node> nodes_;
    mutable std::vector<Edge> edges_;
    mutable std::vector<std::uint32_t> root_;  // the root's transitions, dense by symbol
    mutable std::vector<Output> outputs_;
    // Characters seen so far: the symbols each reads as, kOneSymbol | the symbol for a
    // character that reads as one, else 1 + offset into symbol_pool_ (where a count
    // precedes the symbols); 0 for one not seen yet. For ASCII and two-byte characters by
    // the character's bytes as a number; four-byte characters in a map.
    static constexpr std::uint32_t kOneSymbol = 0x80000000u;
    mutable std::vector<std::uint32_t> short_cache_;
    mutable std::unordered_map<std::uint32_t, std::uint32_t> long_cache_;
    mutable std::vector<Symbol> symbol_pool_;
    // Scratch of a scan: each symbol's character, and each character's byte offset.
    mutable std::vector<size_t> symbol_chars_, char_offsets_;
};

}  // namespace qinghe
