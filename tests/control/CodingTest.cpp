// Digit codes and the triple coding of flash bytes.

#include <gtest/gtest.h>

#include <vector>

#include "control/device/DigitCodes.h"
#include "control/device/Triples.h"

namespace fonerix::test {
namespace {

TEST(DigitCodes, EveryCodeHasItsCharacterAndBack) {
    const char* expected = " 1234567890FJLP_";
    for (uint8_t code = 0; code < 16; ++code) {
        EXPECT_EQ(DigitToChar(code), expected[code]) << int(code);
        EXPECT_EQ(CharToDigit(expected[code]), code) << int(code);
    }
    EXPECT_EQ(DigitToChar(16), '?');
    EXPECT_EQ(DigitToChar(255), '?');
}

TEST(DigitCodes, LowerCaseLettersAndEverythingElse) {
    EXPECT_EQ(CharToDigit('f'), 11);
    EXPECT_EQ(CharToDigit('j'), 12);
    EXPECT_EQ(CharToDigit('l'), 13);
    EXPECT_EQ(CharToDigit('p'), 14);
    for (char c : {'A', 'z', '-', '+', '\0', '\n', '*', '#'}) {
        EXPECT_EQ(CharToDigit(c), 15) << int(c);
    }
    EXPECT_EQ(CharToDigit(static_cast<char>(0xC0)), 15);  // a Windows-1251 letter
}

TEST(Triples, MajorityVote) {
    struct Case {
        std::vector<uint8_t> raw;
        uint8_t expected;
        bool intact;
    };
    const Case cases[] = {
        {{1, 2, 3}, 1, false}, {{5, 5, 7}, 5, true}, {{7, 5, 5}, 5, true},
        {{5, 7, 5}, 5, true},  {{9, 9, 9}, 9, true},
    };
    for (const Case& c : cases) {
        uint8_t out = 0;
        EXPECT_EQ(DecodeTriples(c.raw.size(), c.raw.data(), &out), c.intact);
        EXPECT_EQ(out, c.expected);
    }
}

TEST(Triples, DecodedLengthOfTheRecordSizes) {
    for (auto [raw, decoded] : {std::pair{6u, 2u}, {75u, 25u}, {96u, 32u}, {99u, 33u}, {1u, 0u}}) {
        EXPECT_EQ(DecodedLength(raw), decoded) << raw;
    }
}

TEST(Triples, BadGroupFailsButDecodingRunsToTheEnd) {
    const std::vector<uint8_t> raw = {1, 2, 3, 4, 4, 4, 6, 6, 9};
    uint8_t out[3] = {};
    EXPECT_FALSE(DecodeTriples(raw.size(), raw.data(), out));
    EXPECT_EQ(out[1], 4);
    EXPECT_EQ(out[2], 6);
}

TEST(Triples, TrailingPairIsReadWithoutLookingPastTheInput) {
    // Five raw bytes make two groups; the second has only two bytes and must not read a sixth.
    const std::vector<uint8_t> raw = {8, 8, 8, 3, 4};
    uint8_t out[2] = {};
    EXPECT_TRUE(DecodeTriples(raw.size(), raw.data(), out));
    EXPECT_EQ(out[0], 8);
    EXPECT_EQ(out[1], 4);
}

TEST(Triples, EncodeThenDecodeSurvivesOneBadCopyPerByte) {
    std::vector<uint8_t> data(33);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 37);
    }
    std::vector<uint8_t> raw(data.size() * 3);
    EncodeTriples(data.data(), data.size(), raw.data());
    for (size_t i = 0; i < data.size(); ++i) {
        raw[i * 3 + i % 3] ^= 0xA5;  // spoil a different copy each time
    }
    std::vector<uint8_t> back(data.size());
    EXPECT_TRUE(DecodeTriples(raw.size(), raw.data(), back.data()));
    EXPECT_EQ(back, data);
}

}  // namespace
}  // namespace fonerix::test
