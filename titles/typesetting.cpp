#include "titles/typesetting.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "text/codec.h"
#include "titles/two_byte_characters.h"

namespace qinghe {
namespace {

enum Kind : std::uint8_t { kOther, kSpace, kChinese, kLatin, kFullMark, kHalfMark };

// The double-byte marks the rules name, as lead * 256 + trail.
constexpr std::uint16_t kComma = 0xA3AC, kColon = 0xA3BA, kSemicolon = 0xA3BB, kQuestion = 0xA3BF,
                        kExclamation = 0xA3A1, kFullStop = 0xA1A3, kEnumerationComma = 0xA1A2, kEllipsis = 0xA1AD;

Kind kind_of(UChar32 c) {
    if (c == 0x3000) return kSpace;
    const auto script = static_cast<UScriptCode>(u_getIntPropertyValue(c, UCHAR_SCRIPT));
    if (script == USCRIPT_HAN || script == USCRIPT_HIRAGANA || script == USCRIPT_KATAKANA ||
        script == USCRIPT_BOPOMOFO || c == 0x30FC) {
        return kChinese;
    }
    if ((U_GET_GC_MASK(c) & U_GC_P_MASK) != 0) return kFullMark;
    const bool alphabetic = script == USCRIPT_LATIN || script == USCRIPT_GREEK || script == USCRIPT_CYRILLIC;
    return alphabetic && u_isalpha(c) ? kLatin : kOther;
}

// The kind of every two-byte character, worked out once from ICU's data.
const std::array<Kind, kTwoByteCharacters>& two_byte_kinds() {
    static const auto table = [] {
        std::array<Kind, kTwoByteCharacters> kinds{};
        for_each_two_byte_character([&kinds](size_t index, char16_t unit) { kinds[index] = kind_of(unit); });
        return kinds;
    }();
    return table;
}

enum Flag : std::uint8_t {
    kKeywordFirst = 1,
    kKeywordLast = 2,
    kSentenceEnd = 4,  // 。！？… ! ? (a lone dot is as often a decimal point or an abbreviation's, and
                       // three dots before a joining mark have become …… already)
    kJoining = 8,      // ，、；：
    kSingle = 16,      // written once when doubled: the joining marks and 。！？
    kRule3 = 32,       // a half-width mark or a …: rule 3 may change it
};

TypesetChar make_char(std::uint16_t code, std::uint8_t kind) {
    std::uint8_t flags = 0;
    switch (code) {
        case kComma:
        case kEnumerationComma:
        case kSemicolon:
        case kColon: flags = kJoining | kSingle; break;
        case kFullStop:
        case kExclamation:
        case kQuestion: flags = kSentenceEnd | kSingle; break;
        case kEllipsis: flags = kSentenceEnd | kRule3; break;
        case '!':
        case '?': flags = kSentenceEnd; break;
        default: break;
    }
    if (kind == kHalfMark) flags |= kRule3;
    return {code, kind, flags};
}

TypesetChar describe(TextView character) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(character[i]); };
    if (character.size() == 1) {
        const unsigned char c = byte(0);
        if (c == ' ') return make_char(c, kSpace);
        if ((c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) return make_char(c, kLatin);
        if (c == ',' || c == ':' || c == ';' || c == '?' || c == '!' || c == '.') return make_char(c, kHalfMark);
        return make_char(c < 0x80 ? c : 0, kOther);
    }
    if (character.size() == 2) {
        const auto code = static_cast<std::uint16_t>(byte(0) << 8 | byte(1));
        const bool valid = byte(0) >= 0x81 && byte(0) <= 0xFE && byte(1) >= 0x40 && byte(1) <= 0xFE && byte(1) != 0x7F;
        return make_char(code, valid ? two_byte_kinds()[two_byte_index(byte(0), byte(1))] : kOther);
    }
    // Four bytes: rare enough to decode one by one.
    const std::u16string units = decode(character);
    UChar32 c = 0xFFFD;
    if (units.size() == 1) c = units[0];
    if (units.size() == 2 && U16_IS_LEAD(units[0]) && U16_IS_TRAIL(units[1])) {
        c = U16_GET_SUPPLEMENTARY(units[0], units[1]);
    }
    return make_char(0, c == 0xFFFD ? kOther : kind_of(c));
}

std::uint16_t full_width(std::uint16_t half) {
    switch (half) {
        case ',': return kComma;
        case ':': return kColon;
        case ';': return kSemicolon;
        case '?': return kQuestion;
        case '!': return kExclamation;
        default: return half;
    }
}

// A mark that rule 2 or 3 may change by what stands before or after it.
bool loose_mark(const TypesetChar& c) { return (c.flags & (kRule3 | kSingle)) != 0; }

// Rule 2: whether the mark `c` right after `last` is dropped.
bool dropped_after(const TypesetChar& c, const TypesetChar* last) {
    if (!last) return false;
    if ((c.flags & kJoining) && (last->flags & kSentenceEnd)) return true;
    return (c.flags & kSingle) && c.code == last->code;
}

bool chinese_side(const TypesetChar* c) { return c && (c->kind == kChinese || c->kind == kFullMark); }

// What a run of spaces (maybe none) between two characters kept becomes; nullptr stands
// for the headline's start or end.
enum class Gap { Drop, One, Collapse, Keep };
Gap gap_between(const TypesetChar* left, const TypesetChar* right, TypesetMode mode) {
    const bool keyword =
        mode.keyword_edges && ((left && (left->flags & kKeywordLast)) || (right && (right->flags & kKeywordFirst)));
    if (keyword) {
        if (!left || !right || left->kind == kFullMark || right->kind == kFullMark) return Gap::Drop;
        if (left->kind == kChinese || right->kind == kChinese) {
            return left->kind == kLatin || right->kind == kLatin ? Gap::One : Gap::Drop;
        }
        return mode.house_style ? Gap::Collapse : Gap::Keep;
    }
    if (!mode.house_style) return Gap::Keep;
    if (!left || !right || left->kind == kFullMark || right->kind == kFullMark) return Gap::Drop;
    if (left->kind == kChinese && right->kind == kChinese) return Gap::Drop;
    return Gap::Collapse;
}

void append_code(Text& out, std::uint16_t code) {
    if (code >= 0x100) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
}

// ---- The whole text at once ----

struct Token {
    size_t begin = 0, end = 0;  // bytes in the text
    TypesetChar c;
    bool keyword = false;
};

std::vector<Token> tokenize(TextView text, std::span<const KeywordSpan> keywords) {
    std::vector<Token> tokens;
    tokens.reserve(text.size());
    size_t span = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t length = character_length(text, at);
        Token token{at, at + length, describe(text.substr(at, length))};
        while (span < keywords.size() && keywords[span].end <= at) ++span;
        if (span < keywords.size() && keywords[span].begin <= at) {
            token.keyword = true;
            if (tokens.empty() || !tokens.back().keyword || tokens.back().begin < keywords[span].begin) {
                token.c.flags |= kKeywordFirst;
            }
            if (at + length >= keywords[span].end) token.c.flags |= kKeywordLast;
        }
        tokens.push_back(token);
        at += length;
    }
    return tokens;
}

