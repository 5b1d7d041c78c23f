// Phone-book text files: import and export in Windows-1251, the final messages, progress.

#include "client/data/PhoneBookText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "client/data/DbException.h"
#include "client/data/Progress.h"
#include "tests/client/data/TestDatabase.h"
#include "tests/support/TemporaryDirectory.h"

namespace fonedesk::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using R = PhoneBookLineResult;

class RecordingProgress : public IProgress {
  public:
    void SetProgressText(std::string_view text) override { texts.emplace_back(text); }
    void SetProgressRange(int total) override { ranges.push_back(total); }
    void SetProgressPosition(int done) override { positions.push_back(done); }
    void ProcessOneEvent() override { ++events; }

    std::vector<std::string> texts;
    std::vector<int> ranges;
    std::vector<int> positions;
    int events = 0;
};

// Иванов, Петров, Ёж, Яна and друг in Windows-1251, written out so that the file's bytes do not
// depend on the converter under test.
constexpr char kIvanov[] = "\xC8\xE2\xE0\xED\xEE\xE2";
constexpr char kPetrov[] = "\xCF\xE5\xF2\xF0\xEE\xE2";
constexpr char kYozh[] = "\xA8\xE6";
constexpr char kYana[] = "\xDF\xED\xE0";
constexpr char kFriend[] = "\xE4\xF0\xF3\xE3";

class PhoneBookTextTest : public DatabaseTest {
  protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = m_dir.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    Rows Book() { return Query("SELECT PHONE,ABONENT,COMMENT FROM phone_book ORDER BY PHONE"); }

    fonerix::test::TemporaryDirectory m_dir{"phonebook-text"};
    RecordingProgress m_progress;
};

TEST_P(PhoneBookTextTest, ImportThenExportGivesBackTheSameBytes) {
    // Sorted by number, CR LF, Cyrillic names, an empty comment, and the undefined byte 0x98.
    const std::string original = std::string("0123,") + kIvanov + "," + kFriend + "\r\n" + "1234," +
                                 kPetrov + ",\r\n" +                //
                                 "2345," + kYozh + ",a\x98z\r\n" +  //
                                 "9_01," + kYana + ",O'Neil\r\n";
    const std::string in = Write("in.txt", original);
    const PhoneBookImport import = ImportPhoneBook(m_db, in, ',', m_progress);
    EXPECT_EQ(import.count, 4);
    EXPECT_EQ(import.failed, 0);
    EXPECT_TRUE(import.notStored.empty());
    EXPECT_EQ(Book(), (Rows{{"0123", "Иванов", "друг"},
                            {"1234", "Петров", ""},
                            {"2345", "Ёж", "a\u0098z"},
                            {"9_01", "Яна", "O'Neil"}}));

    const std::string out = m_dir.File("out.txt");
    const PhoneBookExport exported = ExportPhoneBook(m_db, out, ',', m_progress);
    EXPECT_EQ(exported.rows, 4);
    EXPECT_TRUE(exported.unencodable.empty());
    EXPECT_EQ(Read(out), original);
    EXPECT_EQ(ExportMessage(exported, out), "Экспортировано 4 номеров (" + out + ")");

    // Every number is there already: nothing new, and each line says why.
    const PhoneBookImport again = ImportPhoneBook(m_db, out, ',', m_progress);
    EXPECT_EQ(ImportMessage(again, out).substr(0, ImportMessage(again, out).find('\n')),
              "Импортировано 0 номеров из 4 записей (" + out + ")");
    ASSERT_EQ(again.notStored.size(), 4u);
    for (const ImportedLine& line : again.notStored) {
        EXPECT_EQ(line.result, R::kAlreadyPresent) << line.lineNumber;
    }
    EXPECT_EQ(Count("phone_book"), 4);
}

TEST_P(PhoneBookTextTest, LfOnlyUnsortedInputExportsSortedWithCrLf) {
    const std::string in = Write("lf.txt", "300;C;c\n100;A;a\n200;B\n");
    const PhoneBookImport import = ImportPhoneBook(m_db, in, ';', m_progress);
    EXPECT_EQ(import.count, 3);
    EXPECT_EQ(Book(), (Rows{{"100", "A", "a"}, {"200", "B", ""}, {"300", "C", "c"}}));
    const std::string out = m_dir.File("out.txt");
    ExportPhoneBook(m_db, out, ';', m_progress);
    EXPECT_EQ(Read(out), "100;A;a\r\n200;B;\r\n300;C;c\r\n");
}

