#pragma once

#include <memory>

#include "platform/automation/ConnectionPoint.h"

namespace fonedesk {

class IDeviceEventHandler;

// Where a sink delivers: the wrapper clears `handler` when it lets the control go, since the
// control may still hold the sink for a while (a firing in progress).
struct DeviceEventTarget {
    IDeviceEventHandler* handler = nullptr;
};

// Calls the handler's method for one event of _DFonerixEvents, its arguments as the control
// passed them (last first). False for an event it does not know or whose key code is missing.
bool DeliverDeviceEvent(IDeviceEventHandler& handler, fonerix::DISPID dispid,
                        const fonerix::DISPPARAMS& params);

// A sink for _DFonerixEvents that delivers every event to `target`'s handler of the moment.
fonerix::CComPtr<fonerix::CEventSink> MakeDeviceEventSink(
    std::shared_ptr<DeviceEventTarget> target);

}  // namespace fonedesk
