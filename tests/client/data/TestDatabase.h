#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "client/data/Database.h"

namespace fonedesk::test {

enum class Backend { SQLite, PostgreSQL };

std::string BackendName(const ::testing::TestParamInfo<Backend>& info);
void PrintTo(Backend backend, std::ostream* out);

// The data source of a backend in this test process's private ODBC configuration. HOME, the XDG
// folders, ODBCINI and ODBCSYSINI point into a temporary folder before the first use, so no test
// ever touches the user's own data sources. The PostgreSQL source exists only when the variable
// FONERIX_TEST_PG names a server (scripts/pg-test-server start prints it); each test process
// gets a schema of its own there, dropped at exit.
class TestDataSources {
  public:
    static TestDataSources& Instance();

    // "ODBC;DSN=...;" of the backend, or empty when it is not available (see SkipReason).
    std::string ConnectString(Backend backend);
    std::string SkipReason(Backend backend) const;
    const std::string& Folder() const { return m_folder; }

  private:
    TestDataSources();
    void PreparePostgres();

    std::string m_folder;
    bool m_sqliteReady = false;
    bool m_postgresTried = false;
    bool m_postgresReady = false;
    std::string m_postgresProblem;
};

// A statement that the backend rejects with a message quoting text whole (a table name on
// SQLite, a value that is no number on PostgreSQL, which would cut a long name at 63 bytes).
std::string StatementRejectedQuoting(Backend backend, const std::string& text);

// Fresh, empty tables on each backend for every test.
class DatabaseTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override;

    // Runs a statement without a result set.
    void Exec(const std::string& sql);
    // Every row of a query as texts.
    std::vector<std::vector<std::string>> Query(const std::string& sql);
    // The first column of every row.
    std::vector<std::string> Column(const std::string& sql);
    long long Count(const std::string& table);

    CDatabase m_db;
};

}  // namespace fonedesk::test