TEST_P(PhoneBookTextTest, TheReportNamesEveryLineThatStoredNothing) {
    const std::string in = Write("mixed.txt",
                                 "0101,Anna,first\r\n"                       // 1 stored
                                 "\r\n"                                      // 2 empty
                                 "0103\r\n"                                  // 3 number only
                                 "01-04,Boris\r\n"                           // 4 invalid number
                                 "0101,Again\r\n"                            // 5 already present
                                 "0106,ABCDEFGHIJKLMNOPQRSTUVWXYZabcde\r\n"  // 6 name of 31
                                 "  0107 , Vera , x \r\n"                    // 7 stored
                                 "   ");                                     // 8 blanks, no end
    const PhoneBookImport import = ImportPhoneBook(m_db, in, ',', m_progress);
    EXPECT_EQ(import.count, 8);
    EXPECT_EQ(import.failed, 4);  // lines 2, 5, 6, 8; a skipped number still counts as imported
    EXPECT_EQ(Book(), (Rows{{"0101", "Anna", "first"}, {"0107", "Vera", "x"}}));
    EXPECT_EQ(Lines(ImportMessage(import, in)),
              (std::vector<std::string>{
                  "Импортировано 4 номеров из 8 записей (" + in + ")",
                  "",
                  "Строки, из которых ничего не сохранено (6):",
                  "строка 2: пустая строка",
                  "строка 3: нет имени абонента",
                  "строка 4: недопустимый номер (допустимы только цифры и «_»)",
                  "строка 5: такой номер уже есть в телефонной книжке",
                  "строка 6: слишком длинное поле: имя длиннее 30 символов",
                  "строка 8: пустая строка",
              }));
}

TEST_P(PhoneBookTextTest, AFileThatCannotBeOpenedThrowsAndStoresNothing) {
    Exec("INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES ('1','kept','')");
    const std::string missing = m_dir.File("no-such-folder/book.txt");
    for (const bool importing : {true, false}) {
        try {
            if (importing) {
                ImportPhoneBook(m_db, missing, ',', m_progress);
            } else {
                ExportPhoneBook(m_db, missing, ',', m_progress);
            }
            ADD_FAILURE() << "no CFileError, importing=" << importing;
        } catch (const CFileError& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find(missing), std::string::npos) << text;
            EXPECT_NE(text.find(std::strerror(ENOENT)), std::string::npos) << text;
        }
    }
    EXPECT_EQ(Book(), (Rows{{"1", "kept", ""}}));
}

TEST_P(PhoneBookTextTest, AFailedExportLeavesTheEarlierFileAsItWas) {
    const std::string out = Write("book.txt", "1,earlier,\r\n");
    Exec("DROP TABLE phone_book");
    EXPECT_THROW(ExportPhoneBook(m_db, out, ',', m_progress), CDBException);
    EXPECT_EQ(Read(out), "1,earlier,\r\n");
    // Nothing half-written is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_P(PhoneBookTextTest, RowsThatCannotBeWrittenAsTheyAreAreNamed) {
    Exec(
        "INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES "
        "('10','Смайл 😀',''), ('20','Анна',''), ('30','王','ok'), ('40','a,b','')");
    const std::string out = m_dir.File("out.txt");
    const PhoneBookExport exported = ExportPhoneBook(m_db, out, ',', m_progress);
    EXPECT_EQ(exported.unencodable, (std::vector<std::string>{"10", "30"}));
    EXPECT_EQ(exported.notReadableBack, std::vector<std::string>{"40"});
    EXPECT_EQ(Read(out),
              "10,\xD1\xEC\xE0\xE9\xEB ?,\r\n20,\xC0\xED\xED\xE0,\r\n30,?,ok\r\n40,a,b,\r\n");
    const std::vector<std::string> lines = Lines(ExportMessage(exported, out));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "Экспортировано 4 номеров (" + out + ")");
    EXPECT_NE(lines[2].find("Windows-1251"), std::string::npos);
    EXPECT_EQ(lines[3], "10");
    EXPECT_EQ(lines[4], "30");
    EXPECT_NE(lines[6].find("разделитель"), std::string::npos);
    EXPECT_EQ(lines[7], "40");
}

TEST_P(PhoneBookTextTest, ProgressRunsFromTheRangeToAHundred) {
    std::string text;
    for (int i = 0; i < 50; ++i) {
        text += std::to_string(1000 + i) + ",Name " + std::to_string(i) + ",\r\n";
    }
    const std::string in = Write("in.txt", text);
    const std::string out = m_dir.File("out.txt");
    for (const bool importing : {true, false}) {
        RecordingProgress progress;
        if (importing) {
            ImportPhoneBook(m_db, in, ',', progress);
        } else {
            ExportPhoneBook(m_db, out, ',', progress);
        }
        EXPECT_EQ(progress.ranges, std::vector<int>{100}) << importing;
        EXPECT_EQ(progress.events, 50) << importing;
        ASSERT_GE(progress.positions.size(), 50u) << importing;
        EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()))
            << importing;
        EXPECT_LT(progress.positions.front(), 10) << importing;
        EXPECT_EQ(progress.positions.back(), 100) << importing;
    }
    EXPECT_EQ(Read(out), text);
}

TEST_P(PhoneBookTextTest, AnEmptyFileImportsNothing) {
    const std::string in = Write("empty.txt", "");
    const PhoneBookImport import = ImportPhoneBook(m_db, in, ',', m_progress);
    EXPECT_EQ(ImportMessage(import, in), "Импортировано 0 номеров из 0 записей (" + in + ")");
    EXPECT_EQ(m_progress.positions.back(), 100);
}

INSTANTIATE_TEST_SUITE_P(Backends, PhoneBookTextTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

}  // namespace
}  // namespace fonedesk::test
