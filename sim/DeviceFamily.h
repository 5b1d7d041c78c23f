// Device types and what each family of sets does differently on the line. Everything that
// depends on the type is looked up here, so a new type or family is one table row.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace fonerix::sim {

inline constexpr int kLowestDeviceType = 0;
inline constexpr int kHighestDeviceType = 8;

enum class Family {
    kFirst,   // the flash-memory line (types 5 to 8) and the other types outside the second
    kSecond,  // the directly addressed line: types 1, 2 and 4
};

struct FamilyTraits {
    Family family;
    std::string_view name;
    unsigned baud;                        // the only line speed the set answers at
    std::uint8_t dial_byte;               // dials the number buffer
    std::uint8_t number_buffer_register;  // length register; digits follow it
};

// Traits of a device type, or nothing for a type outside kLowestDeviceType..kHighestDeviceType.
std::optional<FamilyTraits> TraitsOfType(int device_type);

}  // namespace fonerix::sim
