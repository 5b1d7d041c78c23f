// Reading the lists of a simulated set of each family through the registered control and the
// wrapper into the tables, on each backend: what the set holds arrives once, a record with an
// impossible moment is reported, and a second reading leaves the tables as the first did.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/data/DeviceListReading.h"
#include "client/data/PhoneBook.h"
#include "client/device/Fonerix.h"
#include "platform/automation/Bstr.h"
#include "platform/profile/ProfileFile.h"
#include "tests/client/data/TestDatabase.h"
#include "tests/client/data/lists/FakeSet.h"
#include "tests/client/device/DeviceTestWorld.h"
#include "tests/support/TemporaryDirectory.h"

namespace fonedesk::test {
namespace {

using ::testing::EndsWith;
using Rows = std::vector<std::vector<std::string>>;

class ListsOnSet : public DatabaseTest {
  protected:
    void SetUp() override {
        // The data sources first: they move HOME and the XDG folders once, and the device world
        // puts the control's registry into its own folder afterwards.
        DatabaseTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        m_db.SetTodayForTesting({2026, 12, 10});
        CDeviceTestWorld::Instance().RegisterControl();
        fonerix::CreateFailure failure;
        ASSERT_TRUE(fonerix.CreateControl(&events, nullptr, failure)) << failure.message;
    }
    void TearDown() override {
        fonerix.Release();
        fonerix::SysFreeString(device.Caption);
        CDeviceTestWorld::Instance().NoSet();
    }

    void Connect(int type, const std::string& scenario) {
        fonerix::SysFreeString(device.Caption);
        device = {};
        set = CDeviceTestWorld::Instance().StartSet(type, scenario);
        ASSERT_TRUE(fonerix.LookForDevice(&device));
        ASSERT_EQ(device.devType, static_cast<unsigned>(type));
    }

    CallLogReading ReadLogs() { return ReadCallLogs(m_db, fonerix, profileFile, progress); }
    Rows Log(const std::string& table) {
        return Query("SELECT ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS FROM " +
                     table + " ORDER BY RID");
    }
    Rows Book() { return Query("SELECT PHONE,ABONENT,COMMENT FROM phone_book ORDER BY PHONE"); }

