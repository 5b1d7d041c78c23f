#include "client/data/BulkWriter.h"

#include <sqlext.h>

#include <charconv>

#include "client/data/DbException.h"
#include "client/data/LetterCase.h"
#include "client/data/Recordset.h"
#include "client/data/SqlTokenizer.h"

namespace fonedesk {
namespace {

constexpr std::size_t kMostValues = 200;

bool StartsWithInsert(std::string_view sql) {
    const std::size_t start = sql.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && sql.size() - start > 7 &&
           SameColumnName(sql.substr(start, 6), "INSERT") &&
           (sql[start + 6] == ' ' || sql[start + 6] == '\t' || sql[start + 6] == '\n' ||
            sql[start + 6] == '\r');
}

bool IsSymbol(const SqlToken* token, char c) {
    return token != nullptr && token->kind == SqlTokenKind::Symbol && token->text.size() == 1 &&
           token->text[0] == c;
}

}  // namespace

CBulkWriter::CBulkWriter(CDatabase& db, std::size_t statementsPerTransaction,
                         std::chrono::milliseconds longestTransaction, Clock clock)
    : m_db(db),
      m_perTransaction(statementsPerTransaction == 0 ? 1 : statementsPerTransaction),
      m_longest(longestTransaction),
      m_clock(clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now)) {
    m_db.SetAutoCommit(false);
}

CBulkWriter::~CBulkWriter() {
    try {
        Commit();
    } catch (const CDBException&) {
        // Nothing can be reported while the writer goes away; what was committed before stays.
    }
    try {
        m_db.SetAutoCommit(true);
    } catch (const CDBException&) {
    }
}

void CBulkWriter::Execute(std::string_view sql) {
    if (m_pending == 0) {
        m_began = m_clock();
    }
    try {
        if (!ExecutePrepared(sql)) {
            CRecordsetEx rs(m_db);
            rs.Open(sql);
        }
    } catch (const CDBException&) {
        Counted();  // a rejected statement holds the transaction open as long as any other
        throw;
    }
    Counted();
}

// Only the values of the VALUES list qualify, each standing alone between "(" or "," and ","
// or ")": a text that is part of something else (x'0A', a unary minus before a number, a cast)
// stays in the text. A statement with anything the driver could read as a parameter marker of
// its own, a comment or a second statement after a semicolon is not touched at all.
bool CBulkWriter::Parameterize(std::string_view adapted, Parameterized& out) {
    const std::vector<SqlToken> all = TokenizeSql(adapted);
    std::vector<const SqlToken*> tokens;
    for (const SqlToken& token : all) {
        if (token.kind == SqlTokenKind::Comment) {
            return false;
        }
        if (token.kind == SqlTokenKind::Symbol &&
            token.text.find_first_of("?:@$;") != std::string_view::npos) {
            return false;
        }
        if (token.kind != SqlTokenKind::Space) {
            tokens.push_back(&token);
        }
    }
    out.text.clear();
    out.texts.clear();
    out.numbers.clear();
    out.isNumber.clear();
    bool inValues = false;
    const SqlToken* last = nullptr;
    std::size_t markers = 0;
    for (std::size_t i = 0, t = 0; i < all.size(); ++i) {
        const SqlToken& token = all[i];
        if (token.kind == SqlTokenKind::Space) {
            out.text += token.text;
            continue;
        }
        const SqlToken* next = t + 1 < tokens.size() ? tokens[t + 1] : nullptr;
        ++t;
        const bool alone = inValues && (IsSymbol(last, '(') || IsSymbol(last, ',')) &&
                           (IsSymbol(next, ',') || IsSymbol(next, ')'));
        last = &token;
        if (token.kind == SqlTokenKind::Word && SameColumnName(token.text, "VALUES")) {
            inValues = true;
        }
        if (alone && token.kind == SqlTokenKind::String) {
            if (token.text.size() < 2 || token.text.back() != '\'') {
                return false;  // unterminated: the driver is to say so
            }
            out.texts.push_back(UnquoteSqlString(token.text));
            out.isNumber.push_back(false);
        } else if (alone && token.kind == SqlTokenKind::Number) {
            long long number = 0;
            const auto* end = token.text.data() + token.text.size();
            const auto [ptr, ec] = std::from_chars(token.text.data(), end, number);
            if (ec != std::errc() || ptr != end) {
                return false;  // a decimal or a number too large: as the text says
            }
            out.numbers.push_back(number);
            out.isNumber.push_back(true);
        } else {
            out.text += token.text;
            continue;
        }
        out.text += '?';
        if (++markers > kMostValues) {
            return false;
        }
    }
    return markers > 0;
}

