#include "client/device/DeviceEventSink.h"

#include <optional>

#include "client/device/BstrText.h"
#include "client/device/DeviceEvents.h"
#include "control/automation/FonerixInterface.h"

namespace fonedesk {
namespace {

using namespace fonerix;

// The one place that reads the number of ParallDialing and ComingCall. The control gives each
// sink a string of its own and never touches it after the call, so the sink copies it, frees it
// and nulls the slot. A string passed by value stays the caller's.
QString TakeEventNumber(const VARIANT& arg) {
    if (arg.vt == (VT_BSTR | VT_BYREF)) {
        if (arg.pbstrVal == nullptr) {
            return {};
        }
        QString number = TextFromBstr(*arg.pbstrVal);
        SysFreeString(*arg.pbstrVal);
        *arg.pbstrVal = nullptr;
        return number;
    }
    if (arg.vt == VT_BSTR) {
        return TextFromBstr(arg.bstrVal);
    }
    return {};
}

std::optional<int> KeyCode(const VARIANT& arg) {
    VARIANT converted;
    if (FAILED(VariantChangeType(&converted, &arg, VT_I4))) {
        return std::nullopt;
    }
    return converted.lVal;
}

// The first declared argument, which is the last in rgvarg.
const VARIANT* FirstArgument(const DISPPARAMS& params) {
    if (params.cArgs == 0 || params.rgvarg == nullptr) {
        return nullptr;
    }
    return &params.rgvarg[params.cArgs - 1];
}

}  // namespace

bool DeliverDeviceEvent(IDeviceEventHandler& handler, DISPID dispid, const DISPPARAMS& params) {
    const VARIANT* arg = FirstArgument(params);
    switch (dispid) {
        case kEventParallDialing:
            handler.OnParallDialing(arg != nullptr ? TakeEventNumber(*arg) : QString());
            return true;
        case kEventComingCall:
            handler.OnComingCall(arg != nullptr ? TakeEventNumber(*arg) : QString());
            return true;
        case kEventFinishTalking:
            handler.OnFinishTalking();
            return true;
        case kEventSuccessLinking:
            handler.OnSuccessLinking();
            return true;
        case kEventFailedLinking:
            handler.OnFailedLinking();
            return true;
        case kEventBusyLinking:
            handler.OnBusyLinking();
            return true;
        case kEventAlarm:
            handler.OnAlarm();
            return true;
        case kEventTubeUp:
            handler.OnTubeUp();
            return true;
        case kEventTubeDown:
            handler.OnTubeDown();
            return true;
        case kEventParallTubeUp:
            handler.OnParallTubeUp();
            return true;
        case kEventLowBatary:
            handler.OnLowBatary();
            return true;
        case kEventPhoneKeyPress: {
            // A key press without a readable code would show the wrong key; it is dropped.
            const std::optional<int> key = arg != nullptr ? KeyCode(*arg) : std::nullopt;
            if (!key) {
                return false;
            }
            handler.OnPhoneKeyPress(*key);
            return true;
        }
        default:
            return false;
    }
}

CComPtr<CEventSink> MakeDeviceEventSink(std::shared_ptr<DeviceEventTarget> target) {
    return MakeObject<CEventSink>(
        kFonerixEventsIid, [target = std::move(target)](DISPID dispid, const DISPPARAMS& params) {
            if (target->handler != nullptr) {
                DeliverDeviceEvent(*target->handler, dispid, params);
            }
        });
}

}  // namespace fonedesk
