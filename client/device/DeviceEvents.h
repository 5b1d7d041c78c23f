#pragma once

#include <QString>

namespace fonedesk {

// What the client does with each event of the control. The wrapper calls these on the
// user-interface thread, inside the control's firing: the control delivers the next event only
// after the handler has returned, so a handler may run a modal dialog. A handler may call the
// wrapper's operations, including device exchanges.
class IDeviceEventHandler {
  public:
    virtual ~IDeviceEventHandler() = default;

    virtual void OnParallDialing(const QString& number) = 0;
    virtual void OnComingCall(const QString& number) = 0;
    virtual void OnFinishTalking() = 0;
    virtual void OnSuccessLinking() = 0;
    virtual void OnFailedLinking() = 0;
    virtual void OnBusyLinking() = 0;
    virtual void OnAlarm() = 0;
    virtual void OnTubeUp() = 0;
    virtual void OnTubeDown() = 0;
    virtual void OnParallTubeUp() = 0;
    virtual void OnLowBatary() = 0;
    virtual void OnPhoneKeyPress(int keyCode) = 0;
};

// The event's name in the control's event interface ("ComingCall"), or "event N".
QString DeviceEventName(int dispid);

}  // namespace fonedesk
