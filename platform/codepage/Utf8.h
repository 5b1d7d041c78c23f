#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// One step of UTF-8 decoding. A malformed or truncated sequence, an overlong form, a surrogate or
// a value above U+10FFFF decodes as one invalid byte, so that a caller can always make progress.
struct Utf8Step {
    char32_t codePoint = 0;
    std::size_t length = 0;  // bytes consumed, at least 1 unless the input was empty
    bool valid = false;
};

Utf8Step DecodeUtf8(std::string_view text, std::size_t pos);

// For text that does not decode at `pos`: the bytes that one replacement character stands for,
// the lead byte and the continuation bytes that belong to it (at least 1), so that a cut or
// overlong sequence becomes one U+FFFD, not one per byte.
std::size_t Utf8MalformedLength(std::string_view text, std::size_t pos);

void AppendUtf8(std::string& out, char32_t codePoint);

bool IsValidUtf8(std::string_view text);

// Characters, not bytes (each malformed byte counts as one): database columns are sized in
// characters on every backend.
std::size_t CountUtf8Characters(std::string_view text);

}  // namespace platform
