#include "control/device/VarkonDevice.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "control/device/DeviceTypes.h"
#include "control/device/DigitCodes.h"
#include "control/device/ProtocolBytes.h"

namespace fonerix {

namespace {

using Hold = WatcherGate::Hold;

constexpr CDevice::ClockRegisters kClock{
    .year = 61,
    .month = 60,
    .day = 59,
    .dayOfWeek = 58,
    .hour = 67,
    .minute = 66,
    .secondWritten = 65,
    .secondRead = 68,
    .alarmHour = 47,
    .alarmMinute = 46,
    .bufferLength = 94,
    .dialByte = 0x0C,
};

constexpr SettingTable kSettings{
    {Setting::kNumLength, Register(39, 4, 7)},
    {Setting::kSkipBells, Register(40, 0, 9)},
    {Setting::kBellMelody, Register(41, 1, 4)},
    {Setting::kBellVolume, Register(43, 0, 5)},
    {Setting::kUtCallup, Register(56, 70, 150)},
    {Setting::kUtLineFree, Register(57, 1, 50)},
    {Setting::kUtCurrent, ReadOnlyRegister(83)},
    {Setting::kConfigRegister, Register(38)},
    {Setting::kAlarmActivity, Register(45, 0, 0xFF, 0)},
};

// Memory: the list map, the call statistics and the caller-ID parameters.
constexpr uint16_t kMapAddress = 9;
constexpr uint16_t kStatisticsAddress = 0;
constexpr uint8_t kStatisticsSize = 9;
constexpr uint16_t kAutodetAddress = 24;
constexpr uint8_t kAutodetSize = 13;
constexpr uint8_t kAutodetWritten = 5;

// A chunk of list records is read in one request of at most this many bytes.
constexpr int kChunkBytes = 250;

CVarkonDevice::MemoryReader& Reader(int list) {
    static CVarkonDevice::MemoryReader readers[3];
    return readers[list];
}

uint16_t BigEndian(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

// The digit count sits in the low nibble and the first code in the high nibble of `head`;
// further codes follow two per byte, low nibble first.
std::u16string NibbleNumber(const uint8_t* head) {
    const int count = head[0] & 0x0F;
    std::u16string number;
    if (count == 0) {
        return number;
    }
    number.push_back(static_cast<char16_t>(DigitToChar(head[0] >> 4)));
    for (int i = 0; i < count - 1; ++i) {
        const uint8_t byte = head[1 + i / 2];
        number.push_back(static_cast<char16_t>(DigitToChar(i % 2 == 0 ? byte & 0x0F : byte >> 4)));
    }
    return number;
}

BSTR NewBstr(const std::u16string& text) {
    return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

}  // namespace

CVarkonDevice::CVarkonDevice(std::unique_ptr<SerialLink> port)
    : CDevice(kVarkonBaud, std::move(port)) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    SetRecordedDate(static_cast<uint8_t>((local.tm_year + 1900) % 100),
                    static_cast<uint8_t>(local.tm_mon + 1), static_cast<uint8_t>(local.tm_mday));
}

CVarkonDevice::~CVarkonDevice() {
    SleepDevice();
}

void CVarkonDevice::SetRecordedDate(uint8_t year, uint8_t month, uint8_t day) {
    m_year = year;
    m_month = month;
    m_day = day;
}

namespace {

uint8_t DaysIn(uint8_t month, uint8_t year) {
    static constexpr uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    // Two-digit years of 2000 to 2099: every fourth is a leap year.
    return month == 2 && year % 4 == 0 ? 29 : kDays[month - 1];
}

}  // namespace

bool CVarkonDevice::InferMonth(uint8_t day, uint8_t& month, uint8_t& year) const {
    if (day < 1 || day > 31 || m_month < 1 || m_month > 12) {
        return false;
    }
    month = m_month;
    year = m_year;
    const auto back = [&] {
        year = month == 1 ? (year == 0 ? 99 : static_cast<uint8_t>(year - 1)) : year;
        month = month == 1 ? 12 : static_cast<uint8_t>(month - 1);
    };
    if (day > m_day) {
        back();
    }
    // At most two steps: of any two months in a row one has 31 days.
    while (day > DaysIn(month, year)) {
        back();
    }
    return true;
}

void CVarkonDevice::ResetReaders() {
    for (int list = 0; list < 3; ++list) {
        Reader(list) = MemoryReader{};
    }
}

bool CVarkonDevice::LookForDevice(DEVICEINFO& info, uint8_t port) {
    return LookForType(info, port, {1, 2, 4});
}

bool CVarkonDevice::DialNumber(const std::u16string& number) {
    return Dial(kClock, number);
}

bool CVarkonDevice::SetDeviceTime(DATE date) {
    return WriteClock(kClock, date);
}
DATE CVarkonDevice::GetDeviceTime() {
    return ReadClock(kClock);
}
void CVarkonDevice::SetAlarmTime(DATE date) {
    WriteAlarm(kClock, date);
}
DATE CVarkonDevice::GetAlarmTime() {
    return ReadAlarm(kClock);
}
std::u16string CVarkonDevice::GetDeviceBuffer() {
    return ReadNumberBuffer(kClock);
}
bool CVarkonDevice::SetDeviceBuffer(const std::u16string& number) {
    return WriteNumberBuffer(kClock, number);
}
const SettingTable& CVarkonDevice::Settings() const {
    return kSettings;
}

int16_t CVarkonDevice::StateRegisterOf(int16_t selector) const {
    switch (selector) {
        case 0:
            return 0x47;
        case 2:
            return 0xA4;
        case 3:
            return 0x2C;
        default:
            return -1;
    }
}

int16_t CVarkonDevice::GetStateRegister(int16_t selector) {
    const int16_t reg = StateRegisterOf(selector);
    return reg < 0 ? 0xFF : ReadSetting(static_cast<uint8_t>(reg));
}

void CVarkonDevice::SetStateRegister(int16_t selector, int16_t value) {
    const int16_t reg = StateRegisterOf(selector);
    if (reg >= 0) {
        WriteSetting(static_cast<uint8_t>(reg), value);
    }
}

bool CVarkonDevice::LoadMemoryMap() {
    if (!m_mapLoaded) {
        m_mapLoaded = ReadMemory(kMapAddress, static_cast<uint8_t>(m_map.size()), m_map.data());
    }
    return m_mapLoaded;
}

bool CVarkonDevice::GetOutcomeBook(PHBOOKRECORD& record) {
    return ReadList(List::kOutgoing, record);
}
bool CVarkonDevice::GetIncomeBook(PHBOOKRECORD& record) {
    return ReadList(List::kIncoming, record);
}
bool CVarkonDevice::GetPhoneBook(PHBOOKRECORD& record) {
    return ReadList(List::kBook, record);
}

bool CVarkonDevice::ReadList(List list, PHBOOKRECORD& record) {
    Hold hold(m_gate);
    MemoryReader& reader = Reader(static_cast<int>(list));
    const auto rewind = [&reader] {
        reader.index = 0;
        reader.chunks = 0;
        return false;
    };
    LoadMemoryMap();
    record.inUse = 0;
    // Map bytes 1..4 describe the outgoing log, 6..9 the incoming log, 11..14 the phone book:
    // start address (high, low), index of the last record, record size.
    const uint8_t* d = &m_map[1 + 5 * static_cast<size_t>(list)];
    const uint16_t start = BigEndian(d);
    const int last = d[2];
    const int size = d[3];
    // A record size of 0, or above a chunk, names no records that could be read.
    if (size == 0 || size > kChunkBytes) {
        return rewind();
    }
    const int perChunk = kChunkBytes / size;
    for (;;) {
        if (reader.index > last) {
            return rewind();
        }
        if (reader.index >= reader.chunks * perChunk) {
            const uint32_t at = start + uint32_t(perChunk * size) * uint32_t(reader.chunks);
            // A list that would run past the end of memory ends there.
            if (at > 0xFFFF) {
                return rewind();
            }
            reader.buffer.fill(0);
            if (!ReadMemory(static_cast<uint16_t>(at), static_cast<uint8_t>(perChunk * size),
                            reader.buffer.data())) {
                return rewind();
            }
            ++reader.chunks;
        }
        const uint8_t* r = &reader.buffer[static_cast<size_t>(reader.index % perChunk * size)];
        const int index = reader.index++;
        if (list == List::kBook) {
            if ((r[1] & 0x0F) == 0) {
                continue;
            }
            record.Phone = NewBstr(NibbleNumber(&r[1]));
            record.Rang = static_cast<uint8_t>(r[0] >> 2 & 0x03);
            record.posInBook = static_cast<uint8_t>(index);
            record.Delay = 0;
        } else {
            // The log keeps no month or year: the entry is from the latest month, not after the
            // recorded date, that has its day. A day no month has is a corrupt entry, skipped.
            uint8_t month = 0;
            uint8_t year = 0;
            if ((r[3] & 0x0F) == 0 || !InferMonth(r[2], month, year)) {
                continue;
            }
            record.Phone = NewBstr(NibbleNumber(&r[3]));
            record.Min = r[0];
            record.Hour = r[1];
            record.Date = r[2];
            record.Month = month;
            record.Year = year;
            if (list == List::kOutgoing) {
                record.Delay = r[11];
            }
        }
        record.inUse = 1;
        record.isParall = 0;
        record.isFlop = 0;
        record.nandMessg = 0;
        record.nandAdress = start + static_cast<uint32_t>(index * size);
        return true;
    }
}

bool CVarkonDevice::GetCallsStatistic(CALLSTATISTIC& stat) {
    uint8_t raw[kStatisticsSize] = {};
    if (!ReadMemory(kStatisticsAddress, kStatisticsSize, raw)) {
        return false;
    }
    stat.curLocal = BigEndian(&raw[0]);
    stat.curLong = BigEndian(&raw[2]);
    stat.prevLocal = BigEndian(&raw[4]);
    stat.prevLong = BigEndian(&raw[6]);
    stat.billMonth = raw[8];
    return true;
}

bool CVarkonDevice::GetAutodetParams(AUTODETPARAMS* current, AUTODETPARAMS*) {
    if (current == nullptr) {
        return false;
    }
    uint8_t raw[kAutodetSize] = {};
    if (!ReadMemory(kAutodetAddress, kAutodetSize, raw)) {
        return false;
    }
    std::memset(current, 0, 4);
    current->queryTime = static_cast<uint16_t>(raw[0] * 2);
    current->queryForm = static_cast<uint8_t>((raw[1] & 0xF0) | 0x04);
    current->firstDelay = static_cast<uint16_t>(1000 - raw[2] * 10);
    current->minDigits = raw[3];
    current->resolTime = static_cast<uint16_t>(1000 - raw[4] * 10);
    return true;
}

bool CVarkonDevice::SetAutodetParams(const AUTODETPARAMS* current, const AUTODETPARAMS*) {
    if (current == nullptr) {
        return false;
    }
    Hold hold(m_gate);
    uint8_t raw[kAutodetSize] = {};
    if (!ReadMemory(kAutodetAddress, kAutodetSize, raw)) {
        return false;
    }
    uint8_t out[kAutodetWritten];
    out[0] = static_cast<uint8_t>(std::clamp<int>(current->queryTime, 10, 250) / 2);
    // The low nibble is the set's own; only the waveform flags are the caller's.
    out[1] = static_cast<uint8_t>((current->queryForm & 0xF0) | (raw[5] & 0x0F));
    out[2] = static_cast<uint8_t>((1000 - std::clamp<int>(current->firstDelay, 10, 990)) / 10);
    out[3] = std::min<uint8_t>(current->minDigits, 5);
    out[4] = static_cast<uint8_t>((1000 - std::clamp<int>(current->resolTime, 10, 990)) / 10);
    if (m_writePermit) {
        WriteRegister(protocol::kPermitRegister, protocol::kPermitValue);
    }
    return WriteMemory(kAutodetAddress, kAutodetWritten, out);
}

}  // namespace fonerix
