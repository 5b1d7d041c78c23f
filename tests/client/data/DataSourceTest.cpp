#include "client/data/DataSource.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "client/data/DbException.h"
#include "client/data/Recordset.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "tests/client/data/TestDatabase.h"
#include "tools/fndb-setup/DataSourceSetup.h"

namespace fonedesk::test {
namespace {

namespace fs = std::filesystem;

TEST(DataSource, OpensFndbWithoutQueryTimeOut) {
    TestDataSources::Instance();  // the private configuration with FNDB on SQLite
    CDatabase db;
    std::string message;
    ASSERT_TRUE(OpenDataSource(db, &message)) << message;
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.QueryTimeout(), 0u);
    EXPECT_EQ(db.Dialect(), SqlDialect::SQLite) << db.DbmsName();
}

TEST(DataSource, MissingDataSourceFailsClosedWithTheDriverManagersReason) {
    TestDataSources::Instance();
    CDatabase db;
    std::string message;
    EXPECT_FALSE(OpenDataSource(db, &message, "ODBC;DSN=NO_SUCH_SOURCE;"));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_NE(message.find("IM002"), std::string::npos) << message;
    EXPECT_EQ(kOpenDataSourceFailed, "Unable to open datasource FNDB");
}

TEST(DataSource, SetupIsIdempotentAndKeepsTheRows) {
    TestDataSources::Instance();
    const fs::path file = fonedesk::setup::DefaultDatabaseFile();
    {
        CDatabase db;
        ASSERT_TRUE(OpenDataSource(db));
        db.ExecuteSQL("INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES('77','kept','')");
    }
    fonedesk::setup::SetupSqlite("FNDB", file);
    CDatabase db;
    ASSERT_TRUE(OpenDataSource(db));
    CRecordsetEx rs(db);
    rs.Open("SELECT ABONENT FROM phone_book WHERE PHONE='77'");
    std::string name;
    rs.GetFieldValue(0, name);
    EXPECT_EQ(name, "kept");
}

// A long log must show its first rows at once: the SQLite source hands rows over as they are
// stepped to (not after reading the whole result), and the logs' default order by name has an
// index to start from.
TEST(DataSource, SqliteSourceStepsRowsAndTheLogsAreIndexedByName) {
    TestDataSources::Instance();
    std::ifstream ini(std::getenv("ODBCINI"));
    const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("StepAPI"), std::string::npos) << text;
    CDatabase db;
    ASSERT_TRUE(OpenDataSource(db));
    CRecordsetEx rs(db);
    rs.Open(
        "SELECT name FROM sqlite_master WHERE type='index' AND sql LIKE '%(ABONENT)%' "
        "ORDER BY name");
    std::vector<std::string> names;
    while (!rs.IsEOF()) {
        std::string name;
        rs.GetFieldValue(0, name);
        names.push_back(name);
        rs.MoveNext();
    }
    EXPECT_EQ(names, (std::vector<std::string>{"in_data_abonent", "out_data_abonent",
                                               "phone_book_abonent"}));
}

// Runs fndb-setup with its own environment and returns its exit code and standard error, or
// its standard output.
std::pair<int, std::string> RunSetup(const std::string& environment, const std::string& arguments,
                                     bool standardOutput = false,
                                     const std::string& program = FNDB_SETUP_PATH) {
    const std::string command = "env " + environment + " " + program + " " + arguments +
                                (standardOutput ? " 2>/dev/null" : " 2>&1 >/dev/null");
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {-1, "popen failed"};
    }
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(FndbSetupProgram, NamesThePackageOfAMissingDriverAndTheCauseOfARefusedConnection) {
    const fs::path dir = fs::path(TestDataSources::Instance().Folder()) / "no-drivers";
    fs::create_directories(dir);
    std::ofstream(dir / "odbcinst.ini");
    const std::string env = "HOME=" + dir.string() + " ODBCSYSINI=" + dir.string() +
                            " ODBCINI=" + (dir / "odbc.ini").string() +
                            " XDG_DATA_HOME=" + dir.string();
    auto [code, text] = RunSetup(env, "--sqlite");
    EXPECT_EQ(code, 1);
    EXPECT_NE(text.find("apt-get install libsqliteodbc"), std::string::npos) << text;
    std::tie(code, text) = RunSetup(env, "--postgres --pg-database x");
    EXPECT_EQ(code, 1);
    EXPECT_NE(text.find("odbc-postgresql"), std::string::npos) << text;

    // With the real drivers but nothing listening on the port.
    const std::string realDrivers = "HOME=" + dir.string() +
                                    " ODBCINI=" + (dir / "odbc.ini").string() +
                                    " ODBCSYSINI=" + TestDataSources::Instance().Folder() + "/odbc";
    std::tie(code, text) = RunSetup(
        realDrivers, "--dsn REFUSED --postgres --pg-host 127.0.0.1 --pg-port 1 --pg-database x");
    EXPECT_EQ(code, 1);
    EXPECT_NE(text.find("is running"), std::string::npos) << text;
    EXPECT_NE(text.find("127.0.0.1:1"), std::string::npos) << text;
}

