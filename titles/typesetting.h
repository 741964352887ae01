#pragma once
// Headlines set as a careful editor sets Chinese text: spaces and punctuation ready to publish.
//
// Kinds of characters:
// - Chinese characters: Han ideographs (the unified ones and every extension, the
//   compatibility ideographs, 〇 and 々), kana with ー, and bopomofo. Hangul is not one
//   (Korean is written with spaces between words).
// - Latin letters and digits: ASCII letters and digits, and the letters of the Latin,
//   Greek and Cyrillic scripts (ā, é, ω, я). Full-width letters and digits are neither.
// - Full-width marks: every double-byte punctuation character (Unicode category P):
//   ，。！？、；：“”‘’（）《》〈〉【】「」『』…—·＃％ and the like.
// - Half-width marks: ASCII , : ; ? ! and the dot.
// - Spaces: the ASCII space and the full-width space.
//
// The rules:
// 1. Keyword edges (`keyword_edges`): the spaces between a filled keyword and the
//    character beside it go; exactly one ASCII space stands between a Chinese character
//    and a Latin letter or digit when one of the two is the keyword's edge; next to a
//    full-width mark or at the headline's start or end there is none. Elsewhere (a Latin
//    keyword beside a Latin word, say) the spaces stay as written. The keyword itself is
//    kept byte for byte.
// With `house_style` (a platform is chosen), over the whole headline outside keywords:
// 2. A ，、；： right after a sentence end (。！？… or . ! ?) goes; a ，。！？、；： right
//    after the same mark goes (！！ → ！, ，， → ，); ？！ and ！？ stay.
// 3. A half-width , : ; ? ! becomes full-width, and three dots or more become ……, when
//    the nearest character on either side (past spaces and other half-width marks) is a
//    Chinese character or a full-width mark. So 10:30, 3.5 and A,B stay, and one or two
//    dots always do. A lone … becomes …… when the nearest character on either side (past
//    spaces) is a Chinese character or a full-width mark, or a half-width mark that
//    becomes one beside it.
// 4. No space at the start or end; a space next to a full-width mark or between two
//    Chinese characters goes; any other run of spaces becomes one ASCII space.
// Setting a set headline again changes nothing.
//
// Two ways to set a headline give the same text: `set_headline` sets a whole text, and
// `set_piece` with a `PieceJoiner` sets each phrase once and joins the pieces of each
// headline, redoing only the few characters at each join.
#include <cstdint>
#include <span>
#include <vector>

#include "text/text.h"
#include "titles/headline_length.h"
#include "titles/keywords.h"

namespace qinghe {

struct TypesetMode {
    bool keyword_edges = false;  // a keyword fills the blanks: rule 1 around each
    bool house_style = false;    // the headline is to be published: rules 2 to 4 everywhere
    bool any() const { return keyword_edges || house_style; }
};

// The text set. `keywords` are where a keyword stands in `text` (ordered, apart, on
// character starts); with `keywords_out`, where they stand in the result.
Text set_headline(TextView text, std::span<const KeywordSpan> keywords, TypesetMode mode,
                  std::vector<KeywordSpan>* keywords_out = nullptr);

// One character of a set piece, as its neighbours at a join see it.
struct TypesetChar {
    std::uint16_t code = 0;  // an ASCII byte, lead * 256 + trail of a double-byte character, 0 otherwise
    std::uint8_t kind = 0;
    std::uint8_t flags = 0;  // what the rules see in it, and whether it begins or ends a keyword
};

// A phrase (or a punctuation text) set once for a mode: a middle that no neighbour can
// change, set, between its edges (spaces and the marks that rules 2 and 3 may change),
// kept as written for the join to set. A full-width mark that rule 2 settles by what
// stands before it in the piece belongs to the middle.
class SetPiece {
public:
    // Bounds of the length this piece brings to any headline it is joined into. The
    // middle is fixed; its edges, set at the joins, may all go, and give at most one
    // character each, two for a … (it may double); a space may come in beside a keyword
    // at the middle's ends. `most` keeps the middle's ASCII count, the fewest the piece
    // can bring, so it also bounds from above a weight that counts ASCII half.
    TextLength least() const { return middle_length_; }
    TextLength most() const;
    // Whether joins can change the piece: when not, its length is exactly `least`.
    bool loose() const { return !head_.empty() || !tail_.empty() || growth_ > 0; }
    // The middle as set: every headline the piece is joined into holds it as it stands.
    TextView middle() const { return middle_; }

private:
    friend SetPiece set_piece(TextView, std::span<const KeywordSpan>, TypesetMode, HeadlineMeasure&);
    friend class PieceJoiner;

