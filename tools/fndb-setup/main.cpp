// fndb-setup: creates the user data source FNDB of Fonedesk and its tables. Safe to run again:
// the data source is rewritten and the tables are created only when missing.

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "client/data/DataSource.h"
#include "tools/fndb-setup/DataSourceSetup.h"

namespace {

void Usage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: fndb-setup [--dsn NAME] [--sqlite [FILE]]\n"
                 "       fndb-setup [--dsn NAME] --postgres --pg-database DB [--pg-host HOST]\n"
                 "                  [--pg-port PORT] [--pg-user USER] [--pg-password PASSWORD]\n"
                 "                  [--pg-schema SCHEMA]\n"
                 "\n"
                 "Creates the user ODBC data source (default FNDB) that Fonedesk opens, and the\n"
                 "tables phone_book, in_data and out_data.\n"
                 "  --sqlite [FILE]  SQLite database in FILE (default %s); the default backend\n"
                 "  --postgres       a PostgreSQL database shared by several PCs (psqlODBC)\n"
                 "  --pg-password    better left out: libpq then reads ~/.pgpass\n",
                 fonedesk::setup::DefaultDatabaseFile().c_str());
}

}  // namespace

// psqlODBC keeps the client encoding named by "SET client_encoding" (ConnSettings) in a few
// bytes it never frees, once per connection; in a sanitizer build the leak is the driver's.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:psqlodbca.so\n";
}

int main(int argc, char** argv) {
    std::string dsn(fonedesk::kDataSourceName);
    bool postgres = false;
    std::string sqliteFile;
    fonedesk::setup::PostgresTarget pg;
    bool postgresOptionSeen = false;
    bool sqliteSeen = false;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            const auto value = [&]() -> std::string {
                if (i + 1 >= argc) {
                    throw fonedesk::setup::SetupError("The option " + std::string(arg) +
                                                      " needs a value");
                }
                return argv[++i];
            };
            if (arg == "--help" || arg == "-h") {
                Usage(stdout);
                return 0;
            } else if (arg == "--dsn") {
                dsn = value();
            } else if (arg == "--sqlite") {
                sqliteSeen = true;
                if (i + 1 < argc && argv[i + 1][0] != '-') {
                    sqliteFile = argv[++i];
                }
            } else if (arg == "--postgres") {
                postgres = true;
            } else if (arg == "--pg-host") {
                postgresOptionSeen = true;
                pg.server = value();
            } else if (arg == "--pg-port") {
                postgresOptionSeen = true;
                pg.port = value();
            } else if (arg == "--pg-database") {
                postgresOptionSeen = true;
                pg.database = value();
            } else if (arg == "--pg-user") {
                postgresOptionSeen = true;
                pg.user = value();
            } else if (arg == "--pg-password") {
                postgresOptionSeen = true;
                pg.password = value();
            } else if (arg == "--pg-schema") {
                postgresOptionSeen = true;
                pg.schema = value();
            } else {
                std::fprintf(stderr, "fndb-setup: unknown option %s\n\n", argv[i]);
                Usage(stderr);
                return 2;
            }
        }
        if (postgresOptionSeen && !postgres) {
            std::fprintf(stderr, "fndb-setup: the --pg-* options need --postgres\n\n");
            Usage(stderr);
            return 2;
        }
        if (postgres && sqliteSeen) {
            std::fprintf(stderr, "fndb-setup: choose either --sqlite or --postgres\n\n");
            Usage(stderr);
            return 2;
        }
        const fonedesk::setup::DataSourceEntry before = fonedesk::setup::ReadDataSource(dsn);
        std::string now;
        std::vector<std::string> upgraded;
        if (postgres) {
            upgraded = fonedesk::setup::SetupPostgres(dsn, pg);
            std::printf("Data source %s: PostgreSQL database %s on %s:%s, tables ready.\n",
                        dsn.c_str(), pg.database.c_str(), pg.server.c_str(), pg.port.c_str());
            if (!pg.password.empty()) {
                std::printf(
                    "The password is kept in %s, readable by you only. Better: put it in "
                    "~/.pgpass (mode 600) and leave --pg-password out.\n",
                    fonedesk::setup::UserOdbcIni().c_str());
            }
            now = pg.database + "@" + pg.server + ":" + pg.port;
        } else {
            const std::filesystem::path file = std::filesystem::absolute(
                sqliteFile.empty() ? fonedesk::setup::DefaultDatabaseFile()
                                   : std::filesystem::path(sqliteFile));
            upgraded = fonedesk::setup::SetupSqlite(dsn, file);
            std::printf("Data source %s: SQLite database %s, tables ready.\n", dsn.c_str(),
                        file.c_str());
            now = file.string();
        }
        for (const std::string& table : upgraded) {
            std::printf("The table %s now sorts names as in Russian (its rows were kept).\n",
                        table.c_str());
        }
        // Another database than before: say that its rows stay where they are.
        if (!before.driver.empty()) {
            const bool wasPostgres = !before.server.empty();
            const std::string was = wasPostgres
                                        ? before.database + "@" + before.server + ":" + before.port
                                        : before.database;
            if (was != now) {
                std::printf(wasPostgres
                                ? "%s named the PostgreSQL database %s before. Nothing was copied "
                                  "from it; its tables stay on that server.\n"
                                : "%s named the SQLite database %s before. Nothing was copied "
                                  "from it; the file stays where it is.\n",
                            dsn.c_str(), was.c_str());
            }
        }
        return 0;
    } catch (const fonedesk::setup::SetupError& e) {
        std::fprintf(stderr, "fndb-setup: %s\n", e.what());
        return 1;
    }
}
