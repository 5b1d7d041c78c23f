// fndb-setup: creates the user data source FNDB of Fonedesk and its tables. Safe to run again:
// the data source is rewritten and the tables are created only when missing.

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

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
                 fndb::DefaultDatabaseFile().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::string dsn(fonedesk::kDataSourceName);
    bool postgres = false;
    std::string sqliteFile;
    fndb::PostgresTarget pg;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            const auto value = [&]() -> std::string {
                if (i + 1 >= argc) {
                    throw fndb::SetupError("The option " + std::string(arg) + " needs a value");
                }
                return argv[++i];
            };
            if (arg == "--help" || arg == "-h") {
                Usage(stdout);
                return 0;
            } else if (arg == "--dsn") {
                dsn = value();
            } else if (arg == "--sqlite") {
                if (i + 1 < argc && argv[i + 1][0] != '-') {
                    sqliteFile = argv[++i];
                }
            } else if (arg == "--postgres") {
                postgres = true;
            } else if (arg == "--pg-host") {
                pg.server = value();
            } else if (arg == "--pg-port") {
                pg.port = value();
            } else if (arg == "--pg-database") {
                pg.database = value();
            } else if (arg == "--pg-user") {
                pg.user = value();
            } else if (arg == "--pg-password") {
                pg.password = value();
            } else if (arg == "--pg-schema") {
                pg.schema = value();
            } else {
                std::fprintf(stderr, "fndb-setup: unknown option %s\n\n", argv[i]);
                Usage(stderr);
                return 2;
            }
        }
        if (postgres) {
            fndb::SetupPostgres(dsn, pg);
            std::printf("Data source %s: PostgreSQL database %s on %s:%s, tables ready.\n",
                        dsn.c_str(), pg.database.c_str(), pg.server.c_str(), pg.port.c_str());
        } else {
            const std::filesystem::path file = sqliteFile.empty()
                                                   ? fndb::DefaultDatabaseFile()
                                                   : std::filesystem::path(sqliteFile);
            fndb::SetupSqlite(dsn, file);
            std::printf("Data source %s: SQLite database %s, tables ready.\n", dsn.c_str(),
                        std::filesystem::absolute(file).c_str());
        }
        return 0;
    } catch (const fndb::SetupError& e) {
        std::fprintf(stderr, "fndb-setup: %s\n", e.what());
        return 1;
    }
}
