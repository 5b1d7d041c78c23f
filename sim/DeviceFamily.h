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
    kFirst,   // the flash-memory line: types 5 to 8, and 0
    kSecond,  // the directly addressed line: types 1 to 4
};

// Where a type keeps its lists and settings. Types no host class accepts still get a plausible
// store of the nearest generation, so that discovery reads their type byte and version from a
// set that looks real: 0 like 5, 3 like 1, 8 like 7.
enum class Storage {
    kMemory,   // records in device memory behind the map at address 9 (types 1 to 4)
    kFlash16,  // 16 page bytes a block, two records a page (types 0 and 5)
    kFlash32,  // 32 page bytes a block, a record on every odd page (type 6)
    kFlash64,  // 64 page bytes a block, a record on every odd page (types 7 and 8)
};

struct FamilyTraits {
    Family family;
    std::string_view name;
    unsigned baud;                        // the only line speed the set answers at
    std::uint8_t dial_byte;               // dials the number buffer
    std::uint8_t number_buffer_register;  // length register; digits follow it
};

// The storage of a device type, or nothing for a type outside the known range.
std::optional<Storage> StorageOfType(int device_type);
// Only types 7 and 8 keep the redirection number and the auto-dial list.
bool HasListArea(int device_type);

// Traits of a device type, or nothing for a type outside kLowestDeviceType..kHighestDeviceType.
std::optional<FamilyTraits> TraitsOfType(int device_type);

}  // namespace fonerix::sim
