#include "client/data/LetterCase.h"

#include "platform/codepage/Utf8.h"

namespace fonedesk {

char32_t OtherCase(char32_t c) {
    if (c >= 'A' && c <= 'Z') {
        return c + 32;
    }
    if (c >= 'a' && c <= 'z') {
        return c - 32;
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return c + 32;
    }
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
        return c - 32;
    }
    if (c >= 0x0400 && c <= 0x040F) {
        return c + 80;
    }
    if (c >= 0x0450 && c <= 0x045F) {
        return c - 80;
    }
    if (c >= 0x0410 && c <= 0x042F) {
        return c + 32;
    }
    if (c >= 0x0430 && c <= 0x044F) {
        return c - 32;
    }
    if (c == 0x0490 || c == 0x0491) {
        return c ^ 1;
    }
    return c;
}

bool SameColumnName(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const platform::Utf8Step x = platform::DecodeUtf8(a, i);
        const platform::Utf8Step y = platform::DecodeUtf8(b, j);
        if (x.valid != y.valid ||
            (x.codePoint != y.codePoint && OtherCase(x.codePoint) != y.codePoint)) {
            return false;
        }
        i += x.length;
        j += y.length;
    }
    return i == a.size() && j == b.size();
}

}  // namespace fonedesk