    fonerix::test::TemporaryDirectory folder{"fonedesk-lists-set"};
    platform::ProfileFile profileFile{folder.Path() / "Fonedesk.INI"};
    CRecordingHandler events;
    CFonerix fonerix;
    fonerix::DEVICEINFO device{};
    std::unique_ptr<fonerix::test::SimProcess> set;
    CCountingProgress progress;
};

TEST_P(ListsOnSet, FlashSetLogsReadTwiceAreStoredOnce) {
    Connect(5, "zelta5-lists.txt");

    const CallLogReading first = ReadLogs();

    ASSERT_TRUE(first.deviceAnswered);
    EXPECT_FALSE(first.outgoing.incomplete);
    EXPECT_FALSE(first.incoming.incomplete);
    EXPECT_EQ(first.outgoing.read, 3);
    EXPECT_EQ(first.outgoing.stored, 2);
    ASSERT_EQ(first.outgoing.notStoredCalls.size(), 1u);
    EXPECT_EQ(first.outgoing.notStoredCalls[0].phone, "2345678");
    EXPECT_EQ(first.outgoing.notStoredCalls[0].when, "31-02-26 10:12");
    EXPECT_EQ(first.outgoing.notStoredCalls[0].reason, "такой даты нет в календаре");
    EXPECT_EQ(first.incoming.read, 4);
    EXPECT_EQ(first.incoming.stored, 4);

    const Rows outgoing = Log("out_data");
    const Rows incoming = Log("in_data");
    ASSERT_EQ(outgoing.size(), 2u);
    ASSERT_EQ(incoming.size(), 4u);
    // Number, time, duration and flags as the scenario put them in.
    const auto call = [](const std::vector<std::string>& row) {
        return std::vector<std::string>(row.begin() + 1, row.begin() + 6);
    };
    EXPECT_EQ(call(outgoing[0]),
              (std::vector<std::string>{"89161234567", "2026-12-02 18:40:00", "17", "1", "0"}));
    EXPECT_EQ(call(outgoing[1]),
              (std::vector<std::string>{"84951112233", "2026-12-09 19:05:00", "2", "0", "0"}));
    EXPECT_EQ(call(incoming[1]),
              (std::vector<std::string>{"89031231212", "2026-12-05 21:17:00", "6", "0", "1"}));
    EXPECT_EQ(call(incoming[2]),
              (std::vector<std::string>{"12F45", "2026-12-06 10:00:00", "0", "0", "0"}));

    const CallLogReading second = ReadLogs();

    EXPECT_EQ(Log("out_data"), outgoing);
    EXPECT_EQ(Log("in_data"), incoming);
    EXPECT_EQ(second.outgoing.stored + second.incoming.stored, 0);
    EXPECT_EQ(second.outgoing.alreadyPresent, 2);
    EXPECT_EQ(second.incoming.alreadyPresent, 4);
    EXPECT_EQ(second.outgoing.notStored, 1);
}

TEST_P(ListsOnSet, SecondFamilyLogsReadTwiceAreStoredOnce) {
    Connect(1, "varkon-lists.txt");

    const CallLogReading first = ReadLogs();

    ASSERT_TRUE(first.deviceAnswered);
    EXPECT_EQ(first.outgoing.read, 2);
    EXPECT_EQ(first.outgoing.stored, 1);
    ASSERT_EQ(first.outgoing.notStoredCalls.size(), 1u);
    EXPECT_EQ(first.outgoing.notStoredCalls[0].phone, "2345678");
    EXPECT_THAT(first.outgoing.notStoredCalls[0].when, EndsWith(" 25:12"));
    EXPECT_EQ(first.outgoing.notStoredCalls[0].reason, "такого времени суток нет");
    EXPECT_EQ(first.incoming.stored, 2);
    // This family keeps the day but no month or year: the control infers them from the PC's
    // date, so only the numbers and the times of day are fixed here.
    EXPECT_EQ(Column("SELECT PHONE FROM out_data ORDER BY RID"),
              (std::vector<std::string>{"84951112233"}));
    EXPECT_EQ(Column("SELECT PHONE FROM in_data ORDER BY RID"),
              (std::vector<std::string>{"3456789", "2345678"}));
    EXPECT_THAT(Column("SELECT DT_CALL FROM out_data")[0], EndsWith(" 19:05:00"));

    const Rows outgoing = Log("out_data");
    const Rows incoming = Log("in_data");
    const CallLogReading second = ReadLogs();

    EXPECT_EQ(Log("out_data"), outgoing);
    EXPECT_EQ(Log("in_data"), incoming);
    EXPECT_EQ(second.outgoing.alreadyPresent, 1);
    EXPECT_EQ(second.incoming.alreadyPresent, 2);
    EXPECT_EQ(second.outgoing.stored + second.incoming.stored, 0);
}

// The flash models number their book from 1, the second family from 0.
TEST_P(ListsOnSet, PhoneBookOfEachFamilyReadTwiceIsStoredOnce) {
    const struct {
        int type;
        const char* scenario;
        Rows book;
        int refusedPosition;
    } kinds[] = {
        {5,
         "zelta5-lists.txt",
         {{"2345678", "Abonent1", ""},
          {"84951112233", "Abonent3", ""},
          {"89161234567", "Abonent2", ""}},
         4},
        {1, "varkon-lists.txt", {{"2345678", "Abonent0", ""}, {"89161234567", "Abonent1", ""}}, 2},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE("type " + std::to_string(kind.type));
        Exec("DELETE FROM phone_book");
        Connect(kind.type, kind.scenario);

        const PhoneBookReading first = ReadDevicePhoneBook(m_db, fonerix, progress);

        ASSERT_TRUE(first.deviceAnswered);
        EXPECT_FALSE(first.incomplete);
        EXPECT_EQ(Book(), kind.book);
        EXPECT_EQ(first.stored, static_cast<int>(kind.book.size()));
        // The number with a letter is the phone book's to refuse.
        ASSERT_EQ(first.notStoredEntries.size(), 1u);
        EXPECT_EQ(first.notStoredEntries[0].phone, "12F45");
        EXPECT_EQ(first.notStoredEntries[0].position, kind.refusedPosition);

        const PhoneBookReading second = ReadDevicePhoneBook(m_db, fonerix, progress);

        EXPECT_EQ(Book(), kind.book);
        EXPECT_EQ(second.stored, 0);
        EXPECT_EQ(second.alreadyPresent, static_cast<int>(kind.book.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ListsOnSet,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

}  // namespace
}  // namespace fonedesk::test