bool CBulkWriter::ExecutePrepared(std::string_view sql) {
    if (m_db.Dialect() != SqlDialect::SQLite || !StartsWithInsert(sql)) {
        return false;
    }
    if (!Parameterize(m_db.AdaptStatement(sql), m_values)) {
        return false;
    }
    if (!m_prepared || m_preparedText != m_values.text) {
        m_preparedText.clear();
        CheckOdbc(SQLAllocHandle(SQL_HANDLE_STMT, m_db.Handle(), m_prepared.Receive()),
                  SQL_HANDLE_DBC, m_db.Handle(), "Allocating a statement");
        CheckOdbc(SQLSetStmtAttr(m_prepared.Get(), SQL_ATTR_QUERY_TIMEOUT,
                                 reinterpret_cast<SQLPOINTER>(m_db.QueryTimeout()), 0),
                  SQL_HANDLE_STMT, m_prepared.Get(), "Setting the query time-out");
        const SQLRETURN rc = UntilDone([&] {
            return SQLPrepare(m_prepared.Get(), reinterpret_cast<SQLCHAR*>(m_values.text.data()),
                              static_cast<SQLINTEGER>(m_values.text.size()));
        });
        if (!SQL_SUCCEEDED(rc)) {
            std::string state;
            std::string error = DiagnosticText(SQL_HANDLE_STMT, m_prepared.Get(), rc, &state);
            m_prepared.Reset();
            throw CDBException(std::move(error), std::move(state));
        }
        m_preparedText = m_values.text;
    }
    const SQLHSTMT stmt = m_prepared.Get();
    m_values.lengths.assign(m_values.isNumber.size(), 0);
    for (std::size_t i = 0, text = 0, number = 0; i < m_values.isNumber.size(); ++i) {
        const auto marker = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN rc;
        if (m_values.isNumber[i]) {
            rc = SQLBindParameter(stmt, marker, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  &m_values.numbers[number++], 0, nullptr);
        } else {
            std::string& value = m_values.texts[text++];
            m_values.lengths[i] = static_cast<SQLLEN>(value.size());
            rc = SQLBindParameter(stmt, marker, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                  std::max<SQLULEN>(value.size(), 1), 0, value.data(),
                                  static_cast<SQLLEN>(value.size()), &m_values.lengths[i]);
        }
        CheckOdbc(rc, SQL_HANDLE_STMT, stmt, "Binding a value");
    }
    const SQLRETURN rc = UntilDone([&] { return SQLExecute(stmt); });
    if (rc != SQL_NO_DATA && !SQL_SUCCEEDED(rc)) {
        std::string state;
        std::string error = DiagnosticText(SQL_HANDLE_STMT, stmt, rc, &state);
        SQLFreeStmt(stmt, SQL_CLOSE);
        throw CDBException(std::move(error), std::move(state));
    }
    // No close after a success: SQLite's driver would drop its prepared statement with it, and
    // the next execution resets it anyway.
    return true;
}

bool CBulkWriter::TryExecute(std::string_view sql, std::string* error) {
    try {
        Execute(sql);
        return true;
    } catch (const CDBException& e) {
        if (error != nullptr) {
            *error = e.Error();
        }
        return false;
    }
}

void CBulkWriter::Counted() {
    if (++m_pending >= m_perTransaction || m_clock() - m_began >= m_longest) {
        Commit();
    }
}

// The prepared statement goes with the transaction: the connection may be closed between two
// of them, and a handle must not outlive it.
void CBulkWriter::Commit() {
    m_prepared.Reset();
    m_preparedText.clear();
    if (m_db.IsOpen() && !m_db.AutoCommit()) {
        m_db.CommitTrans();
    }
    m_pending = 0;
}

}  // namespace fonedesk
