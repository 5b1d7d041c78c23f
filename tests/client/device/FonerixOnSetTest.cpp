// The wrapper against the registered control and a simulated set of each family: discovery,
// properties, the lists, dialling, voice messages through paths with Cyrillic letters, and the
// set's events through the Qt event loop.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "client/device/Fonerix.h"
#include "tests/client/device/DeviceTestWorld.h"
#include "tests/support/VoiceFiles.h"

namespace fonedesk::test {
namespace {

using fonerix::DEVICEINFO;
using fonerix::PHBOOKRECORD;
using fonerix::test::SimProcess;

struct SetKind {
    int type;
    const char* scenario;
    const char* caption;
    unsigned baudRate;
};

void PrintTo(const SetKind& kind, std::ostream* out) {
    *out << "type " << kind.type;
}

std::string PrintSetKind(const ::testing::TestParamInfo<SetKind>& info) {
    return "Type" + std::to_string(info.param.type);
}

class FonerixOnSet : public ::testing::TestWithParam<SetKind> {
  protected:
    void SetUp() override {
        CDeviceTestWorld& world = CDeviceTestWorld::Instance();
        world.RegisterControl();
        set = world.StartSet(GetParam().type, GetParam().scenario);
        fonerix::CreateFailure failure;
        ASSERT_TRUE(fonerix.CreateControl(&events, &dialogs, failure)) << failure.message;
        ASSERT_TRUE(fonerix.LookForDevice(&device));
    }
    void TearDown() override {
        fonerix.Release();
        fonerix::SysFreeString(device.Caption);
        CDeviceTestWorld::Instance().NoSet();
    }

