// The register side of CDevice that both families share: the register properties, clock, alarm
// and the number buffer, each over the family's own register numbers.

#include <algorithm>

#include "control/device/Device.h"
#include "control/device/DigitCodes.h"

namespace fonerix {

namespace {

using Hold = WatcherGate::Hold;

// Buffer digits that the set keeps, after the length register.
constexpr size_t kBufferDigits = 19;
// Reads of a buffer digit that came back as no known code, before it is taken as it is.
constexpr int kDigitRereads = 3;

uint8_t CodeOf(char16_t c) {
    return c < 0x80 ? CharToDigit(static_cast<char>(c)) : CharToDigit('\x7F');
}

// Monday 0x80 down to Saturday 0x04, Sunday 0x02.
uint8_t DayOfWeekBit(int dayOfWeek) {
    return static_cast<uint8_t>(0x100 >> (dayOfWeek == 0 ? 7 : dayOfWeek));
}

}  // namespace

const SettingTable& CDevice::Settings() const {
    static constexpr SettingTable kNone;
    return kNone;
}

int16_t CDevice::GetSetting(Setting setting) {
    const SettingRegister& r = Settings()[setting];
    return r.present ? ReadSetting(r.reg, r.preset) : int16_t{-1};
}

bool CDevice::SetSetting(Setting setting, int16_t value) {
    const SettingRegister& r = Settings()[setting];
    return r.present && r.writable && WriteSetting(r.reg, value, r.lo, r.hi);
}

int16_t CDevice::ReadSetting(uint8_t reg, uint8_t preset) {
    Hold hold(m_gate);
    uint8_t value = preset;
    ReadRegister(reg, value);
    return value;
}

bool CDevice::WriteSetting(uint8_t reg, int16_t value, uint8_t lo, uint8_t hi) {
    Hold hold(m_gate);
    const auto low = static_cast<uint8_t>(value & 0xFF);
    return WriteRegister(reg, std::clamp(low, lo, hi));
}

bool CDevice::WriteClock(const ClockRegisters& map, DATE date) {
    DateParts p;
    if (!SplitDate(date, p)) {
        return false;
    }
    Hold hold(m_gate);
    bool ok = WriteRegister(map.year, static_cast<uint8_t>(p.year % 100));
    ok = WriteRegister(map.month, static_cast<uint8_t>(p.month)) && ok;
    ok = WriteRegister(map.day, static_cast<uint8_t>(p.day)) && ok;
    ok = WriteRegister(map.dayOfWeek, DayOfWeekBit(p.dayOfWeek)) && ok;
    ok = WriteRegister(map.hour, static_cast<uint8_t>(p.hour)) && ok;
    ok = WriteRegister(map.minute, static_cast<uint8_t>(p.minute)) && ok;
    ok = WriteRegister(map.secondWritten, static_cast<uint8_t>(p.second)) && ok;
    return ok;
}

DATE CDevice::ReadClock(const ClockRegisters& map) {
    Hold hold(m_gate);
    uint8_t second = 0, minute = 0, hour = 0, day = 0, month = 0, year = 0;
    if (!ReadRegister(map.secondRead, second) || !ReadRegister(map.minute, minute) ||
        !ReadRegister(map.hour, hour)) {
        return 0.0;
    }
    if (!ReadRegister(map.day, day) || !ReadRegister(map.month, month) ||
        !ReadRegister(map.year, year)) {
        return 0.0;
    }
    DateParts p;
    p.year = year < 50 ? 2000 + year : 1900 + year;
    p.month = month;
    p.day = day;
    p.hour = hour;
    p.minute = minute;
    p.second = second;
    DATE date = 0.0;
    return MakeDate(p, date) ? date : 0.0;
}

void CDevice::WriteAlarm(const ClockRegisters& map, DATE date) {
    DateParts p;
    if (!SplitDate(date, p)) {
        return;
    }
    Hold hold(m_gate);
    WriteRegister(map.alarmHour, static_cast<uint8_t>(p.hour));
    WriteRegister(map.alarmMinute, static_cast<uint8_t>(p.minute));
}

DATE CDevice::ReadAlarm(const ClockRegisters& map) {
    Hold hold(m_gate);
    uint8_t hour = 0, minute = 0;
    if (!ReadRegister(map.alarmHour, hour) || !ReadRegister(map.alarmMinute, minute)) {
        return 0.0;
    }
    DateParts p;  // 1899-12-30: a time of day with no day part
    p.hour = hour;
    p.minute = minute;
    DATE date = 0.0;
    return MakeDate(p, date) ? date : 0.0;
}

std::u16string CDevice::ReadNumberBuffer(const ClockRegisters& map) {
    Hold hold(m_gate);
    uint8_t length = 0;
    if (!ReadRegister(map.bufferLength, length)) {
        length = 0;
    }
    std::u16string number;
    for (size_t i = 1; i <= length && i <= kBufferDigits; ++i) {
        // A digit that cannot be read at all shows as "?", not as its neighbour.
        uint8_t code = 0xFF;
        ReadRegister(static_cast<uint8_t>(map.bufferLength + i), code);
        for (int retry = 0; retry < kDigitRereads && DigitToChar(code) == '?'; ++retry) {
            ReadRegister(static_cast<uint8_t>(map.bufferLength + i), code);
        }
        number.push_back(static_cast<char16_t>(DigitToChar(code)));
    }
    return number;
}

bool CDevice::WriteNumberBuffer(const ClockRegisters& map, const std::u16string& number) {
    Hold hold(m_gate);
    const auto length = static_cast<uint8_t>(number.size() & 0xFF);
    if (!WriteRegister(map.bufferLength, length)) {
        return false;
    }
    size_t written = 0;
    for (size_t i = 1; i <= length && i <= kBufferDigits; ++i) {
        if (!WriteRegister(static_cast<uint8_t>(map.bufferLength + i), CodeOf(number[i - 1]))) {
            break;
        }
        ++written;
    }
    // Compared with the whole text: a number the buffer cannot hold is not reported as written.
    return written == number.size();
}

bool CDevice::Dial(const ClockRegisters& map, const std::u16string& number) {
    Hold hold(m_gate);
    if (!WriteNumberBuffer(map, number)) {
        return false;
    }
    SendDialTrigger(map.dialByte);
    return true;
}

}  // namespace fonerix