bool space(const Token& token) { return !token.keyword && token.c.kind == kSpace; }
// Looked past for the neighbours that decide rule 3.
bool passed(const Token& token) { return !token.keyword && (token.c.kind == kSpace || token.c.kind == kHalfMark); }

struct Setting {
    TypesetChar c;
    bool changed = false;  // written from c.code rather than as it stood
    bool doubled = false;
    bool gone = false;
};

// Rule 3 over every mark outside keywords.
void set_marks(const std::vector<Token>& tokens, std::vector<Setting>& set) {
    const size_t n = tokens.size();
    const auto chinese_beside = [&](size_t i) {
        size_t j = i;
        while (j > 0 && passed(tokens[j - 1])) --j;
        if (j > 0 && chinese_side(&tokens[j - 1].c)) return true;
        j = i + 1;
        while (j < n && passed(tokens[j])) ++j;
        return j < n && chinese_side(&tokens[j].c);
    };
    const auto dot = [&](size_t i) { return !tokens[i].keyword && tokens[i].c.code == '.'; };
    // A lone … looks at its nearest character past spaces, as it will be: a half-width
    // mark there becomes full-width beside it, unless it is one of one or two dots.
    const auto chinese_next_to_ellipsis = [&](size_t i, bool after) {
        size_t j = i;
        do {
            if (after ? ++j == n : j-- == 0) return false;
        } while (space(tokens[j]));
        if (tokens[j].keyword || tokens[j].c.kind != kHalfMark) return chinese_side(&tokens[j].c);
        if (!dot(j)) return true;
        size_t begin = j, end = j + 1;
        while (begin > 0 && dot(begin - 1)) --begin;
        while (end < n && dot(end)) ++end;
        return end - begin >= 3;
    };
    for (size_t i = 0; i < n; ++i) {
        const Token& token = tokens[i];
        if (token.keyword) continue;
        if (token.c.code == '.') {
            size_t end = i;
            while (end < n && !tokens[end].keyword && tokens[end].c.code == '.') ++end;
            if (end - i >= 3 && chinese_beside(i)) {
                set[i] = {make_char(kEllipsis, kFullMark), true, true};
                for (size_t j = i + 1; j < end; ++j) set[j].gone = true;
            }
            i = end - 1;
        } else if (token.c.kind == kHalfMark) {
            if (chinese_beside(i)) set[i] = {make_char(full_width(token.c.code), kFullMark), true};
        } else if (token.c.code == kEllipsis) {
            const bool lone =
                (i == 0 || tokens[i - 1].c.code != kEllipsis) && (i + 1 == n || tokens[i + 1].c.code != kEllipsis);
            if (lone && (chinese_next_to_ellipsis(i, false) || chinese_next_to_ellipsis(i, true))) {
                set[i].changed = set[i].doubled = true;
            }
        }
    }
}