    CRecordingHandler events;
    CRecordingDialogs dialogs;
    CFonerix fonerix;
    DEVICEINFO device{};
    std::unique_ptr<SimProcess> set;
};

TEST_P(FonerixOnSet, LookForDeviceFillsTheRecord) {
    EXPECT_TRUE(fonerix.IsCreated());
    EXPECT_NE(device.inUse, 0);
    EXPECT_EQ(device.devType, static_cast<uint32_t>(GetParam().type));
    EXPECT_EQ(device.Port, 1u);
    EXPECT_EQ(device.BaudRate, GetParam().baudRate);
    EXPECT_EQ(fonerix::Utf8FromBstr(device.Caption), GetParam().caption);

    // The record's caption is the caller's: free it before the record is filled again.
    DEVICEINFO again{};
    ASSERT_TRUE(fonerix.GetDeviceInfo(&again));
    EXPECT_EQ(again.devType, device.devType);
    EXPECT_EQ(again.IdZelta, device.IdZelta);
    EXPECT_EQ(fonerix::Utf8FromBstr(again.Caption), GetParam().caption);
    fonerix::SysFreeString(again.Caption);
}

// Each property reads its own register: the scenario's settings and the set's fresh values.
TEST_P(FonerixOnSet, PropertiesReadTheSetsSettings) {
    const bool flash = GetParam().type == 5;
    const struct {
        const char* name;
        short (CFonerix::*get)();
        short flashValue;
        short varkonValue;
    } cases[] = {
        {"NumLength", &CFonerix::GetNumLength, 7, 7},
        {"SkipBells", &CFonerix::GetSkipBells, 3, 2},
        {"BellMelody", &CFonerix::GetBellMelody, 1, 1},
        {"BellVolume", &CFonerix::GetBellVolume, 5, 4},
        {"SoundVolume", &CFonerix::GetSoundVolume, 6, -1},
        {"UtCallup", &CFonerix::GetUtCallup, 100, 100},
        {"UtLineFree", &CFonerix::GetUtLineFree, 10, 10},
        {"ConfigRegister", &CFonerix::GetConfigRegister, 0x11, 0x11},
        {"DeviceMode", &CFonerix::GetDeviceMode, 0, -1},
        {"AlarmActivity", &CFonerix::GetAlarmActivity, 0, 0},
        {"SndRecordTime", &CFonerix::GetSndRecordTime, 30, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ((fonerix.*c.get)(), flash ? c.flashValue : c.varkonValue) << c.name;
    }
    EXPECT_EQ(DateTimeFromDate(fonerix.GetAlarmTime()).time(), QTime(7, 0));
}

TEST_P(FonerixOnSet, PropertiesAreWrittenAndReadBack) {
    ASSERT_TRUE(fonerix.WakeupDevice(true));
    const struct {
        const char* name;
        void (CFonerix::*put)(short);
        short (CFonerix::*get)();
        short value;
    } cases[] = {
        {"BellVolume", &CFonerix::SetBellVolume, &CFonerix::GetBellVolume, 3},
        {"NumLength", &CFonerix::SetNumLength, &CFonerix::GetNumLength, 6},
        {"SkipBells", &CFonerix::SetSkipBells, &CFonerix::GetSkipBells, 5},
        {"BellMelody", &CFonerix::SetBellMelody, &CFonerix::GetBellMelody, 2},
        {"UtCallup", &CFonerix::SetUtCallup, &CFonerix::GetUtCallup, 120},
        {"UtLineFree", &CFonerix::SetUtLineFree, &CFonerix::GetUtLineFree, 20},
    };
    for (const auto& c : cases) {
        (fonerix.*c.put)(c.value);
        EXPECT_EQ((fonerix.*c.get)(), c.value) << c.name;
    }
    fonerix.SetStateRegister(0, 3);
    EXPECT_EQ(fonerix.GetStateRegister(0), 3);

    // The alarm clock keeps hour and minute only.
    const fonerix::DATE alarm = DateFromDateTime(QDateTime(QDate(1899, 12, 30), QTime(7, 45)));
    fonerix.SetAlarmTime(alarm);
    EXPECT_EQ(DateTimeFromDate(fonerix.GetAlarmTime()).time(), QTime(7, 45));
    EXPECT_TRUE(fonerix.SleepDevice());
}

TEST_P(FonerixOnSet, DeviceTimeRoundTrip) {
    ASSERT_TRUE(fonerix.WakeupDevice(true));
    const QDateTime now = QDateTime::currentDateTime();
    fonerix.SetDeviceTime(DateFromDateTime(now));
    const QDateTime read = DateTimeFromDate(fonerix.GetDeviceTime());
    ASSERT_TRUE(read.isValid());
    EXPECT_LT(std::abs(now.secsTo(read)), 60) << read.toString().toStdString();
}

// Each list step by step until FALSE, as the client imports them; the numbers come as the
// scenario put them in.
TEST_P(FonerixOnSet, ListsAreReadUntilFalse) {
    ASSERT_TRUE(fonerix.WakeupDevice(false));
    using Reader = bool (CFonerix::*)(PHBOOKRECORD*);
    const auto read = [&](Reader reader) {
        QStringList numbers;
        for (int step = 0; step < 1000; ++step) {
            PHBOOKRECORD record{};
            if (!(fonerix.*reader)(&record)) {
                return numbers;
            }
            if (record.inUse != 0) {
                numbers.append(QString::fromStdString(fonerix::Utf8FromBstr(record.Phone)) + "@" +
                               QString::number(record.posInBook));
            }
            fonerix::SysFreeString(record.Phone);
        }
        ADD_FAILURE() << "the list never ended";
        return numbers;
    };
    const QStringList book = read(&CFonerix::GetPhoneBook);
    const QStringList outgoing = read(&CFonerix::GetOutcomeBook);
    const QStringList incoming = read(&CFonerix::GetIncomeBook);
    EXPECT_TRUE(fonerix.SleepDevice());

    // The flash models number their book from 1, the second family from 0; the logs carry no
    // position.
    if (GetParam().type == 5) {
        EXPECT_EQ(book, (QStringList{"2345678@1", "89161234567@2", "84951112233@3", "55123@40"}));
        EXPECT_EQ(outgoing, (QStringList{"2345678@0", "89161234567@0", "84951112233@0"}));
        EXPECT_EQ(incoming, (QStringList{"3456789@0", "89031231212@0", "2345678@0"}));
    } else {
        EXPECT_EQ(book, (QStringList{"2345678@0", "89161234567@1", "55123@149"}));
        EXPECT_EQ(outgoing, (QStringList{"2345678@0", "84951112233@0"}));
        EXPECT_EQ(incoming, (QStringList{"3456789@0", "2345678@0"}));
    }
}

TEST_P(FonerixOnSet, DialAndKeysReachTheSet) {
    // Awake with write permission, as the client keeps the set after start-up.
    ASSERT_TRUE(fonerix.WakeupDevice(true));
    fonerix.DialNumber(QStringLiteral("0123"));
    EXPECT_NO_THROW(set->WaitForStatus("dialled=\"0123\""));
    EXPECT_EQ(fonerix.GetDeviceBuffer(), "0123");
    EXPECT_TRUE(fonerix.KeyPress(7));
    EXPECT_NO_THROW(set->WaitForStatus("key=7"));
}

TEST_P(FonerixOnSet, CallerIdParametersAndStatistics) {
    ASSERT_TRUE(fonerix.WakeupDevice(true));
    fonerix::AUTODETPARAMS current{};
    fonerix::AUTODETPARAMS parallel{};
    ASSERT_TRUE(fonerix.GetAutodetParams(&current, &parallel));
    // As the scenario set them (the second family has no parallel input).
    EXPECT_EQ(current.queryTime, GetParam().type == 5 ? 80 : 60);
    EXPECT_EQ(current.minDigits, GetParam().type == 5 ? 3 : 4);
    current.minDigits = 2;
    current.firstDelay = 200;
    ASSERT_TRUE(fonerix.SetAutodetParams(&current, nullptr));
    fonerix::AUTODETPARAMS back{};
    ASSERT_TRUE(fonerix.GetAutodetParams(&back, nullptr));
    EXPECT_EQ(back.minDigits, 2);
    EXPECT_EQ(back.firstDelay, 200);

    fonerix::CALLSTATISTIC statistic{};
    ASSERT_TRUE(fonerix.GetCallsStatistic(&statistic));
    EXPECT_EQ(statistic.billMonth, 12);
    EXPECT_EQ(statistic.curLong, GetParam().type == 5 ? 38 : 22);
    EXPECT_EQ(statistic.prevLocal, GetParam().type == 5 ? 540 : 420);
}

// Voice messages go by file path: a path with Cyrillic letters reaches the control intact both
// ways. The second family has no voice store and answers with the failure values.
TEST_P(FonerixOnSet, VoiceMessagesThroughCyrillicPaths) {
    ASSERT_TRUE(fonerix.WakeupDevice(true));
    const QString folder = QString::fromStdString(CDeviceTestWorld::Instance().Folder().Path());
    const QString upload = folder + QStringLiteral("/Приветствие.wav");
    const QString download = folder + QStringLiteral("/Ответ №1.wav");
    const std::vector<uint8_t> samples = fonerix::test::Sine(11025, 11025);
    fonerix::test::WriteBytes(upload.toStdString(), fonerix::test::WavBytes(samples));
    short handles[4] = {};

    if (GetParam().type != 5) {
        short handle = 0;
        EXPECT_FALSE(fonerix.SetSoundMessage(&handle, upload));
        EXPECT_FALSE(fonerix.GetSoundMessage(1, download));
        EXPECT_FALSE(fonerix.DelSoundMessage(1));
        EXPECT_EQ(fonerix.GetSoundHandles(handles, 4), -1);
        EXPECT_FALSE(fonerix.SetSoundHandles(handles, 2));
        EXPECT_EQ(fonerix.GetFreeSoundSpace(), 0);
        EXPECT_EQ(fonerix.GetSoundVolume(), -1);
        EXPECT_EQ(fonerix.GetSndRecordTime(), -1);
        return;
    }

    const int freeBefore = fonerix.GetFreeSoundSpace();
    EXPECT_GT(freeBefore, 0);
    short handle = 0;
    ASSERT_TRUE(fonerix.SetSoundMessage(&handle, upload));
    EXPECT_NE(handle, 0);
    EXPECT_LT(fonerix.GetFreeSoundSpace(), freeBefore);

    ASSERT_TRUE(fonerix.GetSoundMessage(handle, download));
    QFile written(download);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << download.toStdString();
    EXPECT_EQ(written.read(4), "RIFF");
    EXPECT_GT(written.size(), 44 + static_cast<qint64>(samples.size()) / 2);

    handles[0] = handle;
    ASSERT_TRUE(fonerix.SetSoundHandles(handles, 2));
    short read[4] = {};
    EXPECT_GE(fonerix.GetSoundHandles(read, 4), 1);
    EXPECT_EQ(read[0], handle);
    handles[0] = 0;
    EXPECT_TRUE(fonerix.SetSoundHandles(handles, 2));
    EXPECT_TRUE(fonerix.DelSoundMessage(handle));
    EXPECT_EQ(fonerix.GetFreeSoundSpace(), freeBefore);
}

// Every kind of event the set sends arrives on this thread from the Qt event loop, with its
// number or key code.
TEST_P(FonerixOnSet, EventsReachTheHandlerThroughTheEventLoop) {
    fonerix.EnableDeviceEvents();
    const struct {
        const char* command;
        const char* event;
    } cases[] = {
        {"call 0123", "ComingCall 0123"},
        {"call", "ComingCall "},
        {"dialling 4567", "ParallDialing 4567"},
        {"up", "TubeUp"},
        {"down", "TubeDown"},
        {"parallel-up", "ParallTubeUp"},
        {"end", "FinishTalking"},
        {"linked", "SuccessLinking"},
        {"failed", "FailedLinking"},
        {"busy", "BusyLinking"},
        {"key 5", "PhoneKeyPress 5"},
        {"key 64", "PhoneKeyPress 64"},
    };
    for (const auto& c : cases) {
        events.events.clear();
        ASSERT_EQ(set->Command(c.command), "ok");
        ASSERT_TRUE(SpinUntil([&] { return !events.events.isEmpty(); })) << c.command;
        EXPECT_EQ(events.events, QStringList{QString::fromUtf8(c.event)}) << c.command;
    }
}

// The main frame reads the set's buffer from inside TubeUp and PhoneKeyPress; the control's
// watcher waits meanwhile and the next event still comes.
TEST_P(FonerixOnSet, AHandlerMayCallTheSetInsideAnEvent) {
    ASSERT_TRUE(fonerix.WakeupDevice(true));
    fonerix.DialNumber(QStringLiteral("0123"));
    ASSERT_NO_THROW(set->WaitForStatus("dialled=\"0123\""));
    fonerix.EnableDeviceEvents();
    QStringList buffers;
    events.inside = [&](const QString&) { buffers.append(fonerix.GetDeviceBuffer()); };

    ASSERT_EQ(set->Command("up"), "ok");
    ASSERT_TRUE(SpinUntil([&] { return events.events.size() == 1; }));
    ASSERT_EQ(set->Command("key 5"), "ok");
    ASSERT_TRUE(SpinUntil([&] { return events.events.size() == 2; }));
    EXPECT_EQ(events.events, (QStringList{"TubeUp", "PhoneKeyPress 5"}));
    EXPECT_EQ(buffers, (QStringList{"0123", "0123"}));
}

// A handler that lets the control go (the program closing during an event) leaves a wrapper
// without a control, which can make a new one.
TEST_P(FonerixOnSet, ReleasedFromInsideAnEvent) {
    fonerix.EnableDeviceEvents();
    events.inside = [&](const QString&) { fonerix.Release(); };
    ASSERT_EQ(set->Command("call 0123"), "ok");
    ASSERT_TRUE(SpinUntil([&] { return !events.events.isEmpty(); }));
    EXPECT_FALSE(fonerix.IsCreated());
    EXPECT_EQ(fonerix.GetBellVolume(), -1);

    events.inside = nullptr;
    events.events.clear();
    fonerix::CreateFailure failure;
    ASSERT_TRUE(fonerix.CreateControl(&events, &dialogs, failure)) << failure.message;
    fonerix::SysFreeString(std::exchange(device.Caption, nullptr));
    ASSERT_TRUE(fonerix.LookForDevice(&device));
    fonerix.EnableDeviceEvents();
    ASSERT_EQ(set->Command("up"), "ok");
    ASSERT_TRUE(SpinUntil([&] { return !events.events.isEmpty(); }));
    EXPECT_EQ(events.events, QStringList{"TubeUp"});
}

INSTANTIATE_TEST_SUITE_P(Families, FonerixOnSet,
                         ::testing::Values(SetKind{5, "zelta5.txt", "Ringolo Zelta+", 57600},
                                           SetKind{1, "varkon.txt", "Varkon+", 115200}),
                         PrintSetKind);

// Only type 7 keeps a redirection number and an auto-dial list: text both ways, the delimiter
// a character of the caller's choice.
TEST(FonerixOnType7, RedirectionNumberAndAutoDialList) {
    CDeviceTestWorld& world = CDeviceTestWorld::Instance();
    world.RegisterControl();
    const std::unique_ptr<SimProcess> set = world.StartSet(7, "zelta7.txt");
    CRecordingHandler events;
    CFonerix fonerix;
    fonerix::CreateFailure failure;
    ASSERT_TRUE(fonerix.CreateControl(&events, nullptr, failure)) << failure.message;
    DEVICEINFO device{};
    ASSERT_TRUE(fonerix.LookForDevice(&device));
    EXPECT_EQ(device.devType, 7u);
    fonerix::SysFreeString(device.Caption);
    ASSERT_TRUE(fonerix.WakeupDevice(true));

    EXPECT_EQ(fonerix.GetRedirectionNumber(), "89031112233");
    EXPECT_EQ(fonerix.GetAutoDialList(';'), "2345678;89161234567;0123");

    fonerix.SetRedirectionNumber(QStringLiteral("0123456"));
    EXPECT_EQ(fonerix.GetRedirectionNumber(), "0123456");
    EXPECT_TRUE(fonerix.SetAutoDialList(QStringLiteral("111,2222"), ','));
    EXPECT_EQ(fonerix.GetAutoDialList('|'), "111|2222");
    fonerix.Release();
    world.NoSet();
}

}  // namespace
}  // namespace fonedesk::test
