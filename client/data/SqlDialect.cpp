#include "client/data/SqlDialect.h"

#include <optional>
#include <vector>

#include "client/data/DbException.h"
#include "client/data/JetLike.h"
#include "client/data/LetterCase.h"
#include "client/data/SqlTokenizer.h"

namespace fonedesk {
namespace {

// The columns of the schema that hold a date and time.
constexpr std::string_view kDateTimeColumns[] = {"DT_CALL"};

bool IsDateTimeColumn(const SqlToken& token) {
    if (token.kind != SqlTokenKind::Word) {
        return false;
    }
    for (const std::string_view name : kDateTimeColumns) {
        if (SameColumnName(token.text, name)) {
            return true;
        }
    }
    return false;
}

bool IsWord(const SqlToken& token, std::string_view word) {
    return token.kind == SqlTokenKind::Word && SameColumnName(token.text, word);
}

bool IsSymbol(const SqlToken& token, std::string_view symbol) {
    return token.kind == SqlTokenKind::Symbol && token.text == symbol;
}

bool IsComparison(const SqlToken& token) {
    if (token.kind != SqlTokenKind::Symbol) {
        return false;
    }
    const std::string_view t = token.text;
    return t == "=" || t == "<" || t == ">" || t == "<=" || t == ">=" || t == "<>" || t == "!=";
}

class Rewriter {
  public:
    Rewriter(std::string_view sql, SqlDialect dialect, const CivilDate& today)
        : m_dialect(dialect), m_today(today), m_tokens(TokenizeSql(sql)) {
        m_replacement.resize(m_tokens.size());
        for (std::size_t i = 0; i < m_tokens.size(); ++i) {
            if (m_tokens[i].kind != SqlTokenKind::Space &&
                m_tokens[i].kind != SqlTokenKind::Comment) {
                m_significant.push_back(i);
            }
        }
    }

    std::string Run() {
        for (std::size_t k = 0; k < m_significant.size(); ++k) {
            const SqlToken& token = At(k);
            if (token.kind == SqlTokenKind::DateLiteral) {
                RewriteDateLiteral(k);
            } else if (IsWord(token, "LIKE")) {
                RewriteLike(k);
            } else if (IsWord(token, "INSERT")) {
                RewriteInsertValues(k);
            } else if (IsDateTimeColumn(token) && k + 2 < m_significant.size() &&
                       IsComparison(At(k + 1)) && At(k + 2).kind == SqlTokenKind::String) {
                RewriteDateText(k + 2);
            }
        }
        std::string out;
        for (std::size_t i = 0; i < m_tokens.size(); ++i) {
            out += m_replacement[i] ? *m_replacement[i] : std::string(m_tokens[i].text);
        }
        return out;
    }

  private:
    const SqlToken& At(std::size_t k) const { return m_tokens[m_significant[k]]; }
    void Replace(std::size_t k, std::string text) {
        m_replacement[m_significant[k]] = std::move(text);
    }

    std::string TimestampLiteral(const DateTimeValue& value) const {
        const std::string quoted = "'" + value.Iso() + "'";
        return m_dialect == SqlDialect::PostgreSQL ? "TIMESTAMP " + quoted : quoted;
    }

    void RewriteDateLiteral(std::size_t k) {
        const std::string_view text = At(k).text;
        const auto value = ParseJetDateLiteral(text.substr(1, text.size() - 2));
        if (!value) {
            throw CDBException("Invalid date literal " + std::string(text) +
                               ": expected #year/month/day hours:minutes:seconds#");
        }
        Replace(k, TimestampLiteral(*value));
    }

    void RewriteDateText(std::size_t k) {
        if (m_replacement[m_significant[k]]) {
            return;
        }
        const std::string text = UnquoteSqlString(At(k).text);
        DateTextProblem problem = DateTextProblem::None;
        const auto value = ParseDateTimeText(text, m_today, &problem);
        if (!value) {
            // The standard SQLSTATEs let a caller tell a day that does not exist from a text
            // that is no date at all without reading the message.
            const std::string start = "Cannot convert '" + text + "' to a date and time: ";
            switch (problem) {
                case DateTextProblem::NoSuchDay:
                    throw CDBException(start + "that day does not exist", kNoSuchDateState);
                case DateTextProblem::NoSuchTime:
                    throw CDBException(start + "that time of day does not exist", kNoSuchDateState);
                default:
                    throw CDBException(start + "expected dd-mm-yy hh:mm", kDateFormatState);
            }
        }
        Replace(k, TimestampLiteral(*value));
    }

