#include "sim/MemoryStore.h"

namespace fonerix::sim {

RegisterFile::RegisterFile() {
    bytes_[wire::kVersionRegister] = kFreshVersion;
}

bool RegisterFile::Write(std::uint8_t reg, std::uint8_t value) {
    if (reg == wire::kVersionRegister) {
        return false;
    }
    bytes_[reg] = value;
    return true;
}

DeviceMemory::DeviceMemory(std::uint8_t device_type) {
    bytes_[wire::kDeviceTypeAddress] = device_type;
}

std::uint8_t DeviceMemory::Read(std::uint16_t address) const {
    return address < bytes_.size() ? bytes_[address] : 0xFF;
}

bool DeviceMemory::Write(std::uint16_t address, std::uint8_t value) {
    if (address >= bytes_.size() || address == wire::kDeviceTypeAddress) {
        return false;
    }
    bytes_[address] = value;
    return true;
}

}  // namespace fonerix::sim
