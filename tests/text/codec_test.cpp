#include <gtest/gtest.h>

#include <random>

#include "text/codec.h"

namespace qinghe {
namespace {

TEST(Codec, GbkBytesForGbkCharacters) {
    EXPECT_EQ(from_utf8("，"), "\xA3\xAC");
    EXPECT_EQ(from_utf8("！"), "\xA3\xA1");
    EXPECT_EQ(from_utf8("啊a"), "\xB0\xA1"
                                "a");
    EXPECT_EQ(from_utf8("　"), "\xA1\xA1");
    EXPECT_EQ(to_utf8("\xD6\xD0\xCE\xC4"), "中文");
}

TEST(Codec, CharactersOutsideGbkSurvive) {
    for (const char* utf8 : {"😀", "𠀀", "\u00A0", "€", "\u2028", "ǹ"}) {
        const Text text = from_utf8(utf8);
        EXPECT_NE(text, "?") << utf8;
        EXPECT_EQ(to_utf8(text), utf8);
    }
}

TEST(Codec, RandomValidTextRoundTripsThroughUtf16) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> plane(0, 9);
    std::uniform_int_distribution<char32_t> bmp(0x20, 0xFFFD);
    std::uniform_int_distribution<char32_t> astral(0x10000, 0x10FFFF);
    for (int round = 0; round < 200; ++round) {
        std::u16string units;
        for (int i = 0; i < 40; ++i) {
            char32_t c = plane(random) == 0 ? astral(random) : bmp(random);
            if (c >= 0xD800 && c <= 0xDFFF) c = 0x4E2D;
            if (c >= 0x10000) {
                units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                units.push_back(static_cast<char16_t>(c));
            }
        }
        const Text text = encode(units);
        EXPECT_EQ(decode(text), units);
        EXPECT_EQ(encode(decode(text)), text);
    }
}

TEST(Codec, ToUtf16) {
    EXPECT_EQ(to_utf16(""), "");
    EXPECT_EQ(to_utf16("", true), "");
    EXPECT_EQ(to_utf16("A"), std::string("A\0\0\0", 4));
    EXPECT_EQ(to_utf16("A", true), std::string("A\0", 2));
    EXPECT_EQ(to_utf16("\xD6\xD0", true), std::string("\x2D\x4E", 2));
}

TEST(Codec, FromUtf16) {
    EXPECT_EQ(from_utf16(std::string("A\0B\0", 4)), "AB");
    EXPECT_EQ(from_utf16(std::string("A\0\0\0B\0", 6)), "A") << "ends at the first NUL";
    EXPECT_EQ(from_utf16(std::string("A\0B", 3)), "A") << "an odd last byte is ignored";
    EXPECT_EQ(from_utf16(""), "");
    EXPECT_EQ(from_utf16(to_utf16(from_utf8("标题😀"))), from_utf8("标题😀"));
}

TEST(Codec, InvalidInputNeverCrashes) {
    const Text garbage[] = {"\x80", "\xFF\xFF", "\xB0", "\x81\x30", "\x81\x30\x81", std::string("\0\xFE", 2)};
    for (const Text& bytes : garbage) {
        const std::u16string units = decode(bytes);
        EXPECT_LE(units.size(), bytes.size());
        (void)encode(units);
    }
    const std::u16string lone_surrogates = {0xD800, u'a', 0xDC00};
    EXPECT_FALSE(encode(lone_surrogates).empty());
    EXPECT_EQ(to_utf8(from_utf8("\xC3\x28")).size() > 0, true);
}

TEST(Codec, NamedCharsets) {
    std::u16string out = u"unchanged";
    EXPECT_FALSE(decode_charset("abc", "no-such-charset", out));
    EXPECT_EQ(out, u"unchanged");
    ASSERT_TRUE(decode_charset("\xE4\xB8\xAD", "utf-8", out));
    EXPECT_EQ(out, u"中");
    ASSERT_TRUE(decode_charset("\xA4\xA4", "big5", out));
    EXPECT_EQ(out, u"中");
}

TEST(Codec, EncodedTextKeepsNoSpareRoom) {
    const std::u16string units(1 << 20, u'a');
    const Text text = encode(units);
    EXPECT_EQ(text.size(), units.size());
    EXPECT_LT(text.capacity(), text.size() + 64);
}

TEST(Codec, ConversionInPieces) {
    const std::string utf8 = "\xEF\xBB\xBF"
                             "中文 text 😀 ж";
    // Every split point, including those inside a character.
    for (size_t cut = 0; cut <= utf8.size(); ++cut) {
        CharsetConversion conversion("utf-8");
        ASSERT_TRUE(conversion.ok());
        Text out;
        conversion.convert(std::string_view(utf8).substr(0, cut), false, out);
        conversion.convert(std::string_view(utf8).substr(cut), true, out);
        EXPECT_EQ(out, from_utf8("中文 text 😀 ж")) << "cut at " << cut << "; the byte-order mark is no text";
    }
    CharsetConversion cut_short("utf-8");
    Text out;
    cut_short.convert("ab\xE4\xB8", true, out);
    EXPECT_EQ(out, "ab" + from_utf8("\uFFFD")) << "a character cut off at the end";
    EXPECT_FALSE(CharsetConversion("no-such-charset").ok());
}

TEST(Codec, DecodeWithOffsets) {
    std::vector<size_t> offsets;
    const std::u16string units = decode(from_utf8("a中😀b"), offsets);
    ASSERT_EQ(units.size(), 5u);
    EXPECT_EQ(offsets, (std::vector<size_t>{0, 1, 3, 3, 7, 8}));
}

}  // namespace
}  // namespace qinghe
