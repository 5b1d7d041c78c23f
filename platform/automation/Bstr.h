#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fonerix {

// An automation string: UTF-16 characters preceded by their length in bytes (a uint32 just
// before the first character) and followed by a terminating zero. The pointer is to the first
// character, so a BSTR reads as a zero-terminated UTF-16 string. A null BSTR is the empty string.
using OLECHAR = char16_t;
using BSTR = OLECHAR*;

// A new string with the characters of `text` up to its terminating zero; null for a null text.
BSTR SysAllocString(const OLECHAR* text);
// A new string of `length` characters copied from `text`, or left zero when `text` is null.
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
// Frees a string from the functions above; a null string is ignored.
void SysFreeString(BSTR text);
// Characters in the string (its stored length, not a search for the zero); 0 for null.
uint32_t SysStringLen(BSTR text);

// UTF-8 <-> BSTR. Malformed UTF-8 becomes U+FFFD per bad sequence; an unpaired surrogate in a
// BSTR becomes U+FFFD in UTF-8.
BSTR BstrFromUtf8(std::string_view utf8);
std::string Utf8FromBstr(BSTR text);
// The same for UTF-16 text that is no BSTR (a path, a name).
std::string Utf8FromUtf16(std::u16string_view text);

}  // namespace fonerix
