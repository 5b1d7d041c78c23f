#include "sim/SetClock.h"

#include <ctime>

namespace fonerix::sim {

std::chrono::system_clock::time_point SystemWallClock() {
    return std::chrono::system_clock::now();
}

std::int64_t MillisecondsOf(std::chrono::system_clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
}

std::int64_t DaysFromCivil(int year, int month, int day) {
    // Howard Hinnant's algorithm: years start in March, so the leap day is the year's last.
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t year_of_era = y - era * 400;
    const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

CivilTime CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t day_of_era = days - era * 146097;
    const std::int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const std::int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const std::int64_t mp = (5 * day_of_year + 2) / 153;
    CivilTime civil;
    civil.day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
    civil.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    civil.year = static_cast<int>(year_of_era + era * 400 + (civil.month <= 2 ? 1 : 0));
    return civil;
}

std::uint8_t WeekdayBit(int year, int month, int day) {
    // 1970-01-01 was a Thursday; 0 is Sunday here.
    const std::int64_t days = DaysFromCivil(year, month, day);
    const int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);
    return weekday == 0 ? 0x02 : static_cast<std::uint8_t>(0x80 >> (weekday - 1));
}

namespace {

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 31;
    }
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

CivilTime LocalCivilTime(std::chrono::system_clock::time_point at) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return CivilTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
}

void SetClockRegisters(RegisterFile& registers, const ClockRegisters& clock,
                       const CivilTime& time) {
    const auto byte = [](int value) { return static_cast<std::uint8_t>(value); };
    registers.Write(clock.year, byte(time.year % 100));
    registers.Write(clock.month, byte(time.month));
    registers.Write(clock.day, byte(time.day));
    registers.Write(clock.weekday, WeekdayBit(time.year, time.month, time.day));
    registers.Write(clock.hour, byte(time.hour));
    registers.Write(clock.minute, byte(time.minute));
    registers.Write(clock.second, byte(time.second));
    registers.Write(clock.second_written, byte(time.second));
}

void AdvanceClock(RegisterFile& registers, const ClockRegisters& clock, std::int64_t& synced_ms,
                  std::int64_t now_ms) {
    if (now_ms < synced_ms) {
        // The PC's clock was put back: start counting again from here.
        synced_ms = now_ms;
        return;
    }
    const std::int64_t seconds = (now_ms - synced_ms) / 1000;
    if (seconds == 0) {
        return;
    }
    synced_ms += seconds * 1000;

    // Carry as the clock chip does, field by field; a field beyond its range (the host may write
    // anything) rolls over at the next carry into it.
    std::int64_t total = registers.Read(clock.second) + seconds;
    registers.Write(clock.second, static_cast<std::uint8_t>(total % 60));
    total = registers.Read(clock.minute) + total / 60;
    registers.Write(clock.minute, static_cast<std::uint8_t>(total % 60));
    total = registers.Read(clock.hour) + total / 60;
    registers.Write(clock.hour, static_cast<std::uint8_t>(total % 24));
    std::int64_t days = total / 24;

    int year = registers.Read(clock.year);
    int month = registers.Read(clock.month);
    int day = registers.Read(clock.day);
    std::uint8_t weekday = registers.Read(clock.weekday);
    for (; days > 0; --days) {
        // Two-digit years: every fourth one is a leap year, 2000 included.
        if (day >= DaysInMonth(2000 + year, month)) {
            day = 1;
            if (month >= 12) {
                month = 1;
                year = year >= 99 ? 0 : year + 1;
            } else if (month < 1) {
                month = 1;
            } else {
                ++month;
            }
        } else {
            ++day;
        }
        if (weekday == 0x02) {
            weekday = 0x80;
        } else if (weekday >= 0x04 && (weekday & (weekday - 1)) == 0) {
            weekday = static_cast<std::uint8_t>(weekday >> 1);
        }
    }
    registers.Write(clock.year, static_cast<std::uint8_t>(year));
    registers.Write(clock.month, static_cast<std::uint8_t>(month));
    registers.Write(clock.day, static_cast<std::uint8_t>(day));
    registers.Write(clock.weekday, weekday);
}

bool IsClockRegister(const ClockRegisters& clock, std::uint8_t reg) {
    return reg == clock.year || reg == clock.month || reg == clock.day || reg == clock.weekday ||
           reg == clock.hour || reg == clock.minute || reg == clock.second ||
           reg == clock.second_written;
}

}  // namespace fonerix::sim
