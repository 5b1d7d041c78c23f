#pragma once

#include <string>
#include <string_view>

namespace platform {

// Windows-1251, the single-byte code page of the files that cross the program's boundary
// (phone-book import and export, phone-reference files). Inside the program text is UTF-8.

// The Unicode character of one byte. Every one of the 256 values maps to a distinct character;
// 0x98, which the code page leaves undefined, maps to U+0098 so that any file reads back unchanged.
char32_t Cp1251ToUnicode(unsigned char byte);

// The byte of a character, or false when the code page has no such character.
bool UnicodeToCp1251(char32_t codePoint, unsigned char& byte);

std::string Cp1251ToUtf8(std::string_view bytes);

// Characters the code page lacks, and malformed UTF-8 bytes, become the replacement byte.
std::string Utf8ToCp1251(std::string_view utf8, char replacement = '?');

}  // namespace platform
