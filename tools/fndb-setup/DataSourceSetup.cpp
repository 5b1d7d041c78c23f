#include "tools/fndb-setup/DataSourceSetup.h"

#include <fcntl.h>
#include <odbcinst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "client/data/Database.h"
#include "client/data/DbException.h"
#include "client/data/Recordset.h"
#include "platform/xdg/XdgDirectories.h"
#include "tools/fndb-setup/Schema.h"

namespace fonedesk::setup {
namespace {

std::string InstallerErrorText() {
    std::string text;
    for (WORD i = 1; i <= 8; ++i) {
        DWORD code = 0;
        char message[SQL_MAX_MESSAGE_LENGTH] = {};
        WORD length = 0;
        if (!SQL_SUCCEEDED(SQLInstallerError(i, &code, message, sizeof message, &length))) {
            break;
        }
        if (!text.empty()) {
            text += "; ";
        }
        text += message;
    }
    return text.empty() ? "unixODBC gave no reason" : text;
}

bool DriverInstalled(std::string_view driver) {
    for (const std::string& name : InstalledDrivers()) {
        if (driver == name) {
            return true;
        }
    }
    return false;
}

void RequireDriver(std::string_view driver, std::string_view package) {
    if (!DriverInstalled(driver)) {
        throw SetupError("The ODBC driver \"" + std::string(driver) +
                         "\" is not installed: install the Debian package " + std::string(package) +
                         " (apt-get install " + std::string(package) + ")");
    }
}

// The user's own odbc.ini ($ODBCINI or ~/.odbc.ini), never the system-wide one.
class UserConfigMode {
  public:
    UserConfigMode() {
        SQLGetConfigMode(&m_previous);
        SQLSetConfigMode(ODBC_USER_DSN);
    }
    ~UserConfigMode() { SQLSetConfigMode(m_previous); }
    UserConfigMode(const UserConfigMode&) = delete;
    UserConfigMode& operator=(const UserConfigMode&) = delete;

