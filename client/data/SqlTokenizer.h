#pragma once

#include <string_view>
#include <vector>

namespace fonedesk {

enum class SqlTokenKind {
    Space,    // blanks and line breaks
    Comment,  // -- to the end of the line, or /* ... */
    Word,     // keyword or plain identifier
    Number,
    String,            // '...' with '' for a quote inside; may be unterminated at the end
    QuotedIdentifier,  // "..." or Jet's [...]
    DateLiteral,       // Jet's #...#
    Symbol,            // one punctuation character, or a two-character comparison operator
};

struct SqlToken {
    SqlTokenKind kind;
    std::string_view text;  // a view into the statement; the tokens cover it without gaps
};

// Splits a statement into tokens. Never fails: any byte sequence yields tokens that, joined,
// give the statement back unchanged.
std::vector<SqlToken> TokenizeSql(std::string_view sql);

// The text of a string token without its quotes, with doubled quotes made single.
std::string UnquoteSqlString(std::string_view token);

// value between single quotes, a quote inside doubled.
std::string QuoteSqlString(std::string_view value);

}  // namespace fonedesk
