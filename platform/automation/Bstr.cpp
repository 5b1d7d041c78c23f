#include "platform/automation/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/codepage/Utf8.h"

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
    for (size_t i = 0; i < utf8.size();) {
        const platform::Utf8Step step = platform::DecodeUtf8(utf8, i);
        if (step.valid) {
            AppendUtf16(wide, step.codePoint);
            i += step.length;
        } else {
            AppendUtf16(wide, kReplacement);
            i += platform::Utf8MalformedLength(utf8, i);
        }
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
            platform::AppendUtf8(
                out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            platform::AppendUtf8(out, kReplacement);
        } else {
            platform::AppendUtf8(out, unit);
        }
    }
    return out;
}

std::string Utf8FromBstr(BSTR text) {
    return text == nullptr ? std::string() : Utf8FromUtf16({text, SysStringLen(text)});
}

}  // namespace fonerix