// The environment of a fndb-setup run with the installed drivers and an odbc.ini of its own in
// dir, which starts as a copy of the test process's (FNDB on SQLite).
std::string OwnConfiguration(const fs::path& dir) {
    fs::create_directories(dir / "home");
    fs::copy_file(fs::path(TestDataSources::Instance().Folder()) / "home" / ".odbc.ini",
                  dir / "odbc.ini", fs::copy_options::overwrite_existing);
    return "HOME=" + (dir / "home").string() + " ODBCINI=" + (dir / "odbc.ini").string() +
           " ODBCSYSINI=" + TestDataSources::Instance().Folder() + "/odbc" +
           " XDG_DATA_HOME=" + (dir / "home").string();
}

std::string FileText(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FndbSetupProgram, AFolderGivenAsTheDatabaseFileIsNamedAsSuch) {
    const fs::path dir = fs::path(TestDataSources::Instance().Folder()) / "folder-as-file";
    const std::string env = OwnConfiguration(dir);
    const std::string before = FileText(dir / "odbc.ini");
    const auto [code, text] = RunSetup(env, "--sqlite " + dir.string());
    EXPECT_EQ(code, 1);
    EXPECT_NE(text.find("is a folder, not a file"), std::string::npos) << text;
    EXPECT_EQ(text.find("writable"), std::string::npos) << text;
    EXPECT_EQ(FileText(dir / "odbc.ini"), before);
}

// A setup that cannot connect leaves the working entry exactly as it was: here nothing listens
// on the port, as with a mistyped host, port or database.
TEST(FndbSetupProgram, AFailedSetupLeavesTheWorkingDataSourceAlone) {
    const fs::path dir = fs::path(TestDataSources::Instance().Folder()) / "keeps-fndb";
    const std::string env = OwnConfiguration(dir);
    const std::string before = FileText(dir / "odbc.ini");
    ASSERT_NE(before.find("[FNDB]"), std::string::npos) << before;
    auto [code, text] =
        RunSetup(env, "--postgres --pg-host 127.0.0.1 --pg-port 1 --pg-database mistyped");
    EXPECT_EQ(code, 1);
    EXPECT_NE(text.find("127.0.0.1:1"), std::string::npos) << text;
    EXPECT_NE(text.find("FNDB do not work (it was left as it was)"), std::string::npos) << text;
    EXPECT_EQ(FileText(dir / "odbc.ini"), before);  // no trial entry left behind either

    // An SQLite file that is no database: refused, and FNDB still names the old one.
    std::ofstream(dir / "not-a-database.db") << std::string(4096, 'x');
    std::tie(code, text) = RunSetup(env, "--sqlite " + (dir / "not-a-database.db").string());
    EXPECT_EQ(code, 1);
    EXPECT_EQ(FileText(dir / "odbc.ini"), before);
}

TEST(FndbSetupProgram, PostgresOptionsWithoutPostgresAreAnError) {
    const fs::path dir = fs::path(TestDataSources::Instance().Folder()) / "pg-options";
    const std::string env = OwnConfiguration(dir);
    const std::string before = FileText(dir / "odbc.ini");
    const std::string file = (dir / "x.db").string();
    const std::vector<std::string> arguments = {
        "--pg-database fndb", "--sqlite " + file + " --pg-host h", "--pg-user u --sqlite",
        "--sqlite --postgres --pg-database d"};
    for (const std::string& argument : arguments) {
        const auto [code, text] = RunSetup(env, argument);
        EXPECT_EQ(code, 2) << argument;
        EXPECT_NE(text.find("Usage"), std::string::npos) << text;
    }
    EXPECT_EQ(FileText(dir / "odbc.ini"), before);
    EXPECT_FALSE(fs::exists(file));
}

