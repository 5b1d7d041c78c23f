#pragma once

#include "control/device/Records.h"

namespace fonedesk {

// What the reading of the set's lists needs of the control. The client's wrapper CFonerix
// implements it; a test may implement it too. Each Get* is one step of the list: true with a
// record (inUse 0 for an empty slot), false at its end or when the set stopped answering. The
// record's Phone belongs to the caller, who frees it.
class IDeviceLists {
  public:
    virtual ~IDeviceLists() = default;
    virtual bool WakeupDevice(bool writePermission) = 0;
    virtual bool SleepDevice() = 0;
    virtual bool GetPhoneBook(fonerix::PHBOOKRECORD* record) = 0;
    virtual bool GetIncomeBook(fonerix::PHBOOKRECORD* record) = 0;
    virtual bool GetOutcomeBook(fonerix::PHBOOKRECORD* record) = 0;
    // A register every family answers (-1 when the set does not): after a list ended, it tells
    // its end from a set that stopped answering.
    virtual short GetNumLength() = 0;
};

}  // namespace fonedesk
