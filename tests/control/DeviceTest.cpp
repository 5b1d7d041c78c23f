// CDevice and the families on a line in memory: the port probe, the identity read, the
// registers' encodings and the operations that must not touch the line.

#include <gtest/gtest.h>

#include "tests/control/TestDates.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "control/device/DeviceTypes.h"
#include "control/device/VarkonDevice.h"
#include "control/device/Zelta6Device.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "tests/control/FakeSet.h"
#include "tests/support/MemoryPort.h"

namespace fonerix::test {
namespace {

template <typename Device>
struct OnSet {
    FakeSet set;
    MemoryPort* line = nullptr;
    std::unique_ptr<Device> device;

    OnSet() {
        auto port = std::make_unique<MemoryPort>(
            [this](uint8_t b, std::vector<uint8_t>& out) { set(b, out); });
        line = port.get();
        device = std::make_unique<Device>(std::move(port));
    }
    size_t Zeros() const { return std::count(line->Written().begin(), line->Written().end(), 0); }
};

std::string Caption(DEVICEINFO& info) {
    std::string text = Utf8FromBstr(info.Caption);
    SysFreeString(info.Caption);
    info.Caption = nullptr;
    return text;
}

TEST(DeviceTypesTest, CaptionsOfEveryTypeCode) {
    const std::vector<std::pair<uint32_t, std::string>> table{
        {0, "Ringolo Zelta"},  {1, "Varkon+"},          {2, "Varkon-PC"},
        {3, "Varkon"},         {4, "Varkon+L"},         {5, "Ringolo Zelta+"},
        {6, "Ringolo Zelta+"}, {7, "Ringolo Zelta+"},   {8, "Ringolo Zelta+"},
        {9, "Unknown Device"}, {255, "Unknown Device"}, {kTypeNotRead, "Unknown Device"}};
    for (const auto& [type, caption] : table) {
        EXPECT_EQ(LoadControlString(CaptionStringId(type)), caption) << type;
    }
    EXPECT_EQ(CaptionStringId(0), 202);
    EXPECT_EQ(CaptionStringId(1), 207);
    EXPECT_EQ(CaptionStringId(kTypeNotRead), 206);
}

TEST(DeviceDateTest, AutomationDatesSplitAndJoin) {
    struct Case {
        DATE date;
        int year, month, day, hour, minute, second, dayOfWeek;
    };
    const Case cases[] = {
        {0.0, 1899, 12, 30, 0, 0, 0, 6},
        {2.25, 1900, 1, 1, 6, 0, 0, 1},
        {-1.5, 1899, 12, 29, 12, 0, 0, 5},  // before day 0 the time still counts up
        {45363.5, 2024, 3, 12, 12, 0, 0, 2},
        {36585.999996, 2000, 3, 1, 0, 0, 0, 3},  // 23:59:59.65 rounds into the next day
    };
    for (const Case& c : cases) {
        DateParts p;
        ASSERT_TRUE(SplitDate(c.date, p)) << c.date;
        EXPECT_EQ(
            std::vector<int>({p.year, p.month, p.day, p.hour, p.minute, p.second, p.dayOfWeek}),
            std::vector<int>({c.year, c.month, c.day, c.hour, c.minute, c.second, c.dayOfWeek}))
            << c.date;
        if (c.second == 0 && c.date != 36585.999996) {
            DATE back = 0;
            ASSERT_TRUE(MakeDate(p, back));
            EXPECT_DOUBLE_EQ(back, c.date);
        }
    }
    DateParts bad;
    bad.year = 2023, bad.month = 2, bad.day = 29;
    DATE untouched = 7.0;
    EXPECT_FALSE(MakeDate(bad, untouched));
    EXPECT_EQ(untouched, 7.0);
    DateParts p;
    EXPECT_FALSE(SplitDate(1e12, p));
}

TEST(DeviceIdentityTest, VersionByteAndTypeMakeTheIdentifier) {
    OnSet<CVarkonDevice> s;
    s.set.memory[0x1FFF] = 1;
    s.set.registers[0] = 0xA5;
    s.line->Open(2, 115200);
    DEVICEINFO info{};
    ASSERT_TRUE(s.device->GetDeviceInfo(info));
    EXPECT_EQ(info.inUse, 0xA5);
    EXPECT_EQ(info.devType, 1u);
    EXPECT_EQ(info.devVer, 5u);
    EXPECT_EQ(info.prgVer, 5u);
    EXPECT_EQ(info.IdZelta, 10'505'001);
    EXPECT_EQ(info.Port, 2u);
    EXPECT_EQ(info.BaudRate, 115200u);
    EXPECT_EQ(Caption(info), "Varkon+");
}

TEST(DeviceIdentityTest, TypeByteBeyondTheTableWrapsTheIdentifierAsA32BitValue) {
    OnSet<CZeltaDevice> s;
    s.set.memory[0x1FFF] = 255;
    s.set.registers[0] = 0x21;
    DEVICEINFO info{};
    ASSERT_TRUE(s.device->GetDeviceInfo(info));
    EXPECT_EQ(info.devType, 255u);
    EXPECT_EQ(info.IdZelta, static_cast<int32_t>(2'550'101'001u));
    EXPECT_EQ(Caption(info), "Unknown Device");
}

TEST(DeviceIdentityTest, UnreadableVersionReportsAnUnknownDeviceWithTheOldVersions) {
    OnSet<CZeltaDevice> s;
    s.set.memory[0x1FFF] = 5;
    s.set.registers[0] = 0;  // a version byte of 0 is no answer
    DEVICEINFO info{};
    info.devVer = 2;
    info.prgVer = 3;
    ASSERT_TRUE(s.device->GetDeviceInfo(info));
    EXPECT_EQ(info.inUse, 0);
    EXPECT_EQ(info.devType, kTypeNotRead);
    EXPECT_EQ(info.IdZelta, -10'000'000 + 200'000 + 3'000 + 1);
    EXPECT_EQ(Caption(info), "Unknown Device");
}

TEST(DeviceIdentityTest, SetThatAnswersTheHandshakeButNoCommandIsFoundButNotAccepted) {
    OnSet<CZeltaDevice> s;
    // Only the handshake's zeros are answered; commands get no echo.
    s.line->SetResponder([](uint8_t b, std::vector<uint8_t>& out) {
        if (b == 0) {
            out.push_back(0xFF);
        }
    });
    DEVICEINFO info{};
    EXPECT_FALSE(s.device->LookForDevice(info, 1));
    EXPECT_EQ(info.devType, kTypeNotRead);
    EXPECT_EQ(info.inUse, 0);
    EXPECT_EQ(Caption(info), "Unknown Device");
}

TEST(DeviceProbeTest, OnePortOrAllFourTwoHandshakesEach) {
    struct Case {
        uint8_t port;
        uint8_t lastTried;
        size_t ports;
    };
    for (const Case c : {Case{3, 3, 1}, Case{0, 4, 4}, Case{7, 4, 4}, Case{1, 1, 1}}) {
        OnSet<CZeltaDevice> s;
        s.set.silent = true;
        DEVICEINFO info{};
        info.devType = 42;
        EXPECT_FALSE(s.device->LookForDevice(info, c.port));
        // Each handshake: two zeros, then the burst of 500.
        EXPECT_EQ(s.Zeros(), c.ports * 2 * 502) << int(c.port);
        EXPECT_EQ(s.line->GetPort(), c.lastTried);
        EXPECT_TRUE(s.line->IsOpen());  // the last port tried stays open
        EXPECT_EQ(info.devType, 42u);   // untouched
    }
}

TEST(DeviceProbeTest, SecondHandshakeIsEnoughAndEachFamilyAcceptsOnlyItsTypes) {
    struct Case {
        uint8_t type;
        bool varkon, zelta5, zelta6, zelta7;
    };
    const Case cases[] = {{1, true, false, false, false},  {2, true, false, false, false},
                          {4, true, false, false, false},  {5, false, true, false, false},
                          {6, false, false, true, false},  {7, false, false, false, true},
                          {0, false, false, false, false}, {3, false, false, false, false},
                          {8, false, false, false, false}};
    for (const Case& c : cases) {
        const auto probe = [&c](auto& s) {
            s.set.memory[0x1FFF] = c.type;
            s.set.registers[0] = 0x21;
            // The whole first handshake goes unanswered; the second is answered.
            auto zeros = std::make_shared<int>(0);
            s.line->SetResponder([&s, zeros](uint8_t b, std::vector<uint8_t>& out) {
                if (b == 0 && ++*zeros <= 502) {
                    return;
                }
                s.set(b, out);
            });
            DEVICEINFO info{};
            const bool found = s.device->LookForDevice(info, 2);
            EXPECT_EQ(info.devType, c.type);
            EXPECT_EQ(s.line->GetBaudRate(), s.device->FamilyBaudRate());
            SysFreeString(info.Caption);
            return found;
        };
        OnSet<CVarkonDevice> v;
        OnSet<CZeltaDevice> z5;
        OnSet<CZelta6Device> z6;
        OnSet<CZelta7Device> z7;
        EXPECT_EQ(probe(v), c.varkon) << int(c.type);
        EXPECT_EQ(probe(z5), c.zelta5) << int(c.type);
        EXPECT_EQ(probe(z6), c.zelta6) << int(c.type);
        EXPECT_EQ(probe(z7), c.zelta7) << int(c.type);
    }
}

TEST(DeviceRegisterTest, PropertiesAFamilyLacksAnswerWithoutAnExchange) {
    OnSet<CVarkonDevice> v;
    v.line->TakeTrace();
    EXPECT_EQ(v.device->GetSetting(Setting::kSoundVolume), -1);
    EXPECT_EQ(v.device->GetSetting(Setting::kDeviceMode), -1);
    EXPECT_EQ(v.device->GetSetting(Setting::kDeviceRang), -1);
    EXPECT_EQ(v.device->GetSetting(Setting::kSndRecordTime), -1);
    EXPECT_EQ(v.device->GetStateRegister(1), 255);
    v.device->SetStateRegister(1, 5);
    v.device->SetSetting(Setting::kSoundVolume, 3);
    EXPECT_EQ(v.device->GetRedirectionNumber(), u"");
    EXPECT_EQ(v.device->GetAutoDialList(','), u"");
    EXPECT_FALSE(v.device->SetAutoDialList(u"1", ','));
    EXPECT_EQ(v.device->GetFreeSoundSpace(), 0);
    EXPECT_EQ(v.line->TakeTrace(), "");

    OnSet<CZelta6Device> z;
    z.line->TakeTrace();
    EXPECT_EQ(z.device->GetStateRegister(2), 255);
    EXPECT_EQ(z.device->GetStateRegister(4), 255);
    z.device->SetStateRegister(2, 5);
    EXPECT_EQ(z.device->GetRedirectionNumber(), u"");
    EXPECT_FALSE(z.device->SetAutoDialList(u"1", ','));
    EXPECT_EQ(z.line->TakeTrace(), "");
}

TEST(DeviceRegisterTest, FailedReadsAnswerTheirPresets) {
    OnSet<CZeltaDevice> z;
    z.set.silent = true;
    EXPECT_EQ(z.device->GetSetting(Setting::kNumLength), 255);
    EXPECT_EQ(z.device->GetSetting(Setting::kAlarmActivity), 0);
    EXPECT_EQ(z.device->GetStateRegister(0), 255);
    EXPECT_EQ(z.device->GetDeviceTime(), 0.0);
    EXPECT_EQ(z.device->GetAlarmTime(), 0.0);
    EXPECT_EQ(z.device->GetDeviceBuffer(), u"");
}

TEST(DeviceClockTest, VarkonWritesSecondsToSixtyFiveAndReadsThemFromSixtyEight) {
    OnSet<CVarkonDevice> v;
    ASSERT_TRUE(v.device->WakeupDevice(true));
    // 2024-03-10 was a Sunday.
    ASSERT_TRUE(v.device->SetDeviceTime(At(2024, 3, 10, 14, 35, 21)));
    const auto& r = v.set.registers;
    EXPECT_EQ(std::vector<int>({r[61], r[60], r[59], r[58], r[67], r[66], r[65]}),
              std::vector<int>({24, 3, 10, 0x02, 14, 35, 21}));
    v.set.registers[68] = 42;
    EXPECT_EQ(v.device->GetDeviceTime(), At(2024, 3, 10, 14, 35, 42));
}

TEST(DeviceClockTest, DayOfWeekBitsAndTheYearPivot) {
    OnSet<CZeltaDevice> z;
    ASSERT_TRUE(z.device->WakeupDevice(true));
    // 2024-03-11 Monday .. 2024-03-17 Sunday.
    const uint8_t bits[] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02};
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(z.device->SetDeviceTime(At(2024, 3, 11 + i, 0, 0, 0)));
        EXPECT_EQ(z.set.registers[217], bits[i]) << i;
    }
    auto& r = z.set.registers;
    r[214] = 28, r[215] = 2, r[213] = 9, r[212] = 8, r[85] = 7;
    r[216] = 49;
    EXPECT_EQ(z.device->GetDeviceTime(), At(2049, 2, 28, 9, 8, 7));
    r[216] = 50;
    EXPECT_EQ(z.device->GetDeviceTime(), At(1950, 2, 28, 9, 8, 7));
    r[214] = 30;  // 30 February
    EXPECT_EQ(z.device->GetDeviceTime(), 0.0);
}

TEST(DeviceClockTest, WritesWithoutPermissionAreRefusedAndReportedFalse) {
    OnSet<CZeltaDevice> z;
    EXPECT_FALSE(z.device->SetDeviceTime(At(2024, 3, 11, 1, 2, 3)));
    EXPECT_TRUE(z.line->Written().empty());
}

TEST(DeviceClockTest, AlarmIsATimeOfDayOnTheFirstDay) {
    OnSet<CVarkonDevice> v;
    ASSERT_TRUE(v.device->WakeupDevice(true));
    v.device->SetAlarmTime(At(2030, 5, 6, 7, 45, 59));
    EXPECT_EQ(v.set.registers[47], 7);
    EXPECT_EQ(v.set.registers[46], 45);
    EXPECT_EQ(v.device->GetAlarmTime(), At(1899, 12, 30, 7, 45, 0));
}

TEST(DeviceBufferTest, NumberIsWrittenAsLengthAndDigitCodesAndDialled) {
    OnSet<CZeltaDevice> z;
    ASSERT_TRUE(z.device->WakeupDevice(true));
    ASSERT_TRUE(z.device->DialNumber(u"0123"));
    const auto& r = z.set.registers;
    EXPECT_EQ(std::vector<int>({r[43], r[44], r[45], r[46], r[47]}),
              std::vector<int>({4, 10, 1, 2, 3}));
    EXPECT_EQ(z.set.others, std::vector<uint8_t>{0x20});
    EXPECT_EQ(z.line->PausedFor(), std::chrono::milliseconds(25));
    EXPECT_EQ(z.device->GetDeviceBuffer(), u"0123");

    OnSet<CVarkonDevice> v;
    ASSERT_TRUE(v.device->WakeupDevice(true));
    ASSERT_TRUE(v.device->DialNumber(u"F9"));
    EXPECT_EQ(v.set.registers[94], 2);
    EXPECT_EQ(v.set.registers[95], 11);
    EXPECT_EQ(v.set.others, std::vector<uint8_t>{0x0C});
}

TEST(DeviceBufferTest, TooLongANumberStopsAfterNineteenDigitsAndIsNotDialled) {
    OnSet<CZeltaDevice> z;
    ASSERT_TRUE(z.device->WakeupDevice(true));
    z.set.registers[43 + 20] = 0x77;
    EXPECT_FALSE(z.device->DialNumber(std::u16string(20, u'5')));
    EXPECT_EQ(z.set.registers[43], 20);
    EXPECT_EQ(z.set.registers[43 + 19], 5);
    EXPECT_EQ(z.set.registers[43 + 20], 0x77);
    EXPECT_TRUE(z.set.others.empty());
    // 256 characters: the length's low byte is 0, but the number still was not written.
    EXPECT_FALSE(z.device->SetDeviceBuffer(std::u16string(256, u'5')));
}

TEST(DeviceBufferTest, UnknownDigitIsReadFourTimesAndShownAsQuestionMark) {
    OnSet<CZeltaDevice> z;
    z.set.registers[43] = 2;
    z.set.registers[44] = 20;
    z.set.registers[45] = 11;
    z.set.registerReads.clear();
    EXPECT_EQ(z.device->GetDeviceBuffer(), u"?F");
    EXPECT_EQ(std::count(z.set.registerReads.begin(), z.set.registerReads.end(), 44), 4);
    // Characters of other alphabets become code 15.
    ASSERT_TRUE(z.device->WakeupDevice(true));
    ASSERT_TRUE(z.device->SetDeviceBuffer(u"1\u0416"));
    EXPECT_EQ(z.set.registers[45], 15);
}

TEST(DeviceLifeTest, DestroyingAFamilyObjectSendsTheSetToSleep) {
    OnSet<CZelta7Device> z;
    auto* set = &z.set;
    z.device.reset();
    EXPECT_EQ(set->others, (std::vector<uint8_t>{0x40, 0x81}));
}

}  // namespace
}  // namespace fonerix::test
