// Every family against the simulated set of each type: discovery and acceptance, identity,
// every register property with its clamping, the clock across the year pivot; and every list
// the set was given, read to its end and compared field by field.

#include <gtest/gtest.h>

#include "tests/control/TestDates.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "control/device/VarkonDevice.h"
#include "control/device/Zelta6Device.h"
#include "control/device/Zelta7Device.h"
#include "control/device/ZeltaDevice.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TemporaryDirectory.h"

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

    fonerix::test::SimProcess sim;
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
    Setting setting;
    uint8_t varkonRegister;  // 0: the family lacks it
    uint8_t zeltaRegister;
    // value set -> value stored, for each family
    std::vector<std::pair<int16_t, int16_t>> varkonCases;
    std::vector<std::pair<int16_t, int16_t>> zeltaCases;
};

const std::vector<Property>& Properties() {
    static const std::vector<Property> kProperties{
        {"NumLength",
         Setting::kNumLength,
         39,
         228,
         {{9, 7}, {2, 4}, {5, 5}},
         {{9, 7}, {2, 4}, {6, 6}}},
        {"SkipBells", Setting::kSkipBells, 40, 229, {{12, 9}, {0, 0}, {3, 3}}, {{10, 9}, {0, 0}}},
        {"BellMelody", Setting::kBellMelody, 41, 230, {{0, 1}, {6, 4}, {2, 2}}, {{0, 1}, {5, 4}}},
        {"BellVolume", Setting::kBellVolume, 43, 231, {{9, 5}, {5, 5}}, {{9, 7}, {7, 7}, {0, 0}}},
        {"SoundVolume", Setting::kSoundVolume, 0, 79, {}, {{9, 8}, {3, 3}}},
        {"UtCallup",
         Setting::kUtCallup,
         56,
         32,
         {{200, 150}, {50, 70}, {99, 99}},
         {{200, 150}, {10, 70}}},
        {"UtLineFree",
         Setting::kUtLineFree,
         57,
         33,
         {{0, 1}, {60, 50}},
         {{0, 1}, {51, 50}, {25, 25}}},
        {"ConfigRegister",
         Setting::kConfigRegister,
         38,
         83,
         {{0x1A5, 0xA5}, {0, 0}},
         {{0xFE, 0xFE}, {-1, 0xFF}}},
        {"DeviceMode", Setting::kDeviceMode, 0, 77, {}, {{3, 3}, {200, 200}}},
        {"DeviceRang", Setting::kDeviceRang, 0, 223, {}, {{9, 7}, {2, 2}}},
        {"AlarmActivity", Setting::kAlarmActivity, 45, 218, {{0x33, 0x33}}, {{0x81, 0x81}}},
        {"SndRecordTime", Setting::kSndRecordTime, 0, 237, {}, {{120, 120}, {300, 44}}},
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
            EXPECT_EQ(device->GetSetting(p.setting), -1) << p.name;
            continue;
        }
        for (const auto& [in, stored] : cases) {
            device->SetSetting(p.setting, in);
            uint8_t raw = 0;
            ASSERT_TRUE(device->ReadRegister(reg, raw)) << p.name;
            EXPECT_EQ(raw, stored) << p.name << " set to " << in;
            EXPECT_EQ(device->GetSetting(p.setting), stored) << p.name;
        }
    }
    // Read only: the set's own line reading, whatever it is now.
    uint8_t line = 0;
    ASSERT_TRUE(device->ReadRegister(flash ? 64 : 83, line));
    EXPECT_EQ(device->GetSetting(Setting::kUtCurrent), line);
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

INSTANTIATE_TEST_SUITE_P(Families, DeviceSimTest, ::testing::ValuesIn(kTypes),
                         [](const auto& param) {
                             return "Type" + std::to_string(param.param.type);
                         });

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

// Reads a list to its end (FALSE); the entries found.
std::vector<Step> Enumerate(CDevice& device, bool (CDevice::*read)(PHBOOKRECORD&)) {
    std::vector<Step> found;
    PHBOOKRECORD r{};
    for (int steps = 0; (device.*read)(r) && steps < 100'000; ++steps) {
        if (r.inUse) {
            found.push_back({Utf8FromBstr(r.Phone), r.Min, r.Hour, r.Date, r.Month, r.Year, r.Delay,
                             r.isParall, r.isFlop, r.nandMessg, r.posInBook, r.nandAdress});
        }
        SysFreeString(r.Phone);
        r = PHBOOKRECORD{};
    }
    return found;
}

