// Measures the phone-book text import on SQLite: a file of 100,000 lines (Windows-1251, CR LF)
// through ImportPhoneBook, with call logs in the tables so that each new name also updates them,
// next to the sqlite3 shell's .import of the same file into a table of the same columns and
// constraints. Everything happens in a temporary folder with its own odbc.ini.
//
//   import_bench [--lines N] [--log-rows N] [--keep]

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "bench/common/Timing.h"
#include "client/data/DataSource.h"
#include "client/data/DbException.h"
#include "client/data/PhoneBookText.h"
#include "client/data/Progress.h"
#include "platform/codepage/Cp1251.h"
#include "tools/fndb-setup/DataSourceSetup.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using fonerix::bench::Clock;
using fonerix::bench::Run;
using fonerix::bench::Seconds;

constexpr double kGoalSeconds = 5.0;

class NoProgress : public fonedesk::IProgress {
  public:
    void SetProgressText(std::string_view) override {}
    void SetProgressRange(int) override {}
    void SetProgressPosition(int) override {}
    void ProcessOneEvent() override {}
};

// Distinct numbers in shuffled order, Cyrillic names, every fifth comment empty.
void WriteBook(const fs::path& path, std::size_t lines) {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < lines; ++i) {
        const std::size_t n = (i * 7919) % lines;
        std::string line = std::to_string(4950000000ULL + n) + ",Абонент Иванов " +
                           std::to_string(n) + "," +
                           (i % 5 == 0 ? std::string() : "комментарий " + std::to_string(i));
        out << platform::Utf8ToCp1251(line) << "\r\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t lines = 100'000;
    std::size_t logRows = 50'000;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--lines" && i + 1 < argc) {
            lines = std::stoul(argv[++i]);
        } else if (arg == "--log-rows" && i + 1 < argc) {
            logRows = std::stoul(argv[++i]);
        } else if (arg == "--keep") {
            keep = true;
        } else {
            std::fprintf(stderr, "usage: import_bench [--lines N] [--log-rows N] [--keep]\n");
            return 2;
        }
    }

    char pattern[] = "/var/tmp/fonedesk-import-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    setenv("HOME", dir.c_str(), 1);
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
    const fs::path file = dir / "fonedesk.db";
    const fs::path book = dir / "book.txt";
    int status = 0;
    try {
        fonedesk::setup::SetupSqlite("FNDB", file);
        // The shell needs the collation of the name columns as much as the driver does.
        const std::string load = ".load '" + fonedesk::setup::CollationExtension().string() + "'";
        fonedesk::CDatabase db;
        std::string message;
        if (!fonedesk::OpenDataSource(db, &message)) {
            throw fonedesk::CDBException(message);
        }
        WriteBook(book, lines);
        // Calls from every tenth number of the book, in both logs.
        for (const char* table : {"in_data", "out_data"}) {
            const std::string fill =
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                std::to_string(logRows) + ") INSERT INTO " + table +
                " (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
                "SELECT 4950000000 + (i * 10) % " +
                std::to_string(lines) + ", 4950000000 + (i * 10) % " + std::to_string(lines) +
                ", '2003-05-07 14:09:00', 5, 0, 0, i * 32, 0 FROM n";
            if (Run({"sqlite3", "-cmd", load, file.string(), fill}) != 0) {
                throw fonedesk::CDBException(
                    "the sqlite3 shell could not fill the logs (apt-get install sqlite3)");
            }
        }
        // The shell's table: the same columns and constraints as phone_book.
        if (Run({"sqlite3", "-cmd", load, file.string(),
                 "CREATE TABLE shell_book (RID INTEGER PRIMARY KEY AUTOINCREMENT, "
                 "PHONE VARCHAR(20) NOT NULL UNIQUE CHECK (length(PHONE) <= 20), "
                 "ABONENT VARCHAR(30) COLLATE fonedesk_ru CHECK (length(ABONENT) <= 30), "
                 "COMMENT VARCHAR(75) COLLATE fonedesk_ru CHECK (length(COMMENT) <= 75))"}) != 0) {
            throw fonedesk::CDBException("the sqlite3 shell could not create its table");
        }

        std::printf(
            "Fonedesk phone-book import benchmark on %s, through unixODBC and the "
            "SQLite3 ODBC driver\n",
            db.DbmsName().c_str());
        std::printf(
            "%zu lines (%.1f MB, Windows-1251, CR LF), %zu rows in each call log; best "
            "of 3\n\n",
            lines, fs::file_size(book) / 1e6, logRows);

        NoProgress progress;
        double ours = 1e30;
        fonedesk::PhoneBookImport import;
        for (int run = 0; run < 3; ++run) {
            db.ExecuteSQL("DELETE FROM phone_book");
            const auto start = Clock::now();
            import = fonedesk::ImportPhoneBook(db, book.string(), ',', progress);
            ours = std::min(ours, Seconds(Clock::now() - start));
        }
        if (import.count != static_cast<int>(lines) || !import.notStored.empty()) {
            throw fonedesk::CDBException(
                fonedesk::ImportMessage(import, book.string()).substr(0, 500));
        }

        // .import in one transaction (BEGIN/COMMIT around it), as the shell is used for bulk
        // loads; its columns are filled by position through a view without RID.
        double shell = 1e30;
        for (int run = 0; run < 3; ++run) {
            Run({"sqlite3", "-cmd", load, file.string(), "DELETE FROM shell_book"});
            const auto start = Clock::now();
            const int rc =
                Run({"sqlite3", "-cmd", load, file.string(), "-cmd", ".mode csv", "-cmd",
                     "CREATE TEMP VIEW shell_in AS SELECT PHONE,ABONENT,COMMENT "
                     "FROM shell_book",
                     "-cmd",
                     "CREATE TEMP TRIGGER shell_in_insert INSTEAD OF INSERT ON "
                     "shell_in BEGIN INSERT INTO shell_book (PHONE,ABONENT,COMMENT) "
                     "VALUES (NEW.PHONE,NEW.ABONENT,NEW.COMMENT); END",
                     "-cmd", "BEGIN", "-cmd", ".import " + book.string() + " shell_in", "COMMIT"});
            shell = std::min(shell, Seconds(Clock::now() - start));
            if (rc != 0) {
                throw fonedesk::CDBException("the sqlite3 shell's .import failed");
            }
        }

        std::printf("  %-44s %8.2f s %10.0f lines/s\n",
                    "ImportPhoneBook (lookup, INSERT, 2 UPDATEs)", ours, lines / ours);
        std::printf("  %-44s %8.2f s %10.0f lines/s\n", "sqlite3 shell .import (INSERT only)",
                    shell, lines / shell);
        std::printf("  %-44s %8.1fx\n", "ImportPhoneBook/shell", ours / shell);
        std::printf("  %-44s %8.2f s  %s\n", "goal", kGoalSeconds,
                    ours < kGoalSeconds ? "met" : "NOT met");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "import_bench: %s\n", e.what());
        status = 1;
    }
    if (keep) {
        std::printf("\nfiles kept in %s\n", dir.c_str());
    } else {
        fs::remove_all(dir);
    }
    return status;
}
