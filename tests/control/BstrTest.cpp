// The automation string: its length prefix, terminator and conversions.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/automation/Bstr.h"

namespace fonerix::test {
namespace {

TEST(BstrTest, LengthPrefixCountsBytesAndTheStringIsTerminated) {
    BSTR s = SysAllocString(u"Varkon+");
    ASSERT_NE(s, nullptr);
    uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(s) - 4, 4);
    EXPECT_EQ(prefix, 14u);
    EXPECT_EQ(SysStringLen(s), 7u);
    EXPECT_EQ(s[7], u'\0');
    SysFreeString(s);
}

TEST(BstrTest, EmbeddedZerosAndNullTexts) {
    const char16_t text[] = {u'1', 0, u'2'};
    BSTR s = SysAllocStringLen(text, 3);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(Utf8FromBstr(s), std::string("1\0002", 3));
    SysFreeString(s);

    BSTR zeroed = SysAllocStringLen(nullptr, 2);
    EXPECT_EQ(zeroed[0], 0);
    EXPECT_EQ(zeroed[2], 0);
    SysFreeString(zeroed);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(Utf8FromBstr(nullptr), "");
    SysFreeString(nullptr);
}

TEST(BstrTest, Utf8RoundTripsAndMalformedInputBecomesReplacementCharacters) {
    struct Case {
        std::string in;
        std::u16string wide;
        std::string back;
    };
    const Case cases[] = {
        {"", u"", ""},
        {"Входящий вызов", u"Входящий вызов", "Входящий вызов"},
        {"\xF0\x9F\x93\x9E", u"\U0001F4DE", "\xF0\x9F\x93\x9E"},
        {"a\xFF"
         "b",
         u"a\uFFFDb",
         "a\xEF\xBF\xBD"
         "b"},
        {"\xE2\x82", u"\uFFFD", "\xEF\xBF\xBD"},      // cut short
        {"\xC0\xAF", u"\uFFFD", "\xEF\xBF\xBD"},      // overlong
        {"\xED\xA0\x80", u"\uFFFD", "\xEF\xBF\xBD"},  // a surrogate
    };
    for (const Case& c : cases) {
        BSTR s = BstrFromUtf8(c.in);
        EXPECT_EQ(std::u16string(s, SysStringLen(s)), c.wide) << c.in;
        EXPECT_EQ(Utf8FromBstr(s), c.back) << c.in;
        SysFreeString(s);
    }
    // An unpaired surrogate in a BSTR becomes the replacement character in UTF-8.
    const char16_t lone[] = {0xD800, u'x'};
    BSTR s = SysAllocStringLen(lone, 2);
    EXPECT_EQ(Utf8FromBstr(s), "\xEF\xBF\xBDx");
    SysFreeString(s);
}

}  // namespace
}  // namespace fonerix::test
