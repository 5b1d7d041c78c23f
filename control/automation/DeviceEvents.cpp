// The control's side of the set's line events: the watcher's notification becomes an event of
// _DFonerixEvents, fired on the control's thread while the watcher waits.
#include <string>

#include "control/automation/DeviceEventMap.h"
#include "control/automation/FonerixCtrl.h"

namespace fonerix {

void CFonerixCtrl::OnDeviceEvent(uint16_t code, const char* number) {
    CDevice* const device = m_device.get();
    const uint64_t generation = m_deviceGeneration;
    // The watcher is blocked in its notification; keeping it stopped lets a sink run exchanges.
    if (device != nullptr) {
        device->Gate().Stop();
    }

    if (const std::optional<MappedEvent> event = MapDeviceEvent(code)) {
        switch (event->args) {
            case MappedEvent::Args::None:
                m_events.Fire(event->dispid);
                break;
            case MappedEvent::Args::Key: {
                // The set left the host's session when its key was pressed. Flagged before the
                // sinks run, so that a KeyPress from inside the event re-wakes it as well.
                if (device != nullptr) {
                    device->SetNeedsRewake(true);
                }
                const CVariant key(event->keyCode);
                m_events.Fire(event->dispid, {&key, 1});
                break;
            }
            case MappedEvent::Args::Number: {
                // Each sink gets a string of its own and frees it: the control never touches
                // it after the call, so a sink that frees (or keeps) it harms no other sink.
                const std::string text = number != nullptr ? number : "";
                const DISPID dispid = event->dispid;
                m_events.FireEach([&text, dispid](IDispatch* sink) {
                    BSTR owned = BstrFromUtf8(text.c_str());
                    const CVariant slot = CVariant::Ref(&owned);
                    DispatchCall(sink, dispid, DISPATCH_METHOD, {&slot, 1}, nullptr);
                });
                break;
            }
        }
    }

    // Only the device the event came from is handed back its watcher: one made by a sink's
    // LookForDevice has no events until the host enables them.
    if (m_device != nullptr && m_deviceGeneration == generation) {
        m_device->Gate().Start(true);
    }
}

}  // namespace fonerix
