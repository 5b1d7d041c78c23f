#pragma once

#include "control/device/ZeltaDevice.h"

namespace fonerix {

// Type 6: 32 page bytes a block, one list record on each odd page at column 172, settings
// copies on the even pages of blocks 13..24. Its logs keep no year; it is inferred from the
// date recorded at construction.
class CZelta6Device : public CZeltaDevice {
  public:
    explicit CZelta6Device(std::unique_ptr<SerialLink> port = nullptr);

    bool LookForDevice(DEVICEINFO& info, uint8_t port) override;

    static void ResetReaders();
    // The two-digit year and the month the logs' years are inferred from; taken from the
    // local clock at construction.
    void SetRecordedDate(uint8_t year, uint8_t month);

  protected:
    const FlashGeometry& Geometry() const override;
    FlashReaders& Readers() const override;
    uint8_t EntryYear(const uint8_t* entry) const override;

  private:
    uint8_t m_year = 0;
    uint8_t m_month = 1;
};

}  // namespace fonerix
