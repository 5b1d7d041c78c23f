// Which register holds what on each family: the clock, the alarm and the settings the host
// reads and writes by property name. A fresh set starts with the defaults given here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "sim/DeviceFamily.h"

namespace fonerix::sim {

// The set's real-time clock. All fields are plain binary. The host writes the seconds to one
// register and, on the second family, reads them from another.
struct ClockRegisters {
    std::uint8_t year;     // two digits, 0..99
    std::uint8_t month;    // 1..12
    std::uint8_t day;      // 1..31
    std::uint8_t weekday;  // one bit: Monday 0x80 down to Sunday 0x02
    std::uint8_t hour;
    std::uint8_t minute;
    std::uint8_t second;          // the running seconds; read here
    std::uint8_t second_written;  // where the host writes the seconds
};

struct NamedRegister {
    std::string_view name;  // the host's property name, e.g. "NumLength"
    std::uint8_t reg;
    std::uint8_t fresh_value;
};

struct RegisterMap {
    ClockRegisters clock;
    std::span<const NamedRegister> named;
};

const RegisterMap& RegisterMapOf(Family family);

// The register of a named setting on this family, or nothing when the family lacks it.
std::optional<std::uint8_t> NamedRegisterOf(Family family, std::string_view name);

}  // namespace fonerix::sim
