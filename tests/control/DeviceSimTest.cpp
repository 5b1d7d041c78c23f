// Every family against the simulated set of each type: discovery and acceptance, identity,
// every register property with its clamping, the clock across the year pivot.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/device/VarkonDevice.h"
#include "control/device/Zelta6Device.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "tests/support/SimProcess.h"

namespace fonerix::test {
namespace {

using Make = std::function<std::unique_ptr<CDevice>()>;

const Make kVarkon = [] { return std::make_unique<CVarkonDevice>(); };
const Make kZelta5 = [] { return std::make_unique<CZeltaDevice>(); };
const Make kZelta6 = [] { return std::make_unique<CZelta6Device>(); };
const Make kZelta7 = [] { return std::make_unique<CZelta7Device>(); };

struct SimType {
    int type;
    Make make;   // the class that accepts it
    bool flash;  // first family: the register map and ranges of the flash models
    uint32_t baud;
    const char* caption;
};

std::ostream& operator<<(std::ostream& out, const SimType& t) {
    return out << "type" << t.type;
}

const SimType kTypes[] = {
    {1, kVarkon, false, 115200, "Varkon+"},      {2, kVarkon, false, 115200, "Varkon-PC"},
    {4, kVarkon, false, 115200, "Varkon+L"},     {5, kZelta5, true, 57600, "Ringolo Zelta+"},
    {6, kZelta6, true, 57600, "Ringolo Zelta+"}, {7, kZelta7, true, 57600, "Ringolo Zelta+"},
};

DATE At(int year, int month, int day, int hour, int minute, int second) {
    DateParts p;
    p.year = year;
    p.month = month;
    p.day = day;
    p.hour = hour;
    p.minute = minute;
    p.second = second;
    DATE d = 0;
    EXPECT_TRUE(MakeDate(p, d));
    return d;
}

class DeviceSimTest : public ::testing::TestWithParam<SimType> {
  protected:
    DeviceSimTest() : sim({.type = GetParam().type}) {
        setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
        CVarkonDevice::ResetReaders();
    }
    ~DeviceSimTest() override { unsetenv("FONERIX_COM1"); }

    // The accepting class, found on COM1 and woken with write permission.
    std::unique_ptr<CDevice> Found() {
        auto device = GetParam().make();
        DEVICEINFO info{};
        EXPECT_TRUE(device->LookForDevice(info, 1));
        SysFreeString(info.Caption);
        EXPECT_TRUE(device->WakeupDevice(true));
        return device;
    }

