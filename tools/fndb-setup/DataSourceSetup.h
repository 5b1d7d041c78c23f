#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fonedesk::setup {

// A setup step that failed, with what to install or fix.
class SetupError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Driver names as the Debian packages register them in odbcinst.ini.
inline constexpr std::string_view kSqliteDriver = "SQLite3";
inline constexpr std::string_view kSqlitePackage = "libsqliteodbc";
// The ANSI driver passes text through unchanged; the connection pins the client encoding to
// UTF-8, so Cyrillic arrives the same whatever the locale of the program.
inline constexpr std::string_view kPostgresDriver = "PostgreSQL ANSI";
inline constexpr std::string_view kPostgresPackage = "odbc-postgresql";

// SQLite waits this long for a lock held by another program before it reports the database as
// busy; the driver's own default of 100 s would freeze the window.
inline constexpr int kSqliteBusyTimeoutMs = 5000;

struct PostgresTarget {
    std::string server = "localhost";
    std::string port = "5432";
    std::string database;
    std::string user;
    std::string password;  // empty: libpq's own sources (~/.pgpass, PGPASSWORD) apply
    std::string schema;    // empty: the user's default search path
};

// The ODBC drivers unixODBC knows, by name; and the same as odbcinst.ini text (name, description,
// driver and setup library), for a configuration of its own elsewhere (tests, a demo).
std::vector<std::string> InstalledDrivers();
std::string InstalledDriversAsIni();

// Points this process's ODBC configuration and home into dir, never the user's own: the
// folders home, data, config and odbc below it, odbcinst.ini there naming the installed drivers,
// an empty odbc.ini, and HOME, XDG_DATA_HOME, XDG_CONFIG_HOME, ODBCSYSINI and ODBCINI set to
// them. For tests and demos; call it before the first ODBC call that reads a data source.
void UsePrivateOdbcConfiguration(const std::filesystem::path& dir);

// The SQLite extension that gives the name columns their order (the collation of Schema.h):
// the places looked at, in order (the private library folder relative to the running program,
// as installed, then the build tree), and the first of them that exists. Throws SetupError
// naming the file and the places when there is none.
std::vector<std::filesystem::path> CollationExtensionCandidates();
// Where the extension is installed for a program installed at program.
std::filesystem::path CollationExtensionBeside(const std::filesystem::path& program);
std::filesystem::path FindCollationExtension(const std::vector<std::filesystem::path>& candidates);
std::filesystem::path CollationExtension();

// $XDG_DATA_HOME/fonedesk/fonedesk.db, or ~/.local/share/fonedesk/fonedesk.db.
std::filesystem::path DefaultDatabaseFile();

// The ODBC connect string of a data source, "DSN=name;".
std::string ConnectStringOf(std::string_view dsn);

// Writes the user data source dsn through unixODBC's installer API, replacing what it held.
// Throws SetupError when the driver is not installed (naming the package) or the file cannot
// be written. The SQLite source has the driver load the collation extension (by default the one
// CollationExtension finds) into every connection.
void WriteSqliteDataSource(std::string_view dsn, const std::filesystem::path& databaseFile);
void WriteSqliteDataSource(std::string_view dsn, const std::filesystem::path& databaseFile,
                           const std::filesystem::path& collationExtension);
void WritePostgresDataSource(std::string_view dsn, const PostgresTarget& target);

// The whole setup, idempotent: the new connection is tried (and the schema created through it)
// under a trial name first, and the data source dsn is written only when that worked, so a
// mistyped option never spoils a working entry. Throws SetupError with the driver's message and
// a hint when the connection is refused; dsn is then as it was. Tables made before the names had
// their order are upgraded with their rows (Schema.h); returns their names.
std::vector<std::string> SetupSqlite(std::string_view dsn,
                                     const std::filesystem::path& databaseFile);
// The same with the given collation extension; a file that is missing or that the driver does
// not load is a SetupError naming it.
std::vector<std::string> SetupSqlite(std::string_view dsn,
                                     const std::filesystem::path& databaseFile,
                                     const std::filesystem::path& collationExtension);
// With a password, the user's odbc.ini is made readable by its owner only before it is written.
std::vector<std::string> SetupPostgres(std::string_view dsn, const PostgresTarget& target);

// The user's odbc.ini: $ODBCINI, or ~/.odbc.ini.
std::filesystem::path UserOdbcIni();
// Creates the user's odbc.ini when missing and makes it readable and writable by its owner only.
void KeepUserOdbcIniPrivate();

// What a user data source names now; every field empty when it does not exist.
struct DataSourceEntry {
    std::string driver;
    std::string database;  // a file for SQLite, a database name for PostgreSQL
    std::string server;
    std::string port;
};
DataSourceEntry ReadDataSource(std::string_view dsn);

}  // namespace fonedesk::setup
