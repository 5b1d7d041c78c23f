#pragma once

#include <string>
#include <string_view>

namespace fonedesk {

// The other-case partner of a letter of the scripts the client meets (Latin, Latin-1 and
// Cyrillic, Ё/ё and the Ukrainian and Belarusian letters of Windows-1251 included); any other
// character is its own partner. Jet compares text without regard to case in every one of these.
char32_t OtherCase(char32_t codePoint);

// Column names compare without regard to case: PostgreSQL reports unquoted names in lower case.
bool SameColumnName(std::string_view a, std::string_view b);

}  // namespace fonedesk
