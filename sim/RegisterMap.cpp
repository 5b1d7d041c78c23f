#include "sim/RegisterMap.h"

namespace fonerix::sim {

namespace {

// Fresh values are what a set out of its box might hold: a seven-digit local number length,
// two rings skipped, the first melody, moderate volumes, caller-ID timing in the middle of its
// range, the alarm off.
constexpr NamedRegister kFirstFamilyNamed[] = {
    {"NumLength", 228, 7},      {"SkipBells", 229, 2},  {"BellMelody", 230, 1},
    {"BellVolume", 231, 5},     {"SoundVolume", 79, 6}, {"UtCallup", 32, 100},
    {"UtLineFree", 33, 10},     {"UtCurrent", 64, 48},  {"ConfigRegister", 83, 0x11},
    {"DeviceMode", 77, 0},      {"DeviceRang", 223, 3}, {"AlarmActivity", 218, 0},
    {"SndRecordTime", 237, 30}, {"AlarmHour", 220, 7},  {"AlarmMinute", 219, 0},
    {"State0", 80, 0},          {"State1", 81, 0},      {"State3", 82, 0},
};

constexpr NamedRegister kSecondFamilyNamed[] = {
    {"NumLength", 39, 7},  {"SkipBells", 40, 2},         {"BellMelody", 41, 1},
    {"BellVolume", 43, 3}, {"UtCallup", 56, 100},        {"UtLineFree", 57, 10},
    {"UtCurrent", 83, 48}, {"ConfigRegister", 38, 0x11}, {"AlarmActivity", 45, 0},
    {"AlarmHour", 47, 7},  {"AlarmMinute", 46, 0},       {"State0", 0x47, 0},
    {"State2", 0xA4, 0},   {"State3", 0x2C, 0},
};

constexpr RegisterMap kFirstFamilyMap{{216, 215, 214, 217, 213, 212, 85, 85}, kFirstFamilyNamed};
constexpr RegisterMap kSecondFamilyMap{{61, 60, 59, 58, 67, 66, 68, 65}, kSecondFamilyNamed};

}  // namespace

const RegisterMap& RegisterMapOf(Family family) {
    return family == Family::kFirst ? kFirstFamilyMap : kSecondFamilyMap;
}

std::optional<std::uint8_t> NamedRegisterOf(Family family, std::string_view name) {
    for (const NamedRegister& named : RegisterMapOf(family).named) {
        if (named.name == name) {
            return named.reg;
        }
    }
    return std::nullopt;
}

}  // namespace fonerix::sim
