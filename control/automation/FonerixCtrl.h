#pragma once

#include <cstdint>
#include <memory>

#include "control/automation/FonerixInterface.h"
#include "control/automation/MessageWindow.h"
#include "control/automation/PropertyPages.h"
#include "control/device/Device.h"
#include "platform/automation/ConnectionPoint.h"
#include "platform/automation/HostServices.h"

namespace fonerix {

// The automation control: _DFonerix over at most one device object, the events of
// _DFonerixEvents, and the message window through which the watcher thread hands over the
// set's line events. Apartment-threaded: the thread that creates it calls every member and
// handles its window (IEventWindow), and every event is fired there.
class CFonerixCtrl final : public CDispatchObject<IConnectionPointContainer, IObjectWithSite,
                                                  IEventWindow, ISpecifyPropertyPages> {
  public:
    CFonerixCtrl();
    ~CFonerixCtrl() override;

    HRESULT FindConnectionPoint(const IID& events, IConnectionPoint** point) override;
    HRESULT SetSite(IUnknown* site) override;
    HRESULT GetDescriptor(int* fd) override;
    HRESULT DispatchPending(uint32_t* handled) override;
    HRESULT GetPages(CLSID* pages, uint32_t capacity, uint32_t* count) override;

    // A property was put since the control was created.
    bool IsModified() const { return m_modified; }
    // The device object, null while there is none (for the control's own diagnostics).
    CDevice* Device() const { return m_device.get(); }
    // The window the watcher notifies (kDeviceEventMessage).
    INotifyWindow& NotifyWindow() { return m_window; }

  protected:
    HRESULT CallMember(const MemberInfo& member, const DispArgs& args, VARIANT* result) override;

  private:
    HRESULT CallProperty(const MemberInfo& member, const DispArgs& args, VARIANT* result);
    HRESULT CallMethod(const MemberInfo& member, const DispArgs& args, VARIANT* result);
    bool LookForDevice(DEVICEINFO* info);
    void ShowAboutBox();

    intptr_t OnWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // One line event of the set, on the control's thread (DeviceEvents.cpp).
    void OnDeviceEvent(uint16_t code, const char* number);

    CConnectionPoint m_events;
    CComPtr<IUnknown> m_site;
    bool m_modified = false;
    // Counts device objects made, so that an event handler can tell whether a sink replaced
    // the device while the event ran.
    uint64_t m_deviceGeneration = 0;
    // The window outlives the device: closing the port may release a watcher blocked in it.
    CMessageWindow m_window;
    std::unique_ptr<CDevice> m_device;
};

}  // namespace fonerix
