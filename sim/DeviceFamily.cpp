#include "sim/DeviceFamily.h"

#include "sim/WireCodes.h"

namespace fonerix::sim {

namespace {

constexpr FamilyTraits kFirstFamily{Family::kFirst, "first family", wire::kFirstFamilyBaud,
                                    wire::kDialFirstFamily, wire::kNumberBufferFirstFamily};
constexpr FamilyTraits kSecondFamily{Family::kSecond, "second family", wire::kSecondFamilyBaud,
                                     wire::kDialSecondFamily, wire::kNumberBufferSecondFamily};

}  // namespace

std::optional<FamilyTraits> TraitsOfType(int device_type) {
    switch (device_type) {
        case 1:
        case 2:
        case 3:
        case 4:
            return kSecondFamily;
        case 0:
        case 5:
        case 6:
        case 7:
        case 8:
            return kFirstFamily;
        default:
            return std::nullopt;
    }
}

std::optional<Storage> StorageOfType(int device_type) {
    switch (device_type) {
        case 1:
        case 2:
        case 3:
        case 4:
            return Storage::kMemory;
        case 0:
        case 5:
            return Storage::kFlash16;
        case 6:
            return Storage::kFlash32;
        case 7:
        case 8:
            return Storage::kFlash64;
        default:
            return std::nullopt;
    }
}

bool HasListArea(int device_type) {
    return device_type == 7 || device_type == 8;
}

}  // namespace fonerix::sim