// Rule 2: marks after a sentence end or after the same mark.
void drop_marks(const std::vector<Token>& tokens, std::vector<Setting>& set) {
    const TypesetChar* last = nullptr;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (set[i].gone || space(tokens[i])) continue;
        if (!tokens[i].keyword && dropped_after(set[i].c, last)) {
            set[i].gone = true;
            continue;
        }
        last = &set[i].c;
    }
}

// ---- Pieces ----

// The characters that can stand at a join (spaces, and the marks rules 2 and 3 change),
// numbered in four bits for the joiner's memory; -1 for any other.
int symbol_of(const TypesetChar& c) {
    switch (c.code) {
        case ' ': return 0;
        case 0xA1A1: return 1;
        case ',': return 2;
        case ':': return 3;
        case ';': return 4;
        case '?': return 5;
        case '!': return 6;
        case '.': return 7;
        case kComma: return 8;
        case kEnumerationComma: return 9;
        case kSemicolon: return 10;
        case kColon: return 11;
        case kFullStop: return 12;
        case kExclamation: return 13;
        case kQuestion: return 14;
        case kEllipsis: return 15;
        default: return -1;
    }
}

constexpr unsigned kMemorable = 8;  // edge characters a remembered join holds at most
constexpr std::uint8_t kLong = 0xFF;

void pack(const std::vector<TypesetChar>& edge, std::uint64_t& symbols, std::uint8_t& count) {
    symbols = 0;
    count = edge.size() <= kMemorable ? static_cast<std::uint8_t>(edge.size()) : kLong;
    for (size_t i = 0; i < edge.size() && count != kLong; ++i) {
        const int symbol = symbol_of(edge[i]);
        if (symbol < 0) count = kLong;
        symbols = symbols << 4 | static_cast<unsigned>(symbol);
    }
}

// What a join sees of a fixed character beside it, in ten bits: its kind (7 for the
// headline's end), whether it begins or ends a keyword or ends a sentence, and which
// mark of rules 2 and 3 it is (a keyword's own).
std::uint16_t end_key(const TypesetChar* c) {
    if (!c) return 7;
    const int symbol = symbol_of(*c);
    const unsigned mark = symbol >= 8 ? static_cast<unsigned>(symbol - 7) : 0;
    return static_cast<std::uint16_t>(c->kind | (c->flags & (kKeywordFirst | kKeywordLast | kSentenceEnd)) << 3 |
                                      mark << 6);
}

