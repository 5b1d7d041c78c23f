#include "tests/client/data/TestDatabase.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "client/data/DataSource.h"
#include "client/data/DbException.h"
#include "client/data/Recordset.h"
#include "tools/fndb-setup/DataSourceSetup.h"
#include "tools/fndb-setup/Schema.h"

// psqlODBC keeps the client encoding named by "SET client_encoding" (ConnSettings) in a few
// bytes it never frees, once per connection; the SQLite driver prints, and never frees, SQLite's
// error text for an extension that did not load. The leaks are the drivers', not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:psqlodbca.so\nleak:libsqlite3.so\n";
}

namespace fonedesk::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSqliteDsn = "FNDB";
constexpr const char* kPostgresDsn = "FNDB_PG";
constexpr const char* kPostgresVariable = "FONERIX_TEST_PG";

// "Servername=h;Port=p;Database=d;Username=u" into its parts.
fonedesk::setup::PostgresTarget ParsePostgresTarget(const std::string& text) {
    fonedesk::setup::PostgresTarget target;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(';', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string part = text.substr(pos, end - pos);
        const std::size_t eq = part.find('=');
        if (eq != std::string::npos) {
            const std::string key = part.substr(0, eq);
            const std::string value = part.substr(eq + 1);
            if (key == "Servername") {
                target.server = value;
            } else if (key == "Port") {
                target.port = value;
            } else if (key == "Database") {
                target.database = value;
            } else if (key == "Username") {
                target.user = value;
            } else if (key == "Password") {
                target.password = value;
            }
        }
        pos = end + 1;
    }
    return target;
}

class DropPostgresSchema : public ::testing::Environment {
  public:
    explicit DropPostgresSchema(std::string schema) : m_schema(std::move(schema)) {}
    void TearDown() override {
        CDatabase db;
        if (OpenDataSource(db, nullptr, std::string("ODBC;DSN=") + kPostgresDsn + ";")) {
            try {
                db.ExecuteSQL("DROP SCHEMA IF EXISTS " + m_schema + " CASCADE");
            } catch (const CDBException&) {
            }
        }
    }

  private:
    std::string m_schema;
};

class RemoveFolder : public ::testing::Environment {
  public:
    explicit RemoveFolder(std::string folder) : m_folder(std::move(folder)) {}
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }

  private:
    std::string m_folder;
};

}  // namespace

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

void PrintTo(Backend backend, std::ostream* out) {
    *out << (backend == Backend::SQLite ? "SQLite" : "PostgreSQL");
}

TestDataSources& TestDataSources::Instance() {
    static TestDataSources instance;
    return instance;
}

TestDataSources::TestDataSources() {
    char pattern[] = "/tmp/fonedesk-db-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::abort();
    }
    m_folder = pattern;
    ::testing::AddGlobalTestEnvironment(new RemoveFolder(m_folder));
    fonedesk::setup::UsePrivateOdbcConfiguration(m_folder);
    try {
        fonedesk::setup::SetupSqlite(kSqliteDsn, fonedesk::setup::DefaultDatabaseFile());
        m_sqliteReady = true;
    } catch (const fonedesk::setup::SetupError& e) {
        ADD_FAILURE() << "SQLite data source: " << e.what();
    }
}

void TestDataSources::PreparePostgres() {
    m_postgresTried = true;
    const char* server = std::getenv(kPostgresVariable);
    if (server == nullptr || server[0] == '\0') {
        m_postgresProblem = std::string("PostgreSQL backend not tested: no server given in ") +
                            kPostgresVariable + " (scripts/pg-test-server start prints one)";
        return;
    }
    fonedesk::setup::PostgresTarget target = ParsePostgresTarget(server);
    std::random_device random;
    target.schema = "t" + std::to_string(getpid()) + "_" + std::to_string(random() % 100000);
    try {
        fonedesk::setup::SetupPostgres(kPostgresDsn, target);
        m_postgresReady = true;
        ::testing::AddGlobalTestEnvironment(new DropPostgresSchema(target.schema));
    } catch (const fonedesk::setup::SetupError& e) {
        // A server was promised: failing to reach it is an error, not a reason to skip.
        ADD_FAILURE() << "PostgreSQL data source: " << e.what();
        m_postgresProblem = e.what();
    }
}

std::string TestDataSources::ConnectString(Backend backend) {
    if (backend == Backend::SQLite) {
        return m_sqliteReady ? std::string("ODBC;DSN=") + kSqliteDsn + ";" : std::string();
    }
    if (!m_postgresTried) {
        PreparePostgres();
    }
    return m_postgresReady ? std::string("ODBC;DSN=") + kPostgresDsn + ";" : std::string();
}

std::string TestDataSources::SkipReason(Backend backend) const {
    return backend == Backend::SQLite ? "the SQLite data source could not be set up"
                                      : m_postgresProblem;
}

std::string StatementRejectedQuoting(Backend backend, const std::string& text) {
    return backend == Backend::SQLite ? "SELECT * FROM \"" + text + "\""
                                      : "SELECT CAST('" + text + "' AS integer)";
}

void DatabaseTest::SetUp() {
    TestDataSources& sources = TestDataSources::Instance();
    const std::string connect = sources.ConnectString(GetParam());
    if (connect.empty()) {
        GTEST_SKIP() << sources.SkipReason(GetParam());
    }
    std::string message;
    ASSERT_TRUE(OpenDataSource(m_db, &message, connect)) << message;
    for (const char* table : {"phone_book", "in_data", "out_data"}) {
        Exec(std::string("DROP TABLE IF EXISTS ") + table);
    }
    fonedesk::setup::CreateSchema(m_db);
}

void DatabaseTest::Exec(const std::string& sql) {
    m_db.ExecuteSQL(sql);
}

std::vector<std::vector<std::string>> DatabaseTest::Query(const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    CRecordsetEx rs(m_db);
    rs.Open(sql);
    std::string value;
    while (!rs.IsEOF()) {
        std::vector<std::string> row;
        for (short i = 0; i < rs.GetFieldCount(); ++i) {
            rs.GetFieldValue(i, value);
            row.push_back(value);
        }
        rows.push_back(std::move(row));
        rs.MoveNext();
    }
    return rows;
}

std::vector<std::string> DatabaseTest::Column(const std::string& sql) {
    std::vector<std::string> values;
    for (auto& row : Query(sql)) {
        values.push_back(row.at(0));
    }
    return values;
}

long long DatabaseTest::Count(const std::string& table) {
    return std::stoll(Query("SELECT COUNT(*) FROM " + table).at(0).at(0));
}

}  // namespace fonedesk::test