    Text middle_;
    TextLength middle_length_;
    std::vector<TypesetChar> head_, tail_;  // all of it in head_ when nothing is fixed
    TypesetChar first_, last_;              // the middle's ends
    int growth_ = 0;                        // the keyword ends of the middle that may take a space
    size_t bytes_most_ = 0;                 // the most bytes it can write
    // For the joiner's memory of joins: the edges packed, four bits a character (up to
    // eight of them, `kLong` beyond), and what a join sees of the middle's ends.
    std::uint64_t head_symbols_ = 0, tail_symbols_ = 0;
    std::uint8_t head_count_ = 0, tail_count_ = 0;
    std::uint16_t first_key_ = 0, last_key_ = 0;
};

SetPiece set_piece(TextView text, std::span<const KeywordSpan> keywords, TypesetMode mode, HeadlineMeasure& measure);

// Joins pieces set for one mode into set headlines. It keeps its buffers between
// headlines, and remembers how it set the joins it met (a run meets few different
// ones), by everything that decides them, so a join met again is copied.
class PieceJoiner {
public:
    explicit PieceJoiner(TypesetMode mode) : mode_(mode) {}

    // Appends the headline of `pieces`, in order, to `out`, exactly as `set_headline`
    // sets their concatenation. Its length: exact when `additive`, otherwise measure it.
    TextLength join(std::span<const SetPiece* const> pieces, Text& out);

private:
    // A character of a join as set.
    struct Mark {
        TypesetChar c;
        bool doubled = false;                                // written twice: …… from a lone …
        bool gone = false;                                   // folded into …… or dropped
        bool chinese_before = false, chinese_after = false;  // its nearest neighbours past spaces and half-width marks
    };

    // A join remembered: its key (the ends' keys, the count of edge characters and their
    // symbols) and what it wrote.
    struct Remembered {
        std::uint64_t key = ~std::uint64_t{0};
        char bytes[36] = {};
        std::uint8_t size = 0;
        std::uint8_t ascii_characters = 0;
        std::int16_t characters = 0;
    };

    // A join: the fixed characters around it (nullptr: the headline's ends) with their
    // keys, its edge characters packed, and the pieces it spans.
    struct Join {
        const TypesetChar* left = nullptr;
        const TypesetChar* right = nullptr;
        std::uint16_t left_key = 0, right_key = 0;
        std::uint64_t symbols = 0;
        unsigned count = 0;  // edge characters; beyond eight, not remembered
        size_t opened = 0;   // the piece whose tail opens it, or the count of pieces at the start
        size_t closed = 0;   // the piece whose head closes it, or the count of pieces at the end
    };

    static constexpr int kMemoryBits = 10;
    static constexpr size_t kMemory = size_t{1} << kMemoryBits;

    // The join as set, from memory, set and remembered when not there yet.
    const Remembered& recall(std::span<const SetPiece* const> pieces, const Join& join);
    // Sets and writes it, its edges gathered in parts_.
    void set_join(std::span<const SetPiece* const> pieces, const Join& join, char*& at, TextLength& length);
    void set_parts(const TypesetChar* left, const TypesetChar* right, char*& at, TextLength& length);
    void set_parts_with_rule_3(const TypesetChar* left, const TypesetChar* right, char*& at, TextLength& length);

    TypesetMode mode_;
    std::vector<std::span<const TypesetChar>> parts_;  // a join's edges, as written
    std::vector<TypesetChar> join_;                    // parts_ in one, where rule 3 is to be done
    std::vector<Mark> set_;                            // join_ as set
    std::vector<Remembered> memory_;
    std::vector<char> buffer_;  // a headline as it is written
};

}  // namespace qinghe
