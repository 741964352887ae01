#include "text/word_matcher.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <tuple>

#include "text/codec.h"

namespace qinghe {
namespace {

struct Found {
    std::string word;  // UTF-8
    std::string text;  // the matched characters, UTF-8
    bool operator==(const Found&) const = default;
};

std::vector<Found> find(const std::vector<const char*>& words, const char* text) {
    WordMatcher matcher;
    for (const char* word : words) matcher.add(from_utf8(word));
    const Text subject = from_utf8(text);
    std::vector<Found> out;
    for (const WordMatcher::Match& m : matcher.find_all(subject)) {
        out.push_back({words[m.word], to_utf8(subject.substr(m.begin, m.end - m.begin))});
    }
    return out;
}

TEST(WordMatcher, ReadsBothSidesTheSameWay) {
    // Traditional as simplified, full width as half width, letter case folded; punctuation kept.
    EXPECT_EQ(find({"遇难"}, "三人遇難"), (std::vector<Found>{{"遇难", "遇難"}}));
    EXPECT_EQ(find({"遇難"}, "三人遇难"), (std::vector<Found>{{"遇難", "遇难"}}));
    EXPECT_EQ(find({"vx"}, "加ＶＸ领取"), (std::vector<Found>{{"vx", "ＶＸ"}}));
    EXPECT_EQ(find({"No.1"}, "全球NO.1"), (std::vector<Found>{{"No.1", "NO.1"}}));
    EXPECT_EQ(find({"99%"}, "99％的人"), (std::vector<Found>{{"99%", "99％"}}));
    EXPECT_EQ(find({"神器"}, "减肥“神器”"), (std::vector<Found>{{"神器", "神器"}}));
    EXPECT_EQ(find({"“神器”"}, "减肥神器"), std::vector<Found>{});
    // A zero-width space does not split a word.
    EXPECT_EQ(find({"身亡"}, "身\u200B亡"), (std::vector<Found>{{"身亡", "身\u200B亡"}}));
    EXPECT_EQ(WordMatcher::normalised(from_utf8("ＡＢ頭髮😀")), "ab头发😀");
}

TEST(WordMatcher, FindsEveryOccurrenceOfEveryWord) {
    EXPECT_EQ(find({"最", "最佳", "佳"}, "最佳最"),
              (std::vector<Found>{{"最", "最"}, {"最佳", "最佳"}, {"佳", "佳"}, {"最", "最"}}));
    EXPECT_EQ(find({"aa"}, "aaa"), (std::vector<Found>{{"aa", "aa"}, {"aa", "aa"}}));
    EXPECT_EQ(find({"", "x"}, "x"), (std::vector<Found>{{"x", "x"}}));
    EXPECT_EQ(find({}, "anything"), std::vector<Found>{});
    // A letter as a double-byte character's second byte is no letter.
    WordMatcher matcher;
    matcher.add("A");
    EXPECT_FALSE(matcher.find_first("\x81\x41"));
    WordMatcher::Match first{};
    EXPECT_TRUE(matcher.find_first("\x81\x41xa", &first));
    EXPECT_EQ(first.begin, 3u);
    EXPECT_EQ(first.first_char, 2u);
}

// Checks a matcher against a plain search over the characters as they read: the whole
// text, and the text read in random pieces.
void expect_plain_search_results(const WordMatcher& matcher, const std::vector<std::vector<std::string>>& words,
                                 const std::vector<std::string>& chars, std::mt19937& random) {
    static std::map<std::string, std::string> read;  // how each character reads
    const auto reads = [](const std::string& c) -> const std::string& {
        auto [it, added] = read.try_emplace(c);
        if (added) it->second = WordMatcher::normalised(from_utf8(c));
        return it->second;
    };
    std::string utf8;
    for (const auto& c : chars) utf8 += c;
    const Text text = from_utf8(utf8);
    std::multiset<std::tuple<size_t, size_t, size_t>> expected, got;
    for (size_t w = 0; w < words.size(); ++w) {
        for (size_t start = 0; start + words[w].size() <= chars.size(); ++start) {
            bool same = true;
            for (size_t i = 0; i < words[w].size() && same; ++i) same = reads(chars[start + i]) == reads(words[w][i]);
            if (same) expected.insert({w, start, start + words[w].size()});
        }
    }
    for (const WordMatcher::Match& m : matcher.find_all(text)) {
        got.insert({m.word, m.first_char, m.end_char});
        std::string span;
        for (size_t i = m.first_char; i < m.end_char; ++i) span += chars[i];
        EXPECT_EQ(to_utf8(text.substr(m.begin, m.end - m.begin)), span);
    }
    ASSERT_EQ(got, expected) << utf8;
    // Read in pieces, the text gives each piece's own matches, counted from its start.
    std::vector<size_t> ends;
    for (size_t at = 0; at < text.size(); at += character_length(text, at)) {
        if (random() % 3 == 0) ends.push_back(at);
    }
    ends.push_back(text.size());
    std::vector<WordMatcher::Match> pieces_read, one_by_one;
    matcher.find_all(text, ends, pieces_read);
    for (size_t piece = 0, start = 0; piece < ends.size(); start = ends[piece++]) {
        for (WordMatcher::Match m : matcher.find_all(TextView(text).substr(start, ends[piece] - start))) {
            m.piece = piece;
            one_by_one.push_back(m);
        }
    }
    const auto key = [](const std::vector<WordMatcher::Match>& matches) {
        std::vector<std::tuple<size_t, size_t, size_t, size_t, size_t, size_t>> out;
        for (const auto& m : matches) out.emplace_back(m.piece, m.word, m.begin, m.end, m.first_char, m.end_char);
        return out;
    };
    ASSERT_EQ(key(pieces_read), key(one_by_one)) << utf8;
}

// Random words and texts made of characters that read alike in several spellings (and a
// four-byte one).
TEST(WordMatcher, AgreesWithAPlainSearch) {
    const std::vector<std::string> pieces = {"a", "A", "ａ", "b", "發", "发", "财", "😀", "，", "最"};
    std::mt19937 random(7);
    const auto make = [&](size_t max) {
        std::vector<std::string> chars;
        const size_t n = 1 + random() % max;
        for (size_t i = 0; i < n; ++i) chars.push_back(pieces[random() % pieces.size()]);
        return chars;
    };
    for (int round = 0; round < 300; ++round) {
        WordMatcher matcher;
        std::vector<std::vector<std::string>> words;
        for (int w = 0; w < 4; ++w) {
            words.push_back(make(3));
            std::string utf8;
            for (const auto& c : words.back()) utf8 += c;
            matcher.add(from_utf8(utf8));
        }
        expect_plain_search_results(matcher, words, make(12), random);
    }
}

// So many words over so many characters that only part of the automaton gets a full
// table: the rest is looked up sparsely, and must find the same.
TEST(WordMatcher, ALargeVocabularyAgreesWithAPlainSearch) {
    std::vector<std::string> alphabet;
    for (unsigned c = 0x4E00; c < 0x4E00 + 1500; ++c) {  // three bytes of UTF-8 each
        alphabet.push_back({static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                            static_cast<char>(0x80 | (c & 0x3F))});
    }
    std::mt19937 random(11);
    WordMatcher matcher;
    std::vector<std::vector<std::string>> words;
    for (int w = 0; w < 3000; ++w) {
        // Many words share their first characters, so that the automaton has depth.
        std::vector<std::string> word{alphabet[random() % 40]};
        for (size_t n = 1 + random() % 3; n > 0; --n) word.push_back(alphabet[random() % alphabet.size()]);
        std::string utf8;
        for (const auto& c : word) utf8 += c;
        matcher.add(from_utf8(utf8));
        words.push_back(std::move(word));
    }
    for (int round = 0; round < 100; ++round) {
        std::vector<std::string> chars;
        while (chars.size() < 30) {
            if (random() % 2) {
                const auto& word = words[random() % words.size()];
                chars.insert(chars.end(), word.begin(), word.end());
            } else {
                chars.push_back(alphabet[random() % alphabet.size()]);
            }
        }
        expect_plain_search_results(matcher, words, chars, random);
    }
}

}  // namespace
}  // namespace qinghe
