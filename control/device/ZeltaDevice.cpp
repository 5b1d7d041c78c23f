#include "control/device/ZeltaDevice.h"

#include <algorithm>
#include <cstring>

#include "control/device/DeviceTypes.h"
#include "control/device/ProtocolBytes.h"
#include "control/device/Triples.h"

namespace fonerix {

namespace {

using Hold = WatcherGate::Hold;

constexpr CDevice::ClockRegisters kClock{
    .year = 216,
    .month = 215,
    .day = 214,
    .dayOfWeek = 217,
    .hour = 213,
    .minute = 212,
    .secondWritten = 85,
    .secondRead = 85,
    .alarmHour = 220,
    .alarmMinute = 219,
    .bufferLength = 43,
    .dialByte = 0x20,
};

constexpr SettingTable kSettings{
    {Setting::kNumLength, Register(228, 4, 7)},
    {Setting::kSkipBells, Register(229, 0, 9)},
    {Setting::kBellMelody, Register(230, 1, 4)},
    {Setting::kBellVolume, Register(231, 0, 7)},
    {Setting::kSoundVolume, Register(79, 0, 8)},
    {Setting::kUtCallup, Register(32, 70, 150)},
    {Setting::kUtLineFree, Register(33, 1, 50)},
    {Setting::kUtCurrent, ReadOnlyRegister(64)},
    {Setting::kConfigRegister, Register(83)},
    {Setting::kDeviceMode, Register(77)},
    {Setting::kDeviceRang, Register(223, 0, 7)},
    {Setting::kAlarmActivity, Register(218, 0, 0xFF, 0)},
    {Setting::kSndRecordTime, Register(237)},
};

// Settings record: the tag every copy starts with, and the bytes this class reads or keeps.
constexpr uint8_t kSettingsTag = 0x40;
constexpr size_t kSettingsUtCallup = 2;
constexpr size_t kSettingsUtLineFree = 3;
constexpr size_t kSettingsAutodet = 4;  // 5 bytes of the main line, then 5 of the parallel set
constexpr size_t kSettingsStatistics = 21;
constexpr uint8_t kSettingsRaw = 3 * CZeltaDevice::kSettingsSize;

uint16_t BigEndian(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

void ReadAutodet(const uint8_t* s, AUTODETPARAMS& p) {
    p.queryTime = static_cast<uint16_t>(s[0] * 2);
    p.queryForm = s[1];
    p.firstDelay = static_cast<uint16_t>(1000 - s[2] * 10);
    p.minDigits = s[3];
    p.resolTime = static_cast<uint16_t>(1000 - s[4] * 10);
}

void WriteAutodet(const AUTODETPARAMS& p, uint8_t* s) {
    s[0] = static_cast<uint8_t>(std::clamp<int>(p.queryTime, 10, 250) / 2);
    s[1] = p.queryForm;
    s[2] = static_cast<uint8_t>((1000 - std::clamp<int>(p.firstDelay, 10, 990)) / 10);
    s[3] = std::min<uint8_t>(p.minDigits, 5);
    s[4] = static_cast<uint8_t>((1000 - std::clamp<int>(p.resolTime, 10, 990)) / 10);
}

CZeltaDevice::FlashReaders gReaders;

}  // namespace

CZeltaDevice::CZeltaDevice(std::unique_ptr<SerialLink> port)
    : CDevice(kZeltaBaud, std::move(port)) {}

CZeltaDevice::~CZeltaDevice() {
    SleepDevice();
}

const CZeltaDevice::FlashGeometry& CZeltaDevice::Geometry() const {
    static constexpr FlashGeometry kGeometry{
        .lastPage = 15,
        .bounded = true,
        .maxReadPage = 15,
        .maxReadBlockHigh = 1,
        .firstRecordPage = 0,
        .recordPageStep = 1,
        .columns = {0, 97},
        .columnCount = 2,
        .recordsPerBlock = 32,
        .positionBlocks = 8,
        .pageColumnAddress = true,
        .settingsFirstBlock = 19,
        .settingsLastBlock = 24,
        .settingsPageStep = 1,
        .settingsLastIndex = 15,
        .rewakeBeforeSettingsWrite = false,
    };
    return kGeometry;
}

CZeltaDevice::FlashReaders& CZeltaDevice::Readers() const {
    return gReaders;
}

void CZeltaDevice::ResetReaders() {
    gReaders = FlashReaders{};
}

uint8_t CZeltaDevice::EntryYear(const uint8_t* entry) const {
    return entry[6];
}

bool CZeltaDevice::LookForDevice(DEVICEINFO& info, uint8_t port) {
    return LookForType(info, port, {5});
}

bool CZeltaDevice::DialNumber(const std::u16string& number) {
    return Dial(kClock, number);
}
bool CZeltaDevice::SetDeviceTime(DATE date) {
    return WriteClock(kClock, date);
}
DATE CZeltaDevice::GetDeviceTime() {
    return ReadClock(kClock);
}
void CZeltaDevice::SetAlarmTime(DATE date) {
    WriteAlarm(kClock, date);
}
DATE CZeltaDevice::GetAlarmTime() {
    return ReadAlarm(kClock);
}
std::u16string CZeltaDevice::GetDeviceBuffer() {
    return ReadNumberBuffer(kClock);
}
bool CZeltaDevice::SetDeviceBuffer(const std::u16string& number) {
    return WriteNumberBuffer(kClock, number);
}
const SettingTable& CZeltaDevice::Settings() const {
    return kSettings;
}

bool CZeltaDevice::SetSetting(Setting setting, int16_t value) {
    const size_t kept = setting == Setting::kUtCallup     ? kSettingsUtCallup
                        : setting == Setting::kUtLineFree ? kSettingsUtLineFree
                                                          : 0;
    if (kept == 0) {
        return CDevice::SetSetting(setting, value);
    }
    Hold hold(m_gate);
    // A value the register refused (no write permission) is not stored in flash either, so
    // that the register and its stored copy agree.
    if (!CDevice::SetSetting(setting, value)) {
        return false;
    }
    uint8_t record[kSettingsSize];
    if (ReadSettingsBlock(record)) {
        const SettingRegister& r = kSettings[setting];
        record[kept] = std::clamp<uint8_t>(value & 0xFF, r.lo, r.hi);
        WriteSettingsBlock(record);
    }
    return true;
}

int16_t CZeltaDevice::GetStateRegister(int16_t selector) {
    switch (selector) {
        case 0:
            return ReadSetting(0x50);
        case 1:
            return ReadSetting(0x51);
        case 3:
            return ReadSetting(0x52);
        default:
            return 0xFF;
    }
}

void CZeltaDevice::SetStateRegister(int16_t selector, int16_t value) {
    switch (selector) {
        case 0:
            WriteSetting(0x50, value);
            break;
        case 1:
            WriteSetting(0x51, value);
            break;
        case 3:
            WriteSetting(0x52, value);
            break;
        default:
            break;
    }
}

bool CZeltaDevice::ReadFlash(const FlashAddress& address, uint8_t* buffer) {
    const FlashGeometry& g = Geometry();
    if (g.bounded && (address.page > g.maxReadPage || address.blockHigh > g.maxReadBlockHigh)) {
        return false;
    }
    return CDevice::ReadFlash(address, buffer);
}

uint8_t CZeltaDevice::PageTag(uint16_t block, uint8_t page) {
    uint8_t raw[6];
    uint8_t head[2];
    if (!ReadFlash(FlashAddress::At(block, page, 0, sizeof raw), raw)) {
        return 0;
    }
    DecodeTriples(sizeof raw, raw, head);
    return head[0] == 0 ? head[1] : 0;
}

bool CZeltaDevice::FindSettings(uint16_t& block, int& firstUntagged) {
    const FlashGeometry& g = Geometry();
    block = g.settingsFirstBlock;
    while (PageTag(block, 0) != kSettingsTag) {
        if (++block > g.settingsLastBlock) {
            return false;
        }
    }
    firstUntagged = g.settingsLastIndex + 1;
    for (int n = 1; n <= g.settingsLastIndex; ++n) {
        if (PageTag(block, static_cast<uint8_t>(n * g.settingsPageStep)) != kSettingsTag) {
            firstUntagged = n;
            break;
        }
    }
    return true;
}

bool CZeltaDevice::ReadSettingsBlock(uint8_t* record) {
    std::memset(record, 0, kSettingsSize);
    Hold hold(m_gate);
    uint16_t block = 0;
    int firstUntagged = 0;
    if (!FindSettings(block, firstUntagged)) {
        return false;
    }
    // The newest copy is the last tagged page.
    const auto page = static_cast<uint8_t>((firstUntagged - 1) * Geometry().settingsPageStep);
    uint8_t raw[kSettingsRaw];
    uint8_t decoded[kSettingsSize];
    if (!ReadFlash(FlashAddress::At(block, page, 0, kSettingsRaw), raw) ||
        !DecodeTriples(kSettingsRaw, raw, decoded)) {
        return false;
    }
    std::memcpy(record, decoded, kSettingsSize);
    return true;
}

bool CZeltaDevice::WriteSettingsBlock(const uint8_t* record) {
    const FlashGeometry& g = Geometry();
    Hold hold(m_gate);
    uint16_t block = 0;
    int firstUntagged = 0;
    if (!FindSettings(block, firstUntagged)) {
        return false;
    }
    uint8_t copy[kSettingsSize];
    std::memcpy(copy, record, kSettingsSize);
    copy[0] = 0;
    copy[1] = kSettingsTag;
    uint8_t raw[kSettingsRaw];
    EncodeTriples(copy, kSettingsSize, raw);
    if (g.rewakeBeforeSettingsWrite) {
        WakeupDevice(m_writePermit);
    }
    uint8_t page = 0;
    if (firstUntagged > g.settingsLastIndex) {
        // Every page holds a copy: start the block again rather than write over one.
        if (!EraseFlashBlock(FlashAddress::At(block, 0, 0, 0))) {
            return false;
        }
    } else {
        page = static_cast<uint8_t>(firstUntagged * g.settingsPageStep);
    }
    const bool written = WriteFlash(FlashAddress::At(block, page, 0, kSettingsRaw), raw);
    if (!g.rewakeBeforeSettingsWrite) {
        m_port->Pause(protocol::kFlashPause);
    }
    return written;
}

bool CZeltaDevice::GetCallsStatistic(CALLSTATISTIC& stat) {
    uint8_t s[kSettingsSize];
    if (!ReadSettingsBlock(s)) {
        return false;
    }
    const uint8_t* p = &s[kSettingsStatistics];
    stat.billMonth = p[0];
    stat.curLocal = BigEndian(&p[1]);
    stat.curLong = BigEndian(&p[3]);
    stat.prevLocal = BigEndian(&p[5]);
    stat.prevLong = BigEndian(&p[7]);
    return true;
}

bool CZeltaDevice::GetAutodetParams(AUTODETPARAMS* current, AUTODETPARAMS* parallel) {
    if (current == nullptr) {
        return false;
    }
    std::memset(current, 0, 4);
    if (parallel != nullptr) {
        std::memset(parallel, 0, 4);
    }
    uint8_t s[kSettingsSize];
    if (!ReadSettingsBlock(s)) {
        return false;
    }
    ReadAutodet(&s[kSettingsAutodet], *current);
    if (parallel != nullptr) {
        ReadAutodet(&s[kSettingsAutodet + 5], *parallel);
    }
    return true;
}

bool CZeltaDevice::SetAutodetParams(const AUTODETPARAMS* current, const AUTODETPARAMS* parallel) {
    if (current == nullptr) {
        return false;
    }
    Hold hold(m_gate);
    uint8_t s[kSettingsSize];
    if (!ReadSettingsBlock(s)) {
        return false;
    }
    WriteAutodet(*current, &s[kSettingsAutodet]);
    if (parallel != nullptr) {
        WriteAutodet(*parallel, &s[kSettingsAutodet + 5]);
    }
    return WriteSettingsBlock(s);
}

}  // namespace fonerix