std::pair<int, std::string> RunSetupOutput(const std::string& environment,
                                           const std::string& arguments) {
    return RunSetup(environment, arguments, true);
}

TEST(FndbSetupProgram, SwitchingTheDatabaseSaysThatNothingIsCopied) {
    const fs::path dir = fs::path(TestDataSources::Instance().Folder()) / "switching";
    const std::string env = OwnConfiguration(dir);
    const fs::path file = dir / "second.db";
    auto [code, text] = RunSetupOutput(env, "--sqlite " + file.string());
    EXPECT_EQ(code, 0) << text;
    EXPECT_NE(text.find("Nothing was copied"), std::string::npos) << text;
    EXPECT_NE(text.find(fonedesk::setup::DefaultDatabaseFile().string()), std::string::npos)
        << text;
    EXPECT_NE(FileText(dir / "odbc.ini").find(file.string()), std::string::npos);
    std::tie(code, text) = RunSetupOutput(env, "--sqlite " + file.string());  // the same again
    EXPECT_EQ(code, 0) << text;
    EXPECT_EQ(text.find("Nothing was copied"), std::string::npos) << text;
}

// Installed, the program finds the collation extension in the private library folder beside it
// and has the data source load it from there; a database made before names had their order is
// upgraded on the way, and the program says so.
TEST(FndbSetupProgram, InstalledItLoadsTheExtensionFromItsPrivateLibraryFolder) {
    const fs::path dir = fs::path(TestDataSources::Instance().Folder()) / "installed";
    const std::string env = OwnConfiguration(dir);
    const fs::path program = dir / "usr" / "bin" / "fndb-setup";
    const fs::path extension = fonedesk::setup::CollationExtensionBeside(program);
    fs::create_directories(program.parent_path());
    fs::create_directories(extension.parent_path());
    fs::copy_file(FNDB_SETUP_PATH, program);
    fs::copy_file(fonedesk::setup::CollationExtension(), extension);
    const fs::path file = dir / "old.db";
    fonedesk::setup::WriteSqliteDataSource("OLD_TABLES", file);
    {
        CDatabase db;
        ASSERT_TRUE(OpenDataSource(db, nullptr, "DSN=OLD_TABLES;"));
        db.ExecuteSQL(
            "CREATE TABLE phone_book (RID INTEGER PRIMARY KEY AUTOINCREMENT, PHONE "
            "VARCHAR(20), ABONENT VARCHAR(30), COMMENT VARCHAR(75))");
        db.ExecuteSQL("INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES('7','Zoe','')");
        db.ExecuteSQL("INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES('8','яков','')");
    }
    auto [code, text] = RunSetup(env, "--sqlite " + file.string(), true, program.string());
    EXPECT_EQ(code, 0) << text;
    EXPECT_NE(text.find("The table phone_book now sorts names"), std::string::npos) << text;
    EXPECT_NE(FileText(dir / "odbc.ini").find("LoadExt=" + extension.string()), std::string::npos)
        << FileText(dir / "odbc.ini");
    CDatabase db;
    ASSERT_TRUE(OpenDataSource(db, nullptr, "DSN=OLD_TABLES;"));
    CRecordsetEx rs(db);
    rs.Open("SELECT ABONENT FROM phone_book ORDER BY ABONENT");
    std::vector<std::string> names;
    for (std::string name; !rs.IsEOF(); rs.MoveNext()) {
        rs.GetFieldValue(0, name);
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"яков", "Zoe"}));
}