  private:
    UWORD m_previous = ODBC_BOTH_DSN;
};

void WriteKey(std::string_view dsn, const char* key, const std::string& value) {
    if (!SQLWritePrivateProfileString(std::string(dsn).c_str(), key, value.c_str(), "odbc.ini")) {
        throw SetupError("Cannot write " + std::string(key) + " of the data source " +
                         std::string(dsn) + ": " + InstallerErrorText());
    }
}

void WriteDataSource(std::string_view dsn, std::string_view driver) {
    if (!SQLWriteDSNToIni(std::string(dsn).c_str(), std::string(driver).c_str())) {
        throw SetupError("Cannot write the data source " + std::string(dsn) +
                         " to the user's odbc.ini: " + InstallerErrorText());
    }
}

// The SQLite driver reports an extension it could not load on its standard error only and
// connects all the same; the first statement on a name column would then fail.
void RequireCollation(fonedesk::CDatabase& db, const std::filesystem::path& extension) {
    try {
        fonedesk::CRecordsetEx rs(db);
        rs.Open("SELECT 'a' < 'b' COLLATE " + std::string(kNameCollation));
    } catch (const fonedesk::CDBException& e) {
        throw SetupError("The SQLite ODBC driver did not load " + extension.string() +
                         ", the extension that gives names their order (" + e.Error() +
                         "): reinstall Fonedesk, or build the target fonedesk_collation");
    }
}

// Connects through the trial entry; the message names the data source being set up.
std::vector<std::string> CreateSchemaThrough(std::string_view trial, std::string_view dsn,
                                             const std::string& hint,
                                             const std::filesystem::path& extension = {}) {
    fonedesk::CDatabase db;
    try {
        db.OpenEx(ConnectStringOf(trial));
        if (!extension.empty()) {
            RequireCollation(db, extension);
        }
        return fonedesk::setup::CreateSchema(db);
    } catch (const fonedesk::CDBException& e) {
        throw SetupError("The new settings of the data source " + std::string(dsn) +
                         " do not work (it was left as it was): " + e.Error() + "\n" + hint);
    }
}

}  // namespace

std::vector<std::string> InstalledDrivers() {
    std::vector<std::string> names;
    std::vector<char> list(32 * 1024);
    WORD used = 0;
    if (!SQLGetInstalledDrivers(list.data(), static_cast<WORD>(list.size()), &used)) {
        return names;
    }
    for (const char* name = list.data(); *name != '\0'; name += std::string_view(name).size() + 1) {
        names.emplace_back(name);
    }
    return names;
}

std::string InstalledDriversAsIni() {
    std::string text;
    for (const std::string& name : InstalledDrivers()) {
        text += "[" + name + "]\n";
        for (const char* key : {"Description", "Driver", "Setup"}) {
            char value[1024] = {};
            SQLGetPrivateProfileString(name.c_str(), key, "", value, sizeof value, "ODBCINST.INI");
            if (value[0] != '\0') {
                text += std::string(key) + "=" + value + "\n";
            }
        }
        text += "\n";
    }
    return text;
}

void UsePrivateOdbcConfiguration(const std::filesystem::path& dir) {
    // Read before ODBCSYSINI moves away from the system's drivers.
    const std::string drivers = InstalledDriversAsIni();
    for (const char* sub : {"home", "data", "config", "odbc"}) {
        std::filesystem::create_directories(dir / sub);
    }
    std::ofstream(dir / "odbc" / "odbcinst.ini") << drivers;
    std::ofstream(dir / "odbc" / "odbc.ini");
    setenv("HOME", (dir / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("ODBCSYSINI", (dir / "odbc").c_str(), 1);
    setenv("ODBCINI", (dir / "home" / ".odbc.ini").c_str(), 1);
}

std::filesystem::path CollationExtensionBeside(const std::filesystem::path& program) {
    return (program.parent_path() / FNDB_COLLATION_FROM_BINDIR / FNDB_COLLATION_FILE_NAME)
        .lexically_normal();
}

std::vector<std::filesystem::path> CollationExtensionCandidates() {
    std::vector<std::filesystem::path> candidates;
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        candidates.push_back(CollationExtensionBeside(program));
    }
    candidates.emplace_back(FNDB_COLLATION_BUILD_FILE);
    return candidates;
}

std::filesystem::path FindCollationExtension(const std::vector<std::filesystem::path>& candidates) {
    std::string places;
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) {
            return candidate;
        }
        places += (places.empty() ? "" : ", ") + candidate.string();
    }
    throw SetupError("The SQLite extension " FNDB_COLLATION_FILE_NAME
                     " that gives names their order is missing (looked for " +
                     places + "): reinstall Fonedesk, or build the target fonedesk_collation");
}

std::filesystem::path CollationExtension() {
    return FindCollationExtension(CollationExtensionCandidates());
}

std::filesystem::path DefaultDatabaseFile() {
    const std::optional<std::filesystem::path> dir = platform::DataHome();
    if (!dir) {
        throw SetupError("Neither XDG_DATA_HOME nor HOME is set: give the database file");
    }
    return *dir / "fonedesk" / "fonedesk.db";
}

std::string ConnectStringOf(std::string_view dsn) {
    return "DSN=" + std::string(dsn) + ";";
}

static void CheckSqliteFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        throw SetupError(file.string() +
                         " is a folder, not a file: give the path of the database "
                         "file, for example " +
                         (file / "fonedesk.db").string());
    }
    if (std::filesystem::exists(file, ec) && !std::filesystem::is_regular_file(file, ec)) {
        throw SetupError(file.string() + " exists and is not a regular file");
    }
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) {
        throw SetupError("Cannot create the folder " + file.parent_path().string() + ": " +
                         ec.message());
    }
    if (access(file.parent_path().c_str(), W_OK | X_OK) != 0) {
        throw SetupError("The folder " + file.parent_path().string() +
                         " is not writable: SQLite needs to create the database file and its "
                         "journal there");
    }
    if (std::filesystem::exists(file, ec) && access(file.c_str(), R_OK | W_OK) != 0) {
        throw SetupError("The database file " + file.string() + " is not readable and writable");
    }
}