    fonerix::testing::SimProcess sim;
};

TEST_P(DeviceSimTest, AcceptingClassFindsAndIdentifiesTheSet) {
    const SimType& t = GetParam();
    auto device = t.make();
    DEVICEINFO info{};
    ASSERT_TRUE(device->LookForDevice(info, 1));
    // The simulated set's version register reads 0x21: hardware 1, program 1.
    EXPECT_EQ(info.inUse, 0x21);
    EXPECT_EQ(info.devType, static_cast<uint32_t>(t.type));
    EXPECT_EQ(info.devVer, 1u);
    EXPECT_EQ(info.prgVer, 1u);
    EXPECT_EQ(info.IdZelta, t.type * 10'000'000 + 100'000 + 1'000 + 1);
    EXPECT_EQ(info.Port, 1u);
    EXPECT_EQ(info.BaudRate, t.baud);
    EXPECT_EQ(Utf8FromBstr(info.Caption), t.caption);
    SysFreeString(info.Caption);
}

TEST_P(DeviceSimTest, ClassesOfTheSameLinkSpeedFindTheSetButRefuseItsType) {
    const SimType& t = GetParam();
    const std::vector<Make> others =
        t.flash ? std::vector<Make>{kZelta5, kZelta6, kZelta7} : std::vector<Make>{};
    int refused = 0;
    for (const Make& make : others) {
        auto device = make();
        DEVICEINFO info{};
        if (!device->LookForDevice(info, 1)) {
            ++refused;
            EXPECT_EQ(info.devType, static_cast<uint32_t>(t.type));  // identified all the same
        }
        SysFreeString(info.Caption);
    }
    EXPECT_EQ(refused, t.flash ? 2 : 0);
}

TEST_P(DeviceSimTest, TheOtherFamilyDoesNotHearTheSetAtItsSpeed) {
    const SimType& t = GetParam();
    auto device = t.flash ? kVarkon() : kZelta5();
    DEVICEINFO info{};
    info.devType = 77;
    EXPECT_FALSE(device->LookForDevice(info, 1));
    EXPECT_EQ(info.devType, 77u);
}

struct Property {
    const char* name;
    int16_t (CDevice::*get)();
    void (CDevice::*set)(int16_t);
    uint8_t varkonRegister;  // 0: the family lacks it
    uint8_t zeltaRegister;
    // value set -> value stored, for each family
    std::vector<std::pair<int16_t, int16_t>> varkonCases;
    std::vector<std::pair<int16_t, int16_t>> zeltaCases;
};

const std::vector<Property>& Properties() {
    using D = CDevice;
    static const std::vector<Property> kProperties{
        {"NumLength",
         &D::GetNumLength,
         &D::SetNumLength,
         39,
         228,
         {{9, 7}, {2, 4}, {5, 5}},
         {{9, 7}, {2, 4}, {6, 6}}},
        {"SkipBells",
         &D::GetSkipBells,
         &D::SetSkipBells,
         40,
         229,
         {{12, 9}, {0, 0}, {3, 3}},
         {{10, 9}, {0, 0}}},
        {"BellMelody",
         &D::GetBellMelody,
         &D::SetBellMelody,
         41,
         230,
         {{0, 1}, {6, 4}, {2, 2}},
         {{0, 1}, {5, 4}}},
        {"BellVolume",
         &D::GetBellVolume,
         &D::SetBellVolume,
         43,
         231,
         {{9, 5}, {5, 5}},
         {{9, 7}, {7, 7}, {0, 0}}},
        {"SoundVolume", &D::GetSoundVolume, &D::SetSoundVolume, 0, 79, {}, {{9, 8}, {3, 3}}},
        {"UtCallup",
         &D::GetUtCallup,
         &D::SetUtCallup,
         56,
         32,
         {{200, 150}, {50, 70}, {99, 99}},
         {{200, 150}, {10, 70}}},
        {"UtLineFree",
         &D::GetUtLineFree,
         &D::SetUtLineFree,
         57,
         33,
         {{0, 1}, {60, 50}},
         {{0, 1}, {51, 50}, {25, 25}}},
        {"ConfigRegister",
         &D::GetConfigRegister,
         &D::SetConfigRegister,
         38,
         83,
         {{0x1A5, 0xA5}, {0, 0}},
         {{0xFE, 0xFE}, {-1, 0xFF}}},
        {"DeviceMode", &D::GetDeviceMode, &D::SetDeviceMode, 0, 77, {}, {{3, 3}, {200, 200}}},
        {"DeviceRang", &D::GetDeviceRang, &D::SetDeviceRang, 0, 223, {}, {{9, 7}, {2, 2}}},
        {"AlarmActivity",
         &D::GetAlarmActivity,
         &D::SetAlarmActivity,
         45,
         218,
         {{0x33, 0x33}},
         {{0x81, 0x81}}},
        {"SndRecordTime",
         &D::GetSndRecordTime,
         &D::SetSndRecordTime,
         0,
         237,
         {},
         {{120, 120}, {300, 44}}},
    };
    return kProperties;
}

TEST_P(DeviceSimTest, EveryRegisterPropertyRoundTripsWithItsClamping) {
    const bool flash = GetParam().flash;
    auto device = Found();
    for (const Property& p : Properties()) {
        const uint8_t reg = flash ? p.zeltaRegister : p.varkonRegister;
        const auto& cases = flash ? p.zeltaCases : p.varkonCases;
        if (reg == 0) {
            EXPECT_EQ((device.get()->*p.get)(), -1) << p.name;
            continue;
        }
        for (const auto& [in, stored] : cases) {
            (device.get()->*p.set)(in);
            uint8_t raw = 0;
            ASSERT_TRUE(device->ReadRegister(reg, raw)) << p.name;
            EXPECT_EQ(raw, stored) << p.name << " set to " << in;
            EXPECT_EQ((device.get()->*p.get)(), stored) << p.name;
        }
    }
    EXPECT_EQ(device->GetUtCurrent(), 0);  // a fresh set's register
}

TEST_P(DeviceSimTest, StateRegistersOfTheMappedSelectors) {
    const bool flash = GetParam().flash;
    auto device = Found();
    const std::vector<std::pair<int16_t, uint8_t>> map =
        flash ? std::vector<std::pair<int16_t, uint8_t>>{{0, 0x50}, {1, 0x51}, {3, 0x52}}
              : std::vector<std::pair<int16_t, uint8_t>>{{0, 0x47}, {2, 0xA4}, {3, 0x2C}};
    int16_t value = 0x1C1;
    for (const auto& [selector, reg] : map) {
        device->SetStateRegister(selector, value);
        uint8_t raw = 0;
        ASSERT_TRUE(device->ReadRegister(reg, raw));
        EXPECT_EQ(raw, value & 0xFF) << selector;
        EXPECT_EQ(device->GetStateRegister(selector), value & 0xFF) << selector;
        ++value;
    }
}

TEST_P(DeviceSimTest, ClockRoundTripsAcrossTheYearPivot) {
    auto device = Found();
    struct Case {
        DATE written;
        DATE read;
    };
    const Case cases[] = {
        {At(2049, 12, 31, 23, 59, 0), At(2049, 12, 31, 23, 59, 0)},
        {At(1950, 1, 1, 0, 0, 0), At(1950, 1, 1, 0, 0, 0)},
        {At(2000, 2, 29, 12, 30, 0), At(2000, 2, 29, 12, 30, 0)},
        // The registers keep two digits: 1949 comes back as 2049.
        {At(1949, 6, 15, 8, 0, 0), At(2049, 6, 15, 8, 0, 0)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(device->SetDeviceTime(c.written));
        // A running clock may have moved on a little since it was set.
        EXPECT_NEAR(device->GetDeviceTime(), c.read, 5.0 / 86400) << c.written;
    }
    device->SetAlarmTime(At(2024, 1, 1, 6, 30, 0));
    EXPECT_EQ(device->GetAlarmTime(), At(1899, 12, 30, 6, 30, 0));
}

TEST_P(DeviceSimTest, DialledNumberReachesTheSet) {
    auto device = Found();
    ASSERT_TRUE(device->DialNumber(u"0123"));
    sim.WaitForStatus("dialled=\"0123\"");
    EXPECT_EQ(device->GetDeviceBuffer(), u"0123");
}

std::vector<uint8_t> Triples(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> raw;
    for (const uint8_t b : bytes) {
        raw.insert(raw.end(), {b, b, b});
    }
    return raw;
}

// A flash list entry as the set stores it (32 bytes before the triples).
std::vector<uint8_t> FlashEntry(uint8_t kind, uint8_t minute, uint8_t hour, uint8_t day,
                                uint8_t month, uint8_t year, const std::vector<uint8_t>& digits,
                                uint16_t handle, uint8_t duration, uint8_t flags) {
    std::vector<uint8_t> e(32, 0);
    e[1] = kind;
    e[2] = minute;
    e[3] = hour;
    e[4] = day;
    e[5] = month;
    e[6] = year;
    e[7] = static_cast<uint8_t>(digits.size());
    std::copy(digits.begin(), digits.end(), e.begin() + 8);
    e[28] = static_cast<uint8_t>(handle >> 8);
    e[29] = static_cast<uint8_t>(handle);
    e[30] = duration;
    e[31] = flags;
    return e;
}

struct Step {
    std::string phone;
    int min, hour, date, month, year, delay, parall, flop, handle, pos;
    uint32_t address;
    bool operator==(const Step&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Step& s) {
    return out << s.phone << " " << s.hour << ":" << s.min << " " << s.date << "." << s.month << "."
               << s.year << " d" << s.delay << " p" << s.parall << " f" << s.flop << " h"
               << s.handle << " #" << s.pos << " @" << s.address;
}

// Reads a list to its end; the entries found and the number of steps it took.
std::vector<Step> Enumerate(CDevice& device, bool (CDevice::*read)(PHBOOKRECORD&), int& steps) {
    std::vector<Step> found;
    steps = 0;
    PHBOOKRECORD r{};
    while ((device.*read)(r) && steps < 1000) {
        ++steps;
        if (r.inUse) {
            found.push_back({Utf8FromBstr(r.Phone), r.Min, r.Hour, r.Date, r.Month, r.Year, r.Delay,
                             r.isParall, r.isFlop, r.nandMessg, r.posInBook, r.nandAdress});
            SysFreeString(r.Phone);
            r = PHBOOKRECORD{};
        }
    }
    return found;
}

// The lists laid out in the simulated set over the line, with the protocol's own writes, and
// read back field by field.
TEST_P(DeviceSimTest, ListsWrittenIntoTheSetReadBackFieldByField) {
    const SimType& t = GetParam();
    auto device = Found();
    CVarkonDevice::ResetReaders();
    CZeltaDevice::ResetReaders();
    CZelta6Device::ResetReaders();
    CZelta7Device::ResetReaders();
    int steps = 0;
    if (!t.flash) {
        static_cast<CVarkonDevice&>(*device).SetRecordedDate(24, 3, 15);
        const auto put = [&device](uint16_t at, const std::vector<uint8_t>& bytes) {
            ASSERT_TRUE(device->WriteMemory(at, static_cast<uint8_t>(bytes.size()), bytes.data()));
        };
        // Outgoing 0x0100 (3 of 12), incoming 0x0200 (2 of 12), book 0x0300 (4 of 10).
        put(9, {0, 0x01, 0x00, 2, 12, 0, 0x02, 0x00, 1, 12, 0, 0x03, 0x00, 3, 10});
        put(0x0100 + 12, {30, 9, 14, 0x53, 0x21, 0, 0, 0, 0, 0, 0, 61});
        put(0x0200, {0, 0, 20, 0xA2, 0x0A});
        put(0x0300 + 30, {0x08, 0xE3, 0xCD});
        EXPECT_EQ(Enumerate(*device, &CDevice::GetOutcomeBook, steps),
                  (std::vector<Step>{{"512", 30, 9, 14, 3, 24, 61, 0, 0, 0, 0, 0x010C}}));
        EXPECT_EQ(Enumerate(*device, &CDevice::GetIncomeBook, steps),
                  (std::vector<Step>{{"00", 0, 0, 20, 2, 24, 0, 0, 0, 0, 0, 0x0200}}));
        EXPECT_EQ(Enumerate(*device, &CDevice::GetPhoneBook, steps),
                  (std::vector<Step>{{"PLJ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0x031E}}));
        return;
    }
    const auto put = [&device](uint16_t block, uint8_t page, uint8_t column,
                               const std::vector<uint8_t>& raw) {
        ASSERT_TRUE(device->WriteFlash(
            FlashAddress::At(block, page, column, static_cast<uint8_t>(raw.size())), raw.data()));
    };
    std::vector<uint8_t> map(25, 0);
    const std::vector<uint8_t> areas{0, 40, 41, 0, 50, 50, 0, 30, 30, 30, 0, 20, 20, 20};
    std::copy(areas.begin(), areas.end(), map.begin());
    auto head = Triples({0, 0x80});
    const auto mapRaw = Triples(map);
    head.insert(head.end(), mapRaw.begin(), mapRaw.end());
    put(0, 0, 0, head);
    std::vector<uint8_t> settings(33, 0);
    settings[1] = 0x40;
    put(t.type == 5 ? 19 : t.type == 6 ? 13 : 15, 0, 0, Triples(settings));

    // Second record slot of a block, and the last one.
    const uint8_t page2 = t.type == 5 ? 0 : 3, col2 = t.type == 5 ? 97 : 172;
    const uint8_t pageLast = t.type == 5 ? 15 : t.type == 6 ? 31 : 63;
    const uint8_t colLast = t.type == 5 ? 97 : 172;
    put(20, page2, col2, Triples(FlashEntry(4, 5, 6, 7, 8, 23, {10, 11}, 0x1234, 90, 0x80)));
    put(30, pageLast, colLast, Triples(FlashEntry(8, 59, 23, 31, 12, 22, {3}, 0, 1, 0x40)));
    put(41, page2, col2, Triples(FlashEntry(2, 9, 0, 0, 0, 0, {1, 2, 3}, 7, 0, 0)));
    if (t.type != 5) {
        static_cast<CZelta6Device&>(*device).SetRecordedDate(24, 10);
    }
    const auto address = [&t](uint32_t block, uint32_t page, uint32_t column) {
        return t.type == 5 ? column + page * 1024 + (block << 18)
                           : ((block * 512) + (page & ~1u)) * 512 + column + 511;
    };
    const int perBlock = t.type == 6 ? 16 : 32;
    EXPECT_EQ(Enumerate(*device, &CDevice::GetOutcomeBook, steps),
              (std::vector<Step>{{"0F", 5, 6, 7, 8, t.type == 5 ? 23 : 24, 90, 1, 0, 0x1234, 0,
                                  address(20, page2, col2)}}));
    EXPECT_EQ(steps, perBlock);
    EXPECT_EQ(Enumerate(*device, &CDevice::GetIncomeBook, steps),
              (std::vector<Step>{{"3", 59, 23, 31, 12, t.type == 5 ? 22 : 23, 1, 0, 1, 0, 0,
                                  address(30, pageLast, colLast)}}));
    // Block 40 holds no entry: its partner 41 is read in its place, at the same positions.
    EXPECT_EQ(Enumerate(*device, &CDevice::GetPhoneBook, steps),
              (std::vector<Step>{{"123", 0, 0, 0, 0, 0, 0, 0, 0, 7, 2, address(41, page2, col2)}}));
    EXPECT_EQ(steps, 2 * perBlock);
}

INSTANTIATE_TEST_SUITE_P(Families, DeviceSimTest, ::testing::ValuesIn(kTypes),
                         [](const auto& param) {
                             return "Type" + std::to_string(param.param.type);
                         });

// Types with a caption but no class: found and identified at their speed, accepted by none.
class UnacceptedTypeTest : public ::testing::TestWithParam<int> {};

TEST_P(UnacceptedTypeTest, NoClassAcceptsIt) {
    fonerix::testing::SimProcess sim({.type = GetParam()});
    setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
    const char* captions[] = {"Ringolo Zelta", "", "", "Varkon", "", "", "", "", "Ringolo Zelta+"};
    for (const Make& make : {kZelta5, kZelta6, kZelta7}) {
        auto device = make();
        DEVICEINFO info{};
        EXPECT_FALSE(device->LookForDevice(info, 1));
        EXPECT_EQ(info.devType, static_cast<uint32_t>(GetParam()));
        EXPECT_EQ(Utf8FromBstr(info.Caption), captions[GetParam()]);
        SysFreeString(info.Caption);
    }
    DEVICEINFO info{};
    EXPECT_FALSE(kVarkon()->LookForDevice(info, 1));
    unsetenv("FONERIX_COM1");
}

INSTANTIATE_TEST_SUITE_P(Types, UnacceptedTypeTest, ::testing::Values(0, 3, 8),
                         [](const auto& param) { return "Type" + std::to_string(param.param); });

}  // namespace
}  // namespace fonerix::test
