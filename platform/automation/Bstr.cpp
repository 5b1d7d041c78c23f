#include "platform/automation/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace fonerix {

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);

uint32_t* Header(BSTR text) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(text) - kPrefix);
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | c >> 18));
        out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
    // The byte length must fit its uint32 prefix.
    if (length > (std::numeric_limits<uint32_t>::max() - kPrefix) / sizeof(OLECHAR) - 1) {
        return nullptr;
    }
    const size_t bytes = size_t{length} * sizeof(OLECHAR);
    auto* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) {
        return nullptr;
    }
    const auto byteLength = static_cast<uint32_t>(bytes);
    std::memcpy(block, &byteLength, kPrefix);
    auto* chars = reinterpret_cast<BSTR>(block + kPrefix);
    if (text != nullptr) {
        std::memcpy(chars, text, bytes);
    } else {
        std::memset(chars, 0, bytes);
    }
    chars[length] = 0;
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) {
        return nullptr;
    }
    return SysAllocStringLen(text, static_cast<uint32_t>(std::char_traits<char16_t>::length(text)));
}

void SysFreeString(BSTR text) {
    if (text != nullptr) {
        std::free(Header(text));
    }
}

uint32_t SysStringLen(BSTR text) {
    if (text == nullptr) {
        return 0;
    }
    uint32_t bytes = 0;
    std::memcpy(&bytes, Header(text), kPrefix);
    return bytes / sizeof(OLECHAR);
}

BSTR BstrFromUtf8(std::string_view utf8) {
    std::u16string wide;
    wide.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, c = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, c = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, c = lead & 0x07, minimum = 0x10000;
        } else {
            AppendUtf16(wide, kReplacement);
            ++i;
            continue;
        }
        size_t j = 1;
        for (; j <= static_cast<size_t>(extra); ++j) {
            if (i + j >= utf8.size() || (static_cast<unsigned char>(utf8[i + j]) & 0xC0) != 0x80) {
                break;
            }
            c = c << 6 | (static_cast<unsigned char>(utf8[i + j]) & 0x3F);
        }
        if (j <= static_cast<size_t>(extra) || c < minimum || c > 0x10FFFF ||
            (c >= 0xD800 && c <= 0xDFFF)) {
            AppendUtf16(wide, kReplacement);
            i += j;  // skip the lead and the continuation bytes that belonged to it
            continue;
        }
        AppendUtf16(wide, c);
        i += j;
    }
    return SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
}

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    const size_t length = text.size();
    for (size_t i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::string Utf8FromBstr(BSTR text) {
    return text == nullptr ? std::string() : Utf8FromUtf16({text, SysStringLen(text)});
}

}  // namespace fonerix