// A character no neighbour can change, whose effect on its neighbours is its own.
bool fixed(const Token& token, TypesetMode mode) {
    if (token.keyword) return true;
    if (token.c.kind == kSpace) return false;
    return !mode.house_style || !loose_mark(token.c);
}

// The marks after the last fixed character `last` (past spaces) that what stands before
// them in the piece settles, whatever the next piece holds, so that they are fixed too:
// - a 。！？，、；： that stays beside the last character kept (rule 2 looks only back),
//   which it then is;
// - one that goes after it, when no space stands before it, and the last one kept is a
//   Chinese character or a full-width mark other than …: rule 3 sees such a mark beside
//   its neighbours as it sees that character;
// - a lone … after a Chinese character or a full-width mark (it becomes ……) once the
//   character after it is in the piece, which then decides no more that it is lone.
// Returns the middle's last token; `last` becomes the last one kept.
size_t settled_marks_end(const std::vector<Token>& tokens, size_t& last, TypesetMode mode) {
    size_t end = last;
    if (!mode.house_style) return end;
    bool spaced = false;
    for (size_t i = last + 1; i < tokens.size(); ++i) {
        const TypesetChar& c = tokens[i].c;
        const TypesetChar& kept = tokens[last].c;
        if (c.kind == kSpace) {
            spaced = true;
            continue;
        }
        if (c.code == kEllipsis) {
            const bool lone =
                tokens[i - 1].c.code != kEllipsis && i + 1 < tokens.size() && tokens[i + 1].c.code != kEllipsis;
            if (!lone || !chinese_side(&kept)) break;
        } else if (!(c.flags & kSingle)) {
            break;
        } else if (dropped_after(c, &kept)) {
            if (spaced || !chinese_side(&kept) || kept.code == kEllipsis) break;
            end = i;
            continue;
        }
        end = last = i;
        spaced = false;
    }
    return end;
}

}  // namespace

Text set_headline(TextView text, std::span<const KeywordSpan> keywords, TypesetMode mode,
                  std::vector<KeywordSpan>* keywords_out) {
    const std::vector<Token> tokens = tokenize(text, keywords);
    std::vector<Setting> set(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) set[i].c = tokens[i].c;
    if (mode.house_style) {
        set_marks(tokens, set);
        drop_marks(tokens, set);
    }
    Text out;
    out.reserve(text.size() + 8);
    if (keywords_out) keywords_out->clear();
    std::vector<size_t> spaces;  // since the last character kept
    const TypesetChar* left = nullptr;
    const auto write_gap = [&](const TypesetChar* right) {
        switch (gap_between(left, right, mode)) {
            case Gap::Drop: break;
            case Gap::One: out.push_back(' '); break;
            case Gap::Collapse:
                if (!spaces.empty()) out.push_back(' ');
                break;
            case Gap::Keep:
                for (size_t i : spaces) out.append(text.substr(tokens[i].begin, tokens[i].end - tokens[i].begin));
                break;
        }
        spaces.clear();
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (set[i].gone) continue;
        if (space(token)) {
            spaces.push_back(i);
            continue;
        }
        write_gap(&set[i].c);
        if (keywords_out && (token.c.flags & kKeywordFirst)) keywords_out->push_back({out.size(), out.size()});
        if (!set[i].changed) {
            out.append(text.substr(token.begin, token.end - token.begin));
        } else {
            append_code(out, set[i].c.code);
            if (set[i].doubled) append_code(out, set[i].c.code);
        }
        if (keywords_out && (token.c.flags & kKeywordLast) && !keywords_out->empty())
            keywords_out->back().end = out.size();
        left = &set[i].c;
    }
    write_gap(nullptr);
    return out;
}

TextLength SetPiece::most() const {
    int edges = growth_;
    for (const std::vector<TypesetChar>* side : {&head_, &tail_}) {
        for (const TypesetChar& c : *side) edges += c.code == kEllipsis ? 2 : 1;
    }
    return {middle_length_.characters + edges, middle_length_.ascii_characters, middle_length_.additive};
}