    // "x [NOT] LIKE 'pattern'" without an ESCAPE clause, which Jet does not have.
    void RewriteLike(std::size_t k) {
        if (k + 1 >= m_significant.size() || At(k + 1).kind != SqlTokenKind::String) {
            return;
        }
        if (k + 2 < m_significant.size() && IsWord(At(k + 2), "ESCAPE")) {
            return;
        }
        const std::string pattern = UnquoteSqlString(At(k + 1).text);
        const bool negated = k > 0 && IsWord(At(k - 1), "NOT");
        if (m_dialect == SqlDialect::SQLite) {
            if (const auto glob = JetLikeToGlob(pattern)) {
                Replace(k, "GLOB");
                Replace(k + 1, QuoteSqlString(*glob));
            }
        } else if (m_dialect == SqlDialect::PostgreSQL) {
            if (const auto regex = JetLikeToRegex(pattern)) {
                if (negated) {
                    Replace(k - 1, "");
                }
                Replace(k, negated ? "!~" : "~");
                Replace(k + 1, QuoteSqlString(*regex));
            }
        }
    }

    // INSERT INTO t (c1, c2, ...) VALUES (v1, v2, ...): a text value in a date-time column.
    void RewriteInsertValues(std::size_t k) {
        std::size_t open = k + 1;
        while (open < m_significant.size() && !IsSymbol(At(open), "(")) {
            if (IsWord(At(open), "VALUES") || IsWord(At(open), "SELECT")) {
                return;
            }
            ++open;
        }
        std::vector<bool> dateColumns;
        std::size_t i = open + 1;
        for (; i < m_significant.size() && !IsSymbol(At(i), ")"); ++i) {
            if (IsSymbol(At(i), ",")) {
                continue;
            }
            dateColumns.push_back(IsDateTimeColumn(At(i)));
        }
        if (i + 2 >= m_significant.size() || !IsWord(At(i + 1), "VALUES") ||
            !IsSymbol(At(i + 2), "(")) {
            return;
        }
        // One value per column; a value that is more than one token (an expression) is left.
        std::size_t column = 0;
        int depth = 0;
        std::size_t valueStart = i + 3;
        for (std::size_t v = i + 3; v < m_significant.size(); ++v) {
            const SqlToken& token = At(v);
            if (IsSymbol(token, "(")) {
                ++depth;
            } else if (IsSymbol(token, ")") && depth > 0) {
                --depth;
            } else if (depth == 0 && (IsSymbol(token, ",") || IsSymbol(token, ")"))) {
                if (v == valueStart + 1 && column < dateColumns.size() && dateColumns[column] &&
                    At(valueStart).kind == SqlTokenKind::String) {
                    RewriteDateText(valueStart);
                }
                ++column;
                valueStart = v + 1;
                if (IsSymbol(token, ")")) {
                    return;
                }
            }
        }
    }

    SqlDialect m_dialect;
    CivilDate m_today;
    std::vector<SqlToken> m_tokens;
    std::vector<std::size_t> m_significant;
    std::vector<std::optional<std::string>> m_replacement;
};

}  // namespace

SqlDialect DialectOfDbms(std::string_view dbmsName) {
    if (SameColumnName(dbmsName, "SQLite")) {
        return SqlDialect::SQLite;
    }
    if (SameColumnName(dbmsName, "PostgreSQL")) {
        return SqlDialect::PostgreSQL;
    }
    return SqlDialect::Jet;
}

std::string RewriteJetStatement(std::string_view sql, SqlDialect dialect, const CivilDate& today) {
    if (dialect == SqlDialect::Jet) {
        return std::string(sql);
    }
    return Rewriter(sql, dialect, today).Run();
}

}  // namespace fonedesk
