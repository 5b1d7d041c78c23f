#include "platform/codepage/Utf8.h"

namespace platform {

Utf8Step DecodeUtf8(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) {
        return {};
    }
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {lead, 1, false};
    }
    if (pos + length > text.size()) {
        return {lead, 1, false};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return {lead, 1, false};
        }
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return {lead, 1, false};
    }
    return {value, length, true};
}

std::size_t Utf8MalformedLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t extra = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
    }
    std::size_t length = 1;
    while (length <= extra && pos + length < text.size() &&
           (static_cast<unsigned char>(text[pos + length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Step step = DecodeUtf8(text, pos);
        if (!step.valid) {
            return false;
        }
        pos += step.length;
    }
    return true;
}

std::size_t CountUtf8Characters(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        pos += DecodeUtf8(text, pos).length;
    }
    return count;
}

}  // namespace platform