void WriteSqliteDataSource(std::string_view dsn, const std::filesystem::path& databaseFile) {
    WriteSqliteDataSource(dsn, databaseFile, CollationExtension());
}

void WriteSqliteDataSource(std::string_view dsn, const std::filesystem::path& databaseFile,
                           const std::filesystem::path& collationExtension) {
    RequireDriver(kSqliteDriver, kSqlitePackage);
    FindCollationExtension({collationExtension});
    if (collationExtension.string().find(',') != std::string::npos) {
        throw SetupError("The SQLite ODBC driver cannot load " + collationExtension.string() +
                         ": its list of extensions is split at commas; install it elsewhere");
    }
    const std::filesystem::path file = std::filesystem::absolute(databaseFile);
    CheckSqliteFile(file);
    UserConfigMode mode;
    WriteDataSource(dsn, kSqliteDriver);
    WriteKey(dsn, "Description", "Fonedesk phone book and call logs (SQLite)");
    WriteKey(dsn, "Database", file.string());
    WriteKey(dsn, "Timeout", std::to_string(kSqliteBusyTimeoutMs));
    // Rows are handed over as SQLite steps to them; otherwise the driver reads a whole result
    // into memory before the first row, and a long log keeps the list empty for seconds.
    WriteKey(dsn, "StepAPI", "1");
    // The collation of the name columns, in every connection: the driver splits this list at
    // commas.
    WriteKey(dsn, "LoadExt", std::filesystem::absolute(collationExtension).string());
}

void WritePostgresDataSource(std::string_view dsn, const PostgresTarget& target) {
    RequireDriver(kPostgresDriver, kPostgresPackage);
    if (target.database.empty()) {
        throw SetupError("Name the PostgreSQL database (--pg-database)");
    }
    std::string settings = "SET client_encoding TO 'UTF8'";
    if (!target.schema.empty()) {
        settings += ";SET search_path TO " + target.schema;
    }
    UserConfigMode mode;
    WriteDataSource(dsn, kPostgresDriver);
    WriteKey(dsn, "Description", "Fonedesk phone book and call logs (PostgreSQL)");
    WriteKey(dsn, "Servername", target.server);
    WriteKey(dsn, "Port", target.port);
    WriteKey(dsn, "Database", target.database);
    WriteKey(dsn, "Username", target.user);
    if (!target.password.empty()) {
        WriteKey(dsn, "Password", target.password);
    }
    WriteKey(dsn, "ConnSettings", settings);
    // A failed statement inside a transaction is undone alone (the driver sets a savepoint before
    // each statement) instead of aborting the transaction: the client's batched writes rely on it.
    WriteKey(dsn, "Protocol", "7.4-2");
    // Long lists arrive through a cursor in pieces instead of the whole result at once.
    WriteKey(dsn, "UseDeclareFetch", "1");
    WriteKey(dsn, "Fetch", "1000");
    if (!target.password.empty()) {
        // In case the installer wrote a new file rather than the one made private before.
        chmod(UserOdbcIni().c_str(), 0600);
    }
}

namespace {

// A data source under a name of its own that the setup tries before it touches the real one,
// removed again whatever happens.
class TrialDataSource {
  public:
    explicit TrialDataSource(std::string_view dsn) : m_name(std::string(dsn) + "_setup_trial") {}
    ~TrialDataSource() {
        UserConfigMode mode;
        SQLRemoveDSNFromIni(m_name.c_str());
    }
    TrialDataSource(const TrialDataSource&) = delete;
    TrialDataSource& operator=(const TrialDataSource&) = delete;
    const std::string& Name() const { return m_name; }

