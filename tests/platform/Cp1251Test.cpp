#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/codepage/Cp1251.h"
#include "platform/codepage/Utf8.h"

namespace fonerix::test {
namespace {

TEST(Cp1251, EveryByteMapsToADistinctCharacterAndBack) {
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char32_t cp = platform::Cp1251ToUnicode(static_cast<unsigned char>(b));
        EXPECT_TRUE(seen.insert(cp).second) << "byte " << b << " shares its character";
        unsigned char back = 0;
        ASSERT_TRUE(platform::UnicodeToCp1251(cp, back)) << "byte " << b;
        EXPECT_EQ(back, b);
    }
}

// The code page's upper half, character by character (0x98, which the code page leaves
// undefined, as U+0098); the lower half is ASCII.
constexpr char32_t kUpperHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

TEST(Cp1251, EveryByteIsTheCharacterOfTheReferenceTable) {
    for (int b = 0; b < 256; ++b) {
        const char32_t expected = b < 0x80 ? static_cast<char32_t>(b) : kUpperHalf[b - 0x80];
        EXPECT_EQ(platform::Cp1251ToUnicode(static_cast<unsigned char>(b)), expected)
            << "byte " << b;
        unsigned char back = 0;
        EXPECT_TRUE(platform::UnicodeToCp1251(expected, back)) << "byte " << b;
        EXPECT_EQ(back, b);
    }
}

TEST(Cp1251, AllBytesRoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string utf8 = platform::Cp1251ToUtf8(all);
    EXPECT_TRUE(platform::IsValidUtf8(utf8));
    EXPECT_EQ(platform::Utf8ToCp1251(utf8), all);
}

TEST(Cp1251, KnownCharacters) {
    struct Case {
        unsigned char byte;
        const char* utf8;
    };
    const Case cases[] = {
        {0xC0, "А"}, {0xDF, "Я"}, {0xE0, "а"}, {0xFF, "я"}, {0xA8, "Ё"}, {0xB8, "ё"},
        {0xB9, "№"}, {0x88, "€"}, {0x96, "–"}, {0xA5, "Ґ"}, {0xB3, "і"}, {0x41, "A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::Cp1251ToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8)
            << int(c.byte);
        EXPECT_EQ(platform::Utf8ToCp1251(c.utf8), std::string(1, static_cast<char>(c.byte)));
    }
}

TEST(Cp1251, TextOutsideTheCodePageAndBrokenUtf8BecomeTheReplacement) {
    EXPECT_EQ(platform::Utf8ToCp1251("Иван 日本"), std::string("\xC8\xE2\xE0\xED ??"));
    EXPECT_EQ(platform::Utf8ToCp1251("a\xC3(b"), "a?(b");           // truncated sequence
    EXPECT_EQ(platform::Utf8ToCp1251("\xC0\x80"), "??");            // overlong NUL
    EXPECT_EQ(platform::Utf8ToCp1251("\xED\xA0\x80", '_'), "___");  // surrogate
    EXPECT_EQ(platform::Utf8ToCp1251(""), "");
}

TEST(Utf8, DecodesAndEncodesEveryLength) {
    for (const char32_t cp : {U'A', U'\u00E9', U'\u0416', U'\u20AC', U'\U0001F600'}) {
        std::string text;
        platform::AppendUtf8(text, cp);
        const platform::Utf8Step step = platform::DecodeUtf8(text, 0);
        EXPECT_TRUE(step.valid);
        EXPECT_EQ(step.codePoint, cp);
        EXPECT_EQ(step.length, text.size());
    }
}

}  // namespace
}  // namespace fonerix::test

TEST(Utf8, CharactersAreCountedNotBytes) {
    EXPECT_EQ(platform::CountUtf8Characters(""), 0u);
    EXPECT_EQ(platform::CountUtf8Characters("0123"), 4u);
    EXPECT_EQ(platform::CountUtf8Characters("Анна"), 4u);              // 8 bytes
    EXPECT_EQ(platform::CountUtf8Characters("\xF0\x9F\x93\x9E"), 1u);  // one emoji, 4 bytes
    EXPECT_EQ(platform::CountUtf8Characters("\xD0"), 1u);              // a cut sequence: one byte
    EXPECT_EQ(platform::CountUtf8Characters("a\xFF"
                                            "b"),
              3u);
}
