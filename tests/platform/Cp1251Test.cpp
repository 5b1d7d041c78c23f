#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/codepage/Cp1251.h"
#include "platform/codepage/Utf8.h"

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
