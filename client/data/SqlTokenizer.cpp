#include "client/data/SqlTokenizer.h"

#include <string>

namespace fonedesk {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Letters of any script arrive as UTF-8 bytes >= 0x80 and belong to words.
bool IsWordStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsWordPart(char c) {
    return IsWordStart(c) || IsDigit(c) || c == '$';
}

// End of a quoted run that starts at pos with quote; a doubled quote stays inside.
std::size_t QuotedEnd(std::string_view sql, std::size_t pos, char quote) {
    for (std::size_t i = pos + 1; i < sql.size(); ++i) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                ++i;
                continue;
            }
            return i + 1;
        }
    }
    return sql.size();
}

// A Jet date literal is short and lies on one line; a lone '#' is a plain symbol.
std::size_t DateLiteralEnd(std::string_view sql, std::size_t pos) {
    constexpr std::size_t kLongest = 40;
    for (std::size_t i = pos + 1; i < sql.size() && i - pos <= kLongest; ++i) {
        const char c = sql[i];
        if (c == '#') {
            return i + 1;
        }
        if (c == '\n' || c == '\'' || c == '"') {
            break;
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::vector<SqlToken> TokenizeSql(std::string_view sql) {
    std::vector<SqlToken> tokens;
    std::size_t pos = 0;
    const auto add = [&](SqlTokenKind kind, std::size_t end) {
        tokens.push_back({kind, sql.substr(pos, end - pos)});
        pos = end;
    };
    while (pos < sql.size()) {
        const char c = sql[pos];
        const char next = pos + 1 < sql.size() ? sql[pos + 1] : '\0';
        std::size_t end = pos + 1;
        if (IsSpace(c)) {
            while (end < sql.size() && IsSpace(sql[end])) {
                ++end;
            }
            add(SqlTokenKind::Space, end);
        } else if (c == '-' && next == '-') {
            end = sql.find('\n', pos);
            add(SqlTokenKind::Comment, end == std::string_view::npos ? sql.size() : end);
        } else if (c == '/' && next == '*') {
            end = sql.find("*/", pos + 2);
            add(SqlTokenKind::Comment, end == std::string_view::npos ? sql.size() : end + 2);
        } else if (c == '\'') {
            add(SqlTokenKind::String, QuotedEnd(sql, pos, '\''));
        } else if (c == '"') {
            add(SqlTokenKind::QuotedIdentifier, QuotedEnd(sql, pos, '"'));
        } else if (c == '[') {
            end = sql.find(']', pos);
            if (end == std::string_view::npos) {
                add(SqlTokenKind::Symbol, pos + 1);
            } else {
                add(SqlTokenKind::QuotedIdentifier, end + 1);
            }
        } else if (c == '#') {
            end = DateLiteralEnd(sql, pos);
            if (end == std::string_view::npos) {
                add(SqlTokenKind::Symbol, pos + 1);
            } else {
                add(SqlTokenKind::DateLiteral, end);
            }
        } else if (IsDigit(c) || (c == '.' && IsDigit(next))) {
            while (end < sql.size() && (IsDigit(sql[end]) || sql[end] == '.')) {
                ++end;
            }
            if (end < sql.size() && (sql[end] == 'e' || sql[end] == 'E')) {
                std::size_t exp = end + 1;
                if (exp < sql.size() && (sql[exp] == '+' || sql[exp] == '-')) {
                    ++exp;
                }
                if (exp < sql.size() && IsDigit(sql[exp])) {
                    end = exp;
                    while (end < sql.size() && IsDigit(sql[end])) {
                        ++end;
                    }
                }
            }
            add(SqlTokenKind::Number, end);
        } else if (IsWordStart(c)) {
            while (end < sql.size() && IsWordPart(sql[end])) {
                ++end;
            }
            add(SqlTokenKind::Word, end);
        } else {
            const bool pair = (c == '<' && (next == '=' || next == '>')) ||
                              (c == '>' && next == '=') || (c == '!' && next == '=');
            add(SqlTokenKind::Symbol, pair ? pos + 2 : pos + 1);
        }
    }
    return tokens;
}

std::string UnquoteSqlString(std::string_view token) {
    std::string value;
    if (token.empty()) {
        return value;
    }
    const char quote = token.front();
    std::size_t end = token.size();
    if (end >= 2 && token.back() == quote) {
        --end;
    }
    for (std::size_t i = 1; i < end; ++i) {
        value += token[i];
        if (token[i] == quote && i + 1 < end && token[i + 1] == quote) {
            ++i;
        }
    }
    return value;
}

std::string QuoteSqlString(std::string_view value) {
    std::string quoted = "'";
    for (const char c : value) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    quoted += '\'';
    return quoted;
}

}  // namespace fonedesk
