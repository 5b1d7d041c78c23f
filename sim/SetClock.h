// The set's real-time clock. It lives in the clock registers, like the set's own clock chip,
// and runs from the time it was set: whole seconds of the wall clock that have passed since the
// registers were last brought up to date are counted into them whenever they are looked at.
// The instant they were up to date is kept with the stores, so a set keeps time between runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "sim/MemoryStore.h"
#include "sim/RegisterMap.h"

namespace fonerix::sim {

using WallClock = std::function<std::chrono::system_clock::time_point()>;

// The system's wall clock.
std::chrono::system_clock::time_point SystemWallClock();

// Milliseconds since 1970 of a wall-clock instant.
std::int64_t MillisecondsOf(std::chrono::system_clock::time_point at);

struct CivilTime {
    int year = 2000;  // four digits
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    auto operator<=>(const CivilTime&) const = default;
};

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and back.
std::int64_t DaysFromCivil(int year, int month, int day);
CivilTime CivilFromDays(std::int64_t days);

// The set's day-of-week bit of a date: Monday 0x80, Tuesday 0x40, ... Sunday 0x02.
std::uint8_t WeekdayBit(int year, int month, int day);

bool IsValidDate(int year, int month, int day);

// The local time of a wall-clock instant, as the set's owner would read it on the PC.
CivilTime LocalCivilTime(std::chrono::system_clock::time_point at);

// Sets every clock register, the weekday bit included.
void SetClockRegisters(RegisterFile& registers, const ClockRegisters& clock, const CivilTime& time);

// Counts the whole seconds from `synced_ms` to `now_ms` into the clock registers and moves
// `synced_ms` on by them, keeping the fraction for next time. Days roll over by the length of
// the month in the registers (31 for a month the host never set), the year after 99 is 0, and the
// weekday bit moves on with each day. A wall clock that went back leaves the registers alone.
void AdvanceClock(RegisterFile& registers, const ClockRegisters& clock, std::int64_t& synced_ms,
                  std::int64_t now_ms);

bool IsClockRegister(const ClockRegisters& clock, std::uint8_t reg);

}  // namespace fonerix::sim
