#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "client/data/database.h"
#include "client/data/odbc_handle.h"

namespace fonedesk {

// Runs the statements of one bulk operation (text import, reading the device's logs or phone
// book) in transactions of many statements instead of one commit each, with the same outcome for
// every statement as in automatic commit: each runs under a savepoint, so a failing statement
// (a duplicate number, say) is undone alone and the others stay, on every backend. Without the
// savepoint PostgreSQL would abort the whole transaction at the first failure.
//
// What has run is committed every statementsPerTransaction statements, by Commit, and when the
// writer is destroyed, also during unwinding, since each statement counts as done once it has run.
class CBulkWriter {
  public:
    explicit CBulkWriter(CDatabase& db, std::size_t statementsPerTransaction = 1000);
    ~CBulkWriter();
    CBulkWriter(const CBulkWriter&) = delete;
    CBulkWriter& operator=(const CBulkWriter&) = delete;

    // Runs a statement without a result set. Throws CDBException when the database rejects it;
    // the statement is then undone and the writer goes on with the next.
    void Execute(std::string_view sql);
    // The same, with the rejection as false and its text in *error.
    bool TryExecute(std::string_view sql, std::string* error = nullptr);

    // Runs work (statements on the same connection, reads included) as one unit under a
    // savepoint: when it throws, its changes are undone and the exception passes on.
    template <typename Work>
    void Protect(Work&& work) {
        BeginUnit();
        try {
            work();
        } catch (...) {
            UndoUnit();
            throw;
        }
        EndUnit();
    }

    void Commit();

  private:
    void BeginUnit();
    void EndUnit();
    void UndoUnit() noexcept;
    void Control(const char* sql);

    CDatabase& m_db;
    std::size_t m_perTransaction;
    std::size_t m_pending = 0;
    bool m_savepoints;
    StmtHandle m_control;
};

}  // namespace fonedesk
