// Reading the set's logs and phone book into the tables, against a fake set of tables, on each
// backend: the row each record becomes, where its name comes from, what is not stored and why,
// and that reading twice stores nothing twice. Every number the fake hands out is a BSTR the
// reader must free; the sanitizer builds report one that is not.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "client/data/DeviceListReading.h"
#include "client/data/PhoneBook.h"
#include "platform/codepage/Cp1251.h"
#include "platform/profile/FonedeskProfile.h"
#include "platform/profile/ProfileFile.h"
#include "tests/client/data/TestDatabase.h"
#include "tests/client/data/lists/FakeSet.h"
#include "tests/support/TemporaryDirectory.h"

namespace fonedesk::test {
namespace {

namespace profile = platform::fonedesk_profile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Rows = std::vector<std::vector<std::string>>;

class ListReading : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        // Two-digit years resolve against this day on both backends.
        m_db.SetTodayForTesting({2026, 12, 10});
    }

    // A reference file of `lines` (UTF-8 here, Windows-1251 in the file); its path.
    std::string ReferenceFile(const std::string& name, const std::vector<std::string>& lines) {
        const std::string path = folder.File(name + ".txt");
        std::ofstream file(path, std::ios::binary);
        for (const std::string& line : lines) {
            file << platform::Utf8ToCp1251(line) << "\r\n";
        }
        return path;
    }
    // Key "Phone Reference<digit>" names `path` (empty: the key is empty).
    void ReferenceKey(int digit, const std::string& path) {
        ASSERT_TRUE(profileFile.WriteString(profile::kProgramOptions,
                                            profile::PhoneReferenceKey(digit), path));
    }
    void Reference(int digit, const std::vector<std::string>& lines) {
        ReferenceKey(digit, ReferenceFile("reference" + std::to_string(digit), lines));
    }

    CallLogReading ReadLogs() { return ReadCallLogs(m_db, set, profileFile, progress); }
    PhoneBookReading ReadBook() { return ReadDevicePhoneBook(m_db, set, progress); }

    Rows Log(const std::string& table) {
        return Query("SELECT ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS FROM " +
                     table + " ORDER BY RID");
    }
    Rows NamesAndNumbers(const std::string& table) {
        return Query("SELECT ABONENT,PHONE FROM " + table + " ORDER BY RID");
    }
    Rows Book() { return Query("SELECT PHONE,ABONENT,COMMENT FROM phone_book ORDER BY PHONE"); }

    fonerix::test::TemporaryDirectory folder{"fonedesk-lists-test"};
    platform::ProfileFile profileFile{folder.Path() / "Fonedesk.INI"};
    CFakeSet set;
    CCountingProgress progress;
};

TEST_P(ListReading, EachRecordBecomesOneRowOfItsLog) {
    FakeRecord call = Call("2345678", 7, 5, 3, 14, 9, 0x80000001u);
    call.delay = 17;
    call.parallel = 1;
    call.fixed = 1;
    call.message = 0xFFFF;
    set.outgoing = {call};
    set.incoming = {Call("3456789", 31, 12, 25, 23, 59, 96)};

    const CallLogReading reading = ReadLogs();

    EXPECT_TRUE(reading.deviceAnswered);
    // The flash address crosses as a signed 32-bit number, the message handle unsigned.
    EXPECT_EQ(Log("out_data"), (Rows{{"2345678", "2345678", "2003-05-07 14:09:00", "17", "1", "1",
                                      "-2147483647", "65535"}}));
    EXPECT_EQ(Log("in_data"),
              (Rows{{"3456789", "3456789", "2025-12-31 23:59:00", "0", "0", "0", "96", "0"}}));
    for (const CallListReading* list : {&reading.outgoing, &reading.incoming}) {
        EXPECT_EQ(list->read, 1);
        EXPECT_EQ(list->stored, 1);
        EXPECT_EQ(list->alreadyPresent, 0);
        EXPECT_EQ(list->notStored, 0);
        EXPECT_FALSE(list->incomplete);
    }
    EXPECT_FALSE(HasProblems(reading));
    // Woken with write permission once and put to sleep once; the window kept painting.
    EXPECT_EQ(set.wakeups, 1);
    EXPECT_TRUE(set.lastWritePermission);
    EXPECT_EQ(set.sleeps, 1);
    EXPECT_GE(progress.events, 2);
}

