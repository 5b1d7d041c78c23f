// The set's byte registers and its directly addressed memory.
#pragma once

#include <array>
#include <cstdint>

#include "sim/WireCodes.h"

namespace fonerix::sim {

// 256 registers. The version register is the set's firmware identity and ignores writes.
class RegisterFile {
  public:
    using Bytes = std::array<std::uint8_t, wire::kRegisterCount>;

    // A fresh set: every register 0 except the version byte.
    RegisterFile();
    explicit RegisterFile(const Bytes& contents) : m_bytes(contents) {}

    std::uint8_t Read(std::uint8_t reg) const { return m_bytes[reg]; }
    // False when the register is read-only and kept its value.
    bool Write(std::uint8_t reg, std::uint8_t value);

    const Bytes& Contents() const { return m_bytes; }

    // Device version 1, program version 1: any non-zero byte, since the host takes 0 for "no
    // answer".
    static constexpr std::uint8_t kFreshVersion = 0x21;

  private:
    Bytes m_bytes{};
};

// 8 KiB of memory with the device type in its last byte, which is read-only. Addresses beyond
// the memory read 0xFF (nothing drives the bus there) and ignore writes.
class DeviceMemory {
  public:
    using Bytes = std::array<std::uint8_t, wire::kMemorySize>;

    // A fresh set of the given type: zeros, the type byte at the top.
    explicit DeviceMemory(std::uint8_t device_type);
    explicit DeviceMemory(const Bytes& contents) : m_bytes(contents) {}

    std::uint8_t Read(std::uint16_t address) const;
    // False when the address is outside the memory or read-only.
    bool Write(std::uint16_t address, std::uint8_t value);

    std::uint8_t DeviceType() const { return m_bytes[wire::kDeviceTypeAddress]; }
    const Bytes& Contents() const { return m_bytes; }

  private:
    Bytes m_bytes{};
};

}  // namespace fonerix::sim
