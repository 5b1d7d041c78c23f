#include "sim/MemoryStore.h"

namespace fonerix::sim {

RegisterFile::RegisterFile() {
    m_bytes[wire::kVersionRegister] = kFreshVersion;
}

bool RegisterFile::Write(std::uint8_t reg, std::uint8_t value) {
    if (reg == wire::kVersionRegister) {
        return false;
    }
    m_bytes[reg] = value;
    return true;
}

DeviceMemory::DeviceMemory(std::uint8_t device_type) {
    m_bytes[wire::kDeviceTypeAddress] = device_type;
}

std::uint8_t DeviceMemory::Read(std::uint16_t address) const {
    return address < m_bytes.size() ? m_bytes[address] : 0xFF;
}

bool DeviceMemory::Write(std::uint16_t address, std::uint8_t value) {
    if (address >= m_bytes.size() || address == wire::kDeviceTypeAddress) {
        return false;
    }
    m_bytes[address] = value;
    return true;
}

}  // namespace fonerix::sim