  private:
    std::string m_name;
};

}  // namespace

std::filesystem::path UserOdbcIni() {
    if (const char* ini = std::getenv("ODBCINI"); ini != nullptr && ini[0] != '\0') {
        return ini;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".odbc.ini";
}

void KeepUserOdbcIniPrivate() {
    const std::filesystem::path ini = UserOdbcIni();
    const int fd = open(ini.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || fchmod(fd, 0600) != 0) {
        const std::string reason = std::strerror(errno);
        if (fd >= 0) {
            close(fd);
        }
        throw SetupError("Cannot make " + ini.string() + " readable by its owner only: " + reason);
    }
    close(fd);
}

DataSourceEntry ReadDataSource(std::string_view dsn) {
    UserConfigMode mode;
    const auto key = [&](const char* name) {
        char value[1024] = {};
        SQLGetPrivateProfileString(std::string(dsn).c_str(), name, "", value, sizeof value,
                                   "odbc.ini");
        return std::string(value);
    };
    return {key("Driver"), key("Database"), key("Servername"), key("Port")};
}

std::vector<std::string> SetupSqlite(std::string_view dsn,
                                     const std::filesystem::path& databaseFile) {
    return SetupSqlite(dsn, databaseFile, CollationExtension());
}

std::vector<std::string> SetupSqlite(std::string_view dsn,
                                     const std::filesystem::path& databaseFile,
                                     const std::filesystem::path& collationExtension) {
    const std::string hint = "Check that the package " + std::string(kSqlitePackage) +
                             " is installed and that " + databaseFile.string() +
                             " is an SQLite database (or does not exist yet).";
    std::vector<std::string> upgraded;
    {
        TrialDataSource trial(dsn);
        WriteSqliteDataSource(trial.Name(), databaseFile, collationExtension);
        upgraded = CreateSchemaThrough(trial.Name(), dsn, hint, collationExtension);
    }
    WriteSqliteDataSource(dsn, databaseFile, collationExtension);
    return upgraded;
}

std::vector<std::string> SetupPostgres(std::string_view dsn, const PostgresTarget& target) {
    const bool plainName =
        target.schema.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") ==
            std::string::npos &&
        (target.schema.empty() || !(target.schema[0] >= '0' && target.schema[0] <= '9'));
    if (!plainName) {
        throw SetupError("The schema name \"" + target.schema +
                         "\" may hold only lower-case letters, digits and '_'");
    }
    if (!target.password.empty()) {
        KeepUserOdbcIniPrivate();  // before the password is written to it
    }
    const std::string hint = "Check that the PostgreSQL server " + target.server + ":" +
                             target.port + " is running and accepts the user \"" + target.user +
                             "\" on the database \"" + target.database +
                             "\" (pg_hba.conf, password or ~/.pgpass).";
    std::vector<std::string> upgraded;
    {
        TrialDataSource trial(dsn);
        if (!target.schema.empty()) {
            // The schema must exist before the connection's search path can name it.
            WritePostgresDataSource(
                trial.Name(),
                {target.server, target.port, target.database, target.user, target.password, {}});
            fonedesk::CDatabase db;
            try {
                db.OpenEx(ConnectStringOf(trial.Name()));
                db.ExecuteSQL("CREATE SCHEMA IF NOT EXISTS " + target.schema);
            } catch (const fonedesk::CDBException& e) {
                throw SetupError("Cannot create the schema " + target.schema + ": " + e.Error() +
                                 "\n" + hint);
            }
        }
        WritePostgresDataSource(trial.Name(), target);
        upgraded = CreateSchemaThrough(trial.Name(), dsn, hint);
    }
    WritePostgresDataSource(dsn, target);
    return upgraded;
}

}  // namespace fonedesk::setup