SetPiece set_piece(TextView text, std::span<const KeywordSpan> keywords, TypesetMode mode, HeadlineMeasure& measure) {
    const std::vector<Token> tokens = tokenize(text, keywords);
    SetPiece piece;
    size_t first = 0;
    while (first < tokens.size() && !fixed(tokens[first], mode)) ++first;
    if (first == tokens.size()) {
        for (const Token& token : tokens) piece.head_.push_back(token.c);
        piece.bytes_most_ = piece.most().characters * 2;
        pack(piece.head_, piece.head_symbols_, piece.head_count_);
        return piece;
    }
    size_t last = tokens.size() - 1;
    while (!fixed(tokens[last], mode)) --last;
    // A phrase's "，" after a Chinese character stays whatever comes next.
    const size_t fixed_last = last;
    const size_t middle_end = settled_marks_end(tokens, last, mode);
    for (size_t i = 0; i < first; ++i) piece.head_.push_back(tokens[i].c);
    for (size_t i = middle_end + 1; i < tokens.size(); ++i) piece.tail_.push_back(tokens[i].c);
    // Keywords are fixed, so each lies inside the middle.
    const size_t begin = tokens[first].begin, end = tokens[middle_end].end;
    std::vector<KeywordSpan> inside;
    for (const KeywordSpan& span : keywords) {
        if (span.begin >= begin && span.end <= end && span.begin < span.end) {
            inside.push_back({span.begin - begin, span.end - begin});
        }
    }
    // Most middles hold nothing the rules change: no keyword, no space, no mark they may
    // set, and after the last fixed character only settled marks that stay as written.
    bool plain = true;
    for (size_t i = first; i <= middle_end && plain; ++i) {
        const Token& token = tokens[i];
        if (token.keyword || token.c.kind == kSpace) plain = false;
        else if (i <= fixed_last) plain = !mode.house_style || !loose_mark(token.c);
        else plain = token.c.code != kEllipsis && !dropped_after(token.c, &tokens[i - 1].c);
    }
    const TextView middle = text.substr(begin, end - begin);
    piece.middle_ = plain ? Text(middle) : set_headline(middle, inside, mode);
    piece.middle_length_ = measure.measure(piece.middle_);
    piece.first_ = tokens[first].c;
    piece.last_ = tokens[last].c;
    piece.growth_ = mode.keyword_edges
                        ? int{(piece.first_.flags & kKeywordFirst) != 0} + int{(piece.last_.flags & kKeywordLast) != 0}
                        : 0;
    // Each character of the edges writes two bytes at most (a … four), a space one.
    piece.bytes_most_ = piece.middle_.size() + 2 * (piece.most().characters - piece.middle_length_.characters);
    pack(piece.head_, piece.head_symbols_, piece.head_count_);
    pack(piece.tail_, piece.tail_symbols_, piece.tail_count_);
    piece.first_key_ = end_key(&piece.first_);
    piece.last_key_ = end_key(&piece.last_);
    return piece;
}