// One `dump lists` line: its kind and its key=value words.
struct DumpLine {
    std::string kind;
    std::map<std::string, std::string> words;
    int Int(const std::string& key) const {
        const auto it = words.find(key);
        EXPECT_NE(it, words.end()) << kind << " has no " << key;
        return it == words.end() ? -1 : static_cast<int>(std::stoul(it->second, nullptr, 0));
    }
};

std::vector<DumpLine> ParseDump(const std::string& text) {
    std::vector<DumpLine> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        DumpLine parsed;
        words >> parsed.kind;
        for (std::string word; words >> word;) {
            const auto eq = word.find('=');
            parsed.words[word.substr(0, eq)] = eq == std::string::npos ? "" : word.substr(eq + 1);
        }
        lines.push_back(std::move(parsed));
    }
    return lines;
}

// Where the host says a flash entry lies, from its block, page and column.
// The block number goes in as its low and high bytes, each with its own weight.
uint32_t FlashAddress(int type, uint32_t block, uint32_t page, uint32_t column) {
    const uint32_t low = block & 0xFF, high = block >> 8;
    return type == 5 ? column + page * 1024 + (low << 18) + (high << 28)
                     : ((high * 1024 + low) * 512 + (page & ~1u)) * 512 + column + 511;
}

struct ListsCase {
    int type;
    Make make;
    std::string scenario;  // file in the scenario directory, or empty
    std::string generate;  // generator seed and count, or empty
};

std::ostream& operator<<(std::ostream& out, const ListsCase& c) {
    return out << "type" << c.type << " " << c.scenario << c.generate;
}

class DeviceListsSimTest : public ::testing::TestWithParam<ListsCase> {
  protected:
    DeviceListsSimTest()
        : sim({.type = GetParam().type,
               .scenario = GetParam().scenario.empty()
                               ? std::string()
                               : std::string(FONERIX_SCENARIO_DIR) + "/" + GetParam().scenario,
               .generate = GetParam().generate}) {
        setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
        CVarkonDevice::ResetReaders();
        CZeltaDevice::ResetReaders();
        CZelta6Device::ResetReaders();
        CZelta7Device::ResetReaders();
    }
    ~DeviceListsSimTest() override { unsetenv("FONERIX_COM1"); }

    std::unique_ptr<CDevice> Found() {
        auto device = GetParam().make();
        DEVICEINFO info{};
        EXPECT_TRUE(device->LookForDevice(info, 1));
        SysFreeString(info.Caption);
        if (GetParam().type <= 4) {
            static_cast<CVarkonDevice&>(*device).SetRecordedDate(recorded_year, recorded_month,
                                                                 recorded_day);
        } else if (GetParam().type >= 6) {
            static_cast<CZelta6Device&>(*device).SetRecordedDate(recorded_year, recorded_month);
        }
        return device;
    }

    // What the host should read for each dump line of `kind`, in the dump's order.
    std::vector<Step> Expected(const std::vector<DumpLine>& dump, const std::string& kind) const {
        const int type = GetParam().type;
        std::vector<Step> steps;
        for (const DumpLine& d : dump) {
            if (d.kind != kind) {
                continue;
            }
            Step s{};
            s.phone = d.words.at("number");
            if (kind == "book") {
                s.pos = d.Int("position") - (type <= 4 ? 1 : 0);
            } else {
                s.min = d.Int("minute");
                s.hour = d.Int("hour");
                s.date = d.Int("day");
                const int year_before = recorded_year == 0 ? 99 : recorded_year - 1;
                if (type <= 4) {
                    // The memory logs keep the day only: within the month up to the recorded day.
                    s.month = s.date <= recorded_day ? recorded_month
                              : recorded_month == 1  ? 12
                                                     : recorded_month - 1;
                    s.year = s.month > recorded_month ? year_before : recorded_year;
                } else {
                    s.month = d.Int("month");
                    s.year = type == 5                  ? d.Int("year")
                             : s.month > recorded_month ? year_before
                                                        : recorded_year;
                }
                // The flash logs keep a duration for both; the memory log of incoming calls has
                // none.
                if (kind == "out" || type >= 5) {
                    s.delay = d.Int("duration");
                }
            }
            if (type <= 4) {
                s.address = static_cast<uint32_t>(d.Int("address"));
            } else {
                if (kind != "book") {
                    s.parall = d.Int("parallel");
                    s.flop = d.Int("flop");
                }
                s.handle = d.Int("voice");
                s.address = FlashAddress(type, static_cast<uint32_t>(d.Int("block")),
                                         static_cast<uint32_t>(d.Int("page")),
                                         static_cast<uint32_t>(d.Int("column")));
            }
            steps.push_back(s);
        }
        return steps;
    }

