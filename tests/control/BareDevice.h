// A device of no family: the wire protocol of CDevice alone, for tests of the exchanges. Every
// family operation answers as a set without that feature would.
#pragma once

#include <memory>

#include "control/device/Device.h"

namespace fonerix::test {

class BareDevice final : public CDevice {
  public:
    using CDevice::CDevice;

    bool DialNumber(const std::u16string&) override { return false; }
    bool GetPhoneBook(PHBOOKRECORD&) override { return false; }
    bool GetOutcomeBook(PHBOOKRECORD&) override { return false; }
    bool GetIncomeBook(PHBOOKRECORD&) override { return false; }
    bool SetDeviceTime(DATE) override { return false; }
    DATE GetDeviceTime() override { return 0.0; }
    void SetAlarmTime(DATE) override {}
    DATE GetAlarmTime() override { return 0.0; }
    std::u16string GetDeviceBuffer() override { return {}; }
    bool SetDeviceBuffer(const std::u16string&) override { return false; }
    bool GetCallsStatistic(CALLSTATISTIC&) override { return false; }
    bool GetAutodetParams(AUTODETPARAMS*, AUTODETPARAMS*) override { return false; }
    bool SetAutodetParams(const AUTODETPARAMS*, const AUTODETPARAMS*) override { return false; }
};

}  // namespace fonerix::test
