// Headlines set for publishing: the rules on real phrases, and properties over random
// pieces (the rules hold, setting twice changes nothing, pieces joined give the text the
// whole headline gives, and the pieces' lengths bound the headline's).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>

#include "text/codec.h"
#include "titles/headline_length.h"
#include "titles/keywords.h"
#include "titles/typesetting.h"

namespace qinghe {
namespace {

constexpr TypesetMode kKeyword{.keyword_edges = true};
constexpr TypesetMode kPlatform{.house_style = true};
constexpr TypesetMode kBoth{.keyword_edges = true, .house_style = true};

// Every way to cut `filled` in two outside its keywords, joined as pieces.
void expect_pieces_agree(const FilledPhrase& filled, TypesetMode mode, const Text& whole) {
    HeadlineMeasure measure;
    PieceJoiner joiner(mode);
    std::vector<size_t> cuts = {0};
    while (cuts.back() < filled.text.size()) cuts.push_back(cuts.back() + character_length(filled.text, cuts.back()));
    for (size_t cut : cuts) {
        std::vector<KeywordSpan> first, second;
        bool inside = false;
        for (const KeywordSpan& span : filled.keywords) {
            inside = inside || (span.begin < cut && cut < span.end);
            (span.end <= cut ? first : second)
                .push_back(span.end <= cut ? span : KeywordSpan{span.begin - cut, span.end - cut});
        }
        if (inside) continue;
        const SetPiece a = set_piece(TextView(filled.text).substr(0, cut), first, mode, measure);
        const SetPiece b = set_piece(TextView(filled.text).substr(cut), second, mode, measure);
        const SetPiece* pieces[] = {&a, &b};
        Text joined;
        joiner.join(pieces, joined);
        EXPECT_EQ(to_utf8(joined), to_utf8(whole)) << "cut at byte " << cut;
    }
}

TEST(Typesetting, BeforeAndAfter) {
    struct Case {
        TypesetMode mode;
        const char* phrase;
        const char* keyword;
        const char* set;
    };
    const Case cases[] = {
        // Rule 1: the keyword's edges.
        {kKeyword, "关于 ____，你必须知道的事", "新能源车", "关于新能源车，你必须知道的事"},
        {kKeyword, "很少人知道的 ____ 方法", "Python", "很少人知道的 Python 方法"},
        {kKeyword, "很少人知道的____方法", "Python", "很少人知道的 Python 方法"},
        {kKeyword, "关于 ____，你必须知道的事", "iPhone 16", "关于 iPhone 16，你必须知道的事"},
        {kKeyword, "____ 背后的故事", " 5G　", "5G 背后的故事"},
        {kKeyword, "第____名", "1", "第 1 名"},
        {kKeyword, "Python____入门", "新手", "Python 新手入门"},
        {kKeyword, "____ 和 ____ 到底哪个好", "新能源车", "新能源车和新能源车到底哪个好"},
        {kKeyword, "读 《 ____ 》 有感", "三体", "读 《三体》 有感"},
        {kKeyword, "从 ____  到 ____", "Wi-Fi 6", "从 Wi-Fi 6 到 Wi-Fi 6"},
        {kKeyword, "  ____  ", "车", "车"},
        {kKeyword, "新 ____ 车", "😀", "新😀车"},
        // Nothing else changes with the keyword alone.
        {kKeyword, " 注意 了！！____ 来了 ", "新能源车", " 注意 了！！新能源车来了 "},
        // Rule 2: marks at the joins.
        {kPlatform, "原来如此！，再看", "", "原来如此！再看"},
        {kPlatform, "结局竟然反转了…，再看", "", "结局竟然反转了……再看"},
        {kPlatform, "真的吗？？好！！！走，，、", "", "真的吗？好！走，、"},
        {kPlatform, "你有没有中招？！还是！？", "", "你有没有中招？！还是！？"},
        {kBoth, "____，再看", "重磅！", "重磅！再看"},
        // Rule 3: half-width marks beside Chinese text.
        {kPlatform, "性格测试:你的;答案?好!走,", "", "性格测试：你的；答案？好！走，"},
        {kPlatform, "10:30 开始，3.5 倍，A,B 与 Wi-Fi", "", "10:30 开始，3.5 倍，A,B 与 Wi-Fi"},
        {kPlatform, "Hello!，再看 Hello, world.", "", "Hello！再看 Hello, world."},
        {kPlatform, "后面的内容更精彩...", "", "后面的内容更精彩……"},
        {kPlatform, "精彩…不断……Wait... ok 好.. x…y", "", "精彩……不断……Wait... ok 好.. x…y"},
        {kPlatform, "真的 ? ! 吗", "", "真的？！吗"},
        {kPlatform, "原来如此！ ， 再看", "", "原来如此！再看"},
        {kPlatform, "10:30 开始, 3.5 倍", "", "10:30 开始，3.5 倍"},
        {kPlatform, "后面的内容更精彩... ！", "", "后面的内容更精彩……！"},
        // Rule 4: spaces.
        {kPlatform, "  注意 了　 iPhone  手机 10个 ， 他说 “你好”  ", "", "注意了 iPhone 手机 10个，他说“你好”"},
        {kPlatform, "A　B", "", "A B"},
        // All of them.
        {kBoth, "关于 ____ ,你必须知道的事", "新能源车", "关于新能源车，你必须知道的事"},
        {kBoth, "很少人知道的  ____  方法!!", "新能源 汽车", "很少人知道的新能源 汽车方法！"},
        {kBoth, "____ 的5个误区:", "AI", "AI 的5个误区："},
    };
    for (const Case& c : cases) {
        const FilledPhrase filled = fill_and_mark_blanks(from_utf8(c.phrase), from_utf8(c.keyword));
        std::vector<KeywordSpan> spans;
        const Text set = set_headline(filled.text, filled.keywords, c.mode, &spans);
        EXPECT_EQ(to_utf8(set), c.set) << c.phrase;
        EXPECT_EQ(set_headline(set, spans, c.mode), set) << c.phrase;
        const Text keyword = fill_and_mark_blanks("__", from_utf8(c.keyword)).text;  // without its end spaces
        for (const KeywordSpan& span : spans) EXPECT_EQ(set.substr(span.begin, span.end - span.begin), keyword);
        expect_pieces_agree(filled, c.mode, set);
    }
}

// The characters the random phrases are made of, by what the rules see in them.
const char* const kChinese[] = {"新", "车", "好", "的", "ア", "〇", "𠮷", "㐀"};
const char* const kLatin[] = {"a", "Z", "7"};
const char* const kSpaces[] = {" ", "　"};
const char* const kHalfMarks[] = {",", ":", ";", "?", "!", "."};
const char* const kFullMarks[] = {"，", "。", "！", "？", "、", "；", "：", "…", "“", "”", "《", "》", "—"};
const char* const kOthers[] = {"#", "-", "😀", "한"};
const char* const kKeywords[] = {"新能源车", "Python", "5G", "iPhone 16", "《三体》", "重磅！",
                                 "A,B",      "😀",      "…",  "新 车",     "a..."};

class Alphabet {
public:
    Alphabet() {
        for (const char* c : kChinese) chinese_.insert(from_utf8(c));
        for (const char* c : {"能", "源", "重", "磅", "三", "体"}) chinese_.insert(from_utf8(c));  // in keywords
        for (const char* c : kFullMarks) full_.insert(from_utf8(c));
    }
    bool chinese(const Text& c) const { return chinese_.contains(c); }
    static bool latin(const Text& c) { return c.size() == 1 && std::isalnum(static_cast<unsigned char>(c[0])); }
    bool full_mark(const Text& c) const { return full_.contains(c); }

private:
    std::set<Text> chinese_, full_;
};

struct Character {
    Text text;
    bool keyword;
};

std::vector<Character> characters(const Text& text, const std::vector<KeywordSpan>& spans) {
    std::vector<Character> out;
    for (size_t at = 0; at < text.size();) {
        const size_t length = character_length(text, at);
        const bool keyword =
            std::any_of(spans.begin(), spans.end(), [&](const KeywordSpan& s) { return s.begin <= at && at < s.end; });
        out.push_back({text.substr(at, length), keyword});
        at += length;
    }
    return out;
}

bool is_space(const Text& c) { return c == " " || c == from_utf8("　"); }

// The rules' promises about a set headline.
void check_rules(const Alphabet& alphabet, const Text& set, const std::vector<KeywordSpan>& spans, TypesetMode mode) {
    const std::vector<Character> chars = characters(set, spans);
    const std::set<Text> singles = {from_utf8("，"), from_utf8("。"), from_utf8("！"), from_utf8("？"),
                                    from_utf8("、"), from_utf8("；"), from_utf8("：")};
    const auto outside = [&](size_t i) { return i < chars.size() && !chars[i].keyword; };
    // The nearest character past spaces outside keywords, or npos.
    const auto beyond = [&](size_t i, int step) {
        for (size_t j = i + step; j < chars.size(); j += step) {
            if (!(outside(j) && is_space(chars[j].text))) return j;
        }
        return Text::npos;
    };
    const auto chinese = [&](size_t j) { return j != Text::npos && alphabet.chinese(chars[j].text); };
    for (size_t i = 0; i < chars.size(); ++i) {
        const Text& c = chars[i].text;
        if (mode.house_style && outside(i)) {
            if (is_space(c)) {
                ASSERT_TRUE(i > 0 && i + 1 < chars.size()) << "space at an end";
                EXPECT_FALSE(chinese(i - 1) && chinese(i + 1)) << "space between Chinese characters";
                EXPECT_FALSE(alphabet.full_mark(chars[i - 1].text) || alphabet.full_mark(chars[i + 1].text))
                    << "space beside a full-width mark";
                EXPECT_FALSE(outside(i + 1) && is_space(chars[i + 1].text)) << "two spaces";
            }
            if (c == "," || c == ":" || c == ";" || c == "?" || c == "!") {
                EXPECT_FALSE(chinese(beyond(i, -1)) && chinese(beyond(i, 1))) << "half-width mark between Chinese";
            }
            if (singles.contains(c) && i > 0) {
                EXPECT_NE(chars[i - 1].text, c) << "mark written twice";
            }
        }
        // A keyword's edge beside a Chinese character.
        if (!mode.keyword_edges || !chars[i].keyword) continue;
        for (int step : {-1, 1}) {
            const bool edge = step < 0 ? i == 0 || !chars[i - 1].keyword
                                       : !outside(i) && (i + 1 == chars.size() || !chars[i + 1].keyword);
            if (!edge) continue;
            const size_t next = beyond(i, step);
            if (next == Text::npos) continue;
            const bool spaced = next != i + step;
            const bool mixed = (chinese(i) && alphabet.latin(chars[next].text)) || (alphabet.latin(c) && chinese(next));
            if (mixed) {
                EXPECT_TRUE(next == i + 2 * step && chars[i + step].text == " ") << "one space expected";
            }
            if (chinese(i) || chinese(next)) {
                EXPECT_EQ(spaced, mixed) << "space beside a keyword";
            }
        }
    }
}

TEST(Typesetting, RandomPiecesKeepTheRulesAndJoinAsTheWholeHeadline) {
    const Alphabet alphabet;
    std::mt19937 random(20240611);
    const auto below = [&](size_t n) { return static_cast<size_t>(random() % n); };
    const auto pick = [&](const auto& list) { return from_utf8(list[below(std::size(list))]); };
    HeadlineMeasure measure;
    // One joiner per mode for every round, so that joins met again come from its memory.
    PieceJoiner joiners[] = {PieceJoiner(kKeyword), PieceJoiner(kPlatform), PieceJoiner(kBoth)};
    for (int round = 0; round < 20000; ++round) {
        const TypesetMode mode = round % 3 == 0 ? kKeyword : round % 3 == 1 ? kPlatform : kBoth;
        const Text keyword = mode.keyword_edges ? pick(kKeywords) : Text();
        std::vector<FilledPhrase> raw(1 + below(5));
        Text whole_text;
        std::vector<KeywordSpan> whole_spans;
        for (FilledPhrase& piece : raw) {
            Text phrase;
            for (size_t n = below(8); n-- > 0;) {
                switch (below(mode.keyword_edges ? 8 : 7)) {
                    case 0:
                    case 1: phrase += pick(kChinese); break;
                    case 2: phrase += pick(kLatin); break;
                    case 3: phrase += pick(kSpaces); break;
                    case 4: phrase += pick(kHalfMarks); break;
                    case 5: phrase += pick(kFullMarks); break;
                    case 6: phrase += below(2) ? pick(kOthers) : pick(kSpaces); break;
                    default: phrase += "____"; break;
                }
            }
            piece = fill_and_mark_blanks(phrase, keyword);
            for (const KeywordSpan& s : piece.keywords) {
                whole_spans.push_back({s.begin + whole_text.size(), s.end + whole_text.size()});
            }
            whole_text += piece.text;
        }
        std::vector<KeywordSpan> spans;
        const Text set = set_headline(whole_text, whole_spans, mode, &spans);
        SCOPED_TRACE(to_utf8(whole_text) + " -> " + to_utf8(set));
        check_rules(alphabet, set, spans, mode);
        ASSERT_EQ(spans.size(), whole_spans.size());
        for (const KeywordSpan& s : spans) ASSERT_EQ(set.substr(s.begin, s.end - s.begin), keyword);
        ASSERT_EQ(set_headline(set, spans, mode), set) << "set twice";

        // Pieces: the same text, an exact length, and within the pieces' bounds.
        std::vector<SetPiece> pieces;
        for (const FilledPhrase& piece : raw) pieces.push_back(set_piece(piece.text, piece.keywords, mode, measure));
        std::vector<const SetPiece*> order;
        TextLength least, most;
        for (const SetPiece& piece : pieces) order.push_back(&piece), least += piece.least(), most += piece.most();
        Text joined = "x";
        PieceJoiner& joiner = joiners[round % 3];
        const TextLength length = joiner.join(order, joined);
        ASSERT_EQ(joined, "x" + set);
        const TextLength measured = measure.measure(set);
        if (length.additive) {
            ASSERT_EQ(length.characters, measured.characters);
            ASSERT_EQ(length.ascii_characters, measured.ascii_characters);
        }
        for (bool half : {false, true}) {
            const auto weight = [half](const TextLength& l) {
                return half ? 2 * l.characters - l.ascii_characters : l.characters;
            };
            ASSERT_LE(weight(least), weight(measured));
            ASSERT_GE(weight(most), weight(measured));
        }
    }
}

// Marks that what stands before them in a piece settles belong to its middle, so that
// the piece brings the same length to every headline; those its neighbours decide stay loose.
TEST(Typesetting, MarksSettledWithinAPieceAreFixed) {
    const struct {
        const char* phrase;
        bool loose;
    } cases[] = {
        {"新能源车的真相，", false},   // a "，" after a Chinese character stays
        {"原来如此！，", false},       // one after a sentence end goes
        {"了 ， ！", false},           // each stays beside the mark before it
        {"结局竟然反转了…！", false},  // a lone "…" after a Chinese character doubles
        {"原来如此！ ，", true},       // the spaces around a mark that goes depend on the next piece
        {"好…", true},                 // the next piece may begin with a "…"
        {"，好", true},                // what comes before a piece decides its head
        {"a!", true},                  // rule 3 looks at both sides
    };
    HeadlineMeasure measure;
    for (const auto& c : cases) {
        const SetPiece piece = set_piece(from_utf8(c.phrase), {}, kPlatform, measure);
        EXPECT_EQ(piece.loose(), c.loose) << c.phrase;
        if (!c.loose) {
            EXPECT_EQ(to_utf8(piece.middle()), to_utf8(set_headline(from_utf8(c.phrase), {}, kPlatform)));
        }
    }
}

TEST(Typesetting, WithoutAnyRuleTheTextStays) {
    const Text text = from_utf8("  注意 了！！，Python   ...");
    const KeywordSpan spans[] = {{text.find('P'), text.find('P') + 6}};
    EXPECT_EQ(set_headline(text, spans, {}), text);
}

}  // namespace
}  // namespace qinghe