    // The date the host records at construction, fixed so that the inferred years are known.
    int recorded_year = 26, recorded_month = 12, recorded_day = 9;
    fonerix::test::SimProcess sim;
};

// Every entry the set holds, read to the end of each list and compared field by field with what
// the set says it stores; a second enumeration starts again from the first entry.
TEST_P(DeviceListsSimTest, EveryListReadsBackFieldByField) {
    const auto dump = ParseDump(sim.DumpLists());
    const auto outgoing = Expected(dump, "out");
    const auto incoming = Expected(dump, "in");
    const auto book = Expected(dump, "book");
    ASSERT_FALSE(outgoing.empty());
    ASSERT_FALSE(incoming.empty());
    ASSERT_FALSE(book.empty());
    auto device = Found();
    EXPECT_EQ(Enumerate(*device, &CDevice::GetOutcomeBook), outgoing);
    EXPECT_EQ(Enumerate(*device, &CDevice::GetIncomeBook), incoming);
    EXPECT_EQ(Enumerate(*device, &CDevice::GetPhoneBook), book);
    EXPECT_EQ(Enumerate(*device, &CDevice::GetOutcomeBook), outgoing);
}

// A scenario's own numbers are what the set reports holding: the dump is not the set's word
// alone.
// A host whose clock says 15 January of year 00: what was stored later in the year (or, on
// the memory logs, later in the month) belongs to the year before, which is 99.
TEST_P(DeviceListsSimTest, EntriesAfterTheRecordedDateBelongToTheYearBefore) {
    recorded_year = 0;
    recorded_month = 1;
    recorded_day = 15;
    const auto dump = ParseDump(sim.DumpLists());
    const auto outgoing = Expected(dump, "out");
    const auto incoming = Expected(dump, "in");
    if (GetParam().type != 5) {
        bool year_before = false;
        for (const Step& s : outgoing) {
            year_before = year_before || s.year == 99;
        }
        ASSERT_TRUE(year_before) << "no entry that tests the inference";
    }
    auto device = Found();
    EXPECT_EQ(Enumerate(*device, &CDevice::GetOutcomeBook), outgoing);
    EXPECT_EQ(Enumerate(*device, &CDevice::GetIncomeBook), incoming);
}

class ScenarioListsSimTest : public DeviceListsSimTest {};

TEST_P(ScenarioListsSimTest, TheScenarioNumbersAreWhatTheHostReads) {
    std::ifstream file(std::string(FONERIX_SCENARIO_DIR) + "/" + GetParam().scenario);
    std::multiset<std::string> given[3];
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line);
        std::string kind, a, b, c, d;
        words >> kind;
        if (kind == "book") {
            words >> a >> b;
            given[2].insert(b);
        } else if (kind == "out" || kind == "in") {
            words >> a >> b >> c;
            given[kind == "out" ? 0 : 1].insert(c);
        }
    }
    auto device = Found();
    bool (CDevice::*readers[])(PHBOOKRECORD&) = {&CDevice::GetOutcomeBook, &CDevice::GetIncomeBook,
                                                 &CDevice::GetPhoneBook};
    for (int list = 0; list < 3; ++list) {
        std::multiset<std::string> read;
        for (const Step& s : Enumerate(*device, readers[list])) {
            read.insert(s.phone);
        }
        EXPECT_EQ(read, given[list]) << "list " << list;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Families, DeviceListsSimTest,
    ::testing::Values(ListsCase{1, kVarkon, "varkon.txt", ""}, ListsCase{2, kVarkon, "", "3:30"},
                      ListsCase{4, kVarkon, "", "4:60"}, ListsCase{5, kZelta5, "zelta5.txt", ""},
                      ListsCase{5, kZelta5, "", "5:80"}, ListsCase{6, kZelta6, "", "6:80"},
                      ListsCase{7, kZelta7, "zelta7.txt", ""}, ListsCase{7, kZelta7, "", "7:80"}),
    [](const auto& param) {
        return "Type" + std::to_string(param.param.type) +
               (param.param.scenario.empty() ? "Generated" : "Scenario");
    });

