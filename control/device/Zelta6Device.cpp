#include "control/device/Zelta6Device.h"

#include <ctime>

namespace fonerix {

namespace {
CZeltaDevice::FlashReaders gReaders;
}  // namespace

CZelta6Device::CZelta6Device(std::unique_ptr<SerialLink> port) : CZeltaDevice(std::move(port)) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    SetRecordedDate(static_cast<uint8_t>((local.tm_year + 1900) % 100),
                    static_cast<uint8_t>(local.tm_mon + 1));
}

void CZelta6Device::SetRecordedDate(uint8_t year, uint8_t month) {
    m_year = year;
    m_month = month;
}

const CZeltaDevice::FlashGeometry& CZelta6Device::Geometry() const {
    static constexpr FlashGeometry kGeometry{
        .lastPage = 31,
        .bounded = true,
        .maxReadPage = 31,
        .maxReadBlockHigh = 3,
        .firstRecordPage = 1,
        .recordPageStep = 2,
        .columns = {172, 172},
        .columnCount = 1,
        .recordsPerBlock = 16,
        .positionBlocks = 16,
        .pageColumnAddress = false,
        .settingsFirstBlock = 13,
        .settingsLastBlock = 24,
        .settingsPageStep = 2,
        .settingsLastIndex = 15,
        .rewakeBeforeSettingsWrite = true,
    };
    return kGeometry;
}

CZeltaDevice::FlashReaders& CZelta6Device::Readers() const {
    return gReaders;
}

void CZelta6Device::ResetReaders() {
    gReaders = FlashReaders{};
}

uint8_t CZelta6Device::EntryYear(const uint8_t* entry) const {
    // An entry from a month later than the current one is from last year.
    if (m_month >= entry[5]) {
        return m_year;
    }
    return m_year == 0 ? 99 : static_cast<uint8_t>(m_year - 1);
}

bool CZelta6Device::LookForDevice(DEVICEINFO& info, uint8_t port) {
    return LookForType(info, port, {6});
}

}  // namespace fonerix
