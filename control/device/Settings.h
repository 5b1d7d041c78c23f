#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>

namespace fonerix {

// The register properties: one register of the set each, read and written as a byte.
enum class Setting : uint8_t {
    kNumLength,
    kSkipBells,
    kBellMelody,
    kBellVolume,
    kSoundVolume,
    kUtCallup,
    kUtLineFree,
    kUtCurrent,
    kConfigRegister,
    kDeviceMode,
    kDeviceRang,
    kAlarmActivity,
    kSndRecordTime,
};
inline constexpr size_t kSettingCount = static_cast<size_t>(Setting::kSndRecordTime) + 1;

// Where a family keeps one register property. A read starts from `preset`, which a read that
// gets no answer returns; a write brings the value's low byte into lo..hi.
struct SettingRegister {
    bool present = false;  // else the family lacks it: -1 on a read, nothing written
    bool writable = true;
    uint8_t reg = 0;
    uint8_t lo = 0;
    uint8_t hi = 0xFF;
    uint8_t preset = 0xFF;
};

constexpr SettingRegister Register(uint8_t reg, uint8_t lo = 0, uint8_t hi = 0xFF,
                                   uint8_t preset = 0xFF) {
    return {.present = true, .writable = true, .reg = reg, .lo = lo, .hi = hi, .preset = preset};
}
constexpr SettingRegister ReadOnlyRegister(uint8_t reg) {
    return {.present = true, .writable = false, .reg = reg};
}

// A family's register properties, by Setting; the ones it does not list it lacks.
class SettingTable {
  public:
    constexpr SettingTable() = default;
    constexpr SettingTable(std::initializer_list<std::pair<Setting, SettingRegister>> rows) {
        for (const auto& [setting, where] : rows) {
            m_rows[static_cast<size_t>(setting)] = where;
        }
    }
    constexpr const SettingRegister& operator[](Setting setting) const {
        return m_rows[static_cast<size_t>(setting)];
    }

  private:
    std::array<SettingRegister, kSettingCount> m_rows{};
};

}  // namespace fonerix