TEST(FndbSetupProgram, APasswordIsKeptInAFileOnlyItsOwnerCanRead) {
    const char* server = std::getenv("FONERIX_TEST_PG");
    if (server == nullptr || server[0] == '\0') {
        GTEST_SKIP() << "needs the test PostgreSQL (FONERIX_TEST_PG)";
    }
    const std::string target = server;
    const auto part = [&](const std::string& key) {
        const std::size_t start = target.find(key + "=");
        const std::size_t end = target.find(';', start);
        return target.substr(start + key.size() + 1, end == std::string::npos
                                                         ? std::string::npos
                                                         : end - start - key.size() - 1);
    };
    const fs::path dir = fs::path(TestDataSources::Instance().Folder()) / "password";
    const std::string env = OwnConfiguration(dir);
    fs::permissions(dir / "odbc.ini", fs::perms(0644));
    const auto [code, text] = RunSetupOutput(
        env, "--dsn PW --postgres --pg-host " + part("Servername") + " --pg-port " + part("Port") +
                 " --pg-database " + part("Database") + " --pg-user " + part("Username") +
                 " --pg-password secret --pg-schema pw_" + std::to_string(getpid()));
    ASSERT_EQ(code, 0) << text;
    EXPECT_NE(text.find("~/.pgpass"), std::string::npos) << text;
    EXPECT_EQ(fs::status(dir / "odbc.ini").permissions() & fs::perms::all, fs::perms(0600));
    EXPECT_NE(FileText(dir / "odbc.ini").find("secret"), std::string::npos);
}

// A database whose standard_conforming_strings is off makes a backslash escape the quote after
// it; the connection must quote safely all the same, in values and in rewritten LIKE patterns.
TEST(DataSource, QuotingHoldsOnAPostgresDatabaseWithStandardStringsOff) {
    const std::string main = TestDataSources::Instance().ConnectString(Backend::PostgreSQL);
    if (main.empty()) {
        GTEST_SKIP() << TestDataSources::Instance().SkipReason(Backend::PostgreSQL);
    }
    const std::string name = "fndb_scs_off_" + std::to_string(getpid());
    {
        CDatabase db;
        db.OpenEx(main);
        db.ExecuteSQL("DROP DATABASE IF EXISTS " + name);
        db.ExecuteSQL("CREATE DATABASE " + name);
        db.ExecuteSQL("ALTER DATABASE " + name + " SET standard_conforming_strings = off");
    }
    const std::string server = std::getenv("FONERIX_TEST_PG");
    const auto part = [&](const std::string& key) {
        const std::size_t start = server.find(key + "=") + key.size() + 1;
        return server.substr(start, server.find(';', start) - start);
    };
    fonedesk::setup::SetupPostgres(
        "FNDB_SCS_OFF", {part("Servername"), part("Port"), name, part("Username"), {}, {}});
    {
        CDatabase db;
        db.OpenEx("ODBC;DSN=FNDB_SCS_OFF;");
        db.ExecuteSQL("CREATE TABLE victim (x integer)");
        const std::string evil = "\\',''); DROP TABLE victim; --";
        try {
            db.ExecuteSQL(FormatStatement(statements::kInsertPhoneBookRow,
                                          {statements::kPhoneBook, "1", evil, "c:\\dir\\"}));
        } catch (const CDBException& e) {
            ADD_FAILURE() << e.Error();
        }
        CRecordsetEx rs(db);
        rs.Open("SELECT COUNT(*) FROM victim");  // throws when the table was dropped
        rs.Close();
        rs.Open("SELECT ABONENT, COMMENT FROM phone_book");
        ASSERT_FALSE(rs.IsEOF());
        std::string value;
        rs.GetFieldValue(0, value);
        EXPECT_EQ(value, evil);
        rs.GetFieldValue(1, value);
        EXPECT_EQ(value, "c:\\dir\\");
        rs.Close();
        // The LIKE rewriting escapes '.' with a backslash: "a.b%" must not match "axb".
        db.ExecuteSQL(FormatStatement(statements::kInsertPhoneBookRow,
                                      {statements::kPhoneBook, "2", "axb", ""}));
        db.ExecuteSQL(FormatStatement(statements::kInsertPhoneBookRow,
                                      {statements::kPhoneBook, "3", "a.b", ""}));
        rs.Open("SELECT ABONENT FROM phone_book WHERE ABONENT LIKE 'a.b%'");
        ASSERT_FALSE(rs.IsEOF());
        rs.GetFieldValue(0, value);
        EXPECT_EQ(value, "a.b");
        rs.MoveNext();
        EXPECT_TRUE(rs.IsEOF());
    }
    CDatabase db;
    db.OpenEx(main);
    db.ExecuteSQL("DROP DATABASE IF EXISTS " + name);
}

}  // namespace
}  // namespace fonedesk::test