// A slot not in use is no call: no row, and its number is looked up nowhere (a reference file
// that knows it would otherwise add it to phone_book).
TEST_P(ListReading, RecordNotInUseGivesNoRowAndNoLookup) {
    Reference(0, {"5550000,Пустой,слот"});
    set.outgoing = {EmptySlot("5550000"), Call("2345678", 1, 12, 26, 10, 0), EmptySlot()};
    set.incoming = {EmptySlot()};

    const CallLogReading reading = ReadLogs();

    EXPECT_EQ(NamesAndNumbers("out_data"), (Rows{{"2345678", "2345678"}}));
    EXPECT_EQ(Count("in_data"), 0);
    EXPECT_EQ(Count("phone_book"), 0);
    EXPECT_EQ(reading.outgoing.read, 1);
    EXPECT_EQ(reading.incoming.read, 0);
}

TEST_P(ListReading, PhoneBookNameWinsOverReferenceFiles) {
    Exec("INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES ('2345678','Иванов','')");
    Reference(0, {"2345678,Петров,сосед"});
    set.outgoing = {Call("2345678", 1, 12, 26, 10, 0)};

    ReadLogs();

    EXPECT_EQ(NamesAndNumbers("out_data"), (Rows{{"Иванов", "2345678"}}));
    EXPECT_EQ(Book(), (Rows{{"2345678", "Иванов", ""}}));
}

// The third file is the first to know the number: its line goes into phone_book, and every
// row of that number carries the name, those of earlier readings and those after it.
TEST_P(ListReading, NumberOnlyInTheThirdFileJoinsThePhoneBook) {
    Exec(
        "INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
        "VALUES ('84951112233','84951112233','01-11-26 09:00',0,0,0,0,0)");
    Reference(0, {"1111111,Один,", "2345678,Петров,"});
    Reference(1, {"3456789,Сидорова,"});
    Reference(2, {"2222222,Два,", "84951112233 , Справочная , круглосуточно", "9999999,Девять,"});
    set.outgoing = {Call("84951112233", 1, 12, 26, 10, 0), Call("84951112233", 2, 12, 26, 11, 0)};
    set.incoming = {Call("84951112233", 3, 12, 26, 12, 0, 96)};

    ReadLogs();

    EXPECT_EQ(Book(), (Rows{{"84951112233", "Справочная", "круглосуточно"}}));
    EXPECT_EQ(NamesAndNumbers("out_data"),
              (Rows{{"Справочная", "84951112233"}, {"Справочная", "84951112233"}}));
    EXPECT_EQ(NamesAndNumbers("in_data"),
              (Rows{{"Справочная", "84951112233"}, {"Справочная", "84951112233"}}));
}

