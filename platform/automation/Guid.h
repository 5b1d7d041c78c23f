#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace fonerix {

// A 128-bit identifier of an interface, a class or a type library, in the usual field layout.
struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
    friend constexpr auto operator<=>(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in either case, the braces optional; nullopt for
// anything else (surrounding blanks included).
constexpr std::optional<GUID> ParseGuid(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, 36);
    }
    if (text.size() != 36) {
        return std::nullopt;
    }
    uint8_t bytes[16] = {};
    size_t n = 0;
    for (size_t i = 0; i < 36; ++i) {
        const char c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-') {
                return std::nullopt;
            }
            continue;
        }
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        bytes[n / 2] = static_cast<uint8_t>(bytes[n / 2] << 4 | digit);
        ++n;
    }
    GUID g;
    g.Data1 =
        uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
    g.Data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    g.Data3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i) {
        g.Data4[i] = bytes[8 + i];
    }
    return g;
}

// For identifiers written in the source: a malformed literal does not compile.
consteval GUID MakeGuid(std::string_view text) {
    return ParseGuid(text).value();
}

// "{40076167-D69E-11D5-BC69-8691947227AD}": upper case, with braces, as the registry holds it.
std::string FormatGuid(const GUID& guid);

inline constexpr GUID GUID_NULL{};

}  // namespace fonerix

template <>
struct std::hash<fonerix::GUID> {
    size_t operator()(const fonerix::GUID& g) const noexcept {
        uint64_t a = uint64_t{g.Data1} << 32 | uint64_t{g.Data2} << 16 | g.Data3;
        uint64_t b = 0;
        for (uint8_t byte : g.Data4) {
            b = b << 8 | byte;
        }
        return std::hash<uint64_t>{}(a ^ (b * 0x9E3779B97F4A7C15ull));
    }
};