INSTANTIATE_TEST_SUITE_P(Scenarios, ScenarioListsSimTest,
                         ::testing::Values(ListsCase{1, kVarkon, "varkon.txt", ""},
                                           ListsCase{5, kZelta5, "zelta5.txt", ""},
                                           ListsCase{7, kZelta7, "zelta7.txt", ""}),
                         [](const auto& param) {
                             return "Type" + std::to_string(param.param.type);
                         });

// A type-5 set of the December scenario with one fault added: what the incoming log gives up
// to the point where the host has to stop, and that the other lists are not disturbed.
struct FaultCase {
    const char* name;
    const char* fault;  // scenario line
    std::vector<std::string> incoming;
};

std::ostream& operator<<(std::ostream& out, const FaultCase& c) {
    return out << c.name;
}

class FaultySetTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultySetTest, TheHostStopsWhereTheSetGoesWrong) {
    fonerix::test::TemporaryDirectory directory;
    const std::string scenario = directory.File("faulty.txt");
    {
        std::ifstream base(std::string(FONERIX_SCENARIO_DIR) + "/zelta5.txt");
        std::ofstream out(scenario);
        out << base.rdbuf() << "\n" << GetParam().fault << "\n";
    }
    fonerix::test::SimProcess sim({.type = 5, .scenario = scenario});
    setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
    CZeltaDevice::ResetReaders();
    CZeltaDevice device;
    DEVICEINFO info{};
    ASSERT_TRUE(device.LookForDevice(info, 1));
    SysFreeString(info.Caption);
    for (int round = 0; round < 2; ++round) {  // an enumeration that failed starts again
        std::vector<std::string> incoming;
        for (const Step& s : Enumerate(device, &CDevice::GetIncomeBook)) {
            incoming.push_back(s.phone);
        }
        EXPECT_EQ(incoming, GetParam().incoming) << "round " << round;
    }
    EXPECT_EQ(Enumerate(device, &CDevice::GetOutcomeBook).size(), 3u);
    EXPECT_EQ(Enumerate(device, &CDevice::GetPhoneBook).size(), 4u);
    unsetenv("FONERIX_COM1");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultySetTest,
    ::testing::Values(
        // Three different bytes in the first group of the second record end the read there.
        FaultCase{"TriplesDisagree", "flash-bytes 10 0 97 01 02 03", {"3456789"}},
        // Two of three still agree: the record reads as stored.
        FaultCase{"OneCopyFlipped",
                  "flash-bytes 10 0 97 00 FF 00",
                  {"3456789", "89031231212", "2345678"}},
        // The map moves the incoming log past the blocks a set can address: nothing is read.
        FaultCase{"MapPointsOutsideTheFlash", "map-byte 6 255", {}},
        // The map's last block lies before its first: the log is empty.
        FaultCase{"MapEndsBeforeItStarts", "map-byte 8 9", {}},
        // The map starts the log one block late: only what lies in the blocks it names.
        FaultCase{"MapSkipsTheFirstBlock", "map-byte 7 11", {}}),
    [](const auto& param) { return std::string(param.param.name); });

// Types with a caption but no class: found and identified at their speed, accepted by none.
class UnacceptedTypeTest : public ::testing::TestWithParam<int> {};

TEST_P(UnacceptedTypeTest, NoClassAcceptsIt) {
    fonerix::test::SimProcess sim({.type = GetParam()});
    setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
    const char* captions[] = {"Ringolo Zelta", "", "", "Varkon", "", "", "", "", "Ringolo Zelta+"};
    // Whichever family's speed the set answers at, the classes of that speed identify it and
    // refuse it; the others do not hear it and leave the record alone.
    int identified = 0;
    for (const Make& make : {kVarkon, kZelta5, kZelta6, kZelta7}) {
        auto device = make();
        DEVICEINFO info{};
        info.devType = 77;
        EXPECT_FALSE(device->LookForDevice(info, 1));
        if (info.devType != 77) {
            ++identified;
            EXPECT_EQ(info.devType, static_cast<uint32_t>(GetParam()));
            EXPECT_EQ(Utf8FromBstr(info.Caption), captions[GetParam()]);
        }
        SysFreeString(info.Caption);
    }
    EXPECT_TRUE(identified == 1 || identified == 3) << identified;
    unsetenv("FONERIX_COM1");
}

INSTANTIATE_TEST_SUITE_P(Types, UnacceptedTypeTest, ::testing::Values(0, 3, 8),
                         [](const auto& param) { return "Type" + std::to_string(param.param); });

}  // namespace
}  // namespace fonerix::test