// Which reference files are searched, and which of them names the number.
TEST_P(ListReading, ReferenceFilesInTheirOrder) {
    const std::string first = ReferenceFile("first", {"2345678,Первый,"});
    const std::string second = ReferenceFile("second", {"2345678,Второй,"});
    const std::string missing = folder.File("missing.txt");
    const struct {
        const char* what;
        std::vector<std::string> keys;  // keys 0, 1, ...
        const char* name;
    } cases[] = {
        {"key 0 empty: no file is used", {"", second}, "2345678"},
        {"a file that cannot be opened is passed over", {missing, second}, "Второй"},
        {"the first file that has the number", {first, second}, "Первый"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Exec("DELETE FROM out_data");
        Exec("DELETE FROM phone_book");
        for (std::size_t digit = 0; digit < c.keys.size(); ++digit) {
            ReferenceKey(static_cast<int>(digit), c.keys[digit]);
        }
        set.outgoing = {Call("2345678", 1, 12, 26, 10, 0)};

        ReadLogs();

        EXPECT_EQ(NamesAndNumbers("out_data"), (Rows{{c.name, "2345678"}}));
        EXPECT_EQ(Count("phone_book"), std::string(c.name) == "2345678" ? 0 : 1);
    }
}

// Every record read is stored, found already present or listed with its reason; the reasons
// about dates are decided before the insert, so both backends give the same words.
TEST_P(ListReading, CountsAddUpAndEachRecordNotStoredHasItsReason) {
    // A call of an earlier reading, written with a date literal rather than the reader's text.
    Exec(
        "INSERT INTO out_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
        "VALUES ('Иванов','2345678',#2026/12/1 10:00:00#,0,0,0,96,0)");
    set.outgoing = {
        Call("2345678", 1, 12, 26, 10, 0, 96),     // the row above
        Call("2345678", 1, 12, 26, 10, 0, 192),    // same number and time, another record
        Call("3456789", 31, 2, 26, 10, 0, 288),    // 31 February
        Call("3456789", 29, 2, 25, 10, 0, 384),    // 29 February of a common year
        Call("3456789", 5, 13, 26, 10, 0, 480),    // month 13
        Call("3456789", 10, 12, 26, 24, 0, 576),   // 24:00
        Call("3456789", 10, 12, 26, 12, 60, 672),  // 12:60
        Call("89161234567", 9, 12, 26, 19, 5, 768),
        Call("89161234567", 9, 12, 26, 19, 5, 768),  // the same record again in this reading
    };

    const CallLogReading reading = ReadLogs();
    const CallListReading& out = reading.outgoing;

    EXPECT_EQ(out.read, 9);
    EXPECT_EQ(out.stored, 2);
    EXPECT_EQ(out.alreadyPresent, 2);
    EXPECT_EQ(out.notStored, 5);
    EXPECT_EQ(out.read, out.stored + out.alreadyPresent + out.notStored);
    ASSERT_EQ(out.notStoredCalls.size(), 5u);
    const auto reasonAndWhen = [&](std::size_t i) {
        return out.notStoredCalls[i].when + " " + out.notStoredCalls[i].reason;
    };
    EXPECT_EQ(reasonAndWhen(0), "31-02-26 10:00 такой даты нет в календаре");
    EXPECT_EQ(reasonAndWhen(1), "29-02-25 10:00 такой даты нет в календаре");
    EXPECT_EQ(reasonAndWhen(2), "05-13-26 10:00 такой даты нет в календаре");
    EXPECT_EQ(reasonAndWhen(3), "10-12-26 24:00 такого времени суток нет");
    EXPECT_EQ(reasonAndWhen(4), "10-12-26 12:60 такого времени суток нет");
    EXPECT_EQ(out.notStoredCalls[0].phone, "3456789");
    EXPECT_EQ(Count("out_data"), 3);
    EXPECT_EQ(Column("SELECT NAND_ADR FROM out_data ORDER BY RID"),
              (std::vector<std::string>{"96", "192", "768"}));

    EXPECT_TRUE(HasProblems(reading));
    const std::string message = CallLogReadingMessage(reading);
    EXPECT_THAT(message, HasSubstr("Исходящие звонки: считано 9, сохранено 2, уже были в базе 2, "
                                   "не сохранено 5."));
    EXPECT_THAT(message, HasSubstr("  исходящий 3456789, 31-02-26 10:00 — такой даты нет в "
                                   "календаре\n"));
    EXPECT_THAT(message, HasSubstr("  исходящий 3456789, 10-12-26 12:60 — такого времени суток "
                                   "нет"));
}

TEST_P(ListReading, SecondReadingStoresNothingAgain) {
    Reference(0, {"84951112233,Справочная,"});
    set.outgoing = {Call("2345678", 28, 11, 26, 10, 12, 0),
                    Call("84951112233", 9, 12, 26, 19, 5, 97)};
    set.incoming = {Call("3456789", 30, 11, 26, 8, 55, 0),
                    Call("84951112233", 9, 12, 26, 19, 20, 97),
                    Call("3456789", 31, 4, 26, 8, 0, 194)};

    const CallLogReading first = ReadLogs();
    const Rows outgoing = Log("out_data");
    const Rows incoming = Log("in_data");
    const Rows book = Book();
    const CallLogReading second = ReadLogs();

    EXPECT_EQ(first.outgoing.stored, 2);
    EXPECT_EQ(first.incoming.stored, 2);
    EXPECT_EQ(Log("out_data"), outgoing);
    EXPECT_EQ(Log("in_data"), incoming);
    EXPECT_EQ(Book(), book);
    EXPECT_EQ(book.size(), 1u);
    for (const CallListReading* list : {&second.outgoing, &second.incoming}) {
        EXPECT_EQ(list->stored, 0);
        EXPECT_EQ(list->alreadyPresent, 2);
    }
    // A record that cannot be stored is reported again, each time.
    EXPECT_EQ(second.incoming.notStored, 1);
}

// The set stops answering in the middle of the outgoing log: what came before is kept, and
// both lists are marked incomplete, the set is still sent to sleep.
TEST_P(ListReading, SetThatStopsAnsweringLeavesTheListsIncomplete) {
    set.outgoing = {Call("1111111", 1, 12, 26, 10, 0), Call("2222222", 2, 12, 26, 10, 0),
                    Call("3333333", 3, 12, 26, 10, 0), Call("4444444", 4, 12, 26, 10, 0)};
    set.incoming = {Call("5555555", 5, 12, 26, 10, 0)};
    set.answeredSteps = 2;

    const CallLogReading reading = ReadLogs();

    EXPECT_TRUE(reading.deviceAnswered);
    EXPECT_TRUE(reading.outgoing.incomplete);
    EXPECT_TRUE(reading.incoming.incomplete);
    EXPECT_EQ(reading.outgoing.stored, 2);
    EXPECT_EQ(Column("SELECT PHONE FROM out_data ORDER BY RID"),
              (std::vector<std::string>{"1111111", "2222222"}));
    EXPECT_EQ(set.sleeps, 1);
    const std::string message = CallLogReadingMessage(reading);
    EXPECT_THAT(message, HasSubstr("Исходящие звонки считаны не полностью: устройство перестало "
                                   "отвечать."));
    EXPECT_THAT(message, HasSubstr("Входящие звонки считаны не полностью"));
}

TEST_P(ListReading, SetThatCannotBeWokenIsNotRead) {
    set.outgoing = {Call("1111111", 1, 12, 26, 10, 0)};
    set.answersWakeup = false;

    const CallLogReading reading = ReadLogs();

    EXPECT_FALSE(reading.deviceAnswered);
    EXPECT_EQ(set.steps, 0);
    EXPECT_EQ(set.sleeps, 1);
    EXPECT_EQ(Count("out_data"), 0);
    EXPECT_TRUE(HasProblems(reading));
    EXPECT_EQ(CallLogReadingMessage(reading),
              "Устройство не отвечает: данные о звонках не считаны.");
}

// Only the phone book validates numbers: the logs keep what the set heard, letters and the
// control's "?" for an unknown digit included. A missing number is an empty one.
TEST_P(ListReading, LogsKeepNumbersThePhoneBookRefuses) {
    const std::vector<std::optional<std::string>> phones = {"12F45", "J01",  "8L",
                                                            "P_9",   "12?4", std::nullopt};
    std::uint32_t address = 0;
    for (const auto& phone : phones) {
        FakeRecord call = Call("", 1, 12, 26, 10, 0, address += 96);
        call.phone = phone;
        set.incoming.push_back(call);
    }

    const CallLogReading reading = ReadLogs();

    EXPECT_EQ(reading.incoming.stored, 6);
    EXPECT_EQ(NamesAndNumbers("in_data"), (Rows{{"12F45", "12F45"},
                                                {"J01", "J01"},
                                                {"8L", "8L"},
                                                {"P_9", "P_9"},
                                                {"12?4", "12?4"},
                                                {"", ""}}));
}

TEST_P(ListReading, DevicePhoneBookNamesEntriesByPosition) {
    Exec("INSERT INTO phone_book (PHONE,ABONENT,COMMENT) VALUES ('89161234567','Сидоров','брат')");
    Exec(
        "INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
        "VALUES ('2345678','2345678','01-12-26 10:00',0,0,0,0,0)");
    set.book = {Entry("2345678", 1), EmptySlot(), Entry("89161234567", 40), Entry("12F45", 3),
                Entry("84951112233", 255)};

    const PhoneBookReading first = ReadBook();
    const Rows book = Book();
    const PhoneBookReading second = ReadBook();

    EXPECT_EQ(book, (Rows{{"2345678", "Abonent1", ""},
                          {"84951112233", "Abonent255", ""},
                          {"89161234567", "Сидоров", "брат"}}));
    EXPECT_EQ(NamesAndNumbers("in_data"), (Rows{{"Abonent1", "2345678"}}));
    EXPECT_EQ(first.read, 4);
    EXPECT_EQ(first.stored, 2);
    EXPECT_EQ(first.alreadyPresent, 1);
    EXPECT_EQ(first.notStored, 1);
    ASSERT_EQ(first.notStoredEntries.size(), 1u);
    EXPECT_EQ(first.notStoredEntries[0].phone, "12F45");
    EXPECT_EQ(first.notStoredEntries[0].position, 3);
    EXPECT_EQ(first.notStoredEntries[0].reason,
              DescribeLineResult(PhoneBookLineResult::kInvalidNumber));
    EXPECT_THAT(PhoneBookReadingProblem(first), HasSubstr("  3: 12F45 — "));

    EXPECT_EQ(Book(), book);
    EXPECT_EQ(second.stored, 0);
    EXPECT_EQ(second.alreadyPresent, 3);
    EXPECT_EQ(set.wakeups, 2);
    EXPECT_EQ(set.sleeps, 2);
}

TEST_P(ListReading, DevicePhoneBookOfASetThatStopsOrSleeps) {
    set.book = {Entry("2345678", 1), Entry("3456789", 2), Entry("4567890", 3)};
    set.answeredSteps = 2;
    const PhoneBookReading cut = ReadBook();
    EXPECT_TRUE(cut.deviceAnswered);
    EXPECT_TRUE(cut.incomplete);
    EXPECT_EQ(cut.stored, 2);
    EXPECT_THAT(PhoneBookReadingProblem(cut),
                HasSubstr("Записная книжка считана не полностью: устройство перестало отвечать."));

    CFakeSet asleep;
    asleep.answersWakeup = false;
    const PhoneBookReading none = ReadDevicePhoneBook(m_db, asleep, progress);
    EXPECT_FALSE(none.deviceAnswered);
    EXPECT_EQ(asleep.steps, 0);
    EXPECT_EQ(asleep.sleeps, 1);
    EXPECT_EQ(PhoneBookReadingProblem(none), "Устройство не отвечает: записная книжка не считана.");
}

INSTANTIATE_TEST_SUITE_P(Backends, ListReading,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

// The finishing text: counts per list, then what went wrong, each record not stored on a line.
TEST(CallLogReadingMessage, CountsThenProblemsLineByLine) {
    CallLogReading reading;
    reading.deviceAnswered = true;
    reading.outgoing = {3, 3, 0, 0, {}, false};
    reading.incoming = {4,
                        1,
                        1,
                        2,
                        {{"3456789", "31-02-26 10:00", "такой даты нет в календаре"},
                         {"", "10-12-26 24:00", "такого времени суток нет"}},
                        true};
    EXPECT_EQ(CallLogReadingMessage(reading),
              "Исходящие звонки: считано 3, сохранено 3.\n"
              "Входящие звонки: считано 4, сохранено 1, уже были в базе 1, не сохранено 2.\n"
              "Входящие звонки считаны не полностью: устройство перестало отвечать.\n"
              "Не сохранены звонки:\n"
              "  входящий 3456789, 31-02-26 10:00 — такой даты нет в календаре\n"
              "  входящий без номера, 10-12-26 24:00 — такого времени суток нет");
    EXPECT_TRUE(HasProblems(reading));

    CallLogReading clean;
    clean.deviceAnswered = true;
    clean.outgoing = {2, 1, 1, 0, {}, false};
    EXPECT_FALSE(HasProblems(clean));
    EXPECT_EQ(CallLogReadingMessage(clean),
              "Исходящие звонки: считано 2, сохранено 1, уже были в базе 1.\n"
              "Входящие звонки: считано 0, сохранено 0.");

    clean.databaseError = "[08S01] connection lost";
    EXPECT_TRUE(HasProblems(clean));
    EXPECT_THAT(CallLogReadingMessage(clean),
                HasSubstr("Ошибка базы данных: [08S01] connection lost"));
}

}  // namespace
}  // namespace fonedesk::test