TextLength PieceJoiner::join(std::span<const SetPiece* const> pieces, Text& out) {
    // Written into a buffer with room enough for the longest the pieces can give (and a
    // remembered join's whole buffer), then appended at once.
    size_t room = sizeof(Remembered::bytes);
    for (const SetPiece* piece : pieces) room += piece->bytes_most_;
    if (buffer_.size() < room) buffer_.resize(std::max(room, 2 * buffer_.size()));
    if (memory_.empty()) memory_.resize(kMemory);
    char* at = buffer_.data();
    TextLength length;
    const auto write_join = [&](const Join& join) {
        if (join.count > kMemorable) return set_join(pieces, join, at, length);
        const Remembered& remembered = recall(pieces, join);
        std::memcpy(at, remembered.bytes, sizeof remembered.bytes);
        at += remembered.size;
        length.characters += remembered.characters;
        length.ascii_characters += remembered.ascii_characters;
    };
    Join join{.left_key = end_key(nullptr), .opened = pieces.size()};
    for (size_t i = 0; i < pieces.size(); ++i) {
        const SetPiece& piece = *pieces[i];
        if (join.count + piece.head_count_ <= kMemorable) {
            join.symbols = join.symbols << (4 * piece.head_count_) | piece.head_symbols_;
            join.count += piece.head_count_;
        } else {
            join.count = kLong;
        }
        if (piece.middle_.empty()) continue;
        // Without edges between them, only a keyword's edge beside another piece can take
        // a space (none at the headline's ends).
        const bool keyword_edge = mode_.keyword_edges && join.left &&
                                  ((join.left->flags & kKeywordLast) || (piece.first_.flags & kKeywordFirst));
        if (join.count > 0 || keyword_edge) {
            join.right = &piece.first_, join.right_key = piece.first_key_, join.closed = i;
            write_join(join);
        }
        std::memcpy(at, piece.middle_.data(), piece.middle_.size());
        at += piece.middle_.size();
        length += piece.middle_length_;
        join = {.left = &piece.last_,
                .left_key = piece.last_key_,
                .symbols = piece.tail_symbols_,
                .count = piece.tail_count_,
                .opened = i};
    }
    join.right = nullptr, join.right_key = end_key(nullptr), join.closed = pieces.size();
    if (join.count > 0) write_join(join);
    out.append(buffer_.data(), static_cast<size_t>(at - buffer_.data()));
    return length;
}

const PieceJoiner::Remembered& PieceJoiner::recall(std::span<const SetPiece* const> pieces, const Join& join) {
    const std::uint64_t key =
        join.left_key | std::uint64_t{join.right_key} << 10 | std::uint64_t{join.count} << 20 | join.symbols << 24;
    Remembered& remembered = memory_[(key * 0x9E3779B97F4A7C15ull) >> (64 - kMemoryBits)];
    if (remembered.key == key) return remembered;
    char* end = remembered.bytes;
    TextLength written;
    set_join(pieces, join, end, written);
    remembered.key = key;
    remembered.size = static_cast<std::uint8_t>(end - remembered.bytes);
    remembered.characters = static_cast<std::int16_t>(written.characters);
    remembered.ascii_characters = static_cast<std::uint8_t>(written.ascii_characters);
    return remembered;
}

void PieceJoiner::set_join(std::span<const SetPiece* const> pieces, const Join& join, char*& at, TextLength& length) {
    parts_.clear();
    if (join.opened < pieces.size() && !pieces[join.opened]->tail_.empty())
        parts_.emplace_back(pieces[join.opened]->tail_);
    for (size_t i = join.opened < pieces.size() ? join.opened + 1 : 0; i <= join.closed && i < pieces.size(); ++i) {
        if (!pieces[i]->head_.empty()) parts_.emplace_back(pieces[i]->head_);
    }
    set_parts(join.left, join.right, at, length);
}

namespace {

void write(std::uint16_t code, char*& at, TextLength& length) {
    if (code >= 0x100) *at++ = static_cast<char>(code >> 8);
    *at++ = static_cast<char>(code & 0xFF);
    ++length.characters;
    length.ascii_characters += code < 0x80;
}

// Writes what `spaces` spaces between `left` and `right` become in house style.
void write_gap(const TypesetChar* left, const TypesetChar* right, size_t spaces, TypesetMode mode, char*& at,
               TextLength& length) {
    // Without spaces, only a keyword's edge can take one.
    const bool keyword = (left && (left->flags & kKeywordLast)) || (right && (right->flags & kKeywordFirst));
    if (spaces == 0 && !(mode.keyword_edges && keyword)) return;
    const Gap gap = gap_between(left, right, mode);
    if (gap == Gap::One || (gap == Gap::Collapse && spaces > 0)) write(' ', at, length);
}

}  // namespace

