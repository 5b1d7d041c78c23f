#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fonedesk {

// A Jet LIKE pattern as the client writes it: '%' any run of characters, '_' one character,
// "[list]" one character of the list ("[!list]" one not in it; "a-z" a range; commas between
// members only separate them), anything else itself. Jet matches without regard to case.
//
// Translations that match exactly the same texts, letters in both cases:
// SQLite's GLOB pattern (for "GLOB") and a PostgreSQL regular expression (for "~").
// nullopt when the pattern is not valid UTF-8.
std::optional<std::string> JetLikeToGlob(std::string_view pattern);
std::optional<std::string> JetLikeToRegex(std::string_view pattern);

}  // namespace fonedesk