void PieceJoiner::set_parts(const TypesetChar* left, const TypesetChar* right, char*& at, TextLength& length) {
    if (parts_.empty()) return write_gap(left, right, 0, mode_, at, length);
    if (!mode_.house_style) {
        // Spaces alone.
        const Gap gap = gap_between(left, right, mode_);
        if (gap == Gap::One) write(' ', at, length);
        if (gap != Gap::Keep) return;
        for (std::span<const TypesetChar> part : parts_) {
            for (const TypesetChar& c : part) write(c.code, at, length);
        }
        return;
    }
    const bool rule_3 = std::any_of(parts_.begin(), parts_.end(), [](std::span<const TypesetChar> part) {
        return std::any_of(part.begin(), part.end(), [](const TypesetChar& c) { return (c.flags & kRule3) != 0; });
    });
    if (rule_3) return set_parts_with_rule_3(left, right, at, length);
    // Spaces and full-width marks: no space stays beside a mark kept.
    const TypesetChar* last = left;
    size_t spaces = 0;
    for (std::span<const TypesetChar> part : parts_) {
        for (const TypesetChar& c : part) {
            if (c.kind == kSpace) {
                ++spaces;
            } else if (!dropped_after(c, last)) {
                write(c.code, at, length);
                last = &c;
                spaces = 0;
            }
        }
    }
    write_gap(last, right, spaces, mode_, at, length);
}

void PieceJoiner::set_parts_with_rule_3(const TypesetChar* left, const TypesetChar* right, char*& at,
                                        TextLength& length) {
    join_.clear();
    for (std::span<const TypesetChar> part : parts_) join_.insert(join_.end(), part.begin(), part.end());
    const size_t n = join_.size();
    set_.assign(n, {});
    for (size_t i = 0; i < n; ++i) set_[i].c = join_[i];
    bool chinese = chinese_side(left);
    for (size_t i = 0; i < n; ++i) {
        set_[i].chinese_before = chinese;
        if (join_[i].kind != kSpace && join_[i].kind != kHalfMark) chinese = chinese_side(&join_[i]);
    }
    chinese = chinese_side(right);
    for (size_t i = n; i-- > 0;) {
        set_[i].chinese_after = chinese;
        if (join_[i].kind != kSpace && join_[i].kind != kHalfMark) chinese = chinese_side(&join_[i]);
    }
    // As in set_marks above, within the join.
    const auto chinese_next_to_ellipsis = [&](size_t i, bool after) {
        size_t j = i;
        do {
            if (after ? ++j == n : j-- == 0) return chinese_side(after ? right : left);
        } while (join_[j].kind == kSpace);
        if (join_[j].kind != kHalfMark) return chinese_side(&join_[j]);
        if (join_[j].code != '.') return true;
        size_t begin = j, end = j + 1;
        while (begin > 0 && join_[begin - 1].code == '.') --begin;
        while (end < n && join_[end].code == '.') ++end;
        return end - begin >= 3;
    };
    for (size_t i = 0; i < n; ++i) {
        Mark& mark = set_[i];
        const bool beside = mark.chinese_before || mark.chinese_after;
        if (join_[i].code == '.') {
            size_t end = i;
            while (end < n && join_[end].code == '.') ++end;
            if (end - i >= 3 && beside) {
                mark.c = make_char(kEllipsis, kFullMark);
                mark.doubled = true;
                for (size_t j = i + 1; j < end; ++j) set_[j].gone = true;
            }
            i = end - 1;
        } else if (join_[i].kind == kHalfMark) {
            if (beside) mark.c = make_char(full_width(join_[i].code), kFullMark);
        } else if (join_[i].code == kEllipsis) {
            const std::uint16_t before = i > 0 ? join_[i - 1].code : left ? left->code : 0;
            const std::uint16_t after = i + 1 < n ? join_[i + 1].code : right ? right->code : 0;
            mark.doubled = before != kEllipsis && after != kEllipsis &&
                           (chinese_next_to_ellipsis(i, false) || chinese_next_to_ellipsis(i, true));
        }
    }
    const TypesetChar* last = left;
    size_t spaces = 0;
    for (size_t i = 0; i < n; ++i) {
        Mark& mark = set_[i];
        if (mark.gone) continue;
        if (join_[i].kind == kSpace) {
            ++spaces;
            continue;
        }
        if (dropped_after(mark.c, last)) continue;
        write_gap(last, &mark.c, spaces, mode_, at, length);
        spaces = 0;
        write(mark.c.code, at, length);
        if (mark.doubled) write(mark.c.code, at, length);
        last = &mark.c;
    }
    write_gap(last, right, spaces, mode_, at, length);
}

}  // namespace qinghe
